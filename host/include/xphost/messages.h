#pragma once
// The simulator's messages to the plug-in's XPluginReceiveMessage, all sent from
// XPLM_PLUGIN_XPLANE (0).
//
// What the host models:
// - The messages the simulator sends as aircraft and airports load: XPLM_MSG_PLANE_LOADED (102)
//   and XPLM_MSG_PLANE_UNLOADED (106) with the plane's number as the parameter (0 is the user's
//   aircraft), XPLM_MSG_AIRPORT_LOADED (103) with no parameter. Tests and scenarios send them
//   when they choose; the host does not load aircraft by itself.
// - XPLM_MSG_DATAREFS_ADDED (114), the simulator's version 12: at most one per frame, at the
//   start of the first frame after datarefs were published (xphost/datarefs.h), with the number
//   of datarefs published as the parameter; only while the receiving plug-in has
//   "XPLM_WANTS_DATAREF_NOTIFICATIONS" switched on. Datarefs published while the feature is
//   off are not announced later.
// - A disabled plug-in receives nothing: the loader (xphost/plugin_loader.h) is the receiver
//   only from a successful XPluginEnable to XPluginDisable.

#include <functional>

#include "XPLMDefs.h"

namespace xphost {

// The value of XPLM_MSG_DATAREFS_ADDED, which the declarations give only under XPLM400.
constexpr int kMessageDataRefsAdded = 114;

// The plug-in's XPluginReceiveMessage: the loaded module's, or the function itself for tests
// that link the plug-in's code directly. Empty: messages go nowhere. resetHost empties it.
using MessageReceiver = std::function<void(XPLMPluginID from, int message, void *param)>;
void setMessageReceiver(MessageReceiver receiver);

// Sends one message now, from the simulator, with an int parameter passed as the pointer.
void sendMessage(int message, int param);
void sendPlaneLoaded(int plane);
void sendPlaneUnloaded(int plane);
void sendAirportLoaded();

// How many messages have been delivered to a receiver since resetHost.
long long deliveredMessageCount();

} // namespace xphost
