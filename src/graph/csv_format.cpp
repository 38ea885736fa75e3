#include "graph/csv_format.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::uint64_t kMillion = 1000000;

// Two decimal digits at a time halves the divisions of the six decimals.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233"
    "34353637383940414243444546474849505152535455565758596061626364656667"
    "6869707172737475767778798081828384858687888990919293949596979899";

void writeDigitPair(char *out, std::uint32_t pair) {
    out[0] = kDigitPairs[2 * pair];
    out[1] = kDigitPairs[2 * pair + 1];
}

// The exact "%f" text of a float, computed in integers. A float is M * 2^E with M below 2^24,
// so its integer part and its fraction times one million fit in 64 bits as long as E is at
// most 39; the fraction is then rounded half to even on its exact remainder, as printf rounds
// the exact binary value. Returns null for magnitudes beyond that (2^63 and up).
char *writeFixedFloatExact(char *out, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const std::uint32_t biasedExponent = (bits >> 23) & 0xFFu;
    const std::uint64_t fieldMantissa = bits & 0x7FFFFFu;
    const std::uint64_t mantissa =
        biasedExponent == 0 ? fieldMantissa : (fieldMantissa | (std::uint64_t{1} << 23));
    const int exponent = (biasedExponent == 0 ? 1 : static_cast<int>(biasedExponent)) - 150;
    if (exponent > 39) return nullptr;

    std::uint64_t integerPart = 0;
    std::uint64_t millionths = 0;
    if (exponent >= 0) {
        integerPart = mantissa << exponent;
    } else if (exponent > -64) {
        const int shift = -exponent;
        integerPart = mantissa >> shift;
        const std::uint64_t lowMask = (std::uint64_t{1} << shift) - 1;
        const std::uint64_t scaled = (mantissa & lowMask) * kMillion; // below 2^44
        millionths = scaled >> shift;
        const std::uint64_t remainder = scaled & lowMask;
        const std::uint64_t half = std::uint64_t{1} << (shift - 1);
        if (remainder > half || (remainder == half && (millionths & 1u) != 0)) ++millionths;
        if (millionths == kMillion) {
            millionths = 0;
            ++integerPart;
        }
    }
    // Else the value is below 2^-40: zero at six decimals, but its sign still shows.

    if ((bits >> 31) != 0) *out++ = '-';
    out = std::to_chars(out, out + 20, integerPart).ptr;
    *out++ = '.';
    const std::uint32_t fraction = static_cast<std::uint32_t>(millionths);
    writeDigitPair(out, fraction / 10000);
    writeDigitPair(out + 2, fraction / 100 % 100);
    writeDigitPair(out + 4, fraction % 100);
    return out + 6;
}

} // namespace

char *writeFixedFloat(char *out, float value) {
    if (std::isfinite(value)) {
        if (char *end = writeFixedFloatExact(out, value)) return end;
    }
    // Magnitudes of 2^63 and beyond (rare in flight data), infinities and NaN: printf itself,
    // so they read exactly as the platform prints them. Floating-point to_chars would do for
    // the large ones, but Apple's library lacks it on the macOS versions the simulator runs on.
    char text[kMaxFixedFloatChars + 1];
    const int length = std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
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
