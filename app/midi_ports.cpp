#include "app/midi_ports.h"

#include <RtMidi.h>

#include <memory>

#include "app/midi_input_filter.h"
#include "app/midi_rtmidi_client.h"
#include "app/settings.h"
#include "app/settings_file.h"
#include "core/debug_text.h"
#include "core/rtmidi_output_port.h"

namespace {

RtMidiIn* gInput = nullptr;
RtMidiOut* gOutput = nullptr;
std::unique_ptr<RtMidiOutputPort> gOutputPort;
bool gCallbackInstalled = false;
IUnitBase* gPlug = nullptr;
std::vector<std::string> gInputPorts;
std::vector<std::string> gOutputPorts;

RtMidiPortClient InputClient()
{
    return RtMidiPortClient(gInput, "input", "RtMidi Input");
}

RtMidiPortClient OutputClient()
{
    return RtMidiPortClient(gOutput, "output", "RtMidi Output");
}

RtMidiIn* MakeWinMmInput()
{
    return new RtMidiIn(RtMidi::WINDOWS_MM, "RtMidi Input Client");
}

RtMidiOut* MakeWinMmOutput()
{
    return new RtMidiOut(RtMidi::WINDOWS_MM, "RtMidi Output Client");
}

template <class Client>
bool Create(Client*& client, Client* (*make)())
{
    try {
        client = make();
    } catch (const RtMidiError& error) {
        client = nullptr;
        error.printMessage();
        return false;
    }
    return true;
}

std::vector<std::string> PortList(RtMidiPortClient&& client)
{
    std::vector<std::string> list{"off"};
    for (std::string& name : client.PortNames()) list.push_back(std::move(name));
    return list;
}

}  // namespace

bool CreateMidiClients()
{
    return CreateMidiClientsWith(MakeWinMmInput, MakeWinMmOutput);
}

bool CreateMidiClientsWith(RtMidiIn* (*makeInput)(), RtMidiOut* (*makeOutput)())
{
    DeleteMidiClients();
    if (!Create(gInput, makeInput) || !Create(gOutput, makeOutput)) return false;
    gOutputPort = std::make_unique<RtMidiOutputPort>(gOutput);
    gInput->setCallback(MidiCallback, nullptr);
    gInput->ignoreTypes(true, true, true);
    gCallbackInstalled = true;
    return true;
}

bool MidiClientsExist()
{
    return gInput && gOutput;
}

void ListMidiPorts()
{
    gInputPorts.clear();
    gOutputPorts.clear();
    if (!MidiClientsExist()) return;
    gInputPorts = PortList(InputClient());
    gOutputPorts = PortList(OutputClient());
}

const std::vector<std::string>& MidiInputPortList()
{
    return gInputPorts;
}

const std::vector<std::string>& MidiOutputPortList()
{
    return gOutputPorts;
}

int FindMidiInPort(const char* name)
{
    RtMidiPortClient client = InputClient();
    return FindMidiPort(client.Present(), name);
}

int FindMidiOutPort(const char* name)
{
    RtMidiPortClient client = OutputClient();
    return FindMidiPort(client.Present(), name);
}

bool OpenMidiInByName(const char* name)
{
    RtMidiPortClient client = InputClient();
    return SwitchMidiPort(client.Present(), name, CurrentSettings->midiInputPort,
                          WriteSettingsFileQuietly);
}

bool OpenMidiOutByName(const char* name)
{
    RtMidiPortClient client = OutputClient();
    return SwitchMidiPort(client.Present(), name, CurrentSettings->midiOutputPort,
                          WriteSettingsFileQuietly);
}

void MidiCallback(double, std::vector<unsigned char>* message, void*)
{
    if (!message) return;
    const unsigned channel = CurrentSettings ? CurrentSettings->midiInputChannel : 0;
    DeliverMidiInput(message->data(), message->size(), channel, gPlug);
}

void AttachMidiPlugIn(IUnitBase* plug)
{
    gPlug = plug;
}

MidiOutputPort* MidiOutputForPlugIn()
{
    return gOutputPort.get();
}

void CloseMidiPorts()
{
    if (gInput) {
        if (gCallbackInstalled) gInput->cancelCallback();
        gCallbackInstalled = false;
        InputClient().ClosePort();
    }
    if (gOutput) OutputClient().ClosePort();
}

void DeleteMidiClients()
{
    CloseMidiPorts();
    gOutputPort.reset();
    delete gOutput;
    gOutput = nullptr;
    delete gInput;
    gInput = nullptr;
}
