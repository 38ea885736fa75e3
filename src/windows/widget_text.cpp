#include "windows/widget_text.h"

#include <cfloat>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "XPWidgets.h"

namespace {
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }

const char *skipBlanks(const char *text) {
    while (isBlank(*text))
        ++text;
    return text;
}
} // namespace

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
    std::snprintf(number.Text, sizeof number.Text, "%f", static_cast<double>(value));
    return number;
}

void setWidgetInt(XPWidgetID widget, int value) {
    XPSetWidgetDescriptor(widget, formatInt(value).Text);
}

void setWidgetFloat(XPWidgetID widget, float value) {
    XPSetWidgetDescriptor(widget, formatFloat(value).Text);
}

int32_t parseIndexText(const char *text) {
    if (text == nullptr) return 0;
    const char *start = skipBlanks(text);
    // strtoll reads the same decimal forms as atoi but reports overflow by saturating, which the
    // clamp below carries into the 32-bit range.
    const long long value = std::strtoll(start, nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

float parseScalingText(const char *text) {
    if (text == nullptr) return 0.0f;
    const char *start = skipBlanks(text);
    const char *p = start;
    if (*p == '+' || *p == '-') ++p;
    const char *mantissa = p;
    int digits = 0;
    while (isDigit(*p)) {
        ++p;
        ++digits;
    }
    if (*p == '.') {
        const char *q = p + 1;
        while (isDigit(*q)) {
            ++q;
            ++digits;
        }
        if (digits > 0) p = q;
    }
    if (digits == 0) return 0.0f; // also "inf", "nan" and a lone sign or point
    // strtod would read "0x..." as hexadecimal; its decimal reading is the single digit 0, with
    // the sign in front of it kept, as "-0" gives.
    if (mantissa[0] == '0' && (mantissa[1] == 'x' || mantissa[1] == 'X'))
        return *start == '-' ? -0.0f : 0.0f;
    // From here strtod reads exactly the decimal prefix checked above (its exponent included).
    const double value = std::strtod(start, nullptr);
    if (!(value == value)) return 0.0f;
    if (value > static_cast<double>(FLT_MAX)) return FLT_MAX;
    if (value < -static_cast<double>(FLT_MAX)) return -FLT_MAX;
    return static_cast<float>(value);
}
