#pragma once
// The plug-in's menu: its texts double as the item references handed to the host.

extern const char kMenuTitle[];
extern const char kGraphWindowItem[];
extern const char kSetupWindowItem[];
extern const char kScalingWindowItem[];

struct AppState;

enum class PluginWindow { Graph, Setup, Scaling };

// Adds "Plotwrite" to the Plugins menu with its submenu of three items.
void buildPluginMenu(AppState &state);

// What the window's menu item does: builds it the first time (the setup and scaling windows
// build the graph window hidden first), shows it when hidden.
void openPluginWindow(AppState &state, PluginWindow window);
// The graph widget holds the recording: whatever needs it builds the graph window, hidden, when
// it was never built.
void buildHiddenGraphWindowIfMissing(AppState &state);
