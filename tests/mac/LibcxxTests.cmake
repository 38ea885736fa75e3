# The unit tests built with clang and libc++, the compiler family and C++ library of mac.xpl, on
# Linux: they catch code that compiles or behaves differently under libc++ (headers that
# libstdc++ happens to pull in, unspecified orders and formats, precondition faults that libc++
# checks with its assertions). The end-to-end tests, the scenario runs and the fuzz replays stay
# in the Linux suite: they exercise the same plug-in code through the loader and the scenario
# runner, whose muParser Debian builds for libstdc++ only.
#
# Debian's GoogleTest is built for libstdc++; its sources build one for libc++ here.
set(PLOTWRIGHT_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH
    "GoogleTest's sources, built with libc++ for these tests")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory("${PLOTWRIGHT_GTEST_SOURCE_DIR}" googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

set(PLOTWRIGHT_LINUX_ONLY_TESTS "")
