#pragma once

#include <windows.h>

#include <cstring>
#include <vector>

// A dialog from the program's template, left hidden: under Wine without a
// window manager every visible window takes seconds to withdraw.
inline HWND CreateHiddenDialog(int id, DLGPROC procedure, LPARAM parameter)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), RT_DIALOG);
    if (!resource) return nullptr;
    const DWORD size = SizeofResource(module, resource);
    std::vector<DWORD> copy((size + sizeof(DWORD) - 1) / sizeof(DWORD));
    std::memcpy(copy.data(), LockResource(LoadResource(module, resource)), size);
    reinterpret_cast<DLGTEMPLATE*>(copy.data())->style &= ~DWORD(WS_VISIBLE);
    return CreateDialogIndirectParamA(module, reinterpret_cast<DLGTEMPLATE*>(copy.data()), nullptr,
                                      procedure, parameter);
}
