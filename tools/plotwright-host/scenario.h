#pragma once
// A scenario: what the simulated install holds, how the simulator's datarefs move, and what the
// user does and expects, as parsed from a line-based scenario file (docs/scenarios.md).

#include <cstddef>
#include <string>
#include <variant>
#include <vector>

#include "XPLMDataAccess.h"
#include "frame_rate.h"

namespace plotwright_host {

// Where a command came from, for every message about it.
struct SourceLine {
    std::string File;
    int Line = 0;
    std::string where() const { return File + ":" + std::to_string(Line); }
};

// The settings file the install gets before the plug-in starts.
struct Settings {
    enum class Source { Default, None, File, Inline };
    Source From = Source::Default;
    std::string PathOrText; // a path (relative to the scenario) or the file's text
};

// Publishes a dataref, before the start or at any moment after it (again after a withdrawal).
struct DefineDataRef {
    std::string Name;
    int TypeMask = xplmType_Float; // the types it offers: scalars only, or arrays only
    std::size_t Length = 1;        // elements of an array
    std::string Formula;           // empty: all zero
};

struct WithdrawDataRef {
    std::string Name;
};

// One of the simulator's messages to the plug-in, with its parameter.
struct SendMessage {
    int Message = 0;
    int Param = 0;
};

// Replaces the formula of a dataref, or of one element of an array dataref.
struct SetFormula {
    std::string Name;
    int Element = -1; // -1: the scalar, or every element of an array
    std::string Formula;
};

// A named value of t that later formulas may use, evaluated every frame before the datarefs.
struct DefineLet {
    std::string Name;
    std::string Formula;
};

struct StartPlugin {};
struct StopPlugin {};

struct ChooseMenu {
    std::vector<std::string> Path; // from the Plugins menu
};

// Windows are named by a prefix of their caption; buttons by their label without the leading
// blanks; rows by number (1 = the top row) under a column heading.
struct PressButton {
    std::string Window;
    std::string Label;
    int Occurrence = 1; // which of the buttons with that label, in creation order
};

// The user presses the key or button bound to a simulator command, and lets it go at once or
// after holding it for some frames.
struct PressCommand {
    std::string Name;
    long long HoldTicks = 0; // 0: pressed and released within one frame
};

struct ClickCell {
    std::string Window;
    std::string Column;
    int Row = 1;
};

struct TypeIntoCell {
    std::string Window;
    std::string Column;
    int Row = 1;
    std::string Text;
};

struct CloseWindow {
    std::string Window;
};

// The scroll track along the foot of the window's graph; positions are fractions of its width.
struct TrackClick {
    std::string Window;
    double At = 0.0;
};

struct TrackDrag {
    std::string Window;
    bool FromThumb = false;
    double From = 0.0;
    double To = 0.0;
};

struct Wait {
    enum class Unit { Seconds, Ticks, UntilSeconds };
    Unit In = Unit::Seconds;
    double Amount = 0.0;
};

// The simulator's frame rate from here on.
struct SetFrameRate {
    FrameRate Rate;
};

// A paused simulator: the flight's time (t of the formulas) stands still, frames and the
// flight loop go on.
struct PauseSimulator {
    bool Paused = true;
};

// Counts the plug-in's flight-loop calls: `count start` from zero, `count stop` holds the count
// and the wall time from the first counted call to the last.
struct CountCalls {
    bool Start = true;
};

struct Screenshot {
    std::string File;   // relative to the output folder
    std::string Window; // empty: the whole screen
};

struct Print {
    std::string Text;
};

// How an observed text is compared.
struct Comparison {
    enum class Op {
        Is,
        Contains,
        Lacks,
        Matches,
        Equal,
        Less,
        LessEqual,
        Greater,
        GreaterEqual,
        Between
    };
    Op Kind = Op::Is;
    std::string Text;
    double Number = 0.0;
    double Number2 = 0.0; // upper bound of Between
    // Number stands for what the runner counted, resolved when checked: the flight-loop calls,
    // or the rows of 0.01 s a recording spanning the counted calls holds.
    enum class Counted { None, Calls, Rows };
    Counted NumberIs = Counted::None;
    double Within = 0.0; // how far from Number an == may be
};

struct Colour {
    int Red = 0, Green = 0, Blue = 0;
};

struct Expect {
    enum class Subject {
        CellText,      // Window, Column, Row
        TextRightOf,   // Window, Label: the nearest widget to the right of that label
        Title,         // Window
        CheckBox,      // Window, Column, Row; Checked
        WindowState,   // Window; State
        FileLine,      // Path, Line (0 = last), FileColumn (0 = whole line)
        FileLineCount, // Path
        FileText,      // Path
        FileExists,    // Path; Exists
        Log,
        Pixel,  // Window ("" = screen), X, Y; Colour, Tolerance
        Region, // Window, X, Y, X2, Y2; Colour, Tolerance, Present
        Calls,  // the count of the plug-in's flight-loop calls (CountCalls)
    };
    Subject What = Subject::CellText;
    std::string Window, Column, Label, Path;
    int Row = 1;
    int Line = 0;
    int FileColumn = 0;
    bool Checked = true;
    enum class State { Shown, Hidden, Absent };
    State WindowState = State::Shown;
    bool Exists = true;
    int X = 0, Y = 0, X2 = 0, Y2 = 0;
    Colour Want;
    int Tolerance = 12;
    bool Present = true;
    Comparison Compare;
};

using Action = std::variant<DefineDataRef, WithdrawDataRef, SendMessage, SetFormula, DefineLet,
                            StartPlugin, StopPlugin, ChooseMenu, PressButton, PressCommand,
                            ClickCell, TypeIntoCell, CloseWindow, TrackClick, TrackDrag, Wait,
                            Screenshot, Print, Expect, SetFrameRate, PauseSimulator, CountCalls>;

struct Command {
    SourceLine Where;
    std::string Text; // the line as written, for progress output
    Action What;
};

struct Scenario {
    std::string File;    // as given, for messages
    std::string BaseDir; // relative paths in the scenario start here
    Settings SettingsFile;
    int ScreenWidth = 0; // 0: not set by the scenario
    int ScreenHeight = 0;
    std::vector<Command> Commands;
};

// "int", "int+float", "float[8]" and so on, for messages.
std::string dataRefTypeName(int typeMask, std::size_t length);
bool isArrayTypeMask(int typeMask);

} // namespace plotwright_host
