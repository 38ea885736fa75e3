#include "sampling/channel_statistics.h"

#include <cmath>

#include "core/app_state.h"
#include "core/number_format.h"

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
    // Exact and free of printf: 48 captions a tick would make the general printf the tick's
    // largest cost, and it would follow whatever locale another plug-in set.
    return formatFixedFloat(out, size, value, 3, 10);
}
