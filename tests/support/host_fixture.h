#pragma once
// A fresh headless host for every test: a new simulated install in a temporary folder, and a
// check at the end that the plug-in made no call the host counts as an error.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "xphost/plugin_loader.h"

namespace plotwright_test {

// A new, empty folder under the build's test-output folder, unique per test, below a folder
// whose name holds blanks and non-ASCII letters (in UTF-8).
std::string makeTempFolder(const std::string &hint);

// Paths are UTF-8, as the plug-in API's. The path a UTF-8 name stands for: std::filesystem
// reads plain narrow text in Windows' ANSI code page.
std::filesystem::path fsPath(const std::string &utf8Path);

// Reads a whole file; "" when it cannot be read.
std::string readFile(const std::string &path);
void writeFile(const std::string &path, const std::string &text);
bool fileExists(const std::string &path);

// The bytes a file written in text mode holds for `text`: each "\n" becomes the platform's line
// end (CR LF on Windows).
std::string textFileBytes(const std::string &text);

// Exports are written on the plug-in's own thread. A disabled plug-in runs no code, so it
// finishes its exports when it is disabled: a disable and enable waits for every export asked
// for so far, through the module's entry points alone and without a clock.
void waitForExports(xphost::PluginModule &module);

class HostTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The simulated install folder, ending with the platform's separator, as the host hands it
    // out.
    std::string root_;
    // root_ + "Resources/plugins/Plotwright/", with the platform's separator.
    std::string pluginDir_;
};

} // namespace plotwright_test
