#pragma once

#include <windows.h>

#include <RtAudio.h>

#include "app/audio_midi_services.h"

// Filling the preferences dialog's lists from CurrentSettings and the
// devices and ports of the dialog's services (ServicesOf).

// The services the dialog was created with (its creation parameter); the
// real ones when it was created without.
const AudioMidiServices& ServicesOf(HWND dialog);

// The driver list, then FillAudioCombos and FillMidiCombos.
void InitPreferencesControls(HWND dialog);

// Selects in the driver list the API in use ("DirectSound" where it serves
// for "ASIO"); none for a stored driver that is no entry.
void SelectDriverInUse(HWND dialog);

// FillAudioDeviceCombos, "Mono Input", and both vector size lists. A stored
// I/O vector size that is none of the list's entries is replaced, in
// CurrentSettings, by the entry shown (IoVectorSizeEntryFor).
void FillAudioCombos(HWND dialog);

// The device lists with their selections, then the channel and sample-rate
// lists for the selected devices. An empty device list stays without a
// selection and its channel lists stay empty. While the ASIO API is in use
// (AudioMidiServices::asioInUse) the output device serves both directions:
// the input list shows it and the input channels and rates are its own; only
// then is "ASIO Config..." enabled.
void FillAudioDeviceCombos(HWND dialog);

// "1" to "n - 1" in the first list and "1" to "n" in the second, for the
// device's n channels; selected as CurrentSettings says.
void FillInputChannelCombos(HWND dialog, const RtAudio::DeviceInfo& input);
void FillOutputChannelCombos(HWND dialog, const RtAudio::DeviceInfo& output);

// The rates both devices have, in the input device's order.
void FillSampleRateCombo(HWND dialog, const RtAudio::DeviceInfo& input,
                         const RtAudio::DeviceInfo& output);

// The MIDI port and channel lists; false, leaving them empty, without the
// MIDI clients. A stored port that is not offered becomes "off" and the
// settings file is written.
bool FillMidiCombos(HWND dialog);
