// Creation defaults and the property-changed handler: the requests that the sampler and the
// windows make by writing the widget's properties are carried out here, inside their writes.

#include <cstring>
#include <initializer_list>
#include <limits>

#include "XPLMGraphics.h"
#include "graph/export_writer.h"
#include "graph/graph_view.h"
#include "graph/graph_widget.h"
#include "graph/sample_store.h"

namespace {
GraphEnabledTable gGraphEnabled = {};

intptr_t countAsProperty(std::size_t count) {
    constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<intptr_t>::max());
    return static_cast<intptr_t>(count > kMax ? kMax : count);
}

void copyEnabledFrom(intptr_t address) {
    if (address == 0) return;
    std::memcpy(gGraphEnabled, reinterpret_cast<const void *>(address), sizeof gGraphEnabled);
}
} // namespace

const GraphEnabledTable &graphEnabledTable() { return gGraphEnabled; }

void clearGraphEnabledTable() { std::memset(gGraphEnabled, 0, sizeof gGraphEnabled); }

void handleGraphCreate(const GraphView &view) {
    XPWidgetID widget = view.Widget;
    // A widget made after a restart of the plug-in plots nothing until the sampler hands it the
    // flags, as the first one did.
    clearGraphEnabledTable();
    setGraphProperty(widget, graphProp_Position, 0);
    setGraphProperty(widget, graphProp_MinPosition, 0);
    setGraphProperty(widget, graphProp_MaxPosition, countAsProperty(gSampleStore.sampleCount(0)));
    setGraphProperty(widget, graphProp_PageStep, 100);
    setGraphProperty(widget, graphProp_Dragging, 0);
    setGraphProperty(widget, graphProp_CurrentSet, 0);
    setGraphProperty(widget, graphProp_FirstSet, 0);
    setGraphProperty(widget, graphProp_SetCount, 3);
    XPLMSetGraphicsState(0, 0, 0, 0, 0, 0, 0);
}

void handleGraphPropertyChanged(const GraphView &view) {
    XPWidgetID widget = view.Widget;
    const int set = view.Set;

    // Every request flag is reset before its action: the widget's own writes below re-enter
    // this handler, and the nested run must find the request already taken.
    if (graphProperty(widget, graphProp_ExportRequest) != 0) {
        setGraphProperty(widget, graphProp_ExportRequest, 0);
        // The rows as they are now; the file is complete a moment later, written off the
        // simulator's thread.
        requestCsvExport(gSampleStore, set);
    }

    // Where a clear leaves the position: the first nonzero of Position, PageStep, MaxPosition.
    intptr_t remembered = view.Position;
    for (int property : {graphProp_MaxPosition, graphProp_PageStep, graphProp_Position}) {
        const intptr_t value = graphProperty(widget, property);
        if (value != 0) remembered = value;
    }

    copyEnabledFrom(graphProperty(widget, graphProp_Enabled));

    if (graphProperty(widget, graphProp_SampleReady) != 0) {
        setGraphProperty(widget, graphProp_SampleReady, 0);
        copyEnabledFrom(graphProperty(widget, graphProp_Enabled));
        const intptr_t sample = graphProperty(widget, graphProp_Sample);
        // A request without a sample has nothing to append; the scroll state stays as it is.
        if (sample != 0) {
            gSampleStore.appendSample(set, reinterpret_cast<const float *>(sample));
            const intptr_t count = countAsProperty(gSampleStore.sampleCount(set));
            setGraphProperty(widget, graphProp_Position, count);
            setGraphProperty(widget, graphProp_MaxPosition, count);
            remembered = count;
        }
    }

    if (graphProperty(widget, graphProp_ClearRequest) != 0) {
        setGraphProperty(widget, graphProp_ClearRequest, 0);
        clearSetInBackground(gSampleStore, set);
        setGraphProperty(widget, graphProp_Position, remembered);
        setGraphProperty(widget, graphProp_MaxPosition,
                         countAsProperty(gSampleStore.sampleCount(set)));
    }
}
