#pragma once

// The smooth segment kernel family: one loop templated over a pixel
// operation of raster/pixel_kernels.h, chosen once per segment. Pointers
// address pixels, steps are in pixels (a row step is the stride).

#include "raster/line_kernels.h"
#include "raster/pixel.h"
#include "raster/pixel_kernels.h"

// steps + 1 samples one major step apart from start (none when steps < 0).
// Each is shared by the pixel at the current position, at (255 - f) x w /
// 256, and the pixel one minor step further, at f x w / 256, where f is the
// 16-bit fraction's high byte; the fraction grows by slope (0 to 65536) a
// sample and carries into a minor step at 65536.
template <class Op>
void PIX_SmoothLineKernel(PIX_PackedColor* start, int steps, int fraction, int slope, int majorStep,
                          int minorStep, PIX_PackedColor colour, int weight)
{
    const PIX_LineColor c(colour);
    PIX_PackedColor* p = start;
    for (int k = 0; k <= steps; ++k, p += majorStep) {
        const int f = fraction >> 8;
        PIX_LinePlot<Op>(p, c, PIX_LineShare(255 - f, weight));
        PIX_LinePlot<Op>(p + minorStep, c, PIX_LineShare(f, weight));
        fraction += slope;
        if (fraction >= 65536) {
            p += minorStep;
            fraction -= 65536;
        }
    }
}

// clang-format off
using PIX_SmoothLineKernelFn = void (*)(PIX_PackedColor* start, int steps, int fraction, int slope, int majorStep, int minorStep, PIX_PackedColor colour, int weight);

inline constexpr PIX_SmoothLineKernelFn PIX_SmoothLineKernelCopy = PIX_SmoothLineKernel<PIX_WrapOp::Copy>;
inline constexpr PIX_SmoothLineKernelFn PIX_SmoothLineKernelAdd = PIX_SmoothLineKernel<PIX_WrapOp::Add>;
inline constexpr PIX_SmoothLineKernelFn PIX_SmoothLineKernelDodge = PIX_SmoothLineKernel<PIX_WrapOp::Dodge>;
inline constexpr PIX_SmoothLineKernelFn PIX_SmoothLineKernelMultiply = PIX_SmoothLineKernel<PIX_WrapOp::Multiply>;
inline constexpr PIX_SmoothLineKernelFn PIX_SmoothLineKernelSoftLight = PIX_SmoothLineKernel<PIX_WrapOp::SoftLight>;
inline constexpr PIX_SmoothLineKernelFn PIX_SmoothLineKernelHsvShift = PIX_SmoothLineKernel<PIX_WrapOp::HsvShift>;
// clang-format on

// The family: the general kernels only (Copy has no opaque or half path),
// chosen by the operation alone.
inline constexpr PIX_KernelFamily<PIX_SmoothLineKernelFn> PIX_SmoothLineKernels = {
    {PIX_SmoothLineKernelCopy, PIX_SmoothLineKernelAdd, PIX_SmoothLineKernelDodge,
     PIX_SmoothLineKernelMultiply, PIX_SmoothLineKernelSoftLight, PIX_SmoothLineKernelHsvShift},
    {},
    {}};
