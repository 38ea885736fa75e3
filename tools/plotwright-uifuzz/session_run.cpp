#include "session_run.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "live_checks.h"
#include "scenario_parser.h"
#include "scenario_runner.h"
#include "xphost/host.h"

namespace plotwright_uifuzz {
namespace {

using namespace plotwright_host;

// Exit statuses of the child besides 0; the sanitizers use their own (1 for an error report, 23
// for leaks).
constexpr int kRunFailed = 3;
constexpr int kBadSession = 4;

[[noreturn]] void runInChild(const Session &session, const RunSettings &settings) {
    Scenario scenario;
    std::string error;
    if (!parseScenario(session.Text, session.FileName, settings.WorkDir, &scenario, &error)) {
        std::fprintf(stderr, "the fuzzer made a scenario the runner refuses: %s\n", error.c_str());
        std::exit(kBadSession);
    }
    if (scenario.Commands.size() != session.Checks.size()) {
        std::fprintf(stderr,
                     "the fuzzer's checks (%zu) do not match the scenario's commands (%zu)\n",
                     session.Checks.size(), scenario.Commands.size());
        std::exit(kBadSession);
    }
    RunOptions options;
    options.ModulePath = settings.ModulePath;
    options.DefaultSettingsPath = settings.DefaultSettingsPath;
    options.OutDir = settings.WorkDir + "/session";
    options.InstallRoot = settings.WorkDir + "/install";
    std::error_code ec;
    std::filesystem::create_directories(options.OutDir, ec);
    options.Verbose = settings.Verbose;
    std::FILE *quiet = settings.Verbose ? nullptr : std::fopen("/dev/null", "w");
    options.Progress = quiet != nullptr ? quiet : stdout;
    // Only the settings reader writes to the log, at start: from the first check on the log
    // stays as it is (a failed export or settings write would add a line).
    std::optional<std::string> logAfterStart;
    options.AfterCommand = [&session, &logAfterStart](std::size_t command, std::string *why) {
        const std::optional<CommandCheck> &check = session.Checks[command];
        if (!check) return true;
        if (!logAfterStart) logAfterStart = xphost::logText();
        if (xphost::logText() != *logAfterStart) {
            *why = "model mismatch: the log grew after the start: " +
                   xphost::logText().substr(logAfterStart->size());
            return false;
        }
        return checkView(check->View, why) && (!check->File || checkFile(*check->File, why));
    };
    const RunReport report = runScenario(scenario, options);
    if (quiet != nullptr) std::fclose(quiet);
    std::fflush(stdout);
    std::fflush(stderr);
    // exit, not _exit: the leak checker runs at exit.
    std::exit(report.Succeeded ? 0 : kRunFailed);
}

} // namespace

SessionOutcome runSession(const Session &session, const RunSettings &settings) {
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    if (child < 0) return {false, std::string("fork failed: ") + std::strerror(errno)};
    if (child == 0) runInChild(session, settings);

    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return {false, std::string("waitpid failed: ") + std::strerror(errno)};
    if (WIFSIGNALED(status))
        return {false, std::string("the session died of signal ") +
                           std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) +
                           ")"};
    const int code = WEXITSTATUS(status);
    switch (code) {
    case 0:
        return {true, ""};
    case kRunFailed:
        return {false, "a host error, a failed action or a model mismatch (reported above)"};
    case kBadSession:
        return {false, "the fuzzer made a session it cannot run (reported above)"};
    case 23:
        return {false, "LeakSanitizer found leaks (reported above)"};
    default:
        return {false, "the session exited with status " + std::to_string(code) +
                           " (a sanitizer report, above)"};
    }
}

} // namespace plotwright_uifuzz
