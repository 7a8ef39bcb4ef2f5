#include "app/audio_stream_watch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using Trouble = AudioStreamTrouble;
using Watch = AudioStreamWatch;

constexpr unsigned kRate = 44100;

// Feeds the watch, every 250 ms from the start at 0, the frames that have
// arrived by then (framesAt) and gives the first trouble with its time.
struct Finding {
    Trouble trouble;
    uint64_t atMs;
};

template <typename FramesAt>
Finding Watching(FramesAt framesAt, uint64_t forMs = 20000)
{
    Watch watch;
    watch.Started(0, kRate, 512, framesAt(0));
    for (uint64_t t = 250; t <= forMs; t += 250) {
        const Trouble trouble = watch.Check(t, framesAt(t));
        if (trouble != Trouble::None) return {trouble, t};
    }
    return {Trouble::None, forMs};
}

// 512-frame buffers at real time from firstMs on, none after lastMs.
auto RealTime(uint64_t firstMs, uint64_t lastMs = UINT64_MAX)
{
    return [=](uint64_t t) -> uint64_t {
        if (t < firstMs) return 1000;  // the count of earlier streams
        const uint64_t until = t < lastMs ? t : lastMs;
        return 1000 + (until - firstMs) * kRate / 1000 / 512 * 512;
    };
}

TEST(AudioStreamWatch, AStreamThatDeliversInTimeIsNoTrouble)
{
    // Devices under Wine deliver their first buffers about 2 s after the start.
    for (uint64_t first : {0, 2000, 4500})
        EXPECT_EQ(Watching(RealTime(first)).trouble, Trouble::None);
}

TEST(AudioStreamWatch, FewerThanTwoBuffersWithinTheFirstFiveSecondsIsNoSound)
{
    // The audio library calls once before its devices run.
    for (uint64_t onlyBuffer : {UINT64_MAX, uint64_t(250)}) {
        const Finding finding =
            Watching([=](uint64_t t) -> uint64_t { return t >= onlyBuffer ? 512 : 0; });
        EXPECT_EQ(finding.trouble, Trouble::NoSound);
        EXPECT_EQ(finding.atMs, Watch::kFirstBufferMs);
    }
}

TEST(AudioStreamWatch, AStreamThatDeliversNothingIsOpenedAgainOnceBeforeItIsTold)
{
    Watch watch;
    watch.Started(0, kRate, 512, 0, true);
    EXPECT_EQ(watch.Check(Watch::kFirstBufferMs - 250, 512), Trouble::None);
    EXPECT_EQ(watch.Check(Watch::kFirstBufferMs, 512), Trouble::Reopen);
    EXPECT_TRUE(watch.Failed());
    EXPECT_EQ(watch.Check(2 * Watch::kFirstBufferMs, 512), Trouble::None);

    // Opened again: told when it delivers nothing either.
    watch.Started(10000, kRate, 512, 512);
    EXPECT_EQ(watch.Check(10000 + Watch::kFirstBufferMs, 1024), Trouble::NoSound);

    // One that delivers is no trouble.
    const auto framesAt = RealTime(2000);
    watch.Started(0, kRate, 512, framesAt(0), true);
    for (uint64_t t = 250; t <= 20000; t += 250)
        ASSERT_EQ(watch.Check(t, framesAt(t)), Trouble::None) << t;
}

TEST(AudioStreamWatch, AFirstCheckThatComesLateCountsTheBuffersItFinds)
{
    // The UI thread busy for 6 s after the start: its first check finds one
    // change, of many buffers.
    Watch watch;
    const auto framesAt = RealTime(250);
    watch.Started(0, kRate, 512, framesAt(0));
    for (uint64_t t = 6000; t <= 20000; t += 250)
        ASSERT_EQ(watch.Check(t, framesAt(t)), Trouble::None) << t;
}

TEST(AudioStreamWatch, FramesThatStopForTwoSecondsAreAStop)
{
    struct Case {
        uint64_t first, last;
    };
    for (const Case c : {Case{0, 600}, Case{2000, 9000}, Case{2000, 2500}}) {
        const Finding finding = Watching(RealTime(c.first, c.last));
        EXPECT_EQ(finding.trouble, Trouble::Stopped) << c.last;
        // The last change is seen at the first check at or after it.
        EXPECT_GE(finding.atMs, c.last + Watch::kStallMs) << c.last;
        EXPECT_LE(finding.atMs, c.last + Watch::kStallMs + 250) << c.last;
    }
}

TEST(AudioStreamWatch, FewerThanHalfTheFramesOfRealTimeIsTooSlow)
{
    // Buffers of 32 frames at 100 a second: 7% of real time.
    Watch watch;
    watch.Started(0, kRate, 32, 0);
    Trouble trouble = Trouble::None;
    uint64_t t = 0;
    while (trouble == Trouble::None && t < 20000) {
        t += 250;
        trouble = watch.Check(t, t / 10 * 32);
    }
    EXPECT_EQ(trouble, Trouble::TooSlow);
    EXPECT_EQ(watch.DeliveredPercent(), 7u);
    EXPECT_EQ(t, 250 + Watch::kSettleMs + Watch::kRateWindowMs);
    EXPECT_FALSE(watch.Failed());  // it runs; a larger size is the remedy

    // Just above half: no trouble.
    EXPECT_EQ(Watching([](uint64_t ms) { return ms * kRate * 51 / 100 / 1000; }).trouble,
              Trouble::None);

    // A slow stream that then stops is told again, and has failed.
    const uint64_t stopMs = t + 1000;
    while (trouble != Trouble::Stopped && t < 30000) {
        t += 250;
        trouble = watch.Check(t, std::min(t, stopMs) / 10 * 32);
    }
    EXPECT_EQ(trouble, Trouble::Stopped);
    EXPECT_TRUE(watch.Failed());
}

TEST(AudioStreamWatch, AStreamThatStopsIsToldStoppedOnlyWhereverItsRateWindowIs)
{
    // Real time from 2 s on, then none from any point of the first rate
    // windows: the window that the stop cuts short is no slow stream.
    const uint64_t windowOpensMs = 2000 + Watch::kSettleMs;
    for (uint64_t stopMs = windowOpensMs; stopMs < windowOpensMs + 2 * Watch::kRateWindowMs;
         stopMs += 125) {
        Watch watch;
        const auto framesAt = RealTime(2000, stopMs);
        watch.Started(0, kRate, 512, framesAt(0));
        std::vector<Trouble> told;
        for (uint64_t t = 250; t <= 30000; t += 250) {
            const Trouble trouble = watch.Check(t, framesAt(t));
            if (trouble != Trouble::None) told.push_back(trouble);
        }
        EXPECT_EQ(told, std::vector<Trouble>{Trouble::Stopped}) << "stop at " << stopMs;
    }
}

TEST(AudioStreamWatch, BuffersLongerThanTheStallBoundAreNoStop)
{
    // 8192 frames at 4000 Hz: a buffer every 2.048 s.
    Watch watch;
    watch.Started(0, 4000, 8192, 0);
    for (uint64_t t = 250; t <= 30000; t += 250)
        ASSERT_EQ(watch.Check(t, (t / 2048) * 8192), Trouble::None) << t;
}

TEST(AudioStreamWatch, EachStartIsToldOnceAndAnEndedStreamNotAtAll)
{
    Watch watch;
    watch.Started(0, kRate, 32, 0);
    EXPECT_EQ(watch.Check(Watch::kFirstBufferMs, 0), Trouble::NoSound);
    EXPECT_TRUE(watch.Failed());
    EXPECT_EQ(watch.Check(2 * Watch::kFirstBufferMs, 0), Trouble::None);
    EXPECT_TRUE(watch.Failed());

    watch.Started(20000, kRate, 512, 0);  // a restart watches afresh
    EXPECT_FALSE(watch.Failed());
    EXPECT_EQ(watch.Check(20000 + Watch::kFirstBufferMs, 0), Trouble::NoSound);

    watch.Ended();
    EXPECT_FALSE(watch.Failed());
    EXPECT_EQ(watch.Check(60000, 0), Trouble::None);
}

TEST(AudioStreamWatch, AStreamTheLibraryStoppedIsAStopToldOnce)
{
    Watch watch;
    watch.Started(0, kRate, 512, 0);
    EXPECT_EQ(watch.Check(2000, 20 * 512), Trouble::None);
    EXPECT_EQ(watch.LibraryStopped(), Trouble::Stopped);
    EXPECT_TRUE(watch.Failed());
    EXPECT_EQ(watch.LibraryStopped(), Trouble::None);
    EXPECT_EQ(watch.Check(10000, 20 * 512), Trouble::None);

    // Nothing more after a stream that was told to deliver no sound, or ended.
    watch.Started(20000, kRate, 512, 0);
    EXPECT_EQ(watch.Check(20000 + Watch::kFirstBufferMs, 0), Trouble::NoSound);
    EXPECT_EQ(watch.LibraryStopped(), Trouble::None);
    watch.Ended();
    EXPECT_EQ(watch.LibraryStopped(), Trouble::None);
}

}  // namespace
