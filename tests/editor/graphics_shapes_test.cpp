#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "editor/graphics.h"
#include "raster/bitmap.h"
#include "raster/blit.h"
#include "raster/circle.h"
#include "raster/fill.h"
#include "raster/float_to_int.h"
#include "raster/golden_image.h"
#include "raster/line.h"
#include "raster/pixel_ops.h"
#include "raster/polygon.h"
#include "raster/raster_test_support.h"
#include "raster/sys_bitmap.h"
#include "raster/transform_blit.h"
#include "support/headless_graphics.h"

#include "test_images.h"

namespace {

using raster_test::kGuardWord;
using raster_test::Lcg;

// The headless editor with its draw clip in reach.
class Editor : public HeadlessGraphics {
public:
    using HeadlessGraphics::HeadlessGraphics;
    using IGraphics::drawClip;
};

// Rows of 61 pixels are padded to 64: the padding is a guard band.
constexpr int kWidth = 61;
constexpr int kHeight = 47;
constexpr int kStride = 64;
constexpr float kPi = 3.14159265358979f;

// ---- Synthetic images ----

// A picture with an opaque middle, a half-transparent ring and clear corners.
uint32_t ArtPixel(int x, int y, int w, int h)
{
    const int dx = 2 * x + 1 - w, dy = 2 * y + 1 - h;
    const int64_t d = int64_t(dx) * dx * h * h + int64_t(dy) * dy * w * w,
                  r = int64_t(w) * w * h * h;
    const uint32_t alpha = d * 2 < r ? 255 : d < r ? 128 : 0;
    return alpha << 24 | uint32_t(40 + x * 200 / w) << 16 | uint32_t(220 - y * 180 / h) << 8 |
           uint32_t((x + y) % 3 * 90);
}

uint32_t BasePixel(int x, int y, int w, int h)
{
    return 0xFF000000u | uint32_t(x * 255 / w) << 16 | uint32_t(y * 255 / h) << 8 | 0x40;
}

// Alpha grows to the right: the mask.
uint32_t MaskPixel(int x, int, int w, int)
{
    return uint32_t(x * 255 / (w - 1)) << 24 | 0x206080;
}

// Clear but for an opaque cross and a half-transparent corner.
uint32_t TopPixel(int x, int y, int w, int h)
{
    if (x == w / 2 || y == h / 2) return 0xFFF0E010;
    return x < 2 && y < 2 ? 0x80FF00FFu : 0;
}

struct ImageSet {
    TestImage art, base, mask, top;
};

// An odd-width set (whose rotated mask is centred half a pixel left) and an
// even one.
const ImageSet& Images(int which)
{
    static const ImageSet sets[2] = {{MakeImage(13, 9, ArtPixel), MakeImage(13, 9, BasePixel),
                                      MakeImage(13, 9, MaskPixel), MakeImage(13, 9, TopPixel)},
                                     {MakeImage(12, 8, ArtPixel), MakeImage(12, 8, BasePixel),
                                      MakeImage(12, 8, MaskPixel), MakeImage(12, 8, TopPixel)}};
    return sets[which & 1];
}

// ---- Surfaces ----

// Noise in the picture, guard words in the row padding.
void FillNoise(PIX_IBitmap* bitmap, uint32_t seed)
{
    Lcg rng{seed};
    for (int y = 0; y < bitmap->PixelHeight(); ++y)
        for (int x = 0; x < bitmap->RowStride(); ++x)
            bitmap->PixelData()[y * bitmap->RowStride() + x] =
                x < bitmap->PixelWidth() ? rng.Pixel() : kGuardWord;
}

void FillWords(PIX_IBitmap* bitmap, uint32_t word)
{
    for (int i = 0; i < bitmap->RowStride() * bitmap->PixelHeight(); ++i)
        bitmap->PixelData()[i] = word;
}

// Every word of the rows, padding included.
std::vector<uint32_t> Words(const PIX_IBitmap* bitmap)
{
    const PIX_PackedColor* p = bitmap->PixelData();
    return std::vector<uint32_t>(p, p + bitmap->RowStride() * bitmap->PixelHeight());
}

bool PaddingIntact(const PIX_IBitmap* bitmap)
{
    for (int y = 0; y < bitmap->PixelHeight(); ++y)
        for (int x = bitmap->PixelWidth(); x < bitmap->RowStride(); ++x)
            if (bitmap->PixelData()[y * bitmap->RowStride() + x] != kGuardWord) return false;
    return true;
}

// The largest difference of a channel between two words.
int ChannelDistance(uint32_t a, uint32_t b)
{
    int largest = 0;
    for (int k = 0; k < 4; ++k)
        largest = std::max(
            largest, std::abs(int(raster_test::Channel(a, k)) - int(raster_test::Channel(b, k))));
    return largest;
}

using Points = std::vector<std::pair<int, int>>;

// The pixels that are not 0, row by row.
Points Lit(const PIX_IBitmap* bitmap)
{
    Points lit;
    for (int y = 0; y < bitmap->PixelHeight(); ++y)
        for (int x = 0; x < bitmap->PixelWidth(); ++x)
            if (bitmap->PixelData()[y * bitmap->RowStride() + x]) lit.push_back({x, y});
    return lit;
}

// Row y from x1 to x2, or column x from y1 to y2, in Lit's order.
Points Row(int y, int x1, int x2)
{
    Points row;
    for (int x = x1; x <= x2; ++x) row.push_back({x, y});
    return row;
}

Points Column(int x, int y1, int y2)
{
    Points column;
    for (int y = y1; y <= y2; ++y) column.push_back({x, y});
    return column;
}

// ---- The table of calls: each routine through the editor, and the raster
// calls it stands for made directly on a twin bitmap ----

struct Args {
    float f[6];
    int i[12];
    int cornerRadius;
    int count;  // of the polygon: corners i[0..5], i[6..11]
    bool flag;
    IBox Box() const { return {i[0], i[1], i[2], i[3]}; }
};

// A colour and blend as the raster calls take them.
struct Paint {
    PIX_PackedColor colour;
    float alpha;
    PIX_CombineMode mode;
};

struct Call {
    const char* name;
    bool takesColour;
    void (*editor)(Editor& e, const Args& a, const IArgb* colour, const IBlend* blend);
    // clip: the editor's draw clip, a single box.
    void (*twin)(PIX_IBitmap* b, const Args& a, const Paint& p, const IBox& clip);
};

int Sum(int a, int b)
{
    return PIX_SaturateToInt(int64_t(a) + b);
}

int Trunc(double v)
{
    return PIX_TruncateToInt(v);
}

float Clamp01(float level)
{
    if (!(level > 0.0f)) return 0.0f;
    return level < 1.0f ? level : 1.0f;
}

void UnblendedSegment(PIX_IBitmap* b, int x1, int y1, int x2, int y2, PIX_PackedColor colour)
{
    PIX_DrawSegment(b, x1, y1, x2, y2, colour, 1.0f, PIX_CombineCopy, false);
}

const Call kCalls[] = {
    {"BlitImageRotated", false,
     [](Editor& e, const Args& a, const IArgb*, const IBlend* blend) {
         e.BlitImageRotated(&Images(a.count).art.strip, a.i[0], a.i[1], a.f[5], a.cornerRadius % 7,
                            blend);
     },
     [](PIX_IBitmap* b, const Args& a, const Paint& p, const IBox&) {
         const IImageStrip& art = Images(a.count).art.strip;
         const int w = art.width, h = art.height;
         PIX_RotateCopy(b, art.bitmap, Sum(a.i[0], -(w / 2)), Sum(a.i[1], -(h / 2)), w, h, 0.0f,
                        0.0f, float(w), float(h), a.f[5], false, p.alpha,
                        p.mode | PIX_CombineBilinear, 0.0f, float(a.cornerRadius % 7));
     }},
    {"BlitRotatedMask", false,
     [](Editor& e, const Args& a, const IArgb*, const IBlend* blend) {
         const ImageSet& set = Images(a.count);
         e.BlitRotatedMask(&set.base.strip, &set.mask.strip, &set.top.strip, a.i[0], a.i[1],
                           a.f[5] * 60.0f, blend);
     },
     [](PIX_IBitmap* b, const Args& a, const Paint& p, const IBox& clip) {
         const ImageSet& set = Images(a.count);
         const int w = set.base.strip.width, h = set.base.strip.height;
         const float angle = float(double(a.f[5] * 60.0f) * (3.141592653589793 / 180.0));
         const float offsetX = w % 2 ? -0.5f : 0.0f;
         PIX_MemBitmap scratch(0, 0, 4);
         PIX_CopyWhole(&scratch, set.base.bitmap.get());
         PIX_AndOrBox(&scratch, 0, 0, w, h, 0x00FFFFFF, 0);
         PIX_RotateCopy(&scratch, set.mask.bitmap.get(), 0, 0, w, h, 0.0f, 0.0f, float(w), float(h),
                        angle, true, 1.0f,
                        PIX_CombineAdd | PIX_CombineBilinear | PIX_CombineSourceAlpha, offsetX,
                        0.0f);
         PIX_RotateCopy(&scratch, set.top.bitmap.get(), 0, 0, w, h, 0.0f, 0.0f, float(w), float(h),
                        angle, true, 1.0f,
                        PIX_CombineCopy | PIX_CombineBilinear | PIX_CombineSourceAlpha, offsetX,
                        0.0f);
         const IBox dest = {a.i[0], a.i[1], Sum(a.i[0], w), Sum(a.i[1], h)};
         const IBox area = dest.Intersection(clip);
         if (dest.Empty() || area.left >= area.right || area.top >= area.bottom) return;
         PIX_CopyRegionXYWH(b, &scratch, area.left, area.top, area.left - dest.left,
                            area.top - dest.top, area.Width(), area.Height(), p.alpha, p.mode);
     }},
    {"PlotPoint", true,
     [](Editor& e, const Args& a, const IArgb* c, const IBlend* blend) {
         e.PlotPoint(c, a.f[0], a.f[1], blend, a.flag);
     },
     [](PIX_IBitmap* b, const Args& a, const Paint& p, const IBox&) {
         PIX_WritePixel(b, Trunc(double(a.f[0]) + 0.5), Trunc(double(a.f[1]) + 0.5), p.colour,
                        p.alpha, p.mode);
     }},
    {"WritePixelDirect", true,
     [](Editor& e, const Args& a, const IArgb* c, const IBlend*) {
         e.WritePixelDirect(c, a.i[0], a.i[1]);
     },
     [](PIX_IBitmap* b, const Args& a, const Paint& p, const IBox&) {
         const int x = a.i[0], y = a.i[1];
         if (x >= 0 && x < b->PixelWidth() && y >= 0 && y < b->PixelHeight())
             b->PixelData()[y * b->RowStride() + x] = p.colour;
     }},
    {"StrokeSegment", true,
     [](Editor& e, const Args& a, const IArgb* c, const IBlend* blend) {
         e.StrokeSegment(c, a.f[0], a.f[1], a.f[2], a.f[3], blend, a.flag);
     },
     [](PIX_IBitmap* b, const Args& a, const Paint& p, const IBox&) {
         PIX_DrawSegment(b, Trunc(a.f[0]), Trunc(a.f[1]), Trunc(a.f[2]), Trunc(a.f[3]), p.colour,
                         p.alpha, p.mode, a.flag);
     }},
    {"StrokeArc", true,
     [](Editor& e, const Args& a, const IArgb* c, const IBlend* blend) {
         e.StrokeArc(c, a.f[0], a.f[1], a.f[4], a.f[5], a.f[5] + a.f[3] * 0.1f, blend, a.flag);
     },
     [](PIX_IBitmap* b, const Args& a, const Paint& p, const IBox&) {
         PIX_ArcOutline(b, a.f[0], a.f[1], a.f[4], a.f[5], a.f[5] + a.f[3] * 0.1f, p.colour,
                        p.alpha, p.mode, a.flag);
     }},
    {"StrokeCircle", true,
     [](Editor& e, const Args& a, const IArgb* c, const IBlend* blend) {
         e.StrokeCircle(c, a.f[0], a.f[1], a.f[4], blend, a.flag);
     },
     [](PIX_IBitmap* b, const Args& a, const Paint& p, const IBox&) {
         PIX_CircleOutline(b, a.f[0], a.f[1], a.f[4], p.colour, p.alpha, p.mode, a.flag);
     }},
    {"StrokeRoundedBox", true,
     [](Editor& e, const Args& a, const IArgb* c, const IBlend* blend) {
         const IBox box = a.Box();
         e.StrokeRoundedBox(c, &box, blend, a.cornerRadius, a.flag);
     },
     [](PIX_IBitmap* b, const Args& a, const Paint& p, const IBox&) {
         const IBox box = a.Box();
         PIX_RoundedBoxOutline(b, float(box.left), float(box.top),
                               float(int64_t(box.right) - box.left),
                               float(int64_t(box.bottom) - box.top), a.cornerRadius, p.colour,
                               p.alpha, p.mode, a.flag);
     }},
    {"FillRoundedBox", true,
     [](Editor& e, const Args& a, const IArgb* c, const IBlend* blend) {
         const IBox box = a.Box();
         e.FillRoundedBox(c, &box, blend, a.cornerRadius, a.flag);
     },
     [](PIX_IBitmap* b, const Args& a, const Paint& p, const IBox&) {
         const IBox box = a.Box();
         const int64_t w = int64_t(box.right) - box.left, h = int64_t(box.bottom) - box.top;
         if (w <= 0 || h <= 0) return;
         const int largest = int(((w < h ? w : h) - 1) / 2);
         const int r = a.cornerRadius < 0 ? 0 : std::min(a.cornerRadius, largest);
         const int W = PIX_SaturateToInt(w), H = PIX_SaturateToInt(h);
         const int L = box.left, T = box.top, R = box.right, B = box.bottom;
         PIX_FillBox(b, L + r, T, W - 2 * r, H, p.colour, p.alpha, p.mode);
         PIX_FillBox(b, L, T + r, r, H - 2 * r, p.colour, p.alpha, p.mode);
         PIX_FillBox(b, R - r, T + r, r, H - 2 * r, p.colour, p.alpha, p.mode);
         const float radius = float(r);
         PIX_FillDisc(b, float(L + r), float(T + r), radius, p.colour, p.alpha, p.mode, a.flag);
         PIX_FillDisc(b, float(R - 1 - r), float(B - 1 - r), radius, p.colour, p.alpha, p.mode,
                      a.flag);
         PIX_FillDisc(b, float(R - 1 - r), float(T + r), radius, p.colour, p.alpha, p.mode, a.flag);
         PIX_FillDisc(b, float(L + r), float(B - 1 - r), radius, p.colour, p.alpha, p.mode, a.flag);
     }},
    {"FillBox", true,
     [](Editor& e, const Args& a, const IArgb* c, const IBlend* blend) {
         const IBox box = a.Box();
         e.FillBox(c, &box, blend);
     },
     [](PIX_IBitmap* b, const Args& a, const Paint& p, const IBox&) {
         const IBox box = a.Box();
         PIX_FillBox(b, box.left, box.top, PIX_SaturateToInt(int64_t(box.right) - box.left),
                     PIX_SaturateToInt(int64_t(box.bottom) - box.top), p.colour, p.alpha, p.mode);
     }},
    {"FillDisc", true,
     [](Editor& e, const Args& a, const IArgb* c, const IBlend* blend) {
         e.FillDisc(c, a.i[0], a.i[1], a.f[4], blend, a.flag);
     },
     [](PIX_IBitmap* b, const Args& a, const Paint& p, const IBox&) {
         PIX_FillDisc(b, float(a.i[0]), float(a.i[1]), a.f[4], p.colour, p.alpha, p.mode, a.flag);
     }},
    {"PaintTriangle", true,
     [](Editor& e, const Args& a, const IArgb* c, const IBlend* blend) {
         e.PaintTriangle(c, a.i[0], a.i[1], a.i[2], a.i[3], a.i[4], a.i[5], blend);
     },
     [](PIX_IBitmap* b, const Args& a, const Paint& p, const IBox&) {
         PIX_FillTriangleShape(b, a.i[0], a.i[1], a.i[2], a.i[3], a.i[4], a.i[5], p.colour, p.alpha,
                               p.mode);
     }},
    {"PaintConvexPolygon", true,
     [](Editor& e, const Args& a, const IArgb* c, const IBlend* blend) {
         e.PaintConvexPolygon(c, a.i, a.i + 6, a.count, blend);
     },
     [](PIX_IBitmap* b, const Args& a, const Paint& p, const IBox&) {
         PIX_FillConvexShape(b, a.i, a.i + 6, a.count, p.colour, p.alpha, p.mode);
     }},
    {"StrokeVerticalLine", true,
     [](Editor& e, const Args& a, const IArgb* c, const IBlend*) {
         e.StrokeVerticalLine(c, a.i[0], a.i[1], a.i[2]);
     },
     [](PIX_IBitmap* b, const Args& a, const Paint& p, const IBox&) {
         UnblendedSegment(b, a.i[0], a.i[1], a.i[0], a.i[2], p.colour);
     }},
    {"StrokeHorizontalLine", true,
     [](Editor& e, const Args& a, const IArgb* c, const IBlend*) {
         e.StrokeHorizontalLine(c, a.i[0], a.i[1], a.i[2]);
     },
     [](PIX_IBitmap* b, const Args& a, const Paint& p, const IBox&) {
         UnblendedSegment(b, a.i[1], a.i[0], a.i[2], a.i[0], p.colour);
     }},
    {"StrokeBox", true,
     [](Editor& e, const Args& a, const IArgb* c, const IBlend*) {
         const IBox box = a.Box();
         EXPECT_TRUE(e.StrokeBox(c, &box));
     },
     [](PIX_IBitmap* b, const Args& a, const Paint& p, const IBox&) {
         const IBox box = a.Box();
         UnblendedSegment(b, box.left, box.top, box.right, box.top, p.colour);
         UnblendedSegment(b, box.left, box.bottom, box.right, box.bottom, p.colour);
         UnblendedSegment(b, box.left, box.top, box.left, box.bottom, p.colour);
         UnblendedSegment(b, box.right, box.top, box.right, box.bottom, p.colour);
     }},
    {"StrokeVerticalLevel", true,
     [](Editor& e, const Args& a, const IArgb* c, const IBlend*) {
         const IBox box = a.Box();
         e.StrokeVerticalLevel(c, &box, a.f[5] / 5.0f);
     },
     [](PIX_IBitmap* b, const Args& a, const Paint& p, const IBox&) {
         const IBox box = a.Box();
         const float t = Clamp01(a.f[5] / 5.0f);
         const int x = Sum(box.left, Trunc(t * float(int64_t(box.right) - box.left)));
         UnblendedSegment(b, x, box.top, x, box.bottom, p.colour);
     }},
    {"StrokeHorizontalLevel", true,
     [](Editor& e, const Args& a, const IArgb* c, const IBlend*) {
         const IBox box = a.Box();
         e.StrokeHorizontalLevel(c, &box, a.f[5] / 5.0f);
     },
     [](PIX_IBitmap* b, const Args& a, const Paint& p, const IBox&) {
         const IBox box = a.Box();
         const float t = Clamp01(a.f[5] / 5.0f);
         const int y = Sum(box.bottom, Trunc(t * float(int64_t(box.top) - box.bottom)));
         UnblendedSegment(b, box.left, y, box.right, y, p.colour);
     }},
    {"StrokeRadialSegment", true,
     [](Editor& e, const Args& a, const IArgb* c, const IBlend* blend) {
         e.StrokeRadialSegment(c, a.f[0], a.f[1], a.f[5], a.f[4] * 0.3f, a.f[4], blend, a.flag);
     },
     [](PIX_IBitmap* b, const Args& a, const Paint& p, const IBox&) {
         const double s = std::sin(double(a.f[5])), c = std::cos(double(a.f[5]));
         const double inner = double(a.f[4] * 0.3f), outer = double(a.f[4]);
         PIX_DrawSegment(b, Trunc(float(a.f[0] + inner * s)), Trunc(float(a.f[1] - inner * c)),
                         Trunc(float(a.f[0] + outer * s)), Trunc(float(a.f[1] - outer * c)),
                         p.colour, p.alpha, p.mode, a.flag);
     }},
};

// Blends and what the raster calls receive for them.
struct BlendCase {
    bool given;
    IBlend blend;
    float alpha;
    PIX_CombineMode mode;
};

const BlendCase kBlendCases[] = {
    {false, {}, 1.0f, PIX_CombineCopy | PIX_CombineSourceAlpha},
    {true, {1, 1.0f}, 1.0f, PIX_CombineCopy},
    {true, {2, 0.6f}, 0.6f, PIX_CombineAdd | PIX_CombineSourceAlpha},
    {true, {3, 0.3f}, 0.3f, PIX_CombineDodge | PIX_CombineSourceAlpha},
    {true, {0, 0.5f}, 0.5f, PIX_CombineCopy | PIX_CombineSourceAlpha},
    {true, {9, 0.8f}, 0.8f, PIX_CombineCopy | PIX_CombineSourceAlpha},
};

// Arguments around the surface: edges crossed, boxes sometimes inverted.
Args NearArgs(Lcg& rng)
{
    Args a;
    for (float& f : a.f) f = rng.Range(-15.0f, 75.0f);
    a.f[4] = rng.Range(-2.0f, 35.0f);
    a.f[5] = rng.Range(-7.0f, 7.0f);
    for (int& i : a.i) i = rng.Range(-15, 75);
    a.cornerRadius = rng.Range(-3, 25);
    a.count = rng.Range(0, 6);
    a.flag = rng.Below(2);
    return a;
}

// Arguments far outside as well: the int limits, huge, infinite and NaN.
Args FarArgs(Lcg& rng)
{
    Args a = NearArgs(rng);
    const float inf = std::numeric_limits<float>::infinity();
    const float wildFloats[] = {std::nanf(""), inf,   -inf,     1e30f, -1e30f,
                                3e9f,          -3e9f, 70000.5f, -0.0f};
    const int wildInts[] = {INT_MIN, INT_MAX,    INT_MIN + 1, INT_MAX - 1,
                            1 << 24, -(1 << 24), 100000,      -100000};
    for (float& f : a.f)
        if (rng.Below(3) == 0) f = wildFloats[rng.Below(9)];
    for (int& i : a.i)
        if (rng.Below(3) == 0) i = wildInts[rng.Below(8)];
    if (rng.Below(3) == 0) a.cornerRadius = wildInts[rng.Below(8)];
    return a;
}

const IArgb kColour = {192, 40, 200, 120};

TEST(GraphicsShapesTwin, EachRoutineEqualsItsRasterCallsOnATwin)
{
    Editor editor(nullptr, kWidth, kHeight);
    editor.CreateSurfaces();
    ASSERT_EQ(editor.DrawSurface()->RowStride(), kStride);
    PIX_SysBitmap twin(kWidth, kHeight);
    // Only the rotated mask keeps to the clip.
    const IBox clip = {8, 6, 40, 30};
    editor.drawClip = IRegion(clip);
    Lcg rng{18};
    for (const BlendCase& bc : kBlendCases) {
        const Paint paint = {kColour.Packed(), bc.alpha, bc.mode};
        for (int round = 0; round < 30; ++round) {
            const Args args = NearArgs(rng);
            for (const Call& call : kCalls) {
                const uint32_t seed = rng.Next();
                FillNoise(editor.DrawSurface(), seed);
                FillNoise(&twin, seed);
                call.editor(editor, args, &kColour, bc.given ? &bc.blend : nullptr);
                call.twin(&twin, args, paint, clip);
                ASSERT_EQ(Words(editor.DrawSurface()), Words(&twin))
                    << call.name << ", blend kind " << bc.blend.kind << ", round " << round;
                ASSERT_TRUE(PaddingIntact(editor.DrawSurface())) << call.name;
            }
        }
    }
}

TEST(GraphicsShapesTwin, FarOutsideArgumentsKeepTheGuardAndTheTwin)
{
    Editor editor(nullptr, kWidth, kHeight);
    editor.CreateSurfaces();
    PIX_SysBitmap twin(kWidth, kHeight);
    const IBox clip = {0, 0, kWidth, kHeight};
    editor.drawClip = IRegion(clip);
    FillNoise(editor.DrawSurface(), 7);
    FillNoise(&twin, 7);
    Lcg rng{1811};
    for (int round = 0; round < 300; ++round) {
        const BlendCase& bc = kBlendCases[rng.Below(6)];
        const Paint paint = {kColour.Packed(), bc.alpha, bc.mode};
        const Args args = FarArgs(rng);
        for (const Call& call : kCalls) {
            call.editor(editor, args, &kColour, bc.given ? &bc.blend : nullptr);
            call.twin(&twin, args, paint, clip);
            ASSERT_EQ(Words(editor.DrawSurface()), Words(&twin))
                << call.name << ", round " << round;
        }
    }
    EXPECT_TRUE(PaddingIntact(editor.DrawSurface()));
}

TEST(GraphicsShapesTwin, NullColoursAndAMissingSurfaceDrawNothing)
{
    Lcg rng{5};
    const IBlend add = {2, 0.6f};
    {
        Editor editor(nullptr, kWidth, kHeight);
        editor.CreateSurfaces();
        FillNoise(editor.DrawSurface(), 3);
        const std::vector<uint32_t> before = Words(editor.DrawSurface());
        for (const Call& call : kCalls)
            if (call.takesColour) call.editor(editor, NearArgs(rng), nullptr, &add);
        EXPECT_FALSE(editor.WritePixelDirect(nullptr, 1, 1));
        const IBox* none = nullptr;
        EXPECT_TRUE(editor.FillBox(&kColour, none, nullptr));
        EXPECT_TRUE(editor.FillRoundedBox(&kColour, none, nullptr, 3, true));
        EXPECT_TRUE(editor.StrokeRoundedBox(&kColour, none, nullptr, 3, true));
        EXPECT_TRUE(editor.StrokeBox(&kColour, none));
        EXPECT_TRUE(editor.StrokeVerticalLevel(&kColour, none, 0.5f));
        EXPECT_TRUE(editor.StrokeHorizontalLevel(&kColour, none, 0.5f));
        EXPECT_TRUE(editor.BlitImageRotated(nullptr, 5, 5, 0.0, 0, nullptr));
        EXPECT_TRUE(editor.BlitRotatedMask(nullptr, nullptr, nullptr, 5, 5, 0.0, nullptr));
        EXPECT_EQ(editor.MakeScaledImage(nullptr, 4, 4).bitmap, nullptr);
        EXPECT_EQ(editor.MakeCroppedImage(nullptr, nullptr).bitmap, nullptr);
        EXPECT_EQ(Words(editor.DrawSurface()), before);
    }
    // Before CreateSurfaces there is no draw surface (and no scratch bitmap).
    Editor bare(nullptr, kWidth, kHeight);
    for (const Call& call : kCalls) call.editor(bare, NearArgs(rng), &kColour, &add);
    EXPECT_EQ(bare.SurfacePixels(), nullptr);
    EXPECT_FALSE(bare.WritePixelDirect(&kColour, 1, 1));
    const IArgb read = bare.ReadPixelAt(1, 1);
    EXPECT_EQ(read.alpha | read.red | read.green | read.blue, 0);
}

// ---- Edge cases ----

// An editor whose surface is transparent black, padding guarded.
struct BlankEditor : Editor {
    BlankEditor() : Editor(nullptr, kWidth, kHeight)
    {
        CreateSurfaces();
        FillWords(DrawSurface(), kGuardWord);
        PIX_FillBitmap(DrawSurface(), 0);
        drawClip = IRegion(IBox{0, 0, kWidth, kHeight});
    }
};

TEST(GraphicsShapesLines, StrokeBoxLiesOnTheRightAndBottomFields)
{
    BlankEditor editor;
    const IBox box = {2, 3, 8, 7};
    EXPECT_TRUE(editor.StrokeBox(&kArgbWhite, &box));
    Points expected;
    for (int y = 3; y <= 7; ++y)
        for (int x = 2; x <= 8; ++x)
            if (y == 3 || y == 7 || x == 2 || x == 8) expected.push_back({x, y});
    EXPECT_EQ(Lit(editor.DrawSurface()), expected);
}

TEST(GraphicsShapesLines, LevelLinesHoldTheLevelWithinTheBox)
{
    struct Case {
        bool horizontal;
        float level;
        int at;  // the row or column drawn
    };
    const float nan = std::nanf("");
    const Case cases[] = {
        {true, 1.5f, 5},    {true, 1.0f, 5},   {true, -1.0f, 25},  {true, 0.0f, 25},
        {true, 0.5f, 15},   {true, 0.26f, 20}, {true, nan, 25},    {false, 1.5f, 30},
        {false, -1.0f, 10}, {false, 0.5f, 20}, {false, 0.26f, 15}, {false, nan, 10},
    };
    const IBox box = {10, 5, 30, 25};
    for (const Case& c : cases) {
        BlankEditor editor;
        if (c.horizontal) {
            EXPECT_TRUE(editor.StrokeHorizontalLevel(&kArgbWhite, &box, c.level));
            EXPECT_EQ(Lit(editor.DrawSurface()), Row(c.at, 10, 30)) << c.level;
        } else {
            EXPECT_TRUE(editor.StrokeVerticalLevel(&kArgbWhite, &box, c.level));
            EXPECT_EQ(Lit(editor.DrawSurface()), Column(c.at, 5, 25)) << c.level;
        }
    }
}

TEST(GraphicsShapesLines, RadialSegmentTurnsClockwiseFromUp)
{
    struct Case {
        const char* direction;
        float angle;
        Points lit;
    };
    const Case cases[] = {
        {"right", kPi / 2, Row(20, 23, 30)},
        {"up", 0.0f, Column(20, 10, 17)},
        {"left", 3 * kPi / 2, Row(20, 10, 17)},
    };
    for (const Case& c : cases) {
        BlankEditor editor;
        EXPECT_TRUE(editor.StrokeRadialSegment(&kArgbWhite, 20.0f, 20.0f, c.angle, 3.0f, 10.0f,
                                               nullptr, false));
        EXPECT_EQ(Lit(editor.DrawSurface()), c.lit) << c.direction;
    }
}

TEST(GraphicsShapesPixels, ReadAndDirectWriteStayInsideTheSurface)
{
    struct Case {
        int x, y;
        bool inside;
    };
    const Case cases[] = {{0, 0, true},
                          {kWidth - 1, kHeight - 1, true},
                          {-1, 0, false},
                          {kWidth, 0, false},
                          {0, -1, false},
                          {0, kHeight, false},
                          {INT_MAX, INT_MIN, false},
                          {INT_MIN, INT_MAX, false}};
    // Stored as it is: no blend, its alpha kept.
    const IArgb colour = {0x40, 0x10, 0x20, 0x30};
    for (const Case& c : cases) {
        BlankEditor editor;
        const std::vector<uint32_t> before = Words(editor.DrawSurface());
        EXPECT_EQ(editor.WritePixelDirect(&colour, c.x, c.y), c.inside) << c.x << ", " << c.y;
        const IArgb read = editor.ReadPixelAt(c.x, c.y);
        if (c.inside) {
            EXPECT_EQ(editor.SurfacePixels()[c.y * editor.DrawSurface()->RowStride() + c.x],
                      0x40102030u);
            EXPECT_EQ(Lit(editor.DrawSurface()), Row(c.y, c.x, c.x));
            EXPECT_TRUE(read.alpha == 0x40 && read.red == 0x10 && read.green == 0x20 &&
                        read.blue == 0x30);
        } else {
            EXPECT_EQ(Words(editor.DrawSurface()), before) << c.x << ", " << c.y;
            EXPECT_TRUE(read.alpha == 0 && read.red == 0 && read.green == 0 && read.blue == 0);
        }
    }
}

TEST(GraphicsShapesFills, RoundedBoxRadiusKeepsTheCornerDiscsInside)
{
    const IBox boxes[] = {{5, 4, 15, 12}, {5, 4, 16, 13}, {5, 4, 6, 30}, {5, 4, 25, 7}};
    const IBlend add = {2, 0.5f};
    for (const IBox& box : boxes) {
        const int largest = (std::min(box.Width(), box.Height()) - 1) / 2;
        for (bool antialias : {false, true}) {
            const auto draw = [&](int radius) {
                BlankEditor editor;
                editor.FillRoundedBox(&kArgbWhite, &box, &add, radius, antialias);
                return Words(editor.DrawSurface());
            };
            const std::vector<uint32_t> atLargest = draw(largest), atZero = draw(0);
            for (int radius : {-4, 0, 1, 3, 4, 5, 6, 50, INT_MAX}) {
                const std::vector<uint32_t> drawn = draw(radius);
                if (radius > largest) {
                    EXPECT_EQ(drawn, atLargest) << radius;
                }
                if (radius < 0) {
                    EXPECT_EQ(drawn, atZero) << radius;
                }
                for (int y = 0; y < kHeight; ++y) {
                    for (int x = 0; x < kWidth; ++x) {
                        if (box.Contains(x, y)) continue;
                        ASSERT_EQ(drawn[y * kStride + x], 0u)
                            << "radius " << radius << " at " << x << ", " << y;
                    }
                }
            }
        }
    }
}

// ---- Images ----

// A whole turn, by the routine's unit, comes back within a level or two
// of bilinear sampling.
struct Turn {
    double angle;
    int tolerance;
};

TEST(GraphicsShapesImages, RotatedImageIsCentredAndTurnsInRadians)
{
    const TestImage image = MakeImage(5, 3, BasePixel);
    for (const Turn turn : {Turn{0.0, 0}, Turn{2 * 3.141592653589793, 2}}) {
        BlankEditor editor;
        EXPECT_TRUE(editor.BlitImageRotated(&image.strip, 10, 10, turn.angle, 0, nullptr));
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const bool inside = x >= 8 && x < 13 && y >= 9 && y < 12;
                ASSERT_LE(ChannelDistance(PIX_ReadPixel(editor.DrawSurface(), x, y),
                                          inside ? BasePixel(x - 8, y - 9, 5, 3) : 0u),
                          turn.tolerance)
                    << "angle " << turn.angle << " at " << x << ", " << y;
            }
    }
}

TEST(GraphicsShapesImages, RotatedMaskLayersInTheScratchAndKeepsToTheClip)
{
    const TestImage base = MakeImage(4, 4, BasePixel), mask = MakeImage(4, 4, MaskPixel),
                    top = MakeImage(4, 4, TopPixel);
    const IBlend add = {2, 0.5f};
    const IBox clip = {11, 0, kWidth, 7};
    for (const Turn turn : {Turn{0.0, 0}, Turn{360.0, 2}}) {
        Editor editor(nullptr, kWidth, kHeight);
        editor.CreateSurfaces();
        FillNoise(editor.DrawSurface(), 9);
        const std::vector<uint32_t> before = Words(editor.DrawSurface());
        editor.drawClip = IRegion(clip);
        EXPECT_TRUE(
            editor.BlitRotatedMask(&base.strip, &mask.strip, &top.strip, 10, 5, turn.angle, &add));
        const std::vector<uint32_t> after = Words(editor.DrawSurface());
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const size_t at = size_t(y) * kStride + x;
                uint32_t expected = before[at];
                if (x >= 10 && x < 14 && y >= 5 && y < 9 && clip.Contains(x, y)) {
                    const int sx = x - 10, sy = y - 5;
                    // Base without alpha, mask added, top copied, all through alpha.
                    uint32_t layered = BasePixel(sx, sy, 4, 4) & 0x00FFFFFF;
                    layered = raster_test::RefCombine(layered, MaskPixel(sx, sy, 4, 4),
                                                      PIX_CombineAdd | PIX_CombineSourceAlpha, 256);
                    layered =
                        raster_test::RefCombine(layered, TopPixel(sx, sy, 4, 4),
                                                PIX_CombineCopy | PIX_CombineSourceAlpha, 256);
                    expected = raster_test::RefCombine(
                        expected, layered, PIX_CombineAdd | PIX_CombineSourceAlpha, 128);
                }
                ASSERT_LE(ChannelDistance(after[at], expected), turn.tolerance)
                    << turn.angle << " degrees at " << x << ", " << y;
            }
    }
}

// The cache owns what these make: one is removed (and deleted) here, the
// others are released at exit, which the native tree's leak check sees.
TEST(GraphicsShapesImages, ScaledAndCroppedImagesBelongToTheCache)
{
    const TestImage source = MakeImage(8, 6, ArtPixel, 3, true);
    Editor editor(nullptr, kWidth, kHeight);

    const IImageStrip scaled = editor.MakeScaledImage(&source.strip, 13, 9);
    ASSERT_NE(scaled.bitmap, nullptr);
    EXPECT_TRUE(scaled.width == 13 && scaled.height == 9 && scaled.frames == 3 &&
                !scaled.framesHorizontal);
    EXPECT_EQ(scaled.bitmap->RowStride(), 16);
    PIX_MemBitmap stretched(13, 9, 4);
    PIX_StretchCopy(&stretched, source.bitmap.get(), 0, 0, 13, 9, 0.0f, 0.0f, 8.0f, 6.0f, 1.0f,
                    PIX_CombineCopy | PIX_CombineBilinear);
    EXPECT_EQ(Picture(scaled.bitmap), Picture(&stretched));

    struct Crop {
        IBox area;
        int width, height;
    };
    // Beyond the source the copy stays transparent black.
    const Crop crops[] = {{{2, 1, 7, 5}, 5, 4}, {{6, 4, 12, 9}, 6, 5}, {{3, 3, 3, 3}, 0, 0}};
    for (const Crop& crop : crops) {
        const IImageStrip cropped = editor.MakeCroppedImage(&source.strip, &crop.area);
        ASSERT_NE(cropped.bitmap, nullptr);
        EXPECT_TRUE(cropped.width == crop.width && cropped.height == crop.height &&
                    cropped.frames == 3 && !cropped.framesHorizontal);
        for (int y = 0; y < crop.height; ++y)
            for (int x = 0; x < crop.width; ++x)
                EXPECT_EQ(PIX_ReadPixel(cropped.bitmap, x, y),
                          PIX_ReadPixel(source.bitmap.get(), crop.area.left + x, crop.area.top + y))
                    << x << ", " << y;
    }

    const IImageStrip empty = editor.MakeScaledImage(&source.strip, -5, 3);
    EXPECT_TRUE(empty.bitmap && empty.width == 0 && empty.height == 0);
    editor.RemoveFromImageCache(&empty);
}

// ---- The golden panel ----

// Rows 0 to 4: every shape with no blend, opaque copy, add at 0.6, dodge at
// 0.5 and copy through alpha at 0.5, a large plain one under a smaller
// antialiased one of half alpha. Row 5: the unblended lines, points and the
// images; row 6: shapes cut by the edges.
void DrawPanel(Editor& e)
{
    const int width = e.Width(), height = e.Height();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const IArgb ground = {255, x * 255 / width, y * 255 / height,
                                  ((x / 12 + y / 12) & 1) ? 0x30 : 0x90};
            e.WritePixelDirect(&ground, x, y);
        }
    const IArgb colours[] = {{255, 240, 208, 96},  {255, 96, 160, 240}, {255, 128, 96, 192},
                             {255, 192, 240, 128}, {255, 32, 224, 160}, {255, 192, 160, 168}};
    const IBlend blends[] = {{1, 1.0f}, {2, 0.6f}, {3, 0.5f}, {0, 0.5f}};
    for (int row = 0; row < 5; ++row) {
        const IBlend* blend = row ? &blends[row - 1] : nullptr;
        for (int size = 0; size < 2; ++size) {
            IArgb c = colours[(row + 3 * size) % 6];
            if (size) c.alpha = 160;
            const bool aa = size == 1;
            const float k = size ? 0.5f : 1.0f;  // the smaller one's scale
            for (int column = 0; column < 10; ++column) {
                const int cx = 24 + 48 * column + 4 * size, cy = 24 + 48 * row - 4 * size;
                const int s = int(20 * k);
                const IBox box = {cx - s, cy - s * 7 / 10, cx + s, cy + s * 7 / 10};
                switch (column) {
                    case 0:
                        e.StrokeSegment(&c, cx - 20 * k, cy - 18 * k, cx + 19 * k, cy + 17 * k,
                                        blend, aa);
                        e.StrokeSegment(&c, cx - 18 * k, cy + 15 * k, cx + 16.5f * k, cy - 12 * k,
                                        blend, aa);
                        break;
                    case 1:
                        e.StrokeArc(&c, cx + 0.3f, cy + 0.2f, 19.6f * k, size ? 2.0f : 0.4f,
                                    size ? 5.5f : 4.4f, blend, aa);
                        break;
                    case 2:
                        e.StrokeCircle(&c, cx + 0.3f, cy + 0.2f, 19.6f * k, blend, aa);
                        break;
                    case 3:
                        e.StrokeRoundedBox(&c, &box, blend, size ? 3 : 8, aa);
                        break;
                    case 4:
                        e.FillRoundedBox(&c, &box, blend, size ? 4 : 8, aa);
                        break;
                    case 5:
                        e.FillBox(&c, &box, blend);
                        break;
                    case 6:
                        e.FillDisc(&c, cx, cy, 19.6f * k, blend, aa);
                        break;
                    case 7:
                        e.PaintTriangle(&c, cx - s, cy + s * 9 / 10, cx + s / 10, cy - s, cx + s,
                                        cy + s / 2, blend);
                        break;
                    case 8: {
                        const int xs[] = {cx + s, cx + s / 2, cx - s / 2,
                                          cx - s, cx - s / 2, cx + s / 2};
                        const int ys[] = {cy, cy + s * 17 / 20, cy + s * 17 / 20,
                                          cy, cy - s * 17 / 20, cy - s * 17 / 20};
                        e.PaintConvexPolygon(&c, xs, ys, 6 - size, blend);
                        break;
                    }
                    default:
                        for (int spoke = 0; spoke < 8; ++spoke)
                            e.StrokeRadialSegment(
                                &c, cx + 0.5f, cy + 0.5f, kPi / 4 * spoke + (size ? kPi / 8 : 0.0f),
                                size ? 8.0f : 4.0f, size ? 14.0f : 20.0f, blend, aa);
                        break;
                }
            }
        }
    }

    const int cy = 24 + 48 * 5;
    const IArgb line = {0x40, 250, 250, 250}, dark = {255, 20, 20, 60};
    for (int k = 0; k <= 4; ++k) {
        e.StrokeHorizontalLine(&line, cy - 20 + 10 * k, 4, 44);
        e.StrokeVerticalLine(&dark, 4 + 10 * k, cy - 20, cy + 20);
    }
    for (int k = 0; k < 5; ++k) {
        const IBox nested = {52 + 4 * k, cy - 20 + 4 * k, 92 - 4 * k, cy + 20 - 4 * k};
        e.StrokeBox(k % 2 ? &dark : &line, &nested);
    }
    const IBox levels = {100, cy - 20, 140, cy + 20};
    const IBox levels2 = {148, cy - 20, 188, cy + 20};
    e.StrokeBox(&dark, &levels);
    e.StrokeBox(&dark, &levels2);
    for (float level : {-0.5f, 0.25f, 0.5f, 0.75f, 1.5f}) {
        e.StrokeVerticalLevel(&kArgbYellow, &levels, level);
        e.StrokeHorizontalLevel(&kArgbOrange, &levels2, level);
    }
    for (int k = 0; k <= 40; ++k)
        e.PlotPoint(&kArgbWhite, 196.3f + k, cy - 18.4f + float((k - 20) * (k - 20)) * 0.09f,
                    nullptr, false);
    const ImageSet& odd = Images(0);
    const TestImage art = MakeImage(24, 16, ArtPixel);
    const TestImage base = MakeImage(24, 16, BasePixel), mask = MakeImage(24, 16, MaskPixel),
                    top = MakeImage(24, 16, TopPixel);
    const IBlend add = {2, 0.6f};
    e.BlitImageRotated(&art.strip, 264, cy - 11, 0.0, 0, nullptr);
    e.BlitImageRotated(&art.strip, 264, cy + 11, 0.7, 0, nullptr);
    e.BlitImageRotated(&art.strip, 312, cy, 2.0, 4, &add);
    e.BlitRotatedMask(&base.strip, &mask.strip, &top.strip, 340, cy - 20, 0.0, nullptr);
    e.BlitRotatedMask(&base.strip, &mask.strip, &top.strip, 340, cy + 2, 45.0, nullptr);
    e.BlitRotatedMask(&base.strip, &mask.strip, &top.strip, 388, cy - 20, 135.0, &add);
    e.BlitRotatedMask(&odd.base.strip, &odd.mask.strip, &odd.top.strip, 392, cy + 4, 250.0,
                      nullptr);
    const IImageStrip scaled = e.MakeScaledImage(&art.strip, 40, 20);
    const IBox cropArea = {4, 2, 20, 14};
    const IImageStrip cropped = e.MakeCroppedImage(&art.strip, &cropArea);
    const IBox scaledAt = {436, cy - 22, 476, cy - 2}, croppedAt = {440, cy + 4, 456, cy + 16};
    e.BlitImage(&scaled, &scaledAt, 0, 0, nullptr);
    e.BlitImage(&cropped, &croppedAt, 0, 0, nullptr);

    const int edge = 24 + 48 * 6;
    e.FillDisc(&colours[0], -5, edge, 20.0f, nullptr, true);
    const int xs[] = {60, 110, 120, 70}, ys[] = {edge, edge - 10, height + 30, height + 10};
    e.PaintConvexPolygon(&colours[1], xs, ys, 4, &add);
    const IBox across = {140, edge - 10, 200, height + 20};
    e.FillRoundedBox(&colours[2], &across, nullptr, 12, true);
    e.StrokeSegment(&colours[3], 210.0f, float(height + 40), 260.0f, float(edge - 30), nullptr,
                    true);
    e.StrokeArc(&colours[4], 300.5f, float(height), 30.0f, -1.2f, 1.2f, nullptr, true);
    e.StrokeCircle(&colours[5], float(width) + 3.0f, float(edge), 20.0f, nullptr, false);
    e.BlitImageRotated(&art.strip, 380, height - 3, 0.4, 0, nullptr);
    e.StrokeRadialSegment(&kArgbWhite, 420.0f, float(edge), 2.5f, 0.0f, 80.0f, nullptr, true);
}

TEST(GraphicsShapesGolden, PanelOfEveryShapeKeepsItsDigest)
{
    Editor editor(nullptr, 480, 336);
    editor.CreateSurfaces();
    editor.drawClip = IRegion(IBox{0, 0, 480, 336});
    DrawPanel(editor);
    raster_test::WriteGoldenIfRequested(*editor.DrawSurface(), "editor_shapes");
    const uint64_t digest = raster_test::DigestOfArea(*editor.DrawSurface(), 0, 0, 480, 336);
    EXPECT_EQ(digest, 0x0290c8a7a95af48cull) << std::hex << digest;
}

}  // namespace
