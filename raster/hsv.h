#pragma once

#include "raster/pixel.h"

class PIX_IBitmap;

// Hue 0..383 (64 steps a sextant from red), saturation and value 0..255.
struct PIX_HsvTriple {
    int hue;
    int saturation;
    int value;
};

// The colour of an HSV triple with the given alpha; saturation and value
// 0..255. Hue is not wrapped here.
PIX_PackedColor PIX_HsvToColor(int hue, int saturation, int value, int alpha);
// The same conversion as three ints.
void PIX_HsvToRgb(int hue, int saturation, int value, int* red, int* green, int* blue);
// Channels 0..255 to hue, saturation and value.
void PIX_RgbToHsv(int red, int green, int blue, int* hue, int* saturation, int* value);

// Shifts a colour in HSV space; the hue wraps once, saturation and value
// clamp, alpha is kept.
PIX_PackedColor PIX_ShiftColorHsv(PIX_PackedColor colour, int hueDelta, int saturationDelta,
                                  int valueDelta);
// The same with deltas as fractions of the ranges (x 384, x 255).
PIX_PackedColor PIX_ShiftColorHsvFraction(PIX_PackedColor colour, float hueDelta,
                                          float saturationDelta, float valueDelta);
// Shifts every pixel of a rectangle (in memory rows) or of a whole bitmap.
void PIX_ShiftBoxHsv(PIX_IBitmap* bitmap, int x, int y, int w, int h, float hueDelta,
                     float saturationDelta, float valueDelta);
void PIX_ShiftBitmapHsv(PIX_IBitmap* bitmap, float hueDelta, float saturationDelta,
                        float valueDelta);
