#include "raster/polygon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "raster/bitmap.h"
#include "raster/pixel.h"
#include "raster/polygon_kernels.h"
#include "golden_image.h"
#include "raster_test_support.h"

namespace {

using raster_test::DigestOf;
using raster_test::Filled;
using raster_test::GuardedBitmap;
using raster_test::Lcg;
using raster_test::RefWordCombine;
using raster_test::TruncSaturated;
using raster_test::WriteGoldenIfRequested;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Every operation, the source-alpha flag (ignored), a filter bit and
// operations that draw nothing.
const PIX_CombineMode kModes[] = {0, 1, 2, 3, 4, 5, 6, 0xFF, 0x10000, 0x10001, 0x10005, 0x100};

// The word forms' weights, general ones, zero, negative, above one.
const float kAlphas[] = {1.0f, 0.5f, 0.25f, 0.75f, 0.2f, 0.9f, 0.0f, -0.5f, 1.5f};

const uint32_t kWhite = 0xFFFFFFFFu;

// ---- References, from the definitions ----

int64_t WeightOf(float alpha)
{
    return TruncSaturated(double(alpha * 256.0f));
}

// Which pixels of each memory row a fill covers: columns from..to inclusive.
struct RowSpan {
    int64_t from = 1, to = 0;  // empty
};
using Coverage = std::map<int64_t, RowSpan>;

// The band's edge: x = top + direction x floor(k x step / 65536) on the k-th
// row, step = 65536 / (yb - ya) x (bottom - top) held within +-2^29.
struct RefEdge {
    int64_t top, step, direction;
    int64_t At(int64_t k) const { return top + direction * (k * step / 65536); }
};

RefEdge EdgeOf(int64_t top, int64_t bottom, int64_t ya, int64_t yb)
{
    if (ya == yb) return {top, 0, 1};
    double s = 65536.0 / double(yb - ya) * double(bottom - top);
    s = std::max(-536870912.0, std::min(536870912.0, s));
    const int64_t step = int64_t(s);
    return {top, step < 0 ? -step : step, step < 0 ? -1 : 1};
}

void AddBand(Coverage* coverage, int64_t xa, int64_t xb, int64_t ya, int64_t xd, int64_t xe,
             int64_t yb, int height)
{
    if (ya > yb) std::swap(ya, yb), std::swap(xa, xd), std::swap(xb, xe);
    if (xa > xb) std::swap(xa, xb);
    if (xd > xe) std::swap(xd, xe);
    const RefEdge left = EdgeOf(xa, xd, ya, yb), right = EdgeOf(xb, xe, ya, yb);
    for (int64_t r = std::max<int64_t>(ya, 0); r <= std::min<int64_t>(yb, height - 1); ++r)
        (*coverage)[r] = {left.At(r - ya), right.At(r - ya)};
}

// The x of a polygon edge from u down to l at row r.
int64_t EdgeX(const PIX_Corner& u, const PIX_Corner& l, int64_t r)
{
    if (r <= u.y) return u.x;
    if (r >= l.y) return l.x;
    const float slope = float(l.x - u.x) / float(l.y - u.y);
    return u.x + int64_t(std::trunc(slope * float(r - u.y)));
}

// One side of the hull, top to bottom, without collinear corners: the
// extreme corner of each row, kept where the chain turns strictly outward.
std::vector<PIX_Corner> Chain(const std::vector<PIX_Corner>& corners, int side)
{
    std::map<int, int> extreme;
    for (const PIX_Corner& c : corners) {
        auto it = extreme.find(c.y);
        if (it == extreme.end())
            extreme[c.y] = c.x;
        else
            it->second = side < 0 ? std::min(it->second, c.x) : std::max(it->second, c.x);
    }
    std::vector<PIX_Corner> chain;
    for (const auto& [y, x] : extreme) {
        const PIX_Corner c{x, y};
        while (chain.size() >= 2) {
            const PIX_Corner o = chain[chain.size() - 2], a = chain.back();
            const int64_t before = (int64_t(a.x) - o.x) * (int64_t(c.y) - a.y);
            const int64_t after = (int64_t(c.x) - a.x) * (int64_t(a.y) - o.y);
            if (side < 0 ? before < after : before > after) break;
            chain.pop_back();
        }
        chain.push_back(c);
    }
    return chain;
}

// The edge of a chain that spans a band ending on row e: from the corner
// before the first one at or below e.
std::pair<PIX_Corner, PIX_Corner> EdgeAbove(const std::vector<PIX_Corner>& chain, int64_t e)
{
    size_t i = 0;
    while (chain[i].y < e) ++i;
    return {chain[i == 0 ? 0 : i - 1], chain[i]};
}

// The convex hull of the corners (memory rows) cut into bands at the rows of
// its chains' corners, each band from the edges' x at its first and last row.
Coverage PolygonCoverage(const std::vector<PIX_Corner>& corners, int height)
{
    Coverage coverage;
    const std::vector<PIX_Corner> left = Chain(corners, -1), right = Chain(corners, 1);
    std::vector<int64_t> rows;
    for (const auto* chain : {&left, &right})
        for (const PIX_Corner& c : *chain) rows.push_back(c.y);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.size() == 1) {
        if (rows[0] >= 0 && rows[0] < height) coverage[rows[0]] = {left[0].x, right[0].x};
        return coverage;
    }
    for (size_t i = 1; i < rows.size(); ++i) {
        const int64_t y = i == 1 ? rows[0] : rows[i - 1] + 1, e = rows[i];
        const auto l = EdgeAbove(left, e), r = EdgeAbove(right, e);
        AddBand(&coverage, EdgeX(l.first, l.second, y), EdgeX(r.first, r.second, y), y,
                EdgeX(l.first, l.second, e), EdgeX(r.first, r.second, e), e, height);
    }
    return coverage;
}

// The corners in memory rows of the bitmap.
std::vector<PIX_Corner> MemoryCorners(const std::vector<PIX_Corner>& corners,
                                      const GuardedBitmap& bitmap)
{
    std::vector<PIX_Corner> out = corners;
    if (bitmap.IsBottomUp())
        for (PIX_Corner& c : out) c.y = bitmap.PixelHeight() - 1 - c.y;
    return out;
}

// The bitmap's memory words after combining colour into every covered pixel.
std::vector<uint32_t> Expected(GuardedBitmap bitmap, const Coverage& coverage,
                               PIX_PackedColor colour, float alpha, PIX_CombineMode mode)
{
    for (const auto& [row, span] : coverage)
        for (int64_t x = std::max<int64_t>(span.from, 0);
             x <= std::min<int64_t>(span.to, bitmap.PixelWidth() - 1); ++x) {
            uint32_t& word = bitmap.Memory(int(x), int(row));
            word = RefWordCombine(word, colour, mode, WeightOf(alpha));
        }
    return bitmap.Words();
}

void FillPolygon(PIX_IBitmap* bitmap, const std::vector<PIX_Corner>& corners,
                 PIX_PackedColor colour, float alpha, PIX_CombineMode mode)
{
    std::vector<int> xs, ys;
    for (const PIX_Corner& c : corners) xs.push_back(c.x), ys.push_back(c.y);
    PIX_FillConvexShape(bitmap, xs.data(), ys.data(), int(corners.size()), colour, alpha, mode);
}

std::string Describe(const std::vector<PIX_Corner>& corners)
{
    std::string text;
    for (const PIX_Corner& c : corners)
        text += "(" + std::to_string(c.x) + "," + std::to_string(c.y) + ")";
    return text;
}

// A coordinate mostly near the bitmap, now and then far outside it.
int Coordinate(Lcg& rng, int size)
{
    if (rng.Below(12) == 0) return rng.Range(-100000, 100000);
    return rng.Range(-size, 2 * size);
}

std::vector<PIX_Corner> RandomCorners(Lcg& rng, int width, int height)
{
    std::vector<PIX_Corner> corners(size_t(3 + rng.Below(8)));
    for (PIX_Corner& c : corners) c = {Coordinate(rng, width), Coordinate(rng, height)};
    if (rng.Below(4) == 0) corners[1].y = corners[0].y;  // a flat top or side
    if (rng.Below(6) == 0) corners[2] = corners[0];      // a repeated corner
    if (rng.Below(8) == 0)
        for (PIX_Corner& c : corners) c.y = corners[0].y;  // one row
    return corners;
}

// ---- Bands ----

struct Band {
    const char* name;
    int xa, xb, ya, xd, xe, yb;
};

TEST(PolygonBand, EachRowFollowsTheEdgeFormula)
{
    const Band named[] = {
        {"one row, clipped", -3, 30, 4, 0, 0, 4},
        {"rows given bottom first", 12, 2, 9, 5, 6, 1},
        {"spans given right to left", 9, 1, 0, 3, 2, 11},
        {"edges jumping several pixels a row", 0, 1, 0, 40, 60, 3},
        {"steps held at 2^29", -90000, 90000, 5, 9, 10, 6},
        {"wide edge far above the top: |ya| x step past 2^31", -70000, -69000, -60000, 5, 12, 10},
        {"right edge from far right, above the top", 3, 80000, -50000, 4, 9, 12},
        {"both left ends outside, right edge slanted", -40, 2, -3, -5, 14, 20},
        {"whole width, from above to below", -5, 40, -7, -9, 50, 30},
        {"left of the bitmap", -9, -1, 0, -20, -1, 10},
        {"right of the bitmap", 16, 20, 0, 25, 30, 10},
        {"below the bitmap", 0, 5, 14, 0, 5, 20},
        {"above the bitmap", 0, 5, -20, 0, 5, -1},
        {"far rows", 0, 15, INT_MIN, 3, 9, INT_MAX},
    };
    std::vector<Band> bands(std::begin(named), std::end(named));
    Lcg rng{17};
    for (int i = 0; i < 300; ++i)
        bands.push_back({"random", Coordinate(rng, 16), Coordinate(rng, 16), Coordinate(rng, 12),
                         Coordinate(rng, 16), Coordinate(rng, 16), Coordinate(rng, 12)});
    for (const Band& band : bands) {
        for (bool bottomUp : {false, true}) {
            const PIX_CombineMode mode = kModes[rng.Below(int(std::size(kModes)))];
            const float alpha = kAlphas[rng.Below(int(std::size(kAlphas)))];
            const PIX_PackedColor colour = rng.Pixel();
            GuardedBitmap bitmap(16, 12, bottomUp, rng);
            Coverage coverage;
            AddBand(&coverage, band.xa, band.xb, band.ya, band.xd, band.xe, band.yb, 12);
            const std::vector<uint32_t> expected = Expected(bitmap, coverage, colour, alpha, mode);
            PIX_FillTriangleSpans(&bitmap, band.xa, band.xb, band.ya, band.xd, band.xe, band.yb,
                                  colour, alpha, mode);
            ASSERT_EQ(bitmap.Words(), expected)
                << band.name << ": " << band.xa << " " << band.xb << " " << band.ya << " "
                << band.xd << " " << band.xe << " " << band.yb << " mode " << std::hex << mode
                << " alpha " << alpha;
        }
    }
}

// ---- Polygons and triangles ----

void ExpectHullFill(const std::vector<PIX_Corner>& corners, int width, int height, bool bottomUp,
                    PIX_PackedColor colour, float alpha, PIX_CombineMode mode, const char* name)
{
    Lcg rng{uint32_t(corners.size())};
    GuardedBitmap bitmap(width, height, bottomUp, rng);
    const std::vector<uint32_t> expected = Expected(
        bitmap, PolygonCoverage(MemoryCorners(corners, bitmap), height), colour, alpha, mode);
    FillPolygon(&bitmap, corners, colour, alpha, mode);
    ASSERT_EQ(bitmap.Words(), expected)
        << name << ": " << Describe(corners) << " in " << width << "x" << height
        << (bottomUp ? " bottom-up" : "") << " mode " << std::hex << mode << " alpha " << alpha;
}

TEST(PolygonShape, EachRowFollowsTheBandsOfTheHull)
{
    const struct {
        const char* name;
        std::vector<PIX_Corner> corners;
    } named[] = {
        {"edge x in single precision: the band from row 14 starts at column 5, double gives 4",
         {{-183495, -183173}, {30, 13}, {10, 19}}},
        {"a corner on an edge is passed over: row 7 ends at column 4, not 3",
         {{0, 0}, {3, 5}, {6, 10}, {0, 10}}},
        {"a flat top of three corners", {{2, 1}, {5, 1}, {9, 1}, {12, 9}, {1, 6}}},
        {"a corner inside the others: their hull", {{0, 0}, {10, 2}, {3, 3}, {8, 10}}},
    };
    for (const auto& c : named)
        for (bool bottomUp : {false, true})
            ExpectHullFill(c.corners, 40, 24, bottomUp, kWhite, 1.0f, PIX_CombineCopy, c.name);
    Lcg rng{29};
    for (int i = 0; i < 1500; ++i) {
        const int width = 1 + rng.Below(24), height = 1 + rng.Below(20);
        const bool bottomUp = rng.Below(2) == 1;
        const std::vector<PIX_Corner> corners = RandomCorners(rng, width, height);
        const PIX_CombineMode mode = kModes[rng.Below(int(std::size(kModes)))];
        const float alpha = kAlphas[rng.Below(int(std::size(kAlphas)))];
        ExpectHullFill(corners, width, height, bottomUp, rng.Pixel(), alpha, mode, "random");
    }
}

TEST(PolygonShape, AnyCornerOrderFillsTheSamePixels)
{
    Lcg rng{31};
    for (int i = 0; i < 300; ++i) {
        std::vector<PIX_Corner> corners = RandomCorners(rng, 20, 16);
        GuardedBitmap first(20, 16, false, rng);
        const GuardedBitmap blank = first;
        FillPolygon(&first, corners, 0xFF20A0E0u, 0.6f, PIX_CombineCopy);
        for (int order = 0; order < 4; ++order) {
            for (size_t k = corners.size() - 1; k > 0; --k)
                std::swap(corners[k], corners[size_t(rng.Below(int(k) + 1))]);
            GuardedBitmap again = blank;
            FillPolygon(&again, corners, 0xFF20A0E0u, 0.6f, PIX_CombineCopy);
            ASSERT_EQ(again.Words(), first.Words()) << Describe(corners);
        }
    }
    // Every order of a triangle's corners.
    int p[3][2] = {{1, 2}, {13, 5}, {4, 14}};
    GuardedBitmap first(16, 16, false, rng);
    const GuardedBitmap blank = first;
    PIX_FillTriangleShape(&first, p[0][0], p[0][1], p[1][0], p[1][1], p[2][0], p[2][1], 0xFFFFFFFFu,
                          1.0f, PIX_CombineCopy);
    int order[3] = {0, 1, 2};
    while (std::next_permutation(order, order + 3)) {
        GuardedBitmap again = blank;
        PIX_FillTriangleShape(&again, p[order[0]][0], p[order[0]][1], p[order[1]][0],
                              p[order[1]][1], p[order[2]][0], p[order[2]][1], 0xFFFFFFFFu, 1.0f,
                              PIX_CombineCopy);
        EXPECT_EQ(again.Words(), first.Words()) << order[0] << order[1] << order[2];
    }
}

TEST(PolygonShape, CornersPastTheStackArrayFillAsBefore)
{
    // 512 corners of a ring, and the same ring with one corner repeated: 513
    // corners move to the heap and fill the same pixels.
    std::vector<PIX_Corner> ring;
    for (int i = 0; i < 512; ++i) {
        const double angle = 2.0 * 3.14159265358979 * i / 512;
        ring.push_back({int(std::lround(30 + 27 * std::cos(angle))),
                        int(std::lround(24 + 21 * std::sin(angle)))});
    }
    Lcg rng{37};
    GuardedBitmap stack(60, 48, false, rng);
    GuardedBitmap heap = stack;
    const std::vector<uint32_t> expected =
        Expected(stack, PolygonCoverage(ring, 48), 0xFF8040C0u, 1.0f, PIX_CombineAdd);
    FillPolygon(&stack, ring, 0xFF8040C0u, 1.0f, PIX_CombineAdd);
    ring.push_back(ring[100]);
    FillPolygon(&heap, ring, 0xFF8040C0u, 1.0f, PIX_CombineAdd);
    EXPECT_EQ(stack.Words(), expected);
    EXPECT_EQ(heap.Words(), stack.Words());
}

// An Add of 1 per channel over a black bitmap counts how often each pixel is
// combined.
TEST(PolygonShape, CombinesEveryPixelExactlyOnce)
{
    Lcg rng{41};
    for (int i = 0; i < 600; ++i) {
        const int width = 1 + rng.Below(30), height = 1 + rng.Below(30);
        GuardedBitmap bitmap(width, height, rng.Below(2) == 1, rng);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) bitmap.At(x, y) = 0;
        std::vector<PIX_Corner> corners = RandomCorners(rng, width, height);
        if (i % 3 == 0) corners.resize(3);
        FillPolygon(&bitmap, corners, 0x01010101u, 1.0f, PIX_CombineAdd);
        const Coverage coverage = PolygonCoverage(MemoryCorners(corners, bitmap), height);
        for (int row = 0; row < height; ++row)
            for (int x = 0; x < width; ++x) {
                const auto span = coverage.find(row);
                const bool covered =
                    span != coverage.end() && x >= span->second.from && x <= span->second.to;
                ASSERT_EQ(bitmap.Memory(x, row), covered ? 0x01010101u : 0u)
                    << Describe(corners) << " at " << x << ", memory row " << row;
            }
        ASSERT_TRUE(bitmap.GuardIntact());
    }
}

// ---- Worked cases, as pictures ----

// A black bitmap after draw, as rows of the picture, top first: per pixel
// '.' when unchanged, the digit of its low byte when below 10 (an Add of 1
// counts the combines), '#' otherwise.
std::vector<std::string> Picture(int width, int height, bool bottomUp,
                                 const std::function<void(PIX_IBitmap*)>& draw)
{
    GuardedBitmap bitmap = Filled(width, height, bottomUp);
    draw(&bitmap);
    EXPECT_TRUE(bitmap.GuardIntact());
    std::vector<std::string> rows;
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            const uint32_t n = bitmap.At(x, y) & 0xFF;
            row += n == 0 ? '.' : n < 10 ? char('0' + n) : '#';
        }
        rows.push_back(row);
    }
    return rows;
}

struct PictureCase {
    const char* name;
    std::function<void(PIX_IBitmap*)> draw;
    std::vector<std::string> picture;
    // Edges only along rows, columns and diagonals: a bottom-up bitmap shows
    // the same picture (slanted edges round from the corner nearer the top
    // of memory, and bands address memory rows).
    bool sameBottomUp;
};

void ExpectPictures(const PictureCase* cases, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const PictureCase& c = cases[i];
        const int width = int(c.picture[0].size()), height = int(c.picture.size());
        EXPECT_EQ(Picture(width, height, false, c.draw), c.picture) << c.name;
        if (c.sameBottomUp) {
            EXPECT_EQ(Picture(width, height, true, c.draw), c.picture) << c.name << ", bottom-up";
        }
    }
}

void Fill(PIX_IBitmap* b, int x1, int y1, int x2, int y2, int x3, int y3)
{
    PIX_FillTriangleShape(b, x1, y1, x2, y2, x3, y3, kWhite, 1.0f, PIX_CombineCopy);
}

TEST(PolygonShape, WorkedCasesFillTheirPictures)
{
    const PictureCase cases[] = {
        {"triangle (0,0) (4,0) (0,4): columns 0 to 4 - k on row k, 15 pixels",
         [](PIX_IBitmap* b) { Fill(b, 0, 0, 4, 0, 0, 4); },
         {"#####.....", "####......", "###.......", "##........", "#.........", ".........."},
         true},
        {"three corners on one row: one span",
         [](PIX_IBitmap* b) { Fill(b, 6, 2, 1, 2, 3, 2); },
         {"..........", "..........", ".######...", ".........."},
         true},
        {"three corners on one row at negative x: nothing",
         [](PIX_IBitmap* b) { Fill(b, -6, 2, -1, 2, -3, 2); },
         {"..........", "..........", "..........", ".........."},
         true},
        {"band of one row, clipped to the bitmap",
         [](PIX_IBitmap* b) {
             PIX_FillTriangleSpans(b, -4, 5, 3, -4, 5, 3, kWhite, 1.0f, PIX_CombineCopy);
         },
         {"..........", "..........", "..........", "######....", ".........."},
         false},
        {"band whose left edge steps 5/3 truncated: row 3 stops one short of xd",
         [](PIX_IBitmap* b) {
             PIX_FillTriangleSpans(b, 1, 6, 0, 6, 6, 3, kWhite, 1.0f, PIX_CombineCopy);
         },
         {".######...", "..#####...", "....###...", ".....##...", ".........."},
         false},
        {"segment with y2 < y1: nothing",
         [](PIX_IBitmap* b) {
             PIX_FillSegmentToVerticalLine(b, 2, 5, 4, 1, 7, kWhite, 1.0f, PIX_CombineCopy);
         },
         {"..........", "..........", "..........", "..........", "..........", ".........."},
         true},
        {"segment left of the line: the quadrilateral to lineX + 1 and row y2 + 1",
         [](PIX_IBitmap* b) {
             PIX_FillSegmentToVerticalLine(b, 1, 1, 3, 3, 6, kWhite, 1.0f, PIX_CombineCopy);
         },
         {"..........", ".#######..", ".#######..", "..######..", "..######..", ".........."},
         false},
        {"segment right of the line: from lineX",
         [](PIX_IBitmap* b) {
             PIX_FillSegmentToVerticalLine(b, 8, 0, 8, 2, 5, kWhite, 1.0f, PIX_CombineCopy);
         },
         {".....####.", ".....####.", ".....####.", ".....####.", ".........."},
         true},
        {"segment crossing the line at row 3: two triangles",
         [](PIX_IBitmap* b) {
             PIX_FillSegmentToVerticalLine(b, 1, 0, 9, 6, 5, kWhite, 1.0f, PIX_CombineCopy);
         },
         {".######...", "..#####...", "....###...", ".....##...", ".....##...", ".....###..",
          ".....####.", ".........."},
         false},
        {"segment on one row: up to x2 - 1 past the line",
         [](PIX_IBitmap* b) {
             PIX_FillSegmentToVerticalLine(b, 7, 2, 9, 2, 2, kWhite, 1.0f, PIX_CombineCopy);
         },
         {"..........", "..........", "..#######.", ".........."},
         true},
        {"segment above the row line: columns x1 to x2, rows to lineY + 1",
         [](PIX_IBitmap* b) {
             PIX_FillSegmentToHorizontalLine(b, 1, 1, 4, 3, 6, kWhite, 1.0f, PIX_CombineCopy);
         },
         {"..........", ".#........", ".##.......", ".####.....", ".####.....", ".####.....",
          ".####.....", ".####.....", ".........."},
         false},
        {"segment in one column: rows to y2 - 1 past the line",
         [](PIX_IBitmap* b) {
             PIX_FillSegmentToHorizontalLine(b, 3, 6, 3, 7, 1, kWhite, 1.0f, PIX_CombineCopy);
         },
         {"......", "...#..", "...#..", "...#..", "...#..", "...#..", "...#..", "......"},
         true},
    };
    ExpectPictures(cases, std::size(cases));
}

// The copy at weight 64 is the quarter word form, (d >> 1) + (d >> 2) +
// (s >> 2) per byte; weight 51 is the general formula.
TEST(PolygonShape, CopyWeightsPickTheirForms)
{
    struct Case {
        float alpha;
        uint32_t after;  // black over white
    } const cases[] = {
        {0.25f, 0xBEBEBEBEu},  // 127 + 63
        {0.25f + 0.99f / 256, 0xBEBEBEBEu},
        {0.2f, 0xCCCCCCCCu},   // 255 x 205 / 256 = 204
        {0.5f, 0x7F7F7F7Fu},   // 127 + 0
        {0.75f, 0x3F3F3F3Fu},  // 255 >> 2
        {1.0f, 0x00000000u},
    };
    for (const Case& c : cases) {
        GuardedBitmap bitmap = Filled(6, 6, false, kWhite);
        PIX_FillTriangleShape(&bitmap, 0, 0, 5, 0, 0, 5, 0x00000000u, c.alpha, PIX_CombineCopy);
        EXPECT_EQ(bitmap.At(0, 0), c.after) << c.alpha;
        EXPECT_EQ(bitmap.At(5, 5), 0xFFFFFFFFu) << c.alpha;
    }
}

// ---- Curve fills ----

TEST(PolygonCurveFill, PiecesFollowTheirRowsAndColumns)
{
    // Straight cubics with the coordinate 9t along them: step 1.125 cuts them
    // into 8 pieces of t = 1/8. Pieces 1 to 6 end on rows (columns) 1 to 6,
    // the last on 9 - 1. Against a column, a piece on one side fills one row
    // past its end, which the next piece's row fill combines again.
    const auto add = 0x01010101u;
    const PictureCase cases[] = {
        {"down a column, against the column x = 5",
         [add](PIX_IBitmap* b) {
             PIX_FillCubicToVerticalLine(b, 2, 0, 2, 3, 2, 6, 2, 9, 5, add, 1.0f, PIX_CombineAdd,
                                         1.125f);
         },
         {"..11111.....", "..11111.....", "..22221.....", "..1111......", "..1111......",
          "..1111......", "..1111......", "..11111.....", "..11111.....", "..11111.....",
          "............", "............"},
         true},
        {"along a row, against the row y = 5",
         [add](PIX_IBitmap* b) {
             PIX_FillCubicToHorizontalLine(b, 0, 2, 3, 2, 6, 2, 9, 2, 5, add, 1.0f, PIX_CombineAdd,
                                           1.125f);
         },
         {"............", "............", "111111111...", "111111111...", "111111111...",
          "111111111...", "11.....11...", "............", "............", "............",
          "............", "............"},
         true},
        {"from above the bitmap: a piece ending on row -1 fills row 0; y = 0.875 after row 0 "
         "is passed over",
         [add](PIX_IBitmap* b) {
             PIX_FillCubicToVerticalLine(b, 2, -2.5f, 2, 0.5f, 2, 3.5f, 2, 6.5f, 5, add, 1.0f,
                                         PIX_CombineAdd, 1.125f);
         },
         {"..22221.....", "..11111.....", "..11111.....", "..22221.....", "..1111......",
          "..1111......", "............", "............"},
         true},
    };
    ExpectPictures(cases, std::size(cases));
}

TEST(PolygonCurveFill, TinyStepsAndFarControlPointsEndInTime)
{
    // The piece count is capped: these would otherwise run for ever or
    // overflow it.
    for (float step : {1e-30f, 0.0f, -1.0f, kNaN, kInf, 1e-7f}) {
        Lcg rng{4};
        GuardedBitmap bitmap(32, 32, false, rng);
        PIX_FillCubicToVerticalLine(&bitmap, 0, 0, 1e30f, 5, -1e30f, 20, 31, 31, 16, 0xFF00FF00u,
                                    1.0f, PIX_CombineCopy, step);
        PIX_FillCubicToHorizontalLine(&bitmap, 0, 0, 1e9f, -1e9f, 3, 1e9f, 31, 31, 16, 0xFF00FF00u,
                                      1.0f, PIX_CombineCopy, step);
        EXPECT_TRUE(bitmap.GuardIntact()) << step;
    }
}

// ---- The kernel family ----

TEST(PolygonKernels, NamedMembersApplyTheirOperation)
{
    struct Member {
        const char* name;
        PIX_TriangleKernelFn kernel;
        std::function<uint32_t(uint32_t d, uint32_t s, int w)> expected;
    };
    const auto op = [](PIX_CombineMode mode) {
        return [mode](uint32_t d, uint32_t s, int w) { return RefWordCombine(d, s, mode, w); };
    };
    const auto fixed = [](int weight) {
        return [weight](uint32_t d, uint32_t s, int) { return RefWordCombine(d, s, 0, weight); };
    };
    const Member members[] = {
        {"Copy", PIX_TriangleKernelCopy, op(0)},
        {"CopyOpaque", PIX_TriangleKernelCopyOpaque, fixed(256)},
        {"CopyHalf", PIX_TriangleKernelCopyHalf, fixed(128)},
        {"CopyQuarter", PIX_TriangleKernelCopyQuarter, fixed(64)},
        {"CopyThreeQuarter", PIX_TriangleKernelCopyThreeQuarter, fixed(192)},
        {"Add", PIX_TriangleKernelAdd, op(1)},
        {"Dodge", PIX_TriangleKernelDodge, op(2)},
        {"Multiply", PIX_TriangleKernelMultiply, op(3)},
        {"SoftLight", PIX_TriangleKernelSoftLight, op(4)},
        {"HsvShift", PIX_TriangleKernelHsvShift, op(5)},
        {"Store", PIX_TriangleKernelStore, fixed(256)},
        {"Average", PIX_TriangleKernelAverage,
         [](uint32_t d, uint32_t s, int) {
             uint32_t out = 0;
             for (int k = 0; k < 4; ++k)
                 out |= ((raster_test::Channel(d, k) + raster_test::Channel(s, k)) / 2) << (8 * k);
             return out;
         }},
    };
    Lcg rng{43};
    for (const Member& m : members) {
        // Rows 0..3 of a 9-wide bitmap: the left end walks right by 1.5
        // pixels a row from column 1, the right end left by one from column 8
        // (exclusive); the fractions start at a half.
        GuardedBitmap bitmap(9, 4, false, rng);
        const GuardedBitmap before = bitmap;
        const PIX_PackedColor colour = rng.Pixel();
        const int weight = 77;
        m.kernel(9, bitmap.RowStride(), bitmap.PixelData(), 4, 1, 8, 98304, 65536, 32768, 0, 1, -1,
                 int((colour >> 16) & 0xFF), int((colour >> 8) & 0xFF), int(colour & 0xFF),
                 int(colour >> 24), weight);
        const int lefts[] = {1, 3, 4, 6}, rights[] = {8, 7, 6, 5};
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 9; ++x) {
                const uint32_t d = const_cast<GuardedBitmap&>(before).Memory(x, y);
                const bool covered = x >= lefts[y] && x < rights[y];
                EXPECT_EQ(bitmap.Memory(x, y), covered ? m.expected(d, colour, weight) : d)
                    << m.name << " at " << x << ", " << y;
            }
        EXPECT_TRUE(bitmap.GuardIntact()) << m.name;
    }
}

// ---- Missing pixels, and the guard band under random calls ----

TEST(PolygonFills, LeaveMissingBitmapsAndPixelsAlone)
{
    Lcg rng{5};
    GuardedBitmap none = GuardedBitmap::Noise(8, 8, false, rng, true);
    const std::vector<uint32_t> before = none.Words();
    const int xs[] = {0, 7, 3}, ys[] = {0, 2, 7};
    for (PIX_IBitmap* b : {static_cast<PIX_IBitmap*>(nullptr), static_cast<PIX_IBitmap*>(&none)}) {
        PIX_FillTriangleSpans(b, 0, 7, 0, 2, 5, 7, 0xFFFFFFFFu, 1.0f, 0);
        PIX_FillConvexShape(b, xs, ys, 3, 0xFFFFFFFFu, 1.0f, 0);
        PIX_FillTriangleShape(b, 0, 0, 7, 2, 3, 7, 0xFFFFFFFFu, 1.0f, 0);
        PIX_FillSegmentToVerticalLine(b, 0, 0, 7, 7, 3, 0xFFFFFFFFu, 1.0f, 0);
        PIX_FillSegmentToHorizontalLine(b, 0, 0, 7, 7, 3, 0xFFFFFFFFu, 1.0f, 0);
        PIX_FillCubicToVerticalLine(b, 0, 0, 2, 3, 5, 4, 7, 7, 3, 0xFFFFFFFFu, 1.0f, 0, 1.0f);
        PIX_FillCubicToHorizontalLine(b, 0, 0, 2, 3, 5, 4, 7, 7, 3, 0xFFFFFFFFu, 1.0f, 0, 1.0f);
    }
    EXPECT_EQ(none.Words(), before);
    // Missing corner lists draw nothing either.
    GuardedBitmap bitmap = GuardedBitmap::Noise(8, 8, false, rng);
    const std::vector<uint32_t> words = bitmap.Words();
    PIX_FillConvexShape(&bitmap, nullptr, ys, 3, 0xFFFFFFFFu, 1.0f, 0);
    PIX_FillConvexShape(&bitmap, xs, nullptr, 3, 0xFFFFFFFFu, 1.0f, 0);
    PIX_FillConvexShape(&bitmap, xs, ys, 2, 0xFFFFFFFFu, 1.0f, 0);
    EXPECT_EQ(bitmap.Words(), words);
}

int FuzzCoordinate(Lcg& rng, int size)
{
    switch (rng.Below(10)) {
        case 0:
            return rng.Below(2) ? INT_MAX : INT_MIN;
        case 1:
            return rng.Range(-1000000000, 1000000000);
        case 2:
            return rng.Range(-70000, 70000);
        default:
            return rng.Range(-size - 3, 2 * size + 3);
    }
}

float FuzzFloat(Lcg& rng, int size)
{
    const float special[] = {kNaN, kInf, -kInf, 1e30f, -1e30f, 3e9f, -3e9f, 0.0f};
    if (rng.Below(6) == 0) return special[rng.Below(int(std::size(special)))];
    return rng.Range(-2.0f * size, 3.0f * size);
}

TEST(PolygonFills, RandomCallsKeepTheGuardBandWhole)
{
    const float alphas[] = {1.0f,  0.5f, 0.25f, 0.75f, 0.3f,  0.0f,
                            -1.0f, 2.0f, kNaN,  kInf,  -kInf, 1e30f};
    const float steps[] = {1.0f, 0.5f, 4.0f, 0.0f, -2.0f, 1e-20f, kNaN, kInf};
    // Straight edges are cheap; a far cubic runs its capped 2^20 pieces, so
    // one call in ten is a curve.
    Lcg rng{47};
    for (int i = 0; i < 3000; ++i) {
        const int width = 1 + rng.Below(40), height = 1 + rng.Below(40);
        GuardedBitmap bitmap(width, height, rng.Below(2) == 1, rng);
        const PIX_CombineMode mode = kModes[rng.Below(int(std::size(kModes)))];
        const float alpha = alphas[rng.Below(int(std::size(alphas)))];
        const PIX_PackedColor colour = rng.Pixel();
        auto x = [&] { return FuzzCoordinate(rng, width); };
        auto y = [&] { return FuzzCoordinate(rng, height); };
        auto fx = [&] { return FuzzFloat(rng, width); };
        auto fy = [&] { return FuzzFloat(rng, height); };
        const int kind = i % 10 == 9 ? 5 + i / 10 % 2 : i % 5;
        if (kind == 0) {
            const int xa = x(), xb = x(), ya = y(), xd = x(), xe = x(), yb = y();
            PIX_FillTriangleSpans(&bitmap, xa, xb, ya, xd, xe, yb, colour, alpha, mode);
        } else if (kind == 1) {
            std::vector<int> xs(size_t(rng.Below(2) ? 3 + rng.Below(10) : rng.Below(600))), ys;
            for (int& v : xs) v = x(), ys.push_back(y());
            PIX_FillConvexShape(&bitmap, xs.data(), ys.data(), int(xs.size()), colour, alpha, mode);
        } else if (kind == 2) {
            const int x1 = x(), y1 = y(), x2 = x(), y2 = y(), x3 = x(), y3 = y();
            PIX_FillTriangleShape(&bitmap, x1, y1, x2, y2, x3, y3, colour, alpha, mode);
        } else if (kind == 3) {
            const int x1 = x(), y1 = y(), x2 = x(), y2 = y(), line = x();
            PIX_FillSegmentToVerticalLine(&bitmap, x1, y1, x2, y2, line, colour, alpha, mode);
        } else if (kind == 4) {
            const int x1 = x(), y1 = y(), x2 = x(), y2 = y(), line = y();
            PIX_FillSegmentToHorizontalLine(&bitmap, x1, y1, x2, y2, line, colour, alpha, mode);
        } else {
            float p[8];
            for (int k = 0; k < 8; k += 2) p[k] = fx(), p[k + 1] = fy();
            const float step = steps[rng.Below(int(std::size(steps)))];
            if (kind == 5)
                PIX_FillCubicToVerticalLine(&bitmap, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7],
                                            x(), colour, alpha, mode, step);
            else
                PIX_FillCubicToHorizontalLine(&bitmap, p[0], p[1], p[2], p[3], p[4], p[5], p[6],
                                              p[7], y(), colour, alpha, mode, step);
        }
        ASSERT_TRUE(bitmap.GuardIntact()) << "call " << i << " kind " << kind;
    }
}

// ---- The golden sheet ----

TEST(PolygonGolden, SheetKeepsItsDigest)
{
    // Ten columns, one per combine: copy at 1, 3/4, 1/2, 1/4 and 0.3, then
    // add, dodge, multiply, soft light and HSV shift. Rows: a hexagon, a
    // triangle and a band; segments against a column and a row; cubics
    // against a column and a row.
    struct Combine {
        PIX_CombineMode mode;
        float alpha;
    } const combines[] = {{0, 1.0f}, {0, 0.75f}, {0, 0.5f}, {0, 0.25f}, {0, 0.3f},
                          {1, 0.7f}, {2, 0.8f},  {3, 1.0f}, {4, 1.0f},  {5, 1.0f}};
    Lcg rng{0};
    GuardedBitmap sheet(300, 216, false, rng);
    for (int y = 0; y < 216; ++y)
        for (int x = 0; x < 300; ++x)
            sheet.At(x, y) = ((x / 10 + y / 10) & 1) ? 0xFF505864u : 0xFF9AA0A8u;
    for (int i = 0; i < 10; ++i) {
        const int x = 30 * i;
        const PIX_PackedColor colour =
            0xFF000000u | uint32_t(60 + 19 * i) << 16 | uint32_t(220 - 15 * i) << 8 | 0x50u;
        const PIX_CombineMode mode = combines[i].mode;
        const float alpha = combines[i].alpha;
        const int hx[] = {x + 8, x + 21, x + 27, x + 20, x + 7, x + 2};
        const int hy[] = {3, 2, 14, 30, 29, 13};
        PIX_FillConvexShape(&sheet, hx, hy, 6, colour, alpha, mode);
        PIX_FillTriangleShape(&sheet, x + 2, 36, x + 27, 44, x + 9, 64, colour, alpha, mode);
        PIX_FillTriangleSpans(&sheet, x + 12, x + 16, 68, x + 3, x + 27, 90, colour, alpha, mode);
        PIX_FillSegmentToVerticalLine(&sheet, x + 3, 96, x + 24, 124, x + 14, colour, alpha, mode);
        PIX_FillSegmentToHorizontalLine(&sheet, x + 2, 128, x + 27, 140, 134, colour, alpha, mode);
        PIX_FillCubicToVerticalLine(&sheet, x + 4, 146, x + 30, 152, x - 4, 166, x + 24, 172, x + 2,
                                    colour, alpha, mode, 1.0f);
        PIX_FillCubicToHorizontalLine(&sheet, x + 2, 204, x + 8, 178, x + 20, 214, x + 28, 186, 206,
                                      colour, alpha, mode, 1.0f);
    }
    WriteGoldenIfRequested(sheet, "polygon_sheet");
    EXPECT_TRUE(sheet.GuardIntact());
    EXPECT_EQ(DigestOf(sheet.Words()), 0x21fae221ba2b9bbdull)
        << std::hex << DigestOf(sheet.Words());
}

}  // namespace
