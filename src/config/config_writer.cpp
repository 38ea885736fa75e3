#include "config/config_writer.h"

#include <cstdio>

#include "core/app_state.h"
#include "core/number_format.h"
#include "core/plugin_paths.h"

namespace {
const char kNewSettingsFileName[] = "PlotwrightNew.ini";

// Room for the longest system path a host may report and the plug-in folder below it.
constexpr std::size_t kPathSize = 4096;
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

class SettingsFile {
public:
    // Text mode said outright, so that line ends are the platform's even where a program has
    // made binary the default mode.
    explicit SettingsFile(const char *path) : file_(std::fopen(path, "wt")) {}
    ~SettingsFile() {
        if (file_ != nullptr) std::fclose(file_);
    }
    SettingsFile(const SettingsFile &) = delete;
    SettingsFile &operator=(const SettingsFile &) = delete;

    bool isOpen() const { return file_ != nullptr; }

    // Writes a line formatted into line (kLineSize bytes), with the length snprintf reported.
    void write(const char *line, int formattedLength) {
        if (formattedLength < 0) {
            failed_ = true;
            return;
        }
        std::size_t size = static_cast<std::size_t>(formattedLength);
        if (size > kLineSize - 1) size = kLineSize - 1;
        if (std::fwrite(line, 1, size, file_) != size) failed_ = true;
    }

    // Flushes and closes; false when any write failed (a full disk, a vanished device).
    bool close() {
        const bool writeFailed = failed_ || std::ferror(file_) != 0;
        const bool closeFailed = std::fclose(file_) != 0;
        file_ = nullptr;
        return !writeFailed && !closeFailed;
    }

private:
    std::FILE *file_;
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
    char path[kPathSize];
    if (!buildPluginFilePath(path, sizeof path, kNewSettingsFileName)) return false;

    SettingsFile file(path);
    if (!file.isOpen()) return false;
    char line[kLineSize];
    file.write(line, std::snprintf(line, sizeof line, "[CONFIG]\n"));
    file.write(line, std::snprintf(line, sizeof line, "FullSizeWindow = %d\n",
                                   static_cast<int>(state.FullSizeWindow)));
    file.write(line, std::snprintf(line, sizeof line, "\n"));
    for (int set = 0; set < kSetCount; ++set)
        writeDataSet(file, state, set);
    return file.close();
}
