#pragma once

#include "core/midi_output_port.h"

class RtMidiOut;

// The shell's RtMidi output object as a MidiOutputPort; does not own it.
class RtMidiOutputPort : public MidiOutputPort {
public:
    explicit RtMidiOutputPort(RtMidiOut* out) : mOut(out) {}
    void SendMessage(const unsigned char* bytes, size_t size) override;

private:
    RtMidiOut* mOut;
};
