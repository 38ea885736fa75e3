#include "sampling/channel_statistics.h"

#include <cmath>
#include <cstdio>

#include "core/app_state.h"

float truncateToThousandths(float raw) {
    // Adding zero turns the -0.0 that cutting a small negative value leaves into +0.0, as the
    // cut through an integer gives, so the caption reads "0.000" and not "-0.000".
    return static_cast<float>(std::trunc(static_cast<double>(raw) * 1000.0) / 1000.0 + 0.0);
}

float scaleForTop(float value) {
    if (value == 0.0f) return 0.0f;
    return static_cast<float>(250.0 / std::fabs(static_cast<double>(value)));
}

void updateChannelStatistics(AppState &state, int stat, float raw) {
    if (raw < state.DataMin[stat]) state.DataMin[stat] = raw;
    if (raw > state.DataMax[stat]) state.DataMax[stat] = raw;
    const float value = truncateToThousandths(raw);
    state.DataValue[stat] = value;
    const float scale = scaleForTop(value);
    state.ScaleValue[stat] = scale;
    if (scale < state.ScaleMin[stat]) state.ScaleMin[stat] = scale;
    if (scale > state.ScaleMax[stat]) state.ScaleMax[stat] = scale;
}

int formatStatistic(char *out, std::size_t size, float value) {
    // 48 captions a tick make the general printf the tick's largest cost. A float has 24
    // significant bits, so value * 1000 is exact in double and rounding it to an integer in the
    // default mode (ties to even) is exactly printf's rounding to three decimals. Values beyond
    // the fast range, infinities and NaN go to printf itself.
    const double x = static_cast<double>(value);
    constexpr double kFastLimit = 1e15;
    constexpr std::size_t kLongest = 1 + 16 + 1 + 3 + 1; // sign, digits, point, decimals, NUL
    if (!(std::fabs(x) < kFastLimit) || size < kLongest)
        return std::snprintf(out, size, "%10.3f", x);

    const auto thousandths = static_cast<long long>(std::nearbyint(std::fabs(x) * 1000.0));
    long long whole = thousandths / 1000;
    const int fraction = static_cast<int>(thousandths % 1000);

    char digits[24];
    int length = 0;
    digits[length++] = static_cast<char>('0' + fraction % 10);
    digits[length++] = static_cast<char>('0' + fraction / 10 % 10);
    digits[length++] = static_cast<char>('0' + fraction / 100);
    digits[length++] = '.';
    do {
        digits[length++] = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    if (std::signbit(x)) digits[length++] = '-';

    constexpr int kWidth = 10;
    int written = 0;
    for (int pad = length; pad < kWidth; ++pad)
        out[written++] = ' ';
    while (length > 0)
        out[written++] = digits[--length];
    out[written] = '\0';
    return written;
}
