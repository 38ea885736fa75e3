// Simulated time and the flight-loop callbacks.
#include "xphost/flight_loop.h"

#include <cmath>
#include <vector>

#include "host_internal.h"
#include "xphost/host.h"

namespace xphost {
namespace {

using Micros = long long;
constexpr Micros kMicrosPerSecond = 1000000;

struct Registration {
    XPLMFlightLoop_f callback = nullptr;
    void *refcon = nullptr;
    float interval = 0.0f;
    Micros lastCall = 0;
    long long lastFrame = 0;
    Micros due = 0;         // for intervals in seconds
    long long dueFrame = 0; // for intervals in frames
    bool active = false;
    bool removed = false;
};

struct Clock {
    Micros period = 10000;
    Micros now = 0;
    long long frames = 0;
    long long calls = 0;
    std::vector<Registration> loops;
    std::function<void(double)> hook;
};

Clock &clock() {
    static Clock instance;
    return instance;
}

Micros toMicros(double seconds) { return static_cast<Micros>(std::llround(seconds * 1e6)); }

void schedule(Registration &loop, float interval) {
    loop.interval = interval;
    loop.active = interval != 0.0f && std::isfinite(interval);
    if (!loop.active) return;
    if (interval > 0.0f) {
        loop.due = clock().now + std::max<Micros>(1, toMicros(interval));
        loop.dueFrame = 0;
    } else {
        loop.dueFrame = clock().frames + std::max<long long>(1, std::llround(-interval));
        loop.due = 0;
    }
}

Registration *find(XPLMFlightLoop_f callback, void *refcon) {
    for (Registration &loop : clock().loops)
        if (!loop.removed && loop.callback == callback && loop.refcon == refcon) return &loop;
    return nullptr;
}

void runOneFrame() {
    Clock &c = clock();
    c.now += c.period;
    ++c.frames;
    if (c.hook) c.hook(static_cast<double>(c.now) / kMicrosPerSecond);
    // Callbacks may register or unregister others while we walk; index-based and by count.
    const std::size_t count = c.loops.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (c.loops[i].removed || !c.loops[i].active) continue;
        const bool due =
            c.loops[i].interval > 0.0f ? c.now >= c.loops[i].due : c.frames >= c.loops[i].dueFrame;
        if (!due) continue;
        Registration &loop = c.loops[i];
        const float sinceLast = static_cast<float>(c.now - loop.lastCall) / kMicrosPerSecond;
        const XPLMFlightLoop_f callback = loop.callback;
        void *refcon = loop.refcon;
        loop.lastCall = c.now;
        ++c.calls;
        const float next = callback(sinceLast, static_cast<float>(c.period) / kMicrosPerSecond,
                                    static_cast<int>(c.frames), refcon);
        // The vector may have grown during the call; find the registration again.
        Registration *again = find(callback, refcon);
        if (again != nullptr) schedule(*again, next);
    }
    std::vector<Registration> kept;
    for (Registration &loop : c.loops)
        if (!loop.removed) kept.push_back(loop);
    c.loops.swap(kept);
}

} // namespace

void setFramePeriod(double seconds) {
    if (!(seconds > 0.0) || seconds > 10.0) {
        reportHostError("setFramePeriod: period must be between 0 and 10 seconds");
        return;
    }
    clock().period = std::max<Micros>(1, toMicros(seconds));
}

double framePeriod() { return static_cast<double>(clock().period) / kMicrosPerSecond; }
double simTime() { return static_cast<double>(clock().now) / kMicrosPerSecond; }
long long frameCount() { return clock().frames; }
void setFrameHook(std::function<void(double)> hook) { clock().hook = std::move(hook); }

void runFrames(long long frames) {
    for (long long i = 0; i < frames; ++i)
        runOneFrame();
}

void advanceSeconds(double seconds) {
    const Micros end = clock().now + toMicros(seconds);
    while (clock().now < end)
        runOneFrame();
}

std::size_t registeredFlightLoopCount() {
    std::size_t n = 0;
    for (const Registration &loop : clock().loops)
        if (!loop.removed) ++n;
    return n;
}

bool isFlightLoopRegistered(XPLMFlightLoop_f callback, void *refcon) {
    return find(callback, refcon) != nullptr;
}

float flightLoopInterval(XPLMFlightLoop_f callback, void *refcon) {
    const Registration *loop = find(callback, refcon);
    return loop == nullptr ? 0.0f : loop->interval;
}

long long flightLoopCallCount() { return clock().calls; }

namespace internal {
void resetFlightLoop() {
    Clock &c = clock();
    c.period = 10000;
    c.now = 0;
    c.frames = 0;
    c.calls = 0;
    c.loops.clear();
    c.hook = nullptr;
}
} // namespace internal

} // namespace xphost

using namespace xphost;

XPLM_API void XPLMRegisterFlightLoopCallback(XPLMFlightLoop_f inFlightLoop, float inInterval,
                                             void *inRefcon) {
    xphost::internal::checkMainThread(__func__);
    if (inFlightLoop == nullptr) {
        reportHostError("XPLMRegisterFlightLoopCallback: null callback");
        return;
    }
    Registration *loop = find(inFlightLoop, inRefcon);
    if (loop == nullptr) {
        clock().loops.push_back(Registration{});
        loop = &clock().loops.back();
        loop->callback = inFlightLoop;
        loop->refcon = inRefcon;
    }
    loop->lastCall = clock().now;
    schedule(*loop, inInterval);
}

XPLM_API void XPLMUnregisterFlightLoopCallback(XPLMFlightLoop_f inFlightLoop, void *inRefcon) {
    xphost::internal::checkMainThread(__func__);
    if (Registration *loop = find(inFlightLoop, inRefcon)) loop->removed = true;
}
