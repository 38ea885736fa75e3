#include "graph/graph_widget.h"

#include "XPWidgets.h"

// Placeholder until the graph widget lands: an inert custom widget.
XPWidgetID createGraphWidget(int left, int top, int right, int bottom, int visible,
                             const char *descriptor, XPWidgetID container) {
    return XPCreateCustomWidget(left, top, right, bottom, visible, descriptor, 0, container,
                                graphWidgetCallback);
}

int graphWidgetCallback(XPWidgetMessage, XPWidgetID, intptr_t, intptr_t) { return 0; }

double roundHalfUp(double x) { return x; }
