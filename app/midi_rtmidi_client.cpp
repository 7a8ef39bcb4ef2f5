#include "app/midi_rtmidi_client.h"

#include <RtMidi.h>

#include "core/debug_text.h"

std::vector<std::string> RtMidiPortClient::PortNames()
{
    std::vector<std::string> names;
    const unsigned count = mClient->getPortCount();
    for (unsigned i = 0; i < count; ++i) names.push_back(mClient->getPortName(i));
    return names;
}

void RtMidiPortClient::ClosePort()
{
    try {
        mClient->closePort();
    } catch (const RtMidiError& error) {
        WriteDebugLine("could not close the MIDI %s port: %s\n", mSide, error.what());
    }
}

bool RtMidiPortClient::OpenPort(unsigned number)
{
    try {
        mClient->openPort(number, mPortName);
    } catch (const RtMidiError& error) {
        WriteDebugLine("could not open MIDI %s port %u: %s\n", mSide, number, error.what());
        return false;
    }
    return mClient->isPortOpen();
}
