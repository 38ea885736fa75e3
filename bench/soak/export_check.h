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

// Every row of `path` must hold eight values, the first the counter and the others the set's
// array elements at that counter. Row k lies k x 0.01 s after the first, at counter firstTick + k
// when every call brings one row (100 calls a second); at other rates a row holds the counter of
// the call that brought it, which may lie up to slackRows later (a row behind where the grid
// point fell on a call's own time), never falling. The last row holds lastTick, or at other rates
// up to slackRows less.
ExportCheck checkExport(const std::string &path, int set, std::int64_t firstTick,
                        std::int64_t lastTick, int slackRows);

} // namespace plotwright_soak
