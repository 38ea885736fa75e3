// The headless host's own costs, so the plug-in's benchmarks measure the plug-in: a property
// write with its synchronous xpMsg_PropertyChanged, a property read, a key typed into a field,
// and a whole frame of a window like the plug-in's (text, buttons, a custom widget with a track).

#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <string>

#include "XPStandardWidgets.h"
#include "XPUIGraphics.h"
#include "XPWidgets.h"
#include "xphost/host.h"
#include "xphost/screen.h"
#include "xphost/widgets.h"

namespace {

void freshHost() {
    static std::string folder;
    if (folder.empty()) {
        char pattern[] = "/tmp/plotwright-host-bench-XXXXXX";
        const char *made = mkdtemp(pattern);
        if (made == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        folder = std::string(made) + "/";
    }
    xphost::resetHost(folder);
}

int countingWidget(XPWidgetMessage message, XPWidgetID, intptr_t, intptr_t) {
    static int seen;
    if (message == xpMsg_PropertyChanged) ++seen;
    return message == xpMsg_PropertyChanged ? 1 : 0;
}
int passingCallback(XPWidgetMessage, XPWidgetID, intptr_t, intptr_t) { return 0; }

int trackWidget(XPWidgetMessage message, XPWidgetID widget, intptr_t, intptr_t) {
    if (message != xpMsg_Draw) return 0;
    int left = 0, top = 0, right = 0, bottom = 0;
    XPGetWidgetGeometry(widget, &left, &top, &right, &bottom);
    glColor3f(0.0f, 0.0f, 0.0f);
    glBegin(GL_POLYGON);
    glVertex2i(left, top);
    glVertex2i(right, top);
    glVertex2i(right, bottom);
    glVertex2i(left, bottom);
    glEnd();
    XPDrawTrack(left, bottom + 20, right, bottom, 0, 1000, 500, xpTrack_ScrollBar, 0);
    return 1;
}

void BM_SetPropertyWithDelivery(benchmark::State &state) {
    freshHost();
    XPWidgetID window =
        XPCreateWidget(0, 500, 800, 0, 1, "W", 1, nullptr, xpWidgetClass_MainWindow);
    XPAddWidgetCallback(window, passingCallback);
    XPWidgetID widget = XPCreateCustomWidget(10, 400, 700, 10, 1, "", 0, window, countingWidget);
    XPAddWidgetCallback(widget, passingCallback);
    intptr_t value = 0;
    for (auto _ : state)
        XPSetWidgetProperty(widget, 2301, ++value);
}
BENCHMARK(BM_SetPropertyWithDelivery);

void BM_GetProperty(benchmark::State &state) {
    freshHost();
    XPWidgetID widget = XPCreateCustomWidget(10, 400, 700, 10, 1, "", 1, nullptr, countingWidget);
    for (int property = 2301; property <= 2318; ++property)
        XPSetWidgetProperty(widget, property, property);
    for (auto _ : state)
        benchmark::DoNotOptimize(XPGetWidgetProperty(widget, 2308, nullptr));
}
BENCHMARK(BM_GetProperty);

void BM_TypeKeyIntoField(benchmark::State &state) {
    freshHost();
    XPWidgetID window =
        XPCreateWidget(0, 500, 800, 0, 1, "W", 1, nullptr, xpWidgetClass_MainWindow);
    XPWidgetID field = XPCreateWidget(10, 100, 300, 80, 1, "", 0, window, xpWidgetClass_TextField);
    xphost::clickWidget(field);
    for (auto _ : state) {
        xphost::typeText("a");
        xphost::typeText("\b");
    }
}
BENCHMARK(BM_TypeKeyIntoField);

void BM_DrawFrameOfAGraphWindow(benchmark::State &state) {
    freshHost();
    std::string error;
    if (!xphost::ensureGraphics(&error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    XPWidgetID window = XPCreateWidget(200, 650, 1000, 50, 1, "Plotwright v1.40 - bench", 1,
                                       nullptr, xpWidgetClass_MainWindow);
    XPSetWidgetProperty(window, xpProperty_MainWindowHasCloseBoxes, 1);
    XPCreateCustomWidget(250, 600, 950, 100, 1, "", 0, window, trackWidget);
    for (int k = 0; k < 8; ++k)
        XPCreateWidget(250 + 90 * k, 102, 330 + 90 * k, 80, 1, "DR1 - Red", 0, window,
                       xpWidgetClass_Caption);
    for (int k = 0; k < 11; ++k)
        XPCreateWidget(950, 112 + 50 * k, 1000, 90 + 50 * k, 1, "-250", 0, window,
                       xpWidgetClass_Caption);
    for (int k = 0; k < 14; ++k)
        XPCreateWidget(250 + 50 * k, 80, 295 + 50 * k, 50, 1, " Stop", 0, window,
                       xpWidgetClass_Button);
    for (auto _ : state) {
        xphost::drawFrame();
        glFinish();
    }
}
BENCHMARK(BM_DrawFrameOfAGraphWindow)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
