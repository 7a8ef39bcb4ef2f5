// The message loop in real windows under Wine: the dialog a message goes to,
// dispatching and translating until the quit message.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/message_loop.h"

namespace {

HWND MakeWindow(const char* className, DWORD style, HWND parent)
{
    HWND window =
        CreateWindowExA(0, className, "", style, 0, 0, 50, 50, parent, nullptr, nullptr, nullptr);
    EXPECT_NE(window, nullptr);
    return window;
}

TEST(MessageLoop, MessagesGoToTheTopLevelOrOutermostDialogAbove)
{
    const DWORD child = WS_CHILD | WS_VISIBLE;
    HWND topDialog = MakeWindow(WC_DIALOG, WS_POPUP, nullptr);
    HWND innerDialog = MakeWindow(WC_DIALOG, child, topDialog);
    HWND button = MakeWindow("Button", child, innerDialog);
    EXPECT_EQ(DialogForMessage(button), topDialog);
    EXPECT_EQ(DialogForMessage(topDialog), topDialog);

    HWND plain = MakeWindow("Static", WS_POPUP, nullptr);
    HWND outerChild = MakeWindow(WC_DIALOG, child, plain);
    HWND innerChild = MakeWindow(WC_DIALOG, child, outerChild);
    HWND edit = MakeWindow("Edit", child, innerChild);
    EXPECT_EQ(DialogForMessage(edit), outerChild);
    EXPECT_EQ(DialogForMessage(MakeWindow("Button", child, plain)), nullptr);
    EXPECT_EQ(DialogForMessage(nullptr), nullptr);
    DestroyWindow(plain);
    DestroyWindow(topDialog);
}

std::vector<UINT> gReceived;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP || message == WM_KEYDOWN || message == WM_CHAR)
        gReceived.push_back(message);
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(MessageLoop, DispatchesAndTranslatesUntilTheQuitMessage)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VelvaneLoopTest";
    ASSERT_TRUE(RegisterClassA(&windowClass));
    HWND window = MakeWindow("VelvaneLoopTest", WS_POPUP, nullptr);
    gReceived.clear();
    PostMessageA(window, WM_APP, 0, 0);
    PostMessageA(window, WM_KEYDOWN, 'A', 1);
    PostThreadMessageA(GetCurrentThreadId(), WM_APP + 1, 0, 0);
    PostQuitMessage(0);
    RunMessageLoop();
    EXPECT_EQ(gReceived, (std::vector<UINT>{WM_APP, WM_KEYDOWN, WM_CHAR}));
    DestroyWindow(window);
    UnregisterClassA("VelvaneLoopTest", GetModuleHandleA(nullptr));
}

}  // namespace
