// Frames, the wall and flight clocks, and the flight-loop callbacks.
#include "xphost/flight_loop.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "host_internal.h"
#include "xphost/host.h"

namespace xphost {
namespace {

using Micros = long long;
constexpr Micros kMicrosPerSecond = 1000000;
constexpr double kDefaultFramesPerSecond = 100.0;
constexpr double kLowestFrameRate = 0.1;
constexpr double kHighestFrameRate = 1000.0;

struct Registration {
    XPLMFlightLoop_f callback = nullptr;
    void *refcon = nullptr;
    const void *owner = nullptr; // the module that registered it; nullptr: the host's tests
    float interval = 0.0f;
    Micros lastCall = 0;
    Micros due = 0;         // for intervals in seconds
    long long dueFrame = 0; // for intervals in frames
    bool active = false;
    bool removed = false;
};

// How long each frame lasts. A steady rate places frame k of the rate at k / rate seconds after
// the rate was set, so rates whose period is no whole number of microseconds do not drift.
struct FramePacing {
    bool jittered = false;
    double framesPerSecond = kDefaultFramesPerSecond;
    Micros steadyStart = 0;
    long long steadyFrames = 0;
    Micros shortest = 0;
    Micros longest = 0;
    // mt19937_64's sequence is fixed by the language, so a seed gives the same frames on every
    // platform; its output is mapped to a length by hand for the same reason.
    std::mt19937_64 generator;
    Micros lastPeriod = 0;
};

struct Clock {
    Micros wall = 0;
    Micros flight = 0;
    bool paused = false;
    long long frames = 0;
    long long phases = 0;
    Micros lastPhase = 0;
    long long calls = 0;
    // The flight-loop calls since startFlightLoopSpan(): how many, and the first's and the
    // last's wall time.
    long long spanCalls = 0;
    Micros spanFirst = 0;
    Micros spanLast = 0;
    FramePacing pacing;
    std::vector<Registration> loops;
    std::function<void(double)> hook;
};

Clock &clock() {
    static Clock instance;
    return instance;
}

Micros toMicros(double seconds) { return static_cast<Micros>(std::llround(seconds * 1e6)); }
double toSeconds(Micros micros) { return static_cast<double>(micros) / kMicrosPerSecond; }

bool validRate(double framesPerSecond) {
    return framesPerSecond >= kLowestFrameRate && framesPerSecond <= kHighestFrameRate;
}

Micros nextFrameLength() {
    Clock &c = clock();
    FramePacing &p = c.pacing;
    if (p.jittered) {
        const auto span = static_cast<std::uint64_t>(p.longest - p.shortest) + 1;
        return p.shortest + static_cast<Micros>(p.generator() % span);
    }
    const long long k = c.frames + 1 - p.steadyFrames;
    const Micros end = p.steadyStart + toMicros(static_cast<double>(k) / p.framesPerSecond);
    return std::max<Micros>(1, end - c.wall);
}

void schedule(Registration &loop, float interval) {
    loop.interval = interval;
    loop.active = interval != 0.0f && std::isfinite(interval);
    if (!loop.active) return;
    if (interval > 0.0f) {
        loop.due = loop.lastCall + std::max<Micros>(1, toMicros(interval));
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

bool isDue(const Registration &loop) {
    if (loop.removed || !loop.active || !internal::isModuleEnabled(loop.owner)) return false;
    return loop.interval > 0.0f ? clock().wall >= loop.due : clock().frames >= loop.dueFrame;
}

void callFlightLoops() {
    Clock &c = clock();
    ++c.phases;
    const float sincePhase = static_cast<float>(toSeconds(c.wall - c.lastPhase));
    c.lastPhase = c.wall;
    // Callbacks may register or unregister others while we walk: by index and by the count at
    // the start, so one registered now waits for the next frame.
    const std::size_t count = c.loops.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (!isDue(c.loops[i])) continue;
        Registration &loop = c.loops[i];
        const float sinceLast = static_cast<float>(toSeconds(c.wall - loop.lastCall));
        const XPLMFlightLoop_f callback = loop.callback;
        void *refcon = loop.refcon;
        const void *owner = loop.owner;
        loop.lastCall = c.wall;
        ++c.calls;
        if (c.spanCalls++ == 0) c.spanFirst = c.wall;
        c.spanLast = c.wall;
        float next = 0.0f;
        {
            internal::RunningModuleScope running(owner);
            next = callback(sinceLast, sincePhase, static_cast<int>(c.phases), refcon);
        }
        // The vector may have grown during the call; find the registration again.
        Registration *again = find(callback, refcon);
        if (again != nullptr) schedule(*again, next);
    }
    c.loops.erase(std::remove_if(c.loops.begin(), c.loops.end(),
                                 [](const Registration &loop) { return loop.removed; }),
                  c.loops.end());
}

// One frame of the simulator, start to end.
void runOneFrame() {
    Clock &c = clock();
    const Micros length = nextFrameLength();
    c.pacing.lastPeriod = length;
    c.wall += length;
    if (!c.paused) c.flight += length;
    ++c.frames;
    if (c.hook) c.hook(toSeconds(c.flight));
    internal::sendPendingDataRefNotice();
    internal::continueHeldCommands();
    callFlightLoops();
}

void restartSteadyPacing() {
    Clock &c = clock();
    c.pacing.steadyStart = c.wall;
    c.pacing.steadyFrames = c.frames;
}

} // namespace

void setFrameRate(double framesPerSecond) {
    if (!validRate(framesPerSecond)) {
        reportHostError("setFrameRate: a rate from 0.1 to 1000 frames a second");
        return;
    }
    FramePacing &p = clock().pacing;
    p.jittered = false;
    p.framesPerSecond = framesPerSecond;
    restartSteadyPacing();
}

void setFrameRateRange(double minFramesPerSecond, double maxFramesPerSecond, std::uint64_t seed) {
    if (!validRate(minFramesPerSecond) || !validRate(maxFramesPerSecond) ||
        minFramesPerSecond > maxFramesPerSecond) {
        reportHostError("setFrameRateRange: rates from 0.1 to 1000 frames a second, the lower "
                        "first");
        return;
    }
    FramePacing &p = clock().pacing;
    p.jittered = true;
    p.shortest = std::max<Micros>(1, toMicros(1.0 / maxFramesPerSecond));
    p.longest = std::max(p.shortest, toMicros(1.0 / minFramesPerSecond));
    p.generator.seed(seed);
}

void setFramePeriod(double seconds) {
    if (!(seconds > 0.0)) {
        reportHostError("setFramePeriod: the period must be positive");
        return;
    }
    setFrameRate(1.0 / seconds);
}

double framePeriod() {
    const FramePacing &p = clock().pacing;
    if (p.lastPeriod > 0) return toSeconds(p.lastPeriod);
    return p.jittered ? toSeconds(p.longest) : 1.0 / p.framesPerSecond;
}

void setPaused(bool paused) { clock().paused = paused; }
bool paused() { return clock().paused; }

double simTime() { return toSeconds(clock().flight); }
double wallTime() { return toSeconds(clock().wall); }
long long frameCount() { return clock().frames; }
void setFrameHook(std::function<void(double)> hook) { clock().hook = std::move(hook); }

void runFrames(long long frames) {
    for (long long i = 0; i < frames; ++i)
        runOneFrame();
}

void advanceSeconds(double seconds) {
    const Micros end = clock().wall + toMicros(seconds);
    while (clock().wall < end)
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

void startFlightLoopSpan() { clock().spanCalls = 0; }

double flightLoopSpanSeconds() {
    const Clock &c = clock();
    return c.spanCalls < 2 ? 0.0 : toSeconds(c.spanLast - c.spanFirst);
}

namespace internal {
void resetFlightLoop() {
    clock() = Clock{};
    forgetModuleStates();
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
        xphost::clock().loops.push_back(Registration{});
        loop = &xphost::clock().loops.back();
        loop->callback = inFlightLoop;
        loop->refcon = inRefcon;
        loop->owner = internal::runningModule();
    }
    loop->lastCall = xphost::clock().wall;
    schedule(*loop, inInterval);
}

XPLM_API void XPLMUnregisterFlightLoopCallback(XPLMFlightLoop_f inFlightLoop, void *inRefcon) {
    xphost::internal::checkMainThread(__func__);
    if (Registration *loop = find(inFlightLoop, inRefcon)) loop->removed = true;
}
