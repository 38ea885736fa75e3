#include "config/config_reader.h"

#include "XPLMUtilities.h"
#include "core/app_state.h"

// Placeholder until the settings reader lands: behaves as for a missing file.
bool loadConfigFile(AppState &state) {
    XPLMDebugString("Plotwright - parsing setup file\n");
    parseConfigFile(state, state.SettingsPath);
    XPLMDebugString("Plotwright - No Plotwright.ini file found.\n");
    XPLMDebugString("Plotwright - Will Use Default Settings.\n");
    return false;
}

ConfigParseResult parseConfigFile(AppState &, const char *) { return ConfigParseResult::NoFile; }

char *readConfigLine(char *, int, std::FILE *) { return nullptr; }

std::size_t stripBlanks(const char *, char *) { return 0; }
