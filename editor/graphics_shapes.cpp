// How controls draw rotated and derived images, single pixels, shapes and
// lines into the editor's draw surface.

#include <cmath>
#include <cstdint>

#include "editor/graphics.h"
#include "raster/bitmap.h"
#include "raster/blit.h"
#include "raster/circle.h"
#include "raster/fill.h"
#include "raster/float_to_int.h"
#include "raster/line.h"
#include "raster/pixel_ops.h"
#include "raster/polygon.h"
#include "raster/sys_bitmap.h"
#include "raster/transform_blit.h"

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr unsigned kColourBits = 0x00FFFFFF;

// What a raster call takes of an editor colour and blend.
struct RasterPaint {
    PIX_PackedColor colour;
    float alpha;
    PIX_CombineMode mode;
};

// Hands draw the paint of the colour and blend; without a colour nothing is
// drawn. True, as every drawing routine is.
template <class Draw>
bool WithPaint(const IArgb* colour, const IBlend* blend, Draw draw)
{
    if (colour) draw(RasterPaint{colour->Packed(), BlendAlpha(blend), BlendMode(blend)});
    return true;
}

// The lines that take no blend: a plain copy, the colour's alpha included.
bool CopySegment(PIX_IBitmap* surface, const IArgb* colour, int x1, int y1, int x2, int y2)
{
    if (colour)
        PIX_DrawSegment(surface, x1, y1, x2, y2, colour->Packed(), 1.0f, PIX_CombineCopy, false);
    return true;
}

PIX_IBitmap* BitmapOf(const IImageStrip* strip)
{
    return strip ? strip->bitmap : nullptr;
}

// b - a, and a + b, held within the int range.
int Span(int a, int b)
{
    return PIX_SaturateToInt(int64_t(b) - a);
}

int Offset(int a, int b)
{
    return PIX_SaturateToInt(int64_t(a) + b);
}

float LevelWithin01(float level)
{
    return level > 0.0f ? (level < 1.0f ? level : 1.0f) : 0.0f;  // NaN gives 0
}

// Where level t of the span from `from` to `to` lies.
int AtLevel(int from, int to, float t)
{
    return Offset(from, PIX_TruncateToInt(t * float(int64_t(to) - from)));
}

// A new bitmap of the size, transparent black until it is drawn into.
PIX_MemBitmap* NewClearBitmap(int width, int height)
{
    PIX_MemBitmap* bitmap = new PIX_MemBitmap(width, height, 4);
    PIX_FillBitmap(bitmap, 0);
    return bitmap;
}

// The strip of a new whole bitmap, which the image cache owns from now on.
IImageStrip HandToImageCache(IGraphics* editor, PIX_MemBitmap* bitmap, int frames)
{
    IImageStrip strip;
    strip.bitmap = bitmap;
    strip.width = bitmap->PixelWidth();
    strip.height = bitmap->PixelHeight();
    strip.frames = frames;
    editor->AddToImageCache(&strip);
    return strip;
}

}  // namespace

bool IGraphics::BlitImageRotated(const IImageStrip* strip, int x, int y, double angle,
                                 int centreOffsetY, const IBlend* blend)
{
    if (!strip) return true;
    const int w = strip->width, h = strip->height;
    PIX_RotateCopy(drawSurface, strip->bitmap, Offset(x, -(w / 2)), Offset(y, -(h / 2)), w, h, 0.0f,
                   0.0f, float(w), float(h), float(angle), false, BlendAlpha(blend),
                   BlendMode(blend) | PIX_CombineBilinear, 0.0f, float(centreOffsetY));
    return true;
}

bool IGraphics::BlitRotatedMask(const IImageStrip* base, const IImageStrip* mask,
                                const IImageStrip* top, int x, int y, double angleDegrees,
                                const IBlend* blend)
{
    // Without a base the scratch would keep the last call's picture.
    if (!BitmapOf(base)) return true;
    const int w = base->width, h = base->height;
    const float angle = float(angleDegrees * kRadiansPerDegree);
    const float centreOffsetX = w % 2 ? -0.5f : 0.0f;
    if (!scratchBitmap) scratchBitmap = new PIX_MemBitmap(0, 0, 4);

    PIX_CopyWhole(scratchBitmap, base->bitmap);
    PIX_AndOrBox(scratchBitmap, 0, 0, w, h, kColourBits, 0);
    const auto turnInto = [&](const IImageStrip* layer, PIX_CombineMode op) {
        PIX_RotateCopy(scratchBitmap, BitmapOf(layer), 0, 0, w, h, 0.0f, 0.0f, float(w), float(h),
                       angle, true, 1.0f, op | PIX_CombineBilinear | PIX_CombineSourceAlpha,
                       centreOffsetX, 0.0f);
    };
    turnInto(mask, PIX_CombineAdd);
    turnInto(top, PIX_CombineCopy);

    IImageStrip scratch;
    scratch.bitmap = scratchBitmap;
    scratch.width = w;
    scratch.height = h;
    const IBox dest = {x, y, Offset(x, w), Offset(y, h)};
    return BlitImage(&scratch, &dest, 0, 0, blend);
}

IImageStrip IGraphics::MakeScaledImage(const IImageStrip* source, int width, int height)
{
    if (!source) return {};
    PIX_MemBitmap* bitmap = NewClearBitmap(width, height);
    PIX_StretchCopy(bitmap, source->bitmap, 0, 0, bitmap->PixelWidth(), bitmap->PixelHeight(), 0.0f,
                    0.0f, float(source->width), float(source->height), 1.0f,
                    PIX_CombineCopy | PIX_CombineBilinear);
    return HandToImageCache(this, bitmap, source->frames);
}

IImageStrip IGraphics::MakeCroppedImage(const IImageStrip* source, const IBox* area)
{
    if (!source || !area) return {};
    PIX_MemBitmap* bitmap =
        NewClearBitmap(Span(area->left, area->right), Span(area->top, area->bottom));
    PIX_CopyRegionXYWH(bitmap, source->bitmap, 0, 0, area->left, area->top, bitmap->PixelWidth(),
                       bitmap->PixelHeight(), 1.0f, PIX_CombineCopy);
    return HandToImageCache(this, bitmap, source->frames);
}

bool IGraphics::PlotPoint(const IArgb* colour, float x, float y, const IBlend* blend, bool)
{
    return WithPaint(colour, blend, [&](const RasterPaint& p) {
        PIX_WritePixel(drawSurface, PIX_TruncateToInt(double(x) + 0.5),
                       PIX_TruncateToInt(double(y) + 0.5), p.colour, p.alpha, p.mode);
    });
}

bool IGraphics::WritePixelDirect(const IArgb* colour, int x, int y)
{
    PIX_PackedColor* pixels = SurfacePixels();
    if (!colour || !pixels) return false;
    if (x < 0 || x >= drawSurface->PixelWidth() || y < 0 || y >= drawSurface->PixelHeight())
        return false;
    pixels[int64_t(y) * drawSurface->RowStride() + x] = colour->Packed();
    return true;
}

IArgb IGraphics::ReadPixelAt(int x, int y)
{
    const PIX_PackedColor pixel = PIX_ReadPixel(drawSurface, x, y);
    return {int(pixel >> 24), int(pixel >> 16 & 255), int(pixel >> 8 & 255), int(pixel & 255)};
}

PIX_PackedColor* IGraphics::SurfacePixels()
{
    return drawSurface ? drawSurface->PixelData() : nullptr;
}

bool IGraphics::StrokeSegment(const IArgb* colour, float x1, float y1, float x2, float y2,
                              const IBlend* blend, bool antialias)
{
    return WithPaint(colour, blend, [&](const RasterPaint& p) {
        PIX_DrawSegment(drawSurface, PIX_TruncateToInt(x1), PIX_TruncateToInt(y1),
                        PIX_TruncateToInt(x2), PIX_TruncateToInt(y2), p.colour, p.alpha, p.mode,
                        antialias);
    });
}

bool IGraphics::StrokeArc(const IArgb* colour, float centreX, float centreY, float radius,
                          float startAngle, float endAngle, const IBlend* blend, bool antialias)
{
    return WithPaint(colour, blend, [&](const RasterPaint& p) {
        PIX_ArcOutline(drawSurface, centreX, centreY, radius, startAngle, endAngle, p.colour,
                       p.alpha, p.mode, antialias);
    });
}

bool IGraphics::StrokeCircle(const IArgb* colour, float centreX, float centreY, float radius,
                             const IBlend* blend, bool antialias)
{
    return WithPaint(colour, blend, [&](const RasterPaint& p) {
        PIX_CircleOutline(drawSurface, centreX, centreY, radius, p.colour, p.alpha, p.mode,
                          antialias);
    });
}

bool IGraphics::StrokeRoundedBox(const IArgb* colour, const IBox* box, const IBlend* blend,
                                 int cornerRadius, bool antialias)
{
    if (!box) return true;
    return WithPaint(colour, blend, [&](const RasterPaint& p) {
        PIX_RoundedBoxOutline(drawSurface, float(box->left), float(box->top),
                              float(int64_t(box->right) - box->left),
                              float(int64_t(box->bottom) - box->top), cornerRadius, p.colour,
                              p.alpha, p.mode, antialias);
    });
}

bool IGraphics::FillRoundedBox(const IArgb* colour, const IBox* box, const IBlend* blend,
                               int cornerRadius, bool antialias)
{
    if (!box) return true;
    const int L = box->left, T = box->top, R = box->right, B = box->bottom;
    const int W = Span(L, R), H = Span(T, B);
    if (W <= 0 || H <= 0) return true;
    // A corner disc is 2r + 1 pixels across: r up to half the smaller side
    // without its middle pixel keeps the discs inside the box.
    const int largest = ((W < H ? W : H) - 1) / 2;
    const int r = cornerRadius < 0 ? 0 : (cornerRadius > largest ? largest : cornerRadius);
    return WithPaint(colour, blend, [&](const RasterPaint& p) {
        const auto band = [&](int x, int y, int width, int height) {
            PIX_FillBox(drawSurface, x, y, width, height, p.colour, p.alpha, p.mode);
        };
        band(L + r, T, W - 2 * r, H);
        band(L, T + r, r, H - 2 * r);
        band(R - r, T + r, r, H - 2 * r);
        const auto corner = [&](int cx, int cy) {
            PIX_FillDisc(drawSurface, float(cx), float(cy), float(r), p.colour, p.alpha, p.mode,
                         antialias);
        };
        corner(L + r, T + r);
        corner(R - 1 - r, B - 1 - r);
        corner(R - 1 - r, T + r);
        corner(L + r, B - 1 - r);
    });
}

bool IGraphics::FillBox(const IArgb* colour, const IBox* box, const IBlend* blend)
{
    if (!box) return true;
    return WithPaint(colour, blend, [&](const RasterPaint& p) {
        PIX_FillBox(drawSurface, box->left, box->top, Span(box->left, box->right),
                    Span(box->top, box->bottom), p.colour, p.alpha, p.mode);
    });
}

bool IGraphics::FillDisc(const IArgb* colour, int centreX, int centreY, float radius,
                         const IBlend* blend, bool antialias)
{
    return WithPaint(colour, blend, [&](const RasterPaint& p) {
        PIX_FillDisc(drawSurface, float(centreX), float(centreY), radius, p.colour, p.alpha, p.mode,
                     antialias);
    });
}

bool IGraphics::PaintTriangle(const IArgb* colour, int x1, int y1, int x2, int y2, int x3, int y3,
                              const IBlend* blend)
{
    return WithPaint(colour, blend, [&](const RasterPaint& p) {
        PIX_FillTriangleShape(drawSurface, x1, y1, x2, y2, x3, y3, p.colour, p.alpha, p.mode);
    });
}

bool IGraphics::PaintConvexPolygon(const IArgb* colour, const int* xs, const int* ys, int count,
                                   const IBlend* blend)
{
    return WithPaint(colour, blend, [&](const RasterPaint& p) {
        PIX_FillConvexShape(drawSurface, xs, ys, count, p.colour, p.alpha, p.mode);
    });
}

bool IGraphics::StrokeVerticalLine(const IArgb* colour, int x, int y1, int y2)
{
    return CopySegment(drawSurface, colour, x, y1, x, y2);
}

bool IGraphics::StrokeHorizontalLine(const IArgb* colour, int y, int x1, int x2)
{
    return CopySegment(drawSurface, colour, x1, y, x2, y);
}

bool IGraphics::StrokeBox(const IArgb* colour, const IBox* box)
{
    if (!box) return true;
    StrokeHorizontalLine(colour, box->top, box->left, box->right);
    StrokeHorizontalLine(colour, box->bottom, box->left, box->right);
    StrokeVerticalLine(colour, box->left, box->top, box->bottom);
    StrokeVerticalLine(colour, box->right, box->top, box->bottom);
    return true;
}

bool IGraphics::StrokeVerticalLevel(const IArgb* colour, const IBox* box, float level)
{
    if (!box) return true;
    const int x = AtLevel(box->left, box->right, LevelWithin01(level));
    return StrokeVerticalLine(colour, x, box->top, box->bottom);
}

bool IGraphics::StrokeHorizontalLevel(const IArgb* colour, const IBox* box, float level)
{
    if (!box) return true;
    const int y = AtLevel(box->bottom, box->top, LevelWithin01(level));
    return StrokeHorizontalLine(colour, y, box->left, box->right);
}

bool IGraphics::StrokeRadialSegment(const IArgb* colour, float centreX, float centreY, float angle,
                                    float innerRadius, float outerRadius, const IBlend* blend,
                                    bool antialias)
{
    const double s = std::sin(double(angle)), c = std::cos(double(angle));
    const auto at = [&](float radius, double along, float from) {
        return float(double(from) + double(radius) * along);
    };
    return StrokeSegment(colour, at(innerRadius, s, centreX), at(innerRadius, -c, centreY),
                         at(outerRadius, s, centreX), at(outerRadius, -c, centreY), blend,
                         antialias);
}
