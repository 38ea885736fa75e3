#include "graph/csv_rows_file.h"

static_assert(CsvRowsFile::kChunkSize > 2 * kMaxCsvRowChars, "a chunk must hold at least two rows");

bool CsvRowsFile::cancelled() const {
    return cancel_ != nullptr && cancel_->load(std::memory_order_relaxed);
}

bool CsvRowsFile::add(const float *row) {
    end_ = writeCsvRow(end_, row);
    if (static_cast<std::size_t>(chunk_ + kChunkSize - end_) >= kMaxCsvRowChars) return true;
    if (cancelled()) return false;
    file_.write(chunk_, static_cast<std::size_t>(end_ - chunk_));
    end_ = chunk_;
    return true;
}

bool CsvRowsFile::finish() {
    if (end_ != chunk_) file_.write(chunk_, static_cast<std::size_t>(end_ - chunk_));
    end_ = chunk_;
    // The last write may have been the one the disk held: a writer given up meanwhile keeps the
    // previous file, as it said it would.
    return !cancelled();
}
