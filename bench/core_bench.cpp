// Appending to a growable buffer, against a plain memcpy into a block that is
// already large enough (the anchor): the ratio is the cost of the growth rule.
#include <benchmark/benchmark.h>
#include <cstring>
#include <vector>

#include "core/heap_buffer.h"

namespace {

constexpr int kAppends = 4096;
constexpr int kItem = 8;

void AppendToHeapBuffer(benchmark::State& state)
{
    const double value = 1.0;
    for (auto _ : state) {
        HeapBuffer buffer;
        for (int i = 0; i < kAppends; ++i) {
            const int at = buffer.Size();
            buffer.Resize(at + kItem, true);
            std::memcpy(static_cast<char*>(buffer.Data()) + at, &value, kItem);
        }
        benchmark::DoNotOptimize(buffer.Data());
    }
    state.SetBytesProcessed(state.iterations() * kAppends * kItem);
}
BENCHMARK(AppendToHeapBuffer);

void AnchorMemcpyIntoReservedBlock(benchmark::State& state)
{
    const double value = 1.0;
    std::vector<char> block(kAppends * kItem);
    for (auto _ : state) {
        for (int i = 0; i < kAppends; ++i) std::memcpy(block.data() + i * kItem, &value, kItem);
        benchmark::DoNotOptimize(block.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kAppends * kItem);
}
BENCHMARK(AnchorMemcpyIntoReservedBlock);

}  // namespace
