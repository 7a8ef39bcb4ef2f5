#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "raster/bitmap.h"
#include "raster/cached_font.h"
#include "raster/fill.h"
#include "raster/font8x8.h"
#include "raster/sys_bitmap.h"
#include "raster/text_system.h"
#include "raster_test_support.h"
#include "support/failing_allocator.h"

using raster_test::GuardedBitmap;
using raster_test::Lcg;
using raster_test::RefCombine;

namespace {

PIX_FontHandle MakeFont(int height, int width = 0)
{
    return PIX_CreateSystemFont(
        PIX_FontRequest{"Verdana", height, width, 0, 400, false, PIX_FontQuality::Default});
}

// A font that owns its system font, drawing through the glyph cache.
struct Font {
    explicit Font(int flags, int height = 12, int width = 0)
    {
        font.AttachFont(MakeFont(height, width), flags | PIX_FontOwnsGdiFont);
    }
    PIX_CachedFont font;

    // The coverage map of a code as rows of bytes.
    std::vector<uint8_t> Map(int code, int* width = nullptr, int* height = nullptr)
    {
        const PIX_CachedGlyph* g = font.FindGlyph(code);
        if (!g || g->coverageOffset == 0) {
            font.RenderGlyph(code);
            g = font.FindGlyph(code);
        }
        if (width) *width = g->width;
        if (height) *height = g->height;
        const uint8_t* bytes = font.GlyphCoverage(*g);
        return bytes ? std::vector<uint8_t>(bytes, bytes + g->width * g->height)
                     : std::vector<uint8_t>();
    }
};

class ForcedRenderer {
public:
    explicit ForcedRenderer(PIX_TextRendererChoice choice) { PIX_ForceTextRenderer(choice); }
    ~ForcedRenderer() { PIX_ForceTextRenderer(PIX_TextRendererChoice::Automatic); }
};

struct DecodeCase {
    std::vector<uint8_t> bytes;
    int code;
    int used;
};

}  // namespace

TEST(CachedFont, DecodesUtf8)
{
    const DecodeCase cases[] = {
        {{0x41}, 0x41, 1},
        {{0xC3, 0xA9}, 0xE9, 2},
        {{0xE2, 0x82, 0xAC}, 0x20AC, 3},
        {{0xF0, 0x9F, 0x98, 0x80}, 0x20, 4},
        {{0xC3, 0x41}, 0xC3, 1},
        {{0xC3, 0xC0}, 0xC3, 1},
        {{0xC1, 0x81}, 0xC1, 1},
        {{0xF5, 0x80, 0x80, 0x80}, 0xF5, 1},
        {{0xE2, 0x82}, 0xE2, 1},
        {{0x80}, 0x80, 1},
    };
    for (const DecodeCase& c : cases) {
        std::string text(c.bytes.begin(), c.bytes.end());
        uint16_t code = 0;
        EXPECT_EQ(PIX_DecodeUtf8(text.c_str(), &code), c.used) << text;
        EXPECT_EQ(code, c.code) << text;
        EXPECT_EQ(PIX_DecodeUtf8(text.c_str(), nullptr), c.used);
    }
    // A bound that cuts a sequence leaves its lead alone.
    uint16_t code = 0;
    EXPECT_EQ(PIX_DecodeUtf8Bounded("\xE2\x82\xAC", 2, &code), 1);
    EXPECT_EQ(code, 0xE2);
    EXPECT_EQ(PIX_DecodeUtf8Bounded("\xC3\xA9", 2, &code), 2);
    EXPECT_EQ(code, 0xE9);
}

TEST(CachedFont, ConvertsUtf8ToWideLikeTheSystem)
{
    uint16_t out[8] = {};
    EXPECT_EQ(PIX_SystemUtf8ToWide("A\xC3\xA9\xE2\x82\xAC", -1, out, 8), 4);
    EXPECT_EQ(std::vector<uint16_t>(out, out + 4), (std::vector<uint16_t>{0x41, 0xE9, 0x20AC, 0}));
    EXPECT_EQ(PIX_SystemUtf8ToWide("\xF0\x9F\x98\x80", 4, out, 8), 2);
    EXPECT_EQ(out[0], 0xD83D);
    EXPECT_EQ(out[1], 0xDE00);
    EXPECT_EQ(PIX_SystemUtf8ToWide("A\xC3\xA9", 3, nullptr, 0), 2);
    EXPECT_EQ(PIX_SystemUtf8ToWide("A\xC3\xA9", 2, out, 8), 0) << "cut sequence";
    EXPECT_EQ(PIX_SystemUtf8ToWide("\xC0\x80", 2, out, 8), 0) << "overlong";
    EXPECT_EQ(PIX_SystemUtf8ToWide("\xED\xA0\x80", 3, out, 8), 0) << "surrogate";
    EXPECT_EQ(PIX_SystemUtf8ToWide("ABC", 3, out, 2), 0) << "too small";
}

TEST(CachedFont, InitialStateAndSetters)
{
    PIX_CachedFont font;
    EXPECT_EQ(font.ForegroundColor(), 0u);
    EXPECT_EQ(font.FontHandle(), nullptr);
    EXPECT_EQ(font.CellHeight(), 0);
    EXPECT_EQ(font.SetForegroundColor(0xFF112233), 0u);
    EXPECT_EQ(font.SetForegroundColor(0), 0xFF112233u);
    EXPECT_EQ(font.SetBackgroundColor(1), 0xFFFFFFFFu);
    EXPECT_EQ(font.SetEdgeColor(2), 0xFFFFFFFFu);
    EXPECT_EQ(font.SetBackgroundFillMode(PIX_BackgroundOpaque), PIX_BackgroundTransparent);
    EXPECT_EQ(font.FindGlyph(0x20AC), nullptr);
}

TEST(CachedFont, AttachingEmptiesTheCache)
{
    Font f(0);
    const int height12 = f.font.CellHeight();
    EXPECT_GE(height12, 11);
    EXPECT_LE(height12, 13);
    ASSERT_TRUE(f.font.RenderGlyph('A'));
    ASSERT_TRUE(f.font.RenderGlyph(0x20AC));
    EXPECT_GT(f.font.FindGlyph('A')->coverageOffset, 0);
    // Re-attaching the owned handle only changes the flags; a new one drops it.
    f.font.AttachFont(f.font.FontHandle(), PIX_FontOwnsGdiFont);
    EXPECT_EQ(f.font.FindGlyph('A')->coverageOffset, 0);
    EXPECT_EQ(f.font.FindGlyph(0x20AC), nullptr);
    f.font.AttachFont(MakeFont(20), PIX_FontOwnsGdiFont | PIX_FontAsciiOnly);
    EXPECT_GT(f.font.CellHeight(), height12);
    EXPECT_NE(f.font.FindGlyph('A')->coverageOffset, 0);
    EXPECT_FALSE(f.font.RenderGlyph(0xE9)) << "ASCII only";
}

TEST(CachedFont, GlyphsAreRenderedOnceAndTrimmed)
{
    Font f(0);
    int width = 0, height = 0;
    const std::vector<uint8_t> blank = f.Map(' ', &width, &height);
    const PIX_CachedGlyph blankGlyph = *f.font.FindGlyph(' ');
    EXPECT_GT(blankGlyph.advance, 0);
    EXPECT_EQ(width, blankGlyph.advance) << "no ink beyond a blank's advance";
    EXPECT_EQ(height, f.font.CellHeight());
    for (uint8_t b : blank) EXPECT_EQ(b, 0);

    const std::vector<uint8_t> a = f.Map('A', &width, &height);
    const PIX_CachedGlyph glyph = *f.font.FindGlyph('A');
    EXPECT_GE(glyph.width, glyph.advance);
    int ink = 0;
    for (uint8_t b : a) ink += b != 0;
    EXPECT_GT(ink, 0);
    // Painting does not render again.
    PIX_MemBitmap target(40, 20, 4);
    const PIX_Box clip = {0, 0, 40, 20};
    EXPECT_TRUE(f.font.PaintGlyph(&target, 'A', 0, 0, &clip));
    EXPECT_EQ(f.font.FindGlyph('A')->coverageOffset, glyph.coverageOffset);
}

TEST(CachedFont, CellsAbove1023RenderNothing)
{
    Font f(0, 1024);
    ASSERT_GT(f.font.CellHeight(), 1023);
    EXPECT_FALSE(f.font.RenderGlyph('A'));
    EXPECT_EQ(f.font.FindGlyph('A')->coverageOffset, 0);
}

TEST(CachedFont, WideCodesStaySortedWhileTheListGrows)
{
    Font f(0, 8);
    // Descending codes: every addition re-sorts and moves the records; 300
    // records also grow the list past its first block.
    for (int code = 0x2000 + 299; code >= 0x2000; --code) ASSERT_TRUE(f.font.RenderGlyph(code));
    ASSERT_TRUE(f.font.RenderGlyph(0xE9));
    const PIX_CachedGlyph* previous = nullptr;
    for (int code : {0xE9, 0x2000, 0x2001, 0x2100, 0x212B}) {
        const PIX_CachedGlyph* g = f.font.FindGlyph(code);
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(g->code, code);
        EXPECT_NE(g->coverageOffset, 0) << code;
        EXPECT_GT(g->advance, 0) << code;
        if (previous) {
            EXPECT_LT(previous, g);
        }
        previous = g;
    }
    EXPECT_EQ(f.font.FindGlyph(0x1FFF), nullptr);
    EXPECT_EQ(f.font.FindGlyph(0x2000 + 0x10000)->code, 0x2000) << "codes are 16 bits";
}

TEST(CachedFont, WideGlyphsCopyNoMoreThanTheGlyphBitmap)
{
    // An advance as wide as the glyph bitmap leaves no room for the padding.
    Font f(0, 12, 400);
    ASSERT_TRUE(f.font.RenderGlyph('W'));
    const PIX_CachedGlyph g = *f.font.FindGlyph('W');
    const int bitmapWidth = PIX_GlyphBitmap()->PixelWidth();
    EXPECT_LE(g.advance, bitmapWidth);
    EXPECT_LE(g.width, bitmapWidth);
}

TEST(CachedFont, ThresholdsEdgesAndRotations)
{
    Font plain(0, 13), hard(PIX_FontHardEdges, 13), shadow(PIX_FontDropShadow, 13),
        halo(PIX_FontHalo, 13), both(PIX_FontDropShadow | PIX_FontHalo, 13),
        down(PIX_FontSideways, 13), up(PIX_FontSideways | PIX_FontSidewaysUp, 13),
        negative(PIX_FontNegative, 13);
    for (int code : {int('A'), int('g'), int('@'), 0xE9}) {
        int w = 0, h = 0;
        const std::vector<uint8_t> base = plain.Map(code, &w, &h);
        ASSERT_EQ(int(base.size()), w * h);
        std::vector<uint8_t> thresholded(base.size());
        for (size_t i = 0; i < base.size(); ++i) thresholded[i] = base[i] >= 131 ? 255 : 0;
        EXPECT_EQ(hard.Map(code), thresholded);

        auto marked = [&](bool isShadow) {
            std::vector<uint8_t> m = thresholded;
            auto full = [&](int x, int y) {
                return x >= 0 && y >= 0 && x < w && y < h && m[y * w + x] == 255;
            };
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    if (!m[y * w + x] &&
                        (isShadow ? full(x - 1, y) || full(x - 1, y - 1) || full(x, y - 1)
                                  : full(x - 1, y) || full(x + 1, y) || full(x, y - 1) ||
                                        full(x, y + 1)))
                        m[y * w + x] = 0x80;
            return m;
        };
        EXPECT_EQ(shadow.Map(code), marked(true)) << code;
        EXPECT_EQ(halo.Map(code), marked(false)) << code;
        EXPECT_EQ(both.Map(code), marked(true)) << "the shadow wins";

        int rw = 0, rh = 0;
        const std::vector<uint8_t> clockwise = down.Map(code, &rw, &rh);
        ASSERT_EQ(rw, h);
        ASSERT_EQ(rh, w);
        const std::vector<uint8_t> counter = up.Map(code);
        for (int r = 0; r < rh; ++r)
            for (int c = 0; c < rw; ++c) {
                ASSERT_EQ(clockwise[r * rw + c], base[(h - 1 - c) * w + r]);
                ASSERT_EQ(counter[r * rw + c], base[c * w + (w - 1 - r)]);
            }

        int nw = 0, nh = 0;
        const std::vector<uint8_t> inverse = negative.Map(code, &nw, &nh);
        ASSERT_EQ(nh, h);
        ASSERT_GE(nw, w) << "the inverted background is ink";
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) ASSERT_EQ(inverse[y * nw + x], 255 - base[y * w + x]);
    }
}

TEST(CachedFont, PaintsGlyphsByTheirCoverage)
{
    struct Case {
        int fontFlags;
        PIX_CombineMode mode;
        float alpha;
        PIX_PackedColor text;
    };
    const Case cases[] = {
        {0, PIX_CombineCopy, 1.0f, 0xFF3060C0},
        {0, PIX_CombineCopy, 0.5f, 0x803060C0},
        {0, PIX_CombineCopy, 1.5f, 0x003060C0},
        {0, PIX_CombineAdd, 0.75f, 0xFF604020},
        {0, PIX_CombineMultiply, 1.0f, 0xFF808080},
        {0, PIX_CombineHsvShift, 1.0f, 0xFFA08060},
        {PIX_FontHardEdges, PIX_CombineCopy, 1.0f, 0x803060C0},
        {PIX_FontHardEdges, PIX_CombineCopy, 0.25f, 0x803060C0},
        {PIX_FontHardEdges, PIX_CombineDodge, 1.0f, 0xFF406080},
        {PIX_FontHalo, PIX_CombineCopy, 1.0f, 0xFF3060C0},
        {PIX_FontDropShadow, PIX_CombineSoftLight, 0.5f, 0xFF3060C0},
    };
    constexpr PIX_PackedColor kEdge = 0x40102030;
    for (const Case& c : cases) {
        Font f(c.fontFlags);
        f.font.SetForegroundColor(c.text);
        f.font.SetEdgeColor(kEdge);
        f.font.SetBlend(c.mode, c.alpha);
        int w = 0, h = 0;
        const std::vector<uint8_t> map = f.Map('&', &w, &h);
        Lcg rng{7};
        GuardedBitmap target(w + 4, h + 4, c.fontFlags != 0, rng);
        const std::vector<uint32_t> before = target.Pixels();
        const PIX_Box clip = {0, 0, w + 4, h + 4};
        ASSERT_TRUE(f.font.PaintGlyph(&target, '&', 2, 3, &clip));
        EXPECT_TRUE(target.GuardIntact());
        const bool mono = c.fontFlags != 0;
        const int64_t weight = raster_test::Weight(c.alpha);
        for (int y = 0; y < h + 4; ++y)
            for (int x = 0; x < w + 4; ++x) {
                const uint32_t old = before[size_t(y) * (w + 4) + x];
                const bool inside = x >= 2 && y >= 3 && x < 2 + w && y < 3 + h;
                const int coverage = inside ? map[(y - 3) * w + (x - 2)] : 0;
                uint32_t expected = old;
                if (coverage != 0) {
                    const PIX_PackedColor colour =
                        mono && c.fontFlags != PIX_FontHardEdges && coverage != 255 ? kEdge
                                                                                    : c.text;
                    if (mono && c.alpha == 1.0f && c.mode == PIX_CombineCopy) {
                        expected = colour;
                    } else {
                        int64_t u = mono ? (weight < 256 ? weight : 256)
                                         : (weight == 256
                                                ? coverage + 1
                                                : std::min<int64_t>(coverage * weight / 256, 256));
                        expected = RefCombine(old, colour | 0xFF000000u, c.mode, u);
                    }
                }
                ASSERT_EQ(target.At(x, y), expected) << "case " << (&c - cases) << " at " << x
                                                     << "," << y << " coverage " << coverage;
            }
    }
}

TEST(CachedFont, PaintGlyphClipsAndFillsTheBackground)
{
    Font f(0);
    f.font.SetForegroundColor(0xFF000000);
    f.font.SetBackgroundColor(0xFF00FF00);
    f.font.SetBackgroundFillMode(PIX_BackgroundOpaque);
    int w = 0, h = 0;
    f.Map('M', &w, &h);
    PIX_MemBitmap target(30, 30, 4);
    PIX_FillBox(&target, 0, 0, 30, 30, 0xFFFFFFFF, 1.0f, PIX_CombineCopy);
    const PIX_Box clip = {5, 5, 8, 9};
    EXPECT_TRUE(f.font.PaintGlyph(&target, 'M', 4, 4, &clip));
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            const PIX_PackedColor p = target.PixelData()[y * target.RowStride() + x];
            const bool inClip = x >= 5 && x < 8 && y >= 5 && y < 9 && x < 4 + w && y < 4 + h;
            if (inClip) {
                EXPECT_NE(p, 0xFFFFFFFFu) << "background filled at " << x << "," << y;
            } else {
                EXPECT_EQ(p, 0xFFFFFFFFu) << x << "," << y;
            }
        }
    const PIX_Box away = {20, 20, 30, 30};
    EXPECT_FALSE(f.font.PaintGlyph(&target, 'M', 0, 0, &away));
    EXPECT_FALSE(f.font.PaintGlyph(&target, 0x4E00, 20, 20, &away)) << "no record";
}

TEST(CachedFont, MeasuresTextsWithTheGlyphCache)
{
    ForcedRenderer forced(PIX_TextRendererChoice::GlyphCache);
    Font f(PIX_FontSystemRenderer);
    auto measure = [&](const char* text, int length, int flags, int* height = nullptr) {
        PIX_Box box = {10, 20, 10, 20};
        const int result = f.font.PaintText(nullptr, text, length, &box, PIX_DtCalcRect | flags);
        EXPECT_EQ(result, box.bottom - box.top);
        if (height) *height = box.bottom - box.top;
        return box.right - box.left;
    };
    int heightOne = 0, heightTwo = 0, heightSingle = 0;
    const int ab = measure("AB", -1, 0, &heightOne);
    const int abAb = measure("AB\nAB", -1, 0, &heightTwo);
    EXPECT_EQ(abAb, ab);
    EXPECT_EQ(heightTwo, f.font.CellHeight() + f.font.FindGlyph('A')->height);
    EXPECT_EQ(measure("AB\nAB", -1, PIX_DtSingleLine, &heightSingle), measure("AB AB", -1, 0));
    EXPECT_EQ(heightSingle, heightOne);
    EXPECT_EQ(measure("A\rB", -1, 0), ab) << "a CR neither draws nor advances";
    EXPECT_EQ(measure("ABCDE", 3, 0), measure("ABC", -1, 0));
    EXPECT_EQ(measure("A\xC3\xA9", 2, 0), measure("A\xC3", -1, 0)) << "a cut sequence";
    EXPECT_EQ(measure("", -1, 0), 0);
}

TEST(CachedFont, DrawsAlignedTextsWithTheGlyphCache)
{
    ForcedRenderer forced(PIX_TextRendererChoice::GlyphCache);
    Font f(PIX_FontSystemRenderer);
    f.font.SetForegroundColor(0xFF204080);
    PIX_Box measured = {0, 0, 0, 0};
    f.font.PaintText(nullptr, "Hello", -1, &measured, PIX_DtCalcRect);
    const int width = measured.right;
    auto draw = [&](PIX_Box box, int flags) {
        PIX_MemBitmap target(120, 40, 4);
        PIX_FillBox(&target, 0, 0, 120, 40, 0xFFFFFFFF, 1.0f, PIX_CombineCopy);
        const int result = f.font.PaintText(&target, "Hello", -1, &box, flags);
        std::vector<uint32_t> pixels;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 120; ++x)
                pixels.push_back(target.PixelData()[y * target.RowStride() + x]);
        return std::make_pair(result, pixels);
    };
    const auto centred = draw(PIX_Box{10, 5, 110, 35}, PIX_DtCenter | PIX_DtVCenter);
    const auto placed =
        draw(PIX_Box{10 + (100 - width) / 2, 5 + (30 - measured.bottom) / 2, 120, 40}, 0);
    EXPECT_EQ(centred, placed);
    EXPECT_GT(centred.first, 0);
    const auto right = draw(PIX_Box{0, 0, 100, 40}, PIX_DtRight);
    EXPECT_EQ(right, draw(PIX_Box{100 - width, 0, 120, 40}, 0));
    // Clipped to the box unless told otherwise.
    const auto clipped = draw(PIX_Box{0, 0, 3, 40}, 0);
    for (int y = 0; y < 40; ++y)
        for (int x = 3; x < 120; ++x) ASSERT_EQ(clipped.second[y * 120 + x], 0xFFFFFFFFu);
    EXPECT_EQ(draw(PIX_Box{0, 0, 3, 40}, PIX_DtNoClip), draw(PIX_Box{0, 0, 120, 40}, 0));
    EXPECT_EQ(draw(PIX_Box{200, 0, 300, 40}, 0).first, 0) << "a box beside the bitmap";
}

TEST(CachedFont, ColourAlphaScalesTheOpacityForOneCall)
{
    ForcedRenderer forced(PIX_TextRendererChoice::GlyphCache);
    Font f(PIX_FontSystemRenderer);
    PIX_MemBitmap target(60, 20, 4);
    PIX_FillBox(&target, 0, 0, 60, 20, 0xFFFFFFFF, 1.0f, PIX_CombineCopy);
    PIX_Box box = {0, 0, 60, 20};
    f.font.SetForegroundColor(0x00FF0000);
    EXPECT_EQ(f.font.PaintText(&target, "Hi", -1, &box, PIX_TextColorAlpha), 0);
    for (int i = 0; i < 60 * 20; ++i) ASSERT_EQ(target.PixelData()[i], 0xFFFFFFFFu);

    // Half the colour's alpha is the same as half the font's opacity.
    f.font.SetForegroundColor(0x80FF0000);
    f.font.PaintText(&target, "Hi", -1, &box, PIX_TextColorAlpha);
    PIX_MemBitmap reference(60, 20, 4);
    PIX_FillBox(&reference, 0, 0, 60, 20, 0xFFFFFFFF, 1.0f, PIX_CombineCopy);
    f.font.SetBlend(PIX_CombineCopy, 128.0f / 255.0f);
    f.font.PaintText(&reference, "Hi", -1, &box, 0);
    EXPECT_EQ(std::memcmp(target.PixelData(), reference.PixelData(), 4 * 60 * 20), 0);

    // The call left the font's own opacity as it was.
    f.font.SetBlend(PIX_CombineCopy, 1.0f);
    f.font.SetForegroundColor(0x400000FF);
    f.font.PaintText(&target, "Hi", -1, &box, PIX_TextColorAlpha);
    Font fresh(PIX_FontSystemRenderer);
    for (Font* font : {&f, &fresh}) font->font.SetForegroundColor(0xFF0000FF);
    PIX_FillBox(&target, 0, 0, 60, 20, 0xFFFFFFFF, 1.0f, PIX_CombineCopy);
    PIX_FillBox(&reference, 0, 0, 60, 20, 0xFFFFFFFF, 1.0f, PIX_CombineCopy);
    f.font.PaintText(&target, "Hi", -1, &box, 0);
    fresh.font.PaintText(&reference, "Hi", -1, &box, 0);
    EXPECT_EQ(std::memcmp(target.PixelData(), reference.PixelData(), 4 * 60 * 20), 0);
}

TEST(CachedFont, ChoosesTheRenderer)
{
    auto cachedAfterDrawing = [](Font& f, int textFlags) {
        PIX_MemBitmap target(80, 300, 4);
        PIX_Box box = {0, 0, 80, 300};
        f.font.SetForegroundColor(0xFF000000);
        f.font.PaintText(&target, "A", -1, &box, textFlags);
        return f.font.FindGlyph('A')->coverageOffset != 0;
    };
    {
        ForcedRenderer forced(PIX_TextRendererChoice::SystemWhereAllowed);
        Font system(PIX_FontSystemRenderer);
        EXPECT_FALSE(cachedAfterDrawing(system, 0));
        EXPECT_TRUE(cachedAfterDrawing(system, PIX_TextColorAlpha));
        EXPECT_TRUE(cachedAfterDrawing(system, PIX_TextNested));
        Font plain(0);
        EXPECT_TRUE(cachedAfterDrawing(plain, 0)) << "the font does not allow the system";
        Font sideways(PIX_FontSystemRenderer | PIX_FontSideways);
        EXPECT_TRUE(cachedAfterDrawing(sideways, 0));
    }
    {
        ForcedRenderer forced(PIX_TextRendererChoice::GlyphCache);
        Font tall(0, 256);
        EXPECT_FALSE(cachedAfterDrawing(tall, 0)) << "cells above 255 use the system";
        Font system(PIX_FontSystemRenderer);
        EXPECT_TRUE(cachedAfterDrawing(system, 0));
    }
}

TEST(CachedFont, SystemRendererDrawsThroughAScratchBitmapWithoutAContext)
{
    ForcedRenderer forced(PIX_TextRendererChoice::SystemWhereAllowed);
    Font f(PIX_FontSystemRenderer);
    f.font.SetForegroundColor(0xFF102030);
    const char* texts[] = {"x = 1.024 S", "caf\xC3\xA9 \xE2\x82\xAC"};
    for (const char* text : texts)
        for (int flags : {0, PIX_DtCenter, PIX_DtRight | PIX_DtBottom | PIX_DtSingleLine}) {
            PIX_SysBitmap direct(90, 30);
            PIX_MemBitmap indirect(90, 30, 4);
            PIX_FillBox(&direct, 0, 0, 90, 30, 0xFFC0C0C0, 1.0f, PIX_CombineCopy);
            PIX_FillBox(&indirect, 0, 0, 90, 30, 0xFFC0C0C0, 1.0f, PIX_CombineCopy);
            PIX_Box a = {-3, 2, 85, 28}, b = a;
            const int drawnDirect = f.font.PaintText(&direct, text, -1, &a, flags);
            const int drawnIndirect = f.font.PaintText(&indirect, text, -1, &b, flags);
            EXPECT_GT(drawnDirect, 0);
            EXPECT_GT(drawnIndirect, 0);
            int differing = 0, inked = 0;
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < 90; ++x) {
                    const uint32_t p = direct.PixelData()[y * direct.RowStride() + x] & 0xFFFFFF;
                    const uint32_t q =
                        indirect.PixelData()[y * indirect.RowStride() + x] & 0xFFFFFF;
                    differing += p != q;
                    inked += p != 0xC0C0C0;
                }
            EXPECT_GT(inked, 10) << text;
            EXPECT_EQ(differing, 0) << text << " flags " << flags;
        }
    PIX_Box box = {0, 0, 0, 0};
    EXPECT_GT(f.font.PaintText(nullptr, "abc", -1, &box, PIX_DtCalcRect), 0);
    EXPECT_GT(box.right, 0);
    EXPECT_EQ(f.font.PaintText(nullptr, "abc", -1, &box, 0), 0) << "drawing needs a bitmap";
}

TEST(CachedFont, LengthLimitedTextsDrawOnlyTheirBytes)
{
    for (PIX_TextRendererChoice choice :
         {PIX_TextRendererChoice::SystemWhereAllowed, PIX_TextRendererChoice::GlyphCache}) {
        ForcedRenderer forced(choice);
        Font f(PIX_FontSystemRenderer);
        f.font.SetForegroundColor(0xFF000000);
        auto draw = [&](const char* text, int length) {
            PIX_SysBitmap target(120, 20);
            PIX_FillBox(&target, 0, 0, 120, 20, 0xFFFFFFFF, 1.0f, PIX_CombineCopy);
            PIX_Box box = {0, 0, 120, 20};
            f.font.PaintText(&target, text, length, &box, PIX_DtSingleLine);
            std::vector<uint32_t> rgb;
            for (int y = 0; y < 20; ++y)
                for (int x = 0; x < 120; ++x)
                    rgb.push_back(target.PixelData()[y * target.RowStride() + x] & 0xFFFFFF);
            return rgb;
        };
        EXPECT_EQ(draw("\xC3\xA9tat\xE2\x82\xAC", 5), draw("\xC3\xA9tat", -1));
        EXPECT_EQ(draw("abcdef", 3), draw("abc", -1));
        EXPECT_EQ(draw("abc", -2), draw("abc", -1)) << "any negative length";
        EXPECT_NE(draw("abcdef", -1), draw("abc", -1));
    }
}

#ifndef _WIN32
// The native renderer scales the built-in glyphs; at 8 by 8 a coverage map is
// the glyph's bits.
TEST(CachedFont, NativeGlyphsAreTheBuiltInGlyphs)
{
    Font f(0, 8, 8);
    for (int code : {1, int('A'), int('0'), int('a'), 127}) {
        int w = 0, h = 0;
        const std::vector<uint8_t> map = f.Map(code, &w, &h);
        const uint8_t* rows = &PIX_Glyphs8x8[8 * (code - 1)];
        bool lastColumn = false;
        for (int y = 0; y < 8; ++y) lastColumn = lastColumn || (rows[y] & 1);
        EXPECT_EQ(f.font.FindGlyph(code)->advance, 7);
        ASSERT_EQ(w, lastColumn ? 8 : 7) << code;
        ASSERT_EQ(h, 8);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(map[y * w + x], (rows[y] & (0x80 >> x)) ? 255 : 0) << code;
    }
}
#endif

#ifdef _WIN32
// Under Wine the program draws its texts through the glyph cache.
TEST(CachedFont, WineDrawsEditorTextsThroughTheGlyphCache)
{
    ASSERT_TRUE(PIX_SystemIsWine());
    PIX_CachedFont font;
    font.AttachFont(MakeFont(12), PIX_FontOwnsGdiFont | PIX_FontSystemRenderer);
    font.SetForegroundColor(0xFF808080);
    for (const char* text : {"rate = 500.000 Hz", "overlap = 82.8%", "x = 1.024 S", "+5 (L)",
                             "<frozen>", "0.010", "-DC-", "86.13 Hz", "1.034 kHz"}) {
        PIX_SysBitmap target(100, 14);
        PIX_FillBox(&target, 0, 0, 100, 14, 0xFF000000, 1.0f, PIX_CombineCopy);
        PIX_Box box = {0, 0, 100, 14};
        EXPECT_GT(font.PaintText(&target, text, -1, &box, PIX_DtNoClip | PIX_DtCenter), 0) << text;
        int inked = 0;
        for (int i = 0; i < 100 * 14; ++i) inked += (target.PixelData()[i] & 0xFFFFFF) != 0;
        EXPECT_GT(inked, 20) << text;

        // The cache lays a line out as the system does.
        PIX_Box cached = {0, 0, 0, 0}, system = {0, 0, 0, 0};
        font.PaintText(&target, text, -1, &cached, PIX_DtCalcRect);
        PIX_DeviceContext context = target.DeviceContext();
        const PIX_FontHandle previous = PIX_SelectSystemFont(context, font.FontHandle());
        PIX_SystemDrawText(context, text, -1, &system, PIX_DtCalcRect | PIX_DtSingleLine);
        PIX_SelectSystemFont(context, previous);
        EXPECT_EQ(cached.right, system.right) << text;
        EXPECT_EQ(font.CellHeight(), system.bottom) << text;
    }
    EXPECT_NE(font.FindGlyph('r')->coverageOffset, 0);
}
#endif

TEST(CachedFont, AGlyphWithoutCoverageStorageIsEmpty)
{
    Font f(0);
    {
        FailingAllocator failing;
        EXPECT_TRUE(f.font.RenderGlyph('A'));
    }
    const PIX_CachedGlyph* g = f.font.FindGlyph('A');
    EXPECT_EQ(g->coverageOffset, -1);
    EXPECT_EQ(g->advance, 0);
    ForcedRenderer forced(PIX_TextRendererChoice::GlyphCache);
    PIX_Box box = {0, 0, 0, 0};
    f.font.PaintText(nullptr, "AB", -1, &box, PIX_DtCalcRect);
    PIX_Box b = {0, 0, 0, 0};
    f.font.PaintText(nullptr, "B", -1, &b, PIX_DtCalcRect);
    EXPECT_EQ(box.right, b.right) << "the empty glyph neither draws nor advances";
}

TEST(CachedFont, SidewaysTextsRunDown)
{
    ForcedRenderer forced(PIX_TextRendererChoice::GlyphCache);
    Font down(PIX_FontSideways), plain(0);
    PIX_Box measured = {0, 0, 0, 0};
    const int width = down.font.PaintText(nullptr, "AB", -1, &measured, PIX_DtCalcRect);
    EXPECT_EQ(width, measured.right);
    EXPECT_EQ(width, plain.font.CellHeight());
    EXPECT_GE(measured.bottom,
              plain.font.FindGlyph('A')->advance + plain.font.FindGlyph('B')->advance);
    PIX_MemBitmap target(40, 60, 4);
    PIX_FillBox(&target, 0, 0, 40, 60, 0xFFFFFFFF, 1.0f, PIX_CombineCopy);
    down.font.SetForegroundColor(0xFF000000);
    PIX_Box box = {5, 5, 40, 60};
    EXPECT_EQ(down.font.PaintText(&target, "AB", -1, &box, 0), width);
}

// A white square that texts are drawn into from a point.
struct Sheet {
    static constexpr int kSize = 96;
    PIX_MemBitmap bitmap{kSize, kSize, 4};
    Sheet() { PIX_FillBox(&bitmap, 0, 0, kSize, kSize, 0xFFFFFFFF, 1.0f, PIX_CombineCopy); }
    int Draw(PIX_CachedFont& font, const char* text, int left, int top, int flags)
    {
        PIX_Box box = {left, top, kSize, kSize};
        return font.PaintText(&bitmap, text, -1, &box, flags);
    }
    std::vector<uint32_t> Pixels() const
    {
        return std::vector<uint32_t>(bitmap.PixelData(), bitmap.PixelData() + kSize * kSize);
    }
};

// A text of two lines is its lines drawn where the line feed puts the
// second: one cell down, or sideways one cell to the right, from the start
// of the first; a sideways-up text starts its lines one measured height
// below the box's top.
TEST(CachedFont, LineFeedsStartTheNextLineOneCellOn)
{
    ForcedRenderer forced(PIX_TextRendererChoice::GlyphCache);
    struct Case {
        const char* what;
        int fontFlags;
        int cellsRight, cellsDown;  // of the second line
    };
    const Case cases[] = {
        {"across", 0, 0, 1},
        {"down", PIX_FontSideways, 1, 0},
        {"up", PIX_FontSideways | PIX_FontSidewaysUp, 1, 0},
    };
    const char* const text = "AB\nCDE";
    const char* const lines[] = {"AB", "CDE"};
    const int left = 6, top = 4;
    for (const Case& c : cases) {
        Font f(c.fontFlags);
        f.font.SetForegroundColor(0xFF204080);
        const int cell = f.font.CellHeight();
        auto measure = [&](const char* t, PIX_Box* box) {
            *box = {0, 0, 0, 0};
            return f.font.PaintText(nullptr, t, -1, box, PIX_DtCalcRect);
        };
        PIX_Box extent, first, second;
        const int measured = measure(text, &extent);
        measure(lines[0], &first);
        measure(lines[1], &second);
        EXPECT_EQ(extent.right, std::max(first.right, c.cellsRight * cell + second.right));
        EXPECT_EQ(extent.bottom, std::max(first.bottom, c.cellsDown * cell + second.bottom));

        Sheet whole, apart;
        const int drawn = whole.Draw(f.font, text, left, top, 0);
        int drawnApart[2] = {};
        for (int k = 0; k < 2; ++k) {
            const int lift =
                c.fontFlags & PIX_FontSidewaysUp ? extent.bottom - (k ? second : first).bottom : 0;
            drawnApart[k] = apart.Draw(f.font, lines[k], left + k * c.cellsRight * cell,
                                       top + k * c.cellsDown * cell + lift, 0);
        }
        EXPECT_EQ(whole.Pixels(), apart.Pixels()) << c.what;
        EXPECT_NE(whole.Pixels(), Sheet().Pixels()) << c.what;
        EXPECT_EQ(drawn, std::max(drawnApart[0], cell + drawnApart[1])) << c.what;
        EXPECT_EQ(drawn, measured) << c.what;

        // On a single line the line feed is a blank.
        Sheet single, spaced;
        EXPECT_EQ(single.Draw(f.font, text, left, top, PIX_DtSingleLine),
                  spaced.Draw(f.font, "AB CDE", left, top, 0))
            << c.what;
        EXPECT_EQ(single.Pixels(), spaced.Pixels()) << c.what;
    }
}

TEST(CachedFont, ExtremeBoxesDoNotOverflow)
{
    for (PIX_TextRendererChoice choice :
         {PIX_TextRendererChoice::SystemWhereAllowed, PIX_TextRendererChoice::GlyphCache}) {
        ForcedRenderer forced(choice);
        Font f(PIX_FontSystemRenderer);
        f.font.SetForegroundColor(0xFF000000);
        PIX_MemBitmap target(20, 20, 4);
        const PIX_Box boxes[] = {{INT_MAX - 5, 0, INT_MAX, 10},
                                 {INT_MIN, 0, INT_MAX, 20},
                                 {INT_MIN, INT_MIN, INT_MIN + 3, INT_MIN + 3}};
        for (const int flags :
             {PIX_DtNoClip, PIX_DtCenter | PIX_DtVCenter, PIX_DtRight | PIX_DtBottom}) {
            for (PIX_Box box : boxes) {
                f.font.PaintText(&target, "W_y", -1, &box, flags);
                f.font.PaintText(&target, "W_y", -1, &box, flags | PIX_DtCalcRect);
            }
        }
    }
}
