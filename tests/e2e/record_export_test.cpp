// The whole road of a sample through the real module: a known signal recorded for a few
// simulated seconds from the graph window's Record button, exported to CSV, and drawn.

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/host_fixture.h"
#include "xphost/datarefs.h"
#include "xphost/flight_loop.h"
#include "xphost/menus.h"
#include "xphost/plugin_loader.h"
#include "xphost/screen.h"
#include "xphost/widgets.h"

namespace {
using plotwright_test::HostTest;

constexpr double kPi = 3.14159265358979323846;

// The wave's value at a frame: one period a second, amplitude 100.
double wave(long long frame) {
    return 100.0 * std::sin(2.0 * kPi * static_cast<double>(frame) / 100.0);
}

std::vector<std::vector<double>> parseCsv(const std::string &text) {
    std::vector<std::vector<double>> rows;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<double> row;
        std::istringstream fields(line);
        std::string field;
        while (std::getline(fields, field, ','))
            row.push_back(std::stod(field));
        rows.push_back(row);
    }
    return rows;
}

XPWidgetID button(XPWidgetID window, const std::string &label) {
    const auto found = xphost::findDescendants(window, label);
    return found.size() == 1 ? found[0] : nullptr;
}

TEST_F(HostTest, RecordedSignalIsExportedAndDrawn) {
    plotwright_test::writeFile(pluginDir_ + "Plotwright.ini",
                               "[CONFIG]\nFullSizeWindow = 0\n"
                               "[DATASET1]\nName1 = test/wave\nScaling1 = 1.0\n"
                               "[DATASET2]\nName1 = test/frame\nScaling1 = 0.5\n");
    xphost::defineDataRef("test/wave", xphost::DataRefKind::Float);
    xphost::defineDataRef("test/frame", xphost::DataRefKind::Int);
    xphost::setFrameHook([](double simTime) {
        const long long frame = std::llround(simTime * 100.0);
        xphost::setDataRefValue("test/wave", wave(frame));
        xphost::setDataRefValue("test/frame", static_cast<double>(frame));
    });

    xphost::PluginModule module;
    std::string error;
    ASSERT_TRUE(module.load(plotwright_test::modulePath(), &error)) << error;
    ASSERT_EQ(module.start(), 1);
    ASSERT_TRUE(xphost::chooseMenuItem({"Plotwrite", "Graph Window"}, &error)) << error;
    XPWidgetID window = xphost::findWindow("Plotwright");
    ASSERT_NE(window, nullptr);

    xphost::advanceSeconds(0.5); // ticking, not yet recording
    ASSERT_TRUE(xphost::clickWidget(button(window, " Record")));
    xphost::advanceSeconds(3.0);
    ASSERT_TRUE(xphost::clickWidget(button(window, " Stop")));
    xphost::advanceSeconds(0.5); // stopped: nothing more is recorded
    ASSERT_TRUE(xphost::clickWidget(button(window, " Export")));

    // Set 2 records the frame number beside set 1's wave, tick by tick.
    ASSERT_TRUE(xphost::clickWidget(button(window, " Next Set")));
    ASSERT_TRUE(xphost::clickWidget(button(window, " Export")));
    ASSERT_TRUE(xphost::clickWidget(button(window, " Previous Set")));
    plotwright_test::waitForExports(module);
    const auto rows = parseCsv(plotwright_test::readFile(pluginDir_ + "Plotwright1.csv"));
    const auto frames = parseCsv(plotwright_test::readFile(pluginDir_ + "Plotwright2.csv"));
    ASSERT_GE(rows.size(), 299u);
    ASSERT_LE(rows.size(), 301u);
    ASSERT_EQ(frames.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 8u) << "line " << i;
        ASSERT_EQ(frames[i].size(), 8u) << "line " << i;
        const long long frame = std::llround(frames[i][0] * 2.0);
        if (i > 0) {
            EXPECT_EQ(frame, std::llround(frames[i - 1][0] * 2.0) + 1) << "one sample per tick";
        }
        EXPECT_NEAR(rows[i][0], wave(frame), 1e-4) << "line " << i;
        for (std::size_t c = 1; c < 8; ++c)
            EXPECT_EQ(rows[i][c], 0.0) << "line " << i;
    }
    EXPECT_GE(std::llround(frames[0][0] * 2.0), 50) << "nothing recorded before Record";

    std::string graphicsError;
    if (!xphost::ensureGraphics(&graphicsError)) {
        module.unload();
        GTEST_SKIP() << "no OpenGL: " << graphicsError;
    }
    const xphost::Image picture = xphost::captureWindow(window);
    std::filesystem::create_directories(PLOTWRIGHT_TEST_OUTPUT_DIR);
    EXPECT_TRUE(xphost::writePng(
        picture, std::string(PLOTWRIGHT_TEST_OUTPUT_DIR) + "/record-export-graph-window.png",
        &error))
        << error;

    // Column k of the short graph shows sample k, 0.4 pixel per unit about the middle row.
    const xphost::WidgetRect frameRect = xphost::geometryOf(window);
    const xphost::WidgetRect graph = xphost::geometryOf(xphost::childrenOf(window).at(0));
    const int middle = (graph.Top - graph.Bottom) / 2;
    int checked = 0;
    for (std::size_t k = 40; k < rows.size() - 1; k += 13) {
        const int x = graph.Left - frameRect.Left + static_cast<int>(k);
        const int row = graph.Bottom - frameRect.Bottom + middle +
                        static_cast<int>(std::lround(rows[k][0] * 0.4));
        bool red = false;
        for (int dy = -1; dy <= 1; ++dy) {
            const std::uint8_t *p = picture.at(x, row + dy);
            red = red || (p[0] > 200 && p[1] < 60 && p[2] < 60);
        }
        EXPECT_TRUE(red) << "no red line at sample " << k;
        ++checked;
    }
    EXPECT_GT(checked, 15);
    module.unload();
}
} // namespace
