// Mouse and keyboard input made the way a person makes it.
//
// Choices where the simulator's behaviour is not documented:
// - Only the front-most visible root window under the pointer is offered a mouse-down; when no
//   widget of its chain takes it, the click is lost rather than passed to a window behind.
// - The window that was clicked comes to the front after the mouse-down has been delivered, so
//   a widget that calls XPUSelectIfNeeded while handling it still sees its window behind.
// - A mouse-down anywhere but on the focused text field takes the keyboard focus away.
// - Key presses go to the focused widget and up its chain; keys typed while the focused widget
//   is hidden go nowhere.
// - The windows of a disabled plug-in take no input: a click on one is lost like a click on the
//   bare screen (nothing behind it gets it), and drags, releases and keys meant for its widgets
//   go nowhere.
#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "standard_widgets.h"
#include "widget_dispatch.h"
#include "widget_tree.h"
#include "xphost/widgets.h"

namespace xphost {
namespace {

using namespace internal;

XPWidgetID deepestWidgetAt(const Widget &widget, int x, int y) {
    for (auto it = widget.children.rbegin(); it != widget.children.rend(); ++it) {
        const Widget *child = findWidget(*it);
        if (child != nullptr && child->shown && !child->dying && containsPoint(*child, x, y))
            return deepestWidgetAt(*child, x, y);
    }
    return widget.id;
}

XPWidgetID widgetAt(int x, int y) {
    const std::vector<XPWidgetID> &roots = rootOrder();
    for (auto it = roots.rbegin(); it != roots.rend(); ++it) {
        const Widget *root = findWidget(*it);
        if (root != nullptr && root->shown && !root->dying && containsPoint(*root, x, y))
            return ownerEnabled(*root) ? deepestWidgetAt(*root, x, y) : nullptr;
    }
    return nullptr;
}

void sendMouse(XPWidgetID widget, XPWidgetMessage message, int x, int y) {
    XPMouseState_t mouse{};
    mouse.x = x;
    mouse.y = y;
    sendToWidget(widget, message, reinterpret_cast<intptr_t>(&mouse), 0);
}

char virtualKeyOf(char key) {
    if (key == '\b') return kVirtualKeyBack;
    if (key >= 'a' && key <= 'z') return static_cast<char>(key - 'a' + 'A');
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9') || key == ' ') return key;
    return 0;
}

} // namespace

bool mouseDown(int x, int y) {
    InputState &input = inputState();
    input.mouseCapture = nullptr;
    const XPWidgetID focusBefore = input.keyboardFocus;
    const XPWidgetID target = widgetAt(x, y);
    if (target == nullptr) {
        setKeyboardFocus(nullptr);
        return false;
    }
    const XPWidgetID root = rootOf(target);
    XPWidgetID taker = nullptr;
    for (XPWidgetID current = target; current != nullptr;) {
        XPMouseState_t mouse{};
        mouse.x = x;
        mouse.y = y;
        if (sendToWidget(current, xpMsg_MouseDown, reinterpret_cast<intptr_t>(&mouse), 0) != 0) {
            taker = current;
            break;
        }
        const Widget *still = findWidget(current);
        current = still != nullptr ? still->parent : nullptr;
    }
    if (taker != nullptr && findWidget(taker) != nullptr) inputState().mouseCapture = taker;
    if (findWidget(root) != nullptr && !isFrontRoot(root)) bringRootToFront(root);
    const XPWidgetID focus = inputState().keyboardFocus;
    if (focus != nullptr && focus == focusBefore && focus != taker) setKeyboardFocus(nullptr);
    return taker != nullptr;
}

void mouseDrag(int x, int y) {
    const XPWidgetID capture = inputState().mouseCapture;
    const Widget *widget = findWidget(capture);
    if (widget != nullptr && ownerEnabled(*widget)) sendMouse(capture, xpMsg_MouseDrag, x, y);
}

void mouseUp(int x, int y) {
    const XPWidgetID capture = inputState().mouseCapture;
    inputState().mouseCapture = nullptr;
    const Widget *widget = findWidget(capture);
    if (widget != nullptr && ownerEnabled(*widget)) sendMouse(capture, xpMsg_MouseUp, x, y);
}

bool click(int x, int y) {
    const bool taken = mouseDown(x, y);
    mouseUp(x, y);
    return taken;
}

bool clickWidget(XPWidgetID widget) {
    const Widget *target = requireWidget(widget, "clickWidget");
    if (target == nullptr) return false;
    return click(target->left + (target->right - target->left) / 2,
                 target->bottom + (target->top - target->bottom) / 2);
}

WidgetRect closeBoxRect(XPWidgetID mainWindow) {
    const Widget *window = requireWidget(mainWindow, "closeBoxRect");
    return window != nullptr ? closeBoxOf(*window) : WidgetRect{};
}

bool clickCloseBox(XPWidgetID mainWindow) {
    const Widget *window = requireWidget(mainWindow, "clickCloseBox");
    if (window == nullptr) return false;
    const WidgetRect box = closeBoxOf(*window);
    return click((box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2);
}

XPWidgetID focusedWidget() { return inputState().keyboardFocus; }

void typeText(const std::string &text) {
    for (char c : text) {
        const XPWidgetID focus = inputState().keyboardFocus;
        const Widget *field = findWidget(focus);
        if (field == nullptr || !isEffectivelyVisible(*field) || !ownerEnabled(*field)) return;
        KeyState key;
        key.key = c;
        key.flags = kKeyDownFlag;
        key.vkey = virtualKeyOf(c);
        sendUpChain(focus, xpMsg_KeyPress, reinterpret_cast<intptr_t>(&key), 0);
    }
}

void selectAllInFocusedField() {
    const XPWidgetID focus = inputState().keyboardFocus;
    const Widget *field = findWidget(focus);
    if (field == nullptr) return;
    const auto length = static_cast<intptr_t>(field->descriptor.size());
    XPSetWidgetProperty(focus, xpProperty_EditFieldSelStart, 0);
    XPSetWidgetProperty(focus, xpProperty_EditFieldSelEnd, length);
}

} // namespace xphost
