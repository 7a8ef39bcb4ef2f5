#include "editor/graphics_win.h"

#include <commctrl.h>

#include <cstddef>
#include <cstring>

#include "core/unit_base.h"
#include "raster/png_image.h"
#include "raster/sys_bitmap.h"

static_assert(sizeof(HWND) == sizeof(IWindowHandle), "the editor's window handle is HWND");

int EditorWindowClassUses = 0;
double EditorTimerFrameRate = 25.0;

namespace {

constexpr char kClassName[] = "IUnitWndClass";
constexpr char kWindowTitle[] = "IUnit";
constexpr int kInsetRight = 6;
constexpr int kInsetBottom = 23;

RECT RectOf(const IBox& box)
{
    return RECT{box.left, box.top, box.right, box.bottom};
}

// The window class is registered by its first window. A class whose last
// window went with its parent could not be unregistered then and is reused.
void AcquireWindowClass(HINSTANCE module)
{
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    if (EditorWindowClassUses++ != 0 || GetClassInfoExA(module, kClassName, &info)) return;
    info.style = CS_DBLCLKS;
    info.lpfnWndProc = EditorWindowProc;
    info.hInstance = module;
    info.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    info.lpszClassName = kClassName;
    RegisterClassExA(&info);
}

void ReleaseWindowClass(HINSTANCE module)
{
    if (--EditorWindowClassUses == 0) UnregisterClassA(kClassName, module);
}

IPointerKeys PointerKeysOf(WPARAM wParam)
{
    IPointerKeys keys;
    keys.left = (wParam & MK_LBUTTON) != 0;
    keys.right = (wParam & MK_RBUTTON) != 0;
    keys.shift = (wParam & MK_SHIFT) != 0;
    keys.ctrl = (wParam & MK_CONTROL) != 0;
    keys.alt = GetKeyState(VK_MENU) < 0;
    return keys;
}

bool IsInputMessage(UINT message)
{
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_KEYFIRST && message <= WM_KEYLAST);
}

int SignedLow(LPARAM value)
{
    return short(LOWORD(value));
}
int SignedHigh(LPARAM value)
{
    return short(HIWORD(value));
}

// Keys the editor does not take go to the window the host dispatches from.
void PassToRoot(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND root = GetAncestor(window, GA_ROOT);
    if (root && root != window) SendMessageA(root, message, wParam, lParam);
}

void GrowWindowBy(HWND window, int width, int height, int dW, int dH)
{
    SetWindowPos(window, nullptr, 0, 0, width + dW, height + dH,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

// A search for the first top-level window, shown or not, of a process and a
// class name.
struct TopLevelSearch {
    DWORD processId;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchTopLevelWindow(HWND candidate, LPARAM lParam)
{
    TopLevelSearch* search = reinterpret_cast<TopLevelSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(candidate, &owner);
    if (owner != search->processId) return TRUE;
    TextBuffer name;
    WindowClassNameOf(candidate, &name);
    if (std::strcmp(name.Get(), search->className) != 0) return TRUE;
    search->found = candidate;
    return FALSE;
}

}  // namespace

int EditorTimerPeriod(double frameRate)
{
    return int(1000.0 / frameRate);
}

IGraphicsWin::IGraphicsWin(IUnitBase* plug, int width, int height, int frameRate)
    : IGraphics(plug, width, height, frameRate)
{
}

IGraphicsWin::~IGraphicsWin()
{
    gestureParam = -1;  // the plug-in is going: no gesture to end for it
    CloseEditorWindow();
    delete[] customColours;
}

HINSTANCE IGraphicsWin::Module() const
{
    return instance ? instance : GetModuleHandleA(nullptr);
}

bool IGraphicsWin::PresentRegion(const IRegion* region)
{
    if (!window || !region) return false;
    HDC target = paintTarget ? paintTarget : GetDC(window);
    // The open text-entry field is not painted over.
    RECT field;
    if (target && textEntryWindow && GetWindowRect(textEntryWindow, &field)) {
        MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&field), 2);
        ExcludeClipRect(target, field.left, field.top, field.right, field.bottom);
    }
    if (target && drawSurface)
        for (const IBox& box : *region)
            BitBlt(target, box.left, box.top, box.Width(), box.Height(),
                   drawSurface->DeviceContext(), box.left, box.top, SRCCOPY);
    if (target && !paintTarget) ReleaseDC(window, target);
    return true;
}

void IGraphicsWin::InvalidateAll()
{
    const RECT all = {0, 0, width, height};
    InvalidateRect(window, &all, FALSE);
}

void IGraphicsWin::CancelTextEntry()
{
    textEntryState = TextEntryCancel;
}

void IGraphicsWin::ResizeEditor(int newWidth, int newHeight)
{
    if (newWidth == width && newHeight == height) return;
    const int dW = newWidth - width, dH = newHeight - height;
    CloseTextEntry();  // its control goes with the others
    IGraphics::ResizeEditor(newWidth, newHeight);
    if (!HasWindow()) return;

    int w = 0, h = 0, parentW = 0, parentH = 0, grandW = 0, grandH = 0;
    WindowOuterSize(window, &w, &h);
    HWND parent = (ChildStyleCode(window) & 0xFF) == 1 ? GetParent(window) : nullptr;
    WindowOuterSize(parent, &parentW, &parentH);
    HWND grandparent = parent && (ChildStyleCode(parent) & 0xFF) == 1 ? GetParent(parent) : nullptr;
    WindowOuterSize(grandparent, &grandW, &grandH);

    GrowWindowBy(window, w, h, dW, dH);
    const int binding = plug ? plug->BindingKind() : kBindingStandalone;
    if (binding != kBindingVST3 && binding != kBindingRTAS) {
        if (parent) GrowWindowBy(parent, parentW, parentH, dW, dH);
        if (grandparent) GrowWindowBy(grandparent, grandW, grandH, dW, dH);
    }
    InvalidateAll();
}

bool IGraphicsWin::HasWindow()
{
    return window != nullptr;
}

int IGraphicsWin::ShowMessage(const char* text, const char* caption, int type)
{
    return MessageBoxA(TopLevelWindow(), text, caption, UINT(type));
}

void IGraphicsWin::HostFolder(TextBuffer* out)
{
    ModuleFileFolder(nullptr, out);
}

void IGraphicsWin::ModuleFolder(TextBuffer* out)
{
    ModuleFileFolder(instance, out);
}

void IGraphicsWin::DefaultFileFolder(TextBuffer*) {}

void IGraphicsWin::ExtraFolder(TextBuffer*) {}

IWindowHandle IGraphicsWin::OpenEditorWindow(IWindowHandle parent)
{
    parentWindow = parent;
    int x = 0, y = 0, w = width, h = height;
    if (window) {
        // The place in the parent's client area, where a child is positioned.
        RECT place;
        GetWindowRect(window, &place);
        MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&place), 2);
        x = place.left;
        y = place.top;
        w = place.right - place.left;
        h = place.bottom - place.top;
        CloseEditorWindow();
    }
    AcquireWindowClass(Module());
    EditorTimerFrameRate = frameRate;
    HWND created = CreateWindowExA(0, kClassName, kWindowTitle, WS_CHILD | WS_VISIBLE, x, y, w, h,
                                   parent, nullptr, Module(), this);
    if (!created) {
        ReleaseWindowClass(Module());
        return nullptr;
    }
    window = created;
    lastTickTime = GetTickCount();
    MarkAllControlsDirty();
    if (showTooltips) OpenTooltip();
    return window;
}

void IGraphicsWin::CloseEditorWindow()
{
    if (!window) return;
    // A drag the window's going cuts short ends the gesture its press began.
    ReleasePointerCapture();
    EndParameterGesture();
    // Cleared first, so the window procedure leaves the messages of this
    // destruction to the system.
    CloseTextEntry();
    HWND closing = window;
    window = nullptr;
    CloseTooltip();
    DestroyWindow(closing);
    ReleaseWindowClass(Module());
}

// The window went without CloseEditorWindow, most often with its parent; the
// class cannot be unregistered while the window still exists.
void IGraphicsWin::ForgetDestroyedWindow()
{
    ReleasePointerCapture();
    EndParameterGesture();
    ForgetTextEntry();
    window = nullptr;
    CloseTooltip();
    --EditorWindowClassUses;
}

IWindowHandle IGraphicsWin::WindowHandle()
{
    return window;
}

void IGraphicsWin::HidePointer()
{
    if (pointerHidden) return;
    POINT p = {};
    GetCursorPos(&p);
    hiddenPointerX = p.x;
    hiddenPointerY = p.y;
    ShowCursor(FALSE);
    pointerHidden = true;
}

void IGraphicsWin::ShowPointer()
{
    if (!pointerHidden) return;
    SetCursorPos(hiddenPointerX, hiddenPointerY);
    ShowCursor(TRUE);
    pointerHidden = false;
}

void IGraphicsWin::PlatformHook() {}

PIX_IBitmap* IGraphicsWin::LoadImageResource(int resourceId, const char* name)
{
    if (!name || !*name) return nullptr;
    // The text after the last point from the second character on; without a
    // point there, the text from the second character.
    const char* extension = name + 1;
    for (size_t i = std::strlen(name) - 1; i >= 1; --i) {
        if (name[i] != '.') continue;
        extension = name + i + 1;
        break;
    }
    if (lstrcmpiA(extension, "png") != 0) return nullptr;
    return PIX_DecodePngResource(Module(), resourceId, nullptr);
}

HWND IGraphicsWin::TopLevelWindow()
{
    if (topLevelWindow && IsWindow(topLevelWindow)) return topLevelWindow;
    topLevelWindow = nullptr;
    if (parentWindow && IsWindow(parentWindow)) {
        HWND outer = parentWindow;
        while (HWND up = GetParent(outer)) outer = up;
        topLevelWindow = outer;
        WindowClassNameOf(outer, &topLevelClassName);
        return outer;
    }
    if (!*topLevelClassName.Get()) return nullptr;
    TopLevelSearch search = {GetCurrentProcessId(), topLevelClassName.Get(), nullptr};
    EnumWindows(MatchTopLevelWindow, reinterpret_cast<LPARAM>(&search));
    return topLevelWindow = search.found;
}

IBox IGraphicsWin::WindowBoxInset()
{
    RECT r;
    if (!window || !GetWindowRect(window, &r)) return IBox{};
    return IBox{r.left, r.top, r.right - kInsetRight, r.bottom - kInsetBottom};
}

void IGraphicsWin::SetWindowTitle(const char* text)
{
    if (window) SetWindowTextA(window, text);
}

namespace {

// The tool record's first layout, up to the text: every version of the
// common controls takes it, while version 5, which a program without a
// manifest for version 6 gets, refuses the longer current one. The later
// fields are not used here.
constexpr UINT kToolRecordSize = offsetof(TOOLINFOA, lpszText) + sizeof(LPSTR);
#ifdef _WIN64
static_assert(kToolRecordSize == 56, "the first tool record layout");
#endif

// The record of the one tool, which covers the editor window.
TOOLINFOA EditorTool(HWND window)
{
    TOOLINFOA tool = {};
    tool.cbSize = kToolRecordSize;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(window);
    return tool;
}

}  // namespace

void IGraphicsWin::OpenTooltip()
{
    const INITCOMMONCONTROLSEX classes = {sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    if (!InitCommonControlsEx(&classes)) {
        showTooltips = false;
        return;
    }
    tooltipWindow = CreateWindowExA(
        0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, Module(), nullptr);
    if (!tooltipWindow) {
        showTooltips = false;
        return;
    }
    SetWindowPos(tooltipWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    TOOLINFOA tool = EditorTool(window);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    if (!SendMessageA(tooltipWindow, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool))) {
        CloseTooltip();
        showTooltips = false;
    }
}

// The tooltip is owned by the top-level window, which may outlive the editor
// window or go first.
void IGraphicsWin::CloseTooltip()
{
    if (tooltipWindow && IsWindow(tooltipWindow)) DestroyWindow(tooltipWindow);
    tooltipWindow = nullptr;
    tooltipShown = false;
    tooltipControl = -1;
}

void IGraphicsWin::SetTooltipText(const char* text)
{
    if (!tooltipWindow) return;
    TOOLINFOA tool = EditorTool(window);
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(tooltipWindow, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

void IGraphicsWin::ShowTooltip()
{
    const IControl* control = controls.ItemAt(tooltipControl);
    if (!control || !control->tooltip) return;
    SetTooltipText(control->tooltip);
    tooltipShown = true;
}

void IGraphicsWin::HideTooltip()
{
    if (!tooltipShown) return;
    SetTooltipText(nullptr);
    tooltipShown = false;
}

// A paint the system asks for between ticks covers the dirty controls too:
// a redraw acknowledges every control, so each dirty one must be painted.
void IGraphicsWin::Paint()
{
    RECT update;
    GetUpdateRect(window, &update, FALSE);
    IRegion region(IBox{update.left, update.top, update.right, update.bottom});
    CollectDirtyRegion(&region);
    for (const IBox& box : region) {
        const RECT dirty = RectOf(box);
        InvalidateRect(window, &dirty, FALSE);
    }
    PAINTSTRUCT paint;
    paintTarget = BeginPaint(window, &paint);
    RedrawRegion(&region);
    EndPaint(window, &paint);
    paintTarget = nullptr;
}

// What changed goes to the window at once, without a paint message; while
// the system wants a part of the window painted, the paint serves both.
void IGraphicsWin::Tick()
{
    lastTickTime = GetTickCount();
    if (textEntryWindow && textEntryState != TextEntryIdle) return ServeTextEntry();
    bool painted = true;
    if (GetUpdateRect(window, nullptr, FALSE)) {
        UpdateWindow(window);
    } else {
        IRegion region;
        painted = CollectDirtyRegion(&region) && RedrawRegion(&region);
    }
    if (painted && textEntryWindow) textEntryState = TextEntryPainted;
}

// The system hands out the timer's message only when no input waits, so a
// storm of input would hold every frame back until its end: input that comes
// a period or more after the last tick is preceded by the tick.
void IGraphicsWin::TickIfOverdue()
{
    if (GetTickCount() - lastTickTime >= DWORD(EditorTimerPeriod(frameRate))) Tick();
}

// The target is the window itself; the field may be cleared while a message
// is handled.
LRESULT IGraphicsWin::HandleMessage(HWND target, UINT message, WPARAM wParam, LPARAM lParam)
{
    const int x = SignedLow(lParam), y = SignedHigh(lParam);
    // While the field has the focus the editor only watches for presses; its
    // own destruction, the field's colours and the system's paints (which
    // leave the field alone) are still its own.
    if (textEntryWindow && textEntryState == TextEntryFocused) {
        if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) {
            textEntryState = TextEntryCancel;
            return 0;
        }
        if (message != WM_NCDESTROY && message != WM_CTLCOLOREDIT && message != WM_PAINT)
            return DefWindowProcA(target, message, wParam, lParam);
    }
    if (IsInputMessage(message)) TickIfOverdue();
    switch (message) {
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            return 0;
        case WM_PAINT:
            if (!drawSurface || !GetUpdateRect(window, nullptr, FALSE)) break;
            Paint();
            return 0;
        case WM_CLOSE:
            CloseEditorWindow();
            return 0;
        case WM_NCDESTROY:
            ForgetDestroyedWindow();
            break;
        case WM_KEYDOWN: {
            const IKeyCode code = KeyCodeForVirtualKey(int(wParam));
            if (code != kNoKeyCode) {
                POINT p = {};
                GetCursorPos(&p);
                ScreenToClient(window, &p);
                if (DispatchKey(p.x, p.y, code)) return 0;
            }
            PassToRoot(window, message, wParam, lParam);
            break;
        }
        case WM_KEYUP:
            PassToRoot(window, message, wParam, lParam);
            break;
        case WM_TIMER:
            if (wParam == kEditorTimerId) Tick();
            return 0;
        case WM_CTLCOLOREDIT:
            return ColourTextEntry(reinterpret_cast<HDC>(wParam));
        case WM_MOUSEMOVE: {
            const IPointerKeys keys = PointerKeysOf(wParam);
            // A press of any button holds the capture; moves while it lasts drag.
            if (wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) {
                if (GetCapture() == window && !textEntryWindow) DispatchMouseDrag(x, y, &keys);
            } else if (DispatchPointerOver(x, y, &keys)) {
                TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window, HOVER_DEFAULT};
                if (showTooltips && pointerOverControl != tooltipControl) {
                    tooltipControl = pointerOverControl;
                    if (tooltipControl >= 0) track.dwFlags |= TME_HOVER;
                    HideTooltip();
                }
                TrackMouseEvent(&track);
            }
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            const IPointerKeys keys = PointerKeysOf(wParam);
            HideTooltip();
            if (textEntryWindow) {
                CloseTextEntry();
                InvalidateAll();
                UpdateWindow(window);
            }
            SetFocus(window);
            SetCapture(window);
            DispatchMouseDown(x, y, &keys);
            return 0;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            const IPointerKeys keys = PointerKeysOf(wParam);
            ReleaseCapture();
            DispatchMouseUp(x, y, &keys);
            return 0;
        }
        case WM_LBUTTONDBLCLK: {
            const IPointerKeys keys = PointerKeysOf(wParam);
            if (DispatchDoubleClick(x, y, &keys)) SetCapture(window);
            return 0;
        }
        case WM_MOUSEWHEEL: {
            if (textEntryWindow) {
                textEntryState = TextEntryCancel;
                return 0;
            }
            const IPointerKeys keys = PointerKeysOf(wParam);
            const int steps = short(HIWORD(wParam)) / WHEEL_DELTA;
            POINT p = {x, y};
            ScreenToClient(window, &p);
            DispatchWheel(p.x, p.y, &keys, steps);
            return 0;
        }
        case WM_MOUSEHOVER:
            ShowTooltip();
            return 0;
        case WM_MOUSELEAVE:
            HideTooltip();
            DispatchPointerLeave();
            return 0;
        default:
            break;
    }
    return DefWindowProcA(target, message, wParam, lParam);
}

LRESULT CALLBACK EditorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) {
        const CREATESTRUCTA* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
        SetTimer(window, kEditorTimerId, UINT(EditorTimerPeriod(EditorTimerFrameRate)), nullptr);
        SetFocus(window);
        return 0;
    }
    IGraphicsWin* editor =
        reinterpret_cast<IGraphicsWin*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!editor || editor->window != window) return DefWindowProcA(window, message, wParam, lParam);
    return editor->HandleMessage(window, message, wParam, lParam);
}

void WindowOuterSize(HWND window, int* width, int* height)
{
    RECT r = {};
    if (window) GetWindowRect(window, &r);
    *width = r.right - r.left;
    *height = r.bottom - r.top;
}

int ChildStyleCode(HWND window)
{
    if (!window || !(GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD)) return 0;
    return (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_MDICHILD) ? 0 : 1;
}

void WindowClassNameOf(HWND window, TextBuffer* out)
{
    char name[128] = {};
    if (GetClassNameA(window, name, int(sizeof name)) <= 0) name[0] = '\0';
    out->Assign(name);
}

void ModuleFileFolder(HINSTANCE module, TextBuffer* out)
{
    out->Assign("");
    char path[256];
    const DWORD length = GetModuleFileNameA(module, path, DWORD(sizeof path));
    if (length == 0 || length >= sizeof path) return;
    const char* slash = std::strrchr(path, '\\');
    if (slash && slash[1] != '\0') out->Assign(path, int(slash - path) + 1);
}
