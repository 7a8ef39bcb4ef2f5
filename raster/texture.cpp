#include "raster/texture.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "raster/bitmap.h"
#include "raster/float_to_int.h"

namespace {

constexpr PIX_PackedColor kOpaqueBlack = 0xFF000000;

// --- Gradient noise ---

float Fade(float t)
{
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

float Lerp(float t, float a, float b)
{
    return a + t * (b - a);
}

// The dot product of (a, b, 0) with one of the twelve edge gradients, chosen
// by the low four bits of the hash.
float Grad(int32_t hash, float a, float b)
{
    const int h = hash & 15;
    const float first = h < 8 ? a : b;
    const float second = h < 4 ? b : (h == 12 || h == 14) ? a : 0.0f;
    return ((h & 1) ? -first : first) + ((h & 2) ? -second : second);
}

// The lattice cell of a coordinate, 0..255, and the offset within it. The
// offset of a float is exact; a huge or NaN coordinate saturates the cell.
int LatticeCell(float v, float* offset)
{
    const double cell = std::floor(double(v));
    *offset = float(double(v) - cell);
    return PIX_TruncateToInt(cell) & 255;
}

// --- The target rectangle ---

// The clipped rectangle: its top-left pixel, the step from a row to the one
// below it in the picture (negative in a bottom-up bitmap), and its size.
struct TextureArea {
    PIX_PackedColor* topLeft;
    ptrdiff_t rowStep;
    int width;
    int height;

    PIX_PackedColor* Row(int i) const { return topLeft + i * rowStep; }
};

bool ClipArea(PIX_IBitmap* bitmap, const PIX_Box* box, TextureArea* area)
{
    if (!bitmap) return false;
    PIX_PackedColor* pixels = bitmap->PixelData();
    const ptrdiff_t stride = bitmap->RowStride();
    if (!pixels || stride <= 0) return false;
    const int bitmapWidth = bitmap->PixelWidth(), bitmapHeight = bitmap->PixelHeight();
    int left = 0, top = 0, right = bitmapWidth, bottom = bitmapHeight;
    if (box) {
        left = std::max(box->left, 0);
        top = std::max(box->top, 0);
        right = std::min(box->right, bitmapWidth);
        bottom = std::min(box->bottom, bitmapHeight);
    }
    if (right <= left || bottom <= top) return false;
    const bool bottomUp = bitmap->IsBottomUp();
    const ptrdiff_t row = bottomUp ? ptrdiff_t(bitmapHeight) - 1 - top : top;
    *area = {pixels + row * stride + left, bottomUp ? -stride : stride, right - left, bottom - top};
    return true;
}

// The three colour factors; an opaque pixel of an intensity.
struct Tint {
    float red, green, blue;

    // Truncated, saturated to the int range, then wrapped to eight bits.
    static PIX_PackedColor Channel(float v) { return PIX_PackedColor(PIX_TruncateToInt(v)) & 0xFF; }

    PIX_PackedColor Of(float intensity) const
    {
        return kOpaqueBlack | Channel(intensity * red) << 16 | Channel(intensity * green) << 8 |
               Channel(intensity * blue);
    }
};

// Every pixel (j, i) of the area becomes the tint of intensity(j, i).
template <class Intensity>
void Paint(const TextureArea& area, const Tint& tint, Intensity intensity)
{
    for (int i = 0; i < area.height; ++i) {
        PIX_PackedColor* row = area.Row(i);
        for (int j = 0; j < area.width; ++j) row[j] = tint.Of(intensity(j, i));
    }
}

void FillBlack(const TextureArea& area)
{
    for (int i = 0; i < area.height; ++i) std::fill_n(area.Row(i), area.width, kOpaqueBlack);
}

// --- The cloud texture ---

// Two words carried through every pixel of one texture, one sample per pixel.
class CloudGenerator {
public:
    // -32768..32767; the first sample is 0.
    int Next()
    {
        const uint32_t sum = mA + mB;
        const int shift = int(mA & 15);
        mB = (sum << shift) | ((sum & 0xFFFF) >> (16 - shift));
        mA = ((mA + 2) << 15) | (((mA + 2) & 0xFFFF) >> 1);
        return int((mB & 0xFFFF) ^ 0x8000) - 0x8000;
    }

private:
    uint32_t mA = 0;
    uint32_t mB = 0;
};

// --- The fractal noise texture ---

// One octave's term at the octave size k.
double NoiseTerm(float fx, float fy, int k)
{
    return PIX_GradientNoise2D(fx / float(k), fy / float(k)) * float(k);
}

double CosineTerm(float fx, float fy, int k)
{
    const float x = fx / float(k), y = fy / float(k);
    return std::cos(double(PIX_GradientNoise2D(x, y) + x)) * (k * 0.5);
}

template <double (*Term)(float, float, int)>
void PaintFractal(const TextureArea& area, const Tint& tint, float scale, int octaves)
{
    const float xStep = 16.0f * scale / float(area.width);
    const float yStep = 16.0f * scale / float(area.height);
    const float inverseOctaves = 1.0f / float(octaves);
    Paint(area, tint, [&](int j, int i) {
        const float fx = xStep * float(j), fy = yStep * float(i);
        float sum = 0.0f;
        for (int k = octaves; k != 0; k >>= 1) sum = float(sum + Term(fx, fy, k));
        return std::min(std::fabs(sum * inverseOctaves) * 255.0f, 255.0f);
    });
}

}  // namespace

float PIX_GradientNoise2D(float x, float y)
{
    float fx, fy;
    const int cx = LatticeCell(x, &fx), cy = LatticeCell(y, &fy);
    const float u = Fade(fx), v = Fade(fy);
    const auto& p = PIX_NoiseTable;
    const int32_t a = p[cx] + cy, aa = p[a], ab = p[a + 1];
    const int32_t b = p[cx + 1] + cy, ba = p[b], bb = p[b + 1];
    return Lerp(v, Lerp(u, Grad(p[aa], fx, fy), Grad(p[ba], fx - 1, fy)),
                Lerp(u, Grad(p[ab], fx, fy - 1), Grad(p[bb], fx - 1, fy - 1)));
}

void PIX_RandomTextureBox(PIX_IBitmap* bitmap, const PIX_Box* box, float red, float green,
                          float blue, float roughness)
{
    TextureArea area;
    if (!ClipArea(bitmap, box, &area)) return;

    // First pass: each pixel holds its value, the average of the two pixels
    // above it (above-left of column 0 is the end of the row above) plus a
    // term; the arithmetic wraps modulo 2^32.
    const float perSample = roughness / 1024.0f;
    const uint32_t width = uint32_t(area.width);
    const uint32_t firstRow = ((width >> 1) + width) >> 1;
    CloudGenerator generator;
    uint32_t largest = 0;  // as a signed word; a value of 2^31 or more is negative
    const PIX_PackedColor* above = nullptr;
    for (int i = 0; i < area.height; ++i) {
        PIX_PackedColor* row = area.Row(i);
        uint32_t aboveLeft = i > 0 ? above[area.width - 1] : 0;
        for (int j = 0; j < area.width; ++j) {
            const int64_t term =
                int64_t(PIX_TruncateToInt(float(generator.Next()) * perSample)) + 1;
            uint32_t value = uint32_t(term);
            if (i == 0) {
                value += firstRow;
            } else {
                value += (aboveLeft + above[j]) >> 1;
                aboveLeft = above[j];
            }
            row[j] = value;
            if (value <= uint32_t(INT32_MAX) && value > largest) largest = value;
        }
        above = row;
    }

    // Second pass: the values, read as unsigned, scaled so that the largest
    // becomes 255. The first sample is 0, so the first value is positive and
    // largest is at least 1.
    const float toIntensity = 255.0f / float(largest);
    Paint(area, Tint{red, green, blue},
          [&](int j, int i) { return float(area.Row(i)[j]) * toIntensity; });
}

void PIX_NoiseTextureBox(PIX_IBitmap* bitmap, const PIX_Box* box, float red, float green,
                         float blue, float scale, int style, int octaves)
{
    TextureArea area;
    if (!ClipArea(bitmap, box, &area)) return;
    const Tint tint{red, green, blue};
    if (octaves >= 1 && style == 0)
        PaintFractal<NoiseTerm>(area, tint, scale, octaves);
    else if (octaves >= 1 && style == 1)
        PaintFractal<CosineTerm>(area, tint, scale, octaves);
    else
        FillBlack(area);
}

void PIX_RingNoiseTextureBox(PIX_IBitmap* bitmap, const PIX_Box* box, float red, float blue,
                             float green, float rings, float turbulence, int octaves)
{
    TextureArea area;
    if (!ClipArea(bitmap, box, &area)) return;
    if (octaves < 1) {
        FillBlack(area);
        return;
    }

    const int halfWidth = area.width >> 1, halfHeight = area.height >> 1;
    Paint(area, Tint{red, green, blue}, [&](int j, int i) {
        // The distance from the centre in rectangle sizes.
        const double dx = double(j - halfWidth) / area.width;
        const double dy = double(i - halfHeight) / area.height;
        const double dist = std::sqrt(dx * dx + dy * dy);
        // Turbulence: octaves from a lattice octaves pixels apart, each finer
        // one at half the weight.
        float sum = 0.0f;
        for (float f = float(octaves), k = 1.0f / float(octaves); f >= 1.0f; f *= 0.5f, k *= 2.0f)
            sum += PIX_GradientNoise2D(float(j) * k, float(i) * k) * f;
        const double phase = (sum * turbulence * 0.5 / octaves + dist) * rings * 2.0 * 3.14159;
        return float(std::fabs(std::sin(phase) * 256.0));
    });
}
