#include <gtest/gtest.h>

#include <string>

#include "core/text_buffer.h"
#include "editor/menu_commands.h"
#include "editor/popup_menu.h"

namespace {

struct Lookup {
    int id;
    const PopupMenu* menu;  // null: no command has the id
    int index;
};

void ExpectLookups(PopupMenu* top, const Lookup* begin, const Lookup* end)
{
    for (const Lookup* c = begin; c != end; ++c) {
        SCOPED_TRACE("id " + std::to_string(c->id));
        int index = -5;
        int counter = 0;
        EXPECT_EQ(FindMenuCommand(c->id, &index, &counter, top), c->menu);
        if (c->menu) {
            EXPECT_EQ(index, c->index);
        }
    }
}

// The ids a whole walk reserves.
int IdsReserved(PopupMenu* top)
{
    int index = 0;
    int counter = 0;
    EXPECT_EQ(FindMenuCommand(-1, &index, &counter, top), nullptr);
    return counter;
}

// a, a submenu of x and y, c.
struct SampleTree {
    SampleTree()
    {
        top.InsertTextItem("a", -1, 0);
        top.AppendSubmenuItem("sub", &sub);
        top.InsertTextItem("c", -1, 0);
        sub.InsertTextItem("x", -1, 0);
        sub.InsertTextItem("y", -1, 0);
    }
    PopupMenu top;
    PopupMenu sub;
};

TEST(MenuCommands, SubmenusTakeTheNextBlock)
{
    SampleTree tree;
    const Lookup cases[] = {
        {0, &tree.top, 0}, {1, nullptr, 0},  // the submenu's item is no command
        {2, &tree.top, 2}, {3, &tree.sub, 0}, {4, &tree.sub, 1},
        {5, nullptr, 0},   {99, nullptr, 0},  {-1, nullptr, 0},
    };
    ExpectLookups(&tree.top, std::begin(cases), std::end(cases));
    EXPECT_EQ(IdsReserved(&tree.top), 5);
}

TEST(MenuCommands, CountingStartsAtTheCounter)
{
    SampleTree tree;
    int index = -5;
    int counter = 10;
    EXPECT_EQ(FindMenuCommand(14, &index, &counter, &tree.top), &tree.sub);
    EXPECT_EQ(index, 1);
}

TEST(MenuCommands, SeparatorsBuildNoSubmenu)
{
    SampleTree tree;
    tree.top.ItemAt(1)->flags = PopupMenuItem::kSeparator;
    const Lookup cases[] = {{0, &tree.top, 0}, {1, nullptr, 0}, {2, &tree.top, 2}, {3, nullptr, 0}};
    ExpectLookups(&tree.top, std::begin(cases), std::end(cases));
    EXPECT_EQ(IdsReserved(&tree.top), 3);
}

TEST(MenuCommands, MenusHoldingThemselvesEndAtTheDepthLimit)
{
    // Each level reserves two ids: its text item's and its submenu item's.
    const int last = 2 * (kMenuDepthLimit - 1);
    {
        SCOPED_TRACE("directly");
        PopupMenu self;
        self.InsertTextItem("a", -1, 0);
        self.AppendSubmenuItem("again", &self);
        const Lookup cases[] = {{0, &self, 0},
                                {2, &self, 0},
                                {last, &self, 0},
                                {last + 1, nullptr, 0},
                                {last + 2, nullptr, 0}};
        ExpectLookups(&self, std::begin(cases), std::end(cases));
        EXPECT_EQ(IdsReserved(&self), 2 * kMenuDepthLimit);
    }
    {
        SCOPED_TRACE("through a submenu");
        PopupMenu a;
        PopupMenu b;
        a.InsertTextItem("a", -1, 0);
        a.AppendSubmenuItem("b", &b);
        b.InsertTextItem("b", -1, 0);
        b.AppendSubmenuItem("a", &a);
        const PopupMenu* deepest = kMenuDepthLimit % 2 ? &a : &b;
        const Lookup cases[] = {{0, &a, 0}, {2, &b, 0}, {last, deepest, 0}, {last + 2, nullptr, 0}};
        ExpectLookups(&a, std::begin(cases), std::end(cases));
        EXPECT_EQ(IdsReserved(&a), 2 * kMenuDepthLimit);
    }
}

TEST(MenuCommands, IdsStopAtTheCommandRange)
{
    // Twice itself: the tree to the depth limit would need 2^17 - 2 ids.
    PopupMenu twice;
    twice.AppendSubmenuItem("left", &twice);
    twice.AppendSubmenuItem("right", &twice);
    EXPECT_EQ(IdsReserved(&twice), kMenuIdLimit);
}

TEST(MenuCommands, LabelsFollowTheNumbering)
{
    struct Case {
        int numbering;
        int index;
        const char* text;
        const char* label;
    };
    const Case cases[] = {
        {0, 4, "text", "text"},      {1, 4, "text", "5: text"},
        {2, 4, "text", "05: text"},  {3, 4, "text", "005: text"},
        {1, 11, "text", "12: text"}, {2, 99, "text", "100: text"},
        {2, 0, "", "01: "},          {0, 0, "", ""},
        {2, 7, nullptr, "08: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.numbering) + " at " + std::to_string(c.index));
        PopupMenu menu;
        menu.SetNumbering(c.numbering);
        for (int i = 0; i < c.index; ++i) menu.InsertTextItem("other", -1, 0);
        if (c.text) menu.InsertTextItem(c.text, -1, 0);
        TextBuffer label;
        ASSERT_TRUE(MenuItemLabel(&menu, c.index, &label));
        EXPECT_STREQ(label.Get(), c.label);
    }
}

}  // namespace
