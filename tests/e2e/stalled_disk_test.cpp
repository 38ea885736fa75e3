// The real module, loaded with dlopen, while the disk stops answering in the middle of an
// export: disabling and stopping the plug-in return within the ten seconds the README promises,
// the simulator unloads the module, and when the disk answers at last the export's thread runs
// on in the module, which stayed mapped for it, and ends without harm. Its own program: the
// module stays loaded until the process ends once it was kept for such a thread. Loaded again
// meanwhile, it starts a session of its own, with none of the old one's rows.
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "support/host_fixture.h"
#include "support/write_stall.h"
#include "xphost/flight_loop.h"
#include "xphost/host.h"
#include "xphost/menus.h"
#include "xphost/plugin_loader.h"
#include "xphost/widgets.h"

namespace {
using plotwright_test::HostTest;
namespace stall = plotwright_test::write_stall;
using Clock = std::chrono::steady_clock;

// Where the plug-in writes an export before it replaces the earlier file.
const char kPartialSuffix[] = ".partial";

// What the README promises for a disable or a quit.
constexpr std::chrono::seconds kPromisedBound{10};
// For a machine loaded by other builds; a wait for the disk takes the watchdog's two minutes.
constexpr std::chrono::seconds kSlack{30};

TEST_F(HostTest, RealModuleLeavesAStalledExportBehindWithinTheBoundAndOutlivesItsUnload) {
    const std::string target = pluginDir_ + "Plotwright1.csv";
    const std::string partial = target + kPartialSuffix;
    plotwright_test::writeFile(target, "the earlier export\n");

    xphost::PluginModule module;
    std::string error;
    ASSERT_TRUE(module.load(plotwright_test::modulePath(), &error)) << error;
    ASSERT_EQ(module.start(), 1);
    ASSERT_TRUE(xphost::chooseMenuItem({"Plotwrite", "Graph Window"}, &error)) << error;
    XPWidgetID graph = xphost::findWindow("Plotwright");
    ASSERT_NE(graph, nullptr);
    ASSERT_TRUE(xphost::clickWidget(xphost::findDescendants(graph, " Record").at(0)));
    xphost::runFrames(300);
    ASSERT_TRUE(xphost::clickWidget(xphost::findDescendants(graph, " Stop").at(0)));

    stall::ReleaseAtEnd releaseAtEnd;
    stall::arm("Plotwright1.csv" + std::string(kPartialSuffix));
    ASSERT_TRUE(xphost::clickWidget(xphost::findDescendants(graph, " Export").at(0)));
    stall::waitUntilHeld();
    // The simulator's exit() and any plug-in's fflush(NULL) take the lock of every open stream:
    // a writer that the disk holds must hold none, or the simulator's quit waits on the disk.
    {
        stall::Watchdog watchdog(std::chrono::seconds(30));
        std::fflush(nullptr);
        EXPECT_TRUE(stall::holding()) << "fflush(NULL) waited for the disk";
    }
    // The export writer's thread, while the process has it.
    const std::string writer = "/proc/self/task/" + std::to_string(stall::heldThreadId());
    {
        stall::Watchdog watchdog(std::chrono::seconds(120));
        Clock::time_point start = Clock::now();
        module.disable();
        EXPECT_LT(Clock::now() - start, kPromisedBound + kSlack) << "the disable waited";
        start = Clock::now();
        module.unload(); // stop, then dlclose
        EXPECT_LT(Clock::now() - start, kPromisedBound + kSlack) << "the stop waited";
    }
    EXPECT_NE(xphost::logText().find("Plotwright - Could not finish writing " + target +
                                     ": the disk did not answer in time"),
              std::string::npos)
        << xphost::logText();
    // Unloaded by the simulator, still mapped: RTLD_NOLOAD finds only a loaded module.
    void *stillMapped = dlopen(plotwright_test::modulePath(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(stillMapped, nullptr);
    if (stillMapped != nullptr) dlclose(stillMapped);

    // Loaded again while the old thread still waits: the module is the one kept mapped, whose
    // program-wide objects were built once, yet the new session's recording starts empty.
    ASSERT_TRUE(module.load(plotwright_test::modulePath(), &error)) << error;
    ASSERT_EQ(module.start(), 1);
    ASSERT_TRUE(xphost::chooseMenuItem({"Plotwrite", "Graph Window"}, &error)) << error;
    graph = xphost::findWindow("Plotwright");
    ASSERT_NE(graph, nullptr);
    ASSERT_TRUE(xphost::clickWidget(xphost::findDescendants(graph, " Next Set").at(0)));
    ASSERT_TRUE(xphost::clickWidget(xphost::findDescendants(graph, " Export").at(0)));
    module.unload(); // the stop lets the export of set 2 finish
    const std::string second = plotwright_test::readFile(pluginDir_ + "Plotwright2.csv");
    EXPECT_EQ(std::count(second.begin(), second.end(), '\n'), 0)
        << "the previous session's rows came back";

    // The disk answers: the thread returns into the module's code, gives its export up (the
    // partial file goes, the earlier one stays) and ends. A crash here ends the test program.
    stall::release();
    while (plotwright_test::fileExists(partial) || access(writer.c_str(), F_OK) == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(plotwright_test::readFile(target) == "the earlier export\n")
        << "the given-up export replaced the earlier file";
}

} // namespace
