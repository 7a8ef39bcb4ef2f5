#include "raster/coverage.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

#include "raster/bitmap.h"
#include "raster/pixel.h"
#include "raster_test_support.h"
#include "reference.h"

namespace {

using namespace raster_test;

// A guarded bitmap of raw random words.
class WordBitmap : public GuardedBitmap {
public:
    WordBitmap(int width, int height, bool bottomUp, Lcg& rng, bool nullPixels = false)
        : GuardedBitmap(width, height, bottomUp, nullPixels)
    {
        Fill([&] { return rng.Next(); });
    }
};

// The pixel d after operation op (0..5) with colour s at weight w; channels
// clamped when clamp is set, else their low eight bits.
uint32_t RefOperation(uint32_t d, uint32_t s, int op, int64_t w, bool clamp)
{
    using Formula = int64_t (*)(int64_t, int64_t, int64_t);
    static const Formula formulas[] = {ref::Copy, ref::Add, ref::Dodge, ref::Multiply,
                                       ref::SoftLight};
    uint8_t p[4] = {uint8_t(d), uint8_t(d >> 8), uint8_t(d >> 16), uint8_t(d >> 24)};
    if (op == 5) {
        ref::HsvShift(p, Channel(s, 2), Channel(s, 1), Channel(s, 0), Channel(s, 3), w);
    } else {
        for (int k = 0; k < 4; ++k) {
            const int64_t v = formulas[op](p[k], Channel(s, k), w);
            p[k] = uint8_t(clamp ? ref::Clamp(v) : v);
        }
    }
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Every covered map pixel that lands inside the bitmap, combined at the
// call's weight times its coverage over 256.
void RefStamp(GuardedBitmap& b, int x, int y, uint32_t colour, const std::vector<uint8_t>& map,
              int width, int stride, int height, float alpha, PIX_CombineMode mode)
{
    const int64_t w = Weight(alpha);
    const int op = int(mode & 0xFF);
    if (w == 0 || op > 5 || (op == 0 && w < 0)) return;
    for (int my = 0; my < height; ++my)
        for (int mx = 0; mx < width; ++mx) {
            const int64_t px = int64_t(x) + mx, py = int64_t(y) + my;
            if (px < 0 || py < 0 || px >= b.PixelWidth() || py >= b.PixelHeight()) continue;
            const uint8_t c = map[size_t(my * stride + mx)];
            if (c == 0) continue;
            uint32_t& d = b.At(int(px), int(py));
            d = RefOperation(d, colour, op, ref::Div(w * c, 256), true);
        }
}

const PIX_CombineMode kModes[] = {0, 1, 2, 3, 4, 5, 6, 0x80, 0x10000, 0x10003, 0x105, 0xF4};
const float kAlphas[] = {1.0f, 0.5f, 0.77f, 1.5f, 3.0f, -0.5f, -2.0f, 0.003f};

// Map 5 x 4 (stride 8) on a 7 x 6 bitmap.
struct Placement {
    const char* what;
    int x, y;
};
const Placement kPlacements[] = {
    {"inside", 1, 1},
    {"left edge", -2, 1},
    {"top edge", 2, -3},
    {"right edge", 4, 2},
    {"bottom edge", 0, 4},
    {"all four edges at once", -1, -1},
    {"only the last column", -4, 0},
    {"only the last row", 0, -3},
    {"at x = -width", -5, 0},
    {"at y = -height", 0, -4},
    {"at the right edge", 7, 0},
    {"at the bottom edge", 0, 6},
    {"far away", -100000, 2000000000},
};

TEST(StampCoverage, MatchesReferenceInEveryModeWeightAndPlacement)
{
    Lcg rng{73};
    constexpr int kWidth = 5, kStride = 8, kHeight = 4;
    int mismatches = 0;
    for (const bool bottomUp : {false, true})
        for (const PIX_CombineMode mode : kModes)
            for (const float alpha : kAlphas)
                for (const Placement& p : kPlacements) {
                    WordBitmap b(7, 6, bottomUp, rng);
                    std::vector<uint8_t> map(kStride * kHeight);
                    for (uint8_t& c : map) c = rng.Coverage();
                    const uint32_t colour = rng.Next();
                    GuardedBitmap want = b;
                    RefStamp(want, p.x, p.y, colour, map, kWidth, kStride, kHeight, alpha, mode);
                    PIX_StampCoverage(&b, p.x, p.y, colour, map.data(), kWidth, kStride, kHeight,
                                      alpha, mode);
                    ASSERT_TRUE(b.GuardIntact()) << p.what;
                    if (b.Pixels() != want.Pixels() && mismatches++ < 5)
                        ADD_FAILURE() << p.what << " mode " << mode << " alpha " << alpha
                                      << (bottomUp ? " bottom-up" : "");
                }
    EXPECT_EQ(mismatches, 0);
}

TEST(StampCoverage, WiderAndTallerThanTheBitmapIsCutAndRowsAdvanceByStride)
{
    Lcg rng{79};
    for (const bool packed : {false, true}) {
        const int width = 9, height = 8, stride = packed ? 9 : 12;
        WordBitmap b(6, 5, false, rng);
        std::vector<uint8_t> map(size_t(stride * height));
        for (uint8_t& c : map) c = rng.Coverage();
        GuardedBitmap want = b;
        RefStamp(want, 0, 0, 0x80C04020u, map, width, stride, height, 0.9f, 1);
        if (packed)
            PIX_StampCoveragePacked(&b, 0, 0, 0x80C04020u, map.data(), width, height, 0.9f, 1);
        else
            PIX_StampCoverage(&b, 0, 0, 0x80C04020u, map.data(), width, stride, height, 0.9f, 1);
        EXPECT_TRUE(b.GuardIntact());
        EXPECT_EQ(b.Pixels(), want.Pixels()) << (packed ? "packed" : "stride 12");
    }
}

TEST(StampCoverage, Examples)
{
    Lcg rng{83};
    const struct {
        const char* what;
        uint8_t coverage;
        float alpha;
        PIX_CombineMode mode;
        uint32_t dest, colour, want;
    } cases[] = {
        {"full coverage and weight copy the colour, alpha included", 255, 1.0f, 0, 0x11223344,
         0x80A0B0C0, 0x80A0B0C0},
        {"coverage 0 leaves the pixel", 0, 1.0f, 0, 0x11223344, 0x80A0B0C0, 0x11223344},
        {"coverage 128 mixes evenly", 128, 1.0f, 0, 0x00000000, 0xFEFEFEFE, 0x7F7F7F7F},
        {"coverage 255 at weight 256 is weight 255", 255, 1.0f, 1, 0x00000000, 0x000000FF,
         0x000000FE},
        {"weight 0 draws nothing", 255, 0.003f, 1, 0x11223344, 0xFFFFFFFF, 0x11223344},
        {"operation 6 draws nothing", 255, 1.0f, 6, 0x11223344, 0xFFFFFFFF, 0x11223344},
        {"operation 0x80 draws nothing", 255, 1.0f, 0x80, 0x11223344, 0xFFFFFFFF, 0x11223344},
        {"the source-alpha flag changes nothing", 255, 1.0f, 0x10000, 0x11223344, 0x00A0B0C0,
         0x00A0B0C0},
        {"copy at a negative weight draws nothing", 255, -1.0f, 0, 0x11223344, 0xFFFFFFFF,
         0x11223344},
        {"multiply at a negative weight clamps", 255, -1.0f, 3, 0xFF808080, 0x00000000, 0xFFFFFFFF},
        {"copy above weight 256 clamps", 255, 3.0f, 0, 0x00FF00FF, 0x80808080, 0xFF00FF00},
    };
    for (const auto& c : cases) {
        WordBitmap b(1, 1, false, rng);
        b.At(0, 0) = c.dest;
        PIX_StampCoveragePacked(&b, 0, 0, c.colour, &c.coverage, 1, 1, c.alpha, c.mode);
        EXPECT_EQ(b.At(0, 0), c.want) << c.what;
    }
}

TEST(StampCoverage, FirstMapRowLandsOnPictureRowYInBothRowOrders)
{
    Lcg rng{89};
    const uint8_t map[2 * 2] = {255, 0, 0, 255};
    for (const bool bottomUp : {false, true}) {
        WordBitmap b(4, 4, bottomUp, rng);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) b.At(x, y) = 0;
        PIX_StampCoveragePacked(&b, 1, 1, 0xFFFFFFFFu, map, 2, 2, 1.0f, 0);
        const std::vector<uint32_t> want = {0, 0, 0,          0, 0, 0xFFFFFFFF, 0, 0,
                                            0, 0, 0xFFFFFFFF, 0, 0, 0,          0, 0};
        EXPECT_EQ(b.Pixels(), want) << (bottomUp ? "bottom-up" : "top-down");
    }
}

// The plots: pixel x of memory row y, whatever the row order.
using WeightedPlot = void (*)(PIX_IBitmap*, int, int, int, int, int, int, int);
using FixedPlot = void (*)(PIX_IBitmap*, int, int, int, int, int, int);

TEST(PlotPixel, MatchesReferenceAtMemoryRows)
{
    const struct {
        const char* what;
        WeightedPlot plot;
        int op;
    } weighted[] = {
        {"copy", PIX_PlotPixelCopy, 0},
        {"add", PIX_PlotPixelAdd, 1},
        {"dodge", PIX_PlotPixelDodge, 2},
        {"multiply", PIX_PlotPixelMultiply, 3},
        {"soft light", PIX_PlotPixelSoftLight, 4},
        {"HSV shift", PIX_PlotPixelHsvShift, 5},
    };
    Lcg rng{97};
    for (const bool bottomUp : {false, true})
        for (int n = 0; n < 400; ++n) {
            WordBitmap b(5, 4, bottomUp, rng);
            const int x = rng.Range(0, 4), y = rng.Range(0, 3);
            const uint32_t colour = rng.Next();
            const int r = int(Channel(colour, 2)), g = int(Channel(colour, 1)),
                      bl = int(Channel(colour, 0));
            const int a = int(Channel(colour, 3));
            const int w = rng.Range(0, 3) == 0 ? 256 : rng.Range(-300, 600);
            for (const auto& p : weighted) {
                GuardedBitmap want = b, got = b;
                want.Memory(x, y) = RefOperation(want.Memory(x, y), colour, p.op, w, false);
                p.plot(&got, x, y, r, g, bl, a, w);
                ASSERT_TRUE(got.GuardIntact()) << p.what;
                ASSERT_EQ(got.Pixels(), want.Pixels())
                    << p.what << " w " << w << (bottomUp ? " bottom-up" : "");
            }
            GuardedBitmap opaque = b, half = b;
            PIX_PlotPixelCopyOpaque(&opaque, x, y, r, g, bl, a);
            PIX_PlotPixelCopyHalf(&half, x, y, r, g, bl, a);
            uint32_t halfWord = 0;
            for (int k = 0; k < 4; ++k)
                halfWord |= uint32_t(ref::Div(Channel(b.Memory(x, y), k) + Channel(colour, k), 2))
                            << (8 * k);
            GuardedBitmap wantOpaque = b, wantHalf = b;
            wantOpaque.Memory(x, y) = colour;
            wantHalf.Memory(x, y) = halfWord;
            ASSERT_TRUE(opaque.GuardIntact() && half.GuardIntact());
            ASSERT_EQ(opaque.Pixels(), wantOpaque.Pixels());
            ASSERT_EQ(half.Pixels(), wantHalf.Pixels());
        }
}

TEST(PlotPixel, Examples)
{
    Lcg rng{101};
    const struct {
        const char* what;
        uint32_t dest;
        int r, g, b, a, w;
        WeightedPlot plot;
        FixedPlot fixed;
        uint32_t want;
    } cases[] = {
        {"copy truncates toward zero, not down", 0x00000000, 0, 0, 255, 0, 129, PIX_PlotPixelCopy,
         nullptr, 0x00000081},
        {"copy at weight 0 keeps the pixel", 0x11223344, 255, 255, 255, 255, 0, PIX_PlotPixelCopy,
         nullptr, 0x11223344},
        {"opaque stores the channels", 0x11223344, 0xA0, 0xB0, 0xC0, 0x80, 0, nullptr,
         PIX_PlotPixelCopyOpaque, 0x80A0B0C0},
        {"half divides each channel sum", 0x01030507, 0x02, 0x04, 0x06, 0x00, 0, nullptr,
         PIX_PlotPixelCopyHalf, 0x00020406},
        {"add saturates", 0x80F08080, 0x40, 0x40, 0x40, 0x40, 256, PIX_PlotPixelAdd, nullptr,
         0xC0FFC0C0},
    };
    for (const auto& c : cases) {
        WordBitmap b(2, 2, true, rng);
        b.Memory(1, 0) = c.dest;
        if (c.plot)
            c.plot(&b, 1, 0, c.r, c.g, c.b, c.a, c.w);
        else
            c.fixed(&b, 1, 0, c.r, c.g, c.b, c.a);
        EXPECT_EQ(b.Memory(1, 0), c.want) << c.what;
    }
}

TEST(Coverage, NullBitmapsPixelsAndMapsReturnSilently)
{
    Lcg rng{103};
    WordBitmap good(4, 4, false, rng), nullPixels(4, 4, false, rng, true);
    PIX_MemBitmap empty(0, 0, 4);
    const uint8_t map[4] = {255, 255, 255, 255};
    const std::vector<uint32_t> before = good.Pixels();
    PIX_StampCoverage(&good, 0, 0, 0xFFFFFFFF, nullptr, 2, 2, 2, 1.0f, 0);
    PIX_StampCoveragePacked(&good, 0, 0, 0xFFFFFFFF, nullptr, 2, 2, 1.0f, 0);
    for (PIX_IBitmap* b : std::initializer_list<PIX_IBitmap*>{nullptr, &nullPixels, &empty}) {
        PIX_StampCoverage(b, 0, 0, 0xFFFFFFFF, map, 2, 2, 2, 1.0f, 0);
        PIX_StampCoveragePacked(b, 0, 0, 0xFFFFFFFF, map, 2, 2, 1.0f, 5);
        if (b == &empty) continue;  // the plots do not test bounds
        PIX_PlotPixelCopy(b, 1, 1, 1, 2, 3, 4, 100);
        PIX_PlotPixelCopyOpaque(b, 1, 1, 1, 2, 3, 4);
        PIX_PlotPixelCopyHalf(b, 1, 1, 1, 2, 3, 4);
        PIX_PlotPixelAdd(b, 1, 1, 1, 2, 3, 4, 100);
        PIX_PlotPixelDodge(b, 1, 1, 1, 2, 3, 4, 100);
        PIX_PlotPixelMultiply(b, 1, 1, 1, 2, 3, 4, 100);
        PIX_PlotPixelSoftLight(b, 1, 1, 1, 2, 3, 4, 100);
        PIX_PlotPixelHsvShift(b, 1, 1, 1, 2, 3, 4, 100);
    }
    EXPECT_EQ(good.Pixels(), before);
    EXPECT_TRUE(good.GuardIntact());
}

TEST(StampCoverage, NonFiniteAndHugeAlphasAndSizesAreDefined)
{
    Lcg rng{107};
    const float nan = std::numeric_limits<float>::quiet_NaN(),
                inf = std::numeric_limits<float>::infinity();
    const uint8_t map[9] = {255, 128, 1, 0, 255, 64, 200, 3, 255};
    for (const float alpha : {nan, inf, -inf, 3e38f, -3e38f}) {
        for (const PIX_CombineMode mode : {0u, 1u, 2u, 3u, 4u, 5u}) {
            WordBitmap b(4, 4, true, rng);
            PIX_StampCoverage(&b, 1, 1, 0x80FF40C0u, map, 3, 3, 3, alpha, mode);
            PIX_StampCoverage(&b, INT32_MIN, INT32_MIN, 0x80FF40C0u, map, INT32_MAX, 3, 3, alpha,
                              mode);
            PIX_StampCoverage(&b, INT32_MAX, 0, 0x80FF40C0u, map, 3, 3, 3, alpha, mode);
            PIX_StampCoverage(&b, 0, 0, 0x80FF40C0u, map, INT32_MIN, 3, INT32_MIN, alpha, mode);
            EXPECT_TRUE(b.GuardIntact()) << alpha << " mode " << mode;
        }
    }
    // NaN alpha is weight 0: nothing drawn.
    WordBitmap b(4, 4, false, rng);
    const std::vector<uint32_t> before = b.Pixels();
    PIX_StampCoverage(&b, 0, 0, 0xFFFFFFFF, map, 3, 3, 3, nan, 5);
    EXPECT_EQ(b.Pixels(), before);
}

// A deterministic sweep of stamps and plots with float alphas; its digest was
// taken from the native build and must hold in the Windows one.
TEST(CoverageChecksum, SweepGivesTheSameDigestInBothBuilds)
{
    Lcg rng{2111};
    WordBitmap top(37, 29, false, rng), bottom(31, 23, true, rng);
    const WeightedPlot plots[] = {PIX_PlotPixelCopy,      PIX_PlotPixelAdd,
                                  PIX_PlotPixelDodge,     PIX_PlotPixelMultiply,
                                  PIX_PlotPixelSoftLight, PIX_PlotPixelHsvShift};
    std::vector<uint8_t> map(24 * 20);
    for (uint8_t& c : map) c = rng.Coverage();
    for (int n = 0; n < 3000; ++n) {
        GuardedBitmap& b = n % 2 ? top : bottom;
        const float alpha = rng.Unit() * 2.5f - 0.6f;
        const PIX_CombineMode mode = kModes[rng.Range(0, 11)];
        const int width = rng.Range(0, 24), height = rng.Range(0, 20);
        PIX_StampCoverage(&b, rng.Range(-25, 40), rng.Range(-21, 30), rng.Next(), map.data(), width,
                          24, height, alpha, mode);
        const int x = rng.Range(0, b.PixelWidth() - 1), y = rng.Range(0, b.PixelHeight() - 1);
        const uint32_t c = rng.Next();
        const int r = int(Channel(c, 2)), g = int(Channel(c, 1)), bl = int(Channel(c, 0)),
                  a = int(Channel(c, 3));
        switch (const int k = rng.Range(0, 7)) {
            case 6:
                PIX_PlotPixelCopyOpaque(&b, x, y, r, g, bl, a);
                break;
            case 7:
                PIX_PlotPixelCopyHalf(&b, x, y, r, g, bl, a);
                break;
            default:
                plots[k](&b, x, y, r, g, bl, a, int(alpha * 256.0f));
                break;
        }
    }
    ASSERT_TRUE(top.GuardIntact() && bottom.GuardIntact());
    Digest digest;
    for (uint32_t v : top.Pixels()) digest.Add(v);
    for (uint32_t v : bottom.Pixels()) digest.Add(v);
    EXPECT_EQ(digest.value, 0xc4ff776dc7d78425ull) << std::hex << digest.value;
}

}  // namespace
