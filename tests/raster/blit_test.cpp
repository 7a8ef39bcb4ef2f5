#include "raster/blit.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "raster/bitmap.h"
#include "raster/blit_kernels.h"
#include "raster/pixel.h"
#include "raster_test_support.h"
#include "reference.h"

namespace {

using namespace raster_test;

uint32_t HalfMix(uint32_t s, uint32_t d)
{
    uint32_t v = 0;
    for (int k = 0; k < 4; ++k) v |= ((Channel(s, k) >> 1) + (Channel(d, k) >> 1)) << (8 * k);
    return v;
}

// One pixel of the one-to-one copy.
uint32_t RefCopyPixel(uint32_t d, uint32_t s, float alpha, PIX_CombineMode mode)
{
    const uint32_t op = mode & 0xFF;
    if (op >= 0xF0) {
        const int from = int(op & 3), to = int((op >> 2) & 3);
        return (d & ~(255u << (8 * to))) | Channel(s, from) << (8 * to);
    }
    const int64_t w = Weight(alpha);
    if ((mode & 0x100FF) == 0) {
        if (alpha == 0.5f) return HalfMix(s, d);
        return w > 0 ? RefCombine(d, s, mode, w) : d;
    }
    return w != 0 ? RefCombine(d, s, mode, w) : d;
}

// Every source pixel of the box that lies in the source and lands in the
// destination, combined there.
void RefCopyRegion(GuardedBitmap& dest, GuardedBitmap& src, int destX, int destY,
                   const PIX_Box* area, float alpha, PIX_CombineMode mode)
{
    if (alpha == 0.0f || std::isnan(alpha)) return;
    const PIX_Box box = area ? *area : PIX_Box{0, 0, src.PixelWidth(), src.PixelHeight()};
    for (int sy = box.top; sy < box.bottom; ++sy)
        for (int sx = box.left; sx < box.right; ++sx) {
            const int tx = destX + sx - box.left, ty = destY + sy - box.top;
            if (sx < 0 || sy < 0 || sx >= src.PixelWidth() || sy >= src.PixelHeight()) continue;
            if (tx < 0 || ty < 0 || tx >= dest.PixelWidth() || ty >= dest.PixelHeight()) continue;
            dest.At(tx, ty) = RefCopyPixel(dest.At(tx, ty), src.At(sx, sy), alpha, mode);
        }
}

const PIX_CombineMode kModes[] = {0,       1,       2,       3,       4,       5,       6,
                                  0x10000, 0x10001, 0x10002, 0x10003, 0x10004, 0x10005, 0x10006,
                                  0x100,   0x10103, 0xF0,    0xF4,    0xFB,    0x100F6};
const float kAlphas[] = {1.0f, 0.5f, 0.999f, 0.5001f, 0.25f, 1.001f, 1.5f, -0.3f, 0.003f, 0.001f};

std::string Describe(PIX_CombineMode mode, float alpha, int destX, int destY, const PIX_Box* box,
                     bool bottomUp)
{
    std::string s = "mode " + std::to_string(mode) + " alpha " + std::to_string(alpha) + " at (" +
                    std::to_string(destX) + ", " + std::to_string(destY) + ")";
    if (box)
        s += " box {" + std::to_string(box->left) + ", " + std::to_string(box->top) + ", " +
             std::to_string(box->right) + ", " + std::to_string(box->bottom) + "}";
    return s + (bottomUp ? " bottom-up" : "");
}

// Source 9x7, destination 11x8.
struct Geometry {
    int destX, destY;
    bool hasBox;
    PIX_Box box;
};
const Geometry kGeometries[] = {
    {1, 1, false, {}},                 // whole source inside
    {-3, 0, true, {1, 1, 8, 6}},       // left edge: reading starts 3 columns right
    {2, -2, true, {0, 0, 9, 7}},       // top edge
    {6, 3, true, {0, 0, 9, 7}},        // right and bottom edges
    {0, 0, true, {-2, -3, 5, 4}},      // box left and top before the source
    {4, 2, true, {3, 2, 20, 30}},      // box past the source's right and bottom
    {-4, -5, true, {-1, -1, 12, 12}},  // everything at once
    {-20, 0, false, {}},               // wholly left of the destination
    {0, 9, false, {}},                 // wholly below
    {0, 0, true, {5, 5, 5, 9}},        // empty box
};

TEST(BlitCopyRegion, MatchesReferenceInEveryModeWeightAndClipping)
{
    Lcg rng{7};
    int mismatches = 0;
    for (const bool bottomUp : {false, true})
        for (const PIX_CombineMode mode : kModes)
            for (const float alpha : kAlphas)
                for (const Geometry& g : kGeometries) {
                    GuardedBitmap src(9, 7, bottomUp, rng), dest(11, 8, !bottomUp, rng);
                    GuardedBitmap want = dest;
                    const PIX_Box* box = g.hasBox ? &g.box : nullptr;
                    RefCopyRegion(want, src, g.destX, g.destY, box, alpha, mode);
                    const std::vector<uint32_t> before = src.Pixels();
                    PIX_CopyRegion(&dest, &src, g.destX, g.destY, box, alpha, mode);
                    ASSERT_TRUE(dest.GuardIntact() && src.GuardIntact())
                        << Describe(mode, alpha, g.destX, g.destY, box, bottomUp);
                    ASSERT_EQ(src.Pixels(), before);
                    if (dest.Pixels() != want.Pixels() && mismatches++ < 5)
                        ADD_FAILURE() << Describe(mode, alpha, g.destX, g.destY, box, bottomUp);
                }
    EXPECT_EQ(mismatches, 0);
}

TEST(BlitCopyRegion, RandomGeometryMatchesReference)
{
    Lcg rng{11};
    for (int n = 0; n < 3000; ++n) {
        const PIX_CombineMode mode = kModes[rng.Range(0, 19)];
        const float alpha = kAlphas[rng.Range(0, 9)];
        GuardedBitmap src(rng.Range(1, 12), rng.Range(1, 9), rng.Range(0, 1), rng);
        GuardedBitmap dest(rng.Range(1, 12), rng.Range(1, 9), rng.Range(0, 1), rng);
        const int destX = rng.Range(-14, 14), destY = rng.Range(-10, 10);
        const int srcX = rng.Range(-6, 13), srcY = rng.Range(-6, 10);
        const int width = rng.Range(-2, 16), height = rng.Range(-2, 12);
        GuardedBitmap want = dest;
        const PIX_Box box = {srcX, srcY, srcX + width, srcY + height};
        RefCopyRegion(want, src, destX, destY, &box, alpha, mode);
        PIX_CopyRegionXYWH(&dest, &src, destX, destY, srcX, srcY, width, height, alpha, mode);
        ASSERT_TRUE(dest.GuardIntact());
        ASSERT_EQ(dest.Pixels(), want.Pixels())
            << Describe(mode, alpha, destX, destY, &box, src.IsBottomUp());
    }
}

// Single pixels through PIX_CopyRegion.
TEST(BlitCopyRegion, PixelExamples)
{
    const struct {
        const char* what;
        uint32_t src, dest;
        float alpha;
        PIX_CombineMode mode;
        uint32_t want;
    } cases[] = {
        {"alpha 1.0 copies every byte", 0x12345678, 0xFFFFFFFF, 1.0f, 0, 0x12345678},
        {"alpha 0.999 copies as well", 0x12345678, 0xFFFFFFFF, 0.999f, 0, 0x12345678},
        {"alpha 0.5 is the half mix", 0x01010101, 0x00000000, 0.5f, 0, 0x00000000},
        {"alpha 0.5001 is the formula", 0x01010101, 0x00000000, 0.5001f, 0, 0x01010101},
        {"w 128 truncates toward zero", 0x000000FF, 0x00000000, 0.5001f, 0, 0x00000080},
        {"0xF4 copies blue into green", 0x11223344, 0xAABBCCDD, 0.3f, 0xF4, 0xAABB44DD},
        {"0xF0 copies blue into blue", 0x11223344, 0xAABBCCDD, 0.3f, 0xF0, 0xAABBCC44},
        {"transparent source alpha leaves it", 0x00FFFFFF, 0x80102030, 1.0f, 0x10000, 0x80102030},
        {"opaque source alpha replaces", 0xFF405060, 0x10102030, 1.0f, 0x10000, 0xFF405060},
        {"source alpha 128 mixes", 0x80FF0000, 0x800000FF, 1.0f, 0x10000, 0xFF81007E},
        {"an unknown operation draws nothing", 0xFF405060, 0x10102030, 1.0f, 7, 0x10102030},
        {"alpha below 1/256 draws nothing", 0xFF405060, 0x10102030, 0.003f, 1, 0x10102030},
        {"alpha 2 is the formula unclamped", 0x00000080, 0x00000010, 2.0f, 0, 0x000000F0},
    };
    for (const auto& c : cases) {
        PIX_MemBitmap src(1, 1, 4), dest(1, 1, 4);
        src.PixelData()[0] = c.src;
        dest.PixelData()[0] = c.dest;
        PIX_CopyRegion(&dest, &src, 0, 0, nullptr, c.alpha, c.mode);
        EXPECT_EQ(dest.PixelData()[0], c.want) << c.what;
    }
}

// The positions of a source pixel, for reading back which one was copied.
uint32_t Coordinates(int x, int y)
{
    return 0xFF000000u | uint32_t(y) << 8 | uint32_t(x);
}

void FillWithCoordinates(PIX_IBitmap& b)
{
    for (int y = 0; y < b.PixelHeight(); ++y)
        for (int x = 0; x < b.PixelWidth(); ++x)
            b.PixelData()[y * b.RowStride() + x] = Coordinates(x, y);
}

TEST(BlitCopyWhole, ResizesAndCopies)
{
    PIX_MemBitmap src(5, 3, 4), dest(2, 9, 4);
    FillWithCoordinates(src);
    PIX_CopyWhole(&dest, &src);
    ASSERT_EQ(dest.PixelWidth(), 5);
    ASSERT_EQ(dest.PixelHeight(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(dest.PixelData()[y * dest.RowStride() + x], Coordinates(x, y));
}

TEST(BlitNullBitmaps, ReturnSilently)
{
    Lcg rng{3};
    GuardedBitmap good(4, 4, false, rng), nullPixels(4, 4, false, rng, true);
    PIX_MemBitmap empty(0, 0, 4);
    const std::vector<uint32_t> before = good.Pixels();
    PIX_IBitmap* others[] = {nullptr, &nullPixels, &empty};
    for (PIX_IBitmap* other : others) {
        for (PIX_CombineMode mode : {0u, 0x10000u, 0x100u, 0xF4u}) {
            PIX_CopyRegion(&good, other, 0, 0, nullptr, 1.0f, mode);
            PIX_CopyRegion(other, &good, 0, 0, nullptr, 0.7f, mode);
            PIX_CopyRegionXYWH(&good, other, 0, 0, 0, 0, 4, 4, 0.5f, mode);
            PIX_StretchCopy(&good, other, 0, 0, 3, 3, 0, 0, 4, 4, 1.0f, mode);
            PIX_StretchCopy(other, &good, 0, 0, 8, 8, 0, 0, 4, 4, 1.0f, mode);
        }
        if (other != &empty) PIX_CopyWhole(&good, other);
        PIX_CopyWhole(other, &good);
    }
    EXPECT_EQ(good.Pixels(), before);
    EXPECT_TRUE(good.GuardIntact());
}

// Scaled copies: reference sampling of the kernels' positions.

enum class Sampling { Nearest, Bilinear, Shrink };

struct ScaledCall {
    int x0, y0, dx, dy, right, bottom;
};

// The n x n weight table of the filtered reduction by m.
std::vector<int64_t> RefShrinkTable(int n, int64_t m)
{
    std::vector<int64_t> t;
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            const int a = c - n / 2, b = r - n / 2;
            const double v =
                (a == 0 && b == 0)
                    ? 1.0
                    : std::min(1.0, (double(m) / 65536 - 1) / std::sqrt(a * a + b * b));
            t.push_back(int64_t(v * 65536));
        }
    return t;
}

// The sampled source colour of position (x, y), or false when none.
bool RefSample(GuardedBitmap& src, const ScaledCall& c, Sampling sampling, int n, int64_t x,
               int64_t y, uint32_t* colour)
{
    const int64_t sx = ref::Div(x, 65536), sy = ref::Div(y, 65536);
    const int64_t fx = x & 0xFFFF, fy = y & 0xFFFF;
    if (sx < 0 || sy < 0 || sx >= c.right || sy >= c.bottom) return false;
    auto at = [&](int64_t px, int64_t py, int k) {
        return int64_t(Channel(src.At(int(px), int(py)), k));
    };
    *colour = 0;
    if (sampling == Sampling::Nearest) {
        *colour = src.At(int(sx), int(sy));
    } else if (sampling == Sampling::Bilinear) {
        *colour = RefBilinear(src, sx, sy, fx, fy, c.right, c.bottom);
    } else {
        const std::vector<int64_t> table = RefShrinkTable(n, std::max(c.dx, c.dy));
        int64_t sum[4] = {}, total = 0;
        for (int r = 0; r < n; ++r)
            for (int k = 0; k < n; ++k) {
                const int64_t px = sx - n / 2 + k, py = sy - n / 2 + r;
                if (px < 0 || py < 0 || px >= c.right || py >= c.bottom) continue;
                for (int ch = 0; ch < 4; ++ch) sum[ch] += at(px, py, ch) * table[r * n + k];
                total += table[r * n + k];
            }
        if (total <= 0) return false;
        for (int ch = 0; ch < 4; ++ch) *colour |= uint32_t(sum[ch] / total) << (8 * ch);
    }
    return true;
}

// The scaled copy of the run at (destX, destY) of width x height pixels.
void RefScaled(GuardedBitmap& dest, GuardedBitmap& src, int destX, int destY, int width, int height,
               const ScaledCall& c, Sampling sampling, int n, int64_t w, PIX_CombineMode mode)
{
    for (int i = 0; i < height; ++i)
        for (int j = 0; j < width; ++j) {
            uint32_t s;
            if (!RefSample(src, c, sampling, n, c.x0 + int64_t(j) * c.dx, c.y0 + int64_t(i) * c.dy,
                           &s))
                continue;
            uint32_t& d = dest.At(destX + j, destY + i);
            if ((mode & 0x1FFFF) == 0 && w == 128)
                d = HalfMix(s, d);
            else if ((mode & 0x100FF) != 0 || w > 0)
                d = RefCombine(d, s, mode, w);
        }
}

// Scaled copies of whole source rectangles that need no clipping or fitting.
struct StretchCase {
    int destX, destY, destWidth, destHeight;
    float srcX, srcY, srcWidth, srcHeight;
};
const StretchCase kStretchCases[] = {
    {1, 2, 12, 10, 0, 0, 9, 7.5f},           // enlargement
    {0, 0, 4, 5, 1.5f, 1, 6, 7.5f},          // reduction by 1.5: 2x2 sampling
    {2, 1, 4, 3, 0, 0, 8, 6},                // reduction by 2: 3x3 filter
    {3, 3, 2, 1, 0, 2, 8, 4},                // reduction by 4: 5x5 filter
    {0, 1, 11, 7, 0.25f, 0.5f, 5.5f, 3.5f},  // samples on the right and bottom limits
};

TEST(BlitStretchCopy, MatchesReferenceInEveryModeWeightAndFilter)
{
    Lcg rng{5};
    int mismatches = 0;
    for (const bool bottomUp : {false, true})
        for (const PIX_CombineMode op : kModes)
            for (const PIX_CombineMode filter : {0x000u, 0x100u, 0x200u})
                for (const float alpha : {1.0f, 0.5f, 0.75f, 1.25f, -0.5f})
                    for (const StretchCase& k : kStretchCases) {
                        const PIX_CombineMode mode = (op & 0x100FF) | filter;
                        GuardedBitmap src(9, 8, bottomUp, rng), dest(16, 13, !bottomUp, rng);
                        GuardedBitmap want = dest;
                        const double rx = double(k.srcWidth) / k.destWidth,
                                     ry = double(k.srcHeight) / k.destHeight;
                        const ScaledCall call = {int(k.srcX * 65536),
                                                 int(k.srcY * 65536),
                                                 int(rx * 65536),
                                                 int(ry * 65536),
                                                 std::min(9, int(std::ceil(k.srcX + k.srcWidth))),
                                                 std::min(8, int(std::ceil(k.srcY + k.srcHeight)))};
                        const bool bilinear = filter == 0x100;
                        const Sampling sampling = !bilinear                ? Sampling::Nearest
                                                  : rx >= 1.7 && ry >= 1.7 ? Sampling::Shrink
                                                                           : Sampling::Bilinear;
                        const int n = std::max(call.dx, call.dy) < 0x30001 ? 3 : 5;
                        const int64_t w = Weight(alpha);
                        if ((op & 0xFF) < 0xF0 && w != 0)
                            RefScaled(want, src, k.destX, k.destY, k.destWidth, k.destHeight, call,
                                      sampling, n, w, mode);
                        PIX_StretchCopy(&dest, &src, k.destX, k.destY, k.destWidth, k.destHeight,
                                        k.srcX, k.srcY, k.srcWidth, k.srcHeight, alpha, mode);
                        ASSERT_TRUE(dest.GuardIntact());
                        if (dest.Pixels() != want.Pixels() && mismatches++ < 5)
                            ADD_FAILURE() << "mode " << mode << " alpha " << alpha << " case "
                                          << (&k - kStretchCases) << (bottomUp ? " bottom-up" : "");
                    }
    EXPECT_EQ(mismatches, 0);
}

// Which source pixel each destination pixel of row 0 holds after a nearest
// scaled copy: its x, or -1 when the pixel was left untouched.
std::vector<int> CopiedColumns(int destWidthTotal, int destX, int destWidth, float srcX,
                               float srcWidth, PIX_CombineMode mode, int srcPixels = 10)
{
    PIX_MemBitmap src(srcPixels, 1, 4), dest(destWidthTotal, 1, 4);
    FillWithCoordinates(src);
    for (int x = 0; x < destWidthTotal; ++x) dest.PixelData()[x] = 0;
    PIX_StretchCopy(&dest, &src, destX, 0, destWidth, 1, srcX, 0, srcWidth, 1, 1.0f, mode);
    std::vector<int> columns;
    for (int x = 0; x < destWidthTotal; ++x) {
        const uint32_t v = dest.PixelData()[x];
        columns.push_back(v == 0 ? -1 : (v & 0xFF0000u) != 0 ? -2 : int(v & 0xFF));
    }
    return columns;
}

TEST(BlitStretchCopy, GeometryExamples)
{
    const struct {
        const char* what;
        int destTotal, destX, destWidth;
        float srcX, srcWidth;
        PIX_CombineMode mode;
        std::vector<int> want;
    } cases[] = {
        {"equal size from 2.02 copies from column 2", 6, 0, 6, 2.02f, 6, 0, {2, 3, 4, 5, 6, 7}},
        {"equal size bilinear within 0.03", 6, 0, 6, 2.02f, 6, 0x100, {2, 3, 4, 5, 6, 7}},
        {"mirrored leaves column 0 untouched",
         10,
         10,
         -10,
         0,
         10,
         0,
         {-1, 9, 8, 7, 6, 5, 4, 3, 2, 1}},
        {"fitting keeps three of five columns", 5, 0, 5, 3, 10, 0, {3, 5, 7, -1, -1}},
        {"destination clipped on the left", 4, -2, 6, 0, 3, 0, {1, 1, 2, 2}},
        {"destination clipped on the right", 4, 1, 6, 0, 6, 0, {-1, 0, 1, 2}},
        {"positions before the source are fitted away", 6, 0, 6, -2, 3, 0, {-1, -1, -1, -1, 0, 0}},
        {"equal size from -2 truncates -1.5 toward zero", 6, 0, 6, -2, 6, 0, {-1, 0, 1, 2, 3, 4}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CopiedColumns(c.destTotal, c.destX, c.destWidth, c.srcX, c.srcWidth, c.mode),
                  c.want)
            << c.what;
}

TEST(BlitStretchCopy, BilinearEqualSizeOffTheGridSamplesBetweenColumns)
{
    PIX_MemBitmap src(4, 1, 4), dest(2, 1, 4);
    const uint32_t row[4] = {0xFF000000, 0xFF0000A0, 0xFF000050, 0xFF000000};
    for (int x = 0; x < 4; ++x) src.PixelData()[x] = row[x];
    PIX_StretchCopy(&dest, &src, 0, 0, 2, 1, 1.1f, 0, 2, 1, 1.0f, 0x100);
    // Position 1.1 (fraction 6553): 160 - 80 x 6553 / 65536; 2.1: 80 x 58983 / 65536.
    EXPECT_EQ(dest.PixelData()[0], 0xFF000098u);
    EXPECT_EQ(dest.PixelData()[1], 0xFF000048u);
}

TEST(BlitStretchCopy, ZeroSizesAndWeightsDrawNothing)
{
    Lcg rng{9};
    GuardedBitmap src(6, 6, false, rng), dest(6, 6, false, rng);
    const std::vector<uint32_t> before = dest.Pixels();
    PIX_StretchCopy(&dest, &src, 0, 0, 0, 5, 0, 0, 3, 3, 1.0f, 0);
    PIX_StretchCopy(&dest, &src, 0, 0, 5, 0, 0, 0, 3, 3, 1.0f, 0);
    PIX_StretchCopy(&dest, &src, 0, 0, 5, 5, 0, 0, 3, 3, 0.0f, 0x10001);
    PIX_StretchCopy(&dest, &src, 0, 0, 5, 5, 0, 0, 3, 3, 0.001f, 0x10001);
    PIX_StretchCopy(&dest, &src, 0, 0, 5, 5, 0, 0, 3, 3, -0.5f, 0x100);
    PIX_StretchCopy(&dest, &src, 7, 0, 5, 5, 0, 0, 3, 3, 1.0f, 0);
    PIX_StretchCopy(&dest, &src, 0, 0, 5, 5, 7, 0, 3, 3, 1.0f, 0x100);
    PIX_StretchCopy(&dest, &src, 0, 0, 5, 5, 0, 0, 3, 3, 1.0f, 0xF4);
    EXPECT_EQ(dest.Pixels(), before);
}

// A deterministic sweep of copies and scaled copies with float arguments;
// its digest was taken from the native build and must hold in the Windows one.
TEST(BlitChecksum, SweepGivesTheSameDigestInBothBuilds)
{
    Lcg rng{2025};
    GuardedBitmap dest(40, 30, false, rng), src(23, 19, true, rng);
    for (int n = 0; n < 1500; ++n) {
        const PIX_CombineMode mode =
            (kModes[rng.Range(0, 19)] & 0x100FF) | (rng.Range(0, 2) == 0 ? 0 : 0x100);
        const float alpha = rng.Unit() * 1.3f - 0.1f;
        if (n % 3 == 0) {
            PIX_CopyRegionXYWH(&dest, &src, rng.Range(-10, 40), rng.Range(-10, 30),
                               rng.Range(-5, 20), rng.Range(-5, 15), rng.Range(0, 30),
                               rng.Range(0, 25), alpha, mode);
        } else {
            PIX_StretchCopy(&dest, &src, rng.Range(-10, 40), rng.Range(-10, 30), rng.Range(-45, 45),
                            rng.Range(-35, 35), rng.Unit() * 30 - 5, rng.Unit() * 25 - 5,
                            rng.Unit() * 40, rng.Unit() * 30, alpha, mode);
        }
    }
    ASSERT_TRUE(dest.GuardIntact());
    Digest digest;
    for (uint32_t v : dest.Pixels()) digest.Add(v);
    EXPECT_EQ(digest.value, 0x8358577df92b33ebull) << std::hex << digest.value;
}

}  // namespace
