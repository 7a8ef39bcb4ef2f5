#include "app/audio_stream_watch.h"

void AudioStreamWatch::Started(uint64_t nowMs, unsigned sampleRate, unsigned bufferFrames,
                               uint64_t frames)
{
    *this = AudioStreamWatch();
    mRunning = true;
    mSampleRate = sampleRate;
    if (sampleRate > 0) {
        const uint64_t threePeriodsMs = 3000 * uint64_t(bufferFrames) / sampleRate;
        if (threePeriodsMs > mStallMs) mStallMs = threePeriodsMs;
    }
    mStartMs = nowMs;
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
        if (mChanges++ == 0) mFirstFramesMs = nowMs;
        mLastFrames = frames;
        mLastChangeMs = nowMs;
    }
    if (mChanges < 2)
        return nowMs - mStartMs >= kFirstBufferMs ? Tell(AudioStreamTrouble::NoSound)
                                                  : AudioStreamTrouble::None;
    if (nowMs - mLastChangeMs >= mStallMs) return Tell(AudioStreamTrouble::Stopped);
    return mToldTooSlow ? AudioStreamTrouble::None : CheckRate(nowMs, frames);
}

AudioStreamTrouble AudioStreamWatch::CheckRate(uint64_t nowMs, uint64_t frames)
{
    if (!mWindowOpen) {
        if (nowMs - mFirstFramesMs < kSettleMs) return AudioStreamTrouble::None;
        mWindowOpen = true;
        mWindowStartMs = nowMs;
        mWindowFrames = frames;
        return AudioStreamTrouble::None;
    }
    const uint64_t elapsedMs = nowMs - mWindowStartMs;
    if (elapsedMs < kRateWindowMs || mSampleRate == 0) return AudioStreamTrouble::None;
    const uint64_t expected = uint64_t(mSampleRate) * elapsedMs;  // frames times 1000
    mDeliveredPercent = unsigned((frames - mWindowFrames) * 100000 / expected);
    mWindowStartMs = nowMs;
    mWindowFrames = frames;
    return mDeliveredPercent < kTooSlowPercent ? Tell(AudioStreamTrouble::TooSlow)
                                               : AudioStreamTrouble::None;
}

AudioStreamTrouble AudioStreamWatch::Tell(AudioStreamTrouble trouble)
{
    if (trouble == AudioStreamTrouble::TooSlow)
        mToldTooSlow = true;
    else
        mFailed = true;
    return trouble;
}
