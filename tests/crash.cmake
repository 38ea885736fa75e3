# The crash-and-recovery test and the runner's options it stands on, in tests/crash/. The test
# kills the scenario runner mid-recording and starts it again on the folder it left, so it needs
# the runner and fork/exec: Linux only. Its kill points record in real time, about 40 s per frame
# rate.
if(TARGET plotwright-host AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
  add_library(plotwright_crash_harness STATIC
    "${CMAKE_CURRENT_SOURCE_DIR}/crash/runner_process.cpp"
    "${CMAKE_CURRENT_SOURCE_DIR}/crash/recovered_file_check.cpp")
  target_include_directories(plotwright_crash_harness PUBLIC "${CMAKE_CURRENT_SOURCE_DIR}")
  target_compile_definitions(plotwright_crash_harness PRIVATE
    PLOTWRIGHT_HOST_RUNNER="$<TARGET_FILE:plotwright-host>")
  plotwright_warnings(plotwright_crash_harness)

  foreach(name IN ITEMS crash_harness_test crash_recovery_test)
    add_executable(${name} "${CMAKE_CURRENT_SOURCE_DIR}/crash/${name}.cpp")
    target_link_libraries(${name} PRIVATE plotwright_crash_harness plotwright_test_support
                                          GTest::gtest_main)
    plotwright_warnings(${name})
    add_dependencies(${name} plotwright-host plotwright)
  endforeach()
  gtest_discover_tests(crash_harness_test DISCOVERY_TIMEOUT 60
                       PROPERTIES LABELS e2e TIMEOUT 300)
  # Each rate's kill points run one after the other; the rates may run side by side, since a
  # paced run mostly sleeps.
  gtest_discover_tests(crash_recovery_test DISCOVERY_TIMEOUT 60
                       PROPERTIES LABELS crash TIMEOUT 900)
endif()
