#pragma once
// How messages reach widgets; not for plug-ins or tests.

#include <cstdint>

#include "XPWidgetDefs.h"

namespace xphost::internal {

// The widget's callbacks, newest first, then its class or widget function; the first nonzero
// result ends the dispatch and is returned. Stops early (returning 0) if a handler destroys the
// widget. A handle that is not live gets nothing and 0.
int sendToWidget(XPWidgetID widget, XPWidgetMessage message, intptr_t param1, intptr_t param2);

// Offers the message to the widget, then to its parent, and so on up to the root, until one
// handles it. Returns whether one did.
bool sendUpChain(XPWidgetID widget, XPWidgetMessage message, intptr_t param1, intptr_t param2);

// Every callback and the function, whatever they return (xpMsg_Destroy).
void sendToEveryHandler(XPWidgetID widget, XPWidgetMessage message, intptr_t param1,
                        intptr_t param2);

} // namespace xphost::internal
