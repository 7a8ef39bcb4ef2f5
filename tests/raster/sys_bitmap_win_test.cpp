#include <windows.h>

#include <gtest/gtest.h>

#include "raster/sys_bitmap.h"

namespace {

// Paints a rectangle through the bitmap's device context.
void FillThroughContext(PIX_SysBitmap& bitmap, int left, int top, int right, int bottom,
                        COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    const RECT r = {left, top, right, bottom};
    FillRect(bitmap.DeviceContext(), &r, brush);
    DeleteObject(brush);
}

TEST(SysBitmapGdi, DrawingThroughTheContextLandsInTopDownPixels)
{
    PIX_SysBitmap bitmap(5, 3);
    PIX_PackedColor* p = bitmap.PixelData();
    for (int i = 0; i < 8 * 3; ++i) p[i] = 0;
    FillThroughContext(bitmap, 1, 2, 3, 3, RGB(0x11, 0x22, 0x33));
    p = bitmap.PixelData();
    EXPECT_EQ(p[2 * 8 + 1] & 0xFFFFFF, 0x112233u);
    EXPECT_EQ(p[2 * 8 + 2] & 0xFFFFFF, 0x112233u);
    EXPECT_EQ(p[2 * 8 + 3], 0u);
    EXPECT_EQ(p[0], 0u);
}

TEST(SysBitmapGdi, TheContextDrawsIntoTheCurrentSectionAfterResizing)
{
    PIX_SysBitmap bitmap(4, 4);
    for (const SIZE s : {SIZE{3, 2}, SIZE{9, 5}, SIZE{2, 2}}) {
        ASSERT_TRUE(bitmap.SetSize(s.cx, s.cy));
        PIX_PackedColor* p = bitmap.PixelData();
        for (int i = 0; i < bitmap.RowStride() * bitmap.PixelHeight(); ++i) p[i] = 0;
        FillThroughContext(bitmap, 0, 0, s.cx, s.cy, RGB(0xAB, 0xCD, 0xEF));
        p = bitmap.PixelData();
        EXPECT_EQ(p[(s.cy - 1) * bitmap.RowStride() + s.cx - 1] & 0xFFFFFF, 0xABCDEFu)
            << s.cx << "x" << s.cy;
        EXPECT_EQ(HGDIOBJ(GetCurrentObject(bitmap.DeviceContext(), OBJ_BITMAP)) != nullptr, true);
    }
}

}  // namespace
