#pragma once
// The headless host: our stand-in for the simulator. It implements the plug-in API declared in
// sdk/ and keeps all of its state in one process-wide instance, because the API is a set of
// free C functions. Tests and the scenario runner drive it through the functions below.
//
// Choices where the simulator's behaviour is not documented are written down next to the
// function concerned. The host is strict: misuse by a plug-in (an unknown handle, GL errors in a
// draw, a system-path buffer contract it cannot keep, any API call from a thread other than the
// simulator's main thread, which is the thread that last called resetHost) is recorded as a host
// error, which tests check with hostErrors().

#include <string>
#include <vector>

namespace xphost {

// Paths. The simulator has two path modes, and so does the host:
// - Legacy paths, the default. On Windows the path is in the ANSI code page (GetACP) with '\'
//   between folders; a letter the code page cannot hold arrives as the code page's default
//   character ('?'), so such a folder cannot be reached at all. On Linux it is UTF-8 with '/'.
//   (On macOS the simulator hands out HFS paths with ':' in MacRoman; the host is not built
//   there.)
// - Native paths, once the plug-in calls XPLMEnableFeature("XPLM_USE_NATIVE_PATHS", 1): UTF-8
//   with '/' on every platform (on Windows "C:/X-Plane 12/").
// XPLMGetSystemPath and XPLMGetDirectorySeparator answer in the mode of the moment of each call.
// The host's own functions below (installRoot, pluginFolder, logPath) and the tests and tools
// deal in UTF-8 with the host's separator whatever the mode; only what a plug-in gets through
// the API changes.

// Forgets every dataref, menu, command, flight loop, widget, feature (so paths are legacy again),
// count and error, and makes installRoot the simulator's folder: creates
// installRoot/Resources/plugins/Plotwright/ and an empty installRoot/Log.txt. The root must be
// an absolute path in UTF-8 (on Windows one with a drive letter, "C:\..."); it is stored with a
// trailing separator, and on Windows every '/' in it becomes '\'.
// Roots whose path (with separator and NUL) would not fit the 512 bytes the API promises to
// callers are refused with a host error and leave the host without a root.
void resetHost(const std::string &installRoot);

// The host's separator, the one legacy paths use: '\' on Windows, '/' on Linux.
char directorySeparator();

// The simulator's folder in UTF-8, ending with the host's separator.
const std::string &installRoot();
// installRoot() + "Resources/plugins/Plotwright/", with the host's separator.
std::string pluginFolder();

// Whether native paths are on.
bool nativePaths();
// A UTF-8 path of the host's (installRoot() and below) as the API hands it to a plug-in in the
// current mode, for tests that compare what the plug-in built or logged. Counts nothing.
std::string handedOutPath(const std::string &utf8Path);
// Calls of XPLMGetSystemPath and XPLMGetDirectorySeparator answered while native paths were off,
// since resetHost: a plug-in that switches native paths on first makes none.
int legacyPathRequests();

// What XPLMDebugString has written since resetHost (read back from Log.txt).
std::string logText();
std::string logPath();

// Features switched on with XPLMEnableFeature.
bool featureEnabled(const std::string &feature);

// Host errors recorded since the last clear, oldest first. Each is also printed to stderr.
const std::vector<std::string> &hostErrors();
void clearHostErrors();
void reportHostError(const std::string &message);

} // namespace xphost
