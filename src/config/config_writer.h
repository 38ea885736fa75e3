#pragma once
// Writing the state's settings to PlotwrightNew.ini, in the format Plotwright.ini is read in.

struct AppState;

// True once the file has been written and closed; false when it cannot be created.
bool writeConfigFile(const AppState &state);
