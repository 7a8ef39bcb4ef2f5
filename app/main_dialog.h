#pragma once

#include <windows.h>

// The main dialog (resource IDD_MAIN) while it exists, null otherwise.
extern HWND MainDialog;

// The main dialog's procedure: hosts the plug-in's editor and serves the
// menu. Its destruction posts the quit message.
INT_PTR CALLBACK MainDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Gives the window a client area of width x height pixels with its outer
// top-left corner at the screen's centre less half of width and height.
void CenterWindowClient(HWND window, int width, int height);

// The editor's size, which the main dialog's client area takes.
constexpr int kMainClientWidth = 1044;
constexpr int kMainClientHeight = 347;
