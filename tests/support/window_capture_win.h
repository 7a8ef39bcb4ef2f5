#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// The client area of a window as the system shows it, width x height pixels
// of 0xRRGGBB, top row first; empty when it cannot be read.
std::vector<uint32_t> CaptureClientArea(HWND window, int width, int height);
