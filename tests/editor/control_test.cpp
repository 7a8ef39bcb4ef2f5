#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "editor/control.h"
#include "editor/text_control.h"
#include "support/test_unit.h"

namespace {

using Calls = std::vector<std::string>;

class PlainControl : public IControl {
public:
    PlainControl(IUnitBase* plug, IBox rect, int paramIdx, int blendKind = 0)
        : IControl(plug, rect, paramIdx, blendKind)
    {
    }
    bool Paint(IGraphics*) override { return true; }
};

// How many frames in a row the control asks to be painted.
int DirtyFrames(IControl& control)
{
    int frames = 0;
    while (control.NeedsRedraw() && frames < 10) {
        control.AcknowledgeRedraw();
        ++frames;
    }
    return frames;
}

// Parameter 0 "freq" 0 to 880 Hz, 1 "gain" without a label, 2 "mode", an
// enum of two values whose value 1 reads "on".
class ControlTest : public ::testing::Test {
protected:
    ControlTest()
    {
        unit.ParameterAt(0)->SetupDouble("freq", 440.0, 0.0, 880.0, 1.0, "Hz", "", 1.0);
        unit.ParameterAt(1)->SetupDouble("gain", 0.0, 0.0, 880.0, 1.0, "", "", 1.0);
        unit.ParameterAt(2)->SetupEnum("mode", 0, 2, "st", "");
        unit.ParameterAt(2)->AddValueText(1, "on");
    }

    TestUnit unit;
};

TEST_F(ControlTest, BaseConstruction)
{
    PlainControl control(&unit, {1, 2, 3, 4}, 2, 3);
    EXPECT_EQ(control.textEntryMaxChars, 7);
    EXPECT_STREQ(control.textStyle.face, "Verdana");
    EXPECT_EQ(control.textStyle.align, 1);
    EXPECT_EQ(control.plug, &unit);
    EXPECT_EQ(control.targetRect.right, 3);
    EXPECT_EQ(control.targetRect.bottom, 4);
    EXPECT_EQ(control.paramIdx, 2);
    EXPECT_EQ(control.value, 0.0);
    EXPECT_EQ(control.defaultValue, -1.0);
    EXPECT_EQ(control.lowLimit, 0.0);
    EXPECT_EQ(control.highLimit, 1.0);
    EXPECT_TRUE(control.dirty);
    EXPECT_FALSE(control.hidden || control.greyed || control.redrawAgain ||
                 control.doubleClickAsClick || control.pointerOverWhenGreyed);
    EXPECT_TRUE(control.promptDisabled);
    EXPECT_EQ(control.blend.kind, 3);
    EXPECT_EQ(control.blend.weight, 1.0f);
    EXPECT_EQ(control.valueTextControl, nullptr);
    EXPECT_EQ(control.nameTextControl, nullptr);
    EXPECT_EQ(control.tooltip, nullptr);
}

TEST_F(ControlTest, RedrawFlagsBuyTheirFrames)
{
    PlainControl control(&unit, {0, 0, 10, 10}, -1);
    EXPECT_EQ(DirtyFrames(control), 1);  // a new control paints once
    EXPECT_EQ(DirtyFrames(control), 0);

    control.SetHidden(true);
    EXPECT_TRUE(control.hidden);
    EXPECT_EQ(DirtyFrames(control), 2);
    control.SetHidden(false);
    EXPECT_EQ(DirtyFrames(control), 2);

    control.SetGreyed(true);
    EXPECT_TRUE(control.greyed);
    EXPECT_EQ(control.blend.weight, 0.25f);
    EXPECT_EQ(DirtyFrames(control), 1);
    control.SetGreyed(false);
    EXPECT_EQ(control.blend.weight, 1.0f);
    EXPECT_EQ(DirtyFrames(control), 1);
}

TEST_F(ControlTest, ValuesFromTheCoreAreNeverSentBack)
{
    PlainControl control(&unit, {0, 0, 10, 10}, 0);
    DirtyFrames(control);

    control.ApplyValueFromCore(0.3);  // the first value is also the default
    EXPECT_EQ(control.value, 0.3);
    EXPECT_EQ(control.defaultValue, 0.3);
    EXPECT_FALSE(control.NeedsRedraw());

    control.ApplyValueFromCore(0.3);
    EXPECT_FALSE(control.NeedsRedraw());

    control.ApplyValueFromCore(0.5);
    EXPECT_EQ(control.value, 0.5);
    EXPECT_EQ(control.defaultValue, 0.3);
    EXPECT_EQ(DirtyFrames(control), 2);  // this frame and exactly one more

    EXPECT_TRUE(unit.calls.empty());
    EXPECT_EQ(unit.ParameterAt(0)->Value(), 440.0);
}

TEST_F(ControlTest, APushSetsTheParameter)
{
    PlainControl control(&unit, {0, 0, 10, 10}, 0);
    control.value = 0.25;
    control.MarkDirty(true);
    EXPECT_EQ(unit.calls, (Calls{"report 0 0.250000", "changed 0"}));
    EXPECT_EQ(unit.ParameterAt(0)->Value(), 220.0);
    EXPECT_TRUE(control.NeedsRedraw());

    unit.calls.clear();
    control.MarkDirty(false);
    EXPECT_TRUE(unit.calls.empty());
}

TEST_F(ControlTest, ControlsWithoutPlugInOrParameterOnlyClampAndMark)
{
    PlainControl unbound(&unit, {0, 0, 10, 10}, -1);
    PlainControl orphan(nullptr, {0, 0, 10, 10}, 0);
    for (PlainControl* control : {&unbound, &orphan}) {
        control->AcknowledgeRedraw();
        control->value = 1.5;
        control->MarkDirty(true);
        EXPECT_EQ(control->value, 1.0);
        EXPECT_TRUE(control->NeedsRedraw());
    }
    EXPECT_TRUE(unit.calls.empty());
}

// A plug-in that notes, inside ParameterChanged, whether another thread had
// already let go of the plug-in lock.
class LockProbeUnit : public TestUnit {
public:
    using TestUnit::TestUnit;
    void ParameterChanged(int index) override
    {
        changedAfterRelease = released.load();  // before the base takes the lock itself
        TestUnit::ParameterChanged(index);
    }

    std::atomic<bool> released{false};
    bool changedAfterRelease = false;
};

TEST(ControlLockTest, APushWaitsForThePlugInLock)
{
    LockProbeUnit unit(1);
    unit.ParameterAt(0)->SetupDouble("a", 0.0, 0.0, 1.0, 0.001, "", "", 1.0);
    PlainControl control(&unit, {0, 0, 10, 10}, 0);

    std::promise<void> holding;
    std::future<void> held = holding.get_future();
    std::thread audio([&] {
        unit.PluginLock()->Enter();
        holding.set_value();
        // Time for an unlocked push to run ahead; a locked one waits anyway.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        unit.released = true;
        unit.PluginLock()->Leave();
    });
    held.wait();
    control.value = 0.5;
    control.MarkDirty(true);
    audio.join();

    EXPECT_TRUE(unit.changedAfterRelease);
    EXPECT_EQ(unit.ParameterAt(0)->Value(), 0.5);
}

TEST_F(ControlTest, MarkClampsToTheLimits)
{
    struct Case {
        double value, expected;
    };
    const Case cases[] = {{0.1, 0.2}, {0.9, 0.8}, {0.8, 0.8}, {0.2, 0.2}, {0.5, 0.5}};
    PlainControl control(&unit, {0, 0, 10, 10}, -1);
    control.lowLimit = 0.2;
    control.highLimit = 0.8;
    for (const Case& c : cases) {
        control.value = c.value;
        control.MarkDirty(false);
        EXPECT_EQ(control.value, c.expected) << c.value;
    }
    control.value = std::nan("");
    control.MarkDirty(false);
    EXPECT_TRUE(std::isnan(control.value));
}

TEST_F(ControlTest, WheelStepsAndClamps)
{
    struct Case {
        double from;
        int steps;
        bool shift, ctrl;
        double to;
    };
    const Case cases[] = {
        {0.5, 3, false, false, 0.53},   {0.5, -2, true, false, 0.498},
        {0.5, -2, false, true, 0.498},  {0.95, 20, false, false, 1.0},
        {0.05, -20, false, false, 0.0},
    };
    PlainControl control(&unit, {0, 0, 10, 10}, 0);
    for (const Case& c : cases) {
        control.value = c.from;
        IPointerKeys keys;
        keys.shift = c.shift;
        keys.ctrl = c.ctrl;
        control.HandleWheel(0, 0, &keys, c.steps);
        EXPECT_NEAR(control.value, c.to, 1e-12) << c.from << " " << c.steps;
        EXPECT_EQ(unit.calls.back(), "changed 0");
    }
}

TEST_F(ControlTest, DoubleClickRestoresTheCoresFirstValue)
{
    PlainControl control(&unit, {0, 0, 10, 10}, 0);
    control.value = 0.7;
    control.HandleDoubleClick(0, 0, nullptr);  // no default known yet
    EXPECT_EQ(control.value, 0.7);
    EXPECT_TRUE(unit.calls.empty());

    control.ApplyValueFromCore(0.25);
    control.ApplyValueFromCore(0.75);
    control.HandleDoubleClick(0, 0, nullptr);
    EXPECT_EQ(control.value, 0.25);
    EXPECT_EQ(unit.calls, (Calls{"report 0 0.250000", "changed 0"}));
}

TEST_F(ControlTest, HitTestUsesTheTargetRect)
{
    PlainControl control(&unit, {0, 0, 5, 5}, -1);
    control.targetRect = {10, 10, 20, 20};
    EXPECT_TRUE(control.HitTest(10, 10));
    EXPECT_TRUE(control.HitTest(19, 19));
    EXPECT_FALSE(control.HitTest(20, 15));
    EXPECT_FALSE(control.HitTest(2, 2));
    control.targetRect = {};
    EXPECT_FALSE(control.HitTest(0, 0));
}

TEST_F(ControlTest, APushWritesTheReadOuts)
{
    struct Case {
        int param;
        double value;
        const char* valueText;
        const char* name;
    };
    const Case cases[] = {
        {0, 0.5, "440 Hz", "freq"},
        {1, 0.5, "440 ", "gain"},  // the blank stays without a label
        {2, 1.0, "on ", "mode"},   // a value text hides the label
        {2, 0.0, "0 st", "mode"},
    };
    for (const Case& c : cases) {
        ITextControl valueText(&unit, {}, nullptr, "old");
        ITextControl name(&unit, {}, nullptr, nullptr);
        PlainControl control(&unit, {0, 0, 10, 10}, c.param);
        control.valueTextControl = &valueText;
        control.nameTextControl = &name;
        control.value = c.value;
        control.MarkDirty(true);
        EXPECT_STREQ(valueText.Text(), c.valueText);
        EXPECT_STREQ(name.Text(), c.name);
    }
}

TEST_F(ControlTest, AuxEntries)
{
    PlainControl control(&unit, {0, 0, 10, 10}, -1);
    EXPECT_EQ(control.AuxIndexOf(3), -1);
    EXPECT_EQ(control.AuxParamAt(0), nullptr);
    control.AddAuxParam(2);
    control.AddAuxParam(1);
    EXPECT_EQ(control.AuxIndexOf(1), 1);
    EXPECT_EQ(control.AuxParamAt(1)->value, 0.0);
    EXPECT_EQ(control.AuxParamAt(1)->paramIdx, 1);
    EXPECT_EQ(control.AuxParamAt(2), nullptr);
    EXPECT_EQ(control.AuxParamAt(-1), nullptr);

    DirtyFrames(control);
    control.ApplyAuxValueFromCore(1, 0.5);
    EXPECT_EQ(control.AuxParamAt(1)->value, 0.5);
    EXPECT_EQ(DirtyFrames(control), 2);
    control.ApplyAuxValueFromCore(1, 0.5);
    control.ApplyAuxValueFromCore(5, 0.5);  // no such entry
    EXPECT_EQ(DirtyFrames(control), 0);
    EXPECT_TRUE(unit.calls.empty());

    control.PushAuxParamsToCore();
    EXPECT_EQ(unit.calls,
              (Calls{"report 2 0.000000", "changed 2", "report 1 0.500000", "changed 1"}));
}

TEST_F(ControlTest, RightClickPromptsOnlyWhenEnabledAndBound)
{
    struct Case {
        bool promptDisabled;
        int param;
        bool prompted;
    };
    const Case cases[] = {{true, 0, false}, {false, -1, false}, {false, 0, true}, {false, 2, true}};
    IPointerKeys right;
    right.right = true;
    for (const Case& c : cases) {
        PlainControl control(&unit, {0, 0, 10, 10}, c.param);
        control.promptDisabled = c.promptDisabled;
        control.HandleMouseDown(0, 0, &right);
        EXPECT_EQ(control.redrawAgain, c.prompted) << c.param;
    }
    EXPECT_TRUE(unit.calls.empty());
}

TEST_F(ControlTest, EnteredValuesArePushedWhenTheyDiffer)
{
    PlainControl control(&unit, {0, 0, 10, 10}, 0);
    DirtyFrames(control);
    control.ApplyEnteredValue(0.0);
    EXPECT_FALSE(control.NeedsRedraw());
    EXPECT_TRUE(unit.calls.empty());
    control.ApplyEnteredValue(0.75);
    EXPECT_EQ(unit.calls, (Calls{"report 0 0.750000", "changed 0"}));
    EXPECT_EQ(DirtyFrames(control), 2);
}

}  // namespace
