// The tick as the plug-in runs it: play and rewind at the ends of the range, the current set
// taken from the graph, check boxes and scaling fields, and recording, also while hidden.

#include <cmath>
#include <vector>

#include "graph/graph_view.h"
#include "graph_test_support.h"
#include "xphost/datarefs.h"
#include "xphost/flight_loop.h"
#include "xphost/screen.h"

namespace {
using graph_test::prop;

class SamplerTickTest : public graph_test::PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        xphost::defineDataRef("test/pitch", xphost::DataRefKind::Float);
        xphost::defineDataRef("test/rpm", xphost::DataRefKind::Int);
        xphost::defineDataRef("test/flaps", xphost::DataRefKind::FloatArray, 4);
        start();
    }
    void openGraph() {
        open("Graph Window");
        graph_ = state_->GraphWidget;
    }
    // One call as the simulator makes it, `elapsed` seconds after the call before.
    void tickAfter(float elapsed) { state_->onFlightLoop(elapsed, elapsed, 0, nullptr); }
    XPWidgetID graph_ = nullptr;
};

TEST_F(SamplerTickTest, PlayAndRewindStopOnTheTickThatWouldPassTheEnd) {
    openGraph();
    XPSetWidgetProperty(graph_, graphProp_MaxPosition, 10);
    XPSetWidgetProperty(graph_, graphProp_Position, 8);
    state_->Play = 1;
    tick();
    EXPECT_EQ(prop(graph_, graphProp_Position), 9);
    tick();
    EXPECT_EQ(prop(graph_, graphProp_Position), 10);
    EXPECT_EQ(state_->Play, 1);
    tick();
    EXPECT_EQ(prop(graph_, graphProp_Position), 10);
    EXPECT_EQ(state_->Play, 0);

    XPSetWidgetProperty(graph_, graphProp_Position, 1);
    state_->Rewind = 1;
    tick();
    EXPECT_EQ(prop(graph_, graphProp_Position), 0);
    EXPECT_EQ(state_->Rewind, 1);
    tick();
    EXPECT_EQ(prop(graph_, graphProp_Position), 0);
    EXPECT_EQ(state_->Rewind, 0);
}

TEST_F(SamplerTickTest, RecordingAppendsOneScaledSamplePerSetEachTickWhileHidden) {
    useDataRef(0, 0, "test/pitch", 2.0f);
    useDataRef(1, 3, "test/rpm", 0.5f);
    useDataRef(2, 7, "test/flaps", 10.0f);
    state_->Index[2][7] = 2;
    xphost::setDataRefValue("test/pitch", 1.25);
    xphost::setDataRefValue("test/rpm", 3000);
    xphost::setDataRefElement("test/flaps", 2, 0.75);

    openGraph();
    tick(3);
    for (int set = 0; set < 3; ++set)
        EXPECT_EQ(gSampleStore.sampleCount(set), 0u) << "nothing before Record";

    press(state_->GraphNextSetButton); // the second set shown: recording takes all three
    press(state_->GraphTransportButton[0]);
    ASSERT_TRUE(xphost::clickCloseBox(state_->GraphWindowWidget));
    tick(5);
    for (int set = 0; set < 3; ++set)
        EXPECT_EQ(gSampleStore.sampleCount(set), 5u) << "set " << set;
    EXPECT_EQ(gSampleStore.series(0, 0)[4], 2.5f);
    EXPECT_EQ(gSampleStore.series(1, 3)[4], 1500.0f);
    EXPECT_EQ(gSampleStore.series(2, 7)[4], 7.5f);
    EXPECT_EQ(gSampleStore.series(0, 1)[4], 0.0f) << "a channel without dataref records 0";

    // The graph shows the set it showed before, following the newest sample.
    EXPECT_EQ(state_->CurrentSet, 1);
    EXPECT_EQ(prop(graph_, graphProp_CurrentSet), 1);
    EXPECT_EQ(prop(graph_, graphProp_Position), 5);

    open("Graph Window");
    press(state_->GraphTransportButton[1]);
    tick(2);
    EXPECT_EQ(gSampleStore.sampleCount(0), 5u);
}

TEST_F(SamplerTickTest, TheCurrentSetFollowsTheGraphAndEnabledReachesIt) {
    tick(); // before any window: set 0, nothing to hand over
    EXPECT_EQ(state_->CurrentSet, 0);
    openGraph();
    XPSetWidgetProperty(graph_, graphProp_CurrentSet, 2);
    state_->Enabled[2][6] = 1;
    tick();
    EXPECT_EQ(state_->CurrentSet, 2);
    EXPECT_EQ(graphEnabledTable()[2][6], 1);
    // A value outside the sets never becomes an index, and the tick hands the widget back the
    // set it took, also while not recording.
    XPSetWidgetProperty(graph_, graphProp_CurrentSet, 9);
    tick();
    EXPECT_EQ(state_->CurrentSet, 2);
    EXPECT_EQ(prop(graph_, graphProp_CurrentSet), 2);
}

// With the first set shown, the field's factor is stored between the read and the product, so
// the very first sample already carries it; the other sets keep their own factors.
TEST_F(SamplerTickTest, TheTypedFactorScalesTheSampleOfTheTickThatReadsIt) {
    useDataRef(0, 2, "test/pitch", 1.0f);
    useDataRef(2, 2, "test/pitch", 3.0f);
    xphost::setDataRefValue("test/pitch", 2.0);
    open("DataRef Setup");
    graph_ = state_->GraphWidget;
    ASSERT_EQ(state_->CurrentSet, 0);
    XPSetWidgetDescriptor(state_->SetupScalingField[2], "\t-4");
    state_->Recording = 1;
    tick();
    EXPECT_EQ(state_->Scaling[0][2], -4.0f);
    EXPECT_EQ(gSampleStore.series(0, 2)[0], -8.0f);
    EXPECT_EQ(gSampleStore.series(2, 2)[0], 6.0f);
    EXPECT_EQ(state_->Scaling[2][2], 3.0f);
}

TEST_F(SamplerTickTest, CheckBoxesApplyAtTheNextTickAndScalingFieldsOnlyWhileRecording) {
    useDataRef(1, 0, "test/pitch", 1.0f);
    useDataRef(1, 5, "test/rpm", 1.0f);
    state_->Enabled[1][5] = 0;
    xphost::setDataRefValue("test/pitch", 4.0);
    open("DataRef Setup");
    graph_ = state_->GraphWidget;
    press(state_->SetupNextSetButton);
    ASSERT_EQ(state_->CurrentSet, 1);

    ASSERT_EQ(prop(state_->SetupEnabledCheckBox[0], xpProperty_ButtonState), 1);
    ASSERT_TRUE(xphost::clickWidget(state_->SetupEnabledCheckBox[0]));
    ASSERT_TRUE(xphost::clickWidget(state_->SetupEnabledCheckBox[5]));
    EXPECT_EQ(state_->Enabled[1][0], 1) << "nothing changes before the tick";
    tick();
    EXPECT_EQ(state_->Enabled[1][0], 0);
    EXPECT_EQ(state_->Enabled[1][5], 1);
    EXPECT_EQ(graphEnabledTable()[1][5], 1);

    XPSetWidgetDescriptor(state_->SetupScalingField[0], "  2.5e1 kg");
    tick();
    EXPECT_EQ(state_->Scaling[1][0], 1.0f) << "not read while not recording";

    state_->Recording = 1;
    tick();
    EXPECT_EQ(state_->Scaling[1][0], 25.0f);
    EXPECT_EQ(gSampleStore.series(1, 0)[0], 100.0f) << "the typed factor applies at once";
    EXPECT_EQ(state_->Scaling[0][0], 0.0f) << "only the current set's factors are taken";

    // A full field with no terminator in reach, and text that is no number.
    XPSetWidgetDescriptor(state_->SetupScalingField[0], std::string(300, '7').c_str());
    tick();
    EXPECT_GT(state_->Scaling[1][0], 1e30f);
    XPSetWidgetDescriptor(state_->SetupScalingField[0], "x2");
    tick();
    EXPECT_EQ(state_->Scaling[1][0], 0.0f);
    EXPECT_EQ(gSampleStore.series(1, 0)[2], 0.0f);
}

// The field's factor is the one its current text gives, also when the text came back to what it
// held ticks ago and when a set switch wrote the other set's factor into it.
TEST_F(SamplerTickTest, TheFactorFollowsTheFieldsTextAcrossSetSwitches) {
    useDataRef(0, 0, "test/pitch", 1.0f);
    useDataRef(1, 0, "test/pitch", 0.1f);
    xphost::setDataRefValue("test/pitch", 10.0);
    open("DataRef Setup");
    graph_ = state_->GraphWidget;
    state_->Recording = 1;
    const char *const texts[] = {"5", "6", "5"};
    for (const char *text : texts) {
        XPSetWidgetDescriptor(state_->SetupScalingField[0], text);
        tick();
    }
    EXPECT_EQ(state_->Scaling[0][0], 5.0f);
    press(state_->SetupNextSetButton);
    tick();
    EXPECT_EQ(state_->Scaling[1][0], 0.1f);
    EXPECT_EQ(gSampleStore.series(1, 0)[3], 1.0f);
    press(state_->SetupPreviousSetButton);
    tick();
    EXPECT_EQ(state_->Scaling[0][0], 5.0f);
    EXPECT_EQ(gSampleStore.series(0, 0)[4], 50.0f);
}
// At 30 calls a second each call brings the rows of the 0.01 s steps that passed, all holding
// that call's values, and a replay moves by the same steps; a stall adds ten seconds at most.
TEST_F(SamplerTickTest, RowsAndReplayFollowTheTimePassedNotTheCalls) {
    useDataRef(0, 0, "test/pitch", 1.0f);
    openGraph();
    press(state_->GraphTransportButton[0]);
    const float frame = 1.0f / 30.0f;
    for (int call = 0; call <= 30; ++call) {
        xphost::setDataRefValue("test/pitch", call);
        tickAfter(frame);
    }
    ASSERT_EQ(gSampleStore.sampleCount(0), 101u) << "the row at time zero and 100 for 1 s";
    EXPECT_EQ(gSampleStore.sampleCount(2), 101u);
    const auto &pitch = gSampleStore.series(0, 0);
    EXPECT_EQ(pitch[0], 0.0f);
    EXPECT_EQ(pitch[1], 1.0f) << "a call's value fills the rows it brings, nothing between";
    EXPECT_EQ(pitch[3], 1.0f);
    EXPECT_EQ(pitch[100], 30.0f);

    tickAfter(std::nanf(""));
    tickAfter(-1.0f);
    EXPECT_EQ(gSampleStore.sampleCount(0), 101u);
    tickAfter(8 * 3600.0f); // the computer slept through the night
    EXPECT_EQ(gSampleStore.sampleCount(0), 101u + kMaxRowsPerCall);
    press(state_->GraphTransportButton[1]);

    XPSetWidgetProperty(graph_, graphProp_Position, 0);
    state_->Play = 1;
    for (int call = 0; call < 3; ++call)
        tickAfter(frame);
    EXPECT_EQ(prop(graph_, graphProp_Position), 10) << "0.1 s of replay in three calls";
    state_->Play = 0;
    state_->Rewind = 1;
    tickAfter(0.005f);
    EXPECT_EQ(prop(graph_, graphProp_Position), 10) << "half a row: not yet";
    tickAfter(0.005f);
    EXPECT_EQ(prop(graph_, graphProp_Position), 9);
}

// The first call after XPluginEnable brings all the time the plug-in was disabled. That is no
// flight, as the time between Stop and Record is not: one row, as after Record, and a replay
// goes on where it was.
TEST_F(SamplerTickTest, TheTimeThePlugInWasDisabledIsNeitherRecordedNorReplayed) {
    useDataRef(0, 0, "test/pitch", 1.0f);
    openGraph();
    press(state_->GraphTransportButton[0]);
    for (int call = 0; call < 100; ++call)
        tickAfter(0.01f);
    XPluginDisable();
    ASSERT_EQ(XPluginEnable(), 1);
    xphost::setDataRefValue("test/pitch", 7.0f);
    tickAfter(30.0f);
    ASSERT_EQ(gSampleStore.sampleCount(0), 101u);
    EXPECT_EQ(gSampleStore.series(0, 0)[100], 7.0f);
    tickAfter(0.02f);
    EXPECT_EQ(gSampleStore.sampleCount(0), 103u) << "the grid goes on from the row taken";
    press(state_->GraphTransportButton[1]);

    XPSetWidgetProperty(graph_, graphProp_Position, 0);
    state_->Play = 1;
    tickAfter(0.01f);
    XPluginDisable();
    ASSERT_EQ(XPluginEnable(), 1);
    tickAfter(30.0f);
    EXPECT_EQ(prop(graph_, graphProp_Position), 1);
    tickAfter(0.01f);
    EXPECT_EQ(prop(graph_, graphProp_Position), 2);
}

// The shape on screen is the flight's, whatever the frame rate: a sine of 0.5 s spans 50 pixel
// columns at 30 frames a second as at 100.
TEST_F(SamplerTickTest, ASineSpansTheSameColumnsAtAnyFrameRate) {
    std::string error;
    if (!xphost::ensureGraphics(&error)) GTEST_SKIP() << "no OpenGL: " << error;
    xphost::defineDataRef("test/wave", xphost::DataRefKind::Float);
    xphost::setFrameHook([](double t) {
        xphost::setDataRefValue("test/wave", 100.0 * std::sin(2.0 * 3.14159265358979 * t / 0.5));
    });
    useDataRef(0, 0, "test/wave", 1.0f);
    openGraph();
    for (int channel = 1; channel < kChannelCount; ++channel)
        state_->Enabled[0][channel] = 0;

    double spacing[2] = {};
    const double rates[2] = {30.0, 100.0};
    for (int k = 0; k < 2; ++k) {
        // 10 s at each rate: the graph's 700 columns show the newest 7 s, all flown at this one.
        xphost::setFrameRate(rates[k]);
        press(state_->GraphTransportButton[0]);
        xphost::advanceSeconds(10.0);
        press(state_->GraphTransportButton[1]);
        const xphost::Image image = xphost::captureRect(xphost::geometryOf(graph_));
        // The red line's height in each column, and where it rises through its middle.
        std::vector<double> height(static_cast<std::size_t>(image.Width), NAN);
        double lowest = 1e9, highest = -1e9;
        for (int x = 0; x < image.Width; ++x) {
            double sum = 0.0;
            int count = 0;
            for (int y = 0; y < image.Height; ++y)
                if (graph_test::near(graph_test::pixel(image, x, y), graph_test::kChannelRgb[0]))
                    sum += y, ++count;
            if (count == 0) continue;
            height[static_cast<std::size_t>(x)] = sum / count;
            lowest = std::min(lowest, sum / count);
            highest = std::max(highest, sum / count);
        }
        const double middle = (lowest + highest) / 2.0;
        std::vector<int> rises;
        for (std::size_t x = 1; x < height.size(); ++x)
            if (height[x - 1] < middle && height[x] >= middle) rises.push_back(static_cast<int>(x));
        ASSERT_GE(rises.size(), 10u) << rates[k] << " frames a second";
        spacing[k] = static_cast<double>(rises.back() - rises.front()) /
                     static_cast<double>(rises.size() - 1);
        EXPECT_NEAR(spacing[k], 50.0, 1.0) << rates[k] << " frames a second";
    }
    EXPECT_NEAR(spacing[0], spacing[1], 1.0);
}
} // namespace
