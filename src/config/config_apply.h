#pragma once
// Second phase of reading the settings file: the stored entries are walked in file order and
// applied to the state, until the first entry with an invalid section or key.

#include "config/config_entry.h"
#include "config/config_reader.h"

struct AppState;

// Walks entries[0, count) with one forward cursor. On an invalid entry it logs the entry's
// detail line and returns the matching result; every entry before it stays applied. An entry
// without a section name ends the walk with Ok; one note line, logged there, says that it and
// the entries after it are ignored, and whether it stood before any section header
// (firstEntriesBeforeAnyHeader: the file's key lines began before its first header) or under a
// header that names no section.
ConfigParseResult applyConfigEntries(AppState &state, const ConfigEntry *entries, int count,
                                     bool firstEntriesBeforeAnyHeader);
