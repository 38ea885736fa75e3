// Opening windows from the menu: what is built, what is only shown, and what the stop destroys.
#include <string>

#include "XPWidgets.h"
#include "core/app_state.h"
#include "plugin_entry.h"
#include "support/host_fixture.h"
#include "xphost/host.h"
#include "xphost/menus.h"
#include "xphost/widgets.h"

namespace {
using plotwright_test::HostTest;

class MenuWindowsTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        char name[256], signature[256], description[256];
        ASSERT_EQ(XPluginStart(name, signature, description), 1);
    }
    void TearDown() override {
        if (gAppState != nullptr) XPluginStop();
        HostTest::TearDown();
    }
    void choose(const char *item) {
        std::string error;
        ASSERT_TRUE(xphost::chooseMenuItem({"Plotwrite", item}, &error)) << error;
    }
};

TEST_F(MenuWindowsTest, SetupFirstBuildsAHiddenGraphWindowThatGraphWindowLaterShows) {
    choose("DataRef Setup");
    AppState &s = *gAppState;
    EXPECT_EQ(s.GraphWindowCreated, 1);
    EXPECT_EQ(s.SetupWindowCreated, 1);
    EXPECT_EQ(s.ScalingWindowCreated, 0);
    ASSERT_NE(s.GraphWidget, nullptr);
    EXPECT_FALSE(XPIsWidgetVisible(s.GraphWindowWidget));
    EXPECT_TRUE(XPIsWidgetVisible(s.SetupWindowWidget));

    XPWidgetID graphWindow = s.GraphWindowWidget;
    const std::size_t widgets = xphost::liveWidgetCount();
    choose("Graph Window");
    EXPECT_EQ(s.GraphWindowWidget, graphWindow);
    EXPECT_EQ(xphost::liveWidgetCount(), widgets);
    EXPECT_TRUE(XPIsWidgetVisible(graphWindow));

    choose("DataRef Scaling");
    EXPECT_EQ(s.GraphWindowWidget, graphWindow); // built once, whoever asked first
    EXPECT_TRUE(XPIsWidgetVisible(s.ScalingWindowWidget));
    EXPECT_TRUE(XPIsWidgetVisible(graphWindow));
}

TEST_F(MenuWindowsTest, ChoosingAVisibleWindowChangesNothing) {
    choose("Graph Window");
    const std::size_t widgets = xphost::liveWidgetCount();
    const XPWidgetID window = gAppState->GraphWindowWidget;
    choose("Graph Window");
    EXPECT_EQ(xphost::liveWidgetCount(), widgets);
    EXPECT_EQ(gAppState->GraphWindowWidget, window);
    EXPECT_TRUE(XPIsWidgetVisible(window));
}

TEST_F(MenuWindowsTest, AClosedWindowComesBackAsItWasLeft) {
    choose("Graph Window");
    AppState &s = *gAppState;
    XPWidgetID window = s.GraphWindowWidget;
    ASSERT_TRUE(xphost::clickWidget(s.GraphNextSetButton));
    ASSERT_EQ(s.CurrentSet, 1);
    ASSERT_TRUE(xphost::clickCloseBox(window));
    EXPECT_FALSE(XPIsWidgetVisible(window));
    choose("Graph Window");
    EXPECT_TRUE(XPIsWidgetVisible(window));
    EXPECT_EQ(s.GraphWindowWidget, window);
    EXPECT_EQ(xphost::descriptorOf(s.GraphSetCaption), "2");
}

TEST_F(MenuWindowsTest, WindowsOpenAtTheirRectangles) {
    choose("Graph Window");
    choose("DataRef Setup");
    choose("DataRef Scaling");
    const AppState &s = *gAppState;
    auto rect = [](XPWidgetID w) {
        const xphost::WidgetRect r = xphost::geometryOf(w);
        return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," +
               std::to_string(r.Right) + "," + std::to_string(r.Bottom);
    };
    EXPECT_EQ(rect(s.GraphWindowWidget), "200,650,1000,50");
    EXPECT_EQ(rect(s.SetupWindowWidget), "100,550,790,190");
    EXPECT_EQ(rect(s.ScalingWindowWidget), "150,500,860,140");
}

TEST_F(MenuWindowsTest, ShortGraphWindowWhenFullSizeIsOff) {
    gAppState->FullSizeWindow = 0;
    choose("DataRef Scaling"); // the graph window is built on its behalf, at the same size
    const xphost::WidgetRect r = xphost::geometryOf(gAppState->GraphWindowWidget);
    EXPECT_EQ(r.Left, 200);
    EXPECT_EQ(r.Top, 350);
    EXPECT_EQ(r.Right, 1000);
    EXPECT_EQ(r.Bottom, 50);
}

TEST_F(MenuWindowsTest, StopDestroysEveryBuiltWindowWithItsChildren) {
    choose("Graph Window");
    choose("DataRef Setup");
    choose("DataRef Scaling");
    EXPECT_GT(xphost::liveWidgetCount(), 100u);
    const XPLMMenuID menu = gAppState->MenuId;
    XPluginStop();
    EXPECT_EQ(xphost::liveWidgetCount(), 0u);
    EXPECT_FALSE(xphost::menuExists(menu));
}

TEST_F(MenuWindowsTest, StopWithoutWindowsDestroysOnlyTheMenu) {
    const XPLMMenuID menu = gAppState->MenuId;
    XPluginStop();
    EXPECT_FALSE(xphost::menuExists(menu));
    EXPECT_EQ(xphost::liveWidgetCount(), 0u);
    EXPECT_TRUE(xphost::hostErrors().empty());
}

} // namespace
