// The line reader and the blank remover of the settings file, on raw streams.
#ifndef _GNU_SOURCE
#define _GNU_SOURCE 1 // fopencookie, to make a stream that fails
#endif
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "config/config_reader.h"
#include "config/config_scan.h"

namespace {
using namespace std::string_literals;

// A stream that holds text, with the text written and rewound.
struct TextStream {
    explicit TextStream(const std::string &text) : File(std::tmpfile()) {
        std::fwrite(text.data(), 1, text.size(), File);
        std::rewind(File);
    }
    ~TextStream() { std::fclose(File); }
    std::FILE *File;
};

std::string nextLine(std::FILE *file, int size = 256) {
    char buffer[256];
    const char *line = readConfigLine(buffer, size, file);
    return line == nullptr ? "<end>" : std::string(line);
}

TEST(ConfigLine, EachLineEndStyleEndsOneLineAndStaysInTheText) {
    TextStream stream("a\r\nb\n\rc\rd\ne\r\rf");
    for (const char *expected : {"a\r", "b\n", "c\r", "d\n", "e\r", "\r", "f", "<end>", "<end>"})
        EXPECT_EQ(nextLine(stream.File), expected);
}

TEST(ConfigLine, LineIsCutAtSizeMinusOneAndTheRestIsTheNextLine) {
    TextStream stream(std::string(255, 'x') + "\nabcdef\n");
    EXPECT_EQ(nextLine(stream.File), std::string(255, 'x'));
    EXPECT_EQ(nextLine(stream.File), "\n"); // the line end left over is a line of its own
    EXPECT_EQ(nextLine(stream.File, 4), "abc");
    EXPECT_EQ(nextLine(stream.File, 4), "def");
}

TEST(ConfigLine, LineEndAsTheLastCharacterThatFitsStillTakesItsPartner) {
    // A CR as the 255th character ends the line and takes its LF; a CR that no longer fits is
    // left for the next read, which takes its LF there.
    TextStream stream(std::string(254, 'x') + "\r\nnext\n" + std::string(255, 'y') + "\r\nlast");
    EXPECT_EQ(nextLine(stream.File), std::string(254, 'x') + "\r");
    EXPECT_EQ(nextLine(stream.File), "next\n");
    EXPECT_EQ(nextLine(stream.File), std::string(255, 'y'));
    EXPECT_EQ(nextLine(stream.File), "\r");
    EXPECT_EQ(nextLine(stream.File), "last");
    EXPECT_EQ(nextLine(stream.File), "<end>");
}

TEST(ConfigLine, BufferTooSmallForOneCharacterReadsNothing) {
    TextStream stream("abc\n");
    char buffer[2] = {'z', 'z'};
    EXPECT_EQ(readConfigLine(buffer, 1, stream.File), nullptr);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], 'z');
    EXPECT_EQ(readConfigLine(buffer, 0, stream.File), nullptr);
    EXPECT_EQ(nextLine(stream.File), "abc\n");
}

TEST(ConfigLine, StripBlanksRemovesOnlySpacesAndClearsTheWholeDestination) {
    char destination[256];
    std::memset(destination, 'Z', sizeof destination);
    EXPECT_EQ(stripBlanks(" a b\tc  ", destination), 8u);
    EXPECT_STREQ(destination, "ab\tc");
    for (std::size_t i = 4; i < sizeof destination; ++i)
        ASSERT_EQ(destination[i], '\0') << i;

    const std::string tooLong(400, 'q');
    EXPECT_EQ(stripBlanks(tooLong.c_str(), destination), 400u);
    EXPECT_EQ(std::string(destination), std::string(255, 'q'));
}

#if defined(__GLIBC__)
// A stream that delivers some text and then fails, as a disk or network share can (made with
// glibc's fopencookie; other C libraries have no way to make one).
struct FailingSource {
    std::string Text;
    std::size_t Position = 0;
};

ssize_t readThenFail(void *cookie, char *buffer, size_t size) {
    auto *source = static_cast<FailingSource *>(cookie);
    if (source->Position >= source->Text.size()) return -1;
    const std::size_t count = std::min(size, source->Text.size() - source->Position);
    std::memcpy(buffer, source->Text.data() + source->Position, count);
    source->Position += count;
    return static_cast<ssize_t>(count);
}

TEST(ConfigScan, ReadErrorEndsTheScanAndDropsTheLineItCut) {
    FailingSource source{"[CONFIG]\nFullSizeWindow = 0\nFullSizeWin"};
    cookie_io_functions_t functions = {readThenFail, nullptr, nullptr, nullptr};
    std::FILE *file = fopencookie(&source, "r", functions);
    ASSERT_NE(file, nullptr);
    static ConfigEntry table[4];
    const ConfigScanSummary summary = scanConfigStream(file, table, 4);
    std::fclose(file);
    EXPECT_TRUE(summary.ReadError);
    EXPECT_EQ(summary.StoredEntries, 1);
    EXPECT_STREQ(table[0].Key, "FullSizeWindow");
}
#endif

} // namespace
