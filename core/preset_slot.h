#pragma once

#include "core/state_chunk.h"

// One preset: a name and a copy of the plug-in's state.
struct IPresetSlot {
    bool used = false;
    char name[256] = "empty";
    IStateChunk state;
};
