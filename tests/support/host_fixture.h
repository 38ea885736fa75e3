#pragma once
// A fresh headless host for every test: a new simulated install in a temporary folder, and a
// check at the end that the plug-in made no call the host counts as an error.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "xphost/plugin_loader.h"

namespace plotwright_test {

// The module the end-to-end tests load: the one this build made, or the one named by
// PLOTWRIGHT_TEST_MODULE (the shipped module, when the tests run a second time for it).
const char *modulePath();

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

// resetHost, then native paths on, as XPluginStart leaves them first thing: the plug-in's parts
// are tested as they run, after the start.
void resetStartedHost(const std::string &root);

// Exports are written on the plug-in's own thread. A disabled plug-in runs no code, so it
// finishes its exports when it is disabled: a disable and enable waits for every export asked
// for so far, through the module's entry points alone and without a clock.
void waitForExports(xphost::PluginModule &module);

class HostTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The simulated install folder, ending with '/', as the host hands it out in native paths
    // (UTF-8 with '/', on Windows too): the paths the plug-in builds and logs start with it.
    std::string root_;
    // root_ + "Resources/plugins/Plotwright/".
    std::string pluginDir_;
};

} // namespace plotwright_test
