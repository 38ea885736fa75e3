#pragma once
// Reading scenario files. Every error names the file and line and says what was expected.

#include <string>

#include "scenario.h"

namespace plotwright_host {

// Parses scenario text. `fileName` is used in messages, `baseDir` resolves relative paths.
// Returns false with "file:line: what was expected" in *error at the first bad line.
bool parseScenario(const std::string &text, const std::string &fileName, const std::string &baseDir,
                   Scenario *scenario, std::string *error);

// Reads and parses a scenario file.
bool loadScenarioFile(const std::string &path, Scenario *scenario, std::string *error);

} // namespace plotwright_host
