// Pictures of the setup and scaling windows as the headless host draws them, written to the
// build's test-output folder for a reviewer to look at.
#include <cstdint>
#include <iostream>
#include <set>
#include <string>

#include "support/host_fixture.h"
#include "window_test_helpers.h"
#include "xphost/datarefs.h"
#include "xphost/menus.h"
#include "xphost/screen.h"

namespace {
using plotwright_test::HostTest;
using window_test::runTicks;
using window_test::setChannel;

class WindowScreenshotTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        std::string error;
        if (!xphost::ensureGraphics(&error)) GTEST_SKIP() << "no OpenGL context: " << error;
        xphost::defineDataRef("sim/flightmodel/position/indicated_airspeed",
                              xphost::DataRefKind::Float);
        xphost::defineDataRef("sim/flightmodel/position/vh_ind", xphost::DataRefKind::Float);
        xphost::defineDataRef("sim/flightmodel/engine/ENGN_N1_", xphost::DataRefKind::FloatArray,
                              8);
        xphost::setDataRefValue("sim/flightmodel/position/indicated_airspeed", 112.4);
        xphost::setDataRefValue("sim/flightmodel/position/vh_ind", -3.71);
        xphost::setDataRefElement("sim/flightmodel/engine/ENGN_N1_", 1, 87.25);
        window_test::startPlugin();
        started_ = true;
        setChannel(0, 0, "sim/flightmodel/position/indicated_airspeed", 1.5f);
        setChannel(0, 1, "sim/flightmodel/position/vh_ind", 20.0f);
        setChannel(0, 2, "sim/flightmodel/engine/ENGN_N1_", 2.0f, 1);
        setChannel(0, 3, "sim/unknown/dataref", 1.0f);
        gAppState->resolveDataRefs();
    }
    void TearDown() override {
        if (started_) XPluginStop();
        HostTest::TearDown();
    }

    // Writes the window's picture and checks that it is the window's size and not blank.
    void capture(XPWidgetID window, const std::string &fileName) {
        ASSERT_NE(window, nullptr);
        const xphost::Image image = xphost::captureWindow(window);
        const xphost::WidgetRect rect = xphost::geometryOf(window);
        EXPECT_EQ(image.Width, rect.Right - rect.Left + 1);
        EXPECT_EQ(image.Height, rect.Top - rect.Bottom + 1);
        std::set<std::uint32_t> colours;
        for (std::size_t k = 0; k + 3 < image.Rgba.size(); k += 4)
            colours.insert(static_cast<std::uint32_t>(image.Rgba[k]) << 16 |
                           static_cast<std::uint32_t>(image.Rgba[k + 1]) << 8 | image.Rgba[k + 2]);
        EXPECT_GT(colours.size(), 4u) << "the picture is nearly blank";
        const std::string path = std::string(PLOTWRIGHT_TEST_OUTPUT_DIR) + "/" + fileName;
        std::string error;
        EXPECT_TRUE(xphost::writePng(image, path, &error)) << error;
        std::cout << "picture: " << path << "\n";
    }

    bool started_ = false;
};

TEST_F(WindowScreenshotTest, SetupWindow) {
    ASSERT_TRUE(xphost::chooseMenuItem({"Plotwrite", "DataRef Setup"}));
    capture(gAppState->SetupWindowWidget, "setup_window.png");
}

TEST_F(WindowScreenshotTest, ScalingWindowAfterSomeTicks) {
    ASSERT_TRUE(xphost::chooseMenuItem({"Plotwrite", "DataRef Scaling"}));
    runTicks(3);
    capture(gAppState->ScalingWindowWidget, "scaling_window.png");
}
} // namespace
