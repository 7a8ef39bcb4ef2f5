#pragma once

// Procedural textures: opaque pictures written over a rectangle of a bitmap,
// tinted by three colour factors. Each channel is the intensity times its
// factor in single precision, truncated and kept to its low eight bits, so a
// factor above 1 wraps around instead of saturating.
//
// The rectangle is a box or null for the whole bitmap. A negative left (top)
// counts as 0 and leaves the right (bottom) where it is; the rectangle is cut
// at the bitmap's right and bottom edges. Its top-left pixel is column 0 and
// row 0 of the texture, whatever the bitmap's row order.

#include <array>
#include <cstddef>
#include <cstdint>

#include "raster/pixel.h"

class PIX_IBitmap;

// The permutation of 0..255 of the reference improved gradient noise.
inline constexpr std::array<int32_t, 256> PIX_NoisePermutation = {
    151, 160, 137, 91,  90,  15,  131, 13,  201, 95,  96,  53,  194, 233, 7,   225, 140, 36,  103,
    30,  69,  142, 8,   99,  37,  240, 21,  10,  23,  190, 6,   148, 247, 120, 234, 75,  0,   26,
    197, 62,  94,  252, 219, 203, 117, 35,  11,  32,  57,  177, 33,  88,  237, 149, 56,  87,  174,
    20,  125, 136, 171, 168, 68,  175, 74,  165, 71,  134, 139, 48,  27,  166, 77,  146, 158, 231,
    83,  111, 229, 122, 60,  211, 133, 230, 220, 105, 92,  41,  55,  46,  245, 40,  244, 102, 143,
    54,  65,  25,  63,  161, 1,   216, 80,  73,  209, 76,  132, 187, 208, 89,  18,  169, 200, 196,
    135, 130, 116, 188, 159, 86,  164, 100, 109, 198, 173, 186, 3,   64,  52,  217, 226, 250, 124,
    123, 5,   202, 38,  147, 118, 126, 255, 82,  85,  212, 207, 206, 59,  227, 47,  16,  58,  17,
    182, 189, 28,  42,  223, 183, 170, 213, 119, 248, 152, 2,   44,  154, 163, 70,  221, 153, 101,
    155, 167, 43,  172, 9,   129, 22,  39,  253, 19,  98,  108, 110, 79,  113, 224, 232, 178, 185,
    112, 104, 218, 246, 97,  228, 251, 34,  242, 193, 238, 210, 144, 12,  191, 179, 162, 241, 81,
    51,  145, 235, 249, 14,  239, 107, 49,  192, 214, 31,  181, 199, 106, 157, 184, 84,  204, 176,
    115, 121, 50,  45,  127, 4,   150, 254, 138, 236, 205, 93,  222, 114, 67,  29,  24,  72,  243,
    141, 128, 195, 78,  66,  215, 61,  156, 180};

// The permutation twice over, so that a hash plus a lattice offset needs no
// wrap. Built by the compiler: there is nothing to build at run time, and
// nothing for a first call to race on.
constexpr std::array<int32_t, 512> PIX_MakeNoiseTable()
{
    std::array<int32_t, 512> t{};
    for (size_t i = 0; i < t.size(); ++i) t[i] = PIX_NoisePermutation[i & 255];
    return t;
}
inline constexpr std::array<int32_t, 512> PIX_NoiseTable = PIX_MakeNoiseTable();

// The table is ready from load; these remain for callers that prepare it
// before the first noise texture.
inline void PIX_InitNoisePermutation() {}
inline void PIX_EnsureNoisePermutation() {}

// Improved gradient noise in the plane z = 0: about -1..1, 0 at every lattice
// point, with period 256 in x and y. A non-finite coordinate gives NaN.
float PIX_GradientNoise2D(float x, float y);

// A cloud texture from a small integer generator: each row is the average of
// the row above shifted by one pixel, plus a random term of the roughness,
// so the picture brightens downwards; the largest value becomes 255. The
// same arguments on the same size give the same pixels.
void PIX_RandomTextureBox(PIX_IBitmap* bitmap, const PIX_Box* box, float red, float green,
                          float blue, float roughness);

// Fractal gradient noise, octave sizes halving from octaves down to 1; the
// finest spans 16 times scale noise cells across the rectangle's width and
// its height. Style 0 sums the noise, style 1 the cosine of the noise plus x;
// any other style, or octaves below 1, gives opaque black.
void PIX_NoiseTextureBox(PIX_IBitmap* bitmap, const PIX_Box* box, float red, float green,
                         float blue, float scale, int style, int octaves);

// Concentric rings about the rectangle's centre, rings of them between the
// centre and the middle of each edge, bent by turbulence times a noise sum
// whose coarsest lattice is octaves pixels apart. Note the order of the
// factors: red, blue, green. Octaves below 1 give opaque black.
void PIX_RingNoiseTextureBox(PIX_IBitmap* bitmap, const PIX_Box* box, float red, float blue,
                             float green, float rings, float turbulence, int octaves);
