#ifndef XPLMMenus_h
#define XPLMMenus_h
/* The simulator's menu bar. */
#include "XPLMDefs.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef void *XPLMMenuID;
typedef void (*XPLMMenuHandler_f)(void *inMenuRef, void *inItemRef);

#ifdef __cplusplus
}
#endif

XPLM_API XPLMMenuID XPLMFindPluginsMenu(void);
/* Returns the new item's index, negative on failure. */
XPLM_API int XPLMAppendMenuItem(XPLMMenuID inMenu, const char *inItemName, void *inItemRef,
                                int inDeprecatedAndIgnored);
/* NULL on failure. */
XPLM_API XPLMMenuID XPLMCreateMenu(const char *inName, XPLMMenuID inParentMenu, int inParentItem,
                                   XPLMMenuHandler_f inHandler, void *inMenuRef);
XPLM_API void XPLMDestroyMenu(XPLMMenuID inMenuID);

#endif
