#pragma once

#include <RtAudio.h>

#include <string>

class IUnitStandalone;

// The duplex stream of the current RtAudio object (app/audio_api.h) and its
// callback, which feeds the plug-in. Everything but AudioCallback runs on the
// UI thread.

// Frames per device buffer asked of RtAudio, replaced by the size it chose
// when a stream opens; frames per plug-in block, also the plug-in's block
// size.
extern unsigned IoVectorSize;
extern int SignalVectorSize;

// The plug-in the callback feeds and each start prepares; null for none.
// Set while no stream runs.
void AttachAudioPlugIn(IUnitStandalone* plug);

// Ends the current stream (CloseAudioApiStream), takes the signal vector size from
// CurrentSettings (clamped to 1..kMaxAudioVectorSize), writes the debug line
// "trying to start audio stream ...", resets the callback state, prepares the
// plug-in (block size, sample rate, reset; a reset that fails is a failed
// start) and opens and starts a stream of
// `channels` 64-bit float channels each way, non-interleaved, with an error
// callback: an error the library meets later, on its callback thread or in a
// call, stops the stream and is printed instead of thrown. On success
// RunningSettings becomes a copy of CurrentSettings. On failure (an RtAudio
// error, a request RtAudio must not get, no RtAudio object) the reason is
// printed and written as a debug line, no stream runs and false is returned.
bool StartAudioStream(unsigned inputDevice, unsigned outputDevice, unsigned sampleRate,
                      unsigned ioVectorSize, unsigned channels, unsigned firstInput,
                      unsigned firstOutput);

// StartAudioStream for the devices, rate, sizes and first channels of
// CurrentSettings. False, leaving the current stream alone, when a device
// name of the settings is not among the devices. After a failed start or a
// stream that stopped delivering, the audio API is created and its devices
// probed anew first. Once an audio API was given up (CloseAudioApiStream)
// every start fails: that stream's thread may still reach the plug-in.
bool StartAudioFromSettings();

// The stream's callback (audio thread): counts a nonzero status as an
// underflow and the frames it received, and hands the buffers to
// ProcessAudioBuffer with SignalVectorSize and CurrentSettings->monoInput.
// It blocks on nothing but the plug-in lock. Always 0 (keep running).
int AudioCallback(void* outputBuffer, void* inputBuffer, unsigned nFrames, double streamTime,
                  RtAudioStreamStatus status, void* userData);

// Whether a stream runs and was not found delivering nothing.
bool IsAudioStreamRunning();

// UI thread, a few times a second: the line "Stream underflow detected!" on
// standard output when the callback counted underflows since the last call
// (one line for all of them).
void PrintAudioUnderflows();

// UI thread, a few times a second: what to tell the user when the last
// start was refused a request the audio library must not get
// (AudioStreamRequestProblem), or when the running stream delivers no
// sound, stopped delivering (also when the library stopped it on an error)
// or delivers too slowly (an AudioStreamWatch's findings); each start told
// once, empty otherwise. A stream started from the settings that delivers no
// sound is first opened again, anew, once; the user hears of it when that
// one delivers nothing either.
std::string TakeAudioStreamTrouble();
