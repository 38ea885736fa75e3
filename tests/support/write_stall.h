#pragma once
// A disk that stops answering in the middle of a write: while armed, every write or fwrite to a
// file whose name ends with a given suffix is held inside the call until release(), as a
// stalled drive or a vanished network share holds a real write; an fwrite is held with its
// stream's lock taken, as the C library holds it then. Linux only (/proc names the file behind
// a descriptor); both are interposed for the whole test program, the real module's calls
// included, and pass straight through otherwise.

#if defined(__linux__)
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace plotwright_test {
namespace write_stall {

void arm(const std::string &fileNameSuffix);
// Blocks until a write is held.
void waitUntilHeld();
// Whether a write is held now (and the stall was not released since).
bool holding();
// The kernel's id of the thread whose write was held first (once one was).
long heldThreadId();
// Lets the held writes go on; holds no more.
void release();

// Releases the stall when it goes, on every way out of a test: a thread still held at the
// program's exit would hang it there.
struct ReleaseAtEnd {
    ReleaseAtEnd() = default;
    ~ReleaseAtEnd() { release(); }
    ReleaseAtEnd(const ReleaseAtEnd &) = delete;
    ReleaseAtEnd &operator=(const ReleaseAtEnd &) = delete;
};

// Releases the stall after `patience` unless destroyed first: a test of code that wrongly
// waits for the disk fails on its clock checks instead of hanging.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds patience);
    ~Watchdog();
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

} // namespace write_stall
} // namespace plotwright_test
#endif
