# Replays a fixed set of UI fuzzer sessions (seeds 1 to 6: between them every action the fuzzer
# makes) under this build's sanitizers, with the model's checks.
if(TARGET plotwright-uifuzz)
  add_test(NAME ui_fuzz_replay
           COMMAND plotwright-uifuzz --seeds 1-6
                   --out "${PROJECT_BINARY_DIR}/test-output/ui-fuzz-replay")
  set_tests_properties(ui_fuzz_replay PROPERTIES
    LABELS fuzz TIMEOUT 600 ENVIRONMENT "${PLOTWRIGHT_TEST_ENVIRONMENT}")
endif()
