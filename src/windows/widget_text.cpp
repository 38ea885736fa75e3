#include "windows/widget_text.h"

#include <cstdio>
#include <cstring>

#include "XPWidgets.h"

bool readWidgetText(XPWidgetID widget, char *out, int outSize) {
    if (out == nullptr || outSize <= 0) return false;
    // Zeroed first: a widget that gives no text must still leave a terminated buffer.
    std::memset(out, 0, static_cast<std::size_t>(outSize));
    if (widget == nullptr) return true;
    const int fullLength = XPGetWidgetDescriptor(widget, out, outSize);
    const bool terminated = std::memchr(out, '\0', static_cast<std::size_t>(outSize)) != nullptr;
    out[outSize - 1] = '\0';
    return terminated && fullLength < outSize;
}

NumberText formatInt(int value) {
    NumberText number;
    std::snprintf(number.Text, sizeof number.Text, "%d", value);
    return number;
}

NumberText formatFloat(float value) {
    NumberText number;
    *writeFixedFloat(number.Text, value) = '\0';
    return number;
}

void setWidgetInt(XPWidgetID widget, int value) {
    XPSetWidgetDescriptor(widget, formatInt(value).Text);
}

void setWidgetFloat(XPWidgetID widget, float value) {
    XPSetWidgetDescriptor(widget, formatFloat(value).Text);
}
