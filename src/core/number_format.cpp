#include "core/number_format.h"

#include <charconv>
#include <cstdint>
#include <cstring>

namespace {

// Up to 10^9: every power fits 32 bits, so the digit divisions stay in 32-bit arithmetic.
constexpr std::uint32_t kPowersOfTen[10] = {1,      10,      100,      1000,      10000,
                                            100000, 1000000, 10000000, 100000000, 1000000000};

// Two decimal digits at a time halve the divisions; the export writes millions of values.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233"
    "34353637383940414243444546474849505152535455565758596061626364656667"
    "6869707172737475767778798081828384858687888990919293949596979899";

// fraction is below 10^Decimals; written with leading zeros. Every digit pair is taken from
// fraction directly, by constant divisors, so the divisions do not wait on one another.
template <int Decimals> char *writeDecimals(char *out, std::uint32_t fraction) {
    int place = 0;
    if constexpr (Decimals % 2 == 1) {
        out[0] = static_cast<char>('0' + fraction / kPowersOfTen[Decimals - 1]);
        place = 1;
    }
    for (; place < Decimals; place += 2) {
        const std::uint32_t pair = fraction / kPowersOfTen[Decimals - place - 2] % 100;
        out[place] = kDigitPairs[2 * pair];
        out[place + 1] = kDigitPairs[2 * pair + 1];
    }
    return out + Decimals;
}

// A float is M * 2^E with M below 2^24. Up to E = 39 its integer part and its fraction times
// 10^decimals fit in 64 bits, so the text is computed in integers and the fraction rounded
// half to even on its exact remainder. Below 2^-40 the value rounds to zero at nine decimals
// or fewer.
template <int Decimals> char *writeModerate(char *out, std::uint64_t mantissa, int exponent) {
    constexpr std::uint64_t scale = kPowersOfTen[Decimals];
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
        // Half to even on the last digit written: with no decimals that is the integer's.
        const std::uint64_t lastDigit = Decimals == 0 ? integerPart : fraction;
        if (remainder > half || (remainder == half && (lastDigit & 1u) != 0)) ++fraction;
        if (fraction == scale) {
            fraction = 0;
            ++integerPart;
        }
    }
    out = std::to_chars(out, out + 20, integerPart).ptr;
    if (Decimals == 0) return out;
    *out++ = '.';
    return writeDecimals<Decimals>(out, static_cast<std::uint32_t>(fraction));
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
        out = writeDecimals<9>(out, limbs[i]);
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

template <int Decimals> char *writeFixed(char *out, float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    if ((bits >> 31) != 0) *out++ = '-';
    const std::uint32_t biasedExponent = (bits >> 23) & 0xFFu;
    const std::uint64_t fieldMantissa = bits & 0x7FFFFFu;
    if (biasedExponent == 0xFFu) return writeWord(out, fieldMantissa == 0 ? "inf" : "nan");
    const std::uint64_t mantissa =
        biasedExponent == 0 ? fieldMantissa : (fieldMantissa | (std::uint64_t{1} << 23));
    const int exponent = (biasedExponent == 0 ? 1 : static_cast<int>(biasedExponent)) - 150;
    if (exponent > 39) return writeLarge(out, mantissa, exponent, Decimals);
    return writeModerate<Decimals>(out, mantissa, exponent);
}

} // namespace

char *writeFixedFloat(char *out, float value, int decimals) {
    switch (decimals) {
    case 1:
        return writeFixed<1>(out, value);
    case 2:
        return writeFixed<2>(out, value);
    case 3:
        return writeFixed<3>(out, value);
    case 4:
        return writeFixed<4>(out, value);
    case 5:
        return writeFixed<5>(out, value);
    case 7:
        return writeFixed<7>(out, value);
    case 8:
        return writeFixed<8>(out, value);
    case 6:
        return writeFixed<6>(out, value);
    default:
        return decimals > 8 ? writeFixed<9>(out, value) : writeFixed<0>(out, value);
    }
}

char *writeFixedFloatList(char *out, const float *values, int count) {
    for (int i = 0; i < count; ++i) {
        if (i != 0) {
            *out++ = ',';
            *out++ = ' ';
        }
        out = writeFixed<6>(out, values[i]);
    }
    return out;
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
