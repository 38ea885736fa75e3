# A quarter of an hour of the soak (plotwright-soak, built in bench/): every window open, set
# switches, track drags, screenshots, and exports checked row by row. Debug code under the
# sanitizers needs about half a millisecond of CPU per tick, so the full hour would take three
# to four minutes alone; `make soak` runs ten hours in the release build and prints the figures.
# The soak drives the screen and the scenario runner, which the Windows host has not: Linux only.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  add_test(NAME soak.quarter-hour
           COMMAND plotwright-soak --hours 0.25
                   --out "${PROJECT_BINARY_DIR}/test-output/soak-quarter-hour")
  set_tests_properties(soak.quarter-hour PROPERTIES
    LABELS soak TIMEOUT 600 ENVIRONMENT "${PLOTWRIGHT_TEST_ENVIRONMENT}")
endif()
