#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/parameter.h"
#include "editor/control.h"
#include "editor/text_entry_rules.h"
#include "support/headless_graphics.h"
#include "support/test_unit.h"

namespace {

class PromptedControl : public IControl {
public:
    using IControl::IControl;
    bool Paint(IGraphics*) override { return true; }
};

// A mode of five named values at 2, a bool (which has value texts), an enum
// without value texts, an int and a double.
class ValuePromptTest : public ::testing::Test {
protected:
    ValuePromptTest()
    {
        unit.ParameterAt(0)->SetupEnum("mode", 2, 5, "", "");
        for (int i = 0; i < 5; ++i)
            unit.ParameterAt(0)->AddValueText(i, std::string(1, char('a' + i)).c_str());
        unit.ParameterAt(1)->SetupBool("on", true, "", "");
        unit.ParameterAt(2)->SetupEnum("bare", 1, 3, "", "");
        unit.ParameterAt(3)->SetupInt("steps", 7, 0, 10, "", "");
        unit.ParameterAt(4)->SetupDouble("gain", -6.5, -24.0, 24.0, 0.1, "dB", "", 1.0);
        unit.AttachEditor(editor);
    }

    void Ask(int p) { editor->AskForParamValue(&control, unit.ParameterAt(p), &box); }

    TestUnit unit{5};
    HeadlessGraphics* editor = new HeadlessGraphics(&unit, 100, 100);
    PromptedControl control{&unit, IBox{0, 0, 20, 20}, 0, 0};
    IBox box{1, 2, 3, 4};
};

TEST_F(ValuePromptTest, AnEnumShowsItsValueTextsWithTheCurrentCheckedAndAppliesTheChoice)
{
    editor->menuAnswer = 3;
    Ask(0);
    ASSERT_EQ(editor->menusShown.size(), 1u);
    const auto& items = editor->menusShown[0].items;
    ASSERT_EQ(items.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(items[i].text, std::string(1, char('a' + i)));
        EXPECT_EQ(items[i].flags, i == 2 ? PopupMenuItem::kChecked : 0) << i;
    }
    EXPECT_DOUBLE_EQ(control.value, unit.ParameterAt(0)->Normalize(3));
    EXPECT_TRUE(editor->textEntries.empty());
}

TEST_F(ValuePromptTest, NothingChosenAppliesNothing)
{
    control.value = 0.25;
    Ask(0);
    editor->menuAnswer = 7;  // past the items
    Ask(0);
    EXPECT_EQ(editor->menusShown.size(), 2u);
    EXPECT_EQ(control.value, 0.25);
}

TEST_F(ValuePromptTest, BoolsWithValueTextsGetAMenuOtherKindsATextEntryOfThePlainValue)
{
    editor->menuAnswer = 0;
    Ask(1);
    ASSERT_EQ(editor->menusShown.size(), 1u);
    ASSERT_EQ(editor->menusShown[0].items.size(), 2u);
    EXPECT_EQ(editor->menusShown[0].items[1].flags, PopupMenuItem::kChecked);
    EXPECT_EQ(control.value, 0.0);

    Ask(2);  // an enum without value texts: an empty menu
    ASSERT_EQ(editor->menusShown.size(), 2u);
    EXPECT_TRUE(editor->menusShown[1].items.empty());

    Ask(3);
    Ask(4);
    EXPECT_EQ(editor->menusShown.size(), 2u);
    ASSERT_EQ(editor->textEntries.size(), 2u);
    EXPECT_EQ(editor->textEntries[0].text, "7");
    EXPECT_EQ(editor->textEntries[0].parameter, unit.ParameterAt(3));
    EXPECT_EQ(editor->textEntries[0].control, &control);
    EXPECT_EQ(editor->textEntries[1].text, "-6.5");
}

TEST_F(ValuePromptTest, AControlsRightClickReachesThePrompt)
{
    control.promptDisabled = false;
    editor->menuAnswer = 4;
    const IPointerKeys right = {false, true};
    control.HandleMouseDown(5, 5, &right);
    ASSERT_EQ(editor->menusShown.size(), 1u);
    EXPECT_DOUBLE_EQ(control.value, 1.0);

    control.paramIdx = 3;
    control.HandleMouseDown(5, 5, &right);
    ASSERT_EQ(editor->textEntries.size(), 1u);
    EXPECT_EQ(editor->textEntries[0].text, "7");
}

TEST_F(ValuePromptTest, MissingArgumentsAskNothing)
{
    editor->AskForParamValue(nullptr, unit.ParameterAt(0), &box);
    editor->AskForParamValue(&control, nullptr, &box);
    editor->AskForParamValue(&control, unit.ParameterAt(0), nullptr);
    EXPECT_TRUE(editor->menusShown.empty());
    EXPECT_TRUE(editor->textEntries.empty());
}

TEST(TextEntryRules, CharactersAcceptedByKind)
{
    IParameter unset, boolean, integer, enumerated, real;
    boolean.SetupBool("b", false, "", "");
    integer.SetupInt("i", 0, 0, 9, "", "");
    enumerated.SetupEnum("e", 0, 3, "", "");
    real.SetupDouble("d", 0.0, 0.0, 1.0, 0.1, "", "", 1.0);
    // Columns: free text, not set, bool, int, enum, double.
    const IParameter* kinds[] = {nullptr, &unset, &boolean, &integer, &enumerated, &real};
    const struct {
        char c;
        bool accepted[6];
    } cases[] = {
        {'5', {true, true, true, true, true, true}},
        {'+', {true, true, true, true, true, true}},
        {'-', {true, true, true, true, true, true}},
        {'.', {true, true, false, false, false, true}},
        {',', {true, true, false, false, false, false}},
        {'a', {true, true, false, false, false, false}},
        {'\b', {true, true, true, true, true, true}},
        {'\r', {false, false, false, false, false, false}},
        {'\n', {false, false, false, false, false, false}},
        {'\x1b', {false, false, false, false, false, false}},
    };
    for (const auto& c : cases)
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(TextEntryAcceptsChar(kinds[k], c.c), c.accepted[k]) << int(c.c) << " " << k;
}

TEST(TextEntryRules, TheLimitIsWhatTheCommitReads)
{
    const struct {
        int asked;
        int limit;
    } cases[] = {{7, 7}, {1, 1}, {31, 31}, {32, 31}, {1000, 31}, {0, 31}, {-5, 31}};
    for (const auto& c : cases) EXPECT_EQ(TextEntryLimit(c.asked), c.limit) << c.asked;
}

}  // namespace
