#include "core/app_state.h"

#include <cstring>

#include "XPLMDataAccess.h"

const char kCreditText[] = "- live dataref graphs";

AppState *gAppState = nullptr;

namespace {
constexpr float kStatMinStart = 1000000.0f;
constexpr float kStatMaxStart = 0.0f;
} // namespace

void AppState::resetToDefaults() {
    FullSizeWindow = 1;
    for (int set = 0; set < kSetCount; ++set) {
        for (int channel = 0; channel < kChannelCount; ++channel) {
            Name[set][channel][0] = '\0';
            Scaling[set][channel] = 0.0f;
            Index[set][channel] = 0;
        }
    }
}

void AppState::resolveDataRefs() {
    for (int set = 0; set < kSetCount; ++set) {
        for (int channel = 0; channel < kChannelCount; ++channel) {
            Name[set][channel][kTextSize - 1] = '\0';
            XPLMDataRef found = XPLMFindDataRef(Name[set][channel]);
            // A name once published keeps its handle after the dataref is withdrawn.
            if (found != nullptr && XPLMIsDataRefGood(found) == 0) found = nullptr;
            DataRefHandle[set][channel] = found;
            Enabled[set][channel] = found != nullptr ? 1 : 0;
            // Aircraft datarefs come after the plug-ins start: the lookup keeps trying.
            AwaitingDataRef[set][channel] = found == nullptr && Name[set][channel][0] != '\0';
            ClearedByUser[set][channel] = 0;
            const int stat = set * kChannelCount + channel;
            DataMin[stat] = kStatMinStart;
            DataMax[stat] = kStatMaxStart;
            ScaleMin[stat] = kStatMinStart;
            ScaleMax[stat] = kStatMaxStart;
        }
    }
    for (int stat = 0; stat < kChannelTotal; ++stat) {
        DataValue[stat] = 0.0f;
        ScaleValue[stat] = 0.0f;
    }
    SecondsSinceLookUp = 0.0f;
    LookUpRequested = 0;
}

void AppState::resetStatistics() {
    for (int stat = 0; stat < kChannelTotal; ++stat) {
        DataMin[stat] = kStatMinStart;
        DataMax[stat] = kStatMaxStart;
        DataValue[stat] = 0.0f;
        ScaleMin[stat] = kStatMinStart;
        ScaleMax[stat] = kStatMaxStart;
        ScaleValue[stat] = 0.0f;
    }
}

void AppState::clearWidgetHandles() {
    GraphWindowWidget = nullptr;
    GraphWidget = nullptr;
    for (XPWidgetID &w : GraphLegendCaption)
        w = nullptr;
    for (XPWidgetID &w : GraphTransportButton)
        w = nullptr;
    GraphPreviousSetButton = GraphSetCaption = GraphNextSetButton = nullptr;

    SetupWindowWidget = SetupPanel = nullptr;
    for (int channel = 0; channel < kChannelCount; ++channel) {
        SetupEnabledCheckBox[channel] = nullptr;
        SetupCheckDataRefButton[channel] = nullptr;
        SetupNameField[channel] = nullptr;
        SetupIndexField[channel] = nullptr;
        SetupScalingField[channel] = nullptr;
    }
    SetupApplyButton = SetupCreateIniButton = nullptr;
    SetupPreviousSetButton = SetupSetCaption = SetupNextSetButton = nullptr;

    ScalingWindowWidget = ScalingPanel = nullptr;
    for (XPWidgetID &w : ScalingNameCaption)
        w = nullptr;
    for (auto &column : ScalingValueCaption)
        for (XPWidgetID &w : column)
            w = nullptr;
    ScalingResetButton = nullptr;
    ScalingPreviousSetButton = ScalingSetCaption = ScalingNextSetButton = nullptr;
}
