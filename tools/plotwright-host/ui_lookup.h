#pragma once
// Finding what a person sees in the plug-in's windows: a window by the start of its caption, a
// button by its label, a cell by its column heading and row. Each lookup that fails says what
// there is instead.

#include <string>
#include <vector>

#include "XPWidgetDefs.h"

namespace plotwright_host {

// The start of the graph window's caption.
constexpr char kGraphWindowCaption[] = "Plotwright";

// The graph widget's scroll bounds and position, as it publishes them. Its maximum is the
// sample count of the set it last appended to.
constexpr XPWidgetPropertyID kGraphMinPosition = 2306;
constexpr XPWidgetPropertyID kGraphMaxPosition = 2307;
constexpr XPWidgetPropertyID kGraphPosition = 2308;

// The main window whose caption starts with `prefix`; on failure lists the open windows.
XPWidgetID findWindowByCaption(const std::string &prefix, std::string *error);

// Like findWindowByCaption, and the window must be visible.
XPWidgetID findVisibleWindow(const std::string &prefix, std::string *error);

// The `occurrence`-th (from 1, in creation order) button labelled `label` (leading and trailing
// blanks ignored); on failure lists the window's buttons.
XPWidgetID findButton(XPWidgetID window, const std::string &label, int occurrence,
                      std::string *error);

// The widget in row `row` (from 1, top down) under the caption `heading`: the widgets that start
// at the heading's left edge below it, ordered from the top.
XPWidgetID findCell(XPWidgetID window, const std::string &heading, int row, std::string *error);

// The widget nearest to the right of the widget labelled `label`, on the same line.
XPWidgetID findTextAfter(XPWidgetID window, const std::string &label, std::string *error);

// The window's graph: its first custom widget.
XPWidgetID findGraph(XPWidgetID window, std::string *error);

// The caption of a window, for messages.
std::string windowName(XPWidgetID window);

// Labels trimmed of blanks, as a person reads them.
std::string visibleLabel(XPWidgetID widget);

} // namespace plotwright_host
