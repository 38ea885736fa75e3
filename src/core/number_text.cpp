#include "core/number_text.h"

#include <cfloat>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

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

// strtod of the decimal text [start, end), as it reads in the "C" locale. strtod follows the
// process locale, which another plug-in may have changed: there, the point is spelled as that
// locale spells it, so strtod rounds exactly as it does in the "C" locale, with no locale
// changed and no conversion of our own to get wrong.
double readDecimalPrefix(const char *start, const char *end) {
    const std::lconv *conventions = std::localeconv();
    const char *point = conventions != nullptr && conventions->decimal_point != nullptr &&
                                conventions->decimal_point[0] != '\0'
                            ? conventions->decimal_point
                            : ".";
    const std::size_t pointLength = std::strlen(point);
    const std::size_t length = static_cast<std::size_t>(end - start);
    // Typed numbers are short; only a very long run of digits needs the heap.
    char local[128];
    std::string large;
    char *text = local;
    if (length + pointLength + 1 > sizeof local) {
        large.resize(length + pointLength + 1);
        text = &large[0];
    }
    char *out = text;
    for (const char *c = start; c != end; ++c) {
        if (*c == '.') {
            std::memcpy(out, point, pointLength);
            out += pointLength;
        } else {
            *out++ = *c;
        }
    }
    *out = '\0';
    return std::strtod(text, nullptr);
}
} // namespace

int32_t readWholeNumber(const char *text) {
    if (text == nullptr) return 0;
    const char *p = skipWhiteSpace(text);
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    // Digits are read by hand, not by strtol, which may accept more forms in other locales.
    // Past 2^31 the magnitude only has to stay beyond the range, so it stops growing there.
    constexpr std::int64_t kBeyondRange = std::int64_t{1} << 32;
    std::int64_t magnitude = 0;
    for (; isDigit(*p); ++p) {
        if (magnitude < kBeyondRange) magnitude = magnitude * 10 + (*p - '0');
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
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
    const char *end = p;
    if (*end == 'e' || *end == 'E') {
        const char *q = end + 1;
        if (*q == '+' || *q == '-') ++q;
        if (isDigit(*q)) {
            while (isDigit(*q))
                ++q;
            end = q;
        }
    }
    const double value = readDecimalPrefix(start, end);
    if (!(value == value)) return 0.0f;
    if (value > static_cast<double>(FLT_MAX)) return FLT_MAX;
    if (value < -static_cast<double>(FLT_MAX)) return -FLT_MAX;
    return static_cast<float>(value);
}
