#include "export_check.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <fstream>
#include <string>

#include "soak_signal.h"

namespace plotwright_soak {
namespace {

bool fail(ExportCheck *check, std::int64_t row, const std::string &why) {
    check->Ok = false;
    check->Problem = "row " + std::to_string(row + 1) + ": " + why;
    return false;
}

// Reads one "%f" field of an integer value ("-12.000000") after any blanks, without allocating:
// millions of rows are checked. Returns the text after the field, or null when it is not one.
const char *readIntegerField(const char *text, const char *end, std::int64_t *value) {
    while (text < end && *text == ' ')
        ++text;
    const auto [after, error] = std::from_chars(text, end, *value);
    if (error != std::errc() || end - after < 7 || std::memcmp(after, ".000000", 7) != 0)
        return nullptr;
    return after + 7;
}

// The row's counter must lie in lowest..highest; the other channels follow from it.
bool checkRow(const std::string &line, int set, std::int64_t row, std::int64_t lowest,
              std::int64_t highest, std::int64_t *tick, ExportCheck *check) {
    const char *text = line.data();
    const char *end = text + line.size();
    for (int channel = 0; channel < kChannels; ++channel) {
        std::int64_t value = 0;
        text = readIntegerField(text, end, &value);
        if (channel == 0 && text != nullptr) {
            if (value < lowest || value > highest)
                return fail(check, row,
                            "the counter " + std::to_string(value) + " is not within " +
                                std::to_string(lowest) + ".." + std::to_string(highest));
            *tick = value;
        }
        const std::int64_t wanted =
            channel == 0 ? *tick : elementValue(valueElement(set, channel), *tick);
        if (text == nullptr || value != wanted)
            return fail(check, row,
                        "channel " + std::to_string(channel + 1) + " is not " +
                            std::to_string(wanted) + ".000000: \"" + line + "\"");
        if (text < end && *text != ',')
            return fail(check, row, "no comma after channel " + std::to_string(channel + 1));
        if (text < end) ++text;
        if (text == end && channel + 1 < kChannels)
            return fail(check, row, "fewer than eight values: \"" + line + "\"");
    }
    while (text < end && *text == ' ')
        ++text;
    if (text != end) return fail(check, row, "more than eight values: \"" + line + "\"");
    return true;
}

} // namespace

ExportCheck checkExport(const std::string &path, int set, std::int64_t firstTick,
                        std::int64_t lastTick, int slackRows) {
    ExportCheck check;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        check.Problem = "cannot read " + path;
        return check;
    }
    check.Ok = true;
    std::string line;
    std::int64_t row = 0;
    std::int64_t tick = firstTick;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::int64_t onGrid = firstTick + row;
        const std::int64_t lowest = row == 0 ? firstTick : std::max(tick, onGrid - (slackRows > 0));
        if (!checkRow(line, set, row, lowest, onGrid + slackRows, &tick, &check)) return check;
        ++row;
    }
    check.Rows = row;
    check.FirstTick = firstTick;
    check.LastTick = tick;
    // Above 100 calls a second the last call may have brought no row: the last row then holds
    // the counter of a call just before it.
    if (check.LastTick > lastTick || check.LastTick < lastTick - slackRows)
        fail(&check, row,
             "the export ends at counter " + std::to_string(check.LastTick) + ", wanted " +
                 std::to_string(lastTick) +
                 (slackRows > 0 ? " or up to " + std::to_string(slackRows) + " before" : ""));
    return check;
}

} // namespace plotwright_soak
