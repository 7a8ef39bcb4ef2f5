// What the sonogram reports as changed from one frame to the next, and that
// a redraw of any region is served from the whole picture.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analyser/sono.h"
#include "analyser/spectrum_analyser.h"
#include "analyser/unit_effect.h"
#include "editor/text_control.h"
#include "raster/sys_bitmap.h"
#include "support/headless_graphics.h"
#include "support/test_unit.h"

namespace {

constexpr IBox kArea = {10, 10, 1034, 267};
constexpr int kEditorWidth = 1044, kEditorHeight = 347;

IBox Columns(int x0, int x1)
{
    return {x0, kArea.top, x1, kArea.bottom};
}
IBox Row(int y)
{
    return {kArea.left, y, kArea.right, y + 1};
}

// Which pixels of the editor the boxes hold.
std::vector<bool> Held(const std::vector<IBox>& boxes)
{
    std::vector<bool> held(kEditorWidth * kEditorHeight, false);
    for (const IBox& box : boxes)
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x) held[y * kEditorWidth + x] = true;
    return held;
}

std::vector<IBox> PiecesOf(const IRegion& region)
{
    return std::vector<IBox>(region.begin(), region.end());
}

std::string Describe(const IRegion& region)
{
    std::string text;
    for (const IBox& b : region)
        text += " (" + std::to_string(b.left) + "," + std::to_string(b.top) + "," +
                std::to_string(b.right) + "," + std::to_string(b.bottom) + ")";
    return text.empty() ? " nothing" : text;
}

// A sonogram in a headless editor over a ring of its own; frames as the
// editor window makes them.
struct SonoFrames {
    SonoFrames()
    {
        editor.CreateSurfaces();
        readOut = new ITextControl(&unit, {470, 271, 570, 285}, &style, "");
        editor.AddControl(readOut);
        sono = new ISono(&unit, kArea, shared.get(), readOut);
        editor.AddControl(sono);
        Arrive(100, 100);
    }
    // Columns from..to-1 arrived since the last paint.
    void Arrive(int from, int to)
    {
        shared->displayReadIndex = from;
        Write(to);
    }
    void Write(int to) { shared->writeIndex = shared->scrollAnchor = to & 1023; }
    // One frame: the part of the sonogram's area it collected.
    IRegion Frame()
    {
        IRegion region;
        if (editor.CollectDirtyRegion(&region)) editor.RedrawRegion(&region);
        return region.ClippedTo(kArea);
    }
    PIX_PackedColor Surface(int x, int y) const
    {
        const PIX_SysBitmap* s = editor.DrawSurface();
        return s->PixelData()[y * s->RowStride() + x];
    }

    TestUnit unit{11};
    HeadlessGraphics editor{&unit, kEditorWidth, kEditorHeight};
    std::unique_ptr<SpectrumShared> shared = std::make_unique<SpectrumShared>();
    ITextStyle style;
    ITextControl* readOut;
    ISono* sono;
};

// Each case: a state that two frames settle, a change, and what the next
// frame collects; the frame after that collects nothing.
TEST(SonoDirtyArea, IsWhatChangedSinceTheLastPaint)
{
    using Step = std::function<void(SonoFrames&)>;
    const Step none = [](SonoFrames&) {};
    const Step cursorAndMarkers = [](SonoFrames& f) {
        f.sono->cursorRow = 100;
        f.sono->showMarkers = true;
        f.sono->marker1 = 5;
        f.sono->marker2 = 700;
    };
    const Step frozen = [](SonoFrames& f) {
        f.shared->pending = true;
        f.shared->skippedCount = 3;
    };
    struct Case {
        const char* name;
        Step state, change;
        std::vector<IBox> changed;
        bool settled;
    };
    const Case cases[] = {
        {"a new sonogram", none, none, {kArea}, false},
        {"nothing arrived", none, none, {}, true},
        {"columns arrived", none, [](SonoFrames& f) { f.Write(133); }, {Columns(110, 143)}, true},
        {"columns across the wrap",
         [](SonoFrames& f) { f.Arrive(1000, 1000); },
         [](SonoFrames& f) { f.Write(9); },
         {Columns(10, 19), Columns(1010, 1034)},
         true},
        {"scrolled, columns arrived",
         [](SonoFrames& f) { f.sono->scroll = true; },
         [](SonoFrames& f) { f.Write(133); },
         {kArea},
         true},
        {"scrolled, nothing arrived", [](SonoFrames& f) { f.sono->scroll = true; }, none, {}, true},
        {"scroll turned on where the picture lies as it is",
         [](SonoFrames& f) { f.Arrive(0, 0); },
         [](SonoFrames& f) { f.sono->scroll = true; },
         {},
         true},
        {"scroll turned on", none, [](SonoFrames& f) { f.sono->scroll = true; }, {kArea}, true},
        {"the cursor moved",
         [](SonoFrames& f) { f.sono->cursorRow = 50; },
         [](SonoFrames& f) { f.sono->cursorRow = 60; },
         {Row(50), Row(60)},
         true},
        {"the cursor placed",
         none,
         [](SonoFrames& f) { f.sono->cursorRow = 266; },
         {Row(266)},
         true},
        {"the cursor taken out of the area",
         [](SonoFrames& f) { f.sono->cursorRow = 10; },
         [](SonoFrames& f) { f.sono->cursorRow = 267; },
         {Row(10)},
         true},
        {"blink over the lines",
         cursorAndMarkers,
         [](SonoFrames& f) { f.sono->blink = true; },
         {Row(100), Columns(15, 16), Columns(710, 711)},
         true},
        {"blink without lines", none, [](SonoFrames& f) { f.sono->blink = true; }, {}, true},
        {"a marker moved",
         cursorAndMarkers,
         [](SonoFrames& f) { f.sono->marker1 = 6; },
         {Columns(15, 17)},
         true},
        {"markers shown",
         [](SonoFrames& f) {
             f.sono->marker1 = 5;
             f.sono->marker2 = 1023;
         },
         [](SonoFrames& f) { f.sono->showMarkers = true; },
         {Columns(15, 16), Columns(1033, 1034)},
         true},
        {"gain, modes and offset change only what comes",
         none,
         [](SonoFrames& f) {
             f.sono->gain = 3.0f;
             f.sono->channelMode = 2;
             f.sono->phaseMode = 1;
             f.sono->leftOffset = 4;
         },
         {},
         true},
        {"frozen: old columns recoloured", none, frozen, {Columns(110, 113)}, true},
        {"scrolled and frozen: recoloured where they lie",
         [](SonoFrames& f) {
             f.sono->scroll = true;
             f.Arrive(90, 100);
         },
         frozen,
         {Columns(10, 13)},
         true},
        {"unfrozen: the ring recoloured up to the write index",
         frozen,
         [](SonoFrames& f) {
             f.shared->pending = false;
             f.shared->skippedCount = 0;
         },
         {Columns(10, 110), Columns(113, 1034)},
         true},
        {"marked dirty", none, [](SonoFrames& f) { f.sono->MarkDirty(false); }, {kArea}, true},
    };
    for (const Case& c : cases) {
        SonoFrames f;
        c.state(f);
        if (c.settled) {
            f.Frame();
            f.Frame();
        }
        c.change(f);
        const IRegion region = f.Frame();
        EXPECT_EQ(Held(PiecesOf(region)), Held(c.changed)) << c.name << ":" << Describe(region);
        const IRegion after = f.Frame();
        EXPECT_TRUE(after.Empty()) << c.name << ", then:" << Describe(after);
    }
}

// What arrives or blinks after the frame was taken is drawn in the next one,
// never in the draw surface alone.
TEST(SonoDirtyArea, ChangesAfterTheFrameWasTakenWaitForTheNext)
{
    SonoFrames f;
    f.sono->cursorRow = 100;
    f.Frame();
    f.Frame();
    const PIX_PackedColor line = f.Surface(500, 100);

    // A system paint of a part of the area after the frame was collected.
    IRegion region;
    ASSERT_FALSE(f.editor.CollectDirtyRegion(&region));
    f.Write(133);
    f.sono->blink = true;
    region.Add({300, 50, 400, 100});
    f.editor.RedrawRegion(&region);
    EXPECT_EQ(f.shared->displayReadIndex, 100) << "no column coloured outside the frame";
    EXPECT_EQ(f.Surface(500, 100), line) << "the line keeps its colour";

    const IRegion next = f.Frame();
    EXPECT_EQ(Held(PiecesOf(next)), Held({Columns(110, 143), Row(100)})) << Describe(next);
    EXPECT_NE(f.Surface(500, 100), line);
}

// A paint the system asks for where nothing changed gets the picture and its
// lines, whatever the draw surface held there.
TEST(SonoDirtyArea, ARedrawOutsideTheChangesIsServedFromThePicture)
{
    for (const bool scroll : {false, true}) {
        SonoFrames f;
        for (int row = 0; row < ISono::kHeight; ++row)
            for (int c = 0; c < ISono::kWidth; ++c)
                f.sono->PixelStore()[row * ISono::kWidth + c] = 0xFF000000u | c << 9 | row;
        f.sono->scroll = scroll;
        f.sono->cursorRow = 60;
        f.Frame();
        f.Frame();
        PIX_SysBitmap* surface = f.editor.DrawSurface();
        const IBox exposed = {300, 50, 400, 100};
        for (int y = exposed.top; y < exposed.bottom; ++y)
            for (int x = exposed.left; x < exposed.right; ++x)
                surface->PixelData()[y * surface->RowStride() + x] = 0xFF123456u;

        const IRegion region(exposed);
        f.editor.RedrawRegion(&region);
        int wrong = 0;
        for (int y = exposed.top; y < exposed.bottom; ++y)
            for (int x = exposed.left; x < exposed.right; ++x) {
                const int c = (x - kArea.left + (scroll ? 100 : 0)) % ISono::kWidth;
                const PIX_PackedColor want =
                    y == 60 ? 0xFF623C62u : 0xFF000000u | c << 9 | (y - kArea.top);
                wrong += f.Surface(x, y) != want;
            }
        EXPECT_EQ(wrong, 0) << "scroll " << scroll;
    }
}

TEST(SonoDirtyArea, AResetShowsTheStartUpPictureWhole)
{
    std::unique_ptr<IUnitEffect> unit(CreatePlugInstance(nullptr, nullptr));
    unit->ChangeSampleRate(44100.0);
    unit->ResetDspState();
    IGraphics* editor = AttachedGraphics(unit.get());
    editor->CreateSurfaces();
    for (int i = 0; i < 2; ++i) {
        IRegion settle;
        if (editor->CollectDirtyRegion(&settle)) editor->RedrawRegion(&settle);
    }
    unit->ResetDspState();
    IRegion region;
    ASSERT_TRUE(editor->CollectDirtyRegion(&region));
    EXPECT_EQ(Held(PiecesOf(region.ClippedTo(kArea))), Held({kArea})) << Describe(region);
}

}  // namespace
