// velvane.exe: one instance at a time; everything else is RunApplication's.
#include <windows.h>

#include <exception>

#include "app/application.h"
#include "app/single_instance.h"
#include "core/debug_text.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // A copy that is still ending holds the mutex for a moment: it is waited
    // for; a copy that is starting shows its window within seconds.
    HANDLE instanceMutex = ClaimSingleInstanceWhenFree(kInstanceMutexName, 10000);
    if (!instanceMutex) {
        BringRunningInstanceToFront();
        return 0;
    }
    int result = 0;
    try {
        result = RunApplication(instance);
    } catch (const std::exception& error) {
        WriteDebugLine("another instance running\n");
        WriteDebugLine("%s\n", error.what());
    } catch (...) {
        WriteDebugLine("another instance running\n");
    }
    CloseHandle(instanceMutex);
    return result;
}
