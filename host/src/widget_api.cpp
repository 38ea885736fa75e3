// The widget library's API as plug-ins call it.
//
// Choices where the simulator's behaviour is not documented:
// - Every handle argument must be a live widget: a null, unknown or destroyed handle is a host
//   error. Exceptions the plug-in relies on: XPGetWidgetProperty and XPIsWidgetVisible of a null
//   widget answer 0 without complaint.
// - XPSetWidgetProperty sends xpMsg_PropertyChanged on every call, also when the value does not
//   change ("stores, then sends"); XPSetWidgetDescriptor likewise always sends
//   xpMsg_DescriptorChanged.
// - XPShowWidget and XPHideWidget send xpMsg_Shown / xpMsg_Hidden (param1 the widget) only when
//   the widget's own flag changes, so each message reports a real change.
// - A root widget ignores its container. A non-root widget created without a container hangs
//   nowhere: it is never drawn nor clicked.
// - A null descriptor is a host error and is taken as "".
// - XPDestroyWidget on a widget whose destruction is already under way does nothing.
// - XPGetWidgetDescriptor with a negative length is a host error and copies nothing.
#include <cstring>

#include "XPWidgetUtils.h"
#include "XPWidgets.h"
#include "host_internal.h"
#include "standard_widgets.h"
#include "widget_dispatch.h"
#include "widget_tree.h"
#include "xphost/host.h"

namespace {

using namespace xphost::internal;

XPWidgetID createWidget(const char *caller, int left, int top, int right, int bottom, int visible,
                        const char *descriptor, int isRoot, XPWidgetID container, int widgetClass,
                        XPWidgetFunc_t function) {
    if (descriptor == nullptr)
        xphost::reportHostError(std::string(caller) + ": null descriptor (taken as \"\")");
    if (!isRoot && container != nullptr && requireWidget(container, caller) == nullptr)
        return nullptr;
    const Widget &widget =
        addWidget(left, top, right, bottom, visible != 0, descriptor, isRoot != 0,
                  isRoot ? nullptr : container, widgetClass, function);
    const XPWidgetID id = widget.id;
    sendToWidget(id, xpMsg_Create, 0, 0);
    return id;
}

void destroyWithMessages(XPWidgetID id, bool withChildren, intptr_t asChild) {
    Widget *widget = findWidget(id);
    if (widget == nullptr || widget->dying) return;
    widget->dying = true;
    if (withChildren) {
        const std::vector<XPWidgetID> children = widget->children;
        for (XPWidgetID child : children)
            destroyWithMessages(child, true, 1);
    }
    sendToEveryHandler(id, xpMsg_Destroy, asChild, 0);
    removeWidget(id);
}

void setShown(XPWidgetID id, bool shown, const char *caller) {
    Widget *widget = requireWidget(id, caller);
    if (widget == nullptr || widget->shown == shown) return;
    widget->shown = shown;
    sendToWidget(id, shown ? xpMsg_Shown : xpMsg_Hidden, reinterpret_cast<intptr_t>(id), 0);
}

} // namespace

WIDGET_API XPWidgetID XPCreateWidget(int inLeft, int inTop, int inRight, int inBottom,
                                     int inVisible, const char *inDescriptor, int inIsRoot,
                                     XPWidgetID inContainer, XPWidgetClass inClass) {
    xphost::internal::checkMainThread(__func__);
    if (!isKnownClass(inClass)) {
        xphost::reportHostError("XPCreateWidget: unknown widget class " + std::to_string(inClass));
        return nullptr;
    }
    return createWidget("XPCreateWidget", inLeft, inTop, inRight, inBottom, inVisible, inDescriptor,
                        inIsRoot, inContainer, inClass, standardClassFunction(inClass));
}

WIDGET_API XPWidgetID XPCreateCustomWidget(int inLeft, int inTop, int inRight, int inBottom,
                                           int inVisible, const char *inDescriptor, int inIsRoot,
                                           XPWidgetID inContainer, XPWidgetFunc_t inCallback) {
    xphost::internal::checkMainThread(__func__);
    if (inCallback == nullptr) {
        xphost::reportHostError("XPCreateCustomWidget: null widget function");
        return nullptr;
    }
    return createWidget("XPCreateCustomWidget", inLeft, inTop, inRight, inBottom, inVisible,
                        inDescriptor, inIsRoot, inContainer, xphost::kCustomWidgetClass,
                        inCallback);
}

WIDGET_API void XPDestroyWidget(XPWidgetID inWidget, int inDestroyChildren) {
    xphost::internal::checkMainThread(__func__);
    if (requireWidget(inWidget, "XPDestroyWidget") == nullptr) return;
    destroyWithMessages(inWidget, inDestroyChildren != 0, 0);
}

WIDGET_API void XPShowWidget(XPWidgetID inWidget) {
    xphost::internal::checkMainThread(__func__);
    setShown(inWidget, true, "XPShowWidget");
}
WIDGET_API void XPHideWidget(XPWidgetID inWidget) {
    xphost::internal::checkMainThread(__func__);
    setShown(inWidget, false, "XPHideWidget");
}

WIDGET_API int XPIsWidgetVisible(XPWidgetID inWidget) {
    xphost::internal::checkMainThread(__func__);
    if (inWidget == nullptr) return 0;
    const Widget *widget = requireWidget(inWidget, "XPIsWidgetVisible");
    return widget != nullptr && isEffectivelyVisible(*widget) ? 1 : 0;
}

WIDGET_API void XPSetWidgetProperty(XPWidgetID inWidget, XPWidgetPropertyID inProperty,
                                    intptr_t inValue) {
    xphost::internal::checkMainThread(__func__);
    Widget *widget = requireWidget(inWidget, "XPSetWidgetProperty");
    if (widget == nullptr) return;
    widget->properties[inProperty] = inValue;
    sendToWidget(inWidget, xpMsg_PropertyChanged, inProperty, inValue);
}

WIDGET_API intptr_t XPGetWidgetProperty(XPWidgetID inWidget, XPWidgetPropertyID inProperty,
                                        int *inExists) {
    xphost::internal::checkMainThread(__func__);
    if (inExists != nullptr) *inExists = 0;
    if (inWidget == nullptr) return 0;
    const Widget *widget = requireWidget(inWidget, "XPGetWidgetProperty");
    if (widget == nullptr) return 0;
    auto it = widget->properties.find(inProperty);
    if (it == widget->properties.end()) return 0;
    if (inExists != nullptr) *inExists = 1;
    return it->second;
}

WIDGET_API void XPSetWidgetDescriptor(XPWidgetID inWidget, const char *inDescriptor) {
    xphost::internal::checkMainThread(__func__);
    Widget *widget = requireWidget(inWidget, "XPSetWidgetDescriptor");
    if (widget == nullptr) return;
    if (inDescriptor == nullptr)
        xphost::reportHostError("XPSetWidgetDescriptor: null descriptor (taken as \"\")");
    widget->descriptor = inDescriptor != nullptr ? inDescriptor : "";
    sendToWidget(inWidget, xpMsg_DescriptorChanged, 0, 0);
}

WIDGET_API int XPGetWidgetDescriptor(XPWidgetID inWidget, char *outDescriptor,
                                     int inMaxDescLength) {
    xphost::internal::checkMainThread(__func__);
    const Widget *widget = requireWidget(inWidget, "XPGetWidgetDescriptor");
    if (widget == nullptr) return 0;
    const auto length = static_cast<int>(widget->descriptor.size());
    if (outDescriptor == nullptr) return length;
    if (inMaxDescLength < 0) {
        xphost::reportHostError("XPGetWidgetDescriptor: negative buffer length " +
                                std::to_string(inMaxDescLength));
        return length;
    }
    // strncpy on purpose: callers of the real library get an unterminated buffer when the text
    // fills it, and code tested here must cope with that.
    std::strncpy(outDescriptor, widget->descriptor.c_str(),
                 static_cast<std::size_t>(inMaxDescLength));
    return length;
}

WIDGET_API void XPGetWidgetGeometry(XPWidgetID inWidget, int *outLeft, int *outTop, int *outRight,
                                    int *outBottom) {
    xphost::internal::checkMainThread(__func__);
    const Widget *widget = requireWidget(inWidget, "XPGetWidgetGeometry");
    if (widget == nullptr) return;
    if (outLeft != nullptr) *outLeft = widget->left;
    if (outTop != nullptr) *outTop = widget->top;
    if (outRight != nullptr) *outRight = widget->right;
    if (outBottom != nullptr) *outBottom = widget->bottom;
}

WIDGET_API void XPAddWidgetCallback(XPWidgetID inWidget, XPWidgetFunc_t inNewCallback) {
    xphost::internal::checkMainThread(__func__);
    Widget *widget = requireWidget(inWidget, "XPAddWidgetCallback");
    if (widget == nullptr) return;
    if (inNewCallback == nullptr) {
        xphost::reportHostError("XPAddWidgetCallback: null callback");
        return;
    }
    widget->callbacks.push_back(inNewCallback);
    inNewCallback(xpMsg_Create, inWidget, 1, 0);
}

WIDGET_API int XPUSelectIfNeeded(XPWidgetMessage inMessage, XPWidgetID inWidget, intptr_t, intptr_t,
                                 int inEatClick) {
    xphost::internal::checkMainThread(__func__);
    if (requireWidget(inWidget, "XPUSelectIfNeeded") == nullptr) return 0;
    if (inMessage != xpMsg_MouseDown) return 0;
    const XPWidgetID root = rootOf(inWidget);
    if (root == nullptr || isFrontRoot(root)) return 0;
    bringRootToFront(root);
    return inEatClick;
}
