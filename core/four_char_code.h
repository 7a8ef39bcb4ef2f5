#pragma once

#include <cstdint>

// A four-character code as the int32 whose bytes, most significant first,
// are its characters ("VstP" is 0x56737450).
constexpr int32_t FourCharCode(const char (&code)[5])
{
    return int32_t(uint32_t(uint8_t(code[0])) << 24 | uint32_t(uint8_t(code[1])) << 16 |
                   uint32_t(uint8_t(code[2])) << 8 | uint32_t(uint8_t(code[3])));
}
