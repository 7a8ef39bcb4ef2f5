#pragma once

#include <cstdint>

// What the user is to hear of a stream that runs but does not deliver.
enum class AudioStreamTrouble {
    None,
    Reopen,   // no buffer arrived after the start: open the stream again
    NoSound,  // no buffer arrived after the start
    Stopped,  // buffers arrived, then none
    TooSlow,  // buffers arrive with far fewer frames than real time
};

// Watches the running stream through the count of frames its callback has
// received, read a few times a second on the UI thread. Times are in
// milliseconds of any steady clock.
class AudioStreamWatch {
public:
    static constexpr uint64_t kFirstBufferMs = 5000;  // devices under Wine take about 2 s
    static constexpr uint64_t kStallMs = 2000;        // or three buffer periods, when longer
    static constexpr uint64_t kSettleMs = 2000;       // from the first buffer to full speed
    static constexpr uint64_t kRateWindowMs = 3000;
    static constexpr uint64_t kTooSlowPercent = 50;

    // A stream of bufferFrames-frame buffers started at nowMs; frames is the
    // count then. With reopenIfSilent, a stream that delivers nothing is
    // found Reopen in place of NoSound.
    void Started(uint64_t nowMs, unsigned sampleRate, unsigned bufferFrames, uint64_t frames,
                 bool reopenIfSilent = false);
    // No stream runs.
    void Ended();

    // The trouble found now, each kind told once per start (None otherwise):
    // NoSound when fewer than two buffers arrived within kFirstBufferMs of the
    // start (the audio library calls once before its devices run), Stopped
    // when none arrived for the stall bound after that, TooSlow when over a
    // window of kRateWindowMs, kSettleMs after the first frames, fewer than
    // kTooSlowPercent of real time arrived while frames went on arriving:
    // a window with a gap of half the stall bound (a stop, or a pause) is no
    // measure of the rate. After Reopen, NoSound or Stopped nothing more is
    // told.
    AudioStreamTrouble Check(uint64_t nowMs, uint64_t frames);
    // The audio library stopped the stream on an error: Stopped, unless this
    // start was found delivering nothing already (then None).
    AudioStreamTrouble LibraryStopped();

    // Whether the stream was found delivering nothing (Reopen, NoSound or
    // Stopped).
    bool Failed() const { return mFailed; }
    // Frames of the last full window in percent of real time.
    unsigned DeliveredPercent() const { return mDeliveredPercent; }

private:
    AudioStreamTrouble Tell(AudioStreamTrouble trouble);
    AudioStreamTrouble CheckRate(uint64_t nowMs, uint64_t frames);
    void OpenWindow(uint64_t nowMs, uint64_t frames);

    bool mRunning = false;
    bool mToldTooSlow = false;
    bool mFailed = false;
    bool mReopenIfSilent = false;
    unsigned mSampleRate = 0;
    uint64_t mStallMs = kStallMs;
    unsigned mBufferFrames = 0;
    uint64_t mStartMs = 0;
    uint64_t mStartFrames = 0;
    uint64_t mLastFrames = 0;
    uint64_t mLastChangeMs = 0;
    uint64_t mFirstFramesMs = 0;
    bool mWindowOpen = false;
    uint64_t mWindowStartMs = 0;
    uint64_t mWindowFrames = 0;
    uint64_t mWindowLongestGapMs = 0;  // between frames seen in the window
    unsigned mDeliveredPercent = 100;
};
