#include "raster/smooth_line.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "raster/fast_paths.h"
#include "raster/float_to_int.h"
#include "raster/line.h"
#include "raster/smooth_line_kernels.h"

namespace {

bool Finite(float a, float b, float c, float d)
{
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

// The samples of a smooth segment as the kernel walks them: the first
// sample's major and minor pixel, the minor direction, the 16-bit fraction
// and slope, and the number of steps after the first sample.
struct SampleWalk {
    int major;
    int minor;
    int direction;
    int fraction;
    int slope;
    int steps;

    // Single-precision rounding can put the walk a little past the clipped
    // segment, so that a pixel of a first or last pair, at a weight near 0,
    // falls outside the bitmap. Moves the first sample and lowers the slope
    // by that little, keeping every pair within minor 0..extent - 1.
    void KeepInside(int extent)
    {
        // The walk's minor position in 1/65536 pixel: the pair of position p
        // is floor(p) and floor(p) + 1 going forward, ceil(p) and ceil(p) - 1
        // going back.
        const int64_t unit = 65536;
        const bool forward = direction > 0;
        const int64_t lo = forward ? 0 : 1;
        const int64_t hi = (extent - 1) * unit - (forward ? 1 : 0);
        const int64_t first =
            std::clamp(minor * unit + (forward ? fraction : -int64_t(fraction)), lo, hi);
        if (steps > 0) {
            const int64_t room = forward ? hi - first : first - lo;
            slope = int(std::min<int64_t>(slope, room / steps));
        }
        minor = int(forward ? first / unit : (first + unit - 1) / unit);
        fraction = int(forward ? first - minor * unit : minor * unit - first);
    }
};

struct CurvePoint {
    float x, y;
};

// The quadratic's point at t.
CurvePoint QuadraticAt(double t, float x0, float y0, float cx, float cy, float x2, float y2)
{
    const double u = 1 - t;
    return {float(u * u * x0 + 2 * t * u * cx + t * t * x2),
            float(u * u * y0 + 2 * t * u * cy + t * t * y2)};
}

double Distance(float x0, float y0, float x1, float y1)
{
    const double dx = double(x1) - x0, dy = double(y1) - y0;
    return std::sqrt(dx * dx + dy * dy);
}

// The power basis of one coordinate of the cubic p0..p3.
PIX_CubicPowerBasis CubicBasis(float p0, float p1, float p2, float p3)
{
    const double c = 3 * (double(p1) - p0);
    const double b = 3 * (double(p2) - p1) - c;
    return {double(p3) - p0 - c - b, b, c, p0};
}

void DrawPiece(PIX_IBitmap* bitmap, CurvePoint from, CurvePoint to, PIX_PackedColor colour,
               float alpha, PIX_CombineMode mode, bool antialias)
{
    PIX_DrawSmoothSegment(bitmap, from.x, from.y, to.x, to.y, colour, alpha, mode, antialias);
}

}  // namespace

int PIX_CurvePieceCount(double length, double tSpan, float step)
{
    const double pieces = length * tSpan / (step > 0 ? double(step) : 1.0);
    return std::clamp(PIX_TruncateToInt(pieces), 0, PIX_CurvePieceLimit);
}

void PIX_DrawSmoothSegment(PIX_IBitmap* bitmap, float x1, float y1, float x2, float y2,
                           PIX_PackedColor colour, float alpha, PIX_CombineMode mode,
                           bool antialias)
{
    if (!bitmap) return;
    PIX_PackedColor* const pixels = bitmap->PixelData();
    if (!pixels) return;
    if (!antialias) {
        // Truncation has no answer for a point that is not a finite number.
        if (!Finite(x1, y1, x2, y2)) return;
        return PIX_DrawSegment(bitmap, PIX_TruncateToInt(x1), PIX_TruncateToInt(y1),
                               PIX_TruncateToInt(x2), PIX_TruncateToInt(y2), colour, alpha, mode,
                               false);
    }
    const int w = PIX_WeightFromAlpha(alpha);
    const PIX_SmoothLineKernelFn kernel =
        PIX_SelectKernel(PIX_SmoothLineKernels, mode & PIX_CombineOpMask, w, alpha);
    if (!kernel) return;

    const int width = bitmap->PixelWidth(), height = bitmap->PixelHeight();
    if (bitmap->IsBottomUp()) {
        y1 = float(height - 1) - y1;
        y2 = float(height - 1) - y2;
    }
    if (!PIX_ClipSegmentF(&x1, &y1, &x2, &y2, width, height)) return;
    if (x1 == x2 && y1 == y2) return;

    const bool xMajor = std::fabs(x2 - x1) > std::fabs(y2 - y1);
    float a1 = xMajor ? x1 : y1, a2 = xMajor ? x2 : y2;
    float b1 = xMajor ? y1 : x1, b2 = xMajor ? y2 : x2;
    if (a2 < a1) std::swap(a1, a2), std::swap(b1, b2);
    const float slope = (b2 - b1) / (a2 - a1);
    const float first = std::ceil(a1);
    const float minorAtFirst = b1 + (first - a1) * slope;
    const float below = std::floor(minorAtFirst);

    SampleWalk walk;
    walk.major = PIX_TruncateToInt(first);
    walk.minor = PIX_TruncateToInt(below);
    walk.direction = 1;
    // Rounding can carry the fraction to 65536; it is held at 65535.
    walk.fraction = std::min(PIX_TruncateToInt((minorAtFirst - below) * 65536.0f), 65535);
    if (b2 < b1) {
        walk.direction = -1;
        walk.fraction = 65535 - walk.fraction;
        ++walk.minor;
    }
    walk.slope = PIX_TruncateToInt(std::fabs(slope) * 65536.0f);
    walk.steps = PIX_TruncateToInt(std::floor(a2)) - walk.major;
    if (walk.steps < 0) return;
    walk.KeepInside(xMajor ? height : width);

    const int stride = bitmap->RowStride();
    const int x = xMajor ? walk.major : walk.minor, y = xMajor ? walk.minor : walk.major;
    const int majorStep = xMajor ? 1 : stride;
    const int minorStep = (xMajor ? stride : 1) * walk.direction;
    kernel(pixels + int64_t(y) * stride + x, walk.steps, walk.fraction, walk.slope, majorStep,
           minorStep, colour, w);
}

double PIX_QuadraticYAtX(double* t, float x0, float cx, float x2, float y0, float cy, float y2,
                         float x)
{
    const double a = double(x0) - 2.0 * cx + x2;
    double at, y;
    if (a != 0) {
        const double b = 2.0 * (double(cx) - x0);
        // For x between x0 and x2 the roots are real; rounding may take the
        // discriminant below 0 (and t to NaN) when they meet.
        const double discriminant = std::max(b * b - 4.0 * a * (double(x0) - x), 0.0);
        at = (std::sqrt(discriminant) - b) / (2.0 * a);
        const double u = 1 - at;
        y = y0 * u * u + 2.0 * cy * at * u + y2 * at * at;
    } else if (x2 == x0) {
        at = 0;
        y = y0;
    } else {
        at = (double(x) - x0) / (double(x2) - x0);
        y = y0 + at * (double(y2) - y0);
    }
    if (t) *t = at;
    return y;
}

void PIX_DrawQuadraticCurve(PIX_IBitmap* bitmap, float x0, float y0, float cx, float cy, float x2,
                            float y2, PIX_PackedColor colour, float alpha, PIX_CombineMode mode,
                            bool antialias, float step)
{
    if (!bitmap || !bitmap->PixelData()) return;
    if (x2 < x0) std::swap(x0, x2), std::swap(y0, y2);
    const double length = Distance(x0, y0, cx, cy) + Distance(cx, cy, x2, y2);
    double t0 = 0, t1 = 1;

    CurvePoint start{x0, y0};
    if (x0 < 0) {
        if (x2 > 0) {
            start = {0, float(PIX_QuadraticYAtX(&t0, x0, cx, x2, y0, cy, y2, 0))};
        } else {
            start = {0, y2};
            t0 = 1;
        }
    }
    CurvePoint end{x2, y2};
    const int width = bitmap->PixelWidth();
    if (x2 >= float(width)) {
        const float xe = float(width - 1);
        if (xe <= x0) {
            end = {xe, y0};
            t1 = 0;
        } else if (xe < x2) {
            end = {xe, float(PIX_QuadraticYAtX(&t1, x0, cx, x2, y0, cy, y2, xe))};
        } else {
            end = {xe, y2};
            t1 = 1;
        }
    }
    if (start.x > end.x) return;

    const int pieces = PIX_CurvePieceCount(length, t1 - t0, step);
    CurvePoint last = start;
    if (pieces > 0) {
        const double dt = (t1 - t0) / pieces;
        double t = t0;
        for (int i = 1; i < pieces; ++i) {
            t += dt;
            const CurvePoint next = QuadraticAt(t, x0, y0, cx, cy, x2, y2);
            DrawPiece(bitmap, last, next, colour, alpha, mode, antialias);
            last = next;
        }
    }
    DrawPiece(bitmap, last, end, colour, alpha, mode, antialias);
}

int PIX_CubicSetup(PIX_IBitmap* bitmap, int axis, float x0, float y0, float x1, float y1, float x2,
                   float y2, float x3, float y3, float step, PIX_CubicSpan* span)
{
    *span = PIX_CubicSpan{};
    if (!bitmap || !bitmap->PixelData()) return 0;
    if ((axis != 0 && x3 < x0) || (axis != 1 && y3 < y0)) {
        std::swap(x0, x3), std::swap(y0, y3);
        std::swap(x1, x2), std::swap(y1, y2);
    }
    span->x = CubicBasis(x0, x1, x2, x3);
    span->y = CubicBasis(y0, y1, y2, y3);
    span->xStart = x0, span->xEnd = x3, span->yStart = y0, span->yEnd = y3;
    span->tStart = 0, span->tEnd = 1;

    const float width = float(bitmap->PixelWidth());
    if (span->xStart < 0) {
        span->xStart = 0;
        span->yStart = PIX_CubicYAtX(x0, x1, x2, x3, y0, y1, y2, y3, 0, nullptr, nullptr, nullptr,
                                     &span->tStart);
    }
    if (span->xEnd > width) {
        span->xEnd = width;
        span->yEnd = PIX_CubicYAtX(x0, x1, x2, x3, y0, y1, y2, y3, width, nullptr, nullptr,
                                   &span->tEnd, nullptr);
    }
    if (axis == 0 ? span->yEnd < span->yStart : span->xEnd < span->xStart) return 0;

    const double length =
        Distance(x0, y0, x1, y1) + Distance(x1, y1, x2, y2) + Distance(x2, y2, x3, y3);
    return std::max(PIX_CurvePieceCount(length, span->tEnd - span->tStart, step), 1);
}

float PIX_CubicYAtX(float x0, float x1, float x2, float x3, float y0, float y1, float y2, float y3,
                    float x, float* xHigh, float* slope, double* tLow, double* tHigh)
{
    if (x0 > x || x >= x3) {
        const bool before = x0 > x;
        if (xHigh) *xHigh = before ? x0 : x3;
        if (slope) *slope = 0;
        return before ? y0 : y3;
    }
    const PIX_CubicPowerBasis bx = CubicBasis(x0, x1, x2, x3), by = CubicBasis(y0, y1, y2, y3);
    double lo = 0, hi = 1;
    for (int halving = 0; halving < 8; ++halving) {
        const double mid = (lo + hi) / 2;
        const double at = bx.At(mid);
        if (x > at) {
            lo = mid;
        } else if (x < at) {
            hi = mid;
        } else if (x == at) {
            lo = mid;
            hi = std::min(mid + 1.0 / 256, 1.0);
            break;
        }
    }
    // The ends of the curve are the points themselves.
    auto value = [](const PIX_CubicPowerBasis& basis, double t) {
        return t == 0 ? basis.d : t == 1 ? basis.d + basis.a + basis.b + basis.c : basis.At(t);
    };
    const double xLo = value(bx, lo), xHi = value(bx, hi);
    const double yLo = value(by, lo), yHi = value(by, hi);
    const double chordSlope = xHi == xLo ? 0 : (yHi - yLo) / (xHi - xLo);
    if (xHigh) *xHigh = float(xHi);
    if (slope) *slope = float(chordSlope);
    if (tLow) *tLow = lo;
    if (tHigh) *tHigh = hi;
    return float(yLo + chordSlope * (x - xLo));
}

void PIX_DrawCubicCurve(PIX_IBitmap* bitmap, float x0, float y0, float x1, float y1, float x2,
                        float y2, float x3, float y3, PIX_PackedColor colour, float alpha,
                        PIX_CombineMode mode, bool antialias, float step)
{
    PIX_CubicSpan span;
    const int pieces = PIX_CubicSetup(bitmap, 1, x0, y0, x1, y1, x2, y2, x3, y3, step, &span);
    if (pieces == 0) return;
    const double dt = (span.tEnd - span.tStart) / pieces;
    double t = span.tStart;
    CurvePoint last{span.xStart, span.yStart};
    for (int i = 1; i <= pieces - 2; ++i) {
        t += dt;
        const CurvePoint next{float(span.x.At(t)), float(span.y.At(t))};
        DrawPiece(bitmap, last, next, colour, alpha, mode, antialias);
        last = next;
    }
    DrawPiece(bitmap, last, {span.xEnd, span.yEnd}, colour, alpha, mode, antialias);
}
