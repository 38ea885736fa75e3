#include "scenario_parser.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <regex>
#include <sstream>

#include "XPLMPlugin.h"
#include "formula.h"
#include "scenario_tokens.h"

namespace plotwright_host {
namespace {

constexpr std::size_t kMaxArrayLength = 65536;
constexpr int kMaxScreenSide = 8192;
// A day of recording already holds 24 channels x 8.6 million samples; longer is a typo.
constexpr double kMaxWaitSeconds = 86400.0;
constexpr double kTicksPerSecond = 100.0;
// A key held for an hour is a typo.
constexpr long long kMaxHoldTicks = 360000;

const char kCommandList[] =
    "screen, settings, let, dataref, withdraw, plane, airport, set, start, stop, menu, press, "
    "command, click, type, close, track, wait, screenshot, print, expect, framerate, pause, "
    "resume, count";

// Thrown inside this file only, to leave a line's parsing at the first problem.
struct LineError {
    std::string Message;
};

[[noreturn]] void fail(const std::string &message) { throw LineError{message}; }

bool parseNumber(const std::string &text, double *value) {
    if (text.empty()) return false;
    errno = 0;
    char *end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(parsed))
        return false;
    *value = parsed;
    return true;
}

bool parseInteger(const std::string &text, long long *value) {
    if (text.empty()) return false;
    errno = 0;
    char *end = nullptr;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (end != text.c_str() + text.size() || errno == ERANGE) return false;
    *value = parsed;
    return true;
}

// The words of one line with a cursor; each take* names what it expected when it fails.
class Words {
public:
    explicit Words(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    bool done() const { return next_ >= tokens_.size(); }
    const std::string &peek() const { return tokens_[next_].Text; }
    bool peekIs(const char *word) const {
        return !done() && !tokens_[next_].Quoted && tokens_[next_].Text == word;
    }
    // Takes the next word if it is `word`.
    bool skip(const char *word) {
        if (!peekIs(word)) return false;
        ++next_;
        return true;
    }

    std::string take(const std::string &what) {
        if (done()) fail("expected " + what + " but the line ends");
        return tokens_[next_++].Text;
    }
    void expectWord(const char *word, const std::string &context) {
        const std::string found = take("'" + std::string(word) + "' " + context);
        if (found != word)
            fail("expected '" + std::string(word) + "' " + context + ", found '" + found + "'");
    }
    double takeNumber(const std::string &what) {
        const std::string text = take(what);
        double value = 0.0;
        if (!parseNumber(text, &value)) fail("expected " + what + ", found '" + text + "'");
        return value;
    }
    long long takeInteger(const std::string &what, long long low, long long high) {
        const std::string text = take(what);
        long long value = 0;
        if (!parseInteger(text, &value))
            fail("expected " + what + " (a whole number), found '" + text + "'");
        if (value < low || value > high)
            fail("expected " + what + " from " + std::to_string(low) + " to " +
                 std::to_string(high) + ", found " + text);
        return value;
    }
    int takeRow() {
        expectWord("row", "and a row number");
        return static_cast<int>(takeInteger("a row number", 1, 1000));
    }
    std::string rest(const std::string &what) {
        if (done()) fail("expected " + what + " but the line ends");
        std::string joined;
        while (!done()) {
            if (!joined.empty()) joined += ' ';
            joined += tokens_[next_++].Text;
        }
        return joined;
    }
    void end() {
        if (!done()) fail("unexpected '" + peek() + "' at the end of the line");
    }

private:
    std::vector<Token> tokens_;
    std::size_t next_ = 0;
};

// "float", "int+float+double", "float[8]", "float[8]+int[8]": each part one type bit; the
// parts of one dataref are all scalars or all arrays of one length.
int parseType(const std::string &text, std::size_t *length) {
    struct Named {
        const char *Name;
        int Bit;
        bool Array;
    };
    static const Named kTypes[] = {
        {"int", xplmType_Int, false},         {"float", xplmType_Float, false},
        {"double", xplmType_Double, false},   {"int", xplmType_IntArray, true},
        {"float", xplmType_FloatArray, true}, {"byte", xplmType_Data, true},
    };
    const std::string kExpected =
        "a dataref type: int, float, double, int[N], float[N] or byte[N], "
        "or several joined by '+' (int+float, float[8]+int[8])";
    int mask = 0;
    std::size_t arrayLength = 0;
    std::size_t from = 0;
    while (true) {
        const std::size_t plus = text.find('+', from);
        const std::string part = text.substr(from, plus == std::string::npos ? plus : plus - from);
        const std::size_t bracket = part.find('[');
        const std::string base = part.substr(0, bracket);
        const bool isArray = bracket != std::string::npos;
        const Named *found = nullptr;
        for (const Named &named : kTypes)
            if (base == named.Name && isArray == named.Array) found = &named;
        if (found == nullptr || (isArray && part.back() != ']'))
            fail("expected " + kExpected + ", found '" + text + "'");
        if ((mask & found->Bit) != 0)
            fail("the type '" + part + "' is given twice in '" + text + "'");
        if (mask != 0 && isArray != isArrayTypeMask(mask))
            fail("a dataref's types are all scalars or all arrays: '" + text + "'");
        if (isArray) {
            long long count = 0;
            const std::string digits = part.substr(bracket + 1, part.size() - bracket - 2);
            if (!parseInteger(digits, &count) || count < 1 ||
                count > static_cast<long long>(kMaxArrayLength))
                fail("expected an array length from 1 to " + std::to_string(kMaxArrayLength) +
                     " in '" + text + "'");
            if (arrayLength != 0 && arrayLength != static_cast<std::size_t>(count))
                fail("the arrays of one dataref have one length: '" + text + "'");
            arrayLength = static_cast<std::size_t>(count);
        }
        mask |= found->Bit;
        if (plus == std::string::npos) break;
        from = plus + 1;
    }
    *length = arrayLength == 0 ? 1 : arrayLength;
    return mask;
}

void checkDataRefName(const std::string &name) {
    if (name.empty()) fail("expected a dataref name");
    for (char c : name)
        if (c == ' ' || c == '\t' || c == '=' || c == '"')
            fail("a dataref name has no blanks, '=' or quotes: '" + name + "'");
}

// "name = formula" lines are split at the first '=' before tokenizing, so formulas keep their
// own syntax (and may contain '==').
void splitAssignment(const std::string &line, std::string *left, std::string *right,
                     bool *hasFormula) {
    const std::size_t equals = line.find('=');
    *hasFormula = equals != std::string::npos;
    *left = *hasFormula ? line.substr(0, equals) : line;
    *right = *hasFormula ? line.substr(equals + 1) : std::string();
}

Comparison parseComparison(Words &words, bool numericOnly) {
    Comparison compare;
    const std::string op =
        words.take("a comparison (is, contains, lacks, matches, ==, <, <=, >, >=, between)");
    struct NamedOp {
        const char *Name;
        Comparison::Op Kind;
        bool Numeric;
    };
    static const NamedOp kOps[] = {
        {"is", Comparison::Op::Is, false},          {"contains", Comparison::Op::Contains, false},
        {"lacks", Comparison::Op::Lacks, false},    {"matches", Comparison::Op::Matches, false},
        {"==", Comparison::Op::Equal, true},        {"<", Comparison::Op::Less, true},
        {"<=", Comparison::Op::LessEqual, true},    {">", Comparison::Op::Greater, true},
        {">=", Comparison::Op::GreaterEqual, true}, {"between", Comparison::Op::Between, true},
    };
    for (const NamedOp &named : kOps) {
        if (op != named.Name) continue;
        if (numericOnly && !named.Numeric)
            fail("expected a numeric comparison (==, <, <=, >, >=, between), found '" + op + "'");
        compare.Kind = named.Kind;
        if (named.Kind == Comparison::Op::Between) {
            compare.Number = words.takeNumber("the lower bound");
            words.expectWord("and", "between the bounds");
            compare.Number2 = words.takeNumber("the upper bound");
        } else if (named.Numeric) {
            if (words.skip("calls"))
                compare.NumberIs = Comparison::Counted::Calls;
            else if (words.skip("rows"))
                compare.NumberIs = Comparison::Counted::Rows;
            else
                compare.Number = words.takeNumber("a number, calls or rows after '" + op + "'");
            if (named.Kind == Comparison::Op::Equal && words.skip("within"))
                compare.Within = words.takeNumber("how far from it after 'within'");
        } else {
            compare.Text = words.take("the text to compare with");
            if (named.Kind == Comparison::Op::Matches) {
                try {
                    std::regex check(compare.Text, std::regex::ECMAScript | std::regex::multiline);
                } catch (const std::regex_error &e) {
                    fail("bad regular expression '" + compare.Text + "': " + e.what());
                }
            }
        }
        return compare;
    }
    fail(std::string("expected a comparison (is, contains, lacks, matches, ==, <, <=, >, >=, "
                     "between), found '") +
         op + "'");
}

Colour parseColour(const std::string &text) {
    struct Named {
        const char *Name;
        Colour Value;
    };
    // The graph's own colours, so scenarios can name the line they look for.
    static const Named kColours[] = {
        {"red", {255, 0, 0}},       {"green", {0, 255, 0}},    {"blue", {0, 0, 255}},
        {"white", {255, 255, 255}}, {"cyan", {0, 255, 255}},   {"yellow", {255, 255, 0}},
        {"magenta", {255, 0, 255}}, {"gray", {204, 204, 204}}, {"black", {0, 0, 0}},
        {"grid", {128, 128, 128}},
    };
    for (const Named &named : kColours)
        if (text == named.Name) return named.Value;
    if (text.size() == 7 && text[0] == '#') {
        Colour colour;
        int *parts[] = {&colour.Red, &colour.Green, &colour.Blue};
        for (int k = 0; k < 3; ++k) {
            const std::string hex = text.substr(1 + 2 * k, 2);
            char *end = nullptr;
            const long value = std::strtol(hex.c_str(), &end, 16);
            if (end != hex.c_str() + 2)
                fail("expected a colour like #ff8000, found '" + text + "'");
            *parts[k] = static_cast<int>(value);
        }
        return colour;
    }
    fail("expected a colour (#rrggbb, red, green, blue, white, cyan, yellow, magenta, gray, "
         "black or grid), found '" +
         text + "'");
}

void parseTolerance(Words &words, Expect *expect) {
    if (words.skip("within"))
        expect->Tolerance = static_cast<int>(words.takeInteger("a colour tolerance", 0, 255));
}

std::string takeWindow(Words &words) { return words.take("a window (a prefix of its caption)"); }

std::string takeRelativePath(Words &words, const std::string &what) {
    const std::string path = words.take(what);
    if (path.empty() || path.front() == '/')
        fail("expected " + what + " relative to its folder, found '" + path + "'");
    return path;
}

Expect parseExpect(Words &words) {
    Expect expect;
    const std::string subject = words.take("what to expect: cell, text, title, checked, unchecked, "
                                           "window, file, log, pixel, region or calls");
    if (subject == "cell") {
        expect.What = Expect::Subject::CellText;
        expect.Window = takeWindow(words);
        expect.Column = words.take("a column heading");
        expect.Row = words.takeRow();
        expect.Compare = parseComparison(words, false);
    } else if (subject == "text") {
        expect.What = Expect::Subject::TextRightOf;
        expect.Window = takeWindow(words);
        words.expectWord("after", "and the label the text follows");
        expect.Label = words.take("a label");
        expect.Compare = parseComparison(words, false);
    } else if (subject == "title") {
        expect.What = Expect::Subject::Title;
        expect.Window = takeWindow(words);
        expect.Compare = parseComparison(words, false);
    } else if (subject == "checked" || subject == "unchecked") {
        expect.What = Expect::Subject::CheckBox;
        expect.Checked = subject == "checked";
        expect.Window = takeWindow(words);
        expect.Column = words.take("a column heading");
        expect.Row = words.takeRow();
    } else if (subject == "calls") {
        expect.What = Expect::Subject::Calls;
        expect.Compare = parseComparison(words, true);
    } else if (subject == "window") {
        expect.What = Expect::Subject::WindowState;
        expect.Window = takeWindow(words);
        const std::string state = words.take("shown, hidden or absent");
        if (state == "shown")
            expect.WindowState = Expect::State::Shown;
        else if (state == "hidden")
            expect.WindowState = Expect::State::Hidden;
        else if (state == "absent")
            expect.WindowState = Expect::State::Absent;
        else
            fail("expected shown, hidden or absent, found '" + state + "'");
    } else if (subject == "file") {
        expect.Path = takeRelativePath(words, "a file in the plug-in's folder");
        if (words.skip("line")) {
            expect.What = Expect::Subject::FileLine;
            if (words.skip("last"))
                expect.Line = 0;
            else
                expect.Line =
                    static_cast<int>(words.takeInteger("a line number or 'last'", 1, 100000000));
            if (words.skip("column")) {
                expect.FileColumn =
                    static_cast<int>(words.takeInteger("a column number", 1, 10000));
            }
            expect.Compare = parseComparison(words, false);
        } else if (words.skip("lines")) {
            expect.What = Expect::Subject::FileLineCount;
            expect.Compare = parseComparison(words, true);
        } else if (words.peekIs("exists") || words.peekIs("absent")) {
            expect.What = Expect::Subject::FileExists;
            expect.Exists = words.take("exists") == "exists";
        } else {
            expect.What = Expect::Subject::FileText;
            expect.Compare = parseComparison(words, false);
        }
    } else if (subject == "log") {
        expect.What = Expect::Subject::Log;
        expect.Compare = parseComparison(words, false);
    } else if (subject == "pixel") {
        expect.What = Expect::Subject::Pixel;
        expect.Window = takeWindow(words);
        expect.X =
            static_cast<int>(words.takeInteger("an x from the picture's left", 0, kMaxScreenSide));
        expect.Y =
            static_cast<int>(words.takeInteger("a y from the picture's top", 0, kMaxScreenSide));
        words.expectWord("is", "and a colour");
        expect.Want = parseColour(words.take("a colour"));
        parseTolerance(words, &expect);
    } else if (subject == "region") {
        expect.What = Expect::Subject::Region;
        expect.Window = takeWindow(words);
        expect.X = static_cast<int>(words.takeInteger("the region's left x", 0, kMaxScreenSide));
        expect.Y = static_cast<int>(words.takeInteger("the region's top y", 0, kMaxScreenSide));
        expect.X2 = static_cast<int>(words.takeInteger("the region's right x", 0, kMaxScreenSide));
        expect.Y2 = static_cast<int>(words.takeInteger("the region's bottom y", 0, kMaxScreenSide));
        if (expect.X2 < expect.X || expect.Y2 < expect.Y)
            fail(
                "a region is given as left top right bottom, with right >= left and bottom >= top");
        const std::string has = words.take("has or lacks");
        if (has != "has" && has != "lacks") fail("expected has or lacks, found '" + has + "'");
        expect.Present = has == "has";
        expect.Want = parseColour(words.take("a colour"));
        parseTolerance(words, &expect);
    } else {
        fail("expected what to expect: cell, text, title, checked, unchecked, window, file, log, "
             "pixel or region; found '" +
             subject + "'");
    }
    words.end();
    return expect;
}

Wait parseWait(Words &words) {
    Wait wait;
    if (words.skip("until")) {
        wait.In = Wait::Unit::UntilSeconds;
    }
    wait.Amount = words.takeNumber("a number of seconds or ticks");
    if (wait.Amount < 0) fail("expected a time that is not negative");
    if (wait.Amount > kMaxWaitSeconds * kTicksPerSecond)
        fail("a wait stops at one simulated day (86400 s or 8640000 ticks)");
    const std::string unit = words.take("a unit: s or ticks");
    if (unit == "s" || unit == "second" || unit == "seconds") {
        if (wait.Amount > kMaxWaitSeconds)
            fail("a wait stops at one simulated day (86400 s or 8640000 ticks)");
    } else if ((unit == "tick" || unit == "ticks") && wait.In != Wait::Unit::UntilSeconds) {
        wait.In = Wait::Unit::Ticks;
        if (wait.Amount != std::floor(wait.Amount)) fail("expected a whole number of ticks");
    } else {
        fail(std::string("expected the unit ") +
             (wait.In == Wait::Unit::UntilSeconds ? "s" : "s or ticks") + ", found '" + unit + "'");
    }
    words.end();
    return wait;
}

class Parser {
public:
    Parser(const std::string &fileName, const std::string &baseDir, Scenario *scenario)
        : file_(fileName), scenario_(scenario) {
        scenario_->File = fileName;
        scenario_->BaseDir = baseDir;
    }

    bool run(const std::string &text, std::string *error) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        for (std::size_t index = 0; index < lines.size(); ++index) {
            const int number = static_cast<int>(index) + 1;
            try {
                parseLine(lines, &index);
            } catch (const LineError &e) {
                if (error != nullptr)
                    *error = file_ + ":" + std::to_string(number) + ": " + e.Message;
                return false;
            }
        }
        if (!started_)
            add(SourceLine{file_, static_cast<int>(lines.size())}, "start", StartPlugin{});
        return true;
    }

private:
    void add(const SourceLine &where, const std::string &text, Action action) {
        scenario_->Commands.push_back(Command{where, text, std::move(action)});
    }

    // The plug-in starts before the first command that needs it, unless `start` came earlier.
    void needPlugin(const SourceLine &where) {
        if (started_) return;
        started_ = true;
        add(where, "start", StartPlugin{});
    }
    void beforeStart(const char *what) {
        if (started_)
            fail(std::string(what) + " must come before the plug-in starts (before the first "
                                     "menu, press, command, click, type, close, track, screenshot, "
                                     "expect or start)");
    }

    // command NAME, or command NAME hold N ticks.
    void parseCommandPress(const SourceLine &where, const std::string &line, Words &words) {
        PressCommand press{words.take("a command name, e.g. plotwright/record_toggle"), 0};
        if (words.skip("hold")) {
            press.HoldTicks = words.takeInteger("a number of ticks to hold", 1, kMaxHoldTicks);
            const std::string unit = words.take("'ticks'");
            if (unit != "tick" && unit != "ticks")
                fail("expected 'ticks' after the number to hold, found '" + unit + "'");
        }
        words.end();
        needPlugin(where);
        add(where, line, std::move(press));
    }

    void parseLine(const std::vector<std::string> &lines, std::size_t *index) {
        const std::string raw = lines[*index];
        const std::string line = stripComment(raw);
        if (line.empty()) return;
        const SourceLine where{file_, static_cast<int>(*index) + 1};

        const std::string keyword = line.substr(0, line.find_first_of(" \t"));
        if (keyword == "dataref") return parseDefine(where, line);
        if (keyword == "set") return parseSet(where, line);
        if (keyword == "let") return parseLet(where, line);

        std::vector<Token> tokens;
        std::string tokenError;
        if (!tokenizeLine(line, &tokens, &tokenError)) fail(tokenError);
        Words words(tokens);
        const std::string command = words.take("a command");

        if (command == "screen") {
            beforeStart("screen");
            scenario_->ScreenWidth =
                static_cast<int>(words.takeInteger("a screen width", 320, kMaxScreenSide));
            scenario_->ScreenHeight =
                static_cast<int>(words.takeInteger("a screen height", 240, kMaxScreenSide));
            words.end();
        } else if (command == "settings") {
            beforeStart("settings");
            parseSettings(words, lines, index);
        } else if (command == "start") {
            words.end();
            if (started_) fail("the plug-in is already started by then");
            started_ = true;
            add(where, line, StartPlugin{});
        } else if (command == "stop") {
            words.end();
            needPlugin(where);
            if (stopped_) fail("the plug-in is already stopped");
            stopped_ = true;
            add(where, line, StopPlugin{});
        } else if (command == "withdraw") {
            WithdrawDataRef withdraw{words.take("a dataref name")};
            checkDataRefName(withdraw.Name);
            words.end();
            add(where, line, std::move(withdraw));
        } else if (command == "plane") {
            parsePlaneMessage(where, line, words);
        } else if (command == "airport") {
            if (words.take("'loaded'") != "loaded") fail("expected 'airport loaded'");
            words.end();
            needPlugin(where);
            add(where, line, SendMessage{XPLM_MSG_AIRPORT_LOADED, 0});
        } else if (command == "menu") {
            ChooseMenu menu;
            while (!words.done())
                menu.Path.push_back(words.take("a menu item"));
            if (menu.Path.empty()) fail("expected a menu item, e.g. menu \"Graph Window\"");
            if (menu.Path.size() == 1) menu.Path.insert(menu.Path.begin(), "Plotwrite");
            needPlugin(where);
            add(where, line, std::move(menu));
        } else if (command == "press") {
            PressButton press;
            press.Window = takeWindow(words);
            press.Label = trimBlanks(words.take("a button label"));
            if (words.peekIs("row")) press.Occurrence = words.takeRow();
            words.end();
            needPlugin(where);
            add(where, line, std::move(press));
        } else if (command == "command") {
            parseCommandPress(where, line, words);
        } else if (command == "click") {
            ClickCell click;
            click.Window = takeWindow(words);
            click.Column = words.take("a column heading");
            click.Row = words.takeRow();
            words.end();
            needPlugin(where);
            add(where, line, std::move(click));
        } else if (command == "type") {
            TypeIntoCell type;
            type.Window = takeWindow(words);
            type.Column = words.take("a column heading");
            type.Row = words.takeRow();
            type.Text = words.take("the text to type");
            words.end();
            needPlugin(where);
            add(where, line, std::move(type));
        } else if (command == "close") {
            CloseWindow close{takeWindow(words)};
            words.end();
            needPlugin(where);
            add(where, line, std::move(close));
        } else if (command == "track") {
            parseTrack(where, line, words);
        } else if (command == "wait") {
            add(where, line, parseWait(words));
        } else if (command == "screenshot") {
            Screenshot shot;
            shot.File = takeRelativePath(words, "a PNG file name");
            if (shot.File.size() < 5 || shot.File.compare(shot.File.size() - 4, 4, ".png") != 0)
                fail("expected a file name ending in .png, found '" + shot.File + "'");
            if (shot.File.find("..") != std::string::npos)
                fail("a screenshot stays inside the output folder: no '..' in '" + shot.File + "'");
            if (!words.done()) shot.Window = takeWindow(words);
            if (shot.Window == "screen") shot.Window.clear();
            words.end();
            needPlugin(where);
            add(where, line, std::move(shot));
        } else if (command == "print") {
            add(where, line, Print{words.rest("a text to print")});
        } else if (command == "framerate" || command == "pause" || command == "resume" ||
                   command == "count") {
            parseFrameCommand(where, line, command, words);
        } else if (command == "expect") {
            Expect expect = parseExpect(words);
            if (expect.Window == "screen") expect.Window.clear();
            needPlugin(where);
            add(where, line, std::move(expect));
        } else {
            fail("unknown command '" + command + "'; expected one of: " + kCommandList);
        }
    }

    // "plane loaded [N]" or "plane unloaded [N]": N the plane's number, 0 (the user's) unless
    // given.
    void parsePlaneMessage(const SourceLine &where, const std::string &line, Words &words) {
        const std::string what = words.take("'loaded' or 'unloaded'");
        if (what != "loaded" && what != "unloaded")
            fail("expected 'plane loaded [N]' or 'plane unloaded [N]', found '" + what + "'");
        SendMessage message;
        message.Message = what == "loaded" ? XPLM_MSG_PLANE_LOADED : XPLM_MSG_PLANE_UNLOADED;
        if (!words.done())
            message.Param = static_cast<int>(words.takeInteger("a plane's number", 0, 19));
        words.end();
        needPlugin(where);
        add(where, line, message);
    }

    // The words before an assignment's '=', with the formula after it in *right.
    Words assignmentWords(const std::string &line, std::string *right, bool *hasFormula) {
        std::string left;
        splitAssignment(line, &left, right, hasFormula);
        std::vector<Token> tokens;
        std::string tokenError;
        if (!tokenizeLine(left, &tokens, &tokenError)) fail(tokenError);
        return Words(std::move(tokens));
    }

    void parseDefine(const SourceLine &where, const std::string &line) {
        std::string right;
        bool hasFormula = false;
        Words words = assignmentWords(line, &right, &hasFormula);
        (void)words.take("dataref");
        DefineDataRef define;
        define.TypeMask = parseType(words.take("a dataref type"), &define.Length);
        define.Name = words.take("a dataref name");
        checkDataRefName(define.Name);
        words.end();
        if (hasFormula) define.Formula = checkedFormula(right);
        add(where, line, std::move(define));
    }

    // Formulas are compiled here too, so their errors point at their line; `let` values are
    // stood in for by zeros.
    std::string checkedFormula(const std::string &text) {
        const std::string formula = trimBlanks(text);
        if (formula.empty()) fail("expected a formula after '='");
        std::vector<double> zeros(letNames_.size(), 0.0);
        std::vector<NamedValue> values;
        for (std::size_t k = 0; k < letNames_.size(); ++k)
            values.push_back({letNames_[k], &zeros[k]});
        std::string error;
        if (!Formula::compile(formula, &error, values)) fail(error);
        return formula;
    }

    void parseLet(const SourceLine &where, const std::string &line) {
        std::string right;
        bool hasFormula = false;
        Words words = assignmentWords(line, &right, &hasFormula);
        (void)words.take("let");
        DefineLet let;
        let.Name = words.take("a name");
        words.end();
        if (!hasFormula) fail("expected 'let NAME = FORMULA'");
        if (!isFreeFormulaName(let.Name))
            fail("'" + let.Name +
                 "' cannot name a value: use letters, digits and '_', starting "
                 "with a letter, and no name formulas already know (t, i, pi, functions)");
        for (const std::string &known : letNames_)
            if (known == let.Name) fail("the value '" + let.Name + "' is already defined");
        let.Formula = checkedFormula(right);
        letNames_.push_back(let.Name);
        add(where, line, std::move(let));
    }

    void parseSet(const SourceLine &where, const std::string &line) {
        std::string right;
        bool hasFormula = false;
        Words words = assignmentWords(line, &right, &hasFormula);
        if (!hasFormula) fail("expected 'set NAME = FORMULA' or 'set NAME[ELEMENT] = FORMULA'");
        (void)words.take("set");
        SetFormula set;
        std::string target = words.take("a dataref name");
        words.end();
        const std::size_t bracket = target.find('[');
        if (bracket != std::string::npos) {
            long long element = 0;
            const std::string digits = target.substr(bracket + 1, target.size() - bracket - 2);
            if (target.back() != ']' || !parseInteger(digits, &element) || element < 0 ||
                element >= static_cast<long long>(kMaxArrayLength))
                fail("expected NAME[ELEMENT] with an element from 0, found '" + target + "'");
            set.Element = static_cast<int>(element);
            target.resize(bracket);
        }
        checkDataRefName(target);
        set.Name = target;
        set.Formula = checkedFormula(right);
        add(where, line, std::move(set));
    }

    void parseSettings(Words &words, const std::vector<std::string> &lines, std::size_t *index) {
        if (settingsGiven_) fail("the settings file is already given on an earlier line");
        settingsGiven_ = true;
        const std::string how = words.take("default, none, file PATH or <<END");
        Settings &settings = scenario_->SettingsFile;
        if (how == "default") {
            settings.From = Settings::Source::Default;
        } else if (how == "none") {
            settings.From = Settings::Source::None;
        } else if (how == "file") {
            settings.From = Settings::Source::File;
            settings.PathOrText = words.take("the settings file's path");
        } else if (how.size() > 2 && how.compare(0, 2, "<<") == 0) {
            const std::string terminator = how.substr(2);
            settings.From = Settings::Source::Inline;
            const std::size_t first = *index;
            for (std::size_t k = first + 1;; ++k) {
                if (k >= lines.size())
                    fail("the settings text begun here has no closing '" + terminator + "' line");
                if (trimBlanks(lines[k]) == terminator) {
                    *index = k;
                    break;
                }
                settings.PathOrText += lines[k];
                if (!settings.PathOrText.empty() && settings.PathOrText.back() == '\r')
                    settings.PathOrText.pop_back();
                settings.PathOrText += '\n';
            }
        } else {
            fail("expected default, none, file PATH or <<END after settings, found '" + how + "'");
        }
        words.end();
    }

    void parseTrack(const SourceLine &where, const std::string &line, Words &words) {
        const std::string window = takeWindow(words);
        const std::string how = words.take("click or drag");
        auto fraction = [&words](const std::string &what) {
            const double value = words.takeNumber(what + " (a fraction of the track's width)");
            if (value < 0.0 || value > 1.0) fail("expected " + what + " from 0 to 1");
            return value;
        };
        needPlugin(where);
        if (how == "click") {
            TrackClick click{window, fraction("where to click")};
            words.end();
            add(where, line, std::move(click));
        } else if (how == "drag") {
            TrackDrag drag;
            drag.Window = window;
            if (words.skip("thumb"))
                drag.FromThumb = true;
            else
                drag.From = fraction("where to start");
            words.expectWord("to", "and where to let go");
            drag.To = fraction("where to let go");
            words.end();
            add(where, line, std::move(drag));
        } else {
            fail("expected click or drag after the window, found '" + how + "'");
        }
    }

    // How the simulator runs its frames: the rate, a pause, and counting the flight-loop calls.
    void parseFrameCommand(const SourceLine &where, const std::string &line,
                           const std::string &command, Words &words) {
        if (command == "framerate") {
            SetFrameRate set;
            std::string error;
            if (!parseFrameRate(words.take("a frame rate (30) or a range (20..144)"), &set.Rate,
                                &error))
                fail(error);
            if (words.skip("seed")) {
                if (!set.Rate.jittered()) fail("a seed belongs to a range of frame rates");
                set.Rate.Seed = static_cast<std::uint64_t>(
                    words.takeInteger("a seed", 0, std::numeric_limits<long long>::max()));
            }
            words.end();
            add(where, line, set);
        } else if (command == "pause" || command == "resume") {
            words.end();
            add(where, line, PauseSimulator{command == "pause"});
        } else {
            const std::string what = words.take("start or stop");
            if (what != "start" && what != "stop")
                fail("expected count start or count stop, found '" + what + "'");
            words.end();
            if (what == "stop" && !counting_) fail("count stop without a count start before it");
            counting_ = what == "start";
            add(where, line, CountCalls{counting_});
        }
    }

    std::string file_;
    Scenario *scenario_;
    bool counting_ = false;
    bool started_ = false;
    bool stopped_ = false;
    bool settingsGiven_ = false;
    std::vector<std::string> letNames_;
};

} // namespace

bool parseScenario(const std::string &text, const std::string &fileName, const std::string &baseDir,
                   Scenario *scenario, std::string *error) {
    *scenario = Scenario();
    Parser parser(fileName, baseDir, scenario);
    return parser.run(text, error);
}

bool loadScenarioFile(const std::string &path, Scenario *scenario, std::string *error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error != nullptr)
            *error = path + ": cannot read the scenario file (" + std::strerror(errno) + ")";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    const std::size_t slash = path.find_last_of('/');
    const std::string baseDir = slash == std::string::npos ? "." : path.substr(0, slash);
    return parseScenario(text.str(), path, baseDir, scenario, error);
}

bool isArrayTypeMask(int typeMask) {
    return (typeMask & (xplmType_FloatArray | xplmType_IntArray | xplmType_Data)) != 0;
}

std::string dataRefTypeName(int typeMask, std::size_t length) {
    static const std::pair<int, const char *> kNames[] = {
        {xplmType_Int, "int"},        {xplmType_Float, "float"},        {xplmType_Double, "double"},
        {xplmType_IntArray, "int[]"}, {xplmType_FloatArray, "float[]"}, {xplmType_Data, "byte[]"}};
    std::string name;
    for (const auto &[bit, text] : kNames) {
        if ((typeMask & bit) == 0) continue;
        if (!name.empty()) name += "+";
        std::string part = text;
        if (part.back() == ']') part.insert(part.size() - 1, std::to_string(length));
        name += part;
    }
    return name.empty() ? "no type" : name;
}

} // namespace plotwright_host
