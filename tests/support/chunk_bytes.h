#pragma once

#include <cstdint>
#include <vector>

#include "core/state_chunk.h"

// The chunk's bytes, in order.
inline std::vector<uint8_t> ChunkBytes(const IStateChunk& chunk)
{
    return chunk.Size() ? std::vector<uint8_t>(chunk.Data(), chunk.Data() + chunk.Size())
                        : std::vector<uint8_t>{};
}
