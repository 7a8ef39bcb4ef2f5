#include "raster/fill.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

#include "raster/bitmap.h"
#include "raster/pixel.h"
#include "golden_image.h"
#include "raster_test_support.h"
#include "reference.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

using raster_test::Digest;
using raster_test::GuardedBitmap;
using raster_test::kGuard;
using raster_test::Lcg;
using raster_test::MisreportedStride;
using raster_test::TruncSaturated;
using raster_test::WriteGoldenIfRequested;

// The first word of got that differs from before with its picture replaced
// by picture (top-down), guard band included; empty when there is none.
std::string FirstDifference(const GuardedBitmap& got, GuardedBitmap before,
                            const std::vector<uint32_t>& picture)
{
    const int width = got.PixelWidth(), height = got.PixelHeight(), stride = got.RowStride();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) before.At(x, y) = picture[size_t(y) * width + x];
    for (size_t i = 0; i < before.Words().size(); ++i) {
        const uint32_t want = before.Words()[i], word = got.Words()[i];
        if (want == word) continue;
        char text[160];
        const int cx = int(i % size_t(stride)) - kGuard, cy = int(i / size_t(stride)) - kGuard;
        std::snprintf(text, sizeof text, "canvas column %d, memory row %d (%s): got %08X want %08X",
                      cx, cy, cx < 0 || cx >= width || cy < 0 || cy >= height ? "guard" : "bitmap",
                      unsigned(word), unsigned(want));
        return text;
    }
    return {};
}

// --- Reference models: per pixel, from the definitions. ---

void ToBytes(uint32_t c, uint8_t* p)
{
    for (int k = 0; k < 4; ++k) p[k] = uint8_t(c >> (8 * k));
}
uint32_t FromBytes(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Rectangle membership without clipping arithmetic.
bool Inside(int64_t px, int64_t py, int x, int y, int width, int height)
{
    return px >= x && px < int64_t(x) + width && py >= y && py < int64_t(y) + height;
}

int64_t FillWeight(float alpha, PIX_PackedColor colour, PIX_CombineMode mode)
{
    if (mode & PIX_CombineSourceAlpha) {
        const float k = 0.0039215689f;
        const float scaled = alpha * k;
        alpha = float(colour >> 24) * scaled;
    }
    return TruncSaturated(double(alpha) * 256.0);
}

uint32_t FillPixel(uint32_t d, PIX_PackedColor colour, int64_t w, uint32_t op)
{
    uint8_t p[4], s[4];
    ToBytes(d, p);
    ToBytes(colour, s);
    using Formula = int64_t (*)(int64_t, int64_t, int64_t);
    Formula formula = nullptr;
    switch (op) {
        case 0:
            if (w <= 0) return d;
            if (w == 256) return colour;
            if (w == 128 || w == 64 || w == 192) {
                for (int k = 0; k < 4; ++k) {
                    if (w == 128) p[k] = uint8_t((s[k] >> 1) + (p[k] >> 1));
                    if (w == 64) p[k] = uint8_t((p[k] >> 1) + (p[k] >> 2) + (s[k] >> 2));
                    if (w == 192) p[k] = uint8_t((s[k] >> 1) + (s[k] >> 2) + (p[k] >> 2));
                }
                return FromBytes(p);
            }
            formula = ref::Copy;
            break;
        case 1:
            formula = ref::Add;
            break;
        case 2:
            formula = ref::Dodge;
            break;
        case 3:
            formula = ref::Multiply;
            break;
        case 4:
            formula = ref::SoftLight;
            break;
        case 5:
            if (w == 0) return d;
            ref::HsvShift(p, s[2], s[1], s[0], s[3], w);
            return FromBytes(p);
        default:
            return d;
    }
    if (w == 0) return d;
    for (int k = 0; k < 4; ++k) p[k] = uint8_t(formula(p[k], s[k], w));
    return FromBytes(p);
}

void ReferenceFill(std::vector<uint32_t>* image, int bw, int bh, int x, int y, int width,
                   int height, PIX_PackedColor colour, float alpha, PIX_CombineMode mode)
{
    const int64_t w = FillWeight(alpha, colour, mode);
    for (int py = 0; py < bh; ++py)
        for (int px = 0; px < bw; ++px)
            if (Inside(px, py, x, y, width, height)) {
                uint32_t& d = (*image)[size_t(py) * bw + px];
                d = FillPixel(d, colour, w, mode & 0xFF);
            }
}

struct Gradient {
    float start[4];  // r, g, b, a
    float dx[4];
    float dy[4];
};

void ReferenceGradient(std::vector<uint32_t>* image, int bw, int bh, int x, int y, int width,
                       int height, const Gradient& gr, PIX_CombineMode mode)
{
    float start[4], dx[4], dy[4];
    for (int c = 0; c < 4; ++c) {
        const float scale = c == 3 ? 256.0f : 255.0f;
        start[c] = gr.start[c] * scale;
        dx[c] = gr.dx[c] * scale;
        dy[c] = gr.dy[c] * scale;
    }
    for (int c = 0; c < 4; ++c) {
        if (x < 0) start[c] = start[c] - float(x) * dx[c];
        if (y < 0) start[c] = start[c] - float(y) * dy[c];
    }
    int64_t v[4], fx[4], fy[4];
    for (int c = 0; c < 4; ++c) {
        v[c] = TruncSaturated(double(start[c]) * 65536.0);
        fx[c] = TruncSaturated(double(dx[c]) * 65536.0);
        fy[c] = TruncSaturated(double(dy[c]) * 65536.0);
    }
    const bool opaque = v[3] == 256 * 65536 && fx[3] == 0 && fy[3] == 0;
    const uint32_t op = mode & 0xFF;
    const int x0 = x < 0 ? 0 : x, y0 = y < 0 ? 0 : y;
    for (int py = 0; py < bh; ++py) {
        for (int px = 0; px < bw; ++px) {
            if (!Inside(px, py, x, y, width, height)) continue;
            int64_t s[4];  // r, g, b, w
            for (int c = 0; c < 4; ++c)
                s[c] = ref::Div(v[c] + (px - x0) * fx[c] + (py - y0) * fy[c], 65536);
            const int64_t w = s[3];
            uint32_t& word = (*image)[size_t(py) * bw + px];
            uint8_t p[4];
            ToBytes(word, p);
            const int64_t src[4] = {s[2], s[1], s[0], w};  // blue, green, red, alpha
            using Formula = int64_t (*)(int64_t, int64_t, int64_t);
            const Formula formulas[] = {ref::Copy, ref::Add, ref::Dodge, ref::Multiply,
                                        ref::SoftLight};
            if (op == 0 && opaque) {
                for (int k = 0; k < 4; ++k) p[k] = uint8_t(ref::Clamp(src[k]));
            } else if (op < 5) {
                for (int k = 0; k < 4; ++k)
                    p[k] = uint8_t(ref::Clamp(formulas[op](p[k], src[k], w)));
            } else if (op == 5) {
                ref::HsvShift(p, s[0], s[1], s[2], ref::Clamp(w), w);
            }
            word = FromBytes(p);
        }
    }
}

// --- Rectangles: every edge, negative coordinates, empty and huge. ---

struct Rect {
    int x, y, width, height;
};

std::vector<Rect> RectanglesFor(int bw, int bh, Lcg* rng)
{
    std::vector<Rect> rects = {
        {1, 1, bw - 2, bh - 2},                // inside
        {-3, 1, 5, 2},                         // left edge
        {bw - 2, 0, 6, 2},                     // right edge
        {0, -2, 3, 4},                         // top edge
        {1, bh - 1, 2, 5},                     // bottom edge
        {-2, -3, bw + 5, bh + 6},              // all four
        {-1, -1, 1, 1},                        // just outside the corner
        {bw, 0, 3, bh},                        // right of the bitmap
        {0, bh, bw, 2},                        // below the bitmap
        {-10, 0, 10, bh},                      // ends at column 0
        {0, 0, 0, bh},                         // zero width
        {0, 0, bw, -4},                        // negative height
        {2, 1, INT_MAX, INT_MAX},              // past every edge without overflow
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX},  // ends left of and above the bitmap
        {INT_MIN + 5, -1, INT_MAX, 3},
    };
    for (int i = 0; i < 6; ++i)
        rects.push_back({rng->Below(bw + 8) - 4, rng->Below(bh + 8) - 4, rng->Below(bw + 6),
                         rng->Below(bh + 6)});
    return rects;
}

std::string Describe(const Rect& r, PIX_CombineMode mode, bool bottomUp)
{
    char text[120];
    std::snprintf(text, sizeof text, "rect (%d, %d, %d, %d) mode %X %s", r.x, r.y, r.width,
                  r.height, unsigned(mode), bottomUp ? "bottom-up" : "top-down");
    return text;
}

// Every operation, the source-alpha flag, bits the fill ignores, and
// operation bytes that draw nothing.
const PIX_CombineMode kModes[] = {0,       1,       2,       3,       4,       5,
                                  6,       0xF1,    0xFF,    0x10000, 0x10001, 0x10002,
                                  0x10003, 0x10004, 0x10005, 0x100,   0x10101};

TEST(FillBox, MatchesTheReferenceInEveryModeWeightAndClip)
{
    // The four word-mix weights, general ones, zero, negative, above 1 and
    // non-finite values.
    const float alphas[] = {1.0f,  0.5f,  0.25f, 0.75f, 0.3f,  0.999f, 0.0f, 0.002f,
                            -0.2f, -1.0f, 1.3f,  2.0f,  1e30f, -1e30f, kNaN, kInf};
    Lcg rng{7};
    int cases = 0;
    for (int shape = 0; shape < 4; ++shape) {
        const int bw = 1 + rng.Below(12), bh = 1 + rng.Below(8);
        for (bool bottomUp : {false, true}) {
            for (const Rect& r : RectanglesFor(bw, bh, &rng)) {
                for (PIX_CombineMode mode : kModes) {
                    for (float alpha : alphas) {
                        // Colour alphas 0 and 255 sometimes, for the source-alpha weights.
                        PIX_PackedColor colour = rng.Next();
                        if (rng.Below(4) == 0) colour &= 0x00FFFFFF;
                        if (rng.Below(4) == 0) colour |= 0xFF000000;
                        GuardedBitmap bitmap = GuardedBitmap::Noise(bw, bh, bottomUp, rng);
                        GuardedBitmap original = bitmap;
                        std::vector<uint32_t> expected = original.Pixels();
                        ReferenceFill(&expected, bw, bh, r.x, r.y, r.width, r.height, colour, alpha,
                                      mode);
                        PIX_FillBox(&bitmap, r.x, r.y, r.width, r.height, colour, alpha, mode);
                        const std::string diff = FirstDifference(bitmap, original, expected);
                        ASSERT_EQ(diff, "") << Describe(r, mode, bottomUp) << " colour " << std::hex
                                            << colour << " alpha " << alpha;
                        ++cases;
                    }
                }
            }
        }
    }
    EXPECT_GT(cases, 10000);
}

TEST(GradientBox, MatchesTheReferenceInEveryModeAndClip)
{
    Lcg rng{11};
    for (int shape = 0; shape < 4; ++shape) {
        const int bw = 1 + rng.Below(12), bh = 1 + rng.Below(8);
        for (bool bottomUp : {false, true}) {
            for (const Rect& r : RectanglesFor(bw, bh, &rng)) {
                for (PIX_CombineMode mode : kModes) {
                    for (int variant = 0; variant < 6; ++variant) {
                        // Starts and steps that leave 0..1 within the rectangle.
                        Gradient gr;
                        for (int c = 0; c < 4; ++c) {
                            gr.start[c] = rng.Range(-0.3f, 1.3f);
                            gr.dx[c] = rng.Range(-0.08f, 0.08f);
                            gr.dy[c] = rng.Range(-0.08f, 0.08f);
                        }
                        if (variant == 0) gr.start[3] = 1.0f, gr.dx[3] = gr.dy[3] = 0.0f;  // opaque
                        if (variant == 1) gr.dx[3] = gr.dy[3] = 0.0f;  // constant weight
                        // Far-off starts keep their values within the 16.16 range.
                        const bool far = r.x < -1000 || r.y < -1000;
                        if (far) {
                            for (int c = 0; c < 4; ++c) gr.dx[c] = gr.dy[c] = 0.0f;
                        }
                        GuardedBitmap bitmap = GuardedBitmap::Noise(bw, bh, bottomUp, rng);
                        GuardedBitmap original = bitmap;
                        std::vector<uint32_t> expected = original.Pixels();
                        ReferenceGradient(&expected, bw, bh, r.x, r.y, r.width, r.height, gr, mode);
                        PIX_GradientBox(&bitmap, r.x, r.y, r.width, r.height, gr.start[0],
                                        gr.start[1], gr.start[2], gr.start[3], gr.dx[0], gr.dx[1],
                                        gr.dx[2], gr.dx[3], gr.dy[0], gr.dy[1], gr.dy[2], gr.dy[3],
                                        mode);
                        const std::string diff = FirstDifference(bitmap, original, expected);
                        ASSERT_EQ(diff, "")
                            << Describe(r, mode, bottomUp) << " variant " << variant;
                    }
                }
            }
        }
    }
}

// --- Single cases with the values worked out by hand. ---

struct FillCase {
    const char* name;
    PIX_PackedColor colour;
    float alpha;
    PIX_CombineMode mode;
    PIX_PackedColor before;
    PIX_PackedColor after;
};

TEST(FillBox, WorkedExamples)
{
    const FillCase cases[] = {
        {"full weight stores the word", 0x12345678, 1.0f, 0, 0xFFFFFFFF, 0x12345678},
        {"quarter mix", 0xFF000000, 0.25f, 0, 0xFFFFFFFF, 0xFDBEBEBE},
        {"weight 76 runs the copy formula on alpha too", 0x00000000, 0.3f, 0, 0xFFFFFFFF,
         0xB3B3B3B3},
        {"half mix, not the copy formula", 0x01010101, 0.5f, 0, 0x00000000, 0x00000000},
        {"source alpha 128 at 1.0 is the half mix", 0x80FFFFFF, 1.0f, PIX_CombineSourceAlpha,
         0x00000000, 0x407F7F7F},
        {"source alpha scales by the rounded 1/255 constant, to weight 4 not 3", 0x07000000,
         1020.0f / 1792.0f, PIX_CombineSourceAlpha, 0xFFFFFFFF, 0xFBFBFBFB},
        {"source alpha 0 draws nothing", 0x00FFFFFF, 1.0f, PIX_CombineSourceAlpha, 0x11223344,
         0x11223344},
        {"source alpha flag picks no other kernel", 0x80102030, 1.0f, PIX_CombineSourceAlpha | 1,
         0x01010101, 0x41091119},
        {"weight above 256 keeps the low eight bits", 0x00000000, 2.0f, 0, 0x01010101, 0xFFFFFFFF},
        {"negative weight in copy draws nothing", 0xFFFFFFFF, -0.5f, 0, 0x55555555, 0x55555555},
        {"weight below 1 draws nothing even in HSV shift", 0x00808080, 0.003f, 5, 0xFF336699,
         0xFF336699},
        {"unknown operation draws nothing", 0xFFFFFFFF, 1.0f, 6, 0x55555555, 0x55555555},
    };
    for (const FillCase& c : cases) {
        PIX_MemBitmap bitmap(3, 2, 4);
        for (int i = 0; i < bitmap.RowStride() * 2; ++i) bitmap.PixelData()[i] = c.before;
        PIX_FillBox(&bitmap, 0, 0, 3, 2, c.colour, c.alpha, c.mode);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(bitmap.PixelData()[y * bitmap.RowStride() + x], c.after)
                    << c.name << " at " << x << "," << y;
    }
}

TEST(FillBox, NegativeXFillsTheColumnsFromZero)
{
    PIX_MemBitmap bitmap(8, 1, 4);
    for (int x = 0; x < 8; ++x) bitmap.PixelData()[x] = 0;
    PIX_FillBox(&bitmap, -5, 0, 10, 1, 0xFFFFFFFF, 1.0f, 0);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(bitmap.PixelData()[x], x <= 4 ? 0xFFFFFFFFu : 0u) << x;
}

TEST(FillBox, BottomUpFillsTheSamePixels)
{
    Lcg rng{3};
    GuardedBitmap down = GuardedBitmap::Noise(9, 7, false, rng);
    GuardedBitmap up = GuardedBitmap::Noise(9, 7, true, rng);
    PIX_FillBox(&down, 2, 1, 4, 3, 0xFF00FF00, 1.0f, 0);
    PIX_FillBox(&up, 2, 1, 4, 3, 0xFF00FF00, 1.0f, 0);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(down.At(x, y) == 0xFF00FF00u, up.At(x, y) == 0xFF00FF00u) << x << "," << y;
}

TEST(FillAndGradient, LeaveBrokenOrMissingBitmapsAlone)
{
    PIX_FillBox(nullptr, 0, 0, 4, 4, 0xFFFFFFFF, 1.0f, 0x10000);
    PIX_GradientBox(nullptr, 0, 0, 4, 4, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);

    Lcg rng{5};
    GuardedBitmap noPixels = GuardedBitmap::Noise(4, 4, false, rng, true);
    const std::vector<uint32_t> noPixelsBefore = noPixels.Words();
    PIX_FillBox(&noPixels, 0, 0, 4, 4, 0xFFFFFFFF, 1.0f, 0);
    PIX_GradientBox(&noPixels, 0, 0, 4, 4, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(noPixels.Words(), noPixelsBefore);

    for (int stride : {0, -4}) {
        MisreportedStride bad(GuardedBitmap::Noise(4, 4, false, rng), stride);
        const std::vector<uint32_t> before = bad.Words();
        PIX_FillBox(&bad, 0, 0, 4, 4, 0xFFFFFFFF, 1.0f, 0);
        EXPECT_EQ(bad.Words(), before) << stride;
    }
}

// One row of a gradient from red r stepping drdx, opaque, in copy mode.
std::vector<uint32_t> RedRow(int width, int x, float r, float drdx)
{
    PIX_MemBitmap bitmap(width, 1, 4);
    for (int i = 0; i < width; ++i) bitmap.PixelData()[i] = 0;
    PIX_GradientBox(&bitmap, x, 0, width - x, 1, r, 0, 0, 1, drdx, 0, 0, 0, 0, 0, 0, 0, 0);
    return std::vector<uint32_t>(bitmap.PixelData(), bitmap.PixelData() + width);
}

TEST(GradientBox, OneLevelPerPixelCountsUpWithFullAlpha)
{
    const std::vector<uint32_t> row = RedRow(40, 0, 0.0f, 1.0f / 255.0f);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(row[i], 0xFF000000u | uint32_t(i) << 16) << i;
}

TEST(GradientBox, RedPastOneClampsInsteadOfWrapping)
{
    const std::vector<uint32_t> row = RedRow(16, 0, 0.5f, 0.25f);
    const uint32_t red[] = {127, 191, 255, 255, 255, 255, 255, 255,
                            255, 255, 255, 255, 255, 255, 255, 255};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(row[i], 0xFF000000u | red[i] << 16) << i;
}

TEST(GradientBox, NegativeStartBeginsAtTheFirstVisibleColumn)
{
    // Steps of whole levels, so the clipped start is exact.
    PIX_MemBitmap full(12, 3, 4), clipped(9, 3, 4);
    const auto draw = [](PIX_IBitmap* bitmap, int x) {
        PIX_GradientBox(bitmap, x, -1, 40, 40, 0.0f, 0.5f, 1.0f, 0.5f, 8 / 255.0f, 0, -4 / 255.0f,
                        0.125f, 0, 16 / 255.0f, 0, 0.0625f, 0);
    };
    for (int i = 0; i < 12 * 3; ++i) full.PixelData()[i] = 0x80808080;
    for (int i = 0; i < 12 * 3; ++i) clipped.PixelData()[i] = 0x80808080;
    draw(&full, 0);
    draw(&clipped, -3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(clipped.PixelData()[y * 12 + x], full.PixelData()[y * 12 + x + 3])
                << x << "," << y;
}

// Non-finite and huge values are defined (the sanitisers watch this) and
// clamp per pixel.
TEST(GradientBox, ExtremeValuesClampPerPixel)
{
    struct Case {
        const char* name;
        float r, drdx, a, dadx;
        uint32_t clipped;      // every pixel of the row that starts two steps in
        uint32_t first, rest;  // the unclipped row: column 0, and columns 1 on
    };
    const Case cases[] = {
        {"huge step up", 0.0f, 1e30f, 1.0f, 0.0f, 0xFFFF0000, 0xFF000000, 0xFFFF0000},
        {"huge step down", 1.0f, -1e30f, 1.0f, 0.0f, 0xFF000000, 0xFFFF0000, 0xFF000000},
        {"infinite step", 0.0f, kInf, 1.0f, 0.0f, 0xFFFF0000, 0xFF000000, 0xFFFF0000},
        {"not-a-number start", kNaN, 0.0f, 1.0f, 0.0f, 0xFF000000, 0xFF000000, 0xFF000000},
        {"not-a-number step", 1.0f, kNaN, 1.0f, 0.0f, 0xFF000000, 0xFFFF0000, 0xFFFF0000},
        {"huge start", 1e30f, 0.0f, 1.0f, 0.0f, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000},
        {"weight stepping to huge", 1.0f, 0.0f, 1.0f, 1e30f, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000},
        {"weight stepping to minus huge", 1.0f, 0.0f, 0.0f, -1e30f, 0xFF000000, 0x00000000,
         0xFF000000},
    };
    for (const Case& c : cases) {
        PIX_MemBitmap bitmap(300, 2, 4);
        for (int i = 0; i < bitmap.RowStride() * 2; ++i) bitmap.PixelData()[i] = 0;
        PIX_GradientBox(&bitmap, -2, 0, 302, 1, c.r, 0, 0, c.a, c.drdx, 0, 0, c.dadx, 0, 0, 0, 0,
                        0);
        PIX_GradientBox(&bitmap, 0, 1, 300, 1, c.r, 0, 0, c.a, c.drdx, 0, 0, c.dadx, 0, 0, 0, 0, 0);
        const PIX_PackedColor* clipped = bitmap.PixelData();
        const PIX_PackedColor* row = bitmap.PixelData() + bitmap.RowStride();
        for (int x = 0; x < 300; ++x)
            ASSERT_EQ(clipped[x], c.clipped) << c.name << " clipped at " << x;
        EXPECT_EQ(row[0], c.first) << c.name;
        for (int x = 1; x < 300; ++x) ASSERT_EQ(row[x], c.rest) << c.name << " at " << x;
    }
    // Every parameter at once, in every operation.
    for (PIX_CombineMode mode : kModes) {
        PIX_MemBitmap bitmap(5, 5, 4);
        for (int i = 0; i < 5 * bitmap.RowStride(); ++i) bitmap.PixelData()[i] = 0x80402010;
        PIX_GradientBox(&bitmap, -1, -1, 9, 9, 1e30f, kNaN, -kInf, 1e20f, -1e30f, kInf, 1e30f, kNaN,
                        kInf, -1e30f, kNaN, 1e30f, mode);
        PIX_FillBox(&bitmap, -1, -1, 9, 9, 0x80FF8040, 1e30f, mode);
    }
}

// --- Checksums: one sweep, the same in the native and the Windows build. ---

TEST(FillChecksum, SweepGivesTheSameDigestInBothBuilds)
{
    Lcg rng{4711};
    PIX_MemBitmap bitmap(61, 47, 4);
    for (int i = 0; i < bitmap.RowStride() * bitmap.PixelHeight(); ++i)
        bitmap.PixelData()[i] = rng.Next();
    Digest digest;
    for (int n = 0; n < 3000; ++n) {
        const PIX_CombineMode mode = kModes[rng.Below(int(sizeof kModes / sizeof kModes[0]))];
        const int x = rng.Below(80) - 10, y = rng.Below(60) - 10, w = rng.Below(40),
                  h = rng.Below(30);
        if (n % 2 == 0) {
            const float alphas[] = {1.0f, 0.5f, 0.25f, 0.75f, rng.Range(-0.2f, 1.4f)};
            PIX_FillBox(&bitmap, x, y, w, h, rng.Next(), alphas[rng.Below(5)], mode);
        } else {
            float v[12];
            for (int c = 0; c < 12; ++c)
                v[c] = c < 4 ? rng.Range(-0.5f, 1.5f) : rng.Range(-0.05f, 0.05f);
            PIX_GradientBox(&bitmap, x, y, w, h, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7],
                            v[8], v[9], v[10], v[11], mode);
        }
        if (n % 100 == 99)
            for (int i = 0; i < bitmap.RowStride() * bitmap.PixelHeight(); ++i)
                digest.Add(bitmap.PixelData()[i]);
    }
    EXPECT_EQ(digest.value, 0x79de29c565bab71aull) << std::hex << digest.value;
}

// --- Golden pictures, pinned by digest. With VELVANE_GOLDEN_DIR set, each is
// also written there as a binary PPM (alpha dropped) to look at. ---

uint64_t PictureDigest(const PIX_MemBitmap& bitmap)
{
    Digest digest;
    for (int y = 0; y < bitmap.PixelHeight(); ++y)
        for (int x = 0; x < bitmap.PixelWidth(); ++x)
            digest.Add(bitmap.PixelData()[y * bitmap.RowStride() + x]);
    return digest.value;
}

// A grey checkerboard, so that partial opacity shows.
void Checkerboard(PIX_MemBitmap* bitmap, int cell)
{
    for (int y = 0; y < bitmap->PixelHeight(); ++y)
        for (int x = 0; x < bitmap->PixelWidth(); ++x)
            bitmap->PixelData()[y * bitmap->RowStride() + x] =
                ((x / cell + y / cell) & 1) ? 0xFF606060 : 0xFFA0A0A0;
}

TEST(FillGolden, ColourRamps)
{
    // Top band: opaque red to the right, blue down. Middle band: green to the
    // right over the checkerboard, opacity falling down. Bottom band: four
    // boxes at the weights of the word mixes and one at 0.3.
    PIX_MemBitmap bitmap(256, 192, 4);
    Checkerboard(&bitmap, 16);
    PIX_GradientBox(&bitmap, 0, 0, 256, 64, 0, 0, 0, 1, 1 / 255.0f, 0, 0, 0, 0, 0, 4 / 255.0f, 0,
                    0);
    PIX_GradientBox(&bitmap, -32, 64, 320, 64, 0.2f, 0, 0.2f, 1, 0, 1 / 300.0f, 0, 0, 0, 0, 0,
                    -1 / 64.0f, 0);
    const float alphas[] = {1.0f, 0.75f, 0.5f, 0.25f, 0.3f};
    for (int i = 0; i < 5; ++i)
        PIX_FillBox(&bitmap, 8 + i * 50, 136, 40, 48, 0xFF2060E0, alphas[i], 0);
    WriteGoldenIfRequested(bitmap, "fill_colour_ramps");
    EXPECT_EQ(PictureDigest(bitmap), 0xd0bd37d576b94e28ull) << std::hex << PictureDigest(bitmap);
}

TEST(FillGolden, BlendModes)
{
    // Columns: add, dodge, multiply, soft light, HSV shift; each a gradient
    // with red rising and blue falling to the right and green rising down,
    // over eight bands of opaque fills.
    PIX_MemBitmap bitmap(250, 160, 4);
    for (int i = 0; i < 8; ++i)
        PIX_FillBox(&bitmap, 0, i * 20, 250, 20,
                    0xFF000000 | (uint32_t(i * 32) << 16) | uint32_t(255 - i * 32) << 8 | 0x40,
                    1.0f, 0);
    for (int op = 1; op <= 5; ++op)
        PIX_GradientBox(&bitmap, (op - 1) * 50, 0, 46, 160, 0, 0.5f, 1, 1, 1 / 46.0f, 0, -1 / 46.0f,
                        0, 0, 0.5f / 160, 0, -0.5f / 160, PIX_CombineMode(op));
    WriteGoldenIfRequested(bitmap, "fill_blend_modes");
    EXPECT_EQ(PictureDigest(bitmap), 0xb7e31d48ecbc1f6aull) << std::hex << PictureDigest(bitmap);
}

}  // namespace
