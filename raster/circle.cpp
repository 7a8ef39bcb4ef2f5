#include "raster/circle.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "raster/circle_kernels.h"
#include "raster/circle_stamps.h"
#include "raster/coverage.h"
#include "raster/float_to_int.h"
#include "raster/line.h"

namespace {

// The single-precision constants of the angles.
constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = 1.5707964f;
constexpr float kThreeHalfPi = 4.712389f;
constexpr float kTwoPi = 6.2831855f;

// A disc or an outline of the whole bitmap.
void DrawCircle(PIX_IBitmap* bitmap, float cx, float cy, float r, PIX_PackedColor colour,
                float alpha, PIX_CombineMode mode, bool antialias, bool filled)
{
    if (!bitmap->PixelData() || !PIX_CircleIsDrawable(cx, cy, r)) return;
    const int width = bitmap->PixelWidth(), height = bitmap->PixelHeight();
    if (bitmap->IsBottomUp()) cy = float(height - 1) - cy;
    const int weight = PIX_WeightFromAlpha(alpha);
    if (weight == 0 || width <= 0 || height <= 0) return;
    const PIX_Box clip = {0, 0, width, height};
    PIX_CircleDispatch(bitmap, colour, weight, cx, cy, r, antialias, filled, mode, &clip,
                       PIX_CircleClipNeeded(width, height, cx, cy, r));
}

// The outline as the kernels draw it, in their integer geometry: the
// centre pixel and, at offset j from an axis, how near to and how far from
// the centre the outline lies on that row or column.
struct KernelOutline {
    int64_t xc, yc;
    double rSquared;    // antialiased
    int64_t radius;     // plain: the rounded radius
    long double reach;  // the radius the pixels lie at
    bool antialias;

    KernelOutline(float cx, float cy, float r, bool smooth)
        : xc(PIX_TruncateToInt(double(cx) + 0.5)),
          yc(PIX_TruncateToInt(double(cy) + 0.5)),
          rSquared(double(r) * double(r)),
          radius(PIX_TruncateToInt(double(r) + 0.5)),
          reach(smooth ? (long double)r : (long double)radius),
          antialias(smooth)
    {
    }
    // The antialiased ring holds the pixel inside the edge and the one
    // outside it.
    std::pair<int64_t, int64_t> Span(int64_t j) const
    {
        if (!antialias) {
            const int64_t x = PIX_MidpointReach(radius, j);
            return {x, x};
        }
        const int64_t l = PIX_TruncateToInt(std::max(PIX_SmoothCircleEdge(rSquared, j), 0.0));
        return {l, l + 1};
    }
};

// Pixels of memory rows, right and bottom inclusive.
struct ArcBounds {
    int64_t left, top, right, bottom;
};

// Where a piece ends: the outline on column j right (sx 1) or left (-1) of
// the centre, near the vertical axis, or on row j below (sy 1) or above (-1)
// it, near the horizontal one. Everything the outline holds on one side of
// that column or row lies beyond one end of it.
ArcBounds PieceEnd(const KernelOutline& outline, int sx, int sy, bool column, int64_t j)
{
    const auto [nearest, farthest] = outline.Span(j);
    const int64_t along = column ? sy : sx;
    const int64_t a = along * nearest, b = along * farthest;
    if (column) {
        const int64_t x = outline.xc + sx * j;
        return {x, outline.yc + std::min(a, b), x, outline.yc + std::max(a, b)};
    }
    const int64_t y = outline.yc + sy * j;
    return {outline.xc + std::min(a, b), y, outline.xc + std::max(a, b), y};
}

// The end on the quarter-turn boundary n: the top, right, bottom or left
// axis, by n modulo 4.
ArcBounds AxisEnd(const KernelOutline& outline, int n)
{
    const int axis = n & 3;
    return PieceEnd(outline, axis == 3 ? -1 : 1, axis == 0 ? -1 : 1, axis % 2 == 0, 0);
}

// The end at angle a.
ArcBounds RayEnd(const KernelOutline& outline, long double a)
{
    const long double across = std::sin(a), down = -std::cos(a);
    const bool column = std::fabs(across) <= std::fabs(down);
    const long double offset = outline.reach * std::fabs(column ? across : down) + 0.5L;
    return PieceEnd(outline, across < 0 ? -1 : 1, down < 0 ? -1 : 1, column,
                    PIX_TruncateToInt(double(std::trunc(offset))));
}

// The outline clipped to the box of the ends of the piece from angle a0 to
// a1. A centre on whole pixels leaves its column to the right half and its
// row to the lower half of the picture; the half is the piece's middle's.
void DrawArcPiece(PIX_IBitmap* bitmap, const KernelOutline& outline, long double a0, long double a1,
                  ArcBounds from, ArcBounds to, float cx, float cy, float r, PIX_PackedColor colour,
                  int weight, PIX_CombineMode mode)
{
    const long double middle = (a0 + a1) / 2;
    const bool leftHalf = std::sin(middle) < 0;
    const bool upperHalf = std::cos(middle) > 0;
    const int64_t maxX = std::max(from.right, to.right);
    const int64_t minY = std::min(from.top, to.top), maxY = std::max(from.bottom, to.bottom);
    const int64_t right = maxX + (leftHalf && double(cx) == double(maxX) ? 0 : 1);
    int64_t top = minY, bottom = maxY + 1;
    if (!bitmap->IsBottomUp() && upperHalf && double(cy) == double(maxY)) bottom = maxY;
    if (bitmap->IsBottomUp() && !upperHalf && double(cy) == double(minY)) top = minY + 1;
    const int64_t width = std::max(bitmap->PixelWidth(), 0);
    const int64_t height = std::max(bitmap->PixelHeight(), 0);
    const PIX_Box box = {int(std::clamp<int64_t>(std::min(from.left, to.left), 0, width)),
                         int(std::clamp<int64_t>(top, 0, height)),
                         int(std::clamp<int64_t>(right, 0, width)),
                         int(std::clamp<int64_t>(bottom, 0, height))};
    if (box.IsEmpty()) return;
    PIX_CircleDispatch(bitmap, colour, weight, cx, cy, r, outline.antialias, false, mode, &box,
                       true);
}

}  // namespace

void PIX_FillDisc(PIX_IBitmap* bitmap, float cx, float cy, float r, PIX_PackedColor colour,
                  float alpha, PIX_CombineMode mode, bool antialias)
{
    if (!bitmap) return;
    DrawCircle(bitmap, cx, cy, r, colour, alpha, mode, antialias, true);
}

void PIX_CircleOutline(PIX_IBitmap* bitmap, float cx, float cy, float r, PIX_PackedColor colour,
                       float alpha, PIX_CombineMode mode, bool antialias)
{
    if (!bitmap) return;
    if (PIX_StampSmallCircle(bitmap, colour, mode, cx, cy, r, alpha, antialias)) return;
    DrawCircle(bitmap, cx, cy, r, colour, alpha, mode, antialias, false);
}

void PIX_ArcOutline(PIX_IBitmap* bitmap, float cx, float cy, float r, float startAngle,
                    float endAngle, PIX_PackedColor colour, float alpha, PIX_CombineMode mode,
                    bool antialias)
{
    if (!bitmap || !bitmap->PixelData() || !PIX_CircleIsDrawable(cx, cy, r)) return;
    // A non-finite angle would never let the pieces reach the end.
    if (!std::isfinite(startAngle) || !std::isfinite(endAngle)) return;
    const float callerCy = cy;
    if (bitmap->IsBottomUp()) {
        cy = float(bitmap->PixelHeight() - 1) - cy;
        startAngle = kPi - startAngle;
        endAngle = kPi - endAngle;
    }
    if (startAngle > endAngle) std::swap(startAngle, endAngle);
    // The whole circle mirrors itself: it takes the centre as given.
    if (endAngle - startAngle >= kTwoPi)
        return PIX_CircleOutline(bitmap, cx, callerCy, r, colour, alpha, mode, antialias);
    const float span = endAngle - startAngle;
    if (endAngle >= kTwoPi) {
        endAngle = std::fmod(endAngle, kTwoPi);
        startAngle = endAngle - span;
    } else if (startAngle <= -kTwoPi) {
        startAngle = std::fmod(startAngle, kTwoPi);
        endAngle = startAngle + span;
    }
    const int weight = PIX_WeightFromAlpha(alpha);
    if (weight == 0) return;

    const long double quarterTurn = kHalfPi;
    const long double start = (long double)kTwoPi + startAngle;
    const long double end = (long double)kTwoPi + endAngle;
    if (end <= start) return;
    const long double boundary = start - std::fmod(start, quarterTurn);
    const KernelOutline outline(cx, cy, r, antialias);
    int quarters = int(std::llround(boundary / quarterTurn));
    long double from = start;
    ArcBounds fromEnd = RayEnd(outline, start);
    for (long double a = boundary + quarterTurn;; a += quarterTurn) {
        // A piece that reaches its quarter's end ends on that axis.
        const long double to = std::min(a, end);
        const ArcBounds toEnd = a <= end ? AxisEnd(outline, ++quarters) : RayEnd(outline, end);
        DrawArcPiece(bitmap, outline, from, to, fromEnd, toEnd, cx, cy, r, colour, weight, mode);
        if (a >= end) break;
        from = to;
        fromEnd = toEnd;
    }
}

void PIX_RoundedBoxOutline(PIX_IBitmap* bitmap, float x, float y, float w, float h,
                           int cornerRadius, PIX_PackedColor colour, float alpha,
                           PIX_CombineMode mode, bool antialias)
{
    if (!bitmap || !bitmap->PixelData()) return;
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !std::isfinite(h)) return;
    float radius = float(cornerRadius);
    if (w * 0.5f < radius) radius = w * 0.5f;
    if (h * 0.5f < radius) radius = h * 0.5f;
    radius = std::floor(radius);
    if (cornerRadius <= 0 || radius < 2) {
        PIX_BoxOutline(bitmap, PIX_TruncateToInt(x), PIX_TruncateToInt(y), PIX_TruncateToInt(w),
                       PIX_TruncateToInt(h), colour, alpha, mode);
        return;
    }
    const auto edge = [&](float x1, float y1, float x2, float y2) {
        PIX_DrawSegment(bitmap, PIX_TruncateToInt(x1), PIX_TruncateToInt(y1), PIX_TruncateToInt(x2),
                        PIX_TruncateToInt(y2), colour, alpha, mode, antialias);
    };
    edge(x + radius, y, x + w - radius, y);
    edge(x + radius - 1, y + h, x + w - radius, y + h);
    edge(x + w, y + radius, x + w, y + h - radius);
    edge(x, y + radius - 1, x, y + h - radius);
    const auto corner = [&](float cx, float cy, float from, float to) {
        PIX_ArcOutline(bitmap, cx, cy, radius, from, to, colour, alpha, mode, antialias);
    };
    corner(x + radius, y + radius, -kHalfPi, 0.0f);
    corner(x + w - radius, y + radius, 0.0f, kHalfPi);
    corner(x + w - radius, y + h - radius, kHalfPi, kPi);
    corner(x + radius, y + h - radius, kPi, kThreeHalfPi);
}

bool PIX_StampSmallCircle(PIX_IBitmap* bitmap, PIX_PackedColor colour, PIX_CombineMode mode,
                          float cx, float cy, float r, float alpha, bool antialias)
{
    if (!bitmap || !bitmap->PixelData() || !PIX_CircleIsDrawable(cx, cy, r)) return false;
    for (const PIX_SmallCircleStamp& stamp : PIX_SmallCircleStamps) {
        if (stamp.radius != r) continue;
        const PIX_CoverageMap& map = antialias ? stamp.smooth : stamp.aliased;
        PIX_StampCoveragePacked(bitmap, PIX_TruncateToInt(cx - r), PIX_TruncateToInt(cy - r),
                                colour, map.data, map.width, map.height, alpha, mode);
        return true;
    }
    return false;
}

void PIX_CircleDispatch(PIX_IBitmap* bitmap, PIX_PackedColor colour, int weight, float cx, float cy,
                        float r, bool antialias, bool filled, PIX_CombineMode mode,
                        const PIX_Box* clip, bool clipNeeded)
{
    if (!bitmap || !bitmap->PixelData() || bitmap->RowStride() <= 0) return;
    PIX_Box box = {0, 0, 0, 0};
    if (clipNeeded) {
        if (!clip) return;
        box = {std::max(clip->left, 0), std::max(clip->top, 0),
               std::min(clip->right, bitmap->PixelWidth()),
               std::min(clip->bottom, bitmap->PixelHeight())};
        if (box.IsEmpty()) return;
    }
    const PIX_CombineMode op = mode & PIX_CombineOpMask;
    const PIX_CircleKernelFn kernel =
        antialias ? PIX_SelectKernel(PIX_SmoothCircleKernels, op, weight, 0.0f)
                  : PIX_SelectKernel(PIX_CircleKernels, op, weight, 0.0f);
    if (kernel) kernel(bitmap, cx, cy, r, &box, colour, weight, filled, clipNeeded);
}
