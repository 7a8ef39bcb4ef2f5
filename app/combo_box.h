#pragma once

#include <windows.h>

#include <string>

// Drop-down lists of a dialog, by control id.

void ClearCombo(HWND dialog, int id);
void AddComboText(HWND dialog, int id, const char* text);
// Selects entry index; an index outside the list leaves none selected.
void SelectComboEntry(HWND dialog, int id, int index);
// The selected index, -1 for none.
int ComboSelection(HWND dialog, int id);
// The index of the entry equal to text ignoring case, -1 for none.
int FindComboEntry(HWND dialog, int id, const char* text);
// Selects the entry equal to text ignoring case; none when absent. The index
// selected or -1.
int SelectComboText(HWND dialog, int id, const char* text);
// The selected entry's whole text; false, with out empty, for none.
bool SelectedComboText(HWND dialog, int id, std::string* out);
