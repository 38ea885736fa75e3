#include "command_line.h"

#include <cstdio>
#include <cstdlib>

namespace plotwright_host {

namespace {
bool parseScreen(const std::string &text, int *width, int *height) {
    int w = 0, h = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &w, &h, &tail) != 2) return false;
    if (w < 320 || h < 240 || w > 8192 || h > 8192) return false;
    *width = w;
    *height = h;
    return true;
}
} // namespace

bool parseCommandLine(const std::vector<std::string> &args, CommandLine *line, std::string *error) {
    for (std::size_t k = 0; k < args.size(); ++k) {
        const std::string &arg = args[k];
        auto value = [&](std::string *out) {
            if (k + 1 >= args.size() || args[k + 1].empty()) {
                *error = "the option " + arg + " needs a value";
                return false;
            }
            *out = args[++k];
            return true;
        };
        if (arg == "-h" || arg == "--help") {
            line->Help = true;
        } else if (arg == "--scenario") {
            if (!value(&line->ScenarioPath)) return false;
        } else if (arg == "--out") {
            if (!value(&line->OutDir)) return false;
        } else if (arg == "--root") {
            if (!value(&line->InstallRoot)) return false;
        } else if (arg == "--module") {
            if (!value(&line->ModulePath)) return false;
        } else if (arg == "--settings") {
            if (!value(&line->SettingsPath)) return false;
        } else if (arg == "--screen") {
            std::string size;
            if (!value(&size)) return false;
            if (!parseScreen(size, &line->ScreenWidth, &line->ScreenHeight)) {
                *error =
                    "--screen wants WIDTHxHEIGHT from 320x240 to 8192x8192, e.g. 1280x800; got '" +
                    size + "'";
                return false;
            }
        } else if (arg == "--framerate") {
            std::string rate;
            if (!value(&rate)) return false;
            if (!parseFrameRate(rate, &line->Rate, error)) {
                *error = "--framerate: " + *error;
                return false;
            }
        } else if (arg == "--rows-file") {
            if (!value(&line->RowsFile)) return false;
        } else if (arg == "--keep-install") {
            line->KeepInstall = true;
        } else if (arg == "--real-time") {
            line->RealTime = true;
        } else if (arg == "--check") {
            line->CheckOnly = true;
        } else if (arg == "-v" || arg == "--verbose") {
            line->Verbose = true;
        } else if (!arg.empty() && arg[0] == '-') {
            *error = "unknown option " + arg + " (see --help)";
            return false;
        } else if (line->ScenarioPath.empty()) {
            line->ScenarioPath = arg;
        } else {
            *error = "more than one scenario given: " + line->ScenarioPath + " and " + arg;
            return false;
        }
    }
    return true;
}

std::string usageText(const std::string &program) {
    return "Usage: " + program +
           " [options] [SCENARIO]\n"
           "Runs the Plotwright plug-in in a headless stand-in for X-Plane through a scripted\n"
           "flight, replaying a user's actions, and leaves screenshots, exports and the log in\n"
           "one folder. Without a scenario it flies the built-in demo.\n"
           "\n"
           "Options:\n"
           "  --scenario FILE   the scenario to run (default: the built-in demo flight)\n"
           "  --out DIR         output folder (default: plotwright-output)\n"
           "  --root DIR        the simulated X-Plane folder; must be new, empty or made by an\n"
           "                    earlier run, since it is emptied (default: DIR/install)\n"
           "  --keep-install    start on the install folder as the last run left it (a killed\n"
           "                    run's files stay; the simulator's log starts anew)\n"
           "  --module FILE     the plug-in module to load (default: the lin.xpl built with\n"
           "                    this program)\n"
           "  --settings FILE   the Plotwright.ini installed unless the scenario gives its own\n"
           "                    (default: the example settings file)\n"
           "  --screen WxH      screen size in pixels (default: the scenario's, else 1280x800)\n"
           "  --framerate R     the simulator's frames a second from the start: 30, or 20..144\n"
           "                    for frames of uneven length (default 100)\n"
           "  --real-time       pace frames to wall time: each frame also lasts its length\n"
           "  --rows-file FILE  keep FILE holding the number of rows recorded so far, replaced\n"
           "                    whole after every frame that changed it\n"
           "  --check           only read the scenario and report its errors\n"
           "  -v, --verbose     print every command as it runs\n"
           "  -h, --help        this text\n"
           "\n"
           "Exit status: 0 when the run passed, 1 when an action or expectation failed or the\n"
           "plug-in misused the simulator's interface, 2 for a bad command line or scenario.\n"
           "The scenario format is described in docs/scenarios.md.\n";
}

} // namespace plotwright_host
