#pragma once

#include "app/audio_device_list.h"
#include "app/settings.h"

// The largest I/O and signal vector size the stream accepts: far above the
// sizes the preferences offer, and small enough for the audio library's
// buffer arithmetic and the plug-in's block buffers.
constexpr unsigned kMaxAudioVectorSize = 65536;

// The smallest I/O vector size the stream accepts: the smallest the
// preferences offer and DirectSound takes (the audio library would silently
// replace a smaller one by it).
constexpr unsigned kMinIoVectorSize = 32;

// The sample rates the stream accepts: the lowest rate the audio library
// lists and the highest that audio interfaces and PulseAudio take. Far
// larger rates make Wine's PulseAudio driver abort the program.
constexpr unsigned kMinSampleRate = 4000;
constexpr unsigned kMaxSampleRate = 384000;

// What an audio stream is opened with; device indexes and first channels
// count from 0.
struct AudioStreamRequest {
    unsigned inputDevice;
    unsigned outputDevice;
    unsigned sampleRate;
    unsigned ioVectorSize;
    unsigned channels;
    unsigned firstInput;
    unsigned firstOutput;
};

// The stream the settings call for: two channels each way from input1 and
// output1 on, rate and I/O vector size as the decimal values of their texts
// (0 for texts that are no numbers); with oneDeviceBothWays (the ASIO API is
// in use) the output device serves both directions. False when a device name
// is not in devices.
bool AudioStreamRequestFromSettings(const AudioMidiSettings& settings,
                                    const AudioDeviceLists& devices, bool oneDeviceBothWays,
                                    AudioStreamRequest* request);

// Why the audio library must not be asked for this stream, null when it may
// be: other than two channels each way (what the callback handles), channels
// that run past the last channel number (a first channel of 0 in the
// settings wraps around), a sample rate outside kMinSampleRate..
// kMaxSampleRate (0 for a text that is no number) or an I/O vector size
// outside kMinIoVectorSize..kMaxAudioVectorSize. Sizes that the device takes
// but cannot keep up with show at run time (AudioStreamWatch).
const char* AudioStreamRequestProblem(const AudioStreamRequest& request);

// The plug-in block size for a "sigvs" text: its decimal value, clamped to
// 1..kMaxAudioVectorSize (texts that are no numbers give 1).
int SignalVectorSizeFromText(const char* text);
