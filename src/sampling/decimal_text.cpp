#include "sampling/decimal_text.h"

#include <cstdlib>

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
} // namespace

double parseLeadingDecimal(const char *text, std::size_t size) {
    std::size_t i = 0;
    auto at = [&](std::size_t k) { return k < size ? text[k] : '\0'; };
    while (i < size && text[i] != '\0' && isSpace(text[i]))
        ++i;

    // The number is copied into its own terminated buffer: strtod on the field buffer itself
    // could read past its end, and would accept forms that are not decimal.
    // Fields hand over 256 bytes at most; a longer prefix elsewhere is cut at this length.
    char number[512];
    std::size_t length = 0;
    auto take = [&](char c) {
        if (length + 1 < sizeof number) number[length++] = c;
    };

    std::size_t k = i;
    if (at(k) == '+' || at(k) == '-') take(at(k++));
    std::size_t digits = 0;
    while (isDigit(at(k))) {
        take(at(k++));
        ++digits;
    }
    if (at(k) == '.') {
        take(at(k++));
        while (isDigit(at(k))) {
            take(at(k++));
            ++digits;
        }
    }
    if (digits == 0) return 0.0;
    if (at(k) == 'e' || at(k) == 'E') {
        std::size_t e = k + 1;
        if (at(e) == '+' || at(e) == '-') ++e;
        if (isDigit(at(e))) {
            take('e');
            if (at(k + 1) == '-') take('-');
            while (isDigit(at(e)))
                take(at(e++));
        }
    }
    number[length] = '\0';
    return std::strtod(number, nullptr);
}
