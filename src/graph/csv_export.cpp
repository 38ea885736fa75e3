// Export of one data set to its CSV file. Rows are formatted without printf into one large
// chunk that is written whole. The file replaces the previous export only once it is complete:
// a full disk leaves the last good export in place and says so in the log.

#include "graph/csv_export.h"

#include "XPLMUtilities.h"
#include "core/plugin_paths.h"
#include "graph/csv_format.h"

namespace {

// Written to the file whenever less than one row's room is left; also how often a writer asked
// to stop notices it.
constexpr std::size_t kChunkSize = 16 * 1024;
static_assert(kChunkSize > 2 * kMaxCsvRowChars, "a chunk must hold at least two rows");
static_assert(kCsvRowValues == SampleStore::kChannels, "a row holds one value per channel");

bool cancelled(const std::atomic<bool> *cancel) {
    return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

} // namespace

bool prepareCsvExport(const SampleStore &store, int set, CsvExportJob &job) {
    char fileName[] = "Plotwright1.csv";
    fileName[10] = static_cast<char>('1' + set);
    job.Set = set;
    if (!buildPluginFilePath(job.Path, sizeof job.Path, fileName)) {
        FileProblem tooLong;
        setFileProblem(tooLong, FileFailure::PathTooLong, 0);
        logFileProblem("write", fileName, tooLong);
        return false;
    }
    job.Rows = store.snapshotSet(set);
    return true;
}

CsvExportOutcome writeCsvExport(const CsvExportJob &job, const std::atomic<bool> *cancel,
                                char *message, std::size_t messageSize) {
    if (job.Set == kSettingsFileJob) {
        FileProblem problem;
        const bool written = writeWholeTextFile(job.Path, job.Text, problem);
        if (written && problem.Failure == FileFailure::None) return CsvExportOutcome::Written;
        formatFileProblem(message, messageSize, "write", job.Path, problem);
        return written ? CsvExportOutcome::WrittenFolderNotFlushed : CsvExportOutcome::Failed;
    }
    ReplacingFileWriter file(job.Path);
    if (!file.isOpen()) {
        formatFileProblem(message, messageSize, "write", job.Path, file.problem());
        return CsvExportOutcome::Failed;
    }

    const SampleStore::SetSnapshot &rows = job.Rows;
    char chunk[kChunkSize];
    char *end = chunk;
    float row[kCsvRowValues];
    for (std::size_t first = 0, block = 0; first < rows.Count;
         first += SampleStore::kBlockFloats, ++block) {
        const std::size_t inBlock = rows.Count - first < SampleStore::kBlockFloats
                                        ? rows.Count - first
                                        : SampleStore::kBlockFloats;
        const float *columns[kCsvRowValues];
        for (int channel = 0; channel < kCsvRowValues; ++channel)
            columns[channel] = rows.Rows->block(block, channel);
        for (std::size_t slot = 0; slot < inBlock; ++slot) {
            for (int channel = 0; channel < kCsvRowValues; ++channel)
                row[channel] = columns[channel][slot];
            end = writeCsvRow(end, row);
            if (static_cast<std::size_t>(chunk + kChunkSize - end) < kMaxCsvRowChars) {
                if (cancelled(cancel)) {
                    formatCancelledExport(job, message, messageSize);
                    return CsvExportOutcome::Cancelled; // the writer removes the partial file
                }
                file.write(chunk, static_cast<std::size_t>(end - chunk));
                end = chunk;
            }
        }
    }
    if (end != chunk) file.write(chunk, static_cast<std::size_t>(end - chunk));
    // The last write may have been the one the disk held: a writer given up meanwhile keeps the
    // previous file, as it said it would.
    if (cancelled(cancel)) {
        formatCancelledExport(job, message, messageSize);
        return CsvExportOutcome::Cancelled;
    }
    const bool written = file.commit();
    if (written && file.problem().Failure == FileFailure::None) return CsvExportOutcome::Written;
    formatFileProblem(message, messageSize, "write", job.Path, file.problem());
    return written ? CsvExportOutcome::WrittenFolderNotFlushed : CsvExportOutcome::Failed;
}

void formatCancelledExport(const CsvExportJob &job, char *message, std::size_t messageSize) {
    formatFileLogLine(message, messageSize, "write", job.Path,
                      "the plug-in stopped before the export was complete; the previous file "
                      "was kept");
}

void SampleStore::exportSetCsv(int set) const {
    if (!validSet(set)) return;
    CsvExportJob job;
    if (!prepareCsvExport(*this, set, job)) return;
    char message[kFileLogLineBytes];
    if (writeCsvExport(job, nullptr, message, sizeof message) != CsvExportOutcome::Written)
        XPLMDebugString(message);
}
