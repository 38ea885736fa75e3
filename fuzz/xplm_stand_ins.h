#pragma once
// The simulator functions that the settings reader and writer call, for programs that run them
// without the simulator or the headless host.

// Makes folder (ending with '/') the simulator's folder that XPLMGetSystemPath reports.
void setStandInSystemPath(const char *folder);
