#pragma once
// Checks an exported file row by row against the soak's signal.

#include <cstdint>
#include <string>

namespace plotwright_soak {

struct ExportCheck {
    bool Ok = false;
    std::int64_t Rows = 0;
    std::int64_t FirstTick = -1;
    std::int64_t LastTick = -1;
    std::string Problem; // the first row that is wrong, and how
};

// Every row of `path` must hold eight values, the first the counter (one more than the row
// before, from firstTick to lastTick inclusive) and the others the set's array elements at that
// counter.
ExportCheck checkExport(const std::string &path, int set, std::int64_t firstTick,
                        std::int64_t lastTick);

} // namespace plotwright_soak
