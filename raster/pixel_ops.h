#pragma once

#include "raster/pixel.h"

class PIX_IBitmap;

// Whole-bitmap and per-pixel operations. Each returns quietly on a null
// bitmap, null pixels or a row stride of 0 or less.
//
// The box operations clip (x, y, width, height) to the bitmap, rows counted
// from the top of the picture, and visit the rows in memory order (on a
// bottom-up bitmap the box's last row first).

// Every pixel of every row becomes colour; the row padding is left alone.
void PIX_FillBitmap(PIX_IBitmap* bitmap, PIX_PackedColor colour);

// Each channel c becomes c x scale + offset, offset in levels (0..255),
// clamped to 0..255: with both factors x 256 and truncated, the sum shifted
// right arithmetically by 8 (flooring); a negative sum gives 0.
void PIX_ScaleOffsetBox(PIX_IBitmap* bitmap, int x, int y, int width, int height, float redScale,
                        float greenScale, float blueScale, float alphaScale, float redOffset,
                        float greenOffset, float blueOffset, float alphaOffset);

using PIX_PixelCallback = void (*)(PIX_PackedColor* pixel, int param);

// Calls callback(pixel address, param) once for each pixel of the box, left
// to right within a row. Nothing for a null callback.
void PIX_ForEachPixelInBox(PIX_IBitmap* bitmap, int x, int y, int width, int height,
                           PIX_PixelCallback callback, int param);

// Each pixel word p of the box becomes (p AND andMask) OR orValue.
void PIX_AndOrBox(PIX_IBitmap* bitmap, int x, int y, int width, int height, unsigned andMask,
                  unsigned orValue);

// The pixel at (x, y) of the picture; 0 for a position outside the bitmap
// (or no bitmap), like transparent black.
PIX_PackedColor PIX_ReadPixel(PIX_IBitmap* bitmap, int x, int y);

// Combines colour into the pixel at (x, y) at alpha x 256 by the operation
// of mode; PIX_CombineSourceAlpha is ignored. Copy at 256 stores the word,
// at 128, 64 and 192 it takes the whole-word mixes of raster/pixel.h.
void PIX_WritePixel(PIX_IBitmap* bitmap, int x, int y, PIX_PackedColor colour, float alpha,
                    PIX_CombineMode mode);

// Over the whole bitmap: a pixel whose low 24 bits equal key becomes key,
// every other pixel gets alpha 255. A key with an alpha byte matches nothing.
void PIX_ColorKeyToAlpha(PIX_IBitmap* bitmap, PIX_PackedColor key);

// A fill through column x, not a general flood fill. A pixel matches when
// (pixel AND compareMask) equals the start pixel's; filling p stores
// (p AND andMask) OR orValue. From memory row y (no bottom-up adjustment)
// down, then from y - 1 up, each row whose column-x pixel matches gets that
// pixel and the matching runs to its right and left filled; the first row
// that does not match ends its direction.
void PIX_FloodFillMasked(PIX_IBitmap* bitmap, int x, int y, unsigned orValue, unsigned compareMask,
                         unsigned andMask);

// Destination pixel (i, j) becomes the sum of the source words at (2i, 2j),
// (2i + 1, 2j), (2i, 2j + 1) and (2i + 1, 2j + 1), each shifted right by 2
// per byte; memory rows in both. Over the smaller of the destination's size
// and half the source's; the destination is not resized. Nothing unless
// both bitmaps have pixels.
void PIX_HalfSizeCopy(PIX_IBitmap* dest, PIX_IBitmap* src);

// Compares two bitmaps in picture order. A null a gives -1 (0 when b is null
// too), a null b 1; different widths give b's width - a's width, then
// different heights b's height - a's height, without touching the box. A
// bitmap without pixels (of a size that has pixels) counts as null there.
// Without a box: the sign of the first row's memcmp that differs, or 0.
// With a box: 1 when some pixel words differ, and the box receives
// {left, top, width, height} of the rectangle that holds them - a position
// and a size in its left, top, right and bottom fields, not the edges; 0
// and {0, 0, 0, 0} when none differ.
int PIX_CompareBitmaps(PIX_IBitmap* a, PIX_IBitmap* b, PIX_Box* differences);
