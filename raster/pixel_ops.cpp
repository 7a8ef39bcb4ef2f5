#include "raster/pixel_ops.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "raster/bitmap.h"
#include "raster/fast_paths.h"
#include "raster/float_to_int.h"
#include "raster/line_kernels.h"
#include "raster/pixel_ops_kernels.h"

namespace {

// The pixels of a bitmap that can be addressed, or null.
PIX_PackedColor* Pixels(const PIX_IBitmap* bitmap)
{
    return bitmap && bitmap->RowStride() > 0 ? bitmap->PixelData() : nullptr;
}

// Row y of the picture.
PIX_PackedColor* PictureRow(const PIX_IBitmap* bitmap, PIX_PackedColor* pixels, int y)
{
    const int64_t row = bitmap->IsBottomUp() ? int64_t(bitmap->PixelHeight()) - 1 - y : y;
    return pixels + row * bitmap->RowStride();
}

// The pixel at (x, y) of the picture, or null outside.
PIX_PackedColor* PixelAt(const PIX_IBitmap* bitmap, int x, int y)
{
    PIX_PackedColor* pixels = Pixels(bitmap);
    if (!pixels || x < 0 || y < 0 || x >= bitmap->PixelWidth() || y >= bitmap->PixelHeight())
        return nullptr;
    return PictureRow(bitmap, pixels, y) + x;
}

// A box clipped to its bitmap: its first pixel in memory, its size (both
// positive) and the row stride; the rows follow in memory order.
struct ClippedBox {
    PIX_PackedColor* first;
    int width;
    int height;
    int64_t stride;
};

bool ClipBox(const PIX_IBitmap* bitmap, int x, int y, int width, int height, ClippedBox* box)
{
    PIX_PackedColor* pixels = Pixels(bitmap);
    if (!pixels) return false;
    int64_t left = x, top = y, w = width, h = height;
    if (left < 0) w += left, left = 0;
    if (top < 0) h += top, top = 0;
    w = std::min<int64_t>(w, bitmap->PixelWidth() - left);
    h = std::min<int64_t>(h, bitmap->PixelHeight() - top);
    if (w <= 0 || h <= 0) return false;
    const int64_t stride = bitmap->RowStride();
    const int64_t row = bitmap->IsBottomUp() ? bitmap->PixelHeight() - top - h : top;
    *box = {pixels + row * stride + left, int(w), int(h), stride};
    return true;
}

// visit(pixel) for each pixel of the box, rows in memory order.
template <class Visit>
void VisitBox(const ClippedBox& box, Visit visit)
{
    PIX_PackedColor* row = box.first;
    for (int j = 0; j < box.height; ++j, row += box.stride)
        for (int i = 0; i < box.width; ++i) visit(row + i);
}

// One channel of PIX_ScaleOffsetBox; scale and offset x 256.
uint32_t ScaleOffsetChannel(uint32_t c, int64_t scale, int64_t offset)
{
    const int64_t sum = c * scale + offset;
    const int64_t v = sum >> 8;  // arithmetic: rounds toward minus infinity
    return sum < 0 ? 0 : v > 255 ? 255 : uint32_t(v);
}

PIX_PackedColor QuarterBytes(PIX_PackedColor c)
{
    return (c >> 2) & 0x3F3F3F3Fu;
}

// The first column in [from, to) where rows a and b differ, or -1.
int FirstDifference(const PIX_PackedColor* a, const PIX_PackedColor* b, int from, int to)
{
    for (int i = from; i < to; ++i)
        if (a[i] != b[i]) return i;
    return -1;
}

// The last column in [from, to) where rows a and b differ, or -1.
int LastDifference(const PIX_PackedColor* a, const PIX_PackedColor* b, int from, int to)
{
    for (int i = to - 1; i >= from; --i)
        if (a[i] != b[i]) return i;
    return -1;
}

// The bounding rectangle of the differing words of two pictures of the same
// size (both positive), found from the outer rows inward; false when none.
bool DifferenceBox(const PIX_IBitmap* a, PIX_PackedColor* pa, const PIX_IBitmap* b,
                   PIX_PackedColor* pb, PIX_Box* box)
{
    const int width = a->PixelWidth(), height = a->PixelHeight();
    const auto rowA = [&](int y) { return PictureRow(a, pa, y); };
    const auto rowB = [&](int y) { return PictureRow(b, pb, y); };
    int top = 0, left;
    while ((left = FirstDifference(rowA(top), rowB(top), 0, width)) < 0)
        if (++top == height) return false;
    int right = LastDifference(rowA(top), rowB(top), left, width);
    int bottom = height - 1;
    for (; bottom > top; --bottom) {
        const int first = FirstDifference(rowA(bottom), rowB(bottom), 0, width);
        if (first < 0) continue;
        left = std::min(left, first);
        right = std::max(right, LastDifference(rowA(bottom), rowB(bottom), first, width));
        break;
    }
    for (int y = top + 1; y < bottom; ++y) {
        const int first = FirstDifference(rowA(y), rowB(y), 0, left);
        if (first >= 0) left = first;
        const int last = LastDifference(rowA(y), rowB(y), right + 1, width);
        if (last >= 0) right = last;
    }
    *box = {left, top, right - left + 1, bottom - top + 1};
    return true;
}

}  // namespace

void PIX_FillBitmap(PIX_IBitmap* bitmap, PIX_PackedColor colour)
{
    PIX_PackedColor* pixels = Pixels(bitmap);
    if (!pixels || bitmap->PixelWidth() <= 0) return;
    const int64_t stride = bitmap->RowStride();
    for (int j = 0; j < bitmap->PixelHeight(); ++j)
        std::fill_n(pixels + j * stride, bitmap->PixelWidth(), colour);
}

void PIX_ScaleOffsetBox(PIX_IBitmap* bitmap, int x, int y, int width, int height, float redScale,
                        float greenScale, float blueScale, float alphaScale, float redOffset,
                        float greenOffset, float blueOffset, float alphaOffset)
{
    ClippedBox box;
    if (!ClipBox(bitmap, x, y, width, height, &box)) return;
    // By byte of the pixel word: blue, green, red, alpha.
    const float scales[4] = {blueScale, greenScale, redScale, alphaScale};
    const float offsets[4] = {blueOffset, greenOffset, redOffset, alphaOffset};
    int64_t scale[4], offset[4];
    for (int k = 0; k < 4; ++k) {
        scale[k] = PIX_TruncateToInt(scales[k] * 256.0f);
        offset[k] = PIX_TruncateToInt(offsets[k] * 256.0f);
    }
    VisitBox(box, [&](PIX_PackedColor* p) {
        PIX_PackedColor out = 0;
        for (int k = 0; k < 4; ++k)
            out |= ScaleOffsetChannel((*p >> (8 * k)) & 0xFF, scale[k], offset[k]) << (8 * k);
        *p = out;
    });
}

void PIX_ForEachPixelInBox(PIX_IBitmap* bitmap, int x, int y, int width, int height,
                           PIX_PixelCallback callback, int param)
{
    ClippedBox box;
    if (!callback || !ClipBox(bitmap, x, y, width, height, &box)) return;
    VisitBox(box, [&](PIX_PackedColor* p) { callback(p, param); });
}

void PIX_AndOrBox(PIX_IBitmap* bitmap, int x, int y, int width, int height, unsigned andMask,
                  unsigned orValue)
{
    ClippedBox box;
    if (!ClipBox(bitmap, x, y, width, height, &box)) return;
    VisitBox(box, [&](PIX_PackedColor* p) { *p = (*p & andMask) | orValue; });
}

PIX_PackedColor PIX_ReadPixel(PIX_IBitmap* bitmap, int x, int y)
{
    const PIX_PackedColor* p = PixelAt(bitmap, x, y);
    return p ? *p : 0;
}

void PIX_WritePixel(PIX_IBitmap* bitmap, int x, int y, PIX_PackedColor colour, float alpha,
                    PIX_CombineMode mode)
{
    PIX_PackedColor* p = PixelAt(bitmap, x, y);
    if (!p) return;
    const int weight = PIX_WeightFromAlpha(alpha);
    const PIX_PixelKernelFn kernel =
        PIX_SelectKernel(PIX_WritePixelKernels, mode & PIX_CombineOpMask, weight, alpha);
    if (!kernel) return;
    const PIX_LineColor c(colour);
    kernel(reinterpret_cast<uint8_t*>(p), c.r, c.g, c.b, c.a, weight);
}

void PIX_ColorKeyToAlpha(PIX_IBitmap* bitmap, PIX_PackedColor key)
{
    ClippedBox box;
    if (!ClipBox(bitmap, 0, 0, bitmap ? bitmap->PixelWidth() : 0,
                 bitmap ? bitmap->PixelHeight() : 0, &box))
        return;
    VisitBox(box,
             [&](PIX_PackedColor* p) { *p = (*p & 0x00FFFFFFu) == key ? key : *p | 0xFF000000u; });
}

void PIX_FloodFillMasked(PIX_IBitmap* bitmap, int x, int y, unsigned orValue, unsigned compareMask,
                         unsigned andMask)
{
    // Iterative: each memory row is visited at most once, whatever the size.
    PIX_PackedColor* pixels = Pixels(bitmap);
    if (!pixels) return;
    const int width = bitmap->PixelWidth(), height = bitmap->PixelHeight();
    if (x < 0 || x >= width || y < 0 || y >= height) return;
    const int64_t stride = bitmap->RowStride();
    const auto row = [&](int j) { return pixels + j * stride; };
    const PIX_PackedColor target = row(y)[x] & compareMask;
    const auto matches = [&](PIX_PackedColor p) { return (p & compareMask) == target; };
    const auto fill = [&](PIX_PackedColor& p) { p = (p & andMask) | orValue; };
    const auto fillRuns = [&](PIX_PackedColor* r) {
        fill(r[x]);
        for (int i = x + 1; i < width && matches(r[i]); ++i) fill(r[i]);
        for (int i = x - 1; i >= 0 && matches(r[i]); --i) fill(r[i]);
    };
    for (int j = y; j < height && (j == y || matches(row(j)[x])); ++j) fillRuns(row(j));
    for (int j = y - 1; j >= 0 && matches(row(j)[x]); --j) fillRuns(row(j));
}

void PIX_HalfSizeCopy(PIX_IBitmap* dest, PIX_IBitmap* src)
{
    PIX_PackedColor* out = Pixels(dest);
    const PIX_PackedColor* in = Pixels(src);
    if (!out || !in) return;
    const int width = std::min(dest->PixelWidth(), src->PixelWidth() / 2);
    const int height = std::min(dest->PixelHeight(), src->PixelHeight() / 2);
    const int64_t outStride = dest->RowStride(), inStride = src->RowStride();
    for (int j = 0; j < height; ++j) {
        const PIX_PackedColor* s0 = in + 2 * j * inStride;
        const PIX_PackedColor* s1 = s0 + inStride;
        PIX_PackedColor* d = out + j * outStride;
        for (int i = 0; i < width; ++i)
            d[i] = QuarterBytes(s0[2 * i]) + QuarterBytes(s0[2 * i + 1]) + QuarterBytes(s1[2 * i]) +
                   QuarterBytes(s1[2 * i + 1]);
    }
}

int PIX_CompareBitmaps(PIX_IBitmap* a, PIX_IBitmap* b, PIX_Box* differences)
{
    if (!a || !b) return (a ? 1 : 0) - (b ? 1 : 0);
    if (a->PixelWidth() != b->PixelWidth())
        return PIX_SaturateToInt(int64_t(b->PixelWidth()) - a->PixelWidth());
    if (a->PixelHeight() != b->PixelHeight())
        return PIX_SaturateToInt(int64_t(b->PixelHeight()) - a->PixelHeight());
    const int width = a->PixelWidth(), height = a->PixelHeight();
    PIX_PackedColor* pa = Pixels(a);
    PIX_PackedColor* pb = Pixels(b);
    if (width > 0 && height > 0 && (!pa || !pb)) return (pa ? 1 : 0) - (pb ? 1 : 0);

    if (!differences) {
        for (int y = 0; y < height && width > 0; ++y) {
            const int c = std::memcmp(PictureRow(a, pa, y), PictureRow(b, pb, y),
                                      size_t(width) * sizeof(PIX_PackedColor));
            if (c != 0) return c < 0 ? -1 : 1;
        }
        return 0;
    }
    if (width > 0 && height > 0 && DifferenceBox(a, pa, b, pb, differences)) return 1;
    *differences = {0, 0, 0, 0};
    return 0;
}
