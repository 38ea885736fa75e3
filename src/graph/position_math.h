#pragma once
// Arithmetic on scroll positions. Positions are pointer-sized property values that any caller
// can write, so sums saturate instead of overflowing, and values narrowed for int-sized host
// arguments are clamped.

#include <cstdint>
#include <limits>

inline intptr_t saturatingAdd(intptr_t a, intptr_t b) {
    constexpr intptr_t kMax = std::numeric_limits<intptr_t>::max();
    constexpr intptr_t kMin = std::numeric_limits<intptr_t>::min();
    if (b > 0 && a > kMax - b) return kMax;
    if (b < 0 && a < kMin - b) return kMin;
    return a + b;
}

inline intptr_t saturatingSubtract(intptr_t a, intptr_t b) {
    constexpr intptr_t kMax = std::numeric_limits<intptr_t>::max();
    constexpr intptr_t kMin = std::numeric_limits<intptr_t>::min();
    if (b < 0 && a > kMax + b) return kMax;
    if (b > 0 && a < kMin + b) return kMin;
    return a - b;
}

inline int clampToInt(intptr_t value) {
    if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

inline intptr_t smallerPosition(intptr_t a, intptr_t b) { return a < b ? a : b; }
inline intptr_t largerPosition(intptr_t a, intptr_t b) { return a > b ? a : b; }

// set lowered to the last of setCount sets (setCount - 1) when it lies beyond it. setCount is a
// property anyone can write; for its smallest value setCount - 1 would overflow, and the result
// saturates there instead.
inline intptr_t lowerToLastSet(intptr_t set, intptr_t setCount) {
    return set < setCount ? set : saturatingSubtract(setCount, 1);
}
