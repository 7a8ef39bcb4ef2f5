#pragma once

#include "raster/bitmap.h"
#include "raster/pixel.h"

// Round shapes about float centres, in pixels with y downwards, drawn with
// the operation of mode AND 0xFF at alpha x 256 (the source-alpha flag is
// ignored). They clip to the bitmap and land at the same place in the
// picture whatever its row order; a centre becomes the pixel (int)(c + 0.5),
// truncated toward zero. A non-finite centre or radius, a negative radius or
// one above 2^24 draws nothing.
//
// Angles are radians from the top, growing clockwise on screen: the point of
// angle a is (cx + r sin a, cy - r cos a).

// The disc of radius r; every pixel of it is combined once.
void PIX_FillDisc(PIX_IBitmap* bitmap, float cx, float cy, float r, PIX_PackedColor colour,
                  float alpha, PIX_CombineMode mode, bool antialias);

// The circle's outline; radii 1.5, 2, 2.5, 3, 3.5 and 4 are drawn from
// constant stamps.
void PIX_CircleOutline(PIX_IBitmap* bitmap, float cx, float cy, float r, PIX_PackedColor colour,
                       float alpha, PIX_CombineMode mode, bool antialias);

// The outline from one angle to the other (in either order), drawn in pieces
// of at most a quarter turn; 2 pi or more apart it is the whole circle.
// Non-finite angles draw nothing.
void PIX_ArcOutline(PIX_IBitmap* bitmap, float cx, float cy, float r, float startAngle,
                    float endAngle, PIX_PackedColor colour, float alpha, PIX_CombineMode mode,
                    bool antialias);

// The outline of columns x to x + w and rows y to y + h with quarter-circle
// corners of cornerRadius (at most half the width and height); a radius
// below 2 gives PIX_BoxOutline. Non-finite coordinates draw nothing.
void PIX_RoundedBoxOutline(PIX_IBitmap* bitmap, float x, float y, float w, float h,
                           int cornerRadius, PIX_PackedColor colour, float alpha,
                           PIX_CombineMode mode, bool antialias);

// When r is exactly one of the stamp radii, stamps that circle's outline
// with its top-left pixel at ((int)(cx - r), (int)(cy - r)) and returns true;
// otherwise (or without pixels) draws nothing and returns false.
bool PIX_StampSmallCircle(PIX_IBitmap* bitmap, PIX_PackedColor colour, PIX_CombineMode mode,
                          float cx, float cy, float r, float alpha, bool antialias);

// Runs the circle kernel of the operation at the weight, filled or as an
// outline, antialiased or not; the centre and the clip box are in memory
// rows, the shape is drawn the picture's way up. With clipNeeded every pixel
// is clipped to the clip box (itself cut to the bitmap); without it nothing
// is tested, so the circle must lie 2 pixels or more inside the bitmap.
void PIX_CircleDispatch(PIX_IBitmap* bitmap, PIX_PackedColor colour, int weight, float cx, float cy,
                        float r, bool antialias, bool filled, PIX_CombineMode mode,
                        const PIX_Box* clip, bool clipNeeded);
