#pragma once
// Runs a parsed scenario: builds the simulated install, loads and starts the plug-in, replays the
// commands in simulated time, and collects what the run produced. Waits count the simulator's
// running time, which goes on while it is paused.

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "frame_rate.h"
#include "install_folder.h"
#include "scenario.h"

namespace plotwright_host {

struct RunOptions {
    std::string ModulePath;
    std::string DefaultSettingsPath; // installed when the scenario says `settings default`
    std::string OutDir;              // absolute
    std::string InstallRoot;         // absolute
    int ScreenWidth = 0;             // 0: the scenario's, else 1280 x 800
    int ScreenHeight = 0;
    FrameRate Rate; // from the start; the scenario's framerate commands change it later
    // Start on the install folder as the last run left it: what a run that was killed wrote
    // stays for the plug-in's next start to find. The simulator's log starts anew, as it does.
    bool KeepInstall = false;
    // Each frame also lasts its length in wall time, so that a process killed from outside dies
    // at a known moment of its recording. The frames and what they record do not change.
    bool RealTime = false;
    // Empty, or a file kept holding the rows recorded so far (see rows_report.h).
    std::string RowsFile;
    bool Verbose = false;
    std::FILE *Progress = stdout;
    // Called after each command that worked and left no host error, with the command's position
    // in the scenario: a check from outside (the UI fuzzer's model). A false result fails the run
    // at that command with the reason given in *error. Every export asked for so far is
    // complete when it is called (the runner disables and enables the plug-in first).
    std::function<bool(std::size_t command, std::string *error)> AfterCommand;
};

struct RunReport {
    bool Succeeded = false;
    std::vector<std::string> Failures; // "file:line: what went wrong"
    std::vector<OutputFile> Files;     // relative to the output folder, in the order made
    int ExpectationsMet = 0;
    int CommandsRun = 0;
    double SimulatedSeconds = 0.0;
    double WallSeconds = 0.0;
};

RunReport runScenario(const Scenario &scenario, const RunOptions &options);

// The summary printed at the end of a run.
void printSummary(const Scenario &scenario, const RunOptions &options, const RunReport &report,
                  std::FILE *out);

} // namespace plotwright_host
