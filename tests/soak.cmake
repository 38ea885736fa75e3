# One hour of the soak (plotwright-soak, built in bench/) in the sanitizer build: every window
# open, set switches, track drags, screenshots, and exports checked row by row. Debug code under
# the sanitizers needs about half a millisecond of CPU per tick, three minutes for the hour;
# `make soak` runs ten hours in the release build and prints the figures.
# The soak drives the screen and the scenario runner, which the Windows host has not: Linux only.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  add_test(NAME soak.one-hour
           COMMAND plotwright-soak --hours 1
                   --out "${PROJECT_BINARY_DIR}/test-output/soak-one-hour")
  set_tests_properties(soak.one-hour PROPERTIES
    LABELS soak TIMEOUT 1800 ENVIRONMENT "${PLOTWRIGHT_TEST_ENVIRONMENT}")
  # Six minutes at 30 frames a second: three or four rows a call, each export checked against
  # the time its rows stand for.
  add_test(NAME soak.tenth-hour-30fps
           COMMAND plotwright-soak --hours 0.1 --framerate 30
                   --out "${PROJECT_BINARY_DIR}/test-output/soak-30fps")
  set_tests_properties(soak.tenth-hour-30fps PROPERTIES
    LABELS soak TIMEOUT 900 ENVIRONMENT "${PLOTWRIGHT_TEST_ENVIRONMENT}")
endif()
