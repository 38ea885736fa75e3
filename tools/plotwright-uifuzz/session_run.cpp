#include "session_run.h"

#include <fcntl.h>
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

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#define PLOTWRIGHT_UIFUZZ_SANITIZED 1
#endif

namespace plotwright_uifuzz {
namespace {

using namespace plotwright_host;

// Exit statuses of the child besides 0; the sanitizers use their own (1 for an error report, 23
// for leaks).
constexpr int kRunFailed = 3;
constexpr int kBadSession = 4;

#ifdef PLOTWRIGHT_UIFUZZ_SANITIZED
char gMapCopyPath[4096];

// A sanitizer that dies reports addresses only; the process's memory map, kept beside the
// session's scenario, tells which library each belongs to. Only system calls: the process is
// dying.
void saveMemoryMap() {
    const int from = open("/proc/self/maps", O_RDONLY);
    const int to = open(gMapCopyPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    char buffer[4096];
    ssize_t got = 0;
    while (from >= 0 && to >= 0 && (got = read(from, buffer, sizeof buffer)) > 0)
        if (write(to, buffer, static_cast<std::size_t>(got)) != got) break;
    if (from >= 0) close(from);
    if (to >= 0) close(to);
    const char note[] = "plotwright-uifuzz: the dying session's memory map: ";
    if (write(2, note, sizeof note - 1) < 0 || write(2, gMapCopyPath, strlen(gMapCopyPath)) < 0 ||
        write(2, "\n", 1) < 0)
        return;
}
#endif

[[noreturn]] void runInChild(const Session &session, const RunSettings &settings) {
#ifdef PLOTWRIGHT_UIFUZZ_SANITIZED
    std::snprintf(gMapCopyPath, sizeof gMapCopyPath, "%s/uifuzz-seed-%llu.maps",
                  settings.WorkDir.c_str(), static_cast<unsigned long long>(session.Seed));
    __sanitizer_set_death_callback(saveMemoryMap);
#endif
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
