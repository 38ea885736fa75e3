#include "config/config_apply.h"

#include <cstdio>
#include <cstring>

#include "XPLMUtilities.h"
#include "core/app_state.h"
#include "core/log_text.h"
#include "core/number_text.h"

namespace {
const char kConfigSection[] = "CONFIG";
const char kFullSizeWindowKey[] = "FullSizeWindow";
const char kDataSetSectionPrefix[] = "DATASET";
const char kInvalidField[] = "is an invalid field";
const char kInvalidSection[] = "is an invalid section name";

// Section and key are at most 255 bytes each, and each byte escapes to at most four.
constexpr std::size_t kEscapedNameSize = escapedLogTextSize(kConfigTextSize - 1);
constexpr std::size_t kDetailMessageSize = kEscapedNameSize + 64;
static_assert(kDetailMessageSize > (kEscapedNameSize - 1) + 1 + sizeof kInvalidSection + 1,
              "a detail message must fit whole");

enum class ChannelField { Name, Scaling, Index };

// Every detail line ends with a line end, the one for a bad CONFIG key too: without it the
// log would glue it and the "Parse Error in" line that follows into one garbled line.
// The subject comes from the file: control bytes and broken UTF-8 are escaped so that one bad
// file cannot garble the simulator's log.
void logDetail(const char *subject, const char *complaint) {
    char escaped[kEscapedNameSize];
    escapeLogText(subject, escaped, sizeof escaped);
    char message[kDetailMessageSize];
    std::snprintf(message, sizeof message, "%s %s\n", escaped, complaint);
    XPLMDebugString(message);
}

// An entry without a section name ends the walk; the user has to learn that the rest of the
// file was not read, or the settings seem to vanish. One line, where the walk stops.
void logUnreadRest(bool beforeAnyHeader, int ignoredAfter) {
    char message[192];
    std::snprintf(message, sizeof message,
                  "Plotwright - A setting of Plotwright.ini stands %s; it and the %d setting(s) "
                  "after it are ignored.\n",
                  beforeAnyHeader ? "before any section header" : "under no section name",
                  ignoredAfter);
    XPLMDebugString(message);
}

bool isSection(const ConfigEntry &entry, const char *section) {
    return std::strcmp(entry.Section, section) == 0;
}

// "DATASET1" to "DATASET3" give 0 to 2; anything else -1.
int dataSetOfSection(const char *section) {
    const std::size_t prefixLength = sizeof kDataSetSectionPrefix - 1;
    if (std::strncmp(section, kDataSetSectionPrefix, prefixLength) != 0) return -1;
    const char digit = section[prefixLength];
    if (digit < '1' || digit >= '1' + kSetCount || section[prefixLength + 1] != '\0') return -1;
    return digit - '1';
}

// "Name1" to "Name8", "Scaling1" to "Scaling8", "Index1" to "Index8"; the channel is 0 to 7.
bool parseChannelKey(const char *key, ChannelField &field, int &channel) {
    struct Prefix {
        const char *Text;
        ChannelField Field;
    };
    static const Prefix kPrefixes[] = {{"Name", ChannelField::Name},
                                       {"Scaling", ChannelField::Scaling},
                                       {"Index", ChannelField::Index}};
    for (const Prefix &prefix : kPrefixes) {
        const std::size_t length = std::strlen(prefix.Text);
        if (std::strncmp(key, prefix.Text, length) != 0) continue;
        const char digit = key[length];
        if (digit < '1' || digit >= '1' + kChannelCount || key[length + 1] != '\0') return false;
        field = prefix.Field;
        channel = digit - '1';
        return true;
    }
    return false;
}

void applyChannelEntry(AppState &state, int set, int channel, ChannelField field,
                       const char *value) {
    switch (field) {
    case ChannelField::Name: {
        char *name = state.Name[set][channel];
        std::size_t length = std::strlen(value);
        if (length > kTextSize - 1) length = kTextSize - 1;
        std::memcpy(name, value, length);
        name[length] = '\0';
        break;
    }
    case ChannelField::Scaling:
        state.Scaling[set][channel] = readDecimalNumber(value);
        break;
    case ChannelField::Index:
        state.Index[set][channel] = readWholeNumber(value);
        break;
    }
}
} // namespace

ConfigParseResult applyConfigEntries(AppState &state, const ConfigEntry *entries, int count,
                                     bool firstEntriesBeforeAnyHeader) {
    int cursor = 0;
    while (cursor < count) {
        while (cursor < count && isSection(entries[cursor], kConfigSection)) {
            if (std::strcmp(entries[cursor].Key, kFullSizeWindowKey) != 0) {
                logDetail(entries[cursor].Key, kInvalidField);
                return ConfigParseResult::BadConfigKey;
            }
            const int fullSize = readWholeNumber(entries[cursor].Value);
            state.FullSizeWindow = fullSize < 0 ? 0 : (fullSize > 1 ? 1 : fullSize);
            ++cursor;
        }
        if (cursor == count) break;
        // Checked after the CONFIG entries as well as after a data set's: an unnamed section
        // ends the walk wherever it stands, never reported as a bad section name. Entries
        // before any header are the file's first; after a header the section is empty only
        // under a header that names none.
        if (entries[cursor].Section[0] == '\0') {
            logUnreadRest(firstEntriesBeforeAnyHeader && cursor == 0, count - cursor - 1);
            return ConfigParseResult::Ok;
        }

        const char *section = entries[cursor].Section;
        const int set = dataSetOfSection(section);
        if (set < 0) {
            logDetail(section, kInvalidSection);
            return ConfigParseResult::BadSection;
        }
        while (cursor < count && isSection(entries[cursor], section)) {
            ChannelField field = ChannelField::Name;
            int channel = 0;
            if (!parseChannelKey(entries[cursor].Key, field, channel)) {
                logDetail(entries[cursor].Key, kInvalidField);
                return static_cast<ConfigParseResult>(
                    static_cast<int>(ConfigParseResult::BadDataSet1Key) + set);
            }
            applyChannelEntry(state, set, channel, field, entries[cursor].Value);
            ++cursor;
        }
    }
    return ConfigParseResult::Ok;
}
