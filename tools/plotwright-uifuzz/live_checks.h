#pragma once
// Compares what the host shows (widgets, graph properties, files in the plug-in's folder) with
// what the model expects. Each check that fails says what it saw and what was expected.

#include <string>

#include "ui_model.h"

namespace plotwright_uifuzz {

bool checkView(const ExpectedView &view, std::string *error);
bool checkFile(const ExpectedFile &file, std::string *error);

} // namespace plotwright_uifuzz
