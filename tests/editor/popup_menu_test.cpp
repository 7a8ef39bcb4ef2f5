#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "editor/popup_menu.h"
#include "support/failing_allocator.h"

namespace {

// Each way of putting an item into a menu, at an index; sub is the
// submenu for the kinds that take one.
struct Inserter {
    const char* name;
    PopupMenuItem* (*insert)(PopupMenu& menu, PopupMenu* sub, int index);
};
const Inserter kInserters[] = {
    {"item", [](PopupMenu& m, PopupMenu*,
                int i) { return m.InsertItem(new PopupMenuItem(nullptr, 0), i); }},
    {"text", [](PopupMenu& m, PopupMenu*, int i) { return m.InsertTextItem("new", i, 0); }},
    {"null text", [](PopupMenu& m, PopupMenu*, int i) { return m.InsertTextItem(nullptr, i, 0); }},
    {"submenu", [](PopupMenu& m, PopupMenu* s, int i) { return m.InsertSubmenuItem("sub", i, s); }},
    {"empty submenu",
     [](PopupMenu& m, PopupMenu* s, int i) { return m.InsertSubmenuItem("", i, s); }},
    {"separator", [](PopupMenu& m, PopupMenu*, int i) { return m.InsertSeparator(i); }},
};

void FillAB(PopupMenu& menu)
{
    menu.InsertTextItem("a", -1, 0);
    menu.InsertTextItem("b", -1, 0);
}

TEST(PopupMenu, InsertClampsTheIndex)
{
    struct Case {
        int index;
        int placed;
    };
    const Case cases[] = {{5, 2}, {-7, 0}, {-1, 2}, {0, 0}, {1, 1}, {2, 2}, {-2, 0}};
    for (const Inserter& inserter : kInserters) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(inserter.name) + " at " + std::to_string(c.index));
            PopupMenu sub;
            PopupMenu menu;
            FillAB(menu);
            PopupMenuItem* item = inserter.insert(menu, &sub, c.index);
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(menu.items.Count(), 3);
            EXPECT_EQ(menu.ItemAt(c.placed), item);
            // The others keep their order around it.
            EXPECT_STREQ(menu.TextOfItem(c.placed == 0 ? 1 : 0), "a");
            EXPECT_STREQ(menu.TextOfItem(c.placed == 2 ? 1 : 2), "b");
        }
    }
}

TEST(PopupMenu, ItemsHoldTextSubmenuAndFlags)
{
    PopupMenu sub;
    char source[] = "Gain";
    struct Case {
        const char* name;
        PopupMenuItem* (*make)(PopupMenu& menu, PopupMenu* sub, const char* text);
        const char* text;
        bool hasSubmenu;
        int flags;
    };
    const Case cases[] = {
        {"text", [](PopupMenu& m, PopupMenu*, const char* t) { return m.InsertTextItem(t, 0, 7); },
         "Gain", false, 7},
        {"null text",
         [](PopupMenu& m, PopupMenu*, const char*) { return m.InsertTextItem(nullptr, 0, 1); }, "",
         false, 1},
        {"empty text",
         [](PopupMenu& m, PopupMenu*, const char*) { return m.InsertTextItem("", 0, 0); }, "",
         false, 0},
        {"submenu",
         [](PopupMenu& m, PopupMenu* s, const char* t) { return m.InsertSubmenuItem(t, 0, s); },
         "Gain", true, 0},
        {"appended submenu",
         [](PopupMenu& m, PopupMenu* s, const char* t) { return m.AppendSubmenuItem(t, s); },
         "Gain", true, 0},
        {"separator", [](PopupMenu& m, PopupMenu*, const char*) { return m.InsertSeparator(0); },
         "", false, PopupMenuItem::kSeparator},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::strcpy(source, "Gain");
        PopupMenu menu;
        PopupMenuItem* item = c.make(menu, &sub, source);
        ASSERT_NE(item, nullptr);
        source[0] = 'X';  // the item keeps a copy
        EXPECT_STREQ(item->text.Get(), c.text);
        EXPECT_EQ(item->submenu, c.hasSubmenu ? &sub : nullptr);
        EXPECT_EQ(item->flags, c.flags);
    }
}

TEST(PopupMenu, AppendSubmenuItemGoesLast)
{
    PopupMenu sub;
    PopupMenu menu;
    FillAB(menu);
    PopupMenuItem* item = menu.AppendSubmenuItem("c", &sub);
    EXPECT_EQ(menu.ItemAt(2), item);
}

TEST(PopupMenu, QueriesOutsideTheList)
{
    PopupMenu menu;
    menu.InsertTextItem("a", -1, PopupMenuItem::kChecked);
    menu.InsertSeparator(-1);
    EXPECT_STREQ(menu.TextOfItem(0), "a");
    for (int index : {1, 99, 2, -1}) {
        SCOPED_TRACE(index);
        EXPECT_STREQ(menu.TextOfItem(index), "");
    }
    for (int index : {99, 2, -1}) {
        SCOPED_TRACE(index);
        EXPECT_EQ(menu.ItemAt(index), nullptr);
        EXPECT_FALSE(menu.ItemChecked(index));
        EXPECT_FALSE(menu.SetItemChecked(index, true));
    }
}

TEST(PopupMenu, NumberingTakesModesZeroToThree)
{
    struct Case {
        int mode;
        int numbering;
    };
    const Case cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 2}, {-1, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        PopupMenu menu;
        EXPECT_EQ(menu.numbering, 0);
        menu.SetNumbering(2);
        menu.SetNumbering(c.mode);
        EXPECT_EQ(menu.numbering, c.numbering);
    }
}

TEST(PopupMenu, StartsWithNoChoice)
{
    PopupMenu menu;
    EXPECT_EQ(menu.chosenItem, -1);
}

TEST(PopupMenu, CheckOnlyItemLeavesOneOrNone)
{
    struct Case {
        int index;
        bool checked[3];
    };
    const Case cases[] = {
        {1, {false, true, false}},
        {0, {true, false, false}},
        {3, {false, false, false}},
        {-1, {false, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        PopupMenu menu;
        for (int i = 0; i < 3; ++i) menu.InsertTextItem("x", -1, PopupMenuItem::kChecked | 1);
        menu.CheckOnlyItem(c.index);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(menu.ItemChecked(i), c.checked[i]) << i;
            EXPECT_EQ(menu.ItemAt(i)->flags & ~PopupMenuItem::kChecked, 1) << i;
        }
    }
}

TEST(PopupMenu, CheckingTouchesOnlyTheCheckFlag)
{
    PopupMenu menu;
    PopupMenuItem* item = menu.InsertTextItem("x", -1, PopupMenuItem::kGreyed);
    EXPECT_TRUE(menu.SetItemChecked(0, true));
    EXPECT_EQ(item->flags, PopupMenuItem::kGreyed | PopupMenuItem::kChecked);
    EXPECT_TRUE(menu.ItemChecked(0));
    EXPECT_TRUE(menu.SetItemChecked(0, false));
    EXPECT_EQ(item->flags, PopupMenuItem::kGreyed);
    item->MarkChecked(true);
    item->MarkChecked(true);
    EXPECT_EQ(item->flags, PopupMenuItem::kGreyed | PopupMenuItem::kChecked);
}

TEST(PopupMenu, SubmenusOutliveTheirParent)
{
    // On the stack: an item that deleted its submenu would free memory the
    // heap never gave.
    PopupMenu sub;
    sub.InsertTextItem("inner", -1, 0);
    {
        PopupMenu menu;
        menu.InsertSubmenuItem("outer", -1, &sub);
        menu.AppendSubmenuItem("again", &sub);
    }
    EXPECT_STREQ(sub.TextOfItem(0), "inner");
}

TEST(PopupMenu, NullItemIsRefused)
{
    PopupMenu menu;
    EXPECT_EQ(menu.InsertItem(nullptr, -1), nullptr);
    EXPECT_EQ(menu.items.Count(), 0);
}

// Refuses the blocks of a pointer list (4000 bytes and more) but not a short text.
class ListGrowthFails {
public:
    ListGrowthFails() { SetHeapAllocator(&kAllocator); }
    ~ListGrowthFails() { SetHeapAllocator(nullptr); }

private:
    static constexpr size_t kLimit = 1024;
    static void* Reallocate(void* block, size_t bytes)
    {
        return bytes < kLimit ? std::realloc(block, bytes) : nullptr;
    }
    static void* Allocate(size_t bytes) { return bytes < kLimit ? std::malloc(bytes) : nullptr; }
    static constexpr HeapAllocator kAllocator = {Reallocate, Allocate, std::free};
};

// A new item that cannot be added is deleted (the sanitizer's leak check
// sees it otherwise); an item the caller made stays with the caller.
TEST(PopupMenuGrowthFailure, NewItemsAreDeleted)
{
    for (const Inserter& inserter : kInserters) {
        for (bool textFails : {true, false}) {
            SCOPED_TRACE(std::string(inserter.name) + (textFails ? ", nothing grows" : ", list"));
            PopupMenu sub;
            PopupMenu menu;
            PopupMenuItem* returned;
            if (textFails) {
                FailingAllocator failing;
                returned = inserter.insert(menu, &sub, -1);
            } else {
                ListGrowthFails failing;
                returned = inserter.insert(menu, &sub, -1);
            }
            EXPECT_EQ(menu.items.Count(), 0);
            if (std::strcmp(inserter.name, "item") == 0) {
                ASSERT_NE(returned, nullptr);
                delete returned;
            } else {
                EXPECT_EQ(returned, nullptr);
            }
        }
    }
}

}  // namespace
