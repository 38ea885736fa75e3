// Install folder, log, features and host errors.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "XPLMPlugin.h"
#include "XPLMUtilities.h"
#include "host_internal.h"
#include "xphost/host.h"

namespace xphost {
namespace {

// The API promises callers that 512 bytes hold the system path.
constexpr std::size_t kSystemPathBufferSize = 512;

struct HostState {
    std::string root;
    std::set<std::string> features;
    std::vector<std::string> errors;
};

HostState &state() {
    static HostState instance;
    return instance;
}

} // namespace

void reportHostError(const std::string &message) {
    std::fprintf(stderr, "xphost error: %s\n", message.c_str());
    state().errors.push_back(message);
}

const std::vector<std::string> &hostErrors() { return state().errors; }
void clearHostErrors() { state().errors.clear(); }

void resetHost(const std::string &installRoot) {
    internal::resetWidgets();
    internal::resetScreen();
    internal::resetFlightLoop();
    internal::resetMenus();
    internal::resetDataRefs();
    HostState &host = state();
    host.features.clear();
    host.errors.clear();
    host.root.clear();

    std::string root = installRoot;
    if (root.empty() || root.front() != '/') {
        reportHostError("install root must be an absolute path: '" + installRoot + "'");
        return;
    }
    if (root.back() != '/') root.push_back('/');
    if (root.size() + 1 > kSystemPathBufferSize) {
        reportHostError("install root is longer than the 511 characters a system path may have");
        return;
    }
    std::error_code ec;
    std::filesystem::create_directories(root + "Resources/plugins/Plotwright", ec);
    if (ec) {
        reportHostError("cannot create the install folder under " + root + ": " + ec.message());
        return;
    }
    host.root = root;
    std::ofstream(logPath(), std::ios::trunc);
}

const std::string &installRoot() { return state().root; }
std::string pluginFolder() { return state().root + "Resources/plugins/Plotwright/"; }
std::string logPath() { return state().root + "Log.txt"; }

std::string logText() {
    std::ifstream in(logPath(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool featureEnabled(const std::string &feature) { return state().features.count(feature) != 0; }

namespace internal {
const std::string &systemPath() { return state().root; }
} // namespace internal

} // namespace xphost

using xphost::reportHostError;

XPLM_API void XPLMGetSystemPath(char *outSystemPath) {
    if (outSystemPath == nullptr) {
        reportHostError("XPLMGetSystemPath: null buffer");
        return;
    }
    const std::string &root = xphost::internal::systemPath();
    // root.size() < 512 is guaranteed by resetHost.
    std::memcpy(outSystemPath, root.c_str(), root.size() + 1);
}

XPLM_API const char *XPLMGetDirectorySeparator(void) { return "/"; }

XPLM_API void XPLMDebugString(const char *inString) {
    if (inString == nullptr) {
        reportHostError("XPLMDebugString: null text");
        return;
    }
    if (xphost::installRoot().empty()) return;
    if (std::FILE *log = std::fopen(xphost::logPath().c_str(), "ab")) {
        std::fputs(inString, log);
        std::fclose(log);
    }
}

XPLM_API void XPLMEnableFeature(const char *inFeature, int inEnable) {
    if (inFeature == nullptr) return;
    if (inEnable)
        xphost::state().features.insert(inFeature);
    else
        xphost::state().features.erase(inFeature);
}
