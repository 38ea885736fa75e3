# Checks `cmake --install` into a fresh folder, as `make install XPLANE=...` does: the module and
# the example settings (as PlotwrightExample.ini) land in Resources/plugins/Plotwright, no
# Plotwright.ini is made, a user's own Plotwright.ini survives a second install, and the
# installed module runs a scenario in the headless host.
#   cmake -DBUILD_DIR=... -DPREFIX=... -DRUNNER=... -DSCENARIO=... -DSOURCE_DIR=... -P install_check.cmake
foreach(required BUILD_DIR PREFIX RUNNER SCENARIO SOURCE_DIR)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "install_check.cmake needs -D${required}=...")
  endif()
endforeach()

set(plugin "${PREFIX}/Resources/plugins/Plotwright")
file(REMOVE_RECURSE "${PREFIX}")
file(MAKE_DIRECTORY "${PREFIX}")

function(install_into)
  execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed:\n${output}")
  endif()
endfunction()

install_into()
foreach(file "${plugin}/64/lin.xpl" "${plugin}/PlotwrightExample.ini")
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
if(EXISTS "${plugin}/Plotwright.ini")
  message(FATAL_ERROR "the install made a Plotwright.ini; it belongs to the user")
endif()
file(READ "${plugin}/PlotwrightExample.ini" installed)
file(READ "${SOURCE_DIR}/dist/Plotwright.ini" example)
if(NOT installed STREQUAL example)
  message(FATAL_ERROR "the installed PlotwrightExample.ini is not the example settings file")
endif()

set(mine "[CONFIG]\nFullSizeWindow = 0\n")
file(WRITE "${plugin}/Plotwright.ini" "${mine}")
install_into()
file(READ "${plugin}/Plotwright.ini" kept)
if(NOT kept STREQUAL mine)
  message(FATAL_ERROR "a second install replaced the user's Plotwright.ini")
endif()

execute_process(COMMAND "${RUNNER}" --module "${plugin}/64/lin.xpl" --scenario "${SCENARIO}"
                        --out "${PREFIX}-run"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the installed module failed ${SCENARIO}:\n${output}")
endif()
message(STATUS "installed, kept the user's settings, and ran ${SCENARIO}")
