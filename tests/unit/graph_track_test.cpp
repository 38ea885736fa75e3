// The scroll track along the graph's foot, used with the mouse as a user uses it: the band's
// edges, the five regions and the borders they share, thumb drags and their release.

#include "XPUIGraphics.h"
#include "graph_test_support.h"

namespace {
using graph_test::prop;

class GraphTrackTest : public graph_test::StandaloneGraphTest {
protected:
    void SetUp() override {
        StandaloneGraphTest::SetUp();
        makeGraph(false);
    }

    void setScroll(intptr_t position, intptr_t maxPosition) {
        XPSetWidgetProperty(graph_, graphProp_MaxPosition, maxPosition);
        XPSetWidgetProperty(graph_, graphProp_Position, position);
    }

    struct Regions {
        int DownButton, DownPage, Thumb, UpPage, UpButton;
    };
    // The host's metrics for the track as the widget sees it now.
    Regions regions() {
        Regions r{};
        int vertical = 0;
        XPGetTrackMetrics(kLeft, kBottom + 20, kRight, kBottom,
                          static_cast<int>(prop(graph_, graphProp_MinPosition)),
                          static_cast<int>(prop(graph_, graphProp_MaxPosition)),
                          static_cast<int>(prop(graph_, graphProp_Position)), xpTrack_ScrollBar,
                          &vertical, &r.DownButton, &r.DownPage, &r.Thumb, &r.UpPage, &r.UpButton);
        return r;
    }

    intptr_t clickAt(int x, int y = kBottom + 10) {
        xphost::mouseDown(x, y);
        xphost::mouseUp(x, y);
        return prop(graph_, graphProp_Position);
    }
};

TEST_F(GraphTrackTest, PageAndButtonClicksMoveWithinTheRange) {
    setScroll(950, 1000);
    Regions r = regions();
    ASSERT_GT(r.UpPage, 2) << "the thumb must leave room for an up-page region";
    EXPECT_EQ(clickAt(kRight - r.UpButton - r.UpPage / 2), 1000);

    setScroll(0, 1000);
    r = regions();
    EXPECT_EQ(clickAt(kLeft + r.DownButton / 2), 0);
    EXPECT_EQ(clickAt(kRight - r.UpButton / 2), 1);

    setScroll(500, 1000);
    r = regions();
    EXPECT_EQ(clickAt(kLeft + r.DownButton + r.DownPage / 2), 400);
    r = regions();
    EXPECT_EQ(clickAt(kLeft + r.DownButton / 2), 399);
    r = regions();
    EXPECT_EQ(clickAt(kRight - r.UpButton - r.UpPage / 2), 499);
    setScroll(50, 1000);
    r = regions();
    EXPECT_EQ(clickAt(kLeft + r.DownButton + r.DownPage / 2), 0);
}

TEST_F(GraphTrackTest, SharedBordersBelongToThePageRegions) {
    setScroll(500, 1000);
    Regions r = regions();
    EXPECT_EQ(clickAt(kRight - r.UpButton), 600) << "up page / up button border";
    setScroll(500, 1000);
    r = regions();
    EXPECT_EQ(clickAt(kRight - r.UpButton - r.UpPage), 600) << "thumb / up page border";
    setScroll(500, 1000);
    r = regions();
    EXPECT_EQ(clickAt(kLeft + r.DownButton), 400) << "down button / down page border";
    setScroll(500, 1000);
    r = regions();
    EXPECT_EQ(clickAt(kLeft + r.DownButton + r.DownPage), 400) << "down page / thumb border";
    EXPECT_EQ(prop(graph_, graphProp_Dragging), 0);
}

TEST_F(GraphTrackTest, OnlyTheBandTakesClicks) {
    setScroll(500, 1000);
    const Regions r = regions();
    const int upButton = kRight - r.UpButton / 2;
    EXPECT_EQ(clickAt(upButton, kBottom + 20), 501) << "the band's top row is in it";
    EXPECT_EQ(clickAt(upButton, kBottom), 502) << "the band's bottom row is in it";
    EXPECT_EQ(clickAt(upButton, kBottom + 21), 502);
    EXPECT_EQ(clickAt(upButton, kBottom + 150), 502);
    EXPECT_EQ(clickAt(upButton, kBottom - 1), 502);
}

TEST_F(GraphTrackTest, DraggingTheThumbFollowsThePointerUntilTheRelease) {
    setScroll(500, 1000);
    const Regions r = regions();
    const int thumbCentre = kLeft + r.DownButton + r.DownPage + r.Thumb / 2;
    ASSERT_TRUE(xphost::mouseDown(thumbCentre, kBottom + 10));
    EXPECT_EQ(prop(graph_, graphProp_Dragging), 1);
    EXPECT_EQ(prop(graph_, graphProp_Position), 500);

    const int half = r.Thumb / 2;
    xphost::mouseDrag(kLeft + r.DownButton + half, kBottom + 10);
    EXPECT_EQ(prop(graph_, graphProp_Position), 0);
    xphost::mouseDrag(kRight - r.UpButton - half, kBottom + 10);
    EXPECT_EQ(prop(graph_, graphProp_Position), 1000);
    xphost::mouseDrag(kLeft + 1, kBottom + 10);
    EXPECT_EQ(prop(graph_, graphProp_Position), 0);
    // A drag above the band moves nothing.
    xphost::mouseDrag(kRight - r.UpButton - half, kBottom + 60);
    EXPECT_EQ(prop(graph_, graphProp_Position), 0);
    xphost::mouseUp(kRight - r.UpButton - half, kBottom + 10);
    EXPECT_EQ(prop(graph_, graphProp_Dragging), 0);
}

// The release reaches the widget wherever the pointer is; let go a few pixels above the band,
// or off the window, the drag ends: the track is no longer lit and a later press off the thumb
// followed by a move does not scroll.
TEST_F(GraphTrackTest, AReleaseAnywhereEndsTheDrag) {
    for (const int releaseY : {kBottom + 25, kBottom - 40, kBottom + 700}) {
        setScroll(500, 1000);
        const Regions r = regions();
        ASSERT_TRUE(
            xphost::mouseDown(kLeft + r.DownButton + r.DownPage + r.Thumb / 2, kBottom + 10));
        ASSERT_EQ(prop(graph_, graphProp_Dragging), 1);
        xphost::mouseUp(kLeft + 200, releaseY);
        EXPECT_EQ(prop(graph_, graphProp_Dragging), 0) << "released at y " << releaseY;

        xphost::mouseDown(kLeft + r.DownButton / 2, kBottom + 10);
        xphost::mouseDrag(kRight - r.UpButton - r.Thumb / 2, kBottom + 10);
        xphost::mouseUp(kRight - r.UpButton - r.Thumb / 2, kBottom + 10);
        EXPECT_EQ(prop(graph_, graphProp_Position), 499) << "released at y " << releaseY;
    }
}
} // namespace
