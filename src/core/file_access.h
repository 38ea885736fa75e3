#pragma once
// Every file the plug-in reads or writes goes through here, so that the platforms' differences
// live in one place:
// - paths are UTF-8, as the simulator hands them out; on Windows they are opened as UTF-16, so a
//   simulator folder with letters outside the ANSI code page still works;
// - one path limit for every file (kMaxPathBytes), checked where a path is built;
// - an open never blocks the simulator's thread: only regular files are read or replaced, so a
//   FIFO or a device under one of our names is refused instead of waited on;
// - a file is written beside its target under a temporary name and replaces the target only
//   once it was written, flushed to the disk and closed without error, so neither a full disk
//   nor a power cut just after the replace destroys a good file.
// - files are written straight through the system's own calls, never through a C library
//   stream: the C library's exit() and any fflush(NULL) take every stream's lock, so a writer
//   that the disk holds inside a write would hold the simulator's quit with it.
// Text mode everywhere: line ends are the platform's (CR LF on Windows).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// The longest path, in UTF-8 bytes with its terminator, of any file the plug-in touches: the
// platform's own limit (macOS's PATH_MAX; Linux's, which Windows reaches through extended-length
// paths).
#if defined(__APPLE__)
constexpr std::size_t kMaxPathBytes = 1024;
#else
constexpr std::size_t kMaxPathBytes = 4096;
#endif

// The temporary file's name is the target's with this appended.
constexpr char kPartialFileSuffix[] = ".partial";
constexpr std::size_t kPartialFileSuffixLength = sizeof kPartialFileSuffix - 1;
// The longest path, in UTF-8 bytes without its terminator, of a file that is written: its
// temporary name must fit kMaxPathBytes too.
constexpr std::size_t kMaxWrittenPathBytes = kMaxPathBytes - 1 - kPartialFileSuffixLength;

enum class FileFailure {
    None,
    NotFound,      // the file (or a folder on its path) does not exist
    NotRegular,    // a folder, FIFO, device or socket stands under the name
    AccessDenied,  // permissions or a read-only file
    InUse,         // another program holds it open without sharing it (Windows)
    PathTooLong,   // beyond kMaxPathBytes, or beyond what the system takes
    BadName,       // not valid UTF-8 where the system needs UTF-16
    WriteFailed,   // a write, flush or close failed: a full disk, a vanished device
    ReplaceFailed, // the finished file could not take the target's place
    Other,
    // Not a failure to write: the new file took the target's place, but the system did not
    // confirm that the folder's entry reached the disk, so a power cut soon after may bring the
    // earlier file back.
    FolderNotFlushed,
};

struct FileProblem {
    FileFailure Failure = FileFailure::None;
    // The system's own words for it, when it gave any ("No space left on device").
    char Detail[96] = {};
};

// A file open for writing: a POSIX descriptor or a Windows HANDLE, held as a number so that no
// platform header is needed here.
using FileHandle = std::intptr_t;
constexpr FileHandle kNoFileHandle = -1;

// Records a failure with the system's text for errno (POSIX and the C runtime) in problem.
void setFileProblem(FileProblem &problem, FileFailure failure, int errorNumber);

// One short reason for the log, e.g. "it does not exist" or "writing it failed (No space left
// on device)", into out (always terminated). Returns out.
const char *describeFileProblem(const FileProblem &problem, char *out, std::size_t outSize);

// The log line "Plotwright - Could not <action> <path>: <reason>.\n" into out (always
// terminated). Control bytes and invalid UTF-8 in the path are escaped so that they cannot
// garble the simulator's log. kFileLogLineBytes holds any such line; code off the simulator's
// thread formats the line here and hands it back to be logged from that thread.
constexpr std::size_t kFileLogLineBytes = 4 * kMaxPathBytes + 320;
void formatFileLogLine(char *out, std::size_t outSize, const char *action, const char *path,
                       const char *reason);
// The same line with the reason describeFileProblem gives; for FolderNotFlushed, which is no
// failure to write, "Plotwright - Wrote <path>, but ..." instead.
void formatFileProblem(char *out, std::size_t outSize, const char *action, const char *path,
                       const FileProblem &problem);

// Logs formatFileProblem's line. Only on the simulator's thread.
void logFileProblem(const char *action, const char *path, const FileProblem &problem);

// Opens an existing regular file for reading as text. Returns null, with the reason in problem
// (when given), for a missing file, anything that is not a regular file, a denied open or a path
// beyond kMaxPathBytes. Never blocks on a FIFO or a device.
std::FILE *openFileForReading(const char *path, FileProblem *problem);

// Writes a new version of a file as text. The bytes go to "<target>.partial"; commit() moves
// that over the target once everything was written and closed without error. A writer that is
// destroyed without a successful commit removes its temporary file and leaves the target as it
// was.
class ReplacingFileWriter {
public:
    explicit ReplacingFileWriter(const char *targetPath);
    ~ReplacingFileWriter();
    ReplacingFileWriter(const ReplacingFileWriter &) = delete;
    ReplacingFileWriter &operator=(const ReplacingFileWriter &) = delete;

    // False when the temporary file could not be created; problem() says why.
    bool isOpen() const { return file_ != kNoFileHandle; }
    // Writes all size bytes; after the first failure nothing more is written.
    void write(const void *data, std::size_t size);
    // Flushes to the disk, closes and replaces the target. True when the target now holds every
    // byte; problem() then says FolderNotFlushed if the folder's flush after the replace failed.
    bool commit();
    const FileProblem &problem() const { return problem_; }

private:
    void abandon();
    void refuseAsTooLong();

    FileHandle file_ = kNoFileHandle;
    FileProblem problem_;
    char target_[kMaxPathBytes] = {};
    char partial_[kMaxPathBytes + kPartialFileSuffixLength] = {};
};

// Replaces the file at path with text, as ReplacingFileWriter does. True when the file now holds
// every byte (problem then holds None or FolderNotFlushed); otherwise problem says why and the
// old file is untouched. Calls no simulator function, so the export writer's thread may use it.
bool writeWholeTextFile(const char *path, const std::string &text, FileProblem &problem);
