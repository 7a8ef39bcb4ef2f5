#pragma once

#include <windows.h>

// The name of the mutex that marks a running Velvane.
constexpr char kInstanceMutexName[] = "tq_Velvane";

// Creates the named mutex that marks a running instance and gives its
// handle. Null when a mutex of that name already exists (another instance
// created it: the handle is closed again) or none can be created. Two
// copies started at once cannot both get a handle.
HANDLE ClaimSingleInstance(const char* name);

// The running instance's main dialog, null when none shows (an ending
// instance's is hidden).
HWND RunningMainWindow();

// ClaimSingleInstance, tried again every 100 ms for up to waitMs while
// another instance holds the mutex without a main dialog: one that is still
// ending (a start right after "&Quit") is waited for, so that the start
// succeeds. Null at once when the other instance's main dialog shows.
HANDLE ClaimSingleInstanceWhenFree(const char* name, DWORD waitMs);

// Brings the running instance's main dialog to the front, when it has one:
// restored when minimised, raised above the other windows and made the
// foreground window. The copy the user just started may do that.
void BringRunningInstanceToFront();
