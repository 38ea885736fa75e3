#ifndef XPLMPlugin_h
#define XPLMPlugin_h
/* Plug-in management. */
#include "XPLMDefs.h"

#if defined(XPLM200)
/* "XPLM_USE_NATIVE_PATHS" makes every path POSIX-style with '/'. */
XPLM_API void XPLMEnableFeature(const char *inFeature, int inEnable);
#endif

#endif
