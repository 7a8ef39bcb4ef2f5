#include "app/settings.h"

#include <cstring>
#include <initializer_list>

AudioMidiSettings* CurrentSettings = nullptr;
AudioMidiSettings* BackupSettings = nullptr;
AudioMidiSettings* RunningSettings = nullptr;
char* SettingsFilePath = nullptr;

void CopySettingsText(char (&field)[kSettingsTextSize], const char* text)
{
    if (!text) text = "";
    const size_t length = strnlen(text, kSettingsTextSize - 1);
    memmove(field, text, length);  // text may be the field itself
    memset(field + length, 0, kSettingsTextSize - length);
}

AudioMidiSettings InitialSettings()
{
    AudioMidiSettings s{};
    CopySettingsText(s.inputDevice, "Default Device");
    CopySettingsText(s.outputDevice, "Default Device");
    CopySettingsText(s.sampleRate, "44100");
    CopySettingsText(s.ioVectorSize, "512");
    CopySettingsText(s.signalVectorSize, "32");
    s.input1 = 1;
    s.input2 = 2;
    s.output1 = 1;
    s.output2 = 2;
    CopySettingsText(s.midiInputPort, "off");
    CopySettingsText(s.midiOutputPort, "off");
    return s;
}

void CreateSettingsRecords()
{
    FreeSettingsRecords();
    CurrentSettings = new AudioMidiSettings(InitialSettings());
    BackupSettings = new AudioMidiSettings(InitialSettings());
    RunningSettings = new AudioMidiSettings(InitialSettings());
}

void FreeSettingsRecords()
{
    for (AudioMidiSettings** record : {&CurrentSettings, &BackupSettings, &RunningSettings}) {
        delete *record;
        *record = nullptr;
    }
}

void AllocateSettingsFilePath()
{
    FreeSettingsFilePath();
    SettingsFilePath = new char[kSettingsFilePathSize]();
}

void FreeSettingsFilePath()
{
    delete[] SettingsFilePath;
    SettingsFilePath = nullptr;
}
