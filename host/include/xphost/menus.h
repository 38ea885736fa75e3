#pragma once
// The simulator's menus: the Plugins menu, the submenus plug-ins create, and choosing an item
// as a user does.

#include <string>
#include <vector>

#include "XPLMMenus.h"

namespace xphost {

struct MenuItem {
    std::string Name;
    void *ItemRef = nullptr;
    XPLMMenuID Submenu = nullptr; // the menu attached to this item, if any
};

XPLMMenuID pluginsMenu();
bool menuExists(XPLMMenuID menu);
// Items of a live menu, in order; empty for an unknown menu.
std::vector<MenuItem> menuItems(XPLMMenuID menu);
std::string menuName(XPLMMenuID menu);
std::size_t menuCount(); // live menus, the Plugins menu included

// Chooses an item by its path of names from the Plugins menu, e.g. {"Plotwrite",
// "Graph Window"}: every name but the last must open a submenu; the last item's menu handler
// is called with the menu's and the item's references. Returns false and says why in *error
// when the path does not lead to an item of a menu with a handler.
bool chooseMenuItem(const std::vector<std::string> &path, std::string *error = nullptr);

} // namespace xphost
