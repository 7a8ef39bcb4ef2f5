#pragma once

class IUnitEffect;

// Start-up and shutdown of the audio, MIDI and the plug-in, in their fixed
// order. UI thread; the settings records exist throughout.

// The plug-in between StartUpAudioMidiAndPlug and ShutdownAudioMidiAndPlug;
// null otherwise.
IUnitEffect* PlugIn();

// The audio API and its devices, the MIDI clients and their ports, the
// plug-in (bound to both) with preset 0, the stored MIDI ports, then the
// audio stream: the result is whether the stream started.
bool StartUpAudioMidiAndPlug();

// Opens the plug-in's editor inside MainDialog and tells the plug-in; false
// without a plug-in, an editor or a window.
bool OpenEditorInMainDialog();

// Ends the audio stream (CloseAudioApiStream) and the MIDI input, deletes the
// plug-in, frees the settings records, deletes the MIDI clients and the audio
// API and frees the settings file path. False, after closing the MIDI ports
// only, when an audio API was given up: its stream's thread may still call
// into the plug-in, so nothing it reaches may go.
bool ShutdownAudioMidiAndPlug();
