#pragma once

// Slow transcriptions of the raster arithmetic, written from its definition
// rather than from the library: 64-bit, with an explicitly truncating
// division, so that a shift standing in for a division shows up.

#include <cstdint>

namespace ref {

// Quotient truncated toward zero.
inline int64_t Div(int64_t n, int64_t d)
{
    const int64_t q = (n < 0 ? -n : n) / (d < 0 ? -d : d);
    return (n < 0) != (d < 0) ? -q : q;
}

inline int64_t Clamp(int64_t x)
{
    return x < 0 ? 0 : (x > 255 ? 255 : x);
}
inline int64_t Min255(int64_t x)
{
    return x < 255 ? x : 255;
}

inline int64_t Copy(int64_t d, int64_t s, int64_t w)
{
    return s + Div((d - s) * (256 - w), 256);
}
inline int64_t Add(int64_t d, int64_t s, int64_t w)
{
    return Clamp(d + Div(s * w, 256));
}
inline int64_t Dodge(int64_t d, int64_t s, int64_t w)
{
    const int64_t q = Div(s * w, 256);
    const int64_t v = 256 - q <= 1 ? d * 256 : Div(d * 256, 256 - q);
    return v <= 255 ? v : 255;
}
inline int64_t Multiply(int64_t d, int64_t s, int64_t w)
{
    return Div(d * (s * w + (256 - w) * 256), 65536);
}
inline int64_t SoftLight(int64_t d, int64_t s, int64_t w)
{
    const int64_t t = s * w + (256 - w) * 128;
    return Clamp(Div(d * (Div((32768 - t) * d, 256) + t), 32768));
}
inline int64_t EffectiveWeight(int64_t w, int64_t a)
{
    return Div(w * (a + 1), 256);
}

inline int64_t Reciprocal(int64_t i)
{
    return i == 0 ? 0 : Div(65536, i) - 1;
}

// The case table of the RGB-to-HSV conversion.
inline void RgbToHsv(int64_t r, int64_t g, int64_t b, int* hue, int* saturation, int* value)
{
    int64_t v, d, n, base;
    if (r < g && b < g) {
        v = g, d = g - (r < b ? r : b), n = b - r, base = 128;
    } else if (r < g && b >= g) {
        v = b, d = b - r, n = r - g, base = 256;
    } else if (r >= g && b < r && g < b) {
        v = r, d = r - g, n = g - b, base = 383;
    } else if (r >= g && b < r && g >= b) {
        v = r, d = r - b, n = g - b, base = 0;
    } else {
        v = b, d = b - g, n = r - g, base = 256;
    }
    *hue = int(base + Div(n * (Reciprocal(d) + 1), 1024));
    *saturation = int(Div(Reciprocal(v) * d, 256));
    *value = int(v);
}

inline void HsvToRgb(int64_t h, int64_t s, int64_t v, int64_t* r, int64_t* g, int64_t* b)
{
    const int64_t p = Div((256 - s) * v, 256);
    auto f = [&](int64_t k) { return Div((16384 + k * s) * v, 16384); };
    if (h < 64)
        *r = v, *g = f(h - 64), *b = p;
    else if (h < 128)
        *r = f(64 - h), *g = v, *b = p;
    else if (h < 192)
        *r = p, *g = v, *b = f(h - 192);
    else if (h < 256)
        *r = p, *g = f(192 - h), *b = v;
    else if (h < 320)
        *r = f(h - 320), *g = p, *b = v;
    else
        *r = v, *g = p, *b = f(320 - h);
}

inline uint32_t HsvToColor(int64_t h, int64_t s, int64_t v, int64_t a)
{
    int64_t r, g, b;
    HsvToRgb(h, s, v, &r, &g, &b);
    return uint32_t(a & 255) << 24 | uint32_t(r & 255) << 16 | uint32_t(g & 255) << 8 |
           uint32_t(b & 255);
}

// HSV shift of the destination bytes (blue, green, red, alpha) by the
// source (r, g, b) at weight w; the alpha becomes a.
inline void HsvShift(uint8_t* p, int64_t r, int64_t g, int64_t b, int64_t a, int64_t w)
{
    int hue, saturation, value;
    RgbToHsv(p[2], p[1], p[0], &hue, &saturation, &value);
    int64_t h = hue + Div((r + Div(r, 2) - 192) * w, 256);
    if (h < 0)
        h += 384;
    else if (h >= 384)
        h -= 384;
    const int64_t s = Clamp(saturation + Div((g - 128) * w, 128));
    const int64_t v = Clamp(value + Div((b - 128) * w, 128));
    const uint32_t c = HsvToColor(h, s, v, a);
    p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16), p[3] = uint8_t(c >> 24);
}

}  // namespace ref
