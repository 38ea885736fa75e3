# The scenario runner's own tests, and every scenario in scenarios/ run as an end-to-end test by
# the runner of this build (under the dev preset: the sanitized runner and module).
if(TARGET plotwright-host)
  foreach(runner_test IN ITEMS runner_parser_test runner_out_of_memory_test)
    if(TARGET ${runner_test})
      target_link_libraries(${runner_test} PRIVATE plotwright_runner)
    endif()
  endforeach()
  # Runs the runner program itself, to see its exit status and messages.
  if(TARGET runner_failure_test)
    target_link_libraries(runner_failure_test PRIVATE plotwright_runner)
    target_compile_definitions(runner_failure_test PRIVATE
      PLOTWRIGHT_HOST_RUNNER="$<TARGET_FILE:plotwright-host>")
    add_dependencies(runner_failure_test plotwright-host)
  endif()

  # Below a folder with blanks and non-ASCII letters, as many users' simulators are.
  file(GLOB PLOTWRIGHT_SCENARIOS CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/scenarios/*.scn")
  foreach(scenario IN LISTS PLOTWRIGHT_SCENARIOS)
    get_filename_component(name "${scenario}" NAME_WE)
    add_test(NAME scenario.${name}
             COMMAND plotwright-host --scenario "${scenario}"
                     --out "${PROJECT_BINARY_DIR}/test-output/X-Plane 12 Simulação/scenario-${name}")
    set_tests_properties(scenario.${name} PROPERTIES
      LABELS scenario TIMEOUT 600 ENVIRONMENT "${PLOTWRIGHT_TEST_ENVIRONMENT}")
  endforeach()

  # One flight at the rates users' simulators draw, steady and uneven: what must hold at any.
  foreach(rate IN ITEMS 20 30 60 144 20..144)
    string(REPLACE ".." "-" rate_name "${rate}")
    add_test(NAME scenario.any-frame-rate.${rate_name}fps
             COMMAND plotwright-host --scenario "${PROJECT_SOURCE_DIR}/tests/scenarios/any-frame-rate.scn"
                     --framerate ${rate}
                     --out "${PROJECT_BINARY_DIR}/test-output/X-Plane 12 Simulação/any-frame-rate-${rate_name}")
    set_tests_properties(scenario.any-frame-rate.${rate_name}fps PROPERTIES
      LABELS scenario TIMEOUT 600 ENVIRONMENT "${PLOTWRIGHT_TEST_ENVIRONMENT}")
  endforeach()

  # `make install` into a temporary folder, then the installed module through a scenario.
  add_test(NAME install.into-empty-folder
           COMMAND "${CMAKE_COMMAND}" -DBUILD_DIR=${PROJECT_BINARY_DIR}
                   -DPREFIX=${PROJECT_BINARY_DIR}/test-output/install-check
                   -DRUNNER=$<TARGET_FILE:plotwright-host>
                   -DSCENARIO=${PROJECT_SOURCE_DIR}/scenarios/record-export.scn
                   -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
                   -P "${PROJECT_SOURCE_DIR}/tools/plotwright-host/install_check.cmake")
  set_tests_properties(install.into-empty-folder PROPERTIES
    LABELS scenario TIMEOUT 300 ENVIRONMENT "${PLOTWRIGHT_TEST_ENVIRONMENT}")
endif()
