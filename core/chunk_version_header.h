#pragma once

#include "core/state_chunk.h"

// Every state chunk handed to a host starts with "tffp" and a little-endian
// int32 version.
constexpr int kChunkVersion = 0x00010000;
constexpr int kChunkVersionHeaderSize = 8;

// Empties the chunk and appends the header; false when it cannot grow.
bool WriteChunkVersionHeader(IStateChunk* chunk);

// Reads the header at *position: the version, with *position past it. A
// chunk without the mark gives 0 and leaves *position; a mark without its
// version gives 0 and sets *position to -1.
int ReadChunkVersionHeader(const IStateChunk* chunk, int* position);
