#include "support/host_fixture.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "XPLMPlugin.h"
#include "xphost/host.h"

namespace plotwright_test {

namespace {
// On Windows an absolute path in the extended-length form ("\\?\C:\..."), which has no
// 260-character limit; deep test installs go beyond it.
std::filesystem::path extendedPath(const std::string &utf8Path) {
#if defined(_WIN32)
    if (utf8Path.size() > 2 && utf8Path[1] == ':') {
        std::string native = utf8Path;
        std::replace(native.begin(), native.end(), '/', '\\');
        std::filesystem::path extended(L"\\\\?\\");
        extended += std::filesystem::u8path(native);
        return extended;
    }
#endif
    return std::filesystem::u8path(utf8Path);
}
} // namespace

namespace {
// Under Wine, std::filesystem cannot remove folders deeper than 260 characters that a test
// left; there each run's folders get a name of their own, so none is ever reused.
std::string runSuffix() {
#if defined(_WIN32)
    static const std::string suffix =
        "-" + std::to_string(std::chrono::system_clock::now().time_since_epoch().count());
    return suffix;
#else
    return "";
#endif
}
} // namespace

const char *modulePath() {
    const char *shipped = std::getenv("PLOTWRIGHT_TEST_MODULE");
    return shipped != nullptr && shipped[0] != '\0' ? shipped : PLOTWRIGHT_MODULE_PATH;
}

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
        std::filesystem::u8path(name + "-" + std::to_string(++counter) + runSuffix());
    std::filesystem::remove_all(extendedPath(folder.u8string()));
    std::filesystem::create_directories(folder);
    return folder.u8string() + "/";
}

std::filesystem::path fsPath(const std::string &utf8Path) {
    return utf8Path.size() >= 248 ? extendedPath(utf8Path) : std::filesystem::u8path(utf8Path);
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

void resetStartedHost(const std::string &root) {
    xphost::resetHost(root);
    XPLMEnableFeature("XPLM_USE_NATIVE_PATHS", 1);
}

void HostTest::SetUp() {
    resetStartedHost(makeTempFolder("install"));
    ASSERT_TRUE(xphost::hostErrors().empty());
    root_ = xphost::handedOutPath(xphost::installRoot());
    pluginDir_ = xphost::handedOutPath(xphost::pluginFolder());
}

void HostTest::TearDown() {
    for (const std::string &error : xphost::hostErrors())
        ADD_FAILURE() << "host error: " << error;
    xphost::clearHostErrors();
}

void waitForExports(xphost::PluginModule &module) {
    if (!module.enabled()) return;
    module.disable();
    module.enable();
}

} // namespace plotwright_test
