#pragma once

// Antialiased segments between real end points, and quadratic and cubic
// Bezier curves drawn as chains of them. The cubic set-up and the
// y-at-x evaluations are shared with the curve fills.

#include "raster/bitmap.h"
#include "raster/pixel.h"

// The most straight pieces a curve (or a curve fill) is cut into, whatever
// its length and step.
constexpr int PIX_CurvePieceLimit = 1 << 20;

// trunc(length x tSpan / step), step <= 0 (or NaN) taken as 1; saturated and
// held within 0..PIX_CurvePieceLimit (NaN gives 0).
int PIX_CurvePieceCount(double length, double tSpan, float step);

// The segment sampled at every whole major coordinate, each sample shared
// between the two pixels whose minor coordinates enclose it. Without
// antialias it is PIX_DrawSegment of the truncated coordinates.
void PIX_DrawSmoothSegment(PIX_IBitmap* bitmap, float x1, float y1, float x2, float y2,
                           PIX_PackedColor colour, float alpha, PIX_CombineMode mode,
                           bool antialias);

// The quadratic through (x0, y0) and (x2, y2) with control point (cx, cy),
// clipped in x to the bitmap and cut into pieces of about step pixels.
void PIX_DrawQuadraticCurve(PIX_IBitmap* bitmap, float x0, float y0, float cx, float cy, float x2,
                            float y2, PIX_PackedColor colour, float alpha, PIX_CombineMode mode,
                            bool antialias, float step);

// The quadratic's y where its x is x; its t is stored in *t when t is not
// null. A control point midway in x gives the chord's y.
double PIX_QuadraticYAtX(double* t, float x0, float cx, float x2, float y0, float cy, float y2,
                         float x);

// One coordinate of a cubic in power basis: a t^3 + b t^2 + c t + d.
struct PIX_CubicPowerBasis {
    double a, b, c, d;

    double At(double t) const { return ((a * t + b) * t + c) * t + d; }
};

// What PIX_CubicSetup finds: the power basis of both coordinates (of the
// curve reversed where the axis asks) and the part of it within the
// bitmap's width, from (xStart, yStart) at tStart to (xEnd, yEnd) at tEnd.
struct PIX_CubicSpan {
    PIX_CubicPowerBasis x, y;
    float xStart, xEnd, yStart, yEnd;
    double tStart, tEnd;
};

// The power basis of the cubic P0..P3, ordered by x for axis 1 and by y for
// axis 0 (any other axis: by both), clipped to 0 <= x <= width; returns the
// number of pieces of about step pixels (at least 1, at most
// PIX_CurvePieceLimit), or 0 when nothing is left, for a null bitmap or
// null pixels (the span is then zeroed).
int PIX_CubicSetup(PIX_IBitmap* bitmap, int axis, float x0, float y0, float x1, float y1, float x2,
                   float y2, float x3, float y3, float step, PIX_CubicSpan* span);

// The cubic's y at x, for a cubic whose x grows with t: the chord across a
// bracket of t 1/256 wide found by bisection. Outside x0..x3 the end's y,
// with *xHigh the end's x and *slope 0 (tLow, tHigh untouched); otherwise
// the bracket's upper x, the chord's slope and the bracket. Each output is
// written only when its pointer is not null.
float PIX_CubicYAtX(float x0, float x1, float x2, float x3, float y0, float y1, float y2, float y3,
                    float x, float* xHigh, float* slope, double* tLow, double* tHigh);

// The cubic P0..P3 clipped in x to the bitmap, in pieces - 1 straight parts
// (the last spanning two steps of t), or one part for a single piece.
void PIX_DrawCubicCurve(PIX_IBitmap* bitmap, float x0, float y0, float x1, float y1, float x2,
                        float y2, float x3, float y3, PIX_PackedColor colour, float alpha,
                        PIX_CombineMode mode, bool antialias, float step);
