# `cmake --install` copies the ready plug-in folder into a simulator's Resources/plugins.
# Set CMAKE_INSTALL_PREFIX to the simulator's folder.
install(TARGETS plotwright LIBRARY DESTINATION "Resources/plugins/Plotwright/64"
                           RUNTIME DESTINATION "Resources/plugins/Plotwright/64")
install(CODE "
  set(settings \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/Resources/plugins/Plotwright/Plotwright.ini\")
  if(EXISTS \"\${settings}\")
    message(STATUS \"Keeping the existing \${settings}\")
  else()
    file(INSTALL \"${PROJECT_SOURCE_DIR}/dist/Plotwright.ini\"
         DESTINATION \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/Resources/plugins/Plotwright\")
  endif()")
