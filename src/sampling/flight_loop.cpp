// The tick: play and rewind, the setup window's check boxes into Enabled, one scaled row per
// data set for every 0.01 s that passed while recording, the statistics of all 24 channels, and
// the scaling window's values. Runs at most once a frame, 100 times a second at the most, on the
// simulator's thread; it allocates nothing.

#include <cstring>

#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "background/recording_journal.h"
#include "core/app_state.h"
#include "core/number_text.h"
#include "graph/export_writer.h"
#include "graph/graph_widget.h"
#include "graph/position_math.h"
#include "sampling/channel_statistics.h"
#include "windows/widget_text.h"

namespace {
constexpr float kNextTickSeconds = 0.01f;

// The last text each scaling field held and the factor it reads as. Parsing a number costs far
// more than comparing its text, and the text rarely changes between ticks; since the factor
// depends on the text alone, a field whose text is the same as last time has the same factor,
// whichever set's values the window shows.
struct ScalingFieldMemo {
    char Text[kWidgetTextSize];
    float Value;
    bool Known;
};
ScalingFieldMemo gScalingFieldMemo[kChannelCount];

// The field's text as the setup window's own Apply Changes reads it, so a typed factor means
// the same on both roads; the read never runs past a full, unterminated buffer.
float readScalingField(XPWidgetID field, int channel) {
    char text[kWidgetTextSize];
    readWidgetText(field, text);
    ScalingFieldMemo &memo = gScalingFieldMemo[channel];
    if (!memo.Known || std::strcmp(text, memo.Text) != 0) {
        std::memcpy(memo.Text, text, sizeof text);
        memo.Value = readDecimalNumber(text);
        memo.Known = true;
    }
    return memo.Value;
}

// The sampler's settings of the set, the sample and the request, in that fixed order: the
// widget appends while handling the last of them, so `sample` may live in the tick's frame.
void handOverSample(XPWidgetID graph, int set, const float *sample) {
    XPSetWidgetProperty(graph, graphProp_CurrentSet, set);
    XPSetWidgetProperty(graph, graphProp_Sample, reinterpret_cast<intptr_t>(sample));
    XPSetWidgetProperty(graph, graphProp_SampleReady, 1);
}

void moveForPlay(AppState &state, XPWidgetID graph, int steps) {
    intptr_t position =
        saturatingAdd(XPGetWidgetProperty(graph, graphProp_Position, nullptr), steps);
    const intptr_t maxPosition = XPGetWidgetProperty(graph, graphProp_MaxPosition, nullptr);
    if (position > maxPosition) {
        position = maxPosition;
        state.Play = 0;
    }
    XPSetWidgetProperty(graph, graphProp_Position, position);
}

void moveForRewind(AppState &state, XPWidgetID graph, int steps) {
    intptr_t position =
        saturatingSubtract(XPGetWidgetProperty(graph, graphProp_Position, nullptr), steps);
    const intptr_t minPosition = XPGetWidgetProperty(graph, graphProp_MinPosition, nullptr);
    if (position < minPosition) {
        position = minPosition;
        state.Rewind = 0;
    }
    XPSetWidgetProperty(graph, graphProp_Position, position);
}
} // namespace

float AppState::onFlightLoop(float elapsedSinceLastCall, float, int, void *) {
    // The time the plug-in was disabled is left out as the time between Stop and Record is: a
    // recording goes on with one row, as after Record, and a replay goes on where it was.
    if (ResumingAfterEnable != 0) {
        ResumingAfterEnable = 0;
        elapsedSinceLastCall = 0.0f;
        restartRowGrid(RecordingRows);
    }
    // What the export writer had to say reaches the log from this thread only.
    gCsvExportWriter.deliverMessages();
    gRecordingJournal.deliverMessages();

    XPWidgetID graph = GraphWidget;

    // Before the graph window exists there is no widget to ask; the set is then the first.
    intptr_t shownSet =
        graph != nullptr ? XPGetWidgetProperty(graph, graphProp_CurrentSet, nullptr) : 0;
    if (shownSet < 0) shownSet = 0;
    if (shownSet > kSetCount - 1) shownSet = kSetCount - 1;
    CurrentSet = static_cast<int32_t>(shownSet);
    lookUpDataRefsWhenDue(elapsedSinceLastCall);

    // A replay moves by the rows that were recorded in the time that passed, so it runs at the
    // speed of the recording at any frame rate.
    int replaySteps = 0;
    if (Play != 0 || Rewind != 0)
        replaySteps = advanceRowGrid(ReplayRows, elapsedSinceLastCall);
    else
        restartRowGrid(ReplayRows);
    if (Play != 0 && graph != nullptr) moveForPlay(*this, graph, replaySteps);
    if (Rewind != 0 && graph != nullptr) moveForRewind(*this, graph, replaySteps);

    if (SetupWindowCreated != 0) {
        for (int channel = 0; channel < kChannelCount; ++channel)
            Enabled[CurrentSet][channel] = static_cast<int32_t>(XPGetWidgetProperty(
                SetupEnabledCheckBox[channel], xpProperty_ButtonState, nullptr));
    }

    if (graph != nullptr)
        XPSetWidgetProperty(graph, graphProp_Enabled, reinterpret_cast<intptr_t>(&Enabled[0][0]));

    if (GraphWindowCreated != 0 && Recording != 0 && graph != nullptr) {
        // The current set's fields apply to this very sample, as typed: read once per tick, not
        // once per set, as their text cannot change within the tick.
        if (SetupWindowCreated != 0)
            for (int channel = 0; channel < kChannelCount; ++channel)
                Scaling[CurrentSet][channel] =
                    readScalingField(SetupScalingField[channel], channel);
        // The datarefs are read once; each row due holds this call's values, as the simulator
        // gave no others since the call before (nothing is interpolated).
        const int rows = rowsDueAtCall(RecordingRows, elapsedSinceLastCall);
        for (int set = 0; set < kSetCount && rows > 0; ++set) {
            float sample[kChannelCount] = {};
            for (int channel = 0; channel < kChannelCount; ++channel)
                sample[channel] = Scaling[set][channel] * readChannel(set, channel);
            for (int row = 0; row < rows; ++row)
                handOverSample(graph, set, sample);
        }
    }

    if (graph != nullptr) XPSetWidgetProperty(graph, graphProp_CurrentSet, CurrentSet);

    for (int set = 0; set < kSetCount; ++set)
        for (int channel = 0; channel < kChannelCount; ++channel)
            updateChannelStatistics(*this, set * kChannelCount + channel,
                                    readChannel(set, channel));

    if (ScalingWindowCreated != 0) {
        const float *const columns[kStatColumns] = {DataMin,  DataMax,  DataValue,
                                                    ScaleMin, ScaleMax, ScaleValue};
        char text[kWidgetTextSize];
        const int first = CurrentSet * kChannelCount;
        for (int row = 0; row < kChannelCount; ++row) {
            for (int column = 0; column < kStatColumns; ++column) {
                formatStatistic(text, sizeof text, columns[column][first + row]);
                XPSetWidgetDescriptor(ScalingValueCaption[column][row], text);
            }
        }
    }

    return kNextTickSeconds;
}
