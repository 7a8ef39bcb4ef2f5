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

bool FolderExists(const std::string& path)
{
    struct _stat info;
    return _stat(path.c_str(), &info) == 0 && (info.st_mode & _S_IFDIR) != 0;
}

bool ReportNoDataFolder(std::string* problem, const std::string& text)
{
    WriteDebugLine("could not retrieve the user's application data directory!\n");
    if (problem) *problem = text;
    return false;
}

// The length of the path's root ("C:\", "\\server\share\" or nothing), which
// is not made.
size_t RootLength(const std::string& path)
{
    if (path.size() >= 2 && path[1] == ':') return path.size() > 2 && path[2] == '\\' ? 3 : 2;
    if (path.compare(0, 2, "\\\\") != 0) return 0;
    size_t end = path.find('\\', 2);
    if (end != std::string::npos) end = path.find('\\', end + 1);
    return end == std::string::npos ? path.size() : end + 1;
}

// Makes each missing folder of path, from the outermost; the first that
// cannot be made is the result, empty when every folder exists.
std::string MakeFolders(const std::string& path)
{
    for (size_t end = RootLength(path); end <= path.size(); ++end) {
        if (end < path.size() && path[end] != '\\' && path[end] != '/') continue;
        const std::string folder = path.substr(0, end);
        if (folder.empty() || FolderExists(folder)) continue;
        CreateDirectoryA(folder.c_str(), nullptr);
        if (!FolderExists(folder)) return folder;
    }
    return std::string();
}

}  // namespace

bool WriteSettingsFile()
{
    bool written = true;
    for (const SettingsKey& key : kSettingsKeys) {
        char value[kSettingsTextSize];
        if (key.number)
            snprintf(value, sizeof value, "%u", unsigned(CurrentSettings->*key.number));
        else
            CopySettingsText(value, CurrentSettings->*key.text);
        if (!WritePrivateProfileStringA(key.section, key.name, value, SettingsFilePath))
            written = false;
    }
    return written;
}

void WriteSettingsFileQuietly()
{
    WriteSettingsFile();
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

bool PrepareSettingsFile(std::string* problem)
{
    char folder[MAX_PATH];
    if (SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                         SHGFP_TYPE_CURRENT, folder) != S_OK)
        return ReportNoDataFolder(
            problem,
            "Velvane could not find your local application-data folder, where it "
            "keeps its settings.");
    return PrepareSettingsFileIn(folder, problem);
}

bool PrepareSettingsFileIn(const char* baseFolder, std::string* problem)
{
    if (!baseFolder) return ReportNoDataFolder(problem, "Velvane has no folder for its settings.");
    std::string base = baseFolder;
    while (base.size() > RootLength(base) && (base.back() == '\\' || base.back() == '/'))
        base.pop_back();
    const std::string folder = base + "\\" + kFolderName;
    // The whole file path must fit before anything is created.
    if (folder.size() + 1 + strlen(kFileName) >= kSettingsFilePathSize)
        return ReportNoDataFolder(
            problem, "The path of Velvane's settings folder, " + folder + ", is too long.");
    const std::string unmade = MakeFolders(folder);
    if (!unmade.empty())
        return ReportNoDataFolder(
            problem, "Velvane could not make the folder " + unmade + " for its settings.");
    snprintf(SettingsFilePath, kSettingsFilePathSize, "%s\\%s", folder.c_str(), kFileName);
    if (PathExists(SettingsFilePath)) ReadSettingsFile();
    WriteSettingsFile();
    return true;
}
