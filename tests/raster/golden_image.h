#pragma once

#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "raster/bitmap.h"

namespace raster_test {

// With VELVANE_GOLDEN_DIR set, writes the bitmap there as name.png to look
// at: its rows in memory order, alpha dropped.
inline void WriteGoldenIfRequested(const PIX_IBitmap& bitmap, const std::string& name)
{
    const char* dir = std::getenv("VELVANE_GOLDEN_DIR");
    if (!dir) return;
    const std::string path = std::string(dir) + "/" + name + ".png";
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const int width = bitmap.PixelWidth(), height = bitmap.PixelHeight();
    std::vector<png_byte> row(size_t(width) * 3);
    if (info && !setjmp(png_jmpbuf(png))) {
        png_init_io(png, file);
        png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const uint32_t c = bitmap.PixelData()[y * bitmap.RowStride() + x];
                row[size_t(x) * 3] = png_byte(c >> 16);
                row[size_t(x) * 3 + 1] = png_byte(c >> 8);
                row[size_t(x) * 3 + 2] = png_byte(c);
            }
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
    } else {
        ADD_FAILURE() << "could not write " << path;
    }
    png_destroy_write_struct(&png, info ? &info : nullptr);
    std::fclose(file);
}

}  // namespace raster_test
