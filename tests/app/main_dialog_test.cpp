// The program's main dialog from its resources in a real window under Wine:
// caption, menu, size and place, and closing.
#include <windows.h>

#include <gtest/gtest.h>

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
