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
void resetMessages();
// The screen back to its default size (both host builds).
void resetScreenSize();

// Whether datarefs were published since the last call; if so, *publishedCount is how many are
// published now.
bool takeDataRefsAdded(int *publishedCount);
// Once a frame: XPLM_MSG_DATAREFS_ADDED to a plug-in that asked for it, when datarefs came.
void sendPendingDataRefNotice();

// The system path handed to plug-ins, "" until resetHost succeeded.
const std::string &systemPath();

// Which loaded module is running its entry points (nullptr outside them). Menus and menu items
// made meanwhile belong to it, and go when the module is unloaded, as in the simulator.
void setRunningModule(const void *module);
void removeMenusOwnedBy(const void *module);

} // namespace xphost::internal
