# The settings-file fuzz entry and everything it runs: the reader, the writer, the plug-in's
# path, file-access and number helpers and stand-ins for the three simulator functions they
# call. Shared by the libFuzzer target (fuzz/) and the corpus replay that `make test` runs
# (tests/fuzz_replay.cmake).
file(GLOB PLOTWRIGHT_CONFIG_SOURCES CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/src/config/*.cpp")
set(PLOTWRIGHT_CONFIG_FUZZ_SOURCES
  ${PLOTWRIGHT_CONFIG_SOURCES}
  "${PROJECT_SOURCE_DIR}/src/core/plugin_paths.cpp"
  "${PROJECT_SOURCE_DIR}/src/core/file_access.cpp"
  "${PROJECT_SOURCE_DIR}/src/core/file_problem.cpp"
  "${PROJECT_SOURCE_DIR}/src/core/file_platform_posix.cpp"
  "${PROJECT_SOURCE_DIR}/src/core/log_text.cpp"
  "${PROJECT_SOURCE_DIR}/src/core/number_text.cpp"
  "${PROJECT_SOURCE_DIR}/src/core/number_format.cpp"
  "${PROJECT_SOURCE_DIR}/src/core/log_text.cpp"
  "${PROJECT_SOURCE_DIR}/fuzz/config_fuzz_entry.cpp"
  "${PROJECT_SOURCE_DIR}/fuzz/xplm_stand_ins.cpp")

function(plotwright_config_fuzz_program target)
  add_executable(${target} ${PLOTWRIGHT_CONFIG_FUZZ_SOURCES} ${ARGN})
  target_include_directories(${target} PRIVATE "${PROJECT_SOURCE_DIR}/src"
                                               "${PROJECT_SOURCE_DIR}/fuzz")
  target_link_libraries(${target} PRIVATE xplane_sdk)
  plotwright_warnings(${target})
endfunction()
