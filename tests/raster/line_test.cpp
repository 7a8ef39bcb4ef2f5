#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <limits>

#include "raster/bitmap.h"
#include "raster/line.h"
#include "raster/line_kernels.h"
#include "raster/pixel.h"
#include "raster/reference.h"
#include "golden_image.h"
#include "raster_test_support.h"

namespace {

using raster_test::DigestOf;
using raster_test::GuardedBitmap;
using raster_test::kGuard;
using raster_test::Lcg;
using raster_test::RangeBits;
using raster_test::WriteGoldenIfRequested;

// A bitmap whose every word, guard band included, comes from the generator
// seeded with seed.
GuardedBitmap Noise(int width, int height, bool bottomUp, uint32_t seed)
{
    Lcg rng{seed};
    return GuardedBitmap::Noise(width, height, bottomUp, rng);
}

// ---- Reference plots: which pixel gets which combine, in order ----

enum class Form { Weight, Store, Half, Quarter, ThreeQuarter, Average };

struct Plot {
    int x, row;
    Form form;
    int weight;
};

int Weight(float alpha)
{
    return int(alpha * 256.0f);
}

void Combine(uint8_t* p, PIX_PackedColor colour, unsigned op, Form form, int64_t w)
{
    const int64_t s[4] = {colour & 255, (colour >> 8) & 255, (colour >> 16) & 255, colour >> 24};
    if (form == Form::Weight && op == PIX_CombineHsvShift)
        return ref::HsvShift(p, s[2], s[1], s[0], s[3], w);
    for (int i = 0; i < 4; ++i) {
        const int64_t d = p[i];
        int64_t v = 0;
        switch (form) {
            case Form::Store:
                v = s[i];
                break;
            case Form::Half:
                v = (d >> 1) + (s[i] >> 1);
                break;
            case Form::Quarter:
                v = (d >> 1) + (d >> 2) + (s[i] >> 2);
                break;
            case Form::ThreeQuarter:
                v = (s[i] >> 1) + (s[i] >> 2) + (d >> 2);
                break;
            case Form::Average:
                v = (d + s[i]) >> 1;
                break;
            case Form::Weight:
                v = op == 0   ? ref::Copy(d, s[i], w)
                    : op == 1 ? ref::Add(d, s[i], w)
                    : op == 2 ? ref::Dodge(d, s[i], w)
                    : op == 3 ? ref::Multiply(d, s[i], w)
                              : ref::SoftLight(d, s[i], w);
                break;
        }
        p[i] = uint8_t(v);
    }
}

// The buffer that the plots make of the bitmap's present contents.
std::vector<PIX_PackedColor> Apply(GuardedBitmap& b, const std::vector<Plot>& plots,
                                   PIX_PackedColor colour, unsigned op)
{
    std::vector<PIX_PackedColor> out = b.Words();
    for (const Plot& p : plots) {
        EXPECT_TRUE(p.x >= 0 && p.x < b.PixelWidth() && p.row >= 0 && p.row < b.PixelHeight())
            << p.x << "," << p.row;
        const size_t i = size_t((p.row + kGuard) * b.RowStride() + p.x + kGuard);
        Combine(reinterpret_cast<uint8_t*>(&out[i]), colour, op & 0xFF, p.form, p.weight);
    }
    return out;
}

// Form of a run pixel (horizontal, vertical, or 45 degrees without antialiasing).
bool RunForm(unsigned op, float alpha, bool exactForms, Form* form, int* w)
{
    *w = Weight(alpha);
    *form = Form::Weight;
    if (op != 0) return *w != 0;
    if (alpha == 1.0f) return *form = Form::Store, true;
    if (exactForms && alpha == 0.5f) return *form = Form::Half, true;
    if (exactForms && alpha == 0.25f) return *form = Form::Quarter, true;
    if (exactForms && alpha == 0.75f) return *form = Form::ThreeQuarter, true;
    if (*w <= 0) return false;
    if (*w == 256) *form = Form::Store;
    if (*w == 128) *form = Form::Average;
    return true;
}

// The segment as the pixels it touches, from its description: runs in order,
// 45-degree runs from the first end point, and the general segment as pairs
// placed by the nearest whole minor offset (or straddling the exact line),
// walked from both ends.
std::vector<Plot> ReferenceSegment(int width, int height, bool bottomUp, int x1, int y1, int x2,
                                   int y2, unsigned op, float alpha, bool aa)
{
    std::vector<Plot> out;
    if (bottomUp) y1 = height - 1 - y1, y2 = height - 1 - y2;
    op &= 0xFF;
    if (op > 5 || !PIX_ClipSegment(&x1, &y1, &x2, &y2, width, height)) return out;
    Form form;
    int w;
    if (y1 == y2 || x1 == x2) {
        if (!RunForm(op, alpha, true, &form, &w)) return out;
        const int n = std::max(std::abs(x2 - x1), std::abs(y2 - y1));
        const int sx = x1 == x2 ? 0 : 1, sy = x1 == x2 ? 1 : 0;
        const int x0 = std::min(x1, x2), y0 = std::min(y1, y2);
        for (int k = 0; k <= n; ++k) out.push_back({x0 + k * sx, y0 + k * sy, form, w});
        return out;
    }
    const int dx = x2 - x1, dy = y2 - y1;
    if (std::abs(dx) == std::abs(dy)) {
        const int n = std::abs(dx), sx = dx > 0 ? 1 : -1, sy = dy > 0 ? 1 : -1;
        w = Weight(alpha);
        if (!aa) {
            if (!RunForm(op, alpha, false, &form, &w)) return out;
            for (int k = 0; k <= n; ++k) out.push_back({x1 + k * sx, y1 + k * sy, form, w});
            return out;
        }
        const bool shifts = op == 0 && alpha == 1.0f;
        if (!shifts && (w == 0 || (op == 0 && w <= 0))) return out;
        const Plot main{0, 0, shifts ? Form::ThreeQuarter : Form::Weight,
                        int(ref::Div(3 * int64_t(w), 4))};
        const Plot side{0, 0, shifts ? Form::Quarter : Form::Weight, int(ref::Div(w, 4))};
        for (int k = 0; k < n; ++k) {
            const int x = x1 + k * sx, y = y1 + k * sy;
            out.push_back({x, y, main.form, main.weight});
            out.push_back({x + sx, y, side.form, side.weight});
            out.push_back({x, y + sy, side.form, side.weight});
        }
        out.push_back({x2, y2, main.form, main.weight});
        return out;
    }
    w = Weight(alpha);
    if (w == 0 || (op == 0 && w < 0)) return out;
    form = Form::Weight;
    if (op == 0 && !aa && w == 256) form = Form::Store;
    if (op == 0 && !aa && w == 128) form = Form::Average;
    const bool xMajor = std::abs(dx) > std::abs(dy);
    int fx = x1, fy = y1, lx = x2, ly = y2;
    if ((xMajor ? dx : dy) < 0) std::swap(fx, lx), std::swap(fy, ly);
    const int length = xMajor ? lx - fx : ly - fy;
    const int minor = xMajor ? ly - fy : lx - fx;
    const int mx = xMajor ? 1 : 0, my = xMajor ? 0 : 1;
    const int nx = xMajor ? 0 : (minor > 0 ? 1 : -1), ny = xMajor ? (minor > 0 ? 1 : -1) : 0;
    const int64_t slope = int64_t(std::abs(minor)) * 65536 / length;
    const int n = (length + 1) / 2;
    auto fromFirst = [&](int k, int64_t j, Form f, int weight) {
        out.push_back({fx + k * mx + int(j) * nx, fy + k * my + int(j) * ny, f, weight});
    };
    auto fromLast = [&](int k, int64_t j, Form f, int weight) {
        out.push_back({lx - k * mx - int(j) * nx, ly - k * my - int(j) * ny, f, weight});
    };
    if (!aa) {
        for (int k = 0; k < n; ++k) {
            const int64_t j = (k * slope + 32768) / 65536;
            fromFirst(k, j, form, w);
            fromLast(k, j, form, w);
        }
        if (length % 2 == 0) fromFirst(n, (n * slope + 32768) / 65536, form, w);
        return out;
    }
    fromFirst(0, 0, form, w);
    fromLast(0, 0, form, w);
    auto pair = [&](int k, bool mirrored) {
        const int64_t j = k * slope / 65536, f = (k * slope % 65536) >> 8;
        const int mainWeight = int(ref::Div((255 - f) * w, 256)),
                  sideWeight = int(ref::Div(f * w, 256));
        if (mirrored) {
            fromLast(k, j, form, mainWeight);
            fromLast(k, j + 1, form, sideWeight);
        } else {
            fromFirst(k, j, form, mainWeight);
            fromFirst(k, j + 1, form, sideWeight);
        }
    };
    for (int k = 1; k < n; ++k) pair(k, false), pair(k, true);
    if (length % 2 == 0) pair(n, false);
    return out;
}

// Dashes: pixel i of the half-open range is drawn when i mod (on + off) < on
// (for on, off >= 0).
std::vector<Plot> ReferenceDashes(int width, int height, int x1, int y1, int x2, int y2, int on,
                                  int off, unsigned op, float alpha)
{
    std::vector<Plot> out;
    op &= 0xFF;
    if (op > 5 || !PIX_ClipSegment(&x1, &y1, &x2, &y2, width, height) || (x1 != x2 && y1 != y2))
        return out;
    if (on + off <= 0) return out;
    Form form;
    int w;
    if (!RunForm(op, alpha, false, &form, &w)) return out;
    const int sx = x1 == x2 ? 0 : 1, sy = x1 == x2 ? 1 : 0;
    const int x0 = std::min(x1, x2), y0 = std::min(y1, y2);
    const int n = std::max(std::abs(x2 - x1), std::abs(y2 - y1));
    for (int i = 0; i < n; ++i)
        if (i % (on + off) < on) out.push_back({x0 + i * sx, y0 + i * sy, form, w});
    return out;
}

constexpr PIX_CombineMode kModes[] = {0, 1, 2, 3, 4, 5, 6, 0xF3, 0x10000, 0x10003, 0x10105};
constexpr float kAlphas[] = {1.0f, 0.5f,       0.25f, 0.75f, 0.5f + 1.0f / 512, 0.3f, 1.001f,
                             0.0f, 1.0f / 512, -0.2f, 1.3f,  0.78125f};

// ---- Clipping ----

struct ClipCase {
    int x1, y1, x2, y2, width, height;
    bool inside;
    int cx1, cy1, cx2, cy2;
};

TEST(LineClip, IntegerClipperMovesEndPointsToTheEdges)
{
    const ClipCase cases[] = {
        {-10, 5, 20, 5, 10, 10, true, 0, 5, 9, 5},
        {0, 0, 10, 20, 10, 10, true, 0, 0, 5, 9},  // crossing at y = 10, placed on row 9
        {10, 20, 0, 0, 10, 10, true, 5, 9, 0, 0},
        {-3, -1, 6, 2, 10, 10, true, 0, 0, 6, 2},
        {2, 3, 7, 8, 10, 10, true, 2, 3, 7, 8},
        {-5, 0, -1, 9, 10, 10, false, 0, 0, 0, 0},
        {3, 12, 8, 10, 10, 10, false, 0, 0, 0, 0},
        {INT_MIN, 5, INT_MAX, 5, 10, 10, true, 0, 5, 9, 5},
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX, 10, 10, true, 0, 0, 9, 9},
        {INT_MAX, INT_MIN + 1, INT_MIN + 1, INT_MAX, 7, 7, true, 0, 0, 0, 0},  // x + y = 0
        {INT_MAX, INT_MIN, INT_MIN, INT_MAX, 7, 7, false, 0, 0, 0, 0},         // x + y = -1
        {3, INT_MAX, 3, INT_MIN, 1, 1, false, 0, 0, 0, 0},
        {0, 0, 0, 0, 0, 5, false, 0, 0, 0, 0},
        {0, 0, 0, 0, 5, -1, false, 0, 0, 0, 0},
    };
    for (const ClipCase& c : cases) {
        int x1 = c.x1, y1 = c.y1, x2 = c.x2, y2 = c.y2;
        ASSERT_EQ(PIX_ClipSegment(&x1, &y1, &x2, &y2, c.width, c.height), c.inside)
            << c.x1 << "," << c.y1;
        if (c.inside) {
            EXPECT_EQ((std::vector<int>{x1, y1, x2, y2}),
                      (std::vector<int>{c.cx1, c.cy1, c.cx2, c.cy2}));
        }
    }
}

TEST(LineClip, BoxClippersWorkRelativeToTheBox)
{
    int x1 = 90, y1 = 205, x2 = 120, y2 = 205;
    EXPECT_TRUE(PIX_ClipSegmentToBox(&x1, &y1, &x2, &y2, 100, 200, 110, 210));
    EXPECT_EQ((std::vector<int>{x1, y1, x2, y2}), (std::vector<int>{100, 205, 109, 205}));
    x1 = INT_MIN, y1 = 0, x2 = INT_MAX, y2 = 0;
    EXPECT_TRUE(PIX_ClipSegmentToBox(&x1, &y1, &x2, &y2, INT_MIN, -1, INT_MAX, 1));
    EXPECT_EQ((std::vector<int>{x1, y1, x2, y2}), (std::vector<int>{INT_MIN, 0, INT_MAX - 1, 0}));
    x1 = 0, y1 = 0, x2 = 5, y2 = 5;
    EXPECT_FALSE(PIX_ClipSegmentToBox(&x1, &y1, &x2, &y2, 10, 10, 5, 20));

    float f[4] = {90.f, 205.f, 120.f, 205.f};
    EXPECT_TRUE(PIX_ClipSegmentToBoxF(&f[0], &f[1], &f[2], &f[3], 100.f, 200.f, 110.9f, 210.f));
    EXPECT_EQ((std::vector<float>(f, f + 4)), (std::vector<float>{100.f, 205.f, 108.f, 205.f}));
}

struct ClipCaseF {
    float x1, y1, x2, y2;
    int width, height;
    bool inside;
    float cx1, cy1, cx2, cy2;
};

TEST(LineClip, FloatClipperLeavesRoomForPixelPairs)
{
    const ClipCaseF cases[] = {
        {-10.f, 5.f, 20.f, 5.f, 10, 10, true, 0.f, 5.f, 8.f, 5.f},
        {2.5f, 3.5f, 4.f, 4.f, 10, 10, true, 2.5f, 3.5f, 4.f, 4.f},
        {0.f, 0.f, 0.f, 20.f, 10, 10, true, 0.f, 0.f, 0.f, 8.f},
        {-2.f, -2.f, 6.f, 6.f, 10, 10, true, 0.f, 0.f, 6.f, 6.f},
        {4.f, 9.f, 5.f, 9.5f, 10, 10, false, 0, 0, 0, 0},  // y = 9 is already outside
        {0.f, 0.f, 0.f, 0.f, 1, 10, false, 0, 0, 0, 0},
        // Not a number anywhere is refused, never reported inside.
        {-123.3f, 15.f, std::numeric_limits<float>::quiet_NaN(), -9.33f, 23, 30, false, 0, 0, 0, 0},
        {-std::numeric_limits<float>::infinity(), 5.f, 20.f, 5.f, 10, 10, false, 0, 0, 0, 0},
    };
    for (const ClipCaseF& c : cases) {
        float x1 = c.x1, y1 = c.y1, x2 = c.x2, y2 = c.y2;
        ASSERT_EQ(PIX_ClipSegmentF(&x1, &y1, &x2, &y2, c.width, c.height), c.inside)
            << c.x1 << "," << c.y1;
        if (c.inside) {
            EXPECT_EQ((std::vector<float>{x1, y1, x2, y2}),
                      (std::vector<float>{c.cx1, c.cy1, c.cx2, c.cy2}));
        }
    }
}

TEST(LineClip, AcceptedSegmentsLieInsideForAnyEndPoints)
{
    Lcg rng{7, RangeBits::Whole};
    const int extremes[] = {INT_MIN, INT_MIN + 1, -1, 0, 1, INT_MAX - 1, INT_MAX};
    for (int n = 0; n < 20000; ++n) {
        int c[4];
        for (int& v : c) v = rng.Next() % 4 == 0 ? extremes[rng.Next() % 7] : rng.Range(-40, 40);
        const int width = rng.Range(1, 20), height = rng.Range(1, 20);
        if (PIX_ClipSegment(&c[0], &c[1], &c[2], &c[3], width, height)) {
            for (int i = 0; i < 4; i += 2) {
                ASSERT_TRUE(c[i] >= 0 && c[i] < width && c[i + 1] >= 0 && c[i + 1] < height);
            }
        }
        float f[4];
        for (float& v : f) v = float(rng.Range(-3000, 3000)) / 97.0f;
        if (PIX_ClipSegmentF(&f[0], &f[1], &f[2], &f[3], width, height)) {
            for (int i = 0; i < 4; i += 2)
                ASSERT_TRUE(f[i] >= 0 && f[i] < width - 1 && f[i + 1] >= 0 &&
                            f[i + 1] < height - 1);
        }
    }
}

// ---- Which pixels, at which weights ----

// Pixels that differ from black after drawing white at alpha 1.0 in copy mode,
// mapped to their green value (which equals the weight, 256 giving 255).
std::vector<std::pair<std::pair<int, int>, int>> Touched(int x1, int y1, int x2, int y2, bool aa)
{
    GuardedBitmap b = Noise(8, 8, false, 1);
    std::fill(b.Words().begin(), b.Words().end(), 0u);
    PIX_DrawSegment(&b, x1, y1, x2, y2, 0xFFFFFFFFu, 1.0f, PIX_CombineCopy, aa);
    std::vector<std::pair<std::pair<int, int>, int>> out;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if (b.At(x, y)) out.push_back({{x, y}, int((b.At(x, y) >> 8) & 255)});
    std::sort(out.begin(), out.end());
    return out;
}

struct TouchCase {
    int x1, y1, x2, y2;
    bool aa;
    std::vector<std::pair<std::pair<int, int>, int>> pixels;
};

TEST(LineSegment, TouchesThePixelsAndWeightsOfItsDescription)
{
    const TouchCase cases[] = {
        {3, 4, 3, 4, false, {{{3, 4}, 255}}},
        {0,
         0,
         5,
         2,
         false,
         {{{0, 0}, 255},
          {{1, 0}, 255},
          {{2, 1}, 255},
          {{3, 1}, 255},
          {{4, 2}, 255},
          {{5, 2}, 255}}},
        {0,
         0,
         4,
         1,
         false,
         {{{0, 0}, 255}, {{1, 0}, 255}, {{2, 1}, 255}, {{3, 1}, 255}, {{4, 1}, 255}}},
        {0,
         1,
         4,
         0,
         false,
         {{{0, 1}, 255}, {{1, 1}, 255}, {{2, 0}, 255}, {{3, 0}, 255}, {{4, 0}, 255}}},
        {0, 0, 2, 1, false, {{{0, 0}, 255}, {{1, 1}, 255}, {{2, 1}, 255}}},
        {0,
         0,
         4,
         1,
         true,
         {{{0, 0}, 255},
          {{1, 0}, 191},
          {{1, 1}, 64},
          {{2, 0}, 127},
          {{2, 1}, 128},
          {{3, 0}, 64},
          {{3, 1}, 191},
          {{4, 1}, 255}}},
        {0,
         0,
         3,
         3,
         true,
         {{{0, 0}, 190},
          {{0, 1}, 63},
          {{1, 0}, 63},
          {{1, 1}, 190},
          {{1, 2}, 63},
          {{2, 1}, 63},
          {{2, 2}, 190},
          {{2, 3}, 63},
          {{3, 2}, 63},
          {{3, 3}, 190}}},
        {0, 0, 3, 3, false, {{{0, 0}, 255}, {{1, 1}, 255}, {{2, 2}, 255}, {{3, 3}, 255}}},
    };
    for (const TouchCase& c : cases)
        EXPECT_EQ(Touched(c.x1, c.y1, c.x2, c.y2, c.aa), c.pixels)
            << c.x1 << "," << c.y1 << "-" << c.x2 << "," << c.y2 << " aa " << c.aa;
}

TEST(LineSegment, ReversedEndPointsDrawTheSameSegment)
{
    Lcg rng{11, RangeBits::Whole};
    for (int n = 0; n < 400; ++n) {
        const int x1 = rng.Range(0, 12), y1 = rng.Range(0, 8), x2 = rng.Range(0, 12),
                  y2 = rng.Range(0, 8);
        const bool aa = n % 2;
        GuardedBitmap a = Noise(13, 9, false, 5), b = Noise(13, 9, false, 5);
        std::fill(a.Words().begin(), a.Words().end(), 0u);
        std::fill(b.Words().begin(), b.Words().end(), 0u);
        PIX_DrawSegment(&a, x1, y1, x2, y2, 0x80C0FFFFu, 0.6f, PIX_CombineAdd, aa);
        PIX_DrawSegment(&b, x2, y2, x1, y1, 0x80C0FFFFu, 0.6f, PIX_CombineAdd, aa);
        ASSERT_EQ(a.Words(), b.Words())
            << x1 << "," << y1 << "-" << x2 << "," << y2 << " aa " << aa;
    }
}

TEST(LineSegment, HalfAlphaFormsDifferBetweenRunsAndWeight128)
{
    struct Case {
        int x2, y2;
        float alpha;
        PIX_PackedColor expected;
    } const cases[] = {
        {7, 0, 0.5f, 0x3F3F3F3Fu},               // (d >> 1) + (s >> 1)
        {7, 0, 0.5f + 1.0f / 512, 0x40404040u},  // (d + s) >> 1
        {7, 3, 0.5f, 0x40404040u},               // slanted: the byte average member
    };
    for (const Case& c : cases) {
        GuardedBitmap b = Noise(8, 8, false, 1);
        std::fill(b.Words().begin(), b.Words().end(), 0x01010101u);
        PIX_DrawSegment(&b, 0, 0, c.x2, c.y2, 0x7F7F7F7Fu, c.alpha, PIX_CombineCopy, false);
        EXPECT_EQ(b.At(0, 0), c.expected) << c.alpha;
        EXPECT_EQ(b.At(c.x2, c.y2), c.expected) << c.alpha;
    }
}

// Each named member applies its own operation.
TEST(LineKernels, NamedMembersApplyTheirOperation)
{
    struct Members {
        unsigned op;
        PIX_HRunKernelFn h;
        PIX_VRunKernelFn v;
        PIX_DiagRunKernelFn diag;
        PIX_LineKernelFn line;
        PIX_DashKernelFn dash;
    } const members[] = {
        {0, PIX_HRunKernelCopy, PIX_VRunKernelCopy, PIX_DiagRunKernelCopy, PIX_LineKernelCopy,
         PIX_DashKernelCopy},
        {1, PIX_HRunKernelAdd, PIX_VRunKernelAdd, PIX_DiagRunKernelAdd, PIX_LineKernelAdd,
         PIX_DashKernelAdd},
        {2, PIX_HRunKernelDodge, PIX_VRunKernelDodge, PIX_DiagRunKernelDodge, PIX_LineKernelDodge,
         PIX_DashKernelDodge},
        {3, PIX_HRunKernelMultiply, PIX_VRunKernelMultiply, PIX_DiagRunKernelMultiply,
         PIX_LineKernelMultiply, PIX_DashKernelMultiply},
        {4, PIX_HRunKernelSoftLight, PIX_VRunKernelSoftLight, PIX_DiagRunKernelSoftLight,
         PIX_LineKernelSoftLight, PIX_DashKernelSoftLight},
        {5, PIX_HRunKernelHsvShift, PIX_VRunKernelHsvShift, PIX_DiagRunKernelHsvShift,
         PIX_LineKernelHsvShift, PIX_DashKernelHsvShift},
    };
    const PIX_PackedColor dest = 0x8C3A71D2u, colour = 0x5BE0407Fu;
    for (const Members& m : members) {
        const PIX_PackedColor full = PIX_CombineColors(dest, colour, 200 / 256.0f, m.op);
        const PIX_PackedColor threeQuarters = PIX_CombineColors(dest, colour, 150 / 256.0f, m.op);
        GuardedBitmap b = Noise(2, 2, false, 1);
        auto fresh = [&] {
            return std::fill(b.Words().begin(), b.Words().end(), dest), b.PixelData();
        };
        m.h(fresh(), 1, colour, 200);
        EXPECT_EQ(b.At(0, 0), full) << m.op;
        m.v(fresh(), b.RowStride(), 1, colour, 200);
        EXPECT_EQ(b.At(0, 0), full) << m.op;
        m.diag(fresh(), 0, 1, b.RowStride(), colour, 200);
        EXPECT_EQ(b.At(0, 0), threeQuarters) << m.op;
        m.line(fresh(), b.PixelData() + 1, 0, 1, 0, b.RowStride(), colour, 200, false);
        EXPECT_EQ(b.At(0, 0), full) << m.op;
        fresh();
        m.dash(&b, 0, 0, 1, 0, 1, 0, colour, 200);
        EXPECT_EQ(b.At(0, 0), full) << m.op;
        EXPECT_EQ(b.At(1, 0), dest) << m.op;
    }
    GuardedBitmap b = Noise(2, 1, false, 1);
    std::fill(b.Words().begin(), b.Words().end(), 0x10203040u);
    PIX_LineKernelCopyOpaque(b.PixelData(), b.PixelData(), 0, 1, 0, 1, colour, 7, false);
    EXPECT_EQ(b.At(0, 0), colour);
    PIX_DashKernelCopyHalf(&b, 0, 0, 1, 0, 1, 0, 0x30405060u, 7);
    EXPECT_EQ(b.At(0, 0), 0x4590486Fu);
    PIX_LineKernelCopyHalf(b.PixelData() + 1, b.PixelData() + 1, 0, 1, 0, 1, 0xFFFFFFFFu, 7, false);
    EXPECT_EQ(b.At(1, 0), 0x878F979Fu);
}

// Every combine mode and weight form, with clipping at all four edges,
// negative coordinates and both row orders, against the reference plots.
TEST(LineSegment, MatchesReferencePlotsInEveryModeAndWeight)
{
    Lcg rng{2025, RangeBits::Whole};
    for (int n = 0; n < 1500; ++n) {
        const int width = rng.Range(1, 13), height = rng.Range(1, 9);
        const bool bottomUp = n % 3 == 0;
        int c[4];
        for (int i = 0; i < 4; ++i) c[i] = rng.Range(-7, (i % 2 ? height : width) + 6);
        if (n % 5 == 0)
            c[2] = c[0] + (rng.Next() % 2 ? 1 : -1) * std::abs(c[3] - c[1]);  // 45 degrees
        const PIX_PackedColor colour = rng.Next();
        for (PIX_CombineMode mode : kModes) {
            for (float alpha : kAlphas) {
                for (bool aa : {false, true}) {
                    GuardedBitmap b = Noise(width, height, bottomUp, rng.Next());
                    const std::vector<PIX_PackedColor> expected =
                        Apply(b,
                              ReferenceSegment(width, height, bottomUp, c[0], c[1], c[2], c[3],
                                               mode, alpha, aa),
                              colour, mode);
                    PIX_DrawSegment(&b, c[0], c[1], c[2], c[3], colour, alpha, mode, aa);
                    ASSERT_EQ(b.Words(), expected)
                        << width << "x" << height << " bottom-up " << bottomUp << " (" << c[0]
                        << "," << c[1] << ")-(" << c[2] << "," << c[3] << ") mode " << mode
                        << " alpha " << alpha << " aa " << aa;
                }
            }
        }
    }
}

TEST(LineSegment, ExtremeEndPointsClipWithoutOverflow)
{
    const int big[] = {INT_MIN, INT_MIN + 1, -1, 0, 5, INT_MAX - 1, INT_MAX};
    for (int x1 : big)
        for (int y1 : big)
            for (int x2 : big)
                for (int y2 : big)
                    for (bool bottomUp : {false, true}) {
                        GuardedBitmap b = Noise(9, 7, bottomUp, 3);
                        PIX_DrawSegment(&b, x1, y1, x2, y2, 0xFF00FF00u, 0.7f, PIX_CombineAdd,
                                        true);
                        PIX_DrawSegment(&b, x1, y1, x2, y2, 0xFF00FF00u, 1.0f, PIX_CombineCopy,
                                        false);
                        PIX_DrawDashedSegment(&b, x1, y1, x2, y2, 2, 1, 0xFF0000FFu, 0.5f,
                                              PIX_CombineCopy);
                        PIX_BoxOutline(&b, x1, y1, x2, y2, 0xFFFF0000u, 0.3f, PIX_CombineMultiply);
                        PIX_FillBoxOutlined(&b, x1, y1, x2, y2, 0x11223344u, 0xFFFF0000u, 1.0f,
                                            PIX_CombineCopy);
                        const std::vector<PIX_PackedColor> after = b.Words();
                        GuardedBitmap inner = Noise(9, 7, bottomUp, 3);
                        for (int y = 0; y < 7; ++y)
                            for (int x = 0; x < 9; ++x) inner.At(x, y) = b.At(x, y);
                        ASSERT_EQ(inner.Words(), after) << "guard band touched";
                    }
    GuardedBitmap b = Noise(10, 10, false, 0);
    std::fill(b.Words().begin(), b.Words().end(), 0u);
    PIX_DrawSegment(&b, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0xFFFFFFFFu, 1.0f, PIX_CombineCopy,
                    false);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(b.At(i, i), 0xFFFFFFFFu) << i;
}

TEST(LineSegment, BottomUpBitmapsFlipSegmentsButNotDashes)
{
    GuardedBitmap b = Noise(6, 5, true, 0);
    std::fill(b.Words().begin(), b.Words().end(), 0u);
    PIX_DrawSegment(&b, 0, 0, 5, 0, 0xFFu, 1.0f, PIX_CombineCopy, false);
    PIX_DrawDashedSegment(&b, 0, 0, 6, 0, 1, 0, 0xFF00u, 1.0f, PIX_CombineCopy);
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(b.Memory(x, 4), 0xFFu);
        EXPECT_EQ(b.Memory(x, 0),
                  x < 5 ? 0xFF00u : 0u);  // clipped to column 5, which dashes exclude
    }
}

TEST(LineSegment, NullBitmapsAndNullPixelsDrawNothing)
{
    Lcg rng{1};
    GuardedBitmap none(10, 10, false, rng, true);
    for (PIX_IBitmap* b : {static_cast<PIX_IBitmap*>(nullptr), static_cast<PIX_IBitmap*>(&none)}) {
        PIX_DrawSegment(b, 0, 0, 5, 3, 0xFFFFFFFFu, 1.0f, PIX_CombineCopy, true);
        PIX_DrawDashedSegment(b, 0, 0, 5, 0, 1, 1, 0xFFFFFFFFu, 1.0f, PIX_CombineCopy);
        PIX_BoxOutline(b, 0, 0, 5, 5, 0xFFFFFFFFu, 1.0f, PIX_CombineCopy);
        PIX_FillBoxOutlined(b, 0, 0, 5, 5, 0xFFu, 0xFFFFFFFFu, 1.0f, PIX_CombineCopy);
    }
    PIX_DashKernelCopy(nullptr, 0, 0, 5, 0, 1, 1, 0xFFFFFFFFu, 100);
    PIX_DashKernelCopy(&none, 0, 0, 5, 0, 1, 1, 0xFFFFFFFFu, 100);
}

// ---- Dashes, boxes ----

struct DashCase {
    int x1, y1, x2, y2, on, off;
    std::vector<int> drawn;  // offsets from the smaller end point
};

TEST(LineDashes, DrawTheirPatternOverTheHalfOpenRange)
{
    const DashCase cases[] = {
        {3, 0, 3, 9, 2, 3, {0, 1, 5, 6}},
        {3, 0, 3, 6, 2, 3, {0, 1, 5}},
        {3, 9, 3, 0, 2, 3, {0, 1, 5, 6}},
        {9, 2, 0, 2, 2, 3, {0, 1, 5, 6}},
        {3, 0, 3, 9, 1, 1, {0, 2, 4, 6, 8}},
        {3, 0, 3, 8, 1, 1, {0, 2, 4, 6}},
        {0, 4, 9, 4, 3, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
        {3, 3, 3, 3, 2, 3, {}},
        {0, 0, 5, 5, 2, 3, {}},
        {0, 1, 9, 1, INT_MAX, INT_MAX, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
        // Patterns that do not advance, or have no dash.
        {3, 0, 3, 9, 0, 0, {}},
        {3, 0, 3, 9, 1, -1, {}},
        {3, 0, 3, 9, -1, -1, {}},
        {3, 0, 3, 9, 4, -9, {}},
        {3, 0, 3, 9, INT_MIN, INT_MIN, {}},
        {3, 0, 3, 9, INT_MIN, INT_MAX, {}},
        {3, 0, 3, 9, -2, 5, {}},
        {3, 0, 3, 9, 0, 3, {}},
    };
    for (float alpha : {1.0f, 0.6f}) {
        for (const DashCase& c : cases) {
            GuardedBitmap b = Noise(10, 10, false, 0);
            std::fill(b.Words().begin(), b.Words().end(), 0u);
            PIX_DrawDashedSegment(&b, c.x1, c.y1, c.x2, c.y2, c.on, c.off, 0xFFFFFFFFu, alpha,
                                  PIX_CombineCopy);
            std::vector<int> drawn;
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 10; ++x)
                    if (b.At(x, y))
                        drawn.push_back(c.x1 == c.x2 ? y - std::min(c.y1, c.y2)
                                                     : x - std::min(c.x1, c.x2));
            std::sort(drawn.begin(), drawn.end());
            EXPECT_EQ(drawn, c.drawn) << "(" << c.x1 << "," << c.y1 << ")-(" << c.x2 << "," << c.y2
                                      << ") on " << c.on << " off " << c.off << " alpha " << alpha;
            EXPECT_EQ(std::count(b.Words().begin(), b.Words().end(), 0u) + int(drawn.size()),
                      int(b.Words().size()));
        }
    }
}

TEST(LineDashes, MatchReferenceInEveryModeAndWeight)
{
    Lcg rng{99, RangeBits::Whole};
    for (int n = 0; n < 600; ++n) {
        const int width = rng.Range(1, 14), height = rng.Range(1, 14);
        int c[4] = {rng.Range(-5, width + 4), rng.Range(-5, height + 4), 0, 0};
        if (n % 2)
            c[2] = c[0], c[3] = rng.Range(-5, height + 4);
        else
            c[2] = rng.Range(-5, width + 4), c[3] = c[1];
        const int on = rng.Range(0, 4), off = rng.Range(0, 4);
        const PIX_PackedColor colour = rng.Next();
        for (PIX_CombineMode mode : kModes) {
            for (float alpha : kAlphas) {
                GuardedBitmap b = Noise(width, height, n % 4 == 1, rng.Next());
                const std::vector<PIX_PackedColor> expected = Apply(
                    b, ReferenceDashes(width, height, c[0], c[1], c[2], c[3], on, off, mode, alpha),
                    colour, mode);
                PIX_DrawDashedSegment(&b, c[0], c[1], c[2], c[3], on, off, colour, alpha, mode);
                ASSERT_EQ(b.Words(), expected)
                    << "(" << c[0] << "," << c[1] << ")-(" << c[2] << "," << c[3] << ") on " << on
                    << " off " << off << " mode " << mode << " alpha " << alpha;
            }
        }
    }
}

TEST(LineBoxes, OutlineCoversItsInclusiveEdgesAndCombinesCornersTwice)
{
    GuardedBitmap b = Noise(8, 8, false, 0);
    std::fill(b.Words().begin(), b.Words().end(), 0u);
    PIX_BoxOutline(&b, 2, 2, 3, 3, 0xFFFFFFFFu, 0.5f, PIX_CombineCopy);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool edge =
                x >= 2 && x <= 5 && y >= 2 && y <= 5 && (x == 2 || x == 5 || y == 2 || y == 5);
            const bool corner = (x == 2 || x == 5) && (y == 2 || y == 5);
            EXPECT_EQ(b.At(x, y), corner ? 0xBEBEBEBEu : edge ? 0x7F7F7F7Fu : 0u) << x << "," << y;
        }
}

TEST(LineBoxes, FilledBoxHasItsInsideInTheFillColour)
{
    GuardedBitmap b = Noise(8, 8, false, 0);
    std::fill(b.Words().begin(), b.Words().end(), 0u);
    PIX_FillBoxOutlined(&b, 1, 2, 4, 3, 0xFF00FF00u, 0xFFFF0000u, 1.0f, PIX_CombineCopy);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool in = x >= 1 && x <= 5 && y >= 2 && y <= 5;
            const bool inside = x >= 2 && x <= 4 && y >= 3 && y <= 4;
            EXPECT_EQ(b.At(x, y), inside ? 0xFF00FF00u : in ? 0xFFFF0000u : 0u) << x << "," << y;
        }
}

// ---- Checksums and golden pictures ----

// A deterministic sweep of segments, dashes and boxes; its digest was taken
// from the native build and must hold in the Windows build.
TEST(LineChecksum, SweepGivesTheSameDigestInBothBuilds)
{
    Lcg rng{4242, RangeBits::Whole};
    GuardedBitmap top = Noise(61, 47, false, 17), bottom = Noise(61, 47, true, 18);
    for (int n = 0; n < 3000; ++n) {
        PIX_IBitmap* b = n % 2 ? static_cast<PIX_IBitmap*>(&top) : &bottom;
        const int x1 = rng.Range(-30, 90), y1 = rng.Range(-30, 76), x2 = rng.Range(-30, 90),
                  y2 = rng.Range(-30, 76);
        const PIX_PackedColor colour = rng.Next();
        const PIX_CombineMode mode = kModes[rng.Next() % 11];
        const float alpha = kAlphas[rng.Next() % 12] * (rng.Next() % 4 == 0 ? 0.37f : 1.0f);
        switch (n % 5) {
            case 0:
                PIX_DrawSegment(b, x1, y1, x2, y2, colour, alpha, mode, false);
                break;
            case 1:
                PIX_DrawSegment(b, x1, y1, x2, y2, colour, alpha, mode, true);
                break;
            case 2:
                PIX_DrawDashedSegment(b, x1, y1, n % 3 ? x1 : x2, n % 3 ? y2 : y1, rng.Range(-1, 5),
                                      rng.Range(-1, 5), colour, alpha, mode);
                break;
            case 3:
                PIX_BoxOutline(b, x1, y1, x2 - x1, y2 - y1, colour, alpha, mode);
                break;
            default:
                PIX_FillBoxOutlined(b, x1, y1, (x2 - x1) / 3, (y2 - y1) / 3, colour, ~colour, alpha,
                                    mode);
                break;
        }
    }
    std::vector<PIX_PackedColor> all = top.Words();
    all.insert(all.end(), bottom.Words().begin(), bottom.Words().end());
    EXPECT_EQ(DigestOf(all), 0x693d2808b5e5fcc1ull) << std::hex << DigestOf(all);
}

// Golden pictures, pinned by digest. With VELVANE_GOLDEN_DIR set they are
// also written there as PPM.
GuardedBitmap Canvas()
{
    GuardedBitmap b = Noise(160, 120, false, 0);
    std::fill(b.Words().begin(), b.Words().end(), 0xFF181C24u);
    return b;
}

void Fan(GuardedBitmap& b, bool aa)
{
    for (int i = 0; i < 24; ++i) {
        const int x = i < 12 ? i * 14 : 159, y = i < 12 ? 0 : (i - 12) * 10;
        const PIX_PackedColor colour =
            0xFF000000u | uint32_t(90 + i * 7) << 16 | uint32_t(240 - i * 6) << 8 | 0xC0u;
        PIX_DrawSegment(&b, 10, 110, x, y, colour, 1.0f, PIX_CombineCopy, aa);
    }
    PIX_DrawSegment(&b, -20, 115, 200, 115, 0xFFFFFFFFu, 1.0f, PIX_CombineCopy, aa);
    PIX_DrawSegment(&b, 5, -20, 5, 200, 0xFFFFFFFFu, 1.0f, PIX_CombineCopy, aa);
    PIX_DrawSegment(&b, 40, 60, 100, 120, 0xFFFFE060u, 1.0f, PIX_CombineCopy, aa);
    PIX_DrawSegment(&b, 60, 110, 150, 80, 0xFFFF8080u, 0.6f, PIX_CombineAdd, aa);
}

TEST(LineGolden, PicturesKeepTheirDigests)
{
    GuardedBitmap lines = Canvas(), smooth = Canvas(), dashes = Canvas(), boxes = Canvas();
    Fan(lines, false);
    Fan(smooth, true);
    for (int i = 0; i < 10; ++i) {
        PIX_DrawDashedSegment(&dashes, 4, 6 + i * 6, 150, 6 + i * 6, 1 + i, 1 + i / 2, 0xFF40E0FFu,
                              1.0f, PIX_CombineCopy);
        PIX_DrawDashedSegment(&dashes, 8 + i * 15, 70, 8 + i * 15, 116, 1 + i % 4, 1 + i % 3,
                              0xFFFFC040u, i % 2 ? 0.5f : 1.0f, PIX_CombineCopy);
    }
    for (int i = 0; i < 6; ++i)
        PIX_BoxOutline(&boxes, 4 + i * 4, 4 + i * 4, 70 - i * 8, 60 - i * 8,
                       0xFF000000u | uint32_t(0x30 * i) << 8 | 0xFF, 1.0f, PIX_CombineCopy);
    PIX_FillBoxOutlined(&boxes, 90, 10, 60, 40, 0xFF306030u, 0xFFE0E0E0u, 1.0f, PIX_CombineCopy);
    PIX_FillBoxOutlined(&boxes, 110, 30, 40, 80, 0xFF6030A0u, 0xFFFFFF00u, 0.5f, PIX_CombineCopy);
    PIX_BoxOutline(&boxes, 20, 75, 60, 35, 0xFFFFFFFFu, 0.5f, PIX_CombineCopy);
    PIX_BoxOutline(&boxes, -10, 100, 40, 40, 0xFFFF4040u, 1.0f, PIX_CombineCopy);
    struct Golden {
        const char* name;
        const GuardedBitmap* bitmap;
        uint64_t digest;
    } const goldens[] = {
        {"lines", &lines, 0xd4759844ca775a43ull},
        {"antialiased_lines", &smooth, 0xa378be9b25a25e90ull},
        {"dashes", &dashes, 0x15255870a0ca85c5ull},
        {"box_outlines", &boxes, 0x8a36f0725de17a9eull},
    };
    for (const Golden& g : goldens) {
        WriteGoldenIfRequested(*g.bitmap, g.name);
        EXPECT_EQ(DigestOf(g.bitmap->Words()), g.digest)
            << g.name << " " << std::hex << DigestOf(g.bitmap->Words());
    }
}

}  // namespace
