// The setup window: edits the names, indices, scaling factors and enabled flags of the current
// data set's eight channels, checks names against the simulator, and writes the settings file.

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "XPLMDataAccess.h"
#include "XPLMUtilities.h"
#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "config/config_writer.h"
#include "core/app_state.h"
#include "core/host_callbacks.h"
#include "core/number_text.h"
#include "graph/export_writer.h"
#include "windows/child_widgets.h"
#include "windows/widget_text.h"

namespace {
// The settings are formatted here, as they stand at the click, and written by the export
// writer: replacing a file can wait on the disk for a long time (hundreds of milliseconds were
// measured while an export was being flushed), which the simulator's thread must not.
void requestConfigFileWrite(const AppState &state) {
    std::unique_ptr<CsvExportJob> job(new (std::nothrow) CsvExportJob);
    if (!job) {
        XPLMDebugString("Plotwright - Could not write PlotwrightNew.ini: there was not enough "
                        "memory.\n");
        return;
    }
    job->Set = kSettingsFileJob;
    if (!buildNewSettingsPath(job->Path, sizeof job->Path)) return;
    if (!formatConfigFile(state, job->Text)) {
        FileProblem problem;
        setFileProblem(problem, FileFailure::WriteFailed, 0);
        logFileProblem("write", job->Path, problem);
        return;
    }
    gCsvExportWriter.submit(std::move(job));
}

const char kSetupTitle[] = "DataRef Setup - Plotwright";
const char *const kColourNames[kChannelCount] = {"Red",  "Green",  "Blue",    "White",
                                                 "Cyan", "Yellow", "Magenta", "Gray"};

constexpr int kFirstRowOffset = 70;
constexpr int kRowPitch = 30;
constexpr int kRowHeight = 22;
constexpr int kHeadingOffset = 40;
constexpr int kFooterOffset = 320;
// A name longer than this does not fit Name with its NUL.
constexpr int kLongestName = kTextSize - 1;

bool isValidSet(int set) { return set >= 0 && set < kSetCount; }
bool isValidChannel(int channel) { return channel >= 0 && channel < kChannelCount; }

int checkBoxState(XPWidgetID box) {
    return XPGetWidgetProperty(box, xpProperty_ButtonState, nullptr) != 0 ? 1 : 0;
}

// Reads a name field. False when the text cannot be a channel's name because Name cannot hold
// it: cutting it would silently store (and look up) a name the user never typed.
bool readNameField(XPWidgetID field, char (&name)[kWidgetTextSize]) {
    const bool whole = readWidgetText(field, name);
    return whole && std::strlen(name) <= static_cast<std::size_t>(kLongestName);
}

float readScalingField(XPWidgetID field) {
    char text[kWidgetTextSize];
    readWidgetText(field, text);
    return readDecimalNumber(text);
}

int32_t readIndexField(XPWidgetID field) {
    char text[kWidgetTextSize];
    readWidgetText(field, text);
    return readWholeNumber(text);
}

void storeName(char (&stored)[kTextSize], const char *name) {
    std::size_t length = std::strlen(name);
    if (length > static_cast<std::size_t>(kLongestName)) length = kLongestName;
    std::memcpy(stored, name, length);
    stored[length] = '\0';
}

// Looks the row's name up; only a name that resolves takes over the row's name, scaling factor
// and enabled state. The handle records the lookup either way, as the sampler must stop reading
// a dataref the user has just replaced by one that does not exist; nor is the stored name,
// which the user just replaced, looked up again by itself.
void checkDataRef(AppState &state, int channel) {
    const int set = state.CurrentSet;
    char name[kWidgetTextSize];
    const bool storable = readNameField(state.SetupNameField[channel], name);
    XPLMDataRef found = storable ? XPLMFindDataRef(name) : nullptr;
    // A withdrawn dataref keeps its handle but no longer has a value.
    if (found != nullptr && XPLMIsDataRefGood(found) == 0) found = nullptr;
    state.DataRefHandle[set][channel] = found;
    state.AwaitingDataRef[set][channel] = 0;
    XPWidgetID box = state.SetupEnabledCheckBox[channel];
    if (found == nullptr) {
        XPSetWidgetProperty(box, xpProperty_ButtonState, 0);
        return;
    }
    XPSetWidgetProperty(box, xpProperty_ButtonState, 1);
    storeName(state.Name[set][channel], name);
    state.Scaling[set][channel] = readScalingField(state.SetupScalingField[channel]);
    state.Enabled[set][channel] = checkBoxState(box);
    state.ClearedByUser[set][channel] = 0;
}

// The user's click on a row's box. A cleared box is the user's choice, which no later lookup
// overrides; a box checked over a channel without a dataref would draw a flat line at 0 that
// says nothing, so it stays clear, and the channel is drawn once its dataref appears.
void onEnabledBoxClicked(AppState &state, int channel, intptr_t boxState) {
    const int set = state.CurrentSet;
    state.ClearedByUser[set][channel] = boxState == 0 ? 1 : 0;
    if (boxState != 0 && !state.hasDataRef(set, channel))
        XPSetWidgetProperty(state.SetupEnabledCheckBox[channel], xpProperty_ButtonState, 0);
}

// Takes all eight rows over as typed, without looking the names up here: each channel keeps
// reading the dataref it was last resolved to, and one without a dataref awaits the new name's.
void applyChanges(AppState &state) {
    const int set = state.CurrentSet;
    for (int channel = 0; channel < kChannelCount; ++channel) {
        char name[kWidgetTextSize];
        if (readNameField(state.SetupNameField[channel], name))
            storeName(state.Name[set][channel], name);
        if (state.DataRefHandle[set][channel] == nullptr) state.AwaitingDataRef[set][channel] = 1;
        state.Index[set][channel] = readIndexField(state.SetupIndexField[channel]);
        state.Scaling[set][channel] = readScalingField(state.SetupScalingField[channel]);
        state.Enabled[set][channel] = checkBoxState(state.SetupEnabledCheckBox[channel]);
    }
}

int rowTop(int top, int channel) { return top - kFirstRowOffset - kRowPitch * channel; }
} // namespace

void AppState::buildSetupWindow(int left, int top, int width, int height) {
    const int right = left + width;
    const int bottom = top - height;
    const int set = isValidSet(CurrentSet) ? CurrentSet : 0;

    char caption[3 * kTextSize];
    std::snprintf(caption, sizeof caption, "%s %s %s", kSetupTitle, VersionText, kCreditText);
    SetupWindowWidget = createMainWindow({left, top, right, bottom}, caption);
    XPWidgetID window = SetupWindowWidget;
    SetupPanel = createPanel({left + 10, top - 30, right - 10, bottom + 10}, window);

    const int headingTop = top - kHeadingOffset;
    const int headingBottom = headingTop - kRowHeight;
    createCaption({left + 20, headingTop, left + 100, headingBottom}, "DataRef Enabled", window);
    createCaption({left + 160, headingTop, left + 210, headingBottom}, "DataRef Name", window);
    createCaption({left + 520, headingTop, left + 560, headingBottom}, "Index", window);
    createCaption({left + 570, headingTop, left + 620, headingBottom}, "Scaling", window);
    createCaption({left + 625, headingTop, left + 675, headingBottom}, "Colour", window);

    for (int channel = 0; channel < kChannelCount; ++channel) {
        const int y = rowTop(top, channel);
        const int yb = y - kRowHeight;
        createCaption({left + 10, y, left + 30, yb}, formatInt(channel + 1).Text, window);
        // Checked only over a channel the tick records: one without a dataref reads 0.
        SetupEnabledCheckBox[channel] =
            createCheckBox({left + 20, y, left + 42, yb},
                           Enabled[set][channel] != 0 && hasDataRef(set, channel) ? 1 : 0, window);
        SetupCheckDataRefButton[channel] =
            createPushButton({left + 50, y, left + 150, yb}, " Check DataRef", window);
        SetupNameField[channel] =
            createTextEntryField({left + 160, y, left + 510, yb}, Name[set][channel], window);
        // The field refuses typing beyond what Name can hold.
        XPSetWidgetProperty(SetupNameField[channel], xpProperty_MaxCharacters, kLongestName);
        SetupIndexField[channel] = createTextEntryField(
            {left + 520, y, left + 560, yb}, formatInt(Index[set][channel]).Text, window);
        SetupScalingField[channel] = createTextEntryField(
            {left + 570, y, left + 620, yb}, formatFloat(Scaling[set][channel]).Text, window);
        createCaption({left + 625, y, left + 675, yb}, kColourNames[channel], window);
    }

    const int footerTop = top - kFooterOffset;
    const int footerBottom = footerTop - kRowHeight;
    SetupApplyButton = createPushButton({left + 50, footerTop, left + 140, footerBottom},
                                        " Apply Changes", window);
    SetupCreateIniButton = createPushButton({left + 150, footerTop, left + 250, footerBottom},
                                            " Create INI File", window);
    SetupPreviousSetButton = createPushButton({left + 420, footerTop, left + 500, footerBottom},
                                              " Previous Set", window);
    SetupSetCaption = createCaption({left + 510, footerTop, left + 530, footerBottom},
                                    formatInt(set + 1).Text, window);
    SetupNextSetButton =
        createPushButton({left + 540, footerTop, left + 620, footerBottom}, " Next Set", window);

    XPAddWidgetCallback(window, setupWindowCallback);
}

int AppState::onSetupWindowMessage(XPWidgetMessage message, XPWidgetID, intptr_t param1,
                                   intptr_t param2) {
    if (message == xpMessage_CloseButtonPushed) {
        XPHideWidget(SetupWindowWidget);
        return 1;
    }
    if (message == xpMsg_ButtonStateChanged && isValidSet(CurrentSet)) {
        for (int channel = 0; channel < kChannelCount; ++channel)
            if (reinterpret_cast<XPWidgetID>(param1) == SetupEnabledCheckBox[channel])
                onEnabledBoxClicked(*this, channel, param2);
        return 0; // the box's new state is read where it is used
    }
    if (message != xpMsg_PushButtonPressed) return 0;
    XPWidgetID pressed = reinterpret_cast<XPWidgetID>(param1);
    if (pressed == nullptr || !isValidSet(CurrentSet)) return 0;

    for (int channel = 0; channel < kChannelCount; ++channel) {
        if (pressed == SetupCheckDataRefButton[channel]) {
            checkDataRef(*this, channel);
            return 1;
        }
    }
    if (pressed == SetupPreviousSetButton) {
        switchSet(-1);
        return 1;
    }
    if (pressed == SetupNextSetButton) {
        switchSet(+1);
        return 1;
    }
    if (pressed == SetupApplyButton) {
        applyChanges(*this);
        return 1;
    }
    if (pressed == SetupCreateIniButton) {
        requestConfigFileWrite(*this);
        return 1;
    }
    return 0;
}

void AppState::reloadSetupRow(int channel) {
    if (!isValidChannel(channel) || !isValidSet(CurrentSet)) return;
    if (SetupNameField[channel] == nullptr) return; // window not built
    const char *name = Name[CurrentSet][channel];
    XPSetWidgetDescriptor(SetupNameField[channel], name);
    // What the tick will record and draw, which it takes back from the box: a box checked for
    // a channel without a dataref would enable a flat line at 0.
    XPSetWidgetProperty(SetupEnabledCheckBox[channel], xpProperty_ButtonState,
                        Enabled[CurrentSet][channel] != 0 && hasDataRef(CurrentSet, channel) ? 1
                                                                                             : 0);
    setWidgetInt(SetupIndexField[channel], Index[CurrentSet][channel]);
    setWidgetFloat(SetupScalingField[channel], Scaling[CurrentSet][channel]);
}
