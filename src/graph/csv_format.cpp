#include "graph/csv_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <system_error>

char *writeFixedFloat(char *out, float value) {
    const double widened = static_cast<double>(value);
    if (std::isfinite(widened)) {
        // The shortest exact conversion: it rounds the binary value itself, half to even, as
        // the C library's printf does, and is several times faster.
        const std::to_chars_result result = std::to_chars(
            out, out + kMaxFixedFloatChars, widened, std::chars_format::fixed, 6);
        if (result.ec == std::errc()) return result.ptr;
    }
    // Infinities and NaN are spelled as the platform's printf spells them.
    char text[kMaxFixedFloatChars + 1];
    const int length = std::snprintf(text, sizeof text, "%f", widened);
    if (length <= 0) return out;
    const std::size_t kept = static_cast<std::size_t>(length) < kMaxFixedFloatChars
                                 ? static_cast<std::size_t>(length)
                                 : kMaxFixedFloatChars;
    std::memcpy(out, text, kept);
    return out + kept;
}

char *writeCsvRow(char *out, const float *values) {
    for (int column = 0; column < kCsvRowValues; ++column) {
        if (column != 0) {
            *out++ = ',';
            *out++ = ' ';
        }
        out = writeFixedFloat(out, values[column]);
    }
    *out++ = '\n';
    return out;
}
