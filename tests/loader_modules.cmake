# Modules the loader tests load besides the real plug-in.
add_library(incomplete_module MODULE "${CMAKE_CURRENT_SOURCE_DIR}/e2e/modules/incomplete_module.cpp")
set_target_properties(incomplete_module PROPERTIES PREFIX "" SUFFIX ".xpl"
  LIBRARY_OUTPUT_DIRECTORY "${PROJECT_BINARY_DIR}/test-modules")
if(TARGET module_load_test)
  add_dependencies(module_load_test incomplete_module)
  if(WIN32)
    plotwright_wine_path(incomplete "${PROJECT_BINARY_DIR}/test-modules/incomplete_module.xpl")
  else()
    set(incomplete "$<TARGET_FILE:incomplete_module>")
  endif()
  target_compile_definitions(module_load_test PRIVATE INCOMPLETE_MODULE_PATH="${incomplete}")
endif()
if(TARGET module_symbols_test)
  target_compile_definitions(module_symbols_test PRIVATE
    SDK_HEADER_DIR="${PROJECT_SOURCE_DIR}/sdk/CHeaders")
endif()

# A module that leaves a command handler registered when it stops.
add_library(command_left_module MODULE
  "${CMAKE_CURRENT_SOURCE_DIR}/e2e/modules/command_left_module.cpp")
target_link_libraries(command_left_module PRIVATE xplane_sdk)
set_target_properties(command_left_module PROPERTIES PREFIX "" SUFFIX ".xpl"
  LIBRARY_OUTPUT_DIRECTORY "${PROJECT_BINARY_DIR}/test-modules")
if(TARGET plugin_commands_test)
  add_dependencies(plugin_commands_test command_left_module)
  if(WIN32)
    plotwright_wine_path(left "${PROJECT_BINARY_DIR}/test-modules/command_left_module.xpl")
  else()
    set(left "$<TARGET_FILE:command_left_module>")
  endif()
  target_compile_definitions(plugin_commands_test PRIVATE COMMAND_LEFT_MODULE_PATH="${left}")
endif()
