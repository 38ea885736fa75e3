#include "config/config_writer.h"

// Placeholder until the settings writer lands.
bool writeConfigFile(const AppState &) { return false; }
