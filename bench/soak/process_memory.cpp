#include "process_memory.h"

#include <cstdio>
#include <cstring>

namespace plotwright_soak {

ResidentMemory residentMemory() {
    ResidentMemory memory;
    std::FILE *status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return memory;
    char line[256];
    while (std::fgets(line, sizeof line, status) != nullptr) {
        long long kib = 0;
        if (std::sscanf(line, "VmRSS: %lld kB", &kib) == 1) memory.NowBytes = kib * 1024;
        if (std::sscanf(line, "VmHWM: %lld kB", &kib) == 1) memory.PeakBytes = kib * 1024;
    }
    std::fclose(status);
    return memory;
}

} // namespace plotwright_soak
