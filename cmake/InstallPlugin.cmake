# Copies the plug-in into a simulator's Resources/plugins/Plotwright: the module, and the
# example settings as PlotwrightExample.ini, which the plug-in reads only while there is no
# Plotwright.ini. The user's Plotwright.ini is never written, so installing again, or a newer
# version, keeps their settings.
#   cmake -DMODULE=.../lin.xpl -DSOURCE_DIR=... -DPREFIX=/path/to/X-Plane -P InstallPlugin.cmake
# (cmake --install sets the same three and includes this file.)
foreach(required MODULE SOURCE_DIR PREFIX)
  if(NOT DEFINED ${required} OR "${${required}}" STREQUAL "")
    message(FATAL_ERROR "InstallPlugin.cmake needs -D${required}=...")
  endif()
endforeach()
if(NOT EXISTS "${MODULE}")
  message(FATAL_ERROR "no ${MODULE} to install")
endif()
set(plugin "${PREFIX}/Resources/plugins/Plotwright")
file(INSTALL "${MODULE}" DESTINATION "${plugin}/64")
file(INSTALL "${SOURCE_DIR}/dist/Plotwright.ini" DESTINATION "${plugin}"
     RENAME PlotwrightExample.ini)
if(EXISTS "${plugin}/Plotwright.ini")
  message(STATUS "Keeping the existing ${plugin}/Plotwright.ini")
else()
  message(STATUS "No Plotwright.ini: the plug-in starts with the example settings")
endif()
