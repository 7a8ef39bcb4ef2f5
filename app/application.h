#pragma once

#include <windows.h>

// The program once it is the only instance: the common controls, the
// settings, audio, MIDI and the plug-in, the main dialog from instance's
// resources and the message loop until it is destroyed, then the shutdown.
// 0, or 1 when the user's local application-data folder is missing.
int RunApplication(HINSTANCE instance);
