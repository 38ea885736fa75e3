#include "config/config_writer.h"

#include <cstdio>

#include "core/app_state.h"
#include "core/plugin_paths.h"

namespace {
const char kNewSettingsFileName[] = "PlotwrightNew.ini";

// Room for the longest system path a host may report and the plug-in folder below it.
constexpr std::size_t kPathSize = 4096;
// The longest line is a Name line with a 254-character name: 263 characters with its end.
constexpr std::size_t kLineSize = 512;

class SettingsFile {
public:
    explicit SettingsFile(const char *path) : file_(std::fopen(path, "w")) {}
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
        const int key = channel + 1;
        // The name is read at most to the last byte before the field's end, so a name that
        // fills the field without a NUL is written cut rather than overrun.
        file.write(line, std::snprintf(line, sizeof line, "Name%d = %.*s\n", key, kTextSize - 1,
                                       state.Name[set][channel]));
        file.write(line, std::snprintf(line, sizeof line, "Scaling%d = %f\n", key,
                                       static_cast<double>(state.Scaling[set][channel])));
        file.write(line, std::snprintf(line, sizeof line, "Index%d = %d\n", key,
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
