# The shape of win.xpl as the simulator's loader sees it: it exports exactly the five entry
# points, by their plain names, and imports only the simulator's two DLLs and three DLLs that
# every Windows has, so it loads on a machine without mingw's runtime.
#   cmake -DMODULE=.../win.xpl -DOBJDUMP=x86_64-w64-mingw32-objdump -P module_shape.cmake
execute_process(COMMAND "${OBJDUMP}" -p "${MODULE}" OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${MODULE} failed")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
list(TRANSFORM imports REPLACE "DLL Name: " "")
list(TRANSFORM imports TOUPPER)
list(SORT imports)
set(expected_imports KERNEL32.DLL MSVCRT.DLL OPENGL32.DLL XPLM_64.DLL XPWIDGETS_64.DLL)
if(NOT imports STREQUAL expected_imports)
  message(FATAL_ERROR "win.xpl imports ${imports}, not exactly ${expected_imports}")
endif()

# The export table's names follow "[Ordinal/Name Pointer] Table" as "[   n] name" lines.
string(FIND "${dump}" "[Ordinal/Name Pointer] Table" start)
if(start EQUAL -1)
  message(FATAL_ERROR "win.xpl has no export names")
endif()
string(SUBSTRING "${dump}" ${start} -1 table)
string(REGEX REPLACE "\n[^\t][^\n]*.*$" "" table "${table}")
string(REGEX MATCHALL "\t\\[ *[0-9]+\\] [^\n]+" lines "${table}")
set(exports "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE ".*\\] " "" name "${line}")
  list(APPEND exports "${name}")
endforeach()
list(SORT exports)
set(expected_exports XPluginDisable XPluginEnable XPluginReceiveMessage XPluginStart XPluginStop)
if(NOT exports STREQUAL expected_exports)
  message(FATAL_ERROR "win.xpl exports ${exports}, not exactly ${expected_exports}")
endif()
message(STATUS "win.xpl exports ${exports}; imports ${imports}")
