# The Windows build's tests: cross-built with mingw-w64 and run under Wine, one Wine process per
# test program (starting Wine per test case would cost more than the tests). Wine keeps its
# prefix (its C: drive and registry) inside the build tree, and one persistent wineserver serves
# every run, started by the `wine` fixture, so no run waits for the server of the one before to
# exit.
if(NOT PLOTWRIGHT_WINE)
  message(FATAL_ERROR "The Windows tests need Wine (scripts/install-deps.sh installs wine64)")
endif()
find_program(PLOTWRIGHT_WINESERVER NAMES wineserver PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH
             REQUIRED)
set(PLOTWRIGHT_WINE_PREFIX "${PROJECT_BINARY_DIR}/wine-prefix")
# Wine takes the programs' ANSI code page from the Unix locale: the C locale with UTF-8 gives the
# Western one (Windows 1252, as GetACP reports), whose letters hold "Simulação" but not Cyrillic,
# whatever locale the developer's shell has; Unix file names stay UTF-8.
set(PLOTWRIGHT_WINE_ENVIRONMENT "WINEPREFIX=${PLOTWRIGHT_WINE_PREFIX}" "WINEDEBUG=-all"
    "LC_ALL=C.UTF-8")
set(CMAKE_CROSSCOMPILING_EMULATOR env ${PLOTWRIGHT_WINE_ENVIRONMENT} "${PLOTWRIGHT_WINE}")

# Debian has no mingw build of GoogleTest; the sources libgtest-dev installs build one here.
set(PLOTWRIGHT_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH
    "GoogleTest's sources, built for the Windows tests")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory("${PLOTWRIGHT_GTEST_SOURCE_DIR}" googletest EXCLUDE_FROM_ALL)

# The tests check the plug-in's numbers against C's printf: mingw's own, which follows the C
# standard, rather than msvcrt's, which rounds after 17 digits and spells infinities its own way.
add_compile_definitions(__USE_MINGW_ANSI_STDIO=1)

# These need the screen (no OpenGL context in the Windows host), the Linux binutils, glibc's
# heap statistics, the scenario runner (it reads formulas with muParser, which has no mingw
# build) or a write held inside the C library (interposed fwrite and /proc).
set(PLOTWRIGHT_LINUX_ONLY_TESTS graph_draw_test host_screen_test setup_scaling_screenshot_test
    record_export_test module_symbols_test runner_failure_test runner_parser_test
    runner_out_of_memory_test start_stop_cycles_test stalled_disk_test)

# The path a Windows program under Wine uses for a path of this machine (drive Z: is the root),
# escaped for a C string literal.
function(plotwright_wine_path out path)
  string(REPLACE "/" "\\\\" path "Z:${path}")
  set(${out} "${path}" PARENT_SCOPE)
endfunction()

add_test(NAME wine.start COMMAND "${CMAKE_COMMAND}" -DPREFIX=${PLOTWRIGHT_WINE_PREFIX}
         -DWINE=${PLOTWRIGHT_WINE} -DWINESERVER=${PLOTWRIGHT_WINESERVER}
         -P "${CMAKE_CURRENT_LIST_DIR}/start_wine.cmake")
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine LABELS wine TIMEOUT 300)
add_test(NAME wine.stop COMMAND env ${PLOTWRIGHT_WINE_ENVIRONMENT} "${PLOTWRIGHT_WINESERVER}" -k)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine LABELS wine)

function(plotwright_add_wine_test name folder)
  add_test(NAME ${folder}.${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${folder}.${name} PROPERTIES
    LABELS "${folder};wine" FIXTURES_REQUIRED wine TIMEOUT 120)
endfunction()

# The flight's files against the Linux module's from the same flight (the Linux suite runs
# first in `make test`).
set(PLOTWRIGHT_LINUX_TEST_OUTPUT "${PROJECT_SOURCE_DIR}/build/dev/test-output" CACHE PATH
    "The Linux build's test output, holding the files of its flight")
# The flight runs from two simulator folders (tests/e2e/flight_files_test.cpp): one whose
# letters the Western code page holds, and a Cyrillic one it cannot hold.
function(plotwright_add_flight_comparison)
  set_tests_properties(e2e.flight_files_test PROPERTIES FIXTURES_SETUP flight_files)
  foreach(pair "flight_files_match_linux:Simulação X-Plane"
               "flight_files_match_linux_cyrillic:Симулятор X-Plane")
    string(REPLACE ":" ";" pair "${pair}")
    list(GET pair 0 name)
    list(GET pair 1 folder)
    set(plugin "flight-files/${folder}/Resources/plugins/Plotwright")
    add_test(NAME e2e.${name}
             COMMAND "${CMAKE_COMMAND}"
                     "-DWINDOWS_FILES=${PROJECT_BINARY_DIR}/test-output/${plugin}"
                     "-DLINUX_FILES=${PLOTWRIGHT_LINUX_TEST_OUTPUT}/${plugin}"
                     -P "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/compare_flight_files.cmake")
    set_tests_properties(e2e.${name} PROPERTIES FIXTURES_REQUIRED flight_files LABELS "e2e;wine")
  endforeach()
endfunction()

add_test(NAME shape.win_xpl
         COMMAND "${CMAKE_COMMAND}" "-DMODULE=${PLOTWRIGHT_PACKAGE_DIR}/64/win.xpl"
                 "-DOBJDUMP=${CMAKE_OBJDUMP}" -P "${CMAKE_CURRENT_LIST_DIR}/module_shape.cmake")
set_tests_properties(shape.win_xpl PROPERTIES LABELS shape)

# A recording's journal against a killed process: the test starts itself again as the process
# that records and ends itself with TerminateProcess (journal_crash_test.cpp). It records in real
# time, a few seconds.
function(plotwright_add_journal_crash_test)
  add_executable(journal_crash_test "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/journal_crash_test.cpp")
  target_link_libraries(journal_crash_test PRIVATE plotwright_test_support plotwright_core
                                                   GTest::gtest)
  plotwright_warnings(journal_crash_test)
  add_dependencies(journal_crash_test plotwright)
  plotwright_add_wine_test(journal_crash_test e2e)
endfunction()
