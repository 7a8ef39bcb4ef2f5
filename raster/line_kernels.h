#pragma once

// The segment kernel families. Each family is one loop templated over a
// pixel operation of raster/pixel_kernels.h; the named members are its
// instantiations, chosen once per segment so that no loop tests a mode.
// Pointers address pixels, steps are in pixels (a row step is the stride).

#include <cstdint>

#include "raster/bitmap.h"
#include "raster/pixel.h"
#include "raster/pixel_kernels.h"

// A colour split into the channels that the pixel operations take.
struct PIX_LineColor {
    int r, g, b, a;
    explicit PIX_LineColor(PIX_PackedColor c)
        : r(int((c >> 16) & 0xFF)), g(int((c >> 8) & 0xFF)), b(int(c & 0xFF)), a(int(c >> 24))
    {
    }
};

template <class Op>
inline void PIX_LinePlot(PIX_PackedColor* p, const PIX_LineColor& c, int weight)
{
    Op::Apply(reinterpret_cast<uint8_t*>(p), c.r, c.g, c.b, c.a, weight);
}

// Per byte (d + s) >> 1; the weight is ignored.
struct PIX_ByteAverageOp {
    static void Apply(uint8_t* p, int r, int g, int b, int a, int)
    {
        p[0] = uint8_t((p[0] + b) >> 1);
        p[1] = uint8_t((p[1] + g) >> 1);
        p[2] = uint8_t((p[2] + r) >> 1);
        p[3] = uint8_t((p[3] + a) >> 1);
    }
};

// count pixels step apart from p.
template <class Op>
inline void PIX_StepRun(PIX_PackedColor* p, int step, int count, const PIX_LineColor& c, int weight)
{
    for (int i = 0; i < count; ++i, p += step) PIX_LinePlot<Op>(p, c, weight);
}

// Main and side weights of a pair: (255 - f) x w / 256 and f x w / 256.
inline int PIX_LineShare(int f, int weight)
{
    return int(int64_t(f) * weight / 256);
}

template <class Op>
void PIX_HRunKernel(PIX_PackedColor* start, int count, PIX_PackedColor colour, int weight)
{
    PIX_StepRun<Op>(start, 1, count, PIX_LineColor(colour), weight);
}

template <class Op>
void PIX_VRunKernel(PIX_PackedColor* start, int rowStride, int count, PIX_PackedColor colour,
                    int weight)
{
    PIX_StepRun<Op>(start, rowStride, count, PIX_LineColor(colour), weight);
}

// The antialiased 45-degree run: each of the first `steps` line pixels at
// 3w/4 with its two neighbours in the directions of travel at w/4, then the
// last line pixel at 3w/4.
template <class Op>
void PIX_DiagRunKernel(PIX_PackedColor* start, int steps, int xStep, int yStep,
                       PIX_PackedColor colour, int weight)
{
    const PIX_LineColor c(colour);
    const int main = int(int64_t(weight) * 3 / 4);
    const int side = weight / 4;
    PIX_PackedColor* p = start;
    for (int i = 0; i < steps; ++i, p += xStep + yStep) {
        PIX_LinePlot<Op>(p, c, main);
        PIX_LinePlot<Op>(p + xStep, c, side);
        PIX_LinePlot<Op>(p + yStep, c, side);
    }
    PIX_LinePlot<Op>(p, c, main);
}

// The general segment, walked from both ends toward the middle with a
// 16-bit fraction: slope = minor x 65536 / length, 0 <= slope < 65536.
template <class Op>
void PIX_LineKernel(PIX_PackedColor* first, PIX_PackedColor* last, int slope, int majorStep,
                    int length, int minorStep, PIX_PackedColor colour, int weight, bool antialias)
{
    const PIX_LineColor c(colour);
    const int n = (length + 1) / 2;
    PIX_PackedColor* p = first;
    PIX_PackedColor* q = last;
    if (!antialias) {
        int err = 0;
        for (int i = 0; i < n; ++i) {
            PIX_LinePlot<Op>(p, c, weight);
            PIX_LinePlot<Op>(q, c, weight);
            err += slope;
            if (err > 32767) {
                p += minorStep;
                q -= minorStep;
                err -= 65536;
            }
            p += majorStep;
            q -= majorStep;
        }
        if (length % 2 == 0) PIX_LinePlot<Op>(p, c, weight);
        return;
    }
    PIX_LinePlot<Op>(first, c, weight);
    PIX_LinePlot<Op>(last, c, weight);
    p += majorStep;
    q -= majorStep;
    int err = slope;
    for (int k = 1; k < n; ++k) {
        const int f = err >> 8;
        const int main = PIX_LineShare(255 - f, weight);
        const int side = PIX_LineShare(f, weight);
        PIX_LinePlot<Op>(p, c, main);
        PIX_LinePlot<Op>(p + minorStep, c, side);
        PIX_LinePlot<Op>(q, c, main);
        PIX_LinePlot<Op>(q - minorStep, c, side);
        err += slope;
        if (err > 65535) {
            err -= 65536;
            p += minorStep;
            q -= minorStep;
        }
        p += majorStep;
        q -= majorStep;
    }
    if (length % 2 == 0) {
        const int f = err >> 8;
        PIX_LinePlot<Op>(p, c, PIX_LineShare(255 - f, weight));
        PIX_LinePlot<Op>(p + minorStep, c, PIX_LineShare(f, weight));
    }
}

// Dashes of `on` pixels every on + off pixels over the half-open range from
// the first end point toward the second, for a vertical (x1 = x2) or
// horizontal (y1 = y2) segment inside the bitmap; the coordinates address
// memory rows. A period of 0 or less draws nothing.
template <class Op>
void PIX_DashKernel(PIX_IBitmap* bitmap, int x1, int y1, int x2, int y2, int on, int off,
                    PIX_PackedColor colour, int weight)
{
    PIX_PackedColor* const base = bitmap ? bitmap->PixelData() : nullptr;
    if (!base) return;
    const int64_t period = int64_t(on) + off;
    if (period <= 0) return;
    const int stride = bitmap->RowStride();
    int step;
    int64_t from, to;
    if (x1 == x2) {
        step = stride;
        from = y1;
        to = y2;
    } else if (y1 == y2) {
        step = 1;
        from = x1;
        to = x2;
    } else {
        return;
    }
    const PIX_LineColor c(colour);
    PIX_PackedColor* const origin = base + (x1 == x2 ? int64_t(x1) : int64_t(y1) * stride);
    for (; from < to - on; from += period)
        PIX_StepRun<Op>(origin + from * step, step, on, c, weight);
    const int64_t rest = to - from < on ? to - from : on;
    if (rest > 0) PIX_StepRun<Op>(origin + from * step, step, int(rest), c, weight);
}

// clang-format off
using PIX_HRunKernelFn = void (*)(PIX_PackedColor* start, int count, PIX_PackedColor colour, int weight);
using PIX_VRunKernelFn = void (*)(PIX_PackedColor* start, int rowStride, int count, PIX_PackedColor colour, int weight);
using PIX_DiagRunKernelFn = void (*)(PIX_PackedColor* start, int steps, int xStep, int yStep, PIX_PackedColor colour, int weight);
using PIX_LineKernelFn = void (*)(PIX_PackedColor* first, PIX_PackedColor* last, int slope, int majorStep, int length, int minorStep, PIX_PackedColor colour, int weight, bool antialias);
using PIX_DashKernelFn = void (*)(PIX_IBitmap* bitmap, int x1, int y1, int x2, int y2, int on, int off, PIX_PackedColor colour, int weight);

inline constexpr PIX_HRunKernelFn PIX_HRunKernelCopy = PIX_HRunKernel<PIX_WrapOp::Copy>;
inline constexpr PIX_HRunKernelFn PIX_HRunKernelAdd = PIX_HRunKernel<PIX_WrapOp::Add>;
inline constexpr PIX_HRunKernelFn PIX_HRunKernelDodge = PIX_HRunKernel<PIX_WrapOp::Dodge>;
inline constexpr PIX_HRunKernelFn PIX_HRunKernelMultiply = PIX_HRunKernel<PIX_WrapOp::Multiply>;
inline constexpr PIX_HRunKernelFn PIX_HRunKernelSoftLight = PIX_HRunKernel<PIX_WrapOp::SoftLight>;
inline constexpr PIX_HRunKernelFn PIX_HRunKernelHsvShift = PIX_HRunKernel<PIX_WrapOp::HsvShift>;

inline constexpr PIX_VRunKernelFn PIX_VRunKernelCopy = PIX_VRunKernel<PIX_WrapOp::Copy>;
inline constexpr PIX_VRunKernelFn PIX_VRunKernelAdd = PIX_VRunKernel<PIX_WrapOp::Add>;
inline constexpr PIX_VRunKernelFn PIX_VRunKernelDodge = PIX_VRunKernel<PIX_WrapOp::Dodge>;
inline constexpr PIX_VRunKernelFn PIX_VRunKernelMultiply = PIX_VRunKernel<PIX_WrapOp::Multiply>;
inline constexpr PIX_VRunKernelFn PIX_VRunKernelSoftLight = PIX_VRunKernel<PIX_WrapOp::SoftLight>;
inline constexpr PIX_VRunKernelFn PIX_VRunKernelHsvShift = PIX_VRunKernel<PIX_WrapOp::HsvShift>;

inline constexpr PIX_DiagRunKernelFn PIX_DiagRunKernelCopy = PIX_DiagRunKernel<PIX_WrapOp::Copy>;
inline constexpr PIX_DiagRunKernelFn PIX_DiagRunKernelAdd = PIX_DiagRunKernel<PIX_WrapOp::Add>;
inline constexpr PIX_DiagRunKernelFn PIX_DiagRunKernelDodge = PIX_DiagRunKernel<PIX_WrapOp::Dodge>;
inline constexpr PIX_DiagRunKernelFn PIX_DiagRunKernelMultiply = PIX_DiagRunKernel<PIX_WrapOp::Multiply>;
inline constexpr PIX_DiagRunKernelFn PIX_DiagRunKernelSoftLight = PIX_DiagRunKernel<PIX_WrapOp::SoftLight>;
inline constexpr PIX_DiagRunKernelFn PIX_DiagRunKernelHsvShift = PIX_DiagRunKernel<PIX_WrapOp::HsvShift>;

inline constexpr PIX_LineKernelFn PIX_LineKernelCopy = PIX_LineKernel<PIX_WrapOp::Copy>;
inline constexpr PIX_LineKernelFn PIX_LineKernelCopyOpaque = PIX_LineKernel<PIX_WrapOp::CopyOpaque>;
inline constexpr PIX_LineKernelFn PIX_LineKernelCopyHalf = PIX_LineKernel<PIX_ByteAverageOp>;
inline constexpr PIX_LineKernelFn PIX_LineKernelAdd = PIX_LineKernel<PIX_WrapOp::Add>;
inline constexpr PIX_LineKernelFn PIX_LineKernelDodge = PIX_LineKernel<PIX_WrapOp::Dodge>;
inline constexpr PIX_LineKernelFn PIX_LineKernelMultiply = PIX_LineKernel<PIX_WrapOp::Multiply>;
inline constexpr PIX_LineKernelFn PIX_LineKernelSoftLight = PIX_LineKernel<PIX_WrapOp::SoftLight>;
inline constexpr PIX_LineKernelFn PIX_LineKernelHsvShift = PIX_LineKernel<PIX_WrapOp::HsvShift>;

inline constexpr PIX_DashKernelFn PIX_DashKernelCopy = PIX_DashKernel<PIX_WrapOp::Copy>;
inline constexpr PIX_DashKernelFn PIX_DashKernelCopyOpaque = PIX_DashKernel<PIX_WrapOp::CopyOpaque>;
inline constexpr PIX_DashKernelFn PIX_DashKernelCopyHalf = PIX_DashKernel<PIX_ByteAverageOp>;
inline constexpr PIX_DashKernelFn PIX_DashKernelAdd = PIX_DashKernel<PIX_WrapOp::Add>;
inline constexpr PIX_DashKernelFn PIX_DashKernelDodge = PIX_DashKernel<PIX_WrapOp::Dodge>;
inline constexpr PIX_DashKernelFn PIX_DashKernelMultiply = PIX_DashKernel<PIX_WrapOp::Multiply>;
inline constexpr PIX_DashKernelFn PIX_DashKernelSoftLight = PIX_DashKernel<PIX_WrapOp::SoftLight>;
inline constexpr PIX_DashKernelFn PIX_DashKernelHsvShift = PIX_DashKernel<PIX_WrapOp::HsvShift>;
// clang-format on
