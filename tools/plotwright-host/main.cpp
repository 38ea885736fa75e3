// plotwright-host: runs the real plug-in module in the headless host through a scenario.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "builtin_demo.h"
#include "command_line.h"
#include "scenario_parser.h"
#include "scenario_runner.h"

namespace {

namespace fs = std::filesystem;
using namespace plotwright_host;

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

std::string absolute(const std::string &path) {
    std::error_code ec;
    const fs::path result = fs::absolute(path, ec);
    return ec ? path : result.lexically_normal().string();
}

// The settings beside the module's folder (Plotwright/Plotwright.ini next to Plotwright/64/lin.xpl,
// else the example shipped as Plotwright/PlotwrightExample.ini); the source tree's copy is the
// fallback.
std::string defaultSettingsFor(const std::string &module) {
    const fs::path folder = fs::path(module).parent_path().parent_path();
    std::error_code ec;
    for (const char *name : {"Plotwright.ini", "PlotwrightExample.ini"})
        if (fs::is_regular_file(folder / name, ec)) return (folder / name).string();
    return std::string(PLOTWRIGHT_SOURCE_DIR) + "/dist/Plotwright.ini";
}

} // namespace

int main(int argc, char **argv) {
    const std::string program =
        argc > 0 ? fs::path(argv[0]).filename().string() : "plotwright-host";
    CommandLine line;
    std::string error;
    if (!parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), &line, &error)) {
        std::fprintf(stderr, "%s: %s\n", program.c_str(), error.c_str());
        return kExitUsage;
    }
    if (line.Help) {
        std::fputs(usageText(program).c_str(), stdout);
        return 0;
    }

    Scenario scenario;
    const bool parsed = line.ScenarioPath.empty()
                            ? parseScenario(builtinDemoScenario(), "demo.scn (built in)",
                                            builtinDemoFolder(), &scenario, &error)
                            : loadScenarioFile(line.ScenarioPath, &scenario, &error);
    if (!parsed) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return kExitUsage;
    }
    if (line.CheckOnly) {
        std::printf("%s: %zu commands, no errors\n", scenario.File.c_str(),
                    scenario.Commands.size());
        return 0;
    }

    RunOptions options;
    options.ModulePath =
        absolute(line.ModulePath.empty() ? PLOTWRIGHT_DEFAULT_MODULE : line.ModulePath);
    options.DefaultSettingsPath = absolute(
        line.SettingsPath.empty() ? defaultSettingsFor(options.ModulePath) : line.SettingsPath);
    options.OutDir = absolute(line.OutDir);
    options.InstallRoot =
        absolute(line.InstallRoot.empty() ? options.OutDir + "/install" : line.InstallRoot);
    options.ScreenWidth = line.ScreenWidth;
    options.ScreenHeight = line.ScreenHeight;
    options.Rate = line.Rate;
    options.KeepInstall = line.KeepInstall;
    options.RealTime = line.RealTime;
    if (!line.RowsFile.empty()) options.RowsFile = absolute(line.RowsFile);
    options.Verbose = line.Verbose;

    std::error_code ec;
    fs::create_directories(options.OutDir, ec);
    if (ec) {
        std::fprintf(stderr, "%s: cannot create the output folder %s: %s\n", program.c_str(),
                     options.OutDir.c_str(), ec.message().c_str());
        return kExitUsage;
    }
    std::printf("Running %s with %s\n", scenario.File.c_str(), options.ModulePath.c_str());
    std::fflush(stdout);
    const RunReport report = runScenario(scenario, options);
    printSummary(scenario, options, report, stdout);
    return report.Succeeded ? 0 : kExitFailed;
}
