#include "support/file_links.h"

#include <filesystem>
#include <system_error>

#include "support/host_fixture.h"

#if defined(_WIN32)
#include "windows_header.h"

namespace {
// Wine's own export, the path of a Windows name on the Unix side (allocated on the process heap).
using UnixFileName = char *(__cdecl *)(const wchar_t *);

UnixFileName wineUnixFileName() {
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel != nullptr ? reinterpret_cast<UnixFileName>(reinterpret_cast<void (*)()>(
                                   GetProcAddress(kernel, "wine_get_unix_file_name")))
                             : nullptr;
}

std::wstring wide(const std::string &utf8) {
    std::wstring out(utf8.size() + 1, L'\0');
    const int units =
        MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, out.data(), static_cast<int>(out.size()));
    out.resize(units > 0 ? static_cast<std::size_t>(units - 1) : 0);
    return out;
}

// Runs the Unix `ln`, which Wine starts as a Unix program, with the link's Unix path.
bool linkOnTheUnixSide(UnixFileName toUnix, const std::filesystem::path &link,
                       const std::string &targetName, std::string *why) {
    char *unixLink = toUnix(link.c_str());
    if (unixLink == nullptr) {
        *why = "Wine has no Unix name for " + link.string();
        return false;
    }
    std::wstring command = L"ln -s \"" + wide(targetName) + L"\" \"" + wide(unixLink) + L"\"";
    HeapFree(GetProcessHeap(), 0, unixLink);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(L"Z:\\bin\\ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        *why = "Wine could not start ln: error " + std::to_string(GetLastError());
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// Wine hands the Unix program over and signals its handle at once, before `ln` has run: the
// link is there when Wine sees the file through it. A minute is far beyond what ln takes; only
// an ln that failed runs into it.
bool linkAppears(const std::string &path) {
    for (int waited = 0; waited < 60000; waited += 5) {
        if (plotwright_test::fileExists(path)) return true;
        Sleep(5);
    }
    return false;
}
} // namespace
#endif

namespace plotwright_test {

bool makeFileLink(const std::string &folder, const std::string &linkName,
                  const std::string &targetName, std::string *why) {
    const std::filesystem::path link = fsPath(folder + linkName);
#if defined(_WIN32)
    if (const UnixFileName toUnix = wineUnixFileName()) {
        if (!linkOnTheUnixSide(toUnix, link, targetName, why)) return false;
        if (linkAppears(folder + linkName)) return true;
        *why = "ln made no link at " + link.string();
        return false;
    }
    if (CreateSymbolicLinkW(link.c_str(), wide(targetName).c_str(),
                            SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE))
        return true;
    *why = "CreateSymbolicLinkW failed with error " + std::to_string(GetLastError());
    return false;
#else
    std::error_code error;
    std::filesystem::create_symlink(targetName, link, error);
    if (error) *why = error.message();
    return !error;
#endif
}

} // namespace plotwright_test
