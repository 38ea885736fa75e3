// Placeholder until the widget library lands: every widget call is reported as a host error.
#include "XPLMGraphics.h"
#include "XPUIGraphics.h"
#include "XPWidgetUtils.h"
#include "XPWidgets.h"
#include "host_internal.h"
#include "xphost/host.h"

namespace xphost::internal {
void resetWidgets() {}
void resetScreen() {}
} // namespace xphost::internal

namespace {
void missing(const char *name) {
    xphost::reportHostError(std::string(name) + ": the widget library is not built yet");
}
} // namespace

WIDGET_API XPWidgetID XPCreateWidget(int, int, int, int, int, const char *, int, XPWidgetID,
                                     XPWidgetClass) {
    missing("XPCreateWidget");
    return nullptr;
}
WIDGET_API XPWidgetID XPCreateCustomWidget(int, int, int, int, int, const char *, int, XPWidgetID,
                                           XPWidgetFunc_t) {
    missing("XPCreateCustomWidget");
    return nullptr;
}
WIDGET_API void XPDestroyWidget(XPWidgetID, int) { missing("XPDestroyWidget"); }
WIDGET_API void XPShowWidget(XPWidgetID) { missing("XPShowWidget"); }
WIDGET_API void XPHideWidget(XPWidgetID) { missing("XPHideWidget"); }
WIDGET_API int XPIsWidgetVisible(XPWidgetID) { return 0; }
WIDGET_API void XPSetWidgetProperty(XPWidgetID, XPWidgetPropertyID, intptr_t) {
    missing("XPSetWidgetProperty");
}
WIDGET_API intptr_t XPGetWidgetProperty(XPWidgetID, XPWidgetPropertyID, int *inExists) {
    if (inExists != nullptr) *inExists = 0;
    return 0;
}
WIDGET_API void XPSetWidgetDescriptor(XPWidgetID, const char *) { missing("XPSetWidgetDescriptor"); }
WIDGET_API int XPGetWidgetDescriptor(XPWidgetID, char *, int) {
    missing("XPGetWidgetDescriptor");
    return 0;
}
WIDGET_API void XPGetWidgetGeometry(XPWidgetID, int *, int *, int *, int *) {
    missing("XPGetWidgetGeometry");
}
WIDGET_API void XPAddWidgetCallback(XPWidgetID, XPWidgetFunc_t) { missing("XPAddWidgetCallback"); }
WIDGET_API int XPUSelectIfNeeded(XPWidgetMessage, XPWidgetID, intptr_t, intptr_t, int) { return 0; }
WIDGET_API void XPDrawTrack(int, int, int, int, int, int, int, XPTrackStyle, int) {
    missing("XPDrawTrack");
}
WIDGET_API void XPGetTrackMetrics(int, int, int, int, int, int, int, XPTrackStyle, int *, int *,
                                  int *, int *, int *, int *) {
    missing("XPGetTrackMetrics");
}
XPLM_API void XPLMSetGraphicsState(int, int, int, int, int, int, int) {}
XPLM_API void XPLMDrawTranslucentDarkBox(int, int, int, int) { missing("XPLMDrawTranslucentDarkBox"); }
