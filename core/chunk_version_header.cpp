#include "core/chunk_version_header.h"

#include <cstring>

namespace {
constexpr char kMark[4] = {'t', 'f', 'f', 'p'};
}

bool WriteChunkVersionHeader(IStateChunk* chunk)
{
    chunk->Clear();
    const int32_t version = kChunkVersion;
    chunk->PutBytes(kMark, int(sizeof kMark));
    return chunk->Put(version) == kChunkVersionHeaderSize;
}

int ReadChunkVersionHeader(const IStateChunk* chunk, int* position)
{
    const int at = *position;
    if (at < 0 || chunk->Size() - at < int(sizeof kMark)) return 0;
    if (std::memcmp(chunk->Data() + at, kMark, sizeof kMark) != 0) return 0;
    int32_t version = 0;
    *position = chunk->Get(&version, at + int(sizeof kMark));
    return *position < 0 ? 0 : version;
}
