#pragma once
// Recorded rows lie on a fixed grid of 0.01 s of the time the simulator passes to the flight
// loop, whatever the frame rate: a frame at 30 frames a second brings about three rows, one at
// 144 brings none or one. Row k of a recording thus lies k x 0.01 s after the recording began,
// and a replay that moves by the same grid runs at the speed it was recorded at.
//
// The grid counts whole nanoseconds: each elapsed time is rounded to the nearest nanosecond
// before it is added. The float the simulator passes for 0.01 s is not exactly 0.01, yet it
// rounds to exactly 10,000,000 ns, so 100 calls a second give exactly one row each for as long
// as a recording runs, with no drift; at any other rate a call's rounding is at most half a
// nanosecond, a hundredth of a row after ten hours at 144 frames a second.

#include <cstdint>

constexpr int kRowsPerSecond = 100;
constexpr std::int64_t kRowNanoseconds = 1000000000 / kRowsPerSecond;

// The most rows one call may add: ten seconds. A longer gap between two calls is no flight to
// record (scenery loading, a debugger, a computer asleep) and counts as ten seconds, so that a
// broken or huge elapsed time can neither grow the recording without bound (a night asleep would
// otherwise add 2.9 million rows, 276 MB) nor hold one frame for long: the 3,000 appends of a
// full call take about a millisecond.
constexpr int kMaxRowsPerCall = 10 * kRowsPerSecond;

struct RowGrid {
    // Time since the last grid point, from 0 to kRowNanoseconds - 1.
    std::int64_t NanosecondsIntoRow;
    // 0 until the first call after a restart, which takes the row at time zero.
    int32_t Started;
};

// From the next call on, a new recording: its first call takes one row, at time zero.
void restartRowGrid(RowGrid &grid);

// The grid points that the elapsed time carries the grid past, from 0 to kMaxRowsPerCall. An
// elapsed time that is not a number, or negative, counts as none.
int advanceRowGrid(RowGrid &grid, float elapsedSeconds);

// The rows a recording takes at this call: one at the first call after a restart, else the grid
// points passed since the call before.
int rowsDueAtCall(RowGrid &grid, float elapsedSeconds);
