#pragma once
// First phase of reading the settings file: every key line becomes one entry of the table,
// stored under the section that was current when it was read. A UTF-8 byte-order mark at the
// start of the file (Windows editors write one) is skipped.

#include <cstdio>

#include "config/config_entry.h"

// A settings file is a few kilobytes; reading stops here so that an endless or runaway file
// (a device, a pipe, a mistaken symbolic link) cannot hold up the simulator's start.
constexpr long kMaxSettingsFileBytes = 1L << 20;

struct ConfigScanSummary {
    int StoredEntries = 0;                // entries stored from the table's first slot on
    bool TableFull = false;               // a key line found no free slot; reading stopped there
    bool SizeLimitReached = false;        // reading stopped after kMaxSettingsFileBytes
    bool ReadError = false;               // the file failed before its end
    long LinesWithNul = 0;                // lines read only up to a NUL character they held
    bool KeyLinesBeforeAnyHeader = false; // the first stored entries stand under no header
};

// Reads the file to its end (or to one of the stops above) and fills table, which has
// capacity slots and is expected to be cleared by the caller.
ConfigScanSummary scanConfigStream(std::FILE *file, ConfigEntry *table, int capacity);
