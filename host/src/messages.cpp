// The simulator's messages to the plug-in.
#include "xphost/messages.h"

#include <cstdint>
#include <string>

#include "XPLMPlugin.h"
#include "host_internal.h"
#include "xphost/host.h"

namespace xphost {
namespace {

struct Messages {
    MessageReceiver receiver;
    long long delivered = 0;
};

Messages &messages() {
    static Messages instance;
    return instance;
}

void *parameterOf(int value) { return reinterpret_cast<void *>(static_cast<std::intptr_t>(value)); }

} // namespace

void setMessageReceiver(MessageReceiver receiver) { messages().receiver = std::move(receiver); }

void sendMessage(int message, int param) {
    // A copy: the receiver may replace itself (a plug-in disabled from its own message).
    const MessageReceiver receiver = messages().receiver;
    if (!receiver) return;
    ++messages().delivered;
    receiver(XPLM_PLUGIN_XPLANE, message, parameterOf(param));
}

void sendPlaneLoaded(int plane) { sendMessage(XPLM_MSG_PLANE_LOADED, plane); }
void sendPlaneUnloaded(int plane) { sendMessage(XPLM_MSG_PLANE_UNLOADED, plane); }
void sendAirportLoaded() { sendMessage(XPLM_MSG_AIRPORT_LOADED, 0); }

long long deliveredMessageCount() { return messages().delivered; }

namespace internal {

void resetMessages() {
    messages().receiver = nullptr;
    messages().delivered = 0;
}

void sendPendingDataRefNotice() {
    int published = 0;
    // Taken whether or not anyone listens: a later switch-on announces only later additions.
    if (!takeDataRefsAdded(&published)) return;
    if (!featureEnabled("XPLM_WANTS_DATAREF_NOTIFICATIONS")) return;
    sendMessage(kMessageDataRefsAdded, published);
}

} // namespace internal
} // namespace xphost
