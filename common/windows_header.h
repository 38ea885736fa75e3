#pragma once
// windows.h without the parts that clash with standard C++ (min and max macros) or that the
// plug-in and the host never use.
#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif
