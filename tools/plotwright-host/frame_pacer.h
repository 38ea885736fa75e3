#pragma once
// Paces the simulated frames to wall time, for a run that something outside watches or kills
// while it records. Each frame's simulated length is also slept, measured from one fixed start
// on a steady clock, so a late frame (a loaded machine) is caught up by the next ones instead of
// making every later frame late. Pacing only sleeps: the frames, their lengths and what the
// plug-in records are those of an unpaced run.

#include <chrono>

namespace plotwright_host {

class FramePacer {
public:
    // Called after each frame with the simulator's running time; the first call sets the start.
    void afterFrame(double simulatorSeconds);

private:
    bool started_ = false;
    std::chrono::steady_clock::time_point wallStart_;
    double simulatorStart_ = 0.0;
};

} // namespace plotwright_host
