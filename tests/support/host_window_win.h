#pragma once

#include <windows.h>

// A shown top-level window of its own class, width by height inside, for a
// plug-in editor to open in.
HWND CreateHostWindow(int width, int height);
void DestroyHostWindow(HWND window);
// Dispatches the thread's messages for about the given time.
void PumpMessages(int milliseconds);
