#include "rows_report.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "XPWidgets.h"
#include "ui_lookup.h"
#include "xphost/widgets.h"

namespace plotwright_host {

long long recordedRows() {
    std::string ignored;
    XPWidgetID window = xphost::findWindow(kGraphWindowCaption);
    XPWidgetID graph = window != nullptr ? findGraph(window, &ignored) : nullptr;
    if (graph == nullptr) return 0;
    return static_cast<long long>(XPGetWidgetProperty(graph, kGraphMaxPosition, nullptr));
}

bool RowsReport::update(long long rows, std::string *error) {
    if (!enabled() || rows == written_) return true;
    const std::string temporary = path_ + ".new";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << rows << '\n';
        out.close();
        if (!out) {
            *error = "cannot write the rows file " + temporary;
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path_, ec);
    if (ec) {
        *error = "cannot replace the rows file " + path_ + ": " + ec.message();
        return false;
    }
    written_ = rows;
    return true;
}

} // namespace plotwright_host
