// Behaviour of the standard widget classes: what they do with the mouse and the keyboard.
//
// Choices where the simulator's behaviour is not documented:
// - A main window takes every mouse-down inside it, so clicks never fall through to a window
//   behind. Dragging its title bar moves it with all its children.
// - Its close box sends xpMessage_CloseButtonPushed (param1 the window) when a click that began
//   on the box is released on it, like a push button.
// - A push button lights (xpProperty_Hilited 1) while the pointer that pressed it is over it.
// - A radio button (behaviour radio button) turns on at the mouse-down and only sends
//   xpMsg_ButtonStateChanged when it was off; turning the others of its group off is the
//   plug-in's business, as in the simulator.
// - Sub-windows and captions take no mouse: a click on them goes on to their parent.
// - xpProperty_Enabled is not consulted: every standard widget works whatever its value.
// - Standard widgets never eat the click that brings their window to the front.
#include "standard_widgets.h"

#include "XPStandardWidgets.h"
#include "XPWidgets.h"
#include "standard_widget_drawing.h"
#include "widget_dispatch.h"
#include "widget_tree.h"

namespace xphost::internal {
namespace {

const XPMouseState_t &mouseOf(intptr_t param1) {
    return *reinterpret_cast<const XPMouseState_t *>(param1);
}

bool inside(const WidgetRect &rect, int x, int y) {
    return x >= rect.Left && x <= rect.Right && y >= rect.Bottom && y <= rect.Top;
}

intptr_t propertyOf(const Widget &widget, XPWidgetPropertyID property) {
    auto it = widget.properties.find(property);
    return it == widget.properties.end() ? 0 : it->second;
}

int drawAndTake(XPWidgetID id) {
    if (const Widget *widget = findWidget(id)) drawStandardWidget(*widget);
    return 1;
}

void moveWithChildren(XPWidgetID id, int dx, int dy) {
    Widget *widget = findWidget(id);
    if (widget == nullptr) return;
    widget->left += dx;
    widget->right += dx;
    widget->top += dy;
    widget->bottom += dy;
    for (XPWidgetID child : std::vector<XPWidgetID>(widget->children))
        moveWithChildren(child, dx, dy);
}

// Mouse and key messages a plug-in sends by hand may carry no state; they are not for us then.
bool isInputWithoutState(XPWidgetMessage message, intptr_t param1) {
    const bool input = message == xpMsg_MouseDown || message == xpMsg_MouseDrag ||
                       message == xpMsg_MouseUp || message == xpMsg_KeyPress;
    return input && param1 == 0;
}

int mainWindowFunction(XPWidgetMessage message, XPWidgetID id, intptr_t param1, intptr_t) {
    Widget *window = findWidget(id);
    if (window == nullptr || isInputWithoutState(message, param1)) return 0;
    switch (message) {
    case xpMsg_Draw:
        return drawAndTake(id);
    case xpMsg_MouseDown: {
        const XPMouseState_t &mouse = mouseOf(param1);
        window->pressed = false;
        window->pressX = mouse.x;
        window->pressY = mouse.y;
        const bool hasCloseBox = propertyOf(*window, xpProperty_MainWindowHasCloseBoxes) != 0;
        if (hasCloseBox && inside(closeBoxOf(*window), mouse.x, mouse.y)) window->pressed = true;
        return 1;
    }
    case xpMsg_MouseDrag: {
        const XPMouseState_t &mouse = mouseOf(param1);
        const bool onTitleBar = window->pressY > window->top - kTitleBarHeight;
        if (!window->pressed && onTitleBar) {
            const int dx = mouse.x - window->pressX;
            const int dy = mouse.y - window->pressY;
            window->pressX = mouse.x;
            window->pressY = mouse.y;
            moveWithChildren(id, dx, dy);
            sendToWidget(id, xpMsg_Reshape, reinterpret_cast<intptr_t>(id), 0);
        }
        return 1;
    }
    case xpMsg_MouseUp: {
        const XPMouseState_t &mouse = mouseOf(param1);
        const bool closeClicked = window->pressed && inside(closeBoxOf(*window), mouse.x, mouse.y);
        window->pressed = false;
        if (closeClicked)
            sendToWidget(id, xpMessage_CloseButtonPushed, reinterpret_cast<intptr_t>(id), 0);
        return 1;
    }
    default:
        return 0;
    }
}

int passiveFunction(XPWidgetMessage message, XPWidgetID id, intptr_t, intptr_t) {
    return message == xpMsg_Draw ? drawAndTake(id) : 0;
}

void changeButtonState(XPWidgetID id, intptr_t state) {
    XPSetWidgetProperty(id, xpProperty_ButtonState, state);
    if (findWidget(id) == nullptr) return;
    sendUpChain(id, xpMsg_ButtonStateChanged, reinterpret_cast<intptr_t>(id), state);
}

int buttonFunction(XPWidgetMessage message, XPWidgetID id, intptr_t param1, intptr_t) {
    Widget *button = findWidget(id);
    if (button == nullptr || isInputWithoutState(message, param1)) return 0;
    const intptr_t behaviour = propertyOf(*button, xpProperty_ButtonBehavior);
    switch (message) {
    case xpMsg_Draw:
        return drawAndTake(id);
    case xpMsg_MouseDown:
        if (behaviour == xpButtonBehaviorCheckBox) {
            changeButtonState(id, propertyOf(*button, xpProperty_ButtonState) != 0 ? 0 : 1);
        } else if (behaviour == xpButtonBehaviorRadioButton) {
            if (propertyOf(*button, xpProperty_ButtonState) == 0) changeButtonState(id, 1);
        } else {
            button->pressed = true;
            XPSetWidgetProperty(id, xpProperty_Hilited, 1);
        }
        return 1;
    case xpMsg_MouseDrag: {
        const XPMouseState_t &mouse = mouseOf(param1);
        if (button->pressed) {
            const intptr_t lit = containsPoint(*button, mouse.x, mouse.y) ? 1 : 0;
            if (propertyOf(*button, xpProperty_Hilited) != lit)
                XPSetWidgetProperty(id, xpProperty_Hilited, lit);
        }
        return 1;
    }
    case xpMsg_MouseUp: {
        const XPMouseState_t &mouse = mouseOf(param1);
        if (!button->pressed) return 1;
        button->pressed = false;
        const bool released = containsPoint(*button, mouse.x, mouse.y);
        XPSetWidgetProperty(id, xpProperty_Hilited, 0);
        if (released && findWidget(id) != nullptr)
            sendUpChain(id, xpMsg_PushButtonPressed, reinterpret_cast<intptr_t>(id), 0);
        return 1;
    }
    default:
        return 0;
    }
}

int textFieldFunction(XPWidgetMessage message, XPWidgetID id, intptr_t param1, intptr_t) {
    const Widget *field = findWidget(id);
    if (field == nullptr || isInputWithoutState(message, param1)) return 0;
    switch (message) {
    case xpMsg_Draw:
        return drawAndTake(id);
    case xpMsg_MouseDown: {
        // The caret goes to the end of the text: typing after a click appends.
        const auto length = static_cast<intptr_t>(field->descriptor.size());
        setKeyboardFocus(id);
        XPSetWidgetProperty(id, xpProperty_EditFieldSelStart, length);
        XPSetWidgetProperty(id, xpProperty_EditFieldSelEnd, length);
        return 1;
    }
    case xpMsg_MouseDrag:
    case xpMsg_MouseUp:
    case xpMsg_KeyTakeFocus:
    case xpMsg_KeyLoseFocus:
        return 1;
    case xpMsg_KeyPress:
        return editTextField(id, *reinterpret_cast<const KeyState *>(param1));
    default:
        return 0;
    }
}

} // namespace

bool isKnownClass(int widgetClass) {
    return widgetClass >= xpWidgetClass_None && widgetClass <= xpWidgetClass_Progress;
}

XPWidgetFunc_t standardClassFunction(int widgetClass) {
    switch (widgetClass) {
    case xpWidgetClass_MainWindow:
        return mainWindowFunction;
    case xpWidgetClass_Button:
        return buttonFunction;
    case xpWidgetClass_TextField:
        return textFieldFunction;
    case xpWidgetClass_SubWindow:
    case xpWidgetClass_Caption:
    case xpWidgetClass_ScrollBar:
    case xpWidgetClass_GeneralGraphics:
    case xpWidgetClass_Progress:
        return passiveFunction;
    default:
        return nullptr;
    }
}

WidgetRect closeBoxOf(const Widget &mainWindow) {
    WidgetRect box;
    box.Right = mainWindow.right - kCloseBoxInset;
    box.Left = box.Right - (kCloseBoxSize - 1);
    box.Top = mainWindow.top - kCloseBoxInset;
    box.Bottom = box.Top - (kCloseBoxSize - 1);
    return box;
}

void setKeyboardFocus(XPWidgetID widget) {
    InputState &input = inputState();
    const XPWidgetID previous = input.keyboardFocus;
    if (previous == widget) return;
    input.keyboardFocus = widget;
    if (previous != nullptr) sendToWidget(previous, xpMsg_KeyLoseFocus, 0, 0);
    if (widget != nullptr) sendToWidget(widget, xpMsg_KeyTakeFocus, 0, 0);
}

} // namespace xphost::internal
