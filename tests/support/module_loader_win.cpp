#include "support/module_loader.h"

#include <windows.h>

void* OpenModule(const std::string& path, std::string* error)
{
    HMODULE module = LoadLibraryA(path.c_str());
    const DWORD reason = GetLastError();
    if (!module && error)
        *error = path + ": LoadLibraryA failed with error " + std::to_string(reason);
    return module;
}

void* FindModuleSymbol(void* module, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

void CloseModule(void* module)
{
    FreeLibrary(static_cast<HMODULE>(module));
}
