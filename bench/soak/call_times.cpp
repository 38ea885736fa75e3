#include "call_times.h"

#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace plotwright_soak {
namespace {

// The call's figures replace the least slow one kept when the call is slower.
template <typename Slower>
void keepIfSlower(std::array<CallCost, CallTimes::kSlowestKept> &kept, const CallCost &cost,
                  Slower slower) {
    auto least = std::min_element(kept.begin(), kept.end(), slower);
    if (slower(*least, cost)) *least = cost;
}

double percentile(std::vector<float> values, double p) {
    if (values.empty()) return 0.0;
    const auto rank = static_cast<std::size_t>(p / 100.0 * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(rank),
                     values.end());
    return values[rank];
}

void printLine(const char *clock, const std::vector<float> &values) {
    if (values.empty()) return;
    std::printf("    %-10s median %8.4f  p99 %8.4f  p99.9 %8.4f  p99.99 %8.4f  max %8.4f ms\n",
                clock, percentile(values, 50), percentile(values, 99), percentile(values, 99.9),
                percentile(values, 99.99), *std::max_element(values.begin(), values.end()));
}

void printSlow(const char *which, std::array<CallCost, CallTimes::kSlowestKept> kept) {
    std::sort(kept.begin(), kept.end(),
              [](const CallCost &a, const CallCost &b) { return a.WallMs > b.WallMs; });
    for (const CallCost &c : kept) {
        if (c.WallMs == 0.0 && c.CpuMs == 0.0) continue;
        std::printf("    slowest by %-4s cpu %8.4f wall %8.4f ms  faults %ld minor %ld major  "
                    "switches %ld voluntary %ld involuntary\n",
                    which, c.CpuMs, c.WallMs, c.MinorFaults, c.MajorFaults, c.VoluntarySwitches,
                    c.InvoluntarySwitches);
    }
}

} // namespace

double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void controlWork() {
    // About as long as a median tick; volatile keeps the compiler from folding the loop away.
    volatile std::uint32_t state = 1;
    for (int step = 0; step < 4000; ++step)
        state = state * 1664525u + 1013904223u;
}

void CallTimes::reserve(std::size_t calls) {
    // Filling the room touches its pages; clear() keeps the capacity.
    cpu_.assign(calls, 0.0f);
    wall_.assign(calls, 0.0f);
    cpu_.clear();
    wall_.clear();
}

void CallTimes::add(double cpuMs, double wallMs, const rusage &before, const rusage &after) {
    CallCost cost;
    cost.CpuMs = cpuMs;
    cost.WallMs = wallMs;
    cost.MinorFaults = after.ru_minflt - before.ru_minflt;
    cost.MajorFaults = after.ru_majflt - before.ru_majflt;
    cost.VoluntarySwitches = after.ru_nvcsw - before.ru_nvcsw;
    cost.InvoluntarySwitches = after.ru_nivcsw - before.ru_nivcsw;
    cpu_.push_back(static_cast<float>(cpuMs));
    wall_.push_back(static_cast<float>(wallMs));
    keepIfSlower(slowestCpu_, cost,
                 [](const CallCost &a, const CallCost &b) { return a.CpuMs < b.CpuMs; });
    keepIfSlower(slowestWall_, cost,
                 [](const CallCost &a, const CallCost &b) { return a.WallMs < b.WallMs; });
}

void CallTimes::print(const char *label, double slowMs) const {
    std::printf("  %s: %zu calls\n", label, cpu_.size());
    printLine("thread CPU", cpu_);
    printLine("wall", wall_);
    printSlow("CPU", slowestCpu_);
    printSlow("wall", slowestWall_);
    const auto over = [slowMs](const std::vector<float> &values) {
        return std::count_if(values.begin(), values.end(),
                             [slowMs](float v) { return v > slowMs; });
    };
    // One thread cannot run longer than the time that passed: a CPU reading well above the
    // wall time is the clock's accounting, not work.
    std::ptrdiff_t impossible = 0;
    for (std::size_t k = 0; k < cpu_.size(); ++k)
        impossible += cpu_[k] > wall_[k] + 0.5f;
    std::printf("    over %.1f ms: %td by CPU, %td by wall time; CPU over wall + 0.5 ms (an "
                "accounting jump): %td\n",
                slowMs, over(cpu_), over(wall_), impossible);
}

} // namespace plotwright_soak
