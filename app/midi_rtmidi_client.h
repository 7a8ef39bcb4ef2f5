#pragma once

#include "app/midi_port_switch.h"

class RtMidi;

// One RtMidi client, input or output, as a MidiPortClient. RtMidi's errors
// in closing and opening become debug lines naming the side ("input" or
// "output"); ports open under portName. Does not own the client, which may
// be null: Present then gives null.
class RtMidiPortClient : public MidiPortClient {
public:
    RtMidiPortClient(RtMidi* client, const char* side, const char* portName)
        : mClient(client), mSide(side), mPortName(portName)
    {
    }

    std::vector<std::string> PortNames() override;
    void ClosePort() override;
    bool OpenPort(unsigned number) override;

    // This, as the port functions take it: null without a client.
    MidiPortClient* Present() { return mClient ? this : nullptr; }

private:
    RtMidi* mClient;
    const char* mSide;
    const char* mPortName;
};
