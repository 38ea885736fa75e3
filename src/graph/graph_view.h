#pragma once
// What every message of the graph widget starts from: the widget's edges and its properties,
// read afresh for each message (the widget caches nothing between messages), and the handlers
// that act on them.

#include <cstdint>

#include "XPWidgetDefs.h"
#include "graph/position_math.h"

// The widget is made for an area 700 pixels wide and shows one sample per pixel column.
constexpr int kGraphShownSamples = 700;
// The scroll track fills the strip from the bottom edge to 20 pixels above it.
constexpr int kGraphTrackBandHeight = 20;

// Fields that a message's GraphViewParts leave out stay 0.
struct GraphView {
    XPWidgetID Widget;
    int Left;
    int Top;
    int Right;
    int Bottom;
    int Height;
    intptr_t FirstSet;
    intptr_t SetCount;
    intptr_t CurrentSet;
    intptr_t Position;
    intptr_t MinPosition;
    intptr_t MaxPosition;
    intptr_t PageStep;
    intptr_t Dragging;
    intptr_t FullSize;
    // CurrentSet raised to FirstSet and lowered to SetCount - 1, and kept within the sample
    // store's sets whatever those two properties hold.
    int Set;
};

enum class GraphViewParts {
    SetAndPosition, // the set range, the current set and Position: what property messages use
    Everything,
};
GraphView readGraphView(XPWidgetID widget, GraphViewParts parts);

intptr_t graphProperty(XPWidgetID widget, int property);
void setGraphProperty(XPWidgetID widget, int property, intptr_t value);

// The position a thumb drag gives for the pointer at pointerX on a track from left to right
// with the given button and thumb sizes: the thumb's centre follows the pointer. Always within
// minPosition..maxPosition (maxPosition wins if they cross); minPosition when the track leaves
// no room to move.
intptr_t graphDragPosition(int pointerX, int left, int right, int downButton, int thumb,
                           int upButton, intptr_t minPosition, intptr_t maxPosition);

void handleGraphCreate(const GraphView &view);
void handleGraphDraw(const GraphView &view);
void handleGraphMouseDown(const GraphView &view, const XPMouseState_t *mouse);
void handleGraphMouseDrag(const GraphView &view, const XPMouseState_t *mouse);
void handleGraphMouseUp(const GraphView &view, const XPMouseState_t *mouse);
void handleGraphPropertyChanged(const GraphView &view);

// The program-wide copy of the AppState's Enabled block, [set][channel]; all zero until the
// first copy. Exposed read-only for drawing and for tests.
using GraphEnabledTable = int32_t[3][8];
const GraphEnabledTable &graphEnabledTable();
void clearGraphEnabledTable();
