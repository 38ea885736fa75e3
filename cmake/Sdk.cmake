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

# On Windows every function declared XPLM_API lives in XPLM_64.dll and every WIDGET_API one in
# XPWidgets_64.dll, as in the simulator. The .def files listing them are written at configure
# time from our declarations; without an SDK dlltool turns them into the import libraries, and
# the Windows host uses them for its own two DLLs.
function(plotwright_write_api_definitions)
  foreach(pair "XPLM_64:XPLM:XPLM_API" "XPWidgets_64:Widgets:WIDGET_API")
    string(REPLACE ":" ";" pair "${pair}")
    list(GET pair 0 dll)
    list(GET pair 1 folder)
    list(GET pair 2 marker)
    set(definitions "LIBRARY ${dll}.dll\nEXPORTS\n")
    file(GLOB headers "${PROJECT_SOURCE_DIR}/sdk/CHeaders/${folder}/*.h")
    list(SORT headers)
    foreach(header IN LISTS headers)
      file(STRINGS "${header}" declarations REGEX "^${marker} ")
      foreach(declaration IN LISTS declarations)
        string(REGEX MATCH "XP[A-Za-z0-9_]+\\(" name "${declaration}")
        string(REPLACE "(" "" name "${name}")
        string(APPEND definitions "    ${name}\n")
      endforeach()
    endforeach()
    set(def "${PROJECT_BINARY_DIR}/import/${dll}.def")
    file(CONFIGURE OUTPUT "${def}" CONTENT "${definitions}")
    set(PLOTWRIGHT_${dll}_DEF "${def}" CACHE INTERNAL "")
  endforeach()
endfunction()

function(plotwright_import_libraries_from_definitions)
  set(libraries "")
  foreach(dll XPLM_64 XPWidgets_64)
    set(library "${PROJECT_BINARY_DIR}/import/lib${dll}.a")
    add_custom_command(OUTPUT "${library}"
      COMMAND "${CMAKE_DLLTOOL}" --input-def "${PLOTWRIGHT_${dll}_DEF}" --dllname "${dll}.dll"
              --output-lib "${library}"
      DEPENDS "${PLOTWRIGHT_${dll}_DEF}" VERBATIM)
    list(APPEND libraries "${library}")
  endforeach()
  add_custom_target(xplane_import_libraries DEPENDS ${libraries})
  add_dependencies(xplane_sdk xplane_import_libraries)
  target_link_libraries(xplane_sdk INTERFACE ${libraries})
endfunction()

# On Windows and macOS the module links the SDK's libraries (or, on Windows without an SDK, the
# import libraries made from our declarations); on Linux the simulator provides
# every XPLM/XP function at load time and nothing is linked.
if(WIN32)
  plotwright_write_api_definitions()
endif()
if(PLOTWRIGHT_SDK_DIR AND WIN32)
  target_link_libraries(xplane_sdk INTERFACE
    "${PLOTWRIGHT_SDK_DIR}/Libraries/Win/XPLM_64.lib"
    "${PLOTWRIGHT_SDK_DIR}/Libraries/Win/XPWidgets_64.lib")
elseif(WIN32)
  plotwright_import_libraries_from_definitions()
elseif(PLOTWRIGHT_SDK_DIR AND APPLE)
  target_link_libraries(xplane_sdk INTERFACE
    "-F${PLOTWRIGHT_SDK_DIR}/Libraries/Mac" "-framework XPLM" "-framework XPWidgets")
endif()

# Our own declarations, always: the headless host implements exactly these.
add_library(xplane_sdk_own INTERFACE)
target_include_directories(xplane_sdk_own INTERFACE
  "${PROJECT_SOURCE_DIR}/sdk/CHeaders/XPLM" "${PROJECT_SOURCE_DIR}/sdk/CHeaders/Widgets")
target_compile_definitions(xplane_sdk_own INTERFACE XPLM200=1 XPLM210=1 XPLM300=1 XPLM301=1
  $<$<PLATFORM_ID:Windows>:IBM=1> $<$<PLATFORM_ID:Linux>:LIN=1>)
