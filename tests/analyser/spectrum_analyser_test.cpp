#include "analyser/spectrum_analyser.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

constexpr double kSpeed500At44100 = 500 * (1.0 / 44100);

class SpectrumAnalyserTest : public testing::Test {
protected:
    void SetUp() override
    {
        analyser->SetWindowType(0);
        ASSERT_TRUE(analyser->ResetRings());
    }

    // Feeds samples one at a time; returns the sample indexes that gave a column.
    std::vector<int> Feed(const std::vector<double>& left, const std::vector<double>& right)
    {
        std::vector<int> hops;
        for (size_t i = 0; i < left.size(); ++i) {
            const int before = analyser->Shared()->writeIndex;
            analyser->ProcessSamples(&left[i], &right[i], 1);
            if (analyser->Shared()->writeIndex != before) hops.push_back(int(i));
        }
        return hops;
    }

    std::vector<int> FeedSilence(int n)
    {
        return Feed(std::vector<double>(n), std::vector<double>(n));
    }

    const SpectrumColumn& Newest()
    {
        const SpectrumShared* shared = analyser->Shared();
        return shared->columns[(shared->writeIndex + 1023) % 1024];
    }

    std::unique_ptr<SpectrumAnalyser> analyser = std::make_unique<SpectrumAnalyser>();
};

TEST(SpectrumAnalyserBeforeReset, IsZeroedAndIdle)
{
    auto analyser = std::make_unique<SpectrumAnalyser>();
    const SpectrumShared* shared = analyser->Shared();
    EXPECT_EQ(shared->writeIndex, 0);
    EXPECT_EQ(shared->skippedCount, 0);
    EXPECT_FALSE(shared->pending);
    EXPECT_EQ(shared->columns[1023].bins[255][3], 0.0f);
    EXPECT_EQ(analyser->LeftRing().samples, nullptr);
    EXPECT_EQ(analyser->LeftRing().count, 0);

    analyser->SetHopIncrement(1.0);
    const double samples[4] = {1, 2, 3, 4};
    analyser->ProcessSamples(samples, samples, 4);  // no rings yet: nothing happens
    EXPECT_EQ(shared->writeIndex, 0);
    EXPECT_EQ(analyser->InputPosition(), 0);
}

TEST_F(SpectrumAnalyserTest, ResetGivesZeroedRings)
{
    EXPECT_EQ(analyser->LeftRing().count, 512);
    EXPECT_EQ(analyser->RightRing().byteSize, 2048);
    for (int i = 0; i < 512; ++i) ASSERT_EQ(analyser->RightRing().samples[i], 0.0f);
}

TEST_F(SpectrumAnalyserTest, HopTimingAtSpeed500)
{
    analyser->SetHopIncrement(kSpeed500At44100);
    const std::vector<int> hops = FeedSilence(1000);
    ASSERT_EQ(hops.size(), 11u);
    EXPECT_EQ(hops[0], 89);  // the 90th sample
}

TEST_F(SpectrumAnalyserTest, AnIncrementOfOneOrMoreGivesOneColumnPerSample)
{
    for (double increment : {1.0, 2.5, 44100.0}) {
        ASSERT_TRUE(analyser->ResetRings());
        analyser->SetHopIncrement(increment);
        const std::vector<int> hops = FeedSilence(50);
        ASSERT_EQ(hops.size(), 49u) << increment;  // the first sample only starts the phase
        EXPECT_EQ(hops[0], 1);
    }
}

TEST_F(SpectrumAnalyserTest, ZeroFramesDoNothing)
{
    analyser->SetHopIncrement(1.0);
    FeedSilence(3);
    const int position = analyser->InputPosition(), index = analyser->Shared()->writeIndex;
    analyser->ProcessSamples(nullptr, nullptr, 0);
    EXPECT_EQ(analyser->InputPosition(), position);
    EXPECT_EQ(analyser->Shared()->writeIndex, index);
}

TEST_F(SpectrumAnalyserTest, TheWriteIndexRunsRoundTheRing)
{
    analyser->SetHopIncrement(1.0);
    FeedSilence(1031);
    EXPECT_EQ(analyser->Shared()->writeIndex, 6);
    EXPECT_EQ(analyser->Shared()->scrollAnchor, 6);
    EXPECT_EQ(analyser->InputPosition(), 1031 % 512);
}

TEST_F(SpectrumAnalyserTest, FreezingKeepsTheRingAndCountsHops)
{
    analyser->SetHopIncrement(1.0);
    std::vector<double> ramp(600);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = std::sin(0.1 * double(i));
    Feed(ramp, ramp);
    SpectrumShared* shared = analyser->Shared();
    const int index = shared->writeIndex;
    std::vector<SpectrumColumn> before(shared->columns, shared->columns + 1024);

    analyser->SetFrozen(true);
    const std::vector<int> hops = Feed(ramp, ramp);
    EXPECT_TRUE(hops.empty());
    EXPECT_EQ(shared->writeIndex, index);
    EXPECT_EQ(shared->scrollAnchor, index);
    EXPECT_EQ(shared->skippedCount, 600);
    EXPECT_TRUE(shared->pending);
    EXPECT_EQ(std::memcmp(before.data(), shared->columns, sizeof shared->columns), 0);

    analyser->SetFrozen(false);
    FeedSilence(1);
    EXPECT_EQ(shared->writeIndex, index + 1);
    EXPECT_EQ(shared->skippedCount, 0);
    EXPECT_FALSE(shared->pending);
}

TEST_F(SpectrumAnalyserTest, AJustStoredImpulseIsWindowedByTheFirstEntry)
{
    analyser->SetHopIncrement(1.0);
    Feed({0.0, 1.0}, {0.0, 0.0});  // the hop comes with the second sample
    const float w0 = analyser->WindowTable()[0];
    ASSERT_NE(w0, 0.0f);
    const SpectrumColumn& column = Newest();
    EXPECT_EQ(column.bins[0][0], w0);  // DC
    EXPECT_EQ(column.bins[0][1], w0);  // Nyquist
    for (int k = 1; k < 256; ++k) {
        ASSERT_EQ(column.bins[k][0], w0) << k;
        ASSERT_EQ(column.bins[k][1], 0.0f) << k;
    }
}

TEST_F(SpectrumAnalyserTest, ColumnIsTheRotatedFrameOfBothChannelsPacked)
{
    analyser->SetWindowType(3);
    analyser->SetHopIncrement(1.0 / 650);
    std::vector<double> left(700), right(700);
    for (int i = 0; i < 700; ++i) {
        left[i] = std::sin(0.05 * i) + 0.001 * i;
        right[i] = 0.0;
    }
    const std::vector<int> hops = Feed(left, right);
    ASSERT_EQ(hops.size(), 1u);
    const int newest = hops[0];
    ASSERT_GE(newest, 600);

    // Newest sample first, then the oldest to the second newest.
    const float* w = analyser->WindowTable();
    std::vector<float> frame(512), spectrum(512);
    frame[0] = float(left[newest]) * w[0];
    for (int k = 1; k < 512; ++k) frame[k] = float(left[newest - 512 + k]) * w[k];
    RealFft fft;
    fft.Transform(frame.data(), spectrum.data());

    const SpectrumColumn& column = Newest();
    EXPECT_EQ(column.bins[0][0], spectrum[0]);
    EXPECT_EQ(column.bins[0][1], spectrum[256]);
    for (int k = 1; k < 256; ++k) {
        ASSERT_EQ(column.bins[k][0], spectrum[k]) << k;
        ASSERT_EQ(column.bins[k][1], spectrum[256 + k]) << k;
    }
    for (int k = 0; k < 256; ++k) {  // the silent right channel stays 0 everywhere
        ASSERT_EQ(column.bins[k][2], 0.0f) << k;
        ASSERT_EQ(column.bins[k][3], 0.0f) << k;
    }
}

uint64_t Fnv1a(const void* data, size_t size, uint64_t hash)
{
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}

// The same input gives the same bits in every build: the windows, the
// transform and the columns. The constant was taken from one build and
// holds in the other.
TEST_F(SpectrumAnalyserTest, ColumnsAreTheSameBitForBitInEveryBuild)
{
    uint64_t hash = 14695981039346656037ull;
    analyser->SetHopIncrement(2000 * (1.0 / 44100));
    std::vector<double> left(4096), right(4096);
    uint32_t noise = 12345;
    for (int i = 0; i < 4096; ++i) {
        noise = noise * 1664525u + 1013904223u;
        left[i] = std::sin(0.031 * i) * 0.7 + double(noise >> 8) / double(1 << 24) - 0.5;
        right[i] = std::cos(0.17 * i) * 0.25;
    }
    for (int type = 0; type < 5; ++type) {
        analyser->SetWindowType(type);
        hash = Fnv1a(analyser->WindowTable(), 512 * sizeof(float), hash);
        Feed(left, right);
    }
    hash = Fnv1a(analyser->Shared()->columns, sizeof analyser->Shared()->columns, hash);
    EXPECT_EQ(hash, 322119269036586390ull) << std::hex << hash;
}

}  // namespace
