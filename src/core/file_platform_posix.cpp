// Files on Linux and macOS. Every open carries O_NONBLOCK, so a FIFO with no writer or a device
// under one of our names answers at once instead of freezing the simulator; the type is checked
// before the file is used.
#ifndef _WIN32

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/file_platform.h"

namespace file_platform {
namespace {
FileFailure failureOfOpen(int errorNumber) {
    switch (errorNumber) {
    case ENOENT:
    case ENOTDIR:
        return FileFailure::NotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return FileFailure::AccessDenied;
    case ENAMETOOLONG:
        return FileFailure::PathTooLong;
    case EISDIR:
    case ENXIO:
    case ENODEV:
        return FileFailure::NotRegular;
    default:
        return FileFailure::Other;
    }
}

bool fail(FileProblem &problem, FileFailure failure, int errorNumber) {
    setFileProblem(problem, failure, errorNumber);
    return false;
}

std::FILE *refuse(FileProblem &problem, FileFailure failure, int errorNumber) {
    setFileProblem(problem, failure, errorNumber);
    return nullptr;
}

// Clears O_NONBLOCK again once the descriptor is known to be a regular file, for the stdio
// calls that follow.
bool makeBlocking(int descriptor) {
    const int flags = fcntl(descriptor, F_GETFL);
    return flags != -1 && fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != -1;
}

std::FILE *streamOf(int descriptor, const char *mode, FileProblem &problem) {
    if (!makeBlocking(descriptor)) {
        setFileProblem(problem, FileFailure::Other, errno);
        close(descriptor);
        return nullptr;
    }
    std::FILE *file = fdopen(descriptor, mode);
    if (file == nullptr) {
        setFileProblem(problem, FileFailure::Other, errno);
        close(descriptor);
    }
    return file;
}
} // namespace

std::FILE *openRegularForReading(const char *path, FileProblem &problem) {
    // Looked at first so that a device is never opened at all; checked again on the open
    // descriptor, in case the name changed hands in between.
    struct stat status;
    if (stat(path, &status) != 0) return refuse(problem, failureOfOpen(errno), errno);
    if (!S_ISREG(status.st_mode)) return refuse(problem, FileFailure::NotRegular, 0);

    const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) return refuse(problem, failureOfOpen(errno), errno);
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        return refuse(problem, FileFailure::NotRegular, 0);
    }
    return streamOf(descriptor, "r", problem);
}

void resolveTarget(const char *target, char *out, std::size_t outSize) {
    struct stat status;
    char resolved[PATH_MAX];
    if (lstat(target, &status) == 0 && S_ISLNK(status.st_mode) &&
        realpath(target, resolved) != nullptr && std::strlen(resolved) < outSize) {
        std::memcpy(out, resolved, std::strlen(resolved) + 1);
        return;
    }
    std::snprintf(out, outSize, "%s", target);
}

bool checkReplaceable(const char *target, FileProblem &problem) {
    struct stat status;
    if (stat(target, &status) != 0) {
        // Nothing there yet is the usual case; anything else shows when the new file is made.
        return true;
    }
    if (!S_ISREG(status.st_mode)) return fail(problem, FileFailure::NotRegular, 0);
    // A file the user made read-only is not overwritten, as an fopen for writing would refuse.
    if (access(target, W_OK) != 0) return fail(problem, FileFailure::AccessDenied, errno);
    return true;
}

std::FILE *createForWriting(const char *path, const char *target, FileProblem &problem) {
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int descriptor = open(path, flags, 0666);
    if (descriptor < 0 && errno == EEXIST) {
        // A leftover of a write that never finished; it holds nothing anyone wants.
        unlink(path);
        descriptor = open(path, flags, 0666);
    }
    if (descriptor < 0) return refuse(problem, failureOfOpen(errno), errno);
    struct stat status;
    if (stat(target, &status) == 0 && S_ISREG(status.st_mode))
        fchmod(descriptor, status.st_mode & 07777);
    std::FILE *file = streamOf(descriptor, "w", problem);
    if (file == nullptr) unlink(path);
    return file;
}

bool replace(const char *from, const char *to, FileProblem &problem) {
    if (rename(from, to) != 0) return fail(problem, FileFailure::ReplaceFailed, errno);
    return true;
}

void removeFile(const char *path) { unlink(path); }

} // namespace file_platform

#endif
