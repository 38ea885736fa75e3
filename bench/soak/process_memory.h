#pragma once
// The process's resident memory, from /proc/self/status (Linux): now and at its peak.

#include <cstdint>

namespace plotwright_soak {

struct ResidentMemory {
    std::int64_t NowBytes = 0;  // VmRSS
    std::int64_t PeakBytes = 0; // VmHWM
};

ResidentMemory residentMemory();

} // namespace plotwright_soak
