// plotwright-uifuzz: random but reproducible user sessions driven through the headless host
// against the real module, checked against a small model of what the windows and files must
// show. Every finding names its seed and leaves the session's scenario to replay.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "session.h"
#include "session_run.h"

namespace {

namespace fs = std::filesystem;
using namespace plotwright_uifuzz;

constexpr int kExitFinding = 1;
constexpr int kExitUsage = 2;
constexpr double kProgressEverySeconds = 60.0;

const char kUsage[] =
    "usage: plotwright-uifuzz [options]\n"
    "  --seed N          run the session of seed N (with -v: every command as it runs)\n"
    "  --seeds A-B       run the sessions of seeds A to B\n"
    "  --seconds T       run sessions for T seconds (default 60), from --first-seed on\n"
    "  --first-seed N    the first seed of a timed run (default: taken from the clock)\n"
    "  --print           print the sessions' scenarios instead of running them\n"
    "  --out DIR         work folder (default: uifuzz-output)\n"
    "  --module FILE     the plug-in module (default: the lin.xpl built with the fuzzer)\n"
    "  -v, --verbose     print every command as it runs\n";

struct Options {
    unsigned long long First = 1;
    unsigned long long Last = 0; // 0: timed
    bool FirstGiven = false;
    double Seconds = 60.0;
    bool Print = false;
    bool Verbose = false;
    std::string Out = "uifuzz-output";
    std::string Module = PLOTWRIGHT_DEFAULT_MODULE;
};

bool number(const char *text, unsigned long long *value) {
    char *end = nullptr;
    *value = std::strtoull(text, &end, 10);
    return end != text && *end == '\0';
}

bool parse(int argc, char **argv, Options *options) {
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        const char *value = k + 1 < argc ? argv[k + 1] : nullptr;
        auto takes = [&]() {
            ++k;
            return value != nullptr;
        };
        if (arg == "--seed") {
            if (!takes() || !number(value, &options->First)) return false;
            options->Last = options->First;
        } else if (arg == "--seeds") {
            if (!takes()) return false;
            const std::string range = value;
            const std::size_t dash = range.find('-');
            if (dash == std::string::npos ||
                !number(range.substr(0, dash).c_str(), &options->First) ||
                !number(range.substr(dash + 1).c_str(), &options->Last) ||
                options->Last < options->First || options->Last == 0)
                return false;
        } else if (arg == "--seconds") {
            if (!takes()) return false;
            options->Seconds = std::atof(value);
            options->Last = 0;
            if (options->Seconds <= 0) return false;
        } else if (arg == "--first-seed") {
            if (!takes() || !number(value, &options->First)) return false;
            options->FirstGiven = true;
        } else if (arg == "--print") {
            options->Print = true;
        } else if (arg == "--out") {
            if (!takes()) return false;
            options->Out = value;
        } else if (arg == "--module") {
            if (!takes()) return false;
            options->Module = value;
        } else if (arg == "-v" || arg == "--verbose") {
            options->Verbose = true;
        } else {
            return false;
        }
    }
    if (options->Last == 0 && !options->FirstGiven)
        options->First = static_cast<unsigned long long>(
                             std::chrono::system_clock::now().time_since_epoch().count()) %
                         1000000000ULL;
    return true;
}

// The sanitizers read their options when the program starts; the children inherit them. Unless
// the caller chose otherwise, the system's GL stack is excused from leak checks (as in the test
// suite), and its rasteriser runs without worker threads, which the leak checker must otherwise
// stop at every session's exit.
void setUpEnvironment(char **argv) {
    setenv("LP_NUM_THREADS", "0", 0);
#ifdef PLOTWRIGHT_LSAN_SUPPRESSIONS
    if (std::getenv("LSAN_OPTIONS") == nullptr) {
        setenv("LSAN_OPTIONS", "suppressions=" PLOTWRIGHT_LSAN_SUPPRESSIONS ":print_suppressions=0",
               1);
        execv("/proc/self/exe", argv);
    }
#else
    (void)argv;
#endif
}

std::string absolute(const std::string &path) {
    std::error_code ec;
    const fs::path result = fs::absolute(path, ec);
    return ec ? path : result.lexically_normal().string();
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    if (!parse(argc, argv, &options)) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    if (options.Print) {
        for (unsigned long long seed = options.First; seed <= std::max(options.First, options.Last);
             ++seed)
            std::fputs(makeSession(seed).Text.c_str(), stdout);
        return 0;
    }
    setUpEnvironment(argv);

    RunSettings settings;
    settings.ModulePath = absolute(options.Module);
    settings.DefaultSettingsPath = std::string(PLOTWRIGHT_SOURCE_DIR) + "/dist/Plotwright.ini";
    settings.WorkDir = absolute(options.Out);
    settings.Verbose = options.Verbose;
    std::error_code ec;
    fs::create_directories(settings.WorkDir, ec);
    if (ec) {
        std::fprintf(stderr, "plotwright-uifuzz: cannot create %s: %s\n", settings.WorkDir.c_str(),
                     ec.message().c_str());
        return kExitUsage;
    }

    const auto begin = std::chrono::steady_clock::now();
    auto elapsed = [&begin]() {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    };
    if (options.Last == 0)
        std::printf("plotwright-uifuzz: %.0f s from seed %llu with %s\n", options.Seconds,
                    options.First, settings.ModulePath.c_str());
    else
        std::printf("plotwright-uifuzz: seeds %llu to %llu with %s\n", options.First, options.Last,
                    settings.ModulePath.c_str());
    unsigned long long sessions = 0, actions = 0, frames = 0, checks = 0, files = 0, rows = 0;
    double nextProgress = kProgressEverySeconds;
    for (unsigned long long seed = options.First;; ++seed) {
        if (options.Last != 0 ? seed > options.Last : elapsed() >= options.Seconds) break;
        const Session session = makeSession(seed);
        const SessionOutcome outcome = runSession(session, settings);
        if (!outcome.Passed) {
            const std::string saved = settings.WorkDir + "/" + session.FileName;
            std::ofstream(saved) << session.Text;
            std::printf("\nFINDING in the session of seed %llu: %s\n"
                        "Replay with checks: plotwright-uifuzz --seed %llu -v\n"
                        "Replay the actions: plotwright-host --scenario %s -v\n"
                        "The session's actions:\n%s",
                        seed, outcome.Reason.c_str(), seed, saved.c_str(), session.Text.c_str());
            return kExitFinding;
        }
        ++sessions;
        actions += static_cast<unsigned long long>(session.Actions);
        frames += static_cast<unsigned long long>(session.Frames);
        for (const std::optional<CommandCheck> &check : session.Checks) {
            if (!check) continue;
            ++checks;
            if (!check->File) continue;
            ++files;
            rows +=
                check->File->IsSettings ? check->File->Lines.size() : check->File->CsvRows.size();
        }
        if (elapsed() >= nextProgress) {
            std::printf("  %llu sessions, %llu actions, %.0f s\n", sessions, actions, elapsed());
            std::fflush(stdout);
            nextProgress += kProgressEverySeconds;
        }
    }
    std::printf("plotwright-uifuzz: %llu sessions (seeds %llu to %llu), %llu actions, %llu "
                "simulated frames (%.0f s); %llu checks of the windows, %llu of files (%llu "
                "lines); no finding, in %.1f s\n",
                sessions, options.First, options.First + sessions - (sessions > 0 ? 1 : 0), actions,
                frames, frames * 0.01, checks, files, rows, elapsed());
    return 0;
}
