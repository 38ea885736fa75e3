// Files named in UTF-8.
#include "host_files.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace xphost::internal {

#if defined(_WIN32)
namespace {
std::wstring wide(const std::string &utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                           static_cast<int>(utf8.size()), nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                        text.data(), length);
    return text;
}

// A long absolute path takes the extended-length form ("\\?\C:\..."), which has no
// 260-character limit and wants backslashes only.
std::wstring widePath(const std::string &utf8Path) {
    if (utf8Path.size() < 248 || utf8Path.size() < 3 || utf8Path[1] != ':') return wide(utf8Path);
    std::wstring path = L"\\\\?\\" + wide(utf8Path);
    for (wchar_t &unit : path)
        if (unit == L'/') unit = L'\\';
    return path;
}
} // namespace

std::filesystem::path nativePath(const std::string &utf8Path) { return widePath(utf8Path); }

std::FILE *openFile(const std::string &utf8Path, const char *mode) {
    const std::wstring path = widePath(utf8Path);
    if (path.empty()) return nullptr;
    return _wfopen(path.c_str(), wide(mode).c_str());
}
#else
std::filesystem::path nativePath(const std::string &utf8Path) { return utf8Path; }

std::FILE *openFile(const std::string &utf8Path, const char *mode) {
    return std::fopen(utf8Path.c_str(), mode);
}
#endif

} // namespace xphost::internal
