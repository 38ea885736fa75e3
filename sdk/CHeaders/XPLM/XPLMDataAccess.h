#ifndef XPLMDataAccess_h
#define XPLMDataAccess_h
/* Looking up and reading the simulator's datarefs. */
#include "XPLMDefs.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef void *XPLMDataRef;

enum {
    xplmType_Unknown = 0,
    xplmType_Int = 1,
    xplmType_Float = 2,
    xplmType_Double = 4,
    xplmType_FloatArray = 8,
    xplmType_IntArray = 16,
    xplmType_Data = 32
};
typedef int XPLMDataTypeID;

#ifdef __cplusplus
}
#endif

/* NULL when no dataref has that name. */
XPLM_API XPLMDataRef XPLMFindDataRef(const char *inDataRefName);
/* False once the plug-in that published the dataref has withdrawn it. */
XPLM_API int XPLMIsDataRefGood(XPLMDataRef inDataRef);
XPLM_API XPLMDataTypeID XPLMGetDataRefTypes(XPLMDataRef inDataRef);
XPLM_API int XPLMGetDatai(XPLMDataRef inDataRef);
XPLM_API float XPLMGetDataf(XPLMDataRef inDataRef);
XPLM_API double XPLMGetDatad(XPLMDataRef inDataRef);
/* With a NULL buffer: the element count. Otherwise copies at most inMax elements from inOffset
 * and returns how many were copied. */
XPLM_API int XPLMGetDatavi(XPLMDataRef inDataRef, int *outValues, int inOffset, int inMax);
XPLM_API int XPLMGetDatavf(XPLMDataRef inDataRef, float *outValues, int inOffset, int inMax);
XPLM_API int XPLMGetDatab(XPLMDataRef inDataRef, void *outValue, int inOffset, int inMaxBytes);

#endif
