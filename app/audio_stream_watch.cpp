#include "app/audio_stream_watch.h"

#include <algorithm>

void AudioStreamWatch::Started(uint64_t nowMs, unsigned sampleRate, unsigned bufferFrames,
                               uint64_t frames, bool reopenIfSilent)
{
    *this = AudioStreamWatch();
    mRunning = true;
    mReopenIfSilent = reopenIfSilent;
    mSampleRate = sampleRate;
    if (sampleRate > 0) {
        const uint64_t threePeriodsMs = 3000 * uint64_t(bufferFrames) / sampleRate;
        if (threePeriodsMs > mStallMs) mStallMs = threePeriodsMs;
    }
    mBufferFrames = bufferFrames;
    mStartMs = nowMs;
    mStartFrames = frames;
    mLastFrames = frames;
    mLastChangeMs = nowMs;
}

void AudioStreamWatch::Ended()
{
    *this = AudioStreamWatch();
}

AudioStreamTrouble AudioStreamWatch::Check(uint64_t nowMs, uint64_t frames)
{
    if (!mRunning || mFailed) return AudioStreamTrouble::None;
    if (frames != mLastFrames) {
        if (mLastFrames == mStartFrames) mFirstFramesMs = nowMs;
        mLastFrames = frames;
        mWindowLongestGapMs = std::max(mWindowLongestGapMs, nowMs - mLastChangeMs);
        mLastChangeMs = nowMs;
    }
    // Counted in frames: checks that come late (a busy UI thread) may see
    // many buffers at once.
    if (frames - mStartFrames < 2 * uint64_t(mBufferFrames)) {
        if (nowMs - mStartMs < kFirstBufferMs) return AudioStreamTrouble::None;
        return Tell(mReopenIfSilent ? AudioStreamTrouble::Reopen : AudioStreamTrouble::NoSound);
    }
    if (nowMs - mLastChangeMs >= mStallMs) return Tell(AudioStreamTrouble::Stopped);
    return mToldTooSlow ? AudioStreamTrouble::None : CheckRate(nowMs, frames);
}

AudioStreamTrouble AudioStreamWatch::LibraryStopped()
{
    if (!mRunning || mFailed) return AudioStreamTrouble::None;
    return Tell(AudioStreamTrouble::Stopped);
}

AudioStreamTrouble AudioStreamWatch::CheckRate(uint64_t nowMs, uint64_t frames)
{
    if (!mWindowOpen) {
        if (nowMs - mFirstFramesMs < kSettleMs) return AudioStreamTrouble::None;
        mWindowOpen = true;
        OpenWindow(nowMs, frames);
        return AudioStreamTrouble::None;
    }
    const uint64_t elapsedMs = nowMs - mWindowStartMs;
    if (elapsedMs < kRateWindowMs || mSampleRate == 0) return AudioStreamTrouble::None;
    const uint64_t expected = uint64_t(mSampleRate) * elapsedMs;  // frames times 1000
    const unsigned percent = unsigned((frames - mWindowFrames) * 100000 / expected);
    // A gap that a stop would leave: the stall check will tell; a pause
    // within the window is no steady rate either.
    const uint64_t longestGapMs = std::max(mWindowLongestGapMs, nowMs - mLastChangeMs);
    OpenWindow(nowMs, frames);
    if (longestGapMs >= mStallMs / 2) return AudioStreamTrouble::None;
    mDeliveredPercent = percent;
    return percent < kTooSlowPercent ? Tell(AudioStreamTrouble::TooSlow) : AudioStreamTrouble::None;
}

void AudioStreamWatch::OpenWindow(uint64_t nowMs, uint64_t frames)
{
    mWindowStartMs = nowMs;
    mWindowFrames = frames;
    mWindowLongestGapMs = 0;
}

AudioStreamTrouble AudioStreamWatch::Tell(AudioStreamTrouble trouble)
{
    if (trouble == AudioStreamTrouble::TooSlow)
        mToldTooSlow = true;
    else
        mFailed = true;
    return trouble;
}
