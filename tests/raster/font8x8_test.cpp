#include "raster/font8x8.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

#include "raster/bitmap.h"
#include "raster/pixel.h"
#include "raster_test_support.h"

namespace {

using namespace raster_test;

constexpr uint32_t kBackground = 0x10305070;
constexpr uint32_t kInk = 0x30507090;

// A guarded bitmap of one colour.
class PlainBitmap : public GuardedBitmap {
public:
    PlainBitmap(int width, int height, bool bottomUp, bool nullPixels = false)
        : GuardedBitmap(width, height, bottomUp, nullPixels)
    {
        if (!nullPixels) Fill([] { return kBackground; });
    }
};

bool GlyphBit(int code, int column, int row)
{
    return (PIX_Glyphs8x8[8 * (code - 1) + row] >> (7 - column)) & 1;
}

// A character expected with its cell's top-left corner at (x, y).
struct Placed {
    char c;
    int x, y;
};

// The background with the ink pixels of every placed character that fall
// inside the picture set to kInk.
std::vector<uint32_t> Expected(int width, int height, const std::vector<Placed>& placed)
{
    std::vector<uint32_t> pixels(size_t(width) * height, kBackground);
    for (const Placed& p : placed)
        for (int row = 0; row < 8; ++row)
            for (int column = 0; column < 8; ++column) {
                const int x = p.x + column, y = p.y + row;
                if (x >= 0 && y >= 0 && x < width && y < height && GlyphBit(p.c, column, row))
                    pixels[size_t(y) * width + x] = kInk;
            }
    return pixels;
}

TEST(Font8x8Glyphs, FixedRowsAreExact)
{
    const struct {
        int code;
        uint8_t rows[8];
    } cases[] = {
        {1, {0x7E, 0x81, 0xA5, 0x81, 0xBD, 0x99, 0x81, 0x7E}},
        {32, {0, 0, 0, 0, 0, 0, 0, 0}},
        {48, {0x38, 0x6C, 0xC6, 0xD6, 0xC6, 0x6C, 0x38, 0x00}},
        {65, {0x38, 0x6C, 0xC6, 0xFE, 0xC6, 0xC6, 0xC6, 0x00}},
        {97, {0x00, 0x00, 0x78, 0x0C, 0x7C, 0xCC, 0x76, 0x00}},
        {127, {0x00, 0x10, 0x38, 0x6C, 0xC6, 0xC6, 0xFE, 0x00}},
    };
    for (const auto& c : cases)
        for (int row = 0; row < 8; ++row)
            EXPECT_EQ(PIX_Glyphs8x8[8 * (c.code - 1) + row], c.rows[row])
                << c.code << " row " << row;
}

TEST(Font8x8Glyphs, PrintableGlyphsAreInkedAndDistinct)
{
    std::set<std::string> seen;
    for (int code = 33; code <= 126; ++code) {
        const std::string rows(reinterpret_cast<const char*>(&PIX_Glyphs8x8[8 * (code - 1)]), 8);
        EXPECT_NE(rows, std::string(8, '\0')) << code;
        EXPECT_TRUE(seen.insert(rows).second) << code;
    }
}

TEST(Font8x8Measure, SizesOfTexts)
{
    const struct {
        const char* text;
        int width, height;
    } cases[] = {
        {"abc", 24, 8},      {"\tabc", 64, 8},        {"a\nb", 8, 16},    {"a\n\n", 8, 8},
        {"", 0, 0},          {"\r\r", 0, 0},          {"\n\nab", 16, 24}, {" ", 8, 8},
        {"\xC8\xFF", 16, 8}, {"ab\ncdef\ng", 32, 24}, {"a\r\nb", 8, 16},
    };
    for (const auto& c : cases) {
        int width = -1, height = -1;
        PIX_MeasureString8x8(c.text, &width, &height);
        EXPECT_EQ(width, c.width) << '"' << c.text << '"';
        EXPECT_EQ(height, c.height) << '"' << c.text << '"';
    }
}

TEST(Font8x8Measure, NullArguments)
{
    int width = -1, height = -1;
    PIX_MeasureString8x8("abc", nullptr, &height);
    PIX_MeasureString8x8("a\nb", &width, nullptr);
    EXPECT_EQ(width, 8);
    EXPECT_EQ(height, 8);
    PIX_MeasureString8x8(nullptr, &width, &height);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
}

class Font8x8Stamp : public testing::TestWithParam<bool> {
protected:
    static constexpr int kWidth = 64, kHeight = 20;
    PlainBitmap bitmap{kWidth, kHeight, GetParam()};
};

TEST_P(Font8x8Stamp, CharIsClippedToTheBitmap)
{
    const Placed cases[] = {
        {'A', 1, 2},       {'A', -3, 0},     {'g', 0, -5}, {'W', kWidth - 2, kHeight - 3},
        {'@', -7, -7},     {'A', -8, 0},     {'A', 0, -8}, {'A', kWidth, 0},
        {'A', 0, kHeight}, {'\x01', 60, 12},
    };
    for (const Placed& c : cases) {
        PlainBitmap b(kWidth, kHeight, GetParam());
        PIX_StampChar8x8(&b, c.x, c.y, c.c, kInk, 1.0f, PIX_CombineCopy);
        EXPECT_EQ(b.Pixels(), Expected(kWidth, kHeight, {c}))
            << c.c << " at " << c.x << ", " << c.y;
        EXPECT_TRUE(b.GuardIntact());
    }
}

TEST_P(Font8x8Stamp, CharAtMinusThreeShowsItsFiveRightColumns)
{
    PIX_StampChar8x8(&bitmap, -3, 0, 'A', kInk, 1.0f, PIX_CombineCopy);
    for (int row = 0; row < 8; ++row)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(bitmap.At(x, row) == kInk, x < 5 && GlyphBit('A', x + 3, row))
                << x << ", " << row;
}

TEST_P(Font8x8Stamp, StringMovesThePen)
{
    const struct {
        const char* text;
        int x, y;
        std::vector<Placed> placed;
    } cases[] = {
        {" \t\r", 0, 0, {}},
        {"\t \rA", 0, 0, {{'A', 48, 0}}},
        {"A\nBC", 2, 1, {{'A', 2, 1}, {'B', 2, 9}, {'C', 10, 9}}},
        {"\xC8"
         "A",
         0,
         0,
         {{'A', 8, 0}}},
        {"AB", -8, 0, {{'B', 0, 0}}},
        {"AB", -9, 0, {{'B', -1, 0}}},
        {"A\nB", 0, -9, {{'B', 0, -1}}},
        {"ABC",
         kWidth - 9,
         kHeight - 1,
         {{'A', kWidth - 9, kHeight - 1}, {'B', kWidth - 1, kHeight - 1}}},
    };
    for (const auto& c : cases) {
        PlainBitmap b(kWidth, kHeight, GetParam());
        PIX_StampString8x8(&b, c.x, c.y, c.text, kInk, 1.0f, PIX_CombineCopy);
        EXPECT_EQ(b.Pixels(), Expected(kWidth, kHeight, c.placed)) << '"' << c.text << '"';
        EXPECT_TRUE(b.GuardIntact());
    }
}

INSTANTIATE_TEST_SUITE_P(RowOrders, Font8x8Stamp, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "BottomUp" : "TopDown";
                         });

TEST(Font8x8Combine, InkPixelsTakeTheOperationOfTheMode)
{
    const struct {
        float alpha;
        PIX_CombineMode mode;
        uint32_t ink;
    } cases[] = {
        {0.5f, PIX_CombineCopy, 0x20406080},  // the average of background and colour
        {1.0f, PIX_CombineCopy, kInk},
        {1.0f, PIX_CombineCopy | PIX_CombineSourceAlpha, kInk},
        {1.0f, PIX_CombineAdd, 0x4080C0FF},
        {0.0f, PIX_CombineCopy, kBackground},
        {0.0f, PIX_CombineAdd, kBackground},
        {-0.5f, PIX_CombineCopy, kBackground},
        {1.0f, 6, kBackground},
        {1.0f, PIX_CombineSingleChannel, kBackground},
    };
    for (const auto& c : cases) {
        PlainBitmap b(8, 8, false);
        PIX_StampChar8x8(&b, 0, 0, 'A', kInk, c.alpha, c.mode);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                EXPECT_EQ(b.At(x, y), GlyphBit('A', x, y) ? c.ink : kBackground)
                    << "alpha " << c.alpha << " mode " << c.mode << " at " << x << ", " << y;
    }
}

TEST(Font8x8Combine, BadArgumentsDrawNothing)
{
    PlainBitmap b(8, 8, false);
    const std::vector<uint32_t> before = b.Pixels();
    PIX_StampChar8x8(&b, 0, 0, '\0', kInk, 1.0f, PIX_CombineCopy);
    PIX_StampChar8x8(&b, 0, 0, '\x80', kInk, 1.0f, PIX_CombineCopy);
    PIX_StampChar8x8(&b, 0, 0, '\xFF', kInk, 1.0f, PIX_CombineCopy);
    PIX_StampString8x8(&b, 0, 0, nullptr, kInk, 1.0f, PIX_CombineCopy);
    EXPECT_EQ(b.Pixels(), before);

    PIX_StampChar8x8(nullptr, 0, 0, 'A', kInk, 1.0f, PIX_CombineCopy);
    PIX_StampString8x8(nullptr, 0, 0, "A", kInk, 1.0f, PIX_CombineCopy);
    PlainBitmap empty(8, 8, false, true);
    PIX_StampChar8x8(&empty, 0, 0, 'A', kInk, 1.0f, PIX_CombineCopy);
    PIX_StampString8x8(&empty, 0, 0, "A", kInk, 1.0f, PIX_CombineCopy);
    EXPECT_TRUE(empty.GuardIntact());
}

}  // namespace
