#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "core/parameter.h"
#include "editor/caption_control.h"
#include "editor/file_selector_control.h"
#include "editor/graphics.h"
#include "editor/link_control.h"
#include "editor/panel_control.h"
#include "raster/golden_image.h"
#include "raster/raster_test_support.h"
#include "raster/sys_bitmap.h"
#include "support/headless_graphics.h"
#include "support/test_unit.h"

#include "control_test_support.h"

namespace {

using Texts = std::vector<std::string>;

uint64_t DigestOf(PIX_IBitmap* bitmap, const IBox& box)
{
    return raster_test::DigestOfArea(*bitmap, box.left, box.top, box.right, box.bottom);
}

PIX_PackedColor PixelAt(PIX_IBitmap* bitmap, int x, int y)
{
    return bitmap->PixelData()[y * bitmap->RowStride() + x];
}

void RedrawAll(IGraphics* editor)
{
    const IRegion all(IBox{0, 0, editor->Width(), editor->Height()});
    EXPECT_TRUE(editor->RedrawRegion(&all));
}

// A gain in dB at 12.5 shown to one decimal, and a two-state mode with value
// texts.
class CaptionControlTest : public ::testing::Test {
protected:
    CaptionControlTest()
    {
        unit.ParameterAt(0)->SetupDouble("gain", 0.0, -24.0, 24.0, 0.1, "dB", "", 1.0);
        unit.ParameterAt(0)->Set(12.5);
        unit.ParameterAt(1)->SetupEnum("mode", 1, 2, "dB", "");
        unit.ParameterAt(1)->AddValueText(0, "off");
        unit.ParameterAt(1)->AddValueText(1, "on");
        editor.CreateSurfaces();
    }

    TestUnit unit{2};
    HeadlessGraphics editor{&unit, 200, 40};
};

TEST_F(CaptionControlTest, ShowsTheValueAndLabelAtEachPaintWithoutMarking)
{
    struct Case {
        int paramIdx;
        bool showLabel;
        const char* shown;
    };
    // Parameter 1 shows a value text, which hides its unit label (the blank
    // stays); 2 and -1 name no parameter.
    const Case cases[] = {
        {0, true, "12.5 dB"}, {0, false, "12.5"}, {1, true, "on "},
        {1, false, "on"},     {2, true, ""},      {-1, true, ""},
    };
    ITextStyle style;
    style.size = 14;
    for (const Case& c : cases) {
        ICaptionControl caption(&unit, {0, 0, 200, 40}, c.paramIdx, &style, c.showLabel);
        EXPECT_EQ(caption.paramIdx, c.paramIdx);
        EXPECT_EQ(caption.textStyle.size, 14);
        EXPECT_EQ(caption.blend.kind, 0);
        EXPECT_TRUE(caption.promptDisabled);
        caption.AcknowledgeRedraw();
        EXPECT_TRUE(caption.Paint(&editor));
        EXPECT_STREQ(caption.Text(), c.shown) << c.paramIdx << " " << c.showLabel;
        EXPECT_FALSE(caption.NeedsRedraw());
    }
    EXPECT_TRUE(unit.calls.empty());
}

TEST_F(CaptionControlTest, FollowsTheParameterFromPaintToPaint)
{
    ICaptionControl caption(&unit, {0, 0, 200, 40}, 0, nullptr, true);
    caption.Paint(&editor);
    unit.ParameterAt(0)->Set(-3.0);
    caption.Paint(&editor);
    EXPECT_STREQ(caption.Text(), "-3.0 dB");
    ICaptionControl unbound(nullptr, {0, 0, 200, 40}, 0, nullptr, true);
    EXPECT_TRUE(unbound.Paint(&editor));
    EXPECT_STREQ(unbound.Text(), "");
}

// No editor is attached here: the prompt's one observable effect is the
// extra redraw it asks for.
TEST_F(CaptionControlTest, LeftOrRightPressAndDoubleClickAskOnlyWhenPromptingIsOn)
{
    struct Case {
        bool promptDisabled;
        IPointerKeys keys;
        bool doubleClick;
        bool asks;
    };
    const IPointerKeys none, left = {true}, right = {false, true};
    const Case cases[] = {
        {false, left, false, true}, {false, right, false, true}, {false, none, false, false},
        {false, none, true, true},  {true, left, false, false},  {true, right, false, false},
        {true, none, true, false},
    };
    for (const Case& c : cases) {
        ICaptionControl caption(&unit, {0, 0, 200, 40}, 0, nullptr, true);
        caption.promptDisabled = c.promptDisabled;
        caption.value = 0.25;
        caption.defaultValue = 0.75;
        if (c.doubleClick)
            caption.HandleDoubleClick(1, 1, &c.keys);
        else
            caption.HandleMouseDown(1, 1, &c.keys);
        EXPECT_EQ(caption.redrawAgain, c.asks)
            << c.promptDisabled << c.keys.left << c.keys.right << c.doubleClick;
        EXPECT_EQ(caption.value, 0.25);  // a double click does not go to the default
    }
    EXPECT_TRUE(unit.calls.empty());
}

// Records what OpenLink is given besides the url.
class LinkEditor : public HeadlessGraphics {
public:
    using HeadlessGraphics::HeadlessGraphics;
    bool OpenLink(const char* url, const char* title, const char* confirm,
                  const char* error) override
    {
        titles.push_back(title ? title : "(null)");
        if (confirm || error) extrasGiven = true;
        return HeadlessGraphics::OpenLink(url, title, confirm, error);
    }
    Texts titles;
    bool extrasGiven = false;
};

TEST(URLControlTest, OpensTheLinkOrFallsBackToTheBackup)
{
    struct Case {
        const char* url;
        const char* backup;
        bool opens;
        Texts opened;
    };
    const Case cases[] = {
        {"a.html", "b.html", true, {"a.html"}},
        {"a.html", "b.html", false, {"a.html", "b.html"}},
        {"a.html", "", false, {"a.html"}},
        {"a.html", nullptr, false, {"a.html"}},
        {"", "b.html", true, {"b.html"}},
        {nullptr, "b.html", false, {"b.html"}},
        {"", "", true, {}},
        {nullptr, nullptr, true, {}},
    };
    for (const Case& c : cases) {
        TestUnit unit;
        LinkEditor* editor = new LinkEditor(&unit, 10, 10);  // the plug-in deletes it
        unit.AttachEditor(editor);
        editor->linkAnswer = c.opens;
        IURLControl link(&unit, {0, 0, 10, 10}, c.url, c.backup, "the title");
        EXPECT_EQ(link.paramIdx, -1);
        link.HandleMouseDown(5, 5, nullptr);
        EXPECT_EQ(editor->linksOpened, c.opened) << (c.url ? c.url : "null") << c.opens;
        EXPECT_EQ(editor->titles, Texts(c.opened.size(), "the title"));
        EXPECT_FALSE(editor->extrasGiven);
        EXPECT_TRUE(unit.calls.empty());
    }
}

TEST(URLControlTest, DoesNothingWithoutAnEditorAndDrawsNothing)
{
    TestUnit unit;
    IURLControl link(&unit, {0, 0, 10, 10}, "a.html", "b.html", nullptr);
    link.HandleMouseDown(5, 5, nullptr);
    IURLControl orphan(nullptr, {0, 0, 10, 10}, "a.html", "b.html", nullptr);
    orphan.HandleMouseDown(5, 5, nullptr);
    HeadlessGraphics editor(&unit, 10, 10);
    EXPECT_TRUE(link.Paint(&editor));  // it would fail without a draw surface
    EXPECT_STREQ(link.title, "");
}

TEST(URLControlTest, TextsAreCutToTheirFields)
{
    struct Case {
        int length;
        int urlKept;
        int titleKept;
    };
    const Case cases[] = {
        {0, 0, 0},       {254, 254, 254},   {255, 255, 255},   {256, 255, 256},
        {300, 255, 300}, {1023, 255, 1023}, {1024, 255, 1023}, {5000, 255, 1023},
    };
    for (const Case& c : cases) {
        const std::string text(size_t(c.length), 'x');
        IURLControl link(nullptr, {}, text.c_str(), text.c_str(), text.c_str());
        EXPECT_EQ(std::string(link.url), std::string(size_t(c.urlKept), 'x')) << c.length;
        EXPECT_EQ(std::string(link.backupUrl), std::string(size_t(c.urlKept), 'x'));
        EXPECT_EQ(std::string(link.title), std::string(size_t(c.titleKept), 'x'));
    }
}

TEST(PanelControlTest, FillsItsRectangleWithItsColourAndBlend)
{
    struct Case {
        const IArgb* colour;
        int blendKind;
        PIX_PackedColor inside;
    };
    const IArgb halfBlue = {128, 0, 0, 255};
    const Case cases[] = {
        {&kArgbRed, 0, 0xffff0000u},
        {nullptr, 0, 0xff000000u},    // no colour: opaque black
        {&halfBlue, 0, 0xbf7f7ffeu},  // over white, through its alpha
        {&halfBlue, 1, 0x800000ffu},  // copied as it is
    };
    for (const Case& c : cases) {
        TestUnit unit;
        HeadlessGraphics editor(&unit, 20, 10);
        editor.CreateSurfaces();
        editor.AddColourBackdrop(&kArgbWhite);
        IPanelControl* panel = new IPanelControl(&unit, {5, 2, 15, 8}, c.colour);
        panel->blend.kind = c.blendKind;
        EXPECT_EQ(panel->paramIdx, -1);
        EXPECT_EQ(panel->blend.kind, c.blendKind);
        editor.AddControl(panel);
        RedrawAll(&editor);
        PIX_IBitmap* surface = editor.DrawSurface();
        EXPECT_EQ(PixelAt(surface, 5, 2), c.inside) << c.blendKind;
        EXPECT_EQ(PixelAt(surface, 14, 7), c.inside);
        for (const auto& [x, y] : {std::pair{4, 2}, {15, 7}, {5, 1}, {14, 8}})
            EXPECT_EQ(PixelAt(surface, x, y), 0xffffffffu) << x << "," << y;
    }
}

TEST(PanelControlTest, AColourBackdropGoesUnderEveryControl)
{
    TestUnit unit;
    HeadlessGraphics editor(&unit, 30, 20);
    IControl* added[3];
    for (IControl*& control : added) {
        control = new IPanelControl(&unit, {1, 1, 2, 2}, &kArgbRed);
        editor.AddControl(control);
    }
    const IArgb colour = {255, 10, 20, 30};
    editor.AddColourBackdrop(&colour);
    ASSERT_EQ(editor.ControlCount(), 4);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(editor.ControlAt(i + 1), added[i]);
    IPanelControl* backdrop = dynamic_cast<IPanelControl*>(editor.ControlAt(0));
    ASSERT_NE(backdrop, nullptr);
    for (const IBox& box : {backdrop->rect, backdrop->targetRect}) {
        EXPECT_EQ(box.left, 0);
        EXPECT_EQ(box.top, 0);
        EXPECT_EQ(box.right, 30);
        EXPECT_EQ(box.bottom, 20);
    }
    EXPECT_EQ(backdrop->color.Packed(), colour.Packed());
    EXPECT_EQ(backdrop->paramIdx, -1);
}

// Records what the file dialog is asked, and redraws the editor while it is
// "open", as the window's timer does under a modal dialog.
class DialogEditor : public HeadlessGraphics {
public:
    using HeadlessGraphics::HeadlessGraphics;
    void AskForFile(TextBuffer* file, int action, TextBuffer* folder,
                    const char* extensions) override
    {
        asked.push_back(std::string(folder->Get()) + "|" + extensions + "|" + file->Get());
        if (selector) statesSeen.push_back(selector->state);
        if (DrawSurface()) {
            RedrawAll(this);
            if (onDialog) onDialog();
        }
        HeadlessGraphics::AskForFile(file, action, folder, extensions);
    }
    IFileSelectorControl* selector = nullptr;
    Texts asked;
    std::vector<int> statesSeen;
    std::function<void()> onDialog;
};

class FileSelectorTest : public OneParameterTest {
protected:
    FileSelectorTest() { unit.AttachEditor(editor); }

    DialogEditor* editor = new DialogEditor(&unit, 40, 40);  // the plug-in deletes it
};

TEST_F(FileSelectorTest, AClickAsksForAFileAndTogglesTheValueEvenWhenCancelled)
{
    struct Case {
        double from;
        std::string answer;
        double to;
    };
    const Case cases[] = {
        {0.0, "c:/in/a.wav", 1.0},
        {1.0, "c:/in/b.wav", 0.0},
        {0.0, "", 1.0},  // cancelled
        {1.0, "", 0.0},
        {0.3, "x", 0.0},
        {-0.5, "x", 1.0},  // clamped to 0 when marked
    };
    IFileSelectorControl selector(&unit, {0, 0, 20, 20}, 0, {}, 1, "c:/in", "wav aif");
    editor->selector = &selector;
    for (const Case& c : cases) {
        unit.calls.clear();
        editor->asked.clear();
        editor->fileActions.clear();
        editor->statesSeen.clear();
        selector.value = c.from;
        const std::string before = selector.file.Get();
        editor->fileAnswer = c.answer;
        selector.HandleMouseDown(3, 3, nullptr);
        EXPECT_EQ(editor->asked, Texts{"c:/in|wav aif|" + before}) << c.from << " " << c.answer;
        EXPECT_EQ(editor->fileActions, std::vector<int>{1});
        EXPECT_EQ(editor->statesSeen, std::vector<int>{1});
        EXPECT_EQ(selector.state, 2);
        EXPECT_EQ(selector.value, c.to);
        EXPECT_EQ(unit.calls, Pushed(c.to));
        TextBuffer chosen;
        selector.ChosenFile(&chosen);
        EXPECT_STREQ(chosen.Get(), c.answer.c_str());
    }
}

TEST_F(FileSelectorTest, NothingHappensWithoutAnEditor)
{
    TestUnit bare;
    for (IUnitBase* plug : {static_cast<IUnitBase*>(&bare), static_cast<IUnitBase*>(nullptr)}) {
        IFileSelectorControl selector(plug, {0, 0, 20, 20}, 0, {}, 0, nullptr, nullptr);
        selector.AcknowledgeRedraw();
        selector.HandleMouseDown(3, 3, nullptr);
        EXPECT_EQ(selector.state, 0);
        EXPECT_EQ(selector.value, 0.0);
        EXPECT_FALSE(selector.NeedsRedraw());
    }
    EXPECT_TRUE(bare.calls.empty());
}

TEST_F(FileSelectorTest, AChoiceAsksForOneMoreRedrawAfterTheDirtyFlagClears)
{
    IFileSelectorControl selector(&unit, {0, 0, 20, 20}, 0, {}, 0, nullptr, nullptr);
    selector.AcknowledgeRedraw();
    EXPECT_FALSE(selector.NeedsRedraw());
    selector.HandleMouseDown(3, 3, nullptr);
    const bool frames[] = {true, true, false};  // dirty, once more, done
    for (size_t i = 0; i < std::size(frames); ++i) {
        EXPECT_EQ(selector.NeedsRedraw(), frames[i]) << "frame " << i;
        selector.AcknowledgeRedraw();
    }
    EXPECT_EQ(selector.state, 0);
}

TEST_F(FileSelectorTest, SetChosenFile)
{
    IFileSelectorControl selector(&unit, {}, -1, {}, 0, nullptr, nullptr);
    struct Case {
        const char* path;
        const char* file;
    };
    const Case cases[] = {{"c:/a.wav", "c:/a.wav"}, {nullptr, ""}, {"d.wav", "d.wav"}, {"", ""}};
    for (const Case& c : cases) {
        selector.SetChosenFile(c.path);
        TextBuffer chosen;
        chosen.Assign("stale");
        selector.ChosenFile(&chosen);
        EXPECT_STREQ(chosen.Get(), c.file);
    }
}

// A colour backdrop, a see-through panel, a caption and a file selector
// whose image shows while its dialog is open.
TEST_F(FileSelectorTest, DrawsItsImageOnlyWhileTheDialogIsOpen)
{
    TestUnit plug{1};
    plug.ParameterAt(0)->SetupDouble("gain", 0.0, -24.0, 24.0, 0.1, "dB", "", 1.0);
    plug.ParameterAt(0)->Set(12.5);
    DialogEditor* shown = new DialogEditor(&plug, 96, 48);
    const IArgb slate = {255, 40, 48, 64};
    shown->AddColourBackdrop(&slate);
    const IArgb amber = {160, 255, 176, 0};
    shown->AddControl(new IPanelControl(&plug, {8, 22, 60, 44}, &amber));
    ITextStyle style;
    style.colour = kArgbWhite;
    style.size = 12;
    shown->AddControl(new ICaptionControl(&plug, {4, 2, 92, 18}, 0, &style, true));
    const IImageStrip image = shown->LoadImageStrip(105, "resources/img/ckb.png", 1, false);
    ASSERT_NE(image.bitmap, nullptr);
    IFileSelectorControl* selector =
        new IFileSelectorControl(&plug, {52, 20, 73, 46}, -1, image, 0, nullptr, "png");
    shown->AddControl(selector);
    shown->selector = selector;
    plug.AttachEditor(shown);

    const IBox caption = {0, 0, 96, 20}, rest = {0, 20, 96, 48};
    uint64_t captionDuring = 0, restDuring = 0;
    shown->onDialog = [&] {
        raster_test::WriteGoldenIfRequested(*shown->DrawSurface(), "misc_controls");
        captionDuring = DigestOf(shown->DrawSurface(), caption);
        restDuring = DigestOf(shown->DrawSurface(), rest);
    };
    selector->HandleMouseDown(60, 30, nullptr);
    ASSERT_EQ(shown->statesSeen, std::vector<int>{1});
    EXPECT_EQ(restDuring, 0x5e8e9103e681039dull);
    // Under Wine the text goes through the glyph cache of a system font;
    // natively the built-in glyphs are scaled to the size.
#ifdef _WIN32
    EXPECT_EQ(captionDuring, 0x059711351196fe92ull);
#else
    EXPECT_EQ(captionDuring, 0x8bb4b37f461fb95eull);
#endif
    RedrawAll(shown);  // closed: the panel shows through again
    EXPECT_NE(DigestOf(shown->DrawSurface(), rest), restDuring);
    EXPECT_EQ(DigestOf(shown->DrawSurface(), caption), captionDuring);
    EXPECT_EQ(PixelAt(shown->DrawSurface(), 62, 30), PixelAt(shown->DrawSurface(), 80, 30));
}

}  // namespace
