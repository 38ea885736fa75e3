#include "scenario_runner.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <new>

#include "dataref_driver.h"
#include "expectations.h"
#include "frame_pacer.h"
#include "rows_report.h"
#include "ui_input.h"
#include "ui_lookup.h"
#include "xphost/commands.h"
#include "xphost/flight_loop.h"
#include "xphost/host.h"
#include "xphost/menus.h"
#include "xphost/messages.h"
#include "xphost/plugin_loader.h"
#include "xphost/screen.h"
#include "xphost/widgets.h"

namespace plotwright_host {
namespace fs = std::filesystem;
namespace {

constexpr int kDefaultScreenWidth = 1280;
constexpr int kDefaultScreenHeight = 800;
constexpr double kProgressEverySeconds = 30.0;
constexpr double kHalfMicrosecond = 0.5e-6;

template <class... Ts> struct Overloaded : Ts... { using Ts::operator()...; };
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

class Run {
public:
    Run(const Scenario &scenario, const RunOptions &options, RunReport *report)
        : scenario_(scenario), options_(options), report_(report) {}

    void execute() {
        if (!prepare()) return;
        for (std::size_t index = 0; index < scenario_.Commands.size(); ++index) {
            const Command &command = scenario_.Commands[index];
            if (options_.Verbose)
                std::fprintf(options_.Progress, "[%8.2f s] %s  %s\n", xphost::wallTime(),
                             command.Where.where().c_str(), command.Text.c_str());
            std::string error;
            const bool ok = performCatching(command, &error);
            ++report_->CommandsRun;
            if (!ok) fail(command.Where, error);
            const bool fatal = !ok && !std::holds_alternative<Expect>(command.What);
            if (checkHost(command.Where) || fatal) break;
            if (ok && options_.AfterCommand) waitForExports();
            if (ok && options_.AfterCommand && !options_.AfterCommand(index, &error)) {
                fail(command.Where, error);
                break;
            }
        }
        finish();
    }

private:
    // Running out of memory anywhere in an action (the host's capture, the picture's file, the
    // plug-in's callbacks it triggers) ends the run with a host error at the action's line; the
    // runner itself never aborts on it.
    bool performCatching(const Command &command, std::string *error) {
        try {
            return std::visit([&](const auto &action) { return perform(action, error); },
                              command.What);
        } catch (const std::bad_alloc &) {
            xphost::reportHostError("out of memory while running \"" + command.Text + "\"");
            return true;
        }
    }

    bool prepare() {
        std::string error;
        const SourceLine top{scenario_.File, 0};
        if (!prepareInstallRoot(options_.InstallRoot, options_.KeepInstall, &error))
            return fail(top, error);
        xphost::resetHost(options_.InstallRoot);
        if (checkHost(top)) return false;
        if (!installModule(options_.ModulePath, &error)) return fail(top, error);
        if (!installSettings(&error)) return fail(top, error);

        const int width = options_.ScreenWidth > 0    ? options_.ScreenWidth
                          : scenario_.ScreenWidth > 0 ? scenario_.ScreenWidth
                                                      : kDefaultScreenWidth;
        const int height = options_.ScreenHeight > 0    ? options_.ScreenHeight
                           : scenario_.ScreenHeight > 0 ? scenario_.ScreenHeight
                                                        : kDefaultScreenHeight;
        xphost::setScreenSize(width, height);
        if (!xphost::ensureGraphics(&error))
            return fail(top, "no OpenGL context for the screen: " + error);
        xphost::setFrameHook([this](double t) { driver_.update(t); });
        applyFrameRate(options_.Rate);
        // The file exists from the start, so a watcher can tell a run that records nothing.
        if (!rowsReport_.update(0, &error)) return fail(top, error);
        return !checkHost(top);
    }

    bool installSettings(std::string *error) {
        const Settings &settings = scenario_.SettingsFile;
        switch (settings.From) {
        case Settings::Source::Default:
            return installSettingsFile(options_.DefaultSettingsPath, error);
        case Settings::Source::None:
            return removeSettings(error);
        case Settings::Source::File: {
            const fs::path path = fs::path(settings.PathOrText).is_absolute()
                                      ? fs::path(settings.PathOrText)
                                      : fs::path(scenario_.BaseDir) / settings.PathOrText;
            return installSettingsFile(path.string(), error);
        }
        case Settings::Source::Inline:
            return installSettingsText(settings.PathOrText, error);
        }
        return true;
    }

    void finish() {
        if (module_.started()) {
            module_.stop();
            checkHost(SourceLine{scenario_.File, 0});
        }
        module_.unload();
        xphost::setFrameHook(nullptr);
        std::string error;
        std::vector<OutputFile> copied = collectPluginFiles(options_.OutDir, &error);
        if (!error.empty()) fail(SourceLine{scenario_.File, 0}, error);
        report_->Files.insert(report_->Files.end(), copied.begin(), copied.end());
        report_->SimulatedSeconds = xphost::wallTime();
        report_->Succeeded = report_->Failures.empty();
    }

    bool fail(const SourceLine &where, const std::string &message) {
        report_->Failures.push_back((where.Line > 0 ? where.where() : where.File) + ": " + message);
        std::fprintf(stderr, "FAILED %s\n", report_->Failures.back().c_str());
        return false;
    }

    // Host errors are the plug-in misusing the simulator's interface: the run stops at the
    // command during which they appeared. Returns true when there were any.
    bool checkHost(const SourceLine &where) {
        bool any = false;
        if (!driver_.failure().empty()) {
            fail(where, "while setting datarefs: " + driver_.failure());
            any = true;
        }
        for (const std::string &error : xphost::hostErrors()) {
            fail(where, "host error: " + error);
            any = true;
        }
        xphost::clearHostErrors();
        return any;
    }

    bool needStarted(std::string *error) {
        if (module_.started()) return true;
        *error = "the plug-in is not running";
        return false;
    }

    bool perform(const DefineDataRef &define, std::string *error) {
        return driver_.define(define, error);
    }
    bool perform(const WithdrawDataRef &withdraw, std::string *error) {
        return driver_.withdraw(withdraw, error);
    }
    bool perform(const SendMessage &message, std::string *error) {
        if (!needStarted(error)) return false;
        xphost::sendMessage(message.Message, message.Param);
        return true;
    }
    bool perform(const SetFormula &set, std::string *error) {
        return driver_.setFormula(set, error);
    }
    bool perform(const DefineLet &let, std::string *error) { return driver_.defineLet(let, error); }

    bool perform(const StartPlugin &, std::string *error) {
        if (!module_.load(options_.ModulePath, error)) return false;
        // The datarefs hold their values at time 0 when the plug-in first looks them up.
        driver_.update(xphost::simTime());
        if (module_.start() != 1) {
            *error = "XPluginStart did not return 1";
            return false;
        }
        return true;
    }

    bool perform(const StopPlugin &, std::string *error) {
        if (!needStarted(error)) return false;
        module_.stop();
        return true;
    }

    bool perform(const ChooseMenu &menu, std::string *error) {
        if (!needStarted(error)) return false;
        return xphost::chooseMenuItem(menu.Path, error);
    }

    bool perform(const PressButton &press, std::string *error) {
        XPWidgetID window = findVisibleWindow(press.Window, error);
        XPWidgetID button =
            window != nullptr ? findButton(window, press.Label, press.Occurrence, error) : nullptr;
        return button != nullptr && clickOn(button, error);
    }

    bool perform(const PressCommand &press, std::string *error) {
        if (!needStarted(error)) return false;
        if (press.HoldTicks == 0) return xphost::pressCommand(press.Name, error);
        return xphost::holdCommand(press.Name, press.HoldTicks, error);
    }

    bool perform(const ClickCell &click, std::string *error) {
        XPWidgetID window = findVisibleWindow(click.Window, error);
        XPWidgetID cell =
            window != nullptr ? findCell(window, click.Column, click.Row, error) : nullptr;
        return cell != nullptr && clickOn(cell, error);
    }

    bool perform(const TypeIntoCell &type, std::string *error) {
        XPWidgetID window = findVisibleWindow(type.Window, error);
        XPWidgetID cell =
            window != nullptr ? findCell(window, type.Column, type.Row, error) : nullptr;
        return cell != nullptr && typeInto(cell, type.Text, error);
    }

    bool perform(const CloseWindow &close, std::string *error) {
        XPWidgetID window = findVisibleWindow(close.Window, error);
        if (window == nullptr) return false;
        const xphost::WidgetRect box = xphost::closeBoxRect(window);
        if (!uncover(window, (box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2, error))
            return false;
        if (!xphost::clickCloseBox(window)) {
            *error = "the window " + windowName(window) + " has no close box that takes a click";
            return false;
        }
        return true;
    }

    bool perform(const TrackClick &click, std::string *error) {
        XPWidgetID window = findVisibleWindow(click.Window, error);
        XPWidgetID graph = window != nullptr ? findGraph(window, error) : nullptr;
        return graph != nullptr && clickTrack(graph, click.At, error);
    }

    bool perform(const TrackDrag &drag, std::string *error) {
        XPWidgetID window = findVisibleWindow(drag.Window, error);
        XPWidgetID graph = window != nullptr ? findGraph(window, error) : nullptr;
        return graph != nullptr && dragTrack(graph, drag.FromThumb, drag.From, drag.To, error);
    }

    bool perform(const Wait &wait, std::string *error) {
        if (wait.In == Wait::Unit::Ticks) {
            for (long long frame = 0; frame < static_cast<long long>(wait.Amount); ++frame)
                if (!runFrame(error)) return false;
            return true;
        }
        // The simulator's running time: a paused simulator's clock goes on. Frames are whole;
        // stop at the first frame at or after the end.
        const double end =
            wait.In == Wait::Unit::UntilSeconds ? wait.Amount : xphost::wallTime() + wait.Amount;
        while (end - xphost::wallTime() > kHalfMicrosecond) {
            if (!runFrame(error)) return false;
            if (xphost::wallTime() >= nextProgress_) {
                if (!options_.Verbose)
                    std::fprintf(options_.Progress, "  ... %.0f simulated seconds\n",
                                 xphost::wallTime());
                nextProgress_ = xphost::wallTime() + kProgressEverySeconds;
            }
        }
        return true;
    }

    // One frame, then what watches the run from outside sees it: the rows it recorded, and in
    // real time its length slept. A failing formula or a host error stops the wait at once.
    bool runFrame(std::string *error) {
        xphost::runFrames(1);
        if (!driverOk(error) || !xphost::hostErrors().empty()) return driverOk(error);
        if (rowsReport_.enabled() && !rowsReport_.update(recordedRows(), error)) return false;
        if (options_.RealTime) pacer_.afterFrame(xphost::wallTime());
        return true;
    }

    bool driverOk(std::string *error) {
        if (driver_.failure().empty()) return true;
        *error = "while setting datarefs: " + driver_.failure();
        return false;
    }

    bool perform(const Screenshot &shot, std::string *error) {
        xphost::Image image;
        std::string what = "the screen";
        if (shot.Window.empty()) {
            image = xphost::captureScreen();
        } else {
            XPWidgetID window = findVisibleWindow(shot.Window, error);
            if (window == nullptr || !bringToFront(window, error)) return false;
            image = xphost::captureWindow(window);
            what = "the window " + windowName(window);
        }
        const fs::path path = fs::path(options_.OutDir) / shot.File;
        std::error_code ec;
        fs::create_directories(path.parent_path(), ec);
        if (image.Width == 0 || !xphost::writePng(image, path.string(), error)) {
            if (error->empty()) *error = "could not capture " + what;
            return false;
        }
        report_->Files.push_back({shot.File, "screenshot of " + what + ", " +
                                                 std::to_string(image.Width) + " x " +
                                                 std::to_string(image.Height)});
        return true;
    }

    bool perform(const Print &print, std::string *) {
        std::fprintf(options_.Progress, "[%7.2f s] %s\n", xphost::wallTime(), print.Text.c_str());
        return true;
    }

    bool perform(const SetFrameRate &set, std::string *) {
        applyFrameRate(set.Rate);
        return true;
    }

    bool perform(const PauseSimulator &pause, std::string *) {
        xphost::setPaused(pause.Paused);
        return true;
    }

    bool perform(const CountCalls &count, std::string *) {
        if (count.Start) {
            countedFrom_ = xphost::flightLoopCallCount();
            xphost::startFlightLoopSpan();
            counting_ = true;
        } else {
            heldCount_ = calls();
            heldRows_ = rows();
            counting_ = false;
        }
        return true;
    }

    long long calls() const {
        return counting_ ? xphost::flightLoopCallCount() - countedFrom_ : heldCount_;
    }

    // A recording takes a row at its first call and one for every 0.01 s after it.
    double rows() const {
        if (!counting_) return heldRows_;
        return calls() == 0 ? 0.0 : xphost::flightLoopSpanSeconds() * 100.0 + 1.0;
    }

    bool perform(const Expect &expect, std::string *error) {
        if (readsFilesOrLog(expect)) waitForExports();
        bool met = false;
        if (expect.What == Expect::Subject::Calls) {
            met = compareText(std::to_string(calls()), expect.Compare, error);
            if (!met) *error = "the flight-loop calls counted: " + *error;
        } else if (expect.Compare.NumberIs == Comparison::Counted::Calls) {
            Expect resolved = expect;
            resolved.Compare.Number = static_cast<double>(calls());
            met = checkExpectation(resolved, error);
            if (!met) *error += " (the flight-loop calls counted)";
        } else if (expect.Compare.NumberIs == Comparison::Counted::Rows) {
            Expect resolved = expect;
            resolved.Compare.Number = rows();
            met = checkExpectation(resolved, error);
            if (!met) *error += " (the rows of 0.01 s the counted calls span)";
        } else {
            met = checkExpectation(expect, error);
        }
        if (!met) return false;
        ++report_->ExpectationsMet;
        return true;
    }

    static bool readsFilesOrLog(const Expect &expect) {
        switch (expect.What) {
        case Expect::Subject::FileLine:
        case Expect::Subject::FileLineCount:
        case Expect::Subject::FileText:
        case Expect::Subject::FileExists:
        case Expect::Subject::Log:
            return true;
        default:
            return false;
        }
    }

    // The plug-in writes exports on a thread of its own and says nothing when one is complete.
    // A disabled plug-in runs no code, so disabling it waits for every export asked for so far
    // and logs what its writer had to say; enabling it again changes nothing else. This keeps
    // the module's five entry points and needs no clock.
    void waitForExports() {
        if (!module_.started() || !module_.enabled()) return;
        module_.disable();
        module_.enable();
    }

    const Scenario &scenario_;
    const RunOptions &options_;
    RunReport *report_;
    DataRefDriver driver_;
    xphost::PluginModule module_;
    RowsReport rowsReport_{options_.RowsFile};
    FramePacer pacer_;
    double nextProgress_ = kProgressEverySeconds;
    bool counting_ = false;
    long long countedFrom_ = 0;
    long long heldCount_ = 0;
    double heldRows_ = 0.0;
};

} // namespace

RunReport runScenario(const Scenario &scenario, const RunOptions &options) {
    RunReport report;
    const auto begin = std::chrono::steady_clock::now();
    try {
        Run run(scenario, options, &report);
        run.execute();
    } catch (const std::bad_alloc &) {
        // Outside any action: preparing the install or collecting the files at the end.
        report.Failures.push_back(scenario.File + ": host error: out of memory");
        report.Succeeded = false;
    }
    report.WallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    return report;
}

void printSummary(const Scenario &scenario, const RunOptions &options, const RunReport &report,
                  std::FILE *out) {
    std::fprintf(out,
                 "\n%s %s: %d commands, %d expectations met, %.1f simulated seconds in %.1f s.\n",
                 scenario.File.c_str(), report.Succeeded ? "passed" : "FAILED", report.CommandsRun,
                 report.ExpectationsMet, report.SimulatedSeconds, report.WallSeconds);
    std::fprintf(out, "Output folder: %s\n", options.OutDir.c_str());
    std::size_t width = 0;
    for (const OutputFile &file : report.Files)
        width = std::max(width, file.Name.size());
    for (const OutputFile &file : report.Files)
        std::fprintf(out, "  %-*s  %s\n", static_cast<int>(width), file.Name.c_str(),
                     file.Description.c_str());
    std::fprintf(out, "Simulated install: %s\n", options.InstallRoot.c_str());
    if (!report.Failures.empty()) {
        std::fprintf(out, "%zu failure%s:\n", report.Failures.size(),
                     report.Failures.size() == 1 ? "" : "s");
        for (const std::string &failure : report.Failures)
            std::fprintf(out, "  %s\n", failure.c_str());
    }
}

} // namespace plotwright_host
