#include "raster/circle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>
#include <utility>
#include <vector>

#include "raster/bitmap.h"
#include "raster/circle_kernels.h"
#include "raster/circle_stamps.h"
#include "raster/coverage.h"
#include "raster/line.h"
#include "raster/pixel.h"
#include "golden_image.h"
#include "raster_test_support.h"

namespace {

using raster_test::DigestOf;
using raster_test::Filled;
using raster_test::GuardedBitmap;
using raster_test::Lcg;
using raster_test::WriteGoldenIfRequested;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = 1.5707964f;
constexpr float kThreeHalfPi = 4.712389f;
constexpr float kTwoPi = 6.2831855f;

// Adds 1 to every channel of each pixel it reaches at full weight.
constexpr PIX_PackedColor kOne = 0x01010101;

// Under Add, shows every pixel reached at weight 2 or more in blue and
// sums the weights in green, 64 for a full one.
constexpr PIX_PackedColor kTrace = 0x000040FF;

using Pixel = std::pair<int, int>;

// The pixels of the picture that are not zero.
std::set<Pixel> Touched(GuardedBitmap& b)
{
    std::set<Pixel> out;
    for (int y = 0; y < b.PixelHeight(); ++y)
        for (int x = 0; x < b.PixelWidth(); ++x)
            if (b.At(x, y) != 0) out.insert({x, y});
    return out;
}

// The largest channel count an Add probe of kOne left.
uint32_t MostHits(GuardedBitmap& b)
{
    uint32_t most = 0;
    for (uint32_t v : b.Pixels()) most = std::max(most, v & 0xFF);
    return most;
}

// A clip box that PIX_CircleDispatch cuts to the bitmap.
const PIX_Box kWhole = {0, 0, INT_MAX, INT_MAX};

// ---- Stamps ----

TEST(CircleStamps, EachIsSymmetricUnderBothMirrors)
{
    for (const PIX_SmallCircleStamp& stamp : PIX_SmallCircleStamps) {
        for (const PIX_CoverageMap* map : {&stamp.smooth, &stamp.aliased}) {
            const int n = map->width;
            EXPECT_EQ(n, int(stamp.radius * 2 + 1)) << stamp.radius;
            EXPECT_EQ(map->height, n);
            for (int y = 0; y < n; ++y)
                for (int x = 0; x < n; ++x) {
                    const uint8_t v = map->data[y * n + x];
                    EXPECT_EQ(v, map->data[y * n + (n - 1 - x)]) << stamp.radius << " " << x;
                    EXPECT_EQ(v, map->data[(n - 1 - y) * n + x]) << stamp.radius << " " << y;
                }
        }
    }
}

TEST(CircleOutline, StampRadiiDrawTheirStampOthersTheKernel)
{
    const float cx = 10.7f, cy = 11.2f;
    for (bool antialias : {false, true}) {
        for (const PIX_SmallCircleStamp& stamp : PIX_SmallCircleStamps) {
            GuardedBitmap got = Filled(24, 24), want = Filled(24, 24);
            PIX_CircleOutline(&got, cx, cy, stamp.radius, 0xFF80C0E0, 0.7f, PIX_CombineAdd,
                              antialias);
            const PIX_CoverageMap& map = antialias ? stamp.smooth : stamp.aliased;
            PIX_StampCoveragePacked(&want, int(cx - stamp.radius), int(cy - stamp.radius),
                                    0xFF80C0E0, map.data, map.width, map.height, 0.7f,
                                    PIX_CombineAdd);
            EXPECT_EQ(got.Words(), want.Words()) << stamp.radius << " " << antialias;
        }
        // Off a stamp radius by a little, the kernel draws.
        GuardedBitmap got = Filled(24, 24), kernel = Filled(24, 24), stamp = Filled(24, 24);
        PIX_CircleOutline(&got, cx, cy, 2.0001f, 0xFFFFFFFF, 1.0f, PIX_CombineCopy, antialias);
        PIX_CircleDispatch(&kernel, 0xFFFFFFFF, 256, cx, cy, 2.0001f, antialias, false,
                           PIX_CombineCopy, &kWhole, true);
        PIX_CircleOutline(&stamp, cx, cy, 2.0f, 0xFFFFFFFF, 1.0f, PIX_CombineCopy, antialias);
        EXPECT_EQ(got.Words(), kernel.Words()) << antialias;
        EXPECT_NE(got.Words(), stamp.Words()) << antialias;
    }
}

// ---- Kernels ----

TEST(CircleOutline, RadiusThreePointTwoTouchesTheMidpointCircleOfThree)
{
    GuardedBitmap b = Filled(24, 24);
    PIX_CircleOutline(&b, 10, 10, 3.2f, kOne, 1.0f, PIX_CombineAdd, false);
    const std::set<Pixel> want = {{10, 7}, {13, 10}, {10, 13}, {7, 10}, {9, 7},  {11, 7},
                                  {9, 13}, {11, 13}, {7, 9},   {7, 11}, {13, 9}, {13, 11},
                                  {8, 8},  {12, 8},  {8, 12},  {12, 12}};
    EXPECT_EQ(Touched(b), want);
    EXPECT_EQ(MostHits(b), 1u);
    EXPECT_TRUE(b.GuardIntact());
}

// Pixel values of a white shape on black, picture rows from the top.
struct Picture {
    const char* what;
    float r;
    bool filled;
    std::vector<std::vector<uint32_t>> blue;  // 7 x 7 about the centre pixel (3, 3)
};

TEST(CircleKernel, SmoothSmallCirclesStopWhereTheEdgeEnds)
{
    // r = 1.5: the row step j = 2 lies past the radius, where the edge
    // position would be the root of a negative number.
    const Picture pictures[] = {
        {"disc 1.5",
         1.5f,
         true,
         {{0, 0, 0, 0, 0, 0, 0},
          {0, 0, 30, 128, 30, 0, 0},
          {0, 0, 255, 255, 255, 0, 0},
          {0, 128, 255, 255, 255, 128, 0},
          {0, 0, 255, 255, 255, 0, 0},
          {0, 0, 30, 128, 30, 0, 0},
          {0, 0, 0, 0, 0, 0, 0}}},
        // The inner pixels of j = 1 lie on the diagonal and are combined twice.
        {"outline 1.9",
         1.9f,
         false,
         {{0, 0, 0, 0, 0, 0, 0},
          {0, 0, 157, 230, 157, 0, 0},
          {0, 157, 160, 26, 160, 157, 0},
          {0, 230, 26, 0, 26, 230, 0},
          {0, 157, 160, 26, 160, 157, 0},
          {0, 0, 157, 230, 157, 0, 0},
          {0, 0, 0, 0, 0, 0, 0}}},
    };
    for (const Picture& p : pictures) {
        GuardedBitmap b = Filled(7, 7);
        PIX_CircleDispatch(&b, 0xFFFFFFFF, 256, 3.2f, 2.9f, p.r, true, p.filled, PIX_CombineCopy,
                           &kWhole, true);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 7; ++x)
                EXPECT_EQ(b.At(x, y) & 0xFF, p.blue[y][x]) << p.what << " at " << x << "," << y;
    }
}

// The centre pixel after one call: which kernel served shows in its value.
struct DispatchCase {
    const char* what;
    PIX_CombineMode mode;
    float alpha;
    bool antialias;
    float r;
    uint32_t after;  // of a pixel 0xFF000000 under colour 0xFFFFFFFF
};

TEST(CircleDispatch, KernelFollowsOperationWeightAndAntialiasing)
{
    const DispatchCase cases[] = {
        {"opaque copy", PIX_CombineCopy, 1.0f, false, 3, 0xFFFFFFFF},
        {"half copy divides the sum", PIX_CombineCopy, 0.5f, false, 3, 0xFF7F7F7F},
        {"antialiased copy at half weight takes the formula", PIX_CombineCopy, 0.5f, true, 3,
         0xFF808080},
        {"general copy", PIX_CombineCopy, 0.25f, false, 3, 0xFF404040},
        {"negative copy weight", PIX_CombineCopy, -1.0f, false, 3, 0xFF000000},
        {"zero weight", PIX_CombineAdd, 0.003f, true, 3, 0xFF000000},
        {"add", PIX_CombineAdd, 0.5f, false, 3, 0xFF7F7F7F},
        {"source-alpha and filter bits are ignored", 0x10101, 0.5f, true, 3, 0xFF7F7F7F},
        {"operation 6", 6, 1.0f, false, 3, 0xFF000000},
        {"negative radius", PIX_CombineCopy, 1.0f, false, -3, 0xFF000000},
    };
    for (const DispatchCase& c : cases) {
        GuardedBitmap b = Filled(16, 16);
        for (uint32_t& v : b.Words()) v = 0xFF000000;
        PIX_FillDisc(&b, 8, 8, c.r, 0xFFFFFFFF, c.alpha, c.mode, c.antialias);
        EXPECT_EQ(b.At(8, 8), c.after) << c.what;
        if (c.after == 0xFF000000) {
            for (uint32_t v : b.Words()) ASSERT_EQ(v, 0xFF000000u) << c.what;
        }
    }
}

TEST(CircleDisc, CombinesEveryPixelOnce)
{
    struct HitCount {
        static void Apply(uint8_t* p, int, int, int, int, int) { ++p[0]; }
    };
    for (int k = 0; k <= 264; ++k) {
        // Radii 0.4 to 40 by 0.15, about a centre off the half-pixel ties.
        const float r = 0.4f + 0.15f * float(k);
        const int n = 2 * int(r) + 12, xc = n / 2, yc = n / 2;
        const float cx = float(xc) + 0.3f, cy = float(yc) - 0.2f;
        GuardedBitmap plain = Filled(n, n), smooth = Filled(n, n), hits = Filled(n, n);
        PIX_FillDisc(&plain, cx, cy, r, kOne, 1.0f, PIX_CombineAdd, false);
        PIX_FillDisc(&smooth, cx, cy, r, kOne, 1.0f, PIX_CombineAdd, true);
        const PIX_Box box = {0, 0, n, n};
        PIX_SmoothCircleKernel<HitCount>(&hits, cx, cy, r, &box, 0, 256, true, true);
        ASSERT_EQ(MostHits(plain), 1u) << r;
        ASSERT_EQ(MostHits(smooth), 1u) << r;
        ASSERT_EQ(MostHits(hits), 1u) << r;
        ASSERT_TRUE(plain.GuardIntact() && smooth.GuardIntact() && hits.GuardIntact()) << r;

        // The plain disc is its outline filled row by row.
        GuardedBitmap outline = Filled(n, n);
        PIX_CircleDispatch(&outline, kOne, 256, cx, cy, r, false, false, PIX_CombineAdd, &kWhole,
                           true);
        std::set<Pixel> hull;
        for (int y = 0; y < n; ++y) {
            int first = INT_MAX, last = INT_MIN;
            for (int x = 0; x < n; ++x)
                if (outline.At(x, y)) first = std::min(first, x), last = std::max(last, x);
            for (int x = first; x <= last; ++x) hull.insert({x, y});
        }
        ASSERT_EQ(Touched(plain), hull) << r;

        // The smooth disc is full within r - 1 and reaches no further than r + 1.5.
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const double d = std::hypot(x - xc, y - yc);
                if (d <= r - 1) {
                    ASSERT_EQ(smooth.At(x, y), kOne) << r << " " << x << "," << y;
                }
                if (d > r + 1.5) {
                    ASSERT_EQ(hits.At(x, y), 0u) << r << " " << x << "," << y;
                }
            }
    }
    // The smallest plain disc is its centre pixel.
    GuardedBitmap tiny = Filled(8, 8);
    PIX_FillDisc(&tiny, 3.3f, 4.1f, 0.4f, kOne, 1.0f, PIX_CombineAdd, false);
    EXPECT_EQ(Touched(tiny), (std::set<Pixel>{{3, 4}}));
    EXPECT_EQ(MostHits(tiny), 1u);
}

// ---- Clipping ----

struct ClipCase {
    const char* what;
    float cx, cy, r;
    bool needed;
};

TEST(CircleClip, NeededWithinTwoPixelsOfAnEdge)
{
    // A 40 x 30 bitmap.
    const ClipCase cases[] = {
        {"cx - r = 1.9", 10.0f, 15.0f, 8.1f, true},
        {"cx - r = 2", 10.0f, 15.0f, 8.0f, false},
        {"cy - r = 1.9", 15.0f, 10.0f, 8.1f, true},
        {"cy - r = 2", 15.0f, 10.0f, 8.0f, false},
        {"cx + r + 2 = 40", 30.0f, 15.0f, 8.0f, true},
        {"cx + r + 2 = 39.9", 29.9f, 15.0f, 8.0f, false},
        {"cy + r + 2 = 30", 20.0f, 20.0f, 8.0f, true},
        {"cy + r + 2 = 29.9", 20.0f, 19.9f, 8.0f, false},
        {"a point in the middle", 20.0f, 15.0f, 0.0f, false},
    };
    for (const ClipCase& c : cases)
        EXPECT_EQ(PIX_CircleClipNeeded(40, 30, c.cx, c.cy, c.r), c.needed) << c.what;
}

TEST(CircleClip, UnclippedShapesStayInsideAndClippedOnesAreCrops)
{
    Lcg rng{21};
    for (int n = 0; n < 2000; ++n) {
        const bool antialias = n % 2, filled = n % 4 < 2;
        const int width = rng.Range(1, 30), height = rng.Range(1, 30);
        const float r = rng.Range(0.0f, 14.0f);
        // Centres near the edges, and on half-pixel ties.
        float cx = rng.Range(-2.0f, float(width) + 2.0f),
              cy = rng.Range(-2.0f, float(height) + 2.0f);
        if (n % 7 == 0) cx = std::floor(cx) + 0.5f, cy = std::floor(cy) + 0.5f;
        const uint32_t colour = rng.Next();

        // Unclipped where that is allowed, it equals the clipped drawing.
        if (!PIX_CircleClipNeeded(width, height, cx, cy, r)) {
            GuardedBitmap clipped = Filled(width, height), bare = Filled(width, height);
            const PIX_Box box = {0, 0, width, height};
            PIX_CircleDispatch(&clipped, colour, 256, cx, cy, r, antialias, filled, PIX_CombineAdd,
                               &box, true);
            PIX_CircleDispatch(&bare, colour, 256, cx, cy, r, antialias, filled, PIX_CombineAdd,
                               &box, false);
            ASSERT_TRUE(bare.GuardIntact()) << cx << "," << cy << " r " << r;
            ASSERT_EQ(bare.Words(), clipped.Words()) << cx << "," << cy << " r " << r;
        }

        // Clipped, it is the crop of the whole shape (centres truncate toward
        // zero, so the shifted centre is kept at -0.5 or more).
        const int ox = rng.Range(0, 60), oy = rng.Range(0, 60);
        const float bx = cx + 30.0f, by = cy + 30.0f;
        if (bx - float(ox) < -0.5f || by - float(oy) < -0.5f) continue;
        GuardedBitmap whole = Filled(90, 90), part = Filled(width, height);
        if (filled) {
            PIX_FillDisc(&whole, bx, by, r, colour, 1.0f, PIX_CombineAdd, antialias);
            PIX_FillDisc(&part, bx - float(ox), by - float(oy), r, colour, 1.0f, PIX_CombineAdd,
                         antialias);
        } else {
            PIX_CircleOutline(&whole, bx, by, r, colour, 1.0f, PIX_CombineAdd, antialias);
            PIX_CircleOutline(&part, bx - float(ox), by - float(oy), r, colour, 1.0f,
                              PIX_CombineAdd, antialias);
        }
        ASSERT_TRUE(part.GuardIntact());
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(part.At(x, y), whole.At(x + ox, y + oy))
                    << bx << "," << by << " r " << r << " at " << x << "," << y;
    }
}

// ---- Arcs ----

// The plain outline's pixels in columns [left, right) and rows [top, bottom).
std::set<Pixel> OutlineWithin(float cx, float cy, float r, int left, int top, int right, int bottom)
{
    GuardedBitmap b = Filled(48, 48);
    PIX_CircleOutline(&b, cx, cy, r, kOne, 1.0f, PIX_CombineAdd, false);
    std::set<Pixel> out;
    for (const Pixel& p : Touched(b))
        if (p.first >= left && p.first < right && p.second >= top && p.second < bottom)
            out.insert(p);
    return out;
}

TEST(CircleArc, QuarterTurnReachesFromTopToRight)
{
    GuardedBitmap b = Filled(48, 48);
    PIX_ArcOutline(&b, 20, 20, 10, 0, kHalfPi, kOne, 1.0f, PIX_CombineAdd, false);
    // The centre column is the right quarter's, the centre row the lower one's.
    EXPECT_EQ(Touched(b), OutlineWithin(20, 20, 10, 20, 0, 48, 20));
    EXPECT_EQ(MostHits(b), 1u);
}

TEST(CircleArc, FourQuartersOfACentredCircleMakeItsOutline)
{
    for (bool antialias : {false, true}) {
        for (float r : {5.0f, 7.6f, 10.4f, 13.0f, 16.8f, 19.7f}) {
            GuardedBitmap arcs = Filled(48, 48), circle = Filled(48, 48);
            const float ends[] = {0, kHalfPi, kPi, kThreeHalfPi, kTwoPi};
            for (int q = 0; q < 4; ++q)
                PIX_ArcOutline(&arcs, 22, 23, r, ends[q], ends[q + 1], 0x00FFFFFF, 1.0f,
                               PIX_CombineAdd, antialias);
            PIX_CircleOutline(&circle, 22, 23, r, 0x00FFFFFF, 1.0f, PIX_CombineAdd, antialias);
            EXPECT_EQ(arcs.Words(), circle.Words()) << r << " " << antialias;
        }
    }
}

TEST(CircleArc, ReachesTheOutermostRowOfItsCircle)
{
    // The circle about pixel (20, 21) ends on row 27: radius 6 rounded, or
    // the antialiased ring outside radius 5.7.
    for (bool antialias : {false, true}) {
        GuardedBitmap arc = Filled(40, 40), circle = Filled(40, 40);
        PIX_ArcOutline(&arc, 20, 20.5f, 5.7f, 2.5f, 3.8f, kTrace, 1.0f, PIX_CombineAdd, antialias);
        PIX_CircleOutline(&circle, 20, 20.5f, 5.7f, kTrace, 1.0f, PIX_CombineAdd, antialias);
        int drawn = 0;
        for (int x = 0; x < 40; ++x) {
            EXPECT_EQ(arc.At(x, 27), circle.At(x, 27)) << x << " " << antialias;
            drawn += arc.At(x, 27) != 0;
        }
        EXPECT_EQ(drawn, 5) << antialias;
    }
}

// Where the arcs of one turn meet: the ends at a and b and the quarter turns.
bool NextToAJoin(int x, int y, float cx, float cy, float r, float a, float b)
{
    for (float t : {a, b, 0.0f, kHalfPi, kPi, kThreeHalfPi})
        if (std::fabs(x - (cx + r * std::sin(t))) <= 2.5 &&
            std::fabs(y - (cy - r * std::cos(t))) <= 2.5)
            return true;
    return false;
}

TEST(CircleArc, TwoArcsOfAWholeTurnDrawTheCirclesPixels)
{
    // Each pixel as often as the circle combines it, but next to a join,
    // where the boxes of two pieces share their ends.
    Lcg rng{606};
    constexpr int kSize = 48;
    const float kEighthTurn = kPi / 4;
    for (int n = 0; n < 2000; ++n) {
        const bool antialias = rng.Below(2) == 1, bottomUp = rng.Below(2) == 1;
        // Centres on whole pixels, on half pixels and anywhere; radii below a
        // pixel, within the picture, and larger ones whose edge crosses it.
        float cx = rng.Range(8.0f, 40.0f), cy = rng.Range(8.0f, 40.0f), r = rng.Range(0.0f, 22.0f);
        const int centre = rng.Below(4);
        if (centre == 0) cx = std::floor(cx), cy = std::floor(cy);
        if (centre == 1) cx = std::floor(cx) + 0.5f;
        if (rng.Below(8) == 0) {
            r = rng.Range(300.0f, 3000.0f);
            cy = 24.0f + (rng.Below(2) ? r : -r) + rng.Range(-16.0f, 16.0f);
        }
        // The circle of a stamp radius is its stamp.
        if (std::any_of(PIX_SmallCircleStamps.begin(), PIX_SmallCircleStamps.end(),
                        [&](const PIX_SmallCircleStamp& s) { return s.radius == r; }))
            continue;
        // Splits anywhere, near the diagonals and axes, and at every span.
        float a = rng.Range(-7.0f, 7.0f), span = rng.Range(0.0f, 6.28f);
        if (rng.Below(3) == 0) a = float(rng.Range(-8, 8)) * kEighthTurn + rng.Range(-0.05f, 0.05f);
        if (rng.Below(3) == 0)
            span = float(rng.Range(1, 7)) * kEighthTurn + rng.Range(-0.05f, 0.05f);
        const float b = a + span;
        GuardedBitmap arcs = Filled(kSize, kSize, bottomUp),
                      circle = Filled(kSize, kSize, bottomUp);
        PIX_ArcOutline(&arcs, cx, cy, r, a, b, kTrace, 1.0f, PIX_CombineAdd, antialias);
        PIX_ArcOutline(&arcs, cx, cy, r, b, a + kTwoPi, kTrace, 1.0f, PIX_CombineAdd, antialias);
        PIX_CircleOutline(&circle, cx, cy, r, kTrace, 1.0f, PIX_CombineAdd, antialias);
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
                const uint32_t got = arcs.At(x, y), want = circle.At(x, y);
                const bool more = want != 0 && (got & 0xFF) >= (want & 0xFF) &&
                                  (got >> 8 & 0xFF) >= (want >> 8 & 0xFF);
                if (got == want || (more && NextToAJoin(x, y, cx, cy, r, a, b))) continue;
                FAIL() << n << ": at " << x << "," << y << " " << std::hex << got << " not " << want
                       << std::dec << ", " << cx << "," << cy << " r " << r << " " << a << " to "
                       << b << " aa " << antialias << " up " << bottomUp;
            }
    }
}

TEST(CircleArc, PiecesSplitAtQuarterTurnsAndAFullTurnIsTheCircle)
{
    struct Case {
        const char* what;
        float cx, start, end;
        // Drawn as these arcs one after another.
        std::vector<std::pair<float, float>> parts;
        uint32_t mostHits;  // of the plain form
    };
    const Case cases[] = {
        {"across the top, centred: each pixel once", 20, -0.1f, 0.1f, {{-0.1f, 0}, {0, 0.1f}}, 1},
        {"both pieces hold the top pixel", 20.3f, -0.1f, 0.1f, {{-0.1f, 0}, {0, 0.1f}}, 2},
        {"ends in either order", 20.3f, 0.1f, -0.1f, {{-0.1f, 0}, {0, 0.1f}}, 2},
        {"three pieces", 20.3f, 1.0f, 4.0f, {{1.0f, kHalfPi}, {kHalfPi, kPi}, {kPi, 4.0f}}, 2},
        {"past a full turn", 20.3f, kTwoPi + 1.0f, kTwoPi + 1.25f, {{1.0f, 1.25f}}, 1},
        {"below minus a full turn", 20.3f, -kTwoPi - 1.25f, -kTwoPi - 1.0f, {{-1.25f, -1.0f}}, 1},
        {"0 to 7 is the circle", 20.3f, 0, 7, {{0, 100}}, 1},
        {"7 to 0 is the circle", 20.3f, 7, 0, {{-50, 50}}, 1},
    };
    for (bool antialias : {false, true}) {
        for (const Case& c : cases) {
            GuardedBitmap arc = Filled(48, 48), parts = Filled(48, 48);
            PIX_ArcOutline(&arc, c.cx, 20, 10, c.start, c.end, kOne, 1.0f, PIX_CombineAdd,
                           antialias);
            for (const auto& part : c.parts)
                PIX_ArcOutline(&parts, c.cx, 20, 10, part.first, part.second, kOne, 1.0f,
                               PIX_CombineAdd, antialias);
            EXPECT_EQ(arc.Words(), parts.Words()) << c.what << " " << antialias;
            if (!antialias) {
                EXPECT_EQ(MostHits(arc), c.mostHits) << c.what;
            }
        }
    }
    // The whole turn is the circle, stamps included.
    for (float r : {2.0f, 9.3f}) {
        GuardedBitmap arc = Filled(24, 24), circle = Filled(24, 24);
        PIX_ArcOutline(&arc, 10.3f, 11.6f, r, -1, 6, 0xFF40C0FF, 0.6f, PIX_CombineAdd, true);
        PIX_CircleOutline(&circle, 10.3f, 11.6f, r, 0xFF40C0FF, 0.6f, PIX_CombineAdd, true);
        EXPECT_EQ(arc.Words(), circle.Words()) << r;
    }
}

// ---- Row order ----

TEST(CircleBottomUp, ShapesLandWhereTheyDoTopDown)
{
    // Add at 0.8, so that a pixel combined twice shows.
    using Draw = void (*)(PIX_IBitmap*, bool antialias);
    const std::pair<const char*, Draw> cases[] = {
        {"upper right quarter about a whole pixel",
         [](PIX_IBitmap* b, bool aa) {
             PIX_ArcOutline(b, 20, 20, 10, 0, kHalfPi, 0x00604020, 0.8f, PIX_CombineAdd, aa);
         }},
        {"lower left quarter about a whole pixel",
         [](PIX_IBitmap* b, bool aa) {
             PIX_ArcOutline(b, 20, 20, 10, kPi, kThreeHalfPi, 0x00604020, 0.8f, PIX_CombineAdd, aa);
         }},
        {"a full turn mirrors once",
         [](PIX_IBitmap* b, bool aa) {
             PIX_ArcOutline(b, 20.3f, 11.3f, 9.6f, -1, 6, 0x00604020, 0.8f, PIX_CombineAdd, aa);
         }},
        {"outlines",
         [](PIX_IBitmap* b, bool aa) {
             for (float r : {2.5f, 5.3f, 8.7f, 13.3f, 17.9f})
                 PIX_CircleOutline(b, 20.2f, 21.4f, r, 0x00604020, 0.8f, PIX_CombineAdd, aa);
         }},
        {"disc",
         [](PIX_IBitmap* b, bool aa) {
             PIX_FillDisc(b, 20.2f, 21.4f, 12.6f, 0x00604020, 0.8f, PIX_CombineAdd, aa);
         }},
        {"rounded box on whole pixels",
         [](PIX_IBitmap* b, bool aa) {
             PIX_RoundedBoxOutline(b, 4, 6, 30, 22, 7, 0x00604020, 0.8f, PIX_CombineAdd, aa);
         }},
    };
    for (const auto& c : cases) {
        for (bool antialias : {false, true}) {
            GuardedBitmap down = Filled(44, 40), up = Filled(44, 40, true);
            c.second(&down, antialias);
            c.second(&up, antialias);
            EXPECT_NE(Touched(down).size(), 0u) << c.first;
            EXPECT_EQ(down.Pixels(), up.Pixels()) << c.first << " " << antialias;
        }
    }
}

// ---- Rounded boxes ----

TEST(CircleRoundedBox, SmallCornersGiveABoxOutline)
{
    struct Case {
        float x, y, w, h;
        int corner;
    };
    const Case cases[] = {
        {3.7f, 2.2f, 20, 15, 1},     {3, 2, 20, 15, 0},   {3, 2, 20, 15, -6},
        {3, 2, 3.9f, 15, 5},         {3, 2, 20, 3.5f, 9}, {3, 2, -8, 15, 4},
        {-5.5f, 4, 30, 12, INT_MIN},
    };
    for (const Case& c : cases) {
        for (bool bottomUp : {false, true}) {
            GuardedBitmap rounded = Filled(26, 20, bottomUp), box = Filled(26, 20, bottomUp);
            PIX_RoundedBoxOutline(&rounded, c.x, c.y, c.w, c.h, c.corner, kOne, 1.0f,
                                  PIX_CombineAdd, true);
            PIX_BoxOutline(&box, int(c.x), int(c.y), int(c.w), int(c.h), kOne, 1.0f,
                           PIX_CombineAdd);
            EXPECT_EQ(rounded.Words(), box.Words()) << c.x << " " << c.w << " " << c.corner;
        }
    }
    // Radius 2 rounds the corners.
    GuardedBitmap rounded = Filled(26, 20), box = Filled(26, 20);
    PIX_RoundedBoxOutline(&rounded, 3, 2, 20, 15, 2, kOne, 1.0f, PIX_CombineAdd, false);
    PIX_BoxOutline(&box, 3, 2, 20, 15, kOne, 1.0f, PIX_CombineAdd);
    EXPECT_EQ(rounded.At(3, 2), 0u);
    EXPECT_NE(box.At(3, 2), 0u);
}

// ---- Faults: nothing drawn, nothing broken ----

// Every function once with the given values.
void DrawEverything(PIX_IBitmap* b, float cx, float cy, float r, float start, float end,
                    float alpha, PIX_CombineMode mode)
{
    for (bool antialias : {false, true}) {
        PIX_FillDisc(b, cx, cy, r, 0xFFFFFFFF, alpha, mode, antialias);
        PIX_CircleOutline(b, cx, cy, r, 0xFFFFFFFF, alpha, mode, antialias);
        PIX_ArcOutline(b, cx, cy, r, start, end, 0xFFFFFFFF, alpha, mode, antialias);
        PIX_StampSmallCircle(b, 0xFFFFFFFF, mode, cx, cy, r, alpha, antialias);
        for (bool filled : {false, true})
            PIX_CircleDispatch(b, 0xFFFFFFFF, PIX_WeightFromAlpha(alpha), cx, cy, r, antialias,
                               filled, mode, &kWhole, true);
    }
}

TEST(CircleFaults, BadInputDrawsNothing)
{
    struct Case {
        const char* what;
        float cx, cy, r, start, end;
    };
    const Case cases[] = {
        // Every comparison of the clip test is false for NaN.
        {"NaN centre x", kNaN, 6, 2, 0, 1},
        {"NaN centre y", 6, kNaN, 3, 0, 1},
        {"infinite centre", -kInf, 6, 2, 0, 1},
        {"NaN radius", 6, 6, kNaN, 0, 1},
        {"infinite radius", 6, 6, kInf, 0, 1},
        {"radius above 2^24", 6, 6, 16777218.0f, 0, 1},
        {"negative radius", 6, 6, -2, 0, 1},
        {"far off, huge radius", -1e30f, 1e30f, 16777216.0f, 0, 1},
    };
    for (const Case& c : cases) {
        GuardedBitmap b = Filled(12, 12);
        const std::vector<uint32_t> before = b.Words();
        DrawEverything(&b, c.cx, c.cy, c.r, c.start, c.end, 1.0f, PIX_CombineCopy);
        EXPECT_EQ(b.Words(), before) << c.what;
    }
    // Rounded boxes whose corners or sizes are not numbers.
    for (const float v : {kNaN, kInf, -kInf}) {
        GuardedBitmap b = Filled(12, 12);
        for (int i = 0; i < 4; ++i) {
            float box[4] = {2, 2, 8, 8};
            box[i] = v;
            PIX_RoundedBoxOutline(&b, box[0], box[1], box[2], box[3], i + 1, 0xFFFFFFFF, 1.0f, 0,
                                  true);
        }
        EXPECT_EQ(Touched(b).size(), 0u) << v;
    }
    // Arcs whose ends are not numbers: the pieces could never reach the end.
    for (const std::pair<float, float>& ends :
         {std::make_pair(kNaN, 1.0f), {0.0f, kInf}, {-kInf, kInf}, {kNaN, kNaN}}) {
        GuardedBitmap b = Filled(12, 12);
        PIX_ArcOutline(&b, 6, 6, 3, ends.first, ends.second, 0xFFFFFFFF, 1.0f, 0, true);
        EXPECT_EQ(Touched(b).size(), 0u) << ends.first << " " << ends.second;
    }
    // No bitmap, or one without pixels.
    Lcg rng{3};
    GuardedBitmap none(12, 12, false, rng, true);
    const std::vector<uint32_t> before = none.Words();
    for (PIX_IBitmap* b : {static_cast<PIX_IBitmap*>(nullptr), static_cast<PIX_IBitmap*>(&none)}) {
        DrawEverything(b, 6, 6, 2, 0, 1, 1.0f, PIX_CombineCopy);
        DrawEverything(b, 6, 6, 4.5f, 0, 1, 0.5f, PIX_CombineAdd);
        PIX_RoundedBoxOutline(b, 1, 1, 9, 9, 3, 0xFFFFFFFF, 1.0f, 0, true);
        PIX_RoundedBoxOutline(b, 1, 1, 9, 9, 0, 0xFFFFFFFF, 1.0f, 0, true);
        EXPECT_FALSE(PIX_StampSmallCircle(b, 0xFFFFFFFF, 0, 6, 6, 2, 1.0f, true));
    }
    EXPECT_EQ(none.Words(), before);
}

// Also pins the pixels, which must be the same in both builds.
TEST(CircleFaults, RandomCallsKeepTheGuardBandWhole)
{
    Lcg rng{1717};
    raster_test::Digest digest;
    const float specials[] = {kNaN,   kInf,  -kInf, 0.0f,  -0.0f,       1e-30f,
                              -1e30f, 1e30f, 3e38f, -2e9f, 16777216.0f, 16777218.0f};
    const PIX_CombineMode modes[] = {0, 1, 2, 3, 4, 5, 6, 0xFF, 0x10000, 0x10003, 0x105, 0x10105};
    const float alphas[] = {1.0f, 0.5f, 0.0f, -0.5f, 0.37f, 2.0f, 1e30f, -1e30f, kNaN, kInf};
    const float stampRadii[] = {1.5f, 2, 2.5f, 3, 3.5f, 4};
    for (int n = 0; n < 4000; ++n) {
        const int width = rng.Range(1, 24), height = rng.Range(1, 20);
        GuardedBitmap b(width, height, rng.Below(2) == 1, rng);
        // Coordinates near the bitmap, far outside it, or not numbers.
        auto coordinate = [&](int size) {
            const int pick = rng.Below(8);
            if (pick == 0) return specials[rng.Below(10)];
            if (pick == 1) return rng.Range(-1e6f, 1e6f);
            return rng.Range(-8.0f, float(size) + 8.0f);
        };
        auto radius = [&]() {
            const int pick = rng.Below(10);
            // Huge radii only where they miss the bitmap, so that the batch stays quick.
            if (pick == 0) return specials[rng.Below(10)];
            if (pick == 1) return stampRadii[rng.Below(6)];
            if (pick == 2) return -rng.Range(0.0f, 5.0f);
            return rng.Range(0.0f, 30.0f);
        };
        auto angle = [&]() {
            const int pick = rng.Below(6);
            if (pick == 0) return specials[rng.Below(9)];
            if (pick == 1) return float(rng.Range(-8, 8)) * kHalfPi;
            return rng.Range(-20.0f, 20.0f);
        };
        const float cx = coordinate(width), cy = coordinate(height), r = radius();
        const float alpha = alphas[rng.Below(10)];
        const PIX_CombineMode mode = modes[rng.Below(12)];
        const PIX_PackedColor colour = rng.Pixel();
        const bool antialias = rng.Below(2) == 1;
        switch (rng.Below(6)) {
            case 0:
                PIX_FillDisc(&b, cx, cy, r, colour, alpha, mode, antialias);
                break;
            case 1:
                PIX_CircleOutline(&b, cx, cy, r, colour, alpha, mode, antialias);
                break;
            case 2:
                PIX_ArcOutline(&b, cx, cy, r, angle(), angle(), colour, alpha, mode, antialias);
                break;
            case 3: {
                const int corners[] = {INT_MIN, -1, 0, 1, 2, 3, 7, 40, INT_MAX};
                PIX_RoundedBoxOutline(&b, cx, cy, coordinate(width) - cx, coordinate(height) - cy,
                                      corners[rng.Below(9)], colour, alpha, mode, antialias);
                break;
            }
            case 4:
                PIX_StampSmallCircle(&b, colour, mode, cx, cy, r, alpha, antialias);
                break;
            default: {
                const PIX_Box box = {rng.Range(-5, width + 5), rng.Range(-5, height + 5),
                                     rng.Range(-5, width + 5), rng.Range(-5, height + 5)};
                PIX_CircleDispatch(&b, colour, rng.Range(-300, 600), cx, cy, r, antialias,
                                   rng.Below(2) == 1, mode, &box, true);
                break;
            }
        }
        ASSERT_TRUE(b.GuardIntact()) << "call " << n;
        for (uint32_t v : b.Pixels()) digest.Add(v);
    }
    EXPECT_EQ(digest.value, 0xfbd00d5e6a629afbull) << std::hex << digest.value;
}

// ---- The golden sheet ----

// Rows: copy, add, dodge, multiply, soft light, HSV shift; columns: disc,
// outline, arc and rounded box, each plain and antialiased, a large shape at
// full opacity with a smaller one at half over it. The last row: the stamps
// and shapes cut by the edges. Centres lie inside the picture and off the
// half-pixel ties, where both row orders round alike; the rounded boxes are
// on whole pixels, where their edges meet the corners.
void DrawSheet(PIX_IBitmap* b)
{
    const int width = b->PixelWidth(), height = b->PixelHeight();
    const bool bottomUp = b->IsBottomUp();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            b->PixelData()[(bottomUp ? height - 1 - y : y) * b->RowStride() + x] =
                0xFF000000u | uint32_t(x * 255 / width) << 16 | uint32_t(y * 255 / height) << 8 |
                uint32_t(((x / 12 + y / 12) & 1) ? 0x30 : 0x90);
    const PIX_PackedColor colours[] = {0xFFF0D060, 0xFF60A0F0, 0xFF8060C0,
                                       0xFFC0F080, 0xFF20E0A0, 0xFFC0A0A8};
    for (int op = 0; op < 6; ++op) {
        const PIX_CombineMode mode = PIX_CombineMode(op);
        for (int column = 0; column < 8; ++column) {
            const bool antialias = column % 2;
            const float cx = 24.3f + 48.0f * float(column), cy = 24.2f + 48.0f * float(op);
            for (int size = 0; size < 2; ++size) {
                const PIX_PackedColor colour = size ? colours[(op + 3) % 6] : colours[op];
                const float r = size ? 9.7f : 19.6f, alpha = size ? 0.5f : 1.0f;
                const float x = cx + (size ? 4.1f : 0.0f), y = cy - (size ? 4.1f : 0.0f);
                switch (column / 2) {
                    case 0:
                        PIX_FillDisc(b, x, y, r, colour, alpha, mode, antialias);
                        break;
                    case 1:
                        PIX_CircleOutline(b, x, y, r, colour, alpha, mode, antialias);
                        break;
                    case 2:
                        PIX_ArcOutline(b, x, y, r, size ? 2.0f : 0.4f, size ? 5.5f : 4.4f, colour,
                                       alpha, mode, antialias);
                        break;
                    default:
                        PIX_RoundedBoxOutline(b, std::floor(x - r), std::floor(y - r * 0.7f),
                                              std::floor(2 * r), std::floor(1.4f * r), size ? 3 : 8,
                                              colour, alpha, mode, antialias);
                        break;
                }
            }
        }
    }
    const float last = 6 * 48 + 24.2f;
    for (int i = 0; i < 6; ++i) {
        const float r = 1.5f + 0.5f * float(i);
        PIX_CircleOutline(b, 12.4f + 22.0f * float(i), last - 10, r, 0xFFFFFFFF, 1.0f, 0, true);
        PIX_CircleOutline(b, 12.4f + 22.0f * float(i), last + 10, r, 0xFFFFFFFF, 1.0f, 0, false);
    }
    PIX_FillDisc(b, 150.4f, last, 0.4f, 0xFFFFFFFF, 1.0f, 0, false);
    PIX_FillDisc(b, float(width) - 6.3f, last, 15.2f, 0xFF2040FF, 0.75f, 0, true);
    PIX_CircleOutline(b, 200.6f, float(height) - 3.3f, 14.1f, 0xFFFFFF00, 1.0f, 0, true);
    PIX_ArcOutline(b, float(width) - 12.7f, last - 2, 20.2f, -0.8f, 1.0f, 0xFF00FFFF, 1.0f, 0,
                   true);
    PIX_RoundedBoxOutline(b, 280.2f, last - 8, 60, 40, 6, 0xFFFF40FF, 1.0f, 0, false);
}

TEST(CircleGolden, SheetKeepsItsDigestInBothRowOrders)
{
    GuardedBitmap down = Filled(384, 336), up = Filled(384, 336, true);
    DrawSheet(&down);
    DrawSheet(&up);
    EXPECT_TRUE(down.GuardIntact() && up.GuardIntact());
    EXPECT_EQ(down.Pixels(), up.Pixels());
    WriteGoldenIfRequested(down, "circles");
    const uint64_t digest = DigestOf(down.Pixels());
    EXPECT_EQ(digest, 0x63ebccd8d2e2d5fbull) << std::hex << digest;
}

}  // namespace
