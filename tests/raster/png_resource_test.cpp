#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "raster/png_image.h"
#include "raster/sys_bitmap.h"

// This program names no image loader: the registry must bring the PNG
// handler with it.

namespace {

// The pixels of resource 101, as make_png_resource.py writes them: {r, g, b, a}.
const uint8_t kPixels[3][5][4] = {
    {{255, 0, 0, 255}, {0, 255, 0, 128}, {0, 0, 255, 1}, {0, 0, 0, 0}, {18, 52, 86, 200}},
    {{255, 255, 255, 255},
     {1, 2, 3, 4},
     {200, 100, 50, 255},
     {10, 20, 30, 40},
     {128, 128, 128, 127}},
    {{7, 77, 177, 255}, {255, 254, 253, 252}, {0, 0, 0, 255}, {60, 70, 80, 90}, {250, 0, 250, 5}},
};

PIX_PackedColor Expected(int x, int y)
{
    const uint8_t* p = kPixels[y][x];
    return PIX_PackedColor(p[3]) << 24 | PIX_PackedColor(p[0]) << 16 | PIX_PackedColor(p[1]) << 8 |
           p[2];
}

::testing::AssertionResult HoldsResource101(const PIX_IBitmap* bitmap)
{
    if (!bitmap) return ::testing::AssertionFailure() << "no image";
    if (bitmap->PixelWidth() != 5 || bitmap->PixelHeight() != 3)
        return ::testing::AssertionFailure()
               << "size " << bitmap->PixelWidth() << "x" << bitmap->PixelHeight();
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const PIX_PackedColor got = bitmap->PixelData()[y * bitmap->RowStride() + x];
            if (got != Expected(x, y))
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << ": " << std::hex << got << " instead of "
                       << Expected(x, y);
        }
    return ::testing::AssertionSuccess();
}

DWORD ResourceSize(int id)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), "PNG");
    return resource ? SizeofResource(module, resource) : 0;
}

TEST(PngResource, DecodesByIdIntoANewBitmap)
{
    std::unique_ptr<PIX_IBitmap> image(
        PIX_DecodePngResource(GetModuleHandleA(nullptr), 101, nullptr));
    EXPECT_NE(dynamic_cast<PIX_MemBitmap*>(image.get()), nullptr);
    EXPECT_TRUE(HoldsResource101(image.get()));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->RowStride(), 8);
}

TEST(PngResource, DecodesIntoAGivenSystemBitmap)
{
    PIX_SysBitmap into(2, 2);
    EXPECT_EQ(PIX_DecodePngResource(nullptr, 101, &into), &into);
    EXPECT_TRUE(HoldsResource101(&into));
}

TEST(PngResource, TheIdIsTakenAs16Bits)
{
    std::unique_ptr<PIX_IBitmap> image(
        PIX_DecodePngResource(GetModuleHandleA(nullptr), 0x10000 + 101, nullptr));
    EXPECT_TRUE(HoldsResource101(image.get()));
}

TEST(PngResource, MissingShortAndForeignResourcesGiveNull)
{
    ASSERT_EQ(ResourceSize(102), 7u);
    ASSERT_EQ(ResourceSize(103), 8u);
    ASSERT_GT(ResourceSize(104), 8u);
    ASSERT_EQ(ResourceSize(105), 0u);
    for (int id : {102, 103, 104, 105, 0}) {
        EXPECT_EQ(PIX_DecodePngResource(GetModuleHandleA(nullptr), id, nullptr), nullptr) << id;
        PIX_MemBitmap into(1, 1, 4);
        EXPECT_EQ(PIX_DecodePngResource(GetModuleHandleA(nullptr), id, &into), nullptr) << id;
    }
    // A module without these resources.
    EXPECT_EQ(PIX_DecodePngResource(GetModuleHandleA("kernel32.dll"), 101, nullptr), nullptr);
}

TEST(PngResource, AHeaderAnnouncingMoreThanTheResourceHoldsFailsBeforeAllocating)
{
    ASSERT_LT(ResourceSize(106), 200u);
    PIX_MemBitmap into(1, 1, 4);
    const int64_t allocated = into.AllocatedBytes();
    EXPECT_EQ(PIX_DecodePngResource(GetModuleHandleA(nullptr), 106, &into), nullptr);
    EXPECT_EQ(into.AllocatedBytes(), allocated);
    EXPECT_EQ(into.PixelWidth(), 1);
    EXPECT_EQ(PIX_DecodePngResource(GetModuleHandleA(nullptr), 106, nullptr), nullptr);
}

TEST(PngRegistry, ListsThePngHandlerWithoutBeingNamed)
{
    char* text = PIX_BuildImageFilter(true, false);
    ASSERT_NE(text, nullptr);
    const char expected[] = "All supported images\0*.PNG\0PNG files (*.PNG)\0*.PNG\0";
    EXPECT_EQ(std::memcmp(text, expected, sizeof expected), 0);
    std::free(text);
    EXPECT_TRUE(PIX_HandlerKnowsExtension("C:\\images\\back.png"));
}

}  // namespace
