// One frame of the graph: dark box, black plot area, grid, the shown set's enabled series and
// the scroll track. The 700-column window bounds the cost whatever the recording's length.

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "XPLMGraphics.h"
#include "XPUIGraphics.h"
#include "graph/gl_header.h"
#include "graph/graph_view.h"
#include "graph/sample_store.h"

namespace {
struct Colour {
    float Red;
    float Green;
    float Blue;
};

// DR1 to DR8: red, green, blue, white, cyan, yellow, magenta, grey.
constexpr Colour kChannelColours[SampleStore::kChannels] = {
    {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, {1.0f, 1.0f, 1.0f},
    {0.0f, 1.0f, 1.0f}, {1.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 1.0f}, {0.8f, 0.8f, 0.8f},
};

void fillBlack(const GraphView &view) {
    glColor3f(0.0f, 0.0f, 0.0f);
    glBegin(GL_POLYGON);
    glVertex2i(view.Left, view.Top);
    glVertex2i(view.Right, view.Top);
    glVertex2i(view.Right, view.Bottom);
    glVertex2i(view.Left, view.Bottom);
    glEnd();
}

void drawGrid(const GraphView &view) {
    const int pitch = view.FullSize != 0 ? 50 : 20;
    glColor3f(0.5f, 0.5f, 0.5f);
    for (int y = 0; y < view.Height; y += pitch) {
        glBegin(GL_LINES);
        glVertex2i(view.Left, view.Bottom + y);
        glVertex2i(view.Right, view.Bottom + y);
        glEnd();
    }
}

// The samples [first, end) of one channel, one per column from the left edge. A value that is
// not a number breaks the line there rather than handing the driver a NaN vertex. A strip is
// opened only at its first finite vertex: an empty glBegin/glEnd pair makes Mesa drop every
// later line strip of the frame, which would blank the whole graph.
void drawSeries(const GraphView &view, const SampleStore::Series &series, std::size_t first,
                std::size_t end, float scale, float middle) {
    const float bottom = static_cast<float>(view.Bottom);
    const float top = static_cast<float>(view.Top);
    bool stripOpen = false;
    float x = static_cast<float>(view.Left);
    for (std::size_t j = first; j < end; ++j, x += 1.0f) {
        const float v = series[j];
        float y = v * scale + middle;
        if (std::isnan(y)) {
            if (stripOpen) glEnd();
            stripOpen = false;
            continue;
        }
        if (y < bottom) y = bottom;
        if (y > top) y = top;
        if (!stripOpen) glBegin(GL_LINE_STRIP);
        stripOpen = true;
        glVertex2f(x, y);
    }
    if (stripOpen) glEnd();
}

void drawChannels(const GraphView &view) {
    const float scale = view.FullSize != 0 ? 1.0f : 0.4f;
    const float middle = static_cast<float>(view.Bottom + view.Height / 2);

    const intptr_t start =
        view.Position >= kGraphShownSamples ? view.Position - kGraphShownSamples : 0;
    // MaxPosition follows the set last appended to or cleared, which need not be the set shown:
    // never read past the shown set's own last sample.
    const std::size_t count = gSampleStore.sampleCount(view.Set);
    const std::size_t maxPosition =
        view.MaxPosition > 0 ? static_cast<std::size_t>(view.MaxPosition) : 0;
    const std::size_t limit = std::min(count, maxPosition);
    const std::size_t first = static_cast<std::size_t>(start);
    if (first >= limit) return;
    const std::size_t end = std::min(limit, first + kGraphShownSamples);

    const int32_t(&enabled)[SampleStore::kChannels] = graphEnabledTable()[view.Set];
    for (int channel = 0; channel < SampleStore::kChannels; ++channel) {
        if (enabled[channel] == 0) continue;
        const Colour &colour = kChannelColours[channel];
        glColor3f(colour.Red, colour.Green, colour.Blue);
        drawSeries(view, gSampleStore.series(view.Set, channel), first, end, scale, middle);
    }
}
} // namespace

void handleGraphDraw(const GraphView &view) {
    XPLMDrawTranslucentDarkBox(view.Left, view.Top, view.Right, view.Bottom);
    // The simulator hands a draw whatever state the drawing before it left, and the dark box
    // itself leaves texturing and blending on: the plain lines below need the plain state.
    XPLMSetGraphicsState(0, 0, 0, 0, 0, 0, 0);
    fillBlack(view);
    drawGrid(view);
    drawChannels(view);
    XPDrawTrack(view.Left, view.Bottom + kGraphTrackBandHeight, view.Right, view.Bottom,
                clampToInt(view.MinPosition), clampToInt(view.MaxPosition),
                clampToInt(view.Position), xpTrack_ScrollBar, view.Dragging != 0 ? 1 : 0);
}
