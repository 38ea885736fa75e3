#pragma once
// Runs one session in a child process, so that a crash, a sanitizer report or a leak is pinned
// on that session alone, and every session starts from a freshly loaded module.

#include <string>

#include "session.h"

namespace plotwright_uifuzz {

struct RunSettings {
    std::string ModulePath;
    std::string DefaultSettingsPath;
    std::string WorkDir; // the session's install and output folders go below it
    bool Verbose = false;
};

struct SessionOutcome {
    bool Passed = false;
    std::string Reason; // why not, when not
};

SessionOutcome runSession(const Session &session, const RunSettings &settings);

} // namespace plotwright_uifuzz
