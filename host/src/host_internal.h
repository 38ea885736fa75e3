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

// Reports a host error when a plug-in calls the API (function) from any thread but the one
// that last called resetHost: the simulator's API may only be used from its main thread.
void checkMainThread(const char *function);

// The simulator's folder in UTF-8 with the host's separator, "" until resetHost succeeded.
const std::string &systemPath();
// Counts a path handed to a plug-in while native paths are off.
void countPathRequest();

// Which loaded module is running its entry points (nullptr outside them). Menus and menu items
// made meanwhile belong to it, and go when the module is unloaded, as in the simulator.
void setRunningModule(const void *module);
const void *runningModule();
void removeMenusOwnedBy(const void *module);

// A module between XPluginDisable and XPluginEnable gets no callbacks: no flight loop, no menu
// handler, no drawing, no widget messages from the user's input. nullptr (what the host's own
// tests create outside any module) is always enabled.
void setModuleEnabled(const void *module, bool enabled);
bool isModuleEnabled(const void *module);
// Unloading a module, or resetHost, forgets its state: a later module may get the same handle.
void forgetModuleState(const void *module);
void forgetModuleStates();

// While a module's callback runs, what it registers or creates is its own; restores the module
// that ran before (callbacks nest: a flight loop sets a property, the widget's handler runs).
class RunningModuleScope {
public:
    explicit RunningModuleScope(const void *module) : previous_(runningModule()) {
        if (module != nullptr) setRunningModule(module);
    }
    ~RunningModuleScope() { setRunningModule(previous_); }
    RunningModuleScope(const RunningModuleScope &) = delete;
    RunningModuleScope &operator=(const RunningModuleScope &) = delete;

private:
    const void *previous_;
};

} // namespace xphost::internal

namespace xphost::internal {
// Commands (commands.cpp). Called at the start of every frame: the continue phase of every
// command held down.
void continueHeldCommands();
void resetCommands();
// Reports and removes the command handlers a module left registered; called as it is unloaded.
void removeCommandHandlersOwnedBy(const void *module);
} // namespace xphost::internal
