#pragma once

// Helpers shared by the raster tests: a random source, a bitmap inside a
// guard band, the reference combine and a digest.

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/bitmap.h"
#include "raster/pixel.h"
#include "reference.h"

namespace raster_test {

constexpr int kGuard = 3;
constexpr uint32_t kGuardWord = 0xDEADBEEF;

// The bits of a word that Lcg::Range reduces: the top 24, or the whole word
// (the streams of the line tests).
enum class RangeBits { Top24, Whole };

struct Lcg {
    uint32_t state;
    RangeBits rangeBits = RangeBits::Top24;
    uint32_t Next() { return state = state * 1664525u + 1013904223u; }
    // In [lo, hi].
    int Range(int lo, int hi)
    {
        const uint32_t word = rangeBits == RangeBits::Whole ? Next() : Next() >> 8;
        return lo + int(word % uint32_t(hi - lo + 1));
    }
    // In [0, n).
    int Below(int n) { return Range(0, n - 1); }
    // In [0, 1), and in [lo, hi).
    float Unit() { return float(Next() >> 8) / 16777216.0f; }
    float Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }
    // Alpha bytes 0 and 255 often, so that the skip and opaque paths run.
    uint32_t Pixel()
    {
        const uint32_t v = Next();
        const uint32_t a = (v >> 29) == 0 ? 0u : (v >> 29) == 1 ? 255u : (Next() >> 24);
        return (v & 0xFFFFFFu) | a << 24;
    }
    // Coverage 0 and 255 often, so that the skip and full paths run.
    uint8_t Coverage()
    {
        const uint32_t v = Next() >> 29;
        return v < 2 ? 0 : v == 2 ? 255 : uint8_t(Next() >> 24);
    }
};

// A bitmap inside a guard band of kGuard pixels on every side, top-down or
// bottom-up.
class GuardedBitmap : public PIX_IBitmap {
public:
    // Pixels from Lcg::Pixel in a band of kGuardWord; the rows are padded
    // further.
    GuardedBitmap(int width, int height, bool bottomUp, Lcg& rng, bool nullPixels = false)
        : GuardedBitmap(width, height, bottomUp, nullPixels)
    {
        Fill([&] { return rng.Pixel(); });
    }
    // Every word, band included, from Lcg::Next in memory order; the rows are
    // not padded. A copy of Words(), not GuardIntact, tells that the band held.
    static GuardedBitmap Noise(int width, int height, bool bottomUp, Lcg& rng,
                               bool nullPixels = false)
    {
        GuardedBitmap bitmap(width, height, bottomUp, nullPixels, 0);
        for (uint32_t& word : bitmap.mWords) word = rng.Next();
        return bitmap;
    }
    PIX_PackedColor* PixelData() const override
    {
        return mNullPixels ? nullptr
                           : const_cast<uint32_t*>(&mWords[size_t(kGuard) * mStride + kGuard]);
    }
    int PixelWidth() const override { return mWidth; }
    int PixelHeight() const override { return mHeight; }
    int RowStride() const override { return mStride; }
    bool IsBottomUp() const override { return mBottomUp; }
    bool SetSize(int, int) override { return false; }

    // Pixel (x, y) of the picture, whatever the row order.
    uint32_t& At(int x, int y) { return Memory(x, mBottomUp ? mHeight - 1 - y : y); }
    // Pixel x of memory row y.
    uint32_t& Memory(int x, int y) { return mWords[size_t(kGuard + y) * mStride + kGuard + x]; }
    bool GuardIntact() const
    {
        for (size_t i = 0; i < mWords.size(); ++i) {
            const int row = int(i / mStride) - kGuard, column = int(i % mStride) - kGuard;
            const bool inside = row >= 0 && row < mHeight && column >= 0 && column < mWidth;
            if (!inside && mWords[i] != kGuardWord) return false;
        }
        return true;
    }
    std::vector<uint32_t> Pixels()
    {
        std::vector<uint32_t> v;
        for (int y = 0; y < mHeight; ++y)
            for (int x = 0; x < mWidth; ++x) v.push_back(At(x, y));
        return v;
    }
    // Every word, band and padding included, in memory order.
    std::vector<uint32_t>& Words() { return mWords; }
    const std::vector<uint32_t>& Words() const { return mWords; }

protected:
    // Guard words only, each row rowPadding words past the band; the picture
    // is left to Fill.
    GuardedBitmap(int width, int height, bool bottomUp, bool nullPixels, int rowPadding = 1)
        : mWidth(width),
          mHeight(height),
          mStride(width + 2 * kGuard + rowPadding),
          mBottomUp(bottomUp),
          mNullPixels(nullPixels),
          mWords(size_t(mStride) * size_t(height + 2 * kGuard), kGuardWord)
    {
    }
    // The picture from next(), row by row from the top.
    template <class Next>
    void Fill(Next next)
    {
        for (int y = 0; y < mHeight; ++y)
            for (int x = 0; x < mWidth; ++x) At(x, y) = next();
    }

private:
    int mWidth, mHeight, mStride;
    bool mBottomUp, mNullPixels;
    std::vector<uint32_t> mWords;
};

// A picture of one word, zero by default, in a guard band.
inline GuardedBitmap Filled(int width, int height, bool bottomUp = false, uint32_t word = 0)
{
    Lcg rng{1};
    GuardedBitmap b(width, height, bottomUp, rng);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) b.At(x, y) = word;
    return b;
}

inline uint32_t Channel(uint32_t v, int k)
{
    return (v >> (8 * k)) & 255;
}

// Truncated toward zero, saturated to the int range; NaN gives 0.
inline int64_t TruncSaturated(double v)
{
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return INT_MAX;
    if (v <= -2147483648.0) return INT_MIN;
    return int64_t(v);
}

inline int64_t Weight(float alpha)
{
    return int64_t(std::trunc(double(alpha * 256.0f)));
}

// The destination word d after combining the source word s by the operation
// and source-alpha flag of mode at weight w (w != 0), from the formulas'
// definition; a plain copy at a negative weight leaves d.
inline uint32_t RefCombine(uint32_t d, uint32_t s, PIX_CombineMode mode, int64_t w)
{
    using Formula = int64_t (*)(int64_t, int64_t, int64_t);
    const int64_t a = Channel(s, 3);
    uint8_t p[4] = {uint8_t(d), uint8_t(d >> 8), uint8_t(d >> 16), uint8_t(d >> 24)};
    auto channels = [&](Formula f, int64_t weight) {
        for (int k = 0; k < 4; ++k) p[k] = uint8_t(f(p[k], Channel(s, k), weight));
    };
    const int64_t e = ref::EffectiveWeight(w, a);
    switch (mode & 0x100FF) {
        case 0:
            if (w > 0) channels(ref::Copy, w);
            break;
        case 1:
            channels(ref::Add, w);
            break;
        case 2:
            channels(ref::Dodge, w);
            break;
        case 3:
            channels(ref::Multiply, w);
            break;
        case 4:
            channels(ref::SoftLight, w);
            break;
        case 5:
            ref::HsvShift(p, Channel(s, 2), Channel(s, 1), Channel(s, 0), a, w);
            break;
        case 0x10000:
            if (a == 0) break;
            for (int k = 0; k < 3; ++k)
                p[k] = uint8_t(w == 256
                                   ? Channel(s, k) +
                                         ref::Div((p[k] - int64_t(Channel(s, k))) * (255 - a), 256)
                                   : ref::Copy(p[k], Channel(s, k), e));
            p[3] = uint8_t(ref::Min255(p[3] + (w == 256 ? a : e)));
            break;
        case 0x10001:
            if (a != 0) channels(ref::Add, e);
            break;
        case 0x10002:
            channels(ref::Dodge, e);
            break;
        case 0x10003:
            if (a != 0) channels(ref::Multiply, e);
            break;
        case 0x10004:
            channels(ref::SoftLight, e);
            break;
        case 0x10005:
            ref::HsvShift(p, Channel(s, 2), Channel(s, 1), Channel(s, 0), a, e);
            break;
        default:
            break;
    }
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The pixel d after a combine of s at weight w by a family with whole-word
// copies at 256, 128, 64 and 192 and no source-alpha forms: those mixes, the
// reference combine otherwise; weight 0, a negative copy and operations past
// 5 leave d.
inline uint32_t RefWordCombine(uint32_t d, uint32_t s, PIX_CombineMode mode, int64_t w)
{
    const uint32_t op = mode & 0xFF;
    if (w == 0 || op > 5 || (op == 0 && w < 0)) return d;
    if (op == 0 && (w == 256 || w == 128 || w == 64 || w == 192)) {
        uint32_t out = 0;
        for (int k = 0; k < 4; ++k) {
            const uint32_t dk = Channel(d, k), sk = Channel(s, k);
            const uint32_t v = w == 256   ? sk
                               : w == 128 ? (sk >> 1) + (dk >> 1)
                               : w == 64  ? (dk >> 1) + (dk >> 2) + (sk >> 2)
                                          : (sk >> 1) + (sk >> 2) + (dk >> 2);
            out |= v << (8 * k);
        }
        return out;
    }
    return RefCombine(d, s, op, w);
}

// The bilinear sample of src at pixel (sx, sy) with 16-bit fractions (fx, fy)
// inside a source that ends at column right and row bottom: the last column
// and row take no neighbour beyond them.
inline uint32_t RefBilinear(GuardedBitmap& src, int64_t sx, int64_t sy, int64_t fx, int64_t fy,
                            int64_t right, int64_t bottom)
{
    auto at = [&](int64_t px, int64_t py, int k) {
        return int64_t(Channel(src.At(int(px), int(py)), k));
    };
    const bool lastColumn = sx == right - 1, lastRow = sy == bottom - 1;
    const int64_t cxy = (fx * fy) >> 16;
    uint32_t colour = 0;
    for (int k = 0; k < 4; ++k) {
        int64_t v;
        if (!lastColumn && !lastRow)
            v = ((65536 - fx - fy + cxy) * at(sx, sy, k) + (fx - cxy) * at(sx + 1, sy, k) +
                 (fy - cxy) * at(sx, sy + 1, k) + cxy * at(sx + 1, sy + 1, k)) >>
                16;
        else if (!lastColumn)
            v = ((65536 - fx) * at(sx, sy, k) + fx * at(sx + 1, sy, k)) >> 16;
        else if (!lastRow)
            v = ((65536 - fy) * at(sx, sy, k) + fy * at(sx, sy + 1, k)) >> 16;
        else
            v = at(sx, sy, k);
        colour |= uint32_t(v) << (8 * k);
    }
    return colour;
}

// FNV-1a over 32-bit words.
struct Digest {
    uint64_t value = 14695981039346656037ull;
    void Add(uint32_t word)
    {
        for (int i = 0; i < 4; ++i) value = (value ^ ((word >> (8 * i)) & 255)) * 1099511628211ull;
    }
};

inline uint64_t DigestOf(const std::vector<uint32_t>& words)
{
    Digest digest;
    for (uint32_t word : words) digest.Add(word);
    return digest.value;
}

// A bitmap that reports a row stride other than its own.
class MisreportedStride : public GuardedBitmap {
public:
    MisreportedStride(const GuardedBitmap& bitmap, int stride)
        : GuardedBitmap(bitmap), mStride(stride)
    {
    }
    int RowStride() const override { return mStride; }

private:
    int mStride;
};

// The digest of a bitmap's pixels from (left, top) to (right, bottom),
// exclusive, row by row.
inline uint64_t DigestOfArea(const PIX_IBitmap& bitmap, int left, int top, int right, int bottom)
{
    Digest digest;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            digest.Add(bitmap.PixelData()[y * bitmap.RowStride() + x]);
    return digest.value;
}

}  // namespace raster_test
