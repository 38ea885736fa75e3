#include "config/config_reader.h"

#include <cstdio>
#include <cstring>

#include "XPLMUtilities.h"
#include "config/config_apply.h"
#include "config/config_scan.h"
#include "core/app_state.h"
#include "core/file_access.h"

namespace {
constexpr std::size_t kNoteSize = 256;

void logNote(const char *format, long number) {
    char message[kNoteSize];
    std::snprintf(message, sizeof message, format, number);
    XPLMDebugString(message);
}

// The scan's stops are not errors of the file's format, but the user has to learn that part
// of the file was not read, or the settings seem to vanish.
void logScanNotes(const ConfigScanSummary &summary) {
    if (summary.LinesWithNul > 0)
        logNote("Plotwright - %ld line(s) of Plotwright.ini hold a NUL character; each is read "
                "only up to it.\n",
                summary.LinesWithNul);
    if (summary.TableFull)
        logNote("Plotwright - Plotwright.ini holds more than %ld settings; the rest of the file "
                "is ignored.\n",
                kConfigEntryCount);
    if (summary.SizeLimitReached)
        logNote("Plotwright - Plotwright.ini is longer than %ld characters; the rest of the "
                "file is ignored.\n",
                kMaxSettingsFileBytes);
}

const char *parseResultText(ConfigParseResult result) {
    switch (result) {
    case ConfigParseResult::BadConfigKey:
        return "Config data";
    case ConfigParseResult::BadSection:
        return "Section Name";
    case ConfigParseResult::BadDataSet1Key:
        return "DataSet1 data";
    case ConfigParseResult::BadDataSet2Key:
        return "DataSet2 data";
    case ConfigParseResult::BadDataSet3Key:
        return "DataSet3 data";
    case ConfigParseResult::Ok:
    case ConfigParseResult::NoFile:
        break;
    }
    return "";
}
// parseConfigFile that also tells why a NoFile result came: the file could not be opened
// (problem says why), or it failed while it was read (already reported in the log).
ConfigParseResult parseReportingReadFailure(AppState &state, const char *path, bool &readFailed,
                                            FileProblem &problem) {
    readFailed = false;
    std::FILE *file = openFileForReading(path, &problem);
    if (file == nullptr) return ConfigParseResult::NoFile;

    std::memset(state.ConfigEntryTable, 0, sizeof state.ConfigEntryTable);
    const ConfigScanSummary summary =
        scanConfigStream(file, state.ConfigEntryTable, kConfigEntryCount);
    std::fclose(file);

    if (summary.ReadError) {
        // What was read may be cut anywhere; the defaults are safer than half a file.
        readFailed = true;
        XPLMDebugString("Plotwright - Reading Plotwright.ini failed before its end; none of "
                        "its settings are used.\n");
        return ConfigParseResult::NoFile;
    }
    logScanNotes(summary);
    return applyConfigEntries(state, state.ConfigEntryTable, summary.StoredEntries,
                              summary.KeyLinesBeforeAnyHeader);
}

// The package ships its example settings under this name, never as Plotwright.ini, so that
// copying a new version over an install cannot replace the user's own file; a first install,
// which has none, starts with the example in effect.
const char kSettingsFileName[] = "Plotwright.ini";
const char kExampleFileName[] = "PlotwrightExample.ini";

// The example's path beside the settings file; false when the settings path does not end in
// the settings file's name, or the example's would not fit `out`.
bool examplePathBeside(const char *settingsPath, char *out, std::size_t outSize) {
    const std::size_t length = std::strlen(settingsPath);
    const std::size_t nameLength = sizeof kSettingsFileName - 1;
    if (length < nameLength ||
        std::strcmp(settingsPath + length - nameLength, kSettingsFileName) != 0)
        return false;
    const std::size_t folderLength = length - nameLength;
    if (folderLength + sizeof kExampleFileName > outSize) return false;
    std::memcpy(out, settingsPath, folderLength);
    std::memcpy(out + folderLength, kExampleFileName, sizeof kExampleFileName);
    return true;
}

// An example that is there but cannot be read counts as there, so the log says why it was not.
bool exampleIsThere(const char *path) {
    FileProblem problem;
    std::FILE *file = openFileForReading(path, &problem);
    if (file == nullptr) return problem.Failure != FileFailure::NotFound;
    std::fclose(file);
    return true;
}
} // namespace

ConfigParseResult parseConfigFile(AppState &state, const char *path) {
    bool readFailed = false;
    FileProblem problem;
    return parseReportingReadFailure(state, path, readFailed, problem);
}

bool loadConfigFile(AppState &state) {
    XPLMDebugString("Plotwright - parsing setup file\n");
    // The field may lack its NUL if something overran it; never read past its end.
    char path[sizeof state.SettingsPath + 1] = {};
    const void *end = std::memchr(state.SettingsPath, '\0', sizeof state.SettingsPath);
    const std::size_t length =
        end != nullptr
            ? static_cast<std::size_t>(static_cast<const char *>(end) - state.SettingsPath)
            : sizeof state.SettingsPath;
    std::memcpy(path, state.SettingsPath, length);

    bool readFailed = false;
    FileProblem problem;
    ConfigParseResult result = ConfigParseResult::NoFile;
    const char *readPath = path;
    char examplePath[sizeof path + sizeof kExampleFileName] = {};
    if (path[0] == '\0') {
        // The start left the path empty: the simulator's folder is too deep for it.
        setFileProblem(problem, FileFailure::PathTooLong, 0);
    } else {
        result = parseReportingReadFailure(state, path, readFailed, problem);
        if (result == ConfigParseResult::NoFile && problem.Failure == FileFailure::NotFound &&
            examplePathBeside(path, examplePath, sizeof examplePath) &&
            exampleIsThere(examplePath)) {
            XPLMDebugString("Plotwright - No Plotwright.ini file found.\n");
            XPLMDebugString("Plotwright - Using the example settings, PlotwrightExample.ini.\n");
            readPath = examplePath;
            result = parseReportingReadFailure(state, examplePath, readFailed, problem);
        }
    }
    switch (result) {
    case ConfigParseResult::NoFile:
        // Only a file that is not there is "not found"; one that is there but cannot be read,
        // or failed part way, is reported as such.
        if (problem.Failure == FileFailure::NotFound && readPath == path)
            XPLMDebugString("Plotwright - No Plotwright.ini file found.\n");
        else if (!readFailed && problem.Failure != FileFailure::NotFound)
            logFileProblem("read", readPath[0] != '\0' ? readPath : "Plotwright.ini", problem);
        XPLMDebugString("Plotwright - Will Use Default Settings.\n");
        return false;
    case ConfigParseResult::Ok:
        XPLMDebugString("Plotwright - parsing successful\n");
        return true;
    default:
        break;
    }
    char message[64];
    std::snprintf(message, sizeof message, "Parse Error in %s\n", parseResultText(result));
    XPLMDebugString(message);
    return false;
}
