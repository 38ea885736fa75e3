// The real module loaded, started, stopped and unloaded again and again in one process, as a
// simulator reloading its plug-ins does: every cycle gives back the widgets, menus, menu items,
// flight loops and memory its start and the user's session took, and a second start records
// afresh. `make memcheck` runs the first test under valgrind.
#include <malloc.h>

#include <cstdio>
#include <string>

#include "support/host_fixture.h"
#include "xphost/datarefs.h"
#include "xphost/flight_loop.h"
#include "xphost/menus.h"
#include "xphost/plugin_loader.h"
#include "xphost/widgets.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's count of the bytes its allocator hands out (GCC ships no header).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
// The sanitizer adds an exit handler of its own, never removed, beside each one a loaded module
// registers: libc's list of exit handlers then grows by two 32-byte entries a cycle for each of
// the module's three program-wide objects (the sample store, the export writer and the
// recording's journal).
constexpr std::size_t kSlackPerCycle = 224;
#else
// Less than 16 bytes a cycle: below any object the plug-in or the host keeps.
constexpr std::size_t kSlackPerCycle = 16;
#endif

namespace {
using plotwright_test::HostTest;

// Bytes the program holds from the heap: the sanitizer's allocator keeps its own count.
std::size_t heapBytesInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

struct Census {
    std::size_t Widgets, Menus, PluginsMenuItems, FlightLoops;
    bool operator==(const Census &other) const {
        return Widgets == other.Widgets && Menus == other.Menus &&
               PluginsMenuItems == other.PluginsMenuItems && FlightLoops == other.FlightLoops;
    }
};

Census census() {
    return {xphost::liveWidgetCount(), xphost::menuCount(),
            xphost::menuItems(xphost::pluginsMenu()).size(), xphost::registeredFlightLoopCount()};
}

std::string describe(const Census &c) {
    return std::to_string(c.Widgets) + " widgets, " + std::to_string(c.Menus) + " menus, " +
           std::to_string(c.PluginsMenuItems) + " Plugins-menu items, " +
           std::to_string(c.FlightLoops) + " flight loops";
}

class StartStopTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        plotwright_test::writeFile(pluginDir_ + "Plotwright.ini",
                                   "[DATASET1]\nName1 = test/frame\nScaling1 = 1.0\n");
        xphost::defineDataRef("test/frame", xphost::DataRefKind::Int);
        xphost::setFrameHook([](double simTime) {
            xphost::setDataRefValue("test/frame", static_cast<double>(simTime * 100.0));
        });
    }
    void TearDown() override {
        module_.unload();
        xphost::setFrameHook(nullptr);
        HostTest::TearDown();
    }

    // A user's session, from load to unload: every window opened, a recording of `ticks`
    // samples (the plug-in's first tick comes a tenth of a second after its start), exported.
    void session(int ticks) {
        std::string error;
        ASSERT_TRUE(module_.load(plotwright_test::modulePath(), &error)) << error;
        ASSERT_EQ(module_.start(), 1);
        // The graph window last, on top, where its buttons take the clicks.
        for (const char *item : {"DataRef Setup", "DataRef Scaling", "Graph Window"})
            ASSERT_TRUE(xphost::chooseMenuItem({"Plotwrite", item}, &error)) << error;
        XPWidgetID graph = xphost::findWindow("Plotwright");
        ASSERT_NE(graph, nullptr);
        xphost::runFrames(10);
        ASSERT_TRUE(xphost::clickWidget(xphost::findDescendants(graph, " Record").at(0)));
        xphost::runFrames(ticks);
        ASSERT_TRUE(xphost::clickWidget(xphost::findDescendants(graph, " Stop").at(0)));
        ASSERT_TRUE(xphost::clickWidget(xphost::findDescendants(graph, " Export").at(0)));
        module_.unload();
    }

    std::size_t exportedRows() {
        const std::string text = plotwright_test::readFile(pluginDir_ + "Plotwright1.csv");
        std::size_t rows = 0;
        for (char c : text)
            rows += c == '\n' ? 1 : 0;
        return rows;
    }

    xphost::PluginModule module_;
};

TEST_F(StartStopTest, RecordingStopAndASecondStart) {
    const Census before = census();
    session(300);
    EXPECT_EQ(exportedRows(), 300u);
    EXPECT_TRUE(census() == before) << describe(census()) << ", wanted " << describe(before);
    session(120);
    EXPECT_EQ(exportedRows(), 120u);
    EXPECT_TRUE(census() == before) << describe(census()) << ", wanted " << describe(before);
}

TEST_F(StartStopTest, AThousandCyclesLeaveNothingBehind) {
    constexpr int kCycles = 1000;
    constexpr int kWarmUp = 20; // the allocators' own bookkeeping settles first
    constexpr std::size_t kSlackBytes = kSlackPerCycle * (kCycles - kWarmUp);
    const Census before = census();
    std::size_t warmHeap = 0;
    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        session(5);
        ASSERT_TRUE(census() == before)
            << "cycle " << cycle << ": " << describe(census()) << ", wanted " << describe(before);
        if (cycle == kWarmUp) warmHeap = heapBytesInUse();
    }
    const std::size_t heap = heapBytesInUse();
    std::printf("heap in use after cycle %d: %zu bytes, after cycle %d: %zu bytes; after every "
                "cycle: %s\n",
                kWarmUp, warmHeap, kCycles, heap, describe(census()).c_str());
    EXPECT_LE(heap, warmHeap + kSlackBytes) << "the heap grew by " << heap - warmHeap
                                            << " bytes over " << kCycles - kWarmUp << " cycles";
    EXPECT_EQ(exportedRows(), 5u);
}

} // namespace
