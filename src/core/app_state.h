#pragma once
// The one object that holds all plug-in state except the recorded samples. Created by
// XPluginStart, deleted by XPluginStop, reached by every host callback through gAppState.

#include <cstdint>

#include "XPLMDataAccess.h"
#include "XPLMMenus.h"
#include "XPLMUtilities.h"
#include "XPWidgetDefs.h"
#include "config/config_entry.h"
#include "core/file_access.h"
#include "sampling/row_grid.h"

constexpr int kSetCount = 3;
constexpr int kChannelCount = 8;
constexpr int kChannelTotal = kSetCount * kChannelCount;
constexpr int kTextSize = 255;       // every text held in the state, NUL included
constexpr int kWidgetTextSize = 256; // every text read back from a widget
constexpr int kStatColumns = 6;      // DataMin, DataMax, DataValue, ScaleMin, ScaleMax, ScaleValue
constexpr int kTransportButtons = 11;

// Third part of every window caption.
extern const char kCreditText[];

struct AppState {
    XPLMMenuID MenuId;
    int32_t PluginsMenuItem;
    ConfigEntry ConfigEntryTable[kConfigEntryCount];
    int32_t GraphWindowCreated;
    int32_t SetupWindowCreated;
    int32_t ScalingWindowCreated;
    int32_t Recording;
    int32_t Play;
    int32_t Rewind;
    int32_t CurrentSet;
    // Empty when the simulator's folder is too deep for the path to fit kMaxPathBytes.
    char SettingsPath[kMaxPathBytes];

    // Graph window.
    XPWidgetID GraphWindowWidget;
    XPWidgetID GraphWidget;
    XPWidgetID GraphLegendCaption[kChannelCount];
    // Record, Stop, Clear, Export, Go to start, Page back, Rewind, Pause, Play, Page forward,
    // Go to end, left to right.
    XPWidgetID GraphTransportButton[kTransportButtons];
    XPWidgetID GraphPreviousSetButton;
    XPWidgetID GraphSetCaption;
    XPWidgetID GraphNextSetButton;

    // Setup window.
    XPWidgetID SetupWindowWidget;
    XPWidgetID SetupPanel;
    XPWidgetID SetupEnabledCheckBox[kChannelCount];
    XPWidgetID SetupCheckDataRefButton[kChannelCount];
    XPWidgetID SetupNameField[kChannelCount];
    XPWidgetID SetupIndexField[kChannelCount];
    XPWidgetID SetupScalingField[kChannelCount];
    XPWidgetID SetupApplyButton;
    XPWidgetID SetupCreateIniButton;
    XPWidgetID SetupPreviousSetButton;
    XPWidgetID SetupSetCaption;
    XPWidgetID SetupNextSetButton;

    // Scaling window.
    XPWidgetID ScalingWindowWidget;
    XPWidgetID ScalingPanel;
    XPWidgetID ScalingNameCaption[kChannelCount];
    XPWidgetID ScalingValueCaption[kStatColumns][kChannelCount]; // [statistic][channel]
    XPWidgetID ScalingResetButton;
    XPWidgetID ScalingPreviousSetButton;
    XPWidgetID ScalingSetCaption;
    XPWidgetID ScalingNextSetButton;

    XPLMDataRef DataRefHandle[kSetCount][kChannelCount];
    float Scaling[kSetCount][kChannelCount];
    int32_t Enabled[kSetCount][kChannelCount]; // one contiguous block, handed whole to the graph
    char VersionText[kTextSize];
    char Name[kSetCount][kChannelCount][kTextSize];
    int32_t Index[kSetCount][kChannelCount];
    float DataMin[kChannelTotal];
    float DataMax[kChannelTotal];
    float DataValue[kChannelTotal];
    float ScaleMin[kChannelTotal];
    float ScaleMax[kChannelTotal];
    float ScaleValue[kChannelTotal];
    int32_t FullSizeWindow;

    // Datarefs that come and go while the simulator runs (sampling/dataref_lookup.cpp). A
    // channel awaits its dataref while its name is to be looked up again: it had none at the
    // start or after Apply Changes, or its dataref was withdrawn. The user's cleared box is
    // remembered, so a dataref that appears or returns never checks it again.
    int32_t AwaitingDataRef[kSetCount][kChannelCount];
    int32_t ClearedByUser[kSetCount][kChannelCount];
    float SecondsSinceLookUp;
    int32_t LookUpRequested;

    // The 0.01-s grids of the flight loop's elapsed time (sampling/row_grid.h): rows recorded
    // since Record, and the positions Play and Rewind move by, so that both keep real time at
    // any frame rate.
    RowGrid RecordingRows;
    RowGrid ReplayRows;
    // Set by XPluginEnable: the next tick's elapsed time holds the time the plug-in was
    // disabled, which is no flight to record or replay.
    int32_t ResumingAfterEnable;

    // Data sets (app_state.cpp).
    void resetToDefaults();
    void resolveDataRefs();
    void resetStatistics();
    void clearWidgetHandles();

    // Menu (menu.cpp).
    void onMenuItem(void *menuRef, void *itemRef);
    // Commands (commands.cpp).
    int onCommand(XPLMCommandRef command, XPLMCommandPhase phase);

    // Sampling (sampling/).
    float readChannel(int set, int channel);
    float onFlightLoop(float elapsedSinceLastCall, float elapsedSinceLastFlightLoop, int counter,
                       void *refcon);
    // Drops the handles that went bad and looks the awaiting channels up; a channel that gets
    // its dataref records from then on and is drawn unless the user cleared its box.
    void lookUpDataRefs();
    // Drops the handles that went bad: their channels await their datarefs, unchecked.
    void dropWithdrawnDataRefs();
    // From the tick: the pass about once a second of wall time, or at once when requested; the
    // withdrawn handles are dropped at every tick.
    void lookUpDataRefsWhenDue(float elapsedSeconds);
    // The simulator announced that datarefs may have come or gone: look at the next tick.
    void requestDataRefLookUp();
    // Whether the channel holds a dataref the simulator still publishes.
    bool hasDataRef(int set, int channel) const;
    // Enabled and, for the current set, the setup window's box, which the tick copies back.
    void showEnabled(int set, int channel, int32_t enabled);

    // Graph window and the set switch shared by all three windows (windows/graph_window.cpp,
    // windows/set_switch.cpp).
    void buildGraphWindow(int left, int top, int width, int height);
    int onGraphWindowMessage(XPWidgetMessage message, XPWidgetID widget, intptr_t param1,
                             intptr_t param2);
    void switchSet(int delta);
    void refreshSetViews();

    // Setup window (windows/setup_window.cpp).
    void buildSetupWindow(int left, int top, int width, int height);
    int onSetupWindowMessage(XPWidgetMessage message, XPWidgetID widget, intptr_t param1,
                             intptr_t param2);
    void reloadSetupRow(int channel);

    // Scaling window (windows/scaling_window.cpp).
    void buildScalingWindow(int left, int top, int width, int height);
    int onScalingWindowMessage(XPWidgetMessage message, XPWidgetID widget, intptr_t param1,
                               intptr_t param2);
    void reloadScalingName(int channel);
};

// Set by XPluginStart, cleared by XPluginStop.
extern AppState *gAppState;
