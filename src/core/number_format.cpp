#include "core/number_format.h"

#include <charconv>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::uint64_t kPowersOfTen[10] = {1,      10,      100,      1000,      10000,
                                            100000, 1000000, 10000000, 100000000, 1000000000};

char *writeDecimals(char *out, std::uint64_t fraction, int decimals) {
    for (int place = decimals - 1; place >= 0; --place) {
        out[place] = static_cast<char>('0' + fraction % 10);
        fraction /= 10;
    }
    return out + decimals;
}

// A float is M * 2^E with M below 2^24. Up to E = 39 its integer part and its fraction times
// 10^decimals fit in 64 bits, so the text is computed in integers and the fraction rounded
// half to even on its exact remainder. Below 2^-40 the value rounds to zero at nine decimals
// or fewer.
char *writeModerate(char *out, std::uint64_t mantissa, int exponent, int decimals) {
    const std::uint64_t scale = kPowersOfTen[decimals];
    std::uint64_t integerPart = 0;
    std::uint64_t fraction = 0;
    if (exponent >= 0) {
        integerPart = mantissa << exponent;
    } else if (exponent > -64) {
        const int shift = -exponent;
        integerPart = mantissa >> shift;
        const std::uint64_t lowMask = (std::uint64_t{1} << shift) - 1;
        const std::uint64_t scaled = (mantissa & lowMask) * scale; // below 2^54
        fraction = scaled >> shift;
        const std::uint64_t remainder = scaled & lowMask;
        const std::uint64_t half = std::uint64_t{1} << (shift - 1);
        if (remainder > half || (remainder == half && (fraction & 1u) != 0)) ++fraction;
        if (fraction == scale) {
            fraction = 0;
            ++integerPart;
        }
    }
    out = std::to_chars(out, out + 20, integerPart).ptr;
    if (decimals == 0) return out;
    *out++ = '.';
    return writeDecimals(out, fraction, decimals);
}

// From 2^63 up every float is a whole number of up to 39 digits: M doubled E times, in limbs of
// nine decimal digits, least significant first. Rare in flight data; a few hundred operations.
char *writeLarge(char *out, std::uint64_t mantissa, int exponent, int decimals) {
    constexpr std::uint32_t kLimbBase = 1000000000;
    std::uint32_t limbs[5] = {static_cast<std::uint32_t>(mantissa % kLimbBase),
                              static_cast<std::uint32_t>(mantissa / kLimbBase), 0, 0, 0};
    int used = limbs[1] != 0 ? 2 : 1;
    for (int step = 0; step < exponent; ++step) {
        std::uint32_t carry = 0;
        for (int i = 0; i < used; ++i) {
            const std::uint32_t doubled = limbs[i] * 2 + carry;
            carry = doubled >= kLimbBase ? 1 : 0;
            limbs[i] = doubled - carry * kLimbBase;
        }
        if (carry != 0) limbs[used++] = carry;
    }
    out = std::to_chars(out, out + 9, limbs[used - 1]).ptr;
    for (int i = used - 2; i >= 0; --i)
        out = writeDecimals(out, limbs[i], 9);
    if (decimals == 0) return out;
    *out++ = '.';
    std::memset(out, '0', static_cast<std::size_t>(decimals));
    return out + decimals;
}

char *writeWord(char *out, const char *word) {
    const std::size_t length = std::strlen(word);
    std::memcpy(out, word, length);
    return out + length;
}

} // namespace

char *writeFixedFloat(char *out, float value, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > 9) decimals = 9;
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    if ((bits >> 31) != 0) *out++ = '-';
    const std::uint32_t biasedExponent = (bits >> 23) & 0xFFu;
    const std::uint64_t fieldMantissa = bits & 0x7FFFFFu;
    if (biasedExponent == 0xFFu) return writeWord(out, fieldMantissa == 0 ? "inf" : "nan");
    const std::uint64_t mantissa =
        biasedExponent == 0 ? fieldMantissa : (fieldMantissa | (std::uint64_t{1} << 23));
    const int exponent = (biasedExponent == 0 ? 1 : static_cast<int>(biasedExponent)) - 150;
    if (exponent > 39) return writeLarge(out, mantissa, exponent, decimals);
    return writeModerate(out, mantissa, exponent, decimals);
}

int formatFixedFloat(char *out, std::size_t size, float value, int decimals, int width) {
    char text[2 * kMaxFixedFloatChars];
    const char *end = writeFixedFloat(text, value, decimals);
    const int length = static_cast<int>(end - text);
    const int padding = width > length ? width - length : 0;
    const int total = padding + length;
    if (size == 0 || out == nullptr) return total;
    const std::size_t room = size - 1;
    std::size_t written = 0;
    for (int i = 0; i < padding && written < room; ++i)
        out[written++] = ' ';
    for (int i = 0; i < length && written < room; ++i)
        out[written++] = text[i];
    out[written] = '\0';
    return total;
}
