#include "graph/graph_widget.h"

#include <cmath>
#include <limits>

#include "XPWidgetUtils.h"
#include "XPWidgets.h"
#include "graph/graph_view.h"
#include "graph/sample_store.h"

XPWidgetID createGraphWidget(int left, int top, int right, int bottom, int visible,
                             const char *descriptor, XPWidgetID container) {
    return XPCreateCustomWidget(left, top, right, bottom, visible, descriptor, 0, container,
                                graphWidgetCallback);
}

intptr_t graphProperty(XPWidgetID widget, int property) {
    return XPGetWidgetProperty(widget, property, nullptr);
}

void setGraphProperty(XPWidgetID widget, int property, intptr_t value) {
    XPSetWidgetProperty(widget, property, value);
}

GraphView readGraphView(XPWidgetID widget, GraphViewParts parts) {
    GraphView view{};
    view.Widget = widget;
    if (parts == GraphViewParts::Everything) {
        XPGetWidgetGeometry(widget, &view.Left, &view.Top, &view.Right, &view.Bottom);
        view.Height = view.Top - view.Bottom;
        view.MinPosition = graphProperty(widget, graphProp_MinPosition);
        view.MaxPosition = graphProperty(widget, graphProp_MaxPosition);
        view.PageStep = graphProperty(widget, graphProp_PageStep);
        view.Dragging = graphProperty(widget, graphProp_Dragging);
        view.FullSize = graphProperty(widget, graphProp_FullSize);
    }
    view.FirstSet = graphProperty(widget, graphProp_FirstSet);
    view.SetCount = graphProperty(widget, graphProp_SetCount);
    view.CurrentSet = graphProperty(widget, graphProp_CurrentSet);
    view.Position = graphProperty(widget, graphProp_Position);

    intptr_t set = view.CurrentSet;
    if (set < view.FirstSet) set = view.FirstSet;
    set = lowerToLastSet(set, view.SetCount);
    // The set range comes from properties anyone can write; the store has three sets and
    // indexes them unchecked.
    if (set < 0) set = 0;
    if (set > SampleStore::kSets - 1) set = SampleStore::kSets - 1;
    view.Set = static_cast<int>(set);
    return view;
}

namespace {
int handleGraphMessage(XPWidgetMessage message, XPWidgetID widget, intptr_t param1,
                       intptr_t param2) {
    if (XPUSelectIfNeeded(message, widget, param1, param2, 1) != 0) return 1;
    // Every message starts from the properties as they stand now. Reading has no side effects,
    // so the property messages, many per tick while recording, read only what they use.
    const bool propertyMessage = message == xpMsg_PropertyChanged || message == xpMsg_Create;
    const GraphView view = readGraphView(widget, propertyMessage ? GraphViewParts::SetAndPosition
                                                                 : GraphViewParts::Everything);
    const auto *mouse = reinterpret_cast<const XPMouseState_t *>(param1);
    switch (message) {
    case xpMsg_Create:
        handleGraphCreate(view);
        return 1;
    case xpMsg_Draw:
        handleGraphDraw(view);
        return 1;
    case xpMsg_MouseDown:
        handleGraphMouseDown(view, mouse);
        return 1;
    case xpMsg_MouseDrag:
        handleGraphMouseDrag(view, mouse);
        return 1;
    case xpMsg_MouseUp:
        handleGraphMouseUp(view, mouse);
        return 1;
    case xpMsg_PropertyChanged:
        handleGraphPropertyChanged(view);
        return 1;
    default:
        // xpMsg_Destroy included: the store and the enabled table are program-wide.
        return 0;
    }
}
} // namespace

int graphWidgetCallback(XPWidgetMessage message, XPWidgetID widget, intptr_t param1,
                        intptr_t param2) {
    // An exception (an append that finds no memory) must never unwind into the simulator:
    // answer as if the message had done nothing, as the plug-in's other callbacks do.
    try {
        return handleGraphMessage(message, widget, param1, param2);
    } catch (...) {
        return 0;
    }
}

double roundHalfUp(double x) {
    // std::trunc stays in double precision, so no argument can overflow an integer type.
    const double n = std::trunc(x);
    return x - n >= 0.5 ? n + 1.0 : n;
}
