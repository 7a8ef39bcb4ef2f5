#include "raster/pixel_kernels.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "raster/float_to_int.h"
#include "raster/pixel.h"
#include "reference.h"

namespace {

using Formula = int64_t (*)(int64_t d, int64_t s, int64_t w);

// Distinct values per channel, so that a channel mixed up with another shows.
int Spread(int v, int channel)
{
    return (v + 67 * channel) & 255;
}

struct ChannelCase {
    const char* name;
    PIX_PixelKernelFn kernel;
    Formula formula;
};

std::string CaseName(const testing::TestParamInfo<ChannelCase>& info)
{
    return info.param.name;
}

class PlainKernel : public testing::TestWithParam<ChannelCase> {};

// Every destination value, source value and weight 0..256, four channels a call.
TEST_P(PlainKernel, MatchesTheFormulaOnEveryInput)
{
    const ChannelCase c = GetParam();
    int64_t mismatches = 0;
    std::string first;
    for (int w = 0; w <= 256; ++w) {
        for (int s = 0; s < 256; ++s) {
            for (int d = 0; d < 256; ++d) {
                uint8_t p[4];
                for (int k = 0; k < 4; ++k) p[k] = uint8_t(Spread(d, k));
                c.kernel(p, Spread(s, 2), Spread(s, 1), Spread(s, 0), Spread(s, 3), w);
                for (int k = 0; k < 4; ++k) {
                    const int64_t want = c.formula(Spread(d, k), Spread(s, k), w) & 255;
                    if (p[k] != want && mismatches++ == 0)
                        first = "w=" + std::to_string(w) + " d=" + std::to_string(Spread(d, k)) +
                                " s=" + std::to_string(Spread(s, k)) + " got " +
                                std::to_string(p[k]) + " want " + std::to_string(want);
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << "first: " << first;
}

INSTANTIATE_TEST_SUITE_P(
    Kernels, PlainKernel,
    testing::Values(ChannelCase{"Copy", PIX_PixelKernelCopy, ref::Copy},
                    ChannelCase{"CopyClamped", PIX_PixelKernelCopyClamped, ref::Copy},
                    ChannelCase{"Add", PIX_PixelKernelAdd, ref::Add},
                    ChannelCase{"Dodge", PIX_PixelKernelDodge, ref::Dodge},
                    ChannelCase{"Multiply", PIX_PixelKernelMultiply, ref::Multiply},
                    ChannelCase{"MultiplyClamped", PIX_PixelKernelMultiplyClamped, ref::Multiply},
                    ChannelCase{"SoftLight", PIX_PixelKernelSoftLight, ref::SoftLight}),
    CaseName);

// Source values beyond 0..255 at every weight and destination value.
TEST(ClampedKernel, ClampsSourcesOutsideTheChannelRange)
{
    const struct {
        PIX_PixelKernelFn kernel;
        Formula formula;
    } kernels[] = {{PIX_PixelKernelCopyClamped, ref::Copy},
                   {PIX_PixelKernelMultiplyClamped, ref::Multiply}};
    int64_t mismatches = 0;
    for (const auto& k : kernels)
        for (int w = 0; w <= 256; ++w)
            for (int s = -1000; s <= 1255; s += 7)
                for (int d = 0; d < 256; ++d) {
                    uint8_t p[4] = {uint8_t(d), uint8_t(d), uint8_t(d), uint8_t(d)};
                    k.kernel(p, s, s + 1, s - 1, s + 300, w);
                    const int64_t want[4] = {
                        ref::Clamp(k.formula(d, s - 1, w)), ref::Clamp(k.formula(d, s + 1, w)),
                        ref::Clamp(k.formula(d, s, w)), ref::Clamp(k.formula(d, s + 300, w))};
                    for (int i = 0; i < 4; ++i) mismatches += p[i] != want[i];
                }
    EXPECT_EQ(mismatches, 0);
}

// Source-alpha forms: the destination after combining source colour (s0, s1,
// s2) with alpha a at weight w into d, per the definition of each form.
using SourceAlphaReference = void (*)(uint8_t* d, const int* s, int a, int w);

void RefCopySourceAlpha(uint8_t* d, const int* s, int a, int w)
{
    if (a == 0) return;
    const int64_t e = ref::EffectiveWeight(w, a);
    for (int k = 0; k < 3; ++k) d[k] = uint8_t(ref::Copy(d[k], s[k], e));
    d[3] = uint8_t(ref::Min255(d[3] + e));
}
void RefCopySourceAlphaOpaque(uint8_t* d, const int* s, int a, int)
{
    if (a == 0) return;
    if (a == 255) {
        d[0] = uint8_t(s[0]), d[1] = uint8_t(s[1]), d[2] = uint8_t(s[2]), d[3] = 255;
        return;
    }
    for (int k = 0; k < 3; ++k) d[k] = uint8_t(s[k] + ref::Div((d[k] - s[k]) * (255 - a), 256));
    d[3] = uint8_t(ref::Min255(d[3] + a));
}
template <Formula F, bool Skip>
void RefChannels(uint8_t* d, const int* s, int a, int w)
{
    if (Skip && a == 0) return;
    const int64_t e = ref::EffectiveWeight(w, a);
    for (int k = 0; k < 3; ++k) d[k] = uint8_t(F(d[k], s[k], e));
    d[3] = uint8_t(F(d[3], a, e));
}

struct SourceAlphaCase {
    const char* name;
    PIX_PixelKernelFn kernel;
    SourceAlphaReference reference;
};

std::string SourceAlphaName(const testing::TestParamInfo<SourceAlphaCase>& info)
{
    return info.param.name;
}

class SourceAlphaKernel : public testing::TestWithParam<SourceAlphaCase> {};

// Every weight, source alpha and destination value; the source colour varies with them.
TEST_P(SourceAlphaKernel, MatchesTheDefinitionOnEveryWeightAndAlpha)
{
    const SourceAlphaCase c = GetParam();
    int64_t mismatches = 0;
    std::string first;
    for (int w = 0; w <= 256; ++w) {
        for (int a = 0; a < 256; ++a) {
            for (int d = 0; d < 256; ++d) {
                const int s[3] = {(d * 7 + a * 13 + w * 3) & 255, (d * 5 + a * 11 + w + 59) & 255,
                                  (d * 3 + a * 17 + w * 7 + 118) & 255};
                uint8_t got[4], want[4];
                for (int k = 0; k < 4; ++k) got[k] = want[k] = uint8_t(Spread(d, k));
                c.kernel(got, s[2], s[1], s[0], a, w);
                c.reference(want, s, a, w);
                if (std::memcmp(got, want, 4) != 0 && mismatches++ == 0)
                    first = "w=" + std::to_string(w) + " a=" + std::to_string(a) +
                            " d=" + std::to_string(d);
            }
        }
    }
    EXPECT_EQ(mismatches, 0) << "first: " << first;
}

INSTANTIATE_TEST_SUITE_P(
    Kernels, SourceAlphaKernel,
    testing::Values(
        SourceAlphaCase{"CopySourceAlpha", PIX_PixelKernelCopySourceAlpha, RefCopySourceAlpha},
        SourceAlphaCase{"CopySourceAlphaClamped", PIX_PixelKernelCopySourceAlphaClamped,
                        RefCopySourceAlpha},
        SourceAlphaCase{"CopySourceAlphaOpaque", PIX_PixelKernelCopySourceAlphaOpaque,
                        RefCopySourceAlphaOpaque},
        SourceAlphaCase{"CopySourceAlphaOpaqueClamped", PIX_PixelKernelCopySourceAlphaOpaqueClamped,
                        RefCopySourceAlphaOpaque},
        SourceAlphaCase{"AddSourceAlpha", PIX_PixelKernelAddSourceAlpha,
                        RefChannels<ref::Add, true>},
        SourceAlphaCase{"MultiplySourceAlpha", PIX_PixelKernelMultiplySourceAlpha,
                        RefChannels<ref::Multiply, true>},
        SourceAlphaCase{"MultiplySourceAlphaClamped", PIX_PixelKernelMultiplySourceAlphaClamped,
                        RefChannels<ref::Multiply, true>},
        SourceAlphaCase{"DodgeSourceAlpha", PIX_PixelKernelDodgeSourceAlpha,
                        RefChannels<ref::Dodge, false>},
        SourceAlphaCase{"SoftLightSourceAlpha", PIX_PixelKernelSoftLightSourceAlpha,
                        RefChannels<ref::SoftLight, false>}),
    SourceAlphaName);

TEST(SourceAlphaFunctions, CombineTransparentSourcesThatTheKernelsSkip)
{
    const struct {
        PIX_PixelKernelFn function;
        PIX_PixelKernelFn kernel;
        SourceAlphaReference unskipped;
    } cases[] = {
        {PIX_BlendPixelSourceAlpha, PIX_PixelKernelCopySourceAlpha,
         [](uint8_t* d, const int* s, int, int w) {
             const int64_t e = ref::EffectiveWeight(w, 0);
             for (int k = 0; k < 3; ++k) d[k] = uint8_t(ref::Copy(d[k], s[k], e));
             d[3] = uint8_t(ref::Min255(d[3] + e));
         }},
        {PIX_AddPixelSourceAlpha, PIX_PixelKernelAddSourceAlpha, RefChannels<ref::Add, false>},
        {PIX_MultiplyPixelSourceAlpha, PIX_PixelKernelMultiplySourceAlpha,
         RefChannels<ref::Multiply, false>},
    };
    const int s[3] = {250, 3, 128};
    for (const auto& c : cases) {
        for (int w : {256, 700, -512}) {
            uint8_t skipped[4] = {10, 100, 200, 50}, combined[4] = {10, 100, 200, 50},
                    want[4] = {10, 100, 200, 50};
            c.kernel(skipped, s[2], s[1], s[0], 0, w);
            c.function(combined, s[2], s[1], s[0], 0, w);
            c.unskipped(want, s, 0, w);
            EXPECT_EQ(std::memcmp(skipped, "\x0a\x64\xc8\x32", 4), 0);
            EXPECT_EQ(std::memcmp(combined, want, 4), 0) << "w=" << w;
        }
    }
}

TEST(HsvShiftKernel, MatchesTheDefinitionOverWeightsAndSources)
{
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    int64_t mismatches = 0;
    for (int sourceAlpha = 0; sourceAlpha < 2; ++sourceAlpha) {
        const PIX_PixelKernelFn kernel =
            sourceAlpha ? PIX_PixelKernelHsvShiftSourceAlpha : PIX_PixelKernelHsvShift;
        for (int w = 0; w <= 256; ++w)
            for (int x = 0; x < 256; ++x)
                for (int n = 0; n < 4; ++n) {
                    const uint32_t dest = next();
                    const int r = x, g = (x * 37 + w + n * 64) & 255,
                              b = (x * 101 + 3 * w + n * 17) & 255;
                    const int a = int(next() >> 24);
                    uint8_t got[4] = {uint8_t(dest), uint8_t(dest >> 8), uint8_t(dest >> 16),
                                      uint8_t(dest >> 24)};
                    uint8_t want[4];
                    std::memcpy(want, got, 4);
                    kernel(got, r, g, b, a, w);
                    ref::HsvShift(want, r, g, b, a, sourceAlpha ? ref::EffectiveWeight(w, a) : w);
                    mismatches += std::memcmp(got, want, 4) != 0;
                }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(WholeWordCopy, MatchesItsPerByteFormAndStaysNearTheGeneralCopy)
{
    int64_t mismatches = 0;
    for (int s = 0; s < 256; ++s)
        for (int d = 0; d < 256; ++d) {
            // Four different byte pairs per word.
            uint32_t S = 0, D = 0;
            for (int k = 0; k < 4; ++k)
                S |= uint32_t(Spread(s, k)) << (8 * k), D |= uint32_t(Spread(d, k)) << (8 * k);
            const uint32_t half = PIX_MixHalf(S, D), quarter = PIX_MixQuarter(S, D),
                           threeQuarter = PIX_MixThreeQuarter(S, D);
            for (int k = 0; k < 4; ++k) {
                const int sk = Spread(s, k), dk = Spread(d, k), shift = 8 * k;
                const int forms[3][3] = {
                    {int((half >> shift) & 255), (sk >> 1) + (dk >> 1), 128},
                    {int((quarter >> shift) & 255), (dk >> 1) + (dk >> 2) + (sk >> 2), 64},
                    {int((threeQuarter >> shift) & 255), (sk >> 1) + (sk >> 2) + (dk >> 2), 192}};
                for (const auto& f : forms) {
                    mismatches += f[0] != f[1];
                    mismatches += std::abs(f[0] - int(ref::Copy(dk, sk, f[2]))) > 2;
                }
            }
        }
    EXPECT_EQ(mismatches, 0);
}

// Edge cases of the combine arithmetic, through the word-level dispatcher.
TEST(CombineColors, EdgeCases)
{
    const struct {
        uint32_t dest, colour;
        float alpha;
        PIX_CombineMode mode;
        uint32_t want;
    } cases[] = {
        {0x00000000, 0x01010101, 0.5f, PIX_CombineCopy, 0x01010101},  // half mix would give 0
        {0x00000000, 0xFFFFFFFF, 0.5f, PIX_CombineCopy, 0x80808080},  // -255 * 128 / 256 is -127
        {0xC8C8C8C8, 0xFFFFFFFF, 1.0f, PIX_CombineAdd, 0xFFFFFFFF},
        {0x01FF8000, 0xFFFFFFFF, 1.0f, PIX_CombineDodge, 0xFFFFFF00},
        {0xFF80FF01, 0xFFFFFFFF, 1.0f, PIX_CombineMultiply, 0xFE7FFE00},
        {0x40102030, 0x00FF00FF, 1.0f, PIX_CombineSourceAlpha | PIX_CombineCopy, 0x40102030},
        {0x40102030, 0xFFFF8040, 1.0f, PIX_CombineSourceAlpha | PIX_CombineCopy, 0xFFFF8040},
        {0xC0000000, 0x80FFFFFF, 1.0f, PIX_CombineSourceAlpha | PIX_CombineCopy, 0xFF818181},
        {0x10000000, 0x80FFFFFF, 1.0f, PIX_CombineSourceAlpha | PIX_CombineCopy, 0x90818181},
        {0x10FFFFFF, 0xFF000000, 255.0f / 256, PIX_CombineSourceAlpha | PIX_CombineCopy,
         0xFF000000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PIX_CombineColors(c.dest, c.colour, c.alpha, c.mode), c.want)
            << std::hex << c.dest << " " << c.colour << " mode " << c.mode;
}

TEST(CombineColors, HsvShiftOfMidGreyKeepsTheColourAndTakesTheSourceAlpha)
{
    for (uint32_t dest : {0x00FF0000u, 0xFF00FF00u, 0x120000FFu, 0x80808080u, 0x00C86432u}) {
        int h, s, v;
        PIX_RgbToHsv(int(dest >> 16 & 255), int(dest >> 8 & 255), int(dest & 255), &h, &s, &v);
        EXPECT_EQ(PIX_CombineColors(dest, 0x37808080, 1.0f, PIX_CombineHsvShift),
                  PIX_HsvToColor(h, s, v, 0x37));
    }
}

TEST(CombineColors, HsvShiftByFullRedMovesTheHueBy190AndWraps)
{
    const struct {
        uint32_t dest;
        int hue;
    } cases[] = {{0xFFFF0000, 190},
                 {0xFF00FF00, 318},
                 {0xFF00FFFF, 383},
                 {0xFF0000FF, 62},
                 {0xFFFF00FF, 125}};
    for (const auto& c : cases) {
        int h, s, v;
        PIX_RgbToHsv(int(c.dest >> 16 & 255), int(c.dest >> 8 & 255), int(c.dest & 255), &h, &s,
                     &v);
        uint8_t p[4];
        std::memcpy(p, &c.dest, 4);
        PIX_CombineIntoPixel(p, 255, 128, 128, 255, 256, PIX_CombineHsvShift);
        uint32_t got;
        std::memcpy(&got, p, 4);
        EXPECT_EQ(got, PIX_HsvToColor(c.hue, s, v, 255)) << std::hex << c.dest;
    }
}

TEST(CombineColors, WeightZeroAndUnknownModesDrawNothing)
{
    const PIX_CombineMode modes[] = {0,       1,       2,       3,       4,       5,
                                     0x10000, 0x10001, 0x10002, 0x10003, 0x10004, 0x10005};
    for (PIX_CombineMode mode : modes) {
        EXPECT_EQ(PIX_CombineColors(0x12345678, 0x80FF00FF, 1.0f / 512, mode), 0x12345678u) << mode;
        EXPECT_EQ(PIX_CombineColors(0x12345678, 0x80FF00FF, std::nanf(""), mode), 0x12345678u)
            << mode;
    }
    for (PIX_CombineMode mode :
         {6u, 100u, 239u, 0xF0u, 0xF7u, 0xFFu, 0x100F3u, 0x10006u, 0x200F0u}) {
        EXPECT_EQ(PIX_CombineColors(0x12345678, 0x80FF00FF, 1.0f, mode), 0x12345678u) << mode;
        uint8_t p[4] = {1, 2, 3, 4};
        PIX_CombineIntoPixel(p, 9, 9, 9, 9, 256, mode);
        PIX_CombineIntoPixelClamped(p, 9, 9, 9, 9, 256, mode);
        EXPECT_EQ(std::memcmp(p, "\x01\x02\x03\x04", 4), 0) << mode;
    }
    EXPECT_EQ(PIX_CombineColors(0x12345678, 0x80FF00FF, -0.5f, PIX_CombineCopy), 0x12345678u);
}

// The dispatchers pick by operation and source-alpha flag only; the filter
// field and the other bits do not matter.
TEST(Dispatchers, ChooseTheKernelOfTheModeAndWeight)
{
    struct Row {
        PIX_CombineMode mode;
        PIX_PixelKernelFn general, opaque, generalClamped, opaqueClamped;
    };
    const PIX_PixelKernelFn storeClamped = [](uint8_t* p, int r, int g, int b, int a, int) {
        PIX_StorePixelClamped(p, r, g, b, a);
    };
    const Row rows[] = {
        {0, PIX_PixelKernelCopy, PIX_PixelKernelCopyOpaque, PIX_PixelKernelCopyClamped,
         storeClamped},
        {1, PIX_PixelKernelAdd, PIX_PixelKernelAdd, PIX_PixelKernelAdd, PIX_PixelKernelAdd},
        {2, PIX_PixelKernelDodge, PIX_PixelKernelDodge, PIX_PixelKernelDodge, PIX_PixelKernelDodge},
        {3, PIX_PixelKernelMultiply, PIX_PixelKernelMultiply, PIX_PixelKernelMultiplyClamped,
         PIX_PixelKernelMultiplyClamped},
        {4, PIX_PixelKernelSoftLight, PIX_PixelKernelSoftLight, PIX_PixelKernelSoftLight,
         PIX_PixelKernelSoftLight},
        {5, PIX_PixelKernelHsvShift, PIX_PixelKernelHsvShift, PIX_PixelKernelHsvShift,
         PIX_PixelKernelHsvShift},
        {0x10000, PIX_PixelKernelCopySourceAlpha, PIX_PixelKernelCopySourceAlphaOpaque,
         PIX_PixelKernelCopySourceAlphaClamped, PIX_PixelKernelCopySourceAlphaOpaqueClamped},
        {0x10001, PIX_PixelKernelAddSourceAlpha, PIX_PixelKernelAddSourceAlpha,
         PIX_PixelKernelAddSourceAlpha, PIX_PixelKernelAddSourceAlpha},
        {0x10002, PIX_PixelKernelDodgeSourceAlpha, PIX_PixelKernelDodgeSourceAlpha,
         PIX_PixelKernelDodgeSourceAlpha, PIX_PixelKernelDodgeSourceAlpha},
        {0x10003, PIX_PixelKernelMultiplySourceAlpha, PIX_PixelKernelMultiplySourceAlpha,
         PIX_PixelKernelMultiplySourceAlphaClamped, PIX_PixelKernelMultiplySourceAlphaClamped},
        {0x10004, PIX_PixelKernelSoftLightSourceAlpha, PIX_PixelKernelSoftLightSourceAlpha,
         PIX_PixelKernelSoftLightSourceAlpha, PIX_PixelKernelSoftLightSourceAlpha},
        {0x10005, PIX_PixelKernelHsvShiftSourceAlpha, PIX_PixelKernelHsvShiftSourceAlpha,
         PIX_PixelKernelHsvShiftSourceAlpha, PIX_PixelKernelHsvShiftSourceAlpha},
    };
    const int sources[][4] = {
        {200, 30, 128, 0}, {255, 255, 255, 255}, {1, 77, 190, 128}, {-40, 300, 1000, 700}};
    for (const Row& row : rows)
        for (PIX_CombineMode extra : {0u, 0x100u, 0xFF00u, 0xFF000000u})
            for (int w : {-300, -1, 1, 64, 128, 255, 256, 257, 1000})
                for (const auto& s : sources) {
                    const bool inRange = s[0] >= 0 && s[1] <= 255 && s[2] <= 255 && s[3] <= 255;
                    for (int clamped = 0; clamped < 2; ++clamped) {
                        if (!inRange && !clamped) continue;
                        PIX_PixelKernelFn want =
                            clamped ? (w == 256 ? row.opaqueClamped : row.generalClamped)
                                    : (w == 256 ? row.opaque : row.general);
                        if (row.mode == 0 && w < 0) want = nullptr;
                        uint8_t got[4] = {9, 140, 250, 60}, expected[4] = {9, 140, 250, 60};
                        (clamped ? PIX_CombineIntoPixelClamped : PIX_CombineIntoPixel)(
                            got, s[0], s[1], s[2], s[3], w, row.mode | extra);
                        if (want) want(expected, s[0], s[1], s[2], s[3], w);
                        EXPECT_EQ(std::memcmp(got, expected, 4), 0)
                            << "mode " << row.mode << " w " << w << " clamped " << clamped;
                    }
                }
}

TEST(Dispatchers, NullPixelIsLeftAlone)
{
    PIX_CombineIntoPixel(nullptr, 1, 2, 3, 4, 256, PIX_CombineCopy);
    PIX_CombineIntoPixelClamped(nullptr, 1, 2, 3, 4, 128,
                                PIX_CombineSourceAlpha | PIX_CombineHsvShift);
}

// Weights far outside 0..256 (alpha far above 1 or below 0) must stay
// defined in every kernel; the sanitizers watch this.
TEST(PixelKernels, ExtremeWeightsStayDefined)
{
    const PIX_PixelKernelFn kernels[] = {PIX_PixelKernelCopy,
                                         PIX_PixelKernelCopyOpaque,
                                         PIX_PixelKernelCopyClamped,
                                         PIX_PixelKernelAdd,
                                         PIX_PixelKernelDodge,
                                         PIX_PixelKernelMultiply,
                                         PIX_PixelKernelMultiplyClamped,
                                         PIX_PixelKernelSoftLight,
                                         PIX_PixelKernelHsvShift,
                                         PIX_PixelKernelCopySourceAlpha,
                                         PIX_PixelKernelCopySourceAlphaOpaque,
                                         PIX_PixelKernelCopySourceAlphaClamped,
                                         PIX_PixelKernelCopySourceAlphaOpaqueClamped,
                                         PIX_PixelKernelAddSourceAlpha,
                                         PIX_PixelKernelMultiplySourceAlpha,
                                         PIX_PixelKernelMultiplySourceAlphaClamped,
                                         PIX_PixelKernelDodgeSourceAlpha,
                                         PIX_PixelKernelSoftLightSourceAlpha,
                                         PIX_PixelKernelHsvShiftSourceAlpha};
    for (PIX_PixelKernelFn kernel : kernels)
        for (int w : {INT_MIN, INT_MIN + 1, -65536, 65536, INT_MAX})
            for (int s : {0, 1, 128, 255}) {
                uint8_t p[4] = {0, 255, 128, 7};
                kernel(p, s, 255 - s, s, 255, w);
            }
    for (float alpha : {1e30f, -1e30f, INFINITY, -INFINITY, 8388608.0f})
        for (PIX_CombineMode mode :
             {0u, 1u, 2u, 3u, 4u, 5u, 0x10000u, 0x10001u, 0x10002u, 0x10003u, 0x10004u, 0x10005u})
            PIX_CombineColors(0x80FF7F01, 0xFF01FE80, alpha, mode);
}

TEST(FloatToInt, TruncatesAndSaturates)
{
    const struct {
        double in;
        int out;
    } cases[] = {{1.9, 1},
                 {-1.9, -1},
                 {-0.5, 0},
                 {2147483520.0, 2147483520},
                 {2147483648.0, INT_MAX},
                 {1e20, INT_MAX},
                 {-2147483648.0, INT_MIN},
                 {-2147483648.9, INT_MIN},
                 {-1e20, INT_MIN},
                 {INFINITY, INT_MAX},
                 {-INFINITY, INT_MIN},
                 {std::nan(""), 0}};
    for (const auto& c : cases) EXPECT_EQ(PIX_TruncateToInt(c.in), c.out) << c.in;
    EXPECT_EQ(PIX_TruncateToInt(std::nanf("")), 0);
    EXPECT_EQ(PIX_TruncateToInt(3e9f), INT_MAX);
    EXPECT_EQ(PIX_WeightFromAlpha(1.0f), 256);
    EXPECT_EQ(PIX_WeightFromAlpha(0.99f), 253);
    EXPECT_EQ(PIX_WeightFromAlpha(1.0f / 512), 0);
    EXPECT_EQ(PIX_WeightFromAlpha(-0.01f), -2);
}

TEST(BilinearMix4, WeighsTheFourPixelsByTheFractions)
{
    const uint8_t row0[8] = {10, 20, 30, 40, 250, 0, 100, 255};
    const uint8_t row1[8] = {0, 255, 7, 128, 90, 60, 255, 1};
    uint32_t seed = 99;
    for (int n = 0; n < 20000; ++n) {
        seed = seed * 1664525u + 1013904223u;
        const int fx = n < 4 ? (n & 1) * 65535 : int(seed >> 16);
        const int fy = n < 4 ? (n >> 1) * 65535 : int(seed & 0xFFFF);
        const int64_t c = (int64_t(fx) * fy) >> 16;
        const int64_t w00 = 65536 - fx - fy + c, w01 = fx - c, w10 = fy - c, w11 = c;
        int out[4];
        PIX_BilinearMix4(&out[2], &out[1], &out[0], &out[3], row0, row1, fx, fy);
        for (int k = 0; k < 4; ++k)
            ASSERT_EQ(out[k], ref::Div(w00 * row0[k] + w01 * row0[4 + k] + w10 * row1[k] +
                                           w11 * row1[4 + k],
                                       65536))
                << fx << " " << fy << " channel " << k;
    }
    int r, g, b, a;
    PIX_BilinearMix4(&r, &g, &b, &a, row0, row1, 0, 0);
    EXPECT_EQ(r * 1000000 + g * 1000 + b, 30020010);
    EXPECT_EQ(a, 40);
}

TEST(StorePixelClamped, ClampsEachChannel)
{
    uint8_t p[4];
    PIX_StorePixelClamped(p, -5, 300, 128, 255);
    EXPECT_EQ(p[PIX_ChannelBlue], 128);
    EXPECT_EQ(p[PIX_ChannelGreen], 255);
    EXPECT_EQ(p[PIX_ChannelRed], 0);
    EXPECT_EQ(p[PIX_ChannelAlpha], 255);
}

TEST(PackedColor, LiesInMemoryAsBlueGreenRedAlpha)
{
    const PIX_PackedColor c = 0x44332211u;
    uint8_t bytes[4];
    std::memcpy(bytes, &c, 4);
    EXPECT_EQ(bytes[PIX_ChannelBlue], 0x11);
    EXPECT_EQ(bytes[PIX_ChannelGreen], 0x22);
    EXPECT_EQ(bytes[PIX_ChannelRed], 0x33);
    EXPECT_EQ(bytes[PIX_ChannelAlpha], 0x44);
}

TEST(ReciprocalTable, HoldsTruncatedReciprocals)
{
    for (int i = 0; i < 256; ++i) EXPECT_EQ(PIX_ReciprocalTable[i], ref::Reciprocal(i)) << i;
    EXPECT_EQ(PIX_ReciprocalTable[1], 65535);
    EXPECT_EQ(PIX_ReciprocalTable[5], 13106);
    EXPECT_EQ(PIX_ReciprocalTable[255], 256);
}

TEST(Box, IsEmptyWithoutPositiveWidthAndHeight)
{
    EXPECT_FALSE((PIX_Box{0, 0, 1, 1}.IsEmpty()));
    EXPECT_TRUE((PIX_Box{5, 0, 5, 10}.IsEmpty()));
    EXPECT_TRUE((PIX_Box{0, 3, 10, 2}.IsEmpty()));
}

}  // namespace
