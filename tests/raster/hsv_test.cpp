#include "raster/hsv.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

#include "raster/bitmap.h"
#include "reference.h"

namespace {

struct Rgb {
    int r, g, b;
};

Rgb ChannelsOf(PIX_PackedColor c)
{
    return {int(c >> 16 & 255), int(c >> 8 & 255), int(c & 255)};
}

PIX_PackedColor ColorOf(Rgb c, int alpha = 255)
{
    return uint32_t(alpha) << 24 | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | uint32_t(c.b);
}

PIX_HsvTriple HsvOf(Rgb c)
{
    PIX_HsvTriple t;
    PIX_RgbToHsv(c.r, c.g, c.b, &t.hue, &t.saturation, &t.value);
    return t;
}

TEST(RgbToHsv, MatchesTheCaseTableForEveryColourAndStaysInRange)
{
    int64_t mismatches = 0, outOfRange = 0;
    for (int r = 0; r < 256; ++r)
        for (int g = 0; g < 256; ++g)
            for (int b = 0; b < 256; ++b) {
                int h, s, v, rh, rs, rv;
                PIX_RgbToHsv(r, g, b, &h, &s, &v);
                ref::RgbToHsv(r, g, b, &rh, &rs, &rv);
                mismatches += h != rh || s != rs || v != rv;
                outOfRange += h < 0 || h > 383 || s < 0 || s > 255;
            }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(outOfRange, 0);
}

TEST(HsvToColor, MatchesTheSextantTableForEveryTriple)
{
    int64_t mismatches = 0;
    for (int h = 0; h < 384; ++h)
        for (int s = 0; s < 256; ++s)
            for (int v = 0; v < 256; ++v) {
                const int a = (h + s + v) & 255;
                mismatches += PIX_HsvToColor(h, s, v, a) != ref::HsvToColor(h, s, v, a);
            }
    EXPECT_EQ(mismatches, 0);
}

TEST(HsvToRgb, GivesTheChannelsOfHsvToColor)
{
    for (int h = 0; h < 384; h += 7)
        for (int s = 0; s < 256; s += 15)
            for (int v = 0; v < 256; v += 15) {
                int r, g, b;
                PIX_HsvToRgb(h, s, v, &r, &g, &b);
                const Rgb c = ChannelsOf(PIX_HsvToColor(h, s, v, 0));
                ASSERT_TRUE(r == c.r && g == c.g && b == c.b) << h << " " << s << " " << v;
            }
}

TEST(RgbToHsv, NamedColours)
{
    const struct {
        Rgb in;
        PIX_HsvTriple out;
    } cases[] = {
        {{255, 0, 0}, {0, 255, 255}},     {{0, 255, 0}, {128, 255, 255}},
        {{0, 0, 255}, {256, 255, 255}},   {{255, 255, 0}, {63, 255, 255}},
        {{0, 255, 255}, {193, 255, 255}}, {{255, 0, 255}, {319, 255, 255}},
        {{128, 128, 128}, {256, 0, 128}}, {{0, 0, 0}, {256, 0, 0}},
    };
    for (const auto& c : cases) {
        const PIX_HsvTriple t = HsvOf(c.in);
        EXPECT_EQ(t.hue, c.out.hue) << c.in.r << "," << c.in.g << "," << c.in.b;
        EXPECT_EQ(t.saturation, c.out.saturation);
        EXPECT_EQ(t.value, c.out.value);
    }
}

TEST(HsvToColor, NamedTriples)
{
    const struct {
        int h, s, v, a;
        PIX_PackedColor out;
    } cases[] = {
        {0, 255, 255, 255, 0xFFFF0000},   {64, 255, 255, 255, 0xFFFFFF00},
        {383, 255, 255, 255, 0xFFFF0004}, {200, 0, 77, 0x12, 0x124D4D4D},
        {383, 0, 200, 0, 0x00C8C8C8},     {0, 0, 0, 0xFF, 0xFF000000},
    };
    for (const auto& c : cases) EXPECT_EQ(PIX_HsvToColor(c.h, c.s, c.v, c.a), c.out) << c.h;
}

TEST(HsvRoundTrip, IsExactForPrimariesAndGreysOnly)
{
    const struct {
        Rgb in, out;
    } cases[] = {
        {{255, 255, 0}, {255, 251, 0}},  {{255, 0, 255}, {251, 0, 255}},
        {{200, 100, 50}, {200, 99, 50}}, {{255, 0, 0}, {255, 0, 0}},
        {{0, 255, 0}, {0, 255, 0}},      {{0, 0, 255}, {0, 0, 255}},
        {{0, 0, 0}, {0, 0, 0}},          {{255, 255, 255}, {255, 255, 255}},
        {{77, 77, 77}, {77, 77, 77}},
    };
    for (const auto& c : cases) {
        const PIX_HsvTriple t = HsvOf(c.in);
        const Rgb back = ChannelsOf(PIX_HsvToColor(t.hue, t.saturation, t.value, 255));
        EXPECT_TRUE(back.r == c.out.r && back.g == c.out.g && back.b == c.out.b)
            << c.in.r << "," << c.in.g << "," << c.in.b << " -> " << back.r << "," << back.g << ","
            << back.b;
    }
}

TEST(ShiftColorHsv, WrapsTheHueOnceClampsTheRestAndKeepsAlpha)
{
    const PIX_PackedColor yellow = 0x80FFFF00;
    EXPECT_EQ(PIX_ShiftColorHsv(yellow, 0, 0, 0), 0x80FFFB00u);

    const struct {
        Rgb in;
        int dh, ds, dv;
        PIX_HsvTriple want;
    } cases[] = {
        {{176, 0, 255}, 100, 0, 0, {16, 255, 255}},    // hue 300
        {{255, 0, 0}, -100, 0, 0, {284, 255, 255}},    // hue 0
        {{255, 0, 255}, 383, -300, 0, {318, 0, 255}},  // hue 319
        {{0, 0, 255}, -383, 0, -1000, {257, 255, 0}},  // hue 256
        {{0, 255, 0}, 0, INT_MAX, INT_MIN, {128, 255, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PIX_ShiftColorHsv(ColorOf(c.in, 0x5A), c.dh, c.ds, c.dv),
                  PIX_HsvToColor(c.want.hue, c.want.saturation, c.want.value, 0x5A))
            << c.in.r << "," << c.in.g << "," << c.in.b << " + " << c.dh;
}

TEST(ShiftColorHsvFraction, TruncatesSinglePrecisionProducts)
{
    const PIX_PackedColor c = 0x40C86432;
    const struct {
        float h, s, v;
        int dh, ds, dv;
    } cases[] = {
        {0.5f, 0.1f, -0.1f, 192, 25, -25},
        {-0.999f, 1.0f, 0.0f, -383, 255, 0},
        {0.1f, -0.003f, 0.004f, 38, 0, 1},
        {NAN, INFINITY, -1e30f, 0, INT_MAX, INT_MIN},
    };
    for (const auto& k : cases)
        EXPECT_EQ(PIX_ShiftColorHsvFraction(c, k.h, k.s, k.v),
                  PIX_ShiftColorHsv(c, k.dh, k.ds, k.dv))
            << k.h;
}

// A bitmap filled with a varied pattern, the padding between rows included.
void Fill(PIX_MemBitmap& bitmap, uint32_t seed)
{
    PIX_PackedColor* p = bitmap.PixelData();
    for (int i = 0; i < bitmap.RowStride() * bitmap.PixelHeight(); ++i)
        p[i] = seed = seed * 1664525u + 1013904223u;
}

std::vector<PIX_PackedColor> Snapshot(const PIX_MemBitmap& bitmap)
{
    const PIX_PackedColor* p = bitmap.PixelData();
    return std::vector<PIX_PackedColor>(p, p + bitmap.RowStride() * bitmap.PixelHeight());
}

// Inside the clipped rectangle every pixel is shifted as a single colour
// would be; every other pixel and the row padding stay.
TEST(ShiftBoxHsv, ShiftsExactlyTheClippedRectangleBothWays)
{
    const struct {
        int width, height, x, y, w, h;
    } cases[] = {
        {130, 70, 0, 0, 128, 64},     // 8192 pixels: per pixel
        {130, 70, 1, 2, 8193, 1},     // clipped to 129 x 1
        {8193, 3, 0, 1, 8193, 1},     // 8193 pixels: tables
        {130, 70, -5, -6, 200, 200},  // clipped on all sides
        {130, 70, 129, 69, 5, 5},     // one corner pixel
        {130, 70, 130, 0, 5, 5},      // outside
        {130, 70, 10, 10, 0, 50},     // empty
    };
    for (const auto& c : cases) {
        PIX_MemBitmap bitmap(c.width, c.height, 4);
        Fill(bitmap, 7);
        const std::vector<PIX_PackedColor> before = Snapshot(bitmap);
        PIX_ShiftBoxHsv(&bitmap, c.x, c.y, c.w, c.h, 0.3f, -0.2f, 0.15f);
        const std::vector<PIX_PackedColor> after = Snapshot(bitmap);
        const int x0 = std::max(c.x, 0), y0 = std::max(c.y, 0);
        const int x1 = std::min(c.x + c.w, c.width), y1 = std::min(c.y + c.h, c.height);
        int64_t wrong = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < bitmap.RowStride(); ++x) {
                const size_t i = size_t(y) * bitmap.RowStride() + x;
                const bool inside = x >= x0 && x < x1 && y >= y0 && y < y1;
                wrong +=
                    after[i] != (inside ? PIX_ShiftColorHsv(before[i], 115, -51, 38) : before[i]);
            }
        EXPECT_EQ(wrong, 0) << c.width << "x" << c.height << " box " << c.x << "," << c.y << " "
                            << c.w << "x" << c.h;
    }
}

TEST(ShiftBoxHsv, ZeroDeltasLeaveThePixelsUnconverted)
{
    PIX_MemBitmap bitmap(100, 100, 4);
    Fill(bitmap, 3);
    const std::vector<PIX_PackedColor> before = Snapshot(bitmap);
    PIX_ShiftBoxHsv(&bitmap, 0, 0, 100, 100, 0.001f, 0.0f, -0.003f);  // all truncate to 0
    PIX_ShiftBitmapHsv(&bitmap, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(Snapshot(bitmap), before);
}

TEST(ShiftBoxHsv, ClampsTheHueDeltaAndSaturatesHugeOnes)
{
    PIX_MemBitmap bitmap(4, 1, 4);
    Fill(bitmap, 11);
    const std::vector<PIX_PackedColor> before = Snapshot(bitmap);
    PIX_ShiftBitmapHsv(&bitmap, 2.0f, 1e30f, NAN);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(bitmap.PixelData()[i], PIX_ShiftColorHsv(before[i], 383, INT_MAX, 0));
}

TEST(ShiftBoxHsv, NullBitmapsAndPixelsAreLeftAlone)
{
    PIX_ShiftBoxHsv(nullptr, 0, 0, 10, 10, 0.5f, 0.5f, 0.5f);
    PIX_ShiftBitmapHsv(nullptr, 0.5f, 0.5f, 0.5f);
    PIX_MemBitmap empty(0, 0, 4);
    PIX_ShiftBoxHsv(&empty, 0, 0, 10, 10, 0.5f, 0.5f, 0.5f);
    PIX_ShiftBitmapHsv(&empty, 0.5f, 0.5f, 0.5f);
}

}  // namespace
