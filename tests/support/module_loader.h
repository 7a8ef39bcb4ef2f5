#pragma once

#include <string>

// Opens a plug-in module and finds its exported functions: dlopen natively,
// LoadLibraryA on Windows.

// The module's handle, or null with the reason in *error.
void* OpenModule(const std::string& path, std::string* error);
// The exported function's address, or null when the module has none of that name.
void* FindModuleSymbol(void* module, const char* name);
void CloseModule(void* module);
