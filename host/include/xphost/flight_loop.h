#pragma once
// Frames, the two clocks and the flight loop, as the simulator runs them.
//
// What is modelled:
// - The simulator draws frames at its own rate: steady (setFrameRate, 100 a second by default)
//   or uneven (setFrameRateRange: each frame's length drawn from a seeded generator, so a run
//   repeats exactly on every platform). Ten seconds take milliseconds: nothing waits.
// - Two clocks. wallTime() is the simulator's running time: it drives the flight-loop
//   deadlines and the timing arguments, and goes on while the simulator is paused. simTime()
//   is the flight's time: it drives the frame hook (the scenario's dataref formulas) and stops
//   while paused. Frames and flight-loop calls go on while paused.
// - The flight-loop phase runs once at the end of every frame; a callback is called at most
//   once per frame, in the order of registration. A positive interval asks for the first frame
//   at or after its last call plus that many seconds of wall time ("first callback after the
//   deadline"), so below 100 frames a second a callback asking for 0.01 s runs once per frame,
//   at the frames' uneven spacing; a negative interval counts frames; 0 stops the calls until
//   the callback is registered again.
// - The arguments: inElapsedSinceLastCall is the wall time since that callback's last call (or
//   its registration), inElapsedTimeSinceLastFlightLoop the wall time since the previous
//   frame's flight-loop phase, inCounter the number of flight-loop phases run, bumped once per
//   frame.
// - A callback registered while a module runs one of its entry points, menu handlers or
//   callbacks belongs to that module; while the module is disabled (between XPluginDisable and
//   XPluginEnable) its callbacks are not called. Their deadlines pass meanwhile: a callback
//   whose time came during the pause is called at the first frame after the enable.
// Time is kept in whole microseconds.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "XPLMProcessing.h"

namespace xphost {

// A steady rate, 0.1 to 1000 frames a second; resetHost sets 100.
void setFrameRate(double framesPerSecond);
// Every frame lasts between 1/maxFramesPerSecond and 1/minFramesPerSecond seconds, drawn
// evenly in that range from a generator seeded with `seed`.
void setFrameRateRange(double minFramesPerSecond, double maxFramesPerSecond, std::uint64_t seed);
// The same as setFrameRate(1 / seconds).
void setFramePeriod(double seconds);
// The length of the last frame run (of the next one at a steady rate, before any frame).
double framePeriod();

// A paused simulator still draws frames and calls flight loops; only simTime() stops.
void setPaused(bool paused);
bool paused();

// Seconds of flight since resetHost: stops while paused.
double simTime();
// Seconds the simulator has run since resetHost: goes on while paused.
double wallTime();
// Frames run since resetHost.
long long frameCount();

// Called at the start of every frame, before the flight-loop callbacks, with simTime():
// scenarios set their datarefs here.
void setFrameHook(std::function<void(double simTime)> hook);

void runFrames(long long frames);
// Runs frames until wallTime() has advanced by at least `seconds`.
void advanceSeconds(double seconds);

std::size_t registeredFlightLoopCount();
bool isFlightLoopRegistered(XPLMFlightLoop_f callback, void *refcon);
// The interval the callback was registered with or last returned; 0 when unknown.
float flightLoopInterval(XPLMFlightLoop_f callback, void *refcon);
// How many times callbacks have been called since resetHost.
long long flightLoopCallCount();
// The wall time from the first to the last flight-loop call since startFlightLoopSpan(); 0
// before two calls. A recording that a call began and a call ended spans this time.
void startFlightLoopSpan();
double flightLoopSpanSeconds();

} // namespace xphost
