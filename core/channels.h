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

struct IAudioInput : IAudioChannel {};
struct IAudioOutput : IAudioChannel {};
