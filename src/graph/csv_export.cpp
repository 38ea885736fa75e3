// Export of one data set to its CSV file. Rows are formatted without printf into one large
// chunk that is written whole. The file replaces the previous export only once it is complete:
// a full disk leaves the last good export in place and says so in the log.

#include "graph/csv_export.h"

#include <memory>
#include <new>

#include "XPLMUtilities.h"
#include "core/plugin_paths.h"
#include "graph/csv_rows_file.h"

static_assert(kCsvRowValues == SampleStore::kChannels, "a row holds one value per channel");

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

    // A chunk of 16 KiB: on the heap, as threads on some systems get small stacks.
    std::unique_ptr<CsvRowsFile> out(new (std::nothrow) CsvRowsFile(file, cancel));
    if (!out) {
        formatFileLogLine(message, messageSize, "write", job.Path, "there was not enough memory");
        return CsvExportOutcome::Failed;
    }
    const SampleStore::SetSnapshot &rows = job.Rows;
    float row[kCsvRowValues];
    bool going = true;
    for (std::size_t first = 0, block = 0; going && first < rows.Count;
         first += SampleStore::kBlockFloats, ++block) {
        const std::size_t inBlock = rows.Count - first < SampleStore::kBlockFloats
                                        ? rows.Count - first
                                        : SampleStore::kBlockFloats;
        const float *columns[kCsvRowValues];
        for (int channel = 0; channel < kCsvRowValues; ++channel)
            columns[channel] = rows.Rows->block(block, channel);
        for (std::size_t slot = 0; going && slot < inBlock; ++slot) {
            for (int channel = 0; channel < kCsvRowValues; ++channel)
                row[channel] = columns[channel][slot];
            going = out->add(row);
        }
    }
    if (!going || !out->finish()) {
        formatCancelledExport(job, message, messageSize);
        return CsvExportOutcome::Cancelled; // the writer removes the partial file
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
