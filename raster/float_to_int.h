#pragma once

#include <climits>
#include <cstdint>

// The one way the raster library turns a float into an int: truncation
// toward zero, saturated to the int range, NaN giving 0 (a plain cast of
// NaN or of an out-of-range value is undefined).
inline int PIX_TruncateToInt(double v)
{
    if (v != v) return 0;
    if (v >= 2147483648.0) return INT_MAX;
    if (v <= -2147483649.0) return INT_MIN;
    return static_cast<int>(v);
}

inline int PIX_TruncateToInt(float v)
{
    return PIX_TruncateToInt(static_cast<double>(v));
}

// The weight of an opacity: alpha x 256, truncated (1.0 is 256).
inline int PIX_WeightFromAlpha(float alpha)
{
    return PIX_TruncateToInt(alpha * 256.0f);
}

// A 64-bit sum of coordinates or sizes, saturated to the int range.
inline int PIX_SaturateToInt(int64_t v)
{
    return v < INT_MIN ? INT_MIN : (v > INT_MAX ? INT_MAX : int(v));
}
