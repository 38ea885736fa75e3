# The shape of the shipped lin.xpl as the oldest Linux the simulator runs on sees it: no symbol
# version newer than the C library 2.31's, no library but the C library (before 2.34 its threads
# live in libpthread.so.0, which the export writer's thread needs, and dlopen in libdl.so.2, with
# which the module keeps itself mapped for an export thread a stop left behind), libGL and the
# dynamic loader, no C++ runtime of the system's (the module carries its own, and frees only that
# one at unload), and the five entry points as its only exports. Prints the newest C library
# version it asks for (the README's "in fact" figure), which the sources decide, not the root.
#   cmake -DMODULE=.../lin.xpl -P linux_module_shape.cmake
cmake_policy(VERSION 3.25)
set(oldest_c_library 2.31)
set(allowed_libraries ld-linux-x86-64.so.2 libGL.so.1 libc.so.6 libdl.so.2 libpthread.so.0)

include("${CMAKE_CURRENT_LIST_DIR}/run_checked.cmake")

if(NOT EXISTS "${MODULE}")
  message(FATAL_ERROR "no ${MODULE}")
endif()
set(faults "")

run(dynamic readelf -d -W "${MODULE}")
string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*\\[[^]\n]+\\]" needed_lines "${dynamic}")
set(needed "")
foreach(line IN LISTS needed_lines)
  string(REGEX REPLACE ".*\\[(.+)\\]$" "\\1" library "${line}")
  list(APPEND needed "${library}")
  if(NOT library IN_LIST allowed_libraries)
    list(APPEND faults "needs ${library}, beyond the C library, libGL and the dynamic loader")
  endif()
endforeach()

# The version names it asks of each library (objdump -p: "required from libc.so.6:" then one
# "0x... 0x00 nn GLIBC_2.14" line per version).
run(private objdump -p "${MODULE}")
string(REGEX MATCHALL "0x[0-9a-f]+ 0x[0-9a-f]+ [0-9]+ [A-Za-z_0-9.]+" version_lines "${private}")
set(versions "")
set(newest_c_library "")
foreach(line IN LISTS version_lines)
  string(REGEX REPLACE ".* " "" version "${line}")
  list(APPEND versions "${version}")
  if(version MATCHES "^GLIBC_([0-9.]+)$")
    if(newest_c_library STREQUAL "" OR CMAKE_MATCH_1 VERSION_GREATER newest_c_library)
      set(newest_c_library "${CMAKE_MATCH_1}")
    endif()
    if(CMAKE_MATCH_1 VERSION_GREATER oldest_c_library)
      list(APPEND faults "needs ${version}, newer than the C library ${oldest_c_library}")
    endif()
  else()
    # GLIBCXX_, CXXABI_, GCC_: the system's C++ runtime; GLIBC_PRIVATE: the C library's insides.
    list(APPEND faults "needs ${version}, which no C library 2.31 guarantees")
  endif()
endforeach()
if(versions STREQUAL "")
  list(APPEND faults "asks for no symbol versions at all: objdump -p said\n${private}")
endif()

run(undefined nm -D --undefined-only "${MODULE}")
if(undefined MATCHES "_ZN9__gnu_cxx9__freeresEv")
  list(APPEND faults "leaves __gnu_cxx::__freeres undefined: its unload clean-up would free the "
                     "system's C++ runtime")
endif()

run(defined nm -D --defined-only "${MODULE}")
string(REGEX MATCHALL "[^ \n]+\n" names "${defined}\n")
list(TRANSFORM names STRIP)
list(SORT names)
set(entry_points XPluginDisable XPluginEnable XPluginReceiveMessage XPluginStart XPluginStop)
if(NOT names STREQUAL entry_points)
  list(APPEND faults "exports ${names}, not exactly ${entry_points}")
endif()

# The README's "in fact" figure, printed whether or not the module passes.
if(NOT newest_c_library STREQUAL "")
  message(STATUS "lin.xpl asks the C library for GLIBC_${newest_c_library} at newest (the "
                 "promise: ${oldest_c_library} or later)")
endif()
if(faults)
  string(REPLACE ";" "\n  " shown "${faults}")
  message(FATAL_ERROR "${MODULE}:\n  ${shown}")
endif()
list(REMOVE_DUPLICATES versions)
message(STATUS "lin.xpl needs ${needed}, versions ${versions}; exports ${names}")
