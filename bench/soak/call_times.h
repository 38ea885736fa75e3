#pragma once
// What single calls on the simulator's thread cost, read honestly: both clocks are read right
// around the call and nothing else, and all bookkeeping (storing the figures, reading the
// thread's page-fault and context-switch counters, growing a vector) happens outside them, so
// it is never billed to the call. Used by the soak and the action bench for the ticks and for
// each user action.
#include <sys/resource.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <vector>

namespace plotwright_soak {

// CPU time of the calling thread, in milliseconds.
double threadCpuMs();

// A call with no plug-in code and a fixed amount of work (a few microseconds of arithmetic, no
// memory, no system call), timed beside the ticks: what the machine and the kernel alone bill to
// a thread as short as a tick, so that an outlier that hits it as well is not the plug-in's.
void controlWork();

struct CallCost {
    double CpuMs = 0.0;
    double WallMs = 0.0;
    long MinorFaults = 0;
    long MajorFaults = 0;
    long VoluntarySwitches = 0;
    long InvoluntarySwitches = 0;
};

class CallTimes {
public:
    // Room for that many calls, its pages touched now: a run that measures memory takes its
    // baseline after this, so the figures filling it later are not billed to the plug-in.
    void reserve(std::size_t calls);

    template <typename Call> void time(Call call) {
        rusage before{};
        getrusage(RUSAGE_THREAD, &before);
        const double cpuStart = threadCpuMs();
        const auto wallStart = std::chrono::steady_clock::now();
        call();
        const auto wallEnd = std::chrono::steady_clock::now();
        const double cpuEnd = threadCpuMs();
        rusage after{};
        getrusage(RUSAGE_THREAD, &after);
        add(cpuEnd - cpuStart,
            std::chrono::duration<double, std::milli>(wallEnd - wallStart).count(), before, after);
    }

    // Each call's thread CPU and wall time, in milliseconds, in the order of the calls.
    const std::vector<float> &cpu() const { return cpu_; }
    const std::vector<float> &wall() const { return wall_; }

    // One line per clock: median, 99th, 99.9th, 99.99th percentile and the maximum; then every
    // kept slow call (the slowest by CPU and by wall time) with its counters, and how many calls
    // took more than slowMs of either.
    void print(const char *label, double slowMs) const;

    static constexpr int kSlowestKept = 4;

private:
    void add(double cpuMs, double wallMs, const rusage &before, const rusage &after);

    std::vector<float> cpu_;
    std::vector<float> wall_;
    std::array<CallCost, kSlowestKept> slowestCpu_{};
    std::array<CallCost, kSlowestKept> slowestWall_{};
};

} // namespace plotwright_soak
