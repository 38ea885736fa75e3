#pragma once
// The simulated simulator install a run works in, and the files a run leaves in its output folder.

#include <string>
#include <vector>

namespace plotwright_host {

// Makes `root` an empty install folder, or with `keep` leaves what an earlier run put there. A
// folder that exists must be empty or one this program made earlier (it leaves a marker file
// there), so a real simulator folder is never wiped nor taken for one of ours.
bool prepareInstallRoot(const std::string &root, bool keep, std::string *error);

// Copies the module to Resources/plugins/Plotwright/64/ under the host's install root.
bool installModule(const std::string &modulePath, std::string *error);

// Writes the settings file Resources/plugins/Plotwright/Plotwright.ini.
bool installSettingsText(const std::string &text, std::string *error);
bool installSettingsFile(const std::string &path, std::string *error);
// Removes the settings file an earlier run may have left, so the plug-in starts on its defaults.
bool removeSettings(std::string *error);

struct OutputFile {
    std::string Name;        // relative to the output folder
    std::string Description; // what it is, for the summary
};

// Copies what the plug-in wrote into its folder (exports, new settings) and the simulator's log
// into `outDir`; returns what was copied.
std::vector<OutputFile> collectPluginFiles(const std::string &outDir, std::string *error);

// The number of lines of a text file (0 when it cannot be read).
std::size_t countLines(const std::string &path);

} // namespace plotwright_host
