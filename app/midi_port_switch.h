#pragma once

#include <string>
#include <vector>

#include "app/settings.h"

// One MIDI client, input or output, as finding and switching ports by name
// see it.
class MidiPortClient {
public:
    virtual ~MidiPortClient() = default;
    // The client's ports as they are now, by port number.
    virtual std::vector<std::string> PortNames() = 0;
    // Closes the open port, if any.
    virtual void ClosePort() = 0;
    // Opens port `number`; false, after reporting why, when it did not open.
    virtual bool OpenPort(unsigned number) = 0;
};

// 0 for "off", the port number + 1 of the first port named exactly name
// (case-sensitive), -1 when none is. Without a client (its creation failed)
// every name but "off" gives -1.
int FindMidiPort(MidiPortClient* client, const char* name);

// Switches the client to the port named name: closes the open port and opens
// the named one ("off": none). When name matches no port, or its port does
// not open, setting becomes "off" and saveSettings runs, so the settings
// name the state the client is in. True when the client exists and the
// named port, if any, is open. name may be setting itself.
bool SwitchMidiPort(MidiPortClient* client, const char* name, char (&setting)[kSettingsTextSize],
                    void (*saveSettings)());
