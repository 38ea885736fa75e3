#pragma once
// The plug-in's menu: its texts double as the item references handed to the host.

extern const char kMenuTitle[];
extern const char kGraphWindowItem[];
extern const char kSetupWindowItem[];
extern const char kScalingWindowItem[];

struct AppState;

// Adds "Plotwrite" to the Plugins menu with its submenu of three items.
void buildPluginMenu(AppState &state);
