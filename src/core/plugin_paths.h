#pragma once
// Paths of the files the plug-in reads and writes, all in its own install folder
// (Resources/plugins/Plotwright below the simulator's folder), joined with the host's separator.

#include <cstddef>

// Writes "<simulator folder>Resources<sep>plugins<sep>Plotwright<sep><fileName>" into out.
// Returns false, leaving out as an empty text, when the whole path does not fit outSize bytes or
// is beyond the one path limit of every file the plug-in touches (kMaxPathBytes, with room for
// the temporary name a replaced file is written under).
bool buildPluginFilePath(char *out, std::size_t outSize, const char *fileName);
