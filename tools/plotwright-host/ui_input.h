#pragma once
// Mouse and keyboard actions made the way a person makes them: a widget hidden behind another
// window is first brought forward by a click on its own window's title bar.

#include <string>

#include "XPWidgetDefs.h"

namespace plotwright_host {

// Clicks the centre of `widget`. Returns false with the reason in *error when the widget cannot
// be reached or nothing took the click.
bool clickOn(XPWidgetID widget, std::string *error);

// Clicks a text field, selects its whole text and types `text` over it.
bool typeInto(XPWidgetID field, const std::string &text, std::string *error);

// Clicks the graph's scroll track at a fraction (0..1) of its width.
bool clickTrack(XPWidgetID graph, double at, std::string *error);

// Presses on the track (on its thumb when fromThumb) and drags to a fraction of its width.
bool dragTrack(XPWidgetID graph, bool fromThumb, double from, double to, std::string *error);

// Makes sure the point of `widget` is not covered by another window, clicking the widget's own
// window's title bar if it is.
bool uncover(XPWidgetID widget, int x, int y, std::string *error);

// Brings a shown main window in front of all others, as a person does before looking at it.
bool bringToFront(XPWidgetID window, std::string *error);

} // namespace plotwright_host
