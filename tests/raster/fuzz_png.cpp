// libFuzzer target: the PNG decoder on arbitrary bytes, into a new bitmap
// and into a given one.
#include <cstddef>
#include <cstdint>

#include "raster/png_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int length = size > 1 << 24 ? 1 << 24 : int(size);
    delete PIX_DecodePngMemory(data, length, nullptr);
    PIX_MemBitmap into(3, 2, 4);
    PIX_IBitmap* result = PIX_DecodePngMemory(data, length, &into);
    if (result && result != &into) __builtin_trap();
    return 0;
}
