// Files on Windows. With native paths the simulator hands out UTF-8 paths with '/', while fopen
// reads its argument in the ANSI code page: every path is converted to UTF-16 and opened with
// the wide functions (windows_wide_path.h, which the host's own files share), so an
// install below a folder such as "D:\Simulação\X-Plane 12" keeps its settings and exports. Long
// absolute paths take the extended-length form, which lifts the 260-character limit.
#ifdef _WIN32

#include "windows_header.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "core/file_platform.h"
#include "windows_wide_path.h"

namespace file_platform {
namespace {
constexpr std::size_t kWidePathUnits = windows_wide_path::unitsFor(kMaxPathBytes);

struct WidePath {
    wchar_t Text[kWidePathUnits];
};

FileFailure failureOfError(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
        return FileFailure::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return FileFailure::AccessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return FileFailure::InUse;
    case ERROR_FILENAME_EXCED_RANGE:
        return FileFailure::PathTooLong;
    case ERROR_INVALID_NAME:
        return FileFailure::BadName;
    default:
        return FileFailure::Other;
    }
}

// The words match the C library's on other platforms where the cause is the same, so the log
// says the same thing everywhere; error 0 adds none (a folder or device under the name is
// "not a regular file" and nothing more, as on POSIX).
void setWindowsProblem(FileProblem &problem, FileFailure failure, DWORD error) {
    problem.Failure = failure;
    problem.Detail[0] = '\0';
    // "In use by another program" says all that the system's words would.
    if (error == 0 || failure == FileFailure::InUse) return;
    const char *words = nullptr;
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        words = "No such file or directory";
        break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        words = "another program has it open";
        break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        words = "the disk is full";
        break;
    case ERROR_ACCESS_DENIED:
        words = "access denied";
        break;
    case ERROR_WRITE_PROTECT:
        words = "the disk is write-protected";
        break;
    default:
        break;
    }
    if (words != nullptr)
        std::snprintf(problem.Detail, sizeof problem.Detail, "%s", words);
    else
        std::snprintf(problem.Detail, sizeof problem.Detail, "Windows error %lu",
                      static_cast<unsigned long>(error));
}

bool fail(FileProblem &problem, FileFailure failure, DWORD error) {
    setWindowsProblem(problem, failure, error);
    return false;
}

std::FILE *refuse(FileProblem &problem, FileFailure failure, DWORD error) {
    setWindowsProblem(problem, failure, error);
    return nullptr;
}

bool widen(const char *path, WidePath &wide, FileProblem &problem) {
    if (windows_wide_path::toWidePath(path, wide.Text, kWidePathUnits)) return true;
    setFileProblem(problem, FileFailure::BadName, 0);
    return false;
}

std::FILE *streamOf(HANDLE handle, int flags, const char *mode, FileProblem &problem) {
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
    if (descriptor == -1) {
        CloseHandle(handle);
        setFileProblem(problem, FileFailure::Other, errno);
        return nullptr;
    }
    std::FILE *file = _fdopen(descriptor, mode);
    if (file == nullptr) {
        setFileProblem(problem, FileFailure::Other, errno);
        _close(descriptor);
    }
    return file;
}
} // namespace

std::FILE *openRegularForReading(const char *path, FileProblem &problem) {
    WidePath wide;
    if (!widen(path, wide, problem)) return nullptr;
    const DWORD attributes = GetFileAttributesW(wide.Text);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return refuse(problem, failureOfError(error), error);
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return refuse(problem, FileFailure::NotRegular, 0);
    const HANDLE handle =
        CreateFileW(wide.Text, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return refuse(problem, failureOfError(error), error);
    }
    // Pipes and character devices answer to file names too; only disk files are read.
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return refuse(problem, FileFailure::NotRegular, 0);
    }
    return streamOf(handle, _O_RDONLY | _O_TEXT, "rt", problem);
}

bool resolveTarget(const char *target, char *out, std::size_t outSize, FileProblem &problem) {
    if (std::strlen(target) >= outSize) return fail(problem, FileFailure::PathTooLong, 0);
    std::snprintf(out, outSize, "%s", target);
    WidePath wide;
    if (!widen(target, wide, problem)) return false;
    // MoveFileEx replaces a link itself, not the file it names: the replace must act on the
    // file at the end of the links. Opened through them, the handle is that file, and its final
    // path names it (Wine's links, made on the Unix side, show only this way).
    const HANDLE handle =
        CreateFileW(wide.Text, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const DWORD attributes = GetFileAttributesW(wide.Text);
    const bool link =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (handle == INVALID_HANDLE_VALUE) {
        // Nothing there yet is the usual case. A link whose file does not exist cannot be
        // followed here: refused, so that the link is never replaced by a plain file.
        if (link) return fail(problem, FileFailure::NotFound, ERROR_FILE_NOT_FOUND);
        return true;
    }
    WidePath resolved;
    const DWORD units = GetFinalPathNameByHandleW(handle, resolved.Text, kWidePathUnits,
                                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    const DWORD error = GetLastError();
    CloseHandle(handle);
    if (units == 0 || units >= kWidePathUnits) {
        // A volume without a drive letter, say: a plain file is replaced under its own name.
        if (link) return fail(problem, FileFailure::Other, units == 0 ? error : 0);
        return true;
    }
    // The final path comes in the extended-length form ("\\?\C:\..."), which the wide
    // functions take as it is.
    const int bytes = WideCharToMultiByte(
        CP_UTF8, WC_ERR_INVALID_CHARS, resolved.Text, -1, out,
        outSize > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(outSize), nullptr, nullptr);
    if (bytes == 0) {
        std::snprintf(out, outSize, "%s", target);
        const DWORD conversion = GetLastError();
        return conversion == ERROR_INSUFFICIENT_BUFFER ? fail(problem, FileFailure::PathTooLong, 0)
                                                       : fail(problem, FileFailure::BadName, 0);
    }
    return true;
}

bool checkReplaceable(const char *target, FileProblem &problem) {
    WidePath wide;
    if (!widen(target, wide, problem)) return false;
    const DWORD attributes = GetFileAttributesW(wide.Text);
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return fail(problem, FileFailure::NotRegular, 0);
    // A file the user made read-only is not overwritten, as an fopen for writing would refuse.
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return fail(problem, FileFailure::AccessDenied, ERROR_ACCESS_DENIED);
    // A spreadsheet opens a CSV without sharing its deletion, which the final replace needs:
    // asking for that access now, with full sharing ourselves, finds such a holder before the
    // whole file is written and thrown away.
    const HANDLE handle =
        CreateFileW(wide.Text, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // Gone meanwhile: nothing left to replace.
        if (error == ERROR_FILE_NOT_FOUND) return true;
        return fail(problem, failureOfError(error), error);
    }
    CloseHandle(handle);
    return true;
}

FileHandle createForWriting(const char *path, const char *target, FileProblem &problem) {
    (void)target; // new files take the folder's permissions, as the replaced one had
    WidePath wide;
    if (!widen(path, wide, problem)) return kNoFileHandle;
    auto create = [&wide] {
        return CreateFileW(wide.Text, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE handle = create();
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS) {
        // A leftover of a write that never finished; it holds nothing anyone wants.
        DeleteFileW(wide.Text);
        handle = create();
    }
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        setWindowsProblem(problem, failureOfError(error), error);
        return kNoFileHandle;
    }
    return reinterpret_cast<FileHandle>(handle);
}

bool writeBytes(FileHandle file, const void *data, std::size_t size, FileProblem &problem) {
    const HANDLE handle = reinterpret_cast<HANDLE>(file);
    const char *bytes = static_cast<const char *>(data);
    while (size > 0) {
        const DWORD asked = size < 0x40000000 ? static_cast<DWORD>(size) : 0x40000000;
        DWORD written = 0;
        if (!WriteFile(handle, bytes, asked, &written, nullptr) || written == 0) {
            const DWORD error = GetLastError();
            return fail(problem, FileFailure::WriteFailed, error);
        }
        bytes += written;
        size -= written;
    }
    return true;
}

bool writeText(FileHandle file, const char *data, std::size_t size, FileProblem &problem) {
    // Line feeds become CR LF here, as the C library's text mode wrote them: a line end may
    // double a byte, so a chunk of text fills at most half the buffer.
    char buffer[4096];
    while (size > 0) {
        std::size_t used = 0;
        while (size > 0 && used + 2 <= sizeof buffer) {
            if (*data == '\n') buffer[used++] = '\r';
            buffer[used++] = *data++;
            --size;
        }
        if (!writeBytes(file, buffer, used, problem)) return false;
    }
    return true;
}

bool truncateToEmpty(FileHandle file, FileProblem &problem) {
    const HANDLE handle = reinterpret_cast<HANDLE>(file);
    LARGE_INTEGER start;
    start.QuadPart = 0;
    if (!SetFilePointerEx(handle, start, nullptr, FILE_BEGIN) || !SetEndOfFile(handle)) {
        const DWORD error = GetLastError();
        return fail(problem, FileFailure::WriteFailed, error);
    }
    return true;
}

FileHandle openForReadingBytes(const char *path, FileProblem &problem) {
    WidePath wide;
    if (!widen(path, wide, problem)) return kNoFileHandle;
    const HANDLE handle =
        CreateFileW(wide.Text, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        setWindowsProblem(problem, failureOfError(error), error);
        return kNoFileHandle;
    }
    // Pipes and character devices answer to file names too; only disk files are read.
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        setWindowsProblem(problem, FileFailure::NotRegular, 0);
        return kNoFileHandle;
    }
    return reinterpret_cast<FileHandle>(handle);
}

bool readBytes(FileHandle file, void *data, std::size_t size, std::size_t &read,
               FileProblem &problem) {
    const DWORD asked = size < 0x40000000 ? static_cast<DWORD>(size) : 0x40000000;
    DWORD got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(file), data, asked, &got, nullptr)) {
        const DWORD error = GetLastError();
        return fail(problem, FileFailure::Other, error);
    }
    read = got;
    return true;
}

void closeRead(FileHandle file) { CloseHandle(reinterpret_cast<HANDLE>(file)); }

bool listFolder(const char *folder, void (*visit)(const char *name, void *context), void *context) {
    char pattern[kMaxPathBytes];
    const int length = std::snprintf(pattern, sizeof pattern, "%s/*", folder);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof pattern) return false;
    WidePath wide;
    FileProblem ignored;
    if (!widen(pattern, wide, ignored)) return false;
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW(wide.Text, &entry);
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        char name[4 * MAX_PATH];
        if (WideCharToMultiByte(CP_UTF8, 0, entry.cFileName, -1, name, sizeof name, nullptr,
                                nullptr) == 0)
            continue;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        visit(name, context);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return true;
}

std::uint32_t processId() { return static_cast<std::uint32_t>(GetCurrentProcessId()); }

bool replace(const char *from, const char *to, FileProblem &problem) {
    WidePath wideFrom;
    WidePath wideTo;
    if (!widen(from, wideFrom, problem) || !widen(to, wideTo, problem)) return false;
    if (!MoveFileExW(wideFrom.Text, wideTo.Text,
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        return fail(problem, FileFailure::ReplaceFailed, error);
    }
    return true;
}

bool flushToDisk(FileHandle file, FileProblem &problem) {
    if (!FlushFileBuffers(reinterpret_cast<HANDLE>(file))) {
        const DWORD error = GetLastError();
        return fail(problem, FileFailure::WriteFailed, error);
    }
    return true;
}

bool closeWritten(FileHandle file, FileProblem &problem) {
    if (!CloseHandle(reinterpret_cast<HANDLE>(file))) {
        const DWORD error = GetLastError();
        return fail(problem, FileFailure::WriteFailed, error);
    }
    return true;
}

// MoveFileEx with MOVEFILE_WRITE_THROUGH returns only once the rename is on the disk.
bool flushFolderOf(const char *, FileProblem &) { return true; }

void removeFile(const char *path) {
    WidePath wide;
    FileProblem ignored;
    if (widen(path, wide, ignored)) DeleteFileW(wide.Text);
}

bool keepModuleMapped() {
    // FreeLibrary unmaps the DLL at its last reference; a pinned one stays until the process
    // ends. The same holds for the program itself, which is never unloaded anyway.
    static const char anchor = 0;
    HMODULE module = nullptr;
    return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                  GET_MODULE_HANDLE_EX_FLAG_PIN,
                              reinterpret_cast<LPCWSTR>(&anchor), &module) != 0;
}

void runInBackground() {
    // Below normal: the simulator's threads, at normal priority or above, always go first.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
}

} // namespace file_platform

#endif
