#pragma once
// Free functions registered with the host. Each fetches gAppState and forwards its arguments
// unchanged; none lets an exception reach the host.

#include "XPLMMenus.h"
#include "XPLMUtilities.h"
#include "XPWidgetDefs.h"

float flightLoopCallback(float elapsedSinceLastCall, float elapsedSinceLastFlightLoop, int counter,
                         void *refcon);
void menuHandler(void *menuRef, void *itemRef);
int graphWindowCallback(XPWidgetMessage message, XPWidgetID widget, intptr_t param1,
                        intptr_t param2);
int setupWindowCallback(XPWidgetMessage message, XPWidgetID widget, intptr_t param1,
                        intptr_t param2);
int scalingWindowCallback(XPWidgetMessage message, XPWidgetID widget, intptr_t param1,
                          intptr_t param2);
// Returns 1 whatever happens: the press goes on to the other handlers and the simulator.
int commandHandler(XPLMCommandRef command, XPLMCommandPhase phase, void *refcon);
