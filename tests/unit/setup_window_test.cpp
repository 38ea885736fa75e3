// The setup window as a user drives it: what each button takes from the rows into the state,
// what a set switch puts back, and how typed text that the state cannot hold is dealt with.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "graph/export_writer.h"
#include "support/host_fixture.h"
#include "window_test_helpers.h"
#include "windows/widget_text.h"
#include "xphost/datarefs.h"
#include "xphost/menus.h"

namespace {
using plotwright_test::HostTest;
using window_test::retype;
using window_test::runTicks;
using window_test::setChannel;
using xphost::DataRefKind;

int buttonState(XPWidgetID box) {
    return static_cast<int>(XPGetWidgetProperty(box, xpProperty_ButtonState, nullptr));
}

class SetupWindowTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        alpha_ = xphost::defineDataRef("sim/test/alpha", DataRefKind::Float);
        beta_ = xphost::defineDataRef("sim/test/beta", DataRefKind::Float);
        xphost::defineDataRef("sim/test/gamma", DataRefKind::IntArray, 4);
        window_test::startPlugin();
        setChannel(0, 0, "sim/test/alpha", 2.0f);
        setChannel(0, 1, "sim/test/missing", 1.0f);
        setChannel(0, 2, "sim/test/beta", 0.12345678f, 3);
        setChannel(0, 3, "sim/test/beta", 0.0000004f);
        setChannel(1, 0, "sim/test/beta", 5.0f);
        setChannel(2, 0, "sim/test/gamma", 1.5f, 2);
        gAppState->resolveDataRefs();
    }
    void TearDown() override {
        XPluginStop();
        HostTest::TearDown();
    }

    AppState &state() { return *gAppState; }
    XPWidgetID openSetup() {
        std::string error;
        EXPECT_TRUE(xphost::chooseMenuItem({"Plotwrite", "DataRef Setup"}, &error)) << error;
        return state().SetupWindowWidget;
    }
    std::string text(XPWidgetID widget) { return xphost::descriptorOf(widget); }

    XPLMDataRef alpha_ = nullptr;
    XPLMDataRef beta_ = nullptr;
};

struct Expected {
    int Class;
    xphost::WidgetRect Rect;
    std::string Text;
};

TEST_F(SetupWindowTest, BuildsEveryWidgetInPlaceAndFillsTheRowsFromTheCurrentSet) {
    state().CurrentSet = 2;
    XPWidgetID window = openSetup();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(xphost::findWindow("DataRef Setup - Plotwright v1.40 "), window);
    EXPECT_EQ(text(window), std::string("DataRef Setup - Plotwright v1.40 ") + kCreditText);
    const xphost::WidgetRect frame = xphost::geometryOf(window);
    EXPECT_EQ(std::vector<int>({frame.Left, frame.Top, frame.Right, frame.Bottom}),
              std::vector<int>({100, 550, 790, 190}));
    EXPECT_EQ(XPGetWidgetProperty(window, xpProperty_MainWindowHasCloseBoxes, nullptr), 1);

    const int cap = xpWidgetClass_Caption, btn = xpWidgetClass_Button,
              fld = xpWidgetClass_TextField;
    std::vector<Expected> expected = {
        {xpWidgetClass_SubWindow, {110, 520, 780, 200}, ""},
        {cap, {120, 510, 200, 488}, "DataRef Enabled"},
        {cap, {260, 510, 310, 488}, "DataRef Name"},
        {cap, {620, 510, 660, 488}, "Index"},
        {cap, {670, 510, 720, 488}, "Scaling"},
        {cap, {725, 510, 775, 488}, "Colour"},
    };
    const char *colours[] = {"Red", "Green", "Blue", "White", "Cyan", "Yellow", "Magenta", "Gray"};
    for (int row = 0; row < kChannelCount; ++row) {
        const int y = 480 - 30 * row, b = y - 22;
        const bool first = row == 0;
        expected.push_back({cap, {110, y, 130, b}, std::to_string(row + 1)});
        expected.push_back({btn, {120, y, 142, b}, ""});
        expected.push_back({btn, {150, y, 250, b}, " Check DataRef"});
        expected.push_back({fld, {260, y, 610, b}, first ? "sim/test/gamma" : ""});
        expected.push_back({fld, {620, y, 660, b}, first ? "2" : "0"});
        expected.push_back({fld, {670, y, 720, b}, first ? "1.500000" : "0.000000"});
        expected.push_back({cap, {725, y, 775, b}, colours[row]});
    }
    expected.push_back({btn, {150, 230, 240, 208}, " Apply Changes"});
    expected.push_back({btn, {250, 230, 350, 208}, " Create INI File"});
    expected.push_back({btn, {520, 230, 600, 208}, " Previous Set"});
    expected.push_back({cap, {610, 230, 630, 208}, "3"});
    expected.push_back({btn, {640, 230, 720, 208}, " Next Set"});

    const std::vector<XPWidgetID> children = xphost::childrenOf(window);
    ASSERT_EQ(children.size(), expected.size());
    for (std::size_t k = 0; k < children.size(); ++k) {
        const xphost::WidgetRect r = xphost::geometryOf(children[k]);
        const Expected &e = expected[k];
        EXPECT_EQ(xphost::widgetClassOf(children[k]), e.Class) << "child " << k;
        EXPECT_EQ(std::vector<int>({r.Left, r.Top, r.Right, r.Bottom}),
                  std::vector<int>({e.Rect.Left, e.Rect.Top, e.Rect.Right, e.Rect.Bottom}))
            << "child " << k << " " << e.Text;
        EXPECT_EQ(text(children[k]), e.Text) << "child " << k;
        EXPECT_TRUE(xphost::isShown(children[k])) << "child " << k;
        if (e.Class == btn && !e.Text.empty()) {
            EXPECT_EQ(XPGetWidgetProperty(children[k], xpProperty_ButtonType, nullptr),
                      xpPushButton)
                << e.Text;
        }
        if (e.Class == fld) {
            EXPECT_EQ(XPGetWidgetProperty(children[k], xpProperty_TextFieldType, nullptr),
                      xpTextEntryField);
        }
    }
    EXPECT_EQ(XPGetWidgetProperty(children[0], xpProperty_SubWindowType, nullptr),
              xpSubWindowStyle_SubWindow);

    // Handles point at the widgets of their rows; check boxes show the set's Enabled.
    for (int row = 0; row < kChannelCount; ++row) {
        const std::size_t base = 6 + 7 * static_cast<std::size_t>(row);
        XPWidgetID box = state().SetupEnabledCheckBox[row];
        EXPECT_EQ(box, children[base + 1]);
        EXPECT_EQ(state().SetupCheckDataRefButton[row], children[base + 2]);
        EXPECT_EQ(state().SetupNameField[row], children[base + 3]);
        EXPECT_EQ(state().SetupIndexField[row], children[base + 4]);
        EXPECT_EQ(state().SetupScalingField[row], children[base + 5]);
        EXPECT_EQ(XPGetWidgetProperty(box, xpProperty_ButtonType, nullptr), xpRadioButton);
        EXPECT_EQ(XPGetWidgetProperty(box, xpProperty_ButtonBehavior, nullptr),
                  xpButtonBehaviorCheckBox);
        EXPECT_EQ(buttonState(box), state().Enabled[2][row]);
    }
    EXPECT_EQ(buttonState(state().SetupEnabledCheckBox[0]), 1);
    EXPECT_EQ(state().SetupApplyButton, children[62]);
    EXPECT_EQ(state().SetupCreateIniButton, children[63]);
    EXPECT_EQ(state().SetupPreviousSetButton, children[64]);
    EXPECT_EQ(state().SetupSetCaption, children[65]);
    EXPECT_EQ(state().SetupNextSetButton, children[66]);
}

TEST_F(SetupWindowTest, CheckDataRefOnAnUnknownNameDropsTheHandleAndKeepsTheStoredRow) {
    openSetup();
    AppState &s = state();
    retype(s.SetupNameField[0], "sim/test/nothing");
    retype(s.SetupScalingField[0], "9");
    ASSERT_TRUE(xphost::clickWidget(s.SetupCheckDataRefButton[0]));

    EXPECT_EQ(s.DataRefHandle[0][0], nullptr);
    EXPECT_EQ(buttonState(s.SetupEnabledCheckBox[0]), 0);
    EXPECT_STREQ(s.Name[0][0], "sim/test/alpha");
    EXPECT_EQ(s.Scaling[0][0], 2.0f);
    EXPECT_EQ(s.Enabled[0][0], 1);

    // Previous Set on set 1 stays there, yet reloads the row: the old name comes back, and the
    // check box stays clear, as the channel has no dataref to record; nor does a later lookup
    // bring back the dataref the user has just replaced.
    ASSERT_TRUE(xphost::clickWidget(s.SetupPreviousSetButton));
    EXPECT_EQ(s.CurrentSet, 0);
    EXPECT_EQ(text(s.SetupNameField[0]), "sim/test/alpha");
    EXPECT_EQ(text(s.SetupScalingField[0]), "2.000000");
    EXPECT_EQ(buttonState(s.SetupEnabledCheckBox[0]), 0);
    xphost::advanceSeconds(2.0);
    EXPECT_EQ(buttonState(s.SetupEnabledCheckBox[0]), 0);
    EXPECT_EQ(s.Enabled[0][0], 0);
    EXPECT_EQ(s.DataRefHandle[0][0], nullptr);
}

TEST_F(SetupWindowTest, CheckDataRefOnAKnownNameTakesNameScalingAndEnabledButNotIndex) {
    openSetup();
    AppState &s = state();
    ASSERT_EQ(s.Enabled[0][1], 0);
    retype(s.SetupNameField[1], "sim/test/beta");
    retype(s.SetupIndexField[1], "3");
    retype(s.SetupScalingField[1], "4.5");
    retype(s.SetupNameField[0], "sim/test/beta"); // an edit on another row stays pending
    ASSERT_TRUE(xphost::clickWidget(s.SetupCheckDataRefButton[1]));

    EXPECT_EQ(s.DataRefHandle[0][1], beta_);
    EXPECT_EQ(buttonState(s.SetupEnabledCheckBox[1]), 1);
    EXPECT_EQ(s.Enabled[0][1], 1);
    EXPECT_STREQ(s.Name[0][1], "sim/test/beta");
    EXPECT_EQ(s.Scaling[0][1], 4.5f);
    EXPECT_EQ(s.Index[0][1], 0);
    EXPECT_STREQ(s.Name[0][0], "sim/test/alpha");
    EXPECT_EQ(s.DataRefHandle[0][0], alpha_);
}

TEST_F(SetupWindowTest, ApplyChangesStoresEveryRowWithoutLookingNamesUp) {
    openSetup();
    AppState &s = state();
    retype(s.SetupNameField[0], "sim/test/beta");
    retype(s.SetupIndexField[0], "  7abc");
    retype(s.SetupScalingField[0], "-2.5e1x");
    retype(s.SetupNameField[1], "sim/test/alpha");
    ASSERT_TRUE(xphost::clickWidget(s.SetupEnabledCheckBox[1])); // stays off: unresolved
    ASSERT_TRUE(xphost::clickWidget(s.SetupApplyButton));

    EXPECT_STREQ(s.Name[0][0], "sim/test/beta");
    EXPECT_EQ(s.Index[0][0], 7);
    EXPECT_EQ(s.Scaling[0][0], -25.0f);
    EXPECT_EQ(s.DataRefHandle[0][0], alpha_) << "the old dataref keeps being sampled";
    EXPECT_STREQ(s.Name[0][1], "sim/test/alpha");
    EXPECT_EQ(s.DataRefHandle[0][1], nullptr);
    EXPECT_EQ(s.Enabled[0][1], 0);
    // Untouched rows are stored as their fields show them; the other sets are not touched.
    EXPECT_STREQ(s.Name[0][2], "sim/test/beta");
    EXPECT_EQ(s.Index[0][2], 3);
    EXPECT_STREQ(s.Name[1][0], "sim/test/beta");
    EXPECT_EQ(s.Scaling[1][0], 5.0f);
}

TEST_F(SetupWindowTest, StoredFactorsPassThroughTheFieldRoundedToSixDecimals) {
    openSetup();
    AppState &s = state();
    EXPECT_EQ(text(s.SetupScalingField[2]), "0.123457");
    EXPECT_EQ(text(s.SetupScalingField[3]), "0.000000");
    ASSERT_TRUE(xphost::clickWidget(s.SetupApplyButton));
    EXPECT_EQ(s.Scaling[0][2], 0.123457f);
    EXPECT_EQ(s.Scaling[0][3], 0.0f);
}

TEST_F(SetupWindowTest, ASetSwitchAtEitherEndDiscardsUnappliedEdits) {
    openSetup();
    AppState &s = state();
    retype(s.SetupNameField[0], "edited/name");
    retype(s.SetupIndexField[0], "5");
    ASSERT_TRUE(xphost::clickWidget(s.SetupPreviousSetButton));
    EXPECT_EQ(s.CurrentSet, 0);
    EXPECT_EQ(text(s.SetupNameField[0]), "sim/test/alpha");
    EXPECT_EQ(text(s.SetupIndexField[0]), "0");
    EXPECT_EQ(text(s.SetupSetCaption), "1");

    ASSERT_TRUE(xphost::clickWidget(s.SetupNextSetButton));
    ASSERT_TRUE(xphost::clickWidget(s.SetupNextSetButton));
    ASSERT_EQ(s.CurrentSet, 2);
    EXPECT_EQ(text(s.SetupSetCaption), "3");
    EXPECT_EQ(text(s.SetupNameField[0]), "sim/test/gamma");
    retype(s.SetupNameField[0], "edited/again");
    retype(s.SetupScalingField[0], "8");
    ASSERT_TRUE(xphost::clickWidget(s.SetupNextSetButton));
    EXPECT_EQ(s.CurrentSet, 2);
    EXPECT_EQ(text(s.SetupNameField[0]), "sim/test/gamma");
    EXPECT_EQ(text(s.SetupScalingField[0]), "1.500000");
    EXPECT_EQ(text(s.SetupIndexField[0]), "2");
    EXPECT_STREQ(s.Name[2][0], "sim/test/gamma");
}

// The builder and a reload show what the tick will record and draw: Enabled, for a channel with
// a dataref only; the user's cleared box stays cleared though its name resolves.
TEST_F(SetupWindowTest, CheckBoxesShowEnabledOnlyOverAChannelWithADataref) {
    AppState &s = state();
    s.Enabled[0][1] = 1; // "sim/test/missing" resolves to nothing
    s.Enabled[0][2] = 0; // "sim/test/beta" resolves
    openSetup();
    EXPECT_EQ(buttonState(s.SetupEnabledCheckBox[0]), 1);
    EXPECT_EQ(buttonState(s.SetupEnabledCheckBox[1]), 0);
    EXPECT_EQ(buttonState(s.SetupEnabledCheckBox[2]), 0);

    ASSERT_TRUE(xphost::clickWidget(s.SetupPreviousSetButton));
    EXPECT_EQ(buttonState(s.SetupEnabledCheckBox[0]), 1);
    EXPECT_EQ(buttonState(s.SetupEnabledCheckBox[1]), 0);
    EXPECT_EQ(buttonState(s.SetupEnabledCheckBox[2]), 0);
    EXPECT_EQ(s.DataRefHandle[0][2], beta_);
    runTicks(1);
    EXPECT_EQ(s.Enabled[0][1], 0);
    EXPECT_EQ(s.Enabled[0][2], 0);
}

TEST_F(SetupWindowTest, AClearedCheckBoxDisablesItsChannelAtTheNextTick) {
    openSetup();
    AppState &s = state();
    runTicks(2);
    ASSERT_EQ(s.Enabled[0][0], 1);
    ASSERT_TRUE(xphost::clickWidget(s.SetupEnabledCheckBox[0]));
    EXPECT_EQ(buttonState(s.SetupEnabledCheckBox[0]), 0);
    EXPECT_EQ(s.Enabled[0][0], 1) << "nothing changes before the tick";
    runTicks(1);
    EXPECT_EQ(s.Enabled[0][0], 0);
    EXPECT_EQ(s.DataRefHandle[0][0], alpha_);
}

TEST_F(SetupWindowTest, CreateIniFileWritesWhatTheStateHoldsNotTheEdits) {
    openSetup();
    AppState &s = state();
    retype(s.SetupNameField[0], "sim/test/beta");
    retype(s.SetupIndexField[0], "4");
    retype(s.SetupScalingField[0], "9");
    ASSERT_TRUE(xphost::clickWidget(s.SetupCreateIniButton));
    gCsvExportWriter.waitUntilIdle();
    const std::string written = plotwright_test::readFile(pluginDir_ + "PlotwrightNew.ini");
    EXPECT_NE(written.find(plotwright_test::textFileBytes(
                  "[DATASET1]\nName1 = sim/test/alpha\nScaling1 = 2.000000\nIndex1 = 0\n")),
              std::string::npos)
        << written;
    EXPECT_EQ(written.find("Scaling1 = 9"), std::string::npos);
    EXPECT_EQ(text(s.SetupNameField[0]), "sim/test/beta") << "the edit stays pending";
}

TEST_F(SetupWindowTest, CloseBoxHidesTheWindowAndTheMenuBringsItBackAsItWas) {
    XPWidgetID window = openSetup();
    AppState &s = state();
    retype(s.SetupNameField[4], "pending/edit");
    ASSERT_TRUE(xphost::clickCloseBox(window));
    EXPECT_FALSE(XPIsWidgetVisible(window));
    EXPECT_EQ(openSetup(), window);
    EXPECT_TRUE(XPIsWidgetVisible(window));
    EXPECT_EQ(text(s.SetupNameField[4]), "pending/edit");
    EXPECT_STREQ(s.Name[0][4], "");
}

// Name holds 254 characters. The field refuses typing beyond that, and a longer text that
// reaches the field by other means is never stored or looked up cut short.
TEST_F(SetupWindowTest, NamesLongerThanTheStateCanHoldAreRefused) {
    const std::string longest(254, 'n');
    const std::string tooLong(300, 'x');
    xphost::defineDataRef(longest, DataRefKind::Float);
    xphost::defineDataRef(tooLong.substr(0, 255), DataRefKind::Float);
    openSetup();
    AppState &s = state();

    retype(s.SetupNameField[5], longest + "extra");
    EXPECT_EQ(text(s.SetupNameField[5]), longest);
    ASSERT_TRUE(xphost::clickWidget(s.SetupCheckDataRefButton[5]));
    EXPECT_EQ(std::string(s.Name[0][5]), longest);
    EXPECT_NE(s.DataRefHandle[0][5], nullptr);

    XPSetWidgetDescriptor(s.SetupNameField[0], tooLong.c_str());
    ASSERT_TRUE(xphost::clickWidget(s.SetupCheckDataRefButton[0]));
    EXPECT_EQ(s.DataRefHandle[0][0], nullptr) << "the cut name must not be looked up";
    EXPECT_EQ(buttonState(s.SetupEnabledCheckBox[0]), 0);
    EXPECT_STREQ(s.Name[0][0], "sim/test/alpha");

    XPSetWidgetDescriptor(s.SetupNameField[1], tooLong.substr(0, 255).c_str());
    retype(s.SetupIndexField[0], "6");
    ASSERT_TRUE(xphost::clickWidget(s.SetupApplyButton));
    EXPECT_STREQ(s.Name[0][0], "sim/test/alpha");
    EXPECT_STREQ(s.Name[0][1], "sim/test/missing");
    EXPECT_EQ(s.Index[0][0], 6) << "the row's other fields still apply";
}

TEST_F(SetupWindowTest, NumbersBeyondTheirTypesAreHeldAtTheLimits) {
    openSetup();
    AppState &s = state();
    retype(s.SetupIndexField[0], "99999999999");
    retype(s.SetupIndexField[1], "-99999999999");
    retype(s.SetupScalingField[0], "1e60");
    retype(s.SetupScalingField[1], "nan");
    ASSERT_TRUE(xphost::clickWidget(s.SetupApplyButton));
    EXPECT_EQ(s.Index[0][0], INT32_MAX);
    EXPECT_EQ(s.Index[0][1], INT32_MIN);
    EXPECT_EQ(s.Scaling[0][0], FLT_MAX);
    EXPECT_EQ(s.Scaling[0][1], 0.0f);
}

TEST_F(HostTest, WidgetTextIsAlwaysTerminatedAndReportsWhenItWasCut) {
    XPWidgetID caption = XPCreateWidget(0, 20, 100, 0, 1, "", 1, nullptr, xpWidgetClass_Caption);
    char buffer[kWidgetTextSize];
    XPSetWidgetDescriptor(caption, std::string(255, 'a').c_str());
    EXPECT_TRUE(readWidgetText(caption, buffer));
    EXPECT_EQ(std::string(buffer), std::string(255, 'a'));
    XPSetWidgetDescriptor(caption, std::string(256, 'b').c_str());
    EXPECT_FALSE(readWidgetText(caption, buffer));
    EXPECT_EQ(std::string(buffer), std::string(255, 'b'));
    XPSetWidgetDescriptor(caption, std::string(400, 'c').c_str());
    EXPECT_FALSE(readWidgetText(caption, buffer));
    EXPECT_EQ(std::string(buffer), std::string(255, 'c'));
    EXPECT_TRUE(readWidgetText(nullptr, buffer));
    EXPECT_STREQ(buffer, "");
    XPDestroyWidget(caption, 1);
}
} // namespace
