#ifndef XPLMDefs_h
#define XPLMDefs_h
/* Basic definitions shared by every header of the simulator's plug-in API. */

#ifdef __cplusplus
#define XPLM_EXTERN_C extern "C"
#else
#define XPLM_EXTERN_C extern
#endif

#if defined(_WIN32)
#if defined(XPLM_BUILDING_HOST)
#define XPLM_API XPLM_EXTERN_C __declspec(dllexport)
#else
#define XPLM_API XPLM_EXTERN_C __declspec(dllimport)
#endif
#else
#define XPLM_API XPLM_EXTERN_C __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int XPLMPluginID;

#define XPLM_NO_PLUGIN_ID (-1)
#define XPLM_PLUGIN_XPLANE (0)

#ifdef __cplusplus
}
#endif

#endif
