#include "core/menu.h"

#include <cstring>
#include <initializer_list>

#include "XPLMMenus.h"
#include "XPWidgets.h"
#include "core/app_state.h"
#include "core/host_callbacks.h"
#include "core/window_rects.h"

const char kMenuTitle[] = "Plotwrite";
const char kGraphWindowItem[] = "Graph Window";
const char kSetupWindowItem[] = "DataRef Setup";
const char kScalingWindowItem[] = "DataRef Scaling";

namespace {
void *itemRef(const char *text) { return const_cast<char *>(text); }

void buildGraphWindowOnce(AppState &state) {
    const WindowRect &rect =
        state.FullSizeWindow != 0 ? kGraphWindowTallRect : kGraphWindowShortRect;
    state.buildGraphWindow(rect.Left, rect.Top, rect.Width, rect.Height);
    state.GraphWindowCreated = 1;
}

void showIfHidden(XPWidgetID window) {
    if (!XPIsWidgetVisible(window)) XPShowWidget(window);
}
} // namespace

void buildPluginMenu(AppState &state) {
    XPLMMenuID pluginsMenu = XPLMFindPluginsMenu();
    state.PluginsMenuItem = XPLMAppendMenuItem(pluginsMenu, kMenuTitle, nullptr, 1);
    state.MenuId =
        XPLMCreateMenu(kMenuTitle, pluginsMenu, state.PluginsMenuItem, menuHandler, nullptr);
    for (const char *item : {kGraphWindowItem, kSetupWindowItem, kScalingWindowItem})
        XPLMAppendMenuItem(state.MenuId, item, itemRef(item), 1);
}

// The setup and scaling windows reach the recording through the graph widget, so the graph
// window is built first; built on their behalf, it starts hidden.
void buildHiddenGraphWindowIfMissing(AppState &state) {
    if (state.GraphWindowCreated != 0) return;
    buildGraphWindowOnce(state);
    XPHideWidget(state.GraphWindowWidget);
}

namespace {
using BuildWindow = void (AppState::*)(int left, int top, int width, int height);

// The setup and scaling windows: built the first time, after the graph window they need.
void openWithGraphWindowBehind(AppState &state, int32_t &created, XPWidgetID window,
                               BuildWindow build, const WindowRect &rect) {
    if (created != 0) {
        showIfHidden(window);
        return;
    }
    buildHiddenGraphWindowIfMissing(state);
    (state.*build)(rect.Left, rect.Top, rect.Width, rect.Height);
    created = 1;
}
} // namespace

void openPluginWindow(AppState &state, PluginWindow window) {
    switch (window) {
    case PluginWindow::Graph:
        if (state.GraphWindowCreated == 0)
            buildGraphWindowOnce(state);
        else
            showIfHidden(state.GraphWindowWidget);
        break;
    case PluginWindow::Setup:
        openWithGraphWindowBehind(state, state.SetupWindowCreated, state.SetupWindowWidget,
                                  &AppState::buildSetupWindow, kSetupWindowRect);
        break;
    case PluginWindow::Scaling:
        openWithGraphWindowBehind(state, state.ScalingWindowCreated, state.ScalingWindowWidget,
                                  &AppState::buildScalingWindow, kScalingWindowRect);
        break;
    }
}

void AppState::onMenuItem(void * /*menuRef*/, void *itemRefValue) {
    if (itemRefValue == nullptr) return;
    const char *item = static_cast<const char *>(itemRefValue);
    if (std::strcmp(item, kGraphWindowItem) == 0) openPluginWindow(*this, PluginWindow::Graph);
    if (std::strcmp(item, kSetupWindowItem) == 0) openPluginWindow(*this, PluginWindow::Setup);
    if (std::strcmp(item, kScalingWindowItem) == 0) openPluginWindow(*this, PluginWindow::Scaling);
}
