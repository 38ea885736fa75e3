#include <cstdio>

#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "core/app_state.h"
#include "core/host_callbacks.h"

// Placeholder until the scaling window lands: the main window with its caption and close box.
void AppState::buildScalingWindow(int left, int top, int width, int height) {
    char caption[3 * kTextSize];
    std::snprintf(caption, sizeof caption, "%s %s %s", "DataRef Scaling - Plotwright",
                  VersionText, kCreditText);
    ScalingWindowWidget = XPCreateWidget(left, top, left + width, top - height, 1, caption, 1,
                                         nullptr, xpWidgetClass_MainWindow);
    XPSetWidgetProperty(ScalingWindowWidget, xpProperty_MainWindowHasCloseBoxes, 1);
    XPAddWidgetCallback(ScalingWindowWidget, scalingWindowCallback);
}

int AppState::onScalingWindowMessage(XPWidgetMessage message, XPWidgetID, intptr_t, intptr_t) {
    if (message == xpMessage_CloseButtonPushed) {
        XPHideWidget(ScalingWindowWidget);
        return 1;
    }
    return 0;
}

void AppState::reloadScalingName(int) {}
