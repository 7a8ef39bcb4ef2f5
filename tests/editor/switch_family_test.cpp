#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "editor/fader_control.h"
#include "editor/graphics.h"
#include "editor/switch_family_controls.h"
#include "raster/bitmap.h"
#include "raster/golden_image.h"
#include "raster/raster_test_support.h"
#include "raster/sys_bitmap.h"
#include "support/headless_graphics.h"
#include "support/test_unit.h"

#include "control_test_support.h"

namespace {

using Calls = std::vector<std::string>;

std::vector<IBox> BoxesOf(const HeapBuffer& boxes)
{
    const IBox* first = static_cast<const IBox*>(boxes.Data());
    return std::vector<IBox>(first, first + boxes.Size() / sizeof(IBox));
}

std::string Text(const IBox& b)
{
    return "{" + std::to_string(b.left) + "," + std::to_string(b.top) + "," +
           std::to_string(b.right) + "," + std::to_string(b.bottom) + "}";
}

std::vector<std::string> Texts(const std::vector<IBox>& boxes)
{
    std::vector<std::string> texts;
    for (const IBox& b : boxes) texts.push_back(Text(b));
    return texts;
}

class SwitchFamilyTest : public OneParameterTest {};

TEST_F(SwitchFamilyTest, FramesAreHitAreas)
{
    struct Case {
        IImageStrip image;
        bool sideBySide;
        int x, y;      // from the control's corner
        double value;  // after the press, from 0.7
    };
    const Case cases[] = {
        {Strip(90, 60, 3), true, 0, 0, 0.0},
        {Strip(90, 60, 3), true, 29, 19, 0.0},
        {Strip(90, 60, 3), true, 30, 0, 0.5},
        {Strip(90, 60, 3), true, 45, 10, 0.5},  // real-valued: 1 / 2
        {Strip(90, 60, 3), true, 60, 0, 1.0},
        {Strip(90, 60, 3), true, 89, 19, 1.0},
        {Strip(90, 60, 3), true, 90, 0, 0.7},   // outside: unchanged, still sent
        {Strip(90, 60, 3), true, 45, 20, 0.7},  // below the one-frame rectangle
        {Strip(30, 270, 3), false, 5, 29, 0.0},
        {Strip(30, 270, 3), false, 5, 30, 0.5},
        {Strip(30, 270, 3), false, 5, 89, 1.0},
        {Strip(90, 60, 4), true, 87, 0, 1.0},   // cells of 22 pixels
        {Strip(90, 60, 4), true, 88, 0, 0.7},   // beyond the last cell
        {Strip(90, 60, 5), true, 20, 0, 0.25},  // cells of 18 pixels
        {Strip(90, 60, 1), true, 45, 30, 0.0},  // a single frame sends 0
        {Strip(90, 60, 0), true, 45, 30, 0.7},  // no frames, no hit areas
    };
    for (const Case& c : cases) {
        ISwitchFramesControl control(&unit, 100, 200, 0, c.image, c.sideBySide, 0);
        control.value = 0.7;
        unit.calls.clear();
        control.HandleMouseDown(100 + c.x, 200 + c.y, &none);
        EXPECT_EQ(control.value, c.value) << c.image.frames << " frames at " << c.x << "," << c.y;
        EXPECT_EQ(unit.calls, Pushed(c.value));
    }
}

TEST_F(SwitchFamilyTest, FrameCellsSplitTheRectangle)
{
    ISwitchFramesControl across(&unit, 10, 20, 0, Strip(90, 60, 3), true, 2);
    EXPECT_EQ(Text(across.rect), "{10,20,100,40}");
    EXPECT_EQ(Texts(BoxesOf(across.frameRects)),
              (std::vector<std::string>{"{10,20,40,40}", "{40,20,70,40}", "{70,20,100,40}"}));
    ISwitchFramesControl down(&unit, 10, 20, 0, Strip(30, 270, 3), false, 2);
    EXPECT_EQ(Texts(BoxesOf(down.frameRects)),
              (std::vector<std::string>{"{10,20,40,50}", "{10,50,40,80}", "{10,80,40,110}"}));
    EXPECT_EQ(across.blend.kind, 2);
    EXPECT_FALSE(across.promptDisabled);
}

TEST_F(SwitchFamilyTest, FramesTakeEveryButtonAndDoubleClicksAlike)
{
    ISwitchFramesControl control(&unit, 0, 0, 0, Strip(90, 60, 3), true, 0);
    control.HandleMouseDown(70, 5, &rightButton);  // a hit, not a prompt
    EXPECT_EQ(control.value, 1.0);
    EXPECT_FALSE(control.redrawAgain);
    control.HandleDoubleClick(35, 5, &none);
    EXPECT_EQ(control.value, 0.5);
    EXPECT_EQ(unit.calls.size(), 4u);
}

TEST_F(SwitchFamilyTest, InvisibleSwitchToggles)
{
    struct Case {
        double from, to;
    };
    const Case cases[] = {{0.5, 0.0}, {0.49, 1.0}, {0.0, 1.0}, {1.0, 0.0}};
    HeadlessGraphics editor(&unit, 10, 10);
    for (const Case& c : cases) {
        IInvisibleSwitchControl control(&unit, {0, 0, 10, 10}, 0);
        EXPECT_EQ(control.blend.kind, 1);
        control.value = c.from;
        unit.calls.clear();
        control.HandleMouseDown(0, 0, &rightButton);
        EXPECT_EQ(control.value, c.to) << c.from;
        EXPECT_EQ(unit.calls, Pushed(c.to));
        EXPECT_TRUE(control.Paint(&editor));  // without even a draw surface
    }
}

TEST_F(SwitchFamilyTest, RadioButtonsLayOutEvenly)
{
    struct Case {
        IBox rect;
        int count;
        IImageStrip image;
        int direction;
        bool reverse;
        std::vector<std::string> buttons;
    };
    const IImageStrip button = Strip(10, 26, 2);  // 10 by 13
    const Case cases[] = {
        {{0, 0, 50, 13}, 3, button, 1, false, {"{0,0,10,13}", "{20,0,30,13}", "{40,0,50,13}"}},
        {{0, 0, 50, 13}, 3, button, 1, true, {"{40,0,50,13}", "{20,0,30,13}", "{0,0,10,13}"}},
        {{0, 0, 51, 13}, 3, button, 1, false, {"{0,0,10,13}", "{20,0,30,13}", "{40,0,50,13}"}},
        // overlapping: the gap -5.5 truncates toward zero
        {{0, 0, 19, 13}, 3, button, 1, false, {"{0,0,10,13}", "{5,0,15,13}", "{10,0,20,13}"}},
        {{5, 7, 15, 66}, 3, button, 0, false, {"{5,7,15,20}", "{5,30,15,43}", "{5,53,15,66}"}},
        {{5, 7, 15, 66}, 3, button, 2, true, {"{5,53,15,66}", "{5,30,15,43}", "{5,7,15,20}"}},
        {{0, 0, 50, 13}, 1, button, 1, false, {"{0,0,10,13}"}},  // no gap to divide
        {{0, 0, 50, 13}, 1, button, 1, true, {"{40,0,50,13}"}},
        {{0, 0, 50, 40}, 2, Strip(10, 40, 0), 0, false, {"{0,0,10,40}", "{0,0,10,40}"}},
        {{0, 0, 50, 13}, 0, button, 1, false, {}},
        {{0, 0, 50, 13}, -2, button, 1, false, {}},
    };
    for (const Case& c : cases) {
        IRadioButtonsControl radio(&unit, c.rect, 0, c.count, c.image, c.direction, c.reverse);
        EXPECT_EQ(Texts(BoxesOf(radio.buttonRects)), c.buttons)
            << c.count << " in " << Text(c.rect) << (c.reverse ? " reversed" : "");
    }
}

TEST_F(SwitchFamilyTest, RadioButtonPressesChooseTheirIndex)
{
    struct Case {
        int count;
        int x;
        double value;  // from 0.7
    };
    const Case cases[] = {
        {3, 0, 0.0},  {3, 25, 0.5},  {3, 49, 1.0}, {3, 15, 0.7},  // the gap: unchanged, still sent
        {5, 49, 1.0}, {5, 12, 0.25}, {1, 5, 0.0},                 // a single button sends 0
        {0, 5, 0.7},
    };
    for (const Case& c : cases) {
        // Buttons 10 wide, spread over 50 pixels (five of them touch).
        IRadioButtonsControl radio(&unit, {0, 0, 50, 13}, 0, c.count, Strip(10, 26, 2), 1, false);
        radio.value = 0.7;
        unit.calls.clear();
        radio.HandleMouseDown(c.x, 5, &none);
        EXPECT_EQ(radio.value, c.value) << c.count << " buttons at " << c.x;
        EXPECT_EQ(unit.calls, Pushed(c.value));
    }
}

TEST_F(SwitchFamilyTest, RightButtonPromptsInsteadOfChoosing)
{
    for (bool promptDisabled : {true, false}) {
        IRadioButtonsControl radio(&unit, {0, 0, 50, 13}, 0, 3, Strip(10, 26, 2), 1, false);
        IFaderControl fader(&unit, 0, 0, 100, 0, Strip(20, 10, 1), 1, false);
        for (IControl* control : {static_cast<IControl*>(&radio), static_cast<IControl*>(&fader)}) {
            control->promptDisabled = promptDisabled;
            control->value = 0.7;
            control->HandleMouseDown(45, 5, &rightButton);
            EXPECT_EQ(control->value, 0.7);
            // The prompt itself belongs to the editor; asking leaves one more frame.
            EXPECT_EQ(control->redrawAgain, !promptDisabled);
        }
    }
    EXPECT_TRUE(unit.calls.empty());
}

// A two-frame strip: frame 1 red, frame 2 green.
class TwoColourStrip {
public:
    TwoColourStrip(int width, int frameHeight) : bitmap(width, 2 * frameHeight, 4)
    {
        for (int y = 0; y < 2 * frameHeight; ++y)
            for (int x = 0; x < width; ++x)
                bitmap.PixelData()[y * bitmap.RowStride() + x] =
                    y < frameHeight ? 0xFFFF0000u : 0xFF00FF00u;
        strip = {&bitmap, width, 2 * frameHeight, 2, false};
    }
    PIX_MemBitmap bitmap;
    IImageStrip strip;
};

TEST_F(SwitchFamilyTest, TheChosenRadioButtonShowsFrameTwo)
{
    struct Case {
        double value;
        int chosen;
    };
    const Case cases[] = {{0.5, 1},  {0.0, 0},   {1.0, 2},    {0.24, 0},
                          {0.25, 1}, {0.74, 1},  {0.75, 2},   {1.5, 2},
                          {-1.0, 0}, {1e300, 2}, {-1e300, 0}, {std::nan(""), 0}};
    const TwoColourStrip button(10, 13);
    for (const Case& c : cases) {
        HeadlessGraphics editor(&unit, 50, 13);
        editor.CreateSurfaces();
        IRadioButtonsControl* radio =
            new IRadioButtonsControl(&unit, {0, 0, 50, 13}, 0, 3, button.strip, 1, false);
        radio->value = c.value;
        editor.AddControl(radio);
        const IRegion all(IBox{0, 0, 50, 13});
        ASSERT_TRUE(editor.RedrawRegion(&all));
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(editor.ReadPixelAt(5 + 20 * i, 6).green, i == c.chosen ? 255 : 0)
                << "button " << i << " at " << c.value;
    }
}

TEST_F(SwitchFamilyTest, PopUpSwitchAsksThenSendsItsValue)
{
    for (bool promptDisabled : {true, false}) {
        ISwitchPopUpControl control(&unit, 0, 0, 0, Strip(21, 26, 2), 0);
        control.promptDisabled = promptDisabled;
        control.value = 0.25;
        for (bool doubleClick : {false, true}) {
            control.redrawAgain = false;
            unit.calls.clear();
            if (doubleClick)
                control.HandleDoubleClick(3, 3, &none);
            else
                control.HandleMouseDown(3, 3, &none);
            EXPECT_EQ(control.value, 0.25);  // no step
            EXPECT_EQ(control.redrawAgain, !promptDisabled);
            EXPECT_EQ(unit.calls, Pushed(0.25));
        }
    }
}

TEST_F(SwitchFamilyTest, OverlayTakesPressesWhereItWasLastPainted)
{
    struct Case {
        double value;
        int x, y;
        bool hit;
    };
    const Case cases[] = {
        {0.0, 15, 15, true},  {0.0, 19, 19, true},   {0.0, 20, 15, false},
        {0.0, 30, 30, false}, {0.49, 30, 30, false}, {0.5, 30, 30, true},
        {1.0, 10, 10, true},  {1.0, 34, 38, true},   {1.0, 35, 15, false},
    };
    HeadlessGraphics editor(&unit, 10, 10);
    for (const Case& c : cases) {
        // The rectangle {10, 10, 35, 39}; the target area its corner.
        IBitmapOverlayControl overlay(&unit, 10, 10, 0, Strip(25, 58, 2), {10, 10, 20, 20}, 0);
        EXPECT_TRUE(overlay.HitTest(30, 30));  // before the first paint
        overlay.value = c.value;
        EXPECT_TRUE(overlay.Paint(&editor));
        EXPECT_EQ(overlay.HitTest(c.x, c.y), c.hit) << c.value << " at " << c.x << "," << c.y;
    }
}

TEST_F(SwitchFamilyTest, OverlayAndContactStepLikeSwitches)
{
    IBitmapOverlayControl overlay(&unit, 0, 0, 0, Strip(25, 58, 2), {}, 0);
    overlay.HandleMouseDown(0, 0, &none);
    EXPECT_EQ(overlay.value, 1.0);
    overlay.HandleMouseDown(0, 0, &none);
    EXPECT_EQ(overlay.value, 0.0);

    IContactControl contact(&unit, 0, 0, 0, Strip(25, 87, 3), 0);
    unit.calls.clear();
    contact.HandleMouseDown(0, 0, &none);
    EXPECT_EQ(contact.value, 0.5);
    contact.HandleMouseUp(0, 0, &none);
    EXPECT_EQ(contact.value, 0.0);
    EXPECT_EQ(unit.calls,
              (Calls{"report 0 0.500000", "changed 0", "report 0 0.000000", "changed 0"}));
}

TEST_F(SwitchFamilyTest, AContactReturnsToZeroWhenReleased)
{
    HeadlessGraphics editor(&unit, 100, 100);
    IContactControl* contact = new IContactControl(&unit, 10, 10, 0, Strip(25, 58, 2), 0);
    editor.AddControl(contact);
    editor.DispatchMouseDown(12, 12, &none);
    EXPECT_EQ(contact->value, 1.0);
    editor.DispatchMouseUp(12, 12, &none);
    EXPECT_EQ(contact->value, 0.0);
    EXPECT_EQ(unit.calls, (Calls{"begin 0", "report 0 1.000000", "changed 0", "report 0 0.000000",
                                 "changed 0", "end 0"}));
    EXPECT_EQ(unit.ParameterAt(0)->Value(), 0.0);
}

class FaderTest : public SwitchFamilyTest {};

TEST_F(FaderTest, SizesFollowTheDirection)
{
    IFaderControl across(&unit, 10, 20, 100, 0, Strip(20, 12, 1), 1, false);
    EXPECT_EQ(Text(across.rect), "{10,20,110,32}");
    EXPECT_EQ(across.handleSize, 20);
    IFaderControl down(&unit, 10, 20, 100, 0, Strip(20, 12, 1), 0, false);
    EXPECT_EQ(Text(down.rect), "{10,20,30,120}");
    EXPECT_EQ(down.handleSize, 12);
    EXPECT_EQ(down.blend.kind, 0);
    EXPECT_TRUE(down.promptDisabled);
}

TEST_F(FaderTest, HandleRectFollowsTheValue)
{
    struct Case {
        int direction;
        int length;
        double current, v;
        std::string handle;
    };
    // At (10, 20), a 20 by 12 handle: horizontal travel 80, vertical 88.
    const Case cases[] = {
        {1, 100, 0.0, 0.5, "{50,20,70,32}"},
        {1, 100, 0.0, 0.0, "{10,20,30,32}"},
        {1, 100, 0.0, 1.0, "{90,20,110,32}"},
        {1, 100, 0.25, -1.0, "{30,20,50,32}"},
        {1, 100, 0.0, 0.999, "{89,20,109,32}"},  // truncated
        {0, 100, 0.0, 1.0, "{10,20,30,32}"},     // value 1 at the top
        {0, 100, 0.0, 0.0, "{10,108,30,120}"},
        {0, 100, 0.0, 0.5, "{10,64,30,76}"},
        {0, 100, 1.0, -0.5, "{10,20,30,32}"},
        {1, 20, 0.0, 0.7, "{10,20,30,32}"},             // no travel
        {1, 100, std::nan(""), -1.0, "{10,20,30,32}"},  // a value that is no number: at the start
        {1, 100, 0.0, 1e300, "{10,20,30,32}"},
    };
    for (const Case& c : cases) {
        IFaderControl fader(&unit, 10, 20, c.length, 0, Strip(20, 12, 1), c.direction, false);
        fader.value = c.current;
        EXPECT_EQ(Text(fader.HandleRect(c.v)), c.handle)
            << c.direction << ", " << c.current << ", " << c.v;
    }
}

TEST_F(FaderTest, PressesAndDragsSnapTheHandleToThePointer)
{
    struct Case {
        int direction;
        int length;
        IImageStrip handle;
        int x, y;      // from the control's corner
        double value;  // from 0.7
    };
    const Case cases[] = {
        {1, 100, Strip(20, 12, 1), 5, 0, 0.0},  // clamped
        {1, 100, Strip(20, 12, 1), 90, 0, 1.0},
        {1, 100, Strip(20, 12, 1), 50, 0, 0.5},
        {1, 100, Strip(20, 12, 1), 30, 0, 0.25},
        {1, 100, Strip(20, 12, 1), 200, 0, 1.0},
        {1, 101, Strip(21, 12, 1), 50, 0, 0.5},  // centre 21 / 2 = 10, travel 80
        {0, 100, Strip(12, 20, 1), 0, 10, 1.0},  // the top is 1
        {0, 100, Strip(12, 20, 1), 0, 90, 0.0},
        {0, 100, Strip(12, 20, 1), 0, 30, 0.75},
        {1, 20, Strip(20, 12, 1), 10, 0, 0.7},  // no travel: unchanged, still sent
        {1, 20, Strip(20, 12, 1), 15, 0, 0.7},
        {0, 10, Strip(12, 20, 1), 0, 3, 0.7},  // shorter than its handle
    };
    for (const Case& c : cases) {
        for (bool drag : {false, true}) {
            IFaderControl fader(&unit, 10, 20, c.length, 0, c.handle, c.direction, false);
            fader.value = 0.7;
            unit.calls.clear();
            if (drag)
                fader.HandleMouseDrag(10 + c.x, 20 + c.y, 3, 3, &none);
            else
                fader.HandleMouseDown(10 + c.x, 20 + c.y, &none);
            EXPECT_EQ(fader.value, c.value) << c.length << " at " << c.x << "," << c.y;
            EXPECT_EQ(unit.calls, Pushed(c.value));
        }
    }
}

TEST_F(FaderTest, OnlyTheHandleTakesPressesWhenAsked)
{
    struct Case {
        bool onlyHandle;
        int x;
        bool hit;
    };
    // At 0.5 the handle spans 50 to 69 of 10 to 109.
    const Case cases[] = {{true, 50, true},   {true, 69, true},  {true, 70, false},
                          {true, 49, false},  {false, 10, true}, {false, 109, true},
                          {false, 110, false}};
    for (const Case& c : cases) {
        IFaderControl fader(&unit, 10, 20, 100, 0, Strip(20, 12, 1), 1, c.onlyHandle);
        fader.value = 0.5;
        EXPECT_EQ(fader.HitTest(c.x, 25), c.hit) << c.onlyHandle << " at " << c.x;
    }
}

// ---- The drawn controls ----

// A fader handle: a light cap with a dark rim and a groove across.
class Handle {
public:
    Handle(int width, int height) : bitmap(width, height, 4)
    {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const bool rim = x == 0 || y == 0 || x == width - 1 || y == height - 1;
                const bool groove = height > width ? x == width / 2 : y == height / 2;
                const uint32_t shade = uint32_t(150 + 80 * (x + y) / (width + height));
                bitmap.PixelData()[y * bitmap.RowStride() + x] =
                    rim      ? 0xFF101418u
                    : groove ? 0xFFE04020u
                             : 0xFF000000u | shade << 16 | shade << 8 | shade;
            }
        strip = {&bitmap, width, height, 1, false};
    }
    PIX_MemBitmap bitmap;
    IImageStrip strip;
};

TEST_F(SwitchFamilyTest, PanelOfDrawnControlsKeepsItsDigest)
{
    const Handle across(12, 20), down(20, 12);
    HeadlessGraphics editor(&unit, 240, 110);
    const IImageStrip check = editor.LoadImageStrip(105, "resources/img/ckb.png", 2, false);
    const IImageStrip channels = editor.LoadImageStrip(120, "resources/img/qv_sw_LR.png", 3, false);
    const IImageStrip phase = editor.LoadImageStrip(121, "resources/img/qv_sw_PH.png", 2, false);
    ASSERT_NE(check.bitmap, nullptr);
    ASSERT_NE(channels.bitmap, nullptr);
    ASSERT_NE(phase.bitmap, nullptr);
    editor.CreateSurfaces();
    const IArgb backdrop = {255, 44, 52, 64};
    editor.AddColourBackdrop(&backdrop);

    auto add = [&](IControl* control, double value) {
        control->value = value;
        editor.AddControl(control);
    };
    add(new ISwitchFramesControl(&unit, 8, 8, 0, channels, false, 0), 0.5);
    add(new IRadioButtonsControl(&unit, {40, 8, 135, 21}, 0, 3, check, 1, false), 0.5);
    add(new IRadioButtonsControl(&unit, {144, 8, 165, 60}, 0, 3, check, 0, true), 1.0);
    add(new IBitmapOverlayControl(&unit, 176, 8, 0, phase, {176, 8, 200, 20}, 0), 1.0);
    add(new IBitmapOverlayControl(&unit, 206, 8, 0, phase, {206, 8, 230, 20}, 0), 0.0);
    add(new IContactControl(&unit, 176, 50, 0, phase, 0), 1.0);
    add(new ISwitchPopUpControl(&unit, 40, 30, 0, check, 0), 1.0);
    add(new IInvisibleSwitchControl(&unit, {70, 30, 130, 60}, 0), 1.0);
    add(new IFaderControl(&unit, 8, 70, 120, 0, across.strip, 1, false), 0.25);
    add(new IFaderControl(&unit, 8, 90, 120, 0, across.strip, 1, true), 1.0);
    add(new IFaderControl(&unit, 206, 40, 66, 0, down.strip, 0, false), 0.75);
    const IRegion all(IBox{0, 0, 240, 110});
    ASSERT_TRUE(editor.RedrawRegion(&all));

    raster_test::WriteGoldenIfRequested(*editor.DrawSurface(), "switch_family");
    const uint64_t digest = raster_test::DigestOfArea(*editor.DrawSurface(), 0, 0, 240, 110);
    EXPECT_EQ(digest, 0x1c6f12335e56f318ull) << std::hex << digest;
}

}  // namespace
