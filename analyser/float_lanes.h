#pragma once

// Four floats worked on together. FloatLanesScalar is plain C++; with SSE2,
// FloatLanesSse2 does the same in one register. Every operation rounds as the
// scalar one does (the basic operations and the square root are exactly
// rounded in both; Min and Max pick as minps and maxps do), so code written
// once over either type gives the same bits. FloatLanes is the faster one the
// processor has.

#include <cmath>
#include <cstdint>
#include <cstring>

#include "analyser/float_bits.h"
#include "core/compiler_specifics.h"

struct FloatLanesScalar {
    static constexpr int kCount = 4;
    float v[4];

    static FloatLanesScalar Load(const float* p) { return {{p[0], p[1], p[2], p[3]}}; }
    static FloatLanesScalar All(float f) { return {{f, f, f, f}}; }
    void Store(float* p) const { std::memcpy(p, v, sizeof v); }
    void StoreBits(uint32_t* p) const { std::memcpy(p, v, sizeof v); }

    template <class Op>
    static FloatLanesScalar Map(FloatLanesScalar a, FloatLanesScalar b, Op op)
    {
        return {{op(a.v[0], b.v[0]), op(a.v[1], b.v[1]), op(a.v[2], b.v[2]), op(a.v[3], b.v[3])}};
    }
    friend FloatLanesScalar operator+(FloatLanesScalar a, FloatLanesScalar b)
    {
        return Map(a, b, [](float x, float y) { return x + y; });
    }
    friend FloatLanesScalar operator-(FloatLanesScalar a, FloatLanesScalar b)
    {
        return Map(a, b, [](float x, float y) { return x - y; });
    }
    friend FloatLanesScalar operator*(FloatLanesScalar a, FloatLanesScalar b)
    {
        return Map(a, b, [](float x, float y) { return x * y; });
    }
    friend FloatLanesScalar operator/(FloatLanesScalar a, FloatLanesScalar b)
    {
        return Map(a, b, [](float x, float y) { return x / y; });
    }
    // Min(a, b) is b when either is NaN; so is Max(a, b).
    friend FloatLanesScalar Min(FloatLanesScalar a, FloatLanesScalar b)
    {
        return Map(a, b, [](float x, float y) { return x < y ? x : y; });
    }
    friend FloatLanesScalar Max(FloatLanesScalar a, FloatLanesScalar b)
    {
        return Map(a, b, [](float x, float y) { return x > y ? x : y; });
    }
    friend FloatLanesScalar Sqrt(FloatLanesScalar a)
    {
        return Map(a, a, [](float x, float) { return std::sqrt(x); });
    }
    friend FloatLanesScalar Abs(FloatLanesScalar a)
    {
        return Map(a, a, [](float x, float) { return std::fabs(x); });
    }
    // Lanes of t where a < b, else of f.
    friend FloatLanesScalar IfLess(FloatLanesScalar a, FloatLanesScalar b, FloatLanesScalar t,
                                   FloatLanesScalar f)
    {
        FloatLanesScalar r;
        for (int i = 0; i < 4; ++i) r.v[i] = a.v[i] < b.v[i] ? t.v[i] : f.v[i];
        return r;
    }
    // Lanes of t where a == b, else of f.
    friend FloatLanesScalar IfEqual(FloatLanesScalar a, FloatLanesScalar b, FloatLanesScalar t,
                                    FloatLanesScalar f)
    {
        FloatLanesScalar r;
        for (int i = 0; i < 4; ++i) r.v[i] = a.v[i] == b.v[i] ? t.v[i] : f.v[i];
        return r;
    }
    // The float whose bit pattern is a's shifted left by `shift` after adding
    // `add` to it, lane by lane (integer arithmetic on the patterns).
    friend FloatLanesScalar AddShiftBits(FloatLanesScalar a, int32_t add, int shift)
    {
        FloatLanesScalar r;
        for (int i = 0; i < 4; ++i) {
            r.v[i] = FloatFromBits((FloatBits(a.v[i]) + uint32_t(add)) << shift);
        }
        return r;
    }
};

// Two sets of lanes side by side: twice the independent work in each step,
// which hides the latency of long chains of dependent operations.
template <class L>
struct FloatLanesPair {
    static constexpr int kCount = 2 * L::kCount;
    L a, b;

    static FloatLanesPair Load(const float* p) { return {L::Load(p), L::Load(p + L::kCount)}; }
    static FloatLanesPair All(float f) { return {L::All(f), L::All(f)}; }
    void Store(float* p) const { a.Store(p), b.Store(p + L::kCount); }
    void StoreBits(uint32_t* p) const { a.StoreBits(p), b.StoreBits(p + L::kCount); }

    friend FloatLanesPair operator+(FloatLanesPair x, FloatLanesPair y)
    {
        return {x.a + y.a, x.b + y.b};
    }
    friend FloatLanesPair operator-(FloatLanesPair x, FloatLanesPair y)
    {
        return {x.a - y.a, x.b - y.b};
    }
    friend FloatLanesPair operator*(FloatLanesPair x, FloatLanesPair y)
    {
        return {x.a * y.a, x.b * y.b};
    }
    friend FloatLanesPair operator/(FloatLanesPair x, FloatLanesPair y)
    {
        return {x.a / y.a, x.b / y.b};
    }
    friend FloatLanesPair Min(FloatLanesPair x, FloatLanesPair y)
    {
        return {Min(x.a, y.a), Min(x.b, y.b)};
    }
    friend FloatLanesPair Max(FloatLanesPair x, FloatLanesPair y)
    {
        return {Max(x.a, y.a), Max(x.b, y.b)};
    }
    friend FloatLanesPair Sqrt(FloatLanesPair x) { return {Sqrt(x.a), Sqrt(x.b)}; }
    friend FloatLanesPair Abs(FloatLanesPair x) { return {Abs(x.a), Abs(x.b)}; }
    friend FloatLanesPair IfLess(FloatLanesPair x, FloatLanesPair y, FloatLanesPair t,
                                 FloatLanesPair f)
    {
        return {IfLess(x.a, y.a, t.a, f.a), IfLess(x.b, y.b, t.b, f.b)};
    }
    friend FloatLanesPair IfEqual(FloatLanesPair x, FloatLanesPair y, FloatLanesPair t,
                                  FloatLanesPair f)
    {
        return {IfEqual(x.a, y.a, t.a, f.a), IfEqual(x.b, y.b, t.b, f.b)};
    }
    friend FloatLanesPair AddShiftBits(FloatLanesPair x, int32_t add, int shift)
    {
        return {AddShiftBits(x.a, add, shift), AddShiftBits(x.b, add, shift)};
    }
};

#if defined(__SSE2__)
struct FloatLanesSse2 {
    static constexpr int kCount = 4;
    __m128 v;

    static FloatLanesSse2 Load(const float* p) { return {_mm_loadu_ps(p)}; }
    static FloatLanesSse2 All(float f) { return {_mm_set1_ps(f)}; }
    void Store(float* p) const { _mm_storeu_ps(p, v); }
    void StoreBits(uint32_t* p) const
    {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_castps_si128(v));
    }

    friend FloatLanesSse2 operator+(FloatLanesSse2 a, FloatLanesSse2 b)
    {
        return {_mm_add_ps(a.v, b.v)};
    }
    friend FloatLanesSse2 operator-(FloatLanesSse2 a, FloatLanesSse2 b)
    {
        return {_mm_sub_ps(a.v, b.v)};
    }
    friend FloatLanesSse2 operator*(FloatLanesSse2 a, FloatLanesSse2 b)
    {
        return {_mm_mul_ps(a.v, b.v)};
    }
    friend FloatLanesSse2 operator/(FloatLanesSse2 a, FloatLanesSse2 b)
    {
        return {_mm_div_ps(a.v, b.v)};
    }
    friend FloatLanesSse2 Min(FloatLanesSse2 a, FloatLanesSse2 b) { return {_mm_min_ps(a.v, b.v)}; }
    friend FloatLanesSse2 Max(FloatLanesSse2 a, FloatLanesSse2 b) { return {_mm_max_ps(a.v, b.v)}; }
    friend FloatLanesSse2 Sqrt(FloatLanesSse2 a) { return {_mm_sqrt_ps(a.v)}; }
    friend FloatLanesSse2 Abs(FloatLanesSse2 a)
    {
        return {_mm_and_ps(a.v, _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF)))};
    }
    static FloatLanesSse2 Choose(__m128 mask, FloatLanesSse2 t, FloatLanesSse2 f)
    {
        return {_mm_or_ps(_mm_and_ps(mask, t.v), _mm_andnot_ps(mask, f.v))};
    }
    friend FloatLanesSse2 IfLess(FloatLanesSse2 a, FloatLanesSse2 b, FloatLanesSse2 t,
                                 FloatLanesSse2 f)
    {
        return Choose(_mm_cmplt_ps(a.v, b.v), t, f);
    }
    friend FloatLanesSse2 IfEqual(FloatLanesSse2 a, FloatLanesSse2 b, FloatLanesSse2 t,
                                  FloatLanesSse2 f)
    {
        return Choose(_mm_cmpeq_ps(a.v, b.v), t, f);
    }
    friend FloatLanesSse2 AddShiftBits(FloatLanesSse2 a, int32_t add, int shift)
    {
        const __m128i sum = _mm_add_epi32(_mm_castps_si128(a.v), _mm_set1_epi32(add));
        return {_mm_castsi128_ps(_mm_sll_epi32(sum, _mm_cvtsi32_si128(shift)))};
    }
};
using FloatLanes = FloatLanesSse2;
#else
using FloatLanes = FloatLanesScalar;
#endif
