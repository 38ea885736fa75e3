#include "config/config_scan.h"

#include <cstring>

#include "config/config_line.h"
#include "config/config_reader.h"

namespace {
// Copies at most kConfigTextSize - 1 characters of [begin, begin + length) and a NUL.
void copyBounded(char *destination, const char *begin, std::size_t length) {
    if (length > kConfigTextSize - 1) length = kConfigTextSize - 1;
    std::memcpy(destination, begin, length);
    destination[length] = '\0';
}

// The name runs from the second character up to the last "]". When that "]" is the first
// character there is nothing between them, and the header names the empty section.
void readSectionHeader(const char *line, const char *lastBracket, char *currentSection) {
    const std::size_t length =
        lastBracket > line ? static_cast<std::size_t>(lastBracket - line - 1) : 0;
    copyBounded(currentSection, line + 1, length);
}

void storeKeyLine(const char *line, const char *lastEquals, const char *currentSection,
                  ConfigEntry &entry) {
    char key[kConfigTextSize];
    char value[kConfigTextSize];
    copyBounded(key, line, static_cast<std::size_t>(lastEquals - line));
    copyBounded(value, lastEquals + 1, std::strlen(lastEquals + 1));
    stripBlanks(currentSection, entry.Section);
    stripBlanks(key, entry.Key);
    stripBlanks(value, entry.Value);
}
} // namespace

ConfigScanSummary scanConfigStream(std::FILE *file, ConfigEntry *table, int capacity) {
    ConfigScanSummary summary;
    char line[kConfigTextSize];
    char currentSection[kConfigTextSize] = {};
    long totalStored = 0;
    bool headerSeen = false;
    bool firstLine = true;

    while (const int stored = firstLine ? readFirstConfigLineCounted(line, kConfigTextSize, file)
                                        : readConfigLineCounted(line, kConfigTextSize, file)) {
        firstLine = false;
        // A line cut short by a failing read is not what the user wrote; keep none of it.
        if (std::ferror(file)) break;
        totalStored += stored;
        if (totalStored > kMaxSettingsFileBytes) {
            summary.SizeLimitReached = true;
            break;
        }
        // Everything from a NUL on is invisible to the text functions below.
        if (std::strlen(line) < static_cast<std::size_t>(stored)) ++summary.LinesWithNul;
        removeLineEnd(line);

        if (const char *lastBracket = std::strrchr(line, ']')) {
            readSectionHeader(line, lastBracket, currentSection);
            headerSeen = true;
        } else if (const char *lastEquals = std::strrchr(line, '=')) {
            if (summary.StoredEntries >= capacity) {
                summary.TableFull = true;
                break;
            }
            if (!headerSeen) summary.KeyLinesBeforeAnyHeader = true;
            storeKeyLine(line, lastEquals, currentSection, table[summary.StoredEntries++]);
        }
    }
    if (std::ferror(file)) summary.ReadError = true;
    return summary;
}
