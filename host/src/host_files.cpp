// Files named in UTF-8.
#include "host_files.h"

#if defined(_WIN32)
#include "windows_wide_path.h"
#endif

namespace xphost::internal {

#if defined(_WIN32)
namespace {
// The plug-in's own conversion, so the host opens the very file a plug-in does for a name; an
// empty text when the name is not UTF-8, which no file answers to.
std::wstring widePath(const std::string &utf8Path) {
    std::wstring path(windows_wide_path::unitsFor(utf8Path.size()), L'\0');
    if (!windows_wide_path::toWidePath(utf8Path.c_str(), path.data(), path.size()))
        return std::wstring();
    path.resize(std::char_traits<wchar_t>::length(path.c_str()));
    return path;
}
} // namespace

std::filesystem::path nativePath(const std::string &utf8Path) { return widePath(utf8Path); }

std::FILE *openFile(const std::string &utf8Path, const char *mode) {
    const std::wstring path = widePath(utf8Path);
    if (path.empty()) return nullptr;
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(path.c_str(), wideMode.c_str());
}
#else
std::filesystem::path nativePath(const std::string &utf8Path) { return utf8Path; }

std::FILE *openFile(const std::string &utf8Path, const char *mode) {
    return std::fopen(utf8Path.c_str(), mode);
}
#endif

} // namespace xphost::internal
