#include "core/number_text.h"

#include <cfloat>
#include <cstdlib>

namespace {
bool isWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }

const char *skipWhiteSpace(const char *text) {
    while (isWhiteSpace(*text))
        ++text;
    return text;
}
} // namespace

int32_t readWholeNumber(const char *text) {
    if (text == nullptr) return 0;
    const char *start = skipWhiteSpace(text);
    // strtoll reads the same decimal forms as atoi but saturates on overflow, which the clamp
    // below carries into the 32-bit range.
    const long long value = std::strtoll(start, nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

float readDecimalNumber(const char *text) {
    if (text == nullptr) return 0.0f;
    const char *start = skipWhiteSpace(text);
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
