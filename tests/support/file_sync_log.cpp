#include "support/file_sync_log.h"

#if !defined(_WIN32)
#include <dlfcn.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>

namespace {
std::atomic<plotwright_test::FileSyncLog *> gLog{nullptr};

template <typename Function> Function next(const char *name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}
} // namespace

extern "C" int fsync(int descriptor) {
    static const auto real = next<int (*)(int)>("fsync");
    plotwright_test::FileSyncLog *log = gLog.load();
    if (log != nullptr && log->flush(descriptor) != 0) return -1;
    return real(descriptor);
}

extern "C" int rename(const char *from, const char *to) {
    static const auto real = next<int (*)(const char *, const char *)>("rename");
    if (plotwright_test::FileSyncLog *log = gLog.load()) log->renaming(from);
    return real(from, to);
}

namespace plotwright_test {

FileSyncLog::FileSyncLog() { gLog.store(this); }
FileSyncLog::~FileSyncLog() { gLog.store(nullptr); }

void FileSyncLog::failFileFlushes(int errorNumber) {
    std::lock_guard<std::mutex> lock(mutex_);
    fileError_ = errorNumber;
}

void FileSyncLog::failFolderFlushes(int errorNumber) {
    std::lock_guard<std::mutex> lock(mutex_);
    folderError_ = errorNumber;
}

std::vector<SyncEvent> FileSyncLog::events() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
}

int FileSyncLog::flush(int descriptor) {
    struct stat status;
    if (fstat(descriptor, &status) != 0) return 0;
    const bool folder = S_ISDIR(status.st_mode);
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(SyncEvent{folder ? SyncStep::FolderFlushed : SyncStep::FileFlushed,
                                status.st_dev, status.st_ino});
    const int error = folder ? folderError_ : fileError_;
    if (error == 0) return 0;
    errno = error;
    return -1;
}

void FileSyncLog::renaming(const char *from) {
    struct stat status;
    if (lstat(from, &status) != 0) return;
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(SyncEvent{SyncStep::Renamed, status.st_dev, status.st_ino});
}

} // namespace plotwright_test
#endif
