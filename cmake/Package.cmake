# The release zip: the folder a user drops into the simulator's Resources/plugins, with the
# Linux, Windows and Mac modules, the example settings and the user's guide as one HTML page with
# its pictures. Lists the zip afterwards and fails unless it holds exactly that.
#   cmake -DSOURCE_DIR=... -DLINUX_BUILD=... -DWINDOWS_BUILD=... -DMAC_BUILD=... -DOUT=...
#         -P cmake/Package.cmake
# LINUX_BUILD is the folder scripts/build-shipped-module.sh leaves, holding the lin.xpl built in
# the Debian 11 root; MAC_BUILD the one scripts/build-mac-module.sh leaves. The example settings ship as PlotwrightExample.ini, never as
# Plotwright.ini: copying the folder over an install then cannot replace the user's own file.
foreach(required SOURCE_DIR LINUX_BUILD WINDOWS_BUILD MAC_BUILD OUT)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "Package.cmake needs -D${required}=...")
  endif()
endforeach()

file(STRINGS "${SOURCE_DIR}/CMakeLists.txt" project_line REGEX "^project\\(Plotwright VERSION ")
string(REGEX MATCH "VERSION ([0-9.]+)" version "${project_line}")
set(version "${CMAKE_MATCH_1}")
set(zip_name "Plotwright-v${version}.zip")

foreach(path SOURCE_DIR LINUX_BUILD WINDOWS_BUILD MAC_BUILD OUT)
  get_filename_component(${path} "${${path}}" ABSOLUTE)
endforeach()
set(stage "${OUT}/stage")
set(folder "${stage}/Plotwright")
file(REMOVE_RECURSE "${stage}")
file(REMOVE "${OUT}/${zip_name}")
file(MAKE_DIRECTORY "${folder}/64" "${folder}/guide")

function(copy_stripped module strip)
  if(NOT EXISTS "${module}")
    message(FATAL_ERROR "No ${module}: build it first (make package builds both modules)")
  endif()
  get_filename_component(name "${module}" NAME)
  execute_process(COMMAND "${strip}" --strip-unneeded -o "${folder}/64/${name}" "${module}"
                  RESULT_VARIABLE result ERROR_VARIABLE error)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${strip} failed on ${module}: ${error}")
  endif()
endfunction()
copy_stripped("${LINUX_BUILD}/Plotwright/64/lin.xpl" strip)
copy_stripped("${WINDOWS_BUILD}/Plotwright/64/win.xpl" x86_64-w64-mingw32-strip)
# What every Linux the simulator runs on needs of the Linux module, checked on the stripped one.
set(MODULE "${folder}/64/lin.xpl")
include("${SOURCE_DIR}/tests/shipped/linux_module_shape.cmake")
# Stripping must leave the Windows module's tables as the loader needs them.
set(MODULE "${folder}/64/win.xpl")
set(OBJDUMP x86_64-w64-mingw32-objdump)
include("${SOURCE_DIR}/tests/windows/module_shape.cmake")
# The Mac module ships as the linker left it: its arm64 slice is signed, and stripping would
# break the signature (the linker already left out the debugging symbols).
if(NOT EXISTS "${MAC_BUILD}/Plotwright/64/mac.xpl")
  message(FATAL_ERROR "No ${MAC_BUILD}/Plotwright/64/mac.xpl: build it first (make package "
                      "builds every module)")
endif()
file(COPY_FILE "${MAC_BUILD}/Plotwright/64/mac.xpl" "${folder}/64/mac.xpl")
set(MODULE "${folder}/64/mac.xpl")
set(LINUX_MODULE "${folder}/64/lin.xpl")
set(WINDOWS_MODULE "${folder}/64/win.xpl")
set(BUILD_PATHS "${SOURCE_DIR}" "${OUT}" "${MAC_BUILD}")
include("${SOURCE_DIR}/tests/mac/mac_module_shape.cmake")
set(expected Plotwright/ Plotwright/64/ Plotwright/64/lin.xpl Plotwright/64/win.xpl
             Plotwright/64/mac.xpl)

file(COPY_FILE "${SOURCE_DIR}/dist/Plotwright.ini" "${folder}/PlotwrightExample.ini")
# The guide as a page any browser opens from the zip; the Markdown stays in the repository.
execute_process(COMMAND /usr/bin/python3 "${SOURCE_DIR}/scripts/guide-to-html.py"
                        "${SOURCE_DIR}/docs/guide/Plotwright-guide.md"
                        "${folder}/guide/Plotwright-guide.html"
                RESULT_VARIABLE result ERROR_VARIABLE error)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cannot write the guide's HTML page: ${error}")
endif()
file(GLOB pictures RELATIVE "${SOURCE_DIR}/docs/guide" "${SOURCE_DIR}/docs/guide/*.png")
foreach(name IN LISTS pictures)
  file(COPY_FILE "${SOURCE_DIR}/docs/guide/${name}" "${folder}/guide/${name}")
  list(APPEND expected "Plotwright/guide/${name}")
endforeach()
list(APPEND expected Plotwright/PlotwrightExample.ini Plotwright/guide/
                     Plotwright/guide/Plotwright-guide.html)

execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${OUT}/${zip_name}"
                        --format=zip Plotwright
                WORKING_DIRECTORY "${stage}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cannot make ${OUT}/${zip_name}")
endif()

execute_process(COMMAND "${CMAKE_COMMAND}" -E tar tf "${zip_name}"
                WORKING_DIRECTORY "${OUT}" OUTPUT_VARIABLE listing RESULT_VARIABLE result)
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" entries "${listing}")
list(SORT entries)
list(SORT expected)
if(NOT result EQUAL 0 OR NOT entries STREQUAL expected)
  message(FATAL_ERROR "${OUT}/${zip_name} holds\n  ${entries}\nnot\n  ${expected}")
endif()
string(REPLACE ";" "\n  " shown "${entries}")
message(STATUS "${OUT}/${zip_name}:\n  ${shown}")
