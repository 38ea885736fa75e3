#pragma once
// One fuzzed user session, made from a seed: a scenario for the runner (so the exact action list
// replays with plotwright-host as well) and, for each of its commands, what the model says the
// windows and files must then show.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui_model.h"

namespace plotwright_uifuzz {

struct CommandCheck {
    ExpectedView View;
    std::optional<ExpectedFile> File;
};

struct Session {
    std::uint64_t Seed = 0;
    std::string FileName; // for messages and the saved copy
    std::string Text;     // the scenario
    // One entry per command of the parsed scenario, in order; nullopt: nothing to check.
    std::vector<std::optional<CommandCheck>> Checks;
    int Actions = 0;      // the user's actions (menu choices, presses, typing, waits, ...)
    long long Frames = 0; // simulated frames
};

Session makeSession(std::uint64_t seed);

} // namespace plotwright_uifuzz
