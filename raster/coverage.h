#pragma once

#include <cstdint>

#include "raster/pixel.h"

class PIX_IBitmap;

// An 8-bit coverage mask: width x height bytes (0 none, 255 full), rows top
// to bottom, stride bytes apart (stride >= width). Read only.
struct PIX_CoverageMap {
    const uint8_t* data;
    int width;
    int height;
    int stride;
};

// Combines colour into every covered pixel of the map, whose top-left pixel
// lands at (x, y) (rows counted from the top of the picture), at the weight
// alpha x 256 scaled by the coverage. The operation is the low byte of mode.
void PIX_StampCoverage(PIX_IBitmap* bitmap, int x, int y, PIX_PackedColor colour,
                       const uint8_t* map, int width, int stride, int height, float alpha,
                       PIX_CombineMode mode);
// The same for a map whose rows follow each other without gaps.
void PIX_StampCoveragePacked(PIX_IBitmap* bitmap, int x, int y, PIX_PackedColor colour,
                             const uint8_t* map, int width, int height, float alpha,
                             PIX_CombineMode mode);

// Pixel plots: combine (red, green, blue, alpha) into the pixel at
// PixelData() + x + y * RowStride(), memory rows, without a bounds test.
void PIX_PlotPixelCopy(PIX_IBitmap* bitmap, int x, int y, int red, int green, int blue, int alpha,
                       int weight);
void PIX_PlotPixelCopyOpaque(PIX_IBitmap* bitmap, int x, int y, int red, int green, int blue,
                             int alpha);
void PIX_PlotPixelCopyHalf(PIX_IBitmap* bitmap, int x, int y, int red, int green, int blue,
                           int alpha);
void PIX_PlotPixelAdd(PIX_IBitmap* bitmap, int x, int y, int red, int green, int blue, int alpha,
                      int weight);
void PIX_PlotPixelDodge(PIX_IBitmap* bitmap, int x, int y, int red, int green, int blue, int alpha,
                        int weight);
void PIX_PlotPixelMultiply(PIX_IBitmap* bitmap, int x, int y, int red, int green, int blue,
                           int alpha, int weight);
void PIX_PlotPixelSoftLight(PIX_IBitmap* bitmap, int x, int y, int red, int green, int blue,
                            int alpha, int weight);
void PIX_PlotPixelHsvShift(PIX_IBitmap* bitmap, int x, int y, int red, int green, int blue,
                           int alpha, int weight);
