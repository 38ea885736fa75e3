#include "support/host_fixture.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "xphost/host.h"

namespace plotwright_test {

std::string makeTempFolder(const std::string &hint) {
    static int counter = 0;
    const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = hint;
    if (info != nullptr) name += std::string("-") + info->test_suite_name() + "-" + info->name();
    for (char &c : name)
        if (c == '/' || c == ' ') c = '_';
    // Users install the simulator below folders with blanks and letters beyond ASCII; every
    // test's install does the same, so no path handling can assume plain names.
    // The names are UTF-8: u8path, since a plain path reads narrow text in Windows' ANSI code
    // page.
    const std::filesystem::path folder =
        std::filesystem::u8path(PLOTWRIGHT_TEST_OUTPUT_DIR) /
        std::filesystem::u8path("X-Plane 12 Simula\u00e7\u00e3o") /
        std::filesystem::u8path(name + "-" + std::to_string(++counter));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder.u8string() + "/";
}

std::string readFile(const std::string &path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string &path, const std::string &text) {
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
    out << text;
}

bool fileExists(const std::string &path) {
    return std::filesystem::exists(std::filesystem::u8path(path));
}

std::string textFileBytes(const std::string &text) {
#if defined(_WIN32)
    std::string bytes;
    for (char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
#else
    return text;
#endif
}

void HostTest::SetUp() {
    xphost::resetHost(makeTempFolder("install"));
    ASSERT_TRUE(xphost::hostErrors().empty());
    root_ = xphost::installRoot();
    pluginDir_ = xphost::pluginFolder();
}

void HostTest::TearDown() {
    for (const std::string &error : xphost::hostErrors())
        ADD_FAILURE() << "host error: " << error;
    xphost::clearHostErrors();
}

} // namespace plotwright_test
