#pragma once
// The widget library as a user and a test see it: inspecting the widget tree, and mouse and
// keyboard input made the way a person makes it. The XP* functions themselves are the API
// declared in sdk/.
//
// Where the simulator's behaviour is not documented the host chooses, and says so in the
// header comment of the source file concerned (widget_api.cpp, mouse_keyboard.cpp,
// standard_widgets.cpp, text_field_editing.cpp, track.cpp). The ones a test most often meets:
// - XPSetWidgetProperty always sends xpMsg_PropertyChanged, also for an unchanged value;
//   xpMsg_Shown / xpMsg_Hidden are sent only when the widget's own flag changes.
// - Unknown or destroyed handles are host errors; handles are never reused, not even after
//   resetHost. Property reads and XPIsWidgetVisible of a null widget answer 0 quietly.
// - A click in a window behind brings it to the front after the mouse-down was delivered; a
//   click that no widget of the front-most window under the pointer takes is lost.
// - A click on a text field puts the caret at the end of its text; a mouse-down anywhere else
//   takes the keyboard focus away.
// - The windows of a disabled plug-in (between XPluginDisable and XPluginEnable) are neither
//   drawn nor offered input, as the simulator gives a disabled plug-in no callbacks.
// - The inspection functions below never report errors: an unknown widget gets empty answers.

#include <cstddef>
#include <string>
#include <vector>

#include "XPWidgetDefs.h"

namespace xphost {

struct WidgetRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

// Class of a custom widget (made with XPCreateCustomWidget).
constexpr int kCustomWidgetClass = -1;

bool isLiveWidget(XPWidgetID widget);
std::size_t liveWidgetCount();
// Root widgets from back to front (the front-most last).
std::vector<XPWidgetID> rootWidgets();
// Children in creation order.
std::vector<XPWidgetID> childrenOf(XPWidgetID widget);
XPWidgetID parentOf(XPWidgetID widget);
int widgetClassOf(XPWidgetID widget);
std::string descriptorOf(XPWidgetID widget);
WidgetRect geometryOf(XPWidgetID widget);
// The widget's own visibility flag (XPIsWidgetVisible also looks at the parents).
bool isShown(XPWidgetID widget);

// The root main window whose descriptor starts with `captionPrefix`; nullptr when none.
XPWidgetID findWindow(const std::string &captionPrefix);
// Descendants of `root` (depth first, creation order) whose descriptor equals `descriptor`,
// optionally only of one class (pass -2 for any class).
std::vector<XPWidgetID> findDescendants(XPWidgetID root, const std::string &descriptor,
                                        int widgetClass = -2);
// All descendants of `root`, depth first in creation order.
std::vector<XPWidgetID> descendantsOf(XPWidgetID root);

// Mouse input in global screen coordinates (y upward). A mouse-down goes to the front-most
// visible widget under the pointer and up the chain until one takes it; that widget receives the
// drags and the mouse-up wherever the pointer is (off the widget, off the window, off the
// screen), as the widget library does. Returns whether any widget took the down.
bool mouseDown(int x, int y);
void mouseDrag(int x, int y);
void mouseUp(int x, int y);
// Down and up at one point.
bool click(int x, int y);
// A click at the centre of the widget's rectangle.
bool clickWidget(XPWidgetID widget);
// A click on the close box of a main window that has close boxes: a 14-pixel square 4 pixels in
// from the window's top and right edges, inside its 20-pixel title bar. Dragging the title bar
// moves the window with its children.
bool clickCloseBox(XPWidgetID mainWindow);
// Where the close box of a main window is drawn and clicked.
WidgetRect closeBoxRect(XPWidgetID mainWindow);

// Keyboard input goes to the text field that has the focus (taken by a click on it).
XPWidgetID focusedWidget();
// Types printable characters at the caret; '\b' deletes the character before the caret.
void typeText(const std::string &text);
// Selects the whole text of the focused field, so the next typing replaces it.
void selectAllInFocusedField();

} // namespace xphost
