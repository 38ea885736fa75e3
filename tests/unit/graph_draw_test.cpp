// What the graph shows on screen, read back from real OpenGL drawing: the black plot area, the
// grid rows, each enabled channel's line at the rows its values map to, clamping, and which
// samples land in which columns.

#include <filesystem>

#include "graph/graph_view.h"
#include "graph_test_support.h"

namespace {
using graph_test::describe;
using graph_test::kBlack;
using graph_test::kChannelRgb;
using graph_test::kGrid;
using graph_test::near;
using graph_test::pixel;
using graph_test::Rgb;

class GraphDrawTest : public graph_test::StandaloneGraphTest {
protected:
    void SetUp() override {
        StandaloneGraphTest::SetUp();
        std::string error;
        if (!xphost::ensureGraphics(&error)) GTEST_SKIP() << "no OpenGL: " << error;
    }

    xphost::Image capture() { return xphost::captureRect(xphost::geometryOf(graph_)); }
    // The pixel at column x of the plot and `row` pixels above its bottom edge.
    Rgb at(const xphost::Image &image, int column, int row) { return pixel(image, column, row); }
    int height() const { return xphost::geometryOf(graph_).Top - kBottom; }
    int middle() const { return height() / 2; }

    void save(const xphost::Image &image, const std::string &name) {
        std::filesystem::create_directories(graph_test::outputFolder());
        std::string error;
        EXPECT_TRUE(xphost::writePng(image, graph_test::outputFolder() + name, &error)) << error;
    }
};

// Columns left of any line and rows above the track.
TEST_F(GraphDrawTest, EmptyGraphIsBlackWithGridRowsAtThePitch) {
    for (bool fullSize : {false, true}) {
        if (window_ != nullptr) XPDestroyWidget(window_, 1);
        makeGraph(fullSize);
        const xphost::Image image = capture();
        const int pitch = fullSize ? 50 : 20;
        int gridRows = 0;
        for (int row = 21; row < height(); ++row) {
            const Rgb c = at(image, 350, row);
            if (row % pitch == 0) {
                EXPECT_TRUE(near(c, kGrid)) << "row " << row << " " << describe(c);
                ++gridRows;
            } else {
                EXPECT_TRUE(near(c, kBlack)) << "row " << row << " " << describe(c);
            }
        }
        // Offsets 40..180 or 50..450 above the track; none on the top edge itself, which the
        // fill leaves to the dark box beneath.
        EXPECT_EQ(gridRows, fullSize ? 9 : 8);
        EXPECT_FALSE(near(at(image, 350, height()), kGrid));
    }
}

TEST_F(GraphDrawTest, ValuesMapToRowsByTheScaleAndAreClampedAtTheTop) {
    makeGraph(false);
    enableOnly(0, {0, 1, 2});
    // Channel 0 at 100, channel 1 at 300 (beyond the top), channel 2 at -100.
    record(0, 50, [](int, int c) { return c == 0 ? 100.0f : c == 1 ? 300.0f : -100.0f; });
    xphost::Image image = capture();
    save(image, "graph-short.png");
    EXPECT_TRUE(near(at(image, 20, middle() + 40), kChannelRgb[0]))
        << describe(at(image, 20, middle() + 40));
    EXPECT_TRUE(near(at(image, 20, height()), kChannelRgb[1])) << describe(at(image, 20, height()));
    EXPECT_TRUE(near(at(image, 20, middle() - 40), kChannelRgb[2]))
        << describe(at(image, 20, middle() - 40));
    EXPECT_TRUE(near(at(image, 20, middle() + 39), kBlack));
    // The lines end at the last sample (row 140 is also a grid row).
    EXPECT_TRUE(near(at(image, 60, middle() + 40), kGrid));

    XPDestroyWidget(window_, 1);
    graph_test::clearStore();
    makeGraph(true);
    enableOnly(0, {0});
    record(0, 50, [](int, int) { return 100.0f; });
    image = capture();
    save(image, "graph-tall.png");
    EXPECT_TRUE(near(at(image, 20, middle() + 100), kChannelRgb[0]))
        << describe(at(image, 20, middle() + 100));
}

TEST_F(GraphDrawTest, EveryChannelHasItsColourAndADisabledOneDrawsNothing) {
    makeGraph(true);
    enableOnly(1, {0, 1, 3, 4, 5, 6, 7});
    // Channel c at 200 - 50c: rows 200, 150, ..., -150 above the middle.
    record(1, 100, [](int, int c) { return 200.0f - 50.0f * static_cast<float>(c) + 5.0f; });
    XPSetWidgetProperty(graph_, graphProp_CurrentSet, 1);
    const xphost::Image image = capture();
    save(image, "graph-colours.png");
    for (int c = 0; c < 8; ++c) {
        const int row = middle() + 205 - 50 * c;
        const Rgb seen = at(image, 40, row);
        if (c == 2)
            EXPECT_TRUE(near(seen, kBlack)) << "disabled channel 2 drawn " << describe(seen);
        else
            EXPECT_TRUE(near(seen, kChannelRgb[c])) << "channel " << c << " " << describe(seen);
    }
}

TEST_F(GraphDrawTest, ANewGraphPlotsNothingBeforeItsFirstEnabledBlock) {
    // A graph from an earlier start of the plug-in had channel 0 on.
    makeGraph(true);
    enableOnly(0, {0});
    XPDestroyWidget(window_, 1);
    window_ =
        XPCreateWidget(200, 650, 1000, 50, 1, "Graph test", 1, nullptr, xpWidgetClass_MainWindow);
    graph_ = createGraphWidget(kLeft, 600, kRight, kBottom, 1, "", window_);
    XPSetWidgetProperty(graph_, graphProp_FullSize, 1);
    const float sample[8] = {100, 100, 100, 100, 100, 100, 100, 100};
    graph_test::appendThroughWidget(graph_, 0, sample);
    graph_test::appendThroughWidget(graph_, 0, sample);
    const xphost::Image image = capture();
    // Row 350 is a grid row: grey where no line covers it.
    EXPECT_TRUE(near(at(image, 0, middle() + 100), kGrid));
    EXPECT_TRUE(near(at(image, 1, middle() + 100), kGrid));
}

// Sample j of channel 0 holds 55 while j < split and -55 from split on, so the row of the line
// in a column tells which sample that column shows (rows off the grid's).
class GraphWindowingTest : public GraphDrawTest {
protected:
    void recordSplit(int set, int count, int split) {
        record(set, count, [split](int j, int) { return j < split ? 55.0f : -55.0f; });
    }
    bool showsEarly(const xphost::Image &image, int column) {
        return near(at(image, column, middle() + 55), kChannelRgb[0]);
    }
    bool showsLate(const xphost::Image &image, int column) {
        return near(at(image, column, middle() - 55), kChannelRgb[0]);
    }
    bool empty(const xphost::Image &image, int column) {
        return near(at(image, column, middle() + 55), kBlack) &&
               near(at(image, column, middle() - 55), kBlack);
    }
};

TEST_F(GraphWindowingTest, BelowSevenHundredTheWindowStartsAtSampleZero) {
    makeGraph(true);
    enableOnly(0, {0});
    recordSplit(0, 700, 350);
    for (intptr_t position : {0, 350, 699}) {
        XPSetWidgetProperty(graph_, graphProp_Position, position);
        const xphost::Image image = capture();
        EXPECT_TRUE(showsEarly(image, 100)) << "position " << position;
        EXPECT_TRUE(showsLate(image, 600)) << "position " << position;
    }
    // Fewer samples than columns: the line stops at the last one.
    XPSetWidgetProperty(graph_, graphProp_MaxPosition, 400);
    const xphost::Image image = capture();
    EXPECT_TRUE(showsLate(image, 390));
    EXPECT_TRUE(empty(image, 410));
}

TEST_F(GraphWindowingTest, FromSevenHundredTheWindowEndsBeforeThePosition) {
    makeGraph(true);
    enableOnly(0, {0});
    recordSplit(0, 1000, 500);
    // Position 1000, MaxPosition 1000: samples 300..999, so sample 500 is column 200.
    xphost::Image image = capture();
    save(image, "graph-1000-1000.png");
    EXPECT_TRUE(showsEarly(image, 190));
    EXPECT_TRUE(showsLate(image, 210));
    EXPECT_TRUE(showsLate(image, 695));

    // MaxPosition 800: samples 300..799 in columns 0..499, nothing beyond.
    XPSetWidgetProperty(graph_, graphProp_MaxPosition, 800);
    image = capture();
    EXPECT_TRUE(showsEarly(image, 190));
    EXPECT_TRUE(showsLate(image, 490));
    EXPECT_TRUE(empty(image, 510));
    EXPECT_TRUE(empty(image, 690));

    // MaxPosition 0: background, grid and track only.
    XPSetWidgetProperty(graph_, graphProp_MaxPosition, 0);
    image = capture();
    for (int column = 0; column < 700; column += 7)
        EXPECT_TRUE(empty(image, column)) << "column " << column;
}

TEST_F(GraphWindowingTest, NoColumnReadsPastTheShownSetsLastSample) {
    makeGraph(true);
    enableOnly(1, {0});
    recordSplit(1, 100, 100); // set 1: 100 samples at 50
    recordSplit(0, 800, 0);   // set 0 last: MaxPosition 800
    ASSERT_EQ(graph_test::prop(graph_, graphProp_MaxPosition), 800);
    XPSetWidgetProperty(graph_, graphProp_CurrentSet, 1);
    XPSetWidgetProperty(graph_, graphProp_Position, 700); // columns 0..699 from sample 0
    const xphost::Image image = capture();
    save(image, "graph-short-set.png");
    EXPECT_TRUE(showsEarly(image, 50));
    EXPECT_TRUE(empty(image, 150));
    EXPECT_TRUE(empty(image, 650));
}

// Closing and reopening the strip at a NaN in the first column would leave an empty
// glBegin/glEnd pair; Mesa then drops every later line strip of the frame.
TEST_F(GraphWindowingTest, ANotANumberInTheFirstColumnLeavesTheOtherChannelsDrawn) {
    makeGraph(true);
    enableOnly(0, {0, 1, 2});
    record(0, 100, [](int j, int c) {
        if (c == 0) return j == 0 ? NAN : 55.0f;
        return c == 1 ? -55.0f : 105.0f;
    });
    const xphost::Image image = capture();
    EXPECT_TRUE(showsEarly(image, 50)) << describe(at(image, 50, middle() + 55));
    EXPECT_TRUE(near(at(image, 50, middle() - 55), kChannelRgb[1]))
        << describe(at(image, 50, middle() - 55));
    EXPECT_TRUE(near(at(image, 50, middle() + 105), kChannelRgb[2]))
        << describe(at(image, 50, middle() + 105));
}

TEST_F(GraphWindowingTest, ANotANumberSampleBreaksTheLine) {
    makeGraph(true);
    enableOnly(0, {0});
    record(0, 200, [](int j, int) { return j >= 90 && j < 110 ? NAN : 55.0f; });
    const xphost::Image image = capture();
    EXPECT_TRUE(showsEarly(image, 50));
    EXPECT_TRUE(empty(image, 100));
    EXPECT_TRUE(showsEarly(image, 150));
}
} // namespace
