#pragma once

#include <cstddef>
#include <cstdint>

#include "raster/pixel.h"

class PIX_IBitmap;

// Draws the source rectangle rotated by angle (radians) about its centre
// moved by the offsets, scaled onto the destination rectangle; a negative
// destination width or height mirrors that axis. With clipToSourceArea only
// the source rectangle is sampled, otherwise the whole source.
void PIX_RotateCopy(PIX_IBitmap* dest, PIX_IBitmap* src, int destX, int destY, int destWidth,
                    int destHeight, float srcX, float srcY, float srcWidth, float srcHeight,
                    float angle, bool clipToSourceArea, float alpha, PIX_CombineMode mode,
                    float centreOffsetX, float centreOffsetY);

// Samples the source from (srcX, srcY), moving by (dxPixel, dyPixel) source
// pixels per destination pixel and by (dxRow, dyRow) per destination row;
// the per-pixel step changes by (ddxPixel, ddyPixel) per row. srcWidth and
// srcHeight serve only the source clip box and the mirroring.
void PIX_SteppedCopy(PIX_IBitmap* dest, PIX_IBitmap* src, int destX, int destY, int destWidth,
                     int destHeight, float srcX, float srcY, float srcWidth, float srcHeight,
                     double dxPixel, double dyPixel, double dxRow, double dyRow, double ddxPixel,
                     double ddyPixel, bool clipToSourceArea, float alpha, PIX_CombineMode mode);

// Warps the source through a gridWidth x gridHeight grid of source positions
// (x, y pairs, row-major) spread evenly over the destination rectangle.
void PIX_MeshWarpCopyDouble(PIX_IBitmap* dest, PIX_IBitmap* src, int destX, int destY,
                            int destWidth, int destHeight, const double* grid, int gridWidth,
                            int gridHeight, float alpha, PIX_CombineMode mode);
void PIX_MeshWarpCopyFloat(PIX_IBitmap* dest, PIX_IBitmap* src, int destX, int destY, int destWidth,
                           int destHeight, const float* grid, int gridWidth, int gridHeight,
                           float alpha, PIX_CombineMode mode);

// The row loop of the rotated and stepped copies. Positions and steps are
// 16.16 fixed point in source pixels; src addresses source row 0 in walking
// order; the clip box {left, top, right, bottom} is exclusive on the right
// and bottom; row steps are in bytes. Samples nearest, or bilinear when
// filter is 0x100, and hands each sample to kernel at the weight.
void PIX_TransformKernel(uint8_t* dest, const uint8_t* src, int destWidth, int destHeight, int x0,
                         int y0, int dxPixel, int dyPixel, int dxRow, int dyRow, int ddxPixel,
                         int ddyPixel, int left, int top, int right, int bottom, ptrdiff_t srcStep,
                         ptrdiff_t destStep, int weight, int filter, PIX_PixelKernelFn kernel);

// Copies a rectangle, each pixel becoming half itself plus an eighth of each
// side neighbour within the rectangle (a quarter of the opposite neighbour
// where one is missing). dest may be src, also for the same rectangle.
void PIX_CrossBlurCopy(PIX_IBitmap* dest, PIX_IBitmap* src, int destX, int destY, int srcX,
                       int srcY, int width, int height);
