#include "app/audio_stream_watch.h"

void AudioStreamWatch::Started(uint64_t nowMs, unsigned sampleRate, uint64_t frames)
{
    *this = AudioStreamWatch();
    mRunning = true;
    mSampleRate = sampleRate;
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
    if (!mRunning || mTold) return AudioStreamTrouble::None;
    if (frames != mLastFrames) {
        if (!mDelivering) mFirstFramesMs = nowMs;
        mDelivering = true;
        mLastFrames = frames;
        mLastChangeMs = nowMs;
    }
    if (!mDelivering)
        return nowMs - mStartMs >= kFirstBufferMs ? Tell(AudioStreamTrouble::NoSound)
                                                  : AudioStreamTrouble::None;
    if (nowMs - mLastChangeMs >= kStallMs) return Tell(AudioStreamTrouble::Stopped);
    return CheckRate(nowMs, frames);
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
    mTold = true;
    mFailed = trouble != AudioStreamTrouble::TooSlow;
    return trouble;
}
