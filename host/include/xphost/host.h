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

// Forgets every dataref, menu, flight loop, widget, feature and error, and makes installRoot
// the simulator's folder: creates installRoot/Resources/plugins/Plotwright/ and an empty
// installRoot/Log.txt. The root must be an absolute path in UTF-8 (on Windows one with a drive
// letter, "C:\..."); it is stored with a trailing separator, and on Windows every '/' in it
// becomes '\', so plug-ins get the paths the simulator hands out there.
// Roots whose path (with separator and NUL) would not fit the 512 bytes the API promises to
// callers are refused with a host error and leave the host without a root.
void resetHost(const std::string &installRoot);

// What XPLMGetDirectorySeparator hands out: '\' on Windows, '/' on Linux, as the simulator.
char directorySeparator();

// The simulator's folder, ending with the separator.
const std::string &installRoot();
// installRoot() + "Resources/plugins/Plotwright/", with the platform's separator.
std::string pluginFolder();

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
