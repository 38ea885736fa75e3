// The cost of the plug-in on the simulator's thread: one flight-loop tick with recording on and
// all three windows built (48 dataref reads, 24 appends, 48 captions), timed tick by tick over
// 100,000 ticks for the median and the worst; the dataref lookup pass the tick makes about once
// a second; and one draw of a full 700-sample graph.

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "XPLMGraphics.h"
#include "XPUIGraphics.h"
#include "XPWidgets.h"
#include "core/app_state.h"
#include "graph/gl_header.h"
#include "graph/graph_widget.h"
#include "graph/sample_store.h"
#include "plugin_entry.h"
#include "xphost/datarefs.h"
#include "xphost/host.h"
#include "xphost/menus.h"
#include "xphost/screen.h"

namespace {
using Clock = std::chrono::steady_clock;

std::string makeInstallFolder() {
    char pattern[] = "/tmp/plotwright-bench-XXXXXX";
    const char *folder = mkdtemp(pattern);
    if (folder == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return std::string(folder) + "/";
}

// Every channel of every set on a dataref of its own, of the kinds the simulator offers.
void defineChannels() {
    const xphost::DataRefKind kinds[] = {xphost::DataRefKind::Float, xphost::DataRefKind::Int,
                                         xphost::DataRefKind::FloatDouble,
                                         xphost::DataRefKind::FloatArray};
    for (int set = 0; set < kSetCount; ++set) {
        for (int channel = 0; channel < kChannelCount; ++channel) {
            const std::string name =
                "bench/set" + std::to_string(set) + "/channel" + std::to_string(channel);
            const xphost::DataRefKind kind = kinds[(set * kChannelCount + channel) % 4];
            xphost::defineDataRef(name, kind, 8);
            if (kind == xphost::DataRefKind::FloatArray)
                xphost::setDataRefElement(name, 3, 12.5 + channel);
            else
                xphost::setDataRefValue(name, -1.23456 * (channel + 1));
            AppState &state = *gAppState;
            std::snprintf(state.Name[set][channel], kTextSize, "%s", name.c_str());
            state.DataRefHandle[set][channel] = XPLMFindDataRef(name.c_str());
            state.Enabled[set][channel] = 1;
            state.Scaling[set][channel] = 2.0f;
            state.Index[set][channel] = 3;
        }
    }
}

void chooseItem(const char *item) {
    std::string error;
    if (!xphost::chooseMenuItem({"Plotwrite", item}, &error)) {
        std::fprintf(stderr, "menu item %s: %s\n", item, error.c_str());
        std::exit(1);
    }
}

// The tick at a frame rate: at 100 frames a second each call records one row per set, at 30 about
// three and a third.
void reportTicks(double framesPerSecond) {
    constexpr int kWarmUp = 1000;
    constexpr int kTicks = 100000;
    const float elapsed = static_cast<float>(1.0 / framesPerSecond);
    AppState &state = *gAppState;
    state.Recording = 1;
    for (int i = 0; i < kWarmUp; ++i)
        state.onFlightLoop(elapsed, elapsed, i, nullptr);

    std::vector<double> micros(kTicks);
    const std::size_t rowsBefore = gSampleStore.sampleCount(0);
    for (int i = 0; i < kTicks; ++i) {
        const Clock::time_point begin = Clock::now();
        state.onFlightLoop(elapsed, elapsed, i, nullptr);
        micros[i] = std::chrono::duration<double, std::micro>(Clock::now() - begin).count();
    }
    state.Recording = 0;
    const double rowsPerCall =
        static_cast<double>(gSampleStore.sampleCount(0) - rowsBefore) / kTicks;
    std::sort(micros.begin(), micros.end());
    std::printf("tick at %.0f frames a second (%.2f rows a call), recording, three windows built, "
                "%d ticks:\n",
                framesPerSecond, rowsPerCall, kTicks);
    std::printf("  median %.2f us, 99th percentile %.2f us, 99.99th %.2f us, worst %.2f us\n",
                micros[kTicks / 2], micros[kTicks * 99 / 100], micros[kTicks * 9999 / 10000],
                micros.back());
    std::printf("  samples per set after the run: %zu\n", gSampleStore.sampleCount(0));
    std::fflush(stdout);
}

// The lookup pass the tick makes about once a second: with every channel on its dataref it
// only asks whether each handle is still good; with 24 names not published (yet) it also
// looks each up by name.
void reportLookUps() {
    constexpr int kPasses = 10000;
    AppState &state = *gAppState;
    auto medianPass = [&] {
        std::vector<double> micros(kPasses);
        for (double &m : micros) {
            const Clock::time_point begin = Clock::now();
            state.lookUpDataRefs();
            m = std::chrono::duration<double, std::micro>(Clock::now() - begin).count();
        }
        std::sort(micros.begin(), micros.end());
        return micros[kPasses / 2];
    };
    const double resolved = medianPass();
    XPLMDataRef handles[kSetCount][kChannelCount];
    std::memcpy(handles, state.DataRefHandle, sizeof handles);
    for (int set = 0; set < kSetCount; ++set) {
        for (int channel = 0; channel < kChannelCount; ++channel) {
            std::snprintf(state.Name[set][channel], kTextSize, "acf/custom/not_yet/%d/%d", set,
                          channel);
            state.DataRefHandle[set][channel] = nullptr;
            state.AwaitingDataRef[set][channel] = 1;
        }
    }
    const double missing = medianPass();
    std::memcpy(state.DataRefHandle, handles, sizeof handles);
    std::memset(state.AwaitingDataRef, 0, sizeof state.AwaitingDataRef);
    std::printf("lookup pass, about once a second (median of %d):\n", kPasses);
    std::printf("  24 datarefs held %.2f us, 24 names not published %.2f us\n", resolved, missing);
    std::fflush(stdout);
}

double threadCpuMicros() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

// The same host and GL calls as a full draw, with nothing computed: what the host and the
// driver cost on their own.
// The rows the graph's lines pass through, worked out once beforehand, so that the bare calls
// below hand the driver exactly the vertices the graph hands it.
std::vector<float> gLineRows;

void prepareLineRows() {
    const std::size_t count = gSampleStore.sampleCount(0);
    gLineRows.clear();
    for (int channel = 0; channel < kChannelCount; ++channel) {
        for (std::size_t j = count - 700; j < count; ++j) {
            float y = gSampleStore.series(0, channel)[j] * 1.0f + 350.0f;
            gLineRows.push_back(std::min(600.0f, std::max(100.0f, y)));
        }
    }
}

constexpr float kLineColours[kChannelCount][3] = {
    {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f},
    {0.0f, 1.0f, 1.0f}, {1.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 1.0f}, {0.8f, 0.8f, 0.8f}};

void issueDrawGlCallsOnly() {
    XPLMDrawTranslucentDarkBox(250, 600, 950, 100);
    glColor3f(0.0f, 0.0f, 0.0f);
    glBegin(GL_POLYGON);
    glVertex2i(250, 600);
    glVertex2i(950, 600);
    glVertex2i(950, 100);
    glVertex2i(250, 100);
    glEnd();
    glColor3f(0.5f, 0.5f, 0.5f);
    for (int y = 0; y < 500; y += 50) {
        glBegin(GL_LINES);
        glVertex2i(250, 100 + y);
        glVertex2i(950, 100 + y);
        glEnd();
    }
    for (int channel = 0; channel < kChannelCount; ++channel) {
        glColor3f(kLineColours[channel][0], kLineColours[channel][1], kLineColours[channel][2]);
        glBegin(GL_LINE_STRIP);
        const float *rows = &gLineRows[static_cast<std::size_t>(channel) * 700];
        for (int x = 0; x < 700; ++x)
            glVertex2f(250.0f + static_cast<float>(x), rows[x]);
        glEnd();
    }
    XPDrawTrack(250, 120, 950, 100, 0, 101000, 101000, xpTrack_ScrollBar, 0);
}

constexpr int kDraws = 2000;
double gFullDrawMicros = 0.0;
double gGlOnlyMicros = 0.0;

template <typename Draw> double medianThreadCpu(Draw draw) {
    std::vector<double> micros(kDraws);
    for (double &m : micros) {
        const double begin = threadCpuMicros();
        draw();
        m = threadCpuMicros() - begin;
    }
    glFinish();
    std::sort(micros.begin(), micros.end());
    return micros[kDraws / 2];
}

// Runs ahead of the graph's own function inside a real frame, where the host allows drawing:
// times many draws of the full graph and of the bare GL calls, then lets the frame go on.
int timingCallback(XPWidgetMessage message, XPWidgetID widget, intptr_t param1, intptr_t param2) {
    if (message != xpMsg_Draw) return 0;
    // Alternated, and the first rounds thrown away: the driver warms up on the first draws.
    for (int round = 0; round < 3; ++round) {
        gGlOnlyMicros = medianThreadCpu(issueDrawGlCallsOnly);
        gFullDrawMicros =
            medianThreadCpu([&] { graphWidgetCallback(xpMsg_Draw, widget, param1, param2); });
        std::printf("  round %d: whole draw %.1f us, the same calls alone %.1f us\n", round,
                    gFullDrawMicros, gGlOnlyMicros);
    }
    return 0;
}

void reportDraw() {
    std::string error;
    if (!xphost::ensureGraphics(&error)) {
        std::printf("draw: skipped, %s\n", error.c_str());
        return;
    }
    AppState &state = *gAppState;
    XPShowWidget(state.GraphWindowWidget);
    prepareLineRows();
    XPAddWidgetCallback(state.GraphWidget, timingCallback);
    xphost::drawFrame();
    std::printf("draw of a full 700-sample graph, 8 channels, tall (thread CPU, median of %d):\n",
                kDraws);
    std::printf("  whole draw %.1f us, the same GL calls alone %.1f us, the graph's own part "
                "%.1f us\n",
                gFullDrawMicros, gGlOnlyMicros, gFullDrawMicros - gGlOnlyMicros);
}
} // namespace

int main(int argc, char **argv) {
    // --ticks-only leaves out the draw, for profiling the tick alone.
    const bool ticksOnly = argc > 1 && std::strcmp(argv[1], "--ticks-only") == 0;
    xphost::resetHost(makeInstallFolder());
    char name[256], signature[256], description[256];
    if (XPluginStart(name, signature, description) != 1) return 1;
    defineChannels();
    chooseItem("Graph Window");
    chooseItem("DataRef Setup");
    chooseItem("DataRef Scaling");
    reportTicks(100.0);
    reportTicks(30.0);
    reportLookUps();

    if (!ticksOnly) reportDraw();

    XPluginStop();
    for (const std::string &hostError : xphost::hostErrors())
        std::fprintf(stderr, "host error: %s\n", hostError.c_str());
    return xphost::hostErrors().empty() ? 0 : 1;
}
