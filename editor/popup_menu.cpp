#include "editor/popup_menu.h"

#include <new>

void PopupMenuItem::MarkChecked(bool checked)
{
    if (checked)
        flags |= kChecked;
    else
        flags &= ~kChecked;
}

PopupMenu::~PopupMenu()
{
    items.Clear(true);
}

PopupMenuItem* PopupMenu::InsertItem(PopupMenuItem* item, int index)
{
    if (!item) return nullptr;
    Place(item, index);
    return item;
}

bool PopupMenu::Place(PopupMenuItem* item, int index)
{
    return items.InsertAt(index == -1 ? items.Count() : index, item) != nullptr;
}

PopupMenuItem* PopupMenu::InsertNew(PopupMenuItem* item, const char* text, int index)
{
    if (!item) return nullptr;
    // A null or empty text leaves the buffer unassigned: it reads "" and holds no block.
    const bool copied = !text || !*text || item->text.Assign(text);
    if (!copied || !Place(item, index)) {
        delete item;
        return nullptr;
    }
    return item;
}

PopupMenuItem* PopupMenu::InsertTextItem(const char* text, int index, int flags)
{
    return InsertNew(new (std::nothrow) PopupMenuItem(nullptr, flags), text, index);
}

PopupMenuItem* PopupMenu::InsertSubmenuItem(const char* text, int index, PopupMenu* submenu)
{
    return InsertNew(new (std::nothrow) PopupMenuItem(submenu, 0), text, index);
}

PopupMenuItem* PopupMenu::InsertSeparator(int index)
{
    return InsertNew(new (std::nothrow) PopupMenuItem(nullptr, PopupMenuItem::kSeparator), nullptr,
                     index);
}

PopupMenuItem* PopupMenu::AppendSubmenuItem(const char* text, PopupMenu* submenu)
{
    return InsertSubmenuItem(text, -1, submenu);
}

const char* PopupMenu::TextOfItem(int index) const
{
    const PopupMenuItem* item = ItemAt(index);
    return item ? item->text.Get() : "";
}

void PopupMenu::SetNumbering(int mode)
{
    if (mode >= 0 && mode <= 3) numbering = mode;
}

bool PopupMenu::SetItemChecked(int index, bool checked)
{
    PopupMenuItem* item = ItemAt(index);
    if (!item) return false;
    item->MarkChecked(checked);
    return true;
}

void PopupMenu::CheckOnlyItem(int index)
{
    for (int i = 0; i < items.Count(); ++i) SetItemChecked(i, i == index);
}

bool PopupMenu::ItemChecked(int index) const
{
    const PopupMenuItem* item = ItemAt(index);
    return item && (item->flags & PopupMenuItem::kChecked);
}
