# Modules the loader tests load besides the real plug-in: each built from
# e2e/modules/<name>.cpp into test-modules/<name>.xpl, its path handed to the test that loads it
# as the compile definition `define`.
function(plotwright_test_module name test define)
  add_library(${name} MODULE "${CMAKE_CURRENT_SOURCE_DIR}/e2e/modules/${name}.cpp")
  target_link_libraries(${name} PRIVATE ${ARGN})
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".xpl"
    LIBRARY_OUTPUT_DIRECTORY "${PROJECT_BINARY_DIR}/test-modules")
  if(NOT TARGET ${test})
    return()
  endif()
  add_dependencies(${test} ${name})
  if(WIN32)
    plotwright_wine_path(path "${PROJECT_BINARY_DIR}/test-modules/${name}.xpl")
  else()
    set(path "$<TARGET_FILE:${name}>")
  endif()
  target_compile_definitions(${test} PRIVATE ${define}="${path}")
endfunction()

plotwright_test_module(incomplete_module module_load_test INCOMPLETE_MODULE_PATH)
# Leaves a command handler registered when it stops.
plotwright_test_module(command_left_module plugin_commands_test COMMAND_LEFT_MODULE_PATH
                       xplane_sdk)

if(TARGET module_symbols_test)
  target_compile_definitions(module_symbols_test PRIVATE
    SDK_HEADER_DIR="${PROJECT_SOURCE_DIR}/sdk/CHeaders")
endif()
