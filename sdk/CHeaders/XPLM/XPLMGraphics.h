#ifndef XPLMGraphics_h
#define XPLMGraphics_h
/* OpenGL state and simple drawing helpers. */
#include "XPLMDefs.h"

XPLM_API void XPLMSetGraphicsState(int inEnableFog, int inNumberTexUnits, int inEnableLighting,
                                   int inEnableAlphaTesting, int inEnableAlphaBlending,
                                   int inEnableDepthTesting, int inEnableDepthWriting);
XPLM_API void XPLMDrawTranslucentDarkBox(int inLeft, int inTop, int inRight, int inBottom);

#endif
