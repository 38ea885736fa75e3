#pragma once
// A small model of the plug-in as its user sees it: which windows exist and show, the set shown,
// the setup window's fields and check boxes, the recording's sample counts and values, and the
// graph's scroll position. It knows only what a correct plug-in makes certain; everything else is
// "unknown" (nullopt, or an interval for the scroll position) and is not checked.

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace plotwright_uifuzz {

enum class WindowState { Absent, Hidden, Shown };
enum class Window { Graph, Setup, Scaling };
constexpr int kSets = 3;
constexpr int kChannels = 8;

// A closed interval of scroll positions; exact when Low == High.
struct Span {
    long long Low = 0;
    long long High = 0;
};

// One recorded sample of a set: a value per channel, nullopt where the model cannot know it.
using Sample = std::array<std::optional<float>, kChannels>;

struct SetupRowView {
    std::optional<std::string> Name, Index, Scaling; // field texts
    std::optional<bool> Checked;
};

// What the windows must show after a command.
struct ExpectedView {
    std::array<WindowState, 3> Windows{};
    int Set = 0;
    long long MaxPosition = 0; // when the graph window exists
    Span Position;
    std::array<SetupRowView, kChannels> Rows; // when the setup window exists
    // The scaling window's name captions, and whether its value captions still hold the "0" of
    // its build (until the next tick) rather than the statistics as "%10.3f" writes them.
    std::array<std::optional<std::string>, kChannels> ScalingNames;
    bool ScalingValuesUnwritten = false;
};

// A file the command must have written.
struct ExpectedFile {
    std::string Name;                              // in the plug-in's folder
    std::vector<Sample> CsvRows;                   // an export
    bool IsSettings = false;                       // PlotwrightNew.ini
    std::vector<std::optional<std::string>> Lines; // settings lines; nullopt: the value is unknown
    std::vector<std::string> LinePrefixes;         // what each settings line starts with
};

struct ChannelSettings {
    std::optional<std::string> Name = std::string();
    std::optional<float> Scaling = 0.0f;
    std::optional<long long> Index = 0;
};

struct InitialSettings {
    int FullSizeWindow = 1;
    std::array<std::array<ChannelSettings, kChannels>, kSets> Channels;
};

class UiModel {
public:
    explicit UiModel(const InitialSettings &settings);

    // One frame of simulated time: the plug-in's tick at frame number `frame`.
    void tick(long long frame);

    void chooseMenu(Window window);
    void closeWindow(Window window);
    // Graph window buttons by label: "Record", "Stop", "Clear", "Export", "|<", "<<", "<",
    // "||", ">", ">>", ">|"; "Previous Set" and "Next Set" in any window.
    // Returns the file an Export writes, if the label is Export.
    std::optional<ExpectedFile> pressGraphButton(const std::string &label);
    void switchSet(int step);
    void checkDataRef(int row);
    void applyChanges();
    ExpectedFile createIniFile() const;
    void typeIntoField(int row, int column, const std::string &typed); // 0 name, 1 index, 2 scaling
    void clickCheckBox(int row);
    void touchTrack(); // a click or a drag on the scroll track

    WindowState state(Window window) const { return windows_[static_cast<int>(window)]; }
    ExpectedView view() const;

private:
    struct Channel {
        std::optional<std::string> Name;
        int Bound = -1; // the dataref read: position in fuzzDataRefs(), -1 none, kUnknown
        std::optional<long long> Index;
        std::optional<float> Scaling;
        std::optional<bool> Enabled;
    };
    enum class Flag { Off, On, Maybe };

    void buildGraph(bool shown);
    std::optional<float> read(Channel &channel, long long frame);
    void stepPlay();
    void stepRewind();
    SetupRowView reloadedRow(const Channel &channel) const;
    static std::optional<bool> resolves(const std::optional<std::string> &name);
    static std::optional<bool> shownChecked(const Channel &channel);

    int fullSize_ = 1;
    std::array<std::array<Channel, kChannels>, kSets> channels_;
    std::array<WindowState, 3> windows_{};
    int set_ = 0;
    bool recording_ = false;
    Flag play_ = Flag::Off;
    Flag rewind_ = Flag::Off;
    Span position_;
    long long maxPosition_ = 0;
    std::array<std::vector<Sample>, kSets> samples_;
    std::array<SetupRowView, kChannels> rows_;
    // The scaling window's name captions change only when it is built and at a set switch.
    std::array<std::optional<std::string>, kChannels> scalingNames_;
    bool scalingValuesUnwritten_ = false;
};

} // namespace plotwright_uifuzz
