#pragma once

// Areas bounded by straight edges, filled without antialiasing: bands
// between two spans, convex polygons, triangles, and the areas between a
// segment or a cubic Bezier and a vertical or horizontal line. The operation
// is mode AND 0xFF; the source-alpha flag is ignored. Each pixel of a band
// or polygon is combined once, at alpha x 256.

#include "raster/bitmap.h"
#include "raster/pixel.h"

// A polygon corner in bitmap pixels.
struct PIX_Corner {
    int x;
    int y;
};

// The band between the span xa..xb on row ya and the span xd..xe on row yb,
// spans and rows inclusive, bounded by the edges (xa, ya)-(xd, yb) and
// (xb, ya)-(xe, yb). Rows are memory rows. Each edge moves by a 16.16 step
// per row: on the k-th row below the top the left end is
// xa +- floor(k x |step| / 65536), step = 65536 / (yb - ya) x (xd - xa).
void PIX_FillTriangleSpans(PIX_IBitmap* bitmap, int xa, int xb, int ya, int xd, int xe, int yb,
                           PIX_PackedColor colour, float alpha, PIX_CombineMode mode);

// The convex hull of count corners given in any order, cut into bands at
// the rows of its corners; rows of the picture (flipped on a bottom-up
// bitmap). Up to 512 corners are copied on the stack, more to the heap;
// when that allocation fails nothing is drawn. Fewer than 3 draw nothing.
void PIX_FillConvexShape(PIX_IBitmap* bitmap, const int* xs, const int* ys, int count,
                         PIX_PackedColor colour, float alpha, PIX_CombineMode mode);

// PIX_FillConvexShape of the three corners.
void PIX_FillTriangleShape(PIX_IBitmap* bitmap, int x1, int y1, int x2, int y2, int x3, int y3,
                           PIX_PackedColor colour, float alpha, PIX_CombineMode mode);

// -1, 0 or 1: corners ordered by y, then by x, both ascending.
int PIX_ComparePointYX(const PIX_Corner* a, const PIX_Corner* b);

// The next corner of a chain down the hull of count sorted corners: among
// those after `from` on another row, the one of the smallest
// (x - x_from) / (y - y_from) for direction < 0 (the left chain), of the
// largest otherwise; the later one on equal slopes. `from` when there is none
// (or `from` is not an index of the list).
int PIX_PickPolygonEdge(const PIX_Corner* sorted, int from, int count, int direction);

// Row by row between the segment (x1, y1)-(x2, y2) and the column lineX;
// nothing when y2 < y1. A segment that stays on one side fills down to row
// y2 + 1.
void PIX_FillSegmentToVerticalLine(PIX_IBitmap* bitmap, int x1, int y1, int x2, int y2, int lineX,
                                   PIX_PackedColor colour, float alpha, PIX_CombineMode mode);

// Column by column between the segment and the row lineY; nothing when
// x2 < x1. A segment that stays on one side ends at column x2.
void PIX_FillSegmentToHorizontalLine(PIX_IBitmap* bitmap, int x1, int y1, int x2, int y2, int lineY,
                                     PIX_PackedColor colour, float alpha, PIX_CombineMode mode);

// Between the cubic P0..P3 and the column lineX: the curve, ordered by y and
// clipped in x to the bitmap, cut into pieces of about step pixels (at most
// PIX_CurvePieceLimit), each filled as a segment down to the row above the
// next.
void PIX_FillCubicToVerticalLine(PIX_IBitmap* bitmap, float x0, float y0, float x1, float y1,
                                 float x2, float y2, float x3, float y3, int lineX,
                                 PIX_PackedColor colour, float alpha, PIX_CombineMode mode,
                                 float step);

// Between the cubic and the row lineY: the same ordered by x, each piece
// filled up to the column before the next.
void PIX_FillCubicToHorizontalLine(PIX_IBitmap* bitmap, float x0, float y0, float x1, float y1,
                                   float x2, float y2, float x3, float y3, int lineY,
                                   PIX_PackedColor colour, float alpha, PIX_CombineMode mode,
                                   float step);
