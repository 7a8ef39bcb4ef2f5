#pragma once

#include <cstdint>
#include <cstring>

// The bit pattern of a float, and the float of a bit pattern. Positive floats
// order as their patterns do.
inline uint32_t FloatBits(float v)
{
    uint32_t u;
    std::memcpy(&u, &v, sizeof u);
    return u;
}

inline float FloatFromBits(uint32_t u)
{
    float v;
    std::memcpy(&v, &u, sizeof v);
    return v;
}
