#include "config/config_writer.h"

#include <cstdio>

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

// The new settings go to a temporary file first (text mode: the platform's line ends) and
// replace an earlier PlotwrightNew.ini only once complete.
class SettingsFile {
public:
    explicit SettingsFile(const char *path) : file_(path) {}

    bool isOpen() const { return file_.isOpen(); }
    FileProblem problem() const {
        FileProblem problem = file_.problem();
        if (failed_ && problem.Failure == FileFailure::None)
            setFileProblem(problem, FileFailure::WriteFailed, 0);
        return problem;
    }

    // Writes a line formatted into line (kLineSize bytes), with the length snprintf reported.
    void write(const char *line, int formattedLength) {
        if (formattedLength < 0) {
            failed_ = true;
            return;
        }
        std::size_t size = static_cast<std::size_t>(formattedLength);
        if (size > kLineSize - 1) size = kLineSize - 1;
        file_.write(line, size);
    }

    // True when the whole file now stands under its name.
    bool close() {
        if (failed_) return false; // the writer's destructor removes the partial file
        return file_.commit();
    }

private:
    ReplacingFileWriter file_;
    bool failed_ = false;
};

void writeDataSet(SettingsFile &file, const AppState &state, int set) {
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

bool writeConfigFile(const AppState &state) {
    char path[kMaxPathBytes];
    if (!buildPluginFilePath(path, sizeof path, kNewSettingsFileName)) {
        FileProblem tooLong;
        setFileProblem(tooLong, FileFailure::PathTooLong, 0);
        logFileProblem("write", kNewSettingsFileName, tooLong);
        return false;
    }

    SettingsFile file(path);
    if (!file.isOpen()) {
        logFileProblem("write", path, file.problem());
        return false;
    }
    char line[kLineSize];
    file.write(line, std::snprintf(line, sizeof line, "[CONFIG]\n"));
    file.write(line, std::snprintf(line, sizeof line, "FullSizeWindow = %d\n",
                                   static_cast<int>(state.FullSizeWindow)));
    file.write(line, std::snprintf(line, sizeof line, "\n"));
    for (int set = 0; set < kSetCount; ++set)
        writeDataSet(file, state, set);
    if (file.close()) return true;
    logFileProblem("write", path, file.problem());
    return false;
}
