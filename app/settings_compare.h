#pragma once

#include <string>

#include "app/settings.h"

// The audio fields: driver, the five device, rate and size texts (as
// zero-terminated strings), the four channels and monoInput.
bool SameAudioSettings(const AudioMidiSettings& a, const AudioMidiSettings& b);

// The MIDI fields: both port names (as strings) and both channels.
bool SameMidiSettings(const AudioMidiSettings& a, const AudioMidiSettings& b);

// The whole record, byte for byte.
bool IdenticalSettings(const AudioMidiSettings& a, const AudioMidiSettings& b);

// Whether a settings text field holds name as CopySettingsText stores it:
// cut to the field, case-sensitive.
bool FieldHoldsName(const char (&field)[kSettingsTextSize], const std::string& name);
