// Files on Linux and macOS. Every open carries O_NONBLOCK, so a FIFO with no writer or a device
// under one of our names answers at once instead of freezing the simulator; the type is checked
// before the file is used.
#ifndef _WIN32

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <sched.h>
#include <sys/auxv.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/file_platform.h"

namespace file_platform {
namespace {
// How many links a chain may hold before it counts as a loop: Linux's own bound for a path.
constexpr int kMaxLinkHops = 40;

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

// Clears O_NONBLOCK again once the descriptor is known to be a regular file, for the reads and
// writes that follow.
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

bool resolveTarget(const char *target, char *out, std::size_t outSize, FileProblem &problem) {
    std::size_t length = std::strlen(target);
    if (length >= outSize) return fail(problem, FileFailure::PathTooLong, 0);
    std::memcpy(out, target, length + 1);
    // Followed by hand rather than through realpath, which gives up on a link whose file does
    // not exist yet: the new file must appear where the link points, and the link must stay.
    for (int hop = 0;; ++hop) {
        struct stat status;
        // Whatever stops the walk (nothing there yet, a folder that may not be searched) shows
        // when the new file is made beside this name.
        if (lstat(out, &status) != 0 || !S_ISLNK(status.st_mode)) return true;
        if (hop == kMaxLinkHops) return fail(problem, FileFailure::Other, ELOOP);
        char linked[kMaxPathBytes];
        const ssize_t linkedLength = readlink(out, linked, sizeof linked);
        if (linkedLength < 0) return true;
        if (static_cast<std::size_t>(linkedLength) >= sizeof linked)
            return fail(problem, FileFailure::PathTooLong, 0);
        // A relative link names its file from the link's own folder.
        std::size_t folderLength = 0;
        if (linked[0] != '/') {
            const char *slash = std::strrchr(out, '/');
            if (slash != nullptr) folderLength = static_cast<std::size_t>(slash - out) + 1;
        }
        length = folderLength + static_cast<std::size_t>(linkedLength);
        if (length >= outSize) return fail(problem, FileFailure::PathTooLong, 0);
        std::memcpy(out + folderLength, linked, static_cast<std::size_t>(linkedLength));
        out[length] = '\0';
    }
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

FileHandle createForWriting(const char *path, const char *target, FileProblem &problem) {
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int descriptor = open(path, flags, 0666);
    if (descriptor < 0 && errno == EEXIST) {
        // A leftover of a write that never finished; it holds nothing anyone wants.
        unlink(path);
        descriptor = open(path, flags, 0666);
    }
    if (descriptor < 0) {
        setFileProblem(problem, failureOfOpen(errno), errno);
        return kNoFileHandle;
    }
    struct stat status;
    if (stat(target, &status) == 0 && S_ISREG(status.st_mode))
        fchmod(descriptor, status.st_mode & 07777);
    if (!makeBlocking(descriptor)) {
        setFileProblem(problem, FileFailure::Other, errno);
        close(descriptor);
        unlink(path);
        return kNoFileHandle;
    }
    return descriptor;
}

bool writeBytes(FileHandle file, const void *data, std::size_t size, FileProblem &problem) {
    // One call takes at most this much, well within ssize_t.
    constexpr std::size_t kMostPerCall = std::size_t{1} << 30;
    const int descriptor = static_cast<int>(file);
    const char *bytes = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t written = write(descriptor, bytes, size < kMostPerCall ? size : kMostPerCall);
        if (written < 0 && errno == EINTR) continue;
        // A regular file takes at least one byte or says why not; none at all is a device
        // that cannot take more.
        if (written <= 0) return fail(problem, FileFailure::WriteFailed, written < 0 ? errno : EIO);
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// POSIX's text is its bytes.
bool writeText(FileHandle file, const char *data, std::size_t size, FileProblem &problem) {
    return writeBytes(file, data, size, problem);
}

bool truncateToEmpty(FileHandle file, FileProblem &problem) {
    const int descriptor = static_cast<int>(file);
    if (ftruncate(descriptor, 0) != 0 || lseek(descriptor, 0, SEEK_SET) != 0)
        return fail(problem, FileFailure::WriteFailed, errno);
    return true;
}

FileHandle openForReadingBytes(const char *path, FileProblem &problem) {
    std::FILE *file = openRegularForReading(path, problem);
    if (file == nullptr) return kNoFileHandle;
    // The stream only served the checks: reads go through the descriptor, so that no stream's
    // lock is held while the disk keeps a read.
    const int descriptor = dup(fileno(file));
    std::fclose(file);
    if (descriptor < 0) {
        setFileProblem(problem, FileFailure::Other, errno);
        return kNoFileHandle;
    }
    return descriptor;
}

bool readBytes(FileHandle file, void *data, std::size_t size, std::size_t &read,
               FileProblem &problem) {
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(file), data, size);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return fail(problem, FileFailure::Other, errno);
        read = static_cast<std::size_t>(got);
        return true;
    }
}

void closeRead(FileHandle file) { close(static_cast<int>(file)); }

bool listFolder(const char *folder, void (*visit)(const char *name, void *context), void *context) {
    DIR *entries = opendir(folder);
    if (entries == nullptr) return false;
    while (const dirent *entry = readdir(entries)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        visit(entry->d_name, context);
    }
    closedir(entries);
    return true;
}

std::uint32_t processId() { return static_cast<std::uint32_t>(getpid()); }

bool flushToDisk(FileHandle file, FileProblem &problem) {
    const int descriptor = static_cast<int>(file);
#if defined(__APPLE__)
    // macOS's fsync stops at the drive's own cache; F_FULLFSYNC empties that too. Where a file
    // system lacks it (some network shares), fsync is the best there is.
    if (fcntl(descriptor, F_FULLFSYNC) == 0) return true;
#endif
    int result;
    do {
        result = fsync(descriptor);
    } while (result != 0 && errno == EINTR);
    if (result != 0) return fail(problem, FileFailure::WriteFailed, errno);
    return true;
}

bool closeWritten(FileHandle file, FileProblem &problem) {
    // Not retried on EINTR: the descriptor is gone whatever close says, and may already be
    // another thread's again. A network file system reports a write it could not make here.
    if (close(static_cast<int>(file)) != 0 && errno != EINTR)
        return fail(problem, FileFailure::WriteFailed, errno);
    return true;
}

bool replace(const char *from, const char *to, FileProblem &problem) {
    if (rename(from, to) != 0) return fail(problem, FileFailure::ReplaceFailed, errno);
    return true;
}

bool flushFolderOf(const char *path, FileProblem &problem) {
    char folder[kMaxPathBytes] = ".";
    const char *slash = std::strrchr(path, '/');
    if (slash != nullptr) {
        // The root's own slash stays: "/x" lives in "/".
        const std::size_t length = slash == path ? 1 : static_cast<std::size_t>(slash - path);
        std::memcpy(folder, path, length);
        folder[length] = '\0';
    }
    // A folder the user may write to but not read cannot be opened to be flushed; the rename
    // itself stands, as it would on a system that never flushes folders.
    const int descriptor = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return true;
    int result;
    do {
        result = fsync(descriptor);
    } while (result != 0 && errno == EINTR);
    const int error = errno;
    close(descriptor);
    // Some file systems cannot flush a folder at all and say so with EINVAL.
    if (result != 0 && error != EINVAL) return fail(problem, FileFailure::WriteFailed, error);
    return true;
}

void removeFile(const char *path) { unlink(path); }

bool keepModuleMapped() {
    static const char anchor = 0;
    Dl_info self;
    if (dladdr(&anchor, &self) == 0 || self.dli_fname == nullptr) return false;
#if defined(__linux__)
    // The program itself is never unloaded, and the dynamic loader would not find it by name.
    Dl_info program;
    const void *programHeaders = reinterpret_cast<const void *>(getauxval(AT_PHDR));
    if (programHeaders != nullptr && dladdr(programHeaders, &program) != 0 &&
        program.dli_fbase == self.dli_fbase)
        return true;
#endif
    // A module the simulator loaded with dlopen is unmapped by its last dlclose: on Linux, and
    // on macOS, where dlclose unloads a dylib that nothing else holds. RTLD_NODELETE marks the
    // loaded module to stay until the process ends; RTLD_NOLOAD only finds it, never loads a
    // second copy. The handle is never closed.
    return dlopen(self.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE) != nullptr;
}

void runInBackground() {
#if defined(__linux__)
    // A batch thread never preempts the running one when it wakes (the simulator's thread is
    // not cut short by the Export click that wakes the writer), and a nice value of 10 gives it
    // a tenth of the processor's share of a normal thread when both want one. On Linux both
    // apply to the one thread.
    // A process started at a lower priority still keeps it: the nice value only ever rises.
    constexpr int kBackgroundNice = 10;
    const sched_param batch{};
    pthread_setschedparam(pthread_self(), SCHED_BATCH, &batch);
    const auto thread = static_cast<id_t>(syscall(SYS_gettid));
    if (getpriority(PRIO_PROCESS, thread) < kBackgroundNice)
        setpriority(PRIO_PROCESS, thread, kBackgroundNice);
#elif defined(__APPLE__)
    // macOS schedules by quality of service: utility work yields to the user-interactive
    // threads the simulator draws with, and on Apple silicon runs on the efficiency cores.
    pthread_set_qos_class_self_np(QOS_CLASS_UTILITY, 0);
#endif
}

} // namespace file_platform

#endif
