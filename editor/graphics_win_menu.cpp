#include "editor/graphics_win.h"

#include "core/text_buffer.h"
#include "editor/menu_commands.h"
#include "editor/popup_menu.h"

namespace {

UINT ItemFlags(int flags)
{
    UINT native = MF_STRING;
    if (flags & PopupMenuItem::kGreyed) native |= MF_GRAYED;
    if (flags & PopupMenuItem::kDisabled) native |= MF_DISABLED;
    if (flags & PopupMenuItem::kChecked) native |= MF_CHECKED;
    return native;
}

// Appends the menu's items to native and builds its submenus; false when the
// system runs out of menus or memory.
bool AppendItems(HMENU native, PopupMenu* menu, int first, int* nextId, int level);

// Null when the menu is not built at level, or when the system cannot make it.
HMENU BuildMenuAt(PopupMenu* menu, int* nextId, int level)
{
    if (!MenuIsBuilt(menu, level, *nextId)) return nullptr;
    HMENU native = CreatePopupMenu();
    if (!native) return nullptr;
    const int first = *nextId;
    *nextId += menu->items.Count();
    if (AppendItems(native, menu, first, nextId, level)) return native;
    DestroyMenu(native);
    return nullptr;
}

bool AppendItems(HMENU native, PopupMenu* menu, int first, int* nextId, int level)
{
    TextBuffer label;
    for (int i = 0; i < menu->items.Count(); ++i) {
        const PopupMenuItem* item = menu->ItemAt(i);
        if (!item) continue;
        if (item->flags & PopupMenuItem::kSeparator) {
            if (!AppendMenuA(native, MF_SEPARATOR, 0, nullptr)) return false;
            continue;
        }
        if (!MenuItemLabel(menu, i, &label)) return false;
        if (!item->submenu) {
            if (!AppendMenuA(native, ItemFlags(item->flags), UINT_PTR(first + i), label.Get()))
                return false;
            continue;
        }
        // A submenu past the limits is left out; one that cannot be made fails the whole menu,
        // as the ids after it would no longer be those FindMenuCommand counts.
        PopupMenu* submenu = BuiltSubmenu(item, level, *nextId);
        if (!submenu) continue;
        HMENU built = BuildMenuAt(submenu, nextId, level + 1);
        if (!built) return false;
        if (!AppendMenuA(native, MF_POPUP, reinterpret_cast<UINT_PTR>(built), label.Get())) {
            DestroyMenu(built);
            return false;
        }
    }
    return true;
}

}  // namespace

HMENU BuildNativeMenu(PopupMenu* menu, int* nextId)
{
    return nextId ? BuildMenuAt(menu, nextId, 1) : nullptr;
}

PopupMenu* IGraphicsWin::RunPopupMenu(PopupMenu* menu, IBox* box)
{
    ReleasePointerCapture();
    if (!window || !menu) return nullptr;
    int nextId = 0;
    HMENU native = BuildNativeMenu(menu, &nextId);
    if (!native) return nullptr;

    POINT at = {box ? box->left : 0, box ? box->bottom : 0};
    HWND owner = window;
    ClientToScreen(owner, &at);
    PopupMenu* chosen = nullptr;
    MSG command;
    // The choice arrives as a WM_COMMAND posted to the window, unless the
    // window went while the menu was shown.
    if (TrackPopupMenu(native, TPM_LEFTBUTTON, at.x, at.y, 0, owner, nullptr) && window == owner &&
        PeekMessageA(&command, owner, WM_COMMAND, WM_COMMAND, PM_REMOVE) &&
        command.wParam <= 0xFFFF) {
        int index = -1;
        int counter = 0;
        chosen = FindMenuCommand(LOWORD(command.wParam), &index, &counter, menu);
        if (chosen) chosen->chosenItem = index;
    }
    DestroyMenu(native);
    if (window != owner) return chosen;
    InvalidateAll();
    return chosen;
}
