#pragma once

// The circle kernel families: the midpoint circle and the antialiased circle,
// each one loop templated over a pixel operation of raster/pixel_kernels.h,
// drawing through the plot and span kernels of the same operation, so the
// mode is chosen once per circle. Centres and clip boxes address memory
// rows.
//
// With clipNeeded, every pixel and span is clipped to the clip box (right
// and bottom exclusive, inside the bitmap; it may be null only without
// clipNeeded); without it nothing is tested, and the caller guarantees that
// the shape lies inside the bitmap.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <type_traits>

#include "raster/bitmap.h"
#include "raster/coverage_kernels.h"
#include "raster/fast_paths.h"
#include "raster/float_to_int.h"
#include "raster/line_kernels.h"
#include "raster/pixel.h"
#include "raster/pixel_kernels.h"

using PIX_CircleKernelFn = void (*)(PIX_IBitmap* bitmap, float cx, float cy, float r,
                                    const PIX_Box* clip, PIX_PackedColor colour, int weight,
                                    bool filled, bool clipNeeded);
// A row (or column) span from the first to the last column (row), inclusive.
using PIX_CircleSpanKernelFn = void (*)(PIX_IBitmap* bitmap, int line, int first, int last,
                                        const PIX_Box* clip, int red, int green, int blue,
                                        int alpha, int weight, bool clipNeeded);
using PIX_CirclePlotKernelFn = void (*)(PIX_IBitmap* bitmap, int x, int y, const PIX_Box* clip,
                                        int red, int green, int blue, int alpha, int weight,
                                        bool clipNeeded);

// The largest radius drawn; larger ones, like non-finite centres and radii,
// draw nothing.
constexpr float PIX_CircleMaxRadius = 16777216.0f;

inline bool PIX_CircleIsDrawable(float cx, float cy, float r)
{
    return std::isfinite(cx) && std::isfinite(cy) && r >= 0.0f && r <= PIX_CircleMaxRadius;
}

// Whether a circle of the whole bitmap needs clipping: the kernels touch
// pixels up to 2 beyond the radius (the antialiased outer ring included).
inline bool PIX_CircleClipNeeded(int width, int height, float cx, float cy, float r)
{
    const double x = cx, y = cy, radius = r;
    return x - radius < 2 || y - radius < 2 || x + radius + 2 >= width || y + radius + 2 >= height;
}

// One pixel in the pixels of a bitmap.
template <class Op>
void PIX_CirclePlot(PIX_PackedColor* pixels, ptrdiff_t stride, int x, int y, const PIX_Box* clip,
                    int red, int green, int blue, int alpha, int weight, bool clipNeeded)
{
    if (clipNeeded && (x < clip->left || x >= clip->right || y < clip->top || y >= clip->bottom))
        return;
    uint8_t* p = reinterpret_cast<uint8_t*>(pixels + (ptrdiff_t(y) * stride + x));
    Op::Apply(p, red, green, blue, alpha, weight);
}

template <class Op>
void PIX_CirclePlotKernel(PIX_IBitmap* bitmap, int x, int y, const PIX_Box* clip, int red,
                          int green, int blue, int alpha, int weight, bool clipNeeded)
{
    if (PIX_PackedColor* const pixels = bitmap->PixelData())
        PIX_CirclePlot<Op>(pixels, bitmap->RowStride(), x, y, clip, red, green, blue, alpha, weight,
                           clipNeeded);
}

// A span along a row, or down a column a row stride a step, in the pixels
// of a bitmap.
template <class Op, bool AlongRow>
void PIX_CircleSpan(PIX_PackedColor* pixels, ptrdiff_t stride, int line, int first, int last,
                    const PIX_Box* clip, int red, int green, int blue, int alpha, int weight,
                    bool clipNeeded)
{
    int64_t from = first, to = last;
    if (clipNeeded) {
        const int lineStart = AlongRow ? clip->top : clip->left;
        const int lineEnd = AlongRow ? clip->bottom : clip->right;
        if (line < lineStart || line >= lineEnd) return;
        const int64_t spanStart = AlongRow ? clip->left : clip->top;
        const int64_t spanEnd = AlongRow ? clip->right : clip->bottom;
        if (from < spanStart) from = spanStart;
        if (to > spanEnd - 1) to = spanEnd - 1;
    }
    if (to < from) return;
    const ptrdiff_t step = AlongRow ? 1 : stride;
    PIX_PackedColor* p = AlongRow ? pixels + line * stride + from : pixels + from * stride + line;
    // A copy at full weight, the opaque one or the antialiased disc's
    // inside, stores whole words: the copy formula gives the source there.
    constexpr bool kCopy = std::is_same<Op, PIX_WrapOp::CopyOpaque>::value ||
                           std::is_same<Op, PIX_WrapOp::Copy>::value;
    if (kCopy && weight == PIX_WeightOpaque) {
        const PIX_PackedColor word = PIX_PackChannels(red, green, blue, alpha);
        for (int64_t i = from; i <= to; ++i, p += step) *p = word;
    } else {
        for (int64_t i = from; i <= to; ++i, p += step)
            Op::Apply(reinterpret_cast<uint8_t*>(p), red, green, blue, alpha, weight);
    }
}

template <class Op, bool AlongRow>
void PIX_CircleSpanKernel(PIX_IBitmap* bitmap, int line, int first, int last, const PIX_Box* clip,
                          int red, int green, int blue, int alpha, int weight, bool clipNeeded)
{
    if (PIX_PackedColor* const pixels = bitmap->PixelData())
        PIX_CircleSpan<Op, AlongRow>(pixels, bitmap->RowStride(), line, first, last, clip, red,
                                     green, blue, alpha, weight, clipNeeded);
}

// One circle's pixels and spans, by offsets from its centre pixel. The
// offsets are the picture's: on a bottom-up bitmap they point up in memory,
// so that a shape which is not symmetric top to bottom lands the same way.
template <class Op>
struct PIX_CirclePainter {
    PIX_PackedColor* pixels;  // read once, not null: a circle is many pixels and spans
    ptrdiff_t stride;
    const PIX_Box* clip;
    bool clipNeeded;
    int64_t xc, yc;
    int64_t down;  // the memory row step of one picture row down
    PIX_LineColor channels;

    PIX_CirclePainter(PIX_IBitmap* b, const PIX_Box* box, bool needed, int64_t x, int64_t y,
                      PIX_PackedColor colour)
        : pixels(b->PixelData()),
          stride(b->RowStride()),
          clip(box),
          clipNeeded(needed),
          xc(x),
          yc(y),
          down(b->IsBottomUp() ? -1 : 1),
          channels(colour)
    {
    }
    // False when nothing within extent pixels of the centre lies in the clip box.
    bool Reaches(int64_t extent) const
    {
        return !clipNeeded || (xc + extent >= clip->left && xc - extent < clip->right &&
                               yc + extent >= clip->top && yc - extent < clip->bottom);
    }
    void Plot(int64_t dx, int64_t dy, int weight) const
    {
        PIX_CirclePlot<Op>(pixels, stride, PIX_SaturateToInt(xc + dx),
                           PIX_SaturateToInt(yc + down * dy), clip, channels.r, channels.g,
                           channels.b, channels.a, weight, clipNeeded);
    }
    // The row dy below the centre, from column xc + from to xc + to.
    void Row(int64_t dy, int64_t from, int64_t to, int weight) const
    {
        PIX_CircleSpan<Op, true>(pixels, stride, PIX_SaturateToInt(yc + down * dy),
                                 PIX_SaturateToInt(xc + from), PIX_SaturateToInt(xc + to), clip,
                                 channels.r, channels.g, channels.b, channels.a, weight,
                                 clipNeeded);
    }
};

// One step of the midpoint circle: row y of the octant above the diagonal
// reaches column *x.
inline void PIX_MidpointStep(int64_t y, int64_t* x, int64_t* error)
{
    if (*error >= 0) {
        --*x;
        *error += 2 * (y - *x) + 1;
    } else {
        *error += 2 * y + 1;
    }
}

// The column that the midpoint walk of a circle of the radius reaches at
// row y of the octant above the diagonal: the largest x with x (x - 1) <=
// radius^2 - y^2, as the walk keeps it; also the row of column y below the
// diagonal. Continued past the diagonal, where the walk has stopped.
inline int64_t PIX_MidpointReach(int64_t radius, int64_t y)
{
    const int64_t room = radius * radius - y * y;
    if (radius <= 0 || room < 0) return 0;
    int64_t x = int64_t((1.0 + std::sqrt(1.0 + 4.0 * double(room))) / 2.0);
    while (x * (x - 1) > room) --x;
    while ((x + 1) * x <= room) ++x;
    return x;
}

// The antialiased edge's exact position on row (or column) j of a circle
// whose radius squared is given; negative past the radius, where the edge
// has ended.
inline double PIX_SmoothCircleEdge(double rSquared, int64_t j)
{
    const double rest = rSquared - double(j) * double(j);
    return rest < 0 ? -1.0 : std::sqrt(rest);
}

// A filled disc's inside, row by row, from a walk down one octant: row 0
// and column 0 whole, then at each step j row j from column j to l_j and
// column j from row j + 1 to l_j, mirrored in both axes. As l never grows,
// row d holds columns up to the last step k < d whose l_k still reaches d,
// and, when l_d >= d, its own span to l_d; so every row is one span, told
// as the walk passes below it, and every pixel is combined once.
template <class Painter>
class PIX_DiscRows {
public:
    PIX_DiscRows(const Painter& paint, int64_t radius, int weight)
        : mPaint(paint), mWeight(weight), mReach(radius)
    {
        Rows(0, radius);
    }
    // Step j of the walk reaches l.
    void Step(int64_t j, int64_t l)
    {
        for (int64_t d = l + 1; d <= mReach; ++d) Rows(d, j - 1);
        if (l >= j) Rows(j, l);
        mReach = l;
        mLast = j;
    }
    // The rows that the last step still reaches.
    void Finish()
    {
        for (int64_t d = mLast + 1; d <= mReach; ++d) Rows(d, mLast);
    }

private:
    void Rows(int64_t d, int64_t extent) const
    {
        mPaint.Row(-d, -extent, extent, mWeight);
        if (d != 0) mPaint.Row(d, -extent, extent, mWeight);
    }

    const Painter& mPaint;
    int mWeight;
    int64_t mReach;
    int64_t mLast = 0;
};

template <class Painter>
void PIX_FillMidpointDisc(const Painter& paint, int64_t radius, int weight)
{
    PIX_DiscRows<Painter> rows(paint, radius, weight);
    int64_t x = radius, error = -radius;
    for (int64_t y = 1; y < x; ++y) {
        PIX_MidpointStep(y, &x, &error);
        rows.Step(y, x);
    }
    rows.Finish();
}

// The midpoint circle of radius (int)(r + 0.5) about ((int)(cx + 0.5),
// (int)(cy + 0.5)); filled, it is made of spans that never overlap, so every
// pixel is combined once.
template <class Op>
void PIX_CircleKernel(PIX_IBitmap* bitmap, float cx, float cy, float r, const PIX_Box* clip,
                      PIX_PackedColor colour, int weight, bool filled, bool clipNeeded)
{
    if (!bitmap || !bitmap->PixelData() || !PIX_CircleIsDrawable(cx, cy, r)) return;
    const PIX_CirclePainter<Op> paint(bitmap, clip, clipNeeded, PIX_TruncateToInt(double(cx) + 0.5),
                                      PIX_TruncateToInt(double(cy) + 0.5), colour);
    const int64_t radius = PIX_TruncateToInt(double(r) + 0.5);
    if (!paint.Reaches(radius)) return;
    if (filled) {
        PIX_FillMidpointDisc(paint, radius, weight);
        return;
    }
    paint.Plot(0, -radius, weight);
    paint.Plot(radius, 0, weight);
    paint.Plot(0, radius, weight);
    paint.Plot(-radius, 0, weight);
    int64_t x = radius, error = -radius;
    for (int64_t y = 1; y < x; ++y) {
        PIX_MidpointStep(y, &x, &error);
        paint.Plot(-y, -x, weight);
        paint.Plot(-y, x, weight);
        paint.Plot(y, -x, weight);
        paint.Plot(y, x, weight);
        if (y != x) {
            paint.Plot(-x, -y, weight);
            paint.Plot(-x, y, weight);
            paint.Plot(x, -y, weight);
            paint.Plot(x, y, weight);
        }
    }
}

// The weight times the fraction of v, truncated.
inline int PIX_CircleFractionWeight(int weight, double v)
{
    return PIX_TruncateToInt(double(weight) * (v - std::floor(v)));
}

// The antialiased circle about ((int)(cx + 0.5), (int)(cy + 0.5)): on every
// row and column step, the pixel just outside the exact edge L gets the
// weight times the fraction of L; a filled disc has full spans inside, an
// outline gives the pixel just inside the rest of the weight.
template <class Op>
void PIX_SmoothCircleKernel(PIX_IBitmap* bitmap, float cx, float cy, float r, const PIX_Box* clip,
                            PIX_PackedColor colour, int weight, bool filled, bool clipNeeded)
{
    if (!bitmap || !bitmap->PixelData() || !PIX_CircleIsDrawable(cx, cy, r)) return;
    const PIX_CirclePainter<Op> paint(bitmap, clip, clipNeeded, PIX_TruncateToInt(double(cx) + 0.5),
                                      PIX_TruncateToInt(double(cy) + 0.5), colour);
    const int64_t radius = PIX_TruncateToInt(r);
    if (!paint.Reaches(radius + 1)) return;
    const int axisOuter = PIX_CircleFractionWeight(weight, r);
    paint.Plot(0, -radius - 1, axisOuter);
    paint.Plot(0, radius + 1, axisOuter);
    paint.Plot(-radius - 1, 0, axisOuter);
    paint.Plot(radius + 1, 0, axisOuter);
    std::optional<PIX_DiscRows<PIX_CirclePainter<Op>>> inside;
    if (filled) {
        inside.emplace(paint, radius, weight);
    } else {
        const int axisInner = weight - axisOuter;
        paint.Plot(0, -radius, axisInner);
        paint.Plot(radius, 0, axisInner);
        paint.Plot(0, radius, axisInner);
        paint.Plot(-radius, 0, axisInner);
    }
    const double rSquared = double(r) * double(r);
    for (int64_t j = 1;; ++j) {
        const double edge = PIX_SmoothCircleEdge(rSquared, j);
        if (edge < 0) break;
        const int64_t rounded = PIX_TruncateToInt(edge + 0.5);
        if (rounded < j) break;
        const int64_t l = PIX_TruncateToInt(edge);
        const int outer = PIX_CircleFractionWeight(weight, edge);
        const bool diagonal = j == rounded;
        paint.Plot(-j, -l - 1, outer);
        paint.Plot(-j, l + 1, outer);
        paint.Plot(j, -l - 1, outer);
        paint.Plot(j, l + 1, outer);
        if (!diagonal) {
            paint.Plot(-l - 1, -j, outer);
            paint.Plot(l + 1, -j, outer);
            paint.Plot(-l - 1, j, outer);
            paint.Plot(l + 1, j, outer);
        }
        if (filled) {
            inside->Step(j, l);
        } else {
            const int inner = weight - outer;
            paint.Plot(-l, -j, inner);
            paint.Plot(l, -j, inner);
            paint.Plot(-j, l, inner);
            paint.Plot(j, l, inner);
            if (!diagonal) {
                paint.Plot(-j, -l, inner);
                paint.Plot(j, -l, inner);
                paint.Plot(-l, j, inner);
                paint.Plot(l, j, inner);
            }
        }
    }
    if (filled) inside->Finish();
}

// clang-format off
// Copy at weight 128 is (d + s) / 2 per channel, as PIX_PlotPixelCopyHalf;
// the opaque and half copies have no plot kernels of their own.
inline constexpr PIX_CirclePlotKernelFn PIX_CirclePlotKernelCopy = PIX_CirclePlotKernel<PIX_WrapOp::Copy>;
inline constexpr PIX_CirclePlotKernelFn PIX_CirclePlotKernelAdd = PIX_CirclePlotKernel<PIX_WrapOp::Add>;
inline constexpr PIX_CirclePlotKernelFn PIX_CirclePlotKernelDodge = PIX_CirclePlotKernel<PIX_WrapOp::Dodge>;
inline constexpr PIX_CirclePlotKernelFn PIX_CirclePlotKernelMultiply = PIX_CirclePlotKernel<PIX_WrapOp::Multiply>;
inline constexpr PIX_CirclePlotKernelFn PIX_CirclePlotKernelSoftLight = PIX_CirclePlotKernel<PIX_WrapOp::SoftLight>;
inline constexpr PIX_CirclePlotKernelFn PIX_CirclePlotKernelHsvShift = PIX_CirclePlotKernel<PIX_WrapOp::HsvShift>;

inline constexpr PIX_CircleSpanKernelFn PIX_CircleHSpanKernelCopy = PIX_CircleSpanKernel<PIX_WrapOp::Copy, true>;
inline constexpr PIX_CircleSpanKernelFn PIX_CircleHSpanKernelCopyOpaque = PIX_CircleSpanKernel<PIX_WrapOp::CopyOpaque, true>;
inline constexpr PIX_CircleSpanKernelFn PIX_CircleHSpanKernelCopyHalf = PIX_CircleSpanKernel<PIX_HalfCopyOp, true>;
inline constexpr PIX_CircleSpanKernelFn PIX_CircleHSpanKernelAdd = PIX_CircleSpanKernel<PIX_WrapOp::Add, true>;
inline constexpr PIX_CircleSpanKernelFn PIX_CircleHSpanKernelDodge = PIX_CircleSpanKernel<PIX_WrapOp::Dodge, true>;
inline constexpr PIX_CircleSpanKernelFn PIX_CircleHSpanKernelMultiply = PIX_CircleSpanKernel<PIX_WrapOp::Multiply, true>;
inline constexpr PIX_CircleSpanKernelFn PIX_CircleHSpanKernelSoftLight = PIX_CircleSpanKernel<PIX_WrapOp::SoftLight, true>;
inline constexpr PIX_CircleSpanKernelFn PIX_CircleHSpanKernelHsvShift = PIX_CircleSpanKernel<PIX_WrapOp::HsvShift, true>;

inline constexpr PIX_CircleSpanKernelFn PIX_CircleVSpanKernelCopy = PIX_CircleSpanKernel<PIX_WrapOp::Copy, false>;
inline constexpr PIX_CircleSpanKernelFn PIX_CircleVSpanKernelCopyOpaque = PIX_CircleSpanKernel<PIX_WrapOp::CopyOpaque, false>;
inline constexpr PIX_CircleSpanKernelFn PIX_CircleVSpanKernelCopyHalf = PIX_CircleSpanKernel<PIX_HalfCopyOp, false>;
inline constexpr PIX_CircleSpanKernelFn PIX_CircleVSpanKernelAdd = PIX_CircleSpanKernel<PIX_WrapOp::Add, false>;
inline constexpr PIX_CircleSpanKernelFn PIX_CircleVSpanKernelDodge = PIX_CircleSpanKernel<PIX_WrapOp::Dodge, false>;
inline constexpr PIX_CircleSpanKernelFn PIX_CircleVSpanKernelMultiply = PIX_CircleSpanKernel<PIX_WrapOp::Multiply, false>;
inline constexpr PIX_CircleSpanKernelFn PIX_CircleVSpanKernelSoftLight = PIX_CircleSpanKernel<PIX_WrapOp::SoftLight, false>;
inline constexpr PIX_CircleSpanKernelFn PIX_CircleVSpanKernelHsvShift = PIX_CircleSpanKernel<PIX_WrapOp::HsvShift, false>;

inline constexpr PIX_CircleKernelFn PIX_CircleKernelCopy = PIX_CircleKernel<PIX_WrapOp::Copy>;
inline constexpr PIX_CircleKernelFn PIX_CircleKernelCopyOpaque = PIX_CircleKernel<PIX_WrapOp::CopyOpaque>;
inline constexpr PIX_CircleKernelFn PIX_CircleKernelCopyHalf = PIX_CircleKernel<PIX_HalfCopyOp>;
inline constexpr PIX_CircleKernelFn PIX_CircleKernelAdd = PIX_CircleKernel<PIX_WrapOp::Add>;
inline constexpr PIX_CircleKernelFn PIX_CircleKernelDodge = PIX_CircleKernel<PIX_WrapOp::Dodge>;
inline constexpr PIX_CircleKernelFn PIX_CircleKernelMultiply = PIX_CircleKernel<PIX_WrapOp::Multiply>;
inline constexpr PIX_CircleKernelFn PIX_CircleKernelSoftLight = PIX_CircleKernel<PIX_WrapOp::SoftLight>;
inline constexpr PIX_CircleKernelFn PIX_CircleKernelHsvShift = PIX_CircleKernel<PIX_WrapOp::HsvShift>;

// The antialiased copy takes the general copy at every weight, 256 included.
inline constexpr PIX_CircleKernelFn PIX_SmoothCircleKernelCopy = PIX_SmoothCircleKernel<PIX_WrapOp::Copy>;
inline constexpr PIX_CircleKernelFn PIX_SmoothCircleKernelAdd = PIX_SmoothCircleKernel<PIX_WrapOp::Add>;
inline constexpr PIX_CircleKernelFn PIX_SmoothCircleKernelDodge = PIX_SmoothCircleKernel<PIX_WrapOp::Dodge>;
inline constexpr PIX_CircleKernelFn PIX_SmoothCircleKernelMultiply = PIX_SmoothCircleKernel<PIX_WrapOp::Multiply>;
inline constexpr PIX_CircleKernelFn PIX_SmoothCircleKernelSoftLight = PIX_SmoothCircleKernel<PIX_WrapOp::SoftLight>;
inline constexpr PIX_CircleKernelFn PIX_SmoothCircleKernelHsvShift = PIX_SmoothCircleKernel<PIX_WrapOp::HsvShift>;
// clang-format on

// The families, by operation alone: the source-alpha flag is ignored.
inline constexpr PIX_KernelFamily<PIX_CircleKernelFn, 2> PIX_CircleKernels = {
    {PIX_CircleKernelCopy, PIX_CircleKernelAdd, PIX_CircleKernelDodge, PIX_CircleKernelMultiply,
     PIX_CircleKernelSoftLight, PIX_CircleKernelHsvShift},
    {},
    {{{PIX_CombineCopy, PIX_WeightOpaque, 0.0f, PIX_CircleKernelCopyOpaque},
      {PIX_CombineCopy, PIX_WeightHalf, 0.0f, PIX_CircleKernelCopyHalf}}}};

inline constexpr PIX_KernelFamily<PIX_CircleKernelFn> PIX_SmoothCircleKernels = {
    {PIX_SmoothCircleKernelCopy, PIX_SmoothCircleKernelAdd, PIX_SmoothCircleKernelDodge,
     PIX_SmoothCircleKernelMultiply, PIX_SmoothCircleKernelSoftLight,
     PIX_SmoothCircleKernelHsvShift},
    {},
    {}};
