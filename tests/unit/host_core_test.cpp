// The host's stand-ins for the simulator's datarefs, menus, flight loop, log and paths: what the
// plug-in's tests rely on them to do, and the strictness that keeps those tests honest.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "XPLMDataAccess.h"
#include "XPLMMenus.h"
#include "XPLMPlugin.h"
#include "XPLMProcessing.h"
#include "XPLMUtilities.h"
#include "support/host_fixture.h"
#include "xphost/datarefs.h"
#include "xphost/flight_loop.h"
#include "xphost/host.h"
#include "xphost/menus.h"
#include "xphost/messages.h"

namespace {
using plotwright_test::HostTest;
using xphost::DataRefKind;

TEST_F(HostTest, SystemPathEndsWithSeparatorAndLogAppendsUnchanged) {
    char path[512];
    XPLMGetSystemPath(path);
    EXPECT_EQ(std::string(path), root_);
    EXPECT_EQ(path[std::strlen(path) - 1], '/');
    XPLMDebugString("one ");
    XPLMDebugString("two\n");
    EXPECT_EQ(xphost::logText(), "one two\n");
    EXPECT_TRUE(plotwright_test::fileExists(root_ + "Log.txt"));
    EXPECT_TRUE(plotwright_test::fileExists(pluginDir_));
}

// Legacy paths until the plug-in asks for native ones, as the simulator: on Windows in the ANSI
// code page with '\', where letters the code page lacks arrive as '?'. The separator follows the
// mode at each call, and a reset starts legacy again.
TEST_F(HostTest, PathsAreLegacyUntilNativeOnesAreAskedFor) {
    const std::string cyrillic = "\u0421\u0438\u043c\u0443\u043b\u044f\u0442\u043e\u0440";
    xphost::resetHost(plotwright_test::makeTempFolder("modes") + cyrillic);
    ASSERT_TRUE(xphost::hostErrors().empty());
    const std::string utf8 = xphost::installRoot();
    std::string legacy = utf8;
    std::string native = utf8;
#if defined(_WIN32)
    // Wine's code page follows the Unix locale; the tests pin one Western locale (Windows 1252).
    ASSERT_EQ(GetACP(), 1252u);
    for (const auto &letters : {std::pair<std::string, std::string>{"\u00e7", "\xE7"},
                                {"\u00e3", "\xE3"},
                                {cyrillic, std::string(9, '?')}}) {
        const std::size_t at = legacy.find(letters.first);
        ASSERT_NE(at, std::string::npos) << letters.first;
        legacy.replace(at, letters.first.size(), letters.second);
    }
    std::replace(native.begin(), native.end(), '\\', '/');
    const char *legacySeparator = "\\";
#else
    const char *legacySeparator = "/";
#endif
    char path[512];
    XPLMGetSystemPath(path);
    EXPECT_EQ(std::string(path), legacy);
    EXPECT_STREQ(XPLMGetDirectorySeparator(), legacySeparator);
    EXPECT_EQ(xphost::legacyPathRequests(), 2);

    XPLMEnableFeature("XPLM_USE_NATIVE_PATHS", 1);
    EXPECT_TRUE(xphost::nativePaths());
    XPLMGetSystemPath(path);
    EXPECT_EQ(std::string(path), native);
    EXPECT_EQ(xphost::handedOutPath(utf8), native);
    EXPECT_STREQ(XPLMGetDirectorySeparator(), "/");
    EXPECT_EQ(xphost::legacyPathRequests(), 2);

    xphost::resetHost(utf8);
    EXPECT_FALSE(xphost::nativePaths());
    EXPECT_EQ(xphost::legacyPathRequests(), 0);
    EXPECT_STREQ(XPLMGetDirectorySeparator(), legacySeparator);
}

TEST_F(HostTest, ScalarDatarefsReportTheirTypesAndAnswerOnlyTheirOwnGetters) {
    XPLMDataRef i = xphost::defineDataRef("test/int", DataRefKind::Int);
    XPLMDataRef f = xphost::defineDataRef("test/float", DataRefKind::Float);
    XPLMDataRef fd = xphost::defineDataRef("test/float_double", DataRefKind::FloatDouble);
    XPLMDataRef d = xphost::defineDataRef("test/double", DataRefKind::Double);
    xphost::setDataRefValue("test/int", 42.9);
    xphost::setDataRefValue("test/float", -1.5);
    xphost::setDataRefValue("test/float_double", 1234567.890123);
    EXPECT_EQ(XPLMFindDataRef("test/int"), i);
    EXPECT_EQ(XPLMFindDataRef("test/missing"), nullptr);
    EXPECT_EQ(XPLMGetDataRefTypes(i), xplmType_Int);
    EXPECT_EQ(XPLMGetDataRefTypes(f), xplmType_Float);
    EXPECT_EQ(XPLMGetDataRefTypes(fd), xplmType_Float | xplmType_Double);
    EXPECT_EQ(XPLMGetDataRefTypes(d), xplmType_Double);
    // A null handle reports no type, and is a host error: the simulator promises nothing.
    EXPECT_EQ(XPLMGetDataRefTypes(nullptr), xplmType_Unknown);
    ASSERT_EQ(xphost::hostErrors().size(), 1u);
    EXPECT_NE(xphost::hostErrors()[0].find("null dataref handle"), std::string::npos);
    xphost::clearHostErrors();
    EXPECT_EQ(XPLMGetDatai(i), 42);
    EXPECT_EQ(XPLMGetDataf(f), -1.5f);
    EXPECT_EQ(XPLMGetDatad(fd), 1234567.890123);
    EXPECT_EQ(XPLMGetDataf(fd), static_cast<float>(1234567.890123));
    // A getter whose type the dataref does not offer returns 0, with no conversion.
    EXPECT_EQ(XPLMGetDataf(i), 0.0f);
    EXPECT_EQ(XPLMGetDatad(f), 0.0);
    EXPECT_EQ(XPLMGetDatai(fd), 0);
    // Redefining keeps the handle the plug-in already holds.
    EXPECT_EQ(xphost::defineDataRef("test/int", DataRefKind::Float), i);
    EXPECT_EQ(XPLMGetDataRefTypes(i), xplmType_Float);
}

TEST_F(HostTest, ArrayGettersCountCopyAndStayInBounds) {
    XPLMDataRef ints = xphost::defineDataRef("test/ints", DataRefKind::IntArray, 8);
    XPLMDataRef bytes = xphost::defineDataRef("test/bytes", DataRefKind::ByteArray, 4);
    XPLMDataRef floats = xphost::defineDataRef("test/floats", DataRefKind::FloatArray, 5000);
    for (int k = 0; k < 8; ++k)
        xphost::setDataRefElement("test/ints", k, 10 * k);
    xphost::setDataRefElement("test/bytes", 2, 200);
    xphost::setDataRefElement("test/floats", 4999, 7.25);

    EXPECT_EQ(XPLMGetDatavi(ints, nullptr, 0, 0), 8);
    EXPECT_EQ(XPLMGetDatab(bytes, nullptr, 0, 0), 4);
    EXPECT_EQ(XPLMGetDatavf(floats, nullptr, 0, 0), 5000);

    std::vector<int> out(10, -1);
    EXPECT_EQ(XPLMGetDatavi(ints, out.data(), 6, 10), 2); // only what exists
    EXPECT_EQ(out[0], 60);
    EXPECT_EQ(out[1], 70);
    EXPECT_EQ(out[2], -1);
    EXPECT_EQ(XPLMGetDatavi(ints, out.data(), 8, 1), 0);
    EXPECT_EQ(XPLMGetDatavi(ints, out.data(), -1, 1), 0);

    std::uint8_t b[4] = {};
    EXPECT_EQ(XPLMGetDatab(bytes, b, 0, 4), 4);
    EXPECT_EQ(b[2], 200);
    float last = 0;
    EXPECT_EQ(XPLMGetDatavf(floats, &last, 4999, 1), 1);
    EXPECT_EQ(last, 7.25f);
    // The wrong getter for the type copies nothing.
    EXPECT_EQ(XPLMGetDatavf(ints, &last, 0, 1), 0);
}

TEST_F(HostTest, SeveralTypesAtOnceAnswerEachOfTheirGettersAndMisuseIsVisible) {
    XPLMDataRef all = xphost::defineDataRefWithTypes("test/all", 7);
    xphost::setDataRefValue("test/all", -2.75);
    EXPECT_EQ(XPLMGetDataRefTypes(all), 7);
    EXPECT_EQ(XPLMGetDatai(all), -2);
    EXPECT_EQ(XPLMGetDataf(all), -2.75f);
    EXPECT_EQ(XPLMGetDatad(all), -2.75);
    XPLMDataRef arrays = xphost::defineDataRefWithTypes("test/arrays", 8 | 16, 3);
    xphost::setDataRefElement("test/arrays", 2, 1.5);
    float f = 0.0f;
    int i = -1;
    EXPECT_EQ(XPLMGetDatavf(arrays, &f, 2, 1), 1);
    EXPECT_EQ(XPLMGetDatavi(arrays, &i, 2, 1), 1);
    EXPECT_EQ(f, 1.5f);
    EXPECT_EQ(i, 1);
    EXPECT_EQ(XPLMGetDatab(arrays, nullptr, 0, 0), 0);
    EXPECT_TRUE(xphost::hostErrors().empty());

    int bogus = 0;
    XPLMGetDatai(&bogus); // a handle the host never gave out
    xphost::setDataRefValue("test/unknown", 1.0);
    ASSERT_EQ(xphost::hostErrors().size(), 2u);
    EXPECT_NE(xphost::hostErrors()[0].find("unknown dataref handle"), std::string::npos);
    xphost::clearHostErrors();
}

// As in the simulator: a withdrawn dataref is orphaned, not gone, and its name keeps its handle.
TEST_F(HostTest, AWithdrawnDatarefReadsZeroAndPublishedAgainKeepsItsHandle) {
    XPLMDataRef ref = xphost::defineDataRef("acf/x", DataRefKind::Float);
    xphost::setDataRefValue("acf/x", 4.0);
    xphost::withdrawDataRef("acf/x");
    EXPECT_EQ(XPLMIsDataRefGood(ref), 0);
    EXPECT_EQ(XPLMGetDataf(ref), 0.0f);
    EXPECT_EQ(XPLMFindDataRef("acf/x"), ref);
    EXPECT_TRUE(xphost::hostErrors().empty()) << "reading an orphaned dataref is allowed";

    EXPECT_EQ(xphost::defineDataRef("acf/x", DataRefKind::Int), ref);
    xphost::setDataRefValue("acf/x", 7.0);
    EXPECT_EQ(XPLMIsDataRefGood(ref), 1);
    EXPECT_EQ(XPLMGetDatai(ref), 7);

    xphost::withdrawDataRef("acf/never");
    EXPECT_EQ(xphost::hostErrors().size(), 1u);
    xphost::clearHostErrors();
}

std::vector<std::pair<int, std::intptr_t>> gMessages;
void recordMessage(XPLMPluginID from, int message, void *param) {
    EXPECT_EQ(from, XPLM_PLUGIN_XPLANE);
    gMessages.emplace_back(message, reinterpret_cast<std::intptr_t>(param));
}

// New datarefs are announced once a frame, only to a plug-in that asked for it.
TEST_F(HostTest, DatarefsAddedAreAnnouncedOncePerFrameToAPluginThatAskedForIt) {
    gMessages.clear();
    xphost::setMessageReceiver(recordMessage);
    xphost::defineDataRef("acf/a", DataRefKind::Float);
    xphost::runFrames(1);
    EXPECT_TRUE(gMessages.empty());

    XPLMEnableFeature("XPLM_WANTS_DATAREF_NOTIFICATIONS", 1);
    xphost::defineDataRef("acf/b", DataRefKind::Float);
    xphost::defineDataRef("acf/c", DataRefKind::Float);
    xphost::withdrawDataRef("acf/a");
    xphost::runFrames(3);
    xphost::sendPlaneLoaded(2);
    ASSERT_EQ(gMessages.size(), 2u);
    EXPECT_EQ(gMessages[0], std::make_pair(xphost::kMessageDataRefsAdded, std::intptr_t{2}));
    EXPECT_EQ(gMessages[1], std::make_pair(102, std::intptr_t{2}));
}

int gMenuCalls = 0;
void *gLastItemRef = nullptr;
void recordChoice(void *, void *itemRef) {
    ++gMenuCalls;
    gLastItemRef = itemRef;
}

TEST_F(HostTest, MenusNestAndChoosingCallsTheHandlerWithTheItemReference) {
    gMenuCalls = 0;
    XPLMMenuID plugins = XPLMFindPluginsMenu();
    const int item = XPLMAppendMenuItem(plugins, "Tool", nullptr, 1);
    EXPECT_EQ(item, 0);
    XPLMMenuID sub = XPLMCreateMenu("Tool", plugins, item, recordChoice, nullptr);
    ASSERT_NE(sub, nullptr);
    static char ref[] = "first";
    EXPECT_EQ(XPLMAppendMenuItem(sub, "First", ref, 1), 0);

    std::string error;
    EXPECT_TRUE(xphost::chooseMenuItem({"Tool", "First"}, &error)) << error;
    EXPECT_EQ(gMenuCalls, 1);
    EXPECT_EQ(gLastItemRef, ref);

    EXPECT_FALSE(xphost::chooseMenuItem({"Tool", "Second"}, &error));
    EXPECT_NE(error.find("\"First\""), std::string::npos) << error;

    XPLMDestroyMenu(sub);
    EXPECT_FALSE(xphost::menuExists(sub));
    EXPECT_FALSE(xphost::chooseMenuItem({"Tool", "First"}, &error));
    EXPECT_EQ(gMenuCalls, 1);
}

struct LoopProbe {
    int calls = 0;
    float next = 0.0f;
    std::vector<double> times;
};

float probeLoop(float, float, int, void *refcon) {
    auto *probe = static_cast<LoopProbe *>(refcon);
    ++probe->calls;
    probe->times.push_back(xphost::simTime());
    return probe->next;
}

TEST_F(HostTest, FlightLoopIntervalsInSecondsInFramesAndZero) {
    LoopProbe seconds{0, 0.05f, {}};
    LoopProbe frames{0, -3.0f, {}};
    XPLMRegisterFlightLoopCallback(probeLoop, 0.05f, &seconds);
    XPLMRegisterFlightLoopCallback(probeLoop, -3.0f, &frames);
    xphost::advanceSeconds(0.3);
    EXPECT_EQ(seconds.calls, 6);
    EXPECT_NEAR(seconds.times.front(), 0.05, 1e-9);
    EXPECT_EQ(frames.calls, 10); // every third 0.01 s frame
    EXPECT_EQ(xphost::frameCount(), 30);

    seconds.next = 0.0f; // stops being called
    xphost::advanceSeconds(0.1);
    const int afterStop = seconds.calls;
    xphost::advanceSeconds(1.0);
    EXPECT_EQ(seconds.calls, afterStop);
    EXPECT_TRUE(xphost::isFlightLoopRegistered(probeLoop, &seconds));

    XPLMUnregisterFlightLoopCallback(probeLoop, &frames);
    const int framesCalls = frames.calls;
    xphost::advanceSeconds(0.5);
    EXPECT_EQ(frames.calls, framesCalls);
    EXPECT_EQ(xphost::registeredFlightLoopCount(), 1u);
}

// What each call of a flight loop was given.
struct TimingProbe {
    float interval = 0.01f;
    std::vector<float> sinceLastCall, sinceLastPhase;
    std::vector<int> counters;
    std::vector<long long> frames;
};

float timingLoop(float sinceLastCall, float sinceLastPhase, int counter, void *refcon) {
    auto *probe = static_cast<TimingProbe *>(refcon);
    probe->sinceLastCall.push_back(sinceLastCall);
    probe->sinceLastPhase.push_back(sinceLastPhase);
    probe->counters.push_back(counter);
    probe->frames.push_back(xphost::frameCount());
    return probe->interval;
}

// Below 100 frames a second a callback asking for 0.01 s runs once per frame; above, at the
// first frame after its deadline. Never twice in a frame, and its arguments are the frames'.
TEST_F(HostTest, FlightLoopsRunAtMostOncePerFrameAtTheFramesRate) {
    xphost::setFrameRate(30.0);
    TimingProbe slow;
    XPLMRegisterFlightLoopCallback(timingLoop, 0.01f, &slow);
    xphost::advanceSeconds(1.0);
    ASSERT_EQ(slow.frames.size(), 30u);
    EXPECT_NEAR(slow.sinceLastCall.back(), 1.0 / 30.0, 1e-6);
    EXPECT_NEAR(slow.sinceLastPhase.back(), 1.0 / 30.0, 1e-6);
    EXPECT_EQ(slow.counters.back() - slow.counters.front(), 29);
    XPLMUnregisterFlightLoopCallback(timingLoop, &slow);

    xphost::setFrameRate(144.0);
    TimingProbe fast, everyFrame;
    everyFrame.interval = -1.0f;
    XPLMRegisterFlightLoopCallback(timingLoop, 0.01f, &fast);
    XPLMRegisterFlightLoopCallback(timingLoop, -1.0f, &everyFrame);
    xphost::advanceSeconds(1.0);
    EXPECT_EQ(everyFrame.frames.size(), 144u);
    EXPECT_EQ(fast.frames.size(), 72u); // every second frame: one frame is 6.9 ms
    EXPECT_NEAR(fast.sinceLastCall.back(), 2.0 / 144.0, 1e-6);
    EXPECT_NEAR(fast.sinceLastPhase.back(), 1.0 / 144.0, 1e-6);
    EXPECT_EQ(fast.counters.back() - fast.counters[fast.counters.size() - 2], 2);
    EXPECT_NEAR(xphost::wallTime(), 2.0, 1e-6) << "a steady rate does not drift";
}

// Uneven frames from a seed: the same seed gives the same frames, each call's elapsed time is
// the wall time since its last call, and a 0.01 s callback still runs at most once per frame.
TEST_F(HostTest, UnevenFramesRepeatWithTheirSeed) {
    auto run = [this](std::uint64_t seed) {
        xphost::resetHost(root_);
        xphost::setFrameRateRange(20.0, 144.0, seed);
        TimingProbe probe;
        XPLMRegisterFlightLoopCallback(timingLoop, 0.01f, &probe);
        xphost::advanceSeconds(5.0);
        double total = 0.0;
        for (float elapsed : probe.sinceLastCall)
            total += elapsed;
        EXPECT_NEAR(total, probe.frames.empty() ? 0.0 : xphost::wallTime(), 0.05);
        for (std::size_t k = 1; k < probe.frames.size(); ++k) {
            EXPECT_GT(probe.frames[k], probe.frames[k - 1]);
            EXPECT_GE(probe.sinceLastCall[k], 0.01f - 1e-6f);
            EXPECT_LE(probe.sinceLastPhase[k], 0.05f + 1e-6f);
            EXPECT_GE(probe.sinceLastPhase[k], 1.0f / 144 - 1e-6f);
        }
        XPLMUnregisterFlightLoopCallback(timingLoop, &probe);
        return probe.sinceLastCall;
    };
    const std::vector<float> first = run(7);
    ASSERT_GT(first.size(), 100u);
    EXPECT_LT(first.size(), 500u);
    EXPECT_GT(*std::max_element(first.begin(), first.end()),
              *std::min_element(first.begin(), first.end()) + 0.02f)
        << "the frames are uneven";
    EXPECT_EQ(run(7), first);
    EXPECT_NE(run(8), first);
}

// A paused simulator: the flight's time stands still, frames and flight-loop calls go on.
TEST_F(HostTest, APausedSimulatorKeepsCallingTheFlightLoop) {
    std::vector<double> hookTimes;
    xphost::setFrameHook([&hookTimes](double t) { hookTimes.push_back(t); });
    LoopProbe probe{0, 0.01f, {}};
    XPLMRegisterFlightLoopCallback(probeLoop, 0.01f, &probe);
    xphost::advanceSeconds(1.0);
    xphost::setPaused(true);
    xphost::advanceSeconds(1.0);
    EXPECT_EQ(probe.calls, 200);
    EXPECT_NEAR(xphost::simTime(), 1.0, 1e-9);
    EXPECT_NEAR(xphost::wallTime(), 2.0, 1e-9);
    EXPECT_EQ(hookTimes.back(), hookTimes[99]);
    xphost::setPaused(false);
    xphost::advanceSeconds(0.5);
    EXPECT_NEAR(xphost::simTime(), 1.5, 1e-9);
    EXPECT_EQ(probe.calls, 250);
}

TEST_F(HostTest, TenSimulatedSecondsRunInstantly) {
    LoopProbe probe{0, 0.01f, {}};
    XPLMRegisterFlightLoopCallback(probeLoop, 0.01f, &probe);
    xphost::advanceSeconds(10.0);
    EXPECT_EQ(probe.calls, 1000);
    EXPECT_NEAR(xphost::simTime(), 10.0, 1e-9);
}

// The simulator's API belongs to its main thread: a plug-in's own thread that logs or reads a
// dataref is caught, whichever function it calls.
TEST_F(HostTest, AnApiCallFromAnotherThreadIsAnError) {
    xphost::defineDataRef("test/x", DataRefKind::Float);
    std::thread other([] {
        XPLMDebugString("from another thread\n");
        XPLMFindDataRef("test/x");
    });
    other.join();
    ASSERT_EQ(xphost::hostErrors().size(), 2u);
    EXPECT_EQ(xphost::hostErrors()[0], "XPLMDebugString called off the simulator's main thread");
    EXPECT_EQ(xphost::hostErrors()[1], "XPLMFindDataRef called off the simulator's main thread");
    xphost::clearHostErrors();
    XPLMDebugString("from the main thread\n");
    EXPECT_TRUE(xphost::hostErrors().empty());
}

TEST(HostReset, RefusesRelativeAndOverlongRoots) {
    xphost::resetHost("relative/root");
    EXPECT_EQ(xphost::hostErrors().size(), 1u);
    EXPECT_TRUE(xphost::installRoot().empty());
    xphost::resetHost("/" + std::string(600, 'a'));
    EXPECT_EQ(xphost::hostErrors().size(), 1u);
    EXPECT_TRUE(xphost::installRoot().empty());
    xphost::clearHostErrors();
}

} // namespace
