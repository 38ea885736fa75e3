# Replays the settings-file fuzz corpus with the same entry function as the fuzzer, under this
# build's sanitizers, so every seed and saved finding is checked by the ordinary test run.
include("${PROJECT_SOURCE_DIR}/fuzz/config_fuzz_sources.cmake")

plotwright_config_fuzz_program(config_fuzz_replay "${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp")
add_test(NAME config_fuzz_replay
         COMMAND config_fuzz_replay "${PROJECT_SOURCE_DIR}/fuzz/corpus")
set_tests_properties(config_fuzz_replay PROPERTIES LABELS fuzz
                     ENVIRONMENT "${PLOTWRIGHT_TEST_ENVIRONMENT}")

# The journal reader's corpus, the same way.
include("${PROJECT_SOURCE_DIR}/fuzz/journal_fuzz_sources.cmake")
plotwright_journal_fuzz_program(journal_fuzz_replay "${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp")
add_test(NAME journal_fuzz_replay
         COMMAND journal_fuzz_replay "${PROJECT_SOURCE_DIR}/fuzz/journal_corpus")
set_tests_properties(journal_fuzz_replay PROPERTIES LABELS fuzz
                     ENVIRONMENT "${PLOTWRIGHT_TEST_ENVIRONMENT}")
