// The plug-in's commands through the real module, as a user's key or joystick button presses
// them: what they leave registered across start, stop and reload, and a recording made by
// commands alone against the same flight made by clicks.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "XPWidgets.h"
#include "support/host_fixture.h"
#include "xphost/commands.h"
#include "xphost/datarefs.h"
#include "xphost/flight_loop.h"
#include "xphost/host.h"
#include "xphost/menus.h"
#include "xphost/plugin_loader.h"
#include "xphost/widgets.h"

namespace {
using plotwright_test::HostTest;

const std::vector<std::string> kCommands = {
    "plotwright/record",
    "plotwright/stop",
    "plotwright/record_toggle",
    "plotwright/export",
    "plotwright/export_all",
    "plotwright/next_set",
    "plotwright/previous_set",
    "plotwright/graph_window_toggle",
    "plotwright/setup_window_toggle",
    "plotwright/scaling_window_toggle",
};
const char *const kExports[] = {"Plotwright1.csv", "Plotwright2.csv", "Plotwright3.csv"};

std::size_t lineCount(const std::string &text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

void loadAndStart(xphost::PluginModule &module) {
    std::string error;
    ASSERT_TRUE(module.load(plotwright_test::modulePath(), &error)) << error;
    ASSERT_EQ(module.start(), 1);
}

void press(const std::string &command) {
    std::string error;
    ASSERT_TRUE(xphost::pressCommand(command, &error)) << error;
}

void click(XPWidgetID window, const std::string &label) {
    const auto found = xphost::findDescendants(window, label);
    ASSERT_EQ(found.size(), 1u) << label;
    ASSERT_TRUE(xphost::clickWidget(found[0])) << label;
}

void expectHandlers(int count) {
    for (const std::string &name : kCommands) {
        ASSERT_TRUE(xphost::commandExists(name)) << name;
        EXPECT_EQ(xphost::commandHandlerCount(name), count) << name;
    }
}

TEST_F(HostTest, EveryCommandHasADescriptionAndOneHandlerWhileThePluginRuns) {
    xphost::PluginModule module;
    loadAndStart(module);
    expectHandlers(1);
    for (const std::string &name : kCommands)
        EXPECT_EQ(xphost::commandDescription(name).rfind("Plotwright: ", 0), 0u) << name;
    // A mis-bound button must never wipe a recording.
    EXPECT_FALSE(xphost::commandExists("plotwright/clear"));
    EXPECT_EQ(xphost::commandNames().size(), kCommands.size());

    module.unload();
    expectHandlers(0); // the commands stay; no press reaches the unloaded module
    press("plotwright/record_toggle");

    loadAndStart(module);
    expectHandlers(1);
    module.unload();
}

// The same flight twice, each in a new install: once by clicks in the graph window, once by
// commands alone with no window ever opened. Returns the three exports.
std::vector<std::string> fly(bool byCommands) {
    const std::string root = plotwright_test::makeTempFolder(byCommands ? "commands" : "clicks");
    plotwright_test::resetStartedHost(root);
    const std::string plugin = xphost::pluginFolder();
    plotwright_test::writeFile(plugin + "Plotwright.ini",
                               "[DATASET1]\nName1 = test/wave\nScaling1 = 1.0\n"
                               "[DATASET2]\nName1 = test/wave\nScaling1 = 2.0\n"
                               "[DATASET3]\nName8 = test/wave\nScaling8 = -1.0\n");
    xphost::defineDataRef("test/wave", xphost::DataRefKind::Float);
    xphost::setFrameHook([](double simTime) {
        xphost::setDataRefValue("test/wave", 100.0 * std::sin(6.283185307 * simTime));
    });

    xphost::PluginModule module;
    loadAndStart(module);
    XPWidgetID graph = nullptr;
    if (!byCommands) {
        std::string error;
        EXPECT_TRUE(xphost::chooseMenuItem({"Plotwrite", "Graph Window"}, &error)) << error;
        graph = xphost::findWindow("Plotwright");
    }
    xphost::advanceSeconds(0.5);
    if (byCommands) {
        // Held for two seconds: the press starts the recording, holding and letting go do
        // nothing more (a toggle acting again would stop it).
        std::string error;
        EXPECT_TRUE(xphost::holdCommand("plotwright/record_toggle", 200, &error)) << error;
        xphost::advanceSeconds(1.0);
        press("plotwright/record_toggle");
        press("plotwright/export_all");
        const XPWidgetID hidden = xphost::findWindow("Plotwright");
        EXPECT_NE(hidden, nullptr);
        EXPECT_FALSE(XPIsWidgetVisible(hidden)); // built for the recording, never shown
    } else {
        click(graph, " Record");
        xphost::advanceSeconds(3.0);
        click(graph, " Stop");
        for (int set = 0; set < 3; ++set) {
            click(graph, " Export");
            if (set < 2) click(graph, " Next Set");
        }
    }
    module.unload(); // waits for the exports
    xphost::setFrameHook(nullptr);
    std::vector<std::string> files;
    for (const char *name : kExports)
        files.push_back(plotwright_test::readFile(plugin + name));
    return files;
}

TEST_F(HostTest, ARecordingByCommandsAloneExportsWhatClicksExport) {
    const std::vector<std::string> clicked = fly(false);
    const std::vector<std::string> commanded = fly(true);
    ASSERT_EQ(clicked.size(), 3u);
    for (std::size_t set = 0; set < 3; ++set) {
        // 3 s at 100 rows a second, give or take the tick the press or click falls on.
        EXPECT_GT(clicked[set].size(), 250u * 2u) << kExports[set];
        EXPECT_EQ(lineCount(commanded[set]), lineCount(clicked[set])) << kExports[set];
        EXPECT_TRUE(commanded[set] == clicked[set]) << kExports[set] << " differs";
    }
}

TEST_F(HostTest, AHandlerLeftOnAnUnloadedModuleIsReportedAndNeverCalled) {
    xphost::PluginModule module;
    std::string error;
    ASSERT_TRUE(module.load(COMMAND_LEFT_MODULE_PATH, &error)) << error;
    ASSERT_EQ(module.start(), 1);
    ASSERT_EQ(xphost::commandHandlerCount("test/left_behind"), 1);
    module.unload();
    ASSERT_EQ(xphost::hostErrors().size(), 1u);
    EXPECT_NE(xphost::hostErrors()[0].find("test/left_behind"), std::string::npos);
    xphost::clearHostErrors();
    EXPECT_EQ(xphost::commandHandlerCount("test/left_behind"), 0);
    press("test/left_behind");                                       // would run code that is gone
    EXPECT_EQ(xphost::simulatorHandledCount("test/left_behind"), 2); // begin and end
}

} // namespace
