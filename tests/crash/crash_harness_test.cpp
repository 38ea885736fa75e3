// The crash test's harness on its own: the runner's start on the folder a killed run left keeps
// its files, its rows file counts exactly the rows an export holds, its real-time pacing takes
// the time it simulates without changing a byte of what is recorded; and the check of a
// recovered file refuses what is wrong with it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "crash/recovered_file_check.h"
#include "crash/runner_process.h"
#include "support/host_fixture.h"

namespace {
using plotwright_test::fileExists;
using plotwright_test::lineCount;
using plotwright_test::makeTempFolder;
using plotwright_test::readFile;
using plotwright_test::readRowsFile;
using plotwright_test::runRunner;
using plotwright_test::writeFile;

const char kPluginFolder[] = "/install/Resources/plugins/Plotwright/";

// Two seconds of a recording of a dataref that changes at every frame, set 1 exported.
const char kRecording[] = "settings <<END\n"
                          "[DATASET1]\n"
                          "Name1 = sim/test/time\n"
                          "Scaling1 = 1.0\n"
                          "END\n"
                          "dataref float sim/test/time = t\n"
                          "menu \"Graph Window\"\n"
                          "press \"Plotwright\" Record\n"
                          "wait 2 s\n"
                          "press \"Plotwright\" Stop\n"
                          "press \"Plotwright\" Export\n"
                          "expect file Plotwright1.csv exists\n";

std::string scenarioIn(const std::string &folder, const std::string &name,
                       const std::string &text) {
    writeFile(folder + name, text);
    return folder + name;
}

TEST(RunnerKeepInstall, KeepsWhatAKilledRunLeftAndStartsANewLog) {
    const std::string folder = makeTempFolder("keep");
    const std::string record = scenarioIn(folder, "record.scn", kRecording);
    const std::string restart = scenarioIn(folder, "restart.scn", "settings none\nstart\n");
    const std::string out = folder + "run";
    const std::string plugin = out + kPluginFolder;
    ASSERT_EQ(runRunner({"--scenario", record, "--out", out}, folder + "record.log"), 0)
        << readFile(folder + "record.log");
    ASSERT_TRUE(fileExists(plugin + "Plotwright1.csv"));
    const std::string exported = readFile(plugin + "Plotwright1.csv");
    // What a killed plug-in would leave: a file of its own, and the old log's last line.
    writeFile(plugin + "left-by-the-crash.bin", "journal");
    writeFile(out + "/install/Log.txt", "the killed run's last line\n");

    const std::vector<std::string> again = {"--scenario", restart,  "--out",
                                            out + "2",    "--root", out + "/install"};
    std::vector<std::string> keeping = again;
    keeping.push_back("--keep-install");
    ASSERT_EQ(runRunner(keeping, folder + "keep.log"), 0) << readFile(folder + "keep.log");
    EXPECT_EQ(readFile(plugin + "Plotwright1.csv"), exported);
    EXPECT_EQ(readFile(plugin + "left-by-the-crash.bin"), "journal");
    EXPECT_TRUE(fileExists(out + "/install/Log.txt"));
    EXPECT_EQ(readFile(out + "/install/Log.txt").find("the killed run's last line"),
              std::string::npos);
    // `settings none` means no settings file, also where an earlier run installed one.
    EXPECT_FALSE(fileExists(plugin + "Plotwright.ini"));

    // Without the option the folder is emptied, as before.
    ASSERT_EQ(runRunner(again, folder + "empty.log"), 0) << readFile(folder + "empty.log");
    EXPECT_FALSE(fileExists(plugin + "left-by-the-crash.bin"));
    EXPECT_FALSE(fileExists(plugin + "Plotwright1.csv"));

    // A folder this program did not make is never taken for a killed run's.
    const std::string foreign = folder + "X-Plane";
    std::filesystem::create_directories(std::filesystem::u8path(foreign));
    writeFile(foreign + "/Log.txt", "a real simulator's log\n");
    const std::string log = folder + "foreign.log";
    EXPECT_EQ(runRunner({"--scenario", restart, "--out", folder + "foreign", "--root", foreign,
                         "--keep-install"},
                        log),
              1);
    EXPECT_NE(readFile(log).find("holds files this program did not make"), std::string::npos)
        << readFile(log);
    EXPECT_EQ(readFile(foreign + "/Log.txt"), "a real simulator's log\n");
}

// The rows file ends at the export's line count at steady and uneven rates; paced to wall time,
// the same run takes at least the two seconds it records and exports the same bytes.
TEST(RunnerRowsFile, CountsTheExportedRowsAndPacingChangesNothing) {
    const std::string folder = makeTempFolder("rows");
    const std::string record = scenarioIn(folder, "record.scn", kRecording);
    for (const char *rate : {"30", "20..144"}) {
        SCOPED_TRACE(rate);
        const std::string name = std::string(rate) == "30" ? "steady" : "uneven";
        const std::string out = folder + name;
        ASSERT_EQ(runRunner({"--scenario", record, "--out", out, "--framerate", rate, "--rows-file",
                             out + ".rows"},
                            out + ".log"),
                  0)
            << readFile(out + ".log");
        const std::string exported = readFile(out + kPluginFolder + "Plotwright1.csv");
        EXPECT_GT(lineCount(exported), 150);
        EXPECT_EQ(readRowsFile(out + ".rows"), lineCount(exported));

        const auto begin = std::chrono::steady_clock::now();
        ASSERT_EQ(runRunner({"--scenario", record, "--out", out + "-paced", "--framerate", rate,
                             "--rows-file", out + "-paced.rows", "--real-time"},
                            out + "-paced.log"),
                  0)
            << readFile(out + "-paced.log");
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        // The frames after the first are paced: two seconds less the first frame, at the least.
        EXPECT_GE(seconds, 1.95);
        EXPECT_EQ(readFile(out + "-paced" + kPluginFolder + "Plotwright1.csv"), exported);
        EXPECT_EQ(readRowsFile(out + "-paced.rows"), lineCount(exported));
    }
}

TEST(RecoveredFileCheck, RefusesWhatIsMissingWrongOrShort) {
    using plotwright_test::checkRecoveredFile;
    std::string reference;
    for (int row = 0; row < 400; ++row)
        reference += std::to_string(row) + ".000000, 1.000000\n";
    const std::string first300 = reference.substr(0, reference.find("300.000000"));

    const auto kept = checkRecoveredFile(true, first300, reference, 310, 200);
    EXPECT_TRUE(kept.Passed) << kept.Why;
    EXPECT_EQ(kept.Rows, 300);
    EXPECT_EQ(kept.Lost, 10);
    // Rows recorded after the last report before the kill are no fault.
    EXPECT_TRUE(checkRecoveredFile(true, first300, reference, 290, 200).Passed);

    EXPECT_EQ(checkRecoveredFile(false, "", reference, 310, 200).Why, "no recovered file");

    std::string changed = first300;
    changed[changed.find("120.000000") + 2] = '1';
    EXPECT_EQ(checkRecoveredFile(true, changed, reference, 310, 200).Why,
              "bytes differ from the uninterrupted run's export at line 121: recovered "
              "'121.000000, 1.000000', expected '120.000000, 1.000000'");

    std::string skipped = first300;
    skipped.erase(skipped.find("50.000000"), std::string("50.000000, 1.000000\n").size());
    EXPECT_NE(checkRecoveredFile(true, skipped, reference, 310, 200).Why.find("at line 51"),
              std::string::npos);

    EXPECT_EQ(
        checkRecoveredFile(true, reference + "400.000000, 1.000000\n", reference, 310, 200).Why,
        "bytes differ from the uninterrupted run's export at line 401: recovered "
        "'400.000000, 1.000000', which the uninterrupted run never recorded");
    EXPECT_EQ(checkRecoveredFile(true, first300 + "300.0", reference, 310, 200).Why,
              "the file ends inside line 301");
    EXPECT_EQ(checkRecoveredFile(true, first300, reference, 501, 200).Why,
              "lost 201 of the 501 rows recorded before the kill (300 recovered), over the "
              "margin of 200");
    EXPECT_TRUE(checkRecoveredFile(true, first300, reference, 500, 200).Passed);
}

} // namespace
