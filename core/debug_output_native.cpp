#include "core/debug_output.h"

#include <atomic>

namespace {

std::atomic<DebugTextSink> gSink{nullptr};

}  // namespace

void SetDebugTextSink(DebugTextSink sink)
{
    gSink.store(sink);
}

void SendDebugText(const char* text)
{
    if (DebugTextSink sink = gSink.load()) sink(text);
}
