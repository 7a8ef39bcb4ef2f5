#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "editor/records.h"
#include "raster/bitmap.h"

// Images whose pixels a rule of the test gives, and the pixels of a bitmap.

using PixelRule = uint32_t (*)(int x, int y, int w, int h);

struct TestImage {
    std::unique_ptr<PIX_MemBitmap> bitmap;
    IImageStrip strip;
};

inline TestImage MakeImage(int w, int h, PixelRule rule, int frames = 1,
                           bool framesHorizontal = false)
{
    TestImage image{std::make_unique<PIX_MemBitmap>(w, h, 4), {}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.bitmap->PixelData()[y * image.bitmap->RowStride() + x] = rule(x, y, w, h);
    image.strip = {image.bitmap.get(), w, h, frames, framesHorizontal};
    return image;
}

// The bitmap's pixels row by row, without the row padding.
inline std::vector<uint32_t> Picture(const PIX_IBitmap* bitmap)
{
    std::vector<uint32_t> words;
    for (int y = 0; y < bitmap->PixelHeight(); ++y)
        for (int x = 0; x < bitmap->PixelWidth(); ++x)
            words.push_back(bitmap->PixelData()[y * bitmap->RowStride() + x]);
    return words;
}
