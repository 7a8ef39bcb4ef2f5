// The analyser's editor in real windows. What a frame puts on the screen,
// presenting only what changed, is what repainting the whole sonogram every
// frame shows: two editors are fed the same columns and the same changes; one
// ticks as the program does, the other has its sonogram's rect invalidated
// before every tick. Their windows' pixels are compared after each frame.
// The window knob shows the notch its value selects, whether it was dragged
// or wheeled there.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analyser/sono.h"
#include "analyser/unit_effect.h"
#include "core/parameter.h"
#include "editor/graphics_win.h"
#include "editor/text_control.h"
#include "support/window_capture_win.h"

namespace {

constexpr int kWidth = 1044, kHeight = 347;
constexpr RECT kSonoRect = {10, 10, 1034, 267};
constexpr char kRootClass[] = "VelvaneSonoTestRoot";

HWND MakeRootWindow(int top)
{
    static const bool registered = [] {
        WNDCLASSEXA root = {};
        root.cbSize = sizeof root;
        root.lpfnWndProc = DefWindowProcA;
        root.hInstance = GetModuleHandleA(nullptr);
        root.lpszClassName = kRootClass;
        return RegisterClassExA(&root) != 0;
    }();
    if (!registered) return nullptr;
    // Shown without activation: there is no window manager to confirm it.
    HWND root = CreateWindowExA(0, kRootClass, "root", WS_POPUP | WS_CLIPCHILDREN, 0, top, kWidth,
                                kHeight, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(root, SW_SHOWNOACTIVATE);
    return root;
}

// Bin values of a column, different for every column the run feeds.
float BinValue(int serial, int bin, int part)
{
    uint32_t h = uint32_t(serial) * 2654435761u ^ uint32_t(bin * 4 + part) * 40503u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return (float(h & 0xFFFF) / 32768.0f - 1.0f) * 2560.0f * float(1 + (bin + serial) % 3);
}

// The analyser with its editor open in a root window of its own.
class AnalyserWindow {
public:
    explicit AnalyserWindow(int top)
        : unit(CreatePlugInstance(nullptr, nullptr)), root(MakeRootWindow(top))
    {
        unit->ChangeSampleRate(44100.0);
        unit->ResetDspState();
        editor = AttachedGraphics(unit.get());
        window = editor->OpenEditorWindow(root);
    }
    ~AnalyserWindow()
    {
        unit.reset();  // deletes the editor, which closes its window
        if (root) DestroyWindow(root);
    }
    AnalyserWindow(const AnalyserWindow&) = delete;
    AnalyserWindow& operator=(const AnalyserWindow&) = delete;

    ISono* Sono() const { return unit->Sonogram(); }
    SpectrumShared* Ring() { return unit->Analyser().Shared(); }

    // Analysed columns, as the audio thread writes them.
    void Feed(int columns)
    {
        SpectrumShared* ring = Ring();
        for (int i = 0; i < columns; ++i, ++serial) {
            const int c = ring->writeIndex;
            for (int j = 0; j < 256; ++j)
                for (int k = 0; k < 4; ++k) ring->columns[c].bins[j][k] = BinValue(serial, j, k);
            ring->writeIndex = ring->scrollAnchor = (c + 1) % 1024;
            ring->skippedCount = 0;
            ring->pending = false;
        }
    }
    // Hops passed while frozen.
    void Skip(int hops)
    {
        Ring()->skippedCount += hops;
        Ring()->pending = true;
    }
    void Set(int index, double value)
    {
        unit->SetParameterFromGUI(index, unit->ParameterAt(index)->Normalize(value));
    }
    void Send(UINT message, WPARAM wParam, int x, int y)
    {
        SendMessageA(window, message, wParam, MAKELPARAM(x, y));
    }
    // A right drag over the sonogram, which holds the capture while it lasts.
    void DragCursor(int fromY, int toY)
    {
        Send(WM_RBUTTONDOWN, MK_RBUTTON, 300, fromY);
        Send(WM_MOUSEMOVE, MK_RBUTTON, 300, toY);
        Send(WM_RBUTTONUP, 0, 300, toY);
    }
    // Wheel notches over a point of the window, which arrive in screen
    // coordinates.
    void Wheel(int notches, int x, int y)
    {
        POINT p = {x, y};
        ClientToScreen(window, &p);
        SendMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(short(notches * WHEEL_DELTA))),
                     MAKELPARAM(p.x, p.y));
    }
    void Tick() { SendMessageA(window, WM_TIMER, kEditorTimerId, 0); }
    void RepaintSonogramAndTick()
    {
        InvalidateRect(window, &kSonoRect, FALSE);
        Tick();
    }
    // Input a period after the last tick is preceded by a tick of its own,
    // so the two editors may be a frame apart; the read-outs a paint changes
    // are drawn in the frame after it. Two frames make them agree, and what
    // a frame presented wrongly stays on the screen for the comparison.
    void Frames(bool wholeSonogram)
    {
        for (int i = 0; i < 2; ++i) wholeSonogram ? RepaintSonogramAndTick() : Tick();
    }
    // The window's client area as the system shows it.
    std::vector<uint32_t> Capture() const { return CaptureClientArea(window, kWidth, kHeight); }

    std::unique_ptr<IUnitEffect> unit;
    HWND root;
    IGraphics* editor = nullptr;
    HWND window = nullptr;

private:
    int serial = 0;
};

// Where two captures differ: the count and the first place, or empty.
std::string Difference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b)
{
    if (a.size() != b.size() || a.empty()) return "no capture";
    int count = 0, first = -1;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i]) continue;
        if (first < 0) first = int(i);
        ++count;
    }
    if (count == 0) return "";
    char text[128];
    std::snprintf(text, sizeof text, "%d pixels differ, the first at (%d, %d): %06x, not %06x",
                  count, first % kWidth, first / kWidth, unsigned(a[first]), unsigned(b[first]));
    return text;
}

// Distinct colours within the sonogram's area of a capture.
int SonogramColours(const std::vector<uint32_t>& pixels)
{
    std::vector<uint32_t> seen;
    for (int y = kSonoRect.top; y < kSonoRect.bottom && seen.size() < 64; y += 7)
        for (int x = kSonoRect.left; x < kSonoRect.right && seen.size() < 64; x += 13) {
            const uint32_t p = pixels[y * kWidth + x];
            bool known = false;
            for (uint32_t s : seen) known = known || s == p;
            if (!known) seen.push_back(p);
        }
    return int(seen.size());
}

// Runs the message loop of the test's windows for a while: the paints the
// system asks for, and the editors' own timer ticks.
void RunMessages(DWORD milliseconds)
{
    for (const DWORD start = GetTickCount(); GetTickCount() - start < milliseconds;) {
        MSG message;
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        else
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

using Change = std::function<void(AnalyserWindow&)>;

struct Step {
    std::string name;
    Change change;
};

// A run of frames: 33 columns a frame (the highest speed at 60 frames a
// second), the cursor dragged, the markers moved, blink toggling.
std::vector<Step> FramesWithLines(const std::string& name, int frames, int columns)
{
    std::vector<Step> steps;
    for (int f = 0; f < frames; ++f) {
        steps.push_back({name + ", frame " + std::to_string(f), [f, columns](AnalyserWindow& w) {
                             w.Feed(columns);
                             if (f % 7 == 3) w.Sono()->blink = !w.Sono()->blink;
                             if (f % 5 == 1) w.DragCursor(40 + 9 * f % 220, 50 + 11 * f % 210);
                             if (f % 6 == 2) w.Set(IUnitEffect::kMarker1, (97 * f) % 1024);
                             if (f % 9 == 4) w.Set(IUnitEffect::kMarker2, (331 * f) % 1024);
                         }});
    }
    return steps;
}

TEST(SonogramWindow, PresentingWhatChangedShowsWhatAWholeRepaintShows)
{
    AnalyserWindow incremental(0), whole(400);
    ASSERT_NE(incremental.window, nullptr);
    ASSERT_NE(whole.window, nullptr);

    std::vector<Step> run = {{"the first frame", [](AnalyserWindow&) {}}};
    auto append = [&](const std::vector<Step>& steps) {
        run.insert(run.end(), steps.begin(), steps.end());
    };
    append({{"the cursor placed and markers shown", [](AnalyserWindow& w) {
                 w.Send(WM_RBUTTONDOWN, MK_RBUTTON, 300, 120);
                 w.Send(WM_RBUTTONUP, 0, 300, 120);
                 w.Set(IUnitEffect::kShowMarkers, 1);
             }}});
    append(FramesWithLines("scroll off, across the wrap", 40, 33));
    append({{"nothing new", [](AnalyserWindow&) {}},
            {"scroll on", [](AnalyserWindow& w) { w.Set(IUnitEffect::kScroll, 1); }}});
    append(FramesWithLines("scroll on", 12, 33));
    append({{"scroll on, nothing new", [](AnalyserWindow&) {}},
            {"blink, nothing new", [](AnalyserWindow& w) { w.Sono()->blink = !w.Sono()->blink; }},
            {"frozen", [](AnalyserWindow& w) { w.Skip(20); }},
            {"frozen again", [](AnalyserWindow& w) { w.Skip(33); }},
            {"scroll off while frozen", [](AnalyserWindow& w) { w.Set(IUnitEffect::kScroll, 0); }},
            {"frozen, scroll off", [](AnalyserWindow& w) { w.Skip(33); }},
            {"unfrozen: the ring recoloured", [](AnalyserWindow& w) { w.Feed(1); }},
            {"gain, modes and offset", [](AnalyserWindow& w) {
                 w.Set(IUnitEffect::kGain, 7.0);
                 w.Set(IUnitEffect::kDispLR, 2);
                 w.Set(IUnitEffect::kDispPhase, 1);
                 w.Set(IUnitEffect::kDispOffset, -9);
             }}});
    append(FramesWithLines("with the new settings", 4, 33));
    append(
        {{"the cursor dragged out of the area", [](AnalyserWindow& w) { w.DragCursor(90, 300); }},
         {"the about picture shown", [](AnalyserWindow& w) {
              w.Send(WM_LBUTTONDOWN, MK_LBUTTON, 620, 310);
              w.Send(WM_LBUTTONUP, 0, 620, 310);
          }}});
    append(FramesWithLines("under the about picture", 3, 33));
    append({{"the about picture hidden",
             [](AnalyserWindow& w) {
                 w.Send(WM_LBUTTONDOWN, MK_LBUTTON, 500, 100);
                 w.Send(WM_LBUTTONUP, 0, 500, 100);
             }},
            {"a reset: the start-up picture", [](AnalyserWindow& w) { w.unit->ResetDspState(); }}});
    append(FramesWithLines("after the reset", 3, 33));

    for (const Step& step : run) {
        for (AnalyserWindow* w : {&incremental, &whole}) step.change(*w);
        incremental.Frames(false);
        whole.Frames(true);
        const std::vector<uint32_t> shown = incremental.Capture(), expected = whole.Capture();
        ASSERT_EQ(Difference(shown, expected), "") << step.name;
        ASSERT_GT(SonogramColours(expected), 8) << step.name;
    }

    // The system asks for paints: a window laid over both and taken away
    // again, then a part of the backdrop and the sonogram made invalid.
    HWND cover = CreateWindowExA(WS_EX_TOPMOST, kRootClass, "cover", WS_POPUP, 200, 100, 500, 500,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(cover, SW_SHOWNOACTIVATE);
    RunMessages(300);
    DestroyWindow(cover);
    RunMessages(300);
    const RECT exposed = {600, 200, 1044, 347};
    for (AnalyserWindow* w : {&incremental, &whole}) {
        InvalidateRect(w->window, &exposed, FALSE);
        UpdateWindow(w->window);
    }
    for (AnalyserWindow* w : {&incremental, &whole}) w->Feed(33);
    incremental.Frames(false);
    whole.Frames(true);
    EXPECT_EQ(Difference(incremental.Capture(), whole.Capture()), "") << "after the paints";
}

// The window knob's 25 by 25 pixels in a capture.
constexpr RECT kWindowKnob = {140, 304, 165, 329};

std::vector<uint32_t> WindowKnobPixels(const std::vector<uint32_t>& capture)
{
    std::vector<uint32_t> pixels;
    if (capture.size() != size_t(kWidth) * kHeight) return pixels;
    for (int y = kWindowKnob.top; y < kWindowKnob.bottom; ++y)
        for (int x = kWindowKnob.left; x < kWindowKnob.right; ++x)
            pixels.push_back(capture[size_t(y) * kWidth + x]);
    return pixels;
}

TEST(WindowKnob, AfterEveryWheelTurnShowsTheNotchItsParameterNames)
{
    AnalyserWindow w(0);
    ASSERT_NE(w.window, nullptr);
    const int x = (kWindowKnob.left + kWindowKnob.right) / 2;
    const int y = (kWindowKnob.top + kWindowKnob.bottom) / 2;
    auto windowType = [&] { return w.unit->ParameterAt(IUnitEffect::kWindowType)->Value(); };
    auto readOut = [&] { return std::string(w.unit->Texts().window->Text()); };
    const IControl* knob = nullptr;
    for (int i = 0; i < w.editor->ControlCount(); ++i)
        if (w.editor->ControlAt(i)->paramIdx == IUnitEffect::kWindowType)
            knob = w.editor->ControlAt(i);
    ASSERT_NE(knob, nullptr);

    // The picture and the read-out of each notch, as a drag upward to it
    // (25 pixels a notch) and the release leave them.
    std::vector<std::vector<uint32_t>> pictures;
    std::vector<std::string> names;
    w.Frames(false);
    for (int notch = 0; notch < 5; ++notch) {
        if (notch > 0) {
            w.Send(WM_LBUTTONDOWN, MK_LBUTTON, x, y);
            w.Send(WM_MOUSEMOVE, MK_LBUTTON, x, y - 25);
            w.Send(WM_LBUTTONUP, 0, x, y - 25);
        }
        w.Frames(false);
        ASSERT_EQ(windowType(), notch);
        pictures.push_back(WindowKnobPixels(w.Capture()));
        names.push_back(readOut());
        ASSERT_EQ(pictures.back().size(), size_t(25 * 25));
        for (int other = 0; other < notch; ++other) {
            EXPECT_TRUE(pictures[other] != pictures.back()) << "notches " << other << ", " << notch;
            EXPECT_NE(names[other], names.back()) << "notches " << other << ", " << notch;
        }
    }

    // One wheel notch is one knob notch; a fast spin sends many at once.
    const struct {
        int notches;
        int notch;
    } turns[] = {{-1, 3}, {-1, 2}, {1, 3}, {-30, 0}, {1, 1}, {2, 3}, {40, 4}, {-2, 2}};
    for (const auto& turn : turns) {
        w.Wheel(turn.notches, x, y);
        w.Frames(false);
        const double named = windowType();
        EXPECT_EQ(named, turn.notch) << "by " << turn.notches;
        if (!(named >= 0 && named <= 4)) continue;
        EXPECT_TRUE(WindowKnobPixels(w.Capture()) == pictures[size_t(named)])
            << "by " << turn.notches << ": the knob shows another notch than window type " << named;
        EXPECT_EQ(readOut(), names[size_t(named)]) << "by " << turn.notches;
        EXPECT_EQ(knob->value, named / 4) << "by " << turn.notches << ": rests on the notch";
    }
}

// Whether the column of the window's sonogram is drawn in a marker line's
// colour (either phase of the blink) on every row sampled.
bool MarkerLineAt(const std::vector<uint32_t>& capture, int column)
{
    for (int y = kSonoRect.top; y < kSonoRect.bottom; y += 16) {
        const uint32_t p = capture[size_t(y) * kWidth + kSonoRect.left + column];
        if (p != 0x623C62 && p != 0xA1A1A1) return false;
    }
    return true;
}

// Markers less than 10 ms apart are read out in microsecond steps, and the
// read-out names the time between the two lines the sonogram draws.
TEST(SonogramWindow, TheMarkerReadOutBelowTenMillisecondsNamesTheTimeBetweenTheLines)
{
    AnalyserWindow w(0);
    ASSERT_NE(w.window, nullptr);
    w.Set(IUnitEffect::kShowMarkers, 1);
    const struct {
        double speed;
        int marker1, marker2;
        const char* text;
    } cases[] = {
        {2000, 300, 307, "x = 3.500 mS"}, {300, 512, 510, "x = 6.667 mS"},
        {1000, 0, 9, "x = 9.000 mS"},     {1000, 1023, 1023, "x = 0.000 mS"},
        {500, 100, 105, "x = 10.00 mS"},
    };
    for (const auto& c : cases) {
        w.Set(IUnitEffect::kMarker1, c.marker1);
        w.Set(IUnitEffect::kMarker2, c.marker2);
        w.Set(IUnitEffect::kSpeed, c.speed);
        w.Frames(false);
        EXPECT_STREQ(w.unit->Texts().marker->Text(), c.text) << c.speed;
        const std::vector<uint32_t> shown = w.Capture();
        ASSERT_EQ(shown.size(), size_t(kWidth) * kHeight);
        for (int column : {c.marker1, c.marker2})
            EXPECT_TRUE(MarkerLineAt(shown, column)) << column;
        const int between = (c.marker1 + c.marker2) / 2;
        if (std::abs(c.marker1 - c.marker2) > 1)
            EXPECT_FALSE(MarkerLineAt(shown, between)) << between;
    }
}

}  // namespace
