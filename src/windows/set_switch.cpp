// The Previous Set / Next Set switch shared by all three windows, and the refresh that shows
// the new set everywhere at once.

#include <cstdio>

#include "XPWidgets.h"
#include "core/app_state.h"
#include "graph/graph_widget.h"
#include "graph/position_math.h"

void AppState::switchSet(int delta) {
    const intptr_t firstSet = XPGetWidgetProperty(GraphWidget, graphProp_FirstSet, nullptr);
    const intptr_t setCount = XPGetWidgetProperty(GraphWidget, graphProp_SetCount, nullptr);
    intptr_t set = CurrentSet;
    if (delta < 0) {
        set -= 1;
        if (set < firstSet) set = firstSet;
    } else if (delta > 0) {
        set += 1;
        set = lowerToLastSet(set, setCount);
    }
    // CurrentSet indexes the data-set arrays: whatever the widget's range says, it stays a set.
    if (set < 0) set = 0;
    if (set > kSetCount - 1) set = kSetCount - 1;
    CurrentSet = static_cast<int32_t>(set);
    refreshSetViews();
}

void AppState::refreshSetViews() {
    if (GraphWindowCreated != 0) XPSetWidgetProperty(GraphWidget, graphProp_CurrentSet, CurrentSet);

    char setText[16];
    std::snprintf(setText, sizeof setText, "%d", CurrentSet + 1);
    if (GraphWindowCreated != 0) XPSetWidgetDescriptor(GraphSetCaption, setText);
    if (SetupWindowCreated != 0) XPSetWidgetDescriptor(SetupSetCaption, setText);
    if (ScalingWindowCreated != 0) XPSetWidgetDescriptor(ScalingSetCaption, setText);

    for (int channel = 0; channel < kChannelCount; ++channel) {
        if (SetupWindowCreated != 0) reloadSetupRow(channel);
        if (ScalingWindowCreated != 0) reloadScalingName(channel);
    }
}
