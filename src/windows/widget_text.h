#pragma once
// Text that travels between the state and the windows' widgets: reading a widget's text safely,
// and writing numbers into a widget in the formats the settings file uses.

#include <cstdint>

#include "XPWidgetDefs.h"
#include "core/number_format.h"

// Reads the widget's text into out (outSize bytes) and always terminates it. The widget library
// copies with strncpy semantics and leaves a text that fills the buffer unterminated; this
// terminates it in the last byte. Returns true when the whole text fitted, false when it was cut
// (or outSize is too small to hold anything). out is "" when the widget gives no text.
bool readWidgetText(XPWidgetID widget, char *out, int outSize);

template <int N> bool readWidgetText(XPWidgetID widget, char (&out)[N]) {
    return readWidgetText(widget, out, N);
}

// A number as text, in a buffer of its own that needs no allocation.
constexpr int kNumberTextSize = static_cast<int>(kMaxFixedFloatChars) + 1;
struct NumberText {
    char Text[kNumberTextSize];
};
NumberText formatInt(int value);     // "%d"
NumberText formatFloat(float value); // "%f" of the float widened to double, in the "C" locale

// Makes value, formatted "%d", the widget's text.
void setWidgetInt(XPWidgetID widget, int value);
// Makes value, formatted "%f" (six decimals), the widget's text.
void setWidgetFloat(XPWidgetID widget, float value);
