#include "config/config_writer.h"

#include <cstdio>
#include <string>

#include "core/app_state.h"
#include "core/file_access.h"
#include "core/number_format.h"
#include "core/plugin_paths.h"

namespace {
const char kNewSettingsFileName[] = "PlotwrightNew.ini";

// The longest line is a Name line with a 254-character name: 263 characters with its end.
constexpr std::size_t kLineSize = 512;

// The three lines of each channel, keyed with the channel's number from 1.
struct ChannelLineFormats {
    const char *Name;
    const char *Scaling;
    const char *Index;
};
const ChannelLineFormats kChannelLines[kChannelCount] = {
    {"Name1 = %s\n", "Scaling1 = %s\n", "Index1 = %d\n"},
    {"Name2 = %s\n", "Scaling2 = %s\n", "Index2 = %d\n"},
    {"Name3 = %s\n", "Scaling3 = %s\n", "Index3 = %d\n"},
    {"Name4 = %s\n", "Scaling4 = %s\n", "Index4 = %d\n"},
    {"Name5 = %s\n", "Scaling5 = %s\n", "Index5 = %d\n"},
    {"Name6 = %s\n", "Scaling6 = %s\n", "Index6 = %d\n"},
    {"Name7 = %s\n", "Scaling7 = %s\n", "Index7 = %d\n"},
    {"Name8 = %s\n", "Scaling8 = %s\n", "Index8 = %d\n"},
};

// Collects the file's lines; a line that could not be formatted spoils the whole text.
class SettingsText {
public:
    explicit SettingsText(std::string &text) : text_(text) {}

    // Appends a line formatted into line (kLineSize bytes), with the length snprintf reported.
    void write(const char *line, int formattedLength) {
        if (formattedLength < 0) {
            failed_ = true;
            return;
        }
        std::size_t size = static_cast<std::size_t>(formattedLength);
        if (size > kLineSize - 1) size = kLineSize - 1;
        text_.append(line, size);
    }
    bool failed() const { return failed_; }

private:
    std::string &text_;
    bool failed_ = false;
};

void writeDataSet(SettingsText &file, const AppState &state, int set) {
    char line[kLineSize];
    file.write(line, std::snprintf(line, sizeof line, "[DATASET%d]\n", set + 1));
    for (int channel = 0; channel < kChannelCount; ++channel) {
        const ChannelLineFormats &formats = kChannelLines[channel];
        // The name is read at most to the last byte before the field's end, so a name that
        // fills the field without a NUL is written cut rather than overrun.
        char name[kTextSize];
        std::snprintf(name, sizeof name, "%.*s", kTextSize - 1, state.Name[set][channel]);
        file.write(line, std::snprintf(line, sizeof line, formats.Name, name));
        // "%f" of the factor, as the "C" locale prints it whatever locale the process has.
        char scaling[kMaxFixedFloatChars + 1];
        *writeFixedFloat(scaling, state.Scaling[set][channel]) = '\0';
        file.write(line, std::snprintf(line, sizeof line, formats.Scaling, scaling));
        file.write(line, std::snprintf(line, sizeof line, formats.Index,
                                       static_cast<int>(state.Index[set][channel])));
    }
    file.write(line, std::snprintf(line, sizeof line, "\n"));
}
} // namespace

bool buildNewSettingsPath(char *path, std::size_t size) {
    if (buildPluginFilePath(path, size, kNewSettingsFileName)) return true;
    FileProblem tooLong;
    setFileProblem(tooLong, FileFailure::PathTooLong, 0);
    logFileProblem("write", kNewSettingsFileName, tooLong);
    return false;
}

bool formatConfigFile(const AppState &state, std::string &text) {
    text.clear();
    try {
        // 81 lines; most are short.
        text.reserve(4096);
        SettingsText file(text);
        char line[kLineSize];
        file.write(line, std::snprintf(line, sizeof line, "[CONFIG]\n"));
        file.write(line, std::snprintf(line, sizeof line, "FullSizeWindow = %d\n",
                                       static_cast<int>(state.FullSizeWindow)));
        file.write(line, std::snprintf(line, sizeof line, "\n"));
        for (int set = 0; set < kSetCount; ++set)
            writeDataSet(file, state, set);
        return !file.failed();
    } catch (...) {
        return false; // no memory for the text
    }
}

bool writeConfigFile(const AppState &state) {
    char path[kMaxPathBytes];
    if (!buildNewSettingsPath(path, sizeof path)) return false;
    std::string text;
    FileProblem problem;
    if (!formatConfigFile(state, text)) {
        setFileProblem(problem, FileFailure::WriteFailed, 0);
    } else if (writeWholeTextFile(path, text, problem)) {
        // Written; the log still hears of a folder whose flush failed.
        if (problem.Failure != FileFailure::None) logFileProblem("write", path, problem);
        return true;
    }
    logFileProblem("write", path, problem);
    return false;
}
