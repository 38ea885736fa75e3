// Why a file could not be read or written, in words for the simulator's log.
#include <cstdio>
#include <cstring>

#include "XPLMUtilities.h"
#include "core/file_access.h"
#include "core/log_text.h"

namespace {

// The export writer's thread and the simulator's may describe a failure at the same moment, and
// strerror may hand both one static buffer; strerror_r and strerror_s fill the caller's own.
// glibc's strerror_r answers with the text, the POSIX one with a status: both are taken.
[[maybe_unused]] const char *systemText(int status, const char *buffer) {
    return status == 0 ? buffer : "";
}
[[maybe_unused]] const char *systemText(const char *text, const char *) {
    return text != nullptr ? text : "";
}

void copySystemWords(int errorNumber, char *out, std::size_t outSize) {
#if defined(_WIN32)
    if (strerror_s(out, outSize, errorNumber) != 0) out[0] = '\0';
#else
    char buffer[128] = {};
    std::snprintf(out, outSize, "%s",
                  systemText(strerror_r(errorNumber, buffer, sizeof buffer), buffer));
#endif
}

} // namespace

void setFileProblem(FileProblem &problem, FileFailure failure, int errorNumber) {
    problem.Failure = failure;
    problem.Detail[0] = '\0';
    if (errorNumber != 0) copySystemWords(errorNumber, problem.Detail, sizeof problem.Detail);
}

const char *describeFileProblem(const FileProblem &problem, char *out, std::size_t outSize) {
    if (out == nullptr || outSize == 0) return out;
    const char *reason = "the system refused it";
    switch (problem.Failure) {
    case FileFailure::None:
        reason = "no failure";
        break;
    case FileFailure::NotFound:
        reason = "it or its folder does not exist";
        break;
    case FileFailure::NotRegular:
        reason = "it is not a regular file";
        break;
    case FileFailure::AccessDenied:
        reason = "access was denied";
        break;
    case FileFailure::InUse:
        reason = "it is in use by another program";
        break;
    case FileFailure::PathTooLong:
        reason = "its path is too long";
        break;
    case FileFailure::BadName:
        reason = "its path is not valid UTF-8";
        break;
    case FileFailure::WriteFailed:
        reason = "writing it failed";
        break;
    case FileFailure::ReplaceFailed:
        reason = "the new file could not replace the old one";
        break;
    case FileFailure::FolderNotFlushed:
        reason = "its folder could not be flushed to the disk";
        break;
    case FileFailure::Other:
        break;
    }
    if (problem.Failure == FileFailure::PathTooLong && problem.Detail[0] == '\0')
        std::snprintf(out, outSize, "%s (the limit is %zu bytes)", reason, kMaxPathBytes - 1);
    else if (problem.Detail[0] != '\0')
        std::snprintf(out, outSize, "%s (%s)", reason, problem.Detail);
    else
        std::snprintf(out, outSize, "%s", reason);
    return out;
}

void formatFileLogLine(char *out, std::size_t outSize, const char *action, const char *path,
                       const char *reason) {
    if (out == nullptr || outSize == 0) return;
    // Each byte of the path may become four in the log.
    char shownPath[4 * kMaxPathBytes];
    escapeLogText(path, shownPath, sizeof shownPath);
    std::snprintf(out, outSize, "Plotwright - Could not %s %s: %s.\n", action, shownPath, reason);
}

void formatFileProblem(char *out, std::size_t outSize, const char *action, const char *path,
                       const FileProblem &problem) {
    char reason[192];
    describeFileProblem(problem, reason, sizeof reason);
    if (problem.Failure != FileFailure::FolderNotFlushed) {
        formatFileLogLine(out, outSize, action, path, reason);
        return;
    }
    if (out == nullptr || outSize == 0) return;
    // The file was written: saying "Could not write" would send the user looking for a fault
    // in a file that is fine.
    char shownPath[4 * kMaxPathBytes];
    escapeLogText(path, shownPath, sizeof shownPath);
    std::snprintf(out, outSize,
                  "Plotwright - Wrote %s, but %s; after a power cut the earlier file may come "
                  "back.\n",
                  shownPath, reason);
}

void logFileProblem(const char *action, const char *path, const FileProblem &problem) {
    char message[kFileLogLineBytes];
    formatFileProblem(message, sizeof message, action, path, problem);
    XPLMDebugString(message);
}
