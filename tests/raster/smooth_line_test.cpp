#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>

#include "raster/bitmap.h"
#include "raster/line.h"
#include "raster/pixel.h"
#include "raster/smooth_line.h"
#include "golden_image.h"
#include "raster_test_support.h"

namespace {

using raster_test::DigestOf;
using raster_test::Filled;
using raster_test::GuardedBitmap;
using raster_test::Lcg;
using raster_test::RefCombine;
using raster_test::WriteGoldenIfRequested;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr PIX_PackedColor kWhite = 0xFFFFFFFFu;

GuardedBitmap Random(int width, int height, bool bottomUp, uint32_t seed)
{
    Lcg rng{seed};
    return GuardedBitmap(width, height, bottomUp, rng);
}

struct Weighted {
    int x, y, weight;
    bool operator==(const Weighted& o) const { return x == o.x && y == o.y && weight == o.weight; }
};

std::ostream& operator<<(std::ostream& os, const Weighted& p)
{
    return os << "(" << p.x << "," << p.y << ")=" << p.weight;
}

// The pixels a Copy of white at alpha 1 gives a weight, row by row. On a
// zero picture a Copy of white at weight w (0..256) leaves w in every
// channel, so the picture reads as the weights drawn.
std::vector<Weighted> Drawn(GuardedBitmap& b)
{
    std::vector<Weighted> drawn;
    for (int y = 0; y < b.PixelHeight(); ++y)
        for (int x = 0; x < b.PixelWidth(); ++x)
            if (b.At(x, y) != 0) drawn.push_back({x, y, int(b.At(x, y) & 0xFF)});
    return drawn;
}

struct Point {
    float x, y;
};

// The polyline drawn segment by segment.
void DrawPolyline(PIX_IBitmap* b, const std::vector<Point>& points, PIX_PackedColor colour,
                  float alpha, PIX_CombineMode mode, bool antialias)
{
    for (size_t i = 1; i < points.size(); ++i)
        PIX_DrawSmoothSegment(b, points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, colour,
                              alpha, mode, antialias);
}

// ---- Smooth segments ----

TEST(SmoothLineSegment, SharesEachWholeMajorSampleBetweenTwoPixels)
{
    // Falling: y = 3, 2.5, 2, 1.5, 1; the same pixels either direction.
    const std::vector<Weighted> falling = {{3, 1, 127}, {4, 1, 255}, {2, 2, 255}, {1, 2, 127},
                                           {3, 2, 128}, {0, 3, 255}, {1, 3, 128}};
    struct Case {
        int width, height;
        float x1, y1, x2, y2;
        std::vector<Weighted> drawn;
    } const cases[] = {
        // clang-format off
        // width, height, x1, y1, x2, y2, the pixels drawn
        // Rows 2 and 3 share the samples of y = 2.5 as 127 and 128.
        {8, 6, 0.0f, 2.5f, 4.0f, 2.5f,   {{0, 2, 127}, {1, 2, 127}, {2, 2, 127}, {3, 2, 127}, {4, 2, 127},
                                          {0, 3, 128}, {1, 3, 128}, {2, 3, 128}, {3, 3, 128}, {4, 3, 128}}},
        // Major axis y; x = 1.2, 1.5, 1.8 at rows 1, 2, 3.
        {6, 6, 1.2f, 1.0f, 1.8f, 3.0f,   {{1, 1, 204}, {2, 1, 51}, {1, 2, 128}, {2, 2, 127}, {1, 3, 51}, {2, 3, 204}}},
        // No whole x between the ends.
        {6, 6, 1.2f, 1.0f, 1.8f, 1.0f,   {}},
        // Clipped to the single point (0, 0).
        {6, 6, -5.0f, -5.0f, 0.0f, 0.0f, {}},
        {6, 6, 3.0f, 3.0f, 3.0f, 3.0f,   {}},
        // Falling, either direction.
        {6, 6, 0.0f, 3.0f, 4.0f, 1.0f,   falling},
        {6, 6, 4.0f, 1.0f, 0.0f, 3.0f,   falling},
        // 45 degrees: every sample on a whole pixel.
        {6, 6, 1.0f, 1.0f, 4.0f, 4.0f,   {{1, 1, 255}, {2, 2, 255}, {3, 3, 255}, {4, 4, 255}}},
        // The fraction at x = 3 rounds to 65536 in single precision: held at
        // 65535, the pixel on the line takes the sample whole.
        {5, 5, 3.0f, 0.0f, 2.77716398f, 0.0145664215f, {{3, 0, 255}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        GuardedBitmap b = Filled(c.width, c.height);
        PIX_DrawSmoothSegment(&b, c.x1, c.y1, c.x2, c.y2, kWhite, 1.0f, PIX_CombineCopy, true);
        std::vector<Weighted> expected = c.drawn;
        std::sort(expected.begin(), expected.end(), [](const Weighted& p, const Weighted& q) {
            return p.y != q.y ? p.y < q.y : p.x < q.x;
        });
        EXPECT_EQ(Drawn(b), expected) << c.x1 << "," << c.y1 << "-" << c.x2 << "," << c.y2;
        EXPECT_TRUE(b.GuardIntact());
    }
}

TEST(SmoothLineSegment, CombinesEveryOperationAtTheSharedWeights)
{
    const PIX_CombineMode modes[] = {0, 1, 2, 3, 4, 5, 0x10000, 0x10003, 6, 0xF0, 0xFF};
    const float alphas[] = {1.0f, 0.5f, 0.3f, 2.0f, -0.5f, 0.0f, 0.001f, kNaN};
    const PIX_PackedColor colour = 0xC0508AF0u;
    for (PIX_CombineMode mode : modes)
        for (float alpha : alphas) {
            GuardedBitmap b = Random(8, 6, false, 7);
            GuardedBitmap expected = Random(8, 6, false, 7);
            const int w = int(raster_test::Weight(alpha == alpha ? alpha : 0.0f));
            const PIX_CombineMode op = mode & 0xFF;  // the source-alpha flag is ignored
            if (w != 0 && op <= 5 && !(op == 0 && w < 0)) {
                for (int x = 0; x <= 6; ++x) {
                    expected.At(x, 2) = RefCombine(expected.At(x, 2), colour, op, 127 * w / 256);
                    expected.At(x, 3) = RefCombine(expected.At(x, 3), colour, op, 128 * w / 256);
                }
            }
            PIX_DrawSmoothSegment(&b, 0.0f, 2.5f, 6.0f, 2.5f, colour, alpha, mode, true);
            EXPECT_EQ(b.Words(), expected.Words()) << "mode " << mode << " alpha " << alpha;
        }
}

TEST(SmoothLineSegment, WithoutAntialiasIsTheSegmentOfTruncatedEndPoints)
{
    struct Case {
        float x1, y1, x2, y2;
        int ix1, iy1, ix2, iy2;
    } const cases[] = {
        {1.9f, 1.9f, 5.9f, 3.2f, 1, 1, 5, 3},
        {-0.9f, 2.7f, 6.99f, -0.2f, 0, 2, 6, 0},
        {3.5f, -7.9f, 3.5f, 20.0f, 3, -7, 3, 20},
        {-3e9f, 4.5f, 3e9f, 4.5f, INT_MIN, 4, INT_MAX, 4},
    };
    for (const Case& c : cases)
        for (bool bottomUp : {false, true})
            for (PIX_CombineMode mode : {PIX_CombineCopy, PIX_CombineAdd, PIX_CombineHsvShift}) {
                GuardedBitmap b = Random(9, 7, bottomUp, 3), expected = Random(9, 7, bottomUp, 3);
                PIX_DrawSmoothSegment(&b, c.x1, c.y1, c.x2, c.y2, 0xFF80C040u, 0.75f, mode, false);
                PIX_DrawSegment(&expected, c.ix1, c.iy1, c.ix2, c.iy2, 0xFF80C040u, 0.75f, mode,
                                false);
                EXPECT_EQ(b.Words(), expected.Words())
                    << c.x1 << "," << c.y1 << "-" << c.x2 << "," << c.y2 << " mode " << mode;
            }
    // A point that is not a finite number has no truncation: nothing.
    for (float bad : {kNaN, kInf, -kInf}) {
        GuardedBitmap b = Random(9, 7, false, 3), untouched = Random(9, 7, false, 3);
        PIX_DrawSmoothSegment(&b, 1.0f, 1.0f, bad, 3.0f, kWhite, 1.0f, PIX_CombineCopy, false);
        PIX_DrawSmoothSegment(&b, bad, 1.0f, 1.0f, 3.0f, kWhite, 1.0f, PIX_CombineCopy, true);
        EXPECT_EQ(b.Words(), untouched.Words()) << bad;
    }
}

TEST(SmoothLineSegment, BottomUpBitmapsDrawTheSegmentOfFlippedRows)
{
    const Point ends[][2] = {{{0.3f, 1.7f}, {8.2f, 5.1f}},
                             {{2.5f, 0.0f}, {4.1f, 6.0f}},
                             {{-3.0f, 9.0f}, {12.0f, 2.25f}}};
    for (const auto& e : ends) {
        // The same words in memory order.
        Lcg upWords{5}, downWords{5};
        GuardedBitmap up = GuardedBitmap::Noise(10, 8, true, upWords);
        GuardedBitmap down = GuardedBitmap::Noise(10, 8, false, downWords);
        PIX_DrawSmoothSegment(&up, e[0].x, e[0].y, e[1].x, e[1].y, 0xFF20FF80u, 0.8f,
                              PIX_CombineCopy, true);
        PIX_DrawSmoothSegment(&down, e[0].x, 7.0f - e[0].y, e[1].x, 7.0f - e[1].y, 0xFF20FF80u,
                              0.8f, PIX_CombineCopy, true);
        EXPECT_EQ(up.Words(), down.Words()) << e[0].x << "," << e[0].y;
    }
}

// Segments whose walk, rounded in single precision, reaches a pixel pair
// past the bitmap's edge at a first or last sample (found by search).
TEST(SmoothLineSegment, RoundingNeverTakesAPairOutsideTheBitmap)
{
    struct Case {
        int width, height;
        float x1, y1, x2, y2;
        int edgeX, edgeY;  // the end pixel on the edge, taking its sample whole
    } const cases[] = {
        {9, 18, 9.97431374f, 1.5f, 0.0f, 17.0f, 0, 16},
        {23, 5, 14.0f, 0.0f, 4.0f, 4.375f, 14, 0},
        {5, 36, 0.0f, 20.0f, 4.375f, 0.0f, 0, 20},
        {29, 5, 20.0f, 0.0f, 0.0f, 4.375f, 20, 0},
        {5, 5, 3.0f, 0.0f, 2.77716398f, 0.0145664215f, 3, 0},
    };
    for (const Case& c : cases) {
        GuardedBitmap weights = Filled(c.width, c.height);
        PIX_DrawSmoothSegment(&weights, c.x1, c.y1, c.x2, c.y2, kWhite, 1.0f, PIX_CombineCopy,
                              true);
        EXPECT_EQ(weights.At(c.edgeX, c.edgeY), kWhite) << c.x1 << "," << c.y1;
        for (PIX_CombineMode mode = 0; mode <= PIX_CombineHsvShift; ++mode) {
            GuardedBitmap b = Random(c.width, c.height, false, 9);
            PIX_DrawSmoothSegment(&b, c.x1, c.y1, c.x2, c.y2, 0xFF4080C0u, 1.0f, mode, true);
            EXPECT_TRUE(b.GuardIntact()) << c.x1 << "," << c.y1 << " mode " << mode;
        }
    }
}

TEST(SmoothLineSegment, NullBitmapsAndNullPixelsDrawNothing)
{
    Lcg rng{1};
    GuardedBitmap none(10, 10, false, rng, true);
    for (PIX_IBitmap* b : {static_cast<PIX_IBitmap*>(nullptr), static_cast<PIX_IBitmap*>(&none)}) {
        for (bool aa : {false, true}) {
            PIX_DrawSmoothSegment(b, 0.5f, 0.5f, 7.5f, 3.5f, kWhite, 1.0f, PIX_CombineCopy, aa);
            PIX_DrawQuadraticCurve(b, 0, 0, 4, 9, 9, 0, kWhite, 1.0f, PIX_CombineCopy, aa, 1.0f);
            PIX_DrawCubicCurve(b, 0, 0, 3, 9, 6, 9, 9, 0, kWhite, 1.0f, PIX_CombineCopy, aa, 1.0f);
        }
        PIX_CubicSpan span;
        span.tEnd = 5;
        EXPECT_EQ(PIX_CubicSetup(b, 1, 0, 0, 3, 9, 6, 9, 9, 0, 1.0f, &span), 0);
        EXPECT_EQ(span.tEnd, 0.0);
    }
}

// ---- Curves ----

TEST(SmoothLineCurve, PieceCountsSaturateAndStopAtTheLimit)
{
    struct Case {
        double length, tSpan;
        float step;
        int pieces;
    } const cases[] = {
        {10, 1, 3.0f, 3},
        {10, 0.5, 2.0f, 2},
        {10, 1, 0.0f, 10},
        {10, 1, -3.0f, 10},
        {10, 1, kNaN, 10},
        {10, 1, kInf, 0},
        {10, -1, 1.0f, 0},
        {std::nan(""), 1, 1.0f, 0},
        {10, 1, 1e-30f, PIX_CurvePieceLimit},
        {1e30, 1, 1.0f, PIX_CurvePieceLimit},
        {double(kInf), 1, 1.0f, PIX_CurvePieceLimit},
        {double(PIX_CurvePieceLimit) - 0.5, 1, 1.0f, PIX_CurvePieceLimit - 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PIX_CurvePieceCount(c.length, c.tSpan, c.step), c.pieces)
            << c.length << " x " << c.tSpan << " / " << c.step;
}

TEST(SmoothLineCurve, QuadraticYAtXSolvesForTOrTakesTheChord)
{
    struct Case {
        float x0, cx, x2, y0, cy, y2, x;
        double y, t;
    } const cases[] = {
        // x = 10 t^2.
        {0, 0, 10, 0, 4, 8, 2.5f, 4.0, 0.5},
        // The control point midway in x: the chord's y, not the curve's 5.
        {0, 5, 10, 0, 10, 0, 5.0f, 0.0, 0.5},
        {3, 3, 3, 7, 1, 2, 9.0f, 7.0, 0.0},
        // Rounding takes the discriminant to -4.8e-7 where the curve is
        // tangent at its end; counted as 0 it gives t = 1.
        {-31731.1836f, 3.89776655e-09f, 3.89776655e-09f, 0, 5, 5, 3.89776655e-09f, 5.0, 1.0},
    };
    for (const Case& c : cases) {
        double t = -1;
        const double y = PIX_QuadraticYAtX(&t, c.x0, c.cx, c.x2, c.y0, c.cy, c.y2, c.x);
        EXPECT_NEAR(y, c.y, 1e-9) << c.x0 << " " << c.cx << " " << c.x2 << " at " << c.x;
        EXPECT_NEAR(t, c.t, 1e-9) << c.x0 << " " << c.cx << " " << c.x2 << " at " << c.x;
        EXPECT_EQ(PIX_QuadraticYAtX(nullptr, c.x0, c.cx, c.x2, c.y0, c.cy, c.y2, c.x), y);
    }
}

struct CurveCase {
    const char* name;
    int width;
    Point p[4];  // a quadratic uses the first three
    float step;
    std::vector<Point> polyline;
};

// Each curve drawn as its polyline, plain and antialiased.
template <class DrawCurve>
void ExpectPolylines(const std::vector<CurveCase>& cases, DrawCurve draw)
{
    for (const CurveCase& c : cases)
        for (bool aa : {false, true}) {
            GuardedBitmap b = Random(c.width, 12, false, 4),
                          expected = Random(c.width, 12, false, 4);
            draw(&b, c, aa);
            DrawPolyline(&expected, c.polyline, 0xFFF0C020u, 0.9f, PIX_CombineCopy, aa);
            EXPECT_EQ(b.Words(), expected.Words()) << c.name << " aa " << aa;
            EXPECT_TRUE(b.GuardIntact()) << c.name;
        }
}

TEST(SmoothLineCurve, QuadraticIsDrawnAsTheChainOfItsPieces)
{
    // (1, 1), (5, 9), (9, 1): x = 1 + 8t, control polygon 17.9 long.
    const std::vector<CurveCase> cases = {
        {"control polygon shorter than the step",
         16,
         {{1, 1}, {5, 9}, {9, 1}},
         20.0f,
         {{1, 1}, {9, 1}}},
        {"one piece", 16, {{1, 1}, {5, 9}, {9, 1}}, 17.5f, {{1, 1}, {9, 1}}},
        {"two pieces", 16, {{1, 1}, {5, 9}, {9, 1}}, 6.0f, {{1, 1}, {5, 5}, {9, 1}}},
        {"right to left", 16, {{9, 1}, {5, 9}, {1, 1}}, 6.0f, {{1, 1}, {5, 5}, {9, 1}}},
        // x = -7 + 16t reaches 0 at t = 7/16; the start takes the chord's y.
        {"start clipped", 16, {{-7, 1}, {1, 9}, {9, 1}}, 13.0f, {{0, 1}, {9, 1}}},
        {"start clipped, two pieces",
         16,
         {{-7, 1}, {1, 9}, {9, 1}},
         6.0f,
         {{0, 1}, {4.5f, 4.234375f}, {9, 1}}},
        // Width 8: the end is at x = 7, t = 3/4.
        {"end clipped", 8, {{1, 1}, {5, 9}, {9, 1}}, 20.0f, {{1, 1}, {7, 1}}},
        {"end clipped, two pieces",
         8,
         {{1, 1}, {5, 9}, {9, 1}},
         6.0f,
         {{1, 1}, {4, 4.75f}, {7, 1}}},
        {"left of the bitmap", 16, {{-9, 1}, {-5, 9}, {-1, 1}}, 1.0f, {}},
    };
    ExpectPolylines(cases, [](PIX_IBitmap* b, const CurveCase& c, bool aa) {
        PIX_DrawQuadraticCurve(b, c.p[0].x, c.p[0].y, c.p[1].x, c.p[1].y, c.p[2].x, c.p[2].y,
                               0xFFF0C020u, 0.9f, PIX_CombineCopy, aa, c.step);
    });
}

TEST(SmoothLineCurve, CubicIsDrawnInPiecesLessOneParts)
{
    // (1, 1), (4, 7), (7, 7), (10, 1): x = 1 + 9t, y = 1 + 18t - 18t^2,
    // control polygon 16.4 long. (-3, 1) ... (9, 1): x = -3 + 12t.
    const std::vector<CurveCase> cases = {
        {"one piece", 16, {{1, 1}, {4, 7}, {7, 7}, {10, 1}}, 20.0f, {{1, 1}, {10, 1}}},
        {"two pieces, one part", 16, {{1, 1}, {4, 7}, {7, 7}, {10, 1}}, 8.0f, {{1, 1}, {10, 1}}},
        {"three pieces, two parts",
         16,
         {{1, 1}, {4, 7}, {7, 7}, {10, 1}},
         5.0f,
         {{1, 1}, {4, 5}, {10, 1}}},
        {"four pieces, three parts",
         16,
         {{1, 1}, {4, 7}, {7, 7}, {10, 1}},
         4.0f,
         {{1, 1}, {3.25f, 4.375f}, {5.5f, 5.5f}, {10, 1}}},
        {"right to left", 16, {{10, 1}, {7, 7}, {4, 7}, {1, 1}}, 5.0f, {{1, 1}, {4, 5}, {10, 1}}},
        {"start clipped", 16, {{-3, 1}, {1, 7}, {5, 7}, {9, 1}}, 20.0f, {{0, 4.375f}, {9, 1}}},
        {"both ends clipped",
         6,
         {{-3, 1}, {1, 7}, {5, 7}, {9, 1}},
         20.0f,
         {{0, 4.375f}, {6, 4.375f}}},
        {"right of the bitmap", 16, {{20, 1}, {23, 7}, {26, 7}, {29, 1}}, 1.0f, {}},
    };
    ExpectPolylines(cases, [](PIX_IBitmap* b, const CurveCase& c, bool aa) {
        PIX_DrawCubicCurve(b, c.p[0].x, c.p[0].y, c.p[1].x, c.p[1].y, c.p[2].x, c.p[2].y, c.p[3].x,
                           c.p[3].y, 0xFFF0C020u, 0.9f, PIX_CombineCopy, aa, c.step);
    });
}

TEST(SmoothLineCurve, CubicSetupOrdersClipsAndCountsPieces)
{
    struct Case {
        const char* name;
        int axis, width;
        Point p[4];
        float step;
        int pieces;
        double cx, dx, cy, dy;  // the linear and constant terms found
        float xStart, xEnd, yStart, yEnd;
        double tStart, tEnd;
    } const cases[] = {
        // clang-format off
        //  name                  axis width points                                step pieces cx dx cy dy        xStart..yEnd          tStart..tEnd
        {"ordered",                 1, 16, {{0, 0}, {3, 6}, {6, 6}, {9, 0}},     5.0f, 3,   9, 0, 18, 0,    0, 9, 0, 0,           0, 1},
        {"step 0 is 1",             1, 16, {{0, 0}, {3, 6}, {6, 6}, {9, 0}},     0.0f, 16,  9, 0, 18, 0,    0, 9, 0, 0,           0, 1},
        {"reversed by x",           1, 16, {{9, 0}, {6, 6}, {3, 6}, {0, 0}},     5.0f, 3,   9, 0, 18, 0,    0, 9, 0, 0,           0, 1},
        {"axis 0 reverses by y",    0, 16, {{2, 8}, {2, 6}, {2, 4}, {2, 2}},     1.0f, 6,   0, 2, 6, 2,     2, 2, 2, 8,           0, 1},
        {"axis 1 keeps y order",    1, 16, {{2, 8}, {2, 6}, {2, 4}, {2, 2}},     1.0f, 6,   0, 2, -6, 8,    2, 2, 8, 2,           0, 1},
        {"axis 2 orders both",      2, 16, {{2, 8}, {2, 6}, {2, 4}, {2, 2}},     1.0f, 6,   0, 2, 6, 2,     2, 2, 2, 8,           0, 1},
        // x = -3 + 12t: 0 at t = 1/4, 6 at t = 3/4, both hit by the bisection.
        {"start clipped",           1, 16, {{-3, 0}, {1, 6}, {5, 6}, {9, 0}},    1.0f, 13,  12, -3, 18, 0,  0, 9, 3.375f, 0,      0.25 + 1.0 / 256, 1},
        {"both clipped",            1, 6,  {{-3, 0}, {1, 6}, {5, 6}, {9, 0}},    1.0f, 9,   12, -3, 18, 0,  0, 6, 3.375f, 3.375f, 0.25 + 1.0 / 256, 0.75},
        {"right of the bitmap",     1, 16, {{20, 0}, {23, 6}, {26, 6}, {29, 0}}, 1.0f, 0,   9, 20, 18, 0,   20, 16, 0, 0,         0, 1},
        // Clipping the start puts it above the end: empty by y, not by x.
        {"empty by y",              0, 16, {{-3, 0}, {1, 12}, {5, 12}, {9, 1}},  1.0f, 0,   12, -3, 36, 0,  0, 9, 6.765625f, 1,   0.25 + 1.0 / 256, 1},
        {"far control point",       1, 16, {{0, 0}, {3, 1e30f}, {6, 6}, {9, 0}}, 1.0f, PIX_CurvePieceLimit, 9, 0, 3.0 * double(1e30f), 0, 0, 9, 0, 0, 0, 1},
        {"tiny step",               1, 16, {{0, 0}, {3, 6}, {6, 6}, {9, 0}},     1e-30f, PIX_CurvePieceLimit, 9, 0, 18, 0, 0, 9, 0, 0, 0, 1},
    };
    // clang-format on
    for (const Case& c : cases) {
        GuardedBitmap b = Random(c.width, 4, false, 2);
        PIX_CubicSpan s;
        EXPECT_EQ(PIX_CubicSetup(&b, c.axis, c.p[0].x, c.p[0].y, c.p[1].x, c.p[1].y, c.p[2].x,
                                 c.p[2].y, c.p[3].x, c.p[3].y, c.step, &s),
                  c.pieces)
            << c.name;
        EXPECT_EQ(s.x.c, c.cx) << c.name;
        EXPECT_EQ(s.x.d, c.dx) << c.name;
        EXPECT_EQ(s.y.c, c.cy) << c.name;
        EXPECT_EQ(s.y.d, c.dy) << c.name;
        // At t = 1 the basis gives the far end: the end that is not dx.
        EXPECT_EQ(s.x.a + s.x.b + s.x.c + s.x.d, c.p[0].x + c.p[3].x - c.dx) << c.name;
        EXPECT_EQ(s.xStart, c.xStart) << c.name;
        EXPECT_EQ(s.xEnd, c.xEnd) << c.name;
        EXPECT_EQ(s.yStart, c.yStart) << c.name;
        EXPECT_EQ(s.yEnd, c.yEnd) << c.name;
        EXPECT_EQ(s.tStart, c.tStart) << c.name;
        EXPECT_EQ(s.tEnd, c.tEnd) << c.name;
    }
}

TEST(SmoothLineCurve, CubicYAtXTakesTheChordOfAByteWideBracket)
{
    // x = 9t, y = 18t - 18t^2.
    struct Case {
        float x;
        float y, xHigh, slope;
        double tLow, tHigh;  // -1: not written
        float tolerance;
    } const cases[] = {
        {-1.0f, 0, 0, 0, -1, -1, 0},
        {9.0f, 0, 9, 0, -1, -1, 0},
        // Hit at the first halving: the bracket is [1/2, 1/2 + 1/256].
        {4.5f, 4.5f, 9 * (0.5f + 1.0f / 256), -1.0f / 128, 0.5, 0.5 + 1.0 / 256, 0},
        // Hit at the last halving, the bracket held within t <= 1.
        {9 * 255.0f / 256, float(18 * (255.0 / 256) * (1.0 / 256)), 9, -2.0f * 255 / 256,
         255.0 / 256, 1, 1e-6f},
        // t = 1/9 lies in [28/256, 29/256]; the chord is near the curve.
        {1.0f, 16.0f / 9, 9 * 29.0f / 256, 2.0f * 199 / 256, 28.0 / 256, 29.0 / 256, 2e-3f},
    };
    for (const Case& c : cases) {
        float xHigh = -1, slope = -1;
        double tLow = -1, tHigh = -1;
        const float y = PIX_CubicYAtX(0, 3, 6, 9, 0, 6, 6, 0, c.x, &xHigh, &slope, &tLow, &tHigh);
        EXPECT_NEAR(y, c.y, c.tolerance) << c.x;
        EXPECT_EQ(xHigh, c.xHigh) << c.x;
        EXPECT_NEAR(slope, c.slope, 1e-6f) << c.x;
        EXPECT_EQ(tLow, c.tLow) << c.x;
        EXPECT_EQ(tHigh, c.tHigh) << c.x;
        EXPECT_EQ(PIX_CubicYAtX(0, 3, 6, 9, 0, 6, 6, 0, c.x, nullptr, nullptr, nullptr, nullptr),
                  y);
    }
}

// A tiny step or a far control point costs at most PIX_CurvePieceLimit
// pieces, each drawn inside the bitmap.
TEST(SmoothLineCurve, TinyStepsAndFarControlPointsStayBounded)
{
    GuardedBitmap b = Random(16, 12, false, 6);
    PIX_DrawQuadraticCurve(&b, 1, 1, 5, 9, 9, 1, kWhite, 1.0f, PIX_CombineAdd, true, 1e-30f);
    PIX_DrawQuadraticCurve(&b, 1, 1, 5, 3e30f, 9, 1, kWhite, 1.0f, PIX_CombineAdd, false, 1.0f);
    PIX_DrawCubicCurve(&b, 1, 1, 4, 7, 7, 7, 10, 1, kWhite, 1.0f, PIX_CombineAdd, true, 1e-30f);
    PIX_DrawCubicCurve(&b, 1, 1, 4, -3e30f, 7, 7, 10, 1, kWhite, 1.0f, PIX_CombineAdd, false, 1.0f);
    EXPECT_TRUE(b.GuardIntact());
}

// ---- Fuzz ----

TEST(SmoothLineFuzz, RandomCallsKeepTheGuardBandWhole)
{
    Lcg rng{0x5300D};
    const float specials[] = {kNaN, kInf, -kInf, 0.0f, -0.0f, 1e30f, -1e30f, 3e9f, -3e9f, 0.5f};
    auto pick = [&](const auto& list) { return list[rng.Below(int(std::size(list)))]; };
    auto coordinate = [&](int extent) {
        switch (rng.Below(10)) {
            case 0:
                return pick(specials);
            case 1:
                return rng.Range(-1e6f, 1e6f);
            case 2:
                return float(rng.Range(-2, extent + 2));
            case 3:  // eighths: ends on whole pixels and on the edges
                return float(rng.Range(-16, 8 * extent + 16)) / 8;
            default:
                return rng.Range(-8.0f, float(extent) + 8.0f);
        }
    };
    const float alphas[] = {1.0f, 0.5f, 0.25f, 0.75f, 0.0f, -0.5f, 3.0f, kNaN, kInf, -kInf};
    const float steps[] = {0.0f, -1.0f, 0.5f, 1.0f, 3.0f, 40.0f, kNaN, kInf, -kInf, 1e30f};
    for (int n = 0; n < 20000; ++n) {
        const int width = rng.Range(0, 20), height = rng.Range(0, 20);
        GuardedBitmap b(width, height, rng.Below(2) == 1, rng);
        float p[8];
        for (int i = 0; i < 8; ++i) p[i] = coordinate(i % 2 ? height : width);
        const PIX_PackedColor colour = rng.Pixel();
        const float alpha = rng.Below(3) ? pick(alphas) : rng.Range(-2.0f, 2.0f);
        const PIX_CombineMode mode = PIX_CombineMode(rng.Below(4) ? rng.Below(6) : rng.Below(256)) |
                                     (rng.Below(4) ? 0 : PIX_CombineSourceAlpha);
        const bool aa = rng.Below(4) != 0;
        // Long curves get long steps: the piece limit has its own test.
        float step = pick(steps);
        double length = 0;
        for (int i = 2; i < 8; i += 2) length += std::hypot(p[i] - p[i - 2], p[i + 1] - p[i - 1]);
        if (!(length < 4000)) step = std::isfinite(length) ? float(length / 1000) : kInf;
        switch (n % 4) {
            case 0:
                PIX_DrawSmoothSegment(&b, p[0], p[1], p[2], p[3], colour, alpha, mode, aa);
                break;
            case 1:
                PIX_DrawQuadraticCurve(&b, p[0], p[1], p[2], p[3], p[4], p[5], colour, alpha, mode,
                                       aa, step);
                PIX_QuadraticYAtX(nullptr, p[0], p[2], p[4], p[1], p[3], p[5], p[6]);
                break;
            case 2:
                PIX_DrawCubicCurve(&b, p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], colour,
                                   alpha, mode, aa, step);
                break;
            default: {
                PIX_CubicSpan span;
                const int pieces = PIX_CubicSetup(&b, rng.Range(-1, 2), p[0], p[1], p[2], p[3],
                                                  p[4], p[5], p[6], p[7], step, &span);
                EXPECT_GE(pieces, 0);
                EXPECT_LE(pieces, PIX_CurvePieceLimit);
                float xHigh, slope;
                double tLow, tHigh;
                PIX_CubicYAtX(p[0], p[2], p[4], p[6], p[1], p[3], p[5], p[7], coordinate(width),
                              &xHigh, &slope, &tLow, &tHigh);
                break;
            }
        }
        ASSERT_TRUE(b.GuardIntact()) << "call " << n;
    }
}

// ---- Golden sheet ----

TEST(SmoothLineGolden, SheetKeepsItsDigest)
{
    // One band of 40 rows per operation over a gradient; in each band plain
    // and antialiased fans, then quadratics and cubics both ways.
    constexpr int kWidth = 256, kBand = 40;
    GuardedBitmap sheet = Random(kWidth, 6 * kBand, false, 0);
    for (int y = 0; y < sheet.PixelHeight(); ++y)
        for (int x = 0; x < kWidth; ++x)
            sheet.At(x, y) = 0xFF000000u | uint32_t(40 + x * 3 / 4) << 16 |
                             uint32_t(60 + (y % kBand) * 3) << 8 | 0x70u;
    const PIX_PackedColor colours[] = {0xFFFFF0A0u, 0xFF603010u, 0xFF9060F0u,
                                       0xFF40C0FFu, 0xFFFFFFFFu, 0xFFC04080u};
    for (int op = 0; op <= int(PIX_CombineHsvShift); ++op) {
        const float top = float(op * kBand);
        const PIX_PackedColor colour = colours[op];
        for (int aa = 0; aa < 2; ++aa) {
            const float left = 4.0f + 52.0f * aa;
            for (int i = 0; i < 7; ++i) {
                const float angle = float(i) * 0.26f;
                PIX_DrawSmoothSegment(&sheet, left + 0.3f, top + 36.6f,
                                      left + 0.3f + 44 * std::cos(angle),
                                      top + 36.6f - 33 * std::sin(angle), colour, 1.0f, op, aa);
            }
        }
        for (int aa = 0; aa < 2; ++aa) {
            const float left = 108.0f + 74.0f * aa;
            PIX_DrawQuadraticCurve(&sheet, left, top + 34, left + 30, top - 20, left + 66, top + 30,
                                   colour, 1.0f, op, aa, 3.0f);
            PIX_DrawQuadraticCurve(&sheet, left + 2, top + 4, left + 20, top + 40, left + 40,
                                   top + 8, colour, 0.5f, op, aa, 2.0f);
            PIX_DrawCubicCurve(&sheet, left, top + 20, left + 20, top - 10, left + 40, top + 50,
                               left + 66, top + 14, colour, 0.8f, op, aa, 2.5f);
        }
    }
    // Curves running off both sides.
    PIX_DrawCubicCurve(&sheet, -40, 230, 60, 120, 200, 300, 300, 200, kWhite, 1.0f, PIX_CombineCopy,
                       true, 4.0f);
    PIX_DrawQuadraticCurve(&sheet, -20, 10, 128, 120, 280, 12, 0xFF000000u, 0.6f, PIX_CombineCopy,
                           true, 4.0f);
    WriteGoldenIfRequested(sheet, "smooth_lines");
    EXPECT_TRUE(sheet.GuardIntact());
    EXPECT_EQ(DigestOf(sheet.Words()), 0xe5277ca4c86eaba9ull)
        << std::hex << DigestOf(sheet.Words());
}

}  // namespace
