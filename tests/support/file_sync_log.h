#pragma once
// What reaches the disk and in which order: while a FileSyncLog lives, every fsync and rename
// the process makes is recorded (and fsync may be made to fail). POSIX only; the calls are
// interposed for the whole test program, and pass straight through while no log is alive.

#if !defined(_WIN32)
#include <sys/types.h>

#include <mutex>
#include <vector>

namespace plotwright_test {

enum class SyncStep {
    FileFlushed,   // fsync of a file: its data
    FolderFlushed, // fsync of a folder: its entries
    Renamed,       // rename; Inode is the moved file's
};

struct SyncEvent {
    SyncStep Step;
    dev_t Device;
    ino_t Inode;
};

class FileSyncLog {
public:
    FileSyncLog();
    ~FileSyncLog();
    FileSyncLog(const FileSyncLog &) = delete;
    FileSyncLog &operator=(const FileSyncLog &) = delete;

    // From now on, an fsync of a file (or of a folder) fails with errorNumber; 0 lets it work.
    void failFileFlushes(int errorNumber);
    void failFolderFlushes(int errorNumber);

    std::vector<SyncEvent> events() const;

    // Called by the interposed functions.
    int flush(int descriptor);
    void renaming(const char *from);

private:
    mutable std::mutex mutex_;
    std::vector<SyncEvent> events_;
    int fileError_ = 0;
    int folderError_ = 0;
};

} // namespace plotwright_test
#endif
