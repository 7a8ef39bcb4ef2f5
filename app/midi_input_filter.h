#pragma once

#include <cstddef>

#include "core/midi_event.h"

class IUnitBase;

// A message of 1 to 3 bytes as an event at offset 0: status, data1 and
// data2 from its bytes, 0 for the missing ones. False for an empty message
// and, after the debug line "NOT EXPECTING <size> midi callback msg len",
// for a longer one.
bool MidiEventFromBytes(const unsigned char* bytes, size_t size, IMidiEvent* event);

// With input channel setting 0 every event passes; with 1 to 16 only those
// whose status's low four bits + 1 equal the setting (system messages
// included, by their low bits).
bool MidiInputChannelPasses(unsigned channelSetting, const IMidiEvent& event);

// The input callback's work: the message as an event, filtered by the
// channel setting, handed to the plug-in's ReceiveMidiMessage for the call's
// duration. Nothing reaches a null plug.
void DeliverMidiInput(const unsigned char* bytes, size_t size, unsigned channelSetting,
                      IUnitBase* plug);
