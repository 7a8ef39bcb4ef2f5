#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "analyser/about_button.h"
#include "analyser/notched_knob.h"
#include "core/parameter.h"
#include "raster/bitmap.h"
#include "raster/sys_bitmap.h"
#include "support/headless_graphics.h"
#include "support/test_unit.h"

namespace {

constexpr int kWindowType = 3;
// The analyser's knob strip: 145 frames of 25 x 25 pixels.
const IImageStrip kKnobStrip = {nullptr, 25, 3625, 145, false};
const IPointerKeys kNoKeys;

PIX_PackedColor PixelAt(const PIX_IBitmap* bitmap, int x, int y)
{
    const int row = bitmap->IsBottomUp() ? bitmap->PixelHeight() - 1 - y : y;
    return bitmap->PixelData()[int64_t(row) * bitmap->RowStride() + x];
}

// A plug-in whose parameter 3 is "window type" (0 to 4), with an attached
// headless editor of the analyser's size.
class AnalyserControls : public ::testing::Test {
protected:
    AnalyserControls()
    {
        unit.ParameterAt(kWindowType)->SetupInt("window type", 0, 0, 4, "", "");
        unit.AttachEditor(editor);
    }

    template <class Control>
    Control* Add(Control* control)
    {
        editor->AddControl(control);
        return control;
    }
    INotchedKnobControl* AddKnob(IImageStrip strip = kKnobStrip, int direction = 0,
                                 double gearing = 4.0)
    {
        return Add(
            new INotchedKnobControl(&unit, 140, 304, kWindowType, strip, direction, gearing));
    }
    bool Reported(double normalised) const
    {
        const std::string report = "report 3 " + std::to_string(normalised);
        for (const std::string& call : unit.calls)
            if (call == report) return true;
        return false;
    }
    void Redraw()
    {
        IRegion region;
        if (editor->CollectDirtyRegion(&region)) editor->RedrawRegion(&region);
    }

    TestUnit unit{4};
    HeadlessGraphics* editor = new HeadlessGraphics(&unit, 1044, 347);  // the unit's
};

using NotchedKnob = AnalyserControls;

TEST(NotchedKnobNotches, ComeFromTheParameterRangeWithTwoAtLeast)
{
    struct Case {
        const char* name;
        std::function<void(IParameter*)> setup;
        int paramIdx;
        int notches;
    };
    const Case cases[] = {
        {"int 0..4", [](IParameter* p) { p->SetupInt("i", 0, 0, 4, "", ""); }, 0, 5},
        {"enum of 3", [](IParameter* p) { p->SetupEnum("e", 0, 3, "", ""); }, 0, 3},
        {"bool", [](IParameter* p) { p->SetupBool("b", false, "", ""); }, 0, 2},
        {"int of one value", [](IParameter* p) { p->SetupInt("i", 7, 7, 7, "", ""); }, 0, 2},
        {"int of the whole range",
         [](IParameter* p) { p->SetupInt("i", 0, INT_MIN, INT_MAX, "", ""); }, 0, INT_MAX},
        {"double 0..4", [](IParameter* p) { p->SetupDouble("d", 0, 0, 4, 1, "", "", 1); }, 0, 2},
        {"no parameter", [](IParameter*) {}, -1, 2},
        {"index past the list", [](IParameter*) {}, 99, 2},
    };
    for (const Case& c : cases) {
        TestUnit unit(1);
        c.setup(unit.ParameterAt(0));
        INotchedKnobControl knob(&unit, 0, 0, c.paramIdx, kKnobStrip, 0, 4.0);
        EXPECT_EQ(knob.notchCount, c.notches) << c.name;
        EXPECT_NEAR(knob.displayPosition, 0.0, 1e-12) << c.name;
        EXPECT_EQ(knob.notchIndex, 0) << c.name;
    }
    INotchedKnobControl withoutPlug(nullptr, 0, 0, 0, kKnobStrip, 0, 4.0);
    EXPECT_EQ(withoutPlug.notchCount, 2);
}

TEST_F(NotchedKnob, EasesBetweenNotches)
{
    struct Case {
        double value;
        double position;
        int notch;
    };
    // Five notches a quarter apart: the picture lingers near a notch and
    // jumps halfway to the next.
    const Case cases[] = {
        {0.0, 0.0, 0},         {0.6, 2.0625 / 4, 2},   {0.5625, 2.0116 / 4, 2},
        {0.625, 2.375 / 4, 3}, {0.6875, 2.859 / 4, 3}, {1.0, 1.0, 4},
    };
    INotchedKnobControl* knob = AddKnob();
    EXPECT_EQ(knob->rect.left, 140);
    EXPECT_EQ(knob->rect.bottom, 329);
    for (const Case& c : cases) {
        knob->value = c.value;
        knob->UpdateNotch();
        EXPECT_NEAR(knob->displayPosition, c.position, 1e-4) << c.value;
        EXPECT_EQ(knob->notchIndex, c.notch) << c.value;
    }
}

TEST_F(NotchedKnob, ReleaseSnapsToTheNearestNotchAndSendsIt)
{
    struct Case {
        double value;
        int notch;
        double snapped;
        double windowType;
    };
    const Case cases[] = {
        {0.6, 2, 0.5, 2},    {0.99, 4, 1.0, 4}, {0.124, 0, 0.0, 0},
        {0.125, 1, 0.25, 1}, {0.0, 0, 0.0, 0},  {std::nan(""), 0, 0.0, 0},
    };
    INotchedKnobControl* knob = AddKnob();
    for (const Case& c : cases) {
        unit.calls.clear();
        unit.ParameterAt(kWindowType)->Set(3);
        knob->value = c.value;
        knob->HandleMouseUp(150, 310, &kNoKeys);
        EXPECT_EQ(knob->notchIndex, c.notch) << c.value;
        EXPECT_EQ(knob->value, c.snapped) << c.value;
        EXPECT_EQ(knob->displayPosition, c.snapped) << c.value;
        EXPECT_TRUE(Reported(c.snapped)) << c.value;
        EXPECT_EQ(unit.ParameterAt(kWindowType)->Value(), c.windowType) << c.value;
    }
}

TEST_F(NotchedKnob, WheelStepsFromNotchToNotchAndRestsThere)
{
    struct Case {
        double value;
        int steps;
        IPointerKeys keys;
        int notch;
    };
    IPointerKeys shift;
    shift.shift = true;
    const Case cases[] = {
        {0.0, 1, kNoKeys, 1},       {0.0, 3, kNoKeys, 3},   {0.5, -1, kNoKeys, 1},
        {0.5, 1, shift, 3},         {0.3, 1, kNoKeys, 2},   {0.9, 1, kNoKeys, 4},
        {1.0, 1, kNoKeys, 4},       {0.25, -7, kNoKeys, 0}, {0.0, INT_MAX, kNoKeys, 4},
        {1.0, INT_MIN, kNoKeys, 0},
    };
    INotchedKnobControl* knob = AddKnob();
    for (const Case& c : cases) {
        unit.calls.clear();
        knob->value = c.value;
        knob->HandleWheel(150, 310, &c.keys, c.steps);
        const double rest = c.notch / 4.0;
        EXPECT_EQ(knob->notchIndex, c.notch) << c.value << " by " << c.steps;
        EXPECT_EQ(knob->value, rest) << c.value << " by " << c.steps;
        EXPECT_EQ(knob->displayPosition, rest) << c.value << " by " << c.steps;
        EXPECT_TRUE(Reported(rest)) << c.value << " by " << c.steps;
        EXPECT_EQ(unit.ParameterAt(kWindowType)->Value(), c.notch) << c.value << " by " << c.steps;
    }

    unit.calls.clear();
    knob->HandleWheel(150, 310, &kNoKeys, 0);
    EXPECT_TRUE(unit.calls.empty()) << "no step, no turn";

    // The wrapping variant turns round past its first notch.
    knob->clamped = false;
    knob->value = 0.0;
    knob->HandleWheel(150, 310, &kNoKeys, -1);
    EXPECT_EQ(knob->notchIndex, 4);
    EXPECT_DOUBLE_EQ(knob->value, 0.8);
}

TEST_F(NotchedKnob, DragFollowsItsDirectionAndGearing)
{
    struct Case {
        const char* name;
        int direction;
        double gearing;
        double start;
        int dX, dY;
        IPointerKeys keys;
        double value;
    };
    IPointerKeys shift, ctrl;
    shift.shift = ctrl.ctrl = true;
    const Case cases[] = {
        {"100 px up", 0, 4.0, 0.0, 0, -100, kNoKeys, 1.0},
        {"100 px up with shift", 0, 4.0, 0.0, 0, -100, shift, 0.1},
        {"100 px up with ctrl", 0, 4.0, 0.0, 0, -100, ctrl, 0.1},
        {"50 px down", 0, 4.0, 1.0, 0, 50, kNoKeys, 0.5},
        {"sideways drag of a vertical knob", 0, 4.0, 0.5, 40, 0, kNoKeys, 0.5},
        {"50 px right, horizontal", 1, 4.0, 0.0, 50, 0, kNoKeys, 0.5},
        {"gearing 16", 0, 16.0, 0.0, 0, -100, kNoKeys, 0.25},
    };
    for (const Case& c : cases) {
        unit.calls.clear();
        INotchedKnobControl* knob = AddKnob(kKnobStrip, c.direction, c.gearing);
        knob->value = c.start;
        knob->HandleMouseDrag(150, 310, c.dX, c.dY, &c.keys);
        EXPECT_NEAR(knob->value, c.value, 1e-12) << c.name;
        EXPECT_TRUE(Reported(c.value)) << c.name;
    }
}

TEST_F(NotchedKnob, DragPastTheTopEasesFromTheUnclampedValueAndReleasesAtTheLastNotch)
{
    INotchedKnobControl* knob = AddKnob();
    knob->value = 0.9;
    knob->HandleMouseDrag(150, 310, 0, -100, &kNoKeys);
    EXPECT_EQ(knob->value, 1.0);
    EXPECT_TRUE(Reported(1.0));
    EXPECT_GT(knob->displayPosition, 1.5) << "from 1.9, before the clamp";
    EXPECT_EQ(knob->notchIndex, 8);
    knob->HandleMouseUp(150, 310, &kNoKeys);
    EXPECT_EQ(knob->notchIndex, 4);
    EXPECT_EQ(knob->displayPosition, 1.0);
    EXPECT_EQ(unit.ParameterAt(kWindowType)->Value(), 4.0);
}

TEST_F(NotchedKnob, DragOfAKnobWithoutSizeOrGearingChangesNothing)
{
    struct Case {
        const char* name;
        IImageStrip strip;
        int direction;
        double gearing;
    };
    const Case cases[] = {
        {"zero height", {nullptr, 25, 0, 145, false}, 0, 4.0},
        {"zero width", {nullptr, 0, 3625, 145, false}, 1, 4.0},
        {"zero gearing", kKnobStrip, 0, 0.0},
        {"gearing not a number", kKnobStrip, 0, std::nan("")},
        {"gearing too small to divide by", kKnobStrip, 0, 1e-320},
    };
    for (const Case& c : cases) {
        unit.calls.clear();
        INotchedKnobControl* knob = AddKnob(c.strip, c.direction, c.gearing);
        knob->value = 0.25;
        knob->UpdateNotch();
        const double position = knob->displayPosition;
        knob->HandleMouseDrag(150, 310, -30, -30, &kNoKeys);
        EXPECT_EQ(knob->value, 0.25) << c.name;
        EXPECT_EQ(knob->displayPosition, position) << c.name;
        EXPECT_TRUE(unit.calls.empty()) << c.name;
    }
}

TEST_F(NotchedKnob, WrappingVariantTurnsAndWrapsItsPosition)
{
    struct Case {
        double turnRate;
        bool wrapped;
        double value;
        double position;
        int notch;
        bool wrappedAfter;
    };
    // Five notches with turn offset 0.5.
    const Case cases[] = {
        {1.0 / 120, true, 0.5, 2.0 / 5 / 120 + 0.5, 2, false},
        {1.0, false, 0.5, 0.9, 2, false},
        {1.0, true, 1.5, 0.975, 3, true},
        {1.0, true, 1.0, 0.5, 0, true},
    };
    INotchedKnobControl* knob = AddKnob();
    knob->clamped = false;
    knob->turnOffset = 0.5;
    for (const Case& c : cases) {
        knob->turnRate = c.turnRate;
        knob->wrapped = c.wrapped;
        knob->value = c.value;
        knob->UpdateNotch();
        EXPECT_NEAR(knob->displayPosition, c.position, 1e-9) << c.value;
        EXPECT_EQ(knob->notchIndex, c.notch) << c.value;
        EXPECT_EQ(knob->wrapped, c.wrappedAfter) << c.value;
    }
    knob->turnRate = 1.0;
    knob->value = 1.0;
    knob->HandleMouseUp(150, 310, &kNoKeys);
    EXPECT_EQ(knob->notchIndex, 4);
    EXPECT_DOUBLE_EQ(knob->value, 0.8);
    EXPECT_NEAR(knob->displayPosition, 0.3, 1e-12);
}

TEST_F(NotchedKnob, PaintsTheFrameOfItsDisplayPosition)
{
    // A strip of 145 one-pixel frames, frame k coloured k.
    constexpr int kFrames = 145;
    PIX_MemBitmap bitmap(1, kFrames, 4);
    for (int k = 1; k <= kFrames; ++k)
        bitmap.PixelData()[(k - 1) * bitmap.RowStride()] = 0xFF000000u | k;
    INotchedKnobControl* knob = AddKnob({&bitmap, 1, kFrames, kFrames, false});
    struct Case {
        double value;
        PIX_PackedColor frame;
    };
    const Case cases[] = {
        {0.0, 1}, {0.6, 75}, {0.625, 87}, {1.0, 145}, {1.05, 145}, {-0.1, 1},
    };
    for (const Case& c : cases) {
        knob->value = c.value;
        knob->UpdateNotch();
        knob->dirty = true;
        Redraw();
        EXPECT_EQ(PixelAt(editor->DrawSurface(), 140, 304), 0xFF000000u | c.frame) << c.value;
    }
    EXPECT_TRUE(knob->Paint(editor));
}

// The about picture and its button as the analyser lays them out.
class AboutButton : public AnalyserControls {
protected:
    AboutButton()
        : about(editor->LoadImageStrip(199, "resources/img/about_v100.png", 1, false)),
          button(Add(new IAboutButton(&unit, kButtonBox, about, 490, 90)))
    {
    }

    // How many opaque pixels of the about picture the draw surface at
    // (490, 90) does not show.
    int PixelsNotShown() const
    {
        const std::string path = std::string(VELVANE_SOURCE_DIR) + "/resources/img/about_v100.png";
        std::unique_ptr<PIX_IBitmap> png(PIX_DecodePngFile(path.c_str(), nullptr));
        if (!png) return -1;
        int missing = 0;
        for (int y = 0; y < png->PixelHeight(); ++y)
            for (int x = 0; x < png->PixelWidth(); ++x) {
                const PIX_PackedColor want = PixelAt(png.get(), x, y);
                if (want >> 24 != 255) continue;
                const PIX_PackedColor got = PixelAt(editor->DrawSurface(), 490 + x, 90 + y);
                missing += (got & 0xFFFFFF) != (want & 0xFFFFFF);
            }
        return missing;
    }
    void Click(int x, int y)
    {
        editor->DispatchMouseDown(x, y, &kNoKeys);
        editor->DispatchMouseUp(x, y, &kNoKeys);
    }

    static constexpr IBox kButtonBox = {606, 303, 737, 333};
    static constexpr IBox kPictureBox = {490, 90, 804, 260};
    IImageStrip about;
    IAboutButton* button;
};

bool SameBox(const IBox& a, const IBox& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(AboutButton, StartsHiddenOverItsButtonBox)
{
    EXPECT_TRUE(SameBox(button->rect, kButtonBox));
    EXPECT_TRUE(SameBox(button->targetRect, kButtonBox));
    EXPECT_TRUE(SameBox(button->pictureBox, kPictureBox));
    EXPECT_EQ(button->paramIdx, -1);
    EXPECT_EQ(button->blend.kind, 0);
    EXPECT_TRUE(button->doubleClickAsClick);
    EXPECT_EQ(button->clickCount, 0);
}

TEST_F(AboutButton, ClicksShowThePictureAndAClickOnItHidesIt)
{
    struct Step {
        int x, y;
        int count;
        IBox rect;
    };
    const Step steps[] = {
        {620, 310, 1, kPictureBox},  // on the button
        {620, 310, 1, kPictureBox},  // outside the shown picture: not the button's
        {500, 100, 0, kButtonBox},   // on the picture
        {500, 100, 0, kButtonBox},   // where the hidden picture was
        {736, 332, 1, kPictureBox},  // the button's last pixel
        {804, 260, 1, kPictureBox},  // just past the picture
        {803, 259, 0, kButtonBox},   // the picture's last pixel
    };
    for (const Step& s : steps) {
        Click(s.x, s.y);
        EXPECT_EQ(button->clickCount, s.count) << s.x << "," << s.y;
        EXPECT_TRUE(SameBox(button->rect, s.rect)) << s.x << "," << s.y;
        EXPECT_TRUE(SameBox(button->targetRect, s.rect)) << s.x << "," << s.y;
    }
    EXPECT_TRUE(unit.calls.empty()) << "the button sends nothing";
}

TEST_F(AboutButton, ShownPictureIsDrawnAtItsBox)
{
    ASSERT_NE(about.bitmap, nullptr);
    Redraw();
    EXPECT_GT(PixelsNotShown(), 0) << "hidden, nothing is drawn";
    EXPECT_TRUE(button->Paint(editor));
    Click(620, 310);
    Redraw();
    EXPECT_EQ(PixelsNotShown(), 0);
}

TEST_F(AboutButton, DoubleClickIsASecondPressWhereTheButtonLies)
{
    struct Case {
        const char* name;
        int x, y;
        bool delivered;
        int count;
    };
    // After a press on the button the picture is shown; the double click's
    // press reaches the button only where it now lies, on the picture.
    const Case cases[] = {
        {"on the picture", 500, 100, true, 0},
        {"on the button box", 620, 310, false, 1},
    };
    for (const Case& c : cases) {
        button->clickCount = 0;
        button->rect = button->targetRect = kButtonBox;
        Click(620, 310);
        EXPECT_EQ(editor->DispatchDoubleClick(c.x, c.y, &kNoKeys), c.delivered) << c.name;
        editor->DispatchMouseUp(c.x, c.y, &kNoKeys);
        EXPECT_EQ(button->clickCount, c.count) << c.name;
    }
}

TEST_F(AboutButton, IgnoresTheWheel)
{
    button->HandleWheel(620, 310, &kNoKeys, 5);
    EXPECT_EQ(button->value, 0.0);
    EXPECT_EQ(button->clickCount, 0);
}

TEST(AboutButtonStrip, OfNoFramesStillShowsAndHides)
{
    IAboutButton button(nullptr, {606, 303, 737, 333}, {nullptr, 314, 170, 0, false}, 490, 90);
    EXPECT_EQ(button.pictureBox.bottom, 260);
    button.HandleMouseDown(620, 310, &kNoKeys);
    EXPECT_EQ(button.clickCount, 1);
    button.HandleMouseDown(500, 100, &kNoKeys);
    EXPECT_EQ(button.clickCount, 0);
}

}  // namespace
