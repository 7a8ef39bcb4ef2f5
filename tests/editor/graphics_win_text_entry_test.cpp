#include "editor_window_scene.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "core/parameter.h"
#include "support/host_window_win.h"

namespace {

// The box the knob's prompt opens over: 30 by 16 about its centre.
constexpr POINT kInFieldAndKnob = {kKnobCentre.x - 8, kKnobCentre.y - 6};

std::string TextOf(HWND window)
{
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

void Type(HWND field, const char* keys)
{
    for (const char* c = keys; *c; ++c) SendMessageA(field, WM_CHAR, WPARAM(*c), 0);
}

// Puts text on the clipboard, as a copy in another program would.
bool CopyToClipboard(HWND owner, const char* text)
{
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    const size_t size = std::strlen(text) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block) {
        std::memcpy(GlobalLock(block), text, size);
        GlobalUnlock(block);
    }
    const bool set = block && SetClipboardData(CF_TEXT, block);
    if (block && !set) GlobalFree(block);
    CloseClipboard();
    return set;
}

// A control that keeps the free text entered into it and may run something
// meanwhile, as a dialog's loop would.
class TextTaker : public IControl {
public:
    TextTaker(IUnitBase* plug) : IControl(plug, IBox{40, 40, 100, 60}, -1, 0) {}
    bool Paint(IGraphics*) override { return true; }
    void AcceptEnteredText(const char* text) override
    {
        entered = text;
        ++entries;
        if (meanwhile) meanwhile();
    }

    std::string entered = "(none)";
    int entries = 0;
    std::function<void()> meanwhile;
};

// The knob of parameter 0 (a gain from 0 to 1 at 0.5) prompts for its value
// with a right click.
class TextEntryField : public ::testing::Test {
protected:
    void SetUp() override
    {
        scene.knob->promptDisabled = false;
        scene.knob->textStyle.entryBackground = IArgb{255, 0, 96, 160};
        taker = new TextTaker(scene.unit.get());
        scene.editor->AddControl(taker);
        ASSERT_NE(scene.Open(), nullptr);
        scene.Tick();
    }

    HWND Prompt()
    {
        scene.SendAt(WM_RBUTTONDOWN, MK_RBUTTON, kKnobCentre);
        scene.SendAt(WM_RBUTTONUP, 0, kKnobCentre);
        return Field();
    }
    // The field has the focus from its start, which leaves the state idle;
    // focus that comes back to it makes the state focused.
    void FocusAgain(HWND field)
    {
        SetFocus(scene.Window());
        SetFocus(field);
        ASSERT_EQ(State(), TextEntryFocused);
    }
    HWND Field() { return scene.editor->TextEntryWindow(); }
    int State() { return scene.editor->TextEntryStateNow(); }
    double Gain() { return scene.unit->ParameterAt(0)->Value(); }

    EditorScene scene;
    TextTaker* taker = nullptr;
};

TEST_F(TextEntryField, ARightClickOpensASubclassedEditHoldingTheValue)
{
    HWND field = Prompt();
    ASSERT_NE(field, nullptr);
    char className[16] = {};
    GetClassNameA(field, className, sizeof className);
    EXPECT_STREQ(className, "Edit");
    EXPECT_EQ(GetDlgCtrlID(field), kTextEntryFieldId);
    EXPECT_EQ(GetParent(field), scene.Window());
    EXPECT_EQ(TextOf(field), "0.500");
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(field, GWLP_WNDPROC)),
              TextEntryWindowProc);
    EXPECT_EQ(SendMessageA(field, EM_GETLIMITTEXT, 0, 0), scene.knob->textEntryMaxChars);
    EXPECT_EQ(State(), TextEntryIdle);
    RECT place;
    GetWindowRect(field, &place);
    MapWindowPoints(HWND_DESKTOP, scene.Window(), reinterpret_cast<POINT*>(&place), 2);
    EXPECT_EQ(place.left, kKnobCentre.x - 15);
    EXPECT_EQ(place.top, kKnobCentre.y - 8);
    EXPECT_EQ(place.right - place.left, 31);
    EXPECT_EQ(place.bottom - place.top, 17);

    // Its colours are the control's, also while it has the focus; ticks do
    // not paint the knob over it.
    UpdateWindow(field);
    EXPECT_EQ(WindowPixel(field, {1, 1}), scene.knob->textStyle.entryBackground.Packed());
    FocusAgain(field);
    InvalidateRect(field, nullptr, TRUE);
    UpdateWindow(field);
    EXPECT_EQ(WindowPixel(field, {1, 1}), scene.knob->textStyle.entryBackground.Packed());
}

TEST_F(TextEntryField, CharactersAreFilteredByTheParametersKind)
{
    IParameter steps;
    steps.SetupInt("steps", 3, 0, 10, "", "");
    const struct {
        IParameter* parameter;
        const char* typed;
        const char* kept;
    } cases[] = {
        {scene.unit->ParameterAt(0), "a,-1.5\r\n", "-1.5"},
        {&steps, "+1.5x\b", "+1"},
        {nullptr, "a,\r\n.", "a,."},
    };
    IBox box{40, 40, 100, 60};
    for (const auto& c : cases) {
        scene.editor->StartTextEntry(taker, &taker->textStyle, &box, "", c.parameter);
        ASSERT_NE(Field(), nullptr);
        Type(Field(), c.typed);
        EXPECT_EQ(TextOf(Field()), c.kept) << c.typed;
        scene.editor->CancelTextEntry();
        scene.Tick();
        EXPECT_EQ(Field(), nullptr);
    }
}

TEST_F(TextEntryField, EnterOrANotificationAppliesTheTextOnTheNextTickAndClosesTheField)
{
    const struct {
        UINT message;
        WPARAM wParam;
        double typed;
    } cases[] = {{WM_KEYDOWN, VK_RETURN, 0.25}, {WM_COMMAND, MAKEWPARAM(0, 1), 0.75}};
    for (const auto& c : cases) {
        HWND field = Prompt();
        ASSERT_NE(field, nullptr);
        SetWindowTextA(field, std::to_string(c.typed).c_str());
        EXPECT_EQ(SendMessageA(field, c.message, c.wParam, 0), 0);
        EXPECT_EQ(State(), TextEntryCommit);
        const double before = Gain();
        scene.unit->calls.clear();
        scene.Tick();
        EXPECT_NE(before, c.typed);
        EXPECT_DOUBLE_EQ(Gain(), c.typed);
        EXPECT_TRUE(scene.Logged("changed 0"));
        EXPECT_FALSE(IsWindow(field));
        EXPECT_EQ(Field(), nullptr);
        EXPECT_EQ(State(), TextEntryIdle);
    }
    // The knob shows its new value where the field was.
    scene.Tick();
    EXPECT_EQ(WindowPixel(scene.Window(), kKnobCentre), kKnobFrames[3]);
}

TEST_F(TextEntryField, PastedTextThatIsNoFiniteNumberIsRefusedOnCommit)
{
    const struct {
        const char* pasted;
        double gain;
    } cases[] = {{"nan", 0.5}, {"abc", 0.5}, {"1e999", 0.5}, {"0.25", 0.25}};
    for (const auto& c : cases) {
        HWND field = Prompt();
        ASSERT_NE(field, nullptr);
        ASSERT_TRUE(CopyToClipboard(scene.Window(), c.pasted));
        SendMessageA(field, WM_PASTE, 0, 0);  // over the selected value
        EXPECT_EQ(TextOf(field), c.pasted);
        SendMessageA(field, WM_KEYDOWN, VK_RETURN, 0);
        scene.Tick();
        EXPECT_FALSE(IsWindow(field)) << c.pasted;
        EXPECT_EQ(Gain(), c.gain) << c.pasted;
        EXPECT_EQ(scene.knob->value, c.gain) << c.pasted;
        scene.unit->ParameterAt(0)->Set(0.5);
        scene.knob->value = 0.5;
    }
}

TEST_F(TextEntryField, WithTheFieldOpenTheEditorDrawsEveryOtherTickAndNotWhileItIsFocused)
{
    FrameCounter* counter = new FrameCounter(scene.unit.get(), IBox{90, 40, 110, 60});
    scene.editor->AddControl(counter);
    scene.Tick();
    HWND field = Prompt();
    // A prompt's input that comes a period after the last tick ticks first
    // (on a busy machine it does), so the count starts where it left off.
    const int start = counter->frames;
    const bool paintedBefore = State() == TextEntryPainted;
    for (int tick = 1; tick <= 4; ++tick) {
        scene.Tick();
        EXPECT_EQ(State(), (tick % 2 == 1) != paintedBefore ? TextEntryPainted : TextEntryIdle)
            << tick;
    }
    EXPECT_EQ(counter->frames - start, 2);
    FocusAgain(field);
    scene.Tick();
    scene.Tick();
    EXPECT_EQ(counter->frames - start, 2);
    EXPECT_EQ(State(), TextEntryFocused);
}

TEST_F(TextEntryField, FreeTextGoesToTheControlWithoutLineBreaks)
{
    IBox box{40, 40, 100, 60};
    scene.editor->StartTextEntry(taker, &taker->textStyle, &box, "", nullptr);
    HWND field = Field();
    ASSERT_NE(field, nullptr);
    // Without a parameter the field asks for every key Enter brings.
    MSG enter = {};
    enter.hwnd = field;
    enter.message = WM_KEYDOWN;
    enter.wParam = VK_RETURN;
    EXPECT_TRUE(SendMessageA(field, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) &
                DLGC_WANTALLKEYS);
    SendMessageA(field, WM_GETDLGCODE, VK_RETURN, 0);  // no message to read
    Type(field, "take");
    SendMessageA(field, WM_KEYDOWN, VK_RETURN, 0);
    Type(field, "\r");
    scene.Tick();
    EXPECT_EQ(taker->entered, "take");
}

TEST_F(TextEntryField, TheCommitTakesTheWholeFirstLineOfTheField)
{
    IBox box{40, 40, 100, 60};
    const std::string longer(40, 'y');
    scene.editor->StartTextEntry(taker, &taker->textStyle, &box, longer.c_str(), nullptr);
    ASSERT_NE(Field(), nullptr);
    SendMessageA(Field(), WM_KEYDOWN, VK_RETURN, 0);
    scene.Tick();
    EXPECT_EQ(taker->entered, longer);

    // Pasted line breaks end the text.
    scene.editor->StartTextEntry(taker, &taker->textStyle, &box, "", nullptr);
    SetWindowTextA(Field(), "first\r\nsecond");
    SendMessageA(Field(), WM_KEYDOWN, VK_RETURN, 0);
    scene.Tick();
    EXPECT_EQ(taker->entered, "first");
}

TEST_F(TextEntryField, ATickDuringTheCommitFindsTheFieldClosed)
{
    IBox box{40, 40, 100, 60};
    taker->meanwhile = [&] { scene.Tick(); };
    scene.editor->StartTextEntry(taker, &taker->textStyle, &box, "once", nullptr);
    SendMessageA(Field(), WM_KEYDOWN, VK_RETURN, 0);
    scene.Tick();
    EXPECT_EQ(taker->entries, 1);
    EXPECT_EQ(Field(), nullptr);
}

TEST_F(TextEntryField, EscapeCancelsAndLeavesTheEditorWindowOpen)
{
    HWND field = Prompt();
    // The dialog code of a dialog's message loop makes the field a dialog's.
    MSG escape = {};
    escape.hwnd = field;
    escape.message = WM_KEYDOWN;
    escape.wParam = VK_ESCAPE;
    SendMessageA(field, WM_GETDLGCODE, VK_ESCAPE, reinterpret_cast<LPARAM>(&escape));
    SendMessageA(field, WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageA(field, WM_CHAR, 27, 0);
    EXPECT_EQ(State(), TextEntryCancel);
    PumpMessages(100);  // the editor's own ticks serve the cancel
    EXPECT_FALSE(IsWindow(field));
    EXPECT_NE(scene.Window(), nullptr);
    EXPECT_TRUE(IsWindow(scene.Window()));
    EXPECT_EQ(Gain(), 0.5);
}

TEST_F(TextEntryField, AResizeClosesTheFieldWithTheControls)
{
    HWND field = Prompt();
    scene.editor->ResizeEditor(kEditorWidth + 10, kEditorHeight + 10);
    EXPECT_FALSE(IsWindow(field));
    EXPECT_EQ(Field(), nullptr);
    scene.Tick();
}

TEST_F(TextEntryField, LongerLimitsAreHeldToWhatTheCommitReads)
{
    taker->textEntryMaxChars = 100;
    IBox box{40, 40, 100, 60};
    scene.editor->StartTextEntry(taker, &taker->textStyle, &box, "", nullptr);
    ASSERT_NE(Field(), nullptr);
    EXPECT_EQ(SendMessageA(Field(), EM_GETLIMITTEXT, 0, 0), 31);
    Type(Field(), std::string(40, 'x').c_str());
    SendMessageA(Field(), WM_KEYDOWN, VK_RETURN, 0);
    scene.Tick();
    EXPECT_EQ(taker->entered, std::string(31, 'x'));
}

TEST_F(TextEntryField, FocusMovedAwayOrTheWheelCancelsOnTheNextTick)
{
    for (bool wheel : {false, true}) {
        HWND field = Prompt();
        ASSERT_NE(field, nullptr);
        SetWindowTextA(field, "0.9");
        if (wheel)
            scene.Send(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
        else
            SetFocus(scene.host);
        EXPECT_EQ(State(), TextEntryCancel) << wheel;
        scene.Tick();
        EXPECT_FALSE(IsWindow(field)) << wheel;
        EXPECT_EQ(Gain(), 0.5) << wheel;
    }
}

TEST_F(TextEntryField, APressInTheEditorClosesTheFieldWithoutApplying)
{
    HWND field = Prompt();
    SetWindowTextA(field, "0.9");
    scene.SendAt(WM_LBUTTONDOWN, MK_LBUTTON, kBackdropCorner);
    scene.SendAt(WM_LBUTTONUP, 0, kBackdropCorner);
    EXPECT_FALSE(IsWindow(field));
    EXPECT_EQ(Field(), nullptr);
    EXPECT_EQ(Gain(), 0.5);
    EXPECT_EQ(WindowPixel(scene.Window(), kInFieldAndKnob), kKnobFrames[2]);

    // While the field has the focus a press only asks the tick to cancel.
    field = Prompt();
    FocusAgain(field);
    scene.SendAt(WM_LBUTTONDOWN, MK_LBUTTON, kBackdropCorner);
    EXPECT_TRUE(IsWindow(field));
    EXPECT_EQ(State(), TextEntryCancel);
    scene.Tick();
    EXPECT_FALSE(IsWindow(field));
}

TEST_F(TextEntryField, ACancelBeforeTheFieldOpensDoesNotCloseIt)
{
    scene.editor->CancelTextEntry();
    HWND field = Prompt();
    scene.Tick();
    scene.Tick();
    EXPECT_TRUE(IsWindow(field));
    EXPECT_EQ(Field(), field);
}

TEST_F(TextEntryField, TheFieldsFontGoesWithIt)
{
    HWND field = Prompt();
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(field, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(GetObjectType(font), DWORD(OBJ_FONT));
    scene.editor->CancelTextEntry();
    scene.Tick();
    EXPECT_EQ(GetObjectType(font), 0u);
}

TEST_F(TextEntryField, TheParentDestroyedWithAFieldOpenLetsALaterEditorPromptAgain)
{
    for (bool focused : {false, true}) {
        HWND field = Prompt();
        ASSERT_NE(field, nullptr);
        if (focused) FocusAgain(field);
        HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(field, WM_GETFONT, 0, 0));
        DestroyWindow(scene.host);
        EXPECT_FALSE(IsWindow(field));
        EXPECT_EQ(Field(), nullptr) << focused;
        EXPECT_EQ(scene.Window(), nullptr) << focused;
        EXPECT_EQ(EditorWindowClassUses, 0) << focused;
        EXPECT_EQ(GetObjectType(font), 0u);

        scene.host = MakeHostWindow(scene.root);
        ASSERT_NE(scene.Open(), nullptr);
        scene.Tick();
        EXPECT_NE(Prompt(), nullptr) << focused;
        scene.editor->CancelTextEntry();
        scene.Tick();
    }
}

TEST_F(TextEntryField, ClosingTheEditorWithAFieldOpenClearsIt)
{
    HWND field = Prompt();
    scene.editor->CloseEditorWindow();
    EXPECT_FALSE(IsWindow(field));
    EXPECT_EQ(Field(), nullptr);
    ASSERT_NE(scene.Open(), nullptr);
    EXPECT_NE(Prompt(), nullptr);
}

}  // namespace
