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
// Read on every write of the program: the mutex only once armed.
std::atomic<bool> gMayHold{false};

bool namesHeldFile(int descriptor) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", descriptor);
    char target[4096];
    const ssize_t length = readlink(link, target, sizeof target - 1);
    if (length < 0) return false;
    target[length] = '\0';
    const std::size_t size = static_cast<std::size_t>(length);
    std::lock_guard<std::mutex> lock(gMutex);
    return gSuffix.size() <= size &&
           std::strcmp(target + size - gSuffix.size(), gSuffix.c_str()) == 0;
}

// Blocks the calling thread while armed.
void holdWhileArmed() {
    std::unique_lock<std::mutex> lock(gMutex);
    if (!gArmed) return;
    if (gHeld++ == 0) gHeldThread = static_cast<long>(syscall(SYS_gettid));
    gChanged.notify_all();
    gChanged.wait(lock, [] { return !gArmed; });
}

template <typename Function> Function next(const char *name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}
} // namespace

// A stream's write is held as a stalled disk holds the C library inside it: with the stream's
// lock taken, which fflush(NULL) and exit() wait for.
extern "C" std::size_t fwrite(const void *data, std::size_t size, std::size_t count,
                              std::FILE *stream) {
    using Fwrite = std::size_t (*)(const void *, std::size_t, std::size_t, std::FILE *);
    static const Fwrite real = next<Fwrite>("fwrite");
    if (!gMayHold.load() || !namesHeldFile(fileno(stream))) return real(data, size, count, stream);
    flockfile(stream);
    holdWhileArmed();
    const std::size_t written = real(data, size, count, stream);
    funlockfile(stream);
    return written;
}

extern "C" ssize_t write(int descriptor, const void *data, std::size_t size) {
    using Write = ssize_t (*)(int, const void *, std::size_t);
    static const Write real = next<Write>("write");
    if (gMayHold.load() && namesHeldFile(descriptor)) holdWhileArmed();
    return real(descriptor, data, size);
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

bool holding() {
    std::lock_guard<std::mutex> lock(gMutex);
    return gArmed && gHeld > 0;
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
