#pragma once

// The stamp kernels: one loop template over a pixel operation of
// raster/pixel_kernels.h, instantiated once per combine operation, so the
// mode is chosen once per stamp. Channel results are clamped to 0..255.

#include <cstddef>
#include <cstdint>

#include "raster/fast_paths.h"
#include "raster/pixel.h"
#include "raster/pixel_kernels.h"

// map: first coverage byte; dest: first pixel; destRowStep in pixels
// (negative for bottom-up rows); mapRowStep in bytes.
using PIX_StampKernelFn = void (*)(const uint8_t* map, uint8_t* dest, int width, int height,
                                   PIX_PackedColor colour, int destRowStep, int mapRowStep,
                                   int weight);

// Every pixel of non-zero coverage c gets Op at weight x c / 256.
template <class Op>
void PIX_StampKernel(const uint8_t* map, uint8_t* dest, int width, int height,
                     PIX_PackedColor colour, int destRowStep, int mapRowStep, int weight)
{
    const int r = int((colour >> 16) & 0xFF), g = int((colour >> 8) & 0xFF);
    const int b = int(colour & 0xFF), a = int(colour >> 24);
    for (int y = 0; y < height; ++y, map += mapRowStep, dest += ptrdiff_t(4) * destRowStep) {
        uint8_t* d = dest;
        for (int x = 0; x < width; ++x, d += 4) {
            const int coverage = map[x];
            if (coverage == 0) continue;
            Op::Apply(d, r, g, b, a, int(int64_t(weight) * coverage / 256));
        }
    }
}

// Copy at weight 128 by division: each channel (d + s) / 2, truncated.
struct PIX_HalfCopyOp {
    static void Apply(uint8_t* p, int r, int g, int b, int a, int)
    {
        p[0] = uint8_t((p[0] + b) / 2);
        p[1] = uint8_t((p[1] + g) / 2);
        p[2] = uint8_t((p[2] + r) / 2);
        p[3] = uint8_t((p[3] + a) / 2);
    }
};

// clang-format off
inline constexpr PIX_StampKernelFn PIX_StampKernelCopy = PIX_StampKernel<PIX_ChannelOp<PIX_CopyFormula, PIX_ClampStore>>;
inline constexpr PIX_StampKernelFn PIX_StampKernelAdd = PIX_StampKernel<PIX_ChannelOp<PIX_AddFormula, PIX_ClampStore>>;
inline constexpr PIX_StampKernelFn PIX_StampKernelDodge = PIX_StampKernel<PIX_ChannelOp<PIX_DodgeFormula, PIX_ClampStore>>;
inline constexpr PIX_StampKernelFn PIX_StampKernelMultiply = PIX_StampKernel<PIX_ChannelOp<PIX_MultiplyFormula, PIX_ClampStore>>;
inline constexpr PIX_StampKernelFn PIX_StampKernelSoftLight = PIX_StampKernel<PIX_ChannelOp<PIX_SoftLightFormula, PIX_ClampStore>>;
inline constexpr PIX_StampKernelFn PIX_StampKernelHsvShift = PIX_StampKernel<PIX_HsvShiftOp<false>>;
// clang-format on

// Stamps have no source-alpha forms: the flag is ignored.
inline constexpr PIX_KernelFamily<PIX_StampKernelFn> PIX_StampKernels = {
    {PIX_StampKernelCopy, PIX_StampKernelAdd, PIX_StampKernelDodge, PIX_StampKernelMultiply,
     PIX_StampKernelSoftLight, PIX_StampKernelHsvShift},
    {},
    {}};
