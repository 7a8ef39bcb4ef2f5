#pragma once

// The band kernels of the polygon fills: one edge walk, instantiated over a
// pixel operation of raster/pixel_kernels.h or a whole-word mix, so that the
// operation is fixed for the whole band and each row is a plain span fill.

#include <cstdint>

#include "raster/fast_paths.h"
#include "raster/line_kernels.h"
#include "raster/pixel.h"
#include "raster/pixel_kernels.h"

// Band kernel: the bitmap's width and row stride (pixels), the first pixel of
// the band's first row, the number of rows, the span's left end and
// exclusive right end on the first row, each edge's non-negative 16.16 step
// per row, its starting fraction (0..65535) and its direction (+1 or -1),
// then the colour's channels 0..255 and the weight. Each row fills
// max(left, 0) up to min(width, right); the ends move by whole pixels as the
// fractions carry, so on row k the left end is
// xLeft + dirLeft x floor((fracLeft + k x stepLeft) / 65536).
using PIX_TriangleKernelFn = void (*)(int width, int rowStride, PIX_PackedColor* row, int rows,
                                      int xLeft, int xRight, int stepLeft, int stepRight,
                                      int fracLeft, int fracRight, int dirLeft, int dirRight, int r,
                                      int g, int b, int a, int weight);

// One 16.16 edge end: moves once per row.
struct PIX_EdgeWalk {
    int64_t x;  // 64-bit: an end far outside the bitmap walks without overflow
    int fraction, step, direction;

    void NextRow()
    {
        fraction += step;
        if (fraction >= 65536) {
            x += int64_t(direction) * (fraction >> 16);
            fraction &= 0xFFFF;
        }
    }
};

// Walks the band's edges and hands each row's clipped span, when not empty,
// to fill(first pixel, count).
template <class SpanFill>
inline void PIX_WalkBand(int width, int rowStride, PIX_PackedColor* row, int rows, int xLeft,
                         int xRight, int stepLeft, int stepRight, int fracLeft, int fracRight,
                         int dirLeft, int dirRight, const SpanFill& fill)
{
    PIX_EdgeWalk left{xLeft, fracLeft, stepLeft, dirLeft};
    PIX_EdgeWalk right{xRight, fracRight, stepRight, dirRight};
    for (int j = 0; j < rows; ++j, row += rowStride) {
        const int64_t from = left.x > 0 ? left.x : 0;
        const int64_t to = right.x < width ? right.x : width;
        if (from < to) fill(row + from, int(to - from));
        left.NextRow();
        right.NextRow();
    }
}

template <class Op>
void PIX_TriangleKernel(int width, int rowStride, PIX_PackedColor* row, int rows, int xLeft,
                        int xRight, int stepLeft, int stepRight, int fracLeft, int fracRight,
                        int dirLeft, int dirRight, int r, int g, int b, int a, int weight)
{
    PIX_WalkBand(width, rowStride, row, rows, xLeft, xRight, stepLeft, stepRight, fracLeft,
                 fracRight, dirLeft, dirRight, [&](PIX_PackedColor* first, int count) {
                     uint8_t* p = reinterpret_cast<uint8_t*>(first);
                     for (int i = 0; i < count; ++i, p += 4) Op::Apply(p, r, g, b, a, weight);
                 });
}

// The whole-word copies: the colour word is made once, the weight is implied
// by the mix.
template <class Mix>
void PIX_TriangleWordKernel(int width, int rowStride, PIX_PackedColor* row, int rows, int xLeft,
                            int xRight, int stepLeft, int stepRight, int fracLeft, int fracRight,
                            int dirLeft, int dirRight, int r, int g, int b, int a, int)
{
    const PIX_PackedColor s = PIX_PackChannels(r, g, b, a);
    PIX_WalkBand(width, rowStride, row, rows, xLeft, xRight, stepLeft, stepRight, fracLeft,
                 fracRight, dirLeft, dirRight, [s](PIX_PackedColor* first, int count) {
                     for (int i = 0; i < count; ++i) first[i] = Mix::Mix(s, first[i]);
                 });
}

// The named kernels. Store and Average ignore the weight; no fill selects
// them.
// clang-format off
inline constexpr PIX_TriangleKernelFn PIX_TriangleKernelCopy = PIX_TriangleKernel<PIX_WrapOp::Copy>;
inline constexpr PIX_TriangleKernelFn PIX_TriangleKernelCopyOpaque = PIX_TriangleWordKernel<PIX_StoreWord>;
inline constexpr PIX_TriangleKernelFn PIX_TriangleKernelCopyHalf = PIX_TriangleWordKernel<PIX_HalfWord>;
inline constexpr PIX_TriangleKernelFn PIX_TriangleKernelCopyQuarter = PIX_TriangleWordKernel<PIX_QuarterWord>;
inline constexpr PIX_TriangleKernelFn PIX_TriangleKernelCopyThreeQuarter = PIX_TriangleWordKernel<PIX_ThreeQuarterWord>;
inline constexpr PIX_TriangleKernelFn PIX_TriangleKernelAdd = PIX_TriangleKernel<PIX_WrapOp::Add>;
inline constexpr PIX_TriangleKernelFn PIX_TriangleKernelDodge = PIX_TriangleKernel<PIX_WrapOp::Dodge>;
inline constexpr PIX_TriangleKernelFn PIX_TriangleKernelMultiply = PIX_TriangleKernel<PIX_WrapOp::Multiply>;
inline constexpr PIX_TriangleKernelFn PIX_TriangleKernelSoftLight = PIX_TriangleKernel<PIX_WrapOp::SoftLight>;
inline constexpr PIX_TriangleKernelFn PIX_TriangleKernelHsvShift = PIX_TriangleKernel<PIX_WrapOp::HsvShift>;
inline constexpr PIX_TriangleKernelFn PIX_TriangleKernelStore = PIX_TriangleKernel<PIX_WrapOp::CopyOpaque>;
inline constexpr PIX_TriangleKernelFn PIX_TriangleKernelAverage = PIX_TriangleKernel<PIX_ByteAverageOp>;
// clang-format on

// The family of the band fill; the source-alpha flag is ignored.
inline constexpr PIX_KernelFamily<PIX_TriangleKernelFn, 4> PIX_TriangleKernels = {
    {PIX_TriangleKernelCopy, PIX_TriangleKernelAdd, PIX_TriangleKernelDodge,
     PIX_TriangleKernelMultiply, PIX_TriangleKernelSoftLight, PIX_TriangleKernelHsvShift},
    {},
    {{{PIX_CombineCopy, PIX_WeightOpaque, 0.0f, PIX_TriangleKernelCopyOpaque},
      {PIX_CombineCopy, PIX_WeightHalf, 0.0f, PIX_TriangleKernelCopyHalf},
      {PIX_CombineCopy, PIX_WeightQuarter, 0.0f, PIX_TriangleKernelCopyQuarter},
      {PIX_CombineCopy, PIX_WeightThreeQuarter, 0.0f, PIX_TriangleKernelCopyThreeQuarter}}}};
