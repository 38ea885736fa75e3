#pragma once
// Simulated time and the flight loop. Time advances in frames of a fixed length (0.01 s by
// default); at each frame every registered callback whose time has come is called, in the order
// of registration. Ten seconds of simulation take milliseconds.
//
// Intervals follow the API: a positive result or interval is in seconds (the callback is due at
// the first frame at or after its last call plus the interval), a negative one counts frames,
// 0 stops the calls until the callback is registered again. Time is kept in whole microseconds.

#include <cstddef>
#include <functional>

#include "XPLMProcessing.h"

namespace xphost {

void setFramePeriod(double seconds);
double framePeriod();

// Simulated seconds since resetHost.
double simTime();
// Frames run since resetHost.
long long frameCount();

// Called at the start of every frame, before the flight-loop callbacks, with the frame's time:
// scenarios set their datarefs here.
void setFrameHook(std::function<void(double simTime)> hook);

void runFrames(long long frames);
// Runs frames until simTime() has advanced by at least `seconds`.
void advanceSeconds(double seconds);

std::size_t registeredFlightLoopCount();
bool isFlightLoopRegistered(XPLMFlightLoop_f callback, void *refcon);
// The interval the callback was registered with or last returned; 0 when unknown.
float flightLoopInterval(XPLMFlightLoop_f callback, void *refcon);
// How many times callbacks have been called since resetHost.
long long flightLoopCallCount();

} // namespace xphost
