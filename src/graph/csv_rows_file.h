#pragma once
// Rows on their way into a CSV file: formatted without printf into one large chunk that is
// written whole, the way both an export and a recovered recording reach the disk, so that a
// recovered file holds exactly the bytes Export would have written for the same rows.

#include <atomic>
#include <cstddef>

#include "core/file_access.h"
#include "graph/csv_format.h"

class CsvRowsFile {
public:
    // Written whenever less than one row's room is left; also how often a writer asked to stop
    // notices it.
    static constexpr std::size_t kChunkSize = 16 * 1024;

    // cancel (when given) is checked before each chunk is written.
    CsvRowsFile(ReplacingFileWriter &file, const std::atomic<bool> *cancel)
        : file_(file), cancel_(cancel) {}

    // Adds one row of kCsvRowValues values. False once the writer was asked to stop.
    bool add(const float *row);
    // Writes what is left. False when the writer was asked to stop.
    bool finish();

private:
    bool cancelled() const;

    ReplacingFileWriter &file_;
    const std::atomic<bool> *cancel_;
    char chunk_[kChunkSize];
    char *end_ = chunk_;
};
