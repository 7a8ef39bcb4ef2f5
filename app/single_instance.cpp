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

void BringRunningInstanceToFront()
{
    HWND main = FindWindowA(WC_DIALOG, "Velvane");
    if (!main) return;
    if (IsIconic(main)) ShowWindow(main, SW_RESTORE);
    SetForegroundWindow(main);
}
