# The journal reader's fuzz entry and the code it runs. Shared by the libFuzzer target (fuzz/)
# and the corpus replay that `make test` runs (tests/fuzz_replay.cmake).
function(plotwright_journal_fuzz_program target)
  add_executable(${target}
    "${PROJECT_SOURCE_DIR}/src/background/journal_format.cpp"
    "${PROJECT_SOURCE_DIR}/src/background/crc32.cpp"
    "${PROJECT_SOURCE_DIR}/fuzz/journal_fuzz_entry.cpp" ${ARGN})
  target_include_directories(${target} PRIVATE "${PROJECT_SOURCE_DIR}/src")
  plotwright_warnings(${target})
endfunction()
