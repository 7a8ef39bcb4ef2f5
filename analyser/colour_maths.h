#pragma once

// The arctangent and the exponential the sonogram's colours need, over four
// lanes of floats (float_lanes.h). Our own polynomials rather than the C
// library's, so that every build computes the same floats.

#include <cstdint>

#include "core/compiler_specifics.h"

// atan2(y, x) in quarter turns (pi / 2) for y >= 0: from 0 to 2, and 0 when
// both are 0. Within 3e-8 of the exact value.
template <class L>
ALWAYS_INLINE L AtanQuarterTurns(L y, L x)
{
    // atan(lo / hi) is taken to the interval |t| <= tan(pi / 8): above it,
    // atan(lo / hi) = pi / 4 + atan((lo - hi) / (lo + hi)).
    constexpr float kTanEighthTurn = 0.41421357f;
    // atan(t) ~ t (c0 + c1 t^2 + ... + c4 t^8), in quarter turns: a least
    // squares fit on |t| <= tan(pi / 8).
    constexpr float c[] = {0.63661975f, -0.21220317f, 0.12716101f, -0.088181250f, 0.050833851f};
    const L zero = L::All(0.0f);
    const L ax = Abs(x);
    const L lo = Min(y, ax), hi = Max(y, ax);
    const L split = L::All(kTanEighthTurn) * hi;
    const L numerator = IfLess(split, lo, lo - hi, lo);
    const L denominator = IfLess(split, lo, lo + hi, hi);
    const L base = IfLess(split, lo, L::All(0.5f), zero);
    const L t = numerator / IfLess(zero, denominator, denominator, L::All(1.0f));
    const L s = t * t;
    L p = L::All(c[4]);
    for (int i = 3; i >= 0; --i) p = p * s + L::All(c[i]);
    const L octant = base + t * p;                                    // 0 to 1/2
    const L quadrant = IfLess(ax, y, L::All(1.0f) - octant, octant);  // 0 to 1
    return IfLess(x, zero, L::All(2.0f) - quadrant, quadrant);
}

// e^v for |v| below about 80: v = n ln 2 + r with |r| <= ln 2 / 2, e^r by a
// polynomial and 2^n put into the exponent. Within 2e-7 relative.
template <class L>
ALWAYS_INLINE L Exp(L v)
{
    constexpr float kLog2E = 1.44269502f;
    // ln 2 in two parts; n times the first is exact for small n.
    constexpr float kLn2High = 0.693359375f, kLn2Low = -2.12194440e-4f;
    // Adding 1.5 * 2^23 rounds to an integer, which lands in the low bits.
    constexpr float kRounder = 12582912.0f;
    constexpr int32_t kRounderBits = 0x4B400000;
    // e^r ~ c0 + c1 r + ... + c6 r^6: a least squares fit on |r| <= ln 2 / 2.
    constexpr float c[] = {1.0f,         1.0f,          0.49999991f,  0.16666391f,
                           0.041668560f, 0.0083771804f, 0.0013825946f};
    const L shifted = v * L::All(kLog2E) + L::All(kRounder);
    const L n = shifted - L::All(kRounder);
    const L r = (v - n * L::All(kLn2High)) - n * L::All(kLn2Low);
    L p = L::All(c[6]);
    for (int i = 5; i >= 0; --i) p = p * r + L::All(c[i]);
    return p * AddShiftBits(shifted, 127 - kRounderBits, 23);
}
