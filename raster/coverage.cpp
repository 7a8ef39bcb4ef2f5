#include "raster/coverage.h"

#include "raster/bitmap.h"
#include "raster/coverage_kernels.h"
#include "raster/float_to_int.h"
#include "raster/pixel_kernels.h"

namespace {

// Applies a one-pixel kernel to the pixel at memory row y; null pixels do nothing.
void Plot(PIX_PixelKernelFn kernel, PIX_IBitmap* bitmap, int x, int y, int red, int green, int blue,
          int alpha, int weight)
{
    if (!bitmap) return;
    PIX_PackedColor* pixels = bitmap->PixelData();
    if (!pixels) return;
    PIX_PackedColor* p = pixels + (ptrdiff_t(x) + ptrdiff_t(y) * bitmap->RowStride());
    kernel(reinterpret_cast<uint8_t*>(p), red, green, blue, alpha, weight);
}

}  // namespace

void PIX_StampCoverage(PIX_IBitmap* bitmap, int x, int y, PIX_PackedColor colour,
                       const uint8_t* map, int width, int stride, int height, float alpha,
                       PIX_CombineMode mode)
{
    if (!bitmap || !map) return;
    int64_t left = x, top = y, w = width, h = height;
    if (left <= -w || top <= -h) return;
    if (left < 0) {
        map += -left;
        w += left;
        left = 0;
    }
    if (top < 0) {
        map += -top * stride;
        h += top;
        top = 0;
    }
    if (left >= bitmap->PixelWidth() || top >= bitmap->PixelHeight()) return;
    if (h > bitmap->PixelHeight() - top) h = bitmap->PixelHeight() - top;
    if (w > bitmap->PixelWidth() - left) w = bitmap->PixelWidth() - left;
    if (w <= 0 || h <= 0) return;

    PIX_PackedColor* pixels = bitmap->PixelData();
    if (!pixels) return;
    const int rowStride = bitmap->RowStride();
    const bool bottomUp = bitmap->IsBottomUp();
    const int64_t row = bottomUp ? bitmap->PixelHeight() - 1 - top : top;

    const int weight = PIX_WeightFromAlpha(alpha);
    const PIX_StampKernelFn kernel =
        PIX_SelectKernel(PIX_StampKernels, mode & PIX_CombineOpMask, weight, alpha);
    if (!kernel) return;
    kernel(map, reinterpret_cast<uint8_t*>(pixels + row * rowStride + left), int(w), int(h), colour,
           bottomUp ? -rowStride : rowStride, stride, weight);
}

void PIX_StampCoveragePacked(PIX_IBitmap* bitmap, int x, int y, PIX_PackedColor colour,
                             const uint8_t* map, int width, int height, float alpha,
                             PIX_CombineMode mode)
{
    PIX_StampCoverage(bitmap, x, y, colour, map, width, width, height, alpha, mode);
}

void PIX_PlotPixelCopy(PIX_IBitmap* bitmap, int x, int y, int red, int green, int blue, int alpha,
                       int weight)
{
    Plot(PIX_PixelKernelCopy, bitmap, x, y, red, green, blue, alpha, weight);
}

void PIX_PlotPixelCopyOpaque(PIX_IBitmap* bitmap, int x, int y, int red, int green, int blue,
                             int alpha)
{
    Plot(PIX_PixelKernelCopyOpaque, bitmap, x, y, red, green, blue, alpha, 256);
}

void PIX_PlotPixelCopyHalf(PIX_IBitmap* bitmap, int x, int y, int red, int green, int blue,
                           int alpha)
{
    Plot(PIX_PixelKernel<PIX_HalfCopyOp>, bitmap, x, y, red, green, blue, alpha, 128);
}

void PIX_PlotPixelAdd(PIX_IBitmap* bitmap, int x, int y, int red, int green, int blue, int alpha,
                      int weight)
{
    Plot(PIX_PixelKernelAdd, bitmap, x, y, red, green, blue, alpha, weight);
}

void PIX_PlotPixelDodge(PIX_IBitmap* bitmap, int x, int y, int red, int green, int blue, int alpha,
                        int weight)
{
    Plot(PIX_PixelKernelDodge, bitmap, x, y, red, green, blue, alpha, weight);
}

void PIX_PlotPixelMultiply(PIX_IBitmap* bitmap, int x, int y, int red, int green, int blue,
                           int alpha, int weight)
{
    Plot(PIX_PixelKernelMultiply, bitmap, x, y, red, green, blue, alpha, weight);
}

void PIX_PlotPixelSoftLight(PIX_IBitmap* bitmap, int x, int y, int red, int green, int blue,
                            int alpha, int weight)
{
    Plot(PIX_PixelKernelSoftLight, bitmap, x, y, red, green, blue, alpha, weight);
}

void PIX_PlotPixelHsvShift(PIX_IBitmap* bitmap, int x, int y, int red, int green, int blue,
                           int alpha, int weight)
{
    Plot(PIX_PixelKernelHsvShift, bitmap, x, y, red, green, blue, alpha, weight);
}
