#include "raster/pixel.h"

#include "raster/float_to_int.h"
#include "raster/pixel_kernels.h"

void PIX_BilinearMix4(int* r, int* g, int* b, int* a, const uint8_t* p0, const uint8_t* p1, int fx,
                      int fy)
{
    const uint32_t x = static_cast<uint32_t>(fx) & 0xFFFF;
    const uint32_t y = static_cast<uint32_t>(fy) & 0xFFFF;
    const uint32_t c = (x * y) >> 16;
    const uint32_t w00 = 65536 - x - y + c;
    const uint32_t w01 = x - c;
    const uint32_t w10 = y - c;
    const uint32_t w11 = c;
    int* out[4] = {b, g, r, a};
    for (int i = 0; i < 4; ++i)
        *out[i] =
            static_cast<int>((w00 * p0[i] + w01 * p0[4 + i] + w10 * p1[i] + w11 * p1[4 + i]) >> 16);
}

void PIX_StorePixelClamped(uint8_t* pixel, int r, int g, int b, int a)
{
    PIX_StoreOp<PIX_ClampStore>::Apply(pixel, r, g, b, a, 256);
}

PIX_PixelKernelFn PIX_SelectPixelKernel(PIX_CombineMode mode, int weight)
{
    return PIX_SelectKernel(PIX_PixelKernels, mode & (PIX_CombineSourceAlpha | PIX_CombineOpMask),
                            weight, 0.0f);
}

PIX_PackedColor PIX_CombineColors(PIX_PackedColor dest, PIX_PackedColor colour, float alpha,
                                  PIX_CombineMode mode)
{
    const int weight = PIX_WeightFromAlpha(alpha);
    const PIX_PixelKernelFn kernel = PIX_SelectPixelKernel(mode, weight);
    if (!kernel) return dest;
    uint8_t pixel[4] = {uint8_t(dest), uint8_t(dest >> 8), uint8_t(dest >> 16),
                        uint8_t(dest >> 24)};
    kernel(pixel, int((colour >> 16) & 0xFF), int((colour >> 8) & 0xFF), int(colour & 0xFF),
           int(colour >> 24), weight);
    return PIX_PackedColor(pixel[0]) | PIX_PackedColor(pixel[1]) << 8 |
           PIX_PackedColor(pixel[2]) << 16 | PIX_PackedColor(pixel[3]) << 24;
}

void PIX_CombineIntoPixel(uint8_t* pixel, int r, int g, int b, int a, int weight,
                          PIX_CombineMode mode)
{
    if (!pixel) return;
    if (const PIX_PixelKernelFn kernel = PIX_SelectPixelKernel(mode, weight))
        kernel(pixel, r, g, b, a, weight);
}

void PIX_CombineIntoPixelClamped(uint8_t* pixel, int r, int g, int b, int a, int weight,
                                 PIX_CombineMode mode)
{
    if (!pixel) return;
    const PIX_CombineMode combination = mode & (PIX_CombineSourceAlpha | PIX_CombineOpMask);
    if (const PIX_PixelKernelFn kernel =
            PIX_SelectKernel(PIX_PixelKernelsClamped, combination, weight, 0.0f))
        kernel(pixel, r, g, b, a, weight);
}
