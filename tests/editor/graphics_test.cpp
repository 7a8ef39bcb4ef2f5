#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "editor/bitmap_control.h"
#include "editor/graphics.h"
#include "raster/bitmap.h"
#include "raster/cached_font.h"
#include "raster/sys_bitmap.h"
#include "support/headless_graphics.h"
#include "support/test_unit.h"

namespace {

using Log = std::vector<std::string>;

constexpr const char* kKnobFile = "resources/img/kwo_knob_x0x.png";
constexpr const char* kCheckBoxFile = "resources/img/ckb.png";
constexpr const char* kBackFile = "resources/img/back.png";

// A control that logs what the editor hands it and when it goes.
class LoggingControl : public IControl {
public:
    LoggingControl(Log* log, std::string name, IBox rect, int paramIdx, IUnitBase* plug = nullptr)
        : IControl(plug, rect, paramIdx, 0), log(log), name(std::move(name))
    {
    }
    ~LoggingControl() override { log->push_back("delete " + name); }
    bool Paint(IGraphics*) override { return true; }
    void ApplyValueFromCore(double v) override
    {
        log->push_back(name + " value " + std::to_string(v));
        IControl::ApplyValueFromCore(v);
    }
    void ApplyAuxValueFromCore(int aux, double v) override
    {
        log->push_back(name + " aux " + std::to_string(aux) + " " + std::to_string(v));
        IControl::ApplyAuxValueFromCore(aux, v);
    }

    Log* log;
    std::string name;
};

// The headless editor with its protected state in reach.
class Editor : public HeadlessGraphics {
public:
    using HeadlessGraphics::HeadlessGraphics;
    using IGraphics::capturedControl;
    using IGraphics::drawClip;
    using IGraphics::pointerOverControl;
};

TEST(EditorBaseTest, FrameRateDefaultsTo25)
{
    struct Case {
        int given, used;
    };
    const Case cases[] = {{0, 25}, {-5, 25}, {60, 60}, {1, 1}};
    for (const Case& c : cases) EXPECT_EQ(Editor(nullptr, 10, 10, c.given).FrameRate(), c.used);
}

TEST(EditorBaseTest, BackdropGoesFirstAndControlsGoLastToFirst)
{
    Log log;
    {
        Editor editor(nullptr, 1044, 347);
        for (const char* name : {"a", "b", "c"})
            EXPECT_EQ(editor.AddControl(new LoggingControl(&log, name, {}, -1)),
                      editor.ControlCount());
        editor.SetKeyCatcher(new LoggingControl(&log, "keys", {}, -1));
        editor.AddImageBackdrop(101, kBackFile);

        ASSERT_EQ(editor.ControlCount(), 4);
        IBitmapControl* backdrop = dynamic_cast<IBitmapControl*>(editor.ControlAt(0));
        ASSERT_NE(backdrop, nullptr);
        EXPECT_EQ(backdrop->paramIdx, -1);
        EXPECT_EQ(backdrop->blend.kind, 1);
        EXPECT_EQ(backdrop->blend.weight, 1.0f);
        EXPECT_EQ(backdrop->rect.right, 1044);
        EXPECT_EQ(backdrop->rect.bottom, 347);
        EXPECT_EQ(backdrop->targetRect.bottom, 347);
        EXPECT_EQ(static_cast<LoggingControl*>(editor.ControlAt(1))->name, "a");
        EXPECT_EQ(static_cast<LoggingControl*>(editor.ControlAt(3))->name, "c");
        EXPECT_EQ(editor.ControlAt(4), nullptr);
        EXPECT_EQ(editor.ControlAt(-1), nullptr);
    }
    EXPECT_EQ(log, (Log{"delete keys", "delete c", "delete b", "delete a"}));
}

TEST(EditorBaseTest, AttachingTheEditorSetsValuesAndMakesTheSurfaces)
{
    Log log;
    TestUnit unit(2);
    unit.ParameterAt(0)->SetupDouble("a", 2.0, 0.0, 8.0, 1.0, "", "", 1.0);
    unit.ParameterAt(1)->SetupDouble("b", 6.0, 0.0, 8.0, 1.0, "", "", 1.0);
    Editor* editor = new Editor(&unit, 30, 20);  // the plug-in deletes it
    editor->AddControl(new LoggingControl(&log, "a", {}, 0));
    editor->AddControl(new LoggingControl(&log, "b", {}, 1));

    unit.AttachEditor(editor);  // calls the editor through its virtual operations
    ASSERT_NE(editor->DrawSurface(), nullptr);
    EXPECT_EQ(editor->DrawSurface()->PixelWidth(), 30);
    EXPECT_EQ(editor->DrawSurface()->PixelHeight(), 20);
    EXPECT_EQ(editor->ControlAt(0)->defaultValue, 0.25);
    EXPECT_EQ(editor->ControlAt(1)->value, 0.75);
    EXPECT_TRUE(unit.calls.empty());
}

TEST(EditorBaseTest, CoreValuesFanOutToBoundControlsAndAuxEntries)
{
    TestUnit unit(3);
    unit.ParameterAt(2)->SetupDouble("c", 0.0, 0.0, 8.0, 1.0, "", "", 1.0);
    Log log;
    Editor editor(&unit, 10, 10);
    LoggingControl* both = new LoggingControl(&log, "both", {}, 2);
    both->AddAuxParam(1);
    both->AddAuxParam(2);
    LoggingControl* auxOnly = new LoggingControl(&log, "auxOnly", {}, -1);
    auxOnly->AddAuxParam(2);
    editor.AddControl(both);
    editor.AddControl(new LoggingControl(&log, "other", {}, 1));
    editor.AddControl(auxOnly);

    editor.ApplyParameterFromCore(2, 0.5, true);
    editor.ApplyParameterFromCore(2, 2.0, false);  // normalised through parameter 2
    editor.ApplyParameterFromCore(7, 1.0, false);  // no such parameter: nothing
    EXPECT_EQ(log, (Log{"both value 0.500000", "both aux 1 0.500000", "auxOnly aux 0 0.500000",
                        "both value 0.250000", "both aux 1 0.250000", "auxOnly aux 0 0.250000"}));
    EXPECT_TRUE(unit.calls.empty());
}

TEST(EditorBaseTest, ControlsOfAParameter)
{
    TestUnit unit(2);
    unit.ParameterAt(1)->SetupDouble("b", 0.0, 0.0, 10.0, 1.0, "", "", 1.0);
    Log log;
    Editor editor(&unit, 10, 10);
    for (int p : {1, 0, 1}) editor.AddControl(new LoggingControl(&log, "c", {}, p, &unit));
    IControl* bound = editor.ControlAt(0);
    IControl* other = editor.ControlAt(1);

    editor.HideControlsOfParam(1, true);
    editor.GreyControlsOfParam(1, true);
    EXPECT_TRUE(bound->hidden && bound->greyed && editor.ControlAt(2)->hidden);
    EXPECT_FALSE(other->hidden || other->greyed);

    editor.ClampControlsOfParam(1, 2.0, 8.0, false);
    EXPECT_EQ(bound->lowLimit, 0.2);
    EXPECT_EQ(bound->highLimit, 0.8);
    EXPECT_EQ(other->highLimit, 1.0);

    for (int i = 0; i < 3; ++i) editor.ControlAt(i)->AcknowledgeRedraw();
    editor.MarkAllControlsDirty();
    EXPECT_TRUE(bound->NeedsRedraw() && other->NeedsRedraw());

    editor.ApplyValueToControlAt(-1, 0.5);
    editor.ApplyValueToControlAt(3, 0.5);
    editor.ApplyValueToControlAt(1, 0.5);
    EXPECT_EQ(log, (Log{"c value 0.500000"}));  // only the control at 1 took a value

    editor.ApplyEnteredValueToParam(1, 0.5);
    EXPECT_EQ(bound->value, 0.5);
    EXPECT_EQ(unit.calls,
              (Log{"report 1 0.500000", "changed 1", "report 1 0.500000", "changed 1"}));
}

TEST(EditorBaseTest, ValuesFromTextGoThroughTheParameter)
{
    TestUnit unit(3);
    unit.ParameterAt(0)->SetupDouble("a", 0.0, -10.0, 10.0, 0.1, "", "", 1.0);
    unit.ParameterAt(1)->SetupEnum("e", 0, 3, "", "");
    unit.ParameterAt(1)->AddValueText(2, "two");
    unit.ParameterAt(2)->SetupInt("i", 0, -10, 10, "", "");
    Editor editor(&unit, 10, 10);
    Log log;
    LoggingControl control(&log, "c", {}, 0);
    struct Case {
        int param;
        const char* text;
        double value;
    };
    const Case cases[] = {{0, "5", 0.75},   {0, "-10", 0.0},   {1, "two", 1.0},
                          {2, "5", 0.75},   {0, "5 dB", 0.75},  // the number the text begins with
                          {1, "three", 0.0}};
    for (const Case& c : cases) {
        control.value = 0.3;
        editor.SetControlValueFromText(&control, unit.ParameterAt(c.param), c.text);
        EXPECT_DOUBLE_EQ(control.value, c.value) << c.text;
    }
    editor.SetControlValueFromText(&control, nullptr, "1");
    EXPECT_EQ(control.value, 0.0);
    // A text that does not read as a finite number is refused: the value stays.
    for (int param : {0, 2}) {
        for (const char* text : {"nan", "abc", "1e999", "-1e999", "-inf", ""}) {
            control.value = 0.3;
            editor.SetControlValueFromText(&control, unit.ParameterAt(param), text);
            EXPECT_EQ(control.value, 0.3) << text << " for parameter " << param;
        }
    }
}

TEST(EditorBaseTest, ResizeStartsAfresh)
{
    TestUnit unit(0);
    Log log;
    Editor editor(&unit, 10, 10);
    editor.CreateSurfaces();
    editor.AddControl(new LoggingControl(&log, "a", {0, 0, 10, 10}, -1));
    editor.AddControl(new LoggingControl(&log, "b", {0, 0, 10, 10}, -1));
    editor.capturedControl = 1;
    editor.pointerOverControl = 1;

    editor.ResizeEditor(40, 30);
    EXPECT_EQ(log, (Log{"delete b", "delete a"}));
    EXPECT_EQ(editor.ControlCount(), 0);
    EXPECT_EQ(editor.capturedControl, -1);
    EXPECT_EQ(editor.pointerOverControl, -1);
    EXPECT_EQ(editor.Width(), 40);
    EXPECT_EQ(editor.DrawSurface()->PixelWidth(), 40);
    EXPECT_EQ(editor.DrawSurface()->PixelHeight(), 30);
}

// The image cache is process-wide: each test uses ids of its own.
TEST(ImageCacheTest, TheIdAloneNamesAnImageAndTheFramesComeFromTheCall)
{
    Editor editor(nullptr, 10, 10);
    const IImageStrip knob = editor.LoadImageStrip(7103, kKnobFile, 145, false);
    const IImageStrip again = editor.LoadImageStrip(7103, kCheckBoxFile, 1, true);
    Editor other(nullptr, 10, 10);
    const IImageStrip fromOther = other.LoadImageStrip(7103, kCheckBoxFile, 3, false);

    ASSERT_NE(knob.bitmap, nullptr);
    EXPECT_EQ(knob.width, 25);
    EXPECT_EQ(knob.height, 3625);
    EXPECT_EQ(knob.frames, 145);
    EXPECT_FALSE(knob.framesHorizontal);
    EXPECT_EQ(again.bitmap, knob.bitmap);
    EXPECT_EQ(again.height, 3625);
    EXPECT_EQ(again.frames, 1);
    EXPECT_TRUE(again.framesHorizontal);
    EXPECT_EQ(fromOther.bitmap, knob.bitmap);
    EXPECT_EQ(fromOther.frames, 3);
    EXPECT_EQ(editor.loads, (std::vector<int>{7103}));
    EXPECT_TRUE(other.loads.empty());
}

TEST(ImageCacheTest, AFailedLoadIsRetriedAndItsEntryFilledOnce)
{
    Editor editor(nullptr, 10, 10);
    const IImageStrip missing = editor.LoadImageStrip(7105, "", 2, false);
    EXPECT_EQ(missing.bitmap, nullptr);
    EXPECT_EQ(missing.width, 0);
    EXPECT_EQ(missing.height, 0);
    EXPECT_EQ(missing.frames, 2);
    EXPECT_EQ(editor.LoadImageStrip(7105, "resources/img/none.png", 2, false).bitmap, nullptr);

    const IImageStrip found = editor.LoadImageStrip(7105, kCheckBoxFile, 2, false);
    ASSERT_NE(found.bitmap, nullptr);
    EXPECT_EQ(found.height, 26);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(editor.LoadImageStrip(7105, "", 2, false).bitmap, found.bitmap);
    EXPECT_EQ(editor.loads, (std::vector<int>{7105, 7105, 7105}));
}

// An editor whose next load of an image sees a second load of the same id
// finish first, as another thread's could.
class RacingEditor : public Editor {
public:
    using Editor::Editor;
    PIX_IBitmap* LoadImageResource(int resourceId, const char* name) override
    {
        if (racing) {
            racing = false;
            rival = LoadImageStrip(resourceId, name, 1, false).bitmap;
        }
        return Editor::LoadImageResource(resourceId, name);
    }

    bool racing = false;
    PIX_IBitmap* rival = nullptr;
};

TEST(ImageCacheTest, ALoadThatLosesTheRaceTakesTheWinnersBitmap)
{
    RacingEditor editor(nullptr, 10, 10);
    for (int id : {7106, 7107}) {
        if (id == 7107) editor.LoadImageStrip(id, "", 1, false);  // a failed load came before
        editor.racing = true;
        const IImageStrip strip = editor.LoadImageStrip(id, kCheckBoxFile, 2, false);
        ASSERT_NE(editor.rival, nullptr);
        EXPECT_EQ(strip.bitmap, editor.rival);  // the loser's own bitmap is deleted
        EXPECT_EQ(editor.LoadImageStrip(id, "", 1, false).bitmap, editor.rival);
    }
}

// A bitmap that counts its deletions.
class CountedBitmap : public PIX_MemBitmap {
public:
    explicit CountedBitmap(int* deletions) : PIX_MemBitmap(4, 4, 4), deletions(deletions) {}
    ~CountedBitmap() override { ++*deletions; }
    int* deletions;
};

TEST(ImageCacheTest, AddedImagesBelongToTheCacheUntilRemoved)
{
    // Static: a bitmap the test fails to remove goes with the cache at exit.
    static int deletions = 0, strangerDeletions = 0;
    IImageStrip made;
    made.bitmap = new CountedBitmap(&deletions);
    {
        Editor editor(nullptr, 10, 10);
        editor.AddToImageCache(&made);
    }
    EXPECT_EQ(deletions, 0);  // the editor that added it has gone, the cache keeps it

    Editor editor(nullptr, 10, 10);
    CountedBitmap strangerBitmap(&strangerDeletions);
    IImageStrip stranger;
    stranger.bitmap = &strangerBitmap;
    editor.RemoveFromImageCache(&stranger);  // not in the cache: nothing happens
    EXPECT_EQ(strangerDeletions, 0);
    EXPECT_EQ(deletions, 0);
    editor.RemoveFromImageCache(&made);
    EXPECT_EQ(deletions, 1);
    editor.RemoveFromImageCache(&made);  // gone already: no second delete
    EXPECT_EQ(deletions, 1);
}

TEST(FontCacheTest, FontsAreKeyedBySizeOrientationWeightAndExactFace)
{
    Editor editor(nullptr, 10, 10);
    ITextStyle base;
    PIX_CachedFont* font = editor.CachedFontFor(&base);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(base.cachedFont, font);

    ITextStyle sameFont[3];
    sameFont[0].colour = kArgbRed;
    sameFont[1].align = 2;
    sameFont[2].quality = 3;
    for (ITextStyle& style : sameFont) EXPECT_EQ(editor.CachedFontFor(&style), font);

    ITextStyle otherFont[5];
    otherFont[0].size = 13;
    otherFont[1].orientation = 90;
    otherFont[2].weightStyle = 1;
    otherFont[3].weightStyle = 2;
    std::snprintf(otherFont[4].face, sizeof otherFont[4].face, "verdana");
    std::vector<PIX_CachedFont*> seen = {font};
    for (ITextStyle& style : otherFont) {
        PIX_CachedFont* made = editor.CachedFontFor(&style);
        ASSERT_NE(made, nullptr);
        for (PIX_CachedFont* earlier : seen) EXPECT_NE(made, earlier) << style.face;
        seen.push_back(made);
        EXPECT_EQ(editor.CachedFontFor(&style), made);
    }
    ITextStyle unterminated;  // a face of 32 characters is cut to 31
    std::memset(unterminated.face, 'A', sizeof unterminated.face);
    PIX_CachedFont* cut = editor.CachedFontFor(&unterminated);
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(editor.CachedFontFor(&unterminated), cut);

    Editor other(nullptr, 10, 10);
    ITextStyle fresh;
    EXPECT_EQ(other.CachedFontFor(&fresh), font);
    EXPECT_EQ(other.CachedFontFor(nullptr), nullptr);
}

// A source whose pixel (x, y) is opaque and holds y in its middle bytes and x
// in its low byte.
class CoordinateBitmap : public PIX_MemBitmap {
public:
    CoordinateBitmap(int width, int height) : PIX_MemBitmap(width, height, 4)
    {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) PixelData()[y * RowStride() + x] = Encode(x, y);
    }
    static PIX_PackedColor Encode(int x, int y)
    {
        return 0xFF000000u | uint32_t(y) << 8 | uint32_t(x);
    }
};

constexpr PIX_PackedColor kBlank = 0x12345678u;

// An editor with a draw surface of one colour.
class DrawingTest : public ::testing::Test {
protected:
    DrawingTest() : editor(nullptr, 120, 120)
    {
        editor.CreateSurfaces();
        Blank();
    }
    void Blank()
    {
        PIX_SysBitmap* surface = editor.DrawSurface();
        for (int y = 0; y < surface->PixelHeight(); ++y)
            for (int x = 0; x < surface->PixelWidth(); ++x) At(x, y) = kBlank;
    }
    PIX_PackedColor& At(int x, int y)
    {
        PIX_SysBitmap* surface = editor.DrawSurface();
        return surface->PixelData()[y * surface->RowStride() + x];
    }
    // The bounding box of the pixels that are no longer blank.
    IBox Drawn()
    {
        IBox box = {120, 120, 0, 0};
        bool any = false;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 120; ++x) {
                if (At(x, y) == kBlank) continue;
                any = true;
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                       std::max(box.bottom, y + 1)};
            }
        return any ? box : IBox{};
    }

    Editor editor;
};

TEST_F(DrawingTest, ImagesAreClippedToTheDrawClip)
{
    CoordinateBitmap source(200, 200);
    IImageStrip strip = {&source, 200, 200, 1, false};
    const IBlend copy{1, 1.0f};
    struct Case {
        IBox clip, dest;
        int srcX, srcY;
        IBox drawn;
        int firstX, firstY;  // the source pixel at the drawn box's top-left corner
    };
    const Case cases[] = {
        {{0, 0, 100, 100}, {90, 90, 120, 120}, 5, 7, {90, 90, 100, 100}, 5, 7},
        {{0, 0, 100, 100}, {100, 0, 120, 20}, 0, 0, {}, 0, 0},  // starts at the clip's edge
        {{0, 0, 100, 100}, {-20, 0, 0, 20}, 0, 0, {}, 0, 0},    // touches: an empty copy
        {{0, 0, 0, 0}, {10, 10, 20, 20}, 0, 0, {}, 0, 0},       // no clip, no drawing
        {{0, 0, 100, 100}, {0, 0, 0, 0}, 0, 0, {}, 0, 0},
        {{0, 0, 100, 100}, {-10, -10, 20, 20}, 0, 0, {0, 0, 20, 20}, 10, 10},
        {{30, 40, 50, 60}, {0, 0, 120, 120}, 3, 4, {30, 40, 50, 60}, 33, 44},
    };
    for (const Case& c : cases) {
        Blank();
        editor.drawClip = IRegion(c.clip);
        EXPECT_TRUE(editor.BlitImage(&strip, &c.dest, c.srcX, c.srcY, &copy));
        const IBox drawn = Drawn();
        EXPECT_EQ(drawn.left, c.drawn.left) << c.dest.left << "," << c.dest.top;
        EXPECT_EQ(drawn.top, c.drawn.top);
        EXPECT_EQ(drawn.right, c.drawn.right);
        EXPECT_EQ(drawn.bottom, c.drawn.bottom);
        if (!c.drawn.Empty()) {
            EXPECT_EQ(At(drawn.left, drawn.top), CoordinateBitmap::Encode(c.firstX, c.firstY));
        }
    }
}

TEST_F(DrawingTest, BlendsChooseTheCombine)
{
    PIX_MemBitmap source(1, 1, 4);
    source.PixelData()[0] = 0x00FFFFFFu;  // transparent white
    IImageStrip strip = {&source, 1, 1, 1, false};
    const IBox dest = {0, 0, 1, 1};
    editor.drawClip = IRegion(IBox{0, 0, 120, 120});
    struct Case {
        const IBlend* blend;
        PIX_PackedColor result;
    };
    const IBlend opaque{1, 1.0f}, throughAlpha{0, 1.0f}, none{1, 0.0f};
    const Case cases[] = {
        {&opaque, 0x00FFFFFFu}, {&throughAlpha, kBlank}, {nullptr, kBlank}, {&none, kBlank}};
    for (const Case& c : cases) {
        At(0, 0) = kBlank;
        editor.BlitImage(&strip, &dest, 0, 0, c.blend);
        EXPECT_EQ(At(0, 0), c.result) << std::hex << c.result;
    }
}

TEST_F(DrawingTest, FramesAreFoundAlongTheStrip)
{
    CoordinateBitmap tall(25, 3625), wide(30, 1), ten(1, 10);
    struct Case {
        IImageStrip strip;
        int frame;
        int x, y;  // the source of the frame's top-left pixel
    };
    const Case cases[] = {
        {{&tall, 25, 3625, 145, false}, 1, 0, 0},     {{&tall, 25, 3625, 145, false}, 2, 0, 25},
        {{&tall, 25, 3625, 145, false}, 73, 0, 1800}, {{&tall, 25, 3625, 145, false}, 145, 0, 3600},
        {{&tall, 25, 3625, 145, false}, 0, 0, 0},     {{&tall, 25, 3625, 145, false}, -3, 0, 0},
        {{&tall, 25, 3625, 1, false}, 5, 0, 0},  // a one-frame strip shows its top
        {{&ten, 1, 10, 3, false}, 2, 0, 3},      // 3.33 rounds down
        {{&ten, 1, 10, 3, false}, 3, 0, 7},      // 6.67 rounds up
        {{&wide, 30, 1, 3, true}, 2, 10, 0},          {{&wide, 30, 1, 3, true}, 3, 20, 0},
        {{&wide, 30, 1, 0, true}, 2, 0, 0},  // no frames: no division
    };
    const IBlend copy{1, 1.0f};
    const IBox dest = {0, 0, 1, 1};
    editor.drawClip = IRegion(IBox{0, 0, 120, 120});
    for (const Case& c : cases) {
        At(0, 0) = kBlank;
        EXPECT_TRUE(editor.BlitImageFrame(&c.strip, &dest, c.frame, &copy));
        EXPECT_EQ(At(0, 0), CoordinateBitmap::Encode(c.x, c.y))
            << c.strip.frames << " frames, frame " << c.frame;
    }
}

TEST_F(DrawingTest, AnImageWithoutBitmapDrawsNothing)
{
    const IImageStrip missing;
    const IBox dest = {0, 0, 10, 10};
    editor.drawClip = IRegion(IBox{0, 0, 120, 120});
    EXPECT_TRUE(editor.BlitImageFrame(&missing, &dest, 1, nullptr));
    EXPECT_TRUE(Drawn().Empty());
}

// A font that measures every text as 40 by 14 (or a given size) and notes
// the calls it gets.
class FakeFont : public PIX_CachedFont {
public:
    int PaintText(PIX_IBitmap* bitmap, const char* text, int, PIX_Box* box, int textFlags) override
    {
        calls.push_back({bitmap, text, *box, textFlags, ForegroundColor()});
        if (textFlags & PIX_DtCalcRect) {
            box->right = box->left + width;
            box->bottom = box->top + height;
        } else {
            *box = {-1, -1, -1, -1};  // the editor must hand over a copy
        }
        return height;
    }
    struct Call {
        PIX_IBitmap* bitmap;
        std::string text;
        PIX_Box box;
        int flags;
        PIX_PackedColor colour;
    };
    std::vector<Call> calls;
    int width = 40;
    int height = 14;
};

TEST_F(DrawingTest, MeasuringAlignsTheBox)
{
    struct Case {
        int align, width;
        IBox measured;
    };
    const Case cases[] = {
        {0, 40, {10, 5, 50, 19}},  {1, 40, {85, 5, 125, 19}}, {2, 40, {160, 5, 200, 19}},
        {1, 41, {85, 5, 126, 19}}, {1, 0, {105, 5, 105, 19}}, {7, 40, {160, 5, 200, 19}},
    };
    for (const Case& c : cases) {
        FakeFont font;
        font.width = c.width;
        ITextStyle style;
        style.align = c.align;
        style.cachedFont = &font;
        IBox box = {10, 5, 200, 30};
        EXPECT_TRUE(editor.MeasureText(&style, "text", &box));
        EXPECT_EQ(box.left, c.measured.left) << c.align << " " << c.width;
        EXPECT_EQ(box.top, c.measured.top);
        EXPECT_EQ(box.right, c.measured.right);
        EXPECT_EQ(box.bottom, c.measured.bottom);
        ASSERT_EQ(font.calls.size(), 1u);
        EXPECT_EQ(font.calls[0].box.left, 0);  // measured from the empty box
        EXPECT_EQ(font.calls[0].box.right, 0);
        EXPECT_TRUE(font.calls[0].flags & PIX_DtCalcRect);
    }
}

TEST_F(DrawingTest, DrawingHandsTheFontFlagsColourAndACopyOfTheBox)
{
    struct Case {
        int align;
        IArgb colour;
        int flags;
    };
    const Case cases[] = {
        {0, kArgbBlack, PIX_DtNoClip},
        {1, kArgbBlack, PIX_DtNoClip | PIX_DtCenter},
        {2, kArgbBlack, PIX_DtNoClip | PIX_DtRight},
        {-1, kArgbBlack, PIX_DtNoClip | PIX_DtRight},
        {0, {128, 255, 255, 255}, PIX_DtNoClip | PIX_TextColorAlpha},
        {1, {0, 10, 20, 30}, PIX_DtNoClip | PIX_DtCenter | PIX_TextColorAlpha},
    };
    for (const Case& c : cases) {
        FakeFont font;
        ITextStyle style;
        style.align = c.align;
        style.colour = c.colour;
        style.cachedFont = &font;
        IBox box = {1, 2, 3, 4};
        EXPECT_TRUE(editor.DrawTextInBox(&style, "abc", &box, false));
        EXPECT_EQ(box.left, 1);
        EXPECT_EQ(box.bottom, 4);
        ASSERT_EQ(font.calls.size(), 1u);
        const FakeFont::Call& call = font.calls[0];
        EXPECT_EQ(call.bitmap, editor.DrawSurface());
        EXPECT_EQ(call.text, "abc");
        EXPECT_EQ(call.box.left, 1);
        EXPECT_EQ(call.box.bottom, 4);
        EXPECT_EQ(call.flags, c.flags) << c.align << " " << c.colour.alpha;
        EXPECT_EQ(call.colour, c.colour.Packed());
    }
}

TEST_F(DrawingTest, EmptyTextsNeedNoFont)
{
    ITextStyle style;
    IBox box = {1, 2, 3, 4};
    EXPECT_TRUE(editor.DrawTextInBox(&style, "", &box, false));
    EXPECT_TRUE(editor.DrawTextInBox(&style, nullptr, &box, true));
    EXPECT_EQ(style.cachedFont, nullptr);
    EXPECT_EQ(box.right, 3);
    EXPECT_TRUE(Drawn().Empty());
}

TEST_F(DrawingTest, UnknownWeightsDrawNormally)
{
    auto drawn = [&](int weightStyle) {
        Blank();
        ITextStyle style;
        style.weightStyle = weightStyle;
        IBox box = {0, 0, 120, 20};
        EXPECT_TRUE(editor.DrawTextInBox(&style, "Wg", &box, false));
        std::vector<PIX_PackedColor> pixels;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 120; ++x) pixels.push_back(At(x, y));
        return pixels;
    };
    EXPECT_NE(drawn(0), std::vector<PIX_PackedColor>(20 * 120, kBlank));
    EXPECT_EQ(drawn(5), drawn(0));
    EXPECT_EQ(drawn(-1), drawn(0));
}

TEST_F(DrawingTest, TranslucentTextIsFainter)
{
    // White text on black, opaque and at alpha 128: the brightest pixel of each.
    auto brightest = [&](int alpha) {
        PIX_SysBitmap* surface = editor.DrawSurface();
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 120; ++x) At(x, y) = 0xFF000000u;
        ITextStyle style;
        style.colour = {alpha, 255, 255, 255};
        IBox box = {0, 0, 120, 20};
        EXPECT_TRUE(editor.DrawTextInBox(&style, "HHHH", &box, false));
        uint32_t top = 0;
        for (int y = 0; y < surface->PixelHeight(); ++y)
            for (int x = 0; x < surface->PixelWidth(); ++x) top = std::max(top, At(x, y) & 0xFFu);
        return top;
    };
    const uint32_t opaque = brightest(255), half = brightest(128);
    EXPECT_GT(half, 0u);
    EXPECT_LT(half, opaque);
}

}  // namespace
