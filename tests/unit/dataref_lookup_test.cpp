// Datarefs that appear after the start and vanish again, as an add-on aircraft's do: the
// channel records from the moment its dataref appears, with no press; its box shows what the
// tick records and draws; a withdrawn dataref is read safely; and names are looked up about
// once a second of wall time while any is missing, at once on the simulator's announcements,
// and not at all once every name has its dataref.

#include <cstdio>

#include "XPLMPlugin.h"
#include "XPStandardWidgets.h"
#include "graph/sample_store.h"
#include "graph_test_support.h"
#include "xphost/datarefs.h"
#include "xphost/flight_loop.h"
#include "xphost/messages.h"

namespace {

int boxState(XPWidgetID box) {
    return static_cast<int>(XPGetWidgetProperty(box, xpProperty_ButtonState, nullptr));
}

class DataRefLookupTest : public graph_test::PluginTest {
protected:
    // Starts as the simulator does, start then enable, with channel 1 of set 1 naming a
    // dataref that does not exist yet and channel 2 one that does.
    void SetUp() override {
        PluginTest::SetUp();
        xphost::defineDataRef("sim/test/here", xphost::DataRefKind::Float);
        start();
        name(0, 0, "acf/custom/late");
        name(0, 1, "sim/test/here");
        state_->resolveDataRefs();
        ASSERT_EQ(XPluginEnable(), 1);
        xphost::setMessageReceiver(XPluginReceiveMessage);
    }
    void name(int set, int channel, const char *text) {
        std::snprintf(state_->Name[set][channel], kTextSize, "%s", text);
        state_->Scaling[set][channel] = 1.0f;
    }
    // Simulated seconds of frames: the tick gets the wall time since its last call.
    void fly(double seconds) { xphost::advanceSeconds(seconds); }
    float lastSample(int set, int channel) {
        const std::size_t count = gSampleStore.sampleCount(set);
        return count == 0 ? -1.0f : gSampleStore.series(set, channel)[count - 1];
    }
};

TEST_F(DataRefLookupTest, ALateDatarefRecordsFromWhenItAppearsWithNoPress) {
    open("DataRef Setup");
    open("Graph Window");
    state_->Recording = 1;
    fly(0.5);
    EXPECT_EQ(lastSample(0, 0), 0.0f);
    EXPECT_EQ(boxState(state_->SetupEnabledCheckBox[0]), 0);

    xphost::defineDataRef("acf/custom/late", xphost::DataRefKind::Float);
    xphost::setDataRefValue("acf/custom/late", 4.5);
    fly(1.1);
    EXPECT_NE(state_->DataRefHandle[0][0], nullptr);
    EXPECT_EQ(lastSample(0, 0), 4.5f);
    EXPECT_EQ(boxState(state_->SetupEnabledCheckBox[0]), 1);
    EXPECT_EQ(state_->Enabled[0][0], 1);

    // A set switch there and back shows the box as the tick keeps it, with the handle kept.
    press(state_->SetupNextSetButton);
    press(state_->SetupPreviousSetButton);
    fly(0.05);
    EXPECT_EQ(boxState(state_->SetupEnabledCheckBox[0]), 1);
    EXPECT_EQ(state_->Enabled[0][0], 1);
    EXPECT_EQ(lastSample(0, 0), 4.5f);
}

// A click cannot check the box of a channel without a dataref, which would draw a flat line at
// 0; the user's wish counts once the dataref comes.
TEST_F(DataRefLookupTest, ABoxClickedOverAMissingDatarefStaysClearUntilItAppears) {
    open("DataRef Setup");
    press(state_->SetupEnabledCheckBox[0]);
    EXPECT_EQ(boxState(state_->SetupEnabledCheckBox[0]), 0);
    fly(0.05);
    EXPECT_EQ(state_->Enabled[0][0], 0);
    xphost::defineDataRef("acf/custom/late", xphost::DataRefKind::Float);
    fly(1.1);
    EXPECT_EQ(boxState(state_->SetupEnabledCheckBox[0]), 1);
    EXPECT_EQ(state_->Enabled[0][0], 1);
}

TEST_F(DataRefLookupTest, AWithdrawnDatarefReadsZeroAndReturnsUnlessTheUserClearedItsBox) {
    open("DataRef Setup");
    open("Graph Window");
    xphost::setDataRefValue("sim/test/here", 2.0);
    const XPLMDataRef here = state_->DataRefHandle[0][1];
    ASSERT_NE(here, nullptr);
    state_->Recording = 1;
    fly(0.1);
    EXPECT_EQ(lastSample(0, 1), 2.0f);

    // Dropped at the very next tick, not at the next lookup: no flat 0 drawn meanwhile.
    xphost::withdrawDataRef("sim/test/here");
    xphost::runFrames(1);
    EXPECT_EQ(lastSample(0, 1), 0.0f);
    EXPECT_EQ(state_->DataRefHandle[0][1], nullptr);
    EXPECT_EQ(boxState(state_->SetupEnabledCheckBox[1]), 0);
    EXPECT_EQ(state_->Enabled[0][1], 0);

    xphost::defineDataRef("sim/test/here", xphost::DataRefKind::Float);
    xphost::setDataRefValue("sim/test/here", 3.0);
    fly(1.1);
    EXPECT_EQ(state_->DataRefHandle[0][1], here);
    EXPECT_EQ(lastSample(0, 1), 3.0f);
    EXPECT_EQ(boxState(state_->SetupEnabledCheckBox[1]), 1);

    // Cleared by the user: the dataref going and coming back records again, unchecked.
    press(state_->SetupEnabledCheckBox[1]);
    xphost::withdrawDataRef("sim/test/here");
    fly(1.1);
    xphost::defineDataRef("sim/test/here", xphost::DataRefKind::Float);
    xphost::setDataRefValue("sim/test/here", 5.0);
    fly(1.1);
    EXPECT_EQ(lastSample(0, 1), 5.0f);
    EXPECT_EQ(boxState(state_->SetupEnabledCheckBox[1]), 0);
    EXPECT_EQ(state_->Enabled[0][1], 0);
}

// At 20 frames a second the tick runs once a frame; the lookups still come once a second.
TEST_F(DataRefLookupTest, MissingNamesAreLookedUpAboutOnceASecondAndNotOnceAllResolve) {
    xphost::setFramePeriod(0.05);
    fly(0.5);
    std::size_t before = xphost::dataRefFindCount();
    fly(10.0);
    const std::size_t perMissingName = xphost::dataRefFindCount() - before;
    EXPECT_GE(perMissingName, 9u);
    EXPECT_LE(perMissingName, 11u);

    // Announcements bring the lookup forward to the next tick.
    before = xphost::dataRefFindCount();
    xphost::sendPlaneLoaded(0);
    xphost::runFrames(1);
    EXPECT_EQ(xphost::dataRefFindCount(), before + 1);

    xphost::defineDataRef("acf/custom/late", xphost::DataRefKind::Int);
    fly(1.1);
    ASSERT_NE(state_->DataRefHandle[0][0], nullptr);
    before = xphost::dataRefFindCount();
    fly(10.0);
    xphost::sendPlaneUnloaded(0);
    fly(1.0);
    EXPECT_EQ(xphost::dataRefFindCount(), before);
}

// In the simulator's version 12 the plug-in asks to hear of new datarefs and looks at once.
TEST_F(DataRefLookupTest, TheSimulatorsNoticeOfNewDatarefsResolvesThemAtTheNextFrame) {
    EXPECT_EQ(XPLMIsFeatureEnabled("XPLM_WANTS_DATAREF_NOTIFICATIONS"), 1);
    fly(0.5);
    xphost::defineDataRef("acf/custom/late", xphost::DataRefKind::Float);
    xphost::runFrames(1);
    EXPECT_NE(state_->DataRefHandle[0][0], nullptr);
}

} // namespace
