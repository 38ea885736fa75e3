#pragma once
// What the graph, graph-window and sampler tests share: a graph widget standing alone in a
// window of its own, the plug-in started as the simulator starts it, and reading the screen.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "core/app_state.h"
#include "graph/export_writer.h"
#include "graph/graph_widget.h"
#include "graph/sample_store.h"
#include "plugin_entry.h"
#include "support/host_fixture.h"
#include "xphost/datarefs.h"
#include "xphost/menus.h"
#include "xphost/screen.h"
#include "xphost/widgets.h"

namespace graph_test {

inline intptr_t prop(XPWidgetID widget, int property) {
    return XPGetWidgetProperty(widget, property, nullptr);
}

inline void clearStore() {
    for (int set = 0; set < SampleStore::kSets; ++set)
        gSampleStore.clearSet(set);
}

// The sampler's road for one sample: set, sample, request.
inline void appendThroughWidget(XPWidgetID graph, int set, const float (&values)[8]) {
    XPSetWidgetProperty(graph, graphProp_CurrentSet, set);
    XPSetWidgetProperty(graph, graphProp_Sample, reinterpret_cast<intptr_t>(values));
    XPSetWidgetProperty(graph, graphProp_SampleReady, 1);
}

// A graph widget in a window of its own, as the graph window places it: 700 wide, 500 tall at
// full size and 200 otherwise, its bottom at y 100.
class StandaloneGraphTest : public plotwright_test::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        clearStore();
    }
    void TearDown() override {
        if (window_ != nullptr) XPDestroyWidget(window_, 1);
        gCsvExportWriter.finish(kExportStopGrace);
        clearStore();
        HostTest::TearDown();
    }

    void makeGraph(bool fullSize) {
        const int height = fullSize ? 500 : 200;
        window_ = XPCreateWidget(200, 150 + height, 1000, 50, 1, "Graph test", 1, nullptr,
                                 xpWidgetClass_MainWindow);
        graph_ = createGraphWidget(kLeft, kBottom + height, kRight, kBottom, 1, "", window_);
        XPSetWidgetProperty(graph_, graphProp_FullSize, fullSize ? 1 : 0);
        XPSetWidgetProperty(graph_, graphProp_Enabled, reinterpret_cast<intptr_t>(enabled_));
    }

    void enableOnly(int set, std::initializer_list<int> channels) {
        std::memset(enabled_, 0, sizeof enabled_);
        for (int channel : channels)
            enabled_[set][channel] = 1;
        XPSetWidgetProperty(graph_, graphProp_Enabled, reinterpret_cast<intptr_t>(enabled_));
    }

    // Appends `count` samples to the set; channel c of sample j holds value(j, c).
    template <typename ValueOf> void record(int set, int count, ValueOf value) {
        for (int j = 0; j < count; ++j) {
            float sample[8];
            for (int c = 0; c < 8; ++c)
                sample[c] = value(j, c);
            appendThroughWidget(graph_, set, sample);
        }
    }

    static constexpr int kLeft = 250;
    static constexpr int kRight = 950;
    static constexpr int kBottom = 100;

    XPWidgetID window_ = nullptr;
    XPWidgetID graph_ = nullptr;
    int32_t enabled_[3][8] = {};
};

// The plug-in started as the simulator starts it, stopped at the end.
class PluginTest : public plotwright_test::HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        clearStore();
    }
    void TearDown() override {
        if (started_) XPluginStop();
        clearStore();
        HostTest::TearDown();
    }

    void start() {
        char name[256], signature[256], description[256];
        ASSERT_EQ(XPluginStart(name, signature, description), 1);
        started_ = true;
        state_ = gAppState;
    }

    void open(const char *item) {
        std::string error;
        ASSERT_TRUE(xphost::chooseMenuItem({"Plotwrite", item}, &error)) << error;
    }

    // Points a channel at a dataref the host defines, as Check DataRef would.
    void useDataRef(int set, int channel, const std::string &name, float scaling) {
        std::strncpy(state_->Name[set][channel], name.c_str(), kTextSize - 1);
        state_->DataRefHandle[set][channel] = XPLMFindDataRef(name.c_str());
        ASSERT_NE(state_->DataRefHandle[set][channel], nullptr) << name;
        state_->Enabled[set][channel] = 1;
        state_->Scaling[set][channel] = scaling;
    }

    void tick(int count = 1) {
        for (int i = 0; i < count; ++i)
            EXPECT_FLOAT_EQ(state_->onFlightLoop(0.01f, 0.01f, 0, nullptr), 0.01f);
    }

    void press(XPWidgetID button) { ASSERT_TRUE(xphost::clickWidget(button)); }

    AppState *state_ = nullptr;
    bool started_ = false;
};

// The colour of a pixel, as read back.
struct Rgb {
    int Red, Green, Blue;
};

inline Rgb pixel(const xphost::Image &image, int x, int y) {
    const std::uint8_t *p = image.at(x, y);
    return {p[0], p[1], p[2]};
}

inline bool near(const Rgb &a, const Rgb &b, int tolerance = 3) {
    return std::abs(a.Red - b.Red) <= tolerance && std::abs(a.Green - b.Green) <= tolerance &&
           std::abs(a.Blue - b.Blue) <= tolerance;
}

inline std::string describe(const Rgb &c) {
    return "(" + std::to_string(c.Red) + ", " + std::to_string(c.Green) + ", " +
           std::to_string(c.Blue) + ")";
}

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kGrid{128, 128, 128};
constexpr Rgb kChannelRgb[8] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},   {255, 255, 255},
                                {0, 255, 255}, {255, 255, 0}, {255, 0, 255}, {204, 204, 204}};

inline std::string outputFolder() { return std::string(PLOTWRIGHT_TEST_OUTPUT_DIR) + "/"; }

} // namespace graph_test
