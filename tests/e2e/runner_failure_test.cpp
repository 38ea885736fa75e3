// The runner program as a user meets it: its exit status and messages for bad command lines,
// bad scenarios, lookups that find nothing and expectations the plug-in does not meet, and the
// summary of a run that passes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "support/host_fixture.h"

namespace {
using plotwright_test::fileExists;
using plotwright_test::makeTempFolder;
using plotwright_test::writeFile;

struct Outcome {
    int Status = -1;
    std::string Output; // stdout and stderr together
};

Outcome runRunner(const std::string &arguments) {
    const std::string command = std::string("ASAN_OPTIONS=detect_leaks=0 '") +
                                PLOTWRIGHT_HOST_RUNNER + "' " + arguments + " 2>&1";
    Outcome outcome;
    std::FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return outcome;
    char buffer[4096];
    while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
        outcome.Output.append(buffer, got);
    const int status = pclose(pipe);
    outcome.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

// Writes a scenario into a fresh folder and runs it with its output beside it.
Outcome runScenarioText(const std::string &text, std::string *folderOut = nullptr) {
    const std::string folder = makeTempFolder("runner");
    writeFile(folder + "test.scn", text);
    if (folderOut != nullptr) *folderOut = folder;
    return runRunner("--scenario '" + folder + "test.scn' --out '" + folder + "out'");
}

bool has(const Outcome &outcome, const std::string &text) {
    return outcome.Output.find(text) != std::string::npos;
}

TEST(RunnerCommandLine, HelpBadOptionsAndMissingScenario) {
    const Outcome help = runRunner("--help");
    EXPECT_EQ(help.Status, 0);
    EXPECT_TRUE(has(help, "Usage: plotwright-host [options] [SCENARIO]")) << help.Output;
    EXPECT_TRUE(has(help, "--screen WxH"));

    const Outcome unknown = runRunner("--fly");
    EXPECT_EQ(unknown.Status, 2);
    EXPECT_TRUE(has(unknown, "unknown option --fly")) << unknown.Output;

    const Outcome screen = runRunner("--screen 10x10");
    EXPECT_EQ(screen.Status, 2);
    EXPECT_TRUE(has(screen, "--screen wants WIDTHxHEIGHT")) << screen.Output;

    const Outcome missing = runRunner("--scenario /nonexistent/flight.scn");
    EXPECT_EQ(missing.Status, 2);
    EXPECT_TRUE(has(missing, "/nonexistent/flight.scn: cannot read the scenario file"))
        << missing.Output;

    // The built-in demo is well formed.
    const Outcome demo = runRunner("--check");
    EXPECT_EQ(demo.Status, 0) << demo.Output;
    EXPECT_TRUE(has(demo, "no errors"));
}

TEST(RunnerScenarioErrors, BadLinesStopTheRunBeforeItStarts) {
    struct Case {
        const char *Text;
        const char *Message;
    };
    const Case cases[] = {
        {"wait 1 s\nhover 3 s\n", "test.scn:2: unknown command 'hover'"},
        {"wait three s\n", "test.scn:1: expected a number of seconds or ticks, found 'three'"},
        {"dataref long sim/x = 1\n",
         "test.scn:1: expected a dataref type: int, float, double, int[N], float[N] or byte[N], or "
         "several joined by '+' (int+float, float[8]+int[8]), found 'long'"},
        {"dataref float sim/x = 2 * (t\n", "test.scn:1: bad formula '2 * (t'"},
    };
    for (const Case &c : cases) {
        std::string folder;
        const Outcome outcome = runScenarioText(c.Text, &folder);
        EXPECT_EQ(outcome.Status, 2) << c.Text;
        EXPECT_TRUE(has(outcome, c.Message))
            << "wanted: " << c.Message << "\ngot: " << outcome.Output;
        EXPECT_FALSE(fileExists(folder + "out/install")) << "nothing runs after a bad line";
    }
}

TEST(RunnerScenarioErrors, UnknownWindowsButtonsAndColumnsSayWhatThereIs) {
    const Outcome window =
        runScenarioText("menu \"Graph Window\"\npress \"Plotwrite Window\" Record\n");
    EXPECT_EQ(window.Status, 1);
    EXPECT_TRUE(has(window, "test.scn:2: no window's caption starts with \"Plotwrite Window\"; "
                            "open windows: \"Plotwright v1.40"))
        << window.Output;

    const Outcome button =
        runScenarioText("menu \"Graph Window\"\npress \"Plotwright\" Recrod\nwait 1 s\n");
    EXPECT_EQ(button.Status, 1);
    EXPECT_TRUE(has(button, "test.scn:2: no button \"Recrod\" in the window \"Plotwright v1.40 - "
                            "live dataref graphs\"; its buttons: \"Record\", \"Stop\", \"Clear\", "
                            "\"Export\""))
        << button.Output;
    EXPECT_FALSE(has(button, "test.scn:3")) << "the run stops at the failed action";

    const Outcome row = runScenarioText(
        "menu \"DataRef Setup\"\npress \"DataRef Setup\" \"Check DataRef\" row 9\n");
    EXPECT_EQ(row.Status, 1);
    EXPECT_TRUE(has(row, "has 8 buttons labelled \"Check DataRef\", not 9")) << row.Output;

    const Outcome column =
        runScenarioText("menu \"DataRef Setup\"\ntype \"DataRef Setup\" Name row 1 x\n");
    EXPECT_EQ(column.Status, 1);
    EXPECT_TRUE(has(column, "no column headed \"Name\"")) << column.Output;
    EXPECT_TRUE(has(column, "\"DataRef Name\"")) << column.Output;

    const Outcome hidden =
        runScenarioText("menu \"DataRef Scaling\"\npress \"Plotwright\" Record\n");
    EXPECT_EQ(hidden.Status, 1);
    EXPECT_TRUE(has(hidden, "is hidden (choose its menu item to show it again)")) << hidden.Output;
}

// Expectations the plug-in's real behaviour contradicts fail with the line that said so; the
// run goes on to check the rest, and the exit status is 1.
TEST(RunnerExpectations, UnmetExpectationsFailWithTheirLine) {
    const Outcome outcome =
        runScenarioText(R"(dataref float sim/flightmodel/position/indicated_airspeed = 100
menu "Graph Window"
press "Plotwright" Record
wait 100 ticks
press "Plotwright" Stop
press "Plotwright" Export
expect file Plotwright1.csv lines == 50
expect file Plotwright1.csv line 1 column 1 is "100.000000"
expect region "Plotwright" 50 50 749 529 has blue
expect text "Plotwright" after "Previous Set" is "2"
expect title "Plotwright" contains "v1.40"
)");
    EXPECT_EQ(outcome.Status, 1) << outcome.Output;
    EXPECT_TRUE(has(outcome, "test.scn:7: Plotwright1.csv has 91 lines, wanted == 50"))
        << outcome.Output;
    EXPECT_FALSE(has(outcome, "test.scn:8")) << outcome.Output;
    EXPECT_TRUE(has(outcome, "test.scn:9: no pixel within 12 of #0000ff in the region"))
        << outcome.Output;
    EXPECT_TRUE(has(outcome, "test.scn:10: found \"1\", wanted \"2\"")) << outcome.Output;
    EXPECT_TRUE(has(outcome, "3 failures:")) << outcome.Output;
    EXPECT_TRUE(has(outcome, "2 expectations met")) << outcome.Output;
}

TEST(RunnerExpectations, FormulaThatBreaksMidRunStopsIt) {
    const Outcome outcome =
        runScenarioText("dataref float sim/x = 1\nset sim/x = 1 / (t - 0.5)\nwait 2 s\n");
    EXPECT_EQ(outcome.Status, 1);
    EXPECT_TRUE(has(
        outcome, "test.scn:3: while setting datarefs: sim/x: the formula '1 / (t - 0.5)' gave inf"))
        << outcome.Output;
}

TEST(RunnerInstallFolder, AFolderWithOtherFilesIsNeverEmptied) {
    const std::string folder = makeTempFolder("runner-root");
    writeFile(folder + "precious.txt", "not the runner's");
    writeFile(folder + "test.scn", "wait 1 s\n");
    const Outcome outcome = runRunner("--scenario '" + folder + "test.scn' --out '" + folder +
                                      "out' --root '" + folder + "'");
    EXPECT_EQ(outcome.Status, 1);
    EXPECT_TRUE(has(outcome, "holds files this program did not make")) << outcome.Output;
    EXPECT_TRUE(fileExists(folder + "precious.txt"));
}

TEST(RunnerSummary, APassingRunNamesEveryFileItLeft) {
    std::string folder;
    const Outcome outcome = runScenarioText(R"(settings <<END
[CONFIG]
FullSizeWindow = 0
[DATASET1]
Name1 = sim/test/speed
Scaling1 = 1.0
END
dataref float sim/test/speed = 50
menu "Graph Window"
press "Plotwright" Record
wait 2 s
press "Plotwright" Export
screenshot shots/graph.png "Plotwright"
expect pixel "Plotwright" 100 130 is red
)",
                                            &folder);
    EXPECT_EQ(outcome.Status, 0) << outcome.Output;
    EXPECT_TRUE(has(outcome, "passed: ")) << outcome.Output;
    EXPECT_TRUE(has(outcome, "1 expectations met")) << outcome.Output;
    for (const char *file : {"shots/graph.png", "Plotwright1.csv", "Log.txt"}) {
        EXPECT_TRUE(has(outcome, std::string("  ") + file)) << file << "\n" << outcome.Output;
        EXPECT_TRUE(fileExists(folder + "out/" + file)) << file;
    }
    EXPECT_TRUE(has(outcome, "CSV export of data set 1, 191 samples")) << outcome.Output;
}

} // namespace
