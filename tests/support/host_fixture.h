#pragma once
// A fresh headless host for every test: a new simulated install in a temporary folder, and a
// check at the end that the plug-in made no call the host counts as an error.

#include <gtest/gtest.h>

#include <string>

namespace plotwright_test {

// A new, empty folder under the build's test-output folder, unique per test, below a folder
// whose name holds blanks and non-ASCII letters (in UTF-8).
std::string makeTempFolder(const std::string &hint);

// Reads a whole file; "" when it cannot be read.
std::string readFile(const std::string &path);
void writeFile(const std::string &path, const std::string &text);
bool fileExists(const std::string &path);

class HostTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The simulated install folder, ending with '/'.
    std::string root_;
    // root_ + "Resources/plugins/Plotwright/".
    std::string pluginDir_;
};

} // namespace plotwright_test
