// How long the analyser plug-in holds its lock in the dispatcher calls that
// reset it (the sample rate, the block size even when it stays, suspending),
// driven through its module as a host drives it. Each of these calls holds
// the lock from its start to its end, so its time is the hold; the audio
// thread waits that long for its next block. The anchor copies the
// sonogram's picture (1024 x 257 pixels) once: report the ratio.
#include <benchmark/benchmark.h>
#include <cstring>
#include <string>
#include <vector>

#include "support/vst_host.h"

namespace {

// A call of the dispatcher; with a second rate, the calls take turns with it.
struct Reset {
    const char* name;
    int32_t opcode;
    intptr_t value;
    float opt, otherOpt;
};
constexpr int kBlock = 512;
constexpr Reset kResets[] = {
    {"the same sample rate", kVst2SetSampleRate, 0, 44100.0f, 44100.0f},
    {"sample rates in turn", kVst2SetSampleRate, 0, 44100.0f, 48000.0f},
    {"the same block size", kVst2SetBlockSize, kBlock, 0.0f, 0.0f},
    {"suspend", kVst2MainsChanged, 0, 0.0f, 0.0f},
};

void ResetHoldsThePluginLock(benchmark::State& state)
{
    const Reset& reset = kResets[state.range(0)];
    state.SetLabel(reset.name);
    VstHost host;
    std::string error;
    Vst2Effect* e = host.Load(VELVANE_VST_MODULE, &error) ? host.Create() : nullptr;
    if (!e) {
        state.SkipWithError(error.empty() ? "the module made no plug-in" : error.c_str());
        return;
    }
    host.Dispatch(e, kVst2Open);
    host.Dispatch(e, kVst2SetSampleRate, 0, 0, nullptr, 44100.0f);
    host.Dispatch(e, kVst2SetBlockSize, 0, kBlock);
    bool other = false;
    for (auto _ : state) {
        const float opt = (other = !other) ? reset.otherOpt : reset.opt;
        benchmark::DoNotOptimize(host.Dispatch(e, reset.opcode, 0, reset.value, nullptr, opt));
    }
}
BENCHMARK(ResetHoldsThePluginLock)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

void AnchorCopyTheSonogramPicture(benchmark::State& state)
{
    const std::vector<uint32_t> picture(1024 * 257, 0xFF204080u);
    std::vector<uint32_t> store(picture.size());
    for (auto _ : state) {
        std::memcpy(store.data(), picture.data(), picture.size() * sizeof picture[0]);
        benchmark::DoNotOptimize(store.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(AnchorCopyTheSonogramPicture)->Unit(benchmark::kMicrosecond);

}  // namespace
