#include "raster/bitmap.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>

#include "raster/sys_bitmap.h"

namespace {

// Writes every byte the bitmap claims (the sanitizers catch an overrun) and
// reads it back.
bool PixelsAreUsable(const PIX_IBitmap& bitmap)
{
    PIX_PackedColor* p = bitmap.PixelData();
    const size_t n = size_t(bitmap.RowStride()) * size_t(bitmap.PixelHeight());
    for (size_t i = 0; i < n; ++i) p[i] = PIX_PackedColor(i * 2654435761u);
    for (size_t i = 0; i < n; ++i)
        if (p[i] != PIX_PackedColor(i * 2654435761u)) return false;
    return true;
}

TEST(MemBitmap, RowsFollowTheRowAlignment)
{
    const struct {
        int width, height;
        unsigned alignment;
        int stride;
    } cases[] = {
        {5, 3, 4, 8},   {5, 3, 0, 5},   {5, 3, 1, 5},    {5, 3, 2, 6},
        {5, 3, 3, 5},   {5, 3, 6, 6},   {5, 3, 8, 8},    {5, 3, 16, 16},
        {5, 3, 32, 16}, {5, 3, 64, 16}, {17, 1, 48, 32}, {17, 1, 0x80000000u, 32},
        {16, 2, 4, 16},
    };
    for (const auto& c : cases) {
        PIX_MemBitmap bitmap(c.width, c.height, c.alignment);
        EXPECT_EQ(bitmap.RowStride(), c.stride) << c.width << " align " << c.alignment;
        EXPECT_EQ(bitmap.AllocatedBytes(), 4 * c.stride * c.height);
        EXPECT_EQ(bitmap.PixelWidth(), c.width);
        EXPECT_EQ(bitmap.PixelHeight(), c.height);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(bitmap.PixelData()) % 64, 0u);
        EXPECT_TRUE(PixelsAreUsable(bitmap));
    }
}

struct Step {
    int width, height;
    bool result;
    int reportedWidth, reportedHeight, stride;
    bool hasPixels;
    bool keepsPixels;  // the same pixel block as before the call
};

// One SetSize step: its result, the reported size and stride, and whether the
// pixels exist, stayed where they were and can be written.
void ExpectSetSize(PIX_IBitmap& bitmap, const Step& c)
{
    PIX_PackedColor* before = bitmap.PixelData();
    EXPECT_EQ(bitmap.SetSize(c.width, c.height), c.result) << c.width << "x" << c.height;
    EXPECT_EQ(bitmap.PixelWidth(), c.reportedWidth);
    EXPECT_EQ(bitmap.PixelHeight(), c.reportedHeight);
    EXPECT_EQ(bitmap.RowStride(), c.stride);
    EXPECT_EQ(bitmap.PixelData() != nullptr, c.hasPixels);
    if (c.keepsPixels) {
        EXPECT_EQ(bitmap.PixelData(), before);
    }
    if (c.hasPixels) {
        EXPECT_TRUE(PixelsAreUsable(bitmap));
    }
}

// MemBitmap: grows by a quarter beyond the need, never shrinks, and fails
// sizes beyond the cap instead of wrapping them in 32 bits.
TEST(MemBitmap, SetSizeResults)
{
    const struct {
        Step step;
        int64_t allocated;
    } steps[] = {
        {{20, 20, false, 20, 20, 20, true, true}, 1600},
        {{10, 10, true, 10, 10, 12, true, true}, 1600},
        {{21, 20, true, 21, 20, 24, true, false}, 2400},
        {{24, 25, true, 24, 25, 24, true, true}, 2400},
        {{0, 0, true, 0, 0, 0, false, false}, 0},
        {{0, 0, false, 0, 0, 0, false, false}, 0},
        {{1073741840, 1, true, 0, 0, 0, false, false}, 4294967360},  // 2^32 + 64 bytes
        {{8, 8, true, 8, 8, 8, true, false}, 256},
        {{65536, 65536, true, 0, 0, 0, false, false}, 17179869184},
        {{3, 3, true, 3, 3, 4, true, false}, 48},
        {{-5, 10, true, 0, 0, 0, false, false}, 0},
        {{10, -5, true, 0, 0, 0, false, false}, 0},
        {{-4, -4, true, 0, 0, 0, false, false}, 0},
    };
    PIX_MemBitmap bitmap(20, 20, 4);
    for (const auto& s : steps) {
        ExpectSetSize(bitmap, s.step);
        EXPECT_EQ(bitmap.AllocatedBytes(), s.allocated);
    }
}

// One table for both builds: natively the pixels are on the heap, on Windows
// in a DIB section, with the same sizes and results.
TEST(SysBitmap, SetSizeResults)
{
    const Step steps[] = {
        {5, 2, false, 5, 2, 8, true, true},           {3, 1, true, 3, 1, 8, true, true},
        {9, 1, true, 9, 1, 12, true, false},          {10, 0, false, 10, 0, 12, false, false},
        {10, 0, false, 10, 0, 12, false, false},      {0, 0, false, 0, 0, 0, false, false},
        {4, 4, true, 4, 4, 4, true, false},           {4, 3, true, 4, 3, 4, true, true},
        {4, 5, true, 4, 5, 4, true, false},           {0, 0, false, 0, 0, 0, false, false},
        {1073741840, 1, true, 0, 0, 0, false, false},  // 2^32 + 64 bytes
        {65536, 65536, true, 0, 0, 0, false, false},  {INT_MAX, 1, true, 0, 0, 0, false, false},
        {7, 3, true, 7, 3, 8, true, false},           {-4, 3, true, 0, 0, 0, false, false},
        {1, 1, true, 1, 1, 4, true, false},
    };
    PIX_SysBitmap bitmap(5, 2);
    EXPECT_EQ(bitmap.PixelWidth(), 5);
    EXPECT_EQ(bitmap.RowStride(), 8);
    for (const Step& c : steps) {
        ExpectSetSize(bitmap, c);
    }
}

TEST(Bitmaps, SetSizeToTheCurrentSizeKeepsThePixels)
{
    PIX_MemBitmap mem(7, 5, 4);
    PIX_SysBitmap sys(7, 5);
    for (PIX_IBitmap* bitmap : {static_cast<PIX_IBitmap*>(&mem), static_cast<PIX_IBitmap*>(&sys)}) {
        ASSERT_TRUE(PixelsAreUsable(*bitmap));
        PIX_PackedColor* pixels = bitmap->PixelData();
        EXPECT_FALSE(bitmap->SetSize(7, 5));
        EXPECT_EQ(bitmap->PixelData(), pixels);
        for (int i = 0; i < 8 * 5; ++i) ASSERT_EQ(pixels[i], PIX_PackedColor(i * 2654435761u));
    }
}

TEST(Bitmaps, BaseDefaults)
{
    PIX_MemBitmap mem(2, 2, 4);
    PIX_SysBitmap sys(2, 2);
    EXPECT_FALSE(mem.IsBottomUp());
    EXPECT_FALSE(sys.IsBottomUp());
    EXPECT_EQ(mem.DeviceContext(), nullptr);
    EXPECT_EQ(mem.ExtensionQuery(1, nullptr), 0);
    EXPECT_EQ(sys.ExtensionQuery(1, nullptr), 0);
    EXPECT_NE(sys.DeviceContext(), nullptr);
}

TEST(Bitmaps, EmptyConstructionHoldsNothing)
{
    PIX_MemBitmap mem(0, 0, 4);
    PIX_SysBitmap sys(0, 0);
    EXPECT_EQ(mem.PixelData(), nullptr);
    EXPECT_EQ(sys.PixelData(), nullptr);
    EXPECT_EQ(mem.AllocatedBytes(), 0);
    EXPECT_EQ(sys.RowStride(), 0);
}

}  // namespace
