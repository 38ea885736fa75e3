# The shape of mac.xpl as macOS's loader and the simulator see it: a universal dylib with
# exactly the slices x86_64 and arm64; in each, exactly the five entry points exported, every
# undefined symbol bound to the simulator's XPLM or XPWidgets framework, the system's OpenGL or
# its C library, no other library loaded, a minimum macOS no later than 11.0; an arm64 slice
# whose ad-hoc signature matches its bytes (Apple silicon runs nothing else); in each slice the
# tables an exception needs to reach its catch (catch tables, a personality routine, every
# DWARF-mode compact-unwind entry pointing at an FDE that covers its function) and, on arm64,
# frame records in every function that is no leaf (check_unwind.py); no path of the
# machine that built it. Given the Linux and Windows modules, the simulator functions it imports
# must be the ones they import.
#   cmake -DMODULE=.../mac.xpl [-DLINUX_MODULE=.../lin.xpl -DWINDOWS_MODULE=.../win.xpl]
#         [-DBUILD_PATHS=dir;dir] -P mac_module_shape.cmake
cmake_policy(VERSION 3.25)
set(expected_archs arm64 x86_64)
set(newest_minimum_macos 11.0)
set(entry_points _XPluginDisable _XPluginEnable _XPluginReceiveMessage _XPluginStart
                 _XPluginStop)
set(allowed_libraries
    "/usr/lib/libSystem.B.dylib"
    "@executable_path/../../../Resources/plugins/XPLM.framework/XPLM"
    "@executable_path/../../../Resources/plugins/XPWidgets.framework/XPWidgets"
    "/System/Library/Frameworks/OpenGL.framework/Versions/A/OpenGL")

include("${CMAKE_CURRENT_LIST_DIR}/../shipped/run_checked.cmake")

# The library a symbol must come from: the simulator's two frameworks by the SDK's naming
# (XPLM* in XPLM, every other XP* in XPWidgets), OpenGL's gl*, and the C library for the rest.
function(expected_library out symbol)
  if(symbol MATCHES "^_XPLM")
    set(${out} XPLM PARENT_SCOPE)
  elseif(symbol MATCHES "^_XP")
    set(${out} XPWidgets PARENT_SCOPE)
  elseif(symbol MATCHES "^_gl[A-Z]")
    set(${out} OpenGL PARENT_SCOPE)
  else()
    set(${out} libSystem PARENT_SCOPE)
  endif()
endfunction()

if(NOT EXISTS "${MODULE}")
  message(FATAL_ERROR "no ${MODULE}")
endif()
set(faults "")

run(info llvm-lipo-14 -info "${MODULE}")
run(archs llvm-lipo-14 -archs "${MODULE}")
string(STRIP "${archs}" archs)
string(REPLACE " " ";" archs "${archs}")
list(SORT archs)
if(NOT info MATCHES "fat file" OR NOT archs STREQUAL expected_archs)
  string(STRIP "${info}" info)
  list(JOIN archs " " shown_archs)
  list(JOIN expected_archs " " shown_expected)
  list(APPEND faults "holds the slices ${shown_archs} (${info}), not a universal file of exactly "
                     "${shown_expected}")
endif()

set(simulator_imports_per_slice "")
foreach(arch IN LISTS archs)
  run(headers llvm-objdump-14 --macho --private-headers "--arch=${arch}" "${MODULE}")
  if(NOT headers MATCHES "\n[^\n]* DYLIB [^\n]*TWOLEVEL")
    list(APPEND faults "${arch}: not a two-level-namespace dylib")
  endif()

  # Every library it loads, by any of the commands that load one.
  string(REGEX MATCHALL "cmd LC_[A-Z_]*DYLIB\n[^\n]*\n +name [^\n]+ \\(offset" commands
         "${headers}")
  set(libraries "")
  foreach(command IN LISTS commands)
    if(command MATCHES "^cmd LC_ID_DYLIB")
      continue()
    endif()
    string(REGEX REPLACE ".*name (.+) \\(offset$" "\\1" library "${command}")
    list(APPEND libraries "${library}")
    if(NOT library IN_LIST allowed_libraries)
      list(APPEND faults "${arch}: loads ${library}")
    endif()
  endforeach()
  if(headers MATCHES "LC_RPATH|LC_LOAD_DYLINKER")
    list(APPEND faults "${arch}: carries a search path or a dynamic linker of its own")
  endif()

  if(headers MATCHES "cmd LC_BUILD_VERSION\n[^\n]*\n +platform ([a-z]+)\n[^\n]*\n +minos ([0-9.]+)")
    if(NOT CMAKE_MATCH_1 STREQUAL "macos" OR CMAKE_MATCH_2 VERSION_GREATER newest_minimum_macos)
      list(APPEND faults "${arch}: built for ${CMAKE_MATCH_1} ${CMAKE_MATCH_2}, not macOS "
                         "${newest_minimum_macos} or earlier")
    endif()
  elseif(headers MATCHES "cmd LC_VERSION_MIN_MACOSX\n[^\n]*\n +version ([0-9.]+)")
    if(CMAKE_MATCH_1 VERSION_GREATER newest_minimum_macos)
      list(APPEND faults "${arch}: needs macOS ${CMAKE_MATCH_1}")
    endif()
  else()
    list(APPEND faults "${arch}: names no minimum macOS")
  endif()

  if(arch STREQUAL "arm64")
    if(NOT headers MATCHES "cmd LC_CODE_SIGNATURE")
      list(APPEND faults "arm64: no code signature, which Apple silicon requires")
    else()
      execute_process(COMMAND python3 "${CMAKE_CURRENT_LIST_DIR}/check_signature.py"
                              "${MODULE}" arm64
                      OUTPUT_VARIABLE signature_output ERROR_VARIABLE signature_output
                      RESULT_VARIABLE result)
      if(NOT result EQUAL 0)
        string(STRIP "${signature_output}" signature_output)
        list(APPEND faults "${signature_output}")
      endif()
    endif()
  endif()

  # The unwind tables, read as the unwinder reads them: the slice's figures, then its faults.
  execute_process(COMMAND python3 "${CMAKE_CURRENT_LIST_DIR}/check_unwind.py" "${MODULE}"
                          "${arch}"
                  OUTPUT_VARIABLE unwind_output ERROR_VARIABLE unwind_error
                  RESULT_VARIABLE result)
  string(REGEX MATCHALL "[^\n]+" unwind_lines "${unwind_output}${unwind_error}")
  set(unwind_figures "")
  if(unwind_lines)
    list(GET unwind_lines 0 unwind_figures)
  endif()
  if(unwind_figures MATCHES " functions in __unwind_info")
    list(POP_FRONT unwind_lines)
    message(STATUS "mac.xpl ${unwind_figures}")
  endif()
  if(NOT result EQUAL 0)
    if(unwind_lines)
      list(APPEND faults ${unwind_lines})
    else()
      list(APPEND faults "${arch}: check_unwind.py failed (${result})")
    endif()
  endif()

  run(trie llvm-objdump-14 --macho --exports-trie "--arch=${arch}" "${MODULE}")
  string(REGEX MATCHALL "\n0x[0-9A-Fa-f]+ +[^\n]+" export_lines "${trie}")
  set(exports "")
  foreach(line IN LISTS export_lines)
    string(REGEX REPLACE "^\n0x[0-9A-Fa-f]+ +([^ ]+).*" "\\1" name "${line}")
    list(APPEND exports "${name}")
  endforeach()
  list(SORT exports)
  if(NOT exports STREQUAL entry_points)
    list(JOIN exports " " shown_exports)
    list(APPEND faults "${arch}: exports ${shown_exports}, not exactly the five entry points")
  endif()

  # "(undefined) external _name (from Library)"; a symbol looked up in every loaded image
  # ("dynamically looked up") would bind to whatever another plug-in offers.
  run(undefined llvm-nm-14 -m -u "--arch=${arch}" "${MODULE}")
  string(REGEX MATCHALL "[^\n]+" undefined_lines "${undefined}")
  set(simulator_imports "")
  foreach(line IN LISTS undefined_lines)
    if(NOT line MATCHES "external ([^ ]+) \\(from ([^)]+)\\)")
      list(APPEND faults "${arch}: ${line}: bound to no library")
      continue()
    endif()
    set(symbol "${CMAKE_MATCH_1}")
    set(library "${CMAKE_MATCH_2}")
    expected_library(expected "${symbol}")
    if(NOT library STREQUAL expected)
      list(APPEND faults "${arch}: ${symbol} bound to ${library}, not ${expected}")
    endif()
    if(symbol MATCHES "^_(XP.*)")
      list(APPEND simulator_imports "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  list(SORT simulator_imports)
  if(simulator_imports STREQUAL "")
    list(APPEND faults "${arch}: imports none of the simulator's functions")
  endif()
  list(APPEND simulator_imports_per_slice "${arch}:${simulator_imports}")
  set(simulator_imports_${arch} "${simulator_imports}")
  string(REPLACE ";" " " shown_libraries "${libraries}")
  list(LENGTH undefined_lines undefined_count)
  message(STATUS "mac.xpl ${arch}: loads ${shown_libraries}; ${undefined_count} imports")
endforeach()

if(DEFINED simulator_imports_x86_64 AND DEFINED simulator_imports_arm64
   AND NOT simulator_imports_x86_64 STREQUAL simulator_imports_arm64)
  list(JOIN simulator_imports_x86_64 " " x86_64_shown)
  list(JOIN simulator_imports_arm64 " " arm64_shown)
  list(APPEND faults "the slices import different simulator functions: "
                     "x86_64 ${x86_64_shown}, arm64 ${arm64_shown}")
endif()

# What the other two modules import of the simulator, by name: the names each slice imports
# and the other module does not, and the other way round.
macro(compare_simulator_imports other other_imports)
  foreach(arch IN LISTS archs)
    set(only_mac ${simulator_imports_${arch}})
    set(only_other ${other_imports})
    list(REMOVE_ITEM only_mac ${other_imports})
    list(REMOVE_ITEM only_other ${simulator_imports_${arch}})
    if(only_mac OR only_other)
      list(JOIN only_mac " " only_mac)
      list(JOIN only_other " " only_other)
      list(APPEND faults "${arch} imports [${only_mac}] of the simulator that ${other} does not, "
                         "${other} [${only_other}] that it does not")
    endif()
  endforeach()
endmacro()
if(LINUX_MODULE)
  run(linux_undefined nm -D --undefined-only "${LINUX_MODULE}")
  string(REGEX MATCHALL " U XP[A-Za-z0-9_]+" linux_imports "${linux_undefined}")
  list(TRANSFORM linux_imports REPLACE "^ U " "")
  list(SORT linux_imports)
  compare_simulator_imports(lin.xpl "${linux_imports}")
endif()
if(WINDOWS_MODULE)
  run(windows_dump x86_64-w64-mingw32-objdump -p "${WINDOWS_MODULE}")
  # Each DLL's block: "DLL Name: XPLM_64.dll", a heading, then one "\t<vma>\t <hint>  <name>"
  # line per function, up to a blank line.
  string(REGEX MATCHALL "DLL Name: XP[A-Za-z_0-9]+\\.dll\n[^\n]*\n([^\n]+\n)*" blocks
         "${windows_dump}")
  set(windows_imports "")
  foreach(block IN LISTS blocks)
    string(REGEX MATCHALL "\n\t[0-9a-f]+\t *[0-9]+ +XP[A-Za-z0-9_]+" names "${block}")
    list(TRANSFORM names REPLACE ".* " "")
    list(APPEND windows_imports ${names})
  endforeach()
  list(SORT windows_imports)
  compare_simulator_imports(win.xpl "${windows_imports}")
endif()

# Paths of the build machine: the folders it was built from and the usual homes of sources,
# caches and temporary files.
file(STRINGS "${MODULE}" strings)
set(machine_paths ${BUILD_PATHS} "$ENV{HOME}/" "/home/" "/root/" "/tmp/" "/work/" ".cache/"
                  "/usr/src/" "/usr/include/")
foreach(string IN LISTS strings)
  foreach(path IN LISTS machine_paths)
    string(FIND "${string}" "${path}" at)
    if(NOT at EQUAL -1)
      list(APPEND faults "holds a path of the build machine (${path})")
      break()
    endif()
  endforeach()
endforeach()

if(faults)
  list(REMOVE_DUPLICATES faults)
  string(REPLACE ";" "\n  " shown "${faults}")
  message(FATAL_ERROR "${MODULE}:\n  ${shown}")
endif()
list(JOIN archs " " archs)
list(JOIN exports " " exports)
list(JOIN simulator_imports_arm64 " " simulator_imports_arm64)
message(STATUS "mac.xpl: slices ${archs}; exports ${exports}; the simulator functions "
               "${simulator_imports_arm64}")
