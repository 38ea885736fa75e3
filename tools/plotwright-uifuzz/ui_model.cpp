#include "ui_model.h"

#include <algorithm>
#include <cmath>

#include "fuzz_datarefs.h"
#include "number_model.h"

namespace plotwright_uifuzz {
namespace {

constexpr int kUnknownRef = -2;
constexpr long long kPageStep = 100;
// The name field may stop taking keys at the longest name the plug-in stores, or take more and
// cut or refuse the name later: a text that ever grows past it is not predicted.
constexpr std::size_t kLongestName = 254;

Span hull(const Span &a, const Span &b) {
    return {std::min(a.Low, b.Low), std::max(a.High, b.High)};
}

bool isUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The text a field holds after the runner's typing: a click, select all, then the keys (a lone
// back key for an empty text). A printable key replaces the selection or appends; the back key
// deletes the selection or the character before the caret (a whole UTF-8 sequence); any other
// key is not taken by the field.
std::optional<std::string> typedText(const std::optional<std::string> &before,
                                     const std::string &typed, std::size_t limit) {
    std::optional<std::string> text = before;
    bool selected = true;
    for (char c : typed.empty() ? std::string("\b") : typed) {
        const auto code = static_cast<unsigned char>(c);
        if (c == '\b') {
            if (selected) {
                text = std::string();
            } else if (text && !text->empty()) {
                std::size_t from = text->size() - 1;
                while (from > 0 && isUtf8Continuation((*text)[from]))
                    --from;
                text->erase(from);
            }
            selected = false;
        } else if (code >= 0x20 && code != 0x7F) {
            if (selected) text = std::string();
            if (!text) return std::nullopt;
            if (limit > 0 && text->size() + 1 > limit) return std::nullopt;
            text->push_back(c);
            selected = false;
        }
    }
    return text;
}

} // namespace

UiModel::UiModel(const InitialSettings &settings) : fullSize_(settings.FullSizeWindow) {
    windows_.fill(WindowState::Absent);
    for (int s = 0; s < kSets; ++s)
        for (int c = 0; c < kChannels; ++c) {
            const ChannelSettings &from = settings.Channels[s][c];
            Channel &channel = channels_[s][c];
            channel.Name = from.Name;
            channel.Scaling = from.Scaling;
            channel.Index = from.Index;
            channel.Bound = from.Name ? findFuzzDataRef(*from.Name) : kUnknownRef;
            channel.Enabled = from.Name ? std::optional<bool>(channel.Bound >= 0) : std::nullopt;
        }
}

std::optional<bool> UiModel::resolves(const std::optional<std::string> &name) {
    if (!name) return std::nullopt;
    return findFuzzDataRef(*name) >= 0;
}

// A box is checked only over a channel with a dataref, and then shows Enabled.
std::optional<bool> UiModel::shownChecked(const Channel &channel) {
    if (channel.Bound == kUnknownRef) return std::nullopt;
    if (channel.Bound < 0) return false;
    return channel.Enabled;
}

std::optional<float> UiModel::read(Channel &channel, long long frame) {
    if (channel.Bound == kUnknownRef) {
        if (channel.Index && *channel.Index > 0) channel.Index.reset();
        return std::nullopt;
    }
    if (channel.Bound < 0) return 0.0f;
    const FuzzDataRef &ref = fuzzDataRefs()[static_cast<std::size_t>(channel.Bound)];
    if (!isArray(ref.Kind)) return fuzzDataRefValue(channel.Bound, frame, 0);
    if (!channel.Index) return std::nullopt;
    if (*channel.Index > ref.Length - 1) channel.Index = ref.Length - 1;
    if (*channel.Index < 0) return std::nullopt; // the implementer's choice
    return fuzzDataRefValue(channel.Bound, frame, *channel.Index);
}

void UiModel::stepPlay() {
    if (play_ == Flag::Off) return;
    Span moved;
    Flag after;
    if (position_.High + 1 <= maxPosition_) {
        moved = {position_.Low + 1, position_.High + 1};
        after = Flag::On;
    } else if (position_.Low + 1 > maxPosition_) {
        moved = {maxPosition_, maxPosition_};
        after = Flag::Off;
    } else {
        moved = {position_.Low + 1, maxPosition_};
        after = Flag::Maybe;
    }
    if (play_ == Flag::Maybe) {
        moved = hull(position_, moved);
        if (after == Flag::On) after = Flag::Maybe;
    }
    position_ = moved;
    play_ = after;
}

void UiModel::stepRewind() {
    if (rewind_ == Flag::Off) return;
    Span moved;
    Flag after;
    if (position_.Low - 1 >= 0) {
        moved = {position_.Low - 1, position_.High - 1};
        after = Flag::On;
    } else if (position_.High - 1 < 0) {
        moved = {0, 0};
        after = Flag::Off;
    } else {
        moved = {0, position_.High - 1};
        after = Flag::Maybe;
    }
    if (rewind_ == Flag::Maybe) {
        moved = hull(position_, moved);
        if (after == Flag::On) after = Flag::Maybe;
    }
    position_ = moved;
    rewind_ = after;
}

void UiModel::tick(long long frame) {
    scalingValuesUnwritten_ = false;
    stepPlay();
    stepRewind();
    const bool setup = state(Window::Setup) != WindowState::Absent;
    if (setup)
        for (int c = 0; c < kChannels; ++c)
            channels_[set_][c].Enabled = rows_[c].Checked;
    if (state(Window::Graph) != WindowState::Absent && recording_) {
        for (int s = 0; s < kSets; ++s) {
            Sample sample;
            for (int c = 0; c < kChannels; ++c) {
                const std::optional<float> value = read(channels_[s][c], frame);
                if (setup) {
                    const std::optional<std::string> &text = rows_[c].Scaling;
                    channels_[set_][c].Scaling =
                        text ? readScalingText(*text) : std::optional<float>();
                }
                const std::optional<float> &scaling = channels_[s][c].Scaling;
                if (value && scaling) {
                    const float product = *scaling * *value;
                    if (std::isfinite(product)) sample[c] = product;
                }
            }
            samples_[s].push_back(sample);
        }
        maxPosition_ = static_cast<long long>(samples_[kSets - 1].size());
        position_ = {maxPosition_, maxPosition_};
    }
    for (auto &set : channels_)
        for (Channel &channel : set)
            read(channel, frame); // the statistics read every channel, lowering indices
}

void UiModel::buildGraph(bool shown) {
    windows_[static_cast<int>(Window::Graph)] = shown ? WindowState::Shown : WindowState::Hidden;
    position_ = {0, 0};
    maxPosition_ = static_cast<long long>(samples_[0].size());
}

void UiModel::chooseMenu(Window window) {
    WindowState &state = windows_[static_cast<int>(window)];
    if (state != WindowState::Absent) {
        state = WindowState::Shown;
        return;
    }
    if (window == Window::Graph) return buildGraph(true);
    if (windows_[static_cast<int>(Window::Graph)] == WindowState::Absent) buildGraph(false);
    state = WindowState::Shown;
    if (window == Window::Scaling) {
        for (int c = 0; c < kChannels; ++c)
            scalingNames_[c] = channels_[set_][c].Name;
        scalingValuesUnwritten_ = true;
    }
    if (window == Window::Setup)
        for (int c = 0; c < kChannels; ++c) {
            rows_[c] = reloadedRow(channels_[set_][c]); // the builder shows what a reload does
        }
}

void UiModel::closeWindow(Window window) {
    windows_[static_cast<int>(window)] = WindowState::Hidden;
}

SetupRowView UiModel::reloadedRow(const Channel &channel) const {
    SetupRowView row;
    row.Name = channel.Name;
    row.Checked = shownChecked(channel);
    if (channel.Index) row.Index = std::to_string(*channel.Index);
    if (channel.Scaling) row.Scaling = formatFloat(*channel.Scaling);
    return row;
}

void UiModel::switchSet(int step) {
    set_ = std::clamp(set_ + step, 0, kSets - 1);
    if (state(Window::Scaling) != WindowState::Absent)
        for (int c = 0; c < kChannels; ++c)
            scalingNames_[c] = channels_[set_][c].Name;
    if (state(Window::Setup) != WindowState::Absent)
        for (int c = 0; c < kChannels; ++c)
            rows_[c] = reloadedRow(channels_[set_][c]);
}

std::optional<ExpectedFile> UiModel::pressGraphButton(const std::string &label) {
    if (label == "Record") {
        recording_ = true;
    } else if (label == "Stop") {
        recording_ = false;
    } else if (label == "Clear") {
        samples_[set_].clear();
        // The position is kept, or becomes the page step when it was 0.
        if (position_.High == 0)
            position_ = {kPageStep, kPageStep};
        else if (position_.Low == 0)
            position_ = {1, std::max(position_.High, kPageStep)};
        maxPosition_ = 0;
    } else if (label == "Export") {
        ExpectedFile file;
        file.Name = "Plotwright" + std::to_string(set_ + 1) + ".csv";
        file.CsvRows = samples_[set_];
        return file;
    } else if (label == "|<") {
        position_ = {0, 0};
    } else if (label == "<<") {
        position_ = {std::max(position_.Low - kPageStep, 0LL),
                     std::max(position_.High - kPageStep, 0LL)};
    } else if (label == "<") {
        rewind_ = Flag::On;
        play_ = Flag::Off;
    } else if (label == "||") {
        play_ = rewind_ = Flag::Off;
    } else if (label == ">") {
        play_ = Flag::On;
        rewind_ = Flag::Off;
    } else if (label == ">>") {
        position_ = {std::min(position_.Low + kPageStep, maxPosition_),
                     std::min(position_.High + kPageStep, maxPosition_)};
    } else if (label == ">|") {
        position_ = {maxPosition_, maxPosition_};
    } else if (label == "Previous Set") {
        switchSet(-1);
    } else if (label == "Next Set") {
        switchSet(+1);
    }
    return std::nullopt;
}

void UiModel::touchTrack() { position_ = hull(position_, Span{0, maxPosition_}); }

void UiModel::checkDataRef(int row) {
    Channel &channel = channels_[set_][row];
    SetupRowView &view = rows_[row];
    if (!view.Name) {
        channel = Channel{std::nullopt, kUnknownRef, channel.Index, std::nullopt, std::nullopt};
        view.Checked.reset();
        return;
    }
    channel.Bound = findFuzzDataRef(*view.Name);
    view.Checked = channel.Bound >= 0;
    if (channel.Bound < 0) return;
    channel.Name = view.Name;
    channel.Scaling = view.Scaling ? readScalingText(*view.Scaling) : std::optional<float>();
    channel.Enabled = true;
}

void UiModel::applyChanges() {
    for (int c = 0; c < kChannels; ++c) {
        Channel &channel = channels_[set_][c];
        const SetupRowView &view = rows_[c];
        channel.Name = view.Name;
        channel.Index = view.Index ? readIndexText(*view.Index) : std::optional<long long>();
        channel.Scaling = view.Scaling ? readScalingText(*view.Scaling) : std::optional<float>();
        channel.Enabled = view.Checked;
        // A channel without a dataref awaits the new name's, which the plug-in's periodic
        // lookup finds within about a second: when it does is left open.
        if (channel.Bound == -1 && resolves(channel.Name).value_or(true)) {
            channel.Bound = kUnknownRef;
            channel.Enabled.reset();
            rows_[c].Checked.reset();
        }
    }
}

void UiModel::typeIntoField(int row, int column, const std::string &typed) {
    SetupRowView &view = rows_[row];
    std::optional<std::string> &field = column == 0   ? view.Name
                                        : column == 1 ? view.Index
                                                      : view.Scaling;
    field = typedText(field, typed, column == 0 ? kLongestName : 0);
}

void UiModel::clickCheckBox(int row) {
    std::optional<bool> &checked = rows_[row].Checked;
    if (!checked) return;
    // A box over a channel without a dataref stays clear.
    const int bound = channels_[set_][row].Bound;
    checked = bound == kUnknownRef ? std::nullopt : std::optional<bool>(!*checked && bound >= 0);
}

ExpectedFile UiModel::createIniFile() const {
    ExpectedFile file;
    file.Name = "PlotwrightNew.ini";
    file.IsSettings = true;
    auto line = [&file](const std::string &prefix, const std::optional<std::string> &value) {
        file.LinePrefixes.push_back(prefix);
        file.Lines.push_back(value ? std::optional<std::string>(prefix + *value) : std::nullopt);
    };
    line("[CONFIG]", std::string());
    line("FullSizeWindow = ", std::to_string(fullSize_));
    line("", std::string());
    for (int s = 0; s < kSets; ++s) {
        line("[DATASET" + std::to_string(s + 1) + "]", std::string());
        for (int c = 0; c < kChannels; ++c) {
            const Channel &channel = channels_[s][c];
            const std::string digit = std::to_string(c + 1);
            line("Name" + digit + " = ", channel.Name);
            line("Scaling" + digit + " = ",
                 channel.Scaling ? formatFloat(*channel.Scaling) : std::optional<std::string>());
            line("Index" + digit + " = ",
                 channel.Index ? std::to_string(*channel.Index) : std::optional<std::string>());
        }
        line("", std::string());
    }
    return file;
}

ExpectedView UiModel::view() const {
    ExpectedView view;
    view.Windows = windows_;
    view.Set = set_;
    view.MaxPosition = maxPosition_;
    view.Position = position_;
    view.Rows = rows_;
    view.ScalingNames = scalingNames_;
    view.ScalingValuesUnwritten = scalingValuesUnwritten_;
    return view;
}

} // namespace plotwright_uifuzz
