// The plug-in's file access: only regular files are read or replaced, nothing ever waits on a
// FIFO, and a file is replaced only by a complete new version.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/file_access.h"
#include "support/file_faults.h"
#include "support/file_links.h"
#include "support/file_sync_log.h"
#include "support/host_fixture.h"

namespace {
using plotwright_test::fileExists;
using plotwright_test::readFile;
using plotwright_test::writeFile;

class FileAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = plotwright_test::makeTempFolder("files");
#if !defined(_WIN32)
        // An open that blocks would hang the test run; end it here instead.
        alarm(60);
#endif
    }
#if !defined(_WIN32)
    void TearDown() override { alarm(0); }
#endif

    FileFailure readFailure(const std::string &path) {
        FileProblem problem;
        std::FILE *file = openFileForReading(path.c_str(), &problem);
        if (file != nullptr) std::fclose(file);
        return problem.Failure;
    }

    std::string folder_;
};

TEST_F(FileAccessTest, ReadsOnlyRegularFilesAndNeverWaits) {
    writeFile(folder_ + "plain", "text\n");
    EXPECT_EQ(readFailure(folder_ + "plain"), FileFailure::None);
    EXPECT_EQ(readFailure(folder_ + "missing"), FileFailure::NotFound);
    EXPECT_EQ(readFailure(folder_ + "plain/below"), FileFailure::NotFound);
    EXPECT_EQ(readFailure(folder_), FileFailure::NotRegular);
#if !defined(_WIN32)
    ASSERT_EQ(mkfifo((folder_ + "fifo").c_str(), 0600), 0);
    EXPECT_EQ(readFailure(folder_ + "fifo"), FileFailure::NotRegular);
    std::filesystem::create_symlink("/dev/zero", folder_ + "zero");
    EXPECT_EQ(readFailure(folder_ + "zero"), FileFailure::NotRegular);
#endif
    EXPECT_EQ(readFailure(""), FileFailure::NotFound);
    EXPECT_EQ(readFailure(std::string(kMaxPathBytes, 'x')), FileFailure::PathTooLong);

#if !defined(_WIN32)
    const plotwright_test::SharedTempFolder shared;
    const std::string secret = shared.path() + "secret";
    writeFile(secret, "text\n");
    chmod(secret.c_str(), 0);
    EXPECT_EQ(plotwright_test::runUnprivileged([&secret] {
                  FileProblem problem;
                  return openFileForReading(secret.c_str(), &problem) == nullptr &&
                                 problem.Failure == FileFailure::AccessDenied
                             ? 0
                             : 1;
              }),
              0);
#endif
}

TEST_F(FileAccessTest, ReplacesTheTargetOnlyWithACompleteFile) {
    const std::string target = folder_ + "data.csv";
    const std::string partial = target + kPartialFileSuffix;
    writeFile(target, "old\n");
    // A leftover of a write that never finished is no obstacle.
    writeFile(partial, "leftover");
    {
        ReplacingFileWriter writer(target.c_str());
        ASSERT_TRUE(writer.isOpen());
        writer.write("new\n", 4);
        EXPECT_EQ(readFile(target), "old\n"); // untouched until the commit
        EXPECT_TRUE(writer.commit()) << writer.problem().Detail;
    }
    EXPECT_EQ(readFile(target), plotwright_test::textFileBytes("new\n"));
    EXPECT_FALSE(fileExists(partial));

#if !defined(_WIN32)
    // A user's link keeps pointing at the file it names, which gets the new version.
    const std::string link = folder_ + "link.csv";
    std::filesystem::create_symlink(target, link);
    {
        ReplacingFileWriter writer(link.c_str());
        writer.write("linked\n", 7);
        EXPECT_TRUE(writer.commit());
    }
    EXPECT_TRUE(std::filesystem::is_symlink(plotwright_test::fsPath(link)));
    EXPECT_EQ(readFile(target), "linked\n");
    writeFile(target, plotwright_test::textFileBytes("new\n"));
#endif

    // Abandoned: the target stays, the temporary file goes.
    { ReplacingFileWriter(target.c_str()).write("lost", 4); }
    EXPECT_EQ(readFile(target), plotwright_test::textFileBytes("new\n"));
    EXPECT_FALSE(fileExists(partial));

#if !defined(_WIN32)
    // A full disk part-way: the old file stays whole.
    const std::string big(64 * 1024, 'b');
    plotwright_test::withFileSizeLimit(4096, [&] {
        ReplacingFileWriter writer(target.c_str());
        ASSERT_TRUE(writer.isOpen());
        writer.write(big.data(), big.size());
        EXPECT_FALSE(writer.commit());
        EXPECT_EQ(writer.problem().Failure, FileFailure::WriteFailed);
        EXPECT_STRNE(writer.problem().Detail, "");
    });
#endif
    EXPECT_EQ(readFile(target), plotwright_test::textFileBytes("new\n"));
    EXPECT_FALSE(fileExists(partial));
}

TEST_F(FileAccessTest, RefusesTargetsThatAreNotRegularFiles) {
#if !defined(_WIN32)
    const std::string fifo = folder_ + "fifo.csv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ReplacingFileWriter toFifo(fifo.c_str());
    EXPECT_FALSE(toFifo.isOpen());
    EXPECT_EQ(toFifo.problem().Failure, FileFailure::NotRegular);
    struct stat status;
    ASSERT_EQ(stat(fifo.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
#endif

    std::filesystem::create_directory(plotwright_test::fsPath(folder_ + "folder.ini"));
    EXPECT_EQ(ReplacingFileWriter((folder_ + "folder.ini").c_str()).problem().Failure,
              FileFailure::NotRegular);
    EXPECT_EQ(ReplacingFileWriter((folder_ + "none/x.ini").c_str()).problem().Failure,
              FileFailure::NotFound);
}

// The writer's own limit, not the system's: one byte more than the longest path it takes is
// refused by the writer, with that limit in the log, before any system call could refuse it.
TEST_F(FileAccessTest, AWrittenPathMayFillTheLimitLessTheTemporarySuffix) {
    std::string longest = folder_;
    while (longest.size() + 101 < kMaxWrittenPathBytes)
        longest += std::string(100, 'd') + "/";
    std::filesystem::create_directories(plotwright_test::fsPath(longest));
    longest += std::string(kMaxWrittenPathBytes - longest.size(), 'f');
    ASSERT_EQ(longest.size(), kMaxWrittenPathBytes);
#if !defined(_WIN32) // Wine fails files this deep with a general error of its own
    {
        ReplacingFileWriter writer(longest.c_str());
        ASSERT_TRUE(writer.isOpen()) << writer.problem().Detail;
        writer.write("x\n", 2);
        EXPECT_TRUE(writer.commit()) << writer.problem().Detail;
    }
    EXPECT_EQ(readFile(longest), "x\n");
#endif

    const std::string tooLong = longest + "f";
    ReplacingFileWriter writer(tooLong.c_str());
    EXPECT_FALSE(writer.isOpen());
    char reason[192];
    EXPECT_STREQ(
        describeFileProblem(writer.problem(), reason, sizeof reason),
        ("its path is too long (the limit is " + std::to_string(kMaxWrittenPathBytes) + " bytes)")
            .c_str());
    // Wine's std::filesystem cannot remove folders this deep; the run's folder has its own name.
    std::error_code ignored;
    std::filesystem::remove_all(plotwright_test::fsPath(folder_ + std::string(100, 'd')), ignored);
}

#if defined(_WIN32)
// MoveFileEx acts on a link itself: without following the link first, the replace leaves a
// plain file in its place and the file it names never changes.
TEST_F(FileAccessTest, AWriteThroughALinkReachesTheFileItNamesOnWindowsToo) {
    writeFile(folder_ + "real.csv", "old\n");
    std::string why;
    ASSERT_TRUE(plotwright_test::makeFileLink(folder_, "link.csv", "real.csv", &why)) << why;
    {
        ReplacingFileWriter writer((folder_ + "link.csv").c_str());
        ASSERT_TRUE(writer.isOpen()) << writer.problem().Detail;
        writer.write("new\n", 4);
        ASSERT_TRUE(writer.commit()) << writer.problem().Detail;
    }
    EXPECT_EQ(readFile(folder_ + "real.csv"), plotwright_test::textFileBytes("new\n"));
    EXPECT_EQ(readFile(folder_ + "link.csv"), plotwright_test::textFileBytes("new\n"));
    // Still a link: a second version reaches the named file too.
    {
        ReplacingFileWriter writer((folder_ + "link.csv").c_str());
        writer.write("newer\n", 6);
        ASSERT_TRUE(writer.commit()) << writer.problem().Detail;
    }
    EXPECT_EQ(readFile(folder_ + "real.csv"), plotwright_test::textFileBytes("newer\n"));
    EXPECT_FALSE(fileExists(folder_ + "real.csv" + kPartialFileSuffix));
    EXPECT_FALSE(fileExists(folder_ + "link.csv" + kPartialFileSuffix));
}
#endif

#if !defined(_WIN32)
TEST_F(FileAccessTest, TheDataReachesTheDiskBeforeTheNameAndTheFolderAfterIt) {
    using plotwright_test::SyncStep;
    const std::string target = folder_ + "data.csv";
    writeFile(target, "old\n");
    std::vector<plotwright_test::SyncEvent> events;
    {
        plotwright_test::FileSyncLog log;
        ReplacingFileWriter writer(target.c_str());
        writer.write("new\n", 4);
        ASSERT_TRUE(writer.commit()) << writer.problem().Detail;
        events = log.events();
    }
    struct stat file;
    struct stat folder;
    ASSERT_EQ(stat(target.c_str(), &file), 0);
    ASSERT_EQ(stat(folder_.c_str(), &folder), 0);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].Step, SyncStep::FileFlushed);
    EXPECT_EQ(events[0].Inode, file.st_ino);
    EXPECT_EQ(events[1].Step, SyncStep::Renamed);
    EXPECT_EQ(events[1].Inode, file.st_ino);
    EXPECT_EQ(events[2].Step, SyncStep::FolderFlushed);
    EXPECT_EQ(events[2].Inode, folder.st_ino);

    // A flush that fails is a failed write: the old file stays, the partial one goes.
    {
        plotwright_test::FileSyncLog log;
        log.failFileFlushes(EIO);
        ReplacingFileWriter writer(target.c_str());
        writer.write("lost\n", 5);
        EXPECT_FALSE(writer.commit());
        EXPECT_EQ(writer.problem().Failure, FileFailure::WriteFailed);
        EXPECT_STREQ(writer.problem().Detail, std::strerror(EIO));
    }
    EXPECT_EQ(readFile(target), "new\n");
    EXPECT_FALSE(fileExists(target + kPartialFileSuffix));

    // The folder failing after the rename: the new file stands and is written, but is not said
    // to be safe. A file system that cannot flush folders at all (EINVAL) is no failure.
    {
        plotwright_test::FileSyncLog log;
        log.failFolderFlushes(EIO);
        ReplacingFileWriter writer(target.c_str());
        writer.write("newer\n", 6);
        EXPECT_TRUE(writer.commit());
        EXPECT_EQ(readFile(target), "newer\n");
        EXPECT_EQ(writer.problem().Failure, FileFailure::FolderNotFlushed);
        EXPECT_STREQ(writer.problem().Detail, std::strerror(EIO));
        log.failFolderFlushes(EINVAL);
        ReplacingFileWriter again(target.c_str());
        again.write("newest\n", 7);
        EXPECT_TRUE(again.commit());
        EXPECT_EQ(again.problem().Failure, FileFailure::None);
    }
    EXPECT_EQ(readFile(target), "newest\n");
}

TEST_F(FileAccessTest, LinksStayLinksAndTheFileTheyNameIsWritten) {
    namespace fs = std::filesystem;
    // A link whose file does not exist yet, relative to the link's own folder, through a
    // second link.
    fs::create_directories(folder_ + "sub");
    fs::create_directories(folder_ + "data");
    fs::create_symlink("../data/second.csv", folder_ + "sub/first.csv");
    fs::create_symlink("result.csv", folder_ + "data/second.csv");
    {
        ReplacingFileWriter writer((folder_ + "sub/first.csv").c_str());
        writer.write("linked\n", 7);
        ASSERT_TRUE(writer.commit()) << writer.problem().Detail;
    }
    EXPECT_TRUE(fs::is_symlink(folder_ + "sub/first.csv"));
    EXPECT_TRUE(fs::is_symlink(folder_ + "data/second.csv"));
    EXPECT_EQ(readFile(folder_ + "data/result.csv"), "linked\n");
    EXPECT_EQ(readFile(folder_ + "sub/first.csv"), "linked\n");

    // A chain as long as the kernel follows is written; one link more, or a loop, is refused
    // with the system's words and nothing is made.
    auto chain = [this](int links) {
        const std::string name = folder_ + "chain" + std::to_string(links) + "-";
        for (int k = 0; k < links; ++k)
            fs::create_symlink(name + std::to_string(k + 1), name + std::to_string(k));
        return name;
    };
    const std::string fits = chain(40);
    EXPECT_TRUE(ReplacingFileWriter((fits + "0").c_str()).isOpen());
    const std::string beyond = chain(41);
    ReplacingFileWriter refused((beyond + "0").c_str());
    EXPECT_FALSE(refused.isOpen());
    EXPECT_STREQ(refused.problem().Detail, std::strerror(ELOOP));
    fs::create_symlink("loop-b", folder_ + "loop-a");
    fs::create_symlink("loop-a", folder_ + "loop-b");
    ReplacingFileWriter loop((folder_ + "loop-a").c_str());
    EXPECT_FALSE(loop.isOpen());
    EXPECT_STREQ(loop.problem().Detail, std::strerror(ELOOP));
    for (const auto &entry : fs::directory_iterator(folder_))
        EXPECT_EQ(entry.path().string().find(kPartialFileSuffix), std::string::npos);
}
#endif

} // namespace
