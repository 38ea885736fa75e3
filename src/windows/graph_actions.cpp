#include "windows/graph_actions.h"

#include "XPWidgets.h"
#include "core/app_state.h"
#include "graph/graph_widget.h"

void startRecording(AppState &state) {
    // A new recording's first row is taken at the next tick, at its time zero.
    if (state.Recording == 0) restartRowGrid(state.RecordingRows);
    state.Recording = 1;
}

void stopRecording(AppState &state) { state.Recording = 0; }

void exportShownSet(AppState &state) {
    XPSetWidgetProperty(state.GraphWidget, graphProp_ExportRequest, 1);
}

void exportEverySet(AppState &state) {
    // The widget exports the set its CurrentSet names, as the tick hands it each set's sample.
    for (int set = 0; set < kSetCount; ++set) {
        XPSetWidgetProperty(state.GraphWidget, graphProp_CurrentSet, set);
        exportShownSet(state);
    }
    XPSetWidgetProperty(state.GraphWidget, graphProp_CurrentSet, state.CurrentSet);
}
