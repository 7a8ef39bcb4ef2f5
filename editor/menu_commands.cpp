#include "editor/menu_commands.h"

#include <cstdio>
#include <cstring>

#include "core/text_buffer.h"
#include "editor/popup_menu.h"

bool MenuIsBuilt(const PopupMenu* menu, int level, int nextId)
{
    return menu && level <= kMenuDepthLimit && nextId <= kMenuIdLimit - menu->items.Count();
}

PopupMenu* BuiltSubmenu(const PopupMenuItem* item, int level, int nextId)
{
    if (!item || (item->flags & PopupMenuItem::kSeparator)) return nullptr;
    return MenuIsBuilt(item->submenu, level + 1, nextId) ? item->submenu : nullptr;
}

PopupMenu* FindMenuCommand(int id, int* index, int* counter, PopupMenu* menu, int level)
{
    if (!counter || !MenuIsBuilt(menu, level, *counter)) return nullptr;
    const int first = *counter;
    const int count = menu->items.Count();
    *counter += count;
    if (id >= first && id < first + count) {
        const PopupMenuItem* item = menu->ItemAt(id - first);
        if (!item || item->submenu || (item->flags & PopupMenuItem::kSeparator)) return nullptr;
        if (index) *index = id - first;
        return menu;
    }
    for (int i = 0; i < count; ++i) {
        PopupMenu* submenu = BuiltSubmenu(menu->ItemAt(i), level, *counter);
        PopupMenu* found =
            submenu ? FindMenuCommand(id, index, counter, submenu, level + 1) : nullptr;
        if (found) return found;
    }
    return nullptr;
}

bool MenuItemLabel(const PopupMenu* menu, int index, TextBuffer* out)
{
    static const char* const kPrefixes[] = {"%1d: ", "%02d: ", "%03d: "};
    const char* text = menu ? menu->TextOfItem(index) : "";
    const int numbering = menu ? menu->numbering : 0;
    if (numbering < 1 || numbering > 3) return out->Assign(text);
    char prefix[24];  // any int and ": "
    const int length = std::snprintf(prefix, sizeof prefix, kPrefixes[numbering - 1], index + 1);
    return out->Assign(prefix) && out->Insert(length, text, int(std::strlen(text)), 0);
}
