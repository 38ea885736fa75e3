// The module as the simulator sees it: it exports the five entry points and nothing else of
// ours, and every simulator function it uses is left undefined for the simulator to bind.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "support/host_fixture.h"

namespace {

std::string run(const std::string &command) {
    std::unique_ptr<FILE, int (*)(FILE *)> pipe(popen(command.c_str(), "r"), pclose);
    std::string out;
    if (!pipe) return out;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr)
        out += buffer;
    return out;
}

// Symbol names from `nm -D` output lines "<address> <type> <name>" or "U <name>".
std::set<std::string> names(const std::string &nmOutput) {
    std::set<std::string> result;
    std::istringstream lines(nmOutput);
    std::string line;
    while (std::getline(lines, line)) {
        const auto space = line.find_last_of(' ');
        std::string name = line.substr(space + 1);
        name = name.substr(0, name.find('@'));
        if (!name.empty()) result.insert(name);
    }
    return result;
}

// Every function our SDK headers declare: the simulator's API.
std::set<std::string> declaredApi() {
    std::set<std::string> api;
    const std::regex declaration(R"((?:XPLM_API|WIDGET_API)[^;(]*?\b(XP\w+)\s*\()");
    for (const auto &entry : std::filesystem::recursive_directory_iterator(SDK_HEADER_DIR)) {
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        const std::string source = text.str();
        for (std::sregex_iterator it(source.begin(), source.end(), declaration), end; it != end;
             ++it)
            api.insert((*it)[1]);
    }
    return api;
}

TEST(ModuleSymbols, ExportsExactlyTheFiveEntryPoints) {
    const std::string module = plotwright_test::modulePath();
    ASSERT_TRUE(std::filesystem::exists(module)) << module;
    EXPECT_EQ(std::filesystem::path(module).filename(), "lin.xpl");
    EXPECT_EQ(std::filesystem::path(module).parent_path().filename(), "64");
    EXPECT_EQ(std::filesystem::path(module).parent_path().parent_path().filename(), "Plotwright");

    const auto exported = names(run("nm -D --defined-only '" + module + "'"));
    const std::set<std::string> entryPoints = {"XPluginStart", "XPluginStop", "XPluginEnable",
                                               "XPluginDisable", "XPluginReceiveMessage"};
    EXPECT_EQ(exported, entryPoints);
}

TEST(ModuleSymbols, SimulatorFunctionsStayUndefinedAndComeFromTheApi) {
    const std::string module = plotwright_test::modulePath();
    const auto undefined = names(run("nm -D --undefined-only '" + module + "'"));
    const auto api = declaredApi();
    ASSERT_GT(api.size(), 30u);
    std::set<std::string> used;
    for (const std::string &name : undefined)
        if (name.rfind("XP", 0) == 0) used.insert(name);
    for (const std::string &name : used)
        EXPECT_EQ(api.count(name), 1u) << name;
    // The calls the plug-in cannot work without.
    for (const char *needed :
         {"XPLMFindDataRef", "XPLMRegisterFlightLoopCallback", "XPLMCreateMenu", "XPCreateWidget",
          "XPLMDebugString", "XPLMCreateCommand", "XPLMUnregisterCommandHandler"})
        EXPECT_EQ(used.count(needed), 1u) << needed;
}

TEST(ModuleSymbols, ContainsNoHostCodeAndLinksNoHostLibrary) {
    const std::string module = plotwright_test::modulePath();
    const std::string all = run("nm '" + module + "' 2>&1; nm -D '" + module + "'");
    EXPECT_EQ(all.find("xphost"), std::string::npos);
    const std::string dynamic = run("readelf -d '" + module + "'");
    EXPECT_NE(dynamic.find("(NEEDED)"), std::string::npos) << dynamic;
    EXPECT_EQ(dynamic.find("xphost"), std::string::npos) << dynamic;
    // OpenGL comes from the system's libGL, as for every other plug-in.
    EXPECT_NE(dynamic.find("[libGL.so.1]"), std::string::npos) << dynamic;
}

} // namespace
