// Datarefs that appear and vanish while the simulator runs. The simulator loads the user's
// aircraft, with its own plug-ins and datarefs, after the plug-ins start, and takes them away
// when the aircraft changes: a name missing at the start may resolve later, and a handle may be
// withdrawn. Finding a dataref by name is slow, so the tick looks up only the channels still
// awaiting theirs, at most about once a second, or at once after the simulator announced a
// change; checking a handle's good standing is cheap, so a withdrawn dataref is dropped at the
// very next tick instead of drawing a flat 0 until the next lookup.

#include "XPLMDataAccess.h"
#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "core/app_state.h"

namespace {
// Wall time between passes: a dataref that appears records within a second, and a tick at a
// high frame rate pays nothing for the names that never appear.
constexpr float kLookUpSeconds = 1.0f;
} // namespace

bool AppState::hasDataRef(int set, int channel) const {
    const XPLMDataRef handle = DataRefHandle[set][channel];
    return handle != nullptr && XPLMIsDataRefGood(handle) != 0;
}

void AppState::showEnabled(int set, int channel, int32_t enabled) {
    Enabled[set][channel] = enabled;
    if (SetupWindowCreated != 0 && set == CurrentSet)
        XPSetWidgetProperty(SetupEnabledCheckBox[channel], xpProperty_ButtonState, enabled);
}

void AppState::dropWithdrawnDataRefs() {
    for (int set = 0; set < kSetCount; ++set) {
        for (int channel = 0; channel < kChannelCount; ++channel) {
            XPLMDataRef &handle = DataRefHandle[set][channel];
            if (handle == nullptr || XPLMIsDataRefGood(handle) != 0) continue;
            // Withdrawn: reads 0 from now on, so the channel is neither drawn nor held.
            handle = nullptr;
            AwaitingDataRef[set][channel] = 1;
            showEnabled(set, channel, 0);
        }
    }
}

void AppState::lookUpDataRefs() {
    SecondsSinceLookUp = 0.0f;
    LookUpRequested = 0;
    dropWithdrawnDataRefs();
    for (int set = 0; set < kSetCount; ++set) {
        for (int channel = 0; channel < kChannelCount; ++channel) {
            XPLMDataRef &handle = DataRefHandle[set][channel];
            if (AwaitingDataRef[set][channel] == 0) continue;
            const char *name = Name[set][channel];
            if (name[0] == '\0') continue; // no dataref bears the empty name
            const XPLMDataRef found = XPLMFindDataRef(name);
            if (found == nullptr || XPLMIsDataRefGood(found) == 0) continue;
            handle = found;
            AwaitingDataRef[set][channel] = 0;
            showEnabled(set, channel, ClearedByUser[set][channel] != 0 ? 0 : 1);
        }
    }
}

void AppState::lookUpDataRefsWhenDue(float elapsedSeconds) {
    // The elapsed time comes from the simulator: one that is not a number, or negative, counts
    // as none.
    if (elapsedSeconds > 0.0f) SecondsSinceLookUp += elapsedSeconds;
    if (LookUpRequested != 0 || SecondsSinceLookUp >= kLookUpSeconds)
        lookUpDataRefs();
    else
        dropWithdrawnDataRefs();
}

void AppState::requestDataRefLookUp() { LookUpRequested = 1; }
