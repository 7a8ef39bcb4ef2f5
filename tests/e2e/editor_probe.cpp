// A helper of the end-to-end runs (tools/e2e.sh, tools/run.sh): finds the
// running program's windows and posts what a user would do.
//   editor_probe where          the editor's client origin on the screen ("x y");
//                               exit 1 while there is none
//   editor_probe menu ID        posts the main window's menu command ID
//   editor_probe wheel X Y N    turns the wheel N steps over editor point (X, Y)
//   editor_probe cancel TITLE   presses Cancel in the dialog titled TITLE
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HWND MainWindow() { return FindWindowA(nullptr, "Velvane"); }

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

int Menu(int id)
{
    HWND main = MainWindow();
    return main && PostMessageA(main, WM_COMMAND, WPARAM(id), 0) ? 0 : 1;
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

int Cancel(const char* title)
{
    HWND dialog = FindWindowA(nullptr, title);
    return dialog && PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* command = argc > 1 ? argv[1] : "";
    if (argc == 2 && std::strcmp(command, "where") == 0) return Where();
    if (argc == 3 && std::strcmp(command, "menu") == 0) return Menu(std::atoi(argv[2]));
    if (argc == 5 && std::strcmp(command, "wheel") == 0)
        return Wheel(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 3 && std::strcmp(command, "cancel") == 0) return Cancel(argv[2]);
    std::fprintf(stderr, "usage: editor_probe where | menu ID | wheel X Y STEPS | cancel TITLE\n");
    return 2;
}
