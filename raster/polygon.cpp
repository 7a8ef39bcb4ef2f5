#include "raster/polygon.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>

#include "core/compiler_specifics.h"
#include "raster/float_to_int.h"
#include "raster/line.h"
#include "raster/polygon_kernels.h"
#include "raster/smooth_line.h"

namespace {

// Polygons up to this many corners are sorted on the stack.
constexpr int kStackCorners = 512;

// Edge steps are held within +-2^29, so that a fraction plus a step fits.
constexpr double kStepLimit = double(1 << 29);

// The start of a band edge from x = top on row ya to x = bottom on row yb:
// its 16.16 step and direction, moved down to row 0 when ya < 0.
PIX_EdgeWalk StartEdge(int top, int bottom, int ya, int yb)
{
    PIX_EdgeWalk edge{top, 0, 0, 1};
    if (ya == yb) return edge;
    const double q = 65536.0 / (double(yb) - double(ya));
    const double step = std::clamp(q * (double(bottom) - double(top)), -kStepLimit, kStepLimit);
    edge.step = PIX_TruncateToInt(step);
    if (edge.step < 0) edge.step = -edge.step, edge.direction = -1;
    if (ya < 0) {
        // 64 bits: |ya| x step passes 2^31 for edges wider than about 32768 pixels.
        const int64_t fraction = -int64_t(ya) * edge.step;
        edge.x += edge.direction * (fraction >> 16);
        edge.fraction = int(fraction & 0xFFFF);
    }
    return edge;
}

// The x of the edge from u down to l at row r: xU + trunc(slope x (r - yU))
// in single precision between the rows, the nearer end outside them.
int EdgeX(const PIX_Corner& u, const PIX_Corner& l, int64_t r)
{
    if (r <= u.y) return u.x;
    if (r >= l.y) return l.x;
    const float slope = float(int64_t(l.x) - u.x) / float(int64_t(l.y) - u.y);
    const float offset = slope * float(r - u.y);
    return PIX_TruncateToInt(double(u.x) + double(std::trunc(offset)));
}

// The area between a segment and a line, in coordinates a across the line
// and b along it: (x, y) for a vertical line, (y, x) for a horizontal one
// (transposed). A segment on one side of a vertical line fills one row past
// its end (farExtra 1), on one side of a horizontal line not (0).
struct LineFill {
    PIX_IBitmap* bitmap;
    bool transposed;
    int farExtra;
    PIX_PackedColor colour;
    float alpha;
    PIX_CombineMode mode;

    void Triangle(int a1, int b1, int a2, int b2, int a3, int b3) const
    {
        if (transposed)
            PIX_FillTriangleShape(bitmap, b1, a1, b2, a2, b3, a3, colour, alpha, mode);
        else
            PIX_FillTriangleShape(bitmap, a1, b1, a2, b2, a3, b3, colour, alpha, mode);
    }

    void Fill(int a1, int b1, int a2, int b2, int line) const
    {
        if (b2 < b1) return;
        if (b1 == b2) {
            const int from = std::min(a1, line), to = line < a2 ? a2 - 1 : line;
            if (transposed)
                PIX_DrawSegment(bitmap, b1, from, b1, to, colour, alpha, mode, false);
            else
                PIX_DrawSegment(bitmap, from, b1, to, b1, colour, alpha, mode, false);
            return;
        }
        const int beyond = PIX_SaturateToInt(int64_t(line) + 1);
        if ((line > a2) == (a1 >= line)) {
            // Where the segment crosses: line lies between a1 and a2, so bc between b1 and b2.
            const int bc =
                int(b1 + WideInt(int64_t(b2) - b1) * (int64_t(line) - a1) / (int64_t(a2) - a1));
            const int eNear = a1 < line ? beyond : line;
            const int eFar = line > a2 ? beyond : line;
            Triangle(a1, b1, eNear, b1, eNear, bc);
            Triangle(eFar, bc, eFar, b2, a2, b2);
            return;
        }
        const int e = a1 < line ? beyond : line;
        const int bFar = PIX_SaturateToInt(int64_t(b2) + farExtra);
        const int as[4] = {a1, e, a2, e};
        const int bs[4] = {b1, b1, bFar, bFar};
        if (transposed)
            PIX_FillConvexShape(bitmap, bs, as, 4, colour, alpha, mode);
        else
            PIX_FillConvexShape(bitmap, as, bs, 4, colour, alpha, mode);
    }
};

// The cubic fills, along the curve's major coordinate (y for axis 0, x for
// axis 1): each point's major coordinate truncated, its minor one rounded,
// every piece filled by the line fill from the major position after the last.
// A piece's fill stays within its major range (one further against a
// column), so a piece wholly off the bitmap is only stepped over.
void FillCubic(PIX_IBitmap* bitmap, int axis, const float (&p)[8], int line, PIX_PackedColor colour,
               float alpha, PIX_CombineMode mode, float step)
{
    PIX_CubicSpan span;
    const int pieces =
        PIX_CubicSetup(bitmap, axis, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], step, &span);
    if (pieces <= 0) return;
    const bool byY = axis == 0;
    const LineFill fill{bitmap, !byY, byY ? 1 : 0, colour, alpha, mode};
    const int majorSize = byY ? bitmap->PixelHeight() : bitmap->PixelWidth();
    const auto onBitmap = [&](int from, int to) {
        return from < majorSize && int64_t(to) + fill.farExtra >= 0;
    };
    const PIX_CubicPowerBasis& major = byY ? span.y : span.x;
    const PIX_CubicPowerBasis& minor = byY ? span.x : span.y;
    const double majorEnd = byY ? span.yEnd : span.xEnd;
    const double minorEnd = byY ? span.xEnd : span.yEnd;
    int pMajor = PIX_TruncateToInt(byY ? span.yStart : span.xStart);
    int pMinor = PIX_TruncateToInt(double(byY ? span.xStart : span.yStart) + 0.5);
    const double dt = (span.tEnd - span.tStart) / pieces;
    double t = span.tStart;
    for (int i = 1; i <= pieces - 2; ++i) {
        t += dt;
        const int m = PIX_TruncateToInt(major.At(t));
        if (m < pMajor) continue;
        const int n = PIX_TruncateToInt(minor.At(t) + 0.5);
        if (onBitmap(pMajor, m)) fill.Fill(pMinor, pMajor, n, m, line);
        pMajor = PIX_SaturateToInt(int64_t(m) + 1);
        pMinor = n;
    }
    const int m = PIX_TruncateToInt(majorEnd - 1);
    if (m >= pMajor && onBitmap(pMajor, m))
        fill.Fill(pMinor, pMajor, PIX_TruncateToInt(minorEnd + 0.5), m, line);
}

}  // namespace

void PIX_FillTriangleSpans(PIX_IBitmap* bitmap, int xa, int xb, int ya, int xd, int xe, int yb,
                           PIX_PackedColor colour, float alpha, PIX_CombineMode mode)
{
    if (!bitmap) return;
    PIX_PackedColor* const pixels = bitmap->PixelData();
    const int stride = bitmap->RowStride();
    if (!pixels || stride <= 0) return;
    if (ya > yb) std::swap(ya, yb), std::swap(xa, xd), std::swap(xb, xe);
    if (xa > xb) std::swap(xa, xb);
    if (xd > xe) std::swap(xd, xe);

    const int width = bitmap->PixelWidth(), height = bitmap->PixelHeight();
    if ((xb < 0 && xe < 0) || (xa >= width && xd >= width)) return;
    if (xa <= 0 && xd <= 0) xa = xd = 0;
    if (xb >= width - 1 && xe >= width - 1) xb = xe = width - 1;
    if (yb < 0 || ya >= height) return;

    const int weight = PIX_WeightFromAlpha(alpha);
    const PIX_TriangleKernelFn kernel =
        PIX_SelectKernel(PIX_TriangleKernels, mode & PIX_CombineOpMask, weight, alpha);
    if (!kernel) return;
    const PIX_LineColor c(colour);

    const PIX_EdgeWalk left = StartEdge(xa, xd, ya, yb), right = StartEdge(xb, xe, ya, yb);
    const int top = std::max(ya, 0), last = std::min(yb, height - 1);
    const int rows = last - top + 1;
    if (rows <= 0) return;
    PIX_PackedColor* const row = pixels + int64_t(top) * stride;
    const int xLeft = PIX_SaturateToInt(left.x), xRight = PIX_SaturateToInt(right.x + 1);

    if (left.step == 0 && right.step == 0) {
        // A rectangle: the same span on every row.
        const int from = std::max(xLeft, 0), length = std::min(xRight, width) - from;
        if (length <= 0) return;
        kernel(width, stride, row + from, rows, 0, length, 0, 0, 0, 0, 1, 1, c.r, c.g, c.b, c.a,
               weight);
        return;
    }
    kernel(width, stride, row, rows, xLeft, xRight, left.step, right.step, left.fraction,
           right.fraction, left.direction, right.direction, c.r, c.g, c.b, c.a, weight);
}

int PIX_ComparePointYX(const PIX_Corner* a, const PIX_Corner* b)
{
    if (a->y != b->y) return a->y < b->y ? -1 : 1;
    if (a->x != b->x) return a->x < b->x ? -1 : 1;
    return 0;
}

int PIX_PickPolygonEdge(const PIX_Corner* sorted, int from, int count, int direction)
{
    if (!sorted || from < 0 || from >= count) return from;
    const PIX_Corner& f = sorted[from];
    int best = from;
    double bestSlope = 0.0;
    for (int i = from + 1; i < count; ++i) {
        if (sorted[i].y == f.y) continue;
        const double slope =
            (double(sorted[i].x) - double(f.x)) / (double(sorted[i].y) - double(f.y));
        if (best == from || (direction < 0 ? slope <= bestSlope : slope >= bestSlope))
            best = i, bestSlope = slope;
    }
    return best;
}

void PIX_FillConvexShape(PIX_IBitmap* bitmap, const int* xs, const int* ys, int count,
                         PIX_PackedColor colour, float alpha, PIX_CombineMode mode)
{
    if (!bitmap || !bitmap->PixelData() || !xs || !ys || count < 3) return;
    PIX_Corner onStack[kStackCorners];
    std::unique_ptr<PIX_Corner[]> onHeap;
    PIX_Corner* corners = onStack;
    if (count > kStackCorners) {
        onHeap.reset(new (std::nothrow) PIX_Corner[size_t(count)]);
        if (!onHeap) return;
        corners = onHeap.get();
    }
    const int height = bitmap->PixelHeight();
    const bool flip = bitmap->IsBottomUp();
    int minX = xs[0], maxX = xs[0];
    for (int i = 0; i < count; ++i) {
        corners[i] = {xs[i], flip ? PIX_SaturateToInt(int64_t(height) - 1 - ys[i]) : ys[i]};
        minX = std::min(minX, xs[i]);
        maxX = std::max(maxX, xs[i]);
    }
    std::sort(corners, corners + count, [](const PIX_Corner& a, const PIX_Corner& b) {
        return PIX_ComparePointYX(&a, &b) < 0;
    });

    const int top = corners[0].y;
    if (corners[count - 1].y == top) {
        if (top >= 0 && top < height)
            PIX_FillTriangleSpans(bitmap, minX, maxX, top, minX, maxX, top, colour, alpha, mode);
        return;
    }
    // The top row's rightmost corner, and the last of its leftmost.
    int r0 = 0, l0 = 0;
    while (corners[r0 + 1].y == top) ++r0;
    while (l0 < r0 && corners[l0 + 1].x == corners[0].x) ++l0;
    int l1 = PIX_PickPolygonEdge(corners, l0, count, -1);
    int r1 = PIX_PickPolygonEdge(corners, r0, count, 1);
    int64_t y = top;
    while (l0 != l1 || r0 != r1) {
        const int yNext = std::min(corners[l1].y, corners[r1].y);
        PIX_FillTriangleSpans(bitmap, EdgeX(corners[l0], corners[l1], y),
                              EdgeX(corners[r0], corners[r1], y), int(y),
                              EdgeX(corners[l0], corners[l1], yNext),
                              EdgeX(corners[r0], corners[r1], yNext), yNext, colour, alpha, mode);
        if (corners[l1].y == yNext) l0 = l1, l1 = PIX_PickPolygonEdge(corners, l1, count, -1);
        if (corners[r1].y == yNext) r0 = r1, r1 = PIX_PickPolygonEdge(corners, r1, count, 1);
        y = int64_t(yNext) + 1;
    }
}

void PIX_FillTriangleShape(PIX_IBitmap* bitmap, int x1, int y1, int x2, int y2, int x3, int y3,
                           PIX_PackedColor colour, float alpha, PIX_CombineMode mode)
{
    const int xs[3] = {x1, x2, x3}, ys[3] = {y1, y2, y3};
    PIX_FillConvexShape(bitmap, xs, ys, 3, colour, alpha, mode);
}

void PIX_FillSegmentToVerticalLine(PIX_IBitmap* bitmap, int x1, int y1, int x2, int y2, int lineX,
                                   PIX_PackedColor colour, float alpha, PIX_CombineMode mode)
{
    if (!bitmap || !bitmap->PixelData()) return;
    LineFill{bitmap, false, 1, colour, alpha, mode}.Fill(x1, y1, x2, y2, lineX);
}

void PIX_FillSegmentToHorizontalLine(PIX_IBitmap* bitmap, int x1, int y1, int x2, int y2, int lineY,
                                     PIX_PackedColor colour, float alpha, PIX_CombineMode mode)
{
    if (!bitmap || !bitmap->PixelData()) return;
    LineFill{bitmap, true, 0, colour, alpha, mode}.Fill(y1, x1, y2, x2, lineY);
}

void PIX_FillCubicToVerticalLine(PIX_IBitmap* bitmap, float x0, float y0, float x1, float y1,
                                 float x2, float y2, float x3, float y3, int lineX,
                                 PIX_PackedColor colour, float alpha, PIX_CombineMode mode,
                                 float step)
{
    const float p[8] = {x0, y0, x1, y1, x2, y2, x3, y3};
    FillCubic(bitmap, 0, p, lineX, colour, alpha, mode, step);
}

void PIX_FillCubicToHorizontalLine(PIX_IBitmap* bitmap, float x0, float y0, float x1, float y1,
                                   float x2, float y2, float x3, float y3, int lineY,
                                   PIX_PackedColor colour, float alpha, PIX_CombineMode mode,
                                   float step)
{
    const float p[8] = {x0, y0, x1, y1, x2, y2, x3, y3};
    FillCubic(bitmap, 1, p, lineY, colour, alpha, mode, step);
}
