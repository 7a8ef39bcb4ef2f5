#pragma once

#include <cstdint>

#include "raster/pixel.h"

class PIX_IBitmap;

// The built-in font: glyphs of codes 1 to 127, 8 rows of 8 pixels each, top
// row first, bit 0x80 the leftmost pixel. The glyph of code c starts at
// byte 8 * (c - 1).
extern const uint8_t PIX_Glyphs8x8[127 * 8];

// Combines colour into the ink pixels of the glyph of c, whose cell's top-left
// corner lands at (x, y), by the operation of mode (its low byte) at the
// weight alpha x 256. Codes 0 and above 127 (c taken as signed) draw nothing.
void PIX_StampChar8x8(PIX_IBitmap* bitmap, int x, int y, char c, PIX_PackedColor color, float alpha,
                      PIX_CombineMode mode);

// Draws a zero-terminated string from (x, y): tab moves the pen 40 pixels,
// line feed starts a line 8 pixels down at x, carriage return is ignored,
// every other byte takes 8 pixels.
void PIX_StampString8x8(PIX_IBitmap* bitmap, int x, int y, const char* text, PIX_PackedColor color,
                        float alpha, PIX_CombineMode mode);

// The size PIX_StampString8x8 gives the text: the longest line's extent and
// the bottom of the last line that holds a character. Either pointer may be
// null; a null text measures 0 by 0.
void PIX_MeasureString8x8(const char* text, int* width, int* height);
