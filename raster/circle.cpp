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

struct ArcPoint {
    int x, y;
};

// The pixel of angle a, in extended precision.
ArcPoint PointAt(float cx, float cy, float r, long double a)
{
    const long double x = (long double)cx + 0.5L + (long double)r * std::sin(a);
    const long double y = (long double)cy + 0.5L - (long double)r * std::cos(a);
    return {PIX_TruncateToInt(double(std::trunc(x))), PIX_TruncateToInt(double(std::trunc(y)))};
}

// The outline clipped to the box of one piece's end points (memory rows). A
// centre on the box's right column, or on its bottom row in the picture,
// leaves that column or row to the neighbouring piece.
void DrawArcPiece(PIX_IBitmap* bitmap, ArcPoint from, ArcPoint to, float cx, float cy, float r,
                  PIX_PackedColor colour, int weight, PIX_CombineMode mode, bool antialias)
{
    const int64_t maxX = std::max(from.x, to.x);
    const int64_t minY = std::min(from.y, to.y), maxY = std::max(from.y, to.y);
    const int64_t right = maxX + (double(cx) == double(maxX) ? 0 : 1);
    int64_t top = minY, bottom = maxY + 1;
    if (!bitmap->IsBottomUp() && double(cy) == double(maxY)) bottom = maxY;
    if (bitmap->IsBottomUp() && double(cy) == double(minY)) top = minY + 1;
    const PIX_Box box = {std::max(std::min(from.x, to.x), 0), int(std::max<int64_t>(top, 0)),
                         int(std::min<int64_t>(right, bitmap->PixelWidth())),
                         int(std::min<int64_t>(bottom, bitmap->PixelHeight()))};
    if (box.IsEmpty()) return;
    PIX_CircleDispatch(bitmap, colour, weight, cx, cy, r, antialias, false, mode, &box, true);
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

    const long double quarter = kHalfPi;
    const long double start = (long double)kTwoPi + startAngle;
    const long double end = (long double)kTwoPi + endAngle;
    if (end <= start) return;
    const long double boundary = start - std::fmod(start, quarter);
    ArcPoint from = PointAt(cx, cy, r, start);
    for (long double a = std::min(boundary + quarter, end);; a = std::min(a + quarter, end)) {
        const ArcPoint to = PointAt(cx, cy, r, a);
        DrawArcPiece(bitmap, from, to, cx, cy, r, colour, weight, mode, antialias);
        if (a >= end) break;
        from = to;
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
