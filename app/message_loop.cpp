#include "app/message_loop.h"

#include "app/main_dialog.h"

namespace {

// The class atom of the system's dialog class.
constexpr ULONG_PTR kDialogClassAtom = 32770;

bool IsDialogWindow(HWND window)
{
    return GetClassLongA(window, GCW_ATOM) == kDialogClassAtom;
}

bool IsChildWindow(HWND window)
{
    return (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0;
}

void HandleMessage(MSG& message)
{
    if (!message.hwnd) {
        DispatchMessageA(&message);
        return;
    }
    if (MainDialog && IsDialogMessageA(MainDialog, &message)) return;
    HWND dialog = DialogForMessage(message.hwnd);
    if (dialog && IsDialogMessageA(dialog, &message)) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

}  // namespace

HWND DialogForMessage(HWND window)
{
    HWND candidate = nullptr;
    for (HWND w = window; w; w = GetParent(w)) {
        if (!IsDialogWindow(w)) continue;
        candidate = w;
        if (!IsChildWindow(w)) break;
    }
    return candidate;
}

void RunMessageLoop()
{
    for (;;) {
        MSG message = {};
        const BOOL result = GetMessageA(&message, nullptr, 0, 0);
        if (result == 0) return;
        if (result < 0) {
            Sleep(10);
            continue;
        }
        HandleMessage(message);
    }
}
