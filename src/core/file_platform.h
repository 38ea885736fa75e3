#pragma once
// What each platform gives the file-access module and the export writer: one implementation for
// POSIX systems (file_platform_posix.cpp) and one for Windows (file_platform_windows.cpp). Paths
// are UTF-8 and already checked against kMaxPathBytes.

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "core/file_access.h"

namespace file_platform {

// An existing regular file, opened for reading as text without ever waiting on the open.
std::FILE *openRegularForReading(const char *path, FileProblem &problem);

// The file a write to target really changes: the file at the end of a chain of symbolic links,
// whether it exists yet or not (so that a user's link keeps pointing at the new version), else
// target itself. False, with the reason in problem, for a chain that loops or runs too long or
// a name that no longer fits outSize bytes.
bool resolveTarget(const char *target, char *out, std::size_t outSize, FileProblem &problem);

// False when something stands under target that must not be replaced: a folder, a FIFO or
// device, a file the user made read-only, or one another program holds open in a way that
// would make the final replace fail.
bool checkReplaceable(const char *target, FileProblem &problem);

// Creates path anew for writing (a leftover of that name is removed first), with the
// permissions target has when it exists. kNoFileHandle when it cannot.
FileHandle createForWriting(const char *path, const char *target, FileProblem &problem);

// Writes all size bytes as text: each line feed is written as the platform's line end (CR LF on
// Windows), as a C library stream in text mode would.
bool writeText(FileHandle file, const char *data, std::size_t size, FileProblem &problem);

// Writes all size bytes as they are (binary files).
bool writeBytes(FileHandle file, const void *data, std::size_t size, FileProblem &problem);

// Empties a file open for writing; the next write goes to its start.
bool truncateToEmpty(FileHandle file, FileProblem &problem);

// An existing regular file, opened for reading its bytes as they are, without ever waiting on
// the open; kNoFileHandle, with the reason in problem, when it cannot be.
FileHandle openForReadingBytes(const char *path, FileProblem &problem);

// Reads up to size bytes into data and says how many in read (0 at the end of the file).
bool readBytes(FileHandle file, void *data, std::size_t size, std::size_t &read,
               FileProblem &problem);

// Closes a file opened for reading.
void closeRead(FileHandle file);

// Calls visit with the name (UTF-8) of each entry of folder but "." and "..". False when the
// folder cannot be read.
bool listFolder(const char *folder, void (*visit)(const char *name, void *context), void *context);

// The number the system gives this process.
std::uint32_t processId();

// Hands everything written to file so far to the disk itself, not only to the system's cache,
// so that a power cut after the replace cannot leave an empty or partial file under the name.
bool flushToDisk(FileHandle file, FileProblem &problem);

// Closes the file; false when the system reports a write it could not complete.
bool closeWritten(FileHandle file, FileProblem &problem);

// Moves from over to, replacing to in one step.
bool replace(const char *from, const char *to, FileProblem &problem);

// Hands the folder entry of path to the disk after a replace, where the system needs that done
// apart from the file's data (POSIX); a folder that cannot be flushed at all is no failure.
bool flushFolderOf(const char *path, FileProblem &problem);

void removeFile(const char *path);

// Keeps the module that holds this code mapped until the process ends, however often the
// simulator unloads it: a thread that the disk holds inside a call returns into this code
// whenever the disk answers. Code linked into the program itself counts as kept. False when
// the system would not do it.
bool keepModuleMapped();

// Puts the calling thread (the export writer's) behind the simulator's: waking it to write a
// file must never take the processor from the thread that draws the frames, nor may its long
// formatting runs. Best effort: a system that refuses leaves the thread as it was.
void runInBackground();

} // namespace file_platform
