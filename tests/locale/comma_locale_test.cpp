// Numbers under a locale whose decimal point is a comma, as a toolkit in another plug-in may set
// it: the same session (settings read, fields typed, values recorded and exported, captions,
// settings written) must leave byte for byte what it leaves in the "C" locale.
//
// The comma locale is generated into the build by the test fixture (LOCPATH); a machine where it
// cannot be made fails this test rather than skipping it.

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "graph/export_writer.h"
#include "graph/sample_store.h"
#include "plugin_entry.h"
#include "support/host_fixture.h"
#include "xphost/datarefs.h"
#include "xphost/flight_loop.h"
#include "xphost/host.h"
#include "xphost/menus.h"
#include "xphost/widgets.h"

namespace {
using plotwright_test::HostTest;
using plotwright_test::readFile;

const char kCommaLocale[] = "de_DE.UTF-8";

// Everything a session leaves that holds numbers as text.
struct SessionOutput {
    std::string Csv;
    std::string NewSettings;
    std::vector<std::string> FieldTexts;
    std::vector<std::string> CaptionTexts;
    std::string Log;
};

void appendTexts(std::vector<std::string> &out, XPWidgetID window) {
    for (XPWidgetID widget : xphost::descendantsOf(window))
        out.push_back(xphost::descriptorOf(widget));
}

XPWidgetID only(XPWidgetID window, const std::string &label) {
    const auto found = xphost::findDescendants(window, label);
    return found.size() == 1 ? found[0] : nullptr;
}

void clickButton(XPWidgetID window, const std::string &label) {
    XPWidgetID button = only(window, label);
    ASSERT_NE(button, nullptr) << label;
    ASSERT_TRUE(xphost::clickWidget(button)) << label;
}

class CommaLocaleTest : public HostTest {
protected:
    void TearDown() override {
        if (gAppState != nullptr) XPluginStop();
        std::setlocale(LC_ALL, "C");
        HostTest::TearDown();
    }

    // One session in a fresh simulated install.
    SessionOutput runSession() {
        SessionOutput out;
        // The recording outlives a stop of the plug-in, as the library outlives it.
        for (int set = 0; set < SampleStore::kSets; ++set)
            gSampleStore.clearSet(set);
        xphost::resetHost(plotwright_test::makeTempFolder("session"));
        const std::string folder = xphost::pluginFolder();
        plotwright_test::writeFile(folder + "Plotwright.ini",
                                   "[CONFIG]\nFullSizeWindow = 1\n[DATASET1]\n"
                                   "Name1 = test/plain\nScaling1 = 1.5\n"
                                   "Name2 = test/huge\nScaling2 = 2.5e1\n"
                                   "Name3 = test/infinite\nScaling3 = -0.25\n"
                                   "Name4 = test/infinite\nScaling4 = 0.0\n"
                                   "Name5 = test/plain\nScaling5 = -3.75\n");
        xphost::defineDataRef("test/plain", xphost::DataRefKind::Float);
        xphost::defineDataRef("test/huge", xphost::DataRefKind::Float);
        xphost::defineDataRef("test/infinite", xphost::DataRefKind::Float);
        xphost::setDataRefValue("test/plain", 12.345);
        // 25 times 1e18 lies beyond 2^63; 0 times infinity is not a number.
        xphost::setDataRefValue("test/huge", 1e18);
        xphost::setDataRefValue("test/infinite", std::numeric_limits<double>::infinity());

        char name[256], signature[256], description[256];
        if (XPluginStart(name, signature, description) != 1) {
            ADD_FAILURE() << "start failed";
            return out;
        }
        AppState &state = *gAppState;
        std::string error;
        EXPECT_TRUE(xphost::chooseMenuItem({"Plotwrite", "Graph Window"}, &error)) << error;
        clickButton(state.GraphWindowWidget, " Record");
        for (int tick = 0; tick < 10; ++tick)
            state.onFlightLoop(0.01f, 0.01f, 0, nullptr);
        clickButton(state.GraphWindowWidget, " Stop");
        clickButton(state.GraphWindowWidget, " Export");
        gCsvExportWriter.waitUntilIdle();

        // A factor typed as a user types it, with the point.
        EXPECT_TRUE(xphost::chooseMenuItem({"Plotwrite", "DataRef Setup"}, &error)) << error;
        EXPECT_TRUE(xphost::clickWidget(state.SetupScalingField[5]));
        xphost::selectAllInFocusedField();
        xphost::typeText("0.125");
        clickButton(state.SetupWindowWidget, " Apply Changes");
        clickButton(state.SetupWindowWidget, " Create INI File");
        gCsvExportWriter.waitUntilIdle();
        EXPECT_TRUE(xphost::chooseMenuItem({"Plotwrite", "DataRef Scaling"}, &error)) << error;

        out.Csv = readFile(folder + "Plotwright1.csv");
        out.NewSettings = readFile(folder + "PlotwrightNew.ini");
        appendTexts(out.FieldTexts, state.SetupWindowWidget);
        appendTexts(out.CaptionTexts, state.ScalingWindowWidget);
        XPluginStop();
        out.Log = xphost::logText();
        return out;
    }
};

TEST_F(CommaLocaleTest, ASessionWritesAndReadsTheSameNumbersAsInTheCLocale) {
    const SessionOutput plain = runSession();
    // The session exercised what it must: the typed and the read factors, a value beyond
    // 2^63, an infinity and a NaN in the export.
    EXPECT_NE(plain.NewSettings.find("Scaling1 = 1.500000\n"), std::string::npos);
    EXPECT_NE(plain.NewSettings.find("Scaling2 = 25.000000\n"), std::string::npos);
    EXPECT_NE(plain.NewSettings.find("Scaling6 = 0.125000\n"), std::string::npos);
    EXPECT_NE(plain.Csv.find(", 25000000501021933568.000000, "), std::string::npos) << plain.Csv;
    EXPECT_NE(plain.Csv.find("-inf"), std::string::npos);
    EXPECT_NE(plain.Csv.find("nan"), std::string::npos);
    EXPECT_NE(plain.Log.find("parsing successful"), std::string::npos) << plain.Log;

    ASSERT_NE(std::setlocale(LC_ALL, kCommaLocale), nullptr)
        << kCommaLocale << " is not available; LOCPATH must name the folder the fixture made";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    const SessionOutput comma = runSession();
    std::setlocale(LC_ALL, "C");

    EXPECT_EQ(comma.Csv, plain.Csv);
    EXPECT_EQ(comma.NewSettings, plain.NewSettings);
    EXPECT_EQ(comma.FieldTexts, plain.FieldTexts);
    EXPECT_EQ(comma.CaptionTexts, plain.CaptionTexts);
    EXPECT_EQ(comma.Log, plain.Log);
}

} // namespace
