#pragma once

#include <cstddef>
#include <cstdint>

// Characters a settings text holds, with its terminator.
constexpr size_t kSettingsTextSize = 100;

// The application's whole audio and MIDI configuration. The record has no
// padding, so whole records compare byte for byte.
struct AudioMidiSettings {
    uint16_t driver;  // 1 ASIO, any other value DirectSound
    char inputDevice[kSettingsTextSize];
    char outputDevice[kSettingsTextSize];
    char sampleRate[kSettingsTextSize];
    char ioVectorSize[kSettingsTextSize];
    char signalVectorSize[kSettingsTextSize];
    uint16_t input1;  // channels counted from 1
    uint16_t input2;
    uint16_t output1;
    uint16_t output2;
    uint16_t monoInput;                      // nonzero: the first input feeds both plug-in inputs
    char midiInputPort[kSettingsTextSize];   // "off" for none
    char midiOutputPort[kSettingsTextSize];  // "off" for none
    uint16_t midiInputChannel;               // 0 all, 1 to 16 one channel
    uint16_t midiOutputChannel;              // 0 the message's own, 1 to 16 forced
};
static_assert(sizeof(AudioMidiSettings) == 7 * kSettingsTextSize + 8 * sizeof(uint16_t),
              "AudioMidiSettings must have no padding");

// A record of the initial values: DirectSound, "Default Device" both ways at
// "44100", I/O vector "512", signal vector "32", channels 1 and 2, MIDI "off".
// Unused bytes of the texts are zero.
AudioMidiSettings InitialSettings();

// Sets a text field to text, cut to kSettingsTextSize - 1 characters, and
// zeroes the rest of the field; null counts as the empty text.
void CopySettingsText(char (&field)[kSettingsTextSize], const char* text);

// The settings in use, the copy the preferences dialog restores on Cancel and
// the copy with which the audio stream was last started. Null until created.
extern AudioMidiSettings* CurrentSettings;
extern AudioMidiSettings* BackupSettings;
extern AudioMidiSettings* RunningSettings;

// Creates the three records with the initial values (replacing any earlier
// ones); frees them and sets them to null. Freeing twice is harmless.
void CreateSettingsRecords();
void FreeSettingsRecords();

// Bytes of the settings file's path buffer: the system's path limit
// (MAX_PATH), terminator included.
constexpr size_t kSettingsFilePathSize = 260;

// The settings file's path, kSettingsFilePathSize bytes; empty when allocated,
// null until then and after freeing.
extern char* SettingsFilePath;

void AllocateSettingsFilePath();
void FreeSettingsFilePath();
