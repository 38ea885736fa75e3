// The real module, loaded with dlopen as the simulator loads it: its identity, its menu and its
// flight loop reach the host, it unloads cleanly and can be loaded and started again.
#include <cstdint>
#include <string>

#include "support/host_fixture.h"
#include "xphost/flight_loop.h"
#include "xphost/host.h"
#include "xphost/menus.h"
#include "xphost/plugin_loader.h"
#include "xphost/screen.h"
#include "xphost/widgets.h"

namespace {
using plotwright_test::HostTest;

TEST_F(HostTest, RealModuleStartsRunsAndStops) {
    xphost::PluginModule module;
    std::string error;
    ASSERT_TRUE(module.load(plotwright_test::modulePath(), &error)) << error;
    ASSERT_EQ(module.start(), 1);
    EXPECT_TRUE(module.identityTerminated());
    EXPECT_EQ(module.name(), "Plotwrite");
    EXPECT_EQ(module.signature(), "quillanhurst.projects.plotwrite");
    EXPECT_EQ(module.description(), "A plug-in that show datarefs graphically.");

    const auto plugins = xphost::menuItems(xphost::pluginsMenu());
    ASSERT_EQ(plugins.size(), 1u);
    EXPECT_EQ(plugins[0].Name, "Plotwrite");
    EXPECT_EQ(xphost::menuItems(plugins[0].Submenu).size(), 3u);
    EXPECT_EQ(xphost::registeredFlightLoopCount(), 1u);
    xphost::advanceSeconds(2.0);
    EXPECT_EQ(xphost::flightLoopCallCount(), 191); // first at 0.10 s, then every 0.01 s

    EXPECT_NE(xphost::logText().find("Plotwright - parsing setup file\n"), std::string::npos);

    module.unload();
    EXPECT_EQ(xphost::registeredFlightLoopCount(), 0u);
    EXPECT_FALSE(xphost::menuExists(plugins[0].Submenu));
    EXPECT_TRUE(xphost::menuItems(xphost::pluginsMenu()).empty());

    // The simulator may load the plug-in again in the same process (a plug-in reload): one menu
    // entry again, with a working submenu.
    ASSERT_TRUE(module.load(plotwright_test::modulePath(), &error)) << error;
    ASSERT_EQ(module.start(), 1);
    EXPECT_EQ(xphost::registeredFlightLoopCount(), 1u);
    const auto again = xphost::menuItems(xphost::pluginsMenu());
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(xphost::menuItems(again[0].Submenu).size(), 3u);
    EXPECT_TRUE(xphost::chooseMenuItem({"Plotwrite", "Graph Window"}, &error)) << error;
    module.unload();
}

// A disabled plug-in gets no callbacks in the simulator: no flight loop, no menu handler, no
// drawing of its windows and no clicks, until it is enabled again.
TEST_F(HostTest, ADisabledModuleGetsNoCallbacksUntilEnabledAgain) {
    xphost::PluginModule module;
    std::string error;
    ASSERT_TRUE(module.load(plotwright_test::modulePath(), &error)) << error;
    ASSERT_EQ(module.start(), 1);
    ASSERT_TRUE(xphost::chooseMenuItem({"Plotwrite", "Graph Window"}, &error)) << error;
    ASSERT_FALSE(xphost::rootWidgets().empty());
    const xphost::WidgetRect window = xphost::geometryOf(xphost::rootWidgets().back());
    const int x = (window.Left + window.Right) / 2;
    const int y = window.Top - 5; // the title bar
    // One pixel of the window's title bar, and one of the bare desktop in the screen's corner.
    auto pixel = [](int px, int py) {
        const xphost::Image image = xphost::captureRect({px, py, px, py});
        const std::uint8_t *rgba = image.at(0, 0);
        return rgba == nullptr ? std::string() : std::string(rgba, rgba + 3);
    };
    const bool drawing = xphost::ensureGraphics();
    if (drawing) {
        EXPECT_NE(pixel(x, y), pixel(0, 0));
    }
    EXPECT_TRUE(xphost::click(x, y));
    xphost::advanceSeconds(1.0);
    ASSERT_GT(xphost::flightLoopCallCount(), 0);

    module.disable();
    const long long callsBefore = xphost::flightLoopCallCount();
    xphost::advanceSeconds(1.0);
    EXPECT_EQ(xphost::flightLoopCallCount(), callsBefore);
    EXPECT_FALSE(xphost::chooseMenuItem({"Plotwrite", "Graph Window"}, &error));
    EXPECT_FALSE(xphost::click(x, y));
    if (drawing) {
        EXPECT_EQ(pixel(x, y), pixel(0, 0)) << "the disabled plug-in's window is drawn";
    }

    module.enable();
    xphost::advanceSeconds(0.5);
    EXPECT_EQ(xphost::flightLoopCallCount(), callsBefore + 50);
    EXPECT_TRUE(xphost::chooseMenuItem({"Plotwrite", "Graph Window"}, &error)) << error;
    EXPECT_TRUE(xphost::click(x, y));
    module.unload();
}

TEST_F(HostTest, LoaderExplainsAModuleThatCannotBeLoaded) {
    xphost::PluginModule module;
    std::string error;
    EXPECT_FALSE(module.load(root_ + "no-such-module.xpl", &error));
    EXPECT_NE(error.find("cannot load"), std::string::npos) << error;
    EXPECT_NE(error.find("no-such-module.xpl"), std::string::npos) << error;
    EXPECT_FALSE(module.isLoaded());
    EXPECT_EQ(module.start(), 0);
}

TEST_F(HostTest, LoaderRefusesAModuleWithoutAllEntryPoints) {
    xphost::PluginModule module;
    std::string error;
    EXPECT_FALSE(module.load(INCOMPLETE_MODULE_PATH, &error));
    EXPECT_NE(error.find("no entry point XPluginStop"), std::string::npos) << error;
    EXPECT_FALSE(module.isLoaded());
}

} // namespace
