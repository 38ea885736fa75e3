#pragma once
// One stored key line of the settings file, and the size of the table that holds them.

constexpr int kConfigTextSize = 256;
constexpr int kConfigEntryCount = 1024;

struct ConfigEntry {
    char Section[kConfigTextSize];
    char Key[kConfigTextSize];
    char Value[kConfigTextSize];
};
