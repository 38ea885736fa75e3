#pragma once
// What each platform gives the file-access module: one implementation for POSIX systems
// (file_platform_posix.cpp) and one for Windows (file_platform_windows.cpp). Paths are UTF-8
// and already checked against kMaxPathBytes.

#include <cstddef>
#include <cstdio>

#include "core/file_access.h"

namespace file_platform {

// An existing regular file, opened for reading as text without ever waiting on the open.
std::FILE *openRegularForReading(const char *path, FileProblem &problem);

// The file a write to target really changes: the file a symbolic link names (so that a user's
// link keeps pointing at the new version), else target itself. Writes at most outSize bytes.
void resolveTarget(const char *target, char *out, std::size_t outSize);

// False when something stands under target that must not be replaced: a folder, a FIFO or
// device, or a file the user made read-only.
bool checkReplaceable(const char *target, FileProblem &problem);

// Creates path anew for writing as text (a leftover of that name is removed first), with the
// permissions target has when it exists.
std::FILE *createForWriting(const char *path, const char *target, FileProblem &problem);

// Moves from over to, replacing to in one step.
bool replace(const char *from, const char *to, FileProblem &problem);

void removeFile(const char *path);

} // namespace file_platform
