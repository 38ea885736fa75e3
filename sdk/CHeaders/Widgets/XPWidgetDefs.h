#ifndef XPWidgetDefs_h
#define XPWidgetDefs_h
/* Types, messages and properties of the widget library. */
#include <stdint.h>

#include "XPLMDefs.h"

#define WIDGET_API XPLM_API

#ifdef __cplusplus
extern "C" {
#endif

typedef void *XPWidgetID;
typedef int XPWidgetClass;
typedef int XPWidgetMessage;
typedef int XPWidgetPropertyID;

#define xpWidgetClass_None 0

enum {
    xpProperty_Refcon = 0,
    xpProperty_Dragging = 1,
    xpProperty_DragXOff = 2,
    xpProperty_DragYOff = 3,
    xpProperty_Hilited = 4,
    xpProperty_Object = 5,
    xpProperty_Clip = 6,
    xpProperty_Enabled = 7,
    xpProperty_UserStart = 10000
};

enum {
    xpMsg_None = 0,
    xpMsg_Create = 1,
    xpMsg_Destroy = 2,
    xpMsg_Paint = 3,
    xpMsg_Draw = 4,
    xpMsg_KeyPress = 5,
    xpMsg_KeyTakeFocus = 6,
    xpMsg_KeyLoseFocus = 7,
    xpMsg_MouseDown = 8,
    xpMsg_MouseDrag = 9,
    xpMsg_MouseUp = 10,
    xpMsg_Reshape = 11,
    xpMsg_ExposedChanged = 12,
    xpMsg_AcceptChild = 13,
    xpMsg_LoseChild = 14,
    xpMsg_AcceptParent = 15,
    xpMsg_Shown = 16,
    xpMsg_Hidden = 17,
    xpMsg_DescriptorChanged = 18,
    xpMsg_PropertyChanged = 19,
#if defined(XPLM200)
    xpMsg_MouseWheel = 20,
    xpMsg_CursorAdjust = 21,
#endif
    xpMsg_UserStart = 10000
};

typedef struct {
    int x;
    int y;
    int button;
#if defined(XPLM200)
    int delta;
#endif
} XPMouseState_t;

typedef int (*XPWidgetFunc_t)(XPWidgetMessage inMessage, XPWidgetID inWidget, intptr_t inParam1,
                              intptr_t inParam2);

#ifdef __cplusplus
}
#endif

#endif
