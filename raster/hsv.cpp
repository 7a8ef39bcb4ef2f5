#include "raster/hsv.h"

#include <cstdint>

#include "raster/bitmap.h"
#include "raster/float_to_int.h"
#include "raster/pixel_kernels.h"

namespace {

// Wraps a hue once into 0..383.
int64_t WrapHue(int64_t h)
{
    if (h < 0) return h + 384;
    if (h >= 384) return h - 384;
    return h;
}

// Out-of-range arguments give unspecified colours but stay defined: the
// arithmetic is 64-bit.
void HsvToChannels(int64_t h, int64_t s, int64_t v, int64_t* red, int64_t* green, int64_t* blue)
{
    const int64_t p = (256 - s) * v / 256;
    auto f = [s, v](int64_t k) { return (16384 + k * s) * v / 16384; };
    if (h < 64) {
        *red = v, *green = f(h - 64), *blue = p;
    } else if (h < 128) {
        *red = f(64 - h), *green = v, *blue = p;
    } else if (h < 192) {
        *red = p, *green = v, *blue = f(h - 192);
    } else if (h < 256) {
        *red = p, *green = f(192 - h), *blue = v;
    } else if (h < 320) {
        *red = f(h - 320), *green = p, *blue = v;
    } else {
        *red = v, *green = p, *blue = f(320 - h);
    }
}

}  // namespace

PIX_PackedColor PIX_HsvToColor(int hue, int saturation, int value, int alpha)
{
    int64_t r, g, b;
    HsvToChannels(hue, saturation, value, &r, &g, &b);
    return uint32_t(alpha) << 24 | (uint32_t(r) & 0xFF) << 16 | (uint32_t(g) & 0xFF) << 8 |
           (uint32_t(b) & 0xFF);
}

void PIX_HsvToRgb(int hue, int saturation, int value, int* red, int* green, int* blue)
{
    int64_t r, g, b;
    HsvToChannels(hue, saturation, value, &r, &g, &b);
    *red = int(r), *green = int(g), *blue = int(b);
}

void PIX_RgbToHsv(int red, int green, int blue, int* hue, int* saturation, int* value)
{
    const int64_t r = red, g = green, b = blue;
    int64_t v, d, n, base;
    if (r < g) {
        if (b < g)
            v = g, d = g - (r < b ? r : b), n = b - r, base = 128;
        else
            v = b, d = b - r, n = r - g, base = 256;
    } else if (b < r) {
        if (g < b)
            v = r, d = r - g, n = g - b, base = 383;
        else
            v = r, d = r - b, n = g - b, base = 0;
    } else {
        v = b, d = b - g, n = r - g, base = 256;
    }
    // Channels outside 0..255 index the table by their low bits.
    const int64_t td = PIX_ReciprocalTable[d & 0xFF];
    const int64_t tv = PIX_ReciprocalTable[v & 0xFF];
    *hue = int(base + n * (td + 1) / 1024);
    *saturation = int(tv * d / 256);
    *value = int(v);
}

PIX_PackedColor PIX_ShiftColorHsv(PIX_PackedColor colour, int hueDelta, int saturationDelta,
                                  int valueDelta)
{
    int h, s, v;
    PIX_RgbToHsv(int((colour >> 16) & 0xFF), int((colour >> 8) & 0xFF), int(colour & 0xFF), &h, &s,
                 &v);
    return PIX_HsvToColor(int(WrapHue(int64_t(h) + hueDelta)),
                          int(PIX_Clamp255(int64_t(s) + saturationDelta)),
                          int(PIX_Clamp255(int64_t(v) + valueDelta)), int(colour >> 24));
}

PIX_PackedColor PIX_ShiftColorHsvFraction(PIX_PackedColor colour, float hueDelta,
                                          float saturationDelta, float valueDelta)
{
    return PIX_ShiftColorHsv(colour, PIX_TruncateToInt(hueDelta * 384.0f),
                             PIX_TruncateToInt(saturationDelta * 255.0f),
                             PIX_TruncateToInt(valueDelta * 255.0f));
}

void PIX_ShiftBoxHsv(PIX_IBitmap* bitmap, int x, int y, int w, int h, float hueDelta,
                     float saturationDelta, float valueDelta)
{
    if (!bitmap) return;
    PIX_PackedColor* pixels = bitmap->PixelData();
    if (!pixels) return;
    int64_t left = x, top = y, width = w, height = h;
    if (left < 0) width += left, left = 0;
    if (top < 0) height += top, top = 0;
    if (left + width > bitmap->PixelWidth()) width = bitmap->PixelWidth() - left;
    if (top + height > bitmap->PixelHeight()) height = bitmap->PixelHeight() - top;
    if (width <= 0 || height <= 0) return;

    int dh = PIX_TruncateToInt(hueDelta * 384.0f);
    dh = dh < -383 ? -383 : (dh > 383 ? 383 : dh);
    const int ds = PIX_TruncateToInt(saturationDelta * 255.0f);
    const int dv = PIX_TruncateToInt(valueDelta * 255.0f);
    if (dh == 0 && ds == 0 && dv == 0) return;

    const int64_t stride = bitmap->RowStride();
    PIX_PackedColor* row = pixels + top * stride + left;
    if (width * height <= 8192) {
        for (int64_t j = 0; j < height; ++j, row += stride)
            for (int64_t i = 0; i < width; ++i) row[i] = PIX_ShiftColorHsv(row[i], dh, ds, dv);
        return;
    }

    uint16_t hueTable[384];
    uint8_t saturationTable[256], valueTable[256];
    for (int k = 0; k < 384; ++k) hueTable[k] = uint16_t(WrapHue(k + dh));
    for (int k = 0; k < 256; ++k) {
        saturationTable[k] = uint8_t(PIX_Clamp255(int64_t(k) + ds));
        valueTable[k] = uint8_t(PIX_Clamp255(int64_t(k) + dv));
    }
    for (int64_t j = 0; j < height; ++j, row += stride) {
        for (int64_t i = 0; i < width; ++i) {
            const PIX_PackedColor c = row[i];
            int hue, saturation, value;
            PIX_RgbToHsv(int((c >> 16) & 0xFF), int((c >> 8) & 0xFF), int(c & 0xFF), &hue,
                         &saturation, &value);
            row[i] = PIX_HsvToColor(hueTable[hue], saturationTable[saturation], valueTable[value],
                                    int(c >> 24));
        }
    }
}

void PIX_ShiftBitmapHsv(PIX_IBitmap* bitmap, float hueDelta, float saturationDelta,
                        float valueDelta)
{
    if (!bitmap) return;
    PIX_ShiftBoxHsv(bitmap, 0, 0, bitmap->PixelWidth(), bitmap->PixelHeight(), hueDelta,
                    saturationDelta, valueDelta);
}
