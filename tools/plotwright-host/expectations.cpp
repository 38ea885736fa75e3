#include "expectations.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <vector>

#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "scenario_tokens.h"
#include "ui_input.h"
#include "ui_lookup.h"
#include "xphost/host.h"
#include "xphost/screen.h"
#include "xphost/widgets.h"

namespace plotwright_host {
namespace {

std::string shown(const std::string &text) {
    constexpr std::size_t kMaxShown = 160;
    if (text.size() <= kMaxShown) return quoteWord(text);
    return quoteWord(text.substr(0, kMaxShown)) + "...";
}

std::string number(double value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

bool readNumber(const std::string &text, double *value) {
    const std::string trimmed = trimBlanks(text);
    if (trimmed.empty()) return false;
    errno = 0;
    char *end = nullptr;
    *value = std::strtod(trimmed.c_str(), &end);
    return end == trimmed.c_str() + trimmed.size() && errno != ERANGE;
}

// Read in pieces rather than through a stream-buffer copy, which swallows a failed allocation
// and would leave a partial text to be judged as the whole file.
bool readFile(const std::string &path, std::string *text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string content;
    char piece[65536];
    while (in.read(piece, sizeof piece) || in.gcount() > 0)
        content.append(piece, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) return false;
    *text = std::move(content);
    return true;
}

std::vector<std::string> splitLines(const std::string &text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

bool closeEnough(const std::uint8_t *pixel, const Colour &want, int tolerance) {
    return std::abs(pixel[0] - want.Red) <= tolerance &&
           std::abs(pixel[1] - want.Green) <= tolerance &&
           std::abs(pixel[2] - want.Blue) <= tolerance;
}

std::string colourText(const std::uint8_t *pixel) {
    char text[16];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", pixel[0], pixel[1], pixel[2]);
    return text;
}

std::string colourText(const Colour &colour) {
    const std::uint8_t rgb[3] = {static_cast<std::uint8_t>(colour.Red),
                                 static_cast<std::uint8_t>(colour.Green),
                                 static_cast<std::uint8_t>(colour.Blue)};
    return colourText(rgb);
}

bool capture(const std::string &window, xphost::Image *image, std::string *why) {
    if (window.empty()) {
        *image = xphost::captureScreen();
        return image->Width > 0;
    }
    XPWidgetID found = findVisibleWindow(window, why);
    if (found == nullptr || !bringToFront(found, why)) return false;
    *image = xphost::captureWindow(found);
    if (image->Width == 0) *why = "the window " + windowName(found) + " could not be captured";
    return image->Width > 0;
}

// Pixels are addressed as in the PNG: x from the left, y from the top.
const std::uint8_t *pixelAt(const xphost::Image &image, int x, int y) {
    return image.at(x, image.Height - 1 - y);
}

bool checkPixels(const Expect &expect, std::string *why) {
    xphost::Image image;
    if (!capture(expect.Window, &image, why)) return false;
    const int right = expect.What == Expect::Subject::Pixel ? expect.X : expect.X2;
    const int bottom = expect.What == Expect::Subject::Pixel ? expect.Y : expect.Y2;
    if (right >= image.Width || bottom >= image.Height) {
        *why = "the point (" + std::to_string(right) + ", " + std::to_string(bottom) +
               ") lies outside the picture of " + std::to_string(image.Width) + " x " +
               std::to_string(image.Height) + " pixels";
        return false;
    }
    if (expect.What == Expect::Subject::Pixel) {
        const std::uint8_t *pixel = pixelAt(image, expect.X, expect.Y);
        if (closeEnough(pixel, expect.Want, expect.Tolerance)) return true;
        *why = "the pixel is " + colourText(pixel) + ", wanted " + colourText(expect.Want) +
               " within " + std::to_string(expect.Tolerance);
        return false;
    }
    int bestDistance = 1000;
    std::string bestSeen;
    for (int y = expect.Y; y <= expect.Y2; ++y) {
        for (int x = expect.X; x <= expect.X2; ++x) {
            const std::uint8_t *pixel = pixelAt(image, x, y);
            if (closeEnough(pixel, expect.Want, expect.Tolerance)) {
                if (expect.Present) return true;
                *why = "found " + colourText(pixel) + " at (" + std::to_string(x) + ", " +
                       std::to_string(y) + "), wanted no " + colourText(expect.Want);
                return false;
            }
            const int distance = std::max({std::abs(pixel[0] - expect.Want.Red),
                                           std::abs(pixel[1] - expect.Want.Green),
                                           std::abs(pixel[2] - expect.Want.Blue)});
            if (distance < bestDistance) {
                bestDistance = distance;
                bestSeen = colourText(pixel) + " at (" + std::to_string(x) + ", " +
                           std::to_string(y) + ")";
            }
        }
    }
    if (!expect.Present) return true;
    *why = "no pixel within " + std::to_string(expect.Tolerance) + " of " +
           colourText(expect.Want) + " in the region; the closest is " + bestSeen;
    return false;
}

bool checkFile(const Expect &expect, std::string *why) {
    const std::string path = xphost::pluginFolder() + expect.Path;
    std::string text;
    const bool exists = readFile(path, &text);
    if (expect.What == Expect::Subject::FileExists) {
        if (exists == expect.Exists) return true;
        *why = expect.Path + (exists ? " exists" : " does not exist") + " in " +
               xphost::pluginFolder();
        return false;
    }
    if (!exists) {
        *why = "cannot read " + path;
        return false;
    }
    if (expect.What == Expect::Subject::FileText) {
        if (compareText(text, expect.Compare, why)) return true;
        *why = expect.Path + ": " + *why;
        return false;
    }
    const std::vector<std::string> lines = splitLines(text);
    if (expect.What == Expect::Subject::FileLineCount) {
        const std::string count = std::to_string(lines.size());
        if (compareText(count, expect.Compare, why)) return true;
        // "found N, wanted ..." reads better as "PATH has N lines, wanted ...".
        *why = expect.Path + " has " + count + " lines" + why->substr(why->find(','));
        return false;
    }
    if (lines.empty() ||
        (expect.Line > 0 && static_cast<std::size_t>(expect.Line) > lines.size())) {
        *why = expect.Path + " has only " + std::to_string(lines.size()) + " lines";
        return false;
    }
    const std::size_t index =
        expect.Line == 0 ? lines.size() - 1 : static_cast<std::size_t>(expect.Line) - 1;
    std::string observed = lines[index];
    if (expect.FileColumn > 0) {
        std::vector<std::string> fields;
        std::stringstream in(observed);
        for (std::string field; std::getline(in, field, ',');)
            fields.push_back(trimBlanks(field));
        if (static_cast<std::size_t>(expect.FileColumn) > fields.size()) {
            *why = expect.Path + " line " + std::to_string(index + 1) + " has " +
                   std::to_string(fields.size()) + " columns: " + shown(observed);
            return false;
        }
        observed = fields[static_cast<std::size_t>(expect.FileColumn) - 1];
    }
    if (compareText(observed, expect.Compare, why)) return true;
    *why = expect.Path + " line " + std::to_string(index + 1) + ": " + *why;
    return false;
}

bool checkWidgets(const Expect &expect, std::string *why) {
    XPWidgetID window = findWindowByCaption(expect.Window, why);
    if (expect.What == Expect::Subject::WindowState) {
        const char *state = window == nullptr           ? "absent"
                            : XPIsWidgetVisible(window) ? "shown"
                                                        : "hidden";
        const char *wanted = expect.WindowState == Expect::State::Shown    ? "shown"
                             : expect.WindowState == Expect::State::Hidden ? "hidden"
                                                                           : "absent";
        if (std::string(state) == wanted) return true;
        *why = "the window is " + std::string(state) + ", wanted " + wanted;
        return false;
    }
    if (window == nullptr) return false;
    XPWidgetID widget = nullptr;
    switch (expect.What) {
    case Expect::Subject::Title:
        widget = window;
        break;
    case Expect::Subject::TextRightOf:
        widget = findTextAfter(window, expect.Label, why);
        break;
    default:
        widget = findCell(window, expect.Column, expect.Row, why);
        break;
    }
    if (widget == nullptr) return false;
    if (expect.What == Expect::Subject::CheckBox) {
        const bool checked = XPGetWidgetProperty(widget, xpProperty_ButtonState, nullptr) != 0;
        if (checked == expect.Checked) return true;
        *why = std::string("the check box is ") + (checked ? "checked" : "not checked");
        return false;
    }
    return compareText(xphost::descriptorOf(widget), expect.Compare, why);
}

} // namespace

bool compareText(const std::string &observed, const Comparison &compare, std::string *why) {
    using Op = Comparison::Op;
    switch (compare.Kind) {
    case Op::Is:
        if (observed == compare.Text) return true;
        *why = "found " + shown(observed) + ", wanted " + shown(compare.Text);
        return false;
    case Op::Contains:
        if (observed.find(compare.Text) != std::string::npos) return true;
        *why = shown(observed) + " does not contain " + shown(compare.Text);
        return false;
    case Op::Lacks:
        if (observed.find(compare.Text) == std::string::npos) return true;
        *why = shown(observed) + " contains " + shown(compare.Text);
        return false;
    case Op::Matches:
        if (std::regex_search(
                observed, std::regex(compare.Text, std::regex::ECMAScript | std::regex::multiline)))
            return true;
        *why = shown(observed) + " does not match " + shown(compare.Text);
        return false;
    default:
        break;
    }
    double value = 0.0;
    if (!readNumber(observed, &value)) {
        *why = "found " + shown(observed) + ", which is not a number";
        return false;
    }
    bool ok = false;
    std::string wanted;
    switch (compare.Kind) {
    case Op::Equal:
        ok = std::fabs(value - compare.Number) <= compare.Within;
        wanted = "== " + number(compare.Number);
        if (compare.Within > 0.0) wanted += " within " + number(compare.Within);
        break;
    case Op::Less:
        ok = value < compare.Number, wanted = "< " + number(compare.Number);
        break;
    case Op::LessEqual:
        ok = value <= compare.Number, wanted = "<= " + number(compare.Number);
        break;
    case Op::Greater:
        ok = value > compare.Number, wanted = "> " + number(compare.Number);
        break;
    case Op::GreaterEqual:
        ok = value >= compare.Number, wanted = ">= " + number(compare.Number);
        break;
    case Op::Between:
        ok = value >= compare.Number && value <= compare.Number2;
        wanted = "between " + number(compare.Number) + " and " + number(compare.Number2);
        break;
    default:
        break;
    }
    if (!ok) *why = "found " + trimBlanks(observed) + ", wanted " + wanted;
    return ok;
}

bool checkExpectation(const Expect &expect, std::string *why) {
    switch (expect.What) {
    case Expect::Subject::FileLine:
    case Expect::Subject::FileLineCount:
    case Expect::Subject::FileText:
    case Expect::Subject::FileExists:
        return checkFile(expect, why);
    case Expect::Subject::Log: {
        if (compareText(xphost::logText(), expect.Compare, why)) return true;
        *why = "the log: " + *why;
        return false;
    }
    case Expect::Subject::Pixel:
    case Expect::Subject::Region:
        return checkPixels(expect, why);
    default:
        return checkWidgets(expect, why);
    }
}

} // namespace plotwright_host
