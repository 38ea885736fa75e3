// The portable half of file access: the path limit, and writing beside the target before
// replacing it. The platform files do the opening.
#include "core/file_access.h"

#include <cstdio>
#include <cstring>

#include "core/file_platform.h"

namespace {
bool fitsWithSuffix(const char *path, std::size_t suffixLength, std::size_t &length) {
    length = path != nullptr ? std::strlen(path) : 0;
    return length + suffixLength < kMaxPathBytes;
}
} // namespace

std::FILE *openFileForReading(const char *path, FileProblem *problem) {
    FileProblem local;
    FileProblem &result = problem != nullptr ? *problem : local;
    result = FileProblem{};
    std::size_t length = 0;
    if (!fitsWithSuffix(path, 0, length)) {
        setFileProblem(result, FileFailure::PathTooLong, 0);
        return nullptr;
    }
    if (length == 0) {
        setFileProblem(result, FileFailure::NotFound, 0);
        return nullptr;
    }
    return file_platform::openRegularForReading(path, result);
}

ReplacingFileWriter::ReplacingFileWriter(const char *targetPath) {
    std::size_t length = 0;
    // The temporary name must fit the same limit as every other path.
    if (!fitsWithSuffix(targetPath, kPartialFileSuffixLength, length)) {
        refuseAsTooLong();
        return;
    }
    if (length == 0) {
        setFileProblem(problem_, FileFailure::NotFound, 0);
        return;
    }
    if (!file_platform::resolveTarget(targetPath, target_,
                                      sizeof target_ - kPartialFileSuffixLength, problem_)) {
        if (problem_.Failure == FileFailure::PathTooLong && problem_.Detail[0] == '\0')
            refuseAsTooLong();
        return;
    }
    length = std::strlen(target_);
    std::memcpy(partial_, target_, length);
    std::memcpy(partial_ + length, kPartialFileSuffix, sizeof kPartialFileSuffix);
    if (!file_platform::checkReplaceable(target_, problem_)) return;
    file_ = file_platform::createForWriting(partial_, target_, problem_);
}

void ReplacingFileWriter::refuseAsTooLong() {
    // The limit a written file has is shorter than kMaxPathBytes by the temporary name's suffix;
    // the log names that one, not the general limit the path may well be under.
    setFileProblem(problem_, FileFailure::PathTooLong, 0);
    std::snprintf(problem_.Detail, sizeof problem_.Detail, "the limit is %zu bytes",
                  kMaxWrittenPathBytes);
}

ReplacingFileWriter::~ReplacingFileWriter() {
    if (isOpen()) abandon();
}

void ReplacingFileWriter::write(const void *data, std::size_t size) {
    if (!isOpen() || problem_.Failure != FileFailure::None || size == 0) return;
    file_platform::writeText(file_, static_cast<const char *>(data), size, problem_);
}

bool ReplacingFileWriter::commit() {
    if (!isOpen()) return false;
    // The data reaches the disk before the name does: renamed first, a power cut could leave
    // the name on an empty file with the good old one already gone.
    if (problem_.Failure == FileFailure::None) file_platform::flushToDisk(file_, problem_);
    FileProblem closing;
    const bool closed = file_platform::closeWritten(file_, closing);
    file_ = kNoFileHandle;
    if (!closed && problem_.Failure == FileFailure::None) problem_ = closing;
    if (problem_.Failure != FileFailure::None ||
        !file_platform::replace(partial_, target_, problem_)) {
        file_platform::removeFile(partial_);
        return false;
    }
    // The new file stands under the target's name now, whatever the folder's flush says: that
    // is a warning for the log, not a failed write.
    if (!file_platform::flushFolderOf(target_, problem_))
        problem_.Failure = FileFailure::FolderNotFlushed;
    return true;
}

void ReplacingFileWriter::abandon() {
    FileProblem ignored;
    file_platform::closeWritten(file_, ignored);
    file_ = kNoFileHandle;
    file_platform::removeFile(partial_);
}

bool writeWholeTextFile(const char *path, const std::string &text, FileProblem &problem) {
    ReplacingFileWriter file(path);
    if (!file.isOpen()) {
        problem = file.problem();
        return false;
    }
    file.write(text.data(), text.size());
    const bool written = file.commit();
    problem = file.problem();
    return written;
}
