#pragma once

class PopupMenu;
class PopupMenuItem;
class TextBuffer;

// Native menus number their items with ids: each menu reserves a block of
// consecutive ids, one per item, before its submenus are built, and each
// submenu is built when its item is reached. An item's id is its menu's first
// id plus its index; separators and items opening submenus are no commands.

// The deepest level a menu is built at, the top menu being level 1: a menu
// that holds itself ends there.
constexpr int kMenuDepthLimit = 16;
// Commands arrive as 16-bit ids: a menu whose block would pass this is not built.
constexpr int kMenuIdLimit = 0x10000;

// Whether the menu is built at level with its block starting at nextId.
bool MenuIsBuilt(const PopupMenu* menu, int level, int nextId);
// The submenu that an item of a menu at level builds when it is reached with
// nextId, or null: separators build none.
PopupMenu* BuiltSubmenu(const PopupMenuItem* item, int level, int nextId);

// The menu owning command id, with *index the item's index in it; null when
// no command has that id. The walk starts at *counter (0 for a top menu) and
// advances it as the ids are reserved.
PopupMenu* FindMenuCommand(int id, int* index, int* counter, PopupMenu* menu, int level = 1);

// The label a menu shows for its item: the text, or with numbering 1, 2 or 3
// the position from 1 and the text as "%1d: %s", "%02d: %s" or "%03d: %s".
// False when the label cannot be stored.
bool MenuItemLabel(const PopupMenu* menu, int index, TextBuffer* out);
