#include <cstdint>
#include <gtest/gtest.h>

#include "raster/bitmap.h"
#include "raster/hsv.h"
#include "raster/pixel.h"
#include "raster_test_support.h"

namespace {

using raster_test::Digest;
using raster_test::Lcg;

// A deterministic sweep over every combine mode, the clamped dispatcher, the
// bilinear mix and the HSV shifts, including their float arguments. Its
// digest was taken from the native build and must hold in the Windows build.
TEST(RasterChecksum, SweepGivesTheSameDigestInBothBuilds)
{
    const PIX_CombineMode modes[] = {0,    1,       2,       3,       4,       5,       7,
                                     0xF3, 0x10000, 0x10001, 0x10002, 0x10003, 0x10004, 0x10005};
    Lcg rng{2024};
    Digest digest;
    for (int n = 0; n < 20000; ++n) {
        const PIX_PackedColor dest = rng.Next(), colour = rng.Next();
        const float alpha = rng.Unit() * 1.25f - 0.1f;
        for (PIX_CombineMode mode : modes) {
            digest.Add(PIX_CombineColors(dest, colour, alpha, mode));
            uint8_t p[4] = {uint8_t(dest), uint8_t(dest >> 8), uint8_t(dest >> 16),
                            uint8_t(dest >> 24)};
            const int r = int(rng.Next() % 700) - 200, g = int(rng.Next() % 700) - 200;
            const int b = int(rng.Next() % 700) - 200, a = int(rng.Next() % 256);
            PIX_CombineIntoPixelClamped(p, r, g, b, a, int(rng.Next() % 300) - 20, mode);
            digest.Add(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                       uint32_t(p[3]) << 24);
        }
        const uint32_t block[4] = {dest, colour, rng.Next(), rng.Next()};
        int out[4];
        PIX_BilinearMix4(&out[0], &out[1], &out[2], &out[3],
                         reinterpret_cast<const uint8_t*>(block),
                         reinterpret_cast<const uint8_t*>(block + 2), int(rng.Next() & 0xFFFF),
                         int(rng.Next() & 0xFFFF));
        for (int v : out) digest.Add(uint32_t(v));
        digest.Add(PIX_ShiftColorHsvFraction(colour, rng.Unit() * 2 - 1, rng.Unit() * 2 - 1,
                                             rng.Unit() * 2 - 1));
    }
    PIX_MemBitmap bitmap(97, 101, 4);
    for (int i = 0; i < bitmap.RowStride() * bitmap.PixelHeight(); ++i)
        bitmap.PixelData()[i] = rng.Next();
    PIX_ShiftBoxHsv(&bitmap, -3, 5, 90, 120, 0.37f, -0.21f, 0.113f);
    PIX_ShiftBoxHsv(&bitmap, 10, 10, 30, 20, -0.77f, 0.5f, -0.3f);
    for (int i = 0; i < bitmap.RowStride() * bitmap.PixelHeight(); ++i)
        digest.Add(bitmap.PixelData()[i]);
    EXPECT_EQ(digest.value, 0x965949d252df9e37ull) << std::hex << digest.value;
}

}  // namespace
