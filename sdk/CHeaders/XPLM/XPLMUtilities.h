#ifndef XPLMUtilities_h
#define XPLMUtilities_h
/* Paths, the simulator's log, and commands. */
#include "XPLMDefs.h"

/* Writes the simulator's folder, ending with the directory separator. The buffer must hold at
 * least 512 bytes. */
XPLM_API void XPLMGetSystemPath(char *outSystemPath);

/* One separator character and a NUL. */
XPLM_API const char *XPLMGetDirectorySeparator(void);

/* Appends the text unchanged to Log.txt. */
XPLM_API void XPLMDebugString(const char *inString);

#if defined(XPLM200)
/* A named action users bind to keys, joystick buttons and cockpit controls. The same for the
 * whole run of the simulator; no plug-in owns one. */
typedef void *XPLMCommandRef;

/* Pressed, held (once a frame), released. */
enum { xplm_CommandBegin = 0, xplm_CommandContinue = 1, xplm_CommandEnd = 2 };
typedef int XPLMCommandPhase;

/* Return 1 to let the command go on to the other handlers and the simulator, 0 to stop it. */
typedef int (*XPLMCommandCallback_f)(XPLMCommandRef inCommand, XPLMCommandPhase inPhase,
                                     void *inRefcon);

/* Makes the command, or returns the existing one of that name. */
XPLM_API XPLMCommandRef XPLMCreateCommand(const char *inName, const char *inDescription);
/* NULL when no command has that name. */
XPLM_API XPLMCommandRef XPLMFindCommand(const char *inName);
/* inBefore 1: before the simulator's own handling, 0: after. */
XPLM_API void XPLMRegisterCommandHandler(XPLMCommandRef inComand, XPLMCommandCallback_f inHandler,
                                         int inBefore, void *inRefcon);
/* Removes the handler registered with the same four values. */
XPLM_API void XPLMUnregisterCommandHandler(XPLMCommandRef inComand, XPLMCommandCallback_f inHandler,
                                           int inBefore, void *inRefcon);
/* A press and release at once. */
XPLM_API void XPLMCommandOnce(XPLMCommandRef inCommand);
/* Held down until the matching XPLMCommandEnd. */
XPLM_API void XPLMCommandBegin(XPLMCommandRef inCommand);
XPLM_API void XPLMCommandEnd(XPLMCommandRef inCommand);
#endif

#endif
