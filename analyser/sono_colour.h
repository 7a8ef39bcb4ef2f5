#pragma once

// The sonogram's colours: brightness from the two channels' magnitudes, hue
// from their balance and from how far apart their phases are.

#include <cstdint>

#include "analyser/gamma_step.h"
#include "raster/pixel.h"

// How the sonogram colours a bin: brightness from the two magnitudes, and
// hue from the balance between the channels and from how far apart their
// phases are (opposed phases pull towards green).
enum SonoColouring : uint8_t {
    kColourBalanceAndPhase,  // balance hue pulled towards green by opposed phases
    kColourPhaseOnWhite,     // white pulled towards green by opposed phases
    kColourOppositionOnly,   // green, as bright as the phases are opposed
    kColourBalanceOnly,      // balance hue
    kColourMagnitudeOnly,    // white
};

// The colour mode from "disp. LR" and "disp. Phase".
SonoColouring SonoColourMode(int channelMode, int phaseMode);

// A column's bins as the colouring takes them: the scaled left (lr, li) and
// right (rr, ri) values, one array each, with room for whole groups of the
// colouring's lanes.
struct SonoBins {
    static constexpr int kGroup = 16;
    static constexpr int kCapacity = 272;
    alignas(16) float lr[kCapacity];
    alignas(16) float li[kCapacity];
    alignas(16) float rr[kCapacity];
    alignas(16) float ri[kCapacity];

    void Set(int j, float left, float leftImaginary, float right, float rightImaginary)
    {
        lr[j] = left, li[j] = leftImaginary, rr[j] = right, ri[j] = rightImaginary;
    }
    // Zeroes the entries from `count` to the end of its group.
    void PadFrom(int count);
};

// The pixels of bins 0 .. count - 1 (count at most kCapacity) in a colour
// mode; bins from count to the end of its group must be set (PadFrom).
// SonoColourBinsScalar computes the same bits without vector instructions.
void SonoColourBins(const SonoBins& bins, int count, int colourMode, PIX_PackedColor* out);
void SonoColourBinsScalar(const SonoBins& bins, int count, int colourMode, PIX_PackedColor* out);

// The chromaticity-to-pixel conversion of (x, y, Y): the opposition-only and
// magnitude-only modes use their fixed z, every other mode z = 1 - (x + y)
// (the plug-in's start-up picture passes kColourBalanceAndPhase for that).
PIX_PackedColor ChromaticityToPixel(float x, float y, float Y, int colourMode);
