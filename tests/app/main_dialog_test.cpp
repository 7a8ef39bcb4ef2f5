// The program's main dialog from its resources in a real window under Wine:
// caption, menu, size and place, the about box, and closing.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/build_date.h"
#include "app/main_dialog.h"
#include "app/resource_ids.h"

namespace {

void DrainQuitMessage()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

// A client area of width x height, the window's top left corner half of it
// up and left of the screen's centre.
void ExpectClientAreaInTheScreensMiddle(HWND window, int width, int height)
{
    RECT client, outer;
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    EXPECT_EQ(client.right, width);
    EXPECT_EQ(client.bottom, height);
    EXPECT_EQ(outer.left, GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2);
    EXPECT_EQ(outer.top, GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2);
}

TEST(MainDialog, ItsClientAreaIsTheEditorsSizeInTheScreensMiddle)
{
    HWND main = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN),
                                   GetDesktopWindow(), MainDlgProc, 0);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(MainDialog, main);
    EXPECT_TRUE(IsWindowVisible(main));
    char caption[32] = {};
    GetWindowTextA(main, caption, sizeof caption);
    EXPECT_STREQ(caption, "Velvane");
    ASSERT_NE(GetMenu(main), nullptr);
    char item[32] = {};
    GetMenuStringA(GetMenu(main), IDM_PREFERENCES, item, sizeof item, MF_BYCOMMAND);
    EXPECT_STREQ(item, "Preferences...");

    ExpectClientAreaInTheScreensMiddle(main, 1044, 347);

    SendMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(MainDialog, nullptr);
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
    DrainQuitMessage();
}

// What a message box of the thread showed, read from inside its own loop by
// a thread timer, which then presses its OK button.
struct SeenMessageBox {
    HWND notThis = nullptr;  // the main dialog, a dialog too
    HWND box = nullptr;
    std::string caption, text;
    HWND owner = nullptr;
    bool ownerEnabled = true;
    bool cancelButton = true;
};
SeenMessageBox gSeen;

BOOL CALLBACK FindMessageBox(HWND window, LPARAM)
{
    char kind[16] = {};
    GetClassNameA(window, kind, sizeof kind);
    if (window == gSeen.notThis || std::strcmp(kind, "#32770") != 0) return TRUE;
    gSeen.box = window;
    return FALSE;
}

void CALLBACK ReadAndCloseMessageBox(HWND, UINT, UINT_PTR, DWORD)
{
    if (gSeen.box) return;
    EnumThreadWindows(GetCurrentThreadId(), FindMessageBox, 0);
    if (!gSeen.box) return;
    char text[256] = {};
    GetWindowTextA(gSeen.box, text, sizeof text);
    gSeen.caption = text;
    GetDlgItemTextA(gSeen.box, 0xFFFF, text, sizeof text);  // a message box's text
    gSeen.text = text;
    gSeen.owner = GetWindow(gSeen.box, GW_OWNER);
    gSeen.ownerEnabled = IsWindowEnabled(gSeen.owner) != FALSE;
    gSeen.cancelButton = GetDlgItem(gSeen.box, IDCANCEL) != nullptr;
    PostMessageA(gSeen.box, WM_COMMAND, IDOK, 0);
}

TEST(MainDialog, AboutShowsTheProgramsNameAndBuildDateInABoxOfItsOwn)
{
    HWND main = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN),
                                   GetDesktopWindow(), MainDlgProc, 0);
    ASSERT_NE(main, nullptr);
    char item[32] = {};
    GetMenuStringA(GetMenu(main), IDM_ABOUT, item, sizeof item, MF_BYCOMMAND);
    EXPECT_STREQ(item, "&About");

    gSeen = SeenMessageBox();
    gSeen.notThis = main;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, ReadAndCloseMessageBox);
    // Returns when the box is closed.
    SendMessageA(main, WM_COMMAND, IDM_ABOUT, 0);
    KillTimer(nullptr, timer);

    ASSERT_NE(gSeen.box, nullptr);
    EXPECT_FALSE(IsWindow(gSeen.box));
    EXPECT_EQ(gSeen.caption, "tq_Velvane");
    EXPECT_EQ(gSeen.text, "Kestrane\nBuilt on " VELVANE_BUILD_DATE);
    EXPECT_EQ(gSeen.owner, main);
    EXPECT_FALSE(gSeen.ownerEnabled) << "the box is modal to the main window";
    EXPECT_FALSE(gSeen.cancelButton) << "OK is its only button";
    EXPECT_TRUE(IsWindowEnabled(main));

    DestroyWindow(main);
    DrainQuitMessage();
}

TEST(MainDialog, CenterWindowClientSizesTheClientAreaOfAnyFrame)
{
    HWND window = CreateWindowExA(0, "Static", "framed", WS_OVERLAPPEDWINDOW, 10, 10, 100, 100,
                                  nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    CenterWindowClient(window, 301, 199);
    ExpectClientAreaInTheScreensMiddle(window, 301, 199);
    DestroyWindow(window);
}

}  // namespace
