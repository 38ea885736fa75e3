#include "install_folder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "xphost/host.h"

namespace plotwright_host {
namespace fs = std::filesystem;
namespace {

const char kMarkerName[] = ".plotwright-host-install";
const char kSettingsName[] = "Plotwright.ini";

std::string settingsPath() { return xphost::pluginFolder() + kSettingsName; }

} // namespace

bool prepareInstallRoot(const std::string &root, bool keep, std::string *error) {
    std::error_code ec;
    if (fs::exists(root, ec)) {
        if (!fs::is_directory(root, ec)) {
            *error = "the install folder " + root + " is a file";
            return false;
        }
        const bool empty = fs::is_empty(root, ec);
        if (!empty && !fs::exists(fs::path(root) / kMarkerName, ec)) {
            *error = "the install folder " + root +
                     " holds files this program did not make; give a new or empty folder";
            return false;
        }
        if (!keep) fs::remove_all(root, ec);
        if (ec) {
            *error = "cannot empty the install folder " + root + ": " + ec.message();
            return false;
        }
    }
    fs::create_directories(root, ec);
    if (ec) {
        *error = "cannot create the install folder " + root + ": " + ec.message();
        return false;
    }
    std::ofstream(fs::path(root) / kMarkerName)
        << "made by plotwright-host; emptied on every run but one with --keep-install\n";
    return true;
}

bool installModule(const std::string &modulePath, std::string *error) {
    std::error_code ec;
    if (!fs::is_regular_file(modulePath, ec)) {
        *error = "the plug-in module " + modulePath +
                 " does not exist (build it first, or pass --module)";
        return false;
    }
    const fs::path folder = fs::path(xphost::pluginFolder()) / "64";
    fs::create_directories(folder, ec);
    fs::copy_file(modulePath, folder / fs::path(modulePath).filename(),
                  fs::copy_options::overwrite_existing, ec);
    if (ec) {
        *error = "cannot copy the module into " + folder.string() + ": " + ec.message();
        return false;
    }
    return true;
}

bool installSettingsText(const std::string &text, std::string *error) {
    std::ofstream out(settingsPath(), std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        *error = "cannot write " + settingsPath();
        return false;
    }
    return true;
}

bool installSettingsFile(const std::string &path, std::string *error) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        *error = "the settings file " + path + " does not exist";
        return false;
    }
    fs::copy_file(path, settingsPath(), fs::copy_options::overwrite_existing, ec);
    if (ec) {
        *error = "cannot copy the settings file " + path + ": " + ec.message();
        return false;
    }
    return true;
}

bool removeSettings(std::string *error) {
    std::error_code ec;
    fs::remove(settingsPath(), ec);
    if (ec) {
        *error = "cannot remove " + settingsPath() + ": " + ec.message();
        return false;
    }
    return true;
}

std::size_t countLines(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::size_t lines = 0;
    std::string line;
    while (std::getline(in, line))
        ++lines;
    return lines;
}

std::vector<OutputFile> collectPluginFiles(const std::string &outDir, std::string *error) {
    std::vector<OutputFile> files;
    std::error_code ec;
    std::vector<fs::path> written;
    for (const fs::directory_entry &entry : fs::directory_iterator(xphost::pluginFolder(), ec))
        if (entry.is_regular_file() && entry.path().filename() != kSettingsName)
            written.push_back(entry.path());
    std::sort(written.begin(), written.end());
    for (const fs::path &path : written) {
        const std::string name = path.filename().string();
        fs::copy_file(path, fs::path(outDir) / name, fs::copy_options::overwrite_existing, ec);
        if (ec) {
            *error = "cannot copy " + path.string() + " to " + outDir + ": " + ec.message();
            continue;
        }
        std::string description = "written by the plug-in";
        if (name.size() == 15 && name.compare(0, 10, "Plotwright") == 0 &&
            name.compare(11, 4, ".csv") == 0)
            description = "CSV export of data set " + name.substr(10, 1) + ", " +
                          std::to_string(countLines(path.string())) + " samples";
        else if (name.size() > 21 && name.compare(0, 10, "Plotwright") == 0 &&
                 name.compare(11, 10, "-recovered") == 0)
            description = "data set " + name.substr(10, 1) + " recovered after a crash, " +
                          std::to_string(countLines(path.string())) + " samples";
        else if (name == "PlotwrightNew.ini")
            description = "settings written by Create INI File";
        files.push_back({name, description});
    }
    fs::copy_file(xphost::logPath(), fs::path(outDir) / "Log.txt",
                  fs::copy_options::overwrite_existing, ec);
    if (ec)
        *error = "cannot copy the simulator's log: " + ec.message();
    else
        files.push_back({"Log.txt", "the simulator's log"});
    return files;
}

} // namespace plotwright_host
