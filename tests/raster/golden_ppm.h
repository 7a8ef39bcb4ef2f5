#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "raster/bitmap.h"

namespace raster_test {

// With VELVANE_GOLDEN_DIR set, writes the bitmap there as name.ppm to look
// at: a binary PPM of its rows in memory order, alpha dropped.
inline void WritePpmIfRequested(const PIX_IBitmap& bitmap, const std::string& name)
{
    const char* dir = std::getenv("VELVANE_GOLDEN_DIR");
    if (!dir) return;
    const std::string path = std::string(dir) + "/" + name + ".ppm";
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    std::fprintf(file, "P6\n%d %d\n255\n", bitmap.PixelWidth(), bitmap.PixelHeight());
    for (int y = 0; y < bitmap.PixelHeight(); ++y)
        for (int x = 0; x < bitmap.PixelWidth(); ++x) {
            const uint32_t c = bitmap.PixelData()[y * bitmap.RowStride() + x];
            const unsigned char rgb[3] = {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)};
            std::fwrite(rgb, 1, 3, file);
        }
    std::fclose(file);
}

}  // namespace raster_test
