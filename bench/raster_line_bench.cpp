// Opaque copy segments as the analyser draws them (alpha 1.0, no
// antialiasing) in a 1044x347 surface. Items are the pixels drawn.
#include <benchmark/benchmark.h>
#include <cstdint>

#include "raster/line.h"
#include "raster/sys_bitmap.h"

namespace {

constexpr int kLength = 1024;

void FillSurface(PIX_IBitmap& b)
{
    uint32_t seed = 3;
    for (int i = 0; i < b.RowStride() * b.PixelHeight(); ++i)
        b.PixelData()[i] = seed = seed * 1664525u + 1013904223u;
}

void SegmentHorizontalOpaque1024(benchmark::State& state)
{
    PIX_SysBitmap surface(1044, 347);
    FillSurface(surface);
    for (auto _ : state) {
        PIX_DrawSegment(&surface, 10, 170, 10 + kLength - 1, 170, 0xFF20C0E0u, 1.0f,
                        PIX_CombineCopy, false);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kLength);
}
BENCHMARK(SegmentHorizontalOpaque1024);

// The surface is 347 rows high, so the 1024-pixel segment is clipped to 347.
void SegmentVerticalOpaque1024(benchmark::State& state)
{
    PIX_SysBitmap surface(1044, 347);
    FillSurface(surface);
    for (auto _ : state) {
        PIX_DrawSegment(&surface, 500, 0, 500, kLength - 1, 0xFF20C0E0u, 1.0f, PIX_CombineCopy,
                        false);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * surface.PixelHeight());
}
BENCHMARK(SegmentVerticalOpaque1024);

}  // namespace
