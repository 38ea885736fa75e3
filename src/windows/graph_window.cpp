// The graph window: the graph widget framed by its legend, y-axis labels, transport row and
// set switch, and the handler of its buttons and close box.

#include <cstdio>

#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "core/app_state.h"
#include "core/host_callbacks.h"
#include "graph/graph_widget.h"
#include "graph/position_math.h"
#include "windows/child_widgets.h"
#include "windows/graph_actions.h"

namespace {
const char *const kLegendLabels[kChannelCount] = {
    "DR1 - Red",  "DR2 - Green",  "DR3 - Blue",    "DR4 - White",
    "DR5 - Cyan", "DR6 - Yellow", "DR7 - Magenta", "DR8 - Gray",
};

struct TransportButton {
    const char *Label;
    int LeftOffset;
    int RightOffset;
};

// Left to right, in the order of AppState::GraphTransportButton.
constexpr TransportButton kTransportLayout[kTransportButtons] = {
    {" Record", 50, 100}, {" Stop", 110, 160}, {" Clear", 170, 220}, {" Export", 230, 280},
    {" |<", 300, 325},    {" <<", 330, 355},   {" <", 360, 385},     {"  ||", 390, 415},
    {" >", 420, 445},     {" >>", 450, 475},   {" >|", 480, 505},
};

enum TransportIndex {
    kRecord,
    kStop,
    kClear,
    kExport,
    kGoToStart,
    kPageBack,
    kRewind,
    kPause,
    kPlay,
    kPageForward,
    kGoToEnd,
};

const char *const kAxisLabels[] = {"-250", "-200", "-150", "-100", "-50", "0",
                                   "50",   "100",  "150",  "200",  "250"};
} // namespace

void AppState::buildGraphWindow(int left, int top, int width, int height) {
    const int L = left;
    const int T = top;
    const int R = left + width;
    const int B = top - height;

    char caption[3 * kTextSize];
    std::snprintf(caption, sizeof caption, "%s %s %s", "Plotwright", VersionText, kCreditText);
    GraphWindowWidget = createMainWindow({L, T, R, B}, caption);

    GraphWidget = createGraphWidget(L + 50, T - 50, R - 50, B + 50, 1, "", GraphWindowWidget);
    XPSetWidgetProperty(GraphWidget, graphProp_FullSize, FullSizeWindow);

    for (int k = 0; k < kChannelCount; ++k)
        GraphLegendCaption[k] = createCaption({L + 50 + 90 * k, B + 52, L + 130 + 90 * k, B + 30},
                                              kLegendLabels[k], GraphWindowWidget);

    for (int k = 0; k < kTransportButtons; ++k) {
        const TransportButton &button = kTransportLayout[k];
        GraphTransportButton[k] =
            createPushButton({L + button.LeftOffset, B + 30, L + button.RightOffset, B},
                             button.Label, GraphWindowWidget);
    }

    GraphPreviousSetButton =
        createPushButton({L + 520, B + 30, L + 600, B}, " Previous Set", GraphWindowWidget);
    char setText[16];
    std::snprintf(setText, sizeof setText, "%d", CurrentSet + 1);
    GraphSetCaption = createCaption({L + 610, B + 30, L + 630, B}, setText, GraphWindowWidget);
    GraphNextSetButton =
        createPushButton({L + 640, B + 30, L + 720, B}, " Next Set", GraphWindowWidget);

    // Each label centred, within a pixel, on its value's height at the graph's vertical scale.
    const int pitch = FullSizeWindow != 0 ? 50 : 20;
    for (int k = 0; k < 11; ++k)
        createCaption({R - 50, B + 62 + k * pitch, R, B + 40 + k * pitch}, kAxisLabels[k],
                      GraphWindowWidget);

    XPAddWidgetCallback(GraphWindowWidget, graphWindowCallback);
}

int AppState::onGraphWindowMessage(XPWidgetMessage message, XPWidgetID, intptr_t param1, intptr_t) {
    if (message == xpMessage_CloseButtonPushed) {
        XPHideWidget(GraphWindowWidget);
        return 1;
    }
    if (message != xpMsg_PushButtonPressed) return 0;

    const intptr_t position = XPGetWidgetProperty(GraphWidget, graphProp_Position, nullptr);
    const intptr_t pageStep = XPGetWidgetProperty(GraphWidget, graphProp_PageStep, nullptr);
    const intptr_t minPosition = XPGetWidgetProperty(GraphWidget, graphProp_MinPosition, nullptr);
    const intptr_t maxPosition = XPGetWidgetProperty(GraphWidget, graphProp_MaxPosition, nullptr);

    const auto pressed = reinterpret_cast<XPWidgetID>(param1);
    if (pressed == GraphPreviousSetButton) {
        switchSet(-1);
        return 1;
    }
    if (pressed == GraphNextSetButton) {
        switchSet(+1);
        return 1;
    }

    int index = -1;
    for (int k = 0; k < kTransportButtons; ++k)
        if (pressed == GraphTransportButton[k]) index = k;

    switch (index) {
    case kRecord:
        startRecording(*this);
        break;
    case kStop:
        stopRecording(*this);
        break;
    case kClear:
        XPSetWidgetProperty(GraphWidget, graphProp_ClearRequest, 1);
        break;
    case kExport:
        exportShownSet(*this);
        break;
    case kGoToStart:
        XPSetWidgetProperty(GraphWidget, graphProp_Position, 0);
        break;
    case kPageBack:
        XPSetWidgetProperty(GraphWidget, graphProp_Position,
                            largerPosition(saturatingSubtract(position, pageStep), minPosition));
        break;
    case kRewind:
        Rewind = 1;
        Play = 0;
        break;
    case kPause:
        Play = 0;
        Rewind = 0;
        break;
    case kPlay:
        Play = 1;
        Rewind = 0;
        break;
    case kPageForward:
        XPSetWidgetProperty(GraphWidget, graphProp_Position,
                            smallerPosition(saturatingAdd(position, pageStep), maxPosition));
        break;
    case kGoToEnd:
        XPSetWidgetProperty(GraphWidget, graphProp_Position, maxPosition);
        break;
    default:
        return 0;
    }
    return 1;
}
