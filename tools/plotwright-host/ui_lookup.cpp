#include "ui_lookup.h"

#include <algorithm>
#include <map>

#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "scenario_tokens.h"
#include "xphost/widgets.h"

namespace plotwright_host {
namespace {

std::string openWindowList() {
    std::string list;
    for (XPWidgetID root : xphost::rootWidgets()) {
        if (xphost::widgetClassOf(root) != xpWidgetClass_MainWindow) continue;
        if (!list.empty()) list += ", ";
        list += quoteWord(xphost::descriptorOf(root));
        if (!xphost::isShown(root)) list += " (hidden)";
    }
    return list.empty() ? "none" : list;
}

} // namespace

std::string visibleLabel(XPWidgetID widget) { return trimBlanks(xphost::descriptorOf(widget)); }

std::string windowName(XPWidgetID window) { return quoteWord(xphost::descriptorOf(window)); }

XPWidgetID findWindowByCaption(const std::string &prefix, std::string *error) {
    XPWidgetID window = xphost::findWindow(prefix);
    if (window == nullptr)
        *error = "no window's caption starts with " + quoteWord(prefix) +
                 "; open windows: " + openWindowList();
    return window;
}

XPWidgetID findVisibleWindow(const std::string &prefix, std::string *error) {
    XPWidgetID window = findWindowByCaption(prefix, error);
    if (window != nullptr && !XPIsWidgetVisible(window)) {
        *error = "the window " + windowName(window) +
                 " is hidden (choose its menu item to show it again)";
        return nullptr;
    }
    return window;
}

XPWidgetID findButton(XPWidgetID window, const std::string &label, int occurrence,
                      std::string *error) {
    std::vector<XPWidgetID> matches;
    std::vector<std::string> order;
    std::map<std::string, int> counts;
    for (XPWidgetID widget : xphost::descendantsOf(window)) {
        if (xphost::widgetClassOf(widget) != xpWidgetClass_Button) continue;
        const std::string text = visibleLabel(widget);
        if (text.empty()) continue; // check boxes carry no label
        if (counts[text]++ == 0) order.push_back(text);
        if (text == label) matches.push_back(widget);
    }
    if (occurrence >= 1 && static_cast<std::size_t>(occurrence) <= matches.size())
        return matches[static_cast<std::size_t>(occurrence) - 1];
    if (!matches.empty()) {
        *error = "the window " + windowName(window) + " has " + std::to_string(matches.size()) +
                 " buttons labelled " + quoteWord(label) + ", not " + std::to_string(occurrence);
        return nullptr;
    }
    std::string list;
    for (const std::string &text : order) {
        if (!list.empty()) list += ", ";
        list += quoteWord(text);
        if (counts[text] > 1) list += " (rows 1-" + std::to_string(counts[text]) + ")";
    }
    *error = "no button " + quoteWord(label) + " in the window " + windowName(window) +
             "; its buttons: " + (list.empty() ? "none" : list);
    return nullptr;
}

XPWidgetID findCell(XPWidgetID window, const std::string &heading, int row, std::string *error) {
    const std::vector<XPWidgetID> all = xphost::descendantsOf(window);
    auto cellsUnder = [&all](XPWidgetID head) {
        const xphost::WidgetRect top = xphost::geometryOf(head);
        std::vector<XPWidgetID> cells;
        for (XPWidgetID widget : all) {
            if (widget == head) continue;
            const xphost::WidgetRect rect = xphost::geometryOf(widget);
            if (rect.Left == top.Left && rect.Top <= top.Bottom) cells.push_back(widget);
        }
        std::stable_sort(cells.begin(), cells.end(), [](XPWidgetID a, XPWidgetID b) {
            return xphost::geometryOf(a).Top > xphost::geometryOf(b).Top;
        });
        return cells;
    };
    for (XPWidgetID widget : all) {
        if (xphost::widgetClassOf(widget) != xpWidgetClass_Caption) continue;
        if (visibleLabel(widget) != heading) continue;
        const std::vector<XPWidgetID> cells = cellsUnder(widget);
        if (row >= 1 && static_cast<std::size_t>(row) <= cells.size())
            return cells[static_cast<std::size_t>(row) - 1];
        *error = "the column " + quoteWord(heading) + " of the window " + windowName(window) +
                 " has " + std::to_string(cells.size()) + " rows, not " + std::to_string(row);
        return nullptr;
    }
    // Only a failed lookup lists the columns there are: that takes a look under every caption.
    std::string headings;
    for (XPWidgetID widget : all) {
        if (xphost::widgetClassOf(widget) != xpWidgetClass_Caption) continue;
        const std::string text = visibleLabel(widget);
        if (!text.empty() && !cellsUnder(widget).empty()) {
            if (!headings.empty()) headings += ", ";
            headings += quoteWord(text);
        }
    }
    *error = "no column headed " + quoteWord(heading) + " in the window " + windowName(window) +
             "; its columns: " + (headings.empty() ? "none" : headings);
    return nullptr;
}

XPWidgetID findTextAfter(XPWidgetID window, const std::string &label, std::string *error) {
    const std::vector<XPWidgetID> all = xphost::descendantsOf(window);
    XPWidgetID anchor = nullptr;
    for (XPWidgetID widget : all)
        if (visibleLabel(widget) == label) {
            anchor = widget;
            break;
        }
    if (anchor == nullptr) {
        *error = "nothing labelled \"" + label + "\" in the window " + windowName(window);
        return nullptr;
    }
    const xphost::WidgetRect from = xphost::geometryOf(anchor);
    XPWidgetID best = nullptr;
    int bestGap = 0;
    for (XPWidgetID widget : all) {
        if (widget == anchor) continue;
        const xphost::WidgetRect rect = xphost::geometryOf(widget);
        const bool sameLine = rect.Bottom < from.Top && rect.Top > from.Bottom;
        const int gap = rect.Left - from.Right;
        if (!sameLine || gap < 0) continue;
        if (best == nullptr || gap < bestGap) {
            best = widget;
            bestGap = gap;
        }
    }
    if (best == nullptr)
        *error =
            "nothing follows \"" + label + "\" on its line in the window " + windowName(window);
    return best;
}

XPWidgetID findGraph(XPWidgetID window, std::string *error) {
    for (XPWidgetID widget : xphost::descendantsOf(window))
        if (xphost::widgetClassOf(widget) == xphost::kCustomWidgetClass) return widget;
    *error = "the window " + windowName(window) + " holds no graph";
    return nullptr;
}

} // namespace plotwright_host
