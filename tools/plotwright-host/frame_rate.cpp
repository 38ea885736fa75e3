#include "frame_rate.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "xphost/flight_loop.h"

namespace plotwright_host {
namespace {
bool parseRate(const std::string &text, double *rate) {
    if (text.empty()) return false;
    errno = 0;
    char *end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(value)) return false;
    if (value < kLowestFrameRate || value > kHighestFrameRate) return false;
    *rate = value;
    return true;
}

std::string shortNumber(double value) {
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}
} // namespace

std::string FrameRate::text() const {
    if (!jittered()) return shortNumber(Lowest);
    return shortNumber(Lowest) + ".." + shortNumber(Highest) + " seed " + std::to_string(Seed);
}

bool parseFrameRate(const std::string &text, FrameRate *rate, std::string *error) {
    FrameRate parsed;
    parsed.Seed = rate->Seed;
    const std::size_t dots = text.find("..");
    const bool ok = dots == std::string::npos
                        ? parseRate(text, &parsed.Lowest)
                        : parseRate(text.substr(0, dots), &parsed.Lowest) &&
                              parseRate(text.substr(dots + 2), &parsed.Highest);
    if (dots == std::string::npos) parsed.Highest = parsed.Lowest;
    if (!ok || parsed.Lowest > parsed.Highest) {
        *error = "expected a frame rate from 1 to 1000 frames a second (30) or a range of them, "
                 "the lower first (20..144); found '" +
                 text + "'";
        return false;
    }
    *rate = parsed;
    return true;
}

void applyFrameRate(const FrameRate &rate) {
    if (rate.jittered())
        xphost::setFrameRateRange(rate.Lowest, rate.Highest, rate.Seed);
    else
        xphost::setFrameRate(rate.Lowest);
}

} // namespace plotwright_host
