// Area shapes against a box of the same pixel count, opaque copies in a
// 1024x1024 surface. Items are the pixels a shape touches, counted once by
// drawing it in white into a black bitmap, so items per second compare
// directly with the box's.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <functional>

#include "raster/circle.h"
#include "raster/fill.h"
#include "raster/polygon.h"
#include "raster/smooth_line.h"
#include "raster/sys_bitmap.h"

namespace {

constexpr int kSize = 1024;
constexpr PIX_PackedColor kColour = 0xFF20C0E0u;

using Shape = std::function<void(PIX_IBitmap*, PIX_PackedColor, PIX_CombineMode)>;

int64_t PixelsOf(const Shape& shape)
{
    PIX_SysBitmap probe(kSize, kSize);
    for (int i = 0; i < probe.RowStride() * kSize; ++i) probe.PixelData()[i] = 0;
    shape(&probe, 0xFFFFFFFFu, PIX_CombineCopy);
    int64_t covered = 0;
    for (int i = 0; i < probe.RowStride() * kSize; ++i) covered += probe.PixelData()[i] != 0;
    return covered;
}

void Run(benchmark::State& state, const Shape& shape)
{
    PIX_SysBitmap surface(kSize, kSize);
    for (auto _ : state) {
        shape(&surface, kColour, PIX_CombineCopy);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * PixelsOf(shape));
}

// The box beside a shape: 256 pixels wide, as many rows as the shape's
// pixels take.
void RunBoxLike(benchmark::State& state, const Shape& shape)
{
    const int rows = int((PixelsOf(shape) + 255) / 256);
    Run(state, [rows](PIX_IBitmap* b, PIX_PackedColor c, PIX_CombineMode m) {
        PIX_FillBox(b, 100, 100, 256, rows, c, 1.0f, m);
    });
}

void Disc(PIX_IBitmap* b, PIX_PackedColor c, PIX_CombineMode m)
{
    PIX_FillDisc(b, 256.0f, 256.0f, 100.0f, c, 1.0f, m, false);
}
void DiscAntialiased(PIX_IBitmap* b, PIX_PackedColor c, PIX_CombineMode m)
{
    PIX_FillDisc(b, 256.0f, 256.0f, 100.0f, c, 1.0f, m, true);
}
void Triangle(PIX_IBitmap* b, PIX_PackedColor c, PIX_CombineMode m)
{
    PIX_FillTriangleShape(b, 100, 100, 300, 100, 100, 300, c, 1.0f, m);
}
void Polygon64(PIX_IBitmap* b, PIX_PackedColor c, PIX_CombineMode m)
{
    struct Corners {
        int xs[64], ys[64];
    };
    static const Corners corners = [] {
        Corners k;
        for (int i = 0; i < 64; ++i) {
            const double a = i * 6.283185307179586 / 64;
            k.xs[i] = int(256 + 100 * std::cos(a));
            k.ys[i] = int(256 + 100 * std::sin(a));
        }
        return k;
    }();
    PIX_FillConvexShape(b, corners.xs, corners.ys, 64, c, 1.0f, m);
}
void SmoothSegment1000(PIX_IBitmap* b, PIX_PackedColor c, PIX_CombineMode m)
{
    PIX_DrawSmoothSegment(b, 10.5f, 100.25f, 1010.5f, 400.75f, c, 1.0f, m, true);
}

BENCHMARK_CAPTURE(Run, DiscShape, Disc);
BENCHMARK_CAPTURE(RunBoxLike, DiscSameCountBox, Disc);
BENCHMARK_CAPTURE(Run, DiscAntialiasedShape, DiscAntialiased);
BENCHMARK_CAPTURE(RunBoxLike, DiscAntialiasedSameCountBox, DiscAntialiased);
BENCHMARK_CAPTURE(Run, TriangleShape, Triangle);
BENCHMARK_CAPTURE(RunBoxLike, TriangleSameCountBox, Triangle);
BENCHMARK_CAPTURE(Run, Polygon64Shape, Polygon64);
BENCHMARK_CAPTURE(RunBoxLike, Polygon64SameCountBox, Polygon64);
BENCHMARK_CAPTURE(Run, SmoothSegment1000Shape, SmoothSegment1000);
BENCHMARK_CAPTURE(RunBoxLike, SmoothSegment1000SameCountBox, SmoothSegment1000);

}  // namespace
