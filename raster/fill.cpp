#include "raster/fill.h"

#include <cstddef>
#include <cstdint>

#include "raster/bitmap.h"
#include "raster/fill_kernels.h"
#include "raster/float_to_int.h"

namespace {

// The single-precision constant nearest to 1/255.
constexpr float kInverse255 = 0.0039215689f;

// Clips [x, x + width) to [0, limit); the clipped length may be 0 or less.
void ClipSpan(int64_t* x, int64_t* width, int limit)
{
    if (*x < 0) *width += *x, *x = 0;
    if (*x + *width > limit) *width = limit - *x;
}

}  // namespace

void PIX_FillBox(PIX_IBitmap* bitmap, int x, int y, int width, int height, PIX_PackedColor colour,
                 float alpha, PIX_CombineMode mode)
{
    if (mode & PIX_CombineSourceAlpha) {
        const float scaled = alpha * kInverse255;
        alpha = float(colour >> 24) * scaled;
    }
    if (!bitmap) return;
    int64_t left = x, top = y, w = width, h = height;
    ClipSpan(&left, &w, bitmap->PixelWidth());
    ClipSpan(&top, &h, bitmap->PixelHeight());
    PIX_PackedColor* pixels = bitmap->PixelData();
    const int stride = bitmap->RowStride();
    if (!pixels || alpha == 0 || w <= 0 || h <= 0 || stride <= 0) return;

    const int weight = PIX_WeightFromAlpha(alpha);
    const PIX_FillKernelFn kernel =
        PIX_SelectKernel(PIX_FillKernels, mode & PIX_CombineOpMask, weight, alpha);
    if (!kernel) return;
    const int64_t row = bitmap->IsBottomUp() ? bitmap->PixelHeight() - top - h : top;
    kernel(reinterpret_cast<uint8_t*>(pixels + row * stride + left), int(w), int(h),
           int((colour >> 16) & 0xFF), int((colour >> 8) & 0xFF), int(colour & 0xFF),
           int(colour >> 24), weight, ptrdiff_t(stride) * 4);
}

void PIX_GradientBox(PIX_IBitmap* bitmap, int x, int y, int width, int height, float r, float g,
                     float b, float a, float drdx, float dgdx, float dbdx, float dadx, float drdy,
                     float dgdy, float dbdy, float dady, PIX_CombineMode mode)
{
    if (!bitmap) return;
    // Channels 0..1 to colour levels and weight units; each product rounded.
    float value[4] = {r * 255.0f, g * 255.0f, b * 255.0f, a * 256.0f};
    const float dx[4] = {drdx * 255.0f, dgdx * 255.0f, dbdx * 255.0f, dadx * 256.0f};
    const float dy[4] = {drdy * 255.0f, dgdy * 255.0f, dbdy * 255.0f, dady * 256.0f};

    // Start at the first visible column and row.
    int64_t left = x, top = y, w = width, h = height;
    if (left < 0)
        for (int c = 0; c < 4; ++c) value[c] -= float(left) * dx[c];
    if (top < 0)
        for (int c = 0; c < 4; ++c) value[c] -= float(top) * dy[c];
    ClipSpan(&left, &w, bitmap->PixelWidth());
    ClipSpan(&top, &h, bitmap->PixelHeight());
    PIX_PackedColor* pixels = bitmap->PixelData();
    if (!pixels || w <= 0 || h <= 0) return;

    int v[4], fx[4], fy[4];
    for (int c = 0; c < 4; ++c) {
        v[c] = PIX_TruncateToInt(double(value[c]) * 65536.0);
        fx[c] = PIX_TruncateToInt(double(dx[c]) * 65536.0);
        fy[c] = PIX_TruncateToInt(double(dy[c]) * 65536.0);
    }
    const bool opaque = v[3] == 256 * 65536 && fx[3] == 0 && fy[3] == 0;
    const PIX_CombineMode op = mode & PIX_CombineOpMask;
    const PIX_GradientKernelFn kernel =
        opaque ? PIX_SelectKernel(PIX_GradientKernels, op, PIX_WeightOpaque, 1.0f)
               : PIX_GeneralKernel(PIX_GradientKernels, op);
    if (!kernel) return;

    const int64_t stride = bitmap->RowStride();
    const bool bottomUp = bitmap->IsBottomUp();
    const int64_t row = bottomUp ? bitmap->PixelHeight() - 1 - top : top;
    kernel(reinterpret_cast<uint8_t*>(pixels + row * stride + left), int(w), int(h), v[0], v[1],
           v[2], v[3], fx[0], fx[1], fx[2], fx[3], fy[0], fy[1], fy[2], fy[3],
           ptrdiff_t(bottomUp ? -stride : stride) * 4);
}
