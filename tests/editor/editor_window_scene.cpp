#include "editor_window_scene.h"

std::vector<std::pair<UINT, WPARAM>> gRootKeys;

namespace {

LRESULT CALLBACK RootWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN || message == WM_KEYUP) gRootKeys.emplace_back(message, wParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterTestClasses()
{
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXA root = {};
    root.cbSize = sizeof root;
    root.lpfnWndProc = RootWindowProc;
    root.hInstance = GetModuleHandleA(nullptr);
    root.lpszClassName = kRootClass;
    RegisterClassExA(&root);
    WNDCLASSEXA host = root;
    host.lpfnWndProc = DefWindowProcA;
    host.lpszClassName = kHostClass;
    RegisterClassExA(&host);
    registered = true;
}

}  // namespace

// Under Wine an activated window is left to a window manager, and there is
// none to confirm its destruction.
HWND MakeRootWindow()
{
    RegisterTestClasses();
    HWND root = CreateWindowExA(0, kRootClass, "root", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ShowWindow(root, SW_SHOWNOACTIVATE);
    return root;
}

// A bordered child, so that its window and client rectangles differ.
HWND MakeHostWindow(HWND root)
{
    return CreateWindowExA(0, kHostClass, "host", WS_CHILD | WS_VISIBLE | WS_BORDER, 15, 12, 300,
                           200, root, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// A vertical strip of equal frames, one colour each, owned by the image cache.
IImageStrip MakeStrip(IGraphics* editor, int width, int frameHeight,
                      const std::vector<PIX_PackedColor>& frames)
{
    const int count = int(frames.size());
    PIX_MemBitmap* bitmap = new PIX_MemBitmap(width, frameHeight * count, 4);
    for (int y = 0; y < frameHeight * count; ++y)
        for (int x = 0; x < width; ++x)
            bitmap->PixelData()[y * bitmap->RowStride() + x] = frames[y / frameHeight];
    const IImageStrip strip = {bitmap, width, frameHeight * count, count, false};
    editor->AddToImageCache(&strip);
    return strip;
}

// What the window shows at a point of its client area, as a packed colour.
PIX_PackedColor WindowPixel(HWND window, POINT p)
{
    HDC dc = GetDC(window);
    const COLORREF c = GetPixel(dc, p.x, p.y);
    ReleaseDC(window, dc);
    return 0xFF000000 | PIX_PackedColor(GetRValue(c)) << 16 | PIX_PackedColor(GetGValue(c)) << 8 |
           GetBValue(c);
}
