// The host's stand-ins for the simulator's datarefs, menus, flight loop, log and paths: what the
// plug-in's tests rely on them to do, and the strictness that keeps those tests honest.
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "XPLMDataAccess.h"
#include "XPLMMenus.h"
#include "XPLMProcessing.h"
#include "XPLMUtilities.h"
#include "support/host_fixture.h"
#include "xphost/datarefs.h"
#include "xphost/flight_loop.h"
#include "xphost/host.h"
#include "xphost/menus.h"

namespace {
using plotwright_test::HostTest;
using xphost::DataRefKind;

TEST_F(HostTest, SystemPathEndsWithSeparatorAndLogAppendsUnchanged) {
    char path[512];
    XPLMGetSystemPath(path);
    EXPECT_EQ(std::string(path), root_);
#if defined(_WIN32)
    const char *separator = "\\";
#else
    const char *separator = "/";
#endif
    EXPECT_EQ(path[std::strlen(path) - 1], separator[0]);
    EXPECT_STREQ(XPLMGetDirectorySeparator(), separator);
    XPLMDebugString("one ");
    XPLMDebugString("two\n");
    EXPECT_EQ(xphost::logText(), "one two\n");
    EXPECT_TRUE(plotwright_test::fileExists(root_ + "Log.txt"));
    EXPECT_TRUE(plotwright_test::fileExists(pluginDir_));
}

TEST_F(HostTest, ScalarDatarefsReportTheirTypesAndConvert) {
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

TEST_F(HostTest, OddTypeMasksAndMisuseAreVisible) {
    XPLMDataRef odd = xphost::defineDataRefWithTypes("test/odd", 3);
    EXPECT_EQ(XPLMGetDataRefTypes(odd), 3);
    EXPECT_EQ(XPLMGetDatai(odd), 0);
    EXPECT_TRUE(xphost::hostErrors().empty());

    int bogus = 0;
    XPLMGetDatai(&bogus); // a handle the host never gave out
    xphost::setDataRefValue("test/unknown", 1.0);
    ASSERT_EQ(xphost::hostErrors().size(), 2u);
    EXPECT_NE(xphost::hostErrors()[0].find("unknown dataref handle"), std::string::npos);
    xphost::clearHostErrors();
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
