#ifndef XPWidgetUtils_h
#define XPWidgetUtils_h
/* Helpers for writing widget functions. */
#include "XPWidgetDefs.h"

/* On a mouse-down in a window that is not in front: brings it forward and returns inEatClick. */
WIDGET_API int XPUSelectIfNeeded(XPWidgetMessage inMessage, XPWidgetID inWidget, intptr_t inParam1,
                                 intptr_t inParam2, int inEatClick);

#endif
