# Starts a persistent wineserver for the prefix and makes the prefix on first use (which takes
# Wine several seconds), so the test runs after it start at once. Wine's background processes
# outlive this script: their output goes to a file, since a pipe they held open would keep the
# test runner waiting for them.
#   cmake -DPREFIX=... -DWINE=... -DWINESERVER=... -P start_wine.cmake
file(MAKE_DIRECTORY "${PREFIX}")
set(ENV{WINEPREFIX} "${PREFIX}")
set(ENV{WINEDEBUG} "-all")
set(ENV{LC_ALL} "C.UTF-8") # as the tests' environment (WindowsTests.cmake)
set(log "${PREFIX}/start.log")
execute_process(COMMAND "${WINESERVER}" -p RESULT_VARIABLE result
                OUTPUT_FILE "${log}" ERROR_FILE "${log}")
if(NOT result EQUAL 0)
  message(FATAL_ERROR "wineserver -p failed (${result})")
endif()
execute_process(COMMAND "${WINE}" cmd /c exit 0 WORKING_DIRECTORY "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_FILE "${log}" ERROR_FILE "${log}")
if(NOT result EQUAL 0)
  file(READ "${log}" output)
  message(FATAL_ERROR "Wine cannot run a program in ${PREFIX} (${result}):\n${output}")
endif()
