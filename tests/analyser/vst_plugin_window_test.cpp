// velvane_vst.dll's editor opened by the host into a real top-level window:
// a tone fed through each process entry lights its row on the screen, over
// the backdrop the DLL loads from its own resources.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "raster/bitmap.h"
#include "raster/png_image.h"
#include "support/host_window_win.h"
#include "support/window_capture_win.h"
#include "vst_plugin_fixture.h"

namespace {

constexpr int kSonoLeft = 10, kSonoTop = 10, kColumns = 1024, kBins = 256;

bool Lit(uint32_t p)
{
    const int r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
    return std::min(r, std::min(g, b)) > 70;
}

// The share of the sonogram's columns lit in the row of a frequency.
double LitShare(const std::vector<uint32_t>& pixels, int width, double hz)
{
    const int y = kSonoTop + kBins - int(hz / (44100.0 / 512.0) + 0.5);
    int lit = 0;
    for (int c = 0; c < kColumns; ++c) lit += Lit(pixels[size_t(y) * width + kSonoLeft + c]);
    return double(lit) / kColumns;
}

TEST_F(VstPlugin, ToneThroughEachEntryLightsItsRowInTheHostsWindow)
{
    const std::unique_ptr<PIX_IBitmap> backdrop(
        PIX_DecodePngFile(VELVANE_SOURCE_DIR "/resources/img/back.png", nullptr));
    ASSERT_TRUE(backdrop);
    for (ProcessEntry entry : kProcessEntries) {
        Vst2Effect* e = Open();
        ASSERT_TRUE(e);
        e->setParameter(e, 4, 1.0f);  // the fastest speed fills the sonogram soonest
        Vst2Rect* rect = nullptr;
        ASSERT_EQ(host.Dispatch(e, kVst2EditorGetRect, 0, 0, &rect), 1);
        const int width = rect->right - rect->left, height = rect->bottom - rect->top;
        EXPECT_EQ(width, 1044);
        EXPECT_EQ(height, 347);
        HWND parent = CreateHostWindow(width, height);
        ASSERT_TRUE(parent);
        ASSERT_EQ(host.Dispatch(e, kVst2EditorOpen, 0, 0, parent), 1);
        HWND editor = GetWindow(parent, GW_CHILD);
        ASSERT_TRUE(editor);

        for (int round = 0; round < 30; ++round) {
            FeedTone(e, entry, 4096);
            PumpMessages(20);
        }
        PumpMessages(200);
        const std::vector<uint32_t> pixels = CaptureClientArea(editor, width, height);
        ASSERT_EQ(pixels.size(), size_t(width) * height);
        EXPECT_GE(LitShare(pixels, width, 1000.0), 0.8) << "entry " << entry;
        EXPECT_LE(LitShare(pixels, width, 2000.0), 0.05) << "entry " << entry;
        EXPECT_LE(LitShare(pixels, width, 8000.0), 0.05) << "entry " << entry;
        // Outside the sonogram the backdrop shows, as the DLL's resource has it.
        const int corners[][2] = {{2, 2}, {width - 3, 2}, {2, height - 3}};
        for (const auto& at : corners) {
            const uint32_t want =
                backdrop->PixelData()[at[1] * backdrop->RowStride() + at[0]] & 0xFFFFFF;
            EXPECT_EQ(pixels[size_t(at[1]) * width + at[0]], want) << at[0] << "," << at[1];
        }

        EXPECT_EQ(host.Dispatch(e, kVst2EditorClose), 1);
        EXPECT_FALSE(IsWindow(editor));
        host.Close(e);
        DestroyHostWindow(parent);
    }
}

constexpr POINT kGainKnob = {992, 316};

LPARAM At(POINT p)
{
    return MAKELPARAM(p.x, p.y);
}

// Opens the plug-in's editor in parent, starts the host's audio thread, then
// presses the gain knob and drags it up by steps moves. The editor's window,
// or null when it did not open.
HWND DragInTheOpenedEditor(VstHost& host, Vst2Effect* e, HWND parent, int steps)
{
    HWND editor = host.Dispatch(e, kVst2EditorOpen, 0, 0, parent) == 1 ? GetWindow(parent, GW_CHILD)
                                                                       : nullptr;
    if (!editor) return nullptr;
    host.StartAudio(e);
    SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, At(kGainKnob));
    for (int i = 1; i <= steps; ++i)
        SendMessageA(editor, WM_MOUSEMOVE, MK_LBUTTON, At({kGainKnob.x, kGainKnob.y - 3 * i}));
    return editor;
}

int CallsOf(VstHost& host, int32_t opcode)
{
    std::lock_guard<std::mutex> lock(host.mutex);
    int n = 0;
    for (const VstHostCall& call : host.calls) n += call.opcode == opcode;
    return n;
}

// The host's audio thread holds the host's lock around each process call,
// and its automation takes that lock: a knob dragged in the editor reaches
// it all the same.
TEST_F(VstPlugin, AKnobDragAutomatesAHostThatLocksAgainstItsAudio)
{
    Vst2Effect* e = Open();
    ASSERT_TRUE(e);
    HWND parent = CreateHostWindow(1044, 347);
    HWND editor = DragInTheOpenedEditor(host, e, parent, 10);
    ASSERT_TRUE(editor);
    SendMessageA(editor, WM_LBUTTONUP, 0, At(kGainKnob));
    host.StopAudio();
    EXPECT_EQ(host.blockedCallbacks, 0);
    EXPECT_EQ(CallsOf(host, kVst2HostAutomate), 10);
    EXPECT_EQ(CallsOf(host, kVst2HostBeginEdit), 1);
    EXPECT_EQ(CallsOf(host, kVst2HostEndEdit), 1);
    EXPECT_GT(e->getParameter(e, 5), 0.5f);
    host.Close(e);
    DestroyHostWindow(parent);
}

// The editor's window goes in the middle of a drag: closed by the host,
// with the host's window, or opened again in its place. The gesture the
// press began ends, also for a host that locks against its audio.
TEST_F(VstPlugin, TheEditorGoingInADragEndsTheGesture)
{
    enum Going { kClosed, kWithTheHostWindow, kOpenedAgain };
    for (Going going : {kClosed, kWithTheHostWindow, kOpenedAgain}) {
        host.calls.clear();
        host.blockedCallbacks = 0;
        Vst2Effect* e = Open();
        ASSERT_TRUE(e);
        HWND parent = CreateHostWindow(1044, 347);
        ASSERT_TRUE(DragInTheOpenedEditor(host, e, parent, 3));
        switch (going) {
            case kClosed:
                EXPECT_EQ(host.Dispatch(e, kVst2EditorClose), 1);
                break;
            case kWithTheHostWindow:
                DestroyHostWindow(parent);
                break;
            case kOpenedAgain:
                EXPECT_EQ(host.Dispatch(e, kVst2EditorOpen, 0, 0, parent), 1);
                break;
        }
        host.StopAudio();
        EXPECT_EQ(host.blockedCallbacks, 0) << going;
        EXPECT_EQ(CallsOf(host, kVst2HostBeginEdit), 1) << going;
        EXPECT_EQ(CallsOf(host, kVst2HostEndEdit), 1) << going;
        host.Close(e);
        if (going != kWithTheHostWindow) DestroyHostWindow(parent);
    }
}

TEST_F(VstPlugin, TwoEditorsOpenAtOnce)
{
    Vst2Effect* a = Open();
    Vst2Effect* b = Open();
    ASSERT_TRUE(a && b);
    HWND first = CreateHostWindow(1044, 347);
    HWND second = CreateHostWindow(1044, 347);
    EXPECT_EQ(host.Dispatch(a, kVst2EditorOpen, 0, 0, first), 1);
    EXPECT_EQ(host.Dispatch(b, kVst2EditorOpen, 0, 0, second), 1);
    FeedTone(a, kReplacing, 8192);
    FeedTone(b, kDoubles, 8192);
    PumpMessages(100);
    EXPECT_TRUE(IsWindow(GetWindow(first, GW_CHILD)));
    EXPECT_TRUE(IsWindow(GetWindow(second, GW_CHILD)));
    host.Close(a);  // closing deletes the plug-in and its open editor
    EXPECT_FALSE(IsWindow(GetWindow(first, GW_CHILD)));
    EXPECT_EQ(host.Dispatch(b, kVst2EditorClose), 1);
    host.Close(b);
    DestroyHostWindow(first);
    DestroyHostWindow(second);
}

// A host that destroys its window under the open editor, then closes the
// plug-in, or opens the editor again into a new window.
TEST_F(VstPlugin, HostWindowGoesFirst)
{
    for (bool reopen : {false, true}) {
        Vst2Effect* e = Open();
        ASSERT_TRUE(e);
        HWND parent = CreateHostWindow(1044, 347);
        ASSERT_EQ(host.Dispatch(e, kVst2EditorOpen, 0, 0, parent), 1);
        DestroyHostWindow(parent);
        FeedTone(e, kReplacing, 4096);
        PumpMessages(100);
        if (reopen) {
            HWND again = CreateHostWindow(1044, 347);
            EXPECT_EQ(host.Dispatch(e, kVst2EditorOpen, 0, 0, again), 1);
            FeedTone(e, kReplacing, 4096);
            PumpMessages(100);
            EXPECT_TRUE(IsWindow(GetWindow(again, GW_CHILD)));
            EXPECT_EQ(host.Dispatch(e, kVst2EditorClose), 1);
            DestroyHostWindow(again);
        }
        host.Close(e);
    }
}

}  // namespace
