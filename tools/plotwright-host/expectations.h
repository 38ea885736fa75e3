#pragma once
// Checking a scenario's `expect` lines against the windows, the plug-in's files, the log and
// the pixels on the screen.

#include <string>

#include "scenario.h"

namespace plotwright_host {

// Compares an observed text; on a mismatch says what was seen and what was wanted.
bool compareText(const std::string &observed, const Comparison &compare, std::string *why);

// Checks one expectation. Returns false with a message that shows what was found.
bool checkExpectation(const Expect &expect, std::string *why);

} // namespace plotwright_host
