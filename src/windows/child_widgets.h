#pragma once
// Creating the standard widgets the windows are made of: each a visible, non-root child of a
// main window, typed right after it is created.

#include "XPWidgetDefs.h"

// Left, top, right, bottom in global screen pixels (y upward).
struct ChildRect {
    int Left;
    int Top;
    int Right;
    int Bottom;
};

XPWidgetID createCaption(const ChildRect &rect, const char *text, XPWidgetID parent);
XPWidgetID createPushButton(const ChildRect &rect, const char *label, XPWidgetID parent);
XPWidgetID createTextEntryField(const ChildRect &rect, const char *text, XPWidgetID parent);
// A check box drawn as the library's radio button, with the given state.
XPWidgetID createCheckBox(const ChildRect &rect, int state, XPWidgetID parent);
// The sunken panel behind a window's rows.
XPWidgetID createPanel(const ChildRect &rect, XPWidgetID parent);
// A root main window with close boxes.
XPWidgetID createMainWindow(const ChildRect &rect, const char *caption);
