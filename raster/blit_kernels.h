#pragma once

// The kernels of the copy and stretch blits. Each family is one loop
// template over a pixel operation of pixel_kernels.h, so the combine mode is
// chosen once per call and never tested per pixel; the named kernels are
// instantiations of these templates.
//
// Pointers address the first pixel to walk; row steps are in bytes and
// negative for a bottom-up bitmap. Scaled positions are 16.16 fixed point.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "raster/pixel.h"
#include "raster/pixel_kernels.h"

using PIX_BlitKernelFn = void (*)(uint8_t* dest, const uint8_t* src, int width, int height,
                                  ptrdiff_t srcStep, ptrdiff_t destStep, int weight);
// The opaque source-alpha kernel takes no weight.
using PIX_BlitKernelOpaqueFn = void (*)(uint8_t* dest, const uint8_t* src, int width, int height,
                                        ptrdiff_t srcStep, ptrdiff_t destStep);
// src addresses source row 0 in walking order; right and bottom are the
// exclusive source limits; filter is the mode's filter field.
using PIX_StretchKernelFn = void (*)(uint8_t* dest, const uint8_t* src, int destWidth,
                                     int destHeight, int x0, int y0, int dx, int dy, int right,
                                     int bottom, ptrdiff_t srcStep, ptrdiff_t destStep, int weight,
                                     int filter);
// In addition: an n x n weight table (row-major, 65536 = 1.0) whose first
// row and column lie at offset from the sampled pixel.
using PIX_ShrinkKernelFn = void (*)(uint8_t* dest, const uint8_t* src, int destWidth,
                                    int destHeight, int x0, int y0, int dx, int dy, int right,
                                    int bottom, ptrdiff_t srcStep, ptrdiff_t destStep, int weight,
                                    const int* table, int offset, int n);

// One-to-one: every source pixel combined into its destination pixel.
template <class Op>
void PIX_BlitKernel(uint8_t* dest, const uint8_t* src, int width, int height, ptrdiff_t srcStep,
                    ptrdiff_t destStep, int weight)
{
    for (int y = 0; y < height; ++y, dest += destStep, src += srcStep) {
        uint8_t* d = dest;
        const uint8_t* s = src;
        for (int x = 0; x < width; ++x, d += 4, s += 4)
            Op::Apply(d, s[2], s[1], s[0], s[3], weight);
    }
}

// Full weight, for a pixel operation that stores a source pixel of alpha 255
// unchanged (copy with source alpha): such pixels are stored as whole words.
template <class Op>
void PIX_BlitKernelOpaque(uint8_t* dest, const uint8_t* src, int width, int height,
                          ptrdiff_t srcStep, ptrdiff_t destStep)
{
    for (int y = 0; y < height; ++y, dest += destStep, src += srcStep) {
        uint8_t* d = dest;
        const uint8_t* s = src;
        for (int x = 0; x < width; ++x, d += 4, s += 4) {
            if (s[3] == 255)
                std::memcpy(d, s, 4);
            else
                Op::Apply(d, s[2], s[1], s[0], s[3], 256);
        }
    }
}

namespace PIX_BlitDetail {

inline uint32_t Load(const uint8_t* p)
{
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void Store(uint8_t* p, uint32_t v)
{
    std::memcpy(p, &v, 4);
}
// The whole-word copy at full weight: the source word.
inline PIX_PackedColor MixOpaque(PIX_PackedColor s, PIX_PackedColor)
{
    return s;
}

// Integer part and fraction of a 16.16 position; the integer part truncates
// toward zero.
inline int64_t Whole(int64_t position)
{
    return position / 65536;
}
inline int Fraction(int64_t position)
{
    return int(position & 0xFFFF);
}

// p x (65536 - f) + q x f, shifted down, on each channel of the pixels p and q.
inline void Mix2(int* c, const uint8_t* p, const uint8_t* q, int f)
{
    const uint32_t keep = 65536u - uint32_t(f), take = uint32_t(f);
    for (int i = 0; i < 4; ++i) c[i] = int((p[i] * keep + q[i] * take) >> 16);
}

// Walks the destination rows and columns; sample(row position, column
// position, destination pixel) handles one pixel.
template <class Sample>
void WalkScaled(uint8_t* dest, int destWidth, int destHeight, int x0, int y0, int dx, int dy,
                ptrdiff_t destStep, Sample sample)
{
    int64_t y = y0;
    for (int i = 0; i < destHeight; ++i, y += dy, dest += destStep) {
        int64_t x = x0;
        uint8_t* d = dest;
        for (int j = 0; j < destWidth; ++j, x += dx, d += 4) sample(y, x, d);
    }
}

// Walks the destination and hands visit(destination pixel, source pixel) the
// nearest source sample of each pixel that lands inside the source limits.
template <class Visit>
void WalkNearest(uint8_t* dest, const uint8_t* src, int destWidth, int destHeight, int x0, int y0,
                 int dx, int dy, int right, int bottom, ptrdiff_t srcStep, ptrdiff_t destStep,
                 Visit visit)
{
    int64_t y = y0;
    for (int i = 0; i < destHeight; ++i, y += dy, dest += destStep) {
        const int64_t sy = Whole(y);
        if (sy < 0 || sy >= bottom) continue;
        const uint8_t* row = src + sy * srcStep;
        int64_t x = x0;
        uint8_t* d = dest;
        for (int j = 0; j < destWidth; ++j, x += dx, d += 4) {
            const int64_t sx = Whole(x);
            if (sx < 0 || sx >= right) continue;
            visit(d, row + 4 * sx);
        }
    }
}

template <class Op>
void StretchNearest(uint8_t* dest, const uint8_t* src, int destWidth, int destHeight, int x0,
                    int y0, int dx, int dy, int right, int bottom, ptrdiff_t srcStep,
                    ptrdiff_t destStep, int weight)
{
    WalkNearest(
        dest, src, destWidth, destHeight, x0, y0, dx, dy, right, bottom, srcStep, destStep,
        [weight](uint8_t* d, const uint8_t* s) { Op::Apply(d, s[2], s[1], s[0], s[3], weight); });
}

template <class Op>
void StretchBilinear(uint8_t* dest, const uint8_t* src, int destWidth, int destHeight, int x0,
                     int y0, int dx, int dy, int right, int bottom, ptrdiff_t srcStep,
                     ptrdiff_t destStep, int weight)
{
    int64_t y = y0;
    for (int i = 0; i < destHeight; ++i, y += dy, dest += destStep) {
        const int64_t sy = Whole(y);
        if (sy < 0 || sy > bottom - 1) continue;
        const int fy = Fraction(y);
        const bool lastRow = sy == bottom - 1;
        const uint8_t* row = src + sy * srcStep;
        int64_t x = x0;
        uint8_t* d = dest;
        for (int j = 0; j < destWidth; ++j, x += dx, d += 4) {
            const int64_t sx = Whole(x);
            if (sx < 0 || sx > right - 1) continue;
            const int fx = Fraction(x);
            const uint8_t* p = row + 4 * sx;
            int c[4];  // blue, green, red, alpha
            if (sx < right - 1) {
                if (!lastRow)
                    PIX_BilinearMix4(&c[2], &c[1], &c[0], &c[3], p, p + srcStep, fx, fy);
                else
                    Mix2(c, p, p + 4, fx);
            } else if (!lastRow) {
                Mix2(c, p, p + srcStep, fy);
            } else {
                for (int k = 0; k < 4; ++k) c[k] = p[k];
            }
            Op::Apply(d, c[2], c[1], c[0], c[3], weight);
        }
    }
}

}  // namespace PIX_BlitDetail

// Scaled: nearest sampling, or bilinear when the filter field is 0x100.
template <class Op>
void PIX_StretchKernel(uint8_t* dest, const uint8_t* src, int destWidth, int destHeight, int x0,
                       int y0, int dx, int dy, int right, int bottom, ptrdiff_t srcStep,
                       ptrdiff_t destStep, int weight, int filter)
{
    if (filter == int(PIX_CombineBilinear))
        PIX_BlitDetail::StretchBilinear<Op>(dest, src, destWidth, destHeight, x0, y0, dx, dy, right,
                                            bottom, srcStep, destStep, weight);
    else
        PIX_BlitDetail::StretchNearest<Op>(dest, src, destWidth, destHeight, x0, y0, dx, dy, right,
                                           bottom, srcStep, destStep, weight);
}

// Unfiltered scaled copy by whole words: Mix(source word, destination word).
template <PIX_PackedColor (*Mix)(PIX_PackedColor, PIX_PackedColor)>
void PIX_StretchNearestKernel(uint8_t* dest, const uint8_t* src, int destWidth, int destHeight,
                              int x0, int y0, int dx, int dy, int right, int bottom,
                              ptrdiff_t srcStep, ptrdiff_t destStep, int, int)
{
    using namespace PIX_BlitDetail;
    WalkNearest(dest, src, destWidth, destHeight, x0, y0, dx, dy, right, bottom, srcStep, destStep,
                [](uint8_t* d, const uint8_t* s) { Store(d, Mix(Load(s), Load(d))); });
}

// Filtered reduction: the weighted average of the n x n neighbourhood of the
// sampled pixel, source pixels outside the limits left out.
template <class Op>
void PIX_ShrinkKernel(uint8_t* dest, const uint8_t* src, int destWidth, int destHeight, int x0,
                      int y0, int dx, int dy, int right, int bottom, ptrdiff_t srcStep,
                      ptrdiff_t destStep, int weight, const int* table, int offset, int n)
{
    using namespace PIX_BlitDetail;
    WalkScaled(dest, destWidth, destHeight, x0, y0, dx, dy, destStep,
               [&](int64_t y, int64_t x, uint8_t* d) {
                   const int64_t sx = Whole(x), sy = Whole(y);
                   if (sx < 0 || sx >= right || sy < 0 || sy >= bottom) return;
                   int64_t sum[4] = {0, 0, 0, 0}, total = 0;
                   for (int r = 0; r < n; ++r) {
                       const int64_t py = sy + offset + r;
                       if (py >= bottom) break;
                       if (py < 0) continue;
                       const uint8_t* row = src + py * srcStep;
                       for (int c = 0; c < n; ++c) {
                           const int64_t px = sx + offset + c;
                           if (px < 0 || px >= right) continue;
                           const int64_t cell = table[r * n + c];
                           const uint8_t* p = row + 4 * px;
                           for (int k = 0; k < 4; ++k) sum[k] += p[k] * cell;
                           total += cell;
                       }
                   }
                   if (total <= 0) return;
                   Op::Apply(d, int(sum[2] / total), int(sum[1] / total), int(sum[0] / total),
                             int(sum[3] / total), weight);
               });
}

// The named kernels.
// clang-format off
inline constexpr PIX_BlitKernelFn PIX_BlitKernelCopy = PIX_BlitKernel<PIX_WrapOp::Copy>;
inline constexpr PIX_BlitKernelFn PIX_BlitKernelAdd = PIX_BlitKernel<PIX_WrapOp::Add>;
inline constexpr PIX_BlitKernelFn PIX_BlitKernelDodge = PIX_BlitKernel<PIX_WrapOp::Dodge>;
inline constexpr PIX_BlitKernelFn PIX_BlitKernelMultiply = PIX_BlitKernel<PIX_WrapOp::Multiply>;
inline constexpr PIX_BlitKernelFn PIX_BlitKernelSoftLight = PIX_BlitKernel<PIX_WrapOp::SoftLight>;
inline constexpr PIX_BlitKernelFn PIX_BlitKernelHsvShift = PIX_BlitKernel<PIX_WrapOp::HsvShift>;
inline constexpr PIX_BlitKernelOpaqueFn PIX_BlitKernelCopySourceAlphaOpaque = PIX_BlitKernelOpaque<PIX_WrapOp::CopySourceAlphaOpaque>;
inline constexpr PIX_BlitKernelFn PIX_BlitKernelCopySourceAlpha = PIX_BlitKernel<PIX_WrapOp::CopySourceAlpha>;
inline constexpr PIX_BlitKernelFn PIX_BlitKernelAddSourceAlpha = PIX_BlitKernel<PIX_WrapOp::AddSourceAlpha>;
inline constexpr PIX_BlitKernelFn PIX_BlitKernelDodgeSourceAlpha = PIX_BlitKernel<PIX_WrapOp::DodgeSourceAlpha>;
inline constexpr PIX_BlitKernelFn PIX_BlitKernelMultiplySourceAlpha = PIX_BlitKernel<PIX_WrapOp::MultiplySourceAlpha>;
inline constexpr PIX_BlitKernelFn PIX_BlitKernelSoftLightSourceAlpha = PIX_BlitKernel<PIX_WrapOp::SoftLightSourceAlpha>;
inline constexpr PIX_BlitKernelFn PIX_BlitKernelHsvShiftSourceAlpha = PIX_BlitKernel<PIX_WrapOp::HsvShiftSourceAlpha>;

inline constexpr PIX_StretchKernelFn PIX_StretchNearestKernelCopyOpaque = PIX_StretchNearestKernel<PIX_BlitDetail::MixOpaque>;
inline constexpr PIX_StretchKernelFn PIX_StretchNearestKernelCopyHalf = PIX_StretchNearestKernel<PIX_MixHalf>;
inline constexpr PIX_StretchKernelFn PIX_StretchKernelCopyOpaque = PIX_StretchKernel<PIX_WrapOp::CopyOpaque>;
inline constexpr PIX_StretchKernelFn PIX_StretchKernelCopy = PIX_StretchKernel<PIX_WrapOp::Copy>;
inline constexpr PIX_StretchKernelFn PIX_StretchKernelAdd = PIX_StretchKernel<PIX_WrapOp::Add>;
inline constexpr PIX_StretchKernelFn PIX_StretchKernelDodge = PIX_StretchKernel<PIX_WrapOp::Dodge>;
inline constexpr PIX_StretchKernelFn PIX_StretchKernelMultiply = PIX_StretchKernel<PIX_WrapOp::Multiply>;
inline constexpr PIX_StretchKernelFn PIX_StretchKernelSoftLight = PIX_StretchKernel<PIX_WrapOp::SoftLight>;
inline constexpr PIX_StretchKernelFn PIX_StretchKernelHsvShift = PIX_StretchKernel<PIX_WrapOp::HsvShift>;
inline constexpr PIX_StretchKernelFn PIX_StretchKernelCopySourceAlphaOpaque = PIX_StretchKernel<PIX_WrapOp::CopySourceAlphaOpaque>;
inline constexpr PIX_StretchKernelFn PIX_StretchKernelCopySourceAlpha = PIX_StretchKernel<PIX_WrapOp::CopySourceAlpha>;
inline constexpr PIX_StretchKernelFn PIX_StretchKernelAddSourceAlpha = PIX_StretchKernel<PIX_WrapOp::AddSourceAlpha>;
inline constexpr PIX_StretchKernelFn PIX_StretchKernelDodgeSourceAlpha = PIX_StretchKernel<PIX_WrapOp::DodgeSourceAlpha>;
inline constexpr PIX_StretchKernelFn PIX_StretchKernelMultiplySourceAlpha = PIX_StretchKernel<PIX_WrapOp::MultiplySourceAlpha>;
inline constexpr PIX_StretchKernelFn PIX_StretchKernelSoftLightSourceAlpha = PIX_StretchKernel<PIX_WrapOp::SoftLightSourceAlpha>;
inline constexpr PIX_StretchKernelFn PIX_StretchKernelHsvShiftSourceAlpha = PIX_StretchKernel<PIX_WrapOp::HsvShiftSourceAlpha>;

inline constexpr PIX_ShrinkKernelFn PIX_ShrinkKernelCopyOpaque = PIX_ShrinkKernel<PIX_WrapOp::CopyOpaque>;
inline constexpr PIX_ShrinkKernelFn PIX_ShrinkKernelCopy = PIX_ShrinkKernel<PIX_WrapOp::Copy>;
inline constexpr PIX_ShrinkKernelFn PIX_ShrinkKernelAdd = PIX_ShrinkKernel<PIX_WrapOp::Add>;
inline constexpr PIX_ShrinkKernelFn PIX_ShrinkKernelDodge = PIX_ShrinkKernel<PIX_WrapOp::Dodge>;
inline constexpr PIX_ShrinkKernelFn PIX_ShrinkKernelMultiply = PIX_ShrinkKernel<PIX_WrapOp::Multiply>;
inline constexpr PIX_ShrinkKernelFn PIX_ShrinkKernelSoftLight = PIX_ShrinkKernel<PIX_WrapOp::SoftLight>;
inline constexpr PIX_ShrinkKernelFn PIX_ShrinkKernelHsvShift = PIX_ShrinkKernel<PIX_WrapOp::HsvShift>;
inline constexpr PIX_ShrinkKernelFn PIX_ShrinkKernelCopySourceAlphaOpaque = PIX_ShrinkKernel<PIX_WrapOp::CopySourceAlphaOpaque>;
inline constexpr PIX_ShrinkKernelFn PIX_ShrinkKernelCopySourceAlpha = PIX_ShrinkKernel<PIX_WrapOp::CopySourceAlpha>;
inline constexpr PIX_ShrinkKernelFn PIX_ShrinkKernelAddSourceAlpha = PIX_ShrinkKernel<PIX_WrapOp::AddSourceAlpha>;
inline constexpr PIX_ShrinkKernelFn PIX_ShrinkKernelDodgeSourceAlpha = PIX_ShrinkKernel<PIX_WrapOp::DodgeSourceAlpha>;
inline constexpr PIX_ShrinkKernelFn PIX_ShrinkKernelMultiplySourceAlpha = PIX_ShrinkKernel<PIX_WrapOp::MultiplySourceAlpha>;
inline constexpr PIX_ShrinkKernelFn PIX_ShrinkKernelSoftLightSourceAlpha = PIX_ShrinkKernel<PIX_WrapOp::SoftLightSourceAlpha>;
inline constexpr PIX_ShrinkKernelFn PIX_ShrinkKernelHsvShiftSourceAlpha = PIX_ShrinkKernel<PIX_WrapOp::HsvShiftSourceAlpha>;
// clang-format on
