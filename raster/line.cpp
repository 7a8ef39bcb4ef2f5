#include "raster/line.h"

#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <utility>

#include "core/compiler_specifics.h"
#include "raster/fast_paths.h"
#include "raster/fill.h"
#include "raster/float_to_int.h"
#include "raster/line_kernels.h"

namespace {

// The coordinates the clipper works in: the type of a point, the type its
// differences are multiplied in, and whether a computed point may fail to be
// a number.
struct IntegerCoordinates {
    using Coord = int64_t;
    using Product = WideInt;  // products of two differences need up to 66 bits
    static bool Finite(Coord) { return true; }
};

struct FloatCoordinates {
    using Coord = float;
    using Product = float;
    static bool Finite(Coord value) { return std::isfinite(value); }
};

template <typename Coord>
int Outcode(Coord x, Coord y, Coord width, Coord height)
{
    return (x < 0 ? 1 : 0) | (x >= width ? 2 : 0) | (y < 0 ? 4 : 0) | (y >= height ? 8 : 0);
}

// Cohen-Sutherland to 0 <= x < width, 0 <= y < height. A moved end point lies
// between the two end points, so every coordinate stays within the range it
// started in.
template <typename Traits>
bool ClipToArea(typename Traits::Coord* x1, typename Traits::Coord* y1, typename Traits::Coord* x2,
                typename Traits::Coord* y2, typename Traits::Coord width,
                typename Traits::Coord height)
{
    using Coord = typename Traits::Coord;
    using Product = typename Traits::Product;
    if (width <= 0 || height <= 0) return false;
    int c1 = Outcode(*x1, *y1, width, height);
    int c2 = Outcode(*x2, *y2, width, height);
    for (;;) {
        if ((c1 | c2) == 0) return true;
        if (c1 & c2) return false;
        const int c = c1 ? c1 : c2;
        const Product dx = Product(*x2) - *x1;
        const Product dy = Product(*y2) - *y1;
        Coord x, y;
        if (c & 8) {
            x = *x1 + Coord(dx * (height - *y1) / dy);
            y = height - 1;
        } else if (c & 4) {
            x = *x1 + Coord(dx * (0 - *y1) / dy);
            y = 0;
        } else if (c & 2) {
            y = *y1 + Coord(dy * (width - *x1) / dx);
            x = width - 1;
        } else {
            y = *y1 + Coord(dy * (0 - *x1) / dx);
            x = 0;
        }
        if (!Traits::Finite(x) || !Traits::Finite(y)) return false;
        if (c == c1) {
            *x1 = x, *y1 = y;
            c1 = Outcode(x, y, width, height);
        } else {
            *x2 = x, *y2 = y;
            c2 = Outcode(x, y, width, height);
        }
    }
}

// Per byte (d + s) >> 1: the common bits plus half the differing ones.
struct AverageMix {
    static PIX_PackedColor Mix(PIX_PackedColor s, PIX_PackedColor d)
    {
        return (s & d) + (((s ^ d) >> 1) & 0x7F7F7F7Fu);
    }
};

// count words step apart by M; a run kernel whose weight is fixed by M.
template <class M>
void WordRun(PIX_PackedColor* p, int step, int count, PIX_PackedColor colour, int)
{
    for (int i = 0; i < count; ++i, p += step) *p = M::Mix(colour, *p);
}

// The antialiased 45-degree copy at full opacity, by the fixed mixes.
void DiagRunOpaque(PIX_PackedColor* start, int steps, int xStep, int yStep, PIX_PackedColor colour,
                   int)
{
    PIX_PackedColor* p = start;
    for (int i = 0; i < steps; ++i, p += xStep + yStep) {
        *p = PIX_MixThreeQuarter(colour, *p);
        p[xStep] = PIX_MixQuarter(colour, p[xStep]);
        p[yStep] = PIX_MixQuarter(colour, p[yStep]);
    }
    *p = PIX_MixThreeQuarter(colour, *p);
}

// clang-format off
// Runs of pixels a fixed distance apart: along a row (the next pixel), down
// a column (one row stride) and along a diagonal that is not antialiased.
constexpr std::array<PIX_VRunKernelFn, PIX_GeneralOperationCount> kRunOps = {
    PIX_VRunKernelCopy, PIX_VRunKernelAdd, PIX_VRunKernelDodge, PIX_VRunKernelMultiply,
    PIX_VRunKernelSoftLight, PIX_VRunKernelHsvShift};

constexpr PIX_KernelFamily<PIX_VRunKernelFn, 5> kRunKernels = {
    kRunOps,
    {},
    {{{PIX_CombineCopy, PIX_WeightOpaque, 0.0f, WordRun<PIX_StoreWord>},
      {PIX_CombineCopy, PIX_WeightHalf, 0.5f, WordRun<PIX_HalfWord>},
      {PIX_CombineCopy, PIX_WeightQuarter, 0.25f, WordRun<PIX_QuarterWord>},
      {PIX_CombineCopy, PIX_WeightThreeQuarter, 0.75f, WordRun<PIX_ThreeQuarterWord>},
      {PIX_CombineCopy, PIX_WeightHalf, 0.0f, WordRun<AverageMix>}}}};

constexpr PIX_KernelFamily<PIX_VRunKernelFn, 2> kDiagonalRunKernels = {
    kRunOps,
    {},
    {{{PIX_CombineCopy, PIX_WeightOpaque, 0.0f, WordRun<PIX_StoreWord>},
      {PIX_CombineCopy, PIX_WeightHalf, 0.0f, WordRun<AverageMix>}}}};

constexpr PIX_KernelFamily<PIX_DiagRunKernelFn, 1> kAntialiasDiagonalKernels = {
    {PIX_DiagRunKernelCopy, PIX_DiagRunKernelAdd, PIX_DiagRunKernelDodge,
     PIX_DiagRunKernelMultiply, PIX_DiagRunKernelSoftLight, PIX_DiagRunKernelHsvShift},
    {},
    {{{PIX_CombineCopy, PIX_WeightOpaque, 1.0f, DiagRunOpaque}}}};

constexpr std::array<PIX_LineKernelFn, PIX_GeneralOperationCount> kLineOps = {
    PIX_LineKernelCopy, PIX_LineKernelAdd, PIX_LineKernelDodge, PIX_LineKernelMultiply,
    PIX_LineKernelSoftLight, PIX_LineKernelHsvShift};

constexpr PIX_KernelFamily<PIX_LineKernelFn, 2> kLineKernels = {
    kLineOps,
    {},
    {{{PIX_CombineCopy, PIX_WeightOpaque, 0.0f, PIX_LineKernelCopyOpaque},
      {PIX_CombineCopy, PIX_WeightHalf, 0.0f, PIX_LineKernelCopyHalf}}}};

constexpr PIX_KernelFamily<PIX_LineKernelFn> kAntialiasLineKernels = {kLineOps, {}, {}};

constexpr PIX_KernelFamily<PIX_DashKernelFn, 2> kDashKernels = {
    {PIX_DashKernelCopy, PIX_DashKernelAdd, PIX_DashKernelDodge, PIX_DashKernelMultiply,
     PIX_DashKernelSoftLight, PIX_DashKernelHsvShift},
    {},
    {{{PIX_CombineCopy, PIX_WeightOpaque, 0.0f, PIX_DashKernelCopyOpaque},
      {PIX_CombineCopy, PIX_WeightHalf, 0.0f, PIX_DashKernelCopyHalf}}}};
// clang-format on

// A run of count pixels along a row, or down a column when vertical.
void DrawRun(PIX_PackedColor* start, bool vertical, int stride, int count, PIX_PackedColor colour,
             float alpha, unsigned op)
{
    const int w = PIX_WeightFromAlpha(alpha);
    if (const PIX_VRunKernelFn kernel = PIX_SelectKernel(kRunKernels, op, w, alpha))
        kernel(start, vertical ? stride : 1, count, colour, w);
}

// The 45-degree segment of `steps` steps from start.
void DrawDiagonal(PIX_PackedColor* start, int steps, int xStep, int yStep, PIX_PackedColor colour,
                  float alpha, unsigned op, bool antialias)
{
    const int w = PIX_WeightFromAlpha(alpha);
    if (antialias) {
        if (const PIX_DiagRunKernelFn kernel =
                PIX_SelectKernel(kAntialiasDiagonalKernels, op, w, alpha))
            kernel(start, steps, xStep, yStep, colour, w);
    } else if (const PIX_VRunKernelFn kernel =
                   PIX_SelectKernel(kDiagonalRunKernels, op, w, alpha)) {
        kernel(start, xStep + yStep, steps + 1, colour, w);
    }
}

}  // namespace

bool PIX_ClipSegment(int* x1, int* y1, int* x2, int* y2, int width, int height)
{
    int64_t a = *x1, b = *y1, c = *x2, d = *y2;
    const bool inside = ClipToArea<IntegerCoordinates>(&a, &b, &c, &d, width, height);
    *x1 = int(a), *y1 = int(b), *x2 = int(c), *y2 = int(d);
    return inside;
}

bool PIX_ClipSegmentF(float* x1, float* y1, float* x2, float* y2, int width, int height)
{
    // No point lies in 0 <= x < width - 1 otherwise.
    if (width <= 1 || height <= 1) return false;
    // A NaN outcode reads as inside: refuse what is not a finite number.
    if (!std::isfinite(*x1) || !std::isfinite(*y1) || !std::isfinite(*x2) || !std::isfinite(*y2))
        return false;
    return ClipToArea<FloatCoordinates>(x1, y1, x2, y2, float(width - 1), float(height - 1));
}

bool PIX_ClipSegmentToBox(int* x1, int* y1, int* x2, int* y2, int left, int top, int right,
                          int bottom)
{
    int64_t a = int64_t(*x1) - left, b = int64_t(*y1) - top;
    int64_t c = int64_t(*x2) - left, d = int64_t(*y2) - top;
    const bool inside = ClipToArea<IntegerCoordinates>(&a, &b, &c, &d, int64_t(right) - left,
                                                       int64_t(bottom) - top);
    *x1 = int(a + left), *y1 = int(b + top), *x2 = int(c + left), *y2 = int(d + top);
    return inside;
}

bool PIX_ClipSegmentToBoxF(float* x1, float* y1, float* x2, float* y2, float left, float top,
                           float right, float bottom)
{
    *x1 -= left, *y1 -= top, *x2 -= left, *y2 -= top;
    const bool inside = PIX_ClipSegmentF(x1, y1, x2, y2, PIX_TruncateToInt(right - left),
                                         PIX_TruncateToInt(bottom - top));
    *x1 += left, *y1 += top, *x2 += left, *y2 += top;
    return inside;
}

void PIX_DrawSegment(PIX_IBitmap* bitmap, int x1, int y1, int x2, int y2, PIX_PackedColor colour,
                     float alpha, PIX_CombineMode mode, bool antialias)
{
    if (!bitmap) return;
    PIX_PackedColor* const pixels = bitmap->PixelData();
    if (!pixels) return;
    const int width = bitmap->PixelWidth(), height = bitmap->PixelHeight();
    int64_t ax = x1, ay = y1, bx = x2, by = y2;
    if (bitmap->IsBottomUp()) {
        ay = height - 1 - ay;
        by = height - 1 - by;
    }
    if (!ClipToArea<IntegerCoordinates>(&ax, &ay, &bx, &by, width, height)) return;
    x1 = int(ax), y1 = int(ay), x2 = int(bx), y2 = int(by);

    const int stride = bitmap->RowStride();
    const unsigned op = mode & PIX_CombineOpMask;
    auto at = [&](int x, int y) { return pixels + int64_t(y) * stride + x; };
    if (y1 == y2) {
        if (x1 > x2) std::swap(x1, x2);
        return DrawRun(at(x1, y1), false, stride, x2 - x1 + 1, colour, alpha, op);
    }
    if (x1 == x2) {
        if (y1 > y2) std::swap(y1, y2);
        return DrawRun(at(x1, y1), true, stride, y2 - y1 + 1, colour, alpha, op);
    }
    int dx = x2 - x1, dy = y2 - y1;
    if (dx == dy || dx == -dy) {
        return DrawDiagonal(at(x1, y1), dx < 0 ? -dx : dx, dx > 0 ? 1 : -1,
                            dy > 0 ? stride : -stride, colour, alpha, op, antialias);
    }

    const bool xMajor = (dx < 0 ? -dx : dx) > (dy < 0 ? -dy : dy);
    const int majorStep = xMajor ? 1 : stride;
    int minorStep = xMajor ? stride : 1;
    int length = xMajor ? dx : dy;
    int minor = xMajor ? dy : dx;
    PIX_PackedColor* first = at(x1, y1);
    PIX_PackedColor* last = at(x2, y2);
    if (length < 0) {
        length = -length;
        minor = -minor;
        std::swap(first, last);
    }
    if (minor < 0) {
        minor = -minor;
        minorStep = -minorStep;
    }
    const int slope = int(int64_t(minor) * 65536 / length);
    const int w = PIX_WeightFromAlpha(alpha);
    const PIX_LineKernelFn kernel = antialias
                                        ? PIX_SelectKernel(kAntialiasLineKernels, op, w, alpha)
                                        : PIX_SelectKernel(kLineKernels, op, w, alpha);
    if (kernel) kernel(first, last, slope, majorStep, length, minorStep, colour, w, antialias);
}

void PIX_BoxOutline(PIX_IBitmap* bitmap, int x, int y, int w, int h, PIX_PackedColor colour,
                    float alpha, PIX_CombineMode mode)
{
    if (!bitmap) return;
    // Saturating keeps a far edge outside the bitmap, where it was.
    const int right = PIX_SaturateToInt(int64_t(x) + w);
    const int bottom = PIX_SaturateToInt(int64_t(y) + h);
    PIX_DrawSegment(bitmap, x, y, right, y, colour, alpha, mode, false);
    PIX_DrawSegment(bitmap, right, y, right, bottom, colour, alpha, mode, false);
    PIX_DrawSegment(bitmap, right, bottom, x, bottom, colour, alpha, mode, false);
    PIX_DrawSegment(bitmap, x, bottom, x, y, colour, alpha, mode, false);
}

void PIX_FillBoxOutlined(PIX_IBitmap* bitmap, int x, int y, int w, int h,
                         PIX_PackedColor fillColour, PIX_PackedColor outlineColour, float alpha,
                         PIX_CombineMode mode)
{
    if (!bitmap) return;
    PIX_FillBox(bitmap, PIX_SaturateToInt(int64_t(x) + 1), PIX_SaturateToInt(int64_t(y) + 1),
                PIX_SaturateToInt(int64_t(w) - 1), PIX_SaturateToInt(int64_t(h) - 1), fillColour,
                alpha, mode);
    PIX_BoxOutline(bitmap, x, y, w, h, outlineColour, alpha, mode);
}

void PIX_DrawDashedSegment(PIX_IBitmap* bitmap, int x1, int y1, int x2, int y2, int on, int off,
                           PIX_PackedColor colour, float alpha, PIX_CombineMode mode)
{
    if (!bitmap) return;
    PIX_PackedColor* const pixels = bitmap->PixelData();
    if (!pixels) return;
    if (!PIX_ClipSegment(&x1, &y1, &x2, &y2, bitmap->PixelWidth(), bitmap->PixelHeight())) return;
    if (y1 > y2) std::swap(x1, x2), std::swap(y1, y2);
    const unsigned op = mode & PIX_CombineOpMask;
    if (on == 1 && off == 1 && x1 == x2) {
        if (op == PIX_CombineCopy && alpha == 1.0f) {
            const int stride = bitmap->RowStride();
            return WordRun<PIX_StoreWord>(pixels + int64_t(y1) * stride + x1, 2 * stride,
                                          (y2 - y1 + 1) / 2, colour, PIX_WeightOpaque);
        }
    } else if (x1 > x2) {
        std::swap(x1, x2), std::swap(y1, y2);
    }
    const int w = PIX_WeightFromAlpha(alpha);
    if (const PIX_DashKernelFn kernel = PIX_SelectKernel(kDashKernels, op, w, alpha))
        kernel(bitmap, x1, y1, x2, y2, on, off, colour, w);
}
