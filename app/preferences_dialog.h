#pragma once

#include <windows.h>

// The preferences dialog (resource IDD_PREFERENCES): edits CurrentSettings
// in place. Its creation parameter is the AudioMidiServices it works with,
// null for the real ones. Ends with IDOK or IDCANCEL.
INT_PTR CALLBACK PreferencesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The preferences dialog while one exists, null otherwise.
HWND PreferencesDialog();
