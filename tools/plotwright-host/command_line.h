#pragma once
// The runner's command line.

#include <string>
#include <vector>

#include "frame_rate.h"

namespace plotwright_host {

struct CommandLine {
    std::string ScenarioPath; // empty: the built-in demo flight
    std::string OutDir = "plotwright-output";
    std::string InstallRoot;  // empty: OutDir/install
    std::string ModulePath;   // empty: the module built with this program
    std::string SettingsPath; // empty: the example settings file beside the module
    int ScreenWidth = 0;
    int ScreenHeight = 0;
    FrameRate Rate;
    std::string RowsFile;     // empty: no report of the rows recorded
    bool KeepInstall = false; // start on the install folder as an earlier run left it
    bool RealTime = false;    // pace frames to wall time
    bool CheckOnly = false;
    bool Verbose = false;
    bool Help = false;
};

// Returns false with a message for an unknown option or a bad value.
bool parseCommandLine(const std::vector<std::string> &args, CommandLine *line, std::string *error);

std::string usageText(const std::string &program);

} // namespace plotwright_host
