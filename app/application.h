#pragma once

#include <windows.h>

// The program once it is the only instance: the common controls, the
// settings, audio, MIDI and the plug-in, the main dialog from instance's
// resources and the message loop until it is destroyed, then the shutdown.
// 0, or 1 after telling the user in a message box why it cannot start (no
// folder for the settings, no main window).
int RunApplication(HINSTANCE instance);
