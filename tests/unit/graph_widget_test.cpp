// The graph widget's property protocol: what each request does, to which set, exactly once, and
// where it leaves the scroll state.

#include <cmath>
#include <filesystem>
#include <limits>

#include "graph/graph_view.h"
#include "graph_test_support.h"

namespace {
using graph_test::appendThroughWidget;
using graph_test::prop;

class GraphWidgetTest : public graph_test::StandaloneGraphTest {
protected:
    void SetUp() override {
        StandaloneGraphTest::SetUp();
        makeGraph(true);
    }
};

TEST_F(GraphWidgetTest, CreationSetsTheDefaultsOfEveryProperty) {
    EXPECT_EQ(prop(graph_, graphProp_Position), 0);
    EXPECT_EQ(prop(graph_, graphProp_MinPosition), 0);
    EXPECT_EQ(prop(graph_, graphProp_MaxPosition), 0);
    EXPECT_EQ(prop(graph_, graphProp_PageStep), 100);
    EXPECT_EQ(prop(graph_, graphProp_Dragging), 0);
    EXPECT_EQ(prop(graph_, graphProp_CurrentSet), 0);
    EXPECT_EQ(prop(graph_, graphProp_FirstSet), 0);
    EXPECT_EQ(prop(graph_, graphProp_SetCount), 3);
    EXPECT_EQ(prop(graph_, graphProp_FullSize), 1);
}

TEST_F(GraphWidgetTest, ASampleGoesToTheNamedSetOnceAndTheGraphFollowsIt) {
    const float first[8] = {1.5f, -2, 0, 0.25f, 100, -0.125f, 3, 250};
    appendThroughWidget(graph_, 1, first);
    ASSERT_EQ(gSampleStore.sampleCount(1), 1u);
    EXPECT_EQ(gSampleStore.sampleCount(0), 0u);
    EXPECT_EQ(gSampleStore.sampleCount(2), 0u);
    for (int c = 0; c < 8; ++c)
        EXPECT_EQ(gSampleStore.series(1, c)[0], first[c]) << "channel " << c;
    EXPECT_EQ(prop(graph_, graphProp_SampleReady), 0);
    EXPECT_EQ(prop(graph_, graphProp_Position), 1);
    EXPECT_EQ(prop(graph_, graphProp_MaxPosition), 1);

    // Later writes of other properties re-run the handler; the taken request stays taken.
    XPSetWidgetProperty(graph_, graphProp_Position, 0);
    XPSetWidgetProperty(graph_, graphProp_CurrentSet, 1);
    EXPECT_EQ(gSampleStore.sampleCount(1), 1u);

    appendThroughWidget(graph_, 1, first);
    EXPECT_EQ(gSampleStore.sampleCount(1), 2u);
    EXPECT_EQ(prop(graph_, graphProp_Position), 2);
    EXPECT_EQ(prop(graph_, graphProp_MaxPosition), 2);
}

TEST_F(GraphWidgetTest, OutOfRangeSetNumbersAreClampedToTheWidgetsRange) {
    const float sample[8] = {};
    appendThroughWidget(graph_, 7, sample);
    EXPECT_EQ(gSampleStore.sampleCount(2), 1u);
    appendThroughWidget(graph_, -1, sample);
    EXPECT_EQ(gSampleStore.sampleCount(0), 1u);
    // The property itself keeps what was written.
    EXPECT_EQ(prop(graph_, graphProp_CurrentSet), -1);

    // A set range written from outside cannot lead the store beyond its three sets.
    XPSetWidgetProperty(graph_, graphProp_SetCount, 50);
    appendThroughWidget(graph_, 40, sample);
    EXPECT_EQ(gSampleStore.sampleCount(2), 2u);
    XPSetWidgetProperty(graph_, graphProp_FirstSet, -5);
    appendThroughWidget(graph_, -3, sample);
    EXPECT_EQ(gSampleStore.sampleCount(0), 2u);
    // The smallest count there is: its last set cannot be computed without overflow.
    XPSetWidgetProperty(graph_, graphProp_FirstSet, INTPTR_MIN);
    XPSetWidgetProperty(graph_, graphProp_SetCount, INTPTR_MIN);
    appendThroughWidget(graph_, 1, sample);
    EXPECT_EQ(gSampleStore.sampleCount(0), 3u);
}

TEST_F(GraphWidgetTest, ClearEmptiesOnlyTheCurrentSetAndKeepsOrRemembersThePosition) {
    const float sample[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (int i = 0; i < 3; ++i)
        appendThroughWidget(graph_, 0, sample);
    for (int i = 0; i < 2; ++i)
        appendThroughWidget(graph_, 2, sample);
    for (int i = 0; i < 600; ++i)
        appendThroughWidget(graph_, 1, sample);

    XPSetWidgetProperty(graph_, graphProp_Position, 500);
    XPSetWidgetProperty(graph_, graphProp_ClearRequest, 1);
    EXPECT_EQ(gSampleStore.sampleCount(1), 0u);
    EXPECT_EQ(gSampleStore.sampleCount(0), 3u);
    EXPECT_EQ(gSampleStore.sampleCount(2), 2u);
    EXPECT_EQ(prop(graph_, graphProp_ClearRequest), 0);
    EXPECT_EQ(prop(graph_, graphProp_Position), 500);
    EXPECT_EQ(prop(graph_, graphProp_MaxPosition), 0);

    // From position 0 the clear falls back on the page step.
    XPSetWidgetProperty(graph_, graphProp_CurrentSet, 0);
    XPSetWidgetProperty(graph_, graphProp_Position, 0);
    XPSetWidgetProperty(graph_, graphProp_ClearRequest, 1);
    EXPECT_EQ(gSampleStore.sampleCount(0), 0u);
    EXPECT_EQ(gSampleStore.sampleCount(2), 2u);
    EXPECT_EQ(prop(graph_, graphProp_Position), 100);
    EXPECT_EQ(prop(graph_, graphProp_MaxPosition), 0);

    // Without a page step the clear falls back on MaxPosition, and with that 0 too, on 0.
    XPSetWidgetProperty(graph_, graphProp_CurrentSet, 2);
    XPSetWidgetProperty(graph_, graphProp_PageStep, 0);
    for (int i = 0; i < 5; ++i)
        appendThroughWidget(graph_, 2, sample);
    XPSetWidgetProperty(graph_, graphProp_Position, 0);
    XPSetWidgetProperty(graph_, graphProp_ClearRequest, 1);
    EXPECT_EQ(gSampleStore.sampleCount(2), 0u);
    EXPECT_EQ(prop(graph_, graphProp_Position), 7);
    XPSetWidgetProperty(graph_, graphProp_Position, 0);
    XPSetWidgetProperty(graph_, graphProp_ClearRequest, 1);
    EXPECT_EQ(prop(graph_, graphProp_Position), 0);
    EXPECT_EQ(prop(graph_, graphProp_MaxPosition), 0);
}

TEST_F(GraphWidgetTest, ExportWritesTheCurrentSetOnceAndKeepsItsSamples) {
    const float a[8] = {1.5f, -2, 0, 0.25f, 100, -0.125f, 3, 250};
    const float b[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    appendThroughWidget(graph_, 1, a);
    appendThroughWidget(graph_, 0, b);
    XPSetWidgetProperty(graph_, graphProp_CurrentSet, 1);
    XPSetWidgetProperty(graph_, graphProp_ExportRequest, 1);
    EXPECT_EQ(prop(graph_, graphProp_ExportRequest), 0);
    gCsvExportWriter.waitUntilIdle();
    EXPECT_EQ(plotwright_test::readFile(pluginDir_ + "Plotwright2.csv"),
              plotwright_test::textFileBytes("1.500000, -2.000000, 0.000000, 0.250000, "
                                             "100.000000, -0.125000, 3.000000, 250.000000\n"));
    EXPECT_FALSE(plotwright_test::fileExists(pluginDir_ + "Plotwright1.csv"));
    EXPECT_EQ(gSampleStore.sampleCount(1), 1u);

    // Nothing re-exports on later writes: a file removed now stays removed.
    std::filesystem::remove(plotwright_test::fsPath(pluginDir_ + "Plotwright2.csv"));
    XPSetWidgetProperty(graph_, graphProp_Position, 0);
    EXPECT_FALSE(plotwright_test::fileExists(pluginDir_ + "Plotwright2.csv"));

    // An empty set exports as an empty file.
    XPSetWidgetProperty(graph_, graphProp_CurrentSet, 2);
    XPSetWidgetProperty(graph_, graphProp_ExportRequest, 1);
    gCsvExportWriter.waitUntilIdle();
    ASSERT_TRUE(plotwright_test::fileExists(pluginDir_ + "Plotwright3.csv"));
    EXPECT_EQ(plotwright_test::readFile(pluginDir_ + "Plotwright3.csv"), "");
}

TEST_F(GraphWidgetTest, MissingPointersAreNeverFollowed) {
    XPSetWidgetProperty(graph_, graphProp_Enabled, 0);
    const float sample[8] = {4, 4, 4, 4, 4, 4, 4, 4};
    // No enabled block: the sample still counts, nothing is copied.
    appendThroughWidget(graph_, 0, sample);
    EXPECT_EQ(gSampleStore.sampleCount(0), 1u);

    // No sample: nothing to append, and the scroll state stays.
    XPSetWidgetProperty(graph_, graphProp_Sample, 0);
    XPSetWidgetProperty(graph_, graphProp_SampleReady, 1);
    EXPECT_EQ(gSampleStore.sampleCount(0), 1u);
    EXPECT_EQ(prop(graph_, graphProp_SampleReady), 0);
    EXPECT_EQ(prop(graph_, graphProp_Position), 1);
    EXPECT_EQ(prop(graph_, graphProp_MaxPosition), 1);
}

TEST_F(GraphWidgetTest, TheEnabledTableIsCopiedOnEveryMessageThatFindsTheBlock) {
    enableOnly(1, {2, 5});
    EXPECT_EQ(graphEnabledTable()[1][2], 1);
    EXPECT_EQ(graphEnabledTable()[1][5], 1);
    EXPECT_EQ(graphEnabledTable()[0][2], 0);

    // A change in the block shows at the next property message, not before.
    enabled_[2][7] = 1;
    EXPECT_EQ(graphEnabledTable()[2][7], 0);
    XPSetWidgetProperty(graph_, graphProp_Position, 0);
    EXPECT_EQ(graphEnabledTable()[2][7], 1);
}

TEST(RoundHalfUp, HalvesGoUpAndNegativesAreTruncated) {
    EXPECT_EQ(roundHalfUp(2.5), 3.0);
    EXPECT_EQ(roundHalfUp(2.4999), 2.0);
    EXPECT_EQ(roundHalfUp(0.0), 0.0);
    EXPECT_EQ(roundHalfUp(-2.5), -2.0);
    EXPECT_EQ(roundHalfUp(-2.7), -2.0);
    // Far beyond any integer type, still exact and without overflow.
    EXPECT_EQ(roundHalfUp(1e300), 1e300);
    EXPECT_EQ(roundHalfUp(9007199254740993.0), 9007199254740993.0);
    EXPECT_TRUE(std::isinf(roundHalfUp(INFINITY)));
    EXPECT_TRUE(std::isnan(roundHalfUp(NAN)));
}

TEST(GraphDragPosition, FollowsTheThumbCentreAndStaysInRange) {
    // A 700-wide track with 20-pixel buttons and a 40-pixel thumb: 620 pixels of travel.
    const int left = 250, right = 950, button = 20, thumb = 40;
    EXPECT_EQ(graphDragPosition(left + button + 20, left, right, button, thumb, button, 0, 1000),
              0);
    EXPECT_EQ(graphDragPosition(right - button - 20, left, right, button, thumb, button, 0, 1000),
              1000);
    EXPECT_EQ(
        graphDragPosition(left + button + 20 + 310, left, right, button, thumb, button, 0, 1000),
        500);
    // A ratio of 7/10 over 5 samples is a half step: the single-precision product rounds up.
    EXPECT_EQ(graphDragPosition(7, 0, 10, 0, 0, 0, 0, 5), 4);
    EXPECT_EQ(graphDragPosition(left + button + 20 + 434, left, right, button, thumb, button, 0, 5),
              4);
    // Left of the thumb's lowest centre, and right of its highest: held at the ends.
    EXPECT_EQ(graphDragPosition(left, left, right, button, thumb, button, 0, 1000), 0);
    EXPECT_EQ(graphDragPosition(right, left, right, button, thumb, button, 0, 1000), 1000);
}

TEST(GraphDragPosition, NoTravelAndExtremeValuesGiveDefinedPositions) {
    // The buttons and thumb fill the track: no travel, the minimum.
    EXPECT_EQ(graphDragPosition(500, 400, 600, 50, 100, 50, 7, 1000), 7);
    constexpr int kIntMax = std::numeric_limits<int>::max();
    constexpr int kIntMin = std::numeric_limits<int>::min();
    constexpr intptr_t kBig = std::numeric_limits<intptr_t>::max();
    EXPECT_EQ(graphDragPosition(kIntMax, kIntMin, kIntMax, 0, 0, 0, 0, kBig), kBig);
    EXPECT_EQ(graphDragPosition(kIntMin, kIntMin, kIntMax, 0, 0, 0, 0, kBig), 0);
    EXPECT_EQ(graphDragPosition(kIntMax, 0, 10, kIntMin, kIntMax, kIntMin, 0, kBig), kBig);
    // A minimum above the maximum ends at the maximum.
    EXPECT_EQ(graphDragPosition(0, 0, 700, 20, 40, 20, 50, 10), 10);
}
} // namespace
