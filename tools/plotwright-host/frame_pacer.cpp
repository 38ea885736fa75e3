#include "frame_pacer.h"

#include <thread>

namespace plotwright_host {

void FramePacer::afterFrame(double simulatorSeconds) {
    if (!started_) {
        started_ = true;
        wallStart_ = std::chrono::steady_clock::now();
        simulatorStart_ = simulatorSeconds;
        return;
    }
    const std::chrono::duration<double> since(simulatorSeconds - simulatorStart_);
    std::this_thread::sleep_until(
        wallStart_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(since));
}

} // namespace plotwright_host
