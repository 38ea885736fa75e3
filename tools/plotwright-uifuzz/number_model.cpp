#include "number_model.h"

#include <cctype>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace plotwright_uifuzz {
namespace {

constexpr std::size_t kLongestFieldRead = 255;

std::size_t skipSpace(const std::string &text) {
    std::size_t pos = 0;
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos])))
        ++pos;
    return pos;
}

std::size_t skipDigits(const std::string &text, std::size_t pos) {
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])))
        ++pos;
    return pos;
}

// The end of the decimal number starting at `pos`, or `pos` when there is none.
std::size_t decimalEnd(const std::string &text, std::size_t pos, bool fraction) {
    std::size_t at = pos;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    const std::size_t intEnd = skipDigits(text, at);
    std::size_t end = intEnd;
    bool digits = intEnd > at;
    if (fraction && end < text.size() && text[end] == '.') {
        const std::size_t fracEnd = skipDigits(text, end + 1);
        digits = digits || fracEnd > end + 1;
        end = fracEnd;
    }
    if (!digits) return pos;
    if (fraction && end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t exp = end + 1;
        if (exp < text.size() && (text[exp] == '+' || text[exp] == '-')) ++exp;
        const std::size_t expEnd = skipDigits(text, exp);
        if (expEnd > exp) end = expEnd;
    }
    return end;
}

} // namespace

std::optional<float> readScalingText(const std::string &text) {
    if (text.size() > kLongestFieldRead) return std::nullopt;
    const std::size_t start = skipSpace(text);
    const std::size_t end = decimalEnd(text, start, true);
    errno = 0;
    char *stop = nullptr;
    const double value = std::strtod(text.c_str(), &stop);
    const auto consumed = static_cast<std::size_t>(stop - text.c_str());
    if (end == start) {
        if (consumed != 0) return std::nullopt; // hexadecimal, inf or nan to strtod
        return 0.0f;
    }
    if (consumed != end || errno == ERANGE || !std::isfinite(value) || std::fabs(value) > FLT_MAX)
        return std::nullopt;
    return static_cast<float>(value);
}

std::optional<long long> readIndexText(const std::string &text) {
    if (text.size() > kLongestFieldRead) return std::nullopt;
    const std::size_t start = skipSpace(text);
    const std::size_t end = decimalEnd(text, start, false);
    if (end == start) return 0;
    errno = 0;
    const long long value = std::strtoll(text.c_str() + start, nullptr, 10);
    if (errno == ERANGE || value < INT_MIN || value > INT_MAX) return std::nullopt;
    return value;
}

std::string formatFloat(float value) {
    char text[512];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    return text;
}

} // namespace plotwright_uifuzz
