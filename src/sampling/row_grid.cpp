#include "sampling/row_grid.h"

void restartRowGrid(RowGrid &grid) {
    grid.NanosecondsIntoRow = 0;
    grid.Started = 0;
}

int advanceRowGrid(RowGrid &grid, float elapsedSeconds) {
    constexpr double kMostNanoseconds = static_cast<double>(kMaxRowsPerCall) * kRowNanoseconds;
    double nanoseconds = static_cast<double>(elapsedSeconds) * 1e9;
    // Written so that a NaN, which fails every comparison, counts as no time at all.
    if (!(nanoseconds > 0.0)) nanoseconds = 0.0;
    if (nanoseconds > kMostNanoseconds) nanoseconds = kMostNanoseconds;
    // What is left of the last row is under one row, so even a clipped call adds no more than
    // kMaxRowsPerCall.
    // Rounded by hand: nanoseconds is never negative here, and llround would make the shipped
    // Linux module need the maths library, which the simulator does not promise.
    const std::int64_t total =
        grid.NanosecondsIntoRow + static_cast<std::int64_t>(nanoseconds + 0.5);
    grid.NanosecondsIntoRow = total % kRowNanoseconds;
    return static_cast<int>(total / kRowNanoseconds);
}

int rowsDueAtCall(RowGrid &grid, float elapsedSeconds) {
    if (grid.Started == 0) {
        grid.Started = 1;
        grid.NanosecondsIntoRow = 0;
        return 1;
    }
    return advanceRowGrid(grid, elapsedSeconds);
}
