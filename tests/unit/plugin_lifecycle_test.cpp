// The plug-in's face towards the simulator: identity, menu, flight-loop registration, the state
// after start, and a clean stop that allows a second start in the same process.
#include <cstring>
#include <string>

#include "core/app_state.h"
#include "core/host_callbacks.h"
#include "graph/sample_store.h"
#include "plugin_entry.h"
#include "support/host_fixture.h"
#include "xphost/datarefs.h"
#include "xphost/flight_loop.h"
#include "xphost/host.h"
#include "xphost/menus.h"

namespace {
using plotwright_test::HostTest;

struct IdentityBuffers {
    char name[256];
    char signature[256];
    char description[256];
    IdentityBuffers() {
        std::memset(name, 'x', sizeof name);
        std::memset(signature, 'x', sizeof signature);
        std::memset(description, 'x', sizeof description);
    }
};

// Bytes written before the first untouched marker.
std::size_t bytesWritten(const char *buffer) {
    std::size_t n = 0;
    while (n < 256 && buffer[n] != 'x')
        ++n;
    // The texts contain no 'x' of their own beyond what we check separately.
    return n;
}

class PluginLifecycleTest : public HostTest {
protected:
    void TearDown() override {
        if (gAppState != nullptr) XPluginStop();
        HostTest::TearDown();
    }
    int start() { return XPluginStart(ids_.name, ids_.signature, ids_.description); }
    IdentityBuffers ids_;
};

// Legacy paths are in the ANSI code page on Windows, which the file functions cannot take and
// which loses letters; the plug-in asks for native ones before it asks for any path, and joins
// its paths with the separator they use.
TEST_F(PluginLifecycleTest, AsksForNativePathsBeforeItsFirstPath) {
    xphost::resetHost(xphost::installRoot()); // legacy paths, as the simulator starts a plug-in
    ASSERT_FALSE(xphost::nativePaths());
    ASSERT_EQ(start(), 1);
    EXPECT_TRUE(xphost::nativePaths());
    EXPECT_EQ(xphost::legacyPathRequests(), 0);
    EXPECT_EQ(std::string(gAppState->SettingsPath),
              root_ + "Resources/plugins/Plotwright/Plotwright.ini");
}

TEST_F(PluginLifecycleTest, HandsOverItsIdentityWithExactByteCounts) {
    ASSERT_EQ(start(), 1);
    EXPECT_STREQ(ids_.name, "Plotwrite");
    EXPECT_STREQ(ids_.signature, "quillanhurst.projects.plotwrite");
    EXPECT_STREQ(ids_.description, "A plug-in that show datarefs graphically.");
    EXPECT_EQ(ids_.name[10], 'x');
    EXPECT_EQ(bytesWritten(ids_.name), 10u);
    EXPECT_EQ(ids_.signature[32], 'x');
    EXPECT_EQ(ids_.description[42], 'x');
}

TEST_F(PluginLifecycleTest, AddsPlotwriteMenuWithThreeItemsWhoseReferencesAreTheirTexts) {
    const std::size_t menusBefore = xphost::menuCount();
    ASSERT_EQ(start(), 1);
    const auto plugins = xphost::menuItems(xphost::pluginsMenu());
    ASSERT_EQ(plugins.size(), 1u);
    EXPECT_EQ(plugins[0].Name, "Plotwrite");
    EXPECT_EQ(plugins[0].ItemRef, nullptr);
    EXPECT_EQ(gAppState->PluginsMenuItem, 0);
    ASSERT_NE(plugins[0].Submenu, nullptr);
    EXPECT_EQ(plugins[0].Submenu, gAppState->MenuId);
    EXPECT_EQ(xphost::menuName(gAppState->MenuId), "Plotwrite");
    EXPECT_EQ(xphost::menuCount(), menusBefore + 1);

    const auto items = xphost::menuItems(gAppState->MenuId);
    ASSERT_EQ(items.size(), 3u);
    const char *expected[] = {"Graph Window", "DataRef Setup", "DataRef Scaling"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(items[i].Name, expected[i]);
        ASSERT_NE(items[i].ItemRef, nullptr);
        EXPECT_STREQ(static_cast<const char *>(items[i].ItemRef), expected[i]);
        EXPECT_EQ(items[i].Submenu, nullptr);
    }
}

TEST_F(PluginLifecycleTest, FirstTickComesAfterATenthThenEveryHundredth) {
    ASSERT_EQ(start(), 1);
    ASSERT_TRUE(xphost::isFlightLoopRegistered(flightLoopCallback, nullptr));
    EXPECT_FLOAT_EQ(xphost::flightLoopInterval(flightLoopCallback, nullptr), 0.1f);
    xphost::runFrames(9); // 0.09 s
    EXPECT_EQ(xphost::flightLoopCallCount(), 0);
    xphost::runFrames(1); // 0.10 s
    EXPECT_EQ(xphost::flightLoopCallCount(), 1);
    EXPECT_FLOAT_EQ(xphost::flightLoopInterval(flightLoopCallback, nullptr), 0.01f);
    xphost::advanceSeconds(1.0);
    EXPECT_EQ(xphost::flightLoopCallCount(), 101);
}

TEST_F(PluginLifecycleTest, StartsWithDefaultsAndInitialStatistics) {
    ASSERT_EQ(start(), 1);
    const AppState &s = *gAppState;
    EXPECT_EQ(s.GraphWindowCreated, 0);
    EXPECT_EQ(s.SetupWindowCreated, 0);
    EXPECT_EQ(s.ScalingWindowCreated, 0);
    EXPECT_EQ(s.Recording, 0);
    EXPECT_EQ(s.Play, 0);
    EXPECT_EQ(s.Rewind, 0);
    EXPECT_EQ(s.CurrentSet, 0);
    EXPECT_EQ(s.FullSizeWindow, 1);
    EXPECT_STREQ(s.VersionText, "v1.40");
    EXPECT_EQ(std::string(s.SettingsPath), pluginDir_ + "Plotwright.ini");
    EXPECT_EQ(s.GraphWindowWidget, nullptr);
    EXPECT_EQ(s.GraphWidget, nullptr);
    EXPECT_EQ(s.SetupWindowWidget, nullptr);
    EXPECT_EQ(s.ScalingWindowWidget, nullptr);
    for (int set = 0; set < kSetCount; ++set) {
        for (int ch = 0; ch < kChannelCount; ++ch) {
            EXPECT_STREQ(s.Name[set][ch], "");
            EXPECT_EQ(s.Scaling[set][ch], 0.0f);
            EXPECT_EQ(s.Index[set][ch], 0);
            EXPECT_EQ(s.DataRefHandle[set][ch], nullptr);
            EXPECT_EQ(s.Enabled[set][ch], 0);
        }
    }
    for (int i = 0; i < kChannelTotal; ++i) {
        EXPECT_EQ(s.DataMin[i], 1000000.0f);
        EXPECT_EQ(s.DataMax[i], 0.0f);
        EXPECT_EQ(s.DataValue[i], 0.0f);
        EXPECT_EQ(s.ScaleMin[i], 1000000.0f);
        EXPECT_EQ(s.ScaleMax[i], 0.0f);
        EXPECT_EQ(s.ScaleValue[i], 0.0f);
    }
}

TEST_F(PluginLifecycleTest, ResolvingEnablesExactlyTheChannelsWhoseDatarefExists) {
    XPLMDataRef airspeed = xphost::defineDataRef("sim/flightmodel/position/indicated_airspeed",
                                                 xphost::DataRefKind::Float);
    ASSERT_EQ(start(), 1);
    AppState &s = *gAppState;
    s.Enabled[0][0] = 1; // whatever was there before is not consulted
    std::strcpy(s.Name[0][1], "sim/flightmodel/position/indicated_airspeed");
    std::strcpy(s.Name[2][7], "sim/no/such/dataref");
    s.DataMax[3] = 55.0f;
    s.resolveDataRefs();
    EXPECT_EQ(s.DataRefHandle[0][0], nullptr);
    EXPECT_EQ(s.Enabled[0][0], 0);
    EXPECT_EQ(s.DataRefHandle[0][1], airspeed);
    EXPECT_EQ(s.Enabled[0][1], 1);
    EXPECT_EQ(s.DataRefHandle[2][7], nullptr);
    EXPECT_EQ(s.Enabled[2][7], 0);
    EXPECT_EQ(s.DataMax[3], 0.0f);

    s.DataMin[5] = -3.0f;
    s.ScaleValue[23] = 9.0f;
    s.resetStatistics();
    EXPECT_EQ(s.DataMin[5], 1000000.0f);
    EXPECT_EQ(s.ScaleValue[23], 0.0f);
    EXPECT_EQ(s.Enabled[0][1], 1); // statistics only
}

// The settings file is read before the datarefs are resolved, and what it does not say keeps
// its default: a channel without a scaling factor records 0.0 whatever its dataref reads.
TEST_F(PluginLifecycleTest, StartReadsTheSettingsThenResolvesTheirDatarefs) {
    xphost::defineDataRef("test/altitude", xphost::DataRefKind::Float);
    xphost::setDataRefValue("test/altitude", 42.0);
    plotwright_test::writeFile(pluginDir_ + "Plotwright.ini",
                               "[DATASET1]\nName1 = test/altitude\nName2 = test/missing\n"
                               "[DATASET3]\nName8 = test/altitude\nScaling8 = 2.0\n");
    ASSERT_EQ(start(), 1);
    AppState &s = *gAppState;
    EXPECT_EQ(s.FullSizeWindow, 1);
    EXPECT_NE(s.DataRefHandle[0][0], nullptr);
    EXPECT_EQ(s.Enabled[0][0], 1);
    EXPECT_EQ(s.Scaling[0][0], 0.0f);
    EXPECT_EQ(s.DataRefHandle[0][1], nullptr);
    EXPECT_EQ(s.Enabled[0][1], 0);
    EXPECT_EQ(s.Enabled[2][7], 1);
    EXPECT_EQ(s.Scaling[2][7], 2.0f);

    gSampleStore.clearSet(0);
    gSampleStore.clearSet(2);
    std::string error;
    ASSERT_TRUE(xphost::chooseMenuItem({"Plotwrite", "Graph Window"}, &error)) << error;
    s.Recording = 1;
    s.onFlightLoop(0.01f, 0.01f, 1, nullptr);
    ASSERT_EQ(gSampleStore.sampleCount(0), 1u);
    EXPECT_EQ(gSampleStore.series(0, 0)[0], 0.0f);
    ASSERT_EQ(gSampleStore.sampleCount(2), 1u);
    EXPECT_EQ(gSampleStore.series(2, 7)[0], 84.0f);
    for (int set = 0; set < kSetCount; ++set)
        gSampleStore.clearSet(set);
}

TEST_F(PluginLifecycleTest, EnableDisableAndMessagesChangeNothing) {
    ASSERT_EQ(start(), 1);
    EXPECT_EQ(XPluginEnable(), 1);
    EXPECT_EQ(XPluginEnable(), 1);
    XPluginDisable();
    XPluginReceiveMessage(0, 12345, nullptr);
    EXPECT_TRUE(xphost::isFlightLoopRegistered(flightLoopCallback, nullptr));
    EXPECT_TRUE(xphost::menuExists(gAppState->MenuId));
    EXPECT_EQ(gAppState->Recording, 0);
}

TEST_F(PluginLifecycleTest, StopReleasesEverythingAndASecondStartWorks) {
    const std::size_t menusBefore = xphost::menuCount();
    ASSERT_EQ(start(), 1);
    XPLMMenuID firstMenu = gAppState->MenuId;
    XPluginStop();
    EXPECT_EQ(gAppState, nullptr);
    EXPECT_FALSE(xphost::menuExists(firstMenu));
    EXPECT_EQ(xphost::menuCount(), menusBefore);
    EXPECT_EQ(xphost::registeredFlightLoopCount(), 0u);
    xphost::runFrames(50);
    EXPECT_EQ(xphost::flightLoopCallCount(), 0);

    IdentityBuffers again;
    ASSERT_EQ(XPluginStart(again.name, again.signature, again.description), 1);
    ASSERT_NE(gAppState, nullptr);
    EXPECT_TRUE(xphost::menuExists(gAppState->MenuId));
    EXPECT_EQ(xphost::registeredFlightLoopCount(), 1u);
    xphost::runFrames(11);
    EXPECT_EQ(xphost::flightLoopCallCount(), 2);
}

TEST_F(PluginLifecycleTest, MenuChoicesWithUnknownOrNullReferencesDoNothing) {
    ASSERT_EQ(start(), 1);
    gAppState->onMenuItem(nullptr, nullptr);
    char other[] = "Graph window"; // case differs
    gAppState->onMenuItem(nullptr, other);
    EXPECT_EQ(gAppState->GraphWindowCreated, 0);
    EXPECT_EQ(gAppState->SetupWindowCreated, 0);
    EXPECT_EQ(gAppState->ScalingWindowCreated, 0);
}

TEST_F(PluginLifecycleTest, CallbacksWithoutStateAnswerHarmlessly) {
    ASSERT_EQ(gAppState, nullptr);
    EXPECT_FLOAT_EQ(flightLoopCallback(0.01f, 0.01f, 1, nullptr), 0.01f);
    menuHandler(nullptr, const_cast<char *>("Graph Window"));
    EXPECT_EQ(graphWindowCallback(1300, nullptr, 0, 0), 0);
    EXPECT_EQ(setupWindowCallback(1300, nullptr, 0, 0), 0);
    EXPECT_EQ(scalingWindowCallback(1300, nullptr, 0, 0), 0);
}

// A simulator folder as deep as a system path may be: the settings file is read, and the copy
// that Create INI File writes is one the next start can read back.
class DeepInstallTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (gAppState != nullptr) XPluginStop();
        xphost::clearHostErrors();
    }
};

TEST_F(DeepInstallTest, TheSettingsOfADeepInstallAreRead) {
    std::string root = plotwright_test::makeTempFolder("deep");
    while (root.size() < 440)
        root += "very-long-folder-name/";
    xphost::resetHost(root);
    ASSERT_TRUE(xphost::hostErrors().empty());
    plotwright_test::writeFile(xphost::pluginFolder() + "Plotwright.ini",
                               "[CONFIG]\nFullSizeWindow = 0\n");
    IdentityBuffers ids;
    ASSERT_EQ(XPluginStart(ids.name, ids.signature, ids.description), 1);
    EXPECT_EQ(std::string(gAppState->SettingsPath),
              xphost::handedOutPath(xphost::pluginFolder()) + "Plotwright.ini");
    EXPECT_EQ(gAppState->FullSizeWindow, 0);
    EXPECT_NE(xphost::logText().find("Plotwright - parsing successful\n"), std::string::npos);
    EXPECT_TRUE(xphost::hostErrors().empty());
}

} // namespace
