// The Plugins menu and the submenus plug-ins hang under it.
#include "xphost/menus.h"

#include <map>
#include <memory>

#include "host_internal.h"
#include "xphost/host.h"

namespace xphost {
namespace {

struct Menu {
    std::string name;
    std::vector<MenuItem> items;
    std::vector<const void *> itemOwners; // the module that appended each item, if any
    const void *owner = nullptr;          // the module that created the menu, if any
    XPLMMenuHandler_f handler = nullptr;
    void *menuRef = nullptr;
    Menu *parent = nullptr;
    int parentItem = -1;
};

struct Menus {
    std::unique_ptr<Menu> plugins;
    std::map<const Menu *, std::unique_ptr<Menu>> created;
    const void *runningModule = nullptr;
};

Menus &menus() {
    static Menus instance;
    return instance;
}

Menu *pluginsMenuObject() {
    Menus &all = menus();
    if (!all.plugins) {
        all.plugins = std::make_unique<Menu>();
        all.plugins->name = "Plugins";
    }
    return all.plugins.get();
}

Menu *liveMenu(XPLMMenuID id) {
    if (id == nullptr) return nullptr;
    if (id == pluginsMenuObject()) return pluginsMenuObject();
    auto it = menus().created.find(static_cast<const Menu *>(id));
    return it == menus().created.end() ? nullptr : it->second.get();
}

void destroyMenu(Menu *menu) {
    // Submenus go with their parent.
    for (MenuItem &item : menu->items)
        if (Menu *sub = liveMenu(item.Submenu)) destroyMenu(sub);
    if (Menu *parent = menu->parent) {
        if (menu->parentItem >= 0 && menu->parentItem < static_cast<int>(parent->items.size()))
            parent->items[static_cast<std::size_t>(menu->parentItem)].Submenu = nullptr;
    }
    menus().created.erase(menu);
}

// Removes one item; the submenu hanging from it goes too, and later siblings' submenus learn
// their new place.
void removeItem(Menu *menu, std::size_t index) {
    if (Menu *sub = liveMenu(menu->items[index].Submenu)) {
        sub->parent = nullptr; // its item is going; nothing to unhook
        destroyMenu(sub);
    }
    menu->items.erase(menu->items.begin() + static_cast<std::ptrdiff_t>(index));
    menu->itemOwners.erase(menu->itemOwners.begin() + static_cast<std::ptrdiff_t>(index));
    for (MenuItem &item : menu->items)
        if (Menu *sub = liveMenu(item.Submenu))
            if (sub->parentItem > static_cast<int>(index)) --sub->parentItem;
}

void removeItemsOwnedBy(Menu *menu, const void *module) {
    for (std::size_t index = menu->items.size(); index-- > 0;)
        if (menu->itemOwners[index] == module) removeItem(menu, index);
}

} // namespace

XPLMMenuID pluginsMenu() { return pluginsMenuObject(); }

bool menuExists(XPLMMenuID menu) { return liveMenu(menu) != nullptr; }

std::vector<MenuItem> menuItems(XPLMMenuID menu) {
    Menu *m = liveMenu(menu);
    return m == nullptr ? std::vector<MenuItem>{} : m->items;
}

std::string menuName(XPLMMenuID menu) {
    Menu *m = liveMenu(menu);
    return m == nullptr ? std::string{} : m->name;
}

std::size_t menuCount() { return 1 + menus().created.size(); }

bool chooseMenuItem(const std::vector<std::string> &path, std::string *error) {
    auto fail = [error](const std::string &why) {
        if (error != nullptr) *error = why;
        return false;
    };
    if (path.empty()) return fail("empty menu path");
    Menu *menu = pluginsMenuObject();
    for (std::size_t level = 0; level < path.size(); ++level) {
        const MenuItem *found = nullptr;
        for (const MenuItem &item : menu->items)
            if (item.Name == path[level]) found = &item;
        if (found == nullptr) {
            std::string names;
            for (const MenuItem &item : menu->items)
                names += " \"" + item.Name + "\"";
            return fail("menu \"" + menu->name + "\" has no item \"" + path[level] +
                        "\"; it has:" + (names.empty() ? " nothing" : names));
        }
        if (level + 1 < path.size()) {
            Menu *sub = liveMenu(found->Submenu);
            if (sub == nullptr) return fail("\"" + path[level] + "\" opens no submenu");
            menu = sub;
            continue;
        }
        if (menu->handler == nullptr) return fail("menu \"" + menu->name + "\" has no handler");
        if (!internal::isModuleEnabled(menu->owner))
            return fail("menu \"" + menu->name + "\" belongs to a disabled plug-in");
        internal::RunningModuleScope running(menu->owner);
        menu->handler(menu->menuRef, found->ItemRef);
    }
    return true;
}

namespace internal {
void resetMenus() {
    menus().created.clear();
    menus().plugins.reset();
    menus().runningModule = nullptr;
}

void setRunningModule(const void *module) { menus().runningModule = module; }
const void *runningModule() { return menus().runningModule; }

void removeMenusOwnedBy(const void *module) {
    if (module == nullptr) return;
    std::vector<Menu *> owned;
    for (auto &entry : menus().created)
        if (entry.second->owner == module) owned.push_back(entry.second.get());
    for (Menu *menu : owned)
        if (liveMenu(menu) != nullptr) destroyMenu(menu);
    std::vector<Menu *> remaining{pluginsMenuObject()};
    for (auto &entry : menus().created)
        remaining.push_back(entry.second.get());
    // Removing an item may destroy the submenu hanging from it: look each menu up again.
    for (Menu *menu : remaining)
        if (liveMenu(menu) != nullptr) removeItemsOwnedBy(menu, module);
}
} // namespace internal

} // namespace xphost

using namespace xphost;

XPLM_API XPLMMenuID XPLMFindPluginsMenu(void) {
    xphost::internal::checkMainThread(__func__);
    return pluginsMenuObject();
}

XPLM_API int XPLMAppendMenuItem(XPLMMenuID inMenu, const char *inItemName, void *inItemRef,
                                int /*inDeprecatedAndIgnored*/) {
    xphost::internal::checkMainThread(__func__);
    Menu *menu = liveMenu(inMenu);
    if (menu == nullptr || inItemName == nullptr) {
        reportHostError("XPLMAppendMenuItem: unknown menu or null name");
        return -1;
    }
    menu->items.push_back(MenuItem{inItemName, inItemRef, nullptr});
    menu->itemOwners.push_back(menus().runningModule);
    return static_cast<int>(menu->items.size()) - 1;
}

XPLM_API XPLMMenuID XPLMCreateMenu(const char *inName, XPLMMenuID inParentMenu, int inParentItem,
                                   XPLMMenuHandler_f inHandler, void *inMenuRef) {
    xphost::internal::checkMainThread(__func__);
    Menu *parent = liveMenu(inParentMenu);
    if (inName == nullptr) return nullptr;
    if (inParentMenu != nullptr && (parent == nullptr || inParentItem < 0 ||
                                    inParentItem >= static_cast<int>(parent->items.size()))) {
        reportHostError("XPLMCreateMenu: unknown parent menu or item");
        return nullptr;
    }
    auto menu = std::make_unique<Menu>();
    menu->name = inName;
    menu->handler = inHandler;
    menu->menuRef = inMenuRef;
    menu->parent = parent;
    menu->parentItem = inParentItem;
    menu->owner = menus().runningModule;
    Menu *raw = menu.get();
    menus().created.emplace(raw, std::move(menu));
    if (parent != nullptr) parent->items[static_cast<std::size_t>(inParentItem)].Submenu = raw;
    return raw;
}

XPLM_API void XPLMDestroyMenu(XPLMMenuID inMenuID) {
    xphost::internal::checkMainThread(__func__);
    Menu *menu = liveMenu(inMenuID);
    if (menu == nullptr || menu == pluginsMenuObject()) {
        reportHostError("XPLMDestroyMenu: unknown menu");
        return;
    }
    destroyMenu(menu);
}
