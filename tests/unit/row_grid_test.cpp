// The 0.01-s grid that recorded rows lie on: no drift over a ten-hour recording at 100 calls a
// second, rows that follow the time passed at uneven rates, and elapsed times that are broken.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "sampling/row_grid.h"

namespace {

TEST(RowGrid, TenHoursOfHundredthSecondCallsTakeExactlyOneRowEach) {
    // The float the simulator passes for 0.01 s lies below 0.01: summed as it is, the grid
    // would fall a row behind within the first two calls.
    ASSERT_LT(static_cast<double>(0.01f), 0.01);
    RowGrid grid{};
    restartRowGrid(grid);
    ASSERT_EQ(rowsDueAtCall(grid, 0.01f), 1);
    constexpr long long kCalls = 10LL * 3600 * 100;
    long long rows = 1;
    long long callsOffOne = 0;
    for (long long call = 1; call < kCalls; ++call) {
        const int due = rowsDueAtCall(grid, 0.01f);
        rows += due;
        callsOffOne += due != 1;
    }
    EXPECT_EQ(callsOffOne, 0);
    EXPECT_EQ(rows, kCalls);
}

TEST(RowGrid, UnevenCallsTakeTheRowsOfTheTimePassed) {
    struct Rate {
        double Lowest, Highest;
    };
    for (const Rate rate : {Rate{30, 30}, Rate{144, 144}, Rate{20, 144}}) {
        std::mt19937_64 generator(7);
        std::uniform_real_distribution<double> period(1.0 / rate.Highest, 1.0 / rate.Lowest);
        RowGrid grid{};
        long long rows = rowsDueAtCall(grid, 0.0f);
        double seconds = 0.0;
        double worst = 0.0;
        long long calls = 0;
        // Ten hours at the lowest rate, an hour at the others: the error would grow with time.
        const double hours = rate.Highest > 100 ? 1.0 : 10.0;
        while (seconds < hours * 3600.0) {
            const float elapsed = static_cast<float>(period(generator));
            seconds += static_cast<double>(elapsed);
            rows += rowsDueAtCall(grid, elapsed);
            ++calls;
            worst = std::max(worst, std::fabs(static_cast<double>(rows) - (seconds * 100 + 1)));
        }
        // Under a row, but for the half nanosecond each call's time may be rounded by.
        const double rounding = static_cast<double>(calls) * 0.5e-9 * kRowsPerSecond;
        EXPECT_LT(worst, 1.0 + rounding) << rate.Lowest << ".." << rate.Highest << " fps";
    }
}

TEST(RowGrid, BrokenElapsedTimesAddNothingOrAtMostTenSeconds) {
    RowGrid grid{};
    ASSERT_EQ(rowsDueAtCall(grid, 0.005f), 1); // the row at time zero
    ASSERT_EQ(rowsDueAtCall(grid, 0.005f), 0);
    const float none[] = {std::numeric_limits<float>::quiet_NaN(), -0.5f,
                          -std::numeric_limits<float>::infinity(), 0.0f};
    for (const float elapsed : none)
        EXPECT_EQ(rowsDueAtCall(grid, elapsed), 0) << elapsed;
    EXPECT_EQ(grid.NanosecondsIntoRow, 5000000) << "the half row already passed is kept";

    const float huge[] = {std::numeric_limits<float>::infinity(), 1e30f, 3600.0f, 10.5f};
    for (const float elapsed : huge) {
        EXPECT_EQ(rowsDueAtCall(grid, elapsed), kMaxRowsPerCall) << elapsed;
        EXPECT_EQ(grid.NanosecondsIntoRow, 5000000) << elapsed;
    }
    EXPECT_EQ(rowsDueAtCall(grid, 0.005f), 1) << "the grid goes on where it was";

    restartRowGrid(grid);
    EXPECT_EQ(rowsDueAtCall(grid, 5.0f), 1) << "a new recording starts with one row";
}

} // namespace
