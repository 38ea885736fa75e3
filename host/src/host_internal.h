#pragma once
// What the parts of the host tell each other; not for plug-ins or tests.

#include <string>

namespace xphost::internal {

// Each part forgets its state; called by resetHost in this order.
void resetDataRefs();
void resetMenus();
void resetFlightLoop();
void resetWidgets();
void resetScreen();
// The screen back to its default size (both host builds).
void resetScreenSize();

// The simulator's folder in UTF-8 with the host's separator, "" until resetHost succeeded.
const std::string &systemPath();
// Counts a path handed to a plug-in while native paths are off.
void countPathRequest();

// Which loaded module is running its entry points (nullptr outside them). Menus and menu items
// made meanwhile belong to it, and go when the module is unloaded, as in the simulator.
void setRunningModule(const void *module);
void removeMenusOwnedBy(const void *module);

} // namespace xphost::internal
