// The scenario format as the runner reads it: words and quotes, every command's fields, the
// settings text, when the plug-in starts, formulas, comparisons, and the messages for bad lines.
#include <gtest/gtest.h>

#include <cmath>

#include "XPLMPlugin.h"
#include "expectations.h"
#include "formula.h"
#include "scenario_parser.h"
#include "scenario_tokens.h"

namespace {
using namespace plotwright_host;

Scenario parseOk(const std::string &text) {
    Scenario scenario;
    std::string error;
    EXPECT_TRUE(parseScenario(text, "t.scn", "/base", &scenario, &error)) << error;
    return scenario;
}

std::string parseError(const std::string &text) {
    Scenario scenario;
    std::string error;
    EXPECT_FALSE(parseScenario(text, "t.scn", "/base", &scenario, &error));
    return error;
}

template <class T> const T &commandAs(const Scenario &scenario, std::size_t index) {
    EXPECT_LT(index, scenario.Commands.size());
    const T *action = std::get_if<T>(&scenario.Commands.at(index).What);
    EXPECT_NE(action, nullptr) << "command " << index << " has another kind";
    static const T empty{};
    return action != nullptr ? *action : empty;
}

TEST(ScenarioTokens, QuotesKeepBlanksAndCommentsEndTheLine) {
    std::vector<Token> tokens;
    std::string error;
    ASSERT_TRUE(tokenizeLine(R"(press "Plotwright v1.40" "  ||" # pause)", &tokens, &error));
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_EQ(tokens[1].Text, "Plotwright v1.40");
    EXPECT_EQ(tokens[2].Text, "  ||");
    EXPECT_TRUE(tokens[2].Quoted);

    ASSERT_TRUE(tokenizeLine(R"(print "a \"b\" \\ c#d")", &tokens, &error));
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[1].Text, "a \"b\" \\ c#d");

    // Any byte can be typed, the back key and bytes that are not text among them; a backslash
    // not followed by two hexadecimal digits stays as written.
    ASSERT_TRUE(tokenizeLine(R"(type "ab\x08\xFF\x00\x4g\x")", &tokens, &error));
    ASSERT_EQ(tokens.size(), 2u);
    EXPECT_EQ(tokens[1].Text, std::string("ab\b\xFF\0\\x4g\\x", 11));

    EXPECT_FALSE(tokenizeLine("press \"open", &tokens, &error));
    EXPECT_NE(error.find("closing"), std::string::npos);
    EXPECT_EQ(stripComment("  wait 1 s  # and \"#\" "), "wait 1 s");
    EXPECT_EQ(stripComment("print \"#1\" # x"), "print \"#1\"");
}

// What the UI fuzzer writes into a session's scenario, and what the tools' messages show, the
// runner must read back byte for byte, a comment after it included.
TEST(ScenarioTokens, AQuotedWordReadsBackAsTheSameBytes) {
    std::string every;
    for (int code = 0; code < 256; ++code)
        every += static_cast<char>(code);
    for (const std::string &text : {every, std::string(" # \"\\"), std::string("ends \\"),
                                    std::string("\\x41 is not A"), std::string()}) {
        const std::string line = "type " + quoteWord(text) + " # note";
        std::vector<Token> tokens;
        std::string error;
        ASSERT_TRUE(tokenizeLine(stripComment(line), &tokens, &error)) << line << ": " << error;
        ASSERT_EQ(tokens.size(), 2u) << line;
        EXPECT_EQ(tokens[1].Text, text) << line;
        EXPECT_EQ(line.find_first_of(std::string("\0\n\r", 3)), std::string::npos) << line;
    }
}

TEST(ScenarioParser, ReadsEveryUserAction) {
    const Scenario s = parseOk(R"(screen 1024 768
dataref float+double sim/a = 30 + 2*t   # climbs
dataref int[8] sim/b
set sim/b[3] = i * 10
menu "Graph Window"
press "Plotwright" " Check DataRef" row 3
click "DataRef Setup" "DataRef Enabled" row 2
type "DataRef Setup" "DataRef Name" row 8 "sim/x/y"
close "DataRef Scaling"
track "Plotwright" click 0.25
track "Plotwright" drag thumb to 0.5
wait 2.5 s
wait 30 ticks
wait until 60 s
screenshot shots/graph.png "Plotwright"
print Climbing out
)");
    EXPECT_EQ(s.ScreenWidth, 1024);
    EXPECT_EQ(s.ScreenHeight, 768);
    EXPECT_EQ(s.SettingsFile.From, Settings::Source::Default);
    ASSERT_EQ(s.Commands.size(), 16u); // the implicit start included

    const DefineDataRef &a = commandAs<DefineDataRef>(s, 0);
    EXPECT_EQ(a.Name, "sim/a");
    EXPECT_EQ(a.TypeMask, xplmType_Float | xplmType_Double);
    EXPECT_EQ(a.Formula, "30 + 2*t");
    const DefineDataRef &b = commandAs<DefineDataRef>(s, 1);
    EXPECT_EQ(b.TypeMask, xplmType_IntArray);
    EXPECT_EQ(b.Length, 8u);
    EXPECT_TRUE(b.Formula.empty());
    const SetFormula &set = commandAs<SetFormula>(s, 2);
    EXPECT_EQ(set.Name, "sim/b");
    EXPECT_EQ(set.Element, 3);
    EXPECT_EQ(set.Formula, "i * 10");

    // The plug-in starts right before the first command that needs it.
    (void)commandAs<StartPlugin>(s, 3);
    EXPECT_EQ(s.Commands[3].Where.Line, 5);
    const ChooseMenu &menu = commandAs<ChooseMenu>(s, 4);
    EXPECT_EQ(menu.Path, (std::vector<std::string>{"Plotwrite", "Graph Window"}));
    const PressButton &press = commandAs<PressButton>(s, 5);
    EXPECT_EQ(press.Label, "Check DataRef");
    EXPECT_EQ(press.Occurrence, 3);
    EXPECT_EQ(commandAs<ClickCell>(s, 6).Row, 2);
    const TypeIntoCell &type = commandAs<TypeIntoCell>(s, 7);
    EXPECT_EQ(type.Column, "DataRef Name");
    EXPECT_EQ(type.Row, 8);
    EXPECT_EQ(type.Text, "sim/x/y");
    EXPECT_EQ(commandAs<CloseWindow>(s, 8).Window, "DataRef Scaling");
    EXPECT_DOUBLE_EQ(commandAs<TrackClick>(s, 9).At, 0.25);
    EXPECT_TRUE(commandAs<TrackDrag>(s, 10).FromThumb);
    EXPECT_DOUBLE_EQ(commandAs<TrackDrag>(s, 10).To, 0.5);
    EXPECT_EQ(commandAs<Wait>(s, 11).In, Wait::Unit::Seconds);
    EXPECT_DOUBLE_EQ(commandAs<Wait>(s, 11).Amount, 2.5);
    EXPECT_EQ(commandAs<Wait>(s, 12).In, Wait::Unit::Ticks);
    EXPECT_EQ(commandAs<Wait>(s, 13).In, Wait::Unit::UntilSeconds);
    EXPECT_EQ(commandAs<Screenshot>(s, 14).File, "shots/graph.png");
    EXPECT_EQ(commandAs<Screenshot>(s, 14).Window, "Plotwright");
    EXPECT_EQ(commandAs<Print>(s, 15).Text, "Climbing out");
}

// How the simulator runs its frames: a steady or uneven rate, a pause, and the flight-loop calls
// counted and compared.
TEST(ScenarioParser, ReadsCommandPressesAndHolds) {
    const Scenario s =
        parseOk("command plotwright/record_toggle\ncommand \"plotwright/export\" hold 30 ticks\n");
    ASSERT_EQ(s.Commands.size(), 3u); // the plug-in starts before the first press
    EXPECT_TRUE(std::holds_alternative<StartPlugin>(s.Commands[0].What));
    EXPECT_EQ(commandAs<PressCommand>(s, 1).Name, "plotwright/record_toggle");
    EXPECT_EQ(commandAs<PressCommand>(s, 1).HoldTicks, 0);
    EXPECT_EQ(commandAs<PressCommand>(s, 2).Name, "plotwright/export");
    EXPECT_EQ(commandAs<PressCommand>(s, 2).HoldTicks, 30);

    EXPECT_NE(parseError("command\n").find("t.scn:1: expected a command name"), std::string::npos);
    EXPECT_NE(parseError("command a/b hold 0 ticks\n").find("t.scn:1: expected a number of ticks"),
              std::string::npos);
    EXPECT_NE(parseError("command a/b hold 3 s\n").find("t.scn:1: expected 'ticks'"),
              std::string::npos);
    EXPECT_NE(parseError("command a/b now\n").find("t.scn:1: unexpected 'now'"), std::string::npos);
}

TEST(ScenarioParser, ReadsFrameRatesPausesAndCountedCalls) {
    const Scenario s = parseOk(R"(framerate 30
framerate 20..144 seed 9
pause
resume
count start
count stop
expect calls between 10 and 20
expect file Plotwright1.csv lines == calls
expect file Plotwright1.csv lines == rows within 1
)");
    const FrameRate &steady = commandAs<SetFrameRate>(s, 0).Rate;
    EXPECT_FALSE(steady.jittered());
    EXPECT_EQ(steady.Lowest, 30.0);
    const FrameRate &uneven = commandAs<SetFrameRate>(s, 1).Rate;
    EXPECT_EQ(uneven.Lowest, 20.0);
    EXPECT_EQ(uneven.Highest, 144.0);
    EXPECT_EQ(uneven.Seed, 9u);
    EXPECT_TRUE(commandAs<PauseSimulator>(s, 2).Paused);
    EXPECT_FALSE(commandAs<PauseSimulator>(s, 3).Paused);
    EXPECT_TRUE(commandAs<CountCalls>(s, 4).Start);
    EXPECT_FALSE(commandAs<CountCalls>(s, 5).Start);
    EXPECT_EQ(commandAs<Expect>(s, 7).What, Expect::Subject::Calls);
    EXPECT_EQ(commandAs<Expect>(s, 8).Compare.NumberIs, Comparison::Counted::Calls);
    EXPECT_EQ(commandAs<Expect>(s, 9).Compare.NumberIs, Comparison::Counted::Rows);
    EXPECT_EQ(commandAs<Expect>(s, 9).Compare.Within, 1.0);

    const struct {
        const char *Text;
        const char *Message;
    } bad[] = {
        {"framerate 0.5\n", "t.scn:1: expected a frame rate from 1 to 1000"},
        {"framerate 144..20\n", "t.scn:1: expected a frame rate from 1 to 1000"},
        {"framerate 30 seed 2\n", "t.scn:1: a seed belongs to a range"},
        {"count stop\n", "t.scn:1: count stop without a count start"},
        {"count calls\n", "t.scn:1: expected count start or count stop"},
    };
    for (const auto &c : bad) {
        const std::string error = parseError(c.Text);
        EXPECT_EQ(error.rfind(c.Message, 0), 0u) << "for: " << c.Text << "got: " << error;
    }
}

// Datarefs that come and go while the plug-in runs, offering several types at once, and the
// simulator's messages about aircraft and airports.
TEST(ScenarioParser, ReadsDatarefsThatComeAndGoAndTheSimulatorsMessages) {
    const Scenario s = parseOk(R"(start
dataref int+float+double acf/a = t
dataref float[4]+int[4]+byte[4] acf/b
withdraw acf/a
plane loaded
plane unloaded 3
airport loaded
)");
    ASSERT_EQ(s.Commands.size(), 7u);
    EXPECT_EQ(commandAs<DefineDataRef>(s, 1).TypeMask,
              xplmType_Int | xplmType_Float | xplmType_Double);
    EXPECT_EQ(commandAs<DefineDataRef>(s, 2).TypeMask,
              xplmType_FloatArray | xplmType_IntArray | xplmType_Data);
    EXPECT_EQ(commandAs<DefineDataRef>(s, 2).Length, 4u);
    EXPECT_EQ(commandAs<WithdrawDataRef>(s, 3).Name, "acf/a");
    EXPECT_EQ(commandAs<SendMessage>(s, 4).Message, XPLM_MSG_PLANE_LOADED);
    EXPECT_EQ(commandAs<SendMessage>(s, 4).Param, 0);
    EXPECT_EQ(commandAs<SendMessage>(s, 5).Message, XPLM_MSG_PLANE_UNLOADED);
    EXPECT_EQ(commandAs<SendMessage>(s, 5).Param, 3);
    EXPECT_EQ(commandAs<SendMessage>(s, 6).Message, XPLM_MSG_AIRPORT_LOADED);

    for (const char *bad :
         {"dataref float+int[4] acf/x", "dataref float[4]+int[5] acf/x", "dataref int+int acf/x",
          "dataref int+ acf/x", "plane crashed", "airport unloaded", "withdraw"})
        EXPECT_EQ(parseError(std::string(bad) + "\n").rfind("t.scn:1: ", 0), 0u) << bad;
}

TEST(ScenarioParser, ReadsExpectations) {
    const Scenario s = parseOk(R"(start
expect cell "DataRef Scaling" "Data Max" row 1 between 10 and 20
expect text "Plotwright" after "Previous Set" is 2
expect unchecked "DataRef Setup" "DataRef Enabled" row 8
expect window "DataRef Setup" hidden
expect file Plotwright1.csv line last column 3 >= 1.5
expect file Plotwright1.csv lines == 100
expect file PlotwrightNew.ini contains "Name1"
expect file Plotwright2.csv absent
expect log matches "^Plotwright - "
expect pixel "Plotwright" 60 200 is red within 20
expect region screen 0 0 10 10 lacks #00ff00
)");
    ASSERT_EQ(s.Commands.size(), 12u);
    const Expect &cell = commandAs<Expect>(s, 1);
    EXPECT_EQ(cell.What, Expect::Subject::CellText);
    EXPECT_EQ(cell.Compare.Kind, Comparison::Op::Between);
    EXPECT_DOUBLE_EQ(cell.Compare.Number2, 20.0);
    EXPECT_EQ(commandAs<Expect>(s, 2).Label, "Previous Set");
    EXPECT_FALSE(commandAs<Expect>(s, 3).Checked);
    EXPECT_EQ(commandAs<Expect>(s, 4).WindowState, Expect::State::Hidden);
    const Expect &line = commandAs<Expect>(s, 5);
    EXPECT_EQ(line.Line, 0);
    EXPECT_EQ(line.FileColumn, 3);
    EXPECT_EQ(commandAs<Expect>(s, 6).What, Expect::Subject::FileLineCount);
    EXPECT_EQ(commandAs<Expect>(s, 7).What, Expect::Subject::FileText);
    EXPECT_FALSE(commandAs<Expect>(s, 8).Exists);
    const Expect &pixel = commandAs<Expect>(s, 10);
    EXPECT_EQ(pixel.Want.Red, 255);
    EXPECT_EQ(pixel.Tolerance, 20);
    const Expect &region = commandAs<Expect>(s, 11);
    EXPECT_TRUE(region.Window.empty()); // the whole screen
    EXPECT_FALSE(region.Present);
    EXPECT_EQ(region.Want.Green, 255);
}

TEST(ScenarioParser, SettingsTextAndPlacement) {
    const Scenario inline_ =
        parseOk("settings <<END\n[CONFIG]\nFullSizeWindow = 0\n  END\nwait 1 s\n");
    EXPECT_EQ(inline_.SettingsFile.From, Settings::Source::Inline);
    EXPECT_EQ(inline_.SettingsFile.PathOrText, "[CONFIG]\nFullSizeWindow = 0\n");
    // The start is added at the end when nothing needs the plug-in earlier.
    ASSERT_EQ(inline_.Commands.size(), 2u);
    (void)commandAs<StartPlugin>(inline_, 1);

    EXPECT_EQ(parseOk("settings none\n").SettingsFile.From, Settings::Source::None);
    EXPECT_EQ(parseOk("settings file my.ini\n").SettingsFile.PathOrText, "my.ini");

    EXPECT_EQ(parseError("settings <<END\n[CONFIG]\n"),
              "t.scn:1: the settings text begun here has no closing 'END' line");
    EXPECT_NE(parseError("menu \"Graph Window\"\nsettings none\n")
                  .find("t.scn:2: settings must come before"),
              std::string::npos);
    EXPECT_NE(parseError("settings none\nsettings default\n")
                  .find("t.scn:2: the settings file is already given"),
              std::string::npos);
    EXPECT_NE(parseError("start\nstart\n").find("t.scn:2:"), std::string::npos);
}

TEST(ScenarioParser, BadLinesNameTheLineAndWhatWasExpected) {
    struct Case {
        const char *Text;
        const char *Message;
    };
    const Case cases[] = {
        {"\n\nfly to KSEA\n", "t.scn:3: unknown command 'fly'; expected one of: screen, settings"},
        {"wait abc s\n", "t.scn:1: expected a number of seconds or ticks, found 'abc'"},
        {"wait 2 minutes\n", "t.scn:1: expected the unit s or ticks, found 'minutes'"},
        {"wait 1.5 ticks\n", "t.scn:1: expected a whole number of ticks"},
        {"wait 90000 s\n", "t.scn:1: a wait stops at one simulated day"},
        {"dataref quad sim/x\n",
         "t.scn:1: expected a dataref type: int, float, double, int[N], float[N] or byte[N], or "
         "several joined by '+' (int+float, float[8]+int[8]), found 'quad'"},
        {"dataref float[0] sim/x\n", "t.scn:1: expected an array length from 1"},
        {"dataref double[4] sim/x\n", "t.scn:1: expected a dataref type"},
        {"dataref float sim/x = 3 +\n", "t.scn:1: bad formula '3 +'"},
        {"dataref float sim/x = speed * 2\n", "t.scn:1: bad formula 'speed * 2'"},
        {"set sim/x\n", "t.scn:1: expected 'set NAME = FORMULA'"},
        {"set sim/x[a] = 1\n", "t.scn:1: expected NAME[ELEMENT]"},
        {"press \"Plotwright\"\n", "t.scn:1: expected a button label but the line ends"},
        {"press \"Plotwright\" Record row x\n",
         "t.scn:1: expected a row number (a whole number), found 'x'"},
        {"click \"DataRef Setup\" \"DataRef Enabled\" row 0\n",
         "t.scn:1: expected a row number from 1"},
        {"track \"Plotwright\" click 1.5\n", "t.scn:1: expected where to click from 0 to 1"},
        {"screenshot graph.jpg\n", "t.scn:1: expected a file name ending in .png"},
        {"screenshot ../graph.png\n", "t.scn:1: a screenshot stays inside the output folder"},
        {"expect cell \"W\" \"C\" row 1 resembles x\n", "t.scn:1: expected a comparison"},
        {"expect file a.csv lines contains 3\n", "t.scn:1: expected a numeric comparison"},
        {"expect log matches \"(\"\n", "t.scn:1: bad regular expression"},
        {"expect pixel \"W\" 1 2 is mauve\n", "t.scn:1: expected a colour"},
        {"expect region \"W\" 5 5 1 1 has red\n",
         "t.scn:1: a region is given as left top right bottom"},
        {"expect weather fine\n", "t.scn:1: expected what to expect"},
        {"close \"W\" now\n", "t.scn:1: unexpected 'now' at the end of the line"},
    };
    for (const Case &c : cases) {
        const std::string error = parseError(c.Text);
        EXPECT_EQ(error.rfind(c.Message, 0), 0u) << "for: " << c.Text << "got: " << error;
    }
}

TEST(ScenarioParser, MissingFileIsReported) {
    Scenario scenario;
    std::string error;
    EXPECT_FALSE(loadScenarioFile("/nonexistent/flight.scn", &scenario, &error));
    EXPECT_NE(error.find("/nonexistent/flight.scn: cannot read the scenario file"),
              std::string::npos);
}

TEST(Formulas, HelpersAndVariables) {
    std::string error;
    auto value = [&](const std::string &text, double t, double element = 0.0) {
        std::unique_ptr<Formula> formula = Formula::compile(text, &error);
        EXPECT_TRUE(formula) << error;
        double result = NAN;
        if (formula) {
            EXPECT_TRUE(formula->evaluate(t, element, &result, &error)) << error;
        }
        return result;
    };
    EXPECT_DOUBLE_EQ(value("ramp(t, 10, 20)", 5), 0.0);
    EXPECT_DOUBLE_EQ(value("ramp(t, 10, 20)", 15), 0.5);
    EXPECT_DOUBLE_EQ(value("ramp(t, 10, 20)", 25), 1.0);
    EXPECT_DOUBLE_EQ(value("smooth(t, 0, 4)", 1), 0.15625);
    EXPECT_DOUBLE_EQ(value("step(t, 3)", 2.99), 0.0);
    EXPECT_DOUBLE_EQ(value("step(t, 3)", 3), 1.0);
    EXPECT_DOUBLE_EQ(value("clamp(t, -1, 1)", 7), 1.0);
    EXPECT_DOUBLE_EQ(value("t > 5 ? 100 + i : 0", 6, 2), 102.0);
    EXPECT_NEAR(value("sin(pi / 2)", 0), 1.0, 1e-12);
    // noise: repeatable, bounded, continuous.
    for (double t = 0.0; t < 50.0; t += 0.37) {
        const double n = value("noise(t, 7)", t);
        EXPECT_GE(n, -1.0);
        EXPECT_LE(n, 1.0);
        EXPECT_EQ(n, value("noise(t, 7)", t));
        EXPECT_NEAR(n, value("noise(t, 7)", t + 0.001), 0.01);
    }
    EXPECT_NE(value("noise(t, 1)", 3.5), value("noise(t, 2)", 3.5));

    std::unique_ptr<Formula> pole = Formula::compile("1 / (t - 2)", &error);
    ASSERT_TRUE(pole);
    double result = 0.0;
    EXPECT_FALSE(pole->evaluate(2.0, 0.0, &result, &error));
    EXPECT_NE(error.find("gave inf"), std::string::npos) << error;
    EXPECT_FALSE(Formula::compile("1/0", &error)); // not a number already at t = 0
}

TEST(Comparisons, TextAndNumbers) {
    std::string why;
    auto compare = [&](const std::string &observed, const std::string &line) {
        Scenario s;
        std::string error;
        EXPECT_TRUE(parseScenario("expect log " + line + "\n", "c.scn", ".", &s, &error)) << error;
        return compareText(observed, std::get<Expect>(s.Commands.at(1).What).Compare, &why);
    };
    EXPECT_TRUE(compare("   152.250", "> 150"));
    EXPECT_FALSE(compare("   152.250", "< 150"));
    EXPECT_EQ(why, "found 152.250, wanted < 150");
    EXPECT_TRUE(compare("1", "== 1"));
    EXPECT_TRUE(compare("7", "between 7 and 8"));
    EXPECT_FALSE(compare("DR1", ">= 0"));
    EXPECT_NE(why.find("not a number"), std::string::npos);
    EXPECT_TRUE(compare("a line\nPlotwright - read\n", "matches \"^Plotwright - \""));
    EXPECT_TRUE(compare("Plotwright v1.40", "contains v1.40"));
    EXPECT_FALSE(compare("Plotwright v1.40", "lacks v1.40"));
    EXPECT_FALSE(compare("1.000000", "is 1"));
    EXPECT_EQ(why, "found \"1.000000\", wanted \"1\"");
}

} // namespace
