# Every C and C++ file of the project keeps the house format (.clang-format).
find_program(CLANG_FORMAT_EXECUTABLE clang-format)
find_package(Git QUIET)
if(CLANG_FORMAT_EXECUTABLE AND GIT_FOUND)
  add_test(NAME format.clang-format
    COMMAND sh -c "'${GIT_EXECUTABLE}' ls-files -z '*.h' '*.cpp' '*.cc' | xargs -0 '${CLANG_FORMAT_EXECUTABLE}' --dry-run -Werror"
    WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}")
  set_tests_properties(format.clang-format PROPERTIES LABELS format)
endif()
