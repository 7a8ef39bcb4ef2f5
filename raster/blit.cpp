#include "raster/blit.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "raster/blit_kernels.h"
#include "raster/fast_paths.h"
#include "raster/float_to_int.h"
#include "raster/mirror.h"

namespace {

// A walk over a bitmap: the address of its first pixel and the row step in
// bytes (negative for a bottom-up bitmap).
struct Walk {
    uint8_t* pixel;
    ptrdiff_t step;
};

Walk WalkFrom(PIX_IBitmap* bitmap, int64_t x, int64_t y)
{
    const ptrdiff_t stride = ptrdiff_t(4) * bitmap->RowStride();
    uint8_t* base = reinterpret_cast<uint8_t*>(bitmap->PixelData());
    if (bitmap->IsBottomUp())
        return {base + (bitmap->PixelHeight() - 1 - y) * stride + 4 * x, -stride};
    return {base + y * stride + 4 * x, stride};
}

// The inline forms of the plain copy.

// Copies each row as one block.
void CopyRows(uint8_t* dest, const uint8_t* src, int width, int height, ptrdiff_t srcStep,
              ptrdiff_t destStep, int)
{
    const size_t bytes = size_t(4) * size_t(width);
    for (int y = 0; y < height; ++y, dest += destStep, src += srcStep)
        std::memcpy(dest, src, bytes);
}

// Applies Mix(source word, destination word) to every pixel.
template <PIX_PackedColor (*Mix)(PIX_PackedColor, PIX_PackedColor)>
void MixWords(uint8_t* dest, const uint8_t* src, int width, int height, ptrdiff_t srcStep,
              ptrdiff_t destStep, int)
{
    using namespace PIX_BlitDetail;
    for (int y = 0; y < height; ++y, dest += destStep, src += srcStep)
        for (int x = 0; x < 4 * width; x += 4) Store(dest + x, Mix(Load(src + x), Load(dest + x)));
}

// Copies the source byte of channel from into the destination byte of channel to.
void CopyChannel(uint8_t* dest, const uint8_t* src, int width, int height, ptrdiff_t srcStep,
                 ptrdiff_t destStep, int from, int to)
{
    for (int y = 0; y < height; ++y, dest += destStep, src += srcStep)
        for (int x = 0; x < 4 * width; x += 4) dest[x + to] = src[x + from];
}

// Copy with source alpha at full weight, where a pixel of alpha 255 is stored whole.
void CopySourceAlphaOpaque(uint8_t* dest, const uint8_t* src, int width, int height,
                           ptrdiff_t srcStep, ptrdiff_t destStep, int)
{
    PIX_BlitKernelCopySourceAlphaOpaque(dest, src, width, height, srcStep, destStep);
}

// clang-format off
constexpr PIX_KernelFamily<PIX_BlitKernelFn, 3> kBlitKernels = {
    {PIX_BlitKernelCopy, PIX_BlitKernelAdd, PIX_BlitKernelDodge, PIX_BlitKernelMultiply,
     PIX_BlitKernelSoftLight, PIX_BlitKernelHsvShift},
    {PIX_BlitKernelCopySourceAlpha, PIX_BlitKernelAddSourceAlpha, PIX_BlitKernelDodgeSourceAlpha,
     PIX_BlitKernelMultiplySourceAlpha, PIX_BlitKernelSoftLightSourceAlpha,
     PIX_BlitKernelHsvShiftSourceAlpha},
    {{{PIX_CombineCopy, PIX_WeightOpaque, 0.0f, CopyRows},
      {PIX_CombineCopy, PIX_WeightHalf, 0.5f, MixWords<PIX_MixHalf>},
      {PIX_CombineSourceAlpha | PIX_CombineCopy, PIX_WeightOpaque, 0.0f, CopySourceAlphaOpaque}}}};

// Unfiltered plain copies by whole words; other calls go to kStretchKernels.
constexpr PIX_KernelFamily<PIX_StretchKernelFn, 2> kNearestCopyKernels = {
    {},
    {},
    {{{PIX_CombineCopy, PIX_WeightOpaque, 0.0f, PIX_StretchNearestKernelCopyOpaque},
      {PIX_CombineCopy, PIX_WeightHalf, 0.0f, PIX_StretchNearestKernelCopyHalf}}}};

constexpr PIX_KernelFamily<PIX_StretchKernelFn, 2> kStretchKernels = {
    {PIX_StretchKernelCopy, PIX_StretchKernelAdd, PIX_StretchKernelDodge,
     PIX_StretchKernelMultiply, PIX_StretchKernelSoftLight, PIX_StretchKernelHsvShift},
    {PIX_StretchKernelCopySourceAlpha, PIX_StretchKernelAddSourceAlpha,
     PIX_StretchKernelDodgeSourceAlpha, PIX_StretchKernelMultiplySourceAlpha,
     PIX_StretchKernelSoftLightSourceAlpha, PIX_StretchKernelHsvShiftSourceAlpha},
    {{{PIX_CombineCopy, PIX_WeightOpaque, 0.0f, PIX_StretchKernelCopyOpaque},
      {PIX_CombineSourceAlpha | PIX_CombineCopy, PIX_WeightOpaque, 0.0f,
       PIX_StretchKernelCopySourceAlphaOpaque}}}};

constexpr PIX_KernelFamily<PIX_ShrinkKernelFn, 2> kShrinkKernels = {
    {PIX_ShrinkKernelCopy, PIX_ShrinkKernelAdd, PIX_ShrinkKernelDodge, PIX_ShrinkKernelMultiply,
     PIX_ShrinkKernelSoftLight, PIX_ShrinkKernelHsvShift},
    {PIX_ShrinkKernelCopySourceAlpha, PIX_ShrinkKernelAddSourceAlpha,
     PIX_ShrinkKernelDodgeSourceAlpha, PIX_ShrinkKernelMultiplySourceAlpha,
     PIX_ShrinkKernelSoftLightSourceAlpha, PIX_ShrinkKernelHsvShiftSourceAlpha},
    {{{PIX_CombineCopy, PIX_WeightOpaque, 0.0f, PIX_ShrinkKernelCopyOpaque},
      {PIX_CombineSourceAlpha | PIX_CombineCopy, PIX_WeightOpaque, 0.0f,
       PIX_ShrinkKernelCopySourceAlphaOpaque}}}};
// clang-format on

// Within 0.03 of a whole number.
bool NearWhole(float v)
{
    const double d = v;
    return std::fabs(d - std::floor(d + 0.5)) < 0.03;
}

// Fits the destination run along one axis to the source extent: drops the
// leading positions that are negative and the trailing ones that pass the
// source. False when nothing is left.
bool FitToSource(int64_t* destStart, int64_t* destCount, int64_t* start, int64_t step,
                 int sourceSize)
{
    if (step <= 0) return true;
    if (*start < 0) {
        const int64_t k = (step - 1 - *start) / step;
        *destCount -= k;
        *destStart += k;
        *start += k * step;
    }
    if (((*destCount - 1) * step + *start) / 65536 >= sourceSize) {
        const int64_t n = ((int64_t(sourceSize) - 1) * 65536 - *start) / step;
        if (n < *destCount) *destCount = n;
    }
    return *destCount > 0;
}

// Exclusive source limit of an axis, cut to the source size.
int SourceLimit(float size, float origin, int sourceSize)
{
    const float extent = std::max(size, 0.0f) + origin;
    return std::min(PIX_TruncateToInt(double(extent) + 0.999999), sourceSize);
}

// Weight table of the filtered reduction by m (16.16): the centre 65536, a
// cell at distance r min(1, (m - 1) / r) x 65536.
void MakeShrinkTable(int* table, int n, int64_t m)
{
    const int centre = n / 2;
    const double reach = double(m) / 65536.0 - 1.0;
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
            const int a = c - centre, b = r - centre;
            if (a == 0 && b == 0) {
                table[r * n + c] = 65536;
                continue;
            }
            const double v = std::min(1.0, reach / std::sqrt(double(a * a + b * b))) * 65536.0;
            table[r * n + c] = std::max(0, PIX_TruncateToInt(v));
        }
    }
}

}  // namespace

void PIX_CopyRegion(PIX_IBitmap* dest, PIX_IBitmap* src, int destX, int destY,
                    const PIX_Box* srcArea, float alpha, PIX_CombineMode mode)
{
    if (!dest || !src || alpha == 0.0f || std::isnan(alpha)) return;

    int64_t x = destX, y = destY;
    int64_t left = 0, top = 0, right = src->PixelWidth(), bottom = src->PixelHeight();
    if (srcArea) {
        left = srcArea->left;
        top = srcArea->top;
        if (left < 0) x -= left, left = 0;
        if (top < 0) y -= top, top = 0;
        right = std::min<int64_t>(srcArea->right, src->PixelWidth());
        bottom = std::min<int64_t>(srcArea->bottom, src->PixelHeight());
    }
    if (x < 0) left -= x, x = 0;
    if (y < 0) top -= y, y = 0;
    if (x + (right - left) > dest->PixelWidth()) right = dest->PixelWidth() - x + left;
    if (y + (bottom - top) > dest->PixelHeight()) bottom = dest->PixelHeight() - y + top;
    if (left >= right || top >= bottom) return;
    if (!dest->PixelData() || !src->PixelData()) return;

    const Walk s = WalkFrom(src, left, top), d = WalkFrom(dest, x, y);
    const int width = int(right - left), height = int(bottom - top);

    const PIX_CombineMode op = mode & PIX_CombineOpMask;
    if (op >= PIX_CombineSingleChannel) {
        CopyChannel(d.pixel, s.pixel, width, height, s.step, d.step, int(op & 3),
                    int((op >> 2) & 3));
        return;
    }
    const PIX_CombineMode combination = mode & (PIX_CombineSourceAlpha | PIX_CombineOpMask);
    const int w = PIX_WeightFromAlpha(alpha);
    if (const PIX_BlitKernelFn kernel = PIX_SelectKernel(kBlitKernels, combination, w, alpha))
        kernel(d.pixel, s.pixel, width, height, s.step, d.step, w);
}

void PIX_CopyRegionXYWH(PIX_IBitmap* dest, PIX_IBitmap* src, int destX, int destY, int srcX,
                        int srcY, int width, int height, float alpha, PIX_CombineMode mode)
{
    const PIX_Box box = {srcX, srcY, PIX_SaturateToInt(int64_t(srcX) + width),
                         PIX_SaturateToInt(int64_t(srcY) + height)};
    PIX_CopyRegion(dest, src, destX, destY, &box, alpha, mode);
}

void PIX_CopyWhole(PIX_IBitmap* dest, PIX_IBitmap* src)
{
    if (!dest || !src) return;
    dest->SetSize(src->PixelWidth(), src->PixelHeight());
    PIX_CopyRegion(dest, src, 0, 0, nullptr, 1.0f, PIX_CombineCopy);
}

void PIX_StretchCopy(PIX_IBitmap* dest, PIX_IBitmap* src, int destX, int destY, int destWidth,
                     int destHeight, float srcX, float srcY, float srcWidth, float srcHeight,
                     float alpha, PIX_CombineMode mode)
{
    if (!dest || !src || destWidth == 0 || destHeight == 0 || alpha == 0.0f) return;
    const bool bilinear = (mode & PIX_CombineFilterMask) == PIX_CombineBilinear;

    // Equal sizes on whole pixels: a one-to-one copy.
    if (std::fabs(double(srcWidth) - destWidth) < 0.001 &&
        std::fabs(double(srcHeight) - destHeight) < 0.001 &&
        (!bilinear || (NearWhole(srcX) && NearWhole(srcY)))) {
        PIX_Box box;
        box.left = PIX_TruncateToInt(float(double(srcX) + 0.5));
        box.top = PIX_TruncateToInt(float(double(srcY) + 0.5));
        box.right = PIX_SaturateToInt(int64_t(box.left) + destWidth);
        box.bottom = PIX_SaturateToInt(int64_t(box.top) + destHeight);
        PIX_CopyRegion(dest, src, destX, destY, &box, alpha, mode);
        return;
    }

    int64_t x = destX, y = destY, width = destWidth, height = destHeight;
    PIX_UnmirrorAxis(&x, &width, &srcX, &srcWidth);
    PIX_UnmirrorAxis(&y, &height, &srcY, &srcHeight);
    const double rx = double(srcWidth) / double(width), ry = double(srcHeight) / double(height);

    if (x < 0) {
        srcX = float(double(srcX) - rx * double(x));
        width += x;
        x = 0;
    }
    if (y < 0) {
        srcY = float(double(srcY) - ry * double(y));
        height += y;
        y = 0;
    }
    width = std::min<int64_t>(width, dest->PixelWidth() - x);
    height = std::min<int64_t>(height, dest->PixelHeight() - y);
    if (width <= 0 || height <= 0) return;

    const int dx = PIX_TruncateToInt(rx * 65536.0), dy = PIX_TruncateToInt(ry * 65536.0);
    int64_t x0 = PIX_TruncateToInt(double(srcX) * 65536.0);
    int64_t y0 = PIX_TruncateToInt(double(srcY) * 65536.0);
    if (!FitToSource(&x, &width, &x0, dx, src->PixelWidth())) return;
    if (!FitToSource(&y, &height, &y0, dy, src->PixelHeight())) return;

    const int right = SourceLimit(srcWidth, srcX, src->PixelWidth());
    const int bottom = SourceLimit(srcHeight, srcY, src->PixelHeight());
    if (right <= 0 || bottom <= 0 || !dest->PixelData() || !src->PixelData()) return;

    const Walk s = WalkFrom(src, 0, 0), d = WalkFrom(dest, x, y);
    const int w = PIX_WeightFromAlpha(alpha);
    const int filter = int(mode & PIX_CombineFilterMask);
    const PIX_CombineMode combination = mode & (PIX_CombineSourceAlpha | PIX_CombineOpMask);

    PIX_StretchKernelFn nearest = nullptr;
    if (filter == 0) nearest = PIX_SelectKernel(kNearestCopyKernels, combination, w, alpha);
    if (nearest) {
        nearest(d.pixel, s.pixel, int(width), int(height), int(x0), int(y0), dx, dy, right, bottom,
                s.step, d.step, w, filter);
        return;
    }

    if (bilinear && rx >= 1.7 && ry >= 1.7) {
        const PIX_ShrinkKernelFn kernel = PIX_SelectKernel(kShrinkKernels, combination, w, alpha);
        if (!kernel) return;
        const int n = std::max(dx, dy) < 0x30001 ? 3 : 5;
        int table[25];
        MakeShrinkTable(table, n, std::max(dx, dy));
        kernel(d.pixel, s.pixel, int(width), int(height), int(x0), int(y0), dx, dy, right, bottom,
               s.step, d.step, w, table, -(n / 2), n);
        return;
    }
    if (const PIX_StretchKernelFn kernel = PIX_SelectKernel(kStretchKernels, combination, w, alpha))
        kernel(d.pixel, s.pixel, int(width), int(height), int(x0), int(y0), dx, dy, right, bottom,
               s.step, d.step, w, filter);
}
