# `cmake --install` copies the plug-in into a simulator's Resources/plugins, as `make install`
# does with the shipped module. Set CMAKE_INSTALL_PREFIX to the simulator's folder.
install(CODE "
  set(MODULE \"$<TARGET_FILE:plotwright>\")
  set(SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")
  set(PREFIX \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  include(\"${PROJECT_SOURCE_DIR}/cmake/InstallPlugin.cmake\")")
