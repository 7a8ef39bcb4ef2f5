#include "editor/graphics_win.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "editor/bitmap_control.h"
#include "editor/knob_control.h"
#include "raster/bitmap.h"
#include "support/test_unit.h"

#include "editor_window_scene.h"

namespace {

// A window's place in its parent's client area, and its size.
RECT PlaceInParent(HWND window)
{
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool ClassRegistered()
{
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    return GetClassInfoExA(GetModuleHandleA(nullptr), "IUnitWndClass", &info) != 0;
}

int EditorWindowsIn(HWND parent)
{
    int count = 0;
    for (HWND w = FindWindowExA(parent, nullptr, "IUnitWndClass", nullptr); w;
         w = FindWindowExA(parent, w, "IUnitWndClass", nullptr))
        ++count;
    return count;
}

// A control over the whole editor that takes every key.
class KeyTaker : public IBitmapControl {
public:
    using IBitmapControl::IBitmapControl;
    bool HitTest(int, int) override { return true; }
    bool HandleKey(int, int, int) override { return true; }
};

class EditorWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(EditorWindowClassUses, 0);
        ASSERT_NE(scene.host, nullptr);
        gRootKeys.clear();
    }

    EditorScene scene;
};

TEST(EditorTimer, PeriodIsTheFrameRatesMillisecondsTruncated)
{
    const struct {
        double rate;
        int period;
    } cases[] = {{60, 16}, {25, 40}, {30, 33}, {1000, 1}};
    for (const auto& c : cases) EXPECT_EQ(EditorTimerPeriod(c.rate), c.period) << c.rate;
}

TEST_F(EditorWindow, OpensAChildOfItsClassWithTheRedrawTimer)
{
    HWND window = scene.Open();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(scene.editor->WindowHandle(), window);
    EXPECT_TRUE(scene.editor->HasWindow());
    EXPECT_EQ(GetParent(window), scene.host);
    char text[64] = {};
    GetClassNameA(window, text, sizeof text);
    EXPECT_STREQ(text, "IUnitWndClass");
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ(text, "IUnit");
    const RECT place = PlaceInParent(window);
    EXPECT_EQ(place.left, 0);
    EXPECT_EQ(place.top, 0);
    EXPECT_EQ(place.right, kEditorWidth);
    EXPECT_EQ(place.bottom, kEditorHeight);
    EXPECT_EQ(EditorWindowClassUses, 1);
    EXPECT_EQ(EditorTimerFrameRate, 60.0);
    EXPECT_TRUE(ClassRegistered());
    EXPECT_TRUE(KillTimer(window, kEditorTimerId));

    scene.editor->CloseEditorWindow();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(scene.editor->WindowHandle(), nullptr);
    EXPECT_EQ(EditorWindowClassUses, 0);
    EXPECT_FALSE(ClassRegistered());
}

TEST_F(EditorWindow, TheFirstTickPaintsEveryControlIntoTheWindow)
{
    ASSERT_NE(scene.Open(), nullptr);
    scene.Tick();
    EXPECT_EQ(WindowPixel(scene.Window(), kBackdropCorner), kBackdropColour);
    EXPECT_EQ(WindowPixel(scene.Window(), kKnobCentre), kKnobFrames[2]);  // value 0.5
    EXPECT_EQ(WindowPixel(scene.Window(), kSwitchCentre), kSwitchFrames[0]);
    for (int i = 0; i < scene.editor->ControlCount(); ++i)
        EXPECT_FALSE(scene.editor->ControlAt(i)->NeedsRedraw()) << i;
}

TEST_F(EditorWindow, APaintOfAnExposedAreaAlsoPaintsTheDirtyControlsElsewhere)
{
    ASSERT_NE(scene.Open(), nullptr);
    scene.Tick();
    // Dirty for one paint only, unlike a value from the core.
    scene.toggle->value = 1.0;
    scene.toggle->MarkDirty(false);

    const RECT exposed = {100, 60, kEditorWidth, kEditorHeight};
    InvalidateRect(scene.Window(), &exposed, FALSE);
    UpdateWindow(scene.Window());

    EXPECT_FALSE(scene.toggle->NeedsRedraw());
    EXPECT_EQ(WindowPixel(scene.Window(), kSwitchCentre), kSwitchFrames[1]);
    EXPECT_EQ(WindowPixel(scene.Window(), kBackdropCorner), kBackdropColour);
}

// Paints a spot of the window behind the editor's back.
void Scribble(HWND window, POINT p, COLORREF colour)
{
    HDC dc = GetDC(window);
    SetPixel(dc, p.x, p.y, colour);
    ReleaseDC(window, dc);
}

// A tick puts only the dirty controls on the screen; with a part of the
// window waiting for the system's paint, that part too.
TEST_F(EditorWindow, ATickPresentsTheDirtyAreaAndWhatTheSystemWantsPainted)
{
    ASSERT_NE(scene.Open(), nullptr);
    scene.Tick();
    for (const bool systemPaint : {false, true}) {
        Scribble(scene.Window(), kKnobCentre, RGB(1, 2, 3));
        Scribble(scene.Window(), kBackdropCorner, RGB(1, 2, 3));
        const RECT corner = {100, 60, kEditorWidth, kEditorHeight};
        if (systemPaint) InvalidateRect(scene.Window(), &corner, FALSE);
        scene.knob->MarkDirty(false);

        scene.Tick();
        EXPECT_EQ(WindowPixel(scene.Window(), kKnobCentre), kKnobFrames[2]) << systemPaint;
        EXPECT_EQ(WindowPixel(scene.Window(), kBackdropCorner) == kBackdropColour, systemPaint);
        EXPECT_FALSE(GetUpdateRect(scene.Window(), nullptr, FALSE)) << systemPaint;
    }
}

TEST_F(EditorWindow, PressDragAndReleaseTurnTheKnobUnderCapture)
{
    ASSERT_NE(scene.Open(), nullptr);
    scene.SendAt(WM_LBUTTONDOWN, MK_LBUTTON, kKnobCentre);
    EXPECT_EQ(GetCapture(), scene.Window());
    EXPECT_TRUE(scene.Logged("begin 0"));

    scene.SendAt(WM_MOUSEMOVE, MK_LBUTTON, POINT{20, 15});  // a quarter of the range up
    EXPECT_DOUBLE_EQ(scene.knob->value, 0.75);
    EXPECT_DOUBLE_EQ(scene.unit->ParameterAt(0)->Value(), 0.75);

    // Released outside the knob: the release still goes to it.
    scene.SendAt(WM_LBUTTONUP, 0, kBackdropCorner);
    EXPECT_EQ(GetCapture(), nullptr);
    ASSERT_FALSE(scene.unit->calls.empty());
    EXPECT_EQ(scene.unit->calls.back(), "end 0");

    // Without the capture a move with the button flag drags nothing.
    scene.SendAt(WM_MOUSEMOVE, MK_LBUTTON, POINT{20, 5});
    EXPECT_DOUBLE_EQ(scene.knob->value, 0.75);
}

TEST_F(EditorWindow, TheMiddleButtonDragsUnderTheCaptureItsReleaseEnds)
{
    ASSERT_NE(scene.Open(), nullptr);
    scene.SendAt(WM_MBUTTONDOWN, MK_MBUTTON, kKnobCentre);
    EXPECT_EQ(GetCapture(), scene.Window());
    EXPECT_TRUE(scene.Logged("begin 0"));

    scene.SendAt(WM_MOUSEMOVE, MK_MBUTTON, POINT{20, 15});
    EXPECT_DOUBLE_EQ(scene.knob->value, 0.75);

    scene.SendAt(WM_MBUTTONUP, 0, kKnobCentre);
    EXPECT_EQ(GetCapture(), nullptr);
    ASSERT_FALSE(scene.unit->calls.empty());
    EXPECT_EQ(scene.unit->calls.back(), "end 0");
}

TEST_F(EditorWindow, KeysNoControlTakesReachTheRootWindow)
{
    ASSERT_NE(scene.Open(), nullptr);
    for (const WPARAM key : {WPARAM('A'), WPARAM(VK_F12)}) {
        gRootKeys.clear();
        scene.Send(WM_KEYDOWN, key, 0);
        scene.Send(WM_KEYUP, key, 0);
        const std::vector<std::pair<UINT, WPARAM>> expected = {{WM_KEYDOWN, key}, {WM_KEYUP, key}};
        EXPECT_EQ(gRootKeys, expected) << key;
    }
}

TEST_F(EditorWindow, AKeyAControlTakesStaysInTheEditor)
{
    scene.editor->AddControl(new KeyTaker(scene.unit.get(), 0, 0, -1, scene.toggle->image, 1));
    ASSERT_NE(scene.Open(), nullptr);
    scene.Send(WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(gRootKeys.empty());
}

TEST_F(EditorWindow, AWheelTurnStepsByWholeNotches)
{
    ASSERT_NE(scene.Open(), nullptr);
    POINT onKnob = kKnobCentre;
    ClientToScreen(scene.Window(), &onKnob);
    const struct {
        short delta;
        double value;
    } cases[] = {{-240, 0.48}, {100, 0.48}};
    for (const auto& c : cases) {
        scene.unit->calls.clear();
        scene.Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(c.delta)), MAKELPARAM(onKnob.x, onKnob.y));
        EXPECT_NEAR(scene.knob->value, c.value, 1e-12) << c.delta;
        EXPECT_FALSE(scene.unit->calls.empty()) << c.delta;  // the knob received the turn
    }
}

// Dispatches the next wheel message of the queue; false when there is none.
bool DispatchNextWheel()
{
    MSG message;
    if (!PeekMessageA(&message, nullptr, WM_MOUSEWHEEL, WM_MOUSEWHEEL, PM_REMOVE)) return false;
    DispatchMessageA(&message);
    return true;
}

// Runs the message loop until the window's timer has ticked `wanted` times,
// or for at most five seconds; the ticks seen.
int RunUntilTicks(HWND window, int wanted)
{
    int ticks = 0;
    for (const DWORD start = GetTickCount(); ticks < wanted && GetTickCount() - start < 5000;) {
        MSG message;
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            continue;
        }
        if (message.message == WM_TIMER && message.hwnd == window &&
            message.wParam == kEditorTimerId)
            ++ticks;
        DispatchMessageA(&message);
    }
    return ticks;
}

// Posted wheel messages come before the timer's in the queue, as a storm of
// them from the system's input does: the frames must not wait for its end.
TEST_F(EditorWindow, FramesGoOnThroughAFloodOfWheelMessagesAndTheTimerTicksAfterIt)
{
    FrameCounter* counter = new FrameCounter(scene.unit.get(), IBox{90, 40, 110, 60});
    scene.editor->AddControl(counter);
    HWND window = scene.Open();
    ASSERT_NE(window, nullptr);
    scene.Tick();
    ASSERT_EQ(WindowPixel(window, kKnobCentre), kKnobFrames[2]);
    const int framesBefore = counter->frames;

    // Notches up over the knob: a backlog of them stays in the queue for
    // twenty timer periods, then the queue is drained of them.
    POINT onKnob = kKnobCentre;
    ClientToScreen(window, &onKnob);
    auto postNotch = [&](short delta) {
        return PostMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(delta)),
                            MAKELPARAM(onKnob.x, onKnob.y)) != 0;
    };
    for (int i = 0; i < 500; ++i) ASSERT_TRUE(postNotch(WHEEL_DELTA));
    const DWORD flood = DWORD(20 * EditorTimerPeriod(60));
    for (const DWORD start = GetTickCount(); GetTickCount() - start < flood;) {
        ASSERT_TRUE(postNotch(WHEEL_DELTA));
        ASSERT_TRUE(DispatchNextWheel());
    }
    while (DispatchNextWheel()) {
    }
    EXPECT_GT(counter->frames, framesBefore);
    EXPECT_EQ(WindowPixel(window, kKnobCentre), kKnobFrames[4]);

    // A last few notches down, and the timer ticks again and draws them.
    for (int i = 0; i < 25; ++i) ASSERT_TRUE(postNotch(-WHEEL_DELTA));
    scene.toggle->value = 1.0;
    scene.toggle->MarkDirty(false);
    const int framesAfterFlood = counter->frames;
    EXPECT_EQ(RunUntilTicks(window, 2), 2);
    EXPECT_GE(counter->frames, framesAfterFlood + 2);
    EXPECT_NEAR(scene.knob->value, 0.75, 1e-9);
    EXPECT_NEAR(scene.unit->ParameterAt(0)->Value(), 0.75, 1e-9);
    EXPECT_FALSE(scene.knob->NeedsRedraw());
    EXPECT_FALSE(scene.toggle->NeedsRedraw());
    EXPECT_EQ(WindowPixel(window, kKnobCentre), kKnobFrames[3]);
    EXPECT_EQ(WindowPixel(window, kSwitchCentre), kSwitchFrames[1]);
}

TEST_F(EditorWindow, OpeningAgainKeepsOneWindowOneClassAndThePlace)
{
    HWND first = scene.Open();
    ASSERT_NE(first, nullptr);
    SetWindowPos(first, nullptr, 30, 20, 100, 70, SWP_NOZORDER | SWP_NOACTIVATE);

    HWND second = scene.Open();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(EditorWindowsIn(scene.host), 1);
    EXPECT_EQ(EditorWindowClassUses, 1);
    EXPECT_TRUE(ClassRegistered());
    const RECT place = PlaceInParent(second);
    EXPECT_EQ(place.left, 30);
    EXPECT_EQ(place.top, 20);
    EXPECT_EQ(place.right - place.left, 100);
    EXPECT_EQ(place.bottom - place.top, 70);
}

TEST_F(EditorWindow, DestroyingTheParentLeavesNoStaleWindow)
{
    ASSERT_NE(scene.Open(), nullptr);
    DestroyWindow(scene.host);
    EXPECT_EQ(scene.editor->WindowHandle(), nullptr);
    EXPECT_FALSE(scene.editor->HasWindow());
    EXPECT_EQ(EditorWindowClassUses, 0);
    scene.editor->CloseEditorWindow();
    EXPECT_EQ(EditorWindowClassUses, 0);

    // The editor opens again in another parent and closes cleanly.
    scene.host = MakeHostWindow(scene.root);
    HWND again = scene.Open();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(EditorWindowClassUses, 1);
    scene.Tick();
    EXPECT_EQ(WindowPixel(again, kKnobCentre), kKnobFrames[2]);
    scene.editor->CloseEditorWindow();
    EXPECT_EQ(EditorWindowClassUses, 0);
    EXPECT_FALSE(ClassRegistered());
}

// The tooltip window whose tool is the editor window, or null.
HWND TooltipOf(HWND window)
{
    for (HWND w = FindWindowExA(HWND_DESKTOP, nullptr, TOOLTIPS_CLASSA, nullptr); w;
         w = FindWindowExA(HWND_DESKTOP, w, TOOLTIPS_CLASSA, nullptr)) {
        TOOLINFOA tool = {};
        tool.cbSize = sizeof tool;
        if (SendMessageA(w, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&tool)) &&
            tool.hwnd == window)
            return w;
    }
    return nullptr;
}

TEST_F(EditorWindow, TheTooltipWindowGoesWithTheEditorWindow)
{
    scene.editor->TurnTooltipsOn();
    HWND window = scene.Open();
    ASSERT_NE(window, nullptr);
    HWND tooltip = TooltipOf(window);
    ASSERT_NE(tooltip, nullptr);
    EXPECT_EQ(SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
    scene.editor->CloseEditorWindow();
    EXPECT_FALSE(IsWindow(tooltip));

    // Owned by the root, it still goes when the editor goes with its parent.
    window = scene.Open();
    tooltip = TooltipOf(window);
    ASSERT_NE(tooltip, nullptr);
    DestroyWindow(scene.host);
    EXPECT_FALSE(IsWindow(tooltip));
    EXPECT_EQ(scene.editor->WindowHandle(), nullptr);
}

// The text of the editor window's tool, read back in the first record
// layout, which every version of the common controls takes.
std::string TooltipText(HWND tooltip, HWND window)
{
    char text[80] = {};
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(window);
    tool.lpszText = text;
    SendMessageA(tooltip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    return text;
}

TEST(EditorTooltips, HoverShowsTheControlsTextAndLeaveHidesIt)
{
    EditorScene scene;
    scene.knob->tooltip = "gain knob";
    scene.editor->TurnTooltipsOn();
    ASSERT_NE(scene.Open(), nullptr);
    HWND tooltip = FindWindowA(TOOLTIPS_CLASSA, nullptr);
    ASSERT_NE(tooltip, nullptr);
    auto shown = [&] { return TooltipText(tooltip, scene.Window()); };
    scene.SendAt(WM_MOUSEMOVE, 0, kKnobCentre);
    scene.Send(WM_MOUSEHOVER, 0, MAKELPARAM(kKnobCentre.x, kKnobCentre.y));
    EXPECT_EQ(shown(), "gain knob");
    scene.Send(WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(shown(), "");
    // A control without a text shows none.
    scene.SendAt(WM_MOUSEMOVE, 0, kSwitchCentre);
    scene.Send(WM_MOUSEHOVER, 0, MAKELPARAM(kSwitchCentre.x, kSwitchCentre.y));
    EXPECT_EQ(shown(), "");
}

// While it lives, the thread's new tooltip windows answer as common controls
// whose own tool record is `largest` bytes long: a longer record is refused,
// as version 5 does with the current layout. The sizes of the records sent
// to add a tool or set its text are kept.
class CommonControlsOfRecordSize {
public:
    explicit CommonControlsOfRecordSize(UINT largest)
        : hook(SetWindowsHookExA(WH_CBT, Created, nullptr, GetCurrentThreadId()))
    {
        limit = largest;
        sizes.clear();
        made.clear();
    }
    ~CommonControlsOfRecordSize() { UnhookWindowsHookEx(hook); }
    CommonControlsOfRecordSize(const CommonControlsOfRecordSize&) = delete;
    CommonControlsOfRecordSize& operator=(const CommonControlsOfRecordSize&) = delete;

    static inline std::vector<UINT> sizes;
    static inline std::vector<HWND> made;

private:
    static LRESULT CALLBACK Created(int code, WPARAM wParam, LPARAM lParam)
    {
        HWND window = reinterpret_cast<HWND>(wParam);
        char name[32] = "";
        if (code == HCBT_CREATEWND && GetClassNameA(window, name, sizeof name) &&
            lstrcmpiA(name, TOOLTIPS_CLASSA) == 0) {
            made.push_back(window);
            own = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Answer)));
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static LRESULT CALLBACK Answer(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if ((message == TTM_ADDTOOLA || message == TTM_UPDATETIPTEXTA) && lParam) {
            sizes.push_back(reinterpret_cast<const TOOLINFOA*>(lParam)->cbSize);
            if (sizes.back() > limit) return FALSE;
        }
        return CallWindowProcA(own, window, message, wParam, lParam);
    }

    static inline UINT limit = 0;
    static inline WNDPROC own = nullptr;
    HHOOK hook;
};

TEST(EditorTooltips, TheToolRecordIsOfTheFirstLayoutAndARefusedToolTurnsTooltipsOff)
{
    struct Case {
        const char* controls;
        UINT largest;
        bool taken;
    };
    const Case cases[] = {
        {"version 6", sizeof(TOOLINFOA), true},
        {"version 5", TTTOOLINFOA_V2_SIZE, true},
        {"taking no record", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.controls);
        CommonControlsOfRecordSize controls(c.largest);
        EditorScene scene;
        scene.knob->tooltip = "gain knob";
        scene.editor->TurnTooltipsOn();
        ASSERT_NE(scene.Open(), nullptr);
        ASSERT_EQ(controls.made.size(), 1u);
        const HWND tooltip = controls.made[0];
        EXPECT_EQ(IsWindow(tooltip) != FALSE, c.taken);
        scene.SendAt(WM_MOUSEMOVE, 0, kKnobCentre);
        scene.Send(WM_MOUSEHOVER, 0, MAKELPARAM(kKnobCentre.x, kKnobCentre.y));
        if (c.taken) EXPECT_EQ(TooltipText(tooltip, scene.Window()), "gain knob");
        // The tool added, then its text set.
        EXPECT_EQ(controls.sizes, std::vector<UINT>(c.taken ? 2 : 1, TTTOOLINFOA_V1_SIZE));
        // Without a tool there are no tooltips: the window opened again makes
        // no tooltip window.
        scene.editor->CloseEditorWindow();
        ASSERT_NE(scene.Open(), nullptr);
        EXPECT_EQ(controls.made.size(), c.taken ? 2u : 1u);
    }
}

TEST(EditorWindowImages, OnlyNamesEndingInPngLoadTheResource)
{
    TestUnit unit;
    IGraphicsWin editor(&unit, 10, 10, 60);
    const struct {
        const char* name;
        bool loads;
    } cases[] = {{"knob.PNG", true},   {"a.b.png", true}, {"xpng", true},   {"png", false},
                 {"image.bmp", false}, {"", false},       {nullptr, false}, {"p", false}};
    for (const auto& c : cases) {
        std::unique_ptr<PIX_IBitmap> bitmap(editor.LoadImageResource(kPngResourceId, c.name));
        const char* shown = c.name ? c.name : "(null)";
        ASSERT_EQ(bitmap != nullptr, c.loads) << shown;
        if (!bitmap) continue;
        EXPECT_EQ(bitmap->PixelWidth(), 5) << shown;
        EXPECT_EQ(bitmap->PixelHeight(), 3) << shown;
    }
    EXPECT_EQ(editor.LoadImageResource(kPngResourceId + 1, "missing.png"), nullptr);
}

TEST(EditorWindowResize, TheSameSizeChangesNothing)
{
    EditorScene scene;
    HWND window = scene.Open();
    ASSERT_NE(window, nullptr);
    const int controls = scene.editor->ControlCount();
    scene.editor->ResizeEditor(kEditorWidth, kEditorHeight);
    EXPECT_EQ(scene.editor->ControlCount(), controls);
    EXPECT_EQ(scene.Window(), window);
}

TEST(EditorWindowResize, ANewSizeGrowsTheParentAndGrandparentUnlessTheBindingResizesItself)
{
    const struct {
        int bindingKind;
        bool parentsGrow;
    } cases[] = {{kBindingStandalone, true}, {kBindingRTAS, false}, {kBindingVST3, false}};
    for (const auto& c : cases) {
        EditorScene scene(c.bindingKind);
        ASSERT_NE(scene.Open(), nullptr);
        int hostW = 0, hostH = 0, rootW = 0, rootH = 0;
        WindowOuterSize(scene.host, &hostW, &hostH);
        WindowOuterSize(scene.root, &rootW, &rootH);

        scene.editor->ResizeEditor(kEditorWidth + 20, kEditorHeight + 10);
        EXPECT_EQ(scene.editor->Width(), kEditorWidth + 20);
        EXPECT_EQ(scene.editor->ControlCount(), 0);
        int w = 0, h = 0;
        WindowOuterSize(scene.Window(), &w, &h);
        EXPECT_EQ(w, kEditorWidth + 20) << c.bindingKind;
        EXPECT_EQ(h, kEditorHeight + 10) << c.bindingKind;
        const int grow = c.parentsGrow ? 1 : 0;
        WindowOuterSize(scene.host, &w, &h);
        EXPECT_EQ(w, hostW + 20 * grow) << c.bindingKind;
        EXPECT_EQ(h, hostH + 10 * grow) << c.bindingKind;
        WindowOuterSize(scene.root, &w, &h);
        EXPECT_EQ(w, rootW + 20 * grow) << c.bindingKind;
        EXPECT_EQ(h, rootH + 10 * grow) << c.bindingKind;
    }
}

TEST(EditorWindowTopLevel, TheRootAboveTheParentAndOnceItIsGoneOneOfItsClass)
{
    EditorScene scene;
    ASSERT_NE(scene.Open(), nullptr);
    EXPECT_EQ(scene.editor->TopLevelWindow(), scene.root);

    DestroyWindow(scene.root);
    HWND successor = MakeRootWindow();
    EXPECT_EQ(scene.editor->TopLevelWindow(), successor);
    DestroyWindow(successor);
}

TEST(EditorWindowHelpers, WindowSizesStylesAndFolders)
{
    HWND root = MakeRootWindow();
    HWND host = MakeHostWindow(root);
    int w = -1, h = -1;
    WindowOuterSize(nullptr, &w, &h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    WindowOuterSize(root, &w, &h);
    EXPECT_EQ(w, 400);
    EXPECT_EQ(h, 300);
    EXPECT_EQ(ChildStyleCode(nullptr), 0);
    EXPECT_EQ(ChildStyleCode(root), 0);
    EXPECT_EQ(ChildStyleCode(host) & 0xFF, 1);
    TextBuffer name;
    WindowClassNameOf(host, &name);
    EXPECT_STREQ(name.Get(), kHostClass);
    DestroyWindow(root);

    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    TestUnit unit;
    IGraphicsWin editor(&unit, 10, 10, 60);
    TextBuffer host_folder, module_folder;
    editor.HostFolder(&host_folder);
    editor.ModuleFolder(&module_folder);
    const std::string folder = host_folder.Get();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_EQ(std::string(path).rfind(folder, 0), 0u);
    EXPECT_EQ(std::string(module_folder.Get()), folder);
}

}  // namespace
