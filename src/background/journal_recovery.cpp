#include "background/journal_recovery.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "background/journal_format.h"
#include "background/recording_journal.h"
#include "core/file_access.h"
#include "core/file_platform.h"
#include "graph/csv_rows_file.h"

namespace {
// The most journals one start recovers; any beyond wait for the next start.
constexpr std::size_t kMaxJournals = 32;
// The names in the folder a recovered file must not take.
constexpr std::size_t kMaxTakenNames = 256;

struct FolderScan {
    char Journals[kMaxJournals][kJournalNameBytes];
    std::size_t JournalCount = 0;
    char Taken[kMaxTakenNames][48];
    std::size_t TakenCount = 0;
    bool TooManyTaken = false;
};

bool isRecoveredName(const char *name) {
    return std::strncmp(name, "Plotwright", 10) == 0 && std::strstr(name, "-recovered") != nullptr;
}

void visitEntry(const char *name, void *context) {
    FolderScan &scan = *static_cast<FolderScan *>(context);
    int set = 0;
    std::uint64_t session = 0;
    if (parseJournalName(name, set, session)) {
        if (!journalSessionOfThisProcess(session) && scan.JournalCount < kMaxJournals)
            std::snprintf(scan.Journals[scan.JournalCount++], kJournalNameBytes, "%s", name);
    } else if (isRecoveredName(name)) {
        if (std::strlen(name) >= sizeof scan.Taken[0] || scan.TakenCount == kMaxTakenNames)
            scan.TooManyTaken = true;
        else
            std::snprintf(scan.Taken[scan.TakenCount++], sizeof scan.Taken[0], "%s", name);
    }
}

bool taken(const FolderScan &scan, const char *name) {
    for (std::size_t i = 0; i < scan.TakenCount; ++i)
        if (std::strcmp(scan.Taken[i], name) == 0) return true;
    return false;
}

// The first free name of "Plotwright<set>-recovered.csv", "-recovered-2.csv", ...
bool chooseRecoveredName(FolderScan &scan, int set, char *name, std::size_t size) {
    for (int number = 1; number < 1000; ++number) {
        if (number == 1)
            std::snprintf(name, size, "Plotwright%d-recovered.csv", set + 1);
        else
            std::snprintf(name, size, "Plotwright%d-recovered-%d.csv", set + 1, number);
        if (!taken(scan, name)) return true;
    }
    return false;
}

class FileSource : public JournalSource {
public:
    explicit FileSource(FileHandle file) : file_(file) {}
    bool read(void *out, std::size_t size, std::size_t &got) override {
        return file_platform::readBytes(file_, out, size, got, problem_);
    }

private:
    FileHandle file_;
    FileProblem problem_;
};

struct Output {
    void (*Keep)(const char *, void *);
    void *Context;
    void line(const char *text) const { Keep(text, Context); }
};

const char *describeEnd(JournalEnd end) {
    switch (end) {
    case JournalEnd::CutShort:
        return "; its last rows were cut short by the crash";
    case JournalEnd::Damaged:
        return "; the journal is damaged after them, the rest is lost";
    case JournalEnd::ReadFailed:
        return "; the disk would not give the rest";
    case JournalEnd::Whole:
        break;
    }
    return "";
}

// Recovers one journal; true when it was dealt with (recovered, or held nothing to recover) and
// may go.
bool recoverOne(const char *folder, const char *journalName, const char *journalPath,
                FolderScan &scan, const std::atomic<bool> *cancel, float *rows, const Output &out) {
    char line[kFileLogLineBytes];
    FileProblem problem;
    const FileHandle handle = file_platform::openForReadingBytes(journalPath, problem);
    if (handle == kNoFileHandle) {
        formatFileProblem(line, sizeof line, "recover", journalPath, problem);
        out.line(line);
        return false;
    }
    struct Closer {
        FileHandle File;
        ~Closer() { file_platform::closeRead(File); }
    } closer{handle};
    FileSource source(handle);
    JournalHeader header;
    const char *why = nullptr;
    int nameSet = 0;
    std::uint64_t nameSession = 0;
    parseJournalName(journalName, nameSet, nameSession);
    if (!readJournalHeader(source, header, why) || header.Set != nameSet ||
        header.Session != nameSession) {
        if (why == nullptr) why = "its header does not match its name";
        formatFileLogLine(line, sizeof line, "recover", journalPath, why);
        out.line(line);
        // A newer plug-in's journal stays for it; anything else holds nothing to recover.
        return why != kJournalOfAnotherVersion;
    }
    JournalEnd end = JournalEnd::Whole;
    std::uint32_t count = readJournalBatch(source, 0, rows, end);
    if (count == 0) {
        std::snprintf(line, sizeof line,
                      "Plotwright - Data set %d's journal %s held no whole row to recover%s.\n",
                      header.Set + 1, journalName, describeEnd(end));
        out.line(line);
        return true;
    }
    char name[48];
    if (!chooseRecoveredName(scan, header.Set, name, sizeof name) || scan.TooManyTaken) {
        formatFileLogLine(line, sizeof line, "recover", journalPath,
                          "the folder holds too many recovered files; move some away");
        out.line(line);
        return false;
    }
    char target[kMaxPathBytes];
    std::snprintf(target, sizeof target, "%s%s", folder, name);
    ReplacingFileWriter file(target);
    std::unique_ptr<CsvRowsFile> csv(file.isOpen() ? new (std::nothrow) CsvRowsFile(file, cancel)
                                                   : nullptr);
    if (!csv) {
        formatFileProblem(line, sizeof line, "write", target, file.problem());
        out.line(line);
        return false;
    }
    std::uint64_t recovered = 0;
    while (count != 0) {
        for (std::uint32_t row = 0; row < count; ++row)
            if (!csv->add(rows + row * kJournalRowValues)) return false; // given up: kept
        recovered += count;
        count = readJournalBatch(source, recovered, rows, end);
    }
    if (!csv->finish()) return false;
    if (!file.commit()) {
        formatFileProblem(line, sizeof line, "write", target, file.problem());
        out.line(line);
        return false;
    }
    if (!taken(scan, name) && scan.TakenCount < kMaxTakenNames)
        std::snprintf(scan.Taken[scan.TakenCount++], sizeof scan.Taken[0], "%s", name);
    std::snprintf(line, sizeof line,
                  "Plotwright - Recovered %llu rows of data set %d from a recording the simulator "
                  "did not end: %s%s.\n",
                  static_cast<unsigned long long>(recovered), header.Set + 1, target,
                  describeEnd(end));
    out.line(line);
    return true;
}
} // namespace

void recoverJournals(const char *folder, const std::atomic<bool> *cancel,
                     void (*keep)(const char *line, void *context), void *context) {
    std::unique_ptr<FolderScan> scan(new (std::nothrow) FolderScan);
    std::unique_ptr<float[]> rows(
        new (std::nothrow) float[kMaxJournalBatchRows * kJournalRowValues]);
    if (!scan || !rows) return; // the next start tries again
    // The folder as the system names it: without its final separator.
    char listed[kMaxPathBytes];
    std::snprintf(listed, sizeof listed, "%s", folder);
    const std::size_t length = std::strlen(listed);
    if (length > 1) listed[length - 1] = '\0';
    if (!file_platform::listFolder(listed, visitEntry, scan.get())) return;
    const Output out{keep, context};
    for (std::size_t i = 0; i < scan->JournalCount; ++i) {
        if (cancel != nullptr && cancel->load()) return;
        char journalPath[kMaxPathBytes];
        std::snprintf(journalPath, sizeof journalPath, "%s%s", folder, scan->Journals[i]);
        if (recoverOne(folder, scan->Journals[i], journalPath, *scan, cancel, rows.get(), out))
            file_platform::removeFile(journalPath);
    }
}
