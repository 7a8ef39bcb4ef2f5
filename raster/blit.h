#pragma once

#include "raster/bitmap.h"
#include "raster/pixel.h"

// Copies srcArea of src (the whole source when null) so that its top-left
// pixel lands at (destX, destY), combining each pixel by mode at alpha.
// Clipped to both bitmaps; source and destination rectangles must not overlap.
void PIX_CopyRegion(PIX_IBitmap* dest, PIX_IBitmap* src, int destX, int destY,
                    const PIX_Box* srcArea, float alpha, PIX_CombineMode mode);

// PIX_CopyRegion with the source box {srcX, srcY, srcX + width, srcY + height}.
void PIX_CopyRegionXYWH(PIX_IBitmap* dest, PIX_IBitmap* src, int destX, int destY, int srcX,
                        int srcY, int width, int height, float alpha, PIX_CombineMode mode);

// Resizes dest to the size of src and copies src into it.
void PIX_CopyWhole(PIX_IBitmap* dest, PIX_IBitmap* src);

// Maps the source rectangle (srcX, srcY, srcWidth, srcHeight) onto the
// destination rectangle by nearest or (filter field 0x100) bilinear
// sampling; a negative destination width or height mirrors that axis.
void PIX_StretchCopy(PIX_IBitmap* dest, PIX_IBitmap* src, int destX, int destY, int destWidth,
                     int destHeight, float srcX, float srcY, float srcWidth, float srcHeight,
                     float alpha, PIX_CombineMode mode);
