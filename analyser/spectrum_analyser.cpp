#include "analyser/spectrum_analyser.h"

#include <cmath>
#include <cstring>
#include <new>

#include "core/compiler_specifics.h"

namespace {

constexpr int kRingBytes = SpectrumAnalyser::kFrame * int(sizeof(float));

bool AllocateRing(InputRing& ring)
{
    delete[] ring.samples;
    ring.samples = new (std::nothrow) float[SpectrumAnalyser::kFrame]();
    ring.count = ring.samples ? SpectrumAnalyser::kFrame : 0;
    ring.byteSize = ring.samples ? kRingBytes : 0;
    return ring.samples != nullptr;
}

void ReleaseRing(InputRing& ring)
{
    delete[] ring.samples;
    ring.samples = nullptr;
    ring.count = 0;
    ring.byteSize = 0;
}

}  // namespace

SpectrumAnalyser::SpectrumAnalyser() = default;

SpectrumAnalyser::~SpectrumAnalyser()
{
    mFft.Release();
    mWindowName.Assign(nullptr);
    ReleaseRings();
}

void SpectrumAnalyser::ReleaseRings()
{
    ReleaseRing(mRight);
    ReleaseRing(mLeft);
}

bool SpectrumAnalyser::ResetRings()
{
    const bool ready = AllocateRing(mLeft) && AllocateRing(mRight);
    if (!ready) ReleaseRings();
    mShared.writeIndex = 0;
    mShared.displayReadIndex = 0;
    mShared.scrollAnchor = 0;
    mShared.skippedCount = 0;
    mShared.pending = false;
    mInputPosition = 0;
    mHopPhase = 0.0;
    mFrozen = false;
    return ready;
}

void SpectrumAnalyser::ProcessSamples(const double* left, const double* right, int frames)
{
    if (!mLeft.samples || !mRight.samples) return;
    for (int i = 0; i < frames; ++i) {
        Store(mLeft, left, i);
        Store(mRight, right, i);

        // The hop test comes before the increment; at most one column a sample.
        const double old = mHopPhase;
        mHopPhase = old - std::floor(old);
        if (old > mHopPhase) {
            if (mFrozen) {
                // Counts on modulo 2^32 through a freeze of any length.
                const unsigned skipped = unsigned(mShared.skippedCount) + 1u;
                AtomicStoreRelaxed(&mShared.skippedCount, int(skipped));
                AtomicStoreRelaxed(&mShared.pending, true);
            } else {
                AnalyseFrame();
            }
        }
        mHopPhase += mHopIncrement;
        mInputPosition = (mInputPosition + 1) % kFrame;
    }
}

// frame[k] = ring[(p + k) mod 512] * w[k]: the newest sample first, then the
// oldest to the second newest.
void SpectrumAnalyser::Window(const InputRing& ring, float* frame) const
{
    const int p = mInputPosition;
    const int tail = kFrame - p;
    for (int k = 0; k < tail; ++k) frame[k] = ring.samples[p + k] * mWindow[k];
    for (int k = tail; k < kFrame; ++k) frame[k] = ring.samples[p + k - kFrame] * mWindow[k];
}

void SpectrumAnalyser::AnalyseFrame()
{
    if (!mLeft.samples || !mRight.samples) return;
    Window(mLeft, mLeftFrame);
    Window(mRight, mRightFrame);
    mFft.Transform(mLeftFrame, mLeftSpectrum);
    mFft.Transform(mRightFrame, mRightSpectrum);

    const int c = mShared.writeIndex;
    float(*bins)[4] = mShared.columns[c].bins;
    bins[0][0] = mLeftSpectrum[0];
    bins[0][1] = mLeftSpectrum[256];
    bins[0][2] = mRightSpectrum[0];
    bins[0][3] = mRightSpectrum[256];
    for (int k = 1; k < 256; ++k) {
        bins[k][0] = mLeftSpectrum[k];
        bins[k][1] = mLeftSpectrum[256 + k];
        bins[k][2] = mRightSpectrum[k];
        bins[k][3] = mRightSpectrum[256 + k];
    }

    const int next = (c + 1) % SpectrumShared::kColumns;
    // Publishes the column, in the order described at SpectrumShared.
    AtomicStoreRelease(&mShared.writeIndex, next);
    AtomicStoreRelaxed(&mShared.scrollAnchor, next);
    AtomicStoreRelaxed(&mShared.skippedCount, 0);
    AtomicStoreRelaxed(&mShared.pending, false);
}
