// The widget tree: handles, parent and child links, the order of the root windows.
#include "widget_tree.h"

#include <algorithm>
#include <cstdio>

#include "host_internal.h"
#include "xphost/host.h"

namespace xphost::internal {
namespace {

// Handles start well away from null and from small integers a plug-in might pass by mistake.
constexpr std::uintptr_t kFirstHandle = 0x10000;
constexpr std::uintptr_t kHandleStep = 0x10;

struct Tree {
    std::map<XPWidgetID, std::unique_ptr<Widget>> widgets;
    std::vector<XPWidgetID> roots;
    // Survives resets on purpose: see the header.
    std::uintptr_t nextHandle = kFirstHandle;
    InputState input;
};

Tree &tree() {
    static Tree instance;
    return instance;
}

void unlinkFrom(std::vector<XPWidgetID> &list, XPWidgetID id) {
    list.erase(std::remove(list.begin(), list.end(), id), list.end());
}

} // namespace

Widget *findWidget(XPWidgetID id) {
    auto it = tree().widgets.find(id);
    return it == tree().widgets.end() ? nullptr : it->second.get();
}

bool wasEverIssued(XPWidgetID id) {
    const auto value = reinterpret_cast<std::uintptr_t>(id);
    return value >= kFirstHandle && value < tree().nextHandle &&
           (value - kFirstHandle) % kHandleStep == 0;
}

Widget *requireWidget(XPWidgetID id, const char *caller) {
    if (Widget *widget = findWidget(id)) return widget;
    std::string why;
    if (id == nullptr)
        why = "null widget";
    else if (wasEverIssued(id))
        why = "destroyed widget";
    else
        why = "unknown widget handle";
    char text[32];
    std::snprintf(text, sizeof text, "%p", id);
    reportHostError(std::string(caller) + ": " + why + " " + text);
    return nullptr;
}

Widget &addWidget(int left, int top, int right, int bottom, bool shown, const char *descriptor,
                  bool isRoot, XPWidgetID container, int widgetClass, XPWidgetFunc_t function) {
    Tree &all = tree();
    auto widget = std::make_unique<Widget>();
    widget->id = reinterpret_cast<XPWidgetID>(all.nextHandle);
    all.nextHandle += kHandleStep;
    widget->left = left;
    widget->top = top;
    widget->right = right;
    widget->bottom = bottom;
    widget->shown = shown;
    widget->isRoot = isRoot;
    widget->descriptor = descriptor != nullptr ? descriptor : "";
    widget->widgetClass = widgetClass;
    widget->function = function;
    widget->owner = runningModule();
    if (isRoot) {
        all.roots.push_back(widget->id);
    } else if (Widget *parent = findWidget(container)) {
        widget->parent = parent->id;
        parent->children.push_back(widget->id);
    }
    Widget &result = *widget;
    all.widgets.emplace(widget->id, std::move(widget));
    return result;
}

void removeWidget(XPWidgetID id) {
    Tree &all = tree();
    auto it = all.widgets.find(id);
    if (it == all.widgets.end()) return;
    Widget &widget = *it->second;
    if (Widget *parent = findWidget(widget.parent)) unlinkFrom(parent->children, id);
    unlinkFrom(all.roots, id);
    for (XPWidgetID child : widget.children)
        if (Widget *orphan = findWidget(child)) orphan->parent = nullptr;
    if (all.input.mouseCapture == id) all.input.mouseCapture = nullptr;
    if (all.input.keyboardFocus == id) all.input.keyboardFocus = nullptr;
    all.widgets.erase(it);
}

std::size_t widgetCount() { return tree().widgets.size(); }

const std::vector<XPWidgetID> &rootOrder() { return tree().roots; }

bool ownerEnabled(const Widget &widget) { return isModuleEnabled(widget.owner); }

XPWidgetID rootOf(XPWidgetID id) {
    const Widget *widget = findWidget(id);
    while (widget != nullptr && !widget->isRoot)
        widget = findWidget(widget->parent);
    return widget != nullptr ? widget->id : nullptr;
}

bool isFrontRoot(XPWidgetID root) {
    const std::vector<XPWidgetID> &roots = tree().roots;
    return !roots.empty() && roots.back() == root;
}

void bringRootToFront(XPWidgetID root) {
    std::vector<XPWidgetID> &roots = tree().roots;
    auto it = std::find(roots.begin(), roots.end(), root);
    if (it == roots.end()) return;
    roots.erase(it);
    roots.push_back(root);
}

bool isEffectivelyVisible(const Widget &widget) {
    const Widget *current = &widget;
    while (true) {
        if (!current->shown) return false;
        if (current->isRoot) return true;
        current = findWidget(current->parent);
        if (current == nullptr) return false;
    }
}

bool containsPoint(const Widget &widget, int x, int y) {
    // Edges are inside, as for every rectangle of the library.
    return x >= widget.left && x <= widget.right && y >= widget.bottom && y <= widget.top;
}

InputState &inputState() { return tree().input; }

// Forgets every widget and the input state naming them, without messages: the plug-ins whose
// functions they hold may be gone.
void resetWidgets() {
    Tree &all = tree();
    all.widgets.clear();
    all.roots.clear();
    all.input = InputState{};
}

} // namespace xphost::internal
