#pragma once

#include <windows.h>

// The program's message boxes. None is captioned "Velvane", the main
// window's caption, by which a second copy finds the main window.

// A notice about the audio: caption "Velvane audio", information icon.
void ShowAudioNotice(HWND owner, const char* text);

// A notice about the settings file: caption "Velvane settings", warning
// icon.
void ShowSettingsNotice(HWND owner, const char* text);

// Whether an audio or settings notice is open: its message loop serves the
// timers of the program's windows, which must not open another on top.
bool NoticeShown();

// Why the program cannot start: caption "Velvane cannot start", error icon,
// no owner (there is no main window yet).
void ShowStartFailure(const char* text);
