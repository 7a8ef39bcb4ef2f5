#pragma once

// The rectangle kernels of PIX_FillBox and PIX_GradientBox: one loop per
// family, instantiated over a pixel operation of raster/pixel_kernels.h, so
// the operation is fixed for the whole rectangle.

#include <climits>
#include <cstddef>
#include <cstdint>

#include "raster/fast_paths.h"
#include "raster/pixel.h"
#include "raster/pixel_kernels.h"

// Fill kernel: first pixel, width and height (both positive), the colour's
// channels 0..255, the weight and the row step in bytes.
using PIX_FillKernelFn = void (*)(uint8_t* first, int width, int height, int r, int g, int b, int a,
                                  int weight, ptrdiff_t rowStep);

template <class Op>
void PIX_FillKernel(uint8_t* first, int width, int height, int r, int g, int b, int a, int weight,
                    ptrdiff_t rowStep)
{
    for (int j = 0; j < height; ++j, first += rowStep) {
        uint8_t* p = first;
        for (int i = 0; i < width; ++i, p += 4) Op::Apply(p, r, g, b, a, weight);
    }
}

// The weight is implied by the mix and ignored.
template <class Mix>
void PIX_FillWordKernel(uint8_t* first, int width, int height, int r, int g, int b, int a, int,
                        ptrdiff_t rowStep)
{
    const PIX_PackedColor s = PIX_PackChannels(r, g, b, a);
    for (int j = 0; j < height; ++j, first += rowStep) {
        PIX_PackedColor* p = reinterpret_cast<PIX_PackedColor*>(first);
        for (int i = 0; i < width; ++i) p[i] = Mix::Mix(s, p[i]);
    }
}

// Gradient kernel: first pixel, width and height (both positive), the 16.16
// start values R, G, B, A, their steps to the right, their steps down, and
// the row step in bytes. R, G, B are colour levels, A weight units.
using PIX_GradientKernelFn = void (*)(uint8_t* first, int width, int height, int r, int g, int b,
                                      int a, int drdx, int dgdx, int dbdx, int dadx, int drdy,
                                      int dgdy, int dbdy, int dady, ptrdiff_t rowStep);

// The integer part of a 16.16 value, truncated toward zero. The running sums
// are 64-bit and saturate to the int range here, so a gradient that runs
// past the range clamps instead of wrapping; the result is -32768..32767.
inline int PIX_FixedToInt(int64_t v)
{
    const int64_t c = v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : v);
    return int(c / 65536);
}

// Each pixel gets source (R, G, B) and weight w = A, with w as source alpha.
template <class Op>
void PIX_GradientKernel(uint8_t* first, int width, int height, int r, int g, int b, int a, int drdx,
                        int dgdx, int dbdx, int dadx, int drdy, int dgdy, int dbdy, int dady,
                        ptrdiff_t rowStep)
{
    int64_t rowR = r, rowG = g, rowB = b, rowA = a;
    for (int j = 0; j < height; ++j, first += rowStep) {
        int64_t cr = rowR, cg = rowG, cb = rowB, ca = rowA;
        uint8_t* p = first;
        for (int i = 0; i < width; ++i, p += 4) {
            const int w = PIX_FixedToInt(ca);
            Op::Apply(p, PIX_FixedToInt(cr), PIX_FixedToInt(cg), PIX_FixedToInt(cb), w, w);
            cr += drdx, cg += dgdx, cb += dbdx, ca += dadx;
        }
        rowR += drdy, rowG += dgdy, rowB += dbdy, rowA += dady;
    }
}

// HSV shift of a gradient: the new alpha is the weight, clamped.
struct PIX_GradientHsvShiftOp {
    static void Apply(uint8_t* p, int r, int g, int b, int a, int w)
    {
        PIX_HsvShiftOp<false>::Apply(p, r, g, b, int(PIX_Clamp255(a)), w);
    }
};

// The named kernels.
// clang-format off
inline constexpr PIX_FillKernelFn PIX_FillKernelCopyOpaque = PIX_FillWordKernel<PIX_StoreWord>;
inline constexpr PIX_FillKernelFn PIX_FillKernelCopyHalf = PIX_FillWordKernel<PIX_HalfWord>;
inline constexpr PIX_FillKernelFn PIX_FillKernelCopyQuarter = PIX_FillWordKernel<PIX_QuarterWord>;
inline constexpr PIX_FillKernelFn PIX_FillKernelCopyThreeQuarter = PIX_FillWordKernel<PIX_ThreeQuarterWord>;
inline constexpr PIX_FillKernelFn PIX_FillKernelCopy = PIX_FillKernel<PIX_WrapOp::Copy>;
inline constexpr PIX_FillKernelFn PIX_FillKernelAdd = PIX_FillKernel<PIX_WrapOp::Add>;
inline constexpr PIX_FillKernelFn PIX_FillKernelDodge = PIX_FillKernel<PIX_WrapOp::Dodge>;
inline constexpr PIX_FillKernelFn PIX_FillKernelMultiply = PIX_FillKernel<PIX_WrapOp::Multiply>;
inline constexpr PIX_FillKernelFn PIX_FillKernelSoftLight = PIX_FillKernel<PIX_WrapOp::SoftLight>;
inline constexpr PIX_FillKernelFn PIX_FillKernelHsvShift = PIX_FillKernel<PIX_WrapOp::HsvShift>;

inline constexpr PIX_GradientKernelFn PIX_GradientKernelCopyOpaque = PIX_GradientKernel<PIX_StoreOp<PIX_ClampStore>>;
inline constexpr PIX_GradientKernelFn PIX_GradientKernelCopy = PIX_GradientKernel<PIX_ChannelOp<PIX_CopyFormula, PIX_ClampStore>>;
inline constexpr PIX_GradientKernelFn PIX_GradientKernelAdd = PIX_GradientKernel<PIX_ChannelOp<PIX_AddFormula, PIX_ClampStore>>;
inline constexpr PIX_GradientKernelFn PIX_GradientKernelDodge = PIX_GradientKernel<PIX_ChannelOp<PIX_DodgeFormula, PIX_ClampStore>>;
inline constexpr PIX_GradientKernelFn PIX_GradientKernelMultiply = PIX_GradientKernel<PIX_ChannelOp<PIX_MultiplyFormula, PIX_ClampStore>>;
inline constexpr PIX_GradientKernelFn PIX_GradientKernelSoftLight = PIX_GradientKernel<PIX_ChannelOp<PIX_SoftLightFormula, PIX_ClampStore>>;
inline constexpr PIX_GradientKernelFn PIX_GradientKernelHsvShift = PIX_GradientKernel<PIX_GradientHsvShiftOp>;
// clang-format on

// The families; source alpha is folded into the weight before they are used.
inline constexpr PIX_KernelFamily<PIX_FillKernelFn, 4> PIX_FillKernels = {
    {PIX_FillKernelCopy, PIX_FillKernelAdd, PIX_FillKernelDodge, PIX_FillKernelMultiply,
     PIX_FillKernelSoftLight, PIX_FillKernelHsvShift},
    {},
    {{{PIX_CombineCopy, PIX_WeightOpaque, 0.0f, PIX_FillKernelCopyOpaque},
      {PIX_CombineCopy, PIX_WeightHalf, 0.0f, PIX_FillKernelCopyHalf},
      {PIX_CombineCopy, PIX_WeightQuarter, 0.0f, PIX_FillKernelCopyQuarter},
      {PIX_CombineCopy, PIX_WeightThreeQuarter, 0.0f, PIX_FillKernelCopyThreeQuarter}}}};

// A gradient whose alpha is constant and opaque takes the opaque path.
inline constexpr PIX_KernelFamily<PIX_GradientKernelFn, 1> PIX_GradientKernels = {
    {PIX_GradientKernelCopy, PIX_GradientKernelAdd, PIX_GradientKernelDodge,
     PIX_GradientKernelMultiply, PIX_GradientKernelSoftLight, PIX_GradientKernelHsvShift},
    {},
    {{{PIX_CombineCopy, PIX_WeightOpaque, 0.0f, PIX_GradientKernelCopyOpaque}}}};
