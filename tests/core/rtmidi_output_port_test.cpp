#include "core/rtmidi_output_port.h"

#include <RtMidi.h>
#include <gtest/gtest.h>

namespace {

// With no port open (there are no MIDI devices here) RtMidi warns and sends
// nothing; the port hands the message over without failing.
TEST(RtMidiOutputPort, SendsThroughTheShellsOutput)
{
    RtMidiOut out(RtMidi::WINDOWS_MM, "RtMidi Output Client");
    out.setErrorCallback([](RtMidiError::Type, const std::string&, void*) {}, nullptr);
    RtMidiOutputPort port(&out);
    const unsigned char note[3] = {0x90, 60, 100};
    port.SendMessage(note, sizeof note);
    RtMidiOutputPort none(nullptr);
    none.SendMessage(note, sizeof note);
    SUCCEED();
}

}  // namespace
