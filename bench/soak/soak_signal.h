#pragma once
// The soak's datarefs and what every exported row must hold. Channel 1 of each set reads a
// counter that goes up by one every tick, so the rows of an export are consecutive counts with
// no gap, repeat or swap; the other 21 channels read elements of one float array whose values
// are small integers computed from the counter, exact in a float and in the "%f" text, so a
// value in the wrong column or row is found too.

#include <cstdint>
#include <string>

namespace plotwright_soak {

constexpr int kSets = 3;
constexpr int kChannels = 8;
constexpr const char *kCounterDataRef = "soak/counter";
constexpr const char *kValuesDataRef = "soak/values";
constexpr int kValueElements = kSets * (kChannels - 1);

// The array element channel `channel` (1..7) of set `set` (0..2) reads.
inline int valueElement(int set, int channel) { return set * (kChannels - 1) + channel - 1; }

// The value of array element `element` at counter `tick`.
inline std::int64_t elementValue(int element, std::int64_t tick) {
    return (tick * (2 * element + 3) + 7 * element) % 1009 - 504;
}

// The settings file: all 24 channels on, scaling 1.
std::string soakSettings();

} // namespace plotwright_soak
