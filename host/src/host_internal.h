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

// Reports a host error when a plug-in calls the API (function) from any thread but the one
// that last called resetHost: the simulator's API may only be used from its main thread.
void checkMainThread(const char *function);

// The system path handed to plug-ins, "" until resetHost succeeded.
const std::string &systemPath();

// Which loaded module is running its entry points (nullptr outside them). Menus and menu items
// made meanwhile belong to it, and go when the module is unloaded, as in the simulator.
void setRunningModule(const void *module);
void removeMenusOwnedBy(const void *module);

} // namespace xphost::internal
