#pragma once
// The five entry points the simulator's plug-in manager looks up in the module.

#include "XPLMDefs.h"

#if defined(_WIN32)
#define PLOTWRIGHT_EXPORT extern "C" __declspec(dllexport)
#else
#define PLOTWRIGHT_EXPORT extern "C" __attribute__((visibility("default")))
#endif

PLOTWRIGHT_EXPORT int XPluginStart(char *outName, char *outSignature, char *outDescription);
PLOTWRIGHT_EXPORT void XPluginStop(void);
PLOTWRIGHT_EXPORT int XPluginEnable(void);
PLOTWRIGHT_EXPORT void XPluginDisable(void);
PLOTWRIGHT_EXPORT void XPluginReceiveMessage(XPLMPluginID inFromWho, int inMessage, void *inParam);

// The identity handed to the host; each text is copied with its NUL.
extern const char kPluginName[];
extern const char kPluginSignature[];
extern const char kPluginDescription[];
