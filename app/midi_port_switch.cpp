#include "app/midi_port_switch.h"

#include <algorithm>
#include <cstring>

namespace {

const char kOff[] = "off";

void TurnOff(char (&setting)[kSettingsTextSize], void (*saveSettings)())
{
    CopySettingsText(setting, kOff);
    saveSettings();
}

}  // namespace

int FindMidiPort(MidiPortClient* client, const char* name)
{
    if (!name) return -1;
    if (strcmp(name, kOff) == 0) return 0;
    if (!client) return -1;
    const std::vector<std::string> names = client->PortNames();
    const auto found = std::find(names.begin(), names.end(), name);
    return found == names.end() ? -1 : int(found - names.begin()) + 1;
}

bool SwitchMidiPort(MidiPortClient* client, const char* name, char (&setting)[kSettingsTextSize],
                    void (*saveSettings)())
{
    int port = FindMidiPort(client, name);
    if (port < 0) {
        TurnOff(setting, saveSettings);
        port = 0;
    }
    if (!client) return false;
    client->ClosePort();
    if (port == 0) return true;
    if (client->OpenPort(unsigned(port - 1))) return true;
    TurnOff(setting, saveSettings);
    return false;
}
