#pragma once
// The widget library's tree as its parts share it; not for plug-ins or tests.
//
// Handles are serial numbers, never addresses: a destroyed widget's handle is never given to a
// new widget (not even after resetHost), so a stale handle is always recognised and reported
// instead of silently reaching another widget. Widgets live in a map keyed by handle; anything
// that calls out to a plug-in looks the widget up again afterwards, because the plug-in may
// destroy it (or anything else) from inside the call.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "XPWidgetDefs.h"

namespace xphost::internal {

struct Widget {
    XPWidgetID id = nullptr;
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool shown = false;
    bool isRoot = false;
    // True from the moment its xpMsg_Destroy starts: it receives no more input and cannot be
    // destroyed twice.
    bool dying = false;
    std::string descriptor;
    int widgetClass = 0;
    // The class function of a standard class, or the custom widget's function.
    XPWidgetFunc_t function = nullptr;
    // In the order they were added; dispatch runs them newest first.
    std::vector<XPWidgetFunc_t> callbacks;
    std::map<XPWidgetPropertyID, intptr_t> properties;
    XPWidgetID parent = nullptr;
    // In creation order; the last one is in front.
    std::vector<XPWidgetID> children;
    // The module that was running when the widget was made (nullptr: the host's own tests).
    // While it is disabled the widget is neither drawn nor offered the user's input.
    const void *owner = nullptr;
    // What a standard class remembers between a mouse-down and its mouse-up.
    bool pressed = false;
    int pressX = 0;
    int pressY = 0;
};

// The live widget of a handle, or nullptr (without any report).
Widget *findWidget(XPWidgetID id);
// The live widget of a handle; reports a host error naming `caller` and returns nullptr when the
// handle is null, unknown or destroyed.
Widget *requireWidget(XPWidgetID id, const char *caller);
// Whether the handle was once given out (so a failed lookup means "destroyed").
bool wasEverIssued(XPWidgetID id);

// Makes a widget (not yet announced with xpMsg_Create) and links it into the tree: a root goes
// in front of every other root; otherwise it becomes the last child of `container`. A non-root
// widget without a container hangs nowhere: it exists but is never drawn nor clicked.
Widget &addWidget(int left, int top, int right, int bottom, bool shown, const char *descriptor,
                  bool isRoot, XPWidgetID container, int widgetClass, XPWidgetFunc_t function);
// Unlinks the widget from its parent or the root list and forgets it. Its children lose their
// parent.
void removeWidget(XPWidgetID id);

std::size_t widgetCount();
// Roots from back to front.
const std::vector<XPWidgetID> &rootOrder();
// The root a widget hangs under (the widget itself for a root); nullptr for a widget that hangs
// under no root.
XPWidgetID rootOf(XPWidgetID id);
bool isFrontRoot(XPWidgetID root);
// Whether the module that made the widget is enabled (true for a widget of no module).
bool ownerEnabled(const Widget &widget);
void bringRootToFront(XPWidgetID root);

// Shown, and every parent shown too, and hanging under a root.
bool isEffectivelyVisible(const Widget &widget);
bool containsPoint(const Widget &widget, int x, int y);

// Input state that must be forgotten with the widgets it names.
struct InputState {
    XPWidgetID mouseCapture = nullptr;
    XPWidgetID keyboardFocus = nullptr;
};
InputState &inputState();

} // namespace xphost::internal
