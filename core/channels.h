#pragma once

#include <cstdint>

#include "core/heap_buffer.h"
#include "core/text_buffer.h"

// One legal pair of input and output channel counts.
struct IChannelConfig {
    int32_t inputs;
    int32_t outputs;
};

// An audio channel of the plug-in. Its data slot is its entry in the plug-in's
// data-pointer array; a disconnected channel points it at its own zeroed
// scratch block of block-size doubles.
struct IAudioChannel {
    bool connected = false;
    double** dataSlot = nullptr;
    HeapBuffer scratch{4096};
    TextBuffer label;
};

struct IAudioInput : IAudioChannel {
    // The host's single-precision buffer the scratch block is filled from;
    // null while the input takes double-precision buffers.
    const float* floatSource = nullptr;
};

struct IAudioOutput : IAudioChannel {
    // Where the single-precision process paths copy this output; null while
    // the output renders into a double-precision buffer.
    float* floatDestination = nullptr;
};

// The latency pass-through: the first passingChannels (at most channels) are
// delayed by length frames. Channel j's ring is the samples j x length to
// j x length + length - 1 of buffer.
struct ILatencyDelayLine {
    HeapBuffer buffer{4096};
    int writePosition = 0;
    int channels = 0;
    int passingChannels = 0;
    int length = 0;
};
