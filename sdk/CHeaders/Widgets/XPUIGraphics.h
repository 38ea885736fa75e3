#ifndef XPUIGraphics_h
#define XPUIGraphics_h
/* Drawing of the library's user-interface elements. */
#include "XPWidgetDefs.h"

typedef int XPTrackStyle;
enum { xpTrack_ScrollBar = 0, xpTrack_Slider = 1, xpTrack_Progress = 2 };

WIDGET_API void XPDrawTrack(int inX1, int inY1, int inX2, int inY2, int inMin, int inMax,
                            int inValue, XPTrackStyle inTrackStyle, int inLit);
WIDGET_API void XPGetTrackMetrics(int inX1, int inY1, int inX2, int inY2, int inMin, int inMax,
                                  int inValue, XPTrackStyle inTrackStyle, int *outIsVertical,
                                  int *outDownBtnSize, int *outDownPageSize, int *outThumbSize,
                                  int *outUpPageSize, int *outUpBtnSize);

#endif
