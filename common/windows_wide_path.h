#pragma once
// The one conversion of a UTF-8 path into the UTF-16 path Windows' wide file functions take,
// shared by the plug-in's file access and the host's own files so that both reach the same file
// for the same name. Header-only and free of either side's code: src/ and host/ both include it.
#if defined(_WIN32)

#include "windows_header.h"

#include <cstddef>
#include <cstring>

namespace windows_wide_path {

// From this length on an absolute path takes the extended-length form ("\\?\C:\..."), which has
// no 260-character limit. MAX_PATH - 12 is the limit for a folder's name, the shortest there is.
constexpr std::size_t kExtendedFromBytes = MAX_PATH - 12;
constexpr wchar_t kExtendedPrefix[] = L"\\\\?\\";
constexpr std::size_t kExtendedPrefixUnits = 4;

// UTF-16 units, terminator included, that room must hold for a path of utf8Bytes bytes: never
// more units than bytes, plus the prefix and the terminator.
constexpr std::size_t unitsFor(std::size_t utf8Bytes) {
    return utf8Bytes + kExtendedPrefixUnits + 1;
}

inline bool isDriveAbsolute(const char *path) {
    const char letter = path[0];
    return ((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z')) &&
           path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

// Writes the wide form of the NUL-terminated UTF-8 path into out, which holds room units.
// Every '/' becomes '\': native paths use '/', and the extended-length form takes '\' only (there
// '/' would be part of a name). Returns false, leaving out empty, when the path is not valid
// UTF-8 or does not fit.
inline bool toWidePath(const char *utf8, wchar_t *out, std::size_t room) {
    if (room == 0) return false;
    out[0] = L'\0';
    const std::size_t bytes = std::strlen(utf8);
    const bool extended = bytes >= kExtendedFromBytes && isDriveAbsolute(utf8);
    wchar_t *text = out;
    if (extended) {
        if (room <= kExtendedPrefixUnits) return false;
        std::memcpy(text, kExtendedPrefix, sizeof(wchar_t) * kExtendedPrefixUnits);
        text += kExtendedPrefixUnits;
        room -= kExtendedPrefixUnits;
    }
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, text,
                                          room > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(room));
    if (units == 0) {
        out[0] = L'\0';
        return false;
    }
    for (wchar_t *unit = text; *unit != L'\0'; ++unit)
        if (*unit == L'/') *unit = L'\\';
    return true;
}

} // namespace windows_wide_path

#endif
