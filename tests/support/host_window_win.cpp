#include "support/host_window_win.h"

namespace {

const char kClassName[] = "VelvaneTestHostWindow";

void RegisterHostClass()
{
    static bool registered = false;
    if (registered) return;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    registered = RegisterClassA(&windowClass) != 0;
}

}  // namespace

HWND CreateHostWindow(int width, int height)
{
    RegisterHostClass();
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, style, FALSE);
    HWND window = CreateWindowExA(0, kClassName, "VST host", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    if (window) {
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    }
    return window;
}

void DestroyHostWindow(HWND window)
{
    if (window) DestroyWindow(window);
}

void PumpMessages(int milliseconds)
{
    const ULONGLONG end = GetTickCount64() + ULONGLONG(milliseconds > 0 ? milliseconds : 0);
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    } while (GetTickCount64() < end);
}
