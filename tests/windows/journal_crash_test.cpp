// win.xpl's journal against a killed process, under Wine: a child process of this program loads
// the module, records in real time until the journal on disk holds whole rows, and ends itself
// with TerminateProcess, so no XPluginStop runs, as when the simulator dies. This process then
// starts the module on the folder the child left, and its stop waits for the recovery: each
// recorded set must be back as the bytes an Export of the same recording writes (CR LF line
// ends), cut after a whole line and holding at least the rows the child saw journaled; the
// journal must be gone. A last run records, lets the journal reach the disk and stops cleanly:
// no journal may stay.
//
// The child stops itself once it has seen rows on disk rather than being killed at a moment the
// parent picks: which rows the journal holds at the kill is then known, whatever the machine's
// load.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "background/journal_format.h"
#include "support/host_fixture.h"
#include "xphost/datarefs.h"
#include "xphost/flight_loop.h"
#include "xphost/host.h"
#include "xphost/menus.h"
#include "xphost/plugin_loader.h"
#include "xphost/widgets.h"

namespace {
using namespace plotwright_test;

const char kChildSwitch[] = "--record-until-journaled";
constexpr int kRecordedSets = 2;
constexpr double kFramesPerSecond = 100;
// About 2.5 s of recording: some ten appends (one every 250 ms of wall time) reach the disk
// before the kill.
constexpr long long kRowsToSee = 250;
constexpr DWORD kFrameSleepMilliseconds = 10;
// The child gives up after this many frames (about a minute of wall time) without the rows.
constexpr long long kMostChildFrames = 6000;
constexpr DWORD kChildWaitMilliseconds = 90000;
// What the child's exit code says.
constexpr UINT kChildKilledItself = 3;
constexpr int kChildFailed = 4;

// The channels' values are the frame's number and a wave of it: the rows are the same whoever
// records them at the same frames, paced to wall time or not.
void driveSignals(double simTime) {
    const long long frame = std::llround(simTime * kFramesPerSecond);
    xphost::setDataRefValue("test/frame", static_cast<double>(frame));
    xphost::setDataRefValue("test/wave", 100.0 * std::sin(frame / 16.0));
}

const char kSettings[] = "[CONFIG]\nFullSizeWindow = 0\n"
                         "[DATASET1]\nName1 = test/frame\nScaling1 = 1.0\n"
                         "Name2 = test/wave\nScaling2 = 0.5\n"
                         "[DATASET2]\nName3 = test/wave\nScaling3 = 3\n";

std::string recoveredName(int set) { return "Plotwright" + std::to_string(set) + "-recovered.csv"; }
std::string exportName(int set) { return "Plotwright" + std::to_string(set) + ".csv"; }

// The install's host state, as the simulator starts a plug-in, without emptying the folder.
void resetOn(const std::string &root) {
    xphost::resetHost(root);
    xphost::defineDataRef("test/frame", xphost::DataRefKind::Int);
    xphost::defineDataRef("test/wave", xphost::DataRefKind::Float);
    xphost::setFrameRate(kFramesPerSecond);
    xphost::setFrameHook(driveSignals);
}

XPWidgetID only(XPWidgetID window, const std::string &label) {
    const auto found = xphost::findDescendants(window, label);
    return found.size() == 1 ? found[0] : nullptr;
}

// Starts the module, opens the graph window and presses Record at the same frame every time.
// Returns the graph window, or null with why.
XPWidgetID startRecording(xphost::PluginModule &module, std::string &why) {
    if (!module.load(modulePath(), &why)) return nullptr;
    if (module.start() != 1) {
        why = "XPluginStart failed";
        return nullptr;
    }
    if (!xphost::chooseMenuItem({"Plotwrite", "Graph Window"}, &why)) return nullptr;
    const XPWidgetID graph = xphost::findWindow("Plotwright");
    xphost::advanceSeconds(0.5);
    if (graph == nullptr || !xphost::clickWidget(only(graph, " Record"))) {
        why = "no Record button";
        return nullptr;
    }
    return graph;
}

// The plug-in folder's files whose names start with prefix and end with suffix.
std::vector<std::string> filesLike(const std::string &folder, const std::string &prefix,
                                   const std::string &suffix) {
    std::vector<std::string> found;
    for (const auto &entry : std::filesystem::directory_iterator(fsPath(folder))) {
        const std::string name = entry.path().filename().u8string();
        if (name.size() >= prefix.size() + suffix.size() &&
            name.compare(0, prefix.size(), prefix) == 0 &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            found.push_back(name);
    }
    return found;
}

class FileSource : public JournalSource {
public:
    explicit FileSource(const std::string &path) : in_(fsPath(path), std::ios::binary) {}
    bool read(void *out, std::size_t size, std::size_t &got) override {
        in_.read(static_cast<char *>(out), static_cast<std::streamsize>(size));
        got = static_cast<std::size_t>(in_.gcount());
        return !in_.bad();
    }

private:
    std::ifstream in_;
};

// The whole rows set 1's journal holds on disk right now, as its reader sees them.
long long journaledRows(const std::string &plugin) {
    const auto journals = filesLike(plugin, "Plotwright1-", ".journal");
    if (journals.size() != 1) return 0;
    FileSource source(plugin + journals[0]);
    JournalHeader header;
    const char *why = nullptr;
    if (!readJournalHeader(source, header, why)) return 0;
    std::vector<float> rows(std::size_t{kMaxJournalBatchRows} * kJournalRowValues);
    JournalEnd end = JournalEnd::Whole;
    long long total = 0;
    while (const std::uint32_t count =
               readJournalBatch(source, static_cast<std::uint64_t>(total), rows.data(), end))
        total += count;
    return total;
}

// The child: records in real time until set 1's journal shows kRowsToSee rows, writes how many
// it saw to root/journaled-rows, and ends the hard way.
int recordUntilJournaledThenDie(const std::string &root) {
    resetOn(root);
    const std::string plugin = xphost::pluginFolder();
    xphost::PluginModule module;
    std::string why;
    if (startRecording(module, why) == nullptr) {
        std::fprintf(stderr, "child: %s\n", why.c_str());
        return kChildFailed;
    }
    for (long long frame = 0; frame < kMostChildFrames; ++frame) {
        xphost::runFrames(1);
        Sleep(kFrameSleepMilliseconds);
        const long long rows = journaledRows(plugin);
        if (rows >= kRowsToSee) {
            writeFile(root + "journaled-rows", std::to_string(rows));
            TerminateProcess(GetCurrentProcess(), kChildKilledItself);
        }
    }
    std::fprintf(stderr, "child: the journal never held %lld rows:\n%s\n", kRowsToSee,
                 xphost::logText().c_str());
    return kChildFailed;
}

std::string utf8(const wchar_t *wide) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], size, nullptr, nullptr);
    text.resize(std::strlen(text.c_str()));
    return text;
}

std::wstring wide(const std::string &utf8Text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8Text.c_str(), -1, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8Text.c_str(), -1, &text[0], size);
    text.resize(std::wcslen(text.c_str()));
    return text;
}

// Runs this program as the child on root and returns its exit code (~0u when it could not run
// or did not end in time).
DWORD runChild(const std::string &root) {
    wchar_t self[MAX_PATH];
    if (GetModuleFileNameW(nullptr, self, MAX_PATH) == 0) return ~DWORD{0};
    std::wstring command =
        L"\"" + std::wstring(self) + L"\" " + wide(kChildSwitch) + L" \"" + wide(root) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(self, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return ~DWORD{0};
    DWORD code = ~DWORD{0};
    if (WaitForSingleObject(process.hProcess, kChildWaitMilliseconds) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

long long lineCount(const std::string &text) {
    long long lines = 0;
    for (char c : text)
        lines += c == '\n';
    return lines;
}

// Why text is not all whole CR LF lines, or "".
std::string crlfProblem(const std::string &text) {
    if (text.empty() || text.back() != '\n') return "the last line is not whole";
    for (std::size_t at = 0; at < text.size(); ++at) {
        const bool lineEnd = text[at] == '\n';
        const bool carriageReturn = text[at] == '\r';
        if (lineEnd && (at == 0 || text[at - 1] != '\r'))
            return "a line feed without a carriage return at byte " + std::to_string(at);
        if (carriageReturn && (at + 1 == text.size() || text[at + 1] != '\n'))
            return "a lone carriage return at byte " + std::to_string(at);
    }
    return "";
}

void expectNoHostErrors() {
    for (const std::string &error : xphost::hostErrors())
        ADD_FAILURE() << "host error: " << error;
}

TEST(JournalUnderWine, AKilledRecordingIsRecoveredAtTheNextStartAndACleanStopLeavesNoJournal) {
    const std::string root = makeTempFolder("journal-crash") + "install/";
    resetOn(root);
    const std::string plugin = xphost::pluginFolder();
    writeFile(plugin + "Plotwright.ini", kSettings);

    const DWORD childExit = runChild(root);
    ASSERT_EQ(childExit, kChildKilledItself) << "the child did not end itself after seeing rows";
    const long long rowsSeen = std::stoll("0" + readFile(root + "journaled-rows"));
    ASSERT_GE(rowsSeen, kRowsToSee);
    ASSERT_EQ(filesLike(plugin, "Plotwright1-", ".journal").size(), 1u) << "the killed run's";

    // The next start: its stop waits for the recovery.
    expectNoHostErrors();
    resetOn(root);
    {
        xphost::PluginModule module;
        std::string error;
        ASSERT_TRUE(module.load(modulePath(), &error)) << error;
        ASSERT_EQ(module.start(), 1);
        module.unload();
    }
    const std::string log = xphost::logText();
    EXPECT_NE(log.find("Plotwright - Recovered "), std::string::npos) << log;
    EXPECT_TRUE(filesLike(plugin, "", ".journal").empty()) << log;
    std::string recovered[kRecordedSets];
    long long mostRows = 0;
    for (int set = 1; set <= kRecordedSets; ++set) {
        ASSERT_TRUE(fileExists(plugin + recoveredName(set))) << recoveredName(set) << "\n" << log;
        recovered[set - 1] = readFile(plugin + recoveredName(set));
        EXPECT_EQ(crlfProblem(recovered[set - 1]), "") << recoveredName(set);
        EXPECT_GE(lineCount(recovered[set - 1]), rowsSeen) << recoveredName(set);
        mostRows = std::max(mostRows, lineCount(recovered[set - 1]));
    }

    // The same recording at the same frames, unpaced and exported; the journal is waited for
    // on disk, so that the clean stop has one to remove.
    expectNoHostErrors();
    resetOn(root);
    {
        xphost::PluginModule module;
        std::string why;
        const XPWidgetID graph = startRecording(module, why);
        ASSERT_NE(graph, nullptr) << why;
        xphost::runFrames(mostRows + 10);
        for (int wait = 0; wait < 1000 && journaledRows(plugin) == 0; ++wait)
            Sleep(kFrameSleepMilliseconds);
        ASSERT_GT(journaledRows(plugin), 0) << "the journal never reached the disk";
        ASSERT_TRUE(xphost::clickWidget(only(graph, " Stop")));
        for (int set = 1; set <= kRecordedSets; ++set) {
            ASSERT_TRUE(xphost::clickWidget(only(graph, " Export")));
            ASSERT_TRUE(xphost::clickWidget(only(graph, " Next Set")));
        }
        module.unload();
    }
    EXPECT_TRUE(filesLike(plugin, "", ".journal").empty()) << "a clean stop left a journal";
    for (int set = 1; set <= kRecordedSets; ++set) {
        const std::string exported = readFile(plugin + exportName(set));
        ASSERT_GT(exported.size(), recovered[set - 1].size()) << exportName(set);
        EXPECT_TRUE(exported.compare(0, recovered[set - 1].size(), recovered[set - 1]) == 0)
            << recoveredName(set) << " is not the start of the export of the same rows";
    }
    expectNoHostErrors();
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 3 && std::strcmp(argv[1], kChildSwitch) == 0) {
        // The root in UTF-8, which argv's code page may not hold.
        int count = 0;
        wchar_t **wideArgs = CommandLineToArgvW(GetCommandLineW(), &count);
        if (wideArgs == nullptr || count != 3) return kChildFailed;
        const std::string root = utf8(wideArgs[2]);
        LocalFree(wideArgs);
        return recordUntilJournaledThenDie(root);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
