// The graph window as a user meets it: where every widget lies in both sizes, what each
// transport button and the set switch do, and the close box.

#include "graph_test_support.h"

namespace {
using graph_test::prop;
using xphost::WidgetRect;

void expectRect(XPWidgetID widget, WidgetRect expected, const std::string &what) {
    const WidgetRect r = xphost::geometryOf(widget);
    EXPECT_EQ(r.Left, expected.Left) << what;
    EXPECT_EQ(r.Top, expected.Top) << what;
    EXPECT_EQ(r.Right, expected.Right) << what;
    EXPECT_EQ(r.Bottom, expected.Bottom) << what;
}

class GraphWindowTest : public graph_test::PluginTest {
protected:
    void openGraph(int fullSize) {
        start();
        state_->FullSizeWindow = fullSize;
        open("Graph Window");
        window_ = state_->GraphWindowWidget;
        graph_ = state_->GraphWidget;
        ASSERT_NE(graph_, nullptr);
    }
    XPWidgetID button(int k) { return state_->GraphTransportButton[k]; }

    XPWidgetID window_ = nullptr;
    XPWidgetID graph_ = nullptr;
};

enum { kRecord, kStop, kClear, kExport, kStart, kPageBack, kRewind, kPause, kPlay, kPageFwd, kEnd };

TEST_F(GraphWindowTest, LayoutOfBothSizesInCreationOrder) {
    for (int fullSize : {0, 1}) {
        SCOPED_TRACE(fullSize ? "tall" : "short");
        if (started_) {
            XPluginStop();
            started_ = false;
        }
        openGraph(fullSize);
        const int T = fullSize ? 650 : 350;
        expectRect(window_, {200, T, 1000, 50}, "main window");
        EXPECT_EQ(xphost::descriptorOf(window_), "Plotwright v1.40 - live dataref graphs");
        EXPECT_EQ(prop(window_, xpProperty_MainWindowHasCloseBoxes), 1);

        const std::vector<XPWidgetID> children = xphost::childrenOf(window_);
        ASSERT_EQ(children.size(), 1u + 8 + 11 + 3 + 11);
        std::size_t next = 0;
        EXPECT_EQ(children[next], graph_);
        EXPECT_EQ(xphost::widgetClassOf(children[next]), xphost::kCustomWidgetClass);
        expectRect(children[next++], {250, T - 50, 950, 100}, "graph");
        EXPECT_EQ(prop(graph_, graphProp_FullSize), fullSize);

        const char *legend[8] = {"DR1 - Red",  "DR2 - Green",  "DR3 - Blue",    "DR4 - White",
                                 "DR5 - Cyan", "DR6 - Yellow", "DR7 - Magenta", "DR8 - Gray"};
        for (int k = 0; k < 8; ++k) {
            XPWidgetID caption = children[next++];
            EXPECT_EQ(caption, state_->GraphLegendCaption[k]);
            EXPECT_EQ(xphost::widgetClassOf(caption), xpWidgetClass_Caption);
            EXPECT_EQ(xphost::descriptorOf(caption), legend[k]);
            expectRect(caption, {250 + 90 * k, 102, 330 + 90 * k, 80}, legend[k]);
        }

        const char *labels[11] = {" Record", " Stop", " Clear", " Export", " |<", " <<",
                                  " <",      "  ||",  " >",     " >>",     " >|"};
        const int lefts[11] = {50, 110, 170, 230, 300, 330, 360, 390, 420, 450, 480};
        for (int k = 0; k < 11; ++k) {
            XPWidgetID b = children[next++];
            EXPECT_EQ(b, button(k));
            EXPECT_EQ(xphost::widgetClassOf(b), xpWidgetClass_Button);
            EXPECT_EQ(xphost::descriptorOf(b), labels[k]);
            EXPECT_EQ(prop(b, xpProperty_ButtonType), xpPushButton);
            const int width = k < 4 ? 50 : 25;
            expectRect(b, {200 + lefts[k], 80, 200 + lefts[k] + width, 50}, labels[k]);
        }

        EXPECT_EQ(children[next], state_->GraphPreviousSetButton);
        EXPECT_EQ(xphost::descriptorOf(children[next]), " Previous Set");
        EXPECT_EQ(prop(children[next], xpProperty_ButtonType), xpPushButton);
        expectRect(children[next++], {720, 80, 800, 50}, "previous set");
        EXPECT_EQ(children[next], state_->GraphSetCaption);
        EXPECT_EQ(xphost::widgetClassOf(children[next]), xpWidgetClass_Caption);
        EXPECT_EQ(xphost::descriptorOf(children[next]), "1");
        expectRect(children[next++], {810, 80, 830, 50}, "set caption");
        EXPECT_EQ(children[next], state_->GraphNextSetButton);
        EXPECT_EQ(xphost::descriptorOf(children[next]), " Next Set");
        EXPECT_EQ(prop(children[next], xpProperty_ButtonType), xpPushButton);
        expectRect(children[next++], {840, 80, 920, 50}, "next set");

        const char *axis[11] = {"-250", "-200", "-150", "-100", "-50", "0",
                                "50",   "100",  "150",  "200",  "250"};
        const int pitch = fullSize ? 50 : 20;
        for (int k = 0; k < 11; ++k) {
            XPWidgetID label = children[next++];
            EXPECT_EQ(xphost::widgetClassOf(label), xpWidgetClass_Caption);
            EXPECT_EQ(xphost::descriptorOf(label), axis[k]);
            expectRect(label, {950, 112 + k * pitch, 1000, 90 + k * pitch}, axis[k]);
        }
    }
}

TEST_F(GraphWindowTest, RecordStopPlayRewindAndPauseSetOnlyTheirFlags) {
    openGraph(0);
    press(button(kRecord));
    EXPECT_EQ(state_->Recording, 1);
    press(button(kRecord));
    EXPECT_EQ(state_->Recording, 1);
    press(button(kRewind));
    EXPECT_EQ(state_->Rewind, 1);
    EXPECT_EQ(state_->Play, 0);
    press(button(kPlay));
    EXPECT_EQ(state_->Play, 1);
    EXPECT_EQ(state_->Rewind, 0);
    EXPECT_EQ(state_->Recording, 1);
    press(button(kPause));
    EXPECT_EQ(state_->Play, 0);
    EXPECT_EQ(state_->Rewind, 0);
    press(button(kPlay));
    press(button(kStop));
    EXPECT_EQ(state_->Recording, 0);
    EXPECT_EQ(state_->Play, 1);
    for (int k = 0; k < 11; ++k)
        EXPECT_TRUE(xphost::isLiveWidget(button(k)));
}

TEST_F(GraphWindowTest, PositionButtonsStayWithinTheRange) {
    openGraph(1);
    XPSetWidgetProperty(graph_, graphProp_MaxPosition, 1000);
    XPSetWidgetProperty(graph_, graphProp_Position, 950);
    press(button(kPageFwd));
    EXPECT_EQ(prop(graph_, graphProp_Position), 1000);
    XPSetWidgetProperty(graph_, graphProp_Position, 500);
    press(button(kPageFwd));
    EXPECT_EQ(prop(graph_, graphProp_Position), 600);
    press(button(kPageBack));
    EXPECT_EQ(prop(graph_, graphProp_Position), 500);
    XPSetWidgetProperty(graph_, graphProp_Position, 60);
    press(button(kPageBack));
    EXPECT_EQ(prop(graph_, graphProp_Position), 0);
    press(button(kEnd));
    EXPECT_EQ(prop(graph_, graphProp_Position), 1000);
    press(button(kStart));
    EXPECT_EQ(prop(graph_, graphProp_Position), 0);
}

TEST_F(GraphWindowTest, ClearAndExportActOnTheCurrentSetOnly) {
    openGraph(1);
    const float sample[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (int set : {0, 1, 2})
        graph_test::appendThroughWidget(graph_, set, sample);
    XPSetWidgetProperty(graph_, graphProp_CurrentSet, 0);
    press(state_->GraphNextSetButton);
    ASSERT_EQ(state_->CurrentSet, 1);
    press(button(kExport));
    gCsvExportWriter.waitUntilIdle();
    EXPECT_TRUE(plotwright_test::fileExists(pluginDir_ + "Plotwright2.csv"));
    EXPECT_FALSE(plotwright_test::fileExists(pluginDir_ + "Plotwright1.csv"));
    press(button(kClear));
    EXPECT_EQ(gSampleStore.sampleCount(1), 0u);
    EXPECT_EQ(gSampleStore.sampleCount(0), 1u);
    EXPECT_EQ(gSampleStore.sampleCount(2), 1u);
}

TEST_F(GraphWindowTest, TheSetSwitchStopsAtBothEndsAndRefreshesEveryBuiltWindow) {
    openGraph(0);
    // On the first set Previous Set keeps it, and still hands it to the widget.
    XPSetWidgetProperty(graph_, graphProp_CurrentSet, 2);
    XPSetWidgetDescriptor(state_->GraphSetCaption, "?");
    press(state_->GraphPreviousSetButton);
    EXPECT_EQ(state_->CurrentSet, 0);
    EXPECT_EQ(prop(graph_, graphProp_CurrentSet), 0);
    EXPECT_EQ(xphost::descriptorOf(state_->GraphSetCaption), "1");

    open("DataRef Setup");
    open("DataRef Scaling");
    press(state_->GraphNextSetButton);
    press(state_->GraphNextSetButton);
    EXPECT_EQ(state_->CurrentSet, 2);
    EXPECT_EQ(prop(graph_, graphProp_CurrentSet), 2);
    for (XPWidgetID caption :
         {state_->GraphSetCaption, state_->SetupSetCaption, state_->ScalingSetCaption})
        EXPECT_EQ(xphost::descriptorOf(caption), "3");

    // At the end the set stays, and the refresh still runs: the widget's copy is rewritten and
    // an unapplied edit in the setup window gives way to the stored name.
    XPSetWidgetProperty(graph_, graphProp_CurrentSet, 0);
    XPSetWidgetDescriptor(state_->SetupNameField[4], "typed but not applied");
    press(state_->GraphNextSetButton);
    EXPECT_EQ(state_->CurrentSet, 2);
    EXPECT_EQ(prop(graph_, graphProp_CurrentSet), 2);
    EXPECT_EQ(xphost::descriptorOf(state_->SetupNameField[4]), state_->Name[2][4]);

    // A set count at the smallest value there is: no overflow, and still a set.
    XPSetWidgetProperty(graph_, graphProp_SetCount, INTPTR_MIN);
    press(state_->GraphNextSetButton);
    EXPECT_EQ(state_->CurrentSet, 0);
}

TEST_F(GraphWindowTest, CloseBoxHidesAndTheMenuShowsTheSameWindowAgain) {
    openGraph(1);
    press(state_->GraphNextSetButton);
    XPSetWidgetProperty(graph_, graphProp_MaxPosition, 300);
    XPSetWidgetProperty(graph_, graphProp_Position, 123);
    press(button(kRecord));
    press(button(kPlay));

    ASSERT_TRUE(xphost::clickCloseBox(window_));
    EXPECT_FALSE(XPIsWidgetVisible(window_));
    open("Graph Window");
    EXPECT_TRUE(XPIsWidgetVisible(window_));
    EXPECT_EQ(state_->GraphWindowWidget, window_);
    EXPECT_EQ(state_->CurrentSet, 1);
    EXPECT_EQ(xphost::descriptorOf(state_->GraphSetCaption), "2");
    EXPECT_EQ(prop(graph_, graphProp_Position), 123);
    EXPECT_EQ(state_->Recording, 1);
    EXPECT_EQ(state_->Play, 1);
}
} // namespace
