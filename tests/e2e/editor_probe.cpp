// A helper of the end-to-end run: finds the running program's editor window.
//   editor_probe where   prints the screen position of the editor's client
//                        area ("x y") and the program's process id; exit 1
//                        while there is none
//   editor_probe close   closes the program's main window; exit 1 when none
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

HWND MainWindow() { return FindWindowA(nullptr, "Velvane"); }

int Where()
{
    HWND main = MainWindow();
    HWND editor = main ? FindWindowExA(main, nullptr, "IUnitWndClass", "IUnit") : nullptr;
    if (!editor) return 1;
    POINT origin = {0, 0};
    ClientToScreen(editor, &origin);
    std::printf("%ld %ld\n", long(origin.x), long(origin.y));
    std::fflush(stdout);
    return 0;
}

int Close()
{
    HWND main = MainWindow();
    if (!main) return 1;
    PostMessageA(main, WM_CLOSE, 0, 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "where") == 0) return Where();
    if (argc == 2 && std::strcmp(argv[1], "close") == 0) return Close();
    std::fprintf(stderr, "usage: editor_probe where|close\n");
    return 2;
}
