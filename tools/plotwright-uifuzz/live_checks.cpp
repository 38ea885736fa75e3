#include "live_checks.h"

#include <cctype>
#include <fstream>
#include <sstream>
#include <vector>

#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "number_model.h"
#include "scenario_tokens.h"
#include "ui_lookup.h"
#include "xphost/host.h"
#include "xphost/widgets.h"

namespace plotwright_uifuzz {
namespace {

using plotwright_host::findCell;
using plotwright_host::findGraph;
using plotwright_host::findTextAfter;
using plotwright_host::quoteWord;

using plotwright_host::kGraphMaxPosition;
using plotwright_host::kGraphPosition;
const char *const kCaptions[] = {"Plotwright", "DataRef Setup", "DataRef Scaling"};
const char *const kStateNames[] = {"absent", "hidden", "shown"};

bool fail(std::string *error, const std::string &message) {
    *error = "model mismatch: " + message;
    return false;
}

WindowState liveState(XPWidgetID window) {
    if (window == nullptr) return WindowState::Absent;
    return xphost::isShown(window) ? WindowState::Shown : WindowState::Hidden;
}

bool checkText(XPWidgetID widget, const std::optional<std::string> &want, const std::string &what,
               std::string *error) {
    if (!want) return true;
    const std::string seen = xphost::descriptorOf(widget);
    if (seen == *want) return true;
    return fail(error, what + " shows " + quoteWord(seen) + ", expected " + quoteWord(*want));
}

XPWidgetID cell(XPWidgetID window, const char *column, int row, std::string *error) {
    std::string why;
    XPWidgetID widget = findCell(window, column, row + 1, &why);
    if (widget == nullptr) fail(error, why);
    return widget;
}

bool checkSetupRows(XPWidgetID window, const ExpectedView &view, std::string *error) {
    for (int row = 0; row < kChannels; ++row) {
        const SetupRowView &want = view.Rows[row];
        const std::string where =
            " of row " + std::to_string(row + 1) + " (set " + std::to_string(view.Set + 1) + ")";
        const char *columns[] = {"DataRef Name", "Index", "Scaling"};
        const std::optional<std::string> *texts[] = {&want.Name, &want.Index, &want.Scaling};
        for (int column = 0; column < 3; ++column) {
            XPWidgetID field = cell(window, columns[column], row, error);
            if (field == nullptr) return false;
            if (!checkText(field, *texts[column],
                           std::string("the setup field \"") + columns[column] + "\"" + where,
                           error))
                return false;
        }
        XPWidgetID box = cell(window, "DataRef Enabled", row, error);
        if (box == nullptr) return false;
        const bool checked = XPGetWidgetProperty(box, xpProperty_ButtonState, nullptr) != 0;
        if (want.Checked && *want.Checked != checked)
            return fail(error, "the check box" + where + " is " +
                                   (checked ? "checked" : "unchecked") + ", expected " +
                                   (*want.Checked ? "checked" : "unchecked"));
    }
    return true;
}

bool checkGraph(XPWidgetID window, const ExpectedView &view, std::string *error) {
    std::string why;
    XPWidgetID graph = findGraph(window, &why);
    if (graph == nullptr) return fail(error, why);
    const long long max = XPGetWidgetProperty(graph, kGraphMaxPosition, nullptr);
    const long long position = XPGetWidgetProperty(graph, kGraphPosition, nullptr);
    if (max != view.MaxPosition)
        return fail(error, "the graph's highest scroll position (the recorded count) is " +
                               std::to_string(max) + ", expected " +
                               std::to_string(view.MaxPosition));
    if (position < view.Position.Low || position > view.Position.High)
        return fail(error, "the graph's scroll position is " + std::to_string(position) +
                               ", expected " + std::to_string(view.Position.Low) +
                               (view.Position.High != view.Position.Low
                                    ? " to " + std::to_string(view.Position.High)
                                    : std::string()));
    return true;
}

// "%10.3f" output: blanks up to ten characters, then digits, a point and three decimals (or what
// printf writes for an infinity or NaN).
bool looksLikeStatistic(const std::string &text) {
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    if (text.size() < 10 || (pos > 0 && text.size() != 10)) return false;
    if (pos < text.size() && text[pos] == '-') ++pos;
    const std::string rest = text.substr(pos);
    if (rest == "inf" || rest == "nan") return true;
    const std::size_t point = rest.find('.');
    if (point == std::string::npos || point == 0 || rest.size() - point != 4) return false;
    for (std::size_t k = 0; k < rest.size(); ++k)
        if (k != point && !std::isdigit(static_cast<unsigned char>(rest[k]))) return false;
    return true;
}

bool checkScalingValues(XPWidgetID window, const ExpectedView &view, std::string *error) {
    const char *columns[] = {"Data Min",  "Data Max",  "Data Value",
                             "Scale Min", "Scale Max", "Scale Value"};
    for (const char *column : columns)
        for (int row = 0; row < kChannels; ++row) {
            XPWidgetID value = cell(window, column, row, error);
            if (value == nullptr) return false;
            const std::string text = xphost::descriptorOf(value);
            const bool good = view.ScalingValuesUnwritten ? text == "0" : looksLikeStatistic(text);
            if (!good)
                return fail(error, std::string("the scaling window's \"") + column + "\" of row " +
                                       std::to_string(row + 1) + " is " + quoteWord(text) +
                                       (view.ScalingValuesUnwritten
                                            ? ", expected \"0\" until the next tick"
                                            : ", expected a \"%10.3f\" number"));
        }
    return true;
}

std::string readWhole(const std::string &path, bool *found) {
    std::ifstream in(path, std::ios::binary);
    *found = static_cast<bool>(in);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Lines of a text that must end with a line end (or be empty).
bool splitLines(const std::string &text, const std::string &name, std::vector<std::string> *lines,
                std::string *error) {
    if (!text.empty() && text.back() != '\n')
        return fail(error, name + " does not end with a line end");
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        lines->push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

// "%f" output: digits, a point and six decimals, or what printf writes for an infinity or NaN.
bool looksLikeFixed(const std::string &field) {
    std::size_t pos = field.empty() || field[0] != '-' ? 0 : 1;
    const std::string rest = field.substr(pos);
    if (rest == "inf" || rest == "nan") return true;
    const std::size_t point = rest.find('.');
    if (point == std::string::npos || point == 0 || rest.size() - point != 7) return false;
    for (std::size_t k = 0; k < rest.size(); ++k)
        if (k != point && !std::isdigit(static_cast<unsigned char>(rest[k]))) return false;
    return true;
}

bool checkCsv(const ExpectedFile &file, const std::string &text, std::string *error) {
    std::vector<std::string> lines;
    if (!splitLines(text, file.Name, &lines, error)) return false;
    if (lines.size() != file.CsvRows.size())
        return fail(error, file.Name + " has " + std::to_string(lines.size()) +
                               " rows, expected the " + std::to_string(file.CsvRows.size()) +
                               " samples recorded");
    for (std::size_t row = 0; row < lines.size(); ++row) {
        const std::string where = file.Name + " row " + std::to_string(row + 1);
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (;;) {
            const std::size_t comma = lines[row].find(", ", start);
            fields.push_back(lines[row].substr(start, comma - start));
            if (comma == std::string::npos) break;
            start = comma + 2;
        }
        if (fields.size() != kChannels)
            return fail(error, where + " has " + std::to_string(fields.size()) +
                                   " fields, expected 8: " + quoteWord(lines[row]));
        for (int c = 0; c < kChannels; ++c) {
            const std::optional<float> &want = file.CsvRows[row][c];
            const std::string column = " column " + std::to_string(c + 1);
            if (!looksLikeFixed(fields[c]))
                return fail(error,
                            where + column + " is not a \"%f\" number: " + quoteWord(fields[c]));
            if (want && fields[c] != formatFloat(*want))
                return fail(error, where + column + " is " + fields[c] + ", expected " +
                                       formatFloat(*want));
        }
    }
    return true;
}

bool checkSettings(const ExpectedFile &file, const std::string &text, std::string *error) {
    std::vector<std::string> lines;
    if (!splitLines(text, file.Name, &lines, error)) return false;
    if (lines.size() != file.LinePrefixes.size())
        return fail(error, file.Name + " has " + std::to_string(lines.size()) +
                               " lines, expected " + std::to_string(file.LinePrefixes.size()));
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::string &prefix = file.LinePrefixes[k];
        const bool matches = file.Lines[k] ? lines[k] == *file.Lines[k]
                                           : lines[k].compare(0, prefix.size(), prefix) == 0;
        if (!matches)
            return fail(error, file.Name + " line " + std::to_string(k + 1) + " is " +
                                   quoteWord(lines[k]) + ", expected " +
                                   quoteWord(file.Lines[k] ? *file.Lines[k] : prefix + "..."));
    }
    return true;
}

} // namespace

bool checkView(const ExpectedView &view, std::string *error) {
    XPWidgetID windows[3];
    for (int k = 0; k < 3; ++k) {
        windows[k] = xphost::findWindow(kCaptions[k]);
        const WindowState seen = liveState(windows[k]);
        if (seen != view.Windows[k])
            return fail(error, std::string("the window \"") + kCaptions[k] + "\" is " +
                                   kStateNames[static_cast<int>(seen)] + ", expected " +
                                   kStateNames[static_cast<int>(view.Windows[k])]);
    }
    const std::string set = std::to_string(view.Set + 1);
    for (int k = 0; k < 3; ++k) {
        if (windows[k] == nullptr) continue;
        std::string why;
        XPWidgetID caption = findTextAfter(windows[k], "Previous Set", &why);
        if (caption == nullptr) return fail(error, why);
        if (!checkText(caption, set,
                       std::string("the set number of the window \"") + kCaptions[k] + "\"", error))
            return false;
    }
    if (windows[0] != nullptr && !checkGraph(windows[0], view, error)) return false;
    if (windows[1] != nullptr && !checkSetupRows(windows[1], view, error)) return false;
    if (windows[2] != nullptr)
        for (int row = 0; row < kChannels; ++row) {
            XPWidgetID name = cell(windows[2], "DataRef", row, error);
            if (name == nullptr) return false;
            if (!checkText(name, view.ScalingNames[row],
                           "the scaling window's name of row " + std::to_string(row + 1), error))
                return false;
        }
    if (windows[2] != nullptr && !checkScalingValues(windows[2], view, error)) return false;
    return true;
}

bool checkFile(const ExpectedFile &file, std::string *error) {
    bool found = false;
    const std::string text = readWhole(xphost::pluginFolder() + file.Name, &found);
    if (!found) return fail(error, file.Name + " was not written");
    return file.IsSettings ? checkSettings(file, text, error) : checkCsv(file, text, error);
}

} // namespace plotwright_uifuzz
