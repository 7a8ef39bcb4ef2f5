#pragma once

#include "raster/bitmap.h"
#include "raster/pixel.h"

// One-pixel-wide segments between integer end points, both end points
// included. The operation is mode AND 0xFF; the source-alpha flag is ignored.
void PIX_DrawSegment(PIX_IBitmap* bitmap, int x1, int y1, int x2, int y2, PIX_PackedColor colour,
                     float alpha, PIX_CombineMode mode, bool antialias);

// Cohen-Sutherland clipping in place to 0 <= x < width, 0 <= y < height;
// false when nothing is left (the end points are then meaningless).
bool PIX_ClipSegment(int* x1, int* y1, int* x2, int* y2, int width, int height);

// The float form, to 0 <= x < width - 1, 0 <= y < height - 1.
bool PIX_ClipSegmentF(float* x1, float* y1, float* x2, float* y2, int width, int height);

// Clipping to a box whose right and bottom edges are exclusive.
bool PIX_ClipSegmentToBox(int* x1, int* y1, int* x2, int* y2, int left, int top, int right,
                          int bottom);
bool PIX_ClipSegmentToBoxF(float* x1, float* y1, float* x2, float* y2, float left, float top,
                           float right, float bottom);

// The outline of columns x to x + w and rows y to y + h, inclusive.
void PIX_BoxOutline(PIX_IBitmap* bitmap, int x, int y, int w, int h, PIX_PackedColor colour,
                    float alpha, PIX_CombineMode mode);

// The inside (x + 1, y + 1, w - 1, h - 1) filled, then the outline of (x, y, w, h).
void PIX_FillBoxOutlined(PIX_IBitmap* bitmap, int x, int y, int w, int h,
                         PIX_PackedColor fillColour, PIX_PackedColor outlineColour, float alpha,
                         PIX_CombineMode mode);

// A horizontal or vertical segment as dashes of `on` pixels and gaps of
// `off` pixels from the first end point, stopping before the second; rows
// are memory rows. Draws nothing for a slanted segment or on + off <= 0.
void PIX_DrawDashedSegment(PIX_IBitmap* bitmap, int x1, int y1, int x2, int y2, int on, int off,
                           PIX_PackedColor colour, float alpha, PIX_CombineMode mode);
