// Looking at the widget tree from a test or a tool. These never report host errors: asking
// about a widget that does not exist is a fair question and gets an empty answer.
#include <functional>

#include "XPStandardWidgets.h"
#include "widget_tree.h"
#include "xphost/widgets.h"

namespace xphost {

using internal::findWidget;
using internal::Widget;

bool isLiveWidget(XPWidgetID widget) { return findWidget(widget) != nullptr; }
std::size_t liveWidgetCount() { return internal::widgetCount(); }
std::vector<XPWidgetID> rootWidgets() { return internal::rootOrder(); }

std::vector<XPWidgetID> childrenOf(XPWidgetID widget) {
    const Widget *found = findWidget(widget);
    return found != nullptr ? found->children : std::vector<XPWidgetID>{};
}

XPWidgetID parentOf(XPWidgetID widget) {
    const Widget *found = findWidget(widget);
    return found != nullptr ? found->parent : nullptr;
}

int widgetClassOf(XPWidgetID widget) {
    const Widget *found = findWidget(widget);
    return found != nullptr ? found->widgetClass : xpWidgetClass_None;
}

std::string descriptorOf(XPWidgetID widget) {
    const Widget *found = findWidget(widget);
    return found != nullptr ? found->descriptor : std::string{};
}

WidgetRect geometryOf(XPWidgetID widget) {
    const Widget *found = findWidget(widget);
    if (found == nullptr) return {};
    return WidgetRect{found->left, found->top, found->right, found->bottom};
}

bool isShown(XPWidgetID widget) {
    const Widget *found = findWidget(widget);
    return found != nullptr && found->shown;
}

XPWidgetID findWindow(const std::string &captionPrefix) {
    for (XPWidgetID root : internal::rootOrder()) {
        const Widget *window = findWidget(root);
        if (window != nullptr && window->widgetClass == xpWidgetClass_MainWindow &&
            window->descriptor.compare(0, captionPrefix.size(), captionPrefix) == 0)
            return root;
    }
    return nullptr;
}

std::vector<XPWidgetID> descendantsOf(XPWidgetID root) {
    std::vector<XPWidgetID> found;
    std::function<void(XPWidgetID)> visit = [&](XPWidgetID id) {
        const Widget *widget = findWidget(id);
        if (widget == nullptr) return;
        for (XPWidgetID child : widget->children) {
            found.push_back(child);
            visit(child);
        }
    };
    visit(root);
    return found;
}

std::vector<XPWidgetID> findDescendants(XPWidgetID root, const std::string &descriptor,
                                        int widgetClass) {
    std::vector<XPWidgetID> matches;
    for (XPWidgetID id : descendantsOf(root)) {
        const Widget *widget = findWidget(id);
        if (widget->descriptor == descriptor &&
            (widgetClass == -2 || widget->widgetClass == widgetClass))
            matches.push_back(id);
    }
    return matches;
}

} // namespace xphost
