#include <cstdio>

#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "core/app_state.h"
#include "core/host_callbacks.h"

// Placeholder until the graph window lands: the main window with its caption and close box.
void AppState::buildGraphWindow(int left, int top, int width, int height) {
    char caption[3 * kTextSize];
    std::snprintf(caption, sizeof caption, "%s %s %s", "Plotwright", VersionText, kCreditText);
    GraphWindowWidget = XPCreateWidget(left, top, left + width, top - height, 1, caption, 1,
                                       nullptr, xpWidgetClass_MainWindow);
    XPSetWidgetProperty(GraphWindowWidget, xpProperty_MainWindowHasCloseBoxes, 1);
    XPAddWidgetCallback(GraphWindowWidget, graphWindowCallback);
}

int AppState::onGraphWindowMessage(XPWidgetMessage message, XPWidgetID, intptr_t, intptr_t) {
    if (message == xpMessage_CloseButtonPushed) {
        XPHideWidget(GraphWindowWidget);
        return 1;
    }
    return 0;
}
