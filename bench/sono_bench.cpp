// Colouring a frame's sonogram columns (257 pixels each) in each colour mode, with the
// time per pixel; kColourBalanceAndPhase needs every step of the colour
// maths. The anchor is 257 calls of the power function: report the ratio.
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

#include "analyser/sono.h"

namespace {

// A column of bins of every balance and phase relation, around magnitude 1.
void FillColumn(SpectrumColumn& column)
{
    for (int k = 0; k < 256; ++k) {
        column.bins[k][0] = float(2560.0 * std::cos(0.37 * k));
        column.bins[k][1] = float(2560.0 * std::sin(0.37 * k));
        column.bins[k][2] = float(1800.0 * std::cos(1.1 * k));
        column.bins[k][3] = float(1800.0 * std::sin(1.1 * k));
    }
}

// A frame's columns at the highest speed: 2000 a second at 60 frames.
constexpr int kColumnsPerFrame = 33;

void ColourColumns(benchmark::State& state)
{
    auto shared = std::make_unique<SpectrumShared>();
    for (int c = 0; c < kColumnsPerFrame; ++c) FillColumn(shared->columns[c]);
    auto sono = std::make_unique<ISono>(nullptr, IBox{10, 10, 1034, 267}, shared.get(), nullptr);
    sono->colourMode = SonoColouring(state.range(0));
    for (auto _ : state) {
        sono->ColourColumns(0, kColumnsPerFrame);
        benchmark::DoNotOptimize(sono->PixelStore());
        benchmark::ClobberMemory();
    }
    state.counters["per_pixel"] =
        benchmark::Counter(double(state.iterations()) * kColumnsPerFrame * ISono::kHeight,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(ColourColumns)->DenseRange(kColourBalanceAndPhase, kColourMagnitudeOnly);

void AnchorPow257(benchmark::State& state)
{
    double base[257];
    for (int j = 0; j < 257; ++j) base[j] = 0.001 + j / 257.0;
    for (auto _ : state) {
        double sum = 0.0;
        for (double b : base) sum += std::pow(b, 0.45454543828964233);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(AnchorPow257);

}  // namespace
