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
    const std::filesystem::path folder = std::filesystem::path(PLOTWRIGHT_TEST_OUTPUT_DIR) /
                                         "X-Plane 12 Simula\u00e7\u00e3o" /
                                         (name + "-" + std::to_string(++counter));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder.string() + "/";
}

std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string &path, const std::string &text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

bool fileExists(const std::string &path) { return std::filesystem::exists(path); }

void HostTest::SetUp() {
    root_ = makeTempFolder("install");
    xphost::resetHost(root_);
    ASSERT_TRUE(xphost::hostErrors().empty());
    pluginDir_ = root_ + "Resources/plugins/Plotwright/";
}

void HostTest::TearDown() {
    for (const std::string &error : xphost::hostErrors())
        ADD_FAILURE() << "host error: " << error;
    xphost::clearHostErrors();
}

} // namespace plotwright_test
