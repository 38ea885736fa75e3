#ifndef XPLMUtilities_h
#define XPLMUtilities_h
/* Paths and the simulator's log. */
#include "XPLMDefs.h"

/* Writes the simulator's folder, ending with the directory separator. The buffer must hold at
 * least 512 bytes. */
XPLM_API void XPLMGetSystemPath(char *outSystemPath);

/* One separator character and a NUL. */
XPLM_API const char *XPLMGetDirectorySeparator(void);

/* Appends the text unchanged to Log.txt. */
XPLM_API void XPLMDebugString(const char *inString);

#endif
