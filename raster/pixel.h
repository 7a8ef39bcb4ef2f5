#pragma once

#include <array>
#include <cstdint>

// A pixel or colour 0xAARRGGBB, not premultiplied. Stored little-endian, so
// its bytes in memory are blue, green, red, alpha.
using PIX_PackedColor = uint32_t;
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "a PIX_PackedColor must lie in memory as bytes B, G, R, A");

// Channel indices of a pixel's bytes.
constexpr int PIX_ChannelBlue = 0;
constexpr int PIX_ChannelGreen = 1;
constexpr int PIX_ChannelRed = 2;
constexpr int PIX_ChannelAlpha = 3;

// The strength of a combine: 0 draws nothing, 256 is full.
using PIX_AlphaWeight = int;

// Combine-mode word: operation (bits 0-7), sampling filter (bits 8-15) and
// the source-alpha flag (bit 16).
using PIX_CombineMode = uint32_t;
constexpr PIX_CombineMode PIX_CombineOpMask = 0xFF;
constexpr PIX_CombineMode PIX_CombineCopy = 0;
constexpr PIX_CombineMode PIX_CombineAdd = 1;
constexpr PIX_CombineMode PIX_CombineDodge = 2;
constexpr PIX_CombineMode PIX_CombineMultiply = 3;
constexpr PIX_CombineMode PIX_CombineSoftLight = 4;
constexpr PIX_CombineMode PIX_CombineHsvShift = 5;
constexpr PIX_CombineMode PIX_CombineSingleChannel = 0xF0;
constexpr PIX_CombineMode PIX_CombineFilterMask = 0xFF00;
constexpr PIX_CombineMode PIX_CombineBilinear = 0x100;
constexpr PIX_CombineMode PIX_CombineSourceAlpha = 0x10000;

// A raster rectangle; right and bottom are exclusive.
struct PIX_Box {
    int left;
    int top;
    int right;
    int bottom;

    bool IsEmpty() const { return right <= left || bottom <= top; }
};

// t[0] = 0, t[i] = 65536 / i - 1: the divisions of the RGB-to-HSV conversion.
constexpr std::array<uint16_t, 256> PIX_MakeReciprocalTable()
{
    std::array<uint16_t, 256> t{};
    for (int i = 1; i < 256; ++i) t[i] = static_cast<uint16_t>(65536 / i - 1);
    return t;
}
inline constexpr std::array<uint16_t, 256> PIX_ReciprocalTable = PIX_MakeReciprocalTable();

// A one-pixel kernel: combines (r, g, b, a) into the pixel at the weight.
using PIX_PixelKernelFn = void (*)(uint8_t* pixel, int r, int g, int b, int a, int weight);

// Mixes the 2x2 block at p0 (p1 is the pixel one row further in memory) by
// the 16-bit fractions fx and fy; four channels within 0..255.
void PIX_BilinearMix4(int* r, int* g, int* b, int* a, const uint8_t* p0, const uint8_t* p1, int fx,
                      int fy);

// Stores four ints as the pixel's bytes, each clamped to 0..255.
void PIX_StorePixelClamped(uint8_t* pixel, int r, int g, int b, int a);

// The dispatchers choose one kernel per call by mode AND 0x100FF and the
// weight. Combines a colour into a copy of dest at alpha x 256 and returns it.
PIX_PackedColor PIX_CombineColors(PIX_PackedColor dest, PIX_PackedColor colour, float alpha,
                                  PIX_CombineMode mode);
// Combines into a pixel in memory; weight 0 does nothing.
void PIX_CombineIntoPixel(uint8_t* pixel, int r, int g, int b, int a, int weight,
                          PIX_CombineMode mode);
void PIX_CombineIntoPixelClamped(uint8_t* pixel, int r, int g, int b, int a, int weight,
                                 PIX_CombineMode mode);

// Whole-word forms of copy at the weights 128, 64 and 192 (256 is S itself):
// per byte (s >> 1) + (d >> 1), (d >> 1) + (d >> 2) + (s >> 2) and
// (s >> 1) + (s >> 2) + (d >> 2); no byte carries into the next.
inline PIX_PackedColor PIX_MixHalf(PIX_PackedColor s, PIX_PackedColor d)
{
    return ((s >> 1) & 0x7F7F7F7Fu) + ((d >> 1) & 0x7F7F7F7Fu);
}
inline PIX_PackedColor PIX_MixQuarter(PIX_PackedColor s, PIX_PackedColor d)
{
    return ((d >> 1) & 0x7F7F7F7Fu) + ((d >> 2) & 0x3F3F3F3Fu) + ((s >> 2) & 0x3F3F3F3Fu);
}
inline PIX_PackedColor PIX_MixThreeQuarter(PIX_PackedColor s, PIX_PackedColor d)
{
    return ((s >> 1) & 0x7F7F7F7Fu) + ((s >> 2) & 0x3F3F3F3Fu) + ((d >> 2) & 0x3F3F3F3Fu);
}
