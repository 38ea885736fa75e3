#include "ui_input.h"

#include <cmath>

#include "XPUIGraphics.h"
#include "XPWidgets.h"
#include "ui_lookup.h"
#include "xphost/widgets.h"

namespace plotwright_host {
namespace {

constexpr int kTrackBandHeight = 20;
constexpr int kDragSteps = 12;

bool contains(const xphost::WidgetRect &rect, int x, int y) {
    return x >= rect.Left && x <= rect.Right && y >= rect.Bottom && y <= rect.Top;
}

XPWidgetID rootOf(XPWidgetID widget) {
    XPWidgetID root = widget;
    while (xphost::parentOf(root) != nullptr)
        root = xphost::parentOf(root);
    return root;
}

// The front-most shown root window under a point.
XPWidgetID frontWindowAt(int x, int y) {
    const std::vector<XPWidgetID> roots = xphost::rootWidgets();
    for (auto it = roots.rbegin(); it != roots.rend(); ++it)
        if (xphost::isShown(*it) && contains(xphost::geometryOf(*it), x, y)) return *it;
    return nullptr;
}

// Whether a click at the point would land on the window itself rather than on a child.
bool isBareWindowPoint(XPWidgetID window, int x, int y) {
    for (XPWidgetID child : xphost::descendantsOf(window))
        if (xphost::isShown(child) && contains(xphost::geometryOf(child), x, y)) return false;
    return !contains(xphost::closeBoxRect(window), x, y);
}

bool reachable(XPWidgetID widget, int x, int y, std::string *error) {
    if (!xphost::isLiveWidget(widget)) {
        *error = "the widget no longer exists";
        return false;
    }
    if (!XPIsWidgetVisible(widget)) {
        *error = "the widget " + std::string("\"") + visibleLabel(widget) + "\" of the window " +
                 windowName(rootOf(widget)) + " is not visible";
        return false;
    }
    return uncover(widget, x, y, error);
}

int trackX(const xphost::WidgetRect &rect, double fraction) {
    return rect.Left + static_cast<int>(std::lround(fraction * (rect.Right - rect.Left)));
}

// A person clicks the window they want where it shows and holds nothing to press: its title
// bar if any of it is uncovered, else any free spot of it. Returns whether there was one.
bool clickFreeSpot(XPWidgetID window) {
    constexpr int kGrid = 6;
    const xphost::WidgetRect rect = xphost::geometryOf(window);
    auto tryAt = [window](int x, int y) {
        if (frontWindowAt(x, y) != window || !isBareWindowPoint(window, x, y)) return false;
        xphost::click(x, y);
        return true;
    };
    for (int dy = 4; dy <= 12; dy += 4)
        for (int x = rect.Left + 8; x <= rect.Right - 8; x += kGrid)
            if (tryAt(x, rect.Top - dy)) return true;
    for (int y = rect.Top - 2; y >= rect.Bottom + 2; y -= kGrid)
        for (int x = rect.Left + 2; x <= rect.Right - 2; x += kGrid)
            if (tryAt(x, y)) return true;
    return false;
}

bool isFrontWindow(XPWidgetID window) {
    const std::vector<XPWidgetID> roots = xphost::rootWidgets();
    for (auto it = roots.rbegin(); it != roots.rend(); ++it)
        if (xphost::isShown(*it)) return *it == window;
    return false;
}

} // namespace

bool bringToFront(XPWidgetID window, std::string *error) {
    if (isFrontWindow(window)) return true;
    if (clickFreeSpot(window) && isFrontWindow(window)) return true;
    *error = "the window " + windowName(window) +
             " could not be brought to the front: other "
             "windows cover all of it but its widgets";
    return false;
}

bool uncover(XPWidgetID widget, int x, int y, std::string *error) {
    const XPWidgetID window = rootOf(widget);
    const XPWidgetID front = frontWindowAt(x, y);
    if (front == window) return true;
    if (clickFreeSpot(window) && frontWindowAt(x, y) == window) return true;
    *error = "the point (" + std::to_string(x) + ", " + std::to_string(y) + ") of the window " +
             windowName(window) + " is covered by the window " +
             (front != nullptr ? windowName(front) : std::string("(none)")) +
             ", and no free part of it shows to click it forward";
    return false;
}

bool clickOn(XPWidgetID widget, std::string *error) {
    const xphost::WidgetRect rect = xphost::geometryOf(widget);
    const int x = rect.Left + (rect.Right - rect.Left) / 2;
    const int y = rect.Bottom + (rect.Top - rect.Bottom) / 2;
    if (!reachable(widget, x, y, error)) return false;
    if (!xphost::click(x, y)) {
        *error = "nothing took the click at (" + std::to_string(x) + ", " + std::to_string(y) + ")";
        return false;
    }
    return true;
}

bool typeInto(XPWidgetID field, const std::string &text, std::string *error) {
    if (!clickOn(field, error)) return false;
    if (xphost::focusedWidget() != field) {
        *error = "the field did not take the keyboard focus when clicked";
        return false;
    }
    xphost::selectAllInFocusedField();
    // Typing nothing over a selection would leave it; a person deletes it instead.
    xphost::typeText(text.empty() ? std::string("\b") : text);
    return true;
}

bool clickTrack(XPWidgetID graph, double at, std::string *error) {
    const xphost::WidgetRect rect = xphost::geometryOf(graph);
    const int x = trackX(rect, at);
    const int y = rect.Bottom + kTrackBandHeight / 2;
    if (!reachable(graph, x, y, error)) return false;
    xphost::click(x, y);
    return true;
}

bool dragTrack(XPWidgetID graph, bool fromThumb, double from, double to, std::string *error) {
    const xphost::WidgetRect rect = xphost::geometryOf(graph);
    const int y = rect.Bottom + kTrackBandHeight / 2;
    int startX = trackX(rect, from);
    if (fromThumb) {
        int vertical = 0, downButton = 0, downPage = 0, thumb = 0, upPage = 0, upButton = 0;
        XPGetTrackMetrics(rect.Left, rect.Bottom + kTrackBandHeight, rect.Right, rect.Bottom,
                          static_cast<int>(XPGetWidgetProperty(graph, kGraphMinPosition, nullptr)),
                          static_cast<int>(XPGetWidgetProperty(graph, kGraphMaxPosition, nullptr)),
                          static_cast<int>(XPGetWidgetProperty(graph, kGraphPosition, nullptr)),
                          xpTrack_ScrollBar, &vertical, &downButton, &downPage, &thumb, &upPage,
                          &upButton);
        startX = rect.Left + downButton + downPage + thumb / 2;
    }
    const int endX = trackX(rect, to);
    if (!reachable(graph, startX, y, error)) return false;
    xphost::mouseDown(startX, y);
    for (int k = 1; k <= kDragSteps; ++k)
        xphost::mouseDrag(startX + (endX - startX) * k / kDragSteps, y);
    xphost::mouseUp(endX, y);
    return true;
}

} // namespace plotwright_host
