// The scaling window: the running statistics of the current data set's eight channels, which the
// sampler writes into its value captions every tick, and the button that restarts them.

#include <cstdio>

#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "core/app_state.h"
#include "core/host_callbacks.h"
#include "windows/child_widgets.h"
#include "windows/widget_text.h"

namespace {
const char kScalingTitle[] = "DataRef Scaling - Plotwright";
const char *const kStatHeadings[kStatColumns] = {"Data Min",  "Data Max",  "Data Value",
                                                 "Scale Min", "Scale Max", "Scale Value"};

constexpr int kFirstRowOffset = 70;
constexpr int kRowPitch = 30;
constexpr int kRowHeight = 22;
constexpr int kHeadingOffset = 40;
constexpr int kFooterOffset = 320;
constexpr int kFirstColumnOffset = 280;
constexpr int kColumnPitch = 70;
constexpr int kColumnWidth = 60;

bool isValidSet(int set) { return set >= 0 && set < kSetCount; }

int columnLeft(int left, int column) { return left + kFirstColumnOffset + kColumnPitch * column; }
int rowTop(int top, int channel) { return top - kFirstRowOffset - kRowPitch * channel; }
} // namespace

void AppState::buildScalingWindow(int left, int top, int width, int height) {
    const int right = left + width;
    const int bottom = top - height;
    const int set = isValidSet(CurrentSet) ? CurrentSet : 0;

    char caption[3 * kTextSize];
    std::snprintf(caption, sizeof caption, "%s %s %s", kScalingTitle, VersionText, kCreditText);
    ScalingWindowWidget = createMainWindow({left, top, right, bottom}, caption);
    XPWidgetID window = ScalingWindowWidget;
    ScalingPanel = createPanel({left + 10, top - 30, right - 10, bottom + 10}, window);

    const int headingTop = top - kHeadingOffset;
    const int headingBottom = headingTop - kRowHeight;
    createCaption({left + 20, headingTop, left + 270, headingBottom}, "DataRef", window);
    for (int column = 0; column < kStatColumns; ++column) {
        const int x = columnLeft(left, column);
        createCaption({x, headingTop, x + kColumnWidth, headingBottom}, kStatHeadings[column],
                      window);
    }

    for (int channel = 0; channel < kChannelCount; ++channel) {
        const int y = rowTop(top, channel);
        const int yb = y - kRowHeight;
        ScalingNameCaption[channel] =
            createCaption({left + 20, y, left + 270, yb}, Name[set][channel], window);
        // Until the sampler's next tick formats the statistics, every value reads "0".
        for (int column = 0; column < kStatColumns; ++column) {
            const int x = columnLeft(left, column);
            ScalingValueCaption[column][channel] =
                createCaption({x, y, x + kColumnWidth, yb}, "0", window);
        }
    }

    const int footerTop = top - kFooterOffset;
    const int footerBottom = footerTop - kRowHeight;
    ScalingResetButton =
        createPushButton({left + 370, footerTop, left + 450, footerBottom}, " Reset Data", window);
    ScalingPreviousSetButton = createPushButton({left + 480, footerTop, left + 560, footerBottom},
                                                " Previous Set", window);
    ScalingSetCaption = createCaption({left + 570, footerTop, left + 590, footerBottom},
                                      formatInt(set + 1).Text, window);
    ScalingNextSetButton =
        createPushButton({left + 600, footerTop, left + 680, footerBottom}, " Next Set", window);

    XPAddWidgetCallback(window, scalingWindowCallback);
}

int AppState::onScalingWindowMessage(XPWidgetMessage message, XPWidgetID, intptr_t param1,
                                     intptr_t) {
    if (message == xpMessage_CloseButtonPushed) {
        XPHideWidget(ScalingWindowWidget);
        return 1;
    }
    if (message != xpMsg_PushButtonPressed) return 0;
    XPWidgetID pressed = reinterpret_cast<XPWidgetID>(param1);
    if (pressed == nullptr) return 0;

    if (pressed == ScalingResetButton) {
        // All three sets, not only the one shown; the captions follow at the next tick.
        resetStatistics();
        return 1;
    }
    if (pressed == ScalingPreviousSetButton) {
        switchSet(-1);
        return 1;
    }
    if (pressed == ScalingNextSetButton) {
        switchSet(+1);
        return 1;
    }
    return 0;
}

void AppState::reloadScalingName(int channel) {
    if (channel < 0 || channel >= kChannelCount || !isValidSet(CurrentSet)) return;
    if (ScalingNameCaption[channel] == nullptr) return; // window not built
    XPSetWidgetDescriptor(ScalingNameCaption[channel], Name[CurrentSet][channel]);
}
