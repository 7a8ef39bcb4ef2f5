// The analyser's hot path: the 512-point transform, one column's analysis and
// one block of samples at the highest speed. FFTW's single-precision real
// transform of the same size is the anchor: report the ratio, not the time.
#include <benchmark/benchmark.h>
#include <cmath>
#include <fftw3.h>
#include <memory>
#include <vector>

#include "analyser/real_fft.h"
#include "analyser/spectrum_analyser.h"

namespace {

std::vector<float> TestFrame()
{
    std::vector<float> x(512);
    for (int n = 0; n < 512; ++n) x[n] = float(std::sin(0.07 * n) + 0.25 * std::cos(1.3 * n));
    return x;
}

// The vector path, and the one for processors without SSE2 for comparison.
template <void (RealFft::*Transform)(const float*, float*)>
void TransformFrame(benchmark::State& state)
{
    RealFft fft;
    std::vector<float> x = TestFrame(), out(512);
    for (auto _ : state) {
        (fft.*Transform)(x.data(), out.data());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(TransformFrame<&RealFft::Transform>)->Name("Transform512");
BENCHMARK(TransformFrame<&RealFft::TransformScalar>)->Name("Transform512Scalar");

void AnchorFftwReal512(benchmark::State& state)
{
    float* in = fftwf_alloc_real(512);
    fftwf_complex* out = fftwf_alloc_complex(257);
    fftwf_plan plan = fftwf_plan_dft_r2c_1d(512, in, out, FFTW_MEASURE);
    const std::vector<float> x = TestFrame();
    for (int n = 0; n < 512; ++n) in[n] = x[n];
    for (auto _ : state) {
        fftwf_execute(plan);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    fftwf_destroy_plan(plan);
    fftwf_free(out);
    fftwf_free(in);
}
BENCHMARK(AnchorFftwReal512);

std::unique_ptr<SpectrumAnalyser> ReadyAnalyser(double increment)
{
    auto analyser = std::make_unique<SpectrumAnalyser>();
    analyser->SetWindowType(0);
    analyser->ResetRings();
    analyser->SetHopIncrement(increment);
    return analyser;
}

void AnalyseOneColumn(benchmark::State& state)
{
    auto analyser = ReadyAnalyser(0.0);
    for (auto _ : state) {
        analyser->AnalyseFrame();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(AnalyseOneColumn);

void Block512AtSpeed2000(benchmark::State& state)
{
    auto analyser = ReadyAnalyser(2000 * (1.0 / 44100));
    std::vector<double> left(512), right(512);
    for (int i = 0; i < 512; ++i) {
        left[i] = std::sin(0.01 * i);
        right[i] = std::cos(0.02 * i);
    }
    for (auto _ : state) {
        analyser->ProcessSamples(left.data(), right.data(), 512);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 512);
}
BENCHMARK(Block512AtSpeed2000);

}  // namespace
