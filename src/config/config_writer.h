#pragma once
// Writing the state's settings to PlotwrightNew.ini, in the format Plotwright.ini is read in.

#include <cstddef>
#include <string>

struct AppState;

// True once the file has been written and closed; false when it cannot be created. Writes on
// the calling thread; the setup window's button hands the work to the export writer instead.
bool writeConfigFile(const AppState &state);

// The pieces of writeConfigFile, for writing on another thread. The path of PlotwrightNew.ini
// (the simulator's thread: it asks the simulator; logs a path beyond the limit and returns
// false), and the file's text (false when a line could not be formatted or memory ran out).
bool buildNewSettingsPath(char *path, std::size_t size);
bool formatConfigFile(const AppState &state, std::string &text);
