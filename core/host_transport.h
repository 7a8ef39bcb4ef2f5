#pragma once

// The host's transport as a binding reports it; fields the host does not
// give keep what they held.
struct IHostTransport {
    double tempo = 0.0;
    double samplePosition = 0.0;
    double quarterNotePosition = 0.0;
    double lastBarStart = 0.0;  // in quarter notes
    double cycleStart = 0.0;
    double cycleEnd = 0.0;
    int numerator = 0;
    int denominator = 0;
    bool playing = false;
    bool cycling = false;
};
