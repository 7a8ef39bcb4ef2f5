#pragma once

#include <cstdint>

class IUnitStandalone;

// What the audio callback carries from one device buffer to the next; a
// stream start begins with a fresh one.
struct AudioCallbackState {
    double fadeGain = 0.0;
    uint32_t callbackCount = 0;  // buffers since the start
    uint32_t blockPosition = 0;  // running frame position modulo the block size
};

// Buffers after a start that leave as silence, before the plug-in runs.
constexpr uint32_t kSilentCallbacks = 51;
// Every output sample leaves at this fraction of what the plug-in wrote.
constexpr double kOutputScale = 0.25;

// Handles one device buffer of two non-interleaved channels each way, 64-bit
// floats: channel 1 starts `frames` doubles after channel 0. The first
// kSilentCallbacks buffers are zeroed. Later ones go to the plug-in in blocks
// that start where the running position is a multiple of the block size,
// which is signalVectorSize clamped to 1..frames: a block that the buffer's
// end cuts short continues as a shorter block at the start of the next
// buffer, so every frame is processed once and no block reaches outside the
// buffers. The plug-in writes its outputs into `output` in place; they are
// faded in over the first processed buffer and scaled by kOutputScale. With
// monoInput both plug-in inputs are input channel 0. A null plug leaves the
// blocks unprocessed.
void ProcessAudioBuffer(AudioCallbackState& state, double* output, double* input, unsigned frames,
                        int signalVectorSize, bool monoInput, IUnitStandalone* plug);
