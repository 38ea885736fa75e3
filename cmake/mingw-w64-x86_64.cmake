# Cross-building the Windows module (win.xpl) and the Windows host on Linux with mingw-w64.
# The posix thread variant of the compiler; everything is linked statically (-static), so the
# module needs none of mingw's runtime DLLs, which the simulator does not ship: it imports only
# XPLM_64.dll, XPWidgets_64.dll, OPENGL32.dll, KERNEL32.dll and msvcrt.dll.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PLOTWRIGHT_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PLOTWRIGHT_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PLOTWRIGHT_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${PLOTWRIGHT_MINGW_PREFIX}-windres)
set(CMAKE_DLLTOOL ${PLOTWRIGHT_MINGW_PREFIX}-dlltool)
set(CMAKE_OBJDUMP ${PLOTWRIGHT_MINGW_PREFIX}-objdump)
set(CMAKE_STRIP ${PLOTWRIGHT_MINGW_PREFIX}-strip)

set(CMAKE_FIND_ROOT_PATH /usr/${PLOTWRIGHT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine (Debian keeps the 64-bit loader off PATH).
find_program(PLOTWRIGHT_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(PLOTWRIGHT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${PLOTWRIGHT_WINE}")
endif()
