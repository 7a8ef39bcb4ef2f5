#include "raster/pixel_ops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "raster/bitmap.h"
#include "raster/pixel.h"
#include "golden_image.h"
#include "raster_test_support.h"
#include "reference.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

using raster_test::Channel;
using raster_test::DigestOf;
using raster_test::GuardedBitmap;
using raster_test::Lcg;
using raster_test::MisreportedStride;
using raster_test::RefWordCombine;
using raster_test::TruncSaturated;
using raster_test::WriteGoldenIfRequested;

// Every operation, the source-alpha flag and filter bits (ignored here), and
// operation bytes that draw nothing.
const PIX_CombineMode kModes[] = {0,       1,       2,       3,       4,       5,
                                  6,       0xF1,    0xFF,    0x10000, 0x10001, 0x10002,
                                  0x10003, 0x10004, 0x10005, 0x100,   0x10101};

std::string Hex(uint32_t word)
{
    char text[12];
    std::snprintf(text, sizeof text, "%08X", unsigned(word));
    return text;
}

std::string BoxText(const PIX_Box& box)
{
    char text[64];
    std::snprintf(text, sizeof text, "{%d, %d, %d, %d}", box.left, box.top, box.right, box.bottom);
    return text;
}

// --- ASCII pictures: one symbol a pixel, rows from the top. ---

struct Symbol {
    char symbol;
    uint32_t word;
};
using Palette = std::vector<Symbol>;
using Picture = std::vector<const char*>;

constexpr uint32_t kWhite = 0xFFFFFFFF, kBlack = 0xFF000000, kFillColour = 0xFF2040E0;
const Palette kCommon = {{'.', kWhite}, {'#', kBlack}, {'x', kFillColour}};

uint32_t WordOf(char symbol, const Palette& palette)
{
    for (const Palette* p : {&palette, &kCommon})
        for (const Symbol& s : *p)
            if (s.symbol == symbol) return s.word;
    ADD_FAILURE() << "no colour for '" << symbol << "'";
    return 0;
}

GuardedBitmap FromPicture(const Picture& rows, const Palette& palette = {}, bool bottomUp = false)
{
    Lcg rng{1};
    const int width = int(std::string(rows[0]).size()), height = int(rows.size());
    GuardedBitmap bitmap(width, height, bottomUp, rng);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bitmap.At(x, y) = WordOf(rows[y][x], palette);
    return bitmap;
}

// The picture as its rows, a word without a symbol as <hex>.
std::string ToText(GuardedBitmap& bitmap, const Palette& palette)
{
    std::string text;
    for (int y = 0; y < bitmap.PixelHeight(); ++y) {
        for (int x = 0; x < bitmap.PixelWidth(); ++x) {
            const uint32_t word = bitmap.At(x, y);
            std::string symbol = "<" + Hex(word) + ">";
            for (const Palette* p : {&palette, &kCommon})
                for (const Symbol& s : *p)
                    if (s.word == word && symbol.size() > 1) symbol = std::string(1, s.symbol);
            text += symbol;
        }
        text += "\n";
    }
    return text;
}

std::string ToText(const Picture& rows)
{
    std::string text;
    for (const char* row : rows) text += std::string(row) + "\n";
    return text;
}

// --- The described cases, as one table. ---

struct PixelOpsCase {
    const char* name;
    Palette palette;
    Picture before;
    std::string (*run)(GuardedBitmap& bitmap);  // the result as text, or ""
    Picture after;
    std::string result;
    bool bottomUp = false;
};

std::string Compared(GuardedBitmap& a, GuardedBitmap& b)
{
    PIX_Box box = {9, 9, 9, 9};
    const int withBox = PIX_CompareBitmaps(&a, &b, &box);
    return std::to_string(withBox) + " " + BoxText(box) + ", " +
           std::to_string(PIX_CompareBitmaps(&a, &b, nullptr)) + ", " +
           std::to_string(PIX_CompareBitmaps(&b, &a, nullptr));
}

const Picture kLine = {".....#..", ".....#..", ".....#..", ".....#..", ".....#.."};
const Picture kU = {"#..###..#", "#..###..#", "#..###..#", "#..###..#",
                    "#.......#", "#.......#", "#########"};
const Picture kWhite4x4 = {"....", "....", "....", "...."};
const Picture kWhite10x10 = {"..........", "..........", "..........", "..........", "..........",
                             "..........", "..........", "..........", "..........", ".........."};

const PixelOpsCase kCases[] = {
    {"fill: every pixel becomes the colour, the padding stays",
     {{'a', 0x12345678}},
     {"a.#", "#a."},
     [](GuardedBitmap& b) {
         PIX_FillBitmap(&b, kFillColour);
         return std::string();
     },
     {"xxx", "xxx"},
     ""},
    {"scale 1, offset 0 keep every pixel",
     {{'a', 0x80123456}, {'b', 0x00FF7F01}},
     {"ab", "ba"},
     [](GuardedBitmap& b) {
         PIX_ScaleOffsetBox(&b, 0, 0, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0);
         return std::string();
     },
     {"ab", "ba"},
     ""},
    {"red scale 0.5: 255 becomes 127",
     {{'a', 0xFFFF0000}, {'b', 0xFF7F0000}},
     {"a"},
     [](GuardedBitmap& b) {
         PIX_ScaleOffsetBox(&b, 0, 0, 1, 1, 0.5f, 1, 1, 1, 0, 0, 0, 0);
         return std::string();
     },
     {"b"},
     ""},
    {"red offset -10: 5 becomes 0",
     {{'a', 0xFF05FF80}, {'b', 0xFF00FF80}},
     {"a"},
     [](GuardedBitmap& b) {
         PIX_ScaleOffsetBox(&b, 0, 0, 1, 1, 1, 1, 1, 1, -10, 0, 0, 0);
         return std::string();
     },
     {"b"},
     ""},
    {"AND 0x00FFFFFF, OR 0x80000000: alpha 128, colours kept",
     {{'a', 0xFF123456}, {'b', 0x80123456}, {'c', 0x00ABCDEF}, {'d', 0x80ABCDEF}},
     {"ac", "ca"},
     [](GuardedBitmap& b) {
         PIX_AndOrBox(&b, 0, 0, 2, 2, 0x00FFFFFF, 0x80000000);
         return std::string();
     },
     {"bd", "db"},
     ""},
    {"reads at (width, 0) and (-1, 0) give 0, at (1, 0) its pixel",
     {{'a', 0x00123456}},
     {"#a", "a#"},
     [](GuardedBitmap& b) {
         return Hex(PIX_ReadPixel(&b, 2, 0)) + " " + Hex(PIX_ReadPixel(&b, -1, 0)) + " " +
                Hex(PIX_ReadPixel(&b, 1, 0));
     },
     {"#a", "a#"},
     "00000000 00000000 00123456"},
    {"write at 1.0 in mode 0 stores the colour word",
     {{'a', 0x80808080}, {'b', 0x00FF0000}},
     {"aa"},
     [](GuardedBitmap& b) {
         PIX_WritePixel(&b, 0, 0, 0x00FF0000, 1.0f, 0);
         return std::string();
     },
     {"ba"},
     ""},
    {"write at 0.5 stores the half mix, not the copy formula (alpha C0)",
     {{'a', 0x80808080}, {'h', 0xBF40BF40}},
     {"aa"},
     [](GuardedBitmap& b) {
         PIX_WritePixel(&b, 1, 0, 0xFF00FF00, 0.5f, 0);
         return std::string();
     },
     {"ah"},
     ""},
    {"mode 0x10000 writes as mode 0: a transparent colour still lands",
     {{'a', 0x80808080}, {'b', 0x00123456}, {'h', 0x40495A6B}},
     {"aa"},
     [](GuardedBitmap& b) {
         PIX_WritePixel(&b, 0, 0, 0x00123456, 1.0f, PIX_CombineSourceAlpha);
         PIX_WritePixel(&b, 1, 0, 0x00123456, 0.5f, PIX_CombineSourceAlpha);
         return std::string();
     },
     {"bh"},
     ""},
    {"colour key 0x00FF00FF: magenta keyed, every other pixel opaque",
     {{'m', 0xFFFF00FF},
      {'k', 0x00FF00FF},
      {'a', 0x40123456},
      {'A', 0xFF123456},
      {'n', 0x00FF00FE},
      {'N', 0xFFFF00FE}},
     {"ma", "nm"},
     [](GuardedBitmap& b) {
         PIX_ColorKeyToAlpha(&b, 0x00FF00FF);
         return std::string();
     },
     {"kA", "Nk"},
     ""},
    {"colour key with an alpha byte matches nothing",
     {{'m', 0xFFFF00FF}, {'k', 0x00FF00FF}, {'a', 0x40123456}, {'A', 0xFF123456}},
     {"ma", "km"},
     [](GuardedBitmap& b) {
         PIX_ColorKeyToAlpha(&b, 0xFFFF00FF);
         return std::string();
     },
     {"mA", "mm"},
     ""},
    {"flood from (2, 2) beside a line: columns 0 to 4 of every row",
     {},
     kLine,
     [](GuardedBitmap& b) {
         PIX_FloodFillMasked(&b, 2, 2, kFillColour, 0xFFFFFFFF, 0);
         return std::string();
     },
     {"xxxxx#..", "xxxxx#..", "xxxxx#..", "xxxxx#..", "xxxxx#.."},
     ""},
    {"flood in the U's left arm: the bar fills across, the right arm stays",
     {},
     kU,
     [](GuardedBitmap& b) {
         PIX_FloodFillMasked(&b, 1, 2, kFillColour, 0xFFFFFFFF, 0);
         return std::string();
     },
     {"#xx###..#", "#xx###..#", "#xx###..#", "#xx###..#", "#xxxxxxx#", "#xxxxxxx#", "#########"},
     ""},
    {"flood masks: red compared, blue set, the rest kept",
     {{'a', 0xFF100000}, {'b', 0xFF1000AA}, {'c', 0xFF200000}, {'A', 0xFF1000FF}},
     {"abca"},
     [](GuardedBitmap& b) {
         PIX_FloodFillMasked(&b, 0, 0, 0x000000FF, 0x00FF0000, 0xFFFFFF00);
         return std::string();
     },
     {"AAca"},
     ""},
    {"flood on a bottom-up bitmap starts at memory row y",
     {},
     {"#", ".", "."},
     [](GuardedBitmap& b) {
         PIX_FloodFillMasked(&b, 0, 0, kFillColour, 0xFFFFFFFF, 0);
         return std::string();
     },
     {"#", "x", "x"},
     "",
     true},
    {"half-size of 5x5 into 10x10: the top-left 2x2 only, each quarter floored",
     {{'h', 0xFC808080}},
     kWhite10x10,
     [](GuardedBitmap& b) {
         GuardedBitmap src =
             FromPicture({"sssss", "sssss", "sssss", "sssss", "sssss"}, {{'s', 0xFF808080}});
         PIX_HalfSizeCopy(&b, &src);
         return std::string();
     },
     {"hh........", "hh........", "..........", "..........", "..........", "..........",
      "..........", "..........", "..........", ".........."},
     ""},
    {"equal 4x4: 0 and a zero box",
     {},
     kWhite4x4,
     [](GuardedBitmap& b) {
         GuardedBitmap other = b;
         return Compared(b, other);
     },
     kWhite4x4,
     "0 {0, 0, 0, 0}, 0, 0"},
    {"(1, 1) and (3, 2) changed: 1 and the box {1, 1, 3, 2}; rows by memcmp sign",
     {},
     kWhite4x4,
     [](GuardedBitmap& b) {
         GuardedBitmap other = b;
         other.At(1, 1) = kBlack;
         other.At(3, 2) = kBlack;
         return Compared(b, other);
     },
     kWhite4x4,
     "1 {1, 1, 3, 2}, 1, -1"},
    {"4x4 against 5x4: b's width - a's, whatever the pixels; the box untouched",
     {},
     kWhite4x4,
     [](GuardedBitmap& b) {
         GuardedBitmap wider = FromPicture({".....", ".....", ".....", "....."});
         return Compared(b, wider);
     },
     kWhite4x4,
     "1 {9, 9, 9, 9}, 1, -1"},
};

TEST(PixelOpsCases, DescribedCasesHold)
{
    for (const PixelOpsCase& c : kCases) {
        GuardedBitmap bitmap = FromPicture(c.before, c.palette, c.bottomUp);
        EXPECT_EQ(c.run(bitmap), c.result) << c.name;
        EXPECT_EQ(ToText(bitmap, c.palette), ToText(c.after)) << c.name;
        EXPECT_TRUE(bitmap.GuardIntact()) << c.name;
    }
}

// The column-through fill is iterative: a large bitmap of one colour fills
// completely without deep calls.
TEST(PixelOpsFloodFill, LargeBitmapOfOneColourFillsWholly)
{
    PIX_MemBitmap bitmap(2000, 2000, 4);
    PIX_FillBitmap(&bitmap, kWhite);
    PIX_FloodFillMasked(&bitmap, 1000, 1000, kFillColour, 0xFFFFFFFF, 0);
    const PIX_PackedColor* p = bitmap.PixelData();
    const int64_t count = std::count(p, p + int64_t(bitmap.RowStride()) * 2000, kFillColour);
    EXPECT_EQ(count, 2000 * 2000);
}

// --- The box operations against per-pixel references, every clip. ---

struct Rect {
    int x, y, width, height;
};

std::vector<Rect> RectanglesFor(int bw, int bh, Lcg* rng)
{
    std::vector<Rect> rects = {
        {1, 1, bw - 2, bh - 2},
        {-3, 1, 5, 2},
        {bw - 2, 0, 6, 2},
        {0, -2, 3, 4},
        {1, bh - 1, 2, 5},
        {-2, -3, bw + 5, bh + 6},
        {-1, -1, 1, 1},
        {bw, 0, 3, bh},
        {0, bh, bw, 2},
        {0, 0, 0, bh},
        {0, 0, bw, -4},
        {2, 1, INT_MAX, INT_MAX},
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
        {INT_MIN + 5, -1, INT_MAX, 3},
    };
    for (int i = 0; i < 6; ++i)
        rects.push_back({rng->Below(bw + 8) - 4, rng->Below(bh + 8) - 4, rng->Below(bw + 6),
                         rng->Below(bh + 6)});
    return rects;
}

bool Inside(int64_t px, int64_t py, const Rect& r)
{
    return px >= r.x && px < int64_t(r.x) + r.width && py >= r.y && py < int64_t(r.y) + r.height;
}

// c x scale + offset with both x 256 and truncated, divided by 256 rounding
// down; below 0 gives 0, above 255 gives 255.
uint32_t RefScaleOffset(uint32_t c, float scale, float offset)
{
    const int64_t sum = int64_t(c) * TruncSaturated(double(scale * 256.0f)) +
                        TruncSaturated(double(offset * 256.0f));
    if (sum < 0) return 0;
    return uint32_t(std::min<int64_t>(sum / 256, 255));
}

std::vector<PIX_PackedColor*> gVisits;
void RecordVisit(PIX_PackedColor* pixel, int param)
{
    gVisits.push_back(pixel);
    *pixel += uint32_t(param);
}

TEST(PixelOpsBoxes, MatchTheReferenceForEveryClip)
{
    const float factors[] = {1.0f,   0.5f,   -1.0f, 2.0f,  0.3f, 0.0f,
                             255.0f, -10.0f, 1e30f, -kInf, kNaN, 0.999f};
    Lcg rng{105};
    for (int shape = 0; shape < 5; ++shape) {
        const int bw = 1 + rng.Below(11), bh = 1 + rng.Below(7);
        for (bool bottomUp : {false, true}) {
            for (const Rect& r : RectanglesFor(bw, bh, &rng)) {
                const std::string where = std::to_string(bw) + "x" + std::to_string(bh) +
                                          (bottomUp ? " bottom-up" : "") + " rect " +
                                          std::to_string(r.x) + "," + std::to_string(r.y) + " " +
                                          std::to_string(r.width) + "x" + std::to_string(r.height);
                // Scale and offset.
                float scale[4], offset[4];
                for (int k = 0; k < 4; ++k) {
                    scale[k] = factors[rng.Below(12)];
                    offset[k] = rng.Below(3) ? rng.Range(-300.0f, 300.0f) : factors[rng.Below(12)];
                }
                GuardedBitmap b(bw, bh, bottomUp, rng);
                GuardedBitmap want = b;
                for (int y = 0; y < bh; ++y)
                    for (int x = 0; x < bw; ++x) {
                        if (!Inside(x, y, r)) continue;
                        // Bytes blue, green, red, alpha; the arguments red first.
                        const int argument[4] = {2, 1, 0, 3};
                        uint32_t word = 0;
                        for (int k = 0; k < 4; ++k)
                            word |= RefScaleOffset(Channel(b.At(x, y), k), scale[argument[k]],
                                                   offset[argument[k]])
                                    << (8 * k);
                        want.At(x, y) = word;
                    }
                PIX_ScaleOffsetBox(&b, r.x, r.y, r.width, r.height, scale[0], scale[1], scale[2],
                                   scale[3], offset[0], offset[1], offset[2], offset[3]);
                ASSERT_EQ(b.Words(), want.Words()) << "scale and offset, " << where;

                // AND and OR.
                const uint32_t andMask = rng.Next(), orValue = rng.Next() & rng.Next();
                for (int y = 0; y < bh; ++y)
                    for (int x = 0; x < bw; ++x)
                        if (Inside(x, y, r)) want.At(x, y) = (want.At(x, y) & andMask) | orValue;
                PIX_AndOrBox(&b, r.x, r.y, r.width, r.height, andMask, orValue);
                ASSERT_EQ(b.Words(), want.Words()) << "AND and OR, " << where;

                // Each pixel visited once, in memory order.
                std::vector<PIX_PackedColor*> order;
                for (int row = 0; row < bh; ++row)
                    for (int x = 0; x < bw; ++x)
                        if (Inside(x, bottomUp ? bh - 1 - row : row, r)) {
                            order.push_back(&b.Memory(x, row));
                            want.Memory(x, row) += 7;
                        }
                gVisits.clear();
                PIX_ForEachPixelInBox(&b, r.x, r.y, r.width, r.height, RecordVisit, 7);
                EXPECT_EQ(gVisits, order) << "visits, " << where;
                ASSERT_EQ(b.Words(), want.Words()) << "visits, " << where;
            }
        }
    }
}

// --- One-pixel writes against the reference combine. ---

TEST(PixelOpsWritePixel, MatchesTheReferenceInEveryModeAndWeight)
{
    const float alphas[] = {1.0f,  0.5f,  0.25f, 0.75f, 0.3f,  0.999f, 0.0f, 0.002f,
                            -0.2f, -1.0f, 1.3f,  2.0f,  1e30f, -1e30f, kNaN, kInf};
    Lcg rng{2105};
    for (bool bottomUp : {false, true}) {
        GuardedBitmap b(7, 5, bottomUp, rng);
        for (PIX_CombineMode mode : kModes)
            for (float alpha : alphas)
                for (int n = 0; n < 12; ++n) {
                    const int x = rng.Range(-2, 8), y = rng.Range(-2, 6);
                    const PIX_PackedColor colour = rng.Pixel();
                    const bool inside = x >= 0 && x < 7 && y >= 0 && y < 5;
                    GuardedBitmap want = b;
                    if (inside)
                        want.At(x, y) = RefWordCombine(want.At(x, y), colour, mode,
                                                       TruncSaturated(double(alpha * 256.0f)));
                    PIX_WritePixel(&b, x, y, colour, alpha, mode);
                    ASSERT_EQ(b.Words(), want.Words())
                        << bottomUp << " (" << x << ", " << y << ") mode " << std::hex << mode
                        << " colour " << colour << " alpha " << alpha;
                    ASSERT_EQ(PIX_ReadPixel(&b, x, y), inside ? b.At(x, y) : 0u);
                }
    }
}

// --- Half-size copy and comparison against references. ---

TEST(PixelOpsHalfSize, MatchesTheReferenceInMemoryRows)
{
    Lcg rng{55};
    for (int n = 0; n < 300; ++n) {
        const int sw = rng.Below(13), sh = rng.Below(11), dw = rng.Below(9), dh = rng.Below(7);
        GuardedBitmap src(sw, sh, rng.Below(2) == 1, rng);
        GuardedBitmap dest(dw, dh, rng.Below(2) == 1, rng);
        const GuardedBitmap srcBefore = src;
        GuardedBitmap want = dest;
        for (int j = 0; j < std::min(dh, sh / 2); ++j)
            for (int i = 0; i < std::min(dw, sw / 2); ++i) {
                uint32_t word = 0;
                for (int k = 0; k < 4; ++k) {
                    const uint32_t sum = Channel(src.Memory(2 * i, 2 * j), k) / 4 +
                                         Channel(src.Memory(2 * i + 1, 2 * j), k) / 4 +
                                         Channel(src.Memory(2 * i, 2 * j + 1), k) / 4 +
                                         Channel(src.Memory(2 * i + 1, 2 * j + 1), k) / 4;
                    word |= sum << (8 * k);
                }
                want.Memory(i, j) = word;
            }
        PIX_HalfSizeCopy(&dest, &src);
        ASSERT_EQ(dest.Words(), want.Words()) << sw << "x" << sh << " into " << dw << "x" << dh;
        ASSERT_EQ(src.Words(), srcBefore.Words());
    }
}

// The sign of the first differing byte, rows in picture order, bytes in
// memory order.
int RefCompareRows(GuardedBitmap& a, GuardedBitmap& b)
{
    for (int y = 0; y < a.PixelHeight(); ++y)
        for (int x = 0; x < a.PixelWidth(); ++x)
            for (int k = 0; k < 4; ++k)
                if (Channel(a.At(x, y), k) != Channel(b.At(x, y), k))
                    return Channel(a.At(x, y), k) < Channel(b.At(x, y), k) ? -1 : 1;
    return 0;
}

TEST(PixelOpsCompare, MatchesTheReferenceInEitherRowOrder)
{
    Lcg rng{77};
    for (int n = 0; n < 600; ++n) {
        const int w = rng.Below(9), h = rng.Below(7);
        GuardedBitmap a(w, h, rng.Below(2) == 1, rng);
        GuardedBitmap b(w, h, rng.Below(2) == 1, rng);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) b.At(x, y) = a.At(x, y);
        const int changes = w * h == 0 ? 0 : rng.Below(5);
        for (int i = 0; i < changes; ++i) b.At(rng.Below(w), rng.Below(h)) ^= 1u << rng.Below(32);

        int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (a.At(x, y) != b.At(x, y)) {
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
        const PIX_Box wantBox = right < 0 ? PIX_Box{0, 0, 0, 0}
                                          : PIX_Box{left, top, right - left + 1, bottom - top + 1};
        PIX_Box box = {-5, -5, -5, -5};
        EXPECT_EQ(PIX_CompareBitmaps(&a, &b, &box), right < 0 ? 0 : 1) << n;
        EXPECT_EQ(BoxText(box), BoxText(wantBox)) << n;
        EXPECT_EQ(PIX_CompareBitmaps(&a, &b, nullptr), RefCompareRows(a, b)) << n;
        EXPECT_EQ(PIX_CompareBitmaps(&b, &a, nullptr), RefCompareRows(b, a)) << n;
    }
}

// --- Missing pixels, broken strides, missing bitmaps. ---

void CallEveryOperation(PIX_IBitmap* bitmap, PIX_IBitmap* other)
{
    PIX_FillBitmap(bitmap, kWhite);
    PIX_ScaleOffsetBox(bitmap, 0, 0, 4, 4, 2, 2, 2, 2, 9, 9, 9, 9);
    PIX_ForEachPixelInBox(bitmap, 0, 0, 4, 4, RecordVisit, 1);
    PIX_AndOrBox(bitmap, 0, 0, 4, 4, 0, 0x12345678);
    EXPECT_EQ(PIX_ReadPixel(bitmap, 1, 1), 0u);
    PIX_WritePixel(bitmap, 1, 1, kWhite, 1.0f, 0);
    PIX_ColorKeyToAlpha(bitmap, 0);
    PIX_FloodFillMasked(bitmap, 1, 1, kWhite, 0, 0);
    PIX_HalfSizeCopy(bitmap, other);
    PIX_HalfSizeCopy(other, bitmap);
}

TEST(PixelOpsNull, MissingPixelsAndBrokenStridesChangeNothing)
{
    Lcg rng{9};
    GuardedBitmap good(8, 8, false, rng);
    const GuardedBitmap goodBefore = good;
    GuardedBitmap noPixels(4, 4, false, rng, true);
    MisreportedStride zeroStride(GuardedBitmap(4, 4, false, rng), 0);
    MisreportedStride negativeStride(GuardedBitmap(4, 4, true, rng), -4);
    gVisits.clear();
    CallEveryOperation(nullptr, &good);
    for (GuardedBitmap* broken : {&noPixels, static_cast<GuardedBitmap*>(&zeroStride),
                                  static_cast<GuardedBitmap*>(&negativeStride)}) {
        const std::vector<uint32_t> before = broken->Words();
        CallEveryOperation(broken, &good);
        EXPECT_EQ(broken->Words(), before);
    }
    EXPECT_TRUE(gVisits.empty());
    EXPECT_EQ(good.Words(), goodBefore.Words());

    // Without pixels a bitmap compares as a null one, the box untouched.
    GuardedBitmap same(4, 4, false, rng);
    GuardedBitmap noPixels2(4, 4, false, rng, true);
    PIX_Box box = {9, 9, 9, 9};
    EXPECT_EQ(PIX_CompareBitmaps(&noPixels, &same, &box), -1);
    EXPECT_EQ(PIX_CompareBitmaps(&same, &noPixels, &box), 1);
    EXPECT_EQ(PIX_CompareBitmaps(&noPixels, &noPixels2, &box), 0);
    EXPECT_EQ(PIX_CompareBitmaps(&zeroStride, &same, nullptr), -1);
    EXPECT_EQ(BoxText(box), "{9, 9, 9, 9}");
    EXPECT_EQ(PIX_CompareBitmaps(nullptr, &same, &box), -1);
    EXPECT_EQ(PIX_CompareBitmaps(&same, nullptr, &box), 1);
    EXPECT_EQ(PIX_CompareBitmaps(nullptr, nullptr, &box), 0);
    EXPECT_EQ(BoxText(box), "{9, 9, 9, 9}");
    // An empty picture has nothing to differ.
    GuardedBitmap empty(0, 3, false, rng, true), empty2(0, 3, true, rng);
    EXPECT_EQ(PIX_CompareBitmaps(&empty, &empty2, &box), 0);
    EXPECT_EQ(BoxText(box), "{0, 0, 0, 0}");
}

// --- Guard-band fuzz: every operation with wild arguments. ---

int FuzzCoordinate(Lcg& rng, int limit)
{
    const int far[] = {INT_MIN, INT_MIN + 1, -100000, 100000, INT_MAX - 1, INT_MAX};
    return rng.Below(4) ? rng.Range(-3, limit + 3) : far[rng.Below(6)];
}

int FuzzSize(Lcg& rng, int limit)
{
    const int odd[] = {0, -1, -7, INT_MIN, INT_MAX, INT_MAX - 2};
    return rng.Below(3) ? rng.Range(0, limit + 6) : odd[rng.Below(6)];
}

float FuzzFloat(Lcg& rng)
{
    const float odd[] = {kNaN, kInf, -kInf, 1e30f, -1e30f, 0.0f,   -0.0f,
                         1.0f, 0.5f, 0.25f, 0.75f, 1e-30f, 300.0f, -300.0f};
    return rng.Below(3) ? rng.Range(-3.0f, 3.0f) : odd[rng.Below(14)];
}

void Scramble(PIX_PackedColor* pixel, int param)
{
    *pixel = *pixel * 2654435761u ^ uint32_t(param);
}

TEST(PixelOpsFuzz, WildArgumentsKeepTheGuardBand)
{
    Lcg rng{31337};
    for (int n = 0; n < 20000; ++n) {
        const int w = rng.Below(13), h = rng.Below(10);
        GuardedBitmap b(w, h, rng.Below(2) == 1, rng);
        GuardedBitmap other(rng.Below(26), rng.Below(20), rng.Below(2) == 1, rng);
        if (rng.Below(4) == 0)
            for (int y = 0; y < std::min(h, other.PixelHeight()); ++y)
                for (int x = 0; x < std::min(w, other.PixelWidth()); ++x)
                    other.At(x, y) = b.At(x, y);
        const int op = rng.Below(10);
        const int x = FuzzCoordinate(rng, w), y = FuzzCoordinate(rng, h);
        const int bw = FuzzSize(rng, w), bh = FuzzSize(rng, h);
        PIX_Box box;
        switch (op) {
            case 0:
                PIX_FillBitmap(&b, rng.Next());
                break;
            case 1:
                PIX_ScaleOffsetBox(&b, x, y, bw, bh, FuzzFloat(rng), FuzzFloat(rng), FuzzFloat(rng),
                                   FuzzFloat(rng), FuzzFloat(rng) * 100, FuzzFloat(rng) * 100,
                                   FuzzFloat(rng) * 100, FuzzFloat(rng) * 100);
                break;
            case 2:
                PIX_ForEachPixelInBox(&b, x, y, bw, bh, Scramble, int(rng.Next()));
                break;
            case 3:
                PIX_AndOrBox(&b, x, y, bw, bh, rng.Next(), rng.Next());
                break;
            case 4:
                (void)PIX_ReadPixel(&b, x, y);
                break;
            case 5:
                PIX_WritePixel(&b, x, y, rng.Pixel(), FuzzFloat(rng),
                               rng.Below(2) ? kModes[rng.Below(17)] : rng.Next());
                break;
            case 6:
                PIX_ColorKeyToAlpha(&b, rng.Below(2) ? b.At(0, 0) & 0xFFFFFF : rng.Next());
                break;
            case 7:
                PIX_FloodFillMasked(&b, x, y, rng.Next(), rng.Next() & rng.Next(), rng.Next());
                break;
            case 8:
                if (rng.Below(2))
                    PIX_HalfSizeCopy(&b, &other);
                else
                    PIX_HalfSizeCopy(&other, &b);
                break;
            case 9:
                (void)PIX_CompareBitmaps(&b, &other, rng.Below(2) ? &box : nullptr);
                break;
        }
        ASSERT_TRUE(b.GuardIntact() && other.GuardIntact()) << "call " << n << " op " << op;
    }
}

// --- The golden sheet, pinned by digest. ---

// Writes a panel into the sheet at (x, y) pixel by pixel, opaque, or at its
// own alpha.
void Paste(GuardedBitmap& sheet, PIX_IBitmap& panel, int x, int y, bool byAlpha)
{
    for (int j = 0; j < panel.PixelHeight(); ++j)
        for (int i = 0; i < panel.PixelWidth(); ++i) {
            const PIX_PackedColor c = PIX_ReadPixel(&panel, i, j);
            PIX_WritePixel(&sheet, x + i, y + j, c | 0xFF000000u,
                           byAlpha ? float(c >> 24) / 255.0f : 1.0f, PIX_CombineCopy);
        }
}

// Red rising to the right, green down.
void Ramp(PIX_IBitmap* bitmap, int x, int y, int width, int height)
{
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i)
            PIX_WritePixel(bitmap, x + i, y + j,
                           0xFF000040u | uint32_t(i * 255 / (width - 1)) << 16 |
                               uint32_t(j * 255 / (height - 1)) << 8,
                           1.0f, PIX_CombineCopy);
}

void SwapRedBlue(PIX_PackedColor* pixel, int)
{
    const uint32_t c = *pixel;
    *pixel = (c & 0xFF00FF00u) | (c >> 16 & 0xFF) | (c & 0xFF) << 16;
}

TEST(PixelOpsGolden, SheetKeepsItsDigest)
{
    Lcg rng{0};
    GuardedBitmap sheet(256, 160, false, rng);
    PIX_FillBitmap(&sheet, 0xFF202830);

    // Left: one row of 16x16 blocks per mode, one column per alpha, each
    // written pixel by pixel over a checkerboard.
    const PIX_CombineMode modes[] = {0, 1, 2, 3, 4, 5, PIX_CombineSourceAlpha};
    const float alphas[] = {1.0f, 0.75f, 0.5f, 0.25f, 0.3f};
    for (int row = 0; row < 7; ++row)
        for (int column = 0; column < 5; ++column)
            for (int j = 0; j < 16; ++j)
                for (int i = 0; i < 16; ++i) {
                    const int x = 4 + column * 18 + i, y = 4 + row * 18 + j;
                    PIX_WritePixel(&sheet, x, y, (i / 4 + j / 4) % 2 ? 0xFF4080C0 : 0xFFC08040,
                                   1.0f, 0);
                    PIX_WritePixel(&sheet, x, y,
                                   0x80000080u | uint32_t(i * 16) << 16 | uint32_t(j * 16) << 8,
                                   alphas[column], modes[row]);
                }

    // Scale and offset: brighter, inverted, red halved.
    Ramp(&sheet, 100, 4, 72, 40);
    PIX_ScaleOffsetBox(&sheet, 100, 4, 24, 40, 1.5f, 1.5f, 1.5f, 1, 20, 20, 20, 0);
    PIX_ScaleOffsetBox(&sheet, 124, 4, 24, 40, -1, -1, -1, 1, 255, 255, 255, 0);
    PIX_ScaleOffsetBox(&sheet, 148, 4, 24, 40, 0.5f, 1, 1, 1, 0, 0, 0, 0);
    // AND, OR and a callback: green masked out, blue set, red and blue swapped.
    Ramp(&sheet, 180, 4, 72, 40);
    PIX_AndOrBox(&sheet, 180, 4, 24, 40, 0xFFFF00FF, 0);
    PIX_AndOrBox(&sheet, 204, 4, 24, 40, 0xFFFFFFFF, 0x000000FF);
    PIX_ForEachPixelInBox(&sheet, 228, 4, 24, 40, SwapRedBlue, 0);

    // Column-through fills of a U and beside a line.
    GuardedBitmap fills(72, 36, false, rng);
    PIX_FillBitmap(&fills, kWhite);
    PIX_AndOrBox(&fills, 4, 4, 3, 28, 0, kBlack);    // U: left wall
    PIX_AndOrBox(&fills, 30, 4, 3, 28, 0, kBlack);   // right wall
    PIX_AndOrBox(&fills, 4, 29, 29, 3, 0, kBlack);   // bottom
    PIX_AndOrBox(&fills, 13, 0, 11, 22, 0, kBlack);  // the block between the arms
    PIX_AndOrBox(&fills, 50, 0, 2, 36, 0, kBlack);   // the line
    PIX_FloodFillMasked(&fills, 9, 10, kFillColour, 0xFFFFFFFF, 0);
    PIX_FloodFillMasked(&fills, 60, 20, 0xFF40C040, 0xFFFFFFFF, 0);
    Paste(sheet, fills, 100, 52, false);

    // A colour-keyed panel over stripes: magenta turns transparent.
    GuardedBitmap keyed(72, 36, false, rng);
    PIX_FillBitmap(&keyed, 0xFFFF00FF);
    PIX_AndOrBox(&keyed, 8, 6, 20, 24, 0, 0x80E0E040);
    PIX_AndOrBox(&keyed, 40, 10, 24, 16, 0, 0x4040E0E0);
    PIX_ColorKeyToAlpha(&keyed, 0x00FF00FF);
    for (int j = 0; j < 36; ++j)
        for (int i = 0; i < 72; ++i)
            PIX_WritePixel(&sheet, 180 + i, 52 + j, (i + j) / 6 % 2 ? 0xFF606060 : 0xFFA0A0A0, 1.0f,
                           0);
    Paste(sheet, keyed, 180, 52, true);

    // Rings, and their half-size copy beside them.
    GuardedBitmap rings(64, 64, false, rng);
    for (int j = 0; j < 64; ++j)
        for (int i = 0; i < 64; ++i) {
            const int radius = int(std::sqrt(double((i - 32) * (i - 32) + (j - 32) * (j - 32))));
            PIX_WritePixel(&rings, i, j, radius / 5 % 2 ? 0xFFF0F0F0 : 0xFF2040A0, 1.0f, 0);
        }
    GuardedBitmap half(32, 32, false, rng);
    PIX_HalfSizeCopy(&half, &rings);
    Paste(sheet, rings, 100, 92, false);
    Paste(sheet, half, 170, 92, false);

    // A diagonal of pixels in every mode running off the right edge.
    for (int i = 0; i < 80; ++i)
        PIX_WritePixel(&sheet, 210 + i, 92 + i / 2, 0xFFFFC040, 0.75f, PIX_CombineMode(i % 6));

    ASSERT_TRUE(sheet.GuardIntact());
    WriteGoldenIfRequested(sheet, "pixel_ops");
    EXPECT_EQ(DigestOf(sheet.Words()), 0x60bdd4eaf9534469ull)
        << std::hex << DigestOf(sheet.Words());
}

}  // namespace
