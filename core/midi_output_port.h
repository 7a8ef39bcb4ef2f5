#pragma once

#include <cstddef>

// Where the stand-alone binding sends MIDI: the shell's RtMidi output port
// (RtMidiOutputPort) or, in tests, a recording fake.
class MidiOutputPort {
public:
    virtual ~MidiOutputPort() = default;
    virtual void SendMessage(const unsigned char* bytes, size_t size) = 0;
};
