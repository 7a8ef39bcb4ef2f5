#include "app/audio_blocks.h"

#include <algorithm>
#include <cstddef>

#include "core/unit_standalone.h"

namespace {

unsigned BlockSizeFor(int signalVectorSize, unsigned frames)
{
    return signalVectorSize < 1 ? 1u : std::min(unsigned(signalVectorSize), frames);
}

void ProcessFrames(AudioCallbackState& state, double* output, double* input, unsigned frames,
                   unsigned blockSize, bool monoInput, IUnitStandalone* plug)
{
    double* const in0 = input;
    double* const in1 = monoInput ? input : input + frames;
    double* const out0 = output;
    double* const out1 = output + frames;
    const double step = 1.0 / frames;
    for (unsigned i = 0; i < frames; ++i) {
        state.blockPosition %= blockSize;
        if (state.blockPosition == 0 || i == 0) {
            const int length = int(std::min(blockSize - state.blockPosition, frames - i));
            double* inputs[2] = {in0 + i, in1 + i};
            double* outputs[2] = {out0 + i, out1 + i};
            if (plug) plug->ProcessBlockLocked(inputs, outputs, length);
        }
        if (state.fadeGain < 1.0) state.fadeGain += step;
        out0[i] = out0[i] * state.fadeGain * kOutputScale;
        out1[i] = out1[i] * state.fadeGain * kOutputScale;
        ++state.blockPosition;
    }
}

}  // namespace

void ProcessAudioBuffer(AudioCallbackState& state, double* output, double* input, unsigned frames,
                        int signalVectorSize, bool monoInput, IUnitStandalone* plug)
{
    if (state.callbackCount < kSilentCallbacks)
        std::fill_n(output, 2 * size_t(frames), 0.0);
    else if (frames > 0)
        ProcessFrames(state, output, input, frames, BlockSizeFor(signalVectorSize, frames),
                      monoInput, plug);
    ++state.callbackCount;
}
