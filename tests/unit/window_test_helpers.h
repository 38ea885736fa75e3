#pragma once
// What the setup and scaling window tests share: starting the plug-in as the simulator does,
// giving channels known contents, ticking, and typing as a user types.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/app_state.h"
#include "plugin_entry.h"
#include "xphost/flight_loop.h"
#include "xphost/widgets.h"

namespace window_test {

inline void startPlugin() {
    char name[256], signature[256], description[256];
    ASSERT_EQ(XPluginStart(name, signature, description), 1);
    ASSERT_NE(gAppState, nullptr);
}

inline void setChannel(int set, int channel, const char *name, float scaling, int index = 0) {
    AppState &state = *gAppState;
    std::strncpy(state.Name[set][channel], name, kTextSize - 1);
    state.Name[set][channel][kTextSize - 1] = '\0';
    state.Scaling[set][channel] = scaling;
    state.Index[set][channel] = index;
}

// Runs frames until the plug-in's flight loop has been called `ticks` more times.
inline void runTicks(int ticks) {
    const long long target = xphost::flightLoopCallCount() + ticks;
    for (int frame = 0; frame < 100 * ticks + 20 && xphost::flightLoopCallCount() < target; ++frame)
        xphost::runFrames(1);
    ASSERT_GE(xphost::flightLoopCallCount(), target) << "the flight loop stopped ticking";
}

// Clicks into a text field, selects its text and types over it.
inline void retype(XPWidgetID field, const std::string &text) {
    ASSERT_TRUE(xphost::clickWidget(field));
    ASSERT_EQ(xphost::focusedWidget(), field);
    xphost::selectAllInFocusedField();
    xphost::typeText(text);
}

} // namespace window_test
