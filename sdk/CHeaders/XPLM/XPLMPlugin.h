#ifndef XPLMPlugin_h
#define XPLMPlugin_h
/* Plug-in management: messages the simulator sends to every plug-in, and optional features. */
#include "XPLMDefs.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Messages sent from XPLM_PLUGIN_XPLANE to XPluginReceiveMessage. */
#define XPLM_MSG_PLANE_CRASHED 101
/* The parameter is the plane's number as an int; 0 is the user's aircraft. */
#define XPLM_MSG_PLANE_LOADED 102
#define XPLM_MSG_AIRPORT_LOADED 103
#define XPLM_MSG_SCENERY_LOADED 104
#define XPLM_MSG_AIRPLANE_COUNT_CHANGED 105
#if defined(XPLM200)
/* The parameter is the plane's number as an int; 0 is the user's aircraft. */
#define XPLM_MSG_PLANE_UNLOADED 106
#endif
#if defined(XPLM210)
#define XPLM_MSG_WILL_WRITE_PREFS 107
#define XPLM_MSG_LIVERY_LOADED 108
#endif
#if defined(XPLM400)
/* At most once per frame after datarefs were added, to plug-ins that switched on
   "XPLM_WANTS_DATAREF_NOTIFICATIONS"; the parameter is the new total count. */
#define XPLM_MSG_DATAREFS_ADDED 114
#endif

#if defined(XPLM200)
/* Whether the running simulator knows the feature at all. */
XPLM_API int XPLMHasFeature(const char *inFeature);
/* Whether the feature is switched on for the calling plug-in. */
XPLM_API int XPLMIsFeatureEnabled(const char *inFeature);
/* "XPLM_USE_NATIVE_PATHS" makes every path UTF-8 and POSIX-style with '/'. */
XPLM_API void XPLMEnableFeature(const char *inFeature, int inEnable);
#endif

#ifdef __cplusplus
}
#endif

#endif
