#include "core/host_callbacks.h"

#include "core/app_state.h"

// An exception must never unwind into the simulator: each callback swallows it and answers as
// if the call had done nothing.

float flightLoopCallback(float elapsedSinceLastCall, float elapsedSinceLastFlightLoop, int counter,
                         void *refcon) {
    constexpr float kNextTickSeconds = 0.01f;
    if (gAppState == nullptr) return kNextTickSeconds;
    try {
        return gAppState->onFlightLoop(elapsedSinceLastCall, elapsedSinceLastFlightLoop, counter,
                                       refcon);
    } catch (...) {
        return kNextTickSeconds;
    }
}

void menuHandler(void *menuRef, void *itemRef) {
    if (gAppState == nullptr) return;
    try {
        gAppState->onMenuItem(menuRef, itemRef);
    } catch (...) {
    }
}

int graphWindowCallback(XPWidgetMessage message, XPWidgetID widget, intptr_t param1,
                        intptr_t param2) {
    if (gAppState == nullptr) return 0;
    try {
        return gAppState->onGraphWindowMessage(message, widget, param1, param2);
    } catch (...) {
        return 0;
    }
}

int setupWindowCallback(XPWidgetMessage message, XPWidgetID widget, intptr_t param1,
                        intptr_t param2) {
    if (gAppState == nullptr) return 0;
    try {
        return gAppState->onSetupWindowMessage(message, widget, param1, param2);
    } catch (...) {
        return 0;
    }
}

int scalingWindowCallback(XPWidgetMessage message, XPWidgetID widget, intptr_t param1,
                          intptr_t param2) {
    if (gAppState == nullptr) return 0;
    try {
        return gAppState->onScalingWindowMessage(message, widget, param1, param2);
    } catch (...) {
        return 0;
    }
}

int commandHandler(XPLMCommandRef command, XPLMCommandPhase phase, void * /*refcon*/) {
    if (gAppState == nullptr) return 1;
    try {
        return gAppState->onCommand(command, phase);
    } catch (...) {
        return 1;
    }
}
