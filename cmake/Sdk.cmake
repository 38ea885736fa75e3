# Where the simulator's API declarations come from: our own sdk/ or a real SDK.
# Both define the same SDK version macros, so the same source builds against either.
add_library(xplane_sdk INTERFACE)
if(PLOTWRIGHT_SDK_DIR)
  set(PLOTWRIGHT_SDK_HEADERS "${PLOTWRIGHT_SDK_DIR}/CHeaders")
else()
  set(PLOTWRIGHT_SDK_HEADERS "${PROJECT_SOURCE_DIR}/sdk/CHeaders")
endif()
target_include_directories(xplane_sdk INTERFACE
  "${PLOTWRIGHT_SDK_HEADERS}/XPLM" "${PLOTWRIGHT_SDK_HEADERS}/Widgets")
target_compile_definitions(xplane_sdk INTERFACE XPLM200=1 XPLM210=1 XPLM300=1 XPLM301=1
  $<$<PLATFORM_ID:Windows>:IBM=1> $<$<PLATFORM_ID:Darwin>:APL=1> $<$<PLATFORM_ID:Linux>:LIN=1>)

# On Windows and macOS the module links the SDK's libraries; on Linux the simulator provides
# every XPLM/XP function at load time and nothing is linked.
if(PLOTWRIGHT_SDK_DIR AND WIN32)
  target_link_libraries(xplane_sdk INTERFACE
    "${PLOTWRIGHT_SDK_DIR}/Libraries/Win/XPLM_64.lib"
    "${PLOTWRIGHT_SDK_DIR}/Libraries/Win/XPWidgets_64.lib")
elseif(PLOTWRIGHT_SDK_DIR AND APPLE)
  target_link_libraries(xplane_sdk INTERFACE
    "-F${PLOTWRIGHT_SDK_DIR}/Libraries/Mac" "-framework XPLM" "-framework XPWidgets")
endif()

# Our own declarations, always: the headless host implements exactly these.
add_library(xplane_sdk_own INTERFACE)
target_include_directories(xplane_sdk_own INTERFACE
  "${PROJECT_SOURCE_DIR}/sdk/CHeaders/XPLM" "${PROJECT_SOURCE_DIR}/sdk/CHeaders/Widgets")
target_compile_definitions(xplane_sdk_own INTERFACE XPLM200=1 XPLM210=1 XPLM300=1 XPLM301=1
  $<$<PLATFORM_ID:Linux>:LIN=1>)
