#pragma once
// The custom widget that plots one data set and is the hub of recording: the sampler and the
// windows write its properties, and it appends, clears and exports inside those writes.

#include <cstdint>

#include "XPWidgetDefs.h"

enum {
    graphProp_SampleReady = 2301,
    graphProp_ClearRequest = 2302,
    graphProp_Dragging = 2305,
    graphProp_MinPosition = 2306,
    graphProp_MaxPosition = 2307,
    graphProp_Position = 2308,
    graphProp_PageStep = 2309,
    graphProp_Sample = 2312,
    graphProp_Enabled = 2313,
    graphProp_ExportRequest = 2314,
    graphProp_CurrentSet = 2315,
    graphProp_FirstSet = 2316,
    graphProp_SetCount = 2317,
    graphProp_FullSize = 2318,
};

XPWidgetID createGraphWidget(int left, int top, int right, int bottom, int visible,
                             const char *descriptor, XPWidgetID container);

int graphWidgetCallback(XPWidgetMessage message, XPWidgetID widget, intptr_t param1,
                        intptr_t param2);

// Truncates toward zero, then adds one when the dropped fraction is at least one half.
double roundHalfUp(double x);
