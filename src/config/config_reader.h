#pragma once
// Reading Plotwright.ini: every line is first stored in the entry table, then the table is
// walked and applied to the state; the outcome goes to the simulator's log.

#include <cstddef>
#include <cstdio>

struct AppState;

enum class ConfigParseResult : int {
    Ok = -1,
    NoFile = 0,
    BadConfigKey = 1,
    BadSection = 2,
    BadDataSet1Key = 3,
    BadDataSet2Key = 4,
    BadDataSet3Key = 5,
};

// Logs, parses the file at state.SettingsPath and logs the outcome; true only for Ok.
bool loadConfigFile(AppState &state);

ConfigParseResult parseConfigFile(AppState &state, const char *path);

// Reads one line (at most size - 1 characters) into buffer; nullptr at the end of the file.
char *readConfigLine(char *buffer, int size, std::FILE *file);

// Clears 256 bytes of destination and copies source into it without its spaces; returns the
// length of source.
std::size_t stripBlanks(const char *source, char *destination);
