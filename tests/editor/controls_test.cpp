#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "editor/bitmap_control.h"
#include "editor/graphics.h"
#include "editor/knob_control.h"
#include "editor/text_control.h"
#include "raster/raster_test_support.h"
#include "raster/sys_bitmap.h"
#include "support/headless_graphics.h"
#include "support/test_unit.h"

#include "control_test_support.h"

namespace {

using Calls = std::vector<std::string>;

constexpr const char* kBackFile = "resources/img/back.png";
constexpr const char* kKnobFile = "resources/img/kwo_knob_x0x.png";
constexpr const char* kCheckBoxFile = "resources/img/ckb.png";

// The drag-to-turn knob with a paint of its own.
class Knob : public IKnobControl {
public:
    using IKnobControl::IKnobControl;
    bool Paint(IGraphics*) override { return true; }
};

class ControlsTest : public OneParameterTest {};

TEST_F(ControlsTest, ConstructorsSizeTheRectangleToOneFrame)
{
    struct Case {
        IImageStrip image;
        IBox rect;
    };
    const Case cases[] = {
        {Strip(21, 26, 2), {928, 312, 949, 325}}, {Strip(25, 3625, 145), {928, 312, 953, 337}},
        {Strip(25, 87, 3), {928, 312, 953, 341}},  // 87 / 3 = 29
        {Strip(25, 88, 3), {928, 312, 953, 341}},  // integer division
        {Strip(25, 40, 0), {928, 312, 953, 352}},  // no frames: one
        {Strip(0, 0, 1), {928, 312, 928, 312}},
    };
    for (const Case& c : cases) {
        IBitmapControl bitmap(&unit, 928, 312, 0, c.image, 3);
        ISwitchControl toggle(&unit, 928, 312, 0, c.image, 0);
        IKnobMultiControl knob(&unit, 928, 312, 0, c.image, 1, 2.0);
        for (IControl* control : {static_cast<IControl*>(&bitmap), static_cast<IControl*>(&toggle),
                                  static_cast<IControl*>(&knob)}) {
            EXPECT_EQ(control->rect.right, c.rect.right) << c.image.height << "/" << c.image.frames;
            EXPECT_EQ(control->rect.bottom, c.rect.bottom)
                << c.image.height << "/" << c.image.frames;
            EXPECT_EQ(control->targetRect.bottom, c.rect.bottom);
            EXPECT_TRUE(control->promptDisabled);
        }
        EXPECT_EQ(bitmap.blend.kind, 3);
        EXPECT_EQ(knob.blend.kind, 0);
        EXPECT_EQ(knob.direction, 1);
        EXPECT_EQ(knob.gearing, 2.0);
    }
}

TEST_F(ControlsTest, FrameByValue)
{
    struct Case {
        int frames;
        double value;
        int frame;
    };
    const Case cases[] = {
        {145, 0.0, 1},    {145, 1.0, 145},        {145, 0.5, 73},  {145, 0.004, 2},
        {145, 0.003, 1},  {145, -0.5, 1},         {145, 1.5, 145}, {145, 1e300, 145},
        {145, -1e300, 1}, {145, std::nan(""), 1}, {2, 0.49, 1},    {2, 0.5, 2},
        {3, 0.75, 3},     {3, 0.74, 2},           {1, 0.9, 1},     {0, 0.9, 1},
        {-2, 0.9, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FrameForValue(Strip(25, 3625, c.frames), c.value), c.frame)
            << c.frames << " frames at " << c.value;
}

TEST_F(ControlsTest, SwitchesStepThroughTheirFramesAndWrap)
{
    struct Case {
        int frames;
        std::vector<double> values;  // after each click, from 0
    };
    const Case cases[] = {
        {3, {0.5, 1.0, 0.0, 0.5}},
        {2, {1.0, 0.0, 1.0}},
        {4, {1.0 / 3, 2.0 / 3, 1.0, 0.0}},  // the sums of thirds reach 1 within 1.001
        {1, {1.0, 0.0, 1.0}},
        {0, {1.0, 0.0}},
    };
    for (const Case& c : cases) {
        ISwitchControl toggle(&unit, 0, 0, 0, Strip(21, 26, c.frames), 0);
        for (size_t i = 0; i < c.values.size(); ++i) {
            unit.calls.clear();
            toggle.HandleMouseDown(0, 0, i % 2 ? &rightButton : &none);  // any button
            EXPECT_NEAR(toggle.value, c.values[i], 1e-12) << c.frames << " frames, click " << i;
            ASSERT_EQ(unit.calls.size(), 2u);
            EXPECT_EQ(unit.calls[0], "report 0 " + std::to_string(toggle.value));
        }
    }
}

TEST_F(ControlsTest, ADoubleClickOnASwitchStepsItTwice)
{
    HeadlessGraphics editor(&unit, 100, 100);
    ISwitchControl* toggle = new ISwitchControl(&unit, 10, 10, 0, Strip(21, 39, 3), 0);
    editor.AddControl(toggle);
    editor.DispatchMouseDown(12, 12, &none);
    editor.DispatchMouseUp(12, 12, &none);
    EXPECT_EQ(toggle->value, 0.5);
    editor.DispatchDoubleClick(12, 12, &none);
    EXPECT_EQ(toggle->value, 1.0);
}

TEST_F(ControlsTest, KnobsFollowTheDragWithTheirGearing)
{
    struct Case {
        int direction;
        IBox rect;
        double gearing;
        double from;
        int dX, dY;
        bool shift, ctrl;
        double to;
    };
    const Case cases[] = {
        {0, {0, 0, 25, 25}, 4.0, 0.0, 0, -100, false, false, 1.0},
        {0, {0, 0, 25, 25}, 4.0, 0.0, 0, -100, true, false, 0.1},
        {0, {0, 0, 25, 25}, 4.0, 0.0, 0, -100, false, true, 0.1},
        {0, {0, 0, 25, 25}, 4.0, 0.5, 0, 50, false, false, 0.0},
        {0, {0, 0, 25, 25}, 4.0, 0.5, 0, -20, false, false, 0.7},
        {0, {0, 0, 25, 25}, 4.0, 0.5, 30, 0, false, false, 0.5},    // sideways: no change
        {0, {0, 0, 25, 25}, 4.0, 0.0, 0, -300, false, false, 1.0},  // stops at the end
        {1, {0, 0, 25, 29}, 1.0, 0.0, 25, 0, false, false, 1.0},
        {1, {0, 0, 25, 29}, 1.0, 0.5, -5, 40, false, false, 0.3},
        {5, {0, 0, 25, 29}, 1.0, 0.5, 5, 0, false, false, 0.7},  // any other direction
    };
    for (const Case& c : cases) {
        Knob knob(&unit, c.rect, 0, c.direction, c.gearing);
        knob.value = c.from;
        IPointerKeys keys;
        keys.shift = c.shift;
        keys.ctrl = c.ctrl;
        unit.calls.clear();
        knob.HandleMouseDrag(0, 0, c.dX, c.dY, &keys);
        EXPECT_NEAR(knob.value, c.to, 1e-12) << c.dX << "," << c.dY;
        ASSERT_EQ(unit.calls.size(), 2u);
        EXPECT_EQ(unit.calls[0], "report 0 " + std::to_string(c.to));  // clamped before it goes
    }
}

TEST_F(ControlsTest, KnobsWithoutTravelDoNotTurn)
{
    struct Case {
        int direction;
        IBox rect;
        double gearing;
    };
    const Case cases[] = {
        {0, {0, 10, 25, 10}, 4.0},
        {1, {10, 0, 10, 25}, 1.0},
        {0, {0, 0, 25, 25}, 0.0},
        {0, {0, 0, 25, 25}, std::nan("")},
    };
    for (const Case& c : cases) {
        Knob knob(&unit, c.rect, 0, c.direction, c.gearing);
        knob.value = 0.5;
        knob.HandleMouseDrag(0, 0, 3, -3, &none);
        EXPECT_EQ(knob.value, 0.5) << c.gearing;
    }
    EXPECT_TRUE(unit.calls.empty());
}

TEST_F(ControlsTest, AKnobTurnsThroughTheEditorInOneGesture)
{
    HeadlessGraphics editor(&unit, 100, 100);
    IKnobMultiControl* knob = new IKnobMultiControl(&unit, 10, 10, 0, Strip(25, 3625, 145), 0, 4.0);
    editor.AddControl(knob);
    editor.DispatchMouseDown(20, 20, &none);
    editor.DispatchMouseDrag(20, 10, &none);
    editor.DispatchMouseDrag(20, -90, &none);  // beyond the end
    editor.DispatchMouseUp(20, -90, &none);
    EXPECT_EQ(knob->value, 1.0);
    EXPECT_EQ(unit.calls, (Calls{"begin 0", "report 0 0.100000", "changed 0", "report 0 1.000000",
                                 "changed 0", "end 0"}));
    EXPECT_EQ(unit.ParameterAt(0)->Value(), 1.0);
}

TEST_F(ControlsTest, ReplaceTextMarksOnlyOnAChange)
{
    ITextStyle style;
    style.size = 20;
    ITextControl text(&unit, {1, 2, 3, 4}, &style, nullptr);
    EXPECT_EQ(text.textStyle.size, 20);
    EXPECT_EQ(text.paramIdx, -1);
    EXPECT_STREQ(text.Text(), "");
    text.AcknowledgeRedraw();

    struct Case {
        const char* text;
        bool marks;
    };
    const Case cases[] = {{"", false},       {"440 Hz", true}, {"440 Hz", false},
                          {"440 Hz ", true}, {"", true},       {"", false}};
    for (const Case& c : cases) {
        text.ReplaceText(c.text);
        EXPECT_STREQ(text.Text(), c.text);
        EXPECT_EQ(text.NeedsRedraw(), c.marks) << '"' << c.text << '"';
        text.AcknowledgeRedraw();
    }
    EXPECT_STREQ(ITextControl(&unit, {}, nullptr, "start").Text(), "start");
}

uint64_t DigestOf(PIX_IBitmap* bitmap, const IBox& box)
{
    return raster_test::DigestOfArea(*bitmap, box.left, box.top, box.right, box.bottom);
}

// The analyser's controls, each drawn alone over the backdrop in an editor
// of the analyser's size.
class AnalyserControlsTest : public ::testing::Test {
protected:
    AnalyserControlsTest()
    {
        HeadlessGraphics images(&unit, 1, 1);
        knobStrip = images.LoadImageStrip(103, kKnobFile, 145, false);
        checkBox = images.LoadImageStrip(105, kCheckBoxFile, 2, false);
    }
    // Draws the backdrop and the control (when there is one) in a new editor
    // and digests the pixels of the box.
    uint64_t Draw(IControl* control, const IBox& box)
    {
        HeadlessGraphics editor(&unit, 1044, 347);
        editor.AddImageBackdrop(101, kBackFile);
        editor.CreateSurfaces();
        if (control) editor.AddControl(control);
        const IRegion all(IBox{0, 0, 1044, 347});
        EXPECT_TRUE(editor.RedrawRegion(&all));
        return DigestOf(editor.DrawSurface(), box);
    }

    TestUnit unit{11};
    IImageStrip knobStrip, checkBox;
};

TEST_F(AnalyserControlsTest, TheBackdropIsTheBackgroundPicture)
{
    HeadlessGraphics images(&unit, 1, 1);
    const IImageStrip back = images.LoadImageStrip(101, kBackFile, 1, false);
    ASSERT_NE(back.bitmap, nullptr);
    const IBox all = {0, 0, 1044, 347};
    const uint64_t picture = DigestOf(back.bitmap, all);
    EXPECT_EQ(Draw(nullptr, all), picture);
    EXPECT_EQ(picture, 0xa07d217059f3325bull);
}

TEST_F(AnalyserControlsTest, KnobFramesByValue)
{
    struct Case {
        double value;
        uint64_t digest;
    };
    const Case cases[] = {
        {0.0, 0x8ac428ee92f09ef2ull}, {0.5, 0xaaa138ff27409ca1ull}, {1.0, 0xbc22fc81b2fdf85full}};
    for (const Case& c : cases) {
        IKnobMultiControl* knob = new IKnobMultiControl(&unit, 870, 304, 4, knobStrip, 0, 4.0);
        knob->value = c.value;
        EXPECT_EQ(Draw(knob, knob->rect), c.digest) << c.value;
    }
}

TEST_F(AnalyserControlsTest, CheckBoxFramesByValue)
{
    struct Case {
        bool switchControl;
        double value;
        uint64_t digest;
    };
    const Case cases[] = {{true, 0.0, 0x13f32a467d7cb89dull},
                          {true, 1.0, 0x50e1ec7ab22f6779ull},
                          {false, 1.0, 0x50e1ec7ab22f6779ull}};
    for (const Case& c : cases) {
        IBitmapControl* box = c.switchControl ? new ISwitchControl(&unit, 928, 312, 7, checkBox, 0)
                                              : new IBitmapControl(&unit, 928, 312, 7, checkBox, 0);
        box->value = c.value;
        EXPECT_EQ(Draw(box, box->rect), c.digest) << c.value;
    }
}

TEST_F(AnalyserControlsTest, ReadOutText)
{
    ITextStyle readOut;
    readOut.colour = {255, 128, 128, 128};
    ITextControl* text = new ITextControl(&unit, {350, 271, 470, 285}, &readOut, "x = 1.024 S");
    const IBox around = {330, 265, 490, 295};
    // Under Wine the text goes through the glyph cache of a system font;
    // natively the built-in glyphs are scaled to the size.
#ifdef _WIN32
    EXPECT_EQ(Draw(text, around), 0x6bff8273a805d3caull);
#else
    EXPECT_EQ(Draw(text, around), 0x7b5f7b05ce4cd20bull);
#endif
}

TEST_F(AnalyserControlsTest, AnEmptyReadOutPaintsNothing)
{
    ITextStyle readOut;
    ITextControl* text = new ITextControl(&unit, {350, 271, 470, 285}, &readOut, "");
    HeadlessGraphics editor(&unit, 10, 10);
    EXPECT_TRUE(text->Paint(&editor));  // without even a draw surface
    const IBox all = {0, 0, 1044, 347};
    EXPECT_EQ(Draw(text, all), Draw(nullptr, all));
    EXPECT_EQ(readOut.cachedFont, nullptr);
}

}  // namespace
