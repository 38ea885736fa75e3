// Install folder, log, features and host errors.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#if defined(_WIN32)
#include "windows_wide_path.h" // windows.h, lean
#endif

#include "XPLMPlugin.h"
#include "XPLMUtilities.h"
#include "host_files.h"
#include "host_internal.h"
#include "xphost/host.h"

namespace xphost {
// The API promises callers that 512 bytes hold the system path.
constexpr std::size_t kSystemPathBufferSize = 512;

namespace {

std::string pluginFolderBelowRoot();

#if defined(_WIN32)
constexpr char kSeparator = '\\';
// "C:\..." or "C:/...": the only absolute paths a simulator folder can have.
bool isAbsolute(const std::string &path) {
    return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
           path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}
#else
constexpr char kSeparator = '/';
bool isAbsolute(const std::string &path) { return !path.empty() && path.front() == '/'; }
#endif

const char kNativePaths[] = "XPLM_USE_NATIVE_PATHS";

struct HostState {
    std::string root; // UTF-8, with the host's separator
    std::set<std::string> features;
    std::vector<std::string> errors;
    int legacyPathRequests = 0;
    // The simulator's main thread: every API call must come from it.
    std::thread::id mainThread = std::this_thread::get_id();
};

// An API call from another thread reports its error from there.
std::mutex &errorsMutex() {
    static std::mutex mutex;
    return mutex;
}

HostState &state() {
    static HostState instance;
    return instance;
}

bool nativePathsOn() { return state().features.count(kNativePaths) != 0; }

#if defined(_WIN32)
// What the simulator does with a UTF-8 path for a legacy-path plug-in: the path in the ANSI code
// page, every letter the code page lacks replaced by its default character.
std::string inCodePage(const std::string &utf8) {
    const int units =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (units <= 0) return std::string();
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), units);
    const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), units, nullptr,
                                          0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string text(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), units, text.data(), bytes,
                        nullptr, nullptr);
    return text;
}
#endif

std::string pluginFolderBelowRoot() {
    std::string folder = "Resources/plugins/Plotwright/";
    std::replace(folder.begin(), folder.end(), '/', kSeparator);
    return folder;
}

} // namespace

void reportHostError(const std::string &message) {
    std::fprintf(stderr, "xphost error: %s\n", message.c_str());
    std::lock_guard<std::mutex> lock(errorsMutex());
    state().errors.push_back(message);
}

const std::vector<std::string> &hostErrors() { return state().errors; }
void clearHostErrors() {
    std::lock_guard<std::mutex> lock(errorsMutex());
    state().errors.clear();
}

void resetHost(const std::string &installRoot) {
    // A copy first: the argument may be installRoot() itself, which the reset clears.
    std::string root = installRoot;
    internal::resetWidgets();
    internal::resetScreen();
    internal::resetFlightLoop();
    internal::resetMenus();
    internal::resetDataRefs();
    internal::resetMessages();
    internal::resetCommands();
    HostState &host = state();
    host.mainThread = std::this_thread::get_id();
    host.features.clear();
    clearHostErrors();
    host.root.clear();
    host.legacyPathRequests = 0;

    if (!isAbsolute(root)) {
        reportHostError("install root must be an absolute path: '" + root + "'");
        return;
    }
    if (kSeparator != '/') std::replace(root.begin(), root.end(), '/', kSeparator);
    if (root.back() != kSeparator) root.push_back(kSeparator);
    if (root.size() + 1 > kSystemPathBufferSize) {
        reportHostError("install root is longer than the 511 characters a system path may have");
        return;
    }
    std::error_code ec;
    std::filesystem::create_directories(internal::nativePath(root + pluginFolderBelowRoot()), ec);
    if (ec) {
        reportHostError("cannot create the install folder under " + root + ": " + ec.message());
        return;
    }
    host.root = root;
    if (std::FILE *log = internal::openFile(logPath(), "wb")) std::fclose(log);
}

const std::string &installRoot() { return state().root; }
std::string pluginFolder() { return state().root + pluginFolderBelowRoot(); }
std::string logPath() { return state().root + "Log.txt"; }
char directorySeparator() { return kSeparator; }

bool nativePaths() { return nativePathsOn(); }

std::string handedOutPath(const std::string &utf8Path) {
#if defined(_WIN32)
    if (nativePathsOn()) {
        std::string path = utf8Path;
        std::replace(path.begin(), path.end(), '\\', '/');
        return path;
    }
    // Separators are swapped in UTF-8, where no byte of a letter looks like one; in a
    // double-byte code page the second byte of a letter may.
    std::string path = utf8Path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return inCodePage(path);
#else
    return utf8Path;
#endif
}

int legacyPathRequests() { return state().legacyPathRequests; }

std::string logText() {
    std::ifstream in(internal::nativePath(logPath()), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool featureEnabled(const std::string &feature) { return state().features.count(feature) != 0; }

namespace internal {
const std::string &systemPath() { return state().root; }

void countPathRequest() {
    if (!nativePathsOn()) ++state().legacyPathRequests;
}

void checkMainThread(const char *function) {
    if (std::this_thread::get_id() != state().mainThread)
        reportHostError(std::string(function) + " called off the simulator's main thread");
}
} // namespace internal

} // namespace xphost

using xphost::reportHostError;

XPLM_API void XPLMGetSystemPath(char *outSystemPath) {
    xphost::internal::checkMainThread(__func__);
    if (outSystemPath == nullptr) {
        reportHostError("XPLMGetSystemPath: null buffer");
        return;
    }
    xphost::internal::countPathRequest();
    const std::string path = xphost::handedOutPath(xphost::internal::systemPath());
    // resetHost keeps the UTF-8 root below 512 bytes, and no code page takes more bytes for a
    // letter than UTF-8 does; the check keeps that promise should either ever change.
    if (path.size() + 1 > xphost::kSystemPathBufferSize) {
        reportHostError("XPLMGetSystemPath: the path handed out would pass 512 bytes");
        outSystemPath[0] = '\0';
        return;
    }
    std::memcpy(outSystemPath, path.c_str(), path.size() + 1);
}

XPLM_API const char *XPLMGetDirectorySeparator(void) {
    xphost::internal::checkMainThread(__func__);
    xphost::internal::countPathRequest();
    // Read at every call: the answer changes when the plug-in switches native paths on.
    static const char kNative[] = "/";
    static const char kLegacy[] = {xphost::directorySeparator(), '\0'};
    return xphost::nativePaths() ? kNative : kLegacy;
}

XPLM_API void XPLMDebugString(const char *inString) {
    xphost::internal::checkMainThread(__func__);
    if (inString == nullptr) {
        reportHostError("XPLMDebugString: null text");
        return;
    }
    if (xphost::installRoot().empty()) return;
    if (std::FILE *log = xphost::internal::openFile(xphost::logPath(), "ab")) {
        std::fputs(inString, log);
        std::fclose(log);
    }
}

namespace {
// The features the simulator (version 12) knows; any other name is refused, as there.
bool knownFeature(const char *name) {
    static const char *const kKnown[] = {"XPLM_USE_NATIVE_PATHS", "XPLM_USE_NATIVE_WIDGET_WINDOWS",
                                         "XPLM_WANTS_REFLECTIONS",
                                         "XPLM_WANTS_DATAREF_NOTIFICATIONS"};
    for (const char *known : kKnown)
        if (std::strcmp(name, known) == 0) return true;
    return false;
}
} // namespace

XPLM_API int XPLMHasFeature(const char *inFeature) {
    xphost::internal::checkMainThread(__func__);
    return inFeature != nullptr && knownFeature(inFeature) ? 1 : 0;
}

XPLM_API int XPLMIsFeatureEnabled(const char *inFeature) {
    xphost::internal::checkMainThread(__func__);
    return inFeature != nullptr && xphost::featureEnabled(inFeature) ? 1 : 0;
}

XPLM_API void XPLMEnableFeature(const char *inFeature, int inEnable) {
    xphost::internal::checkMainThread(__func__);
    if (inFeature == nullptr || !knownFeature(inFeature)) return;
    if (inEnable)
        xphost::state().features.insert(inFeature);
    else
        xphost::state().features.erase(inFeature);
}
