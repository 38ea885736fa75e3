// Writing PlotwrightNew.ini, and reading a written file back.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "config/config_writer.h"
#include "config_test_fixture.h"
#include "support/file_faults.h"
#include "support/file_sync_log.h"

namespace {
using plotwright_test::ConfigTest;
using plotwright_test::readFile;
using plotwright_test::textFileBytes;

class ConfigWriterTest : public ConfigTest {
protected:
    std::string newPath() const { return pluginDir_ + "PlotwrightNew.ini"; }

    // Writes the state, makes the written file the one read at start, and reads it into a
    // fresh default state.
    ConfigParseResult writeAndReadBack() {
        EXPECT_TRUE(writeConfigFile(*state_));
        std::filesystem::rename(plotwright_test::fsPath(newPath()),
                                plotwright_test::fsPath(settingsPath_));
        state_ = std::make_unique<AppState>();
        state_->resetToDefaults();
        return parseConfigFile(*state_, settingsPath_.c_str());
    }

    void setName(int set, int channel, const std::string &text) {
        ASSERT_LT(text.size(), sizeof state_->Name[set][channel]);
        std::memcpy(state_->Name[set][channel], text.c_str(), text.size() + 1);
    }
};

std::string defaultDataSet(int set) {
    std::string text = "[DATASET" + std::to_string(set) + "]\n";
    for (int k = 1; k <= 8; ++k) {
        const std::string digit = std::to_string(k);
        text += "Name" + digit + " = \nScaling" + digit + " = 0.000000\nIndex" + digit + " = 0\n";
    }
    return text + "\n";
}

TEST_F(ConfigWriterTest, DefaultsGiveThe81LineFileByteForByte) {
    ASSERT_TRUE(writeConfigFile(*state_));
    const std::string expected =
        textFileBytes("[CONFIG]\nFullSizeWindow = 1\n\n" + defaultDataSet(1) + defaultDataSet(2) +
                      defaultDataSet(3));
    const std::string written = readFile(newPath());
    EXPECT_EQ(written, expected);
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 81);
    // Every press writes the file anew, the same each time.
    ASSERT_TRUE(writeConfigFile(*state_));
    EXPECT_EQ(readFile(newPath()), expected);
}

TEST_F(ConfigWriterTest, ValuesAreFormattedAndTheReadFileIsNeverTouched) {
    plotwright_test::writeFile(settingsPath_, "[CONFIG]\nFullSizeWindow = 1\n");
    state_->FullSizeWindow = 0;
    setName(1, 2, "sim/flightmodel/position/theta");
    state_->Scaling[1][2] = 1.5f;
    state_->Scaling[1][3] = 0.0000001f;
    state_->Index[1][2] = -3;
    ASSERT_TRUE(writeConfigFile(*state_));
    const std::string written = readFile(newPath());
    for (const char *line : {"FullSizeWindow = 0\n", "Name3 = sim/flightmodel/position/theta\n",
                             "Scaling3 = 1.500000\n", "Scaling4 = 0.000000\n", "Index3 = -3\n"})
        EXPECT_NE(written.find(textFileBytes(line)), std::string::npos) << line;
    EXPECT_EQ(readFile(settingsPath_), "[CONFIG]\nFullSizeWindow = 1\n");
}

TEST_F(ConfigWriterTest, NameFillingItsWholeFieldIsWrittenWithoutOverrun) {
    std::memset(state_->Name[2][7], 'n', sizeof state_->Name[2][7]); // no NUL
    ASSERT_TRUE(writeConfigFile(*state_));
    const std::string line = "Name8 = " + std::string(254, 'n') + "\n";
    EXPECT_EQ(line.size(), 263u);
    EXPECT_NE(readFile(newPath()).find(textFileBytes(line)), std::string::npos);
}

TEST_F(ConfigWriterTest, AFailedWriteKeepsTheEarlierFileAndSaysWhy) {
    const std::string failed = "Plotwright - Could not write " + newPath() + ": ";
    ASSERT_TRUE(writeConfigFile(*state_));
    const std::string good = readFile(newPath());

#if !defined(_WIN32)
    // A full disk part-way through: the earlier file stays whole, nothing is left behind.
    state_->FullSizeWindow = 0;
    plotwright_test::withFileSizeLimit(512, [this] { EXPECT_FALSE(writeConfigFile(*state_)); });
    EXPECT_EQ(readFile(newPath()), good);
    EXPECT_FALSE(plotwright_test::fileExists(newPath() + kPartialFileSuffix));
    EXPECT_EQ(xphost::logText(), failed + "writing it failed (" + std::strerror(EFBIG) + ").\n");

    // The disk refusing to take the data for good counts as a failed write too.
    xphost::resetHost(root_);
    {
        plotwright_test::FileSyncLog syncs;
        syncs.failFileFlushes(EIO);
        EXPECT_FALSE(writeConfigFile(*state_));
    }
    EXPECT_EQ(readFile(newPath()), good);
    EXPECT_FALSE(plotwright_test::fileExists(newPath() + kPartialFileSuffix));
    EXPECT_EQ(xphost::logText(), failed + "writing it failed (" + std::strerror(EIO) + ").\n");

    // A device or folder under the name is neither written to nor replaced.
    std::filesystem::remove(plotwright_test::fsPath(newPath()));
    std::filesystem::create_symlink("/dev/full", newPath());
    plotwright_test::resetStartedHost(root_);
    EXPECT_FALSE(writeConfigFile(*state_));
    EXPECT_EQ(xphost::logText(), failed + "it is not a regular file.\n");
    EXPECT_TRUE(std::filesystem::is_symlink(plotwright_test::fsPath(newPath())));
#endif

    std::filesystem::remove(plotwright_test::fsPath(newPath()));
    std::filesystem::remove_all(plotwright_test::fsPath(pluginDir_));
    plotwright_test::resetStartedHost(root_);
    std::filesystem::remove_all(plotwright_test::fsPath(pluginDir_));
    EXPECT_FALSE(writeConfigFile(*state_));
    EXPECT_FALSE(std::filesystem::exists(plotwright_test::fsPath(newPath())));
    EXPECT_EQ(xphost::logText(),
              failed + "it or its folder does not exist (" + std::strerror(ENOENT) + ").\n");
}

TEST_F(ConfigWriterTest, WrittenFileReadsBackTheSame) {
    state_->FullSizeWindow = 0;
    for (int set = 0; set < kSetCount; ++set) {
        for (int channel = 0; channel < kChannelCount; ++channel) {
            setName(set, channel,
                    "sim/set" + std::to_string(set) + "/ch" + std::to_string(channel));
            state_->Scaling[set][channel] = -0.1234567f * static_cast<float>(set * 8 + channel);
            state_->Index[set][channel] = channel - 4;
        }
    }
    setName(2, 5, std::string(247, 'L'));
    setName(2, 6, "");
    const auto original = std::make_unique<AppState>(*state_);

    ASSERT_EQ(writeAndReadBack(), ConfigParseResult::Ok);
    EXPECT_EQ(state_->FullSizeWindow, 0);
    for (int set = 0; set < kSetCount; ++set) {
        for (int channel = 0; channel < kChannelCount; ++channel) {
            EXPECT_STREQ(name(set, channel), original->Name[set][channel]);
            EXPECT_NEAR(state_->Scaling[set][channel], original->Scaling[set][channel], 1e-6);
            EXPECT_EQ(state_->Index[set][channel], original->Index[set][channel]);
        }
    }
}

TEST_F(ConfigWriterTest, ReadBackLosesSpacesAndCutsNamesLongerThan247) {
    setName(0, 0, "sim/with space");
    setName(0, 1, std::string(247, 'a') + "tail");
    setName(0, 2, std::string(247, 'b') + "x=y"); // the cut-off rest is a key line
    ASSERT_EQ(writeAndReadBack(), ConfigParseResult::BadDataSet1Key);
    EXPECT_STREQ(name(0, 0), "sim/withspace");
    EXPECT_EQ(std::string(name(0, 1)), std::string(247, 'a'));
    EXPECT_EQ(std::string(name(0, 2)), std::string(247, 'b'));
}

TEST_F(ConfigWriterTest, ReadBackStopsAtNamesHoldingBracketOrEquals) {
    setName(0, 0, "kept");
    setName(1, 2, "sim/array[2]");
    EXPECT_EQ(writeAndReadBack(), ConfigParseResult::BadSection);
    EXPECT_STREQ(name(0, 0), "kept");
    EXPECT_STREQ(name(1, 1), "");
    EXPECT_STREQ(name(1, 2), "");

    setName(0, 0, "kept");
    setName(2, 3, "a=b");
    EXPECT_EQ(writeAndReadBack(), ConfigParseResult::BadDataSet3Key);
    EXPECT_STREQ(name(0, 0), "kept");
    EXPECT_STREQ(name(2, 2), "");
}

} // namespace
