#include "editor/graphics_win.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "editor/menu_commands.h"
#include "editor/popup_menu.h"

#include "editor_window_scene.h"

namespace {

// a (checked), a submenu of x (greyed) and y (disabled) numbered 2, a
// separator, c: the top takes ids 0 to 3, the submenu 4 and 5.
struct SampleTree {
    SampleTree()
    {
        top.InsertTextItem("a", -1, PopupMenuItem::kChecked);
        top.AppendSubmenuItem("sub", &sub);
        top.InsertSeparator(-1);
        top.InsertTextItem("c", -1, 0);
        sub.SetNumbering(2);
        sub.InsertTextItem("x", -1, PopupMenuItem::kGreyed);
        sub.InsertTextItem("y", -1, PopupMenuItem::kDisabled);
    }
    PopupMenu top;
    PopupMenu sub;
};

constexpr UINT kStateBits = MF_CHECKED | MF_GRAYED | MF_DISABLED | MF_SEPARATOR | MF_POPUP;

std::string MenuString(HMENU menu, int position)
{
    char text[64] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

// A menu that holds itself: a text item and the menu again.
struct SelfHolding {
    SelfHolding()
    {
        menu.InsertTextItem("a", -1, 0);
        menu.AppendSubmenuItem("again", &menu);
    }
    PopupMenu menu;
};

TEST(NativeMenu, ItemsCarryTheirIdsStatesAndLabels)
{
    SampleTree tree;
    int nextId = 0;
    HMENU top = BuildNativeMenu(&tree.top, &nextId);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(nextId, 6);
    ASSERT_EQ(GetMenuItemCount(top), 4);
    HMENU sub = GetSubMenu(top, 1);
    ASSERT_NE(sub, nullptr);
    ASSERT_EQ(GetMenuItemCount(sub), 2);

    struct Case {
        HMENU menu;
        int position;
        UINT id;
        UINT state;
        const char* label;
    } cases[] = {
        {top, 0, 0, MF_CHECKED, "a"},    {top, 1, UINT(-1), MF_POPUP, "sub"},
        {top, 2, 0, MF_SEPARATOR, ""},   {top, 3, 3, 0, "c"},
        {sub, 0, 4, MF_GRAYED, "01: x"}, {sub, 1, 5, MF_DISABLED, "02: y"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(GetMenuItemID(c.menu, c.position), c.id);
        // A separator may read greyed as well.
        const UINT bits = c.state == MF_SEPARATOR ? MF_SEPARATOR : kStateBits;
        EXPECT_EQ(GetMenuState(c.menu, c.position, MF_BYPOSITION) & bits, c.state);
        EXPECT_EQ(MenuString(c.menu, c.position), c.label);
    }
    DestroyMenu(top);
}

TEST(NativeMenu, ASeparatorBuildsNoSubmenu)
{
    SampleTree tree;
    tree.top.ItemAt(1)->flags = PopupMenuItem::kSeparator;
    int nextId = 0;
    HMENU top = BuildNativeMenu(&tree.top, &nextId);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(nextId, 4);
    EXPECT_EQ(GetSubMenu(top, 1), nullptr);
    EXPECT_TRUE(GetMenuState(top, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(GetMenuItemID(top, 3), 3u);
    DestroyMenu(top);
}

TEST(NativeMenu, AMenuHoldingItselfEndsAtTheDepthLimit)
{
    SelfHolding self;
    int nextId = 0;
    HMENU top = BuildNativeMenu(&self.menu, &nextId);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(nextId, 2 * kMenuDepthLimit);
    HMENU deepest = top;
    for (int level = 1; level < kMenuDepthLimit; ++level) {
        SCOPED_TRACE(level);
        ASSERT_EQ(GetMenuItemCount(deepest), 2);
        EXPECT_EQ(GetMenuItemID(deepest, 0), UINT(2 * (level - 1)));
        deepest = GetSubMenu(deepest, 1);
        ASSERT_NE(deepest, nullptr);
    }
    // The submenu item of the last level is left out.
    EXPECT_EQ(GetMenuItemCount(deepest), 1);
    EXPECT_EQ(GetMenuItemID(deepest, 0), UINT(2 * (kMenuDepthLimit - 1)));
    DestroyMenu(top);
}

TEST(NativeMenu, NoMenuBuildsNothing)
{
    int nextId = 7;
    EXPECT_EQ(BuildNativeMenu(nullptr, &nextId), nullptr);
    EXPECT_EQ(nextId, 7);
}

// Posts keys to the open menu window, one per timer round; after too many
// rounds it ends the menu, so that no test can hang in the menu's loop.
struct MenuDriver {
    std::vector<WPARAM> keys;
    size_t posted = 0;
    int rounds = 0;
    RECT shownAt = {};
};
MenuDriver gDriver;
HWND gDestroyed = nullptr;
HWND gOther = nullptr;
constexpr int kMaxRounds = 100;

BOOL CALLBACK FindMenuWindow(HWND window, LPARAM found)
{
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) != "#32768" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

void CALLBACK DriveMenu(HWND, UINT, UINT_PTR, DWORD)
{
    if (++gDriver.rounds > kMaxRounds) {
        EndMenu();
        return;
    }
    HWND menu = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindMenuWindow, reinterpret_cast<LPARAM>(&menu));
    if (!menu || gDriver.posted == gDriver.keys.size()) return;
    if (gDriver.posted == 0) GetWindowRect(menu, &gDriver.shownAt);
    const UINT key = UINT(gDriver.keys[gDriver.posted++]);
    PostMessageA(menu, WM_KEYDOWN, key, MAKELPARAM(1, MapVirtualKeyA(key, MAPVK_VK_TO_VSC)));
}

class EditorMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(EditorWindowClassUses, 0);
        ASSERT_NE(scene.Open(), nullptr);
    }

    // Runs the menu under the box while the driver posts keys; every key must
    // have reached an open menu.
    PopupMenu* Run(PopupMenu* menu, std::vector<WPARAM> keys)
    {
        gDriver = MenuDriver{};
        gDriver.keys = std::move(keys);
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, DriveMenu);
        PopupMenu* chosen = scene.editor->RunPopupMenu(menu, &box);
        KillTimer(nullptr, timer);
        EXPECT_EQ(gDriver.posted, gDriver.keys.size());
        EXPECT_LE(gDriver.rounds, kMaxRounds);
        return chosen;
    }

    EditorScene scene;
    IBox box = {10, 12, 30, 32};
};

TEST_F(EditorMenu, ReturnsTheMenuHoldingTheChosenItem)
{
    struct Case {
        const char* name;
        std::vector<WPARAM> keys;
        bool inSubmenu;
        int chosen;  // -1: nothing chosen
    };
    const Case cases[] = {
        {"first", {VK_DOWN, VK_RETURN}, false, 0},
        {"last", {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}, false, 3},
        {"in the submenu", {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}, true, 1},
        {"cancelled", {VK_DOWN, VK_ESCAPE}, false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SampleTree tree;
        tree.sub.ItemAt(1)->flags = 0;  // chosen from the submenu
        PopupMenu* holder = c.inSubmenu ? &tree.sub : &tree.top;
        PopupMenu* other = c.inSubmenu ? &tree.top : &tree.sub;
        PopupMenu* chosen = Run(&tree.top, c.keys);
        EXPECT_EQ(chosen, c.chosen < 0 ? nullptr : holder);
        EXPECT_EQ(holder->chosenItem, c.chosen);
        EXPECT_EQ(other->chosenItem, -1);
    }
}

TEST_F(EditorMenu, OpensAtTheBoxsLeftAndBottomOnTheScreen)
{
    SampleTree tree;
    Run(&tree.top, {VK_ESCAPE});
    POINT at = {box.left, box.bottom};
    ClientToScreen(scene.Window(), &at);
    EXPECT_EQ(gDriver.shownAt.left, at.x);
    EXPECT_EQ(gDriver.shownAt.top, at.y);
}

TEST_F(EditorMenu, AMenuHoldingItselfRuns)
{
    SelfHolding self;
    // Into the second level and its first item.
    EXPECT_EQ(Run(&self.menu, {VK_DOWN, VK_DOWN, VK_RIGHT, VK_RETURN}), &self.menu);
    EXPECT_EQ(self.menu.chosenItem, 0);
}

TEST_F(EditorMenu, TheMenuEndsAPressOnAControl)
{
    for (const bool withMenu : {false, true}) {
        SCOPED_TRACE(withMenu);
        scene.knob->value = 0.5;
        scene.SendAt(WM_LBUTTONDOWN, MK_LBUTTON, kKnobCentre);
        SampleTree tree;
        if (withMenu) Run(&tree.top, {VK_ESCAPE});
        // The menu took the system's capture; the editor's own must end as well.
        SetCapture(scene.Window());
        scene.SendAt(WM_MOUSEMOVE, MK_LBUTTON, POINT{20, 15});
        EXPECT_DOUBLE_EQ(scene.knob->value, withMenu ? 0.5 : 0.75);
        scene.SendAt(WM_LBUTTONUP, 0, kKnobCentre);
    }
}

TEST_F(EditorMenu, ARightClickOnAPromptingControlOfABoolChoosesFromItsValueTexts)
{
    // A knob for parameter 1 ("off" and "on", off now) over the backdrop.
    IKnobMultiControl* knob = new IKnobMultiControl(
        scene.unit.get(), 80, 50, 1,
        MakeStrip(scene.editor, kControlSize, kControlSize, kKnobFrames), 0, 1.0);
    knob->promptDisabled = false;
    scene.editor->AddControl(knob);
    gDriver = MenuDriver{};
    gDriver.keys = {VK_DOWN, VK_DOWN, VK_RETURN};
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, DriveMenu);
    scene.SendAt(WM_RBUTTONDOWN, MK_RBUTTON, POINT{90, 60});
    KillTimer(nullptr, timer);
    scene.SendAt(WM_RBUTTONUP, 0, POINT{90, 60});
    EXPECT_EQ(gDriver.posted, gDriver.keys.size());
    EXPECT_EQ(scene.unit->ParameterAt(1)->Value(), 1.0);
    EXPECT_TRUE(scene.Logged("changed 1"));
    EXPECT_EQ(scene.editor->TextEntryWindow(), nullptr);
}

// The window goes while its menu is shown; a command meant for another
// window is not taken for a choice.
void CALLBACK DestroyUnderTheMenu(HWND, UINT, UINT_PTR, DWORD)
{
    if (++gDriver.rounds > kMaxRounds) {
        EndMenu();
        return;
    }
    HWND menu = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindMenuWindow, reinterpret_cast<LPARAM>(&menu));
    if (!menu || gDriver.posted) return;
    gDriver.posted = 1;
    DestroyWindow(gDestroyed);
    EndMenu();
    PostMessageA(gOther, WM_COMMAND, 0, 0);
}

TEST_F(EditorMenu, TheWindowGoingUnderTheMenuChoosesNothing)
{
    SampleTree tree;
    gDriver = MenuDriver{};
    gDestroyed = scene.host;
    gOther = scene.root;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, DestroyUnderTheMenu);
    EXPECT_EQ(scene.editor->RunPopupMenu(&tree.top, &box), nullptr);
    KillTimer(nullptr, timer);
    EXPECT_EQ(gDriver.posted, 1u);
    EXPECT_EQ(tree.top.chosenItem, -1);
    EXPECT_EQ(scene.Window(), nullptr);
    MSG left;
    EXPECT_TRUE(PeekMessageA(&left, scene.root, WM_COMMAND, WM_COMMAND, PM_REMOVE));
}

TEST_F(EditorMenu, NothingRunsWithoutAMenuOrAWindow)
{
    EXPECT_EQ(scene.editor->RunPopupMenu(nullptr, &box), nullptr);
    SampleTree tree;
    scene.editor->CloseEditorWindow();
    EXPECT_EQ(scene.editor->RunPopupMenu(&tree.top, &box), nullptr);
    EXPECT_EQ(tree.top.chosenItem, -1);
}

}  // namespace
