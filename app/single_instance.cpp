#include "app/single_instance.h"

HANDLE ClaimSingleInstance(const char* name)
{
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return nullptr;
    }
    return mutex;
}

HWND RunningMainWindow()
{
    // An ending copy's main dialog is hidden while the system destroys it.
    HWND main = FindWindowA(WC_DIALOG, "Velvane");
    return main && IsWindowVisible(main) ? main : nullptr;
}

HANDLE ClaimSingleInstanceWhenFree(const char* name, DWORD waitMs)
{
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        if (HANDLE mutex = ClaimSingleInstance(name)) return mutex;
        if (RunningMainWindow() || GetTickCount64() - start >= waitMs) return nullptr;
        Sleep(100);
    }
}

void BringRunningInstanceToFront()
{
    HWND main = RunningMainWindow();
    if (!main) return;
    if (IsIconic(main)) ShowWindow(main, SW_RESTORE);
    // Activating leaves the window's place among the others to a window
    // manager, which Wine may not have: it is raised here.
    SetWindowPos(main, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(main);
}
