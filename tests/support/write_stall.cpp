#include "support/write_stall.h"

#if defined(__linux__)
#include <dlfcn.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>

namespace {
std::mutex gMutex;
std::condition_variable gChanged;
std::string gSuffix;
bool gArmed = false;
int gHeld = 0;
long gHeldThread = 0;
// Read on every fwrite of the program: the mutex only once armed.
std::atomic<bool> gMayHold{false};

bool namesHeldFile(std::FILE *stream) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fileno(stream));
    char target[4096];
    const ssize_t length = readlink(link, target, sizeof target - 1);
    if (length < 0) return false;
    target[length] = '\0';
    const std::size_t size = static_cast<std::size_t>(length);
    std::lock_guard<std::mutex> lock(gMutex);
    return gSuffix.size() <= size &&
           std::strcmp(target + size - gSuffix.size(), gSuffix.c_str()) == 0;
}
} // namespace

extern "C" std::size_t fwrite(const void *data, std::size_t size, std::size_t count,
                              std::FILE *stream) {
    using Fwrite = std::size_t (*)(const void *, std::size_t, std::size_t, std::FILE *);
    static const Fwrite real = reinterpret_cast<Fwrite>(dlsym(RTLD_NEXT, "fwrite"));
    if (gMayHold.load() && namesHeldFile(stream)) {
        std::unique_lock<std::mutex> lock(gMutex);
        if (gArmed) {
            if (gHeld++ == 0) gHeldThread = static_cast<long>(syscall(SYS_gettid));
            gChanged.notify_all();
            gChanged.wait(lock, [] { return !gArmed; });
        }
    }
    return real(data, size, count, stream);
}

namespace plotwright_test {
namespace write_stall {

void arm(const std::string &fileNameSuffix) {
    std::lock_guard<std::mutex> lock(gMutex);
    gSuffix = fileNameSuffix;
    gArmed = true;
    gHeld = 0;
    gHeldThread = 0;
    gMayHold = true;
}

void waitUntilHeld() {
    std::unique_lock<std::mutex> lock(gMutex);
    gChanged.wait(lock, [] { return gHeld > 0; });
}

long heldThreadId() {
    std::lock_guard<std::mutex> lock(gMutex);
    return gHeldThread;
}

void release() {
    std::lock_guard<std::mutex> lock(gMutex);
    gArmed = false;
    gMayHold = false;
    gChanged.notify_all();
}

Watchdog::Watchdog(std::chrono::seconds patience)
    : thread_([this, patience] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (!done_.wait_for(lock, patience, [this] { return finished_; })) release();
      }) {}

Watchdog::~Watchdog() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        finished_ = true;
    }
    done_.notify_all();
    thread_.join();
}

} // namespace write_stall
} // namespace plotwright_test
#endif
