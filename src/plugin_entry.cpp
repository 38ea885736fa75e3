#include "plugin_entry.h"

#include <chrono>
#include <cstring>
#include <new>

#include "XPLMPlugin.h"
#include "XPLMProcessing.h"
#include "XPWidgets.h"
#include "background/recording_journal.h"
#include "config/config_reader.h"
#include "core/app_state.h"
#include "core/commands.h"
#include "core/host_callbacks.h"
#include "core/menu.h"
#include "core/plugin_paths.h"
#include "graph/export_writer.h"
#include "graph/sample_store.h"

const char kPluginName[] = "Plotwrite";
const char kPluginSignature[] = "quillanhurst.projects.plotwrite";
const char kPluginDescription[] = "A plug-in that show datarefs graphically.";

namespace {
constexpr float kFirstTickSeconds = 0.1f;
const char kSettingsFileName[] = "Plotwright.ini";
const char kVersionText[] = "v1.40";
// The messages after which datarefs may have come or gone. The SDK declares the last two only
// from versions 2.0 and 4.0; the module also runs in simulators that never send the last one.
#if defined(XPLM_MSG_PLANE_UNLOADED)
constexpr int kPlaneUnloadedMessage = XPLM_MSG_PLANE_UNLOADED;
#else
constexpr int kPlaneUnloadedMessage = 106;
#endif
#if defined(XPLM_MSG_DATAREFS_ADDED)
constexpr int kDataRefsAddedMessage = XPLM_MSG_DATAREFS_ADDED;
#else
constexpr int kDataRefsAddedMessage = 114;
#endif

// A folder too deep for the path leaves it empty; the settings reader logs why.
void buildSettingsPath(AppState &state) {
    buildPluginFilePath(state.SettingsPath, sizeof state.SettingsPath, kSettingsFileName);
}

// The recording's journal lives beside the exports; what a crashed run left there is recovered
// in the background. A folder too deep for its paths journals nothing. The benches' copy of the
// module without it is the baseline its cost is measured against.
void startJournal() {
#if !defined(PLOTWRIGHT_WITHOUT_JOURNAL)
    char folder[kMaxPathBytes];
    char longest[kMaxPathBytes];
    if (!buildPluginFilePath(folder, sizeof folder, "") ||
        !buildPluginFilePath(longest, sizeof longest, "Plotwright1-recovered-999.csv") ||
        !buildPluginFilePath(longest, sizeof longest, "Plotwright1-0123456789abcdef.journal"))
        return;
    gRecordingJournal.start(gSampleStore, folder);
    requestJournalRecovery(folder);
#endif
}

void startSequence(AppState &state, char *outName, char *outSignature, char *outDescription) {
    std::memcpy(outName, kPluginName, sizeof kPluginName);
    std::memcpy(outSignature, kPluginSignature, sizeof kPluginSignature);
    std::memcpy(outDescription, kPluginDescription, sizeof kPluginDescription);
    buildSettingsPath(state);
    buildPluginMenu(state);
    registerPluginCommands();
    XPLMRegisterFlightLoopCallback(flightLoopCallback, kFirstTickSeconds, nullptr);
    state.GraphWindowCreated = 0;
    state.SetupWindowCreated = 0;
    state.ScalingWindowCreated = 0;
    state.Recording = 0;
    state.Play = 0;
    state.Rewind = 0;
    state.CurrentSet = 0;
    state.resetToDefaults();
    loadConfigFile(state);
    state.resolveDataRefs();
    std::memcpy(state.VersionText, kVersionText, sizeof kVersionText);
    state.clearWidgetHandles();
    startJournal();
}

void destroyWindow(int32_t &created, XPWidgetID window) {
    if (created == 1) {
        XPDestroyWidget(window, 1);
        created = 0;
    }
}
} // namespace

PLOTWRIGHT_EXPORT int XPluginStart(char *outName, char *outSignature, char *outDescription) {
#if defined(XPLM200)
    // Without this the simulator hands out legacy paths: on Windows in the ANSI code page, which
    // the UTF-8 file functions cannot open and which loses letters the code page lacks; on macOS
    // HFS paths with ':'. Native paths are UTF-8 with '/' everywhere. It must come before the
    // first path is asked for.
    XPLMEnableFeature("XPLM_USE_NATIVE_PATHS", 1);
#endif
    try {
        gAppState = new AppState();
        startSequence(*gAppState, outName, outSignature, outDescription);
    } catch (...) {
        // Without its state the plug-in cannot run; tell the simulator so instead of crashing.
        if (gAppState != nullptr) {
            XPLMUnregisterFlightLoopCallback(flightLoopCallback, nullptr);
            unregisterPluginCommands();
            if (gAppState->MenuId != nullptr) XPLMDestroyMenu(gAppState->MenuId);
            delete gAppState;
            gAppState = nullptr;
        }
        return 0;
    }
    return 1;
}

PLOTWRIGHT_EXPORT void XPluginStop(void) {
    const auto began = std::chrono::steady_clock::now();
    // A clean end: the journal's files go, while the exports get their time.
    gRecordingJournal.requestStop();
    // Nothing of the session may stay in the program-wide objects: a module kept mapped for a
    // thread left behind is not built afresh at the next load. The blocks go on the writer's
    // thread, inside the wait below; those a stalled export still holds, when it ends.
    clearStoreInBackground(gSampleStore);
    // Within kWorkerStopBound in all: a thread the disk still holds then is left behind, with
    // the module kept mapped for it.
    gCsvExportWriter.finish(kExportStopGrace);
    const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - began);
    gRecordingJournal.finish(spent < kWorkerStopGrace   ? kWorkerGiveUpWait
                             : spent < kWorkerStopBound ? kWorkerStopBound - spent
                                                        : std::chrono::milliseconds(0));
    XPLMUnregisterFlightLoopCallback(flightLoopCallback, nullptr);
    unregisterPluginCommands();
    if (gAppState == nullptr) return;
    AppState &state = *gAppState;
    XPLMDestroyMenu(state.MenuId);
    destroyWindow(state.GraphWindowCreated, state.GraphWindowWidget);
    destroyWindow(state.SetupWindowCreated, state.SetupWindowWidget);
    destroyWindow(state.ScalingWindowCreated, state.ScalingWindowWidget);
    delete gAppState;
    gAppState = nullptr;
}

PLOTWRIGHT_EXPORT int XPluginEnable(void) {
#if defined(XPLM200)
    // The simulator's version 12 announces new datarefs; version 11 does not know the feature.
    const char notices[] = "XPLM_WANTS_DATAREF_NOTIFICATIONS";
    if (XPLMHasFeature(notices) != 0) XPLMEnableFeature(notices, 1);
#endif
    // The user's aircraft and its plug-ins may have published their datarefs since the start.
    if (gAppState != nullptr) {
        gAppState->lookUpDataRefs();
        gAppState->ResumingAfterEnable = 1;
    }
    setPluginCommandsEnabled(true);
    return 1;
}

// A disabled plug-in runs no code: running exports get their grace time to finish and the
// writer's thread ends (or, held by a disk that does not answer, is left to end on its own).
// The next export starts a new one.
PLOTWRIGHT_EXPORT void XPluginDisable(void) {
    setPluginCommandsEnabled(false);
    gCsvExportWriter.finish(kExportStopGrace);
}

PLOTWRIGHT_EXPORT void XPluginReceiveMessage(XPLMPluginID inFromWho, int inMessage,
                                             void * /*inParam*/) {
    if (inFromWho != XPLM_PLUGIN_XPLANE || gAppState == nullptr) return;
    // Datarefs come and go with aircraft and their plug-ins.
    if (inMessage == XPLM_MSG_PLANE_LOADED || inMessage == kPlaneUnloadedMessage ||
        inMessage == XPLM_MSG_AIRPORT_LOADED || inMessage == kDataRefsAddedMessage)
        gAppState->requestDataRefLookUp();
}
