// The headless host's widget library: the behaviour the plug-in relies on, checked against the
// simulator's documented behaviour and the host's own written-down choices.
#include <cstring>
#include <string>
#include <vector>

#include "XPStandardWidgets.h"
#include "XPUIGraphics.h"
#include "XPWidgetUtils.h"
#include "XPWidgets.h"
#include "support/host_fixture.h"
#include "xphost/host.h"
#include "xphost/widgets.h"

namespace {

using plotwright_test::HostTest;

// What a recording widget function saw, in order.
struct Event {
    XPWidgetMessage message;
    XPWidgetID widget;
    intptr_t param1;
    intptr_t param2;
    std::string who;
};
std::vector<Event> gEvents;

void record(const char *who, XPWidgetMessage message, XPWidgetID widget, intptr_t p1, intptr_t p2) {
    gEvents.push_back(Event{message, widget, p1, p2, who});
}

std::vector<Event> eventsOf(XPWidgetMessage message) {
    std::vector<Event> found;
    for (const Event &event : gEvents)
        if (event.message == message) found.push_back(event);
    return found;
}

int recordingWidget(XPWidgetMessage message, XPWidgetID widget, intptr_t p1, intptr_t p2) {
    record("widget", message, widget, p1, p2);
    return 0;
}
int recordingWidgetTakingMouse(XPWidgetMessage message, XPWidgetID widget, intptr_t p1, intptr_t) {
    int x = 0, y = 0;
    if (message >= xpMsg_MouseDown && message <= xpMsg_MouseUp) {
        x = reinterpret_cast<const XPMouseState_t *>(p1)->x;
        y = reinterpret_cast<const XPMouseState_t *>(p1)->y;
    }
    record("widget", message, widget, x, y);
    return message >= xpMsg_MouseDown && message <= xpMsg_MouseUp ? 1 : 0;
}
int olderCallback(XPWidgetMessage message, XPWidgetID widget, intptr_t p1, intptr_t p2) {
    record("older", message, widget, p1, p2);
    return 0;
}
int newerCallback(XPWidgetMessage message, XPWidgetID widget, intptr_t p1, intptr_t p2) {
    record("newer", message, widget, p1, p2);
    return 0;
}
int takingCallback(XPWidgetMessage message, XPWidgetID widget, intptr_t p1, intptr_t p2) {
    record("taking", message, widget, p1, p2);
    return 1;
}

class WidgetsTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        gEvents.clear();
    }
    // Expects exactly `count` host errors, then forgets them so the fixture does not fail.
    void expectHostErrors(std::size_t count) {
        EXPECT_EQ(xphost::hostErrors().size(), count);
        xphost::clearHostErrors();
    }
    XPWidgetID mainWindow(int left, int top, int right, int bottom, const char *caption) {
        return XPCreateWidget(left, top, right, bottom, 1, caption, 1, nullptr,
                              xpWidgetClass_MainWindow);
    }
};

// --- properties ---------------------------------------------------------------------------

constexpr XPWidgetPropertyID kFirst = 2301;
constexpr XPWidgetPropertyID kSecond = 2302;
std::vector<std::string> gNesting;

int reentrantWidget(XPWidgetMessage message, XPWidgetID widget, intptr_t p1, intptr_t p2) {
    if (message != xpMsg_PropertyChanged) return 0;
    gNesting.push_back("enter " + std::to_string(p1) + "=" + std::to_string(p2));
    // Like the graph widget: a request resets its own flag before acting, which re-enters.
    if (p1 == kFirst && p2 == 1) {
        XPSetWidgetProperty(widget, kFirst, 0);
        XPSetWidgetProperty(widget, kSecond, 7);
    }
    gNesting.push_back("leave " + std::to_string(p1) + "=" + std::to_string(p2));
    return 1;
}

TEST_F(WidgetsTest, PropertyChangesAreDeliveredSynchronouslyAndReentrantly) {
    gNesting.clear();
    XPWidgetID widget = XPCreateCustomWidget(0, 100, 100, 0, 1, "", 1, nullptr, reentrantWidget);
    XPSetWidgetProperty(widget, kFirst, 1);
    const std::vector<std::string> expected = {"enter 2301=1", "enter 2301=0", "leave 2301=0",
                                               "enter 2302=7", "leave 2302=7", "leave 2301=1"};
    EXPECT_EQ(gNesting, expected);
    EXPECT_EQ(XPGetWidgetProperty(widget, kFirst, nullptr), 0);
    EXPECT_EQ(XPGetWidgetProperty(widget, kSecond, nullptr), 7);

    // An unchanged value is still announced: the library stores, then sends.
    gNesting.clear();
    XPSetWidgetProperty(widget, kSecond, 7);
    EXPECT_EQ(gNesting.size(), 2u);
}

TEST_F(WidgetsTest, PropertyValuesArePointerSizedAndNeverSetReadsZero) {
    XPWidgetID widget = XPCreateCustomWidget(0, 100, 100, 0, 1, "", 1, nullptr, recordingWidget);
    int exists = -1;
    EXPECT_EQ(XPGetWidgetProperty(widget, 2312, &exists), 0);
    EXPECT_EQ(exists, 0);
    float samples[8] = {};
    XPSetWidgetProperty(widget, 2312, reinterpret_cast<intptr_t>(samples));
    EXPECT_EQ(XPGetWidgetProperty(widget, 2312, &exists), reinterpret_cast<intptr_t>(samples));
    EXPECT_EQ(exists, 1);
    const auto changes = eventsOf(xpMsg_PropertyChanged);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].param1, 2312);
    EXPECT_EQ(changes[0].param2, reinterpret_cast<intptr_t>(samples));

    // The sampler asks the graph before it exists: a null widget reads 0 quietly.
    exists = -1;
    EXPECT_EQ(XPGetWidgetProperty(nullptr, 2308, &exists), 0);
    EXPECT_EQ(exists, 0);
    EXPECT_EQ(XPIsWidgetVisible(nullptr), 0);
    EXPECT_TRUE(xphost::hostErrors().empty());
}

TEST_F(WidgetsTest, StaleAndUnknownHandlesAreHostErrors) {
    XPWidgetID widget = XPCreateCustomWidget(0, 100, 100, 0, 1, "", 1, nullptr, recordingWidget);
    XPDestroyWidget(widget, 1);
    EXPECT_EQ(XPGetWidgetProperty(widget, 1, nullptr), 0);
    expectHostErrors(1);
    XPSetWidgetProperty(widget, 1, 1);
    XPShowWidget(widget);
    XPSetWidgetDescriptor(widget, "x");
    expectHostErrors(3);
    int dummy = 0;
    XPGetWidgetGeometry(&dummy, nullptr, nullptr, nullptr, nullptr);
    XPDestroyWidget(nullptr, 1);
    expectHostErrors(2);
    EXPECT_EQ(XPCreateWidget(0, 10, 10, 0, 1, "", 1, nullptr, 99), nullptr);
    expectHostErrors(1);

    // A reset forgets every widget; old handles never alias new ones.
    XPWidgetID before = XPCreateWidget(0, 10, 10, 0, 1, "", 1, nullptr, xpWidgetClass_Caption);
    xphost::resetHost(root_);
    EXPECT_EQ(xphost::liveWidgetCount(), 0u);
    EXPECT_TRUE(xphost::rootWidgets().empty());
    XPWidgetID after = XPCreateWidget(0, 10, 10, 0, 1, "", 1, nullptr, xpWidgetClass_Caption);
    EXPECT_NE(before, after);
    XPHideWidget(before);
    expectHostErrors(1);
}

// --- descriptors --------------------------------------------------------------------------

TEST_F(WidgetsTest, DescriptorIsCopiedAndReadWithStrncpySemantics) {
    char source[] = "abcd";
    XPWidgetID widget =
        XPCreateCustomWidget(0, 100, 100, 0, 1, source, 1, nullptr, recordingWidget);
    source[0] = 'z';
    EXPECT_EQ(XPGetWidgetDescriptor(widget, nullptr, 0), 4);

    char exact[6] = {'X', 'X', 'X', 'X', 'S', 'S'};
    EXPECT_EQ(XPGetWidgetDescriptor(widget, exact, 4), 4);
    EXPECT_EQ(std::string(exact, 6), "abcdSS"); // full buffer: no terminator written

    char shorter[3] = {'X', 'X', 'X'};
    EXPECT_EQ(XPGetWidgetDescriptor(widget, shorter, 2), 4);
    EXPECT_EQ(std::string(shorter, 3), "abX");

    char roomy[8];
    std::memset(roomy, 'X', sizeof roomy);
    XPGetWidgetDescriptor(widget, roomy, 8);
    EXPECT_EQ(std::string(roomy, 8), std::string("abcd\0\0\0\0", 8)); // padded like strncpy

    XPSetWidgetDescriptor(widget, "new text");
    EXPECT_EQ(eventsOf(xpMsg_DescriptorChanged).size(), 1u);
    EXPECT_EQ(xphost::descriptorOf(widget), "new text");
}

// --- creation, callbacks, destruction ------------------------------------------------------

TEST_F(WidgetsTest, CallbacksRunNewestFirstAndEachNewOneIsAnnounced) {
    XPWidgetID window = mainWindow(0, 200, 200, 0, "Window");
    XPAddWidgetCallback(window, olderCallback);
    XPAddWidgetCallback(window, newerCallback);
    ASSERT_EQ(gEvents.size(), 2u);
    EXPECT_EQ(gEvents[0].who, "older");
    EXPECT_EQ(gEvents[0].message, xpMsg_Create);
    EXPECT_EQ(gEvents[0].param1, 1);
    EXPECT_EQ(gEvents[1].who, "newer"); // the older callback is not told again
    EXPECT_EQ(gEvents[1].param1, 1);

    gEvents.clear();
    XPSetWidgetProperty(window, 5000, 1);
    ASSERT_EQ(gEvents.size(), 2u);
    EXPECT_EQ(gEvents[0].who, "newer");
    EXPECT_EQ(gEvents[1].who, "older");

    // The first nonzero result ends the dispatch.
    XPAddWidgetCallback(window, takingCallback);
    gEvents.clear();
    XPSetWidgetProperty(window, 5000, 2);
    ASSERT_EQ(gEvents.size(), 1u);
    EXPECT_EQ(gEvents[0].who, "taking");
}

TEST_F(WidgetsTest, CustomWidgetHearsCreateBeforeCreationReturns) {
    XPWidgetID widget = XPCreateCustomWidget(10, 50, 60, 20, 0, "g", 1, nullptr, recordingWidget);
    ASSERT_EQ(gEvents.size(), 1u);
    EXPECT_EQ(gEvents[0].message, xpMsg_Create);
    EXPECT_EQ(gEvents[0].widget, widget);
    EXPECT_EQ(gEvents[0].param1, 0);
    int left = 0, top = 0, right = 0, bottom = 0;
    XPGetWidgetGeometry(widget, &left, &top, &right, &bottom);
    EXPECT_EQ(left, 10);
    EXPECT_EQ(top, 50);
    EXPECT_EQ(right, 60);
    EXPECT_EQ(bottom, 20);
    XPGetWidgetGeometry(widget, nullptr, &top, nullptr, nullptr);
    EXPECT_EQ(xphost::widgetClassOf(widget), xphost::kCustomWidgetClass);
}

TEST_F(WidgetsTest, DestroyingWithChildrenDestroysThemFirstAndReachesEveryHandler) {
    XPWidgetID window = mainWindow(0, 300, 300, 0, "Window");
    XPWidgetID child =
        XPCreateCustomWidget(10, 200, 100, 100, 1, "child", 0, window, recordingWidget);
    XPWidgetID grandchild =
        XPCreateCustomWidget(20, 190, 90, 110, 1, "grandchild", 0, child, recordingWidget);
    XPAddWidgetCallback(window, takingCallback); // returns 1 to everything
    XPAddWidgetCallback(window, newerCallback);
    gEvents.clear();

    XPDestroyWidget(window, 1);
    const auto destroys = eventsOf(xpMsg_Destroy);
    ASSERT_EQ(destroys.size(), 4u);
    EXPECT_EQ(destroys[0].widget, grandchild);
    EXPECT_EQ(destroys[0].param1, 1);
    EXPECT_EQ(destroys[1].widget, child);
    EXPECT_EQ(destroys[1].param1, 1);
    EXPECT_EQ(destroys[2].who, "newer");
    EXPECT_EQ(destroys[2].param1, 0);
    EXPECT_EQ(destroys[3].who, "taking");
    EXPECT_EQ(xphost::liveWidgetCount(), 0u);
    EXPECT_TRUE(xphost::rootWidgets().empty());
}

TEST_F(WidgetsTest, DestroyingWithoutChildrenLeavesThemWithoutParent) {
    XPWidgetID window = mainWindow(0, 300, 300, 0, "Window");
    XPWidgetID child =
        XPCreateWidget(10, 200, 100, 100, 1, "child", 0, window, xpWidgetClass_Caption);
    XPDestroyWidget(window, 0);
    EXPECT_FALSE(xphost::isLiveWidget(window));
    ASSERT_TRUE(xphost::isLiveWidget(child));
    EXPECT_EQ(xphost::parentOf(child), nullptr);
    EXPECT_EQ(XPIsWidgetVisible(child), 0); // it hangs under no window any more
}

// --- visibility -----------------------------------------------------------------------------

TEST_F(WidgetsTest, VisibilityFollowsTheWidgetAndEveryParent) {
    XPWidgetID window = mainWindow(0, 300, 300, 0, "Window");
    XPWidgetID panel = XPCreateWidget(10, 250, 250, 10, 1, "", 0, window, xpWidgetClass_SubWindow);
    XPWidgetID leaf = XPCreateCustomWidget(20, 240, 100, 20, 1, "", 0, panel, recordingWidget);
    EXPECT_EQ(XPIsWidgetVisible(leaf), 1);

    XPHideWidget(window);
    EXPECT_EQ(XPIsWidgetVisible(leaf), 0);
    EXPECT_TRUE(xphost::isShown(leaf)); // its own flag is untouched
    XPShowWidget(window);
    XPHideWidget(panel);
    EXPECT_EQ(XPIsWidgetVisible(leaf), 0);
    EXPECT_EQ(XPIsWidgetVisible(window), 1);
    XPShowWidget(panel);
    EXPECT_EQ(XPIsWidgetVisible(leaf), 1);

    // Messages report changes only, with the widget in param1.
    gEvents.clear();
    XPHideWidget(leaf);
    XPHideWidget(leaf);
    XPShowWidget(leaf);
    XPShowWidget(leaf);
    ASSERT_EQ(gEvents.size(), 2u);
    EXPECT_EQ(gEvents[0].message, xpMsg_Hidden);
    EXPECT_EQ(gEvents[0].param1, reinterpret_cast<intptr_t>(leaf));
    EXPECT_EQ(gEvents[1].message, xpMsg_Shown);

    // A hidden widget takes no clicks: the click goes to its parent chain instead.
    XPWidgetID hidden =
        XPCreateCustomWidget(150, 150, 200, 100, 0, "", 0, window, recordingWidgetTakingMouse);
    gEvents.clear();
    xphost::click(175, 125);
    for (const Event &event : gEvents)
        EXPECT_NE(event.widget, hidden);
}

// --- standard widgets and up-chain dispatch --------------------------------------------------

int windowCallback(XPWidgetMessage message, XPWidgetID widget, intptr_t p1, intptr_t p2) {
    if (message == xpMsg_PushButtonPressed || message == xpMsg_ButtonStateChanged ||
        message == xpMsg_TextFieldChanged || message == xpMessage_CloseButtonPushed) {
        record("window", message, widget, p1, p2);
        return 1;
    }
    return 0;
}

TEST_F(WidgetsTest, PushButtonPressReachesTheMainWindowThroughItsPanel) {
    XPWidgetID window = mainWindow(100, 400, 500, 100, "Window");
    XPAddWidgetCallback(window, windowCallback);
    XPWidgetID panel =
        XPCreateWidget(110, 370, 490, 110, 1, "", 0, window, xpWidgetClass_SubWindow);
    XPWidgetID button =
        XPCreateWidget(120, 200, 180, 180, 1, "Record", 0, panel, xpWidgetClass_Button);
    gEvents.clear();

    EXPECT_TRUE(xphost::clickWidget(button));
    auto presses = eventsOf(xpMsg_PushButtonPressed);
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0].widget, window);
    EXPECT_EQ(presses[0].param1, reinterpret_cast<intptr_t>(button));

    // Released away from the button: no press, and the button is no longer lit.
    gEvents.clear();
    xphost::mouseDown(150, 190);
    EXPECT_EQ(XPGetWidgetProperty(button, xpProperty_Hilited, nullptr), 1);
    xphost::mouseDrag(300, 300);
    EXPECT_EQ(XPGetWidgetProperty(button, xpProperty_Hilited, nullptr), 0);
    xphost::mouseUp(300, 300);
    EXPECT_TRUE(eventsOf(xpMsg_PushButtonPressed).empty());
}

int panelTakingPress(XPWidgetMessage message, XPWidgetID widget, intptr_t p1, intptr_t p2) {
    if (message != xpMsg_PushButtonPressed) return 0;
    record("panel", message, widget, p1, p2);
    return 1;
}
int panelPassingPress(XPWidgetMessage message, XPWidgetID widget, intptr_t p1, intptr_t p2) {
    if (message != xpMsg_PushButtonPressed) return 0;
    record("passing", message, widget, p1, p2);
    return 0;
}

TEST_F(WidgetsTest, UpChainMessageStopsAtTheFirstWidgetThatHandlesIt) {
    XPWidgetID window = mainWindow(100, 400, 500, 100, "Window");
    XPAddWidgetCallback(window, windowCallback);
    XPWidgetID panel =
        XPCreateWidget(110, 370, 490, 110, 1, "", 0, window, xpWidgetClass_SubWindow);
    XPWidgetID button =
        XPCreateWidget(120, 200, 180, 180, 1, "Stop", 0, panel, xpWidgetClass_Button);
    XPAddWidgetCallback(button, panelPassingPress);
    XPAddWidgetCallback(panel, panelPassingPress);
    gEvents.clear();

    // Each widget of the chain hears it as itself, with the sender in param1, nearest first.
    xphost::clickWidget(button);
    auto presses = eventsOf(xpMsg_PushButtonPressed);
    ASSERT_EQ(presses.size(), 3u);
    EXPECT_EQ(presses[0].widget, button);
    EXPECT_EQ(presses[1].widget, panel);
    EXPECT_EQ(presses[2].widget, window);
    for (const Event &press : presses)
        EXPECT_EQ(press.param1, reinterpret_cast<intptr_t>(button));

    // A panel that handles it keeps it from the window.
    XPAddWidgetCallback(panel, panelTakingPress);
    gEvents.clear();
    xphost::clickWidget(button);
    presses = eventsOf(xpMsg_PushButtonPressed);
    ASSERT_EQ(presses.size(), 2u);
    EXPECT_EQ(presses[1].who, "panel");
    EXPECT_EQ(presses[1].widget, panel);
}

int takingButtonMouse(XPWidgetMessage message, XPWidgetID widget, intptr_t p1, intptr_t p2) {
    if (message < xpMsg_MouseDown || message > xpMsg_MouseUp) return 0;
    record("callback", message, widget, p1, p2);
    return 1;
}

TEST_F(WidgetsTest, CallbackThatTakesTheMouseKeepsItFromTheStandardClass) {
    XPWidgetID window = mainWindow(100, 400, 500, 100, "Window");
    XPAddWidgetCallback(window, windowCallback);
    XPWidgetID button = XPCreateWidget(120, 200, 180, 180, 1, "", 0, window, xpWidgetClass_Button);
    XPWidgetID box = XPCreateWidget(200, 200, 220, 180, 1, "", 0, window, xpWidgetClass_Button);
    XPSetWidgetProperty(box, xpProperty_ButtonType, xpRadioButton);
    XPSetWidgetProperty(box, xpProperty_ButtonBehavior, xpButtonBehaviorCheckBox);
    XPAddWidgetCallback(button, takingButtonMouse);
    XPAddWidgetCallback(box, takingButtonMouse);
    gEvents.clear();

    xphost::clickWidget(button);
    xphost::clickWidget(box);
    EXPECT_EQ(eventsOf(xpMsg_MouseDown).size(), 2u);
    EXPECT_EQ(eventsOf(xpMsg_MouseUp).size(), 2u);
    EXPECT_TRUE(eventsOf(xpMsg_PushButtonPressed).empty());
    EXPECT_TRUE(eventsOf(xpMsg_ButtonStateChanged).empty());
    EXPECT_EQ(XPGetWidgetProperty(button, xpProperty_Hilited, nullptr), 0);
    EXPECT_EQ(XPGetWidgetProperty(box, xpProperty_ButtonState, nullptr), 0);
}

TEST_F(WidgetsTest, CloseBoxSendsCloseToItsWindowOnly) {
    XPWidgetID window = mainWindow(100, 400, 500, 100, "Window");
    XPAddWidgetCallback(window, windowCallback);
    EXPECT_TRUE(xphost::clickCloseBox(window)); // no close box yet: a plain click
    EXPECT_TRUE(gEvents.empty());
    XPSetWidgetProperty(window, xpProperty_MainWindowHasCloseBoxes, 1);
    gEvents.clear();
    const xphost::WidgetRect box = xphost::closeBoxRect(window);
    EXPECT_EQ(box.Right, 496);
    EXPECT_EQ(box.Top, 396);
    EXPECT_EQ(box.Right - box.Left + 1, 14);
    EXPECT_TRUE(xphost::clickCloseBox(window));
    const auto closes = eventsOf(xpMessage_CloseButtonPushed);
    ASSERT_EQ(closes.size(), 1u);
    EXPECT_EQ(closes[0].widget, window);

    // A press on the box released elsewhere closes nothing; the title bar drags the window.
    XPWidgetID child = XPCreateWidget(120, 300, 200, 280, 1, "c", 0, window, xpWidgetClass_Caption);
    xphost::mouseDown(490, 390);
    xphost::mouseUp(300, 200);
    EXPECT_EQ(eventsOf(xpMessage_CloseButtonPushed).size(), 1u);
    xphost::mouseDown(200, 390);
    xphost::mouseDrag(230, 380);
    xphost::mouseUp(230, 380);
    EXPECT_EQ(xphost::geometryOf(window).Left, 130);
    EXPECT_EQ(xphost::geometryOf(window).Top, 390);
    EXPECT_EQ(xphost::geometryOf(child).Left, 150);
    EXPECT_EQ(xphost::geometryOf(child).Bottom, 270);
}

TEST_F(WidgetsTest, CheckBoxFlipsAtMouseDownAndOnlyUserClicksAnnounceIt) {
    XPWidgetID window = mainWindow(100, 400, 500, 100, "Window");
    XPAddWidgetCallback(window, windowCallback);
    XPWidgetID box = XPCreateWidget(120, 200, 140, 180, 1, "", 0, window, xpWidgetClass_Button);
    XPSetWidgetProperty(box, xpProperty_ButtonType, xpRadioButton);
    XPSetWidgetProperty(box, xpProperty_ButtonBehavior, xpButtonBehaviorCheckBox);
    gEvents.clear();

    xphost::mouseDown(130, 190);
    EXPECT_EQ(XPGetWidgetProperty(box, xpProperty_ButtonState, nullptr), 1);
    auto changes = eventsOf(xpMsg_ButtonStateChanged);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].widget, window);
    EXPECT_EQ(changes[0].param1, reinterpret_cast<intptr_t>(box));
    EXPECT_EQ(changes[0].param2, 1);
    xphost::mouseUp(130, 190);
    EXPECT_EQ(XPGetWidgetProperty(box, xpProperty_ButtonState, nullptr), 1);

    xphost::click(130, 190);
    EXPECT_EQ(XPGetWidgetProperty(box, xpProperty_ButtonState, nullptr), 0);
    EXPECT_EQ(eventsOf(xpMsg_ButtonStateChanged).size(), 2u);

    XPSetWidgetProperty(box, xpProperty_ButtonState, 1);
    EXPECT_EQ(eventsOf(xpMsg_ButtonStateChanged).size(), 2u);
    EXPECT_TRUE(eventsOf(xpMsg_PushButtonPressed).empty());
}

TEST_F(WidgetsTest, TypingEditsTheFocusedField) {
    XPWidgetID window = mainWindow(100, 400, 500, 100, "Window");
    XPAddWidgetCallback(window, windowCallback);
    XPWidgetID field =
        XPCreateWidget(120, 200, 300, 180, 1, "1.0", 0, window, xpWidgetClass_TextField);
    XPWidgetID other =
        XPCreateWidget(120, 170, 300, 150, 1, "", 0, window, xpWidgetClass_TextField);
    xphost::typeText("lost"); // nobody has the focus yet
    EXPECT_EQ(xphost::descriptorOf(field), "1.0");

    ASSERT_TRUE(xphost::clickWidget(field));
    EXPECT_EQ(xphost::focusedWidget(), field);
    xphost::typeText("25\b");
    EXPECT_EQ(xphost::descriptorOf(field), "1.02");
    EXPECT_EQ(XPGetWidgetProperty(field, xpProperty_EditFieldSelStart, nullptr), 4);
    const auto changes = eventsOf(xpMsg_TextFieldChanged);
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].widget, window);
    EXPECT_EQ(changes[0].param1, reinterpret_cast<intptr_t>(field));

    xphost::selectAllInFocusedField();
    xphost::typeText("0.5");
    EXPECT_EQ(xphost::descriptorOf(field), "0.5");

    XPSetWidgetProperty(field, xpProperty_MaxCharacters, 4);
    xphost::typeText("123");
    EXPECT_EQ(xphost::descriptorOf(field), "0.51");

    // Clicking elsewhere moves the focus; clicking nothing takes it away.
    xphost::clickWidget(other);
    EXPECT_EQ(xphost::focusedWidget(), other);
    xphost::typeText("x");
    EXPECT_EQ(xphost::descriptorOf(other), "x");
    xphost::click(1000, 700);
    EXPECT_EQ(xphost::focusedWidget(), nullptr);
}

// --- mouse routing --------------------------------------------------------------------------

TEST_F(WidgetsTest, TheWidgetThatTookTheMouseDownGetsEveryDragAndTheRelease) {
    XPWidgetID window = mainWindow(100, 400, 500, 100, "Window");
    XPWidgetID graph =
        XPCreateCustomWidget(150, 300, 450, 150, 1, "", 0, window, recordingWidgetTakingMouse);
    gEvents.clear();
    ASSERT_TRUE(xphost::mouseDown(200, 160));
    xphost::mouseDrag(600, 50); // outside the widget and the window
    xphost::mouseDrag(-5, 700); // outside the screen
    xphost::mouseUp(700, 20);
    ASSERT_EQ(gEvents.size(), 4u);
    for (const Event &event : gEvents)
        EXPECT_EQ(event.widget, graph);
    EXPECT_EQ(gEvents[1].message, xpMsg_MouseDrag);
    EXPECT_EQ(gEvents[1].param1, 600);
    EXPECT_EQ(gEvents[1].param2, 50);
    EXPECT_EQ(gEvents[2].param1, -5);
    EXPECT_EQ(gEvents[3].message, xpMsg_MouseUp);
    EXPECT_EQ(gEvents[3].param1, 700);

    // After the release nothing is captured any more.
    gEvents.clear();
    xphost::mouseDrag(200, 160);
    xphost::mouseUp(200, 160);
    EXPECT_TRUE(gEvents.empty());
}

TEST_F(WidgetsTest, MouseDownDeclinedByAChildIsTakenUpTheChainAndCapturedThere) {
    XPWidgetID window = mainWindow(100, 400, 500, 100, "Window");
    XPWidgetID parent =
        XPCreateCustomWidget(150, 350, 450, 150, 1, "", 0, window, recordingWidgetTakingMouse);
    XPWidgetID child = XPCreateCustomWidget(200, 300, 300, 200, 1, "", 0, parent, recordingWidget);
    gEvents.clear();

    ASSERT_TRUE(xphost::mouseDown(250, 250));
    xphost::mouseDrag(260, 240);
    xphost::mouseUp(260, 240);
    ASSERT_EQ(gEvents.size(), 4u);
    EXPECT_EQ(gEvents[0].widget, child); // offered first, declined
    EXPECT_EQ(gEvents[0].message, xpMsg_MouseDown);
    EXPECT_EQ(gEvents[1].widget, parent);
    EXPECT_EQ(gEvents[1].message, xpMsg_MouseDown);
    EXPECT_EQ(gEvents[2].widget, parent);
    EXPECT_EQ(gEvents[2].message, xpMsg_MouseDrag);
    EXPECT_EQ(gEvents[3].widget, parent);
    EXPECT_EQ(gEvents[3].message, xpMsg_MouseUp);
}

TEST_F(WidgetsTest, ClicksGoToTheFrontMostWidgetAndBringItsWindowForward) {
    XPWidgetID back = mainWindow(100, 400, 400, 100, "Back");
    XPWidgetID backWidget =
        XPCreateCustomWidget(110, 380, 390, 120, 1, "", 0, back, recordingWidgetTakingMouse);
    XPWidgetID front = mainWindow(300, 500, 600, 200, "Front");
    XPWidgetID lower =
        XPCreateCustomWidget(310, 480, 590, 220, 1, "", 0, front, recordingWidgetTakingMouse);
    XPWidgetID upper =
        XPCreateCustomWidget(350, 450, 400, 250, 1, "", 0, front, recordingWidgetTakingMouse);
    // A child reaching outside its window cannot be clicked there.
    XPWidgetID overhang =
        XPCreateCustomWidget(550, 700, 800, 550, 1, "", 0, front, recordingWidgetTakingMouse);
    ASSERT_EQ(xphost::rootWidgets().back(), front);
    gEvents.clear();

    xphost::click(360, 300); // overlap of both windows and both front children
    ASSERT_FALSE(gEvents.empty());
    EXPECT_EQ(gEvents[0].widget, upper);
    xphost::click(500, 300);
    EXPECT_EQ(gEvents.back().widget, lower);

    gEvents.clear();
    xphost::click(700, 600);
    EXPECT_TRUE(gEvents.empty());
    (void)overhang;

    xphost::click(150, 150); // the part of the back window no one covers
    EXPECT_EQ(gEvents.back().widget, backWidget);
    EXPECT_EQ(xphost::rootWidgets().back(), back);
    xphost::click(360, 300);
    EXPECT_EQ(gEvents.back().widget, backWidget);
}

int selectingWidget(XPWidgetMessage message, XPWidgetID widget, intptr_t p1, intptr_t p2) {
    if (XPUSelectIfNeeded(message, widget, p1, p2, 1)) {
        record("eaten", message, widget, p1, p2);
        return 1;
    }
    record("used", message, widget, p1, p2);
    return message == xpMsg_MouseDown || message == xpMsg_MouseUp ? 1 : 0;
}

TEST_F(WidgetsTest, SelectIfNeededEatsTheClickThatBringsAWindowForward) {
    XPWidgetID back = mainWindow(100, 400, 400, 100, "Back");
    XPCreateCustomWidget(110, 380, 390, 120, 1, "", 0, back, selectingWidget);
    XPWidgetID front = mainWindow(500, 400, 800, 100, "Front");
    gEvents.clear();

    xphost::click(200, 200);
    ASSERT_FALSE(gEvents.empty());
    EXPECT_EQ(gEvents[0].who, "eaten");
    EXPECT_EQ(xphost::rootWidgets().back(), back);

    gEvents.clear();
    xphost::click(200, 200); // now in front: the click is used
    ASSERT_FALSE(gEvents.empty());
    EXPECT_EQ(gEvents[0].who, "used");
    EXPECT_EQ(XPUSelectIfNeeded(xpMsg_Draw, front, 0, 0, 1), 0);
}

// --- track metrics --------------------------------------------------------------------------

struct Metrics {
    int vertical, downButton, downPage, thumb, upPage, upButton;
    int total() const { return downButton + downPage + thumb + upPage + upButton; }
};

Metrics metricsOf(int x1, int y1, int x2, int y2, int minimum, int maximum, int value) {
    Metrics m{};
    XPGetTrackMetrics(x1, y1, x2, y2, minimum, maximum, value, xpTrack_ScrollBar, &m.vertical,
                      &m.downButton, &m.downPage, &m.thumb, &m.upPage, &m.upButton);
    return m;
}

TEST(HostTrackMetrics, HorizontalScrollBarSplitsItsLengthByTheValue) {
    // The graph's track: 700 wide, 20 tall.
    const Metrics start = metricsOf(250, 120, 950, 100, 0, 1000, 0);
    EXPECT_EQ(start.vertical, 0);
    EXPECT_EQ(start.downButton, 20);
    EXPECT_EQ(start.upButton, 20);
    EXPECT_EQ(start.thumb, 20);
    EXPECT_EQ(start.downPage, 0);
    EXPECT_EQ(start.upPage, 640);
    EXPECT_EQ(start.total(), 700);

    const Metrics end = metricsOf(250, 120, 950, 100, 0, 1000, 1000);
    EXPECT_EQ(end.downPage, 640);
    EXPECT_EQ(end.upPage, 0);

    const Metrics quarter = metricsOf(250, 120, 950, 100, 0, 1000, 250);
    EXPECT_EQ(quarter.downPage, 160);
    EXPECT_EQ(quarter.total(), 700);

    // Values outside the range are clamped; an empty range puts the thumb at the down end.
    EXPECT_EQ(metricsOf(250, 120, 950, 100, 0, 1000, 5000).upPage, 0);
    EXPECT_EQ(metricsOf(250, 120, 950, 100, 0, 1000, -5).downPage, 0);
    EXPECT_EQ(metricsOf(250, 120, 950, 100, 0, 0, 0).downPage, 0);
    EXPECT_EQ(metricsOf(250, 120, 950, 100, 10, 3, 7).downPage, 0);

    // Extreme ranges do not overflow.
    const Metrics huge = metricsOf(0, 20, 700, 0, -2000000000, 2000000000, 0);
    EXPECT_EQ(huge.downPage, 320);

    // Taller than wide: vertical. Tiny tracks never give negative sizes.
    EXPECT_EQ(metricsOf(0, 300, 20, 0, 0, 10, 5).vertical, 1);
    const Metrics tiny = metricsOf(0, 3, 5, 0, 0, 10, 5);
    EXPECT_GE(tiny.downPage, 0);
    EXPECT_GE(tiny.upPage, 0);
    EXPECT_EQ(tiny.total(), 5);
}

} // namespace
