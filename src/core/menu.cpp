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

// The setup and scaling windows reach the recording through the graph widget, so the graph
// window is built first; built on their behalf, it starts hidden.
void buildHiddenGraphWindowIfMissing(AppState &state) {
    if (state.GraphWindowCreated != 0) return;
    buildGraphWindowOnce(state);
    XPHideWidget(state.GraphWindowWidget);
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

void AppState::onMenuItem(void * /*menuRef*/, void *itemRefValue) {
    if (itemRefValue == nullptr) return;
    const char *item = static_cast<const char *>(itemRefValue);

    if (std::strcmp(item, kGraphWindowItem) == 0) {
        if (GraphWindowCreated == 0)
            buildGraphWindowOnce(*this);
        else
            showIfHidden(GraphWindowWidget);
    }
    if (std::strcmp(item, kSetupWindowItem) == 0) {
        if (SetupWindowCreated == 0) {
            buildHiddenGraphWindowIfMissing(*this);
            buildSetupWindow(kSetupWindowRect.Left, kSetupWindowRect.Top, kSetupWindowRect.Width,
                             kSetupWindowRect.Height);
            SetupWindowCreated = 1;
        } else {
            showIfHidden(SetupWindowWidget);
        }
    }
    if (std::strcmp(item, kScalingWindowItem) == 0) {
        if (ScalingWindowCreated == 0) {
            buildHiddenGraphWindowIfMissing(*this);
            buildScalingWindow(kScalingWindowRect.Left, kScalingWindowRect.Top,
                               kScalingWindowRect.Width, kScalingWindowRect.Height);
            ScalingWindowCreated = 1;
        } else {
            showIfHidden(ScalingWindowWidget);
        }
    }
}
