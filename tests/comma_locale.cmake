# The locale test: a comma locale generated into the build with localedef (no root needed, the
# test finds it through LOCPATH), then one program that runs a session under it. When the
# locale cannot be made, the setup fails and so does the test: it never silently skips.
set(PLOTWRIGHT_LOCALE_DIR "${PROJECT_BINARY_DIR}/locales")
find_program(PLOTWRIGHT_LOCALEDEF localedef)
if(NOT PLOTWRIGHT_LOCALEDEF)
  set(PLOTWRIGHT_LOCALEDEF localedef)
endif()
add_test(NAME locale.generate-comma-locale
  COMMAND sh -c "test -f '${PLOTWRIGHT_LOCALE_DIR}/de_DE.UTF-8/LC_NUMERIC' || { mkdir -p '${PLOTWRIGHT_LOCALE_DIR}' && '${PLOTWRIGHT_LOCALEDEF}' -i de_DE -f UTF-8 '${PLOTWRIGHT_LOCALE_DIR}/de_DE.UTF-8'; }")
set_tests_properties(locale.generate-comma-locale PROPERTIES
  FIXTURES_SETUP comma_locale LABELS locale)

add_executable(comma_locale_test "${CMAKE_CURRENT_SOURCE_DIR}/locale/comma_locale_test.cpp")
target_link_libraries(comma_locale_test PRIVATE plotwright_test_support GTest::gtest_main
                                                plotwright_core)
plotwright_warnings(comma_locale_test)
add_test(NAME locale.comma-locale-session COMMAND comma_locale_test)
set_tests_properties(locale.comma-locale-session PROPERTIES
  FIXTURES_REQUIRED comma_locale LABELS locale
  ENVIRONMENT "LOCPATH=${PLOTWRIGHT_LOCALE_DIR};${PLOTWRIGHT_TEST_ENVIRONMENT}")
