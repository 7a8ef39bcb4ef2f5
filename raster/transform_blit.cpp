#include "raster/transform_blit.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "raster/bitmap.h"
#include "raster/blit_kernels.h"
#include "raster/float_to_int.h"
#include "raster/mirror.h"
#include "raster/pixel_kernels.h"

namespace {

// The first pixel of a walk from picture position (x, y) and its row step in
// pixels (negative for a bottom-up bitmap).
struct Walk {
    PIX_PackedColor* pixel;
    ptrdiff_t step;
};

Walk WalkFrom(PIX_IBitmap* bitmap, int64_t x, int64_t y)
{
    const ptrdiff_t stride = bitmap->RowStride();
    PIX_PackedColor* base = bitmap->PixelData();
    if (bitmap->IsBottomUp()) return {base + (bitmap->PixelHeight() - 1 - y) * stride + x, -stride};
    return {base + y * stride + x, stride};
}

// The source clip box of the rotated and stepped copies.
PIX_Box SourceClipBox(PIX_IBitmap* src, float srcX, float srcY, float srcWidth, float srcHeight,
                      bool clipToSourceArea)
{
    if (!clipToSourceArea) return {0, 0, src->PixelWidth(), src->PixelHeight()};
    const float right = srcX + srcWidth, bottom = srcY + srcHeight;
    const float width = float(src->PixelWidth()), height = float(src->PixelHeight());
    // A size above 2^24 can round up in single precision: never past the picture.
    return {PIX_TruncateToInt(srcX > 0.0f ? srcX : 0.0f),
            PIX_TruncateToInt(srcY > 0.0f ? srcY : 0.0f),
            std::min(PIX_TruncateToInt(right < width ? right : width), src->PixelWidth()),
            std::min(PIX_TruncateToInt(bottom < height ? bottom : height), src->PixelHeight())};
}

int Fixed(double v)
{
    return PIX_TruncateToInt(v * 65536.0);
}

// The destination rectangle of a transformed copy after clipping, with the
// transform that its first pixel starts.
struct Transform {
    double x0, y0, dxPixel, dyPixel, dxRow, dyRow, ddxPixel, ddyPixel;
};

// Cuts the rectangle to the destination, moving the transform so that every
// remaining pixel samples where it did before. False when nothing is left.
bool ClipToDestination(PIX_IBitmap* dest, int64_t* x, int64_t* y, int64_t* width, int64_t* height,
                       Transform* t)
{
    if (*x < 0) {
        const double k = double(-*x);
        t->x0 += k * t->dxPixel;
        t->y0 += k * t->dyPixel;
        // Later rows skip the same columns at their own per-pixel steps.
        t->dxRow += k * t->ddxPixel;
        t->dyRow += k * t->ddyPixel;
        *width += *x;
        *x = 0;
    }
    if (*y < 0) {
        const double k = double(-*y);
        t->x0 += k * t->dxRow;
        t->y0 += k * t->dyRow;
        t->dxPixel += k * t->ddxPixel;
        t->dyPixel += k * t->ddyPixel;
        *height += *y;
        *y = 0;
    }
    if (*width > dest->PixelWidth() - *x) *width = dest->PixelWidth() - *x;
    if (*height > dest->PixelHeight() - *y) *height = dest->PixelHeight() - *y;
    return *width > 0 && *height > 0;
}

void RunTransform(PIX_IBitmap* dest, PIX_IBitmap* src, int64_t x, int64_t y, int64_t width,
                  int64_t height, const Transform& t, const PIX_Box& box, PIX_PixelKernelFn kernel,
                  int w, PIX_CombineMode mode)
{
    if (!dest->PixelData() || !src->PixelData()) return;
    const Walk d = WalkFrom(dest, x, y), s = WalkFrom(src, 0, 0);
    PIX_TransformKernel(
        reinterpret_cast<uint8_t*>(d.pixel), reinterpret_cast<const uint8_t*>(s.pixel), int(width),
        int(height), Fixed(t.x0), Fixed(t.y0), Fixed(t.dxPixel), Fixed(t.dyPixel), Fixed(t.dxRow),
        Fixed(t.dyRow), Fixed(t.ddxPixel), Fixed(t.ddyPixel), box.left, box.top, box.right,
        box.bottom, 4 * s.step, 4 * d.step, w, int(mode & PIX_CombineFilterMask), kernel);
}

using PIX_BlitDetail::Mix2;

template <class T>
void MeshWarp(PIX_IBitmap* dest, PIX_IBitmap* src, int destX, int destY, int destWidth,
              int destHeight, const T* grid, int gridWidth, int gridHeight, float alpha,
              PIX_CombineMode mode)
{
    if (!dest || !src || !grid || destWidth <= 0 || destHeight <= 0 || gridWidth < 2 ||
        gridHeight < 2)
        return;
    auto at = [&](int64_t column, int64_t row, int k) {
        return double(grid[2 * (row * gridWidth + column) + k]);
    };
    const double bandHeight = double(destHeight) / (gridHeight - 1);
    const double cellWidth = double(destWidth) / (gridWidth - 1);
    double bandEnd = destY;
    int top = destY;
    for (int j = 0; j + 1 < gridHeight; ++j) {
        bandEnd += bandHeight;
        const int bottom = PIX_TruncateToInt(bandEnd);
        const int64_t h = int64_t(bottom) - top;
        if (h > 0) {
            double cellEnd = destX;
            int left = destX;
            for (int i = 0; i + 1 < gridWidth; ++i) {
                cellEnd += cellWidth;
                const int right = PIX_TruncateToInt(cellEnd);
                const int64_t w = int64_t(right) - left;
                if (w > 0) {
                    double p00[2], across[2], down[2], change[2];
                    for (int k = 0; k < 2; ++k) {
                        p00[k] = at(i, j, k);
                        across[k] = (at(i + 1, j, k) - p00[k]) / double(w);
                        down[k] = (at(i, j + 1, k) - p00[k]) / double(h);
                        change[k] =
                            ((at(i + 1, j + 1, k) - at(i, j + 1, k)) / double(w) - across[k]) /
                            double(h);
                    }
                    PIX_SteppedCopy(dest, src, left, top, int(w), int(h), float(p00[0]),
                                    float(p00[1]), float(at(i + 1, j, 0) - p00[0]),
                                    float(at(i + 1, j, 1) - p00[1]), across[0], across[1], down[0],
                                    down[1], change[0], change[1], false, alpha, mode);
                }
                left = right;
            }
        }
        top = bottom;
    }
}

inline uint32_t Half(uint32_t p)
{
    return (p >> 1) & 0x7F7F7F7Fu;
}
inline uint32_t Quarter(uint32_t p)
{
    return (p >> 2) & 0x3F3F3F3Fu;
}
inline uint32_t Eighth(uint32_t p)
{
    return (p >> 3) & 0x1F1F1F1Fu;
}

// One blurred row of width >= 2; above or below is null at the area's edge.
void BlurRow(PIX_PackedColor* out, const PIX_PackedColor* row, const PIX_PackedColor* above,
             const PIX_PackedColor* below, int width)
{
    for (int i = 0; i < width; ++i) {
        uint32_t v = Half(row[i]);
        if (i == 0)
            v += Quarter(row[1]);
        else if (i == width - 1)
            v += Quarter(row[width - 2]);
        else
            v += Eighth(row[i - 1]) + Eighth(row[i + 1]);
        if (!above)
            v += Quarter(below[i]);
        else if (!below)
            v += Quarter(above[i]);
        else
            v += Eighth(above[i]) + Eighth(below[i]);
        out[i] = v;
    }
}

constexpr int kBlurStackPixels = 1024;

}  // namespace

void PIX_TransformKernel(uint8_t* dest, const uint8_t* src, int destWidth, int destHeight, int x0,
                         int y0, int dxPixel, int dyPixel, int dxRow, int dyRow, int ddxPixel,
                         int ddyPixel, int left, int top, int right, int bottom, ptrdiff_t srcStep,
                         ptrdiff_t destStep, int weight, int filter, PIX_PixelKernelFn kernel)
{
    if (!dest || !src || !kernel) return;
    const bool bilinear = filter == int(PIX_CombineBilinear);
    // 64-bit positions: no sum of 32-bit steps overflows.
    int64_t rowX = x0, rowY = y0, stepX = dxPixel, stepY = dyPixel;
    for (int r = 0; r < destHeight; ++r) {
        int64_t x = rowX, y = rowY;
        uint8_t* d = dest;
        for (int j = 0; j < destWidth; ++j, d += 4) {
            const int64_t sx = x / 65536, sy = y / 65536;
            const int fx = int(uint64_t(x) & 0xFFFF), fy = int(uint64_t(y) & 0xFFFF);
            x += stepX;
            y += stepY;
            if (sx < left || sy < top || sx >= right || sy >= bottom) continue;
            const uint8_t* p = src + sy * srcStep + 4 * sx;
            if (!bilinear) {
                kernel(d, p[2], p[1], p[0], p[3], weight);
                continue;
            }
            int c[4];  // blue, green, red, alpha
            const bool lastColumn = sx == right - 1, lastRow = sy == bottom - 1;
            if (!lastColumn && !lastRow)
                PIX_BilinearMix4(&c[2], &c[1], &c[0], &c[3], p, p + srcStep, fx, fy);
            else if (!lastRow)
                Mix2(c, p, p + srcStep, fy);
            else if (!lastColumn)
                Mix2(c, p, p + 4, fx);
            else
                for (int k = 0; k < 4; ++k) c[k] = p[k];
            kernel(d, c[2], c[1], c[0], c[3], weight);
        }
        rowX += dxRow;
        rowY += dyRow;
        stepX += ddxPixel;
        stepY += ddyPixel;
        dest += destStep;
    }
}

namespace {

// The shared frame of the rotated and stepped copies: weight and kernel,
// the source clip box, mirroring, then the transform that makeTransform
// builds from the unmirrored source rectangle and destination size.
template <class MakeTransform>
void TransformedCopy(PIX_IBitmap* dest, PIX_IBitmap* src, int destX, int destY, int destWidth,
                     int destHeight, float srcX, float srcY, float srcWidth, float srcHeight,
                     bool clipToSourceArea, float alpha, PIX_CombineMode mode,
                     MakeTransform makeTransform)
{
    if (!dest || !src || destWidth == 0 || destHeight == 0) return;
    const int w = PIX_WeightFromAlpha(alpha);
    const PIX_PixelKernelFn kernel = PIX_SelectPixelKernel(mode, w);
    if (!kernel) return;
    const PIX_Box box = SourceClipBox(src, srcX, srcY, srcWidth, srcHeight, clipToSourceArea);

    int64_t x = destX, y = destY, width = destWidth, height = destHeight;
    PIX_UnmirrorAxis(&x, &width, &srcX, &srcWidth);
    PIX_UnmirrorAxis(&y, &height, &srcY, &srcHeight);
    Transform t = makeTransform(srcX, srcY, srcWidth, srcHeight, double(width), double(height));
    if (!ClipToDestination(dest, &x, &y, &width, &height, &t)) return;
    RunTransform(dest, src, x, y, width, height, t, box, kernel, w, mode);
}

}  // namespace

void PIX_RotateCopy(PIX_IBitmap* dest, PIX_IBitmap* src, int destX, int destY, int destWidth,
                    int destHeight, float srcX, float srcY, float srcWidth, float srcHeight,
                    float angle, bool clipToSourceArea, float alpha, PIX_CombineMode mode,
                    float centreOffsetX, float centreOffsetY)
{
    TransformedCopy(
        dest, src, destX, destY, destWidth, destHeight, srcX, srcY, srcWidth, srcHeight,
        clipToSourceArea, alpha, mode,
        [=](float sx, float sy, float sw, float sh, double width, double height) {
            const double c = std::cos(double(angle)), s = std::sin(double(angle));
            const double rx = double(sw) / width, ry = double(sh) / height;
            Transform t;
            t.dxPixel = c * rx;
            t.dyPixel = -s * ry;
            t.dxRow = s * rx;
            t.dyRow = c * ry;
            t.ddxPixel = t.ddyPixel = 0.0;
            t.x0 = float(sx - ((c * rx * width + s * rx * height - sw) * 0.5 - centreOffsetX));
            t.y0 = float(sy - ((-s * ry * width + c * ry * height - sh) * 0.5 - centreOffsetY));
            return t;
        });
}

void PIX_SteppedCopy(PIX_IBitmap* dest, PIX_IBitmap* src, int destX, int destY, int destWidth,
                     int destHeight, float srcX, float srcY, float srcWidth, float srcHeight,
                     double dxPixel, double dyPixel, double dxRow, double dyRow, double ddxPixel,
                     double ddyPixel, bool clipToSourceArea, float alpha, PIX_CombineMode mode)
{
    TransformedCopy(
        dest, src, destX, destY, destWidth, destHeight, srcX, srcY, srcWidth, srcHeight,
        clipToSourceArea, alpha, mode, [=](float sx, float sy, float, float, double, double) {
            return Transform{sx, sy, dxPixel, dyPixel, dxRow, dyRow, ddxPixel, ddyPixel};
        });
}

void PIX_MeshWarpCopyDouble(PIX_IBitmap* dest, PIX_IBitmap* src, int destX, int destY,
                            int destWidth, int destHeight, const double* grid, int gridWidth,
                            int gridHeight, float alpha, PIX_CombineMode mode)
{
    MeshWarp(dest, src, destX, destY, destWidth, destHeight, grid, gridWidth, gridHeight, alpha,
             mode);
}

void PIX_MeshWarpCopyFloat(PIX_IBitmap* dest, PIX_IBitmap* src, int destX, int destY, int destWidth,
                           int destHeight, const float* grid, int gridWidth, int gridHeight,
                           float alpha, PIX_CombineMode mode)
{
    MeshWarp(dest, src, destX, destY, destWidth, destHeight, grid, gridWidth, gridHeight, alpha,
             mode);
}

void PIX_CrossBlurCopy(PIX_IBitmap* dest, PIX_IBitmap* src, int destX, int destY, int srcX,
                       int srcY, int width, int height)
{
    if (!dest || !src) return;
    int64_t right = int64_t(srcX) + width, bottom = int64_t(srcY) + height;
    int64_t left = srcX > 0 ? srcX : 0, top = srcY > 0 ? srcY : 0;
    if (right > src->PixelWidth()) right = src->PixelWidth();
    if (bottom > src->PixelHeight()) bottom = src->PixelHeight();
    int64_t x = destX, y = destY;
    if (x < 0) left -= x, x = 0;
    if (y < 0) top -= y, y = 0;
    if (right - left > dest->PixelWidth() - x) right = left + dest->PixelWidth() - x;
    if (bottom - top > dest->PixelHeight() - y) bottom = top + dest->PixelHeight() - y;
    if (right - left < 2 || bottom - top < 2) return;
    if (!dest->PixelData() || !src->PixelData()) return;

    const int w = int(right - left), h = int(bottom - top);
    const Walk s = WalkFrom(src, left, top), d = WalkFrom(dest, x, y);

    // In place, the current and the previous source rows are read from copies.
    PIX_PackedColor stackBuffer[2 * kBlurStackPixels];
    PIX_PackedColor* buffer = nullptr;
    bool heap = false;
    if (dest == src) {
        if (w <= kBlurStackPixels) {
            buffer = stackBuffer;
        } else {
            buffer =
                static_cast<PIX_PackedColor*>(std::malloc(sizeof(PIX_PackedColor) * 2 * size_t(w)));
            heap = buffer != nullptr;
        }
    }
    for (int j = 0; j < h; ++j) {
        const PIX_PackedColor* row = s.pixel + j * s.step;
        const PIX_PackedColor* above = j > 0 ? row - s.step : nullptr;
        const PIX_PackedColor* below = j + 1 < h ? row + s.step : nullptr;
        if (buffer) {
            PIX_PackedColor* copy = buffer + (j & 1) * size_t(w);
            std::memcpy(copy, row, sizeof(PIX_PackedColor) * size_t(w));
            row = copy;
            if (above) above = buffer + ((j - 1) & 1) * size_t(w);
        }
        BlurRow(d.pixel + j * d.step, row, above, below, w);
    }
    if (heap) std::free(buffer);
}
