// plotwright-actions: what each user action costs the simulator's thread after 1 minute, 1 hour
// and 10 hours of recording, with the real module in the headless host. For every action the
// median and worst time of its call (the click or menu choice, everything the plug-in does
// inside it) over several runs, as the thread's own CPU time (what the work costs, whatever
// else the machine runs) and as wall time; for Export also the wall time until its file is
// complete. Every tick is timed too: while recording, while an export is written, and in the
// ticks after the other actions (a Clear's memory is given back meanwhile), at the median, the
// 99th to 99.99th percentile and the maximum, with the slowest ticks' page faults and context
// switches. The clocks are read right around each call, before any bookkeeping. The simulator's
// commands are measured as their key's press (begin and end) with the windows built; the first
// command of a start, which builds the graph window for it, is measured apart, in a new
// install each run. After the recording, the process's memory and the size of the recording's
// journal files.
//
//   plotwright-actions [--module FILE] [--out DIR] [--runs N] [--minutes M,M,...]
//                      [--framerate R] [--keep-journal DIR]
//
// The module is any build of lin.xpl, so that one program measures two versions alike (the
// benches' lin-nojournal.xpl is the same code without its journal). --keep-journal copies the
// journal files as the recording left them, before any stop: a crashed run's, for
// plotwright-recovery.
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "call_times.h"
#include "process_memory.h"
#include "run_checks.h"
#include "soak_signal.h"
#include "ui_input.h"
#include "ui_lookup.h"
#include "xphost/commands.h"
#include "xphost/datarefs.h"
#include "xphost/flight_loop.h"
#include "xphost/host.h"
#include "xphost/menus.h"
#include "xphost/plugin_loader.h"
#include "xphost/widgets.h"

namespace {
namespace fs = std::filesystem;
using namespace plotwright_soak;
using Clock = std::chrono::steady_clock;

// A recording holds a row for every 0.01 s of flight, whatever the frame rate.
constexpr long long kRowsPerMinute = 6000;
constexpr long long kMaxTicksPerExport = 3600000;
// Ticks timed after each action other than Export: a second of the simulator's running.
constexpr int kTicksAfterAction = 100;
// A tick or an action slower than this is listed with its counters.
constexpr double kSlowMs = 1.0;

double msSince(Clock::time_point begin) {
    return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
}

struct Figure {
    double Median = 0, Worst = 0;
};

template <typename Number> Figure summarise(std::vector<Number> values) {
    std::sort(values.begin(), values.end());
    return {static_cast<double>(values[values.size() / 2]), static_cast<double>(values.back())};
}

struct Options {
    std::string Module = PLOTWRIGHT_ACTIONS_MODULE;
    std::string Out = "actions-output";
    int Runs = 5;
    std::vector<long long> Minutes = {1, 60, 600};
    double FramesPerSecond = 100.0;
    std::string KeepJournal;
};

bool parseOptions(int argc, char **argv, Options *options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string word = argv[i], value = argv[i + 1];
        if (word == "--module") {
            options->Module = value;
        } else if (word == "--out") {
            options->Out = value;
        } else if (word == "--runs") {
            options->Runs = std::atoi(value.c_str());
            if (options->Runs < 1) return false;
        } else if (word == "--framerate") {
            if (!parseFrameRate(value, &options->FramesPerSecond)) return false;
        } else if (word == "--keep-journal") {
            options->KeepJournal = value;
        } else if (word == "--minutes") {
            options->Minutes.clear();
            std::istringstream list(value);
            std::string item;
            while (std::getline(list, item, ','))
                if (std::atoll(item.c_str()) > 0)
                    options->Minutes.push_back(std::atoll(item.c_str()));
            if (options->Minutes.empty()) return false;
        } else {
            return false;
        }
    }
    return argc % 2 == 1;
}

std::pair<dev_t, ino_t> fileIdentity(const std::string &path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return {0, 0};
    return {status.st_dev, status.st_ino};
}

class Measure : RunChecks {
public:
    Measure(const Options &options, long long minutes)
        : RunChecks("actions"), options_(options), minutes_(minutes) {}

    bool run() {
        if (!prepare()) return false;
        const long long ticksPerMinute = std::llround(options_.FramesPerSecond * 60.0);
        ticksRecording_.reserve(static_cast<std::size_t>(minutes_ * ticksPerMinute));
        control_.reserve(static_cast<std::size_t>(minutes_ * ticksPerMinute));
        memoryBefore_ = residentMemory();
        press(graph_, "Record");
        for (long long done = 0; done < minutes_ && ok_; ++done) {
            for (long long tick = 0; tick < ticksPerMinute; ++tick) {
                ticksRecording_.time([] { xphost::runFrames(1); });
                control_.time(controlWork);
            }
            hostOk("recording");
        }
        press(graph_, "Stop");
        memoryRecorded_ = residentMemory();
        measureJournal();
        for (int run = 0; run < options_.Runs && ok_; ++run) {
            for (int set = 0; set < kSets && ok_; ++set) {
                goToSet(set);
                exportSet(set);
            }
            timed("Next Set", [&] { press(graph_, "Next Set"); });
            stepSet(+1);
            timed("Previous Set", [&] { press(graph_, "Previous Set"); });
            stepSet(-1);
            timed("Record", [&] { press(graph_, "Record"); });
            timed("Stop", [&] { press(graph_, "Stop"); });
            front(setup_);
            timed("Create INI File", [&] { press(setup_, "Create INI File"); });
            windowOpenClose("Graph Window", graph_);
            windowOpenClose("DataRef Setup", setup_);
            windowOpenClose("DataRef Scaling", scaling_);
            measureCommands();
        }
        // Clear last: each run empties one set.
        for (int set = 0; set < kSets && ok_; ++set) {
            goToSet(set);
            timed("Clear", [&] { press(graph_, "Clear"); });
        }
        module_.unload();
        hostOk("the stop");
        return ok_;
    }

    void print() const {
        std::printf("\n== %lld min of recording at %g frames a second (%lld rows per set) ==\n",
                    minutes_, options_.FramesPerSecond, minutes_ * kRowsPerMinute);
        constexpr double kMiB = 1024.0 * 1024.0;
        std::printf("memory: before Record %.1f MiB resident; after the recording %.1f MiB "
                    "resident, peak %.1f MiB\n",
                    static_cast<double>(memoryBefore_.NowBytes) / kMiB,
                    static_cast<double>(memoryRecorded_.NowBytes) / kMiB,
                    static_cast<double>(memoryRecorded_.PeakBytes) / kMiB);
        std::printf("journal: %d files, %lld bytes (%.0f bytes per recorded hour)\n", journalFiles_,
                    journalBytes_,
                    static_cast<double>(journalBytes_) * 60.0 / static_cast<double>(minutes_));
        std::printf("%-42s %21s %21s %6s\n", "", "thread CPU ms", "wall ms", "");
        std::printf("%-42s %10s %10s %10s %10s %6s\n", "action (simulator's thread)", "median",
                    "worst", "median", "worst", "runs");
        for (const auto &[name, times] : actions_) {
            const Figure c = summarise(times.cpu());
            const Figure w = summarise(times.wall());
            std::printf("%-42s %10.3f %10.3f %10.3f %10.3f %6zu\n", name.c_str(), c.Median, c.Worst,
                        w.Median, w.Worst, times.cpu().size());
        }
        const Figure complete = summarise(exportComplete_);
        std::printf("%-42s %10s %10s %10.3f %10.3f %6zu\n", "Export: until the file is complete",
                    "", "", complete.Median, complete.Worst, exportComplete_.size());
        std::printf("actions slower than %.1f ms, with their counters:\n", kSlowMs);
        for (const auto &[name, times] : actions_)
            if (summarise(times.wall()).Worst > kSlowMs || summarise(times.cpu()).Worst > kSlowMs)
                times.print(name.c_str(), kSlowMs);
        std::printf("ticks:\n");
        ticksRecording_.print("while recording", kSlowMs);
        ticksDuringExport_.print("while an export is written", kSlowMs);
        ticksAfterAction_.print("in the second after each other action", kSlowMs);
        control_.print("control beside each tick while recording (the same work every time, no "
                       "plug-in code)",
                       kSlowMs);
        exportControl_.print("control beside each tick while an export is written", kSlowMs);
    }

private:
    // The journal's files once its thread has written the last rows (it looks four times a
    // second), before any export or stop; copied as they are when asked.
    void measureJournal() {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        std::error_code ec;
        if (!options_.KeepJournal.empty()) fs::create_directories(options_.KeepJournal, ec);
        for (const auto &entry : fs::directory_iterator(xphost::pluginFolder(), ec)) {
            if (entry.path().extension() != ".journal") continue;
            ++journalFiles_;
            journalBytes_ += static_cast<long long>(entry.file_size(ec));
            if (!options_.KeepJournal.empty() &&
                !fs::copy_file(entry.path(),
                               fs::path(options_.KeepJournal) / entry.path().filename(),
                               fs::copy_options::overwrite_existing, ec))
                fail("cannot copy " + entry.path().string() + ": " + ec.message());
        }
    }

    bool prepare() {
        const std::string root = fs::absolute(options_.Out).string() + "/install";
        std::error_code ec;
        fs::remove_all(root, ec);
        fs::create_directories(root, ec);
        xphost::resetHost(root);
        if (std::FILE *ini = std::fopen((xphost::pluginFolder() + "Plotwright.ini").c_str(), "w")) {
            const std::string text = soakSettings();
            std::fwrite(text.data(), 1, text.size(), ini);
            std::fclose(ini);
        }
        xphost::defineDataRef(kCounterDataRef, xphost::DataRefKind::Float);
        xphost::defineDataRef(kValuesDataRef, xphost::DataRefKind::FloatArray, kValueElements);
        xphost::setFrameHook([](double simTime) {
            const long long tick = std::llround(simTime * 100.0);
            xphost::setDataRefValue(kCounterDataRef, static_cast<double>(tick));
            for (int element = 0; element < kValueElements; ++element)
                xphost::setDataRefElement(kValuesDataRef, static_cast<std::size_t>(element),
                                          static_cast<double>(elementValue(element, tick)));
        });
        std::string error;
        xphost::setFrameRate(options_.FramesPerSecond);
        if (!module_.load(options_.Module, &error) || module_.start() != 1)
            return fail("cannot start " + options_.Module + ": " + error);
        // The first choice of each item builds its window (before the recording).
        for (const char *item : {"DataRef Setup", "DataRef Scaling", "Graph Window"})
            timed(std::string("build ") + item, [&] {
                if (!xphost::chooseMenuItem({"Plotwrite", item}, &error)) fail(error);
            });
        if (!ok_) return false;
        graph_ = plotwright_host::findVisibleWindow("Plotwright", &error);
        setup_ = plotwright_host::findVisibleWindow("DataRef Setup", &error);
        scaling_ = plotwright_host::findVisibleWindow("DataRef Scaling", &error);
        if (graph_ == nullptr || setup_ == nullptr || scaling_ == nullptr) return fail(error);
        return hostOk("opening the windows");
    }

    // The action, then a second of ticks, as the simulator goes on after a click.
    template <typename Action> void timed(const std::string &name, Action action) {
        actions_[name].time(action);
        for (int tick = 0; tick < kTicksAfterAction && ok_; ++tick)
            ticksAfterAction_.time([] { xphost::runFrames(1); });
    }

    // Not timed: brings the window forward so that a click is one click.
    void front(XPWidgetID window) {
        std::string error;
        if (!plotwright_host::bringToFront(window, &error)) fail(error);
    }

    void press(XPWidgetID window, const std::string &label) {
        std::string error;
        XPWidgetID button = plotwright_host::findButton(window, label, 1, &error);
        if (button == nullptr || !plotwright_host::clickOn(button, &error)) fail(error);
        hostOk("pressing " + label);
    }

    // The set shown after a switch: the last and the first stay where they are.
    void stepSet(int delta) { set_ = std::clamp(set_ + delta, 0, kSets - 1); }

    void goToSet(int set) {
        front(graph_);
        while (ok_ && set_ != set) {
            const bool next = set > set_;
            press(graph_, next ? "Next Set" : "Previous Set");
            stepSet(next ? +1 : -1);
        }
    }

    void exportSet(int set) {
        exportAndWait("Export", {set}, [&] { press(graph_, "Export"); });
    }

    // The action asks for the sets' exports; the ticks run until every file is complete.
    template <typename Action>
    void exportAndWait(const std::string &name, const std::vector<int> &sets, Action action) {
        std::vector<std::string> paths;
        std::vector<std::pair<dev_t, ino_t>> before;
        for (int set : sets) {
            paths.push_back(xphost::pluginFolder() + "Plotwright" + std::to_string(set + 1) +
                            ".csv");
            before.push_back(fileIdentity(paths.back()));
        }
        const auto allComplete = [&] {
            for (std::size_t k = 0; k < paths.size(); ++k)
                if (fileIdentity(paths[k]) == before[k]) return false;
            return true;
        };
        const Clock::time_point start = Clock::now();
        actions_[name].time(action);
        long long ticks = 0;
        while (ok_ && !allComplete() && ticks < kMaxTicksPerExport) {
            ticksDuringExport_.time([] { xphost::runFrames(1); });
            exportControl_.time(controlWork);
            ++ticks;
        }
        if (!allComplete()) fail(name + ": an export never became complete");
        if (name == "Export") exportComplete_.push_back(msSince(start));
        hostOk("an export");
    }

    void command(const std::string &name) {
        std::string error;
        if (!xphost::pressCommand(name, &error)) fail(error);
        hostOk("the command " + name);
    }

    // Every command, with the windows built and shown; each toggle closes and opens again. The
    // recording was stopped, and so it is left; the set switches start from the first set.
    void measureCommands() {
        goToSet(0);
        const std::pair<const char *, const char *> commands[] = {
            {"plotwright/next_set", ""},
            {"plotwright/previous_set", ""},
            {"plotwright/record", ""},
            {"plotwright/stop", ""},
            {"plotwright/record_toggle", " (records)"},
            {"plotwright/record_toggle", " (stops)"},
            {"plotwright/graph_window_toggle", " (closes)"},
            {"plotwright/graph_window_toggle", " (opens)"},
            {"plotwright/setup_window_toggle", " (closes)"},
            {"plotwright/setup_window_toggle", " (opens)"},
            {"plotwright/scaling_window_toggle", " (closes)"},
            {"plotwright/scaling_window_toggle", " (opens)"},
        };
        for (const auto &[name, what] : commands)
            timed(std::string(name) + what, [&] { command(name); });
        front(graph_);
        exportAndWait("plotwright/export", {0}, [&] { command("plotwright/export"); });
        exportAndWait("plotwright/export_all", {0, 1, 2},
                      [&] { command("plotwright/export_all"); });
    }

    void windowOpenClose(const char *item, XPWidgetID window) {
        timed(std::string("close ") + item, [&] {
            if (!xphost::clickCloseBox(window)) fail(std::string("no close box on ") + item);
        });
        timed(std::string("open ") + item, [&] {
            std::string error;
            if (!xphost::chooseMenuItem({"Plotwrite", item}, &error)) fail(error);
        });
        hostOk(item);
    }

    const Options &options_;
    const long long minutes_;
    xphost::PluginModule module_;
    XPWidgetID graph_ = nullptr, setup_ = nullptr, scaling_ = nullptr;
    int set_ = 0;
    std::map<std::string, CallTimes> actions_;
    CallTimes ticksRecording_, ticksDuringExport_, ticksAfterAction_, control_, exportControl_;
    std::vector<double> exportComplete_;
    ResidentMemory memoryBefore_, memoryRecorded_;
    int journalFiles_ = 0;
    long long journalBytes_ = 0;
};

struct FirstCommandChecks : RunChecks {
    FirstCommandChecks() : RunChecks("actions") {}
    using RunChecks::fail;
    using RunChecks::hostOk;
    bool ok() const { return ok_; }
};

// The first command after a start with no window open builds the graph window, hidden, for
// it: a new install and start each run, no recording.
bool measureFirstCommand(const Options &options) {
    FirstCommandChecks checks;
    CallTimes times;
    for (int run = 0; run < options.Runs && checks.ok(); ++run) {
        const std::string root = fs::absolute(options.Out).string() + "/first-command";
        std::error_code ec;
        fs::remove_all(root, ec);
        fs::create_directories(root, ec);
        xphost::resetHost(root);
        xphost::PluginModule module;
        std::string error;
        if (!module.load(options.Module, &error) || module.start() != 1)
            return checks.fail("cannot start " + options.Module + ": " + error);
        times.time([&] {
            if (!xphost::pressCommand("plotwright/record_toggle", &error)) checks.fail(error);
        });
        module.unload();
        checks.hostOk("the first command");
    }
    const Figure c = summarise(times.cpu());
    const Figure w = summarise(times.wall());
    std::printf("\n== the first command of a start, which builds the graph window (hidden) ==\n");
    std::printf("%-42s %10s %10s %10s %10s %6s\n", "", "CPU med", "CPU worst", "wall med",
                "wall worst", "runs");
    std::printf("%-42s %10.3f %10.3f %10.3f %10.3f %6zu\n", "plotwright/record_toggle", c.Median,
                c.Worst, w.Median, w.Worst, times.cpu().size());
    return checks.ok();
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    if (!parseOptions(argc, argv, &options)) {
        std::fprintf(stderr, "usage: plotwright-actions [--module FILE] [--out DIR] [--runs N] "
                             "[--minutes M,M,...] [--framerate R] [--keep-journal DIR]\n");
        return 2;
    }
    std::printf("module %s, %d runs per action\n", options.Module.c_str(), options.Runs);
    bool ok = measureFirstCommand(options);
    std::fflush(stdout);
    for (long long minutes : options.Minutes) {
        Measure measure(options, minutes);
        ok = measure.run() && ok;
        measure.print();
        std::fflush(stdout);
    }
    xphost::setFrameHook(nullptr);
    return ok ? 0 : 1;
}
