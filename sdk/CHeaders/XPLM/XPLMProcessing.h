#ifndef XPLMProcessing_h
#define XPLMProcessing_h
/* Flight-loop callbacks. */
#include "XPLMDefs.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The result is the interval to the next call: positive in seconds, negative in flight loops,
 * 0 to stop being called. */
typedef float (*XPLMFlightLoop_f)(float inElapsedSinceLastCall,
                                  float inElapsedTimeSinceLastFlightLoop, int inCounter,
                                  void *inRefcon);

#ifdef __cplusplus
}
#endif

XPLM_API void XPLMRegisterFlightLoopCallback(XPLMFlightLoop_f inFlightLoop, float inInterval,
                                             void *inRefcon);
XPLM_API void XPLMUnregisterFlightLoopCallback(XPLMFlightLoop_f inFlightLoop, void *inRefcon);

#endif
