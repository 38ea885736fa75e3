// Fuzz entry for the settings file: reads the input as Plotwright.ini, checks what the reader
// left in the state, then writes that state with the writer and reads it back, which must give
// the same settings. Any broken promise aborts, so libFuzzer and the replay both report it.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include <stdlib.h>
#include <sys/stat.h>

#include "config/config_reader.h"
#include "config/config_writer.h"
#include "core/app_state.h"
#include "xplm_stand_ins.h"

namespace {
// The longest name a written Name line carries whole: 255 characters less "Name1 = ".
constexpr std::size_t kLongestRoundTripName = 247;

void check(bool condition, const char *promise) {
    if (!condition) {
        std::fprintf(stderr, "broken promise: %s\n", promise);
        std::abort();
    }
}

// A private simulator folder with the plug-in's folder inside, made once per process and
// removed when the process ends.
class ScratchInstall {
public:
    ScratchInstall() {
        char root[] = "/tmp/plotwright-fuzz-XXXXXX";
        check(mkdtemp(root) != nullptr, "a temporary folder can be made");
        root_ = root;
        setStandInSystemPath((root_ + "/").c_str());
        pluginFolder_ = root_ + "/";
        for (const char *part : {"Resources/", "plugins/", "Plotwright/"}) {
            pluginFolder_ += part;
            mkdir(pluginFolder_.c_str(), 0700);
        }
    }
    ~ScratchInstall() { std::filesystem::remove_all(root_); }
    ScratchInstall(const ScratchInstall &) = delete;
    ScratchInstall &operator=(const ScratchInstall &) = delete;

    const std::string &pluginFolder() const { return pluginFolder_; }

private:
    std::string root_;
    std::string pluginFolder_;
};

const std::string &pluginFolder() {
    static const ScratchInstall install;
    return install.pluginFolder();
}

std::unique_ptr<AppState> defaultState(const std::string &settingsPath) {
    auto state = std::make_unique<AppState>();
    state->FullSizeWindow = 1;
    std::snprintf(state->SettingsPath, sizeof state->SettingsPath, "%s", settingsPath.c_str());
    return state;
}

void checkReadState(const AppState &state) {
    check(state.FullSizeWindow == 0 || state.FullSizeWindow == 1, "FullSizeWindow is 0 or 1");
    for (int set = 0; set < kSetCount; ++set) {
        for (int channel = 0; channel < kChannelCount; ++channel) {
            const char *name = state.Name[set][channel];
            check(std::memchr(name, '\0', kTextSize) != nullptr, "a name ends inside its field");
            check(std::strpbrk(name, " ]=\r\n") == nullptr, "a name holds no blank, ] or =");
            check(std::isfinite(state.Scaling[set][channel]), "a scaling is a finite number");
        }
    }
}

void checkReadBack(const AppState &written, const AppState &read) {
    check(read.FullSizeWindow == written.FullSizeWindow, "FullSizeWindow reads back");
    for (int set = 0; set < kSetCount; ++set) {
        for (int channel = 0; channel < kChannelCount; ++channel) {
            const std::string name = written.Name[set][channel];
            check(name.substr(0, kLongestRoundTripName) == read.Name[set][channel],
                  "a name reads back, cut to 247 characters");
            const double before = written.Scaling[set][channel];
            const double after = read.Scaling[set][channel];
            check(std::fabs(before - after) <= 1e-6 + 1e-6 * std::fabs(before),
                  "a scaling reads back to six decimals");
            check(read.Index[set][channel] == written.Index[set][channel], "an index reads back");
        }
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string settingsPath = pluginFolder() + "Plotwright.ini";
    std::FILE *file = std::fopen(settingsPath.c_str(), "wb");
    check(file != nullptr, "the input file can be written");
    if (size > 0) std::fwrite(data, 1, size, file);
    std::fclose(file);

    const auto state = defaultState(settingsPath);
    loadConfigFile(*state);
    checkReadState(*state);

    check(writeConfigFile(*state), "the settings can be written");
    const std::string writtenPath = pluginFolder() + "PlotwrightNew.ini";
    check(std::rename(writtenPath.c_str(), settingsPath.c_str()) == 0, "the file can be moved");
    const auto readBack = defaultState(settingsPath);
    check(parseConfigFile(*readBack, settingsPath.c_str()) == ConfigParseResult::Ok,
          "a written file reads without error");
    checkReadBack(*state, *readBack);
    return 0;
}
