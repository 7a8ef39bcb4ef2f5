#include "core/rtmidi_output_port.h"

#include <RtMidi.h>

// RtMidi reports its own errors (through its error callback or an
// RtMidiError); the message counts as handed over either way.
void RtMidiOutputPort::SendMessage(const unsigned char* bytes, size_t size)
{
    if (!mOut) return;
    try {
        mOut->sendMessage(bytes, size);
    } catch (const RtMidiError& error) {
        error.printMessage();
    }
}
