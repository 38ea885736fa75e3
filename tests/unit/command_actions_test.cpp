// The plug-in's commands against its windows: each acts once, at the press, through the code of
// its button or menu item, whether or not a window was ever opened.
#include <algorithm>
#include <string>

#include "XPWidgets.h"
#include "core/app_state.h"
#include "graph/graph_widget.h"
#include "plugin_entry.h"
#include "support/host_fixture.h"
#include "window_test_helpers.h"
#include "xphost/commands.h"
#include "xphost/host.h"
#include "xphost/widgets.h"

namespace {
using plotwright_test::HostTest;

class CommandActionsTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        window_test::startPlugin();
        ASSERT_EQ(XPluginEnable(), 1);
    }
    void TearDown() override {
        if (gAppState != nullptr) {
            XPluginDisable();
            XPluginStop();
        }
        HostTest::TearDown();
    }
    static void press(const std::string &command) {
        std::string error;
        ASSERT_TRUE(xphost::pressCommand(command, &error)) << error;
    }
    static void expectSetCaptions(const char *set) {
        const AppState &s = *gAppState;
        EXPECT_EQ(xphost::descriptorOf(s.GraphSetCaption), set);
        EXPECT_EQ(xphost::descriptorOf(s.SetupSetCaption), set);
        EXPECT_EQ(xphost::descriptorOf(s.ScalingSetCaption), set);
    }
};

TEST_F(CommandActionsTest, WindowTogglesOpenAndCloseAsTheMenuAndTheCloseBoxDo) {
    AppState &s = *gAppState;
    press("plotwright/setup_window_toggle");
    ASSERT_EQ(s.SetupWindowCreated, 1);
    EXPECT_TRUE(XPIsWidgetVisible(s.SetupWindowWidget));
    EXPECT_FALSE(XPIsWidgetVisible(s.GraphWindowWidget)); // built hidden, as by the menu
    const XPWidgetID graph = s.GraphWindowWidget;

    press("plotwright/graph_window_toggle"); // built but hidden: shown
    EXPECT_TRUE(XPIsWidgetVisible(graph));
    press("plotwright/graph_window_toggle");
    EXPECT_FALSE(XPIsWidgetVisible(graph));
    press("plotwright/setup_window_toggle");
    EXPECT_FALSE(XPIsWidgetVisible(s.SetupWindowWidget));

    press("plotwright/scaling_window_toggle");
    EXPECT_TRUE(XPIsWidgetVisible(s.ScalingWindowWidget));
    const std::size_t widgets = xphost::liveWidgetCount();
    press("plotwright/scaling_window_toggle");
    press("plotwright/scaling_window_toggle");
    EXPECT_TRUE(XPIsWidgetVisible(s.ScalingWindowWidget));
    EXPECT_EQ(xphost::liveWidgetCount(), widgets); // shown again, never built twice
    EXPECT_EQ(s.GraphWindowWidget, graph);
}

TEST_F(CommandActionsTest, SetSwitchesShowInEveryWindowWhicheverWasOpenFirst) {
    AppState &s = *gAppState;
    press("plotwright/next_set"); // no window yet: the graph window is built hidden for it
    ASSERT_EQ(s.GraphWindowCreated, 1);
    EXPECT_FALSE(XPIsWidgetVisible(s.GraphWindowWidget));
    EXPECT_EQ(s.CurrentSet, 1);
    press("plotwright/setup_window_toggle");
    press("plotwright/scaling_window_toggle");
    expectSetCaptions("2");

    press("plotwright/next_set");
    press("plotwright/next_set"); // the last set stays the last
    expectSetCaptions("3");
    window_test::runTicks(2); // the tick keeps what the switch set
    EXPECT_EQ(s.CurrentSet, 2);
    press("plotwright/previous_set");
    expectSetCaptions("2");
}

TEST_F(CommandActionsTest, APressActsOnceAndHoldingOrReleasingDoesNothingMore) {
    AppState &s = *gAppState;
    std::string error;
    ASSERT_TRUE(xphost::holdCommand("plotwright/record_toggle", 30, &error)) << error;
    EXPECT_EQ(s.Recording, 1);
    EXPECT_EQ(s.GraphWindowCreated, 1);
    ASSERT_TRUE(xphost::holdCommand("plotwright/record_toggle", 1, &error)) << error;
    EXPECT_EQ(s.Recording, 0);
    press("plotwright/record");
    press("plotwright/record");
    EXPECT_EQ(s.Recording, 1);
    press("plotwright/stop");
    EXPECT_EQ(s.Recording, 0);
    // Every press went on to the simulator's own handling.
    EXPECT_EQ(xphost::simulatorHandledCount("plotwright/record"), 4);
}

TEST_F(CommandActionsTest, ExportAllWritesTheThreeFilesAndKeepsTheSetShown) {
    press("plotwright/next_set");
    press("plotwright/record");
    window_test::runTicks(20);
    press("plotwright/stop");
    press("plotwright/export_all");
    EXPECT_EQ(XPGetWidgetProperty(gAppState->GraphWidget, graphProp_CurrentSet, nullptr), 1);
    window_test::runTicks(2);
    EXPECT_EQ(gAppState->CurrentSet, 1);
    XPluginDisable(); // waits for the exports
    for (const char *name : {"Plotwright1.csv", "Plotwright2.csv", "Plotwright3.csv"}) {
        const std::string rows = plotwright_test::readFile(pluginDir_ + name);
        EXPECT_GE(std::count(rows.begin(), rows.end(), '\n'), 20) << name;
    }
}

TEST_F(CommandActionsTest, ADisabledPluginsCommandsDoNothing) {
    XPluginDisable();
    press("plotwright/record");
    press("plotwright/graph_window_toggle");
    EXPECT_EQ(gAppState->Recording, 0);
    EXPECT_EQ(gAppState->GraphWindowCreated, 0);
    ASSERT_EQ(XPluginEnable(), 1);
    press("plotwright/record");
    EXPECT_EQ(gAppState->Recording, 1);
}

} // namespace
