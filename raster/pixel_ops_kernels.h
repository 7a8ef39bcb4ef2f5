#pragma once

// The one-pixel kernels of PIX_WritePixel: the one-pixel kernels of
// raster/pixel_kernels.h, and whole-word copies at the fixed weights. The
// source-alpha flag is ignored, so the family has no source-alpha forms.

#include <cstdint>
#include <cstring>

#include "raster/fast_paths.h"
#include "raster/pixel.h"
#include "raster/pixel_kernels.h"

// Copy by a whole-word mix; the weight is implied by the mix and ignored.
template <class Mix>
void PIX_PixelWordKernel(uint8_t* pixel, int r, int g, int b, int a, int)
{
    const PIX_PackedColor s = PIX_PackChannels(r, g, b, a);
    PIX_PackedColor d;
    std::memcpy(&d, pixel, sizeof d);
    d = Mix::Mix(s, d);
    std::memcpy(pixel, &d, sizeof d);
}

// clang-format off
inline constexpr PIX_PixelKernelFn PIX_PixelKernelCopyHalf = PIX_PixelWordKernel<PIX_HalfWord>;
inline constexpr PIX_PixelKernelFn PIX_PixelKernelCopyQuarter = PIX_PixelWordKernel<PIX_QuarterWord>;
inline constexpr PIX_PixelKernelFn PIX_PixelKernelCopyThreeQuarter = PIX_PixelWordKernel<PIX_ThreeQuarterWord>;
// clang-format on

// Selected by the operation alone.
inline constexpr PIX_KernelFamily<PIX_PixelKernelFn, 4> PIX_WritePixelKernels = {
    {PIX_PixelKernelCopy, PIX_PixelKernelAdd, PIX_PixelKernelDodge, PIX_PixelKernelMultiply,
     PIX_PixelKernelSoftLight, PIX_PixelKernelHsvShift},
    {},
    {{{PIX_CombineCopy, PIX_WeightOpaque, 0.0f, PIX_PixelKernelCopyOpaque},
      {PIX_CombineCopy, PIX_WeightHalf, 0.0f, PIX_PixelKernelCopyHalf},
      {PIX_CombineCopy, PIX_WeightQuarter, 0.0f, PIX_PixelKernelCopyQuarter},
      {PIX_CombineCopy, PIX_WeightThreeQuarter, 0.0f, PIX_PixelKernelCopyThreeQuarter}}}};
