// The editor's one-to-one copies: a 1024x257 picture into a 1044x347 surface
// at alpha 1.0 in copy mode, against memcpy of the same rows (the anchor), and
// a 25x25 frame blitted with source alpha.
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstring>

#include "raster/bitmap.h"
#include "raster/blit.h"
#include "raster/sys_bitmap.h"

namespace {

constexpr int kWidth = 1024, kHeight = 257;
constexpr int kDestX = 10, kDestY = 45;

void Fill(PIX_IBitmap& b, uint32_t seed)
{
    for (int i = 0; i < b.RowStride() * b.PixelHeight(); ++i)
        b.PixelData()[i] = seed = seed * 1664525u + 1013904223u;
}

void CopyRegionOpaque1024x257(benchmark::State& state)
{
    PIX_MemBitmap src(kWidth, kHeight, 4);
    PIX_SysBitmap dest(1044, 347);
    Fill(src, 1);
    Fill(dest, 2);
    for (auto _ : state) {
        PIX_CopyRegionXYWH(&dest, &src, kDestX, kDestY, 0, 0, kWidth, kHeight, 1.0f, 0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(CopyRegionOpaque1024x257);

void AnchorMemcpyRows1024x257(benchmark::State& state)
{
    PIX_MemBitmap src(kWidth, kHeight, 4);
    PIX_SysBitmap dest(1044, 347);
    Fill(src, 1);
    Fill(dest, 2);
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y)
            std::memcpy(dest.PixelData() + (kDestY + y) * dest.RowStride() + kDestX,
                        src.PixelData() + y * src.RowStride(), 4 * kWidth);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(AnchorMemcpyRows1024x257);

// A knob frame: transparent corners, an opaque body and a soft rim.
void CopyRegionSourceAlpha25x25(benchmark::State& state)
{
    PIX_MemBitmap frame(25, 25, 4);
    PIX_SysBitmap dest(1044, 347);
    Fill(dest, 3);
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 25; ++x) {
            const int r2 = (x - 12) * (x - 12) + (y - 12) * (y - 12);
            const uint32_t a = r2 > 144 ? 0 : r2 < 100 ? 255 : uint32_t(255 * (144 - r2) / 44);
            frame.PixelData()[y * frame.RowStride() + x] =
                a << 24 | uint32_t(x * 10) << 16 | uint32_t(y * 10) << 8 | 0x40;
        }
    for (auto _ : state) {
        PIX_CopyRegionXYWH(&dest, &frame, 300, 200, 0, 0, 25, 25, 1.0f, 0x10000);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 25 * 25);
}
BENCHMARK(CopyRegionSourceAlpha25x25);

}  // namespace
