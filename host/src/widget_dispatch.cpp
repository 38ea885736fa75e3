// Message delivery. Handlers may create, destroy or change widgets while a message is being
// delivered, so the handler list is copied first and the widget is looked up again after every
// call instead of holding on to it.
#include "widget_dispatch.h"

#include <vector>

#include "host_internal.h"
#include "widget_tree.h"

namespace xphost::internal {
namespace {

std::vector<XPWidgetFunc_t> handlersOf(const Widget &widget) {
    std::vector<XPWidgetFunc_t> handlers(widget.callbacks.rbegin(), widget.callbacks.rend());
    if (widget.function != nullptr) handlers.push_back(widget.function);
    return handlers;
}

} // namespace

int sendToWidget(XPWidgetID widget, XPWidgetMessage message, intptr_t param1, intptr_t param2) {
    const Widget *target = findWidget(widget);
    if (target == nullptr) return 0;
    RunningModuleScope running(target->owner);
    for (XPWidgetFunc_t handler : handlersOf(*target)) {
        if (const int result = handler(message, widget, param1, param2)) return result;
        if (findWidget(widget) == nullptr) return 0;
    }
    return 0;
}

bool sendUpChain(XPWidgetID widget, XPWidgetMessage message, intptr_t param1, intptr_t param2) {
    XPWidgetID current = widget;
    while (findWidget(current) != nullptr) {
        if (sendToWidget(current, message, param1, param2) != 0) return true;
        const Widget *still = findWidget(current);
        if (still == nullptr) return false;
        current = still->parent;
    }
    return false;
}

void sendToEveryHandler(XPWidgetID widget, XPWidgetMessage message, intptr_t param1,
                        intptr_t param2) {
    const Widget *target = findWidget(widget);
    if (target == nullptr) return;
    RunningModuleScope running(target->owner);
    for (XPWidgetFunc_t handler : handlersOf(*target))
        handler(message, widget, param1, param2);
}

} // namespace xphost::internal
