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

// The settings file's number conversions: atoi's and atof's results (white space, sign,
// exponent and, for scalings, hexadecimal numbers included; the longest leading number, 0 for
// none) wherever those are defined and finite. Unlike them these never overflow: whole numbers
// saturate at the int range and scalings at the float range, and the words atof reads as
// infinity or not-a-number ("inf", "infinity", "nan") give 0 like any other text.
int convertWholeNumber(const char *text);
float convertScaling(const char *text);
