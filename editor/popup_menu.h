#pragma once

#include "core/pointer_list.h"
#include "core/text_buffer.h"

class PopupMenu;

// One entry of a popup menu: a text with state flags, or a submenu.
class PopupMenuItem {
public:
    enum Flags { kGreyed = 1, kDisabled = 2, kChecked = 4, kSeparator = 8 };

    PopupMenuItem(PopupMenu* submenu, int flags) : submenu(submenu), flags(flags) {}

    void MarkChecked(bool checked);

    // Empty for a separator.
    TextBuffer text;
    // Shown from this item; it belongs to whoever made it, not to the item.
    PopupMenu* submenu;
    int flags;
};

// A platform-independent popup menu: the items in display order, how their
// texts are numbered when shown, and the item the user chose. The menu owns
// its items.
class PopupMenu {
public:
    PopupMenu() = default;
    ~PopupMenu();
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    // Index -1 appends; any other index is clamped to 0..count. Returns the
    // item, also when the list cannot grow and it stays with the caller;
    // null for a null item.
    PopupMenuItem* InsertItem(PopupMenuItem* item, int index);
    // These make the item and return it, or null (nothing made) when its text
    // cannot be copied or the list cannot grow. A null or empty text is "".
    PopupMenuItem* InsertTextItem(const char* text, int index, int flags);
    PopupMenuItem* InsertSubmenuItem(const char* text, int index, PopupMenu* submenu);
    PopupMenuItem* InsertSeparator(int index);
    PopupMenuItem* AppendSubmenuItem(const char* text, PopupMenu* submenu);

    PopupMenuItem* ItemAt(int index) const { return items.ItemAt(index); }
    // "" for an item without text and outside the list.
    const char* TextOfItem(int index) const;
    // Modes 0 to 3 are taken, others leave the numbering as it is.
    void SetNumbering(int mode);
    // False when there is no such item.
    bool SetItemChecked(int index, bool checked);
    // Checks that item and unchecks every other; an index outside the list
    // unchecks them all.
    void CheckOnlyItem(int index);
    bool ItemChecked(int index) const;

    // How texts are prefixed when shown, the number being the position from
    // 1: 0 none, 1 "%1d: %s", 2 "%02d: %s", 3 "%03d: %s".
    int numbering = 0;
    // The index of the chosen item, written by the editor into the menu that
    // holds it; -1 for none.
    int chosenItem = -1;
    PointerList<PopupMenuItem> items;

private:
    // Index -1 appends, others are clamped; false when the list cannot grow.
    bool Place(PopupMenuItem* item, int index);
    // Inserts a new item (null when it could not be made) with a copy of
    // text, or deletes it and answers null.
    PopupMenuItem* InsertNew(PopupMenuItem* item, const char* text, int index);
};
