#pragma once
// OpenGL 1.x declarations, wherever each platform keeps them.

#if defined(_WIN32)
// windows.h first: gl.h needs its calling-convention macros.
#include "windows_header.h"

#include <GL/gl.h>
#elif defined(__APPLE__)
// macOS keeps OpenGL's headers in its framework, not in GL/; the cross-build supplies its own
// (sdk/macos).
#include <OpenGL/gl.h>
#else
#include <GL/gl.h>
#endif
