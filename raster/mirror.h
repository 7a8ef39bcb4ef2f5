#pragma once

#include <cstdint>

// A negative destination size mirrors a scaled copy: the destination run
// starts at its far end, the source position moves to the source's far edge
// and the source size turns negative, so the source is walked backwards.
inline void PIX_UnmirrorAxis(int64_t* pos, int64_t* size, float* srcPos, float* srcSize)
{
    if (*size >= 0) return;
    *pos += *size;
    *size = -*size;
    *srcPos += *srcSize;
    *srcSize = -*srcSize;
}
