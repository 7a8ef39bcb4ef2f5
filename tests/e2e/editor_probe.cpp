// A helper of the end-to-end runs (tools/e2e.sh, tools/run.sh): finds the
// running program's windows and posts what a user would do.
//   editor_probe where          the editor's client origin on the screen ("x y");
//                               exit 1 while there is none
//   editor_probe menu ID [N]    posts the main window's menu command ID (N times
//                               in a row)
//   editor_probe wheel X Y N    turns the wheel N steps over editor point (X, Y)
//   editor_probe cancel TITLE   presses Cancel in the dialog titled TITLE (also
//                               closes a message box)
//   editor_probe ok TITLE       presses OK in the dialog titled TITLE
//   editor_probe button TITLE ID  presses button ID in the dialog titled TITLE
//   editor_probe click TITLE ID   clicks control ID of the dialog titled TITLE
//                               (a check box changes its state)
//   editor_probe count TITLE    the number of top-level windows titled TITLE
//   editor_probe text TITLE     the message of the message box titled TITLE
//   editor_probe selection TITLE ID  the selected entry of drop-down list ID in
//                               the dialog titled TITLE (an empty line for none)
//   editor_probe foreground     the foreground window's title, followed by
//                               " (minimised)" when it is minimised
//   editor_probe top            the title of the visible top-level window in
//                               front of all others
//   editor_probe minimise TITLE minimises the window titled TITLE
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The first visible top-level window titled title (an ending program's main
// window is hidden while the system destroys it).
HWND VisibleWindow(const char* title)
{
    for (HWND w = FindWindowExA(nullptr, nullptr, nullptr, title); w;
         w = FindWindowExA(nullptr, w, nullptr, title))
        if (IsWindowVisible(w)) return w;
    return nullptr;
}

HWND MainWindow()
{
    return VisibleWindow("Velvane");
}

HWND Editor()
{
    HWND main = MainWindow();
    return main ? FindWindowExA(main, nullptr, "IUnitWndClass", "IUnit") : nullptr;
}

int Where()
{
    HWND editor = Editor();
    if (!editor) return 1;
    POINT origin = {0, 0};
    ClientToScreen(editor, &origin);
    std::printf("%ld %ld\n", long(origin.x), long(origin.y));
    std::fflush(stdout);
    return 0;
}

int Menu(int id, int times)
{
    HWND main = MainWindow();
    if (!main) return 1;
    for (int i = 0; i < times; ++i)
        if (!PostMessageA(main, WM_COMMAND, WPARAM(id), 0)) return 1;
    return 0;
}

int Wheel(int x, int y, int steps)
{
    HWND editor = Editor();
    if (!editor) return 1;
    POINT at = {x, y};
    ClientToScreen(editor, &at);
    const WPARAM wParam = MAKEWPARAM(0, WORD(short(steps * WHEEL_DELTA)));
    return PostMessageA(editor, WM_MOUSEWHEEL, wParam, MAKELPARAM(at.x, at.y)) ? 0 : 1;
}

int Press(const char* title, int button)
{
    HWND dialog = VisibleWindow(title);
    return dialog && PostMessageA(dialog, WM_COMMAND, WPARAM(button), 0) ? 0 : 1;
}

int Click(const char* title, int control)
{
    HWND dialog = VisibleWindow(title);
    HWND item = dialog ? GetDlgItem(dialog, control) : nullptr;
    if (!item) return 1;
    SendMessageA(item, BM_CLICK, 0, 0);
    return 0;
}

// A message box's text is its static control 0xFFFF.
int Text(const char* title)
{
    HWND box = VisibleWindow(title);
    char text[1024] = {};
    if (!box || !GetDlgItemTextA(box, 0xFFFF, text, sizeof text)) return 1;
    std::printf("%s\n", text);
    std::fflush(stdout);
    return 0;
}

// A drop-down list's text is its selected entry's.
int Selection(const char* title, int list)
{
    HWND dialog = VisibleWindow(title);
    if (!dialog || !GetDlgItem(dialog, list)) return 1;
    char text[256] = {};
    GetDlgItemTextA(dialog, list, text, sizeof text);
    std::printf("%s\n", text);
    std::fflush(stdout);
    return 0;
}

int Count(const char* title)
{
    int count = 0;
    for (HWND w = FindWindowExA(nullptr, nullptr, nullptr, title); w;
         w = FindWindowExA(nullptr, w, nullptr, title))
        if (IsWindowVisible(w)) ++count;
    std::printf("%d\n", count);
    std::fflush(stdout);
    return 0;
}

// Prints the window's title (empty for none), then suffix.
int PrintTitle(HWND window, const char* suffix)
{
    char title[256] = {};
    if (window) GetWindowTextA(window, title, sizeof title);
    std::printf("%s%s\n", title, suffix);
    std::fflush(stdout);
    return 0;
}

int Foreground()
{
    HWND window = GetForegroundWindow();
    return PrintTitle(window, window && IsIconic(window) ? " (minimised)" : "");
}

int Top()
{
    HWND window = GetTopWindow(nullptr);
    while (window && !IsWindowVisible(window)) window = GetWindow(window, GW_HWNDNEXT);
    return PrintTitle(window, "");
}

int Minimise(const char* title)
{
    HWND window = VisibleWindow(title);
    if (!window) return 1;
    ShowWindow(window, SW_MINIMIZE);  // sent to the window's thread: done on return
    return IsIconic(window) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* command = argc > 1 ? argv[1] : "";
    if (argc == 2 && std::strcmp(command, "where") == 0) return Where();
    if ((argc == 3 || argc == 4) && std::strcmp(command, "menu") == 0)
        return Menu(std::atoi(argv[2]), argc == 4 ? std::atoi(argv[3]) : 1);
    if (argc == 5 && std::strcmp(command, "wheel") == 0)
        return Wheel(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 3 && std::strcmp(command, "cancel") == 0) return Press(argv[2], IDCANCEL);
    if (argc == 3 && std::strcmp(command, "ok") == 0) return Press(argv[2], IDOK);
    if (argc == 4 && std::strcmp(command, "button") == 0) return Press(argv[2], std::atoi(argv[3]));
    if (argc == 4 && std::strcmp(command, "click") == 0) return Click(argv[2], std::atoi(argv[3]));
    if (argc == 3 && std::strcmp(command, "count") == 0) return Count(argv[2]);
    if (argc == 3 && std::strcmp(command, "text") == 0) return Text(argv[2]);
    if (argc == 4 && std::strcmp(command, "selection") == 0)
        return Selection(argv[2], std::atoi(argv[3]));
    if (argc == 2 && std::strcmp(command, "foreground") == 0) return Foreground();
    if (argc == 2 && std::strcmp(command, "top") == 0) return Top();
    if (argc == 3 && std::strcmp(command, "minimise") == 0) return Minimise(argv[2]);
    std::fprintf(stderr,
                 "usage: editor_probe where | menu ID [N] | wheel X Y STEPS | cancel TITLE | "
                 "ok TITLE | button TITLE ID | click TITLE ID | count TITLE | text TITLE | "
                 "selection TITLE ID | foreground | top | minimise TITLE\n");
    return 2;
}
