// The export files: the "%f" text of every value (checked against the C library itself over
// millions of values), the layout of the lines, and where the files go or do not go.

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <random>
#include <string>

#include "core/file_access.h"
#include "graph/csv_format.h"
#include "graph/sample_store.h"
#include "support/file_faults.h"
#include "support/host_fixture.h"
#include "windows_header.h"
#include "xphost/host.h"

namespace {

using plotwright_test::fileExists;
using plotwright_test::HostTest;
using plotwright_test::readFile;
using plotwright_test::textFileBytes;
using plotwright_test::writeFile;

float floatFromBits(std::uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// C's "%f" of the value. Only the sign of a NaN is the C library's choice: glibc writes "-nan"
// for a negative one and mingw's printf "nan"; the export writes glibc's spelling everywhere, so
// its files are the same on every platform.
std::string printfFixed(float value, int decimals = 6) {
    if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
    char text[kMaxFixedFloatChars + 1];
    std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(value));
    return text;
}

std::string fastFixed(float value, int decimals = 6) {
    char text[kMaxFixedFloatChars];
    char *end = writeFixedFloat(text, value, decimals);
    return std::string(text, static_cast<std::size_t>(end - text));
}

// Compares and stops at the first few differences, so a fault does not flood the log.
class FixedFloatMatchesPrintf : public ::testing::Test {
protected:
    void check(float value, int decimals = 6) {
        const std::string expected = printfFixed(value, decimals);
        const std::string actual = fastFixed(value, decimals);
        if (expected == actual) return;
        std::uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        if (++mismatches_ <= 10) {
            ADD_FAILURE() << decimals << " decimals, bits 0x" << std::hex << bits
                          << ": printf gives '" << expected << "', export gives '" << actual << "'";
        }
    }
    int mismatches_ = 0;
};

TEST_F(FixedFloatMatchesPrintf, SpecialValues) {
    const float infinity = std::numeric_limits<float>::infinity();
    // 0x7f800001 is a signalling NaN, 0xffc12345 a negative NaN with a payload.
    const float specials[] = {0.0f,
                              -0.0f,
                              infinity,
                              -infinity,
                              std::numeric_limits<float>::quiet_NaN(),
                              -std::numeric_limits<float>::quiet_NaN(),
                              floatFromBits(0x7f800001u),
                              floatFromBits(0xffc12345u),
                              FLT_MAX,
                              -FLT_MAX,
                              FLT_MIN,
                              -FLT_MIN,
                              std::numeric_limits<float>::denorm_min(),
                              -std::numeric_limits<float>::denorm_min(),
                              FLT_EPSILON,
                              1e-6f,
                              -1e-6f,
                              5e-7f,
                              -5e-7f,
                              4.9999999e-7f,
                              5.0000006e-7f,
                              1e-7f,
                              9.9999995e-7f,
                              0.9999995f,
                              0.99999994f,
                              -0.9999995f,
                              999999.94f,
                              16777216.0f,
                              16777215.0f,
                              1e10f,
                              -1e10f,
                              3.4e38f,
                              0.1f,
                              0.2f,
                              0.3f,
                              -0.125f,
                              1.5f,
                              100.0f,
                              250.0f};
    for (float value : specials)
        check(value);
    EXPECT_EQ(fastFixed(-0.0f), "-0.000000");
    EXPECT_EQ(fastFixed(-1e-9f), "-0.000000");
    EXPECT_EQ(fastFixed(FLT_MAX), "340282346638528859811704183484516925440.000000");
}

// Halfway cases are the values with exactly seven binary fraction digits (odd multiples of
// 1/128): "%f" rounds them half to even, and so must the export.
TEST_F(FixedFloatMatchesPrintf, ExactTiesRoundHalfToEven) {
    for (int numerator = -300000; numerator <= 300000; ++numerator) {
        check(static_cast<float>(numerator) / 128.0f);
    }
    EXPECT_EQ(fastFixed(1.0f / 128.0f), "0.007812");
    EXPECT_EQ(fastFixed(3.0f / 128.0f), "0.023438");
}

TEST_F(FixedFloatMatchesPrintf, EveryExponentAroundItsPowerOfTwo) {
    for (std::uint32_t exponent = 0; exponent < 255; ++exponent) {
        for (std::uint32_t mantissa : {0u, 1u, 2u, 0x400000u, 0x7ffffeu, 0x7fffffu}) {
            const std::uint32_t bits = (exponent << 23) | mantissa;
            check(floatFromBits(bits));
            check(floatFromBits(bits | 0x80000000u));
        }
    }
}

TEST_F(FixedFloatMatchesPrintf, MillionsOfRandomBitPatterns) {
    std::mt19937 random(20240611u);
    for (int i = 0; i < 3000000; ++i)
        check(floatFromBits(random()));
    // Magnitudes that recordings really hold, where every decimal shows.
    std::uniform_real_distribution<float> everyday(-20000.0f, 20000.0f);
    for (int i = 0; i < 1000000; ++i)
        check(everyday(random));
    EXPECT_EQ(mismatches_, 0);
}

// The function promises every precision from 0 to 9, not only the "%f" of the export. With d
// decimals the exact ties are the odd multiples of 2^-(d+1); with none they are the halves,
// where the integer's own last digit decides.
TEST_F(FixedFloatMatchesPrintf, EveryPrecisionFromZeroToNine) {
    std::mt19937 random(15u);
    for (int decimals = 0; decimals <= 9; ++decimals) {
        const float tieStep = std::ldexp(1.0f, -(decimals + 1));
        for (int numerator = -4000; numerator <= 4000; ++numerator)
            check(static_cast<float>(numerator) * tieStep, decimals);
        for (int i = 0; i < 100000; ++i)
            check(floatFromBits(random()), decimals);
    }
    EXPECT_EQ(fastFixed(1.5f, 0), "2");
    EXPECT_EQ(fastFixed(2.5f, 0), "2");
    EXPECT_EQ(fastFixed(-0.5f, 0), "-0");
    EXPECT_EQ(mismatches_, 0);
}

TEST(CsvRow, MatchesTheEightFieldPrintfFormat) {
    std::mt19937 random(7u);
    char row[kMaxCsvRowChars];
    for (int i = 0; i < 20000; ++i) {
        float values[kCsvRowValues];
        for (float &value : values)
            value = floatFromBits(random());
        if (i == 0) {
            for (float &value : values)
                value = -FLT_MAX; // the longest row there is
        }
        char *end = writeCsvRow(row, values);
        ASSERT_LE(static_cast<std::size_t>(end - row), kMaxCsvRowChars);
        std::string expected;
        for (int k = 0; k < kCsvRowValues; ++k)
            expected += printfFixed(values[k]) + (k + 1 < kCsvRowValues ? ", " : "\n");
        ASSERT_EQ(std::string(row, static_cast<std::size_t>(end - row)), expected) << "row " << i;
    }
}

class CsvExport : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        store_ = std::make_unique<SampleStore>();
    }
    std::string exportPath(int set) const {
        return pluginDir_ + "Plotwright" + std::to_string(set + 1) + ".csv";
    }
    std::unique_ptr<SampleStore> store_;
};

TEST_F(CsvExport, WritesTheDocumentedLine) {
    const float first[8] = {1.5f, -2.0f, 0.0f, 0.25f, 100.0f, -0.125f, 3.0f, 250.0f};
    const float second[8] = {0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f};
    store_->appendSample(0, first);
    store_->appendSample(0, second);
    store_->exportSetCsv(0);
    EXPECT_EQ(readFile(exportPath(0)),
              textFileBytes("1.500000, -2.000000, 0.000000, 0.250000, 100.000000, -0.125000, "
                            "3.000000, 250.000000\n"
                            "0.100000, 0.100000, 0.100000, 0.100000, 0.100000, 0.100000, "
                            "0.100000, 0.100000\n"));
    // The export reads the store and leaves it as it was.
    EXPECT_EQ(store_->sampleCount(0), 2u);
}

TEST_F(CsvExport, EverySampleInOrderAcrossBlocksAndChunks) {
    std::mt19937 random(99u);
    std::string expected;
    const std::size_t count = 2 * SampleStore::kBlockFloats + 17;
    for (std::size_t i = 0; i < count; ++i) {
        float values[8];
        for (float &value : values)
            value = floatFromBits(random());
        store_->appendSample(1, values);
        for (int k = 0; k < 8; ++k)
            expected += printfFixed(values[k]) + (k < 7 ? ", " : "\n");
    }
    store_->exportSetCsv(1);
    const std::string written = readFile(exportPath(1));
    expected = textFileBytes(expected);
    EXPECT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written == expected) << "the export differs from printf's text";
}

TEST_F(CsvExport, EachSetGoesToItsOwnFile) {
    const float values[8] = {2, 2, 2, 2, 2, 2, 2, 2};
    store_->appendSample(2, values);
    store_->exportSetCsv(2);
    EXPECT_TRUE(fileExists(exportPath(2)));
    EXPECT_FALSE(fileExists(exportPath(0)));
    EXPECT_FALSE(fileExists(exportPath(1)));
    EXPECT_EQ(readFile(exportPath(2)).substr(0, 9), "2.000000,");

    store_->exportSetCsv(0);
    EXPECT_TRUE(fileExists(exportPath(0)));
    EXPECT_EQ(readFile(exportPath(0)), "");
}

TEST_F(CsvExport, AnEmptySetGivesAZeroByteFileAndASecondExportReplacesTheFirst) {
    writeFile(exportPath(1), "left over from an earlier run\n");
    store_->exportSetCsv(1);
    ASSERT_TRUE(fileExists(exportPath(1)));
    EXPECT_EQ(std::filesystem::file_size(plotwright_test::fsPath(exportPath(1))), 0u);

    const float many[8] = {1, 1, 1, 1, 1, 1, 1, 1};
    for (int i = 0; i < 3; ++i)
        store_->appendSample(1, many);
    store_->exportSetCsv(1);
    store_->clearSet(1);
    const float one[8] = {5, 5, 5, 5, 5, 5, 5, 5};
    store_->appendSample(1, one);
    store_->exportSetCsv(1);
    EXPECT_EQ(readFile(exportPath(1)), textFileBytes("5.000000, 5.000000, 5.000000, 5.000000, "
                                                     "5.000000, 5.000000, 5.000000, 5.000000\n"));
}

TEST_F(CsvExport, AFailedExportKeepsTheLastGoodFileAndSaysWhy) {
#if !defined(_WIN32)
    alarm(60); // a FIFO that blocked the export would hang here
#endif
    const float values[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (int i = 0; i < 300; ++i)
        store_->appendSample(0, values);
    store_->exportSetCsv(0);
    const std::string good = readFile(exportPath(0));
    ASSERT_EQ(good.size(), 300 * (78 + textFileBytes("\n").size()));

    store_->appendSample(0, values);
#if !defined(_WIN32)
    // A full disk part-way through.
    plotwright_test::withFileSizeLimit(8192, [this] { store_->exportSetCsv(0); });
    EXPECT_EQ(readFile(exportPath(0)), good);
    EXPECT_FALSE(fileExists(exportPath(0) + kPartialFileSuffix));
    EXPECT_EQ(xphost::logText(), "Plotwright - Could not write " + exportPath(0) +
                                     ": writing it failed (" + std::strerror(EFBIG) + ").\n");

    // A FIFO under the export's name is refused at once and left alone.
    ASSERT_EQ(mkfifo(exportPath(1).c_str(), 0600), 0);
    store_->appendSample(1, values);
    store_->exportSetCsv(1);
    EXPECT_NE(xphost::logText().find(exportPath(1) + ": it is not a regular file.\n"),
              std::string::npos);
    alarm(0);
#endif

    // No folder to write into: nothing is written, the sample stays.
    std::filesystem::remove_all(plotwright_test::fsPath(pluginDir_));
    writeFile(root_ + "Resources/plugins/Plotwright", "not a folder");
    store_->exportSetCsv(0);
    EXPECT_EQ(readFile(root_ + "Resources/plugins/Plotwright"), "not a folder");
    EXPECT_EQ(store_->sampleCount(0), 301u);
}

#if defined(_WIN32)
// A spreadsheet holding the last export open is found before anything is formatted, and the log
// says so, rather than "access denied" once the new file could not take the old one's place.
TEST_F(CsvExport, AFileAnotherProgramHoldsOpenIsNamedAsInUse) {
    const float values[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    store_->appendSample(0, values);
    writeFile(exportPath(0), "earlier export\n");
    for (const DWORD sharing : {DWORD{0}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
        plotwright_test::resetStartedHost(xphost::installRoot());
        const HANDLE holder =
            CreateFileW(plotwright_test::fsPath(exportPath(0)).c_str(), GENERIC_READ, sharing,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        store_->exportSetCsv(0);
        const bool partialMade = fileExists(exportPath(0) + kPartialFileSuffix);
        CloseHandle(holder);
        EXPECT_EQ(xphost::logText(), "Plotwright - Could not write " + exportPath(0) +
                                         ": it is in use by another program.\n")
            << "sharing " << sharing;
        EXPECT_FALSE(partialMade);
        EXPECT_EQ(readFile(exportPath(0)), "earlier export\n");
    }
    // Let go, the same export goes through.
    store_->exportSetCsv(0);
    EXPECT_EQ(readFile(exportPath(0)).substr(0, 9), "1.000000,");
}
#endif

// A deep install folder: every path up to the one limit of the plug-in's files is written.
TEST_F(CsvExport, ADeepInstallFolderIsWritten) {
    std::string root = root_ + "deep/";
    while (root.size() < 450)
        root += std::string(60, 'x') + "/";
    plotwright_test::resetStartedHost(root);
    const float values[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    store_->appendSample(0, values);
    store_->exportSetCsv(0);
    EXPECT_EQ(readFile(xphost::pluginFolder() + "Plotwright1.csv").substr(0, 9), "1.000000,");
}

} // namespace
