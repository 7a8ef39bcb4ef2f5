#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>

#include "analyser/colour_maths.h"
#include "analyser/float_bits.h"
#include "analyser/float_lanes.h"
#include "analyser/sono_colour.h"

namespace {

constexpr PIX_PackedColor kBlack = 0xFF000000u;
constexpr double kPi = 3.14159265358979323846;

int DirectGammaByte(float linear)
{
    const float rgb[3] = {linear > 0.0f ? float(std::pow(double(linear), 0.45454543828964233)) : 0,
                          0, 0};
    unsigned char bytes[3];
    RgbToPixelBytes(rgb, bytes);
    return bytes[2];
}

TEST(GammaStep, EveryThresholdIsExactAndBucketsHoldOneAtMost)
{
    const GammaStep& gamma = SonoGammaStep();
    EXPECT_LT(GammaStep::kLowest, gamma.Threshold(0)) << "below the table every byte is 0";
    EXPECT_EQ(DirectGammaByte(GammaStep::kHighest), 255);
    for (int b = 0; b < 255; ++b) {
        const float t = gamma.Threshold(b);
        ASSERT_EQ(DirectGammaByte(t), b + 1) << b;
        ASSERT_EQ(DirectGammaByte(FloatFromBits(FloatBits(t) - 1)), b) << b;
        ASSERT_EQ(gamma.Byte(t), b + 1) << b;
        ASSERT_EQ(gamma.Byte(FloatFromBits(FloatBits(t) - 1)), b) << b;
        if (b > 0) {
            ASSERT_NE(FloatBits(t) >> GammaStep::kBucketShift,
                      FloatBits(gamma.Threshold(b - 1)) >> GammaStep::kBucketShift)
                << "two thresholds in one bucket at " << b;
        }
    }
    const float limits[] = {-1.0f, -0.0f, 0.0f,     1e-30f, GammaStep::kLowest,
                            1.0f,  1.5f,  INFINITY, NAN};
    for (float v : limits) EXPECT_EQ(gamma.Byte(v), v > 0 ? DirectGammaByte(v) : 0) << v;
    std::mt19937 random(7);
    for (int i = 0; i < 100000; ++i) {
        const float v = FloatFromBits(FloatBits(GammaStep::kLowest) +
                                      random() % (FloatBits(1.0f) - FloatBits(1e-6f)));
        ASSERT_EQ(gamma.Byte(v), DirectGammaByte(v)) << v;
    }
}

TEST(ColourMaths, ArctangentAndExponentialWithinTheirBounds)
{
    struct Point {
        float y, x, quarterTurns;
    };
    const Point exact[] = {{0, 0, 0},     {0, 1, 0},  {1, 1, 0.5f},  {1, 0, 1},
                           {1, -1, 1.5f}, {0, -1, 2}, {0, -0.0f, 0}, {3, 3, 0.5f}};
    for (const Point& p : exact) {
        float q[4];
        AtanQuarterTurns(FloatLanes::All(p.y), FloatLanes::All(p.x)).Store(q);
        EXPECT_EQ(q[0], p.quarterTurns) << p.y << ", " << p.x;
    }
    double worstAtan = 0, worstExp = 0;
    for (int i = 0; i <= 100000; ++i) {
        const float angle = float(kPi * i / 100000);
        const float y = float(std::fabs(std::sin(angle))), x = float(std::cos(angle));
        float q[4];
        AtanQuarterTurns(FloatLanes::All(y), FloatLanes::All(x)).Store(q);
        worstAtan = std::fmax(worstAtan, std::fabs(q[0] - std::atan2(double(y), x) * 2 / kPi));
        const float v = -3.0f + 6.0f * float(i) / 100000;
        float e[4];
        Exp(FloatLanes::All(v)).Store(e);
        worstExp = std::fmax(worstExp, std::fabs(e[0] / std::exp(double(v)) - 1));
    }
    EXPECT_LT(worstAtan, 1.2e-7) << "quarter turns";
    EXPECT_LT(worstExp, 2e-7) << "relative";
}

TEST(SonoColour, ConversionLimits)
{
    EXPECT_EQ(ChromaticityToPixel(0.3f, 0.0f, 1.0f, 0), kBlack);
    EXPECT_EQ(ChromaticityToPixel(0.3f, 0.3f, NAN, 0), kBlack);
    const float rgb[3] = {1.5f, 0.5f, 0.0f};
    unsigned char bytes[3];
    RgbToPixelBytes(rgb, bytes);
    EXPECT_EQ(bytes[2], 255);
    EXPECT_EQ(bytes[1], 127);
    EXPECT_EQ(bytes[0], 0);
}

// Samples that are not numbers reach the colouring as bins: they give
// opaque pixels (black for NaN), the same in the vector and scalar routines.
TEST(SonoColour, NonFiniteBinsGiveOpaquePixels)
{
    const float values[] = {NAN, INFINITY, -INFINITY, 3.4e38f, 1e-45f};
    SonoBins bins;
    int j = 0;
    for (float a : values)
        for (float b : values) bins.Set(j++, a, b, b, a);
    bins.Set(j++, NAN, 0, 1, 0);
    const int count = j;
    bins.PadFrom(count);
    for (int mode = 0; mode <= kColourMagnitudeOnly; ++mode) {
        PIX_PackedColor fast[SonoBins::kCapacity], scalar[SonoBins::kCapacity];
        SonoColourBins(bins, count, mode, fast);
        SonoColourBinsScalar(bins, count, mode, scalar);
        for (int k = 0; k < count; ++k) {
            EXPECT_EQ(fast[k], scalar[k]) << "mode " << mode << ", bin " << k;
            EXPECT_EQ(fast[k] >> 24, 0xFFu) << "mode " << mode << ", bin " << k;
        }
        EXPECT_EQ(fast[0], kBlack) << "NaN in both channels, mode " << mode;
    }
}

// The conversion's bytes, computed the long way: the matrix in single
// precision, the power of each channel and RgbToPixelBytes.
TEST(SonoColour, ConversionMatchesTheDirectPowers)
{
    uint32_t state = 12345;
    auto unit = [&] { return float((state = state * 1664525u + 1013904223u) >> 8) / 16777216.0f; };
    for (int i = 0; i < 200000; ++i) {
        const float x = 0.1f + 0.6f * unit(), y = 0.05f + 0.6f * unit(), Y = 1.3f * unit();
        const float z = 1.0f - (x + y);
        const float scale = Y / y, X = x * scale, Z = z * scale;
        const float linear[3] = {3.240479f * X - 1.53715f * Y - 0.498535f * Z,
                                 -0.969256f * X + 1.875991f * Y + 0.041556f * Z,
                                 0.055648f * X - 0.204043f * Y + 1.057311f * Z};
        const PIX_PackedColor expected = kBlack | uint32_t(DirectGammaByte(linear[0])) << 16 |
                                         uint32_t(DirectGammaByte(linear[1])) << 8 |
                                         uint32_t(DirectGammaByte(linear[2]));
        ASSERT_EQ(ChromaticityToPixel(x, y, Y, 0), expected) << x << " " << y << " " << Y;
    }
}

// The colour of a bin by the formula, in double precision throughout.
PIX_PackedColor ReferencePixel(double lr, double li, double rr, double ri, int mode)
{
    const double mL = std::sqrt(lr * lr + li * li), mR = std::sqrt(rr * rr + ri * ri);
    const double d = 1 - std::fabs(1 - std::fabs(std::atan2(li, lr) - std::atan2(ri, rr)) / kPi);
    const double b = std::atan2(mR, mL) * 2 / kPi;
    const double u = (1 - std::fabs(1 - 2 * b)) * d;
    const double e3 = 1 / (1 + std::exp(3.0));
    const double o = (1 / (1 + std::exp(-3 * (2 * std::sqrt(u) - 1))) - e3) / (1 - 2 * e3);
    const double geometric = std::sqrt(mL * mR);
    const double Y = mode == kColourOppositionOnly
                         ? d * geometric
                         : (1 - std::sqrt(0.5)) * geometric + std::sqrt(0.5) * std::fmax(mL, mR);
    const double xb = 0.249076 * b * b - 0.699076 * b + 0.6;
    const double yb = 0.4 + 0.016132 * b - 0.316132 * b * b;
    double x, y, z;
    switch (mode) {
        case kColourBalanceAndPhase:
            x = xb + (0.321 - xb) * o, y = yb + (0.597 - yb) * o, z = 1 - (x + y);
            break;
        case kColourPhaseOnWhite:
            x = 0.312731 + 0.008269012 * o, y = 0.32903299 + 0.26796702 * o, z = 1 - (x + y);
            break;
        case kColourOppositionOnly:
            x = 0.321, y = 0.597, z = 1 - (x + y);
            break;
        case kColourBalanceOnly:
            x = xb, y = yb, z = 1 - (x + y);
            break;
        default:
            x = 0.312731, y = 0.329033, z = 1 - (x + y);
            break;
    }
    const double X = x * Y / y, Z = z * Y / y;
    const double linear[3] = {3.240479 * X - 1.53715 * Y - 0.498535 * Z,
                              -0.969256 * X + 1.875991 * Y + 0.041556 * Z,
                              0.055648 * X - 0.204043 * Y + 1.057311 * Z};
    PIX_PackedColor pixel = kBlack;
    for (int i = 0; i < 3; ++i) {
        const double v = linear[i] > 0 ? std::fmin(std::pow(linear[i], 1 / 2.2), 1.0) : 0;
        pixel |= PIX_PackedColor(v * 255) << (16 - 8 * i);
    }
    return pixel;
}

// Bins of every kind: independent magnitudes from 1e-5 to 4 at any phases,
// near-equal channels, and zero, exactly equal or exactly opposite ones.
void FillSample(std::mt19937& random, SonoBins* bins)
{
    std::uniform_real_distribution<double> unit(0, 1);
    auto magnitude = [&] { return 1e-5 * std::pow(4e5, unit(random)); };
    auto phase = [&] { return 2 * kPi * unit(random) - kPi; };
    for (int j = 0; j < SonoBins::kCapacity; ++j) {
        const double mL = magnitude(), pL = phase();
        const float lr = float(mL * std::cos(pL)), li = float(mL * std::sin(pL));
        double mR = magnitude(), pR = phase();
        switch (j % 8) {
            case 0:
            case 1:
            case 2:
                break;
            case 3:
                mR = mL * (1 + 1e-3 * (unit(random) - 0.5)), pR = pL + 1e-3 * (unit(random) - 0.5);
                break;
            case 4:
                mR = mL * (1 + 1e-5 * (unit(random) - 0.5)), pR = pL + kPi;
                break;
            case 5:
                bins->Set(j, lr, li, lr, li);
                continue;
            case 6:
                bins->Set(j, lr, li, -lr, -li);
                continue;
            default:
                bins->Set(j, j % 16 == 7 ? 0 : lr, j % 16 == 7 ? 0 : li, 0, 0);
                continue;
        }
        bins->Set(j, lr, li, float(mR * std::cos(pR)), float(mR * std::sin(pR)));
    }
}

int ChannelStep(PIX_PackedColor a, PIX_PackedColor b, int shift)
{
    return std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF));
}

// Against the formula in double precision: at most one step in a channel,
// on at most 0.01% of the pixels; the vector and scalar routines agree bit
// for bit.
TEST(SonoColour, ColoursAgreeWithTheFormulaInDoublePrecision)
{
    constexpr int kColumns = 4000;  // about a million bins per mode
    std::printf("mode  pixels    off by 1 in 1, 2, 3 channels  worst step\n");
    for (int mode = 0; mode <= kColourMagnitudeOnly; ++mode) {
        std::mt19937 random(2026 + mode);
        SonoBins bins;
        long pixels = 0, offBy[4] = {};
        int worst = 0;
        for (int c = 0; c < kColumns; ++c) {
            FillSample(random, &bins);
            PIX_PackedColor fast[SonoBins::kCapacity], scalar[SonoBins::kCapacity];
            SonoColourBins(bins, SonoBins::kCapacity, mode, fast);
            SonoColourBinsScalar(bins, SonoBins::kCapacity, mode, scalar);
            ASSERT_EQ(std::memcmp(fast, scalar, sizeof fast), 0) << "mode " << mode;
            for (int j = 0; j < SonoBins::kCapacity; ++j) {
                const PIX_PackedColor expected =
                    ReferencePixel(bins.lr[j], bins.li[j], bins.rr[j], bins.ri[j], mode);
                int channels = 0;
                for (int shift = 0; shift < 24; shift += 8) {
                    const int step = ChannelStep(fast[j], expected, shift);
                    worst = std::max(worst, step);
                    channels += step > 0;
                }
                ++offBy[channels];
                ++pixels;
            }
        }
        std::printf("%4d  %ld  %ld, %ld, %ld  %d\n", mode, pixels, offBy[1], offBy[2], offBy[3],
                    worst);
        EXPECT_LE(worst, 1) << "mode " << mode;
        EXPECT_LE(offBy[1] + offBy[2] + offBy[3], pixels / 10000) << "mode " << mode;
    }
}

// The same bytes in every build: a digest of each mode's pixels for values
// made from random bit patterns (no library maths, which may differ).
TEST(SonoColour, PixelsAreTheSameInEveryBuild)
{
    std::mt19937 random(99);
    auto value = [&] {  // magnitudes from 2^-17 to 4, either sign
        return FloatFromBits((random() & 0x807FFFFFu) | (110u + random() % 19u) << 23);
    };
    SonoBins bins;
    uint64_t digest = 14695981039346656037ull;
    for (int c = 0; c < 200; ++c) {
        for (int j = 0; j < SonoBins::kCapacity; ++j) {
            const float lr = value(), li = value();
            switch (j % 4) {
                case 0:
                    bins.Set(j, lr, li, lr, li);
                    break;
                case 1:
                    bins.Set(j, lr, li, -lr, -li);
                    break;
                default:
                    bins.Set(j, lr, li, value(), value());
                    break;
            }
        }
        for (int mode = 0; mode <= kColourMagnitudeOnly; ++mode) {
            PIX_PackedColor pixels[SonoBins::kCapacity];
            SonoColourBins(bins, SonoBins::kCapacity, mode, pixels);
            for (PIX_PackedColor p : pixels) digest = (digest ^ p) * 1099511628211ull;
        }
    }
    EXPECT_EQ(digest, 8110444132549753446u);
}

}  // namespace
