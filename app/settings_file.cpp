#include "app/settings_file.h"

#include <windows.h>
#include <shlobj.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "app/settings.h"
#include "core/debug_text.h"

namespace {

static_assert(kSettingsFilePathSize >= MAX_PATH, "the shell fills MAX_PATH bytes");

// One key of the file: a 16-bit number or a text field, with the value taken
// when the file lacks the key.
struct SettingsKey {
    const char* section;
    const char* name;
    uint16_t AudioMidiSettings::*number;
    char (AudioMidiSettings::*text)[kSettingsTextSize];
    unsigned missingNumber;
    const char* missingText;
};

constexpr SettingsKey Number(const char* section, const char* name,
                             uint16_t AudioMidiSettings::*field, unsigned missing)
{
    return {section, name, field, nullptr, missing, nullptr};
}

constexpr SettingsKey Text(const char* section, const char* name,
                           char (AudioMidiSettings::*field)[kSettingsTextSize], const char* missing)
{
    return {section, name, nullptr, field, 0, missing};
}

// In the order the file is read and written.
const SettingsKey kSettingsKeys[] = {
    Number("audio", "driver", &AudioMidiSettings::driver, 0),
    Text("audio", "indev", &AudioMidiSettings::inputDevice, "Default Device"),
    Text("audio", "outdev", &AudioMidiSettings::outputDevice, "Default Device"),
    Number("audio", "in1", &AudioMidiSettings::input1, 1),
    Number("audio", "in2", &AudioMidiSettings::input2, 2),
    Number("audio", "out1", &AudioMidiSettings::output1, 1),
    Number("audio", "out2", &AudioMidiSettings::output2, 2),
    Number("audio", "monoinput", &AudioMidiSettings::monoInput, 0),
    Text("audio", "iovs", &AudioMidiSettings::ioVectorSize, "512"),
    Text("audio", "sigvs", &AudioMidiSettings::signalVectorSize, "32"),
    Text("audio", "sr", &AudioMidiSettings::sampleRate, "44100"),
    Text("midi", "indev", &AudioMidiSettings::midiInputPort, "no input"),
    Text("midi", "outdev", &AudioMidiSettings::midiOutputPort, "no output"),
    Number("midi", "inchan", &AudioMidiSettings::midiInputChannel, 0),
    Number("midi", "outchan", &AudioMidiSettings::midiOutputChannel, 0),
};

const char kFolderName[] = "tq_Velvane";
const char kFileName[] = "settings.ini";

bool PathExists(const char* path)
{
    struct _stat info;
    return _stat(path, &info) == 0;
}

bool ReportNoDataFolder()
{
    WriteDebugLine("could not retrieve the user's application data directory!\n");
    return false;
}

}  // namespace

void WriteSettingsFile()
{
    for (const SettingsKey& key : kSettingsKeys) {
        char value[kSettingsTextSize];
        if (key.number)
            snprintf(value, sizeof value, "%u", unsigned(CurrentSettings->*key.number));
        else
            CopySettingsText(value, CurrentSettings->*key.text);
        WritePrivateProfileStringA(key.section, key.name, value, SettingsFilePath);
    }
}

void ReadSettingsFile()
{
    for (const SettingsKey& key : kSettingsKeys) {
        if (key.number) {
            const UINT value = GetPrivateProfileIntA(key.section, key.name, INT(key.missingNumber),
                                                     SettingsFilePath);
            CurrentSettings->*key.number = uint16_t(value);
        } else {
            char(&field)[kSettingsTextSize] = CurrentSettings->*key.text;
            memset(field, 0, sizeof field);
            GetPrivateProfileStringA(key.section, key.name, key.missingText, field, sizeof field,
                                     SettingsFilePath);
            field[sizeof field - 1] = '\0';
        }
    }
}

bool PrepareSettingsFile()
{
    char folder[MAX_PATH];
    if (SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, folder) != S_OK)
        return ReportNoDataFolder();
    return PrepareSettingsFileIn(folder);
}

bool PrepareSettingsFileIn(const char* baseFolder)
{
    if (!baseFolder) return ReportNoDataFolder();
    // The whole file path must fit before anything is created.
    const size_t folderLength = strlen(baseFolder) + 1 + strlen(kFolderName);
    if (folderLength + 1 + strlen(kFileName) >= kSettingsFilePathSize) return ReportNoDataFolder();

    snprintf(SettingsFilePath, kSettingsFilePathSize, "%s\\%s", baseFolder, kFolderName);
    if (!PathExists(SettingsFilePath)) CreateDirectoryA(SettingsFilePath, nullptr);
    snprintf(SettingsFilePath + folderLength, kSettingsFilePathSize - folderLength, "\\%s",
             kFileName);
    if (PathExists(SettingsFilePath)) ReadSettingsFile();
    WriteSettingsFile();
    return true;
}
