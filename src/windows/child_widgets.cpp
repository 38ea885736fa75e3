#include "windows/child_widgets.h"

#include "XPStandardWidgets.h"
#include "XPWidgets.h"

namespace {
XPWidgetID createChild(const ChildRect &rect, const char *text, XPWidgetID parent,
                       XPWidgetClass widgetClass) {
    return XPCreateWidget(rect.Left, rect.Top, rect.Right, rect.Bottom, 1, text, 0, parent,
                          widgetClass);
}
} // namespace

XPWidgetID createCaption(const ChildRect &rect, const char *text, XPWidgetID parent) {
    return createChild(rect, text, parent, xpWidgetClass_Caption);
}

XPWidgetID createPushButton(const ChildRect &rect, const char *label, XPWidgetID parent) {
    XPWidgetID button = createChild(rect, label, parent, xpWidgetClass_Button);
    XPSetWidgetProperty(button, xpProperty_ButtonType, xpPushButton);
    return button;
}

XPWidgetID createTextEntryField(const ChildRect &rect, const char *text, XPWidgetID parent) {
    XPWidgetID field = createChild(rect, text, parent, xpWidgetClass_TextField);
    XPSetWidgetProperty(field, xpProperty_TextFieldType, xpTextEntryField);
    return field;
}

XPWidgetID createCheckBox(const ChildRect &rect, int state, XPWidgetID parent) {
    XPWidgetID box = createChild(rect, "", parent, xpWidgetClass_Button);
    XPSetWidgetProperty(box, xpProperty_ButtonType, xpRadioButton);
    XPSetWidgetProperty(box, xpProperty_ButtonBehavior, xpButtonBehaviorCheckBox);
    XPSetWidgetProperty(box, xpProperty_ButtonState, state);
    return box;
}

XPWidgetID createPanel(const ChildRect &rect, XPWidgetID parent) {
    XPWidgetID panel = createChild(rect, "", parent, xpWidgetClass_SubWindow);
    XPSetWidgetProperty(panel, xpProperty_SubWindowType, xpSubWindowStyle_SubWindow);
    return panel;
}

XPWidgetID createMainWindow(const ChildRect &rect, const char *caption) {
    XPWidgetID window = XPCreateWidget(rect.Left, rect.Top, rect.Right, rect.Bottom, 1, caption, 1,
                                       nullptr, xpWidgetClass_MainWindow);
    XPSetWidgetProperty(window, xpProperty_MainWindowHasCloseBoxes, 1);
    return window;
}
