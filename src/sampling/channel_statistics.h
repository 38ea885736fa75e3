#pragma once
// The running statistics of one channel, kept in the AppState's six flat arrays.

#include <cstddef>

struct AppState;

// Updates DataMin, DataMax, DataValue, ScaleMin, ScaleMax and ScaleValue of the channel at
// position `stat` (set * 8 + channel) from its raw value. Comparisons are strict, so a value
// that is not a number moves no minimum or maximum.
void updateChannelStatistics(AppState &state, int stat, float raw);

// The raw value cut (not rounded) to three decimals. Cut in double precision, so values beyond
// the range of a 32-bit integer times 1000 are cut as well, and NaN stays NaN.
float truncateToThousandths(float raw);

// The scaling factor that brings a value to 250, the graph's top: 0 for 0.
float scaleForTop(float value);

// "%10.3f" of a float widened to double, into out (at least 48 bytes). Returns the length.
int formatStatistic(char *out, std::size_t size, float value);
