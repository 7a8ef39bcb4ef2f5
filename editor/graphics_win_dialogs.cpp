#include "editor/graphics_win.h"

#include <commdlg.h>
#include <shellapi.h>
#include <wininet.h>

#include "core/text_buffer.h"
#include "core/unit_editor.h"
#include "editor/file_filter.h"

namespace {

// The file dialog's name and folder buffers.
constexpr int kDialogPathSize = 256;
constexpr int kCustomColourCount = 16;

#ifdef _WIN64
static_assert(sizeof(OPENFILENAMEA) == 152, "the file dialog's record");
static_assert(sizeof(CHOOSECOLORA) == 72, "the colour dialog's record");
#endif

}  // namespace

void IGraphicsWin::AskForFile(TextBuffer* file, int action, TextBuffer* folder,
                              const char* extensions)
{
    if (!file) return;
    if (!window) {
        file->Assign("");
        return;
    }
    char name[kDialogPathSize];
    CopyTextBounded(name, sizeof name, file->Get());
    // The default folder is asked for into a copy: the caller's text stays.
    TextBuffer start;
    start.Assign(folder ? folder->Get() : "");
    if (!*start.Get()) DefaultFileFolder(&start);
    char initialFolder[kDialogPathSize];
    CopyTextBounded(initialFolder, sizeof initialFolder, start.Get());
    const FileDialogFilter filter = MakeFileDialogFilter(extensions);

    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window;
    dialog.lpstrFile = name;
    dialog.nMaxFile = sizeof name;
    dialog.lpstrInitialDir = initialFolder;
    if (!filter.filter.empty()) {
        dialog.lpstrFilter = filter.filter.c_str();
        dialog.lpstrDefExt = filter.defaultExtension.c_str();
    }
    // The working folder is the process's: inside a host, its relative paths
    // depend on it.
    dialog.Flags = OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    bool chosen;
    if (action == kFileSave) {
        dialog.Flags |= OFN_OVERWRITEPROMPT;
        chosen = GetSaveFileNameA(&dialog);
    } else {
        dialog.Flags |= OFN_FILEMUSTEXIST;
        chosen = GetOpenFileNameA(&dialog);
    }
    file->Assign(chosen ? name : "");
}

bool IGraphicsWin::AskForColour(IArgb* colour, const char* prompt)
{
    if (!window || !colour) return false;
    if (!customColours) customColours = new COLORREF[kCustomColourCount]{};
    CHOOSECOLORA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window;
    dialog.rgbResult = colour->SystemColour();
    dialog.lpCustColors = customColours;
    dialog.lCustData = reinterpret_cast<LPARAM>(prompt);
    dialog.lpfnHook = ColourDialogHook;
    dialog.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ENABLEHOOK | CC_SOLIDCOLOR | CC_ANYCOLOR;
    if (!ChooseColorA(&dialog)) return false;
    colour->red = GetRValue(dialog.rgbResult);
    colour->green = GetGValue(dialog.rgbResult);
    colour->blue = GetBValue(dialog.rgbResult);
    return true;
}

UINT_PTR CALLBACK ColourDialogHook(HWND dialog, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_INITDIALOG && lParam) {
        const auto* record = reinterpret_cast<const CHOOSECOLORA*>(lParam);
        if (record->lCustData)
            SetWindowTextA(dialog, reinterpret_cast<const char*>(record->lCustData));
    }
    return 0;
}

bool IGraphicsWin::OpenLink(const char* url, const char* title, const char* confirm,
                            const char* error)
{
    if (!url) return false;
    if (confirm && MessageBoxA(window, confirm, title, MB_YESNO) != IDYES) return false;
    DWORD connection = 0;
    if (InternetGetConnectedState(&connection, 0) &&
        reinterpret_cast<INT_PTR>(
            ShellExecuteA(window, "open", url, nullptr, nullptr, SW_SHOWNORMAL)) > 32)
        return true;
    if (error) MessageBoxA(window, error, title, MB_OK);
    return false;
}
