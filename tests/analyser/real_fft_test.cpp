#include "analyser/real_fft.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

using Frame = std::vector<float>;

Frame Transform(const Frame& x)
{
    RealFft fft;
    Frame out(512, -99.0f);
    fft.Transform(x.data(), out.data());
    return out;
}

// The transform's formula in double precision, in the output layout.
std::vector<double> Reference(const Frame& x)
{
    std::vector<double> out(512, 0.0);
    const double pi = std::acos(-1.0);
    for (int k = 0; k <= 256; ++k) {
        double re = 0, im = 0;
        for (int n = 0; n < 512; ++n) {
            const double angle = 2 * pi * double((n * k) % 512) / 512;
            re += x[n] * std::cos(angle);
            im += x[n] * std::sin(angle);
        }
        out[k] = re;
        if (k > 0 && k < 256) out[256 + k] = im;
    }
    return out;
}

// The stages as written out: first stage into W, then L = 8 to 512
// alternating W -> O -> W, every value rounded to single precision.
Frame Stagewise(const Frame& x, const RealFft& tables)
{
    const int* reversal = tables.BitReversalTable();
    const float* cosines = tables.CosineTable();
    Frame w(512), o(512);
    for (int i = 0; i < 128; ++i) {
        const int r = reversal[i];
        const float a = x[r], b = x[r + 256], c = x[r + 128], d = x[r + 384];
        w[4 * i] = (a + b) + (c + d);
        w[4 * i + 1] = a - b;
        w[4 * i + 2] = (a + b) - (c + d);
        w[4 * i + 3] = c - d;
    }
    Frame* source = &w;
    Frame* destination = &o;
    for (int L = 8; L <= 512; L *= 2, std::swap(source, destination)) {
        const int H = L / 2, Q = L / 4;
        for (int block = 0; block < 512; block += L) {
            const float* S = source->data() + block;
            float* D = destination->data() + block;
            D[0] = S[0] + S[H];
            D[H] = S[0] - S[H];
            D[Q] = S[Q];
            D[H + Q] = S[H + Q];
            for (int m = 1; m < Q; ++m) {
                const float c = cosines[m * 512 / L], s = cosines[128 - m * 512 / L];
                const float p = S[m], q = S[Q + m], u = S[H + m], v = S[H + Q + m];
                const float t1 = u * c - v * s, t2 = v * c + u * s;
                D[m] = p + t1;
                D[H - m] = p - t1;
                D[H + m] = q + t2;
                D[L - m] = t2 - q;
            }
        }
    }
    return *source;  // the last stage wrote O
}

TEST(RealFft, ComputesExactlyTheStagesBitForBit)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    RealFft tables;
    for (int trial = 0; trial < 8; ++trial) {
        Frame x(512);
        for (float& v : x) v = unit(random) * float(1 << (trial * 3));
        const Frame out = Transform(x);
        const Frame expected = Stagewise(x, tables);
        ASSERT_EQ(std::memcmp(out.data(), expected.data(), 512 * sizeof(float)), 0) << trial;
    }
}

TEST(RealFft, ScalarButterfliesGiveTheSameBits)
{
    // Subnormal to large magnitudes; none overflows.
    std::mt19937 random(5);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    RealFft fft;
    for (const int exponent : {-140, -70, 0, 30, 100}) {
        Frame x(512);
        for (float& v : x) v = std::ldexp(unit(random), exponent);
        Frame vector(512, -99.0f), scalar(512, -99.0f);
        fft.Transform(x.data(), vector.data());
        fft.TransformScalar(x.data(), scalar.data());
        ASSERT_EQ(std::memcmp(vector.data(), scalar.data(), 512 * sizeof(float)), 0) << exponent;
    }
}

TEST(RealFft, BuffersAtAnyFloatOffsetGiveTheScalarBits)
{
    // The vector path moves four floats at a time wherever the buffers start.
    std::mt19937 random(3);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    RealFft fft;
    Frame x(512), expected(512);
    for (float& v : x) v = unit(random);
    fft.TransformScalar(x.data(), expected.data());
    std::vector<float> input(512 + 3), output(512 + 3);
    for (int in = 0; in < 4; ++in) {
        for (int out = 0; out < 4; ++out) {
            std::copy(x.begin(), x.end(), input.begin() + in);
            fft.Transform(input.data() + in, output.data() + out);
            ASSERT_EQ(std::memcmp(output.data() + out, expected.data(), 512 * sizeof(float)), 0)
                << in << " " << out;
        }
    }
}

TEST(RealFft, Tables)
{
    RealFft fft;
    const int* reversal = fft.BitReversalTable();
    const float* cosines = fft.CosineTable();
    EXPECT_EQ(reversal[0], 0);
    EXPECT_EQ(reversal[1], 64);
    EXPECT_EQ(reversal[3], 96);
    EXPECT_EQ(reversal[127], 127);
    for (int i = 0; i < 128; ++i) {
        int r = 0;
        for (int b = 0; b < 7; ++b) r |= ((i >> b) & 1) << (6 - b);
        ASSERT_EQ(reversal[i], r) << i;
    }
    EXPECT_EQ(cosines[0], 1.0f);
    EXPECT_EQ(cosines[64], 0.70710677f);
}

TEST(RealFft, ImpulseAtOneHasAPositiveSine)
{
    Frame x(512, 0.0f);
    x[1] = 1.0f;
    const Frame out = Transform(x);
    EXPECT_NEAR(out[1], 0.99992470, 1e-7);
    EXPECT_NEAR(out[257], 0.01227154, 1e-7);
}

TEST(RealFft, OnesAndAlternatingSigns)
{
    struct Case {
        bool alternating;
        int peak;
    };
    for (const Case c : {Case{false, 0}, Case{true, 256}}) {
        Frame x(512);
        for (int n = 0; n < 512; ++n) x[n] = c.alternating && (n & 1) ? -1.0f : 1.0f;
        const Frame out = Transform(x);
        for (int k = 0; k < 512; ++k) ASSERT_NEAR(out[k], k == c.peak ? 512.0 : 0.0, 1e-4) << k;
    }
}

TEST(RealFft, MatchesTheFormulaForRandomInput)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    for (int trial = 0; trial < 4; ++trial) {
        Frame x(512);
        for (float& v : x) v = unit(random);
        const Frame out = Transform(x);
        const std::vector<double> expected = Reference(x);
        for (int k = 0; k < 512; ++k)
            ASSERT_NEAR(out[k], expected[k], 2e-5 * std::sqrt(512.0)) << k;
    }
}

TEST(RealFft, UpperHalfHoldsOnlyImaginaryParts)
{
    // A real, even signal has no imaginary parts: positions 257..511 stay 0
    // while the real parts are spread over the bins.
    Frame x(512);
    for (int n = 0; n < 512; ++n) x[n] = float(std::cos(2 * std::acos(-1.0) * 5 * n / 512) + 0.5);
    const Frame out = Transform(x);
    EXPECT_NEAR(out[0], 256.0, 1e-3);
    EXPECT_NEAR(out[5], 256.0, 1e-3);
    for (int k = 257; k < 512; ++k) ASSERT_NEAR(out[k], 0.0, 1e-3) << k;

    // A sine shows only there.
    for (int n = 0; n < 512; ++n) x[n] = float(std::sin(2 * std::acos(-1.0) * 9 * n / 512));
    const Frame sine = Transform(x);
    EXPECT_NEAR(sine[256 + 9], 256.0, 1e-3);
    for (int k = 0; k <= 256; ++k) ASSERT_NEAR(sine[k], 0.0, 1e-3) << k;
}

TEST(RealFft, InputIsOnlyRead)
{
    Frame x(512);
    for (int n = 0; n < 512; ++n) x[n] = float(n % 17);
    const Frame copy = x;
    Transform(x);
    EXPECT_EQ(x, copy);
}

}  // namespace
