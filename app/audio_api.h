#pragma once

#include <string>

#include "app/audio_device_list.h"

class RtAudio;

// The RtAudio object for the driver type of CurrentSettings, and its devices.
// UI thread.

// Null before CreateAudioApi and after DeleteAudioApi.
RtAudio* AudioApi();

// Closes the stream of the current object, if one is open, and replaces the
// object by one for ASIO when CurrentSettings->driver is 1, else for
// DirectSound. When RtAudio has no support for the driver chosen and falls
// back to another API, says so in a debug line and on standard output and
// keeps the text for AudioDriverNotice. The device lists are left alone:
// ProbeAudioDevices comes next. True (the object exists).
bool CreateAudioApi();

// Closes the stream, if one is open, and deletes the object; an object given
// up by CloseAudioApiStream is left to its threads.
void DeleteAudioApi();

// How long the audio library may take to end a stream.
constexpr unsigned kStreamEndBoundMs = 3000;

// Aborts (when it runs) and closes the current object's stream, if one is
// open, on a thread of its own; RtAudio errors are printed. When that takes
// longer than kStreamEndBoundMs (a device or sound server that went away can
// block the library) the object is given up: AudioApi() becomes null, the
// object is never touched or deleted again, and false is returned.
bool CloseAudioApiStream();

// Whether an object was given up since the program started: its stream's
// thread may still call the callback.
bool AudioApiWasAbandoned();

// Whether the current object serves the ASIO API (driver 1 falls back to
// DirectSound where ASIO is missing); false without an object.
bool AudioApiIsAsio();

// For the user: the text that the driver chosen at the last CreateAudioApi
// is not available and which API serves instead; null when it is the one
// chosen.
const char* AudioDriverNotice();

// Rebuilds the device lists from the current object (empty without one).
void ProbeAudioDevices();
const AudioDeviceLists& AudioDevices();

// The name of device index; std::out_of_range outside the device list.
std::string GetAudioDeviceName(unsigned index);

// The index of the first device named exactly name, -1 for none.
int FindAudioDeviceIndex(const char* name);
