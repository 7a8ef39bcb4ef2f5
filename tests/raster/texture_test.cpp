#include "raster/texture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "raster/bitmap.h"
#include "raster/pixel.h"
#include "golden_image.h"
#include "raster_test_support.h"

namespace {

using raster_test::DigestOf;
using raster_test::GuardedBitmap;
using raster_test::Lcg;
using raster_test::MisreportedStride;
using raster_test::WriteGoldenIfRequested;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr uint32_t kBlack = 0xFF000000;

// --- Gradient noise ---

// The published improved noise in three dimensions, written out in double
// precision over the table under test.
double ReferenceNoise(double x, double y, double z)
{
    const auto p = [](int i) { return PIX_NoisePermutation[size_t(i & 255)]; };
    const auto fade = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
    const auto lerp = [](double t, double a, double b) { return a + t * (b - a); };
    const auto grad = [](int hash, double gx, double gy, double gz) {
        const int h = hash & 15;
        const double u = h < 8 ? gx : gy;
        const double v = h < 4 ? gy : h == 12 || h == 14 ? gx : gz;
        return ((h & 1) == 0 ? u : -u) + ((h & 2) == 0 ? v : -v);
    };
    const int X = int(std::floor(x)) & 255, Y = int(std::floor(y)) & 255,
              Z = int(std::floor(z)) & 255;
    x -= std::floor(x), y -= std::floor(y), z -= std::floor(z);
    const double u = fade(x), v = fade(y), w = fade(z);
    const int A = p(X) + Y, AA = p(A) + Z, AB = p(A + 1) + Z;
    const int B = p(X + 1) + Y, BA = p(B) + Z, BB = p(B + 1) + Z;
    return lerp(
        w,
        lerp(v, lerp(u, grad(p(AA), x, y, z), grad(p(BA), x - 1, y, z)),
             lerp(u, grad(p(AB), x, y - 1, z), grad(p(BB), x - 1, y - 1, z))),
        lerp(v, lerp(u, grad(p(AA + 1), x, y, z - 1), grad(p(BA + 1), x - 1, y, z - 1)),
             lerp(u, grad(p(AB + 1), x, y - 1, z - 1), grad(p(BB + 1), x - 1, y - 1, z - 1))));
}

TEST(TextureNoise, TableIsThePublishedPermutationTwice)
{
    std::vector<int32_t> sorted(PIX_NoisePermutation.begin(), PIX_NoisePermutation.end());
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < 256; ++i) ASSERT_EQ(sorted[size_t(i)], i);
    const int32_t head[] = {151, 160, 137, 91, 90, 15}, tail[] = {61, 156, 180};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(PIX_NoisePermutation[size_t(i)], head[i]) << i;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(PIX_NoisePermutation[size_t(253 + i)], tail[i]) << i;
    for (size_t i = 0; i < 512; ++i) ASSERT_EQ(PIX_NoiseTable[i], PIX_NoisePermutation[i & 255]);
    // The value the published algorithm's authors give for this point.
    EXPECT_NEAR(ReferenceNoise(3.14, 42, 7), 0.13691995878400012, 1e-15);
}

TEST(TextureNoise, ZeroAtEveryLatticePoint)
{
    for (int y = -300; y <= 300; y += 7)
        for (int x = -300; x <= 300; x += 3)
            ASSERT_EQ(PIX_GradientNoise2D(float(x), float(y)), 0.0f) << x << "," << y;
    // Huge coordinates are lattice points too; their cells saturate.
    const float far[][2] = {{16777216.0f, -5.0f}, {1e30f, 2.0f}, {-3e9f, 3e9f}, {-1e38f, 1e38f}};
    for (const auto& p : far) EXPECT_EQ(PIX_GradientNoise2D(p[0], p[1]), 0.0f) << p[0];
    for (const float bad : {kNaN, kInf, -kInf}) {
        EXPECT_TRUE(std::isnan(PIX_GradientNoise2D(bad, 0.5f))) << bad;
        EXPECT_TRUE(std::isnan(PIX_GradientNoise2D(0.5f, bad))) << bad;
    }
}

TEST(TextureNoise, RepeatsEvery256InBothAxes)
{
    // Fractions of few bits, so the shifted coordinate keeps them exactly.
    const float points[][2] = {{0.5f, 0.5f},      {0.25f, 0.75f},    {3.125f, 9.5f},
                               {-0.375f, 12.25f}, {200.5f, -7.875f}, {255.75f, 255.25f}};
    for (const auto& p : points) {
        const float x = p[0], y = p[1], value = PIX_GradientNoise2D(x, y);
        EXPECT_NE(value, 0.0f) << x << "," << y;
        EXPECT_EQ(PIX_GradientNoise2D(x + 256, y), value) << x << "," << y;
        EXPECT_EQ(PIX_GradientNoise2D(x, y + 256), value) << x << "," << y;
        EXPECT_EQ(PIX_GradientNoise2D(x - 512, y + 1024), value) << x << "," << y;
    }
}

TEST(TextureNoise, MatchesThePublishedAlgorithmAtZEqualZero)
{
    const float points[][2] = {{0.5f, 0.5f},     {256.5f, 0.5f},   {1.25f, 3.75f}, {-0.3f, 7.9f},
                               {100.1f, -50.6f}, {0.001f, 0.999f}, {3.14f, 42.0f}, {17.77f, 0.31f},
                               {-129.6f, -3.2f}, {63.02f, 191.98f}};
    for (const auto& p : points)
        EXPECT_NEAR(PIX_GradientNoise2D(p[0], p[1]), ReferenceNoise(p[0], p[1], 0), 1e-6)
            << p[0] << "," << p[1];
    EXPECT_EQ(PIX_GradientNoise2D(0.5f, 0.5f), -0.25f);
}

// --- The textures, as calls with their parameters fixed ---

using TextureCall = std::function<void(PIX_IBitmap*, const PIX_Box*)>;

struct Texture {
    const char* name;
    TextureCall draw;
};

const Texture kTextures[] = {
    {"random", [](PIX_IBitmap* b,
                  const PIX_Box* box) { PIX_RandomTextureBox(b, box, 0.9f, 0.8f, 1.0f, 0.4f); }},
    {"noise",
     [](PIX_IBitmap* b, const PIX_Box* box) {
         PIX_NoiseTextureBox(b, box, 0.4f, 0.8f, 1.0f, 0.5f, 0, 4);
     }},
    {"cosine noise",
     [](PIX_IBitmap* b, const PIX_Box* box) {
         PIX_NoiseTextureBox(b, box, 1.0f, 0.7f, 0.3f, 0.5f, 1, 3);
     }},
    {"rings", [](PIX_IBitmap* b, const PIX_Box* box) {
         PIX_RingNoiseTextureBox(b, box, 1.0f, 0.6f, 0.8f, 4.0f, 0.15f, 32);
     }}};

// Pixel (x, y) lies in the box as the textures read it: a negative left or
// top counts as 0, right and bottom stay.
bool InBox(const PIX_Box* box, int x, int y)
{
    return !box || (x >= std::max(box->left, 0) && x < box->right && y >= std::max(box->top, 0) &&
                    y < box->bottom);
}

// Every pixel of the box is opaque, every other pixel and the guard band as
// they were.
void ExpectOnlyTheBoxWritten(GuardedBitmap& bitmap, GuardedBitmap& before, const PIX_Box* box,
                             const std::string& what)
{
    ASSERT_TRUE(bitmap.GuardIntact()) << what;
    for (int y = 0; y < bitmap.PixelHeight(); ++y)
        for (int x = 0; x < bitmap.PixelWidth(); ++x) {
            if (InBox(box, x, y))
                ASSERT_EQ(bitmap.At(x, y) >> 24, 0xFFu) << what << " at " << x << "," << y;
            else
                ASSERT_EQ(bitmap.At(x, y), before.At(x, y)) << what << " at " << x << "," << y;
        }
}

TEST(TextureBox, EachTextureFillsExactlyTheClippedBoxFromItsTopLeft)
{
    const int width = 16, height = 11;
    const PIX_Box boxes[] = {
        {-5, 1, 10, 4},    // left -5, right 10: columns 0 to 9
        {3, -4, 9, 6},     // negative top
        {2, 3, 7, 8},      // inside
        {12, 8, 40, 30},   // cut at the right and bottom
        {-9, -9, 30, 30},  // the whole bitmap and more
        {INT_MIN, INT_MIN, 5, 3},
        {1, 2, INT_MAX, INT_MAX},
    };
    Lcg rng{21};
    for (const Texture& texture : kTextures) {
        for (const PIX_Box& box : boxes) {
            // The texture of the clipped size, drawn over a bitmap of its own.
            const int left = std::max(box.left, 0), top = std::max(box.top, 0);
            const int w = std::min(box.right, width) - left, h = std::min(box.bottom, height) - top;
            GuardedBitmap alone(w, h, false, rng);
            texture.draw(&alone, nullptr);
            for (bool bottomUp : {false, true}) {
                const std::string what = std::string(texture.name) + " box " +
                                         std::to_string(box.left) + "," + std::to_string(box.top) +
                                         (bottomUp ? " bottom-up" : " top-down");
                GuardedBitmap bitmap(width, height, bottomUp, rng), before = bitmap;
                texture.draw(&bitmap, &box);
                ExpectOnlyTheBoxWritten(bitmap, before, &box, what);
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        ASSERT_EQ(bitmap.At(left + x, top + y), alone.At(x, y))
                            << what << " at " << x << "," << y;
            }
        }
        // No box: the whole bitmap.
        GuardedBitmap bitmap(width, height, false, rng), before = bitmap;
        texture.draw(&bitmap, nullptr);
        ExpectOnlyTheBoxWritten(bitmap, before, nullptr, texture.name);
    }
}

TEST(TextureBox, EmptyBoxesAndMissingPixelsWriteNothing)
{
    const PIX_Box empty[] = {{4, 2, 4, 6},   {3, 5, 9, 5},  {7, 1, 2, 6},    {16, 0, 20, 5},
                             {0, 11, 5, 20}, {-6, 0, 0, 4}, {-3, -3, -1, -1}};
    Lcg rng{22};
    for (const Texture& texture : kTextures) {
        texture.draw(nullptr, nullptr);
        for (const PIX_Box& box : empty) {
            GuardedBitmap bitmap(16, 11, false, rng);
            const std::vector<uint32_t> before = bitmap.Words();
            texture.draw(&bitmap, &box);
            EXPECT_EQ(bitmap.Words(), before) << texture.name << " box " << box.left << ","
                                              << box.top << "," << box.right << "," << box.bottom;
        }
        GuardedBitmap noPixels = GuardedBitmap::Noise(6, 4, false, rng, true);
        MisreportedStride zeroStride(GuardedBitmap::Noise(6, 4, false, rng), 0);
        MisreportedStride negativeStride(GuardedBitmap::Noise(6, 4, false, rng), -8);
        for (GuardedBitmap* bitmap : {&noPixels, static_cast<GuardedBitmap*>(&zeroStride),
                                      static_cast<GuardedBitmap*>(&negativeStride)}) {
            const std::vector<uint32_t> before = bitmap->Words();
            texture.draw(bitmap, nullptr);
            EXPECT_EQ(bitmap->Words(), before) << texture.name;
        }
    }
}

// --- The cloud texture ---

// The channel of intensity times factor as the textures make it: truncated,
// saturated, low eight bits.
uint32_t ReferenceChannel(float product)
{
    if (std::isnan(product)) return 0;
    if (product >= 2147483648.0f) return 255;
    if (product < -2147483648.0f) return 0;
    return uint32_t(int64_t(product)) & 255;
}

TEST(TextureRandom, RoughnessZeroStartsAtTheStatedValueAndClimbsOnePerRow)
{
    // Row 0 holds ((w >> 1) + w) >> 1, plus 1; each later row one more; the
    // last row is the largest and becomes 255.
    const int sizes[][2] = {{8, 4}, {1, 1}, {1, 6}, {5, 9}, {300, 3}, {2, 40}};
    Lcg rng{31};
    for (const auto& size : sizes) {
        const int w = size[0], h = size[1];
        const uint32_t first = ((uint32_t(w) >> 1) + uint32_t(w)) >> 1;
        const float toIntensity = 255.0f / float(first + uint32_t(h));
        for (bool bottomUp : {false, true}) {
            GuardedBitmap bitmap(w, h, bottomUp, rng);
            PIX_RandomTextureBox(&bitmap, nullptr, 1.0f, 0.5f, 0.25f, 0.0f);
            for (int y = 0; y < h; ++y) {
                const float intensity = float(first + 1 + uint32_t(y)) * toIntensity;
                const uint32_t want = kBlack | ReferenceChannel(intensity) << 16 |
                                      ReferenceChannel(intensity * 0.5f) << 8 |
                                      ReferenceChannel(intensity * 0.25f);
                for (int x = 0; x < w; ++x)
                    ASSERT_EQ(bitmap.At(x, y), want) << w << "x" << h << " at " << x << "," << y;
            }
            EXPECT_GE(bitmap.At(0, h - 1) >> 16 & 255, 254u) << w << "x" << h;
        }
    }
}

TEST(TextureRandom, FactorsAboveOneWrapAndFarOutOnesSaturate)
{
    // 8 x 4 at roughness 0: values 7 to 10, intensities 178.5, 204, 229.5, 255.
    struct Case {
        float factor;
        uint32_t rows[4];
    };
    const Case cases[] = {
        {1.0f, {178, 204, 229, 255}},  {2.0f, {101, 152, 203, 254}}, {-0.5f, {167, 154, 142, 129}},
        {1e20f, {255, 255, 255, 255}}, {-1e20f, {0, 0, 0, 0}},       {kInf, {255, 255, 255, 255}},
        {kNaN, {0, 0, 0, 0}},          {0.0f, {0, 0, 0, 0}},
    };
    Lcg rng{32};
    for (const Case& c : cases) {
        GuardedBitmap bitmap(8, 4, false, rng);
        PIX_RandomTextureBox(&bitmap, nullptr, c.factor, 0.0f, c.factor, 0.0f);
        for (int y = 0; y < 4; ++y)
            EXPECT_EQ(bitmap.At(5, y), kBlack | c.rows[y] << 16 | c.rows[y])
                << "factor " << c.factor << " row " << y;
    }
}

TEST(TextureRandom, SameArgumentsGiveTheSamePixels)
{
    Lcg rng{33};
    const PIX_Box box{2, 3, 30, 20};
    const auto boxPixels = [&](GuardedBitmap& bitmap) {
        std::vector<uint32_t> pixels;
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x) pixels.push_back(bitmap.At(x, y));
        return pixels;
    };
    for (float roughness : {3.0f, 250.0f, -40.0f, 1e6f}) {
        // Different pictures underneath, and the second bitmap bottom-up.
        GuardedBitmap first(37, 23, false, rng), second(37, 23, true, rng);
        PIX_RandomTextureBox(&first, &box, 0.3f, 0.6f, 0.9f, roughness);
        PIX_RandomTextureBox(&second, &box, 0.3f, 0.6f, 0.9f, roughness);
        const std::vector<uint32_t> pixels = boxPixels(first);
        EXPECT_EQ(boxPixels(second), pixels) << roughness;
        // And again over its own result.
        PIX_RandomTextureBox(&first, &box, 0.3f, 0.6f, 0.9f, roughness);
        EXPECT_EQ(boxPixels(first), pixels) << roughness;
    }
}

// --- The noise textures ---

TEST(TextureNoise, UnknownStylesAndNoOctavesGiveOpaqueBlack)
{
    const TextureCall black[] = {
        [](PIX_IBitmap* b, const PIX_Box* box) { PIX_NoiseTextureBox(b, box, 1, 1, 1, 1, 2, 3); },
        [](PIX_IBitmap* b, const PIX_Box* box) { PIX_NoiseTextureBox(b, box, 1, 1, 1, 1, -1, 1); },
        [](PIX_IBitmap* b, const PIX_Box* box) { PIX_NoiseTextureBox(b, box, 1, 1, 1, 1, 0, 0); },
        [](PIX_IBitmap* b, const PIX_Box* box) { PIX_NoiseTextureBox(b, box, 1, 1, 1, 1, 1, -4); },
        [](PIX_IBitmap* b, const PIX_Box* box) {
            PIX_NoiseTextureBox(b, box, 1, 1, 1, 1, 0, INT_MIN);
        },
        [](PIX_IBitmap* b, const PIX_Box* box) {
            PIX_RingNoiseTextureBox(b, box, 1, 1, 1, 3, 1, 0);
        },
        [](PIX_IBitmap* b, const PIX_Box* box) {
            PIX_RingNoiseTextureBox(b, box, 1, 1, 1, 3, 1, -1);
        },
    };
    Lcg rng{41};
    const PIX_Box box{1, 1, 9, 6};
    for (size_t n = 0; n < sizeof black / sizeof black[0]; ++n) {
        GuardedBitmap bitmap(10, 7, false, rng), before = bitmap;
        black[n](&bitmap, &box);
        ExpectOnlyTheBoxWritten(bitmap, before, &box, "call " + std::to_string(n));
        for (int y = 1; y < 6; ++y)
            for (int x = 1; x < 9; ++x) ASSERT_EQ(bitmap.At(x, y), kBlack) << n;
    }
}

TEST(TextureRing, FactorsAreRedBlueGreen)
{
    struct Case {
        float red, blue, green;
        int shift;  // the one channel that lights
    };
    const Case cases[] = {{0.9f, 0, 0, 16}, {0, 0.9f, 0, 0}, {0, 0, 0.9f, 8}};
    Lcg rng{51};
    for (const Case& c : cases) {
        GuardedBitmap bitmap(24, 24, false, rng);
        PIX_RingNoiseTextureBox(&bitmap, nullptr, c.red, c.blue, c.green, 2.0f, 0.0f, 1);
        uint32_t lit = 0;
        for (uint32_t p : bitmap.Pixels()) {
            ASSERT_EQ(p & ~(0xFFu << c.shift), kBlack) << c.shift;
            lit = std::max(lit, p >> c.shift & 255);
        }
        EXPECT_GT(lit, 200u) << c.shift;
    }
}

// --- Wild arguments: the guard band holds and the sanitisers stay quiet ---

TEST(TextureFuzz, WildArgumentsKeepTheGuardBandWhole)
{
    const float wild[] = {0.0f, -0.0f, 1.0f,  0.5f,   -1.0f, 2.5f,  255.0f, 1e-30f,
                          1e9f, -1e9f, 1e30f, -1e30f, kInf,  -kInf, kNaN,   3e38f};
    const int octaves[] = {INT_MIN, -7, -1, 0, 1, 2, 3, 5, 64, 100000, INT_MAX};
    const int styles[] = {INT_MIN, -1, 0, 1, 2, 3, INT_MAX};
    const int edges[] = {INT_MIN, INT_MIN + 1, -1000000, INT_MAX, INT_MAX - 1, 1000000};
    Lcg rng{61};
    const auto pick = [&](const auto& table) {
        return table[rng.Below(int(sizeof table / sizeof table[0]))];
    };
    const auto value = [&] { return rng.Below(3) == 0 ? rng.Range(-4.0f, 4.0f) : pick(wild); };
    const auto coordinate = [&](int size) {
        return rng.Below(5) == 0 ? pick(edges) : rng.Range(-size - 4, 2 * size + 4);
    };
    for (int n = 0; n < 1500; ++n) {
        const int width = 1 + rng.Below(13), height = 1 + rng.Below(9);
        GuardedBitmap bitmap(width, height, rng.Below(2) == 1, rng), before = bitmap;
        PIX_Box box{coordinate(width), coordinate(height), coordinate(width), coordinate(height)};
        const PIX_Box* target = rng.Below(6) == 0 ? nullptr : &box;
        const float r = value(), g = value(), b = value(), p = value(), q = value();
        const int kind = rng.Below(3);
        if (kind == 0) PIX_RandomTextureBox(&bitmap, target, r, g, b, p);
        if (kind == 1)
            PIX_NoiseTextureBox(&bitmap, target, r, g, b, p, pick(styles), pick(octaves));
        if (kind == 2) PIX_RingNoiseTextureBox(&bitmap, target, r, g, b, p, q, pick(octaves));
        char what[96];
        std::snprintf(what, sizeof what, "call %d kind %d box %d,%d,%d,%d", n, kind, box.left,
                      box.top, box.right, box.bottom);
        ExpectOnlyTheBoxWritten(bitmap, before, target, what);
        PIX_GradientNoise2D(value() * 1e6f, pick(wild));
    }
}

// --- Golden pictures, one per texture, pinned by digest ---

TEST(TextureGolden, EachTextureKeepsItsDigest)
{
    struct Golden {
        const char* file;
        uint64_t digest;
    };
    const Golden golden[] = {{"texture_random", 0x45a8541b43b18d28ull},
                             {"texture_noise", 0x016a5806988b0459ull},
                             {"texture_noise_cosine", 0xd28aa3e8d59706c8ull},
                             {"texture_rings", 0x3c54749ec70225b0ull}};
    static_assert(sizeof golden / sizeof golden[0] == sizeof kTextures / sizeof kTextures[0]);
    Lcg rng{71};
    for (size_t n = 0; n < sizeof golden / sizeof golden[0]; ++n) {
        const Texture& texture = kTextures[n];
        for (bool bottomUp : {false, true}) {
            GuardedBitmap bitmap(192, 144, bottomUp, rng);
            texture.draw(&bitmap, nullptr);
            const uint64_t digest = DigestOf(bitmap.Pixels());
            if (!bottomUp) WriteGoldenIfRequested(bitmap, golden[n].file);
            EXPECT_EQ(digest, golden[n].digest) << texture.name << " " << std::hex << digest;
        }
    }
}

}  // namespace
