#include "core/commands.h"

#include "XPWidgets.h"
#include "core/app_state.h"
#include "core/host_callbacks.h"
#include "core/menu.h"
#include "windows/graph_actions.h"

// Clear is left out on purpose: a mis-bound button must not wipe a recording.
const PluginCommand kPluginCommands[kPluginCommandCount] = {
    {"plotwright/record", "Plotwright: start recording (the graph window's Record button)"},
    {"plotwright/stop", "Plotwright: stop recording (the graph window's Stop button)"},
    {"plotwright/record_toggle", "Plotwright: start recording, or stop it when recording"},
    {"plotwright/export", "Plotwright: export the data set shown to its CSV file"},
    {"plotwright/export_all", "Plotwright: export all three data sets to their CSV files"},
    {"plotwright/next_set", "Plotwright: show the next data set in every window"},
    {"plotwright/previous_set", "Plotwright: show the previous data set in every window"},
    {"plotwright/graph_window_toggle", "Plotwright: open or close the graph window"},
    {"plotwright/setup_window_toggle", "Plotwright: open or close the DataRef Setup window"},
    {"plotwright/scaling_window_toggle", "Plotwright: open or close the DataRef Scaling window"},
};

namespace {
enum CommandIndex {
    kRecord,
    kStop,
    kRecordToggle,
    kExport,
    kExportAll,
    kNextSet,
    kPreviousSet,
    kGraphWindowToggle,
    kSetupWindowToggle,
    kScalingWindowToggle,
};

// A command's reference is the same for the whole run of the simulator; null while this run of
// the plug-in has no handler on it.
XPLMCommandRef gCommandRefs[kPluginCommandCount] = {};
bool gCommandsEnabled = false;
constexpr int kBeforeSimulator = 1;

// The menu item when the window is hidden or was never built, its close box when shown.
void toggleWindow(AppState &state, PluginWindow window, int32_t created, XPWidgetID widget) {
    if (created != 0 && XPIsWidgetVisible(widget) != 0)
        XPHideWidget(widget);
    else
        openPluginWindow(state, window);
}

// What the command's button or menu item does. The recording, the exports and the set switch
// live in the graph widget, built hidden for them when no window was ever opened.
void runCommand(AppState &state, int index) {
    switch (index) {
    case kRecord:
    case kRecordToggle:
    case kExport:
    case kExportAll:
    case kNextSet:
    case kPreviousSet:
        buildHiddenGraphWindowIfMissing(state);
        break;
    default:
        break;
    }
    switch (index) {
    case kRecord:
        startRecording(state);
        break;
    case kStop:
        stopRecording(state);
        break;
    case kRecordToggle:
        if (state.Recording == 0)
            startRecording(state);
        else
            stopRecording(state);
        break;
    case kExport:
        exportShownSet(state);
        break;
    case kExportAll:
        exportEverySet(state);
        break;
    case kNextSet:
        state.switchSet(+1);
        break;
    case kPreviousSet:
        state.switchSet(-1);
        break;
    case kGraphWindowToggle:
        toggleWindow(state, PluginWindow::Graph, state.GraphWindowCreated, state.GraphWindowWidget);
        break;
    case kSetupWindowToggle:
        toggleWindow(state, PluginWindow::Setup, state.SetupWindowCreated, state.SetupWindowWidget);
        break;
    case kScalingWindowToggle:
        toggleWindow(state, PluginWindow::Scaling, state.ScalingWindowCreated,
                     state.ScalingWindowWidget);
        break;
    default:
        break;
    }
}
} // namespace

void registerPluginCommands() {
    gCommandsEnabled = false; // until XPluginEnable
    for (int k = 0; k < kPluginCommandCount; ++k) {
        XPLMCommandRef command =
            XPLMCreateCommand(kPluginCommands[k].Name, kPluginCommands[k].Description);
        if (command == nullptr) continue;
        XPLMRegisterCommandHandler(command, commandHandler, kBeforeSimulator, nullptr);
        gCommandRefs[k] = command;
    }
}

void unregisterPluginCommands() {
    for (XPLMCommandRef &command : gCommandRefs) {
        if (command == nullptr) continue;
        XPLMUnregisterCommandHandler(command, commandHandler, kBeforeSimulator, nullptr);
        command = nullptr;
    }
}

void setPluginCommandsEnabled(bool enabled) { gCommandsEnabled = enabled; }

int AppState::onCommand(XPLMCommandRef command, XPLMCommandPhase phase) {
    // Once per press: holding the key or button and letting it go do nothing more.
    if (phase != xplm_CommandBegin || !gCommandsEnabled || command == nullptr) return 1;
    for (int k = 0; k < kPluginCommandCount; ++k)
        if (gCommandRefs[k] == command) runCommand(*this, k);
    return 1;
}
