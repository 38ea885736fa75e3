// The plug-in's file access: only regular files are read or replaced, nothing ever waits on a
// FIFO, and a file is replaced only by a complete new version.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstring>
#include <filesystem>
#include <string>

#include "core/file_access.h"
#include "support/file_faults.h"
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
    writeFile(folder_ + "secret", "text\n");
    chmod((folder_ + "secret").c_str(), 0);
    const std::string secret = folder_ + "secret";
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
#if !defined(_WIN32)
    // The temporary name must fit the limit too. (Windows reports a relative name this long as
    // not found.)
    const std::string longest(kMaxPathBytes - 1 - kPartialFileSuffixLength, 'x');
    EXPECT_EQ(ReplacingFileWriter(longest.c_str()).problem().Failure, FileFailure::PathTooLong);
#endif
}

} // namespace
