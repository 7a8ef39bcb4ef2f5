#pragma once

#include <string>
#include <vector>

class IUnitBase;
class MidiOutputPort;
class RtMidiIn;
class RtMidiOut;

// The MIDI input and output clients (Windows multimedia MIDI through RtMidi),
// their ports and the input callback that feeds the plug-in. Everything but
// MidiCallback runs on the UI thread.

// Creates the input client "RtMidi Input Client" and then the output client
// "RtMidi Output Client", replacing earlier ones, and installs MidiCallback
// on the input, which ignores system-exclusive, timing and active-sensing
// messages. A client that fails to be created stays null after its error is
// printed and the steps after it are skipped: false.
bool CreateMidiClients();

// The same with other makers of the clients (tests); each may throw
// RtMidiError.
bool CreateMidiClientsWith(RtMidiIn* (*makeInput)(), RtMidiOut* (*makeOutput)());

// Both exist (their creation succeeded).
bool MidiClientsExist();

// Builds the port lists: "off", then each port's name in port order. Both
// stay empty unless both clients exist.
void ListMidiPorts();
const std::vector<std::string>& MidiInputPortList();
const std::vector<std::string>& MidiOutputPortList();

// 0 for "off", the port number + 1 of the first port named exactly name,
// asked of the client itself; -1 for none and, but for "off", without the
// client.
int FindMidiInPort(const char* name);
int FindMidiOutPort(const char* name);

// Switch the port to the one named ("off": none), as SwitchMidiPort does, on
// CurrentSettings->midiInputPort or midiOutputPort: a name that matches no
// port, or a port that fails to open (reported in a debug line), turns that
// setting into "off" and writes the settings file. True when the client
// exists and the named port, if any, is open.
bool OpenMidiInByName(const char* name);
bool OpenMidiOutByName(const char* name);

// RtMidi's input callback (MIDI input thread): DeliverMidiInput with
// CurrentSettings->midiInputChannel to the attached plug-in.
void MidiCallback(double timeStamp, std::vector<unsigned char>* message, void* userData);

// The plug-in MidiCallback feeds; null for none. Set before a port opens.
void AttachMidiPlugIn(IUnitBase* plug);

// The output client as the stand-alone binding's port, for the plug-in; null
// without an output client. Lives until DeleteMidiClients.
MidiOutputPort* MidiOutputForPlugIn();

// Cancels the input callback and closes both ports (for the clients that
// exist); then no MIDI thread calls the plug-in.
void CloseMidiPorts();

// Deletes both clients and the output port of MidiOutputForPlugIn.
void DeleteMidiClients();
