#pragma once
// The standard widget classes' behaviour and the layout they share with their drawing; not for
// plug-ins or tests.

#include "XPWidgetDefs.h"
#include "xphost/widgets.h"

namespace xphost::internal {

struct Widget;

// The class function of a standard class; nullptr for xpWidgetClass_None. Classes the plug-in
// never uses (scroll bar, general graphics, progress) are drawn but take no input.
XPWidgetFunc_t standardClassFunction(int widgetClass);
bool isKnownClass(int widgetClass);

// A main window's title bar is the top strip of its rectangle; children placed below it are
// not covered. The close box is a 14-pixel square at the right end of the title bar, 4 pixels
// in from the top and right edges (edges included, like every widget rectangle).
constexpr int kTitleBarHeight = 20;
constexpr int kCloseBoxSize = 14;
constexpr int kCloseBoxInset = 4;
WidgetRect closeBoxOf(const Widget &mainWindow);

// Gives the keyboard focus to a widget (nullptr: to nobody), sending xpMsg_KeyLoseFocus to the
// widget that had it and xpMsg_KeyTakeFocus to the new one.
void setKeyboardFocus(XPWidgetID widget);

// The key state a key press points to. The SDK's XPKeyState_t has this layout (key, flags,
// virtual key); our declarations of the SDK do not name it because the plug-in never reads
// keys itself.
struct KeyState {
    char key = 0;
    int flags = 0;
    char vkey = 0;
};
constexpr int kKeyDownFlag = 8;
constexpr char kVirtualKeyBack = 0x08;

// The text field's answer to one key; nonzero when the field used the key.
int editTextField(XPWidgetID field, const KeyState &key);

} // namespace xphost::internal
