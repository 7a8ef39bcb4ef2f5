#pragma once

#include <string>

// The settings file "settings.ini" in the folder "tq_Velvane" of the user's
// local application-data folder: sections "audio" and "midi", every value as
// text. All of these run on the UI thread, after CreateSettingsRecords and
// AllocateSettingsFilePath.

// Writes every field of CurrentSettings to the file at SettingsFilePath, one
// key at a time. False when a key could not be written (the file is locked
// or immutable, for one): the platform then leaves the file as it was.
bool WriteSettingsFile();

// WriteSettingsFile where a failure is not told: the writes the program makes
// of itself (a MIDI port turned "off", the preferences' Cancel).
void WriteSettingsFileQuietly();

// Reads every key of the file at SettingsFilePath into CurrentSettings; a
// missing key takes its default, which for the MIDI ports is "no input" and
// "no output". Integers keep the low 16 bits of the platform's reading.
void ReadSettingsFile();

// Locates the file in the local application-data folder (which the shell
// creates when it is missing) and prepares it as PrepareSettingsFileIn does.
// False, after the debug line "could not retrieve the user's application
// data directory!", when the shell has no such folder.
bool PrepareSettingsFile(std::string* problem);

// Sets SettingsFilePath to baseFolder\tq_Velvane\settings.ini, creates the
// folders of that path that are missing, reads the file when it exists and
// then writes it. False, with the same debug line as a missing folder, when
// baseFolder is null, the path would not fit in SettingsFilePath or a folder
// cannot be made (a file of its name is in the way, for one); then problem,
// when not null, tells the user what went wrong.
bool PrepareSettingsFileIn(const char* baseFolder, std::string* problem);
