#pragma once
// Second phase of reading the settings file: the stored entries are walked in file order and
// applied to the state, until the first entry with an invalid section or key.

#include "config/config_entry.h"
#include "config/config_reader.h"

struct AppState;

// Walks entries[0, count) with one forward cursor. On an invalid entry it logs the entry's
// detail line and returns the matching result; every entry before it stays applied.
ConfigParseResult applyConfigEntries(AppState &state, const ConfigEntry *entries, int count);

// The number of entries before the first one whose section is empty (at most count): such an
// entry stands under no named section and marks the end of what is applied.
int countEntriesInSections(const ConfigEntry *entries, int count);
