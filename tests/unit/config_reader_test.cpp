// Reading Plotwright.ini: line kinds, blanks, the walk, the results and their log lines.
#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>

#include "config/config_apply.h"
#include "config_test_fixture.h"
#include "support/file_faults.h"

namespace {
using namespace std::string_literals;
using plotwright_test::ConfigTest;
using plotwright_test::writeFile;

const std::string kLogStart = "Plotwright - parsing setup file\n";
const std::string kLogOk = "Plotwright - parsing successful\n";

TEST_F(ConfigTest, FilesWithoutKeyLinesReadOkAndChangeNothing) {
    for (const std::string &text :
         {""s, "\n\n   \n"s, "[CONFIG]\n[DATASET1]\n; notes: plain text\n"s, "[NOWHERE]\n"s}) {
        plotwright_test::resetStartedHost(root_);
        EXPECT_EQ(load(text), kLogStart + kLogOk) << text;
        EXPECT_EQ(state_->FullSizeWindow, 1);
        EXPECT_STREQ(name(0, 0), "");
    }
}

TEST_F(ConfigTest, ShippedExampleFillsEveryChannel) {
    const std::string example =
        plotwright_test::readFile(PLOTWRIGHT_SOURCE_DIR "/dist/Plotwright.ini");
    ASSERT_FALSE(example.empty());
    EXPECT_EQ(load(example), kLogStart + kLogOk);
    // A comment holding "]" right before a header would pass unnoticed above.
    std::istringstream lines(example);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(";", 0) == 0) {
            EXPECT_EQ(line.find_first_of("]="), std::string::npos) << line;
        }
    }
    for (int set = 0; set < kSetCount; ++set) {
        for (int channel = 0; channel < kChannelCount; ++channel) {
            EXPECT_EQ(std::string(name(set, channel)).rfind("sim/", 0), 0u) << set << channel;
            EXPECT_GT(state_->Scaling[set][channel], 0.0f) << set << channel;
        }
    }
}

TEST_F(ConfigTest, ConfigSectionAloneSetsFullSizeWindowClampedToZeroOrOne) {
    const struct {
        const char *Value;
        int Expected;
    } cases[] = {{"0", 0},
                 {"1", 1},
                 {"7", 1},
                 {"-2", 0},
                 {"abc", 0},
                 {"1x", 1},
                 {"99999999999999999999", 1},
                 {"-99999999999999999999", 0}};
    for (const auto &c : cases) {
        state_->FullSizeWindow = 5;
        EXPECT_EQ(parse(std::string("[CONFIG]\nFullSizeWindow = ") + c.Value + "\n"),
                  ConfigParseResult::Ok);
        EXPECT_EQ(state_->FullSizeWindow, c.Expected) << c.Value;
    }
}

TEST_F(ConfigTest, BlanksAreRemovedEverywhereBeforeConversion) {
    ASSERT_EQ(parse("[ DATA SET1 ]\n"
                    "  Na me1 = sim/flight model/position/phi  \n"
                    "Scaling1 = 1 .5\n"
                    "Index1 = -1\n"
                    "Index2 = 3x\n"
                    "Scaling2 = none\n"),
              ConfigParseResult::Ok);
    EXPECT_STREQ(name(0, 0), "sim/flightmodel/position/phi");
    EXPECT_FLOAT_EQ(state_->Scaling[0][0], 1.5f);
    EXPECT_EQ(state_->Index[0][0], -1);
    EXPECT_EQ(state_->Index[0][1], 3);
    EXPECT_EQ(state_->Scaling[0][1], 0.0f);
}

TEST_F(ConfigTest, NumbersOutsideTheirTypeSaturateAndNonDecimalTextReadsAsZero) {
    ASSERT_EQ(parse("[DATASET3]\nScaling1=1e39\nScaling2=-1e39\nScaling3=nan\nScaling4=0x10\n"
                    "Scaling5=-inf\nScaling6=INFINITY\nScaling7=information\nScaling8=1e999\n"
                    "Index1=99999999999\nIndex2=-99999999999\n"),
              ConfigParseResult::Ok);
    EXPECT_EQ(state_->Scaling[2][0], FLT_MAX);
    EXPECT_EQ(state_->Scaling[2][1], -FLT_MAX);
    EXPECT_EQ(state_->Scaling[2][2], 0.0f);
    EXPECT_EQ(state_->Scaling[2][3], 0.0f); // decimal only, as a typed factor is read
    EXPECT_EQ(state_->Scaling[2][4], 0.0f);
    EXPECT_EQ(state_->Scaling[2][5], 0.0f);
    EXPECT_EQ(state_->Scaling[2][6], 0.0f);
    EXPECT_EQ(state_->Scaling[2][7], FLT_MAX); // a number too large, not a word
    EXPECT_EQ(state_->Index[2][0], INT_MAX);
    EXPECT_EQ(state_->Index[2][1], INT_MIN);
}

TEST_F(ConfigTest, KeysAreComparedExactlyAndCaseSensitively) {
    const struct {
        const char *Text;
        ConfigParseResult Expected;
    } cases[] = {
        {"[config]\nFullSizeWindow=0\n", ConfigParseResult::BadSection},
        {"[CONFIG]\nfullsizewindow=0\n", ConfigParseResult::BadConfigKey},
        {"[DATASET1]\nName0=a\n", ConfigParseResult::BadDataSet1Key},
        {"[DATASET2]\nName9=a\n", ConfigParseResult::BadDataSet2Key},
        {"[DATASET3]\nname1=a\n", ConfigParseResult::BadDataSet3Key},
        {"[DATASET1]\nScaling12=1\n", ConfigParseResult::BadDataSet1Key},
        {"[DATASET1]\nIndex=1\n", ConfigParseResult::BadDataSet1Key},
        {"[DATASET4]\nName1=a\n", ConfigParseResult::BadSection},
        {"[DATASET1]\nName1\t= a\n", ConfigParseResult::BadDataSet1Key},
    };
    for (const auto &c : cases)
        EXPECT_EQ(parse(c.Text), c.Expected) << c.Text;
}

TEST_F(ConfigTest, LastEqualsSignSplitsKeyFromValue) {
    EXPECT_EQ(load("[DATASET1]\nName1 = a=b\n"),
              kLogStart + "Name1=a is an invalid field\nParse Error in DataSet1 data\n");
    plotwright_test::resetStartedHost(root_);
    EXPECT_EQ(load("[DATASET2]\n; a comment, x = y\n"),
              kLogStart + ";acomment,x is an invalid field\nParse Error in DataSet2 data\n");
    EXPECT_STREQ(name(0, 0), "");
}

TEST_F(ConfigTest, ClosingBracketMakesAHeaderWhoseFirstCharacterIsDropped) {
    // A bracketed element number in a value turns the line into a header.
    EXPECT_EQ(load("[DATASET1]\nName1 = sim/engine[3]\nName2 = b\n"),
              kLogStart +
                  "ame1=sim/engine[3 is an invalid section name\nParse Error in Section Name\n");
    EXPECT_STREQ(name(0, 0), "");
    EXPECT_STREQ(name(0, 1), "");

    // Indentation is the dropped first character, so "[" becomes part of the name.
    plotwright_test::resetStartedHost(root_);
    EXPECT_EQ(load("  [CONFIG]\nFullSizeWindow = 0\n"),
              kLogStart + "[CONFIG is an invalid section name\nParse Error in Section Name\n");
    EXPECT_EQ(state_->FullSizeWindow, 1);

    EXPECT_EQ(parse("XDATASET1] trailing text\nName1 = a\n"), ConfigParseResult::Ok);
    EXPECT_STREQ(name(0, 0), "a");
}

TEST_F(ConfigTest, EntriesWithoutSectionNameEndTheWalkAndAreReported) {
    const struct {
        const char *Text;
        const char *Note;
    } cases[] = {
        {"[DATASET1]\nName1=a\n[]\nName2=b\n[DATASET1]\nName3=c\n", "1 setting(s)"},
        {"[DATASET1]\nName1=a\n[   ]\nName2=b\nName3=c\n", "1 setting(s)"},
        // A lone "]" is its own first character: nothing lies before it, so no name.
        {"[DATASET1]\nName1=a\n]\nName2=b\nName3=c\n", "1 setting(s)"},
        {"[DATASET1]\nName1=a\n]]\nName2=b\n", "0 setting(s)"},
        // Right after CONFIG entries as well as after a data set's.
        {"[DATASET1]\nName1=a\n[CONFIG]\nFullSizeWindow=0\n[]\nName2=b\n[DATASET1]\nName3=c\n",
         "1 setting(s)"},
    };
    for (const auto &c : cases) {
        plotwright_test::resetStartedHost(root_);
        state_->resetToDefaults();
        const std::string log = load(c.Text);
        EXPECT_EQ(log, kLogStart +
                           "Plotwright - A setting of Plotwright.ini stands under no section "
                           "name; it and the " +
                           c.Note + " after it are ignored.\n" + kLogOk)
            << c.Text;
        EXPECT_STREQ(name(0, 0), "a");
        EXPECT_STREQ(name(0, 1), "");
        EXPECT_STREQ(name(0, 2), "");
    }
}

TEST_F(ConfigTest, KeyLinesBeforeTheFirstHeaderLeaveTheWholeFileUnappliedAndSaySo) {
    EXPECT_EQ(load("Name1 = a\n[CONFIG]\nFullSizeWindow = 0\n[DATASET1]\nName2 = b\n"),
              kLogStart +
                  "Plotwright - A setting of Plotwright.ini stands before any section header; it "
                  "and the 2 setting(s) after it are ignored.\n" +
                  kLogOk);
    EXPECT_EQ(state_->FullSizeWindow, 1);
    EXPECT_STREQ(name(0, 1), "");
}

// The note about an unnamed section is logged where the walk reaches it: an error before it
// ends the walk first, and the log tells only that.
TEST_F(ConfigTest, TheUnnamedSectionNoteComesInFileOrder) {
    EXPECT_EQ(load("[CONFIG]\nBad = 1\n[]\nName1 = a\n"),
              kLogStart + "Bad is an invalid field\nParse Error in Config data\n");
}

TEST_F(ConfigTest, AByteOrderMarkAtTheStartIsSkipped) {
    const std::string bom = "\xEF\xBB\xBF";
    EXPECT_EQ(load(bom + "[DATASET1]\r\nName1 = a\r\n"), kLogStart + kLogOk);
    EXPECT_STREQ(name(0, 0), "a");

    // The mark takes none of the first line's 255 characters; elsewhere it is no mark.
    const std::string longHeader = "[DATASET2" + std::string(245, ' ') + "]";
    ASSERT_EQ(longHeader.size(), 255u);
    state_->resetToDefaults();
    EXPECT_EQ(parse(bom + longHeader + "\nName1 = b\n"), ConfigParseResult::Ok);
    EXPECT_STREQ(name(1, 0), "b");
    EXPECT_EQ(parse("[DATASET1]\n" + bom + "Name1 = c\n"), ConfigParseResult::BadDataSet1Key);
}

TEST_F(ConfigTest, NamesFromTheFileAreEscapedInTheLog) {
    EXPECT_EQ(load("[DATASET1]\nName1\t= a\n"),
              kLogStart + "Name1\\x09 is an invalid field\nParse Error in DataSet1 data\n");
    plotwright_test::resetStartedHost(root_);
    EXPECT_EQ(load("[D\xC3\xA9J\xC0\xAF\x1B[2J\\]\nName1 = a\n"),
              kLogStart + "D\xC3\xA9J\\xC0\\xAF\\x1B[2J\\ is an invalid section name\n"
                          "Parse Error in Section Name\n");
}

TEST_F(ConfigTest, BadEntryMidFileKeepsEarlierEntriesAndSkipsLaterOnes) {
    ASSERT_EQ(parse("[DATASET1]\nName1=a\nScaling1=2\n[CONFIG]\nFullSizeWindow=0\n"
                    "[DATASET2]\nName1=b\nBogus=1\nName2=c\n[DATASET3]\nName1=d\n"),
              ConfigParseResult::BadDataSet2Key);
    EXPECT_STREQ(name(0, 0), "a");
    EXPECT_EQ(state_->Scaling[0][0], 2.0f);
    EXPECT_EQ(state_->FullSizeWindow, 0);
    EXPECT_STREQ(name(1, 0), "b");
    EXPECT_STREQ(name(1, 1), "");
    EXPECT_STREQ(name(2, 0), "");
}

TEST_F(ConfigTest, RepeatedKeysAndSectionsKeepTheLaterValue) {
    ASSERT_EQ(parse("[DATASET1]\nName1=a\n[DATASET2]\nName1=x\n[DATASET1]\nName1=b\nIndex1=4\n"
                    "Index1=5\n[EMPTY]\n"),
              ConfigParseResult::Ok);
    EXPECT_STREQ(name(0, 0), "b");
    EXPECT_STREQ(name(1, 0), "x");
    EXPECT_EQ(state_->Index[0][0], 5);
}

TEST_F(ConfigTest, LongLineIsReadAs255CharactersAndTheRestAsTheNextLine) {
    const std::string first = "Name1=" + std::string(249, 'a'); // 255 characters
    const std::string second = "Name2=" + std::string(39, 'b'); // the other 45
    ASSERT_EQ(parse("[DATASET1]\n" + first + second + "\n"), ConfigParseResult::Ok);
    EXPECT_EQ(std::string(name(0, 0)), std::string(249, 'a'));
    EXPECT_EQ(std::string(name(0, 1)), std::string(39, 'b'));
}

TEST_F(ConfigTest, EveryLineEndStyleReadsTheSame) {
    const std::string lines[] = {
        "[CONFIG]", "FullSizeWindow=0", "", "[DATASET2]", "Name1 = p", "", "Index1 = 2", "Name8=q"};
    for (const std::string &end : {"\r"s, "\n"s, "\r\n"s, "\n\r"s}) {
        std::string text;
        for (const std::string &line : lines)
            text += line + end;
        text.pop_back(); // a last line without its (complete) end is still a line
        state_->resetToDefaults();
        ASSERT_EQ(parse(text), ConfigParseResult::Ok);
        EXPECT_EQ(state_->FullSizeWindow, 0);
        EXPECT_STREQ(name(1, 0), "p");
        EXPECT_EQ(state_->Index[1][0], 2);
        EXPECT_STREQ(name(1, 7), "q");
    }
}

TEST_F(ConfigTest, EachResultLogsItsExactLines) {
    const struct {
        const char *Text;
        std::string Log;
    } cases[] = {
        {"[CONFIG]\nWindow = 1\n", "Window is an invalid field\nParse Error in Config data\n"},
        {"[SETS]\nName1 = a\n", "SETS is an invalid section name\nParse Error in Section Name\n"},
        {"[DATASET1]\nNom1 = a\n", "Nom1 is an invalid field\nParse Error in DataSet1 data\n"},
        {"[DATASET2]\nNom2 = a\n", "Nom2 is an invalid field\nParse Error in DataSet2 data\n"},
        {"[DATASET3]\nNom3 = a\n", "Nom3 is an invalid field\nParse Error in DataSet3 data\n"},
        {"[DATASET3]\nName3 = a\n", kLogOk},
    };
    for (const auto &c : cases) {
        plotwright_test::resetStartedHost(root_);
        EXPECT_EQ(load(c.Text), kLogStart + c.Log) << c.Text;
    }
}

TEST_F(ConfigTest, LoadReturnsTrueOnlyWhenEverythingApplied) {
    writeFile(settingsPath_, "[DATASET1]\nName1=a\n");
    EXPECT_TRUE(loadConfigFile(*state_));
    writeFile(settingsPath_, "[DATASET1]\nName=a\n");
    EXPECT_FALSE(loadConfigFile(*state_));
}

TEST_F(ConfigTest, LongestDetailMessagesAreLoggedWhole) {
    const std::string section(253, 'S');
    EXPECT_EQ(load("[" + section + "]\nName1=a\n"),
              kLogStart + section + " is an invalid section name\nParse Error in Section Name\n");
    plotwright_test::resetStartedHost(root_);
    const std::string key(254, 'K');
    EXPECT_EQ(load("[DATASET1]\n" + key + "=\n"),
              kLogStart + key + " is an invalid field\nParse Error in DataSet1 data\n");
}

TEST_F(ConfigTest, MissingOrUnreadableFileKeepsTheDefaults) {
    const std::string noFileLog = "Plotwright - No Plotwright.ini file found.\n"
                                  "Plotwright - Will Use Default Settings.\n";
    state_->Index[0][0] = 9;
    EXPECT_FALSE(loadConfigFile(*state_));
    EXPECT_EQ(xphost::logText(), kLogStart + noFileLog);

    // Something that is there but is no file to read is named as such, on every platform;
    // a FIFO with no writer is refused at once rather than waited on for good.
#if !defined(_WIN32)
    alarm(60);
#endif
#if defined(_WIN32)
    const char *const kinds[] = {"folder"}; // Windows has no FIFOs in the file system
#else
    const char *const kinds[] = {"folder", "fifo"};
#endif
    for (const char *kind : kinds) {
        plotwright_test::resetStartedHost(root_);
        std::filesystem::remove(plotwright_test::fsPath(settingsPath_));
        if (std::string(kind) == "folder")
            std::filesystem::create_directory(plotwright_test::fsPath(settingsPath_));
#if !defined(_WIN32)
        else
            ASSERT_EQ(mkfifo(settingsPath_.c_str(), 0600), 0);
#endif
        EXPECT_FALSE(loadConfigFile(*state_));
        EXPECT_EQ(xphost::logText(), kLogStart + "Plotwright - Could not read " + settingsPath_ +
                                         ": it is not a regular file.\n"
                                         "Plotwright - Will Use Default Settings.\n")
            << kind;
    }
#if !defined(_WIN32)
    alarm(0);
#endif
    EXPECT_EQ(state_->Index[0][0], 9);

#if !defined(_WIN32)
    // A file the plug-in may not read is not "not found": the log says why. The install moves
    // where the unprivileged reader can reach it, and only the file itself is closed to it.
    const plotwright_test::SharedTempFolder shared;
    plotwright_test::resetStartedHost(shared.path());
    for (const char *folder : {"Resources", "Resources/plugins", "Resources/plugins/Plotwright"})
        chmod((shared.path() + folder).c_str(), 0755);
    const std::string unreadable = xphost::pluginFolder() + "Plotwright.ini";
    std::snprintf(state_->SettingsPath, sizeof state_->SettingsPath, "%s", unreadable.c_str());
    writeFile(unreadable, "[CONFIG]\nFullSizeWindow = 0\n");
    chmod(unreadable.c_str(), 0);
    chmod(xphost::logPath().c_str(), 0666);
    const int status =
        plotwright_test::runUnprivileged([this] { return loadConfigFile(*state_) ? 1 : 0; });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(xphost::logText(), kLogStart + "Plotwright - Could not read " + unreadable +
                                     ": access was denied (" + std::strerror(EACCES) +
                                     ").\nPlotwright - Will Use Default Settings.\n");
    xphost::resetHost(root_);
#endif
}

// The package ships its example as PlotwrightExample.ini so an upgrade cannot overwrite the
// user's file: the example counts only while there is no Plotwright.ini.
TEST_F(ConfigTest, TheExampleIsReadOnlyWhenTheUserHasNoSettingsFile) {
    const std::string examplePath = pluginDir_ + "PlotwrightExample.ini";
    writeFile(examplePath, "[CONFIG]\nFullSizeWindow = 0\n[DATASET2]\nName3 = from/example\n");
    EXPECT_TRUE(loadConfigFile(*state_));
    EXPECT_STREQ(name(1, 2), "from/example");
    EXPECT_EQ(state_->FullSizeWindow, 0);
    EXPECT_EQ(xphost::logText(),
              kLogStart + "Plotwright - No Plotwright.ini file found.\n"
                          "Plotwright - Using the example settings, PlotwrightExample.ini.\n"
                          "Plotwright - parsing successful\n");

    // The user's own file wins whole, and the log reads as it did before the example existed.
    state_->resetToDefaults();
    xphost::resetHost(root_);
    EXPECT_EQ(load("[DATASET1]\nName1 = mine\n"), kLogStart + "Plotwright - parsing successful\n");
    EXPECT_STREQ(name(0, 0), "mine");
    EXPECT_STREQ(name(1, 2), "");
    EXPECT_EQ(state_->FullSizeWindow, 1);

    // A faulty example is reported like a faulty settings file.
    std::filesystem::remove(plotwright_test::fsPath(settingsPath_));
    writeFile(examplePath, "[DATASET9]\nName1 = a\n");
    xphost::resetHost(root_);
    EXPECT_FALSE(loadConfigFile(*state_));
    EXPECT_EQ(xphost::logText(),
              kLogStart + "Plotwright - No Plotwright.ini file found.\n"
                          "Plotwright - Using the example settings, PlotwrightExample.ini.\n"
                          "DATASET9 is an invalid section name\nParse Error in Section Name\n");

    // An example that cannot be read is named in the log, not passed over in silence.
    std::filesystem::remove(plotwright_test::fsPath(examplePath));
    std::filesystem::create_directory(plotwright_test::fsPath(examplePath));
    xphost::resetHost(root_);
    EXPECT_FALSE(loadConfigFile(*state_));
    EXPECT_EQ(xphost::logText(),
              kLogStart +
                  "Plotwright - No Plotwright.ini file found.\n"
                  "Plotwright - Using the example settings, PlotwrightExample.ini.\n"
                  "Plotwright - Could not read " +
                  examplePath +
                  ": it is not a regular file.\nPlotwright - Will Use Default Settings.\n");
}

TEST_F(ConfigTest, APathBeyondTheLimitIsSaidToBeTooLong) {
    // The start leaves the path empty when the simulator's folder is too deep for it.
    state_->SettingsPath[0] = '\0';
    EXPECT_FALSE(loadConfigFile(*state_));
    EXPECT_EQ(xphost::logText(), kLogStart +
                                     "Plotwright - Could not read Plotwright.ini: its path is "
                                     "too long (the limit is " +
                                     std::to_string(kMaxPathBytes - 1) +
                                     " bytes).\nPlotwright - Will Use Default Settings.\n");
}

TEST_F(ConfigTest, SettingsPathIsReadOnlyWithinItsField) {
    writeFile(settingsPath_, "[DATASET1]\nName1=a\n");
    EXPECT_TRUE(loadConfigFile(*state_));
    std::memset(state_->SettingsPath, 'x', sizeof state_->SettingsPath); // no NUL at all
    EXPECT_EQ(parseConfigFile(*state_, nullptr), ConfigParseResult::NoFile);
    EXPECT_FALSE(loadConfigFile(*state_));
}

TEST_F(ConfigTest, NulCharacterEndsItsLineAndIsReported) {
    EXPECT_EQ(load("[DATASET1]\nName1=ab\0cd]\nName2=x\n"s),
              kLogStart +
                  "Plotwright - 1 line(s) of Plotwright.ini hold a NUL character; each is read "
                  "only up to it.\n" +
                  kLogOk);
    EXPECT_STREQ(name(0, 0), "ab");
    EXPECT_STREQ(name(0, 1), "x");
}

TEST_F(ConfigTest, KeyLinesBeyondTheTableAreIgnoredAndReported) {
    std::string text = "[DATASET1]\n";
    for (int line = 1; line <= kConfigEntryCount + 10; ++line)
        text += "Index1 = " + std::to_string(line) + "\n";
    text += "[CONFIG]\nFullSizeWindow = 0\n";
    EXPECT_EQ(load(text), kLogStart +
                              "Plotwright - Plotwright.ini holds more than 1024 settings; the "
                              "rest of the file is ignored.\n" +
                              kLogOk);
    EXPECT_EQ(state_->Index[0][0], kConfigEntryCount);
    EXPECT_EQ(state_->FullSizeWindow, 1);
    // The fields after the table are untouched.
    EXPECT_EQ(state_->GraphWindowCreated, 0);
    EXPECT_EQ(state_->Recording, 0);
}

TEST_F(ConfigTest, EndlessOrHugeFileStopsAtTheSizeLimit) {
    const std::string note = "Plotwright - Plotwright.ini is longer than 1048576 characters; the "
                             "rest of the file is ignored.\n";
#if !defined(_WIN32)
    // An endless device is no settings file at all, and is not read.
    std::filesystem::create_symlink("/dev/zero", settingsPath_);
    loadConfigFile(*state_);
    EXPECT_NE(xphost::logText().find("it is not a regular file"), std::string::npos)
        << xphost::logText();

    std::filesystem::remove(plotwright_test::fsPath(settingsPath_));
    plotwright_test::resetStartedHost(root_);
#endif
    std::string text = "[DATASET1]\nName1 = a\n";
    while (text.size() <= 1u << 20)
        text += std::string(254, '#') + "\n";
    EXPECT_EQ(load(text + "Name2 = b\n"), kLogStart + note + kLogOk);
    EXPECT_STREQ(name(0, 0), "a");
    EXPECT_STREQ(name(0, 1), "");
}

} // namespace
