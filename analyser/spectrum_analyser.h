#pragma once

#include "analyser/real_fft.h"
#include "core/text_buffer.h"

// The last 512 samples of one input channel.
struct InputRing {
    float* samples = nullptr;
    int count = 0;
    int byteSize = 0;
};

// One column of the spectrum ring: bins 1..255 of both transforms as
// {left real, left imaginary, right real, right imaginary}; bin 0 packs
// {left DC, left Nyquist, right DC, right Nyquist}.
struct SpectrumColumn {
    float bins[256][4];
};
static_assert(sizeof(SpectrumColumn) == 4096, "a column is 4096 bytes");

// What the audio thread shares with the sonogram control, which reads it
// without the lock, through the atomic helpers of core/compiler_specifics.h:
// - the audio thread fills columns[writeIndex] and then publishes it with a
//   release store of the next write index; the sonogram loads writeIndex with
//   acquire, so every column before it is complete when it is coloured;
// - after that store the audio thread stores scrollAnchor, skippedCount and
//   pending relaxed (while frozen, skippedCount and pending alone); each is a
//   value in its own right, which the sonogram loads with acquire;
// - displayReadIndex is the sonogram's own, stored relaxed;
// - a reset (ResetRings) clears the indices with plain stores.
struct SpectrumShared {
    static constexpr int kColumns = 1024;

    SpectrumColumn columns[kColumns];
    int writeIndex;        // the column the next analysis fills
    int displayReadIndex;  // the next column the sonogram colours (UI thread)
    int scrollAnchor;      // a copy of the write index
    int skippedCount;      // hops passed while frozen since the last analysis
    bool pending;          // skipped hops exist
};

// Two input rings, the analysis window, the transform and the ring of
// spectrum columns. Runs on the audio thread under the plug-in lock; the
// settings change on the UI thread under the same lock.
class SpectrumAnalyser {
public:
    static constexpr int kFrame = RealFft::kSize;

    SpectrumAnalyser();
    ~SpectrumAnalyser();
    SpectrumAnalyser(const SpectrumAnalyser&) = delete;
    SpectrumAnalyser& operator=(const SpectrumAnalyser&) = delete;

    // New zeroed ring storage (UI thread) and every index, the hop phase and
    // the frozen flag cleared; the columns are kept. False when the rings
    // could not get storage, which leaves the analyser idle.
    bool ResetRings();
    // Releases the right and then the left ring's samples.
    void ReleaseRings();

    // Stores frames samples of each channel and analyses a column at every
    // hop. Does nothing before the rings have storage.
    void ProcessSamples(const double* left, const double* right, int frames);
    // Analyses one column from the rings' current contents.
    void AnalyseFrame();

    // Builds window type & 0xFF (0 and 5..255 blackman-harris, 1 nutall,
    // 2 dolph-chebyshev, 3 flat-top, 4 merel's sine waves) and names it.
    void SetWindowType(int type);
    const char* WindowName() const { return mWindowName.Get(); }
    const float* WindowTable() const { return mWindow; }

    void SetHopIncrement(double increment) { mHopIncrement = increment; }
    double HopIncrement() const { return mHopIncrement; }
    void SetFrozen(bool frozen) { mFrozen = frozen; }
    bool Frozen() const { return mFrozen; }
    int InputPosition() const { return mInputPosition; }
    const InputRing& LeftRing() const { return mLeft; }
    const InputRing& RightRing() const { return mRight; }

    SpectrumShared* Shared() { return &mShared; }

private:
    void Store(InputRing& ring, const double* samples, int i)
    {
        ring.samples[mInputPosition] = float(samples[i]);
    }
    void Window(const InputRing& ring, float* frame) const;

    InputRing mLeft;
    InputRing mRight;
    float mLeftFrame[kFrame] = {};
    float mLeftSpectrum[kFrame] = {};
    float mRightFrame[kFrame] = {};
    float mRightSpectrum[kFrame] = {};
    float mWindow[kFrame] = {};
    SpectrumShared mShared = {};
    int mInputPosition = 0;
    bool mFrozen = false;
    double mHopPhase = 0.0;
    double mHopIncrement = 0.0;
    TextBuffer mWindowName;
    RealFft mFft;
};
