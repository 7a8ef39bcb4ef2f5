#include "analyser/real_fft.h"

#include <cmath>

#include "core/compiler_specifics.h"

namespace {

constexpr double kAngleStep = 0.01227184630308513;  // 2 pi / 512

int Reverse9Bits(int v)
{
    int r = 0;
    for (int b = 0; b < 9; ++b) r |= ((v >> b) & 1) << (8 - b);
    return r;
}

inline void Butterfly(float c, float sn, const float* s, float* d, int m, int H, int Q, int L)
{
    const float p = s[m], q = s[Q + m], u = s[H + m], v = s[H + Q + m];
    const float t1 = u * c - v * sn;
    const float t2 = v * c + u * sn;
    d[m] = p + t1;
    d[H - m] = p - t1;
    d[H + m] = q + t2;
    d[L - m] = t2 - q;
}

// Butterflies 1 to Q - 1 of every block of L values, one at a time.
struct ScalarButterflies {
    template <int L>
    static void Run(const float* cosines, const float* s, float* d)
    {
        constexpr int H = L / 2, Q = L / 4, kStride = RealFft::kSize / L;
        for (int m = 1; m < Q; ++m) {
            const float c = cosines[m * kStride], sn = cosines[RealFft::kQuarter - m * kStride];
            for (int b = 0; b < RealFft::kSize; b += L) Butterfly(c, sn, s + b, d + b, m, H, Q, L);
        }
    }
};

#if defined(__SSE2__)
inline __m128 Reversed(__m128 v)
{
    return _mm_shuffle_ps(v, v, _MM_SHUFFLE(0, 1, 2, 3));
}

// Butterflies m to m + 3 of every block, four at a time; each value is
// rounded exactly as one at a time.
template <int L>
void ButterflyChunk(const float* cosines, const float* s, float* d, int m)
{
    constexpr int H = L / 2, Q = L / 4, kStride = RealFft::kSize / L, kQuarter = RealFft::kQuarter;
    const __m128 c = _mm_setr_ps(cosines[m * kStride], cosines[(m + 1) * kStride],
                                 cosines[(m + 2) * kStride], cosines[(m + 3) * kStride]);
    const __m128 sn =
        _mm_setr_ps(cosines[kQuarter - m * kStride], cosines[kQuarter - (m + 1) * kStride],
                    cosines[kQuarter - (m + 2) * kStride], cosines[kQuarter - (m + 3) * kStride]);
    for (int b = 0; b < RealFft::kSize; b += L) {
        const float* sb = s + b;
        float* db = d + b;
        const __m128 p = _mm_loadu_ps(sb + m), q = _mm_loadu_ps(sb + Q + m);
        const __m128 u = _mm_loadu_ps(sb + H + m), v = _mm_loadu_ps(sb + H + Q + m);
        const __m128 t1 = _mm_sub_ps(_mm_mul_ps(u, c), _mm_mul_ps(v, sn));
        const __m128 t2 = _mm_add_ps(_mm_mul_ps(v, c), _mm_mul_ps(u, sn));
        _mm_storeu_ps(db + m, _mm_add_ps(p, t1));
        _mm_storeu_ps(db + H - m - 3, Reversed(_mm_sub_ps(p, t1)));
        _mm_storeu_ps(db + H + m, _mm_add_ps(q, t2));
        _mm_storeu_ps(db + L - m - 3, Reversed(_mm_sub_ps(t2, q)));
    }
}

// The same butterflies, four at a time where a block has eight or more.
struct SseButterflies {
    template <int L>
    static void Run(const float* cosines, const float* s, float* d)
    {
        constexpr int Q = L / 4;
        if constexpr (Q >= 8) {
            // Q - 1 butterflies: chunks of four from m = 1, then the last three
            // with one recomputed (it stores the same values again).
            for (int m = 1; m + 3 < Q; m += 4) ButterflyChunk<L>(cosines, s, d, m);
            ButterflyChunk<L>(cosines, s, d, Q - 4);
        } else {
            ScalarButterflies::Run<L>(cosines, s, d);
        }
    }
};
#endif

// Combines pairs of half-length transforms of every block of L values of s
// into transforms of length L in d. The twiddle cos + i sin of 2 pi m / L is
// read from the quarter-wave table: cosine at m * 512 / L, sine at 128 - that.
template <typename Butterflies, int L>
void CombineStage(const float* cosines, const float* s, float* d)
{
    constexpr int H = L / 2, Q = L / 4;
    for (int b = 0; b < RealFft::kSize; b += L) {
        d[b] = s[b] + s[b + H];
        d[b + H] = s[b] - s[b + H];
        d[b + Q] = s[b + Q];
        d[b + H + Q] = s[b + H + Q];
    }
    Butterflies::template Run<L>(cosines, s, d);
}

// The first stage, 4-point transforms of the bit-reversed samples
// x[r], x[r + 128], x[r + 256], x[r + 384] in the spectrum layout, for the
// blocks i and i + 1, combined at once by the stage for L = 8 into d.
inline void FirstStages(const float* x, const int* reversal, float c, float* d, int i)
{
    float w[8];
    for (int half = 0; half < 2; ++half) {
        const int r = reversal[i + half];
        const float a = x[r], b = x[r + 256], cc = x[r + 128], dd = x[r + 384];
        const float ab = a + b, cd = cc + dd;
        w[4 * half] = ab + cd;
        w[4 * half + 1] = a - b;
        w[4 * half + 2] = ab - cd;
        w[4 * half + 3] = cc - dd;
    }
    d[0] = w[0] + w[4];
    d[4] = w[0] - w[4];
    d[2] = w[2];
    d[6] = w[6];
    Butterfly(c, c, w, d, 1, 4, 2, 8);  // cos = sin = the square root of one half
}

// The first stage and the stage for L = 8 go from x to out; then the stages
// alternate between the work buffer w and out, ending in out.
template <typename Butterflies>
void RunStages(const float* x, const int* reversal, const float* cosines, float* w, float* out)
{
    for (int i = 0; i < RealFft::kQuarter; i += 2)
        FirstStages(x, reversal, cosines[64], out + 4 * i, i);
    CombineStage<Butterflies, 16>(cosines, out, w);
    CombineStage<Butterflies, 32>(cosines, w, out);
    CombineStage<Butterflies, 64>(cosines, out, w);
    CombineStage<Butterflies, 128>(cosines, w, out);
    CombineStage<Butterflies, 256>(cosines, out, w);
    CombineStage<Butterflies, 512>(cosines, w, out);
}

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

void RealFft::Transform(const float* x, float* out)
{
#if defined(__SSE2__)
    if (!mWork.data) return;
    RunStages<SseButterflies>(x, mBitReversal.data, mCosines.data, mWork.data, out);
#else
    TransformScalar(x, out);
#endif
}

void RealFft::TransformScalar(const float* x, float* out)
{
    if (!mWork.data) return;
    RunStages<ScalarButterflies>(x, mBitReversal.data, mCosines.data, mWork.data, out);
}
