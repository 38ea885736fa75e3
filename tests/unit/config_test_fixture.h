#pragma once
// A fresh simulated install and a default AppState for the settings-file tests.

#include <cstdio>
#include <memory>
#include <string>

#include "config/config_reader.h"
#include "core/app_state.h"
#include "support/host_fixture.h"
#include "xphost/host.h"

namespace plotwright_test {

class ConfigTest : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        state_ = std::make_unique<AppState>();
        state_->resetToDefaults();
        settingsPath_ = pluginDir_ + "Plotwright.ini";
        std::snprintf(state_->SettingsPath, sizeof state_->SettingsPath, "%s",
                      settingsPath_.c_str());
    }

    ConfigParseResult parse(const std::string &fileText) {
        writeFile(settingsPath_, fileText);
        return parseConfigFile(*state_, settingsPath_.c_str());
    }

    // loadConfigFile on fileText; returns what it logged.
    std::string load(const std::string &fileText) {
        writeFile(settingsPath_, fileText);
        loadConfigFile(*state_);
        return xphost::logText();
    }

    const char *name(int set, int channel) const { return state_->Name[set][channel]; }

    std::unique_ptr<AppState> state_;
    std::string settingsPath_;
};

} // namespace plotwright_test
