#include "analyser/real_fft.h"

#include <cmath>

#include "analyser/float_lanes.h"
#include "core/compiler_specifics.h"

namespace {

constexpr double kAngleStep = 0.01227184630308513;  // 2 pi / 512
constexpr int kSize = RealFft::kSize;
constexpr int kQuarter = RealFft::kQuarter;

int Reverse9Bits(int v)
{
    int r = 0;
    for (int b = 0; b < 9; ++b) r |= ((v >> b) & 1) << (8 - b);
    return r;
}

// What one butterfly stores: D[m], D[H - m], D[H + m] and D[L - m].
template <typename V>
struct ButterflyOut {
    V atM, atHalfMinusM, atHalfPlusM, atLengthMinusM;
};

// p = S[m], q = S[Q + m], u = S[H + m], v = S[H + Q + m]; the twiddle c + i sn.
template <typename V>
inline ButterflyOut<V> Butterfly(V p, V q, V u, V v, V c, V sn)
{
    const V t1 = u * c - v * sn;
    const V t2 = v * c + u * sn;
    return {p + t1, p - t1, q + t2, t2 - q};
}

// Positions of one float each: the transform as written.
struct ScalarLanes {
    using Value = float;
    static constexpr int kWidth = 1;
    static float Load(const float* p) { return *p; }
    static void Store(float* p, float v) { *p = v; }
    static float Splat(float v) { return v; }
};

#if defined(__SSE2__)
using Float4 = FloatLanesSse2;

// Positions of four floats each, for the first stage and the stages up to
// L = 128, which combine values only inside blocks of 128: lane l of
// position n holds position n of block (0, 2, 1, 3)[l], so that the first
// stage reads four consecutive samples at a bit-reversed index. Every lane is
// rounded exactly as one value at a time.
struct SseLanes {
    using Value = Float4;
    static constexpr int kWidth = 4;
    static Float4 Load(const float* p) { return {_mm_loadu_ps(p)}; }
    static void Store(float* p, Float4 v) { _mm_storeu_ps(p, v.v); }
    static Float4 Splat(float v) { return {_mm_set1_ps(v)}; }
};
#endif

// The first stage, 4-point transforms of the bit-reversed samples
// x[r], x[r + 128], x[r + 256], x[r + 384] in the spectrum layout, for the
// blocks i and i + 1, combined at once by the stage for L = 8 into the
// positions 4 i to 4 i + 7 of d.
template <typename Lanes>
inline void FirstStages(const float* x, const int* reversal, typename Lanes::Value c, float* d,
                        int i)
{
    using V = typename Lanes::Value;
    constexpr int w = Lanes::kWidth;
    V f[8];
    for (int half = 0; half < 2; ++half) {
        const int r = reversal[i + half];
        const V a = Lanes::Load(x + r), b = Lanes::Load(x + r + 256);
        const V cc = Lanes::Load(x + r + 128), dd = Lanes::Load(x + r + 384);
        const V ab = a + b, cd = cc + dd;
        f[4 * half] = ab + cd;
        f[4 * half + 1] = a - b;
        f[4 * half + 2] = ab - cd;
        f[4 * half + 3] = cc - dd;
    }
    float* o = d + 4 * i * w;
    Lanes::Store(o, f[0] + f[4]);
    Lanes::Store(o + 4 * w, f[0] - f[4]);
    Lanes::Store(o + 2 * w, f[2]);
    Lanes::Store(o + 6 * w, f[6]);
    // cos = sin = the square root of one half
    const ButterflyOut<V> y = Butterfly(f[1], f[3], f[5], f[7], c, c);
    Lanes::Store(o + w, y.atM);
    Lanes::Store(o + 3 * w, y.atHalfMinusM);
    Lanes::Store(o + 5 * w, y.atHalfPlusM);
    Lanes::Store(o + 7 * w, y.atLengthMinusM);
}

// Combines pairs of half-length transforms of every block of L positions of
// s into transforms of length L in d. The twiddle cos + i sin of 2 pi m / L is
// read from the quarter-wave table: cosine at m * 512 / L, sine at 128 - that.
template <typename Lanes, int L>
void CombineStage(const float* cosines, const float* s, float* d)
{
    using V = typename Lanes::Value;
    constexpr int w = Lanes::kWidth, kPositions = kSize / w;
    constexpr int H = L / 2, Q = L / 4, kStride = kSize / L;
    for (int b = 0; b < kPositions * w; b += L * w) {
        const V first = Lanes::Load(s + b), middle = Lanes::Load(s + b + H * w);
        Lanes::Store(d + b, first + middle);
        Lanes::Store(d + b + H * w, first - middle);
        Lanes::Store(d + b + Q * w, Lanes::Load(s + b + Q * w));
        Lanes::Store(d + b + (H + Q) * w, Lanes::Load(s + b + (H + Q) * w));
    }
    for (int m = 1; m < Q; ++m) {
        const V c = Lanes::Splat(cosines[m * kStride]);
        const V sn = Lanes::Splat(cosines[kQuarter - m * kStride]);
        for (int b = 0; b < kPositions * w; b += L * w) {
            const float* sb = s + b;
            float* db = d + b;
            const ButterflyOut<V> y =
                Butterfly(Lanes::Load(sb + m * w), Lanes::Load(sb + (Q + m) * w),
                          Lanes::Load(sb + (H + m) * w), Lanes::Load(sb + (H + Q + m) * w), c, sn);
            Lanes::Store(db + m * w, y.atM);
            Lanes::Store(db + (H - m) * w, y.atHalfMinusM);
            Lanes::Store(db + (H + m) * w, y.atHalfPlusM);
            Lanes::Store(db + (L - m) * w, y.atLengthMinusM);
        }
    }
}

// The first stage and the stages up to L = 128: from x into a, then
// alternating between b and a, ending in a.
template <typename Lanes>
void StagesTo128(const float* x, const int* reversal, const float* cosines, float* a, float* b)
{
    const typename Lanes::Value c = Lanes::Splat(cosines[64]);
    for (int i = 0; i < kSize / Lanes::kWidth / 4; i += 2) FirstStages<Lanes>(x, reversal, c, a, i);
    CombineStage<Lanes, 16>(cosines, a, b);
    CombineStage<Lanes, 32>(cosines, b, a);
    CombineStage<Lanes, 64>(cosines, a, b);
    CombineStage<Lanes, 128>(cosines, b, a);
}

#if defined(__SSE2__)
inline __m128 Reversed(__m128 v)
{
    return _mm_shuffle_ps(v, v, _MM_SHUFFLE(0, 1, 2, 3));
}

inline void StoreReversed(float* p, Float4 v)
{
    _mm_storeu_ps(p, Reversed(v.v));
}

// Butterflies m to m + 3 of L = 256 in the lower and the upper half, from
// the interleaved blocks of s, and then the butterflies m to m + 3 and
// 128 - m - 3 to 128 - m of L = 512, which read exactly their results, into out.
inline void LastStagesChunk(const float* cosines, const float* s, float* out, int m)
{
    // Rows of the lanes: a0 = S[m], a1 = S[256 + m], a2 = S[128 + m],
    // a3 = S[384 + m] for the four m, b the same at 64 + m.
    __m128 a0 = _mm_loadu_ps(s + 4 * m), a1 = _mm_loadu_ps(s + 4 * m + 4);
    __m128 a2 = _mm_loadu_ps(s + 4 * m + 8), a3 = _mm_loadu_ps(s + 4 * m + 12);
    _MM_TRANSPOSE4_PS(a0, a1, a2, a3);
    const float* sq = s + 4 * (m + 64);
    __m128 b0 = _mm_loadu_ps(sq), b1 = _mm_loadu_ps(sq + 4);
    __m128 b2 = _mm_loadu_ps(sq + 8), b3 = _mm_loadu_ps(sq + 12);
    _MM_TRANSPOSE4_PS(b0, b1, b2, b3);

    // Twiddles of L = 256: cosines at 2 m, sines at 128 - 2 m.
    const __m128 evenLow = _mm_loadu_ps(cosines + 2 * m);
    const __m128 evenHigh = _mm_loadu_ps(cosines + 2 * m + 4);
    const Float4 c256 = {_mm_shuffle_ps(evenLow, evenHigh, _MM_SHUFFLE(2, 0, 2, 0))};
    const __m128 sineLow = _mm_loadu_ps(cosines + kQuarter - 2 * m - 6);
    const __m128 sineHigh = _mm_loadu_ps(cosines + kQuarter - 2 * m - 2);
    const Float4 s256 = {_mm_shuffle_ps(sineHigh, sineLow, _MM_SHUFFLE(0, 2, 0, 2))};
    const ButterflyOut<Float4> lower = Butterfly<Float4>({a0}, {b0}, {a2}, {b2}, c256, s256);
    const ButterflyOut<Float4> upper = Butterfly<Float4>({a1}, {b1}, {a3}, {b3}, c256, s256);

    // Twiddles of L = 512: cosines at m, sines at 128 - m; for 128 - m the
    // other way round.
    const Float4 c512 = {_mm_loadu_ps(cosines + m)};
    const Float4 s512 = {Reversed(_mm_loadu_ps(cosines + kQuarter - m - 3))};
    const ButterflyOut<Float4> low =
        Butterfly(lower.atM, lower.atHalfPlusM, upper.atM, upper.atHalfPlusM, c512, s512);
    _mm_storeu_ps(out + m, low.atM.v);
    StoreReversed(out + 256 - m - 3, low.atHalfMinusM);
    _mm_storeu_ps(out + 256 + m, low.atHalfPlusM.v);
    StoreReversed(out + 512 - m - 3, low.atLengthMinusM);
    const ButterflyOut<Float4> high =
        Butterfly(lower.atHalfMinusM, lower.atLengthMinusM, upper.atHalfMinusM,
                  upper.atLengthMinusM, s512, c512);
    StoreReversed(out + 128 - m - 3, high.atM);
    _mm_storeu_ps(out + 128 + m, high.atHalfMinusM.v);
    StoreReversed(out + 384 - m - 3, high.atHalfPlusM);
    _mm_storeu_ps(out + 384 + m, high.atLengthMinusM.v);
}

// The stages for L = 256 and 512 at once, from the interleaved blocks of s
// into the spectrum layout in out.
void LastStages(const float* cosines, const float* s, float* out)
{
    // Positions 0 and 64 of the four blocks: S[0], S[256], S[128], S[384]
    // and S[64], S[320], S[192], S[448] of the stage for L = 256.
    const float first0 = s[0] + s[2], middle0 = s[0] - s[2];
    const float first1 = s[1] + s[3], middle1 = s[1] - s[3];
    out[0] = first0 + first1;
    out[256] = first0 - first1;
    out[128] = middle0;
    out[384] = middle1;
    const ButterflyOut<float> y =
        Butterfly(s[256], s[258], s[257], s[259], cosines[64], cosines[64]);
    out[64] = y.atM;
    out[192] = y.atHalfMinusM;
    out[320] = y.atHalfPlusM;
    out[448] = y.atLengthMinusM;
    // m = 1 to 63 in chunks of four; the last one starts at 60, overlapping
    // the one before (it stores the same values again).
    for (int m = 1; m < 64; m += 4) LastStagesChunk(cosines, s, out, m < 60 ? m : 60);
}
#endif

}  // namespace

RealFft::RealFft()
{
    if (!mWork.Allocate(kSize) || !mBitReversal.Allocate(kQuarter) ||
        !mCosines.Allocate(kQuarter)) {
        Release();
        return;
    }
    mCosines.data[0] = 1.0f;
    for (int i = 1; i < kQuarter; ++i) {
        mBitReversal.data[i] = Reverse9Bits(4 * i);
        mCosines.data[i] = float(std::cos(static_cast<long double>(i) * kAngleStep));
    }
}

void RealFft::Release()
{
    mCosines.Release();
    mBitReversal.Release();
    mWork.Release();
}

// The vector path runs the stages up to L = 128 into the work buffer and the
// last two from there into out.
void RealFft::Transform(const float* x, float* out)
{
#if defined(__SSE2__)
    if (!mWork.data) return;
    StagesTo128<SseLanes>(x, mBitReversal.data, mCosines.data, mWork.data, out);
    LastStages(mCosines.data, mWork.data, out);
#else
    TransformScalar(x, out);
#endif
}

void RealFft::TransformScalar(const float* x, float* out)
{
    if (!mWork.data) return;
    StagesTo128<ScalarLanes>(x, mBitReversal.data, mCosines.data, out, mWork.data);
    CombineStage<ScalarLanes, 256>(mCosines.data, out, mWork.data);
    CombineStage<ScalarLanes, 512>(mCosines.data, mWork.data, out);
}
