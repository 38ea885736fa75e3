#pragma once
// The simulator's frame rate as scenarios and the command line give it: "30" for a steady
// rate, "20..144" for frames of uneven length between those rates, optionally with the seed of
// the generator that draws them ("20..144 seed 7"), so that a run repeats exactly.

#include <cstdint>
#include <string>

namespace plotwright_host {

struct FrameRate {
    double Lowest = 100.0;  // frames a second
    double Highest = 100.0; // equal to Lowest: a steady rate
    std::uint64_t Seed = 1;
    bool jittered() const { return Lowest != Highest; }
    std::string text() const;
};

constexpr double kLowestFrameRate = 1.0;
constexpr double kHighestFrameRate = 1000.0;

// "30" or "20..144"; false with a message for anything else or a rate out of range.
bool parseFrameRate(const std::string &text, FrameRate *rate, std::string *error);

// Makes the host run at that rate from the next frame on.
void applyFrameRate(const FrameRate &rate);

} // namespace plotwright_host
