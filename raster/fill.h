#pragma once

#include "raster/pixel.h"

class PIX_IBitmap;

// Combines one colour into every pixel of a rectangle at alpha x 256. With
// PIX_CombineSourceAlpha the alpha is first scaled by the colour's alpha.
void PIX_FillBox(PIX_IBitmap* bitmap, int x, int y, int width, int height, PIX_PackedColor colour,
                 float alpha, PIX_CombineMode mode);

// Combines a colour whose channels (0.0 to 1.0 at the top-left pixel) change
// by their d..dx per pixel right and d..dy per pixel down; the alpha channel
// is the opacity of the combine. The source-alpha flag is ignored.
void PIX_GradientBox(PIX_IBitmap* bitmap, int x, int y, int width, int height, float r, float g,
                     float b, float a, float drdx, float dgdx, float dbdx, float dadx, float drdy,
                     float dgdy, float dbdy, float dady, PIX_CombineMode mode);
