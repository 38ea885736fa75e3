// plotwright-soak: a long recording with every window open, in simulated time. The real module
// runs in the headless host; meanwhile the user switches sets, drags the scroll track, takes
// screenshots and exports. Every export is checked row by row once its file is complete, while
// the simulation goes on. Prints the memory held against the recorded payload, each export's time
// on the simulator's thread and until its file was complete, and the ticks' thread CPU and wall
// time (median, 99th to 99.99th percentile, maximum, and the slowest ticks' page faults and
// context switches), apart for the ticks while an export was being written. The clocks are read
// right around each tick, before any bookkeeping.
//
//   plotwright-soak [--hours H] [--framerate R] [--module FILE] [--out DIR]
//
// The simulator draws R frames a second (default 100), so a recorded hour takes 3600 x R
// flight-loop calls and holds 360,000 rows at any rate.
//
// Exit status 0 when every check held, 1 otherwise, 2 for a bad command line.
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "call_times.h"
#include "export_check.h"
#include "process_memory.h"
#include "run_checks.h"
#include "soak_signal.h"
#include "ui_input.h"
#include "ui_lookup.h"
#include "xphost/datarefs.h"
#include "xphost/flight_loop.h"
#include "xphost/host.h"
#include "xphost/menus.h"
#include "xphost/plugin_loader.h"
#include "xphost/screen.h"

namespace {
namespace fs = std::filesystem;
using namespace plotwright_soak;
using Clock = std::chrono::steady_clock;

constexpr long long kRowsPerHour = 360000;
// The user's actions, spread evenly over the run whatever its length (over ten hours: a set
// switch every 20 minutes, the track moved every 15, a screenshot every 30, an export every 2).
constexpr long long kSetSwitches = 30;
constexpr long long kTrackMoves = 40;
constexpr long long kScreenshots = 20;
constexpr long long kPeriodicExports = 4; // before the final export of each set
constexpr double kMiB = 1024.0 * 1024.0;
// A tick slower than this is counted, and the slowest are listed with their counters.
constexpr double kSlowMs = 1.0;
// An export not complete after this many ticks (ten simulated hours) has hung.
constexpr long long kMaxTicksPerExport = 3600000;

double secondsSince(Clock::time_point begin) {
    return std::chrono::duration<double>(Clock::now() - begin).count();
}

struct Options {
    double Hours = 10.0;
    double FramesPerSecond = 100.0;
    std::string Module = PLOTWRIGHT_SOAK_MODULE;
    std::string Out = "soak-output";
};

bool parseOptions(int argc, char **argv, Options *options) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (i + 1 >= argc) return false;
        const std::string value = argv[++i];
        if (word == "--hours") {
            char *end = nullptr;
            options->Hours = std::strtod(value.c_str(), &end);
            if (*end != '\0' || !(options->Hours > 0.0) || options->Hours > 100.0) return false;
        } else if (word == "--framerate") {
            if (!parseFrameRate(value, &options->FramesPerSecond)) return false;
        } else if (word == "--module") {
            options->Module = value;
        } else if (word == "--out") {
            options->Out = value;
        } else {
            return false;
        }
    }
    return true;
}

class Soak : RunChecks {
public:
    explicit Soak(const Options &options) : RunChecks("soak"), options_(options) {}

    int run() {
        const Clock::time_point begin = Clock::now();
        if (!prepare() || !warmUp()) return finish(begin);
        const long long ticks = std::llround(options_.Hours * 3600.0 * options_.FramesPerSecond);
        // The ticks while exports are written: about a twentieth of the run at any rate here.
        const auto exportTicks = static_cast<std::size_t>(std::max(ticks / 4, 300000LL));
        ticks_.reserve(static_cast<std::size_t>(ticks));
        exportTicks_.reserve(exportTicks);
        control_.reserve(static_cast<std::size_t>(ticks));
        exportControl_.reserve(exportTicks);
        baseline_ = residentMemory();
        if (!press(graph_, "Record")) return finish(begin);
        // The first call after Record takes the first row, with the counter of its frame.
        firstTick_ = -1;
        const long long switchEvery = std::max(1LL, ticks / kSetSwitches);
        const long long trackEvery = std::max(1LL, ticks / kTrackMoves);
        const long long screenshotEvery = std::max(1LL, ticks / kScreenshots);
        const long long exportEvery = std::max(1LL, ticks / (kPeriodicExports + 1));
        for (long long tick = 1; tick <= ticks && ok_; ++tick) {
            ticks_.time([] { xphost::runFrames(1); });
            control_.time(controlWork);
            ticksRun_ = tick;
            if (firstTick_ < 0) firstTick_ = lastTick_;
            if (!hostOk("a tick")) break;
            if (tick % switchEvery == 0) switchSet();
            if (tick % trackEvery == 0) moveTrack(tick / trackEvery);
            if (tick % screenshotEvery == 0) screenshot();
            if (tick % exportEvery == 0 && tick < ticks) exportAndCheck(set_);
        }
        if (ok_ && press(graph_, "Stop")) {
            // The ticks that run while the last exports are written record nothing.
            stoppedAt_ = lastTick_;
            for (int set = 0; set < kSets && ok_; ++set) {
                goToSet(set);
                if (ok_) exportAndCheck(set);
            }
        }
        return finish(begin);
    }

private:
    bool prepare() {
        const std::string root = fs::absolute(options_.Out).string() + "/install";
        std::error_code ec;
        fs::remove_all(root, ec);
        fs::create_directories(root, ec);
        xphost::resetHost(root);
        if (!hostOk("the host's reset")) return false;
        if (std::FILE *ini = std::fopen((xphost::pluginFolder() + "Plotwright.ini").c_str(), "w")) {
            const std::string text = soakSettings();
            std::fwrite(text.data(), 1, text.size(), ini);
            std::fclose(ini);
        }
        xphost::defineDataRef(kCounterDataRef, xphost::DataRefKind::Float);
        xphost::defineDataRef(kValuesDataRef, xphost::DataRefKind::FloatArray, kValueElements);
        xphost::setFrameHook([this](double simTime) { setSignal(simTime); });
        std::string error;
        if (!xphost::ensureGraphics(&error)) return fail("no OpenGL: " + error);
        if (!module_.load(options_.Module, &error)) return fail(error);
        if (module_.start() != 1) return fail("XPluginStart did not return 1");
        for (const char *item : {"Graph Window", "DataRef Setup", "DataRef Scaling"})
            if (!xphost::chooseMenuItem({"Plotwrite", item}, &error)) return fail(error);
        graph_ = plotwright_host::findVisibleWindow("Plotwright", &error);
        if (graph_ == nullptr) return fail(error);
        xphost::setFrameRate(options_.FramesPerSecond);
        xphost::advanceSeconds(1.0); // the windows settle before the recording
        return hostOk("opening the windows");
    }

    void setSignal(double simTime) {
        static const std::string counter = kCounterDataRef, values = kValuesDataRef;
        lastTick_ = std::llround(simTime * 100.0);
        xphost::setDataRefValue(counter, static_cast<double>(lastTick_));
        for (int element = 0; element < kValueElements; ++element)
            xphost::setDataRefElement(values, static_cast<std::size_t>(element),
                                      static_cast<double>(elementValue(element, lastTick_)));
    }

    // Only the click is timed (into `clicks` when given), not the search for the button.
    bool press(XPWidgetID window, const std::string &label, CallTimes *clicks = nullptr) {
        std::string error;
        XPWidgetID button = plotwright_host::findButton(window, label, 1, &error);
        if (button == nullptr) return fail(error);
        bool clicked = false;
        const auto click = [&] { clicked = plotwright_host::clickOn(button, &error); };
        if (clicks != nullptr)
            clicks->time(click);
        else
            click();
        if (!clicked) return fail(error);
        return hostOk("pressing " + label);
    }

    // The switch stops at the first and the last set: the user walks to the end and back.
    void switchSet() {
        if (set_ == kSets - 1) step_ = -1;
        if (set_ == 0) step_ = 1;
        if (press(graph_, step_ > 0 ? "Next Set" : "Previous Set", &setSwitches_)) set_ += step_;
    }

    void goToSet(int set) {
        while (ok_ && set_ != set) {
            step_ = set > set_ ? 1 : -1;
            if (press(graph_, step_ > 0 ? "Next Set" : "Previous Set")) set_ += step_;
        }
    }

    // Whatever the driver and the windows allocate once (the first picture's shaders, the first
    // drag) belongs to the baseline, not to the recording.
    bool warmUp() {
        screenshot();
        moveTrack(1);
        moveTrack(2);
        switchSet();
        switchSet();
        screenshots_ = 0;
        return ok_;
    }

    // Odd turns drag the thumb somewhere into the recording, even turns go back to its end.
    void moveTrack(long long turn) {
        if (turn % 2 == 0) {
            press(graph_, ">|");
            return;
        }
        std::string error;
        XPWidgetID graph = plotwright_host::findGraph(graph_, &error);
        const double to = static_cast<double>((turn * 37) % 100) / 100.0;
        if (graph == nullptr || !plotwright_host::dragTrack(graph, true, 0.0, to, &error)) {
            fail(error);
            return;
        }
        hostOk("dragging the track");
    }

    void screenshot() {
        const xphost::Image image = xphost::captureScreen();
        std::string error;
        if (image.Width == 0 || !xphost::writePng(image, options_.Out + "/soak-screen.png", &error))
            fail("screenshot: " + error);
        else
            ++screenshots_;
        hostOk("a screenshot");
    }

    // Which file stands under the name: the export writes a new file and renames it over the
    // old one once it is complete, so the pair changes exactly then.
    static std::pair<dev_t, ino_t> fileIdentity(const std::string &path) {
        struct stat status {};
        if (stat(path.c_str(), &status) != 0) return {0, 0};
        return {status.st_dev, status.st_ino};
    }

    // The export holds the rows up to the click; the simulation goes on, one tick at a time,
    // until its file has replaced the old one. Those ticks are timed on their own.
    void exportAndCheck(int set) {
        const std::string file = "Plotwright" + std::to_string(set + 1) + ".csv";
        const std::string path = xphost::pluginFolder() + file;
        const auto before = fileIdentity(path);
        const long long clickTick = stoppedAt_ >= 0 ? stoppedAt_ : lastTick_;
        const Clock::time_point start = Clock::now();
        if (!press(graph_, "Export", &exportClicks_)) return;
        const double clickMs = static_cast<double>(exportClicks_.wall().back());
        const double clickCpuMs = static_cast<double>(exportClicks_.cpu().back());
        const std::size_t ticksBefore = exportTicks_.wall().size();
        long long ticksMeanwhile = 0;
        while (ok_ && fileIdentity(path) == before) {
            if (ticksMeanwhile == kMaxTicksPerExport) {
                fail(file + ": not complete after " + std::to_string(kMaxTicksPerExport) +
                     " ticks");
                return;
            }
            exportTicks_.time([] { xphost::runFrames(1); });
            exportControl_.time(controlWork);
            ++ticksMeanwhile;
            if (!hostOk("a tick during an export")) return;
        }
        const double complete = secondsSince(start);
        const std::vector<float> &wall = exportTicks_.wall();
        const float worstTick =
            wall.size() > ticksBefore
                ? *std::max_element(wall.begin() + static_cast<std::ptrdiff_t>(ticksBefore),
                                    wall.end())
                : 0.0f;
        // At 100 frames a second every call brings one row; else a row may hold a later call's
        // counter, up to a frame's rows and one for rounding.
        const double rowsPerFrame = 100.0 / options_.FramesPerSecond;
        const int slack =
            options_.FramesPerSecond == 100.0 ? 0 : static_cast<int>(std::ceil(rowsPerFrame)) + 1;
        const ExportCheck check = checkExport(path, set, firstTick_, clickTick, slack);
        std::printf("export %-16s %9lld rows: click %6.3f ms CPU, %6.3f ms wall, complete "
                    "after %6.3f s and %lld ticks (worst %.2f ms)  %s\n",
                    file.c_str(), static_cast<long long>(check.Rows), clickCpuMs, clickMs, complete,
                    ticksMeanwhile, static_cast<double>(worstTick),
                    check.Ok ? "every row exact" : check.Problem.c_str());
        std::fflush(stdout);
        if (!check.Ok) fail(file + ": " + check.Problem);
        rowsRecorded_ = std::max(rowsRecorded_, static_cast<long long>(check.Rows));
    }

    int finish(Clock::time_point begin) {
        module_.unload();
        xphost::setFrameHook(nullptr);
        const ResidentMemory end = residentMemory();
        const double payload = static_cast<double>(rowsRecorded_) * kSets * kChannels * 4.0;
        const double held = static_cast<double>(end.PeakBytes - baseline_.NowBytes);
        // Per 0.01 s of recording: the recording also runs through the ticks while exports are
        // written, so its length is the rows' count, not the hours asked for.
        const double perRow = rowsRecorded_ > 0 ? held / static_cast<double>(rowsRecorded_) : 0.0;
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const double cpu =
            static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
            static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        std::printf("simulated %.2f h at %.0f frames a second (%lld ticks, %lld rows recorded) in "
                    "%.1f s wall, %.1f s of CPU\n",
                    options_.Hours, options_.FramesPerSecond, ticksRun_, rowsRecorded_,
                    secondsSince(begin), cpu);
        std::printf("clicks (ms):\n");
        exportClicks_.print("Export", kSlowMs);
        setSwitches_.print("Next Set and Previous Set", kSlowMs);
        std::printf("ticks (ms):\n");
        ticks_.print("while recording, no export being written", kSlowMs);
        exportTicks_.print("while an export was being written", kSlowMs);
        control_.print("control beside each tick while recording (the same work every time, no "
                       "plug-in code)",
                       kSlowMs);
        exportControl_.print("control beside each tick while an export was being written", kSlowMs);
        std::printf("memory: baseline %.1f MiB, peak %.1f MiB; peak over baseline %.1f MiB for "
                    "a payload of %.1f MiB (24 floats per row): %.2fx; %.1f MiB per recorded "
                    "hour, %.1f bytes per 0.01 s\n",
                    baseline_.NowBytes / kMiB, end.PeakBytes / kMiB, held / kMiB, payload / kMiB,
                    payload > 0 ? held / payload : 0.0, perRow * kRowsPerHour / kMiB, perRow);
        std::printf("screenshots: %d; %s\n", screenshots_,
                    ok_ ? "every check held" : "FAILED (see the messages above)");
        return ok_ ? 0 : 1;
    }

    const Options &options_;
    xphost::PluginModule module_;
    XPWidgetID graph_ = nullptr;
    int set_ = 0;
    int step_ = 1;
    long long lastTick_ = 0;
    long long firstTick_ = 0;
    long long stoppedAt_ = -1;
    long long rowsRecorded_ = 0;
    long long ticksRun_ = 0;
    int screenshots_ = 0;
    ResidentMemory baseline_;
    CallTimes ticks_;
    CallTimes exportTicks_;
    CallTimes control_;
    CallTimes exportControl_;
    CallTimes exportClicks_;
    CallTimes setSwitches_;
};

} // namespace

int main(int argc, char **argv) {
    Options options;
    if (!parseOptions(argc, argv, &options)) {
        std::fprintf(stderr, "usage: plotwright-soak [--hours H] [--framerate R] [--module FILE] "
                             "[--out DIR]\n");
        return 2;
    }
    std::error_code ec;
    fs::create_directories(options.Out, ec);
    return Soak(options).run();
}
