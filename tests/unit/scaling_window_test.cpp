// The scaling window: its layout, when its captions change, and what Reset Data restarts.
#include <cstdio>
#include <string>
#include <vector>

#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "graph/sample_store.h"
#include "support/host_fixture.h"
#include "window_test_helpers.h"
#include "xphost/datarefs.h"
#include "xphost/menus.h"

namespace {
using plotwright_test::HostTest;
using window_test::runTicks;
using window_test::setChannel;
using xphost::DataRefKind;

std::string formatted(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%10.3f", static_cast<double>(value));
    return text;
}

class ScalingWindowTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        xphost::defineDataRef("sim/test/speed", DataRefKind::Float);
        xphost::defineDataRef("sim/test/depth", DataRefKind::Float);
        xphost::setDataRefValue("sim/test/speed", 2.5);
        xphost::setDataRefValue("sim/test/depth", -1.23456);
        window_test::startPlugin();
        setChannel(0, 0, "sim/test/speed", 1.0f);
        setChannel(1, 0, "sim/test/depth", 3.0f);
        setChannel(1, 7, "sim/test/speed", 0.5f);
        setChannel(2, 1, "sim/test/depth", 2.0f);
        gAppState->resolveDataRefs();
    }
    void TearDown() override {
        XPluginStop();
        HostTest::TearDown();
    }

    AppState &state() { return *gAppState; }
    XPWidgetID openScaling() {
        std::string error;
        EXPECT_TRUE(xphost::chooseMenuItem({"Plotwrite", "DataRef Scaling"}, &error)) << error;
        return state().ScalingWindowWidget;
    }
    std::string text(XPWidgetID widget) { return xphost::descriptorOf(widget); }

    // The six captions of a row, in the order of the headings.
    std::vector<std::string> rowTexts(int channel) {
        std::vector<std::string> texts;
        for (int column = 0; column < kStatColumns; ++column)
            texts.push_back(text(state().ScalingValueCaption[column][channel]));
        return texts;
    }
    // What the captions of a row should read for a channel of a set.
    std::vector<std::string> statTexts(int set, int channel) {
        const int k = set * kChannelCount + channel;
        const AppState &s = state();
        return {formatted(s.DataMin[k]),  formatted(s.DataMax[k]),  formatted(s.DataValue[k]),
                formatted(s.ScaleMin[k]), formatted(s.ScaleMax[k]), formatted(s.ScaleValue[k])};
    }
};

TEST_F(ScalingWindowTest, BuildsEveryWidgetInPlaceWithTheCurrentSetsNames) {
    state().CurrentSet = 1;
    XPWidgetID window = openScaling();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(text(window), std::string("DataRef Scaling - Plotwright v1.40 ") + kCreditText);
    const xphost::WidgetRect frame = xphost::geometryOf(window);
    EXPECT_EQ(std::vector<int>({frame.Left, frame.Top, frame.Right, frame.Bottom}),
              std::vector<int>({150, 500, 860, 140}));
    EXPECT_EQ(XPGetWidgetProperty(window, xpProperty_MainWindowHasCloseBoxes, nullptr), 1);
    EXPECT_FALSE(XPIsWidgetVisible(state().GraphWindowWidget)) << "built hidden, first";

    struct Expected {
        int Class;
        int Left, Top, Right, Bottom;
        std::string Text;
    };
    const int cap = xpWidgetClass_Caption, btn = xpWidgetClass_Button;
    std::vector<Expected> expected = {{xpWidgetClass_SubWindow, 160, 470, 850, 150, ""},
                                      {cap, 170, 460, 420, 438, "DataRef"}};
    const char *headings[] = {"Data Min",  "Data Max",  "Data Value",
                              "Scale Min", "Scale Max", "Scale Value"};
    for (int j = 0; j < kStatColumns; ++j)
        expected.push_back({cap, 430 + 70 * j, 460, 490 + 70 * j, 438, headings[j]});
    for (int row = 0; row < kChannelCount; ++row) {
        const int y = 430 - 30 * row;
        expected.push_back({cap, 170, y, 420, y - 22, state().Name[1][row]});
        for (int j = 0; j < kStatColumns; ++j)
            expected.push_back({cap, 430 + 70 * j, y, 490 + 70 * j, y - 22, "0"});
    }
    expected.push_back({btn, 520, 180, 600, 158, " Reset Data"});
    expected.push_back({btn, 630, 180, 710, 158, " Previous Set"});
    expected.push_back({cap, 720, 180, 740, 158, "2"});
    expected.push_back({btn, 750, 180, 830, 158, " Next Set"});

    const std::vector<XPWidgetID> children = xphost::childrenOf(window);
    ASSERT_EQ(children.size(), expected.size());
    for (std::size_t k = 0; k < children.size(); ++k) {
        const Expected &e = expected[k];
        const xphost::WidgetRect r = xphost::geometryOf(children[k]);
        EXPECT_EQ(xphost::widgetClassOf(children[k]), e.Class) << "child " << k;
        EXPECT_EQ(std::vector<int>({r.Left, r.Top, r.Right, r.Bottom}),
                  std::vector<int>({e.Left, e.Top, e.Right, e.Bottom}))
            << "child " << k << " " << e.Text;
        EXPECT_EQ(text(children[k]), e.Text) << "child " << k;
        EXPECT_TRUE(xphost::isShown(children[k]));
        if (e.Class == btn) {
            EXPECT_EQ(XPGetWidgetProperty(children[k], xpProperty_ButtonType, nullptr),
                      xpPushButton);
        }
    }
    EXPECT_EQ(XPGetWidgetProperty(children[0], xpProperty_SubWindowType, nullptr),
              xpSubWindowStyle_SubWindow);
    EXPECT_EQ(text(children[8]), "sim/test/depth");
    EXPECT_EQ(text(children[8 + 7 * 7]), "sim/test/speed");
    for (int row = 0; row < kChannelCount; ++row) {
        const std::size_t base = 8 + 7 * static_cast<std::size_t>(row);
        EXPECT_EQ(state().ScalingNameCaption[row], children[base]);
        for (int j = 0; j < kStatColumns; ++j)
            EXPECT_EQ(state().ScalingValueCaption[j][row], children[base + 1 + j]);
    }
    EXPECT_EQ(state().ScalingResetButton, children[64]);
    EXPECT_EQ(state().ScalingPreviousSetButton, children[65]);
    EXPECT_EQ(state().ScalingSetCaption, children[66]);
    EXPECT_EQ(state().ScalingNextSetButton, children[67]);
}

TEST_F(ScalingWindowTest, AFreshWindowShowsZeroUntilTheNextTick) {
    runTicks(5);
    openScaling();
    for (int row = 0; row < kChannelCount; ++row)
        EXPECT_EQ(rowTexts(row), std::vector<std::string>(kStatColumns, "0")) << "row " << row;
    runTicks(1);
    for (int row = 0; row < kChannelCount; ++row)
        EXPECT_EQ(rowTexts(row), statTexts(0, row)) << "row " << row;
    EXPECT_EQ(text(state().ScalingValueCaption[2][0]), "     2.500");
    EXPECT_EQ(text(state().ScalingValueCaption[5][0]), "   100.000");
}

TEST_F(ScalingWindowTest, NamesFollowASetSwitchAtOnceAndValuesAtTheNextTick) {
    openScaling();
    AppState &s = state();
    runTicks(2);
    ASSERT_EQ(rowTexts(0), statTexts(0, 0));
    const std::vector<std::string> set1Row0 = rowTexts(0);

    ASSERT_TRUE(xphost::clickWidget(s.ScalingNextSetButton));
    EXPECT_EQ(s.CurrentSet, 1);
    EXPECT_EQ(text(s.ScalingSetCaption), "2");
    EXPECT_EQ(text(s.ScalingNameCaption[0]), "sim/test/depth");
    EXPECT_EQ(text(s.ScalingNameCaption[7]), "sim/test/speed");
    EXPECT_EQ(rowTexts(0), set1Row0) << "values wait for the tick";
    runTicks(1);
    EXPECT_EQ(rowTexts(0), statTexts(1, 0));
    EXPECT_EQ(text(s.ScalingValueCaption[2][0]), "    -1.234");
    EXPECT_EQ(text(s.ScalingValueCaption[5][0]), "   202.593");

    // At the upper end the switch keeps set 3 and still rewrites the names.
    ASSERT_TRUE(xphost::clickWidget(s.ScalingNextSetButton));
    XPSetWidgetDescriptor(s.ScalingNameCaption[1], "stale");
    ASSERT_TRUE(xphost::clickWidget(s.ScalingNextSetButton));
    EXPECT_EQ(s.CurrentSet, 2);
    EXPECT_EQ(text(s.ScalingNameCaption[1]), "sim/test/depth");
}

TEST_F(ScalingWindowTest, ResetDataRestartsTheStatisticsOfEverySetAndNothingElse) {
    openScaling();
    AppState &s = state();
    s.Recording = 1;
    runTicks(3);
    s.Recording = 0;
    std::size_t recorded[kSetCount];
    for (int set = 0; set < kSetCount; ++set) {
        recorded[set] = gSampleStore.sampleCount(set);
        EXPECT_GT(recorded[set], 0u);
    }
    ASSERT_TRUE(xphost::clickWidget(s.ScalingNextSetButton));
    ASSERT_EQ(s.CurrentSet, 1);
    runTicks(1);
    ASSERT_NE(s.DataMin[0], 1000000.0f);
    const std::vector<std::string> before = rowTexts(0);
    float scaling[kSetCount][kChannelCount];
    int enabled[kSetCount][kChannelCount];
    for (int set = 0; set < kSetCount; ++set)
        for (int channel = 0; channel < kChannelCount; ++channel) {
            scaling[set][channel] = s.Scaling[set][channel];
            enabled[set][channel] = s.Enabled[set][channel];
        }

    ASSERT_TRUE(xphost::clickWidget(s.ScalingResetButton));
    for (int k = 0; k < kChannelTotal; ++k) {
        EXPECT_EQ(s.DataMin[k], 1000000.0f) << k;
        EXPECT_EQ(s.DataMax[k], 0.0f) << k;
        EXPECT_EQ(s.DataValue[k], 0.0f) << k;
        EXPECT_EQ(s.ScaleMin[k], 1000000.0f) << k;
        EXPECT_EQ(s.ScaleMax[k], 0.0f) << k;
        EXPECT_EQ(s.ScaleValue[k], 0.0f) << k;
    }
    EXPECT_EQ(rowTexts(0), before) << "the captions wait for the tick";
    for (int set = 0; set < kSetCount; ++set) {
        EXPECT_EQ(gSampleStore.sampleCount(set), recorded[set]);
        for (int channel = 0; channel < kChannelCount; ++channel) {
            EXPECT_EQ(s.Scaling[set][channel], scaling[set][channel]);
            EXPECT_EQ(s.Enabled[set][channel], enabled[set][channel]);
        }
    }
    runTicks(1);
    // One tick after the reset: a negative channel keeps DataMax at 0.
    EXPECT_EQ(rowTexts(0), statTexts(1, 0));
    EXPECT_EQ(text(s.ScalingValueCaption[1][0]), "     0.000");
    EXPECT_EQ(text(s.ScalingValueCaption[0][0]), "    -1.235");
}

TEST_F(ScalingWindowTest, CloseBoxHidesTheWindowAndTheSamplerKeepsItCurrent) {
    XPWidgetID window = openScaling();
    ASSERT_TRUE(xphost::clickCloseBox(window));
    EXPECT_FALSE(XPIsWidgetVisible(window));
    runTicks(1);
    EXPECT_EQ(rowTexts(0), statTexts(0, 0));
    EXPECT_EQ(openScaling(), window);
    EXPECT_TRUE(XPIsWidgetVisible(window));
}
} // namespace
