#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "editor/graphics.h"
#include "support/headless_graphics.h"
#include "support/test_unit.h"

namespace {

using Calls = std::vector<std::string>;

// A plug-in that also logs right clicks on parameters.
class DispatchUnit : public TestUnit {
public:
    using TestUnit::TestUnit;
    void ParameterRightClicked(int p, int x, int y) override
    {
        calls.push_back("right " + std::to_string(p) + " " + std::to_string(x) + " " +
                        std::to_string(y));
    }
};

// A control that logs every event it gets into the plug-in's log, so that
// gestures and events share one order.
class Probe : public IControl {
public:
    Probe(Calls* log, std::string name, IBox rect, int paramIdx = -1)
        : IControl(nullptr, rect, paramIdx, 0), log(log), name(std::move(name))
    {
    }
    void HandleMouseDown(int x, int y, const IPointerKeys*) override { Note("down", x, y); }
    void HandleMouseUp(int x, int y, const IPointerKeys*) override { Note("up", x, y); }
    void HandleMouseDrag(int x, int y, int dX, int dY, const IPointerKeys*) override
    {
        Note("drag", x, y, " " + std::to_string(dX) + " " + std::to_string(dY));
    }
    void HandleDoubleClick(int x, int y, const IPointerKeys*) override { Note("double", x, y); }
    void HandleWheel(int x, int y, const IPointerKeys*, int steps) override
    {
        Note("wheel", x, y, " " + std::to_string(steps));
    }
    bool HandleKey(int, int, int key) override
    {
        log->push_back(name + " key " + std::to_string(key));
        return takesKeys;
    }
    void HandlePointerOver(int x, int y, const IPointerKeys*) override { Note("over", x, y); }
    void HandlePointerLeave() override { log->push_back(name + " leave"); }
    bool Paint(IGraphics*) override
    {
        log->push_back(name + " paint");
        if (onPaint) onPaint();
        return true;
    }

    Calls* log;
    std::string name;
    bool takesKeys = true;
    std::function<void()> onPaint;

private:
    void Note(const char* what, int x, int y, const std::string& more = "")
    {
        log->push_back(name + " " + what + " " + std::to_string(x) + " " + std::to_string(y) +
                       more);
    }
};

class Editor : public HeadlessGraphics {
public:
    using HeadlessGraphics::HeadlessGraphics;
    using IGraphics::capturedControl;
    using IGraphics::drawClip;
    using IGraphics::handlePointerOver;
    using IGraphics::pointerOverControl;
};

class DispatchTest : public ::testing::Test {
protected:
    Probe* Add(const char* name, IBox rect, int paramIdx = -1)
    {
        Probe* probe = new Probe(&unit.calls, name, rect, paramIdx);
        editor.AddControl(probe);
        return probe;
    }
    // Clears every control's redraw request and the log.
    void Settle()
    {
        for (int i = 0; i < editor.ControlCount(); ++i) {
            editor.ControlAt(i)->AcknowledgeRedraw();
            editor.ControlAt(i)->AcknowledgeRedraw();
        }
        unit.calls.clear();
    }
    // One frame as the editor window makes it: collect, then redraw.
    void Frame()
    {
        IRegion region;
        if (editor.CollectDirtyRegion(&region)) editor.RedrawRegion(&region);
    }

    DispatchUnit unit{4};
    Editor editor{&unit, 200, 100};
    const IPointerKeys left = {true};
    const IPointerKeys right = {false, true};
};

void ExpectBox(const IBox& actual, const IBox& expected)
{
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_EQ(actual.right, expected.right);
    EXPECT_EQ(actual.bottom, expected.bottom);
}

TEST_F(DispatchTest, AnEditorWithoutControlsStillPresents)
{
    IRegion region(IBox{1, 2, 3, 4});
    EXPECT_FALSE(editor.CollectDirtyRegion(&region));
    ExpectBox(region.Bounds(), {1, 2, 3, 4});
    EXPECT_TRUE(editor.RedrawRegion(&region));
    ASSERT_EQ(editor.presented.size(), 1u);
    ExpectBox(editor.presented[0].Bounds(), {1, 2, 3, 4});
}

TEST_F(DispatchTest, TheDirtyRegionIsTheUnionOfTheDirtyRects)
{
    Add("a", {10, 10, 20, 20});
    Probe* b = Add("b", {30, 5, 40, 15});
    Probe* empty = Add("empty", {});
    Settle();

    IRegion region;
    empty->MarkDirty(false);
    EXPECT_TRUE(editor.CollectDirtyRegion(&region));  // dirty, even with nothing to add
    EXPECT_TRUE(region.Empty());

    b->MarkDirty(false);
    region = IRegion(IBox{0, 0, 12, 12});  // the region is not cleared first
    EXPECT_TRUE(editor.CollectDirtyRegion(&region));
    ExpectBox(region.Bounds(), {0, 0, 40, 15});

    editor.RedrawRegion(&region);  // a control with nowhere to paint is let go
    EXPECT_FALSE(empty->NeedsRedraw());
    EXPECT_EQ(unit.calls, (Calls{"a paint", "b paint"}));
}

TEST_F(DispatchTest, AStrictFramePaintsTheVisibleControlsTouchingTheRegionInListOrder)
{
    Add("back", {0, 0, 200, 100});
    Add("touching", {100, 0, 120, 10});  // its left edge is the region's right edge
    Add("before", {-20, 0, 0, 10});      // its right edge is the region's left edge
    Probe* hidden = Add("hidden", {10, 10, 20, 20});
    Add("clean", {50, 50, 60, 60});
    Settle();
    hidden->SetHidden(true);
    editor.ControlAt(0)->MarkDirty(false);

    const IBox box = {0, 0, 100, 100};
    const IRegion region(box);
    EXPECT_TRUE(editor.RedrawRegion(&region));
    EXPECT_EQ(unit.calls, (Calls{"back paint", "touching paint", "clean paint"}));
    ExpectBox(editor.drawClip.Bounds(), box);
    ExpectBox(editor.presented.back().Bounds(), box);
    // The hidden control asked for two frames; each redraw acknowledges one.
    EXPECT_TRUE(hidden->NeedsRedraw());
    editor.RedrawRegion(&region);
    EXPECT_FALSE(hidden->NeedsRedraw());
}

TEST_F(DispatchTest, APaintThatDirtiesOtherControlsGetsThemDrawn)
{
    Probe* earlier = Add("earlier", {0, 0, 10, 10});
    Probe* writer = Add("writer", {0, 20, 10, 30});
    Probe* later = Add("later", {0, 25, 10, 35});       // inside the writer's region
    Probe* outside = Add("outside", {50, 50, 60, 60});  // nowhere near it
    Settle();
    writer->onPaint = [&] {
        earlier->MarkDirty(false);
        later->MarkDirty(false);
        outside->MarkDirty(false);
    };
    writer->MarkDirty(false);

    Frame();
    EXPECT_EQ(unit.calls, (Calls{"writer paint", "later paint"}));
    EXPECT_FALSE(later->NeedsRedraw());
    EXPECT_TRUE(earlier->NeedsRedraw());
    EXPECT_TRUE(outside->NeedsRedraw());

    writer->onPaint = nullptr;
    unit.calls.clear();
    Frame();  // the region is the two rects; the writer between them stays clean
    EXPECT_EQ(unit.calls, (Calls{"earlier paint", "outside paint"}));
    unit.calls.clear();
    Frame();
    EXPECT_TRUE(unit.calls.empty());  // nothing is left dirty
}

TEST_F(DispatchTest, FirstControlModeRedrawsAroundEachDirtyControl)
{
    Probe* back = Add("back", {0, 0, 200, 100});
    Add("a", {10, 10, 20, 20});
    Probe* hidden = Add("hidden", {0, 0, 5, 5});
    Add("b", {15, 15, 30, 30});
    Add("c", {100, 50, 120, 60});
    hidden->hidden = true;
    editor.SelectRedrawMode(false);  // marks every control dirty

    const IRegion region(IBox{0, 0, 200, 100});
    editor.RedrawRegion(&region);
    EXPECT_EQ(unit.calls, (Calls{"back paint", "a paint", "b paint", "c paint"}));
    ExpectBox(editor.drawClip.Bounds(), back->rect);
    EXPECT_TRUE(hidden->NeedsRedraw());  // neither painted nor acknowledged
    EXPECT_FALSE(back->NeedsRedraw() || editor.ControlAt(1)->NeedsRedraw());

    hidden->AcknowledgeRedraw();
    editor.ControlAt(3)->MarkDirty(false);
    unit.calls.clear();
    editor.RedrawRegion(&region);
    EXPECT_EQ(unit.calls, (Calls{"back paint", "a paint", "b paint"}));
    ExpectBox(editor.drawClip.Bounds(), editor.ControlAt(3)->rect);
    EXPECT_FALSE(editor.ControlAt(3)->NeedsRedraw());

    back->hidden = true;  // control 0 paints even when hidden
    back->MarkDirty(false);
    unit.calls.clear();
    editor.RedrawRegion(&region);
    EXPECT_EQ(unit.calls, (Calls{"back paint", "a paint", "b paint", "c paint"}));
}

// The pieces of a region as text, in their order.
std::string PiecesOf(const IRegion& region)
{
    std::string text;
    for (const IBox& box : region) {
        if (!text.empty()) text += " ";
        text += std::to_string(box.left) + "," + std::to_string(box.top) + "," +
                std::to_string(box.right) + "," + std::to_string(box.bottom);
    }
    return text;
}

// A probe whose dirty area is a few patches of its rect.
class PatchyProbe : public Probe {
public:
    using Probe::Probe;
    bool AddDirtyArea(IRegion* region) override
    {
        for (const IBox& patch : patches) region->Add(patch);
        return !patches.empty();
    }
    std::vector<IBox> patches;
};

TEST_F(DispatchTest, AControlsDirtyAreaMayBeSmallerThanItsRectAndIsAllThatIsPresented)
{
    Add("back", {0, 0, 200, 100});
    auto* patchy = new PatchyProbe(&unit.calls, "patchy", {20, 10, 180, 90});
    editor.AddControl(patchy);
    Add("aside", {190, 0, 200, 10});
    Settle();
    patchy->patches = {{20, 10, 30, 90}, {170, 10, 180, 90}};

    Frame();
    EXPECT_EQ(unit.calls, (Calls{"back paint", "patchy paint"}));
    ASSERT_EQ(editor.presented.size(), 1u);
    EXPECT_EQ(PiecesOf(editor.presented[0]), "20,10,30,90 170,10,180,90");

    patchy->patches.clear();
    unit.calls.clear();
    editor.presented.clear();
    Frame();
    EXPECT_TRUE(unit.calls.empty());
    EXPECT_TRUE(editor.presented.empty());
}

// The draw clip each control had while it painted, one frame over the
// pieces of a case; "cover" lies over the middle of "back", "top" over both.
TEST_F(DispatchTest, EarlierControlsSkipThePiecesAVisibleOpaqueLaterControlCoversWhole)
{
    Probe* back = Add("back", {0, 0, 200, 100});
    Probe* cover = Add("cover", {50, 0, 150, 100});
    Probe* top = Add("top", {60, 10, 90, 20});
    struct Case {
        const char* name;
        bool opaque, hidden;
        std::vector<IBox> pieces;
        const char *backClip, *coverClip, *topClip;  // null: not painted
    };
    const Case cases[] = {
        {"inside", true, false, {{60, 10, 70, 90}}, "", "60,10,70,90", "60,10,70,90"},
        {"not opaque",
         false,
         false,
         {{60, 10, 70, 90}},
         "60,10,70,90",
         "60,10,70,90",
         "60,10,70,90"},
        {"hidden", true, true, {{60, 10, 70, 90}}, "60,10,70,90", nullptr, "60,10,70,90"},
        {"partly outside",
         true,
         false,
         {{40, 10, 70, 90}},
         "40,10,70,90",
         "40,10,70,90",
         "40,10,70,90"},
        {"the whole cover", true, false, {{50, 0, 150, 100}}, "", "50,0,150,100", "50,0,150,100"},
        {"one piece of two",
         true,
         false,
         {{5, 5, 10, 10}, {100, 5, 110, 10}},
         "5,5,10,10",
         "5,5,10,10 100,5,110,10",
         nullptr},
    };
    for (const Case& c : cases) {
        cover->opaque = c.opaque;
        cover->hidden = c.hidden;
        std::vector<std::pair<std::string, std::string>> clips;
        for (Probe* probe : {back, cover, top})
            probe->onPaint = [&, probe] {
                clips.emplace_back(probe->name, PiecesOf(editor.DrawClip()));
            };
        IRegion region;
        for (const IBox& piece : c.pieces) region.Add(piece);
        editor.RedrawRegion(&region);
        std::vector<std::pair<std::string, std::string>> expected;
        if (c.backClip) expected.emplace_back("back", c.backClip);
        if (c.coverClip) expected.emplace_back("cover", c.coverClip);
        if (c.topClip) expected.emplace_back("top", c.topClip);
        EXPECT_EQ(clips, expected) << c.name;
        EXPECT_EQ(PiecesOf(editor.presented.back()), PiecesOf(region)) << c.name;
    }
}

TEST_F(DispatchTest, AControlThatMovedLeavesItsOldPlaceDirty)
{
    Add("back", {0, 0, 200, 100});
    Probe* mover = Add("mover", {10, 10, 20, 20});
    Frame();
    mover->rect = {50, 50, 60, 60};
    mover->MarkDirty(false);
    IRegion region;
    EXPECT_TRUE(editor.CollectDirtyRegion(&region));
    EXPECT_EQ(PiecesOf(region), "50,50,60,60 10,10,20,20");
    editor.RedrawRegion(&region);

    mover->MarkDirty(false);
    region.Clear();
    EXPECT_TRUE(editor.CollectDirtyRegion(&region));
    EXPECT_EQ(PiecesOf(region), "50,50,60,60") << "painted there since";
}

TEST_F(DispatchTest, TheHitTestRunsFromTheLastControlToTheFirst)
{
    Probe* first = Add("first", {10, 10, 30, 30});
    Probe* second = Add("second", {20, 20, 40, 40});
    struct Case {
        bool firstHidden, firstGreyed, secondHidden, secondGreyed, secondOverWhenGreyed;
        int x, y;
        int pressed, over;
    };
    const Case cases[] = {
        {false, false, false, false, false, 25, 25, 1, 1},
        {false, false, false, true, false, 25, 25, 0, 0},
        {false, false, false, true, true, 25, 25, 0, 1},
        {false, false, true, false, false, 25, 25, 0, 0},
        {true, false, false, true, false, 25, 25, -1, -1},
        {false, true, false, true, false, 25, 25, -1, -1},
        {false, false, false, false, false, 15, 15, 0, 0},
        {false, false, false, false, false, 35, 35, 1, 1},
        {false, false, false, false, false, 40, 40, -1, -1},
    };
    for (const Case& c : cases) {
        first->hidden = c.firstHidden;
        first->greyed = c.firstGreyed;
        second->hidden = c.secondHidden;
        second->greyed = c.secondGreyed;
        second->pointerOverWhenGreyed = c.secondOverWhenGreyed;
        EXPECT_EQ(editor.ControlIndexAt(c.x, c.y, false), c.pressed) << c.x << "," << c.y;
        EXPECT_EQ(editor.ControlIndexAt(c.x, c.y, true), c.over) << c.x << "," << c.y;
    }
    editor.capturedControl = 0;
    EXPECT_EQ(editor.ControlIndexAt(190, 90, false), 0);
}

TEST_F(DispatchTest, APressAndReleaseMakeOneGesture)
{
    Add("back", {0, 0, 200, 100});
    Add("knob", {10, 10, 30, 30}, 3);
    editor.DispatchMouseDown(15, 16, &left);
    EXPECT_EQ(editor.capturedControl, 1);
    editor.DispatchMouseUp(150, 90, &left);  // anywhere: the captured control has it
    EXPECT_EQ(editor.capturedControl, -1);
    EXPECT_EQ(unit.calls, (Calls{"begin 3", "knob down 15 16", "knob up 150 90", "end 3"}));

    unit.calls.clear();
    editor.DispatchMouseDown(150, 90, &left);  // the backdrop has no parameter
    editor.DispatchMouseUp(150, 90, &left);
    EXPECT_EQ(unit.calls, (Calls{"back down 150 90", "back up 150 90"}));
}

TEST_F(DispatchTest, NoEligibleControlTakesThePressAndNoGestureBegins)
{
    Probe* a = Add("a", {10, 10, 30, 30}, 1);
    Probe* b = Add("b", {10, 10, 30, 30}, 2);
    a->hidden = true;
    b->greyed = true;
    editor.DispatchMouseDown(15, 15, &left);
    editor.DispatchMouseUp(15, 15, &left);
    EXPECT_TRUE(unit.calls.empty());
}

TEST_F(DispatchTest, RightPressesUnderBindingKind1GoToThePlugIn)
{
    DispatchUnit kind1(4, "2-2", 1, 0x00010000, 1);
    Editor kind1Editor(&kind1, 100, 100);
    Probe* knob = new Probe(&kind1.calls, "knob", {10, 10, 30, 30}, 3);
    kind1Editor.AddControl(knob);
    kind1Editor.AddControl(new Probe(&kind1.calls, "label", {40, 10, 60, 30}));

    kind1Editor.DispatchMouseDown(12, 13, &right);
    EXPECT_EQ(kind1Editor.capturedControl, -1);
    kind1Editor.DispatchMouseUp(12, 13, &right);    // to the control under the pointer
    kind1Editor.DispatchMouseDown(45, 13, &right);  // no parameter: an ordinary press
    kind1Editor.DispatchMouseUp(45, 13, &right);
    kind1Editor.DispatchMouseDown(12, 13, &left);
    EXPECT_EQ(kind1.calls, (Calls{"right 3 12 13", "knob up 12 13", "label down 45 13",
                                  "label up 45 13", "begin 3", "knob down 12 13"}));

    // A stand-alone plug-in hands right presses to the control.
    Add("knob", {10, 10, 30, 30}, 3);
    editor.DispatchMouseDown(12, 13, &right);
    EXPECT_EQ(unit.calls, (Calls{"begin 3", "knob down 12 13"}));
}

TEST_F(DispatchTest, DragsSendTheMovementSinceTheLastEvent)
{
    Add("knob", {10, 10, 30, 30}, 0);
    editor.DispatchMouseDrag(20, 20, &left);  // no capture: nothing
    editor.DispatchMouseDown(20, 20, &left);
    editor.DispatchMouseDrag(20, 20, &left);  // not moved: nothing
    editor.DispatchMouseDrag(23, 18, &left);
    editor.DispatchMouseDrag(100, 90, &left);  // outside: still the captured control
    editor.DispatchMouseUp(100, 90, &left);
    editor.DispatchMouseDrag(101, 90, &left);
    EXPECT_EQ(unit.calls, (Calls{"begin 0", "knob down 20 20", "knob drag 23 18 3 -2",
                                 "knob drag 100 90 77 72", "knob up 100 90", "end 0"}));
}

TEST_F(DispatchTest, DoubleClicks)
{
    Add("plain", {0, 0, 10, 10}, 1);
    Probe* clicker = Add("clicker", {20, 0, 30, 10}, 2);
    clicker->doubleClickAsClick = true;

    EXPECT_FALSE(editor.DispatchDoubleClick(5, 5, &left));
    EXPECT_EQ(editor.capturedControl, -1);
    EXPECT_TRUE(editor.DispatchDoubleClick(25, 5, &left));
    EXPECT_EQ(editor.capturedControl, 1);
    editor.DispatchMouseUp(25, 5, &left);
    EXPECT_FALSE(editor.DispatchDoubleClick(100, 50, &left));
    // The press of a double click begins no gesture, so its release ends none.
    EXPECT_EQ(unit.calls, (Calls{"plain double 5 5", "clicker down 25 5", "clicker up 25 5"}));
}

TEST_F(DispatchTest, AGestureWithoutReleaseEndsBeforeTheNextBegins)
{
    Add("a", {0, 0, 10, 10}, 1);
    Add("b", {20, 0, 30, 10}, 2);
    editor.DispatchMouseDown(5, 5, &left);
    editor.DispatchMouseDown(25, 5, &left);  // the release of the first press was lost
    editor.DispatchDoubleClick(25, 5, &left);
    editor.DispatchMouseUp(25, 5, &left);
    EXPECT_EQ(unit.calls, (Calls{"begin 1", "a down 5 5", "end 1", "begin 2", "b down 25 5",
                                 "end 2", "b double 25 5", "b up 25 5"}));
}

TEST_F(DispatchTest, TheWheelGoesToTheControlUnderThePointerOrHoldingTheCapture)
{
    Add("a", {0, 0, 10, 10});
    Add("b", {20, 0, 30, 10});
    editor.DispatchWheel(5, 5, &left, 2);
    editor.DispatchWheel(50, 50, &left, 1);
    editor.DispatchMouseDown(25, 5, &left);
    editor.DispatchWheel(5, 5, &left, -3);
    EXPECT_EQ(unit.calls, (Calls{"a wheel 5 5 2", "b down 25 5", "b wheel 5 5 -3"}));
}

TEST_F(DispatchTest, PointerOverAndLeave)
{
    Add("a", {0, 0, 10, 10});
    Add("b", {20, 0, 30, 10});
    EXPECT_FALSE(editor.DispatchPointerOver(5, 5, &left));
    EXPECT_TRUE(unit.calls.empty());

    editor.handlePointerOver = true;
    EXPECT_TRUE(editor.DispatchPointerOver(5, 5, &left));
    EXPECT_TRUE(editor.DispatchPointerOver(6, 5, &left));
    EXPECT_TRUE(editor.DispatchPointerOver(25, 5, &left));
    EXPECT_TRUE(editor.DispatchPointerOver(50, 50, &left));  // over nothing: no leave
    EXPECT_EQ(editor.pointerOverControl, 1);
    editor.DispatchPointerLeave();
    EXPECT_EQ(editor.pointerOverControl, -1);
    EXPECT_EQ(unit.calls,
              (Calls{"a over 5 5", "a over 6 5", "b over 25 5", "a leave", "a leave", "b leave"}));
}

TEST_F(DispatchTest, KeysOverTheBackdropGoToTheKeyCatcher)
{
    Add("back", {0, 0, 200, 100});
    Probe* knob = Add("knob", {10, 10, 30, 30});
    knob->takesKeys = false;
    EXPECT_FALSE(editor.DispatchKey(100, 50, 3));  // no key catcher
    EXPECT_FALSE(editor.DispatchKey(15, 15, 4));
    editor.SetKeyCatcher(new Probe(&unit.calls, "catcher", {}));
    EXPECT_TRUE(editor.DispatchKey(100, 50, 5));
    EXPECT_TRUE(editor.DispatchKey(300, 300, 6));
    EXPECT_EQ(unit.calls, (Calls{"knob key 4", "catcher key 5", "catcher key 6"}));
}

TEST_F(DispatchTest, TheRememberedParameterIsTakenOnce)
{
    Add("back", {0, 0, 200, 100}, 2);
    Add("knob", {10, 10, 30, 30}, 3);
    EXPECT_EQ(editor.TakeClickedParam(), -1);
    editor.NoteClickedParam(15, 15);
    EXPECT_EQ(editor.TakeClickedParam(), 3);
    EXPECT_EQ(editor.TakeClickedParam(), -1);
    editor.NoteClickedParam(100, 50);  // the backdrop's parameter is not remembered
    EXPECT_EQ(editor.TakeClickedParam(), -1);
}

}  // namespace
