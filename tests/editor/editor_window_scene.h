#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "editor/bitmap_control.h"
#include "editor/graphics_win.h"
#include "editor/knob_control.h"
#include "raster/bitmap.h"
#include "support/test_unit.h"

// Windows and editors of the tests that run the editor in real windows.

inline constexpr int kEditorWidth = 120;
inline constexpr int kEditorHeight = 80;
inline constexpr int kControlSize = 20;
inline constexpr int kPngResourceId = 201;  // graphics_win_test.rc

inline constexpr PIX_PackedColor kBackdropColour = 0xFF404040;
// Frames of the knob (parameter 0, at 10, 10) and of the switch
// (parameter 1, at 60, 10).
inline const std::vector<PIX_PackedColor> kKnobFrames = {0xFF100000, 0xFF200000, 0xFF300000,
                                                         0xFF400000, 0xFF500000};
inline const std::vector<PIX_PackedColor> kSwitchFrames = {0xFF0000A0, 0xFF00B000};
inline constexpr POINT kKnobCentre = {20, 20};
inline constexpr POINT kSwitchCentre = {70, 20};
inline constexpr POINT kBackdropCorner = {110, 70};

inline constexpr char kRootClass[] = "VelvaneTestRoot";
inline constexpr char kHostClass[] = "VelvaneTestHost";

// Key messages that reached a root window.
extern std::vector<std::pair<UINT, WPARAM>> gRootKeys;

// A top-level window that records the keys reaching it, shown without
// activation.
HWND MakeRootWindow();
// A bordered child of the root, 300 by 200 at (15, 12).
HWND MakeHostWindow(HWND root);
// A strip of equal frames, one colour each, owned by the editor's cache.
IImageStrip MakeStrip(IGraphics* editor, int width, int frameHeight,
                      const std::vector<PIX_PackedColor>& frames);
// What the window shows at a point of its client area, as a packed colour.
PIX_PackedColor WindowPixel(HWND window, POINT p);

// An editor whose tooltips can be turned on and whose text-entry field can
// be seen.
class TooltipEditor : public IGraphicsWin {
public:
    using IGraphicsWin::IGraphicsWin;
    using IGraphicsWin::TextEntryStateNow;
    using IGraphicsWin::TextEntryWindow;
    // Tooltips follow the control under the pointer, which needs pointer-over
    // handling.
    void TurnTooltipsOn() { showTooltips = handlePointerOver = true; }
};

// A control that asks to be drawn on every frame, as a sonogram does, and
// counts the frames that drew it.
class FrameCounter : public IControl {
public:
    FrameCounter(IUnitBase* plug, IBox rect) : IControl(plug, rect, -1, 0) {}
    bool Paint(IGraphics*) override
    {
        ++frames;
        return true;
    }
    bool NeedsRedraw() override { return true; }

    int frames = 0;
};

// A root window, a host window in it and the editor of a test plug-in opened
// in the host: a backdrop, a knob for parameter 0 and a switch for
// parameter 1.
struct EditorScene {
    explicit EditorScene(int bindingKind = kBindingStandalone)
        : unit(new TestUnit(2, "2-2", 1, 0x00010000, bindingKind)),
          root(MakeRootWindow()),
          host(MakeHostWindow(root))
    {
        unit->ParameterAt(0)->SetupDouble("gain", 0.5, 0.0, 1.0, 0.001, "", "", 1.0);
        unit->ParameterAt(1)->SetupBool("on", false, "", "");
        editor = new TooltipEditor(unit.get(), kEditorWidth, kEditorHeight, 60);
        editor->AddControl(new IBitmapControl(
            unit.get(), 0, 0, -1, MakeStrip(editor, kEditorWidth, kEditorHeight, {kBackdropColour}),
            1));
        knob = new IKnobMultiControl(unit.get(), 10, 10, 0,
                                     MakeStrip(editor, kControlSize, kControlSize, kKnobFrames), 0,
                                     1.0);
        knob->blend.kind = 1;
        editor->AddControl(knob);
        toggle = new ISwitchControl(
            unit.get(), 60, 10, 1, MakeStrip(editor, kControlSize, kControlSize, kSwitchFrames), 1);
        editor->AddControl(toggle);
        unit->AttachEditor(editor);
    }
    ~EditorScene()
    {
        unit.reset();  // deletes the editor, which closes its window
        if (IsWindow(root)) DestroyWindow(root);
    }

    HWND Open() { return editor->OpenEditorWindow(host); }
    HWND Window() { return editor->WindowHandle(); }
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return SendMessageA(Window(), message, wParam, lParam);
    }
    LRESULT SendAt(UINT message, WPARAM wParam, POINT p)
    {
        return Send(message, wParam, MAKELPARAM(p.x, p.y));
    }
    void Tick() { Send(WM_TIMER, kEditorTimerId, 0); }
    bool Logged(const std::string& call) const
    {
        for (const std::string& c : unit->calls)
            if (c == call) return true;
        return false;
    }

    std::unique_ptr<TestUnit> unit;
    HWND root;
    HWND host;
    TooltipEditor* editor;
    IKnobMultiControl* knob;
    ISwitchControl* toggle;
};
