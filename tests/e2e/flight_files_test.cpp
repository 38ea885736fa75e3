// One flight through the real module, in a simulator folder whose name has a space and letters
// outside ASCII, as a user's can: start, the menu and all three windows, a known signal recorded
// for a few simulated seconds, the three sets exported, the settings written, then a restart that
// reads the written file. The Windows build runs the same flight under Wine, and a check of that
// build compares its files with the ones this flight leaves on Linux (tests/windows/).
// It flies from two folders: one whose letters the Western code page holds, and a Cyrillic one
// it cannot hold. On Windows the simulator hands out legacy paths in that code page until the
// plug-in asks for native ones: the first would then be bytes no UTF-8 reader takes, the second
// would have lost its letters.
#include <cmath>
#include <filesystem>
#include <ostream>
#include <string>

#include "support/host_fixture.h"
#include "xphost/datarefs.h"
#include "xphost/flight_loop.h"
#include "xphost/host.h"
#include "xphost/menus.h"
#include "xphost/plugin_loader.h"
#include "xphost/widgets.h"

namespace {
using plotwright_test::HostTest;

// Where the flight's files stay for the comparison, under the build's test output.
const char kFlightFolder[] = "flight-files";

struct SimulatorFolder {
    const char *Name; // UTF-8
    const char *TestName;
};
const SimulatorFolder kSimulatorFolders[] = {
    {"Simula\xC3\xA7\xC3\xA3o X-Plane", "InCodePageLetters"}, // "Simulação X-Plane"
    {"\xD0\xA1\xD0\xB8\xD0\xBC\xD1\x83\xD0\xBB\xD1\x8F\xD1\x82\xD0\xBE\xD1\x80 X-Plane",
     "InLettersBeyondTheCodePage"}, // "Симулятор X-Plane"
};

constexpr double kPi = 3.14159265358979323846;

void driveSignals(double simTime) {
    const long long frame = std::llround(simTime * 100.0);
    xphost::setDataRefValue("test/wave", 100.0 * std::sin(2.0 * kPi * frame / 100.0));
    xphost::setDataRefValue("test/frame", static_cast<double>(frame));
    xphost::setDataRefElement("test/ramps", 2, 0.25 * static_cast<double>(frame % 40));
}

void PrintTo(const SimulatorFolder &folder, std::ostream *out) { *out << folder.TestName; }

XPWidgetID only(XPWidgetID window, const std::string &label) {
    const auto found = xphost::findDescendants(window, label);
    return found.size() == 1 ? found[0] : nullptr;
}

class FlightFilesTest : public HostTest, public ::testing::WithParamInterface<SimulatorFolder> {
protected:
    void SetUp() override {
        HostTest::SetUp();
        const std::string base = std::string(PLOTWRIGHT_TEST_OUTPUT_DIR) + "/" + kFlightFolder;
        std::filesystem::remove_all(plotwright_test::fsPath(base + "/" + GetParam().Name));
        // Paths start legacy, as the simulator starts a plug-in.
        xphost::resetHost(base + "/" + GetParam().Name);
        ASSERT_TRUE(xphost::hostErrors().empty());
        plugin_ = xphost::pluginFolder();
        xphost::defineDataRef("test/wave", xphost::DataRefKind::Float);
        xphost::defineDataRef("test/frame", xphost::DataRefKind::Int);
        xphost::defineDataRef("test/ramps", xphost::DataRefKind::FloatArray, 4);
        xphost::setFrameHook(driveSignals);
    }

    void choose(const char *item) {
        std::string error;
        ASSERT_TRUE(xphost::chooseMenuItem({"Plotwrite", item}, &error)) << error;
    }

    std::string plugin_;
};

TEST_P(FlightFilesTest, RecordExportWriteSettingsAndStartAgainFromThem) {
    plotwright_test::writeFile(plugin_ + "Plotwright.ini",
                               "[CONFIG]\nFullSizeWindow = 0\n"
                               "[DATASET1]\nName1 = test/wave\nScaling1 = 1.0\n"
                               "Name2 = test/frame\nScaling2 = 0.5\n"
                               "[DATASET2]\nName1 = test/frame\nScaling1 = 2\n"
                               "[DATASET3]\nName4 = test/ramps\nIndex4 = 2\nScaling4 = 1.5\n");

    xphost::PluginModule module;
    std::string error;
    ASSERT_TRUE(module.load(plotwright_test::modulePath(), &error)) << error;
    ASSERT_EQ(module.start(), 1);
    EXPECT_EQ(module.name(), "Plotwrite");
    EXPECT_EQ(module.signature(), "quillanhurst.projects.plotwrite");
    EXPECT_EQ(module.description(), "A plug-in that show datarefs graphically.");
    const auto plugins = xphost::menuItems(xphost::pluginsMenu());
    ASSERT_EQ(plugins.size(), 1u);
    const auto items = xphost::menuItems(plugins[0].Submenu);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].Name, "Graph Window");
    EXPECT_EQ(items[1].Name, "DataRef Setup");
    EXPECT_EQ(items[2].Name, "DataRef Scaling");

    choose("Graph Window");
    choose("DataRef Setup");
    choose("DataRef Scaling");
    const XPWidgetID graph = xphost::findWindow("Plotwright");
    const XPWidgetID setup = xphost::findWindow("DataRef Setup");
    const XPWidgetID scaling = xphost::findWindow("DataRef Scaling");
    ASSERT_NE(graph, nullptr);
    ASSERT_NE(setup, nullptr);
    ASSERT_NE(scaling, nullptr);
    // The windows overlap; each is used alone, as a user brings one to the front.
    ASSERT_TRUE(xphost::clickCloseBox(setup));
    ASSERT_TRUE(xphost::clickCloseBox(scaling));

    xphost::advanceSeconds(0.5);
    ASSERT_TRUE(xphost::clickWidget(only(graph, " Record")));
    xphost::advanceSeconds(3.0);
    ASSERT_TRUE(xphost::clickWidget(only(graph, " Stop")));
    for (int set = 0; set < 3; ++set) {
        ASSERT_TRUE(xphost::clickWidget(only(graph, " Export")));
        if (set < 2) {
            ASSERT_TRUE(xphost::clickWidget(only(graph, " Next Set")));
        }
    }
    ASSERT_TRUE(xphost::clickCloseBox(graph));
    choose("DataRef Setup");
    ASSERT_TRUE(xphost::clickWidget(only(setup, " Create INI File")));
    module.unload();

    for (const char *name : {"Plotwright1.csv", "Plotwright2.csv", "Plotwright3.csv"})
        EXPECT_NE(plotwright_test::readFile(plugin_ + name).size(), 0u) << name;
    const std::string written = plotwright_test::readFile(plugin_ + "PlotwrightNew.ini");
    ASSERT_NE(written.find("Name4 = test/ramps"), std::string::npos) << written;

    // The written settings, as the next flight's: every channel is back.
    plotwright_test::writeFile(plugin_ + "Plotwright.ini", written);
    ASSERT_TRUE(module.load(plotwright_test::modulePath(), &error)) << error;
    ASSERT_EQ(module.start(), 1);
    EXPECT_NE(xphost::logText().find("Plotwright - parsing successful"), std::string::npos)
        << xphost::logText();
    choose("DataRef Setup");
    const XPWidgetID again = xphost::findWindow("DataRef Setup");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(xphost::findDescendants(again, "test/wave").size(), 1u);
    EXPECT_EQ(xphost::findDescendants(again, "test/frame").size(), 1u);
    module.unload();
}

INSTANTIATE_TEST_SUITE_P(Folders, FlightFilesTest, ::testing::ValuesIn(kSimulatorFolders),
                         [](const ::testing::TestParamInfo<SimulatorFolder> &folder) {
                             return std::string(folder.param.TestName);
                         });

} // namespace
