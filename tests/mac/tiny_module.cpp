// The smallest module with mac.xpl's shape: the five entry points, calling one function of each
// library the plug-in imports, and an exception thrown and caught inside the module, as the
// plug-in's own are (so it carries catch tables and the personality routine).
// tests/mac/make_modules.sh links it right and in the wrong ways the shape check must catch.
#include <OpenGL/gl.h>

#include <cstring>
#include <stdexcept>

#include "XPLMUtilities.h"
#include "XPWidgets.h"

#define TINY_EXPORT extern "C" __attribute__((visibility("default")))

TINY_EXPORT int XPluginStart(char *outName, char *outSignature, char *outDescription) {
    std::strcpy(outName, "Tiny");
    std::strcpy(outSignature, "tests.mac.tiny");
#if defined(TINY_BUILT_IN)
    // A path of the build machine, as an unmapped __FILE__ would leave one.
    std::strcpy(outDescription, TINY_BUILT_IN);
#else
    std::strcpy(outDescription, "A module to check the shape check");
#endif
    return 1;
}

TINY_EXPORT void XPluginStop(void) {}

TINY_EXPORT int XPluginEnable(void) {
    XPLMDebugString("Tiny - enabled\n");
    glBegin(GL_LINES);
    glEnd();
    return XPCreateWidget(0, 0, 1, 1, 0, "", 1, nullptr, 0) != nullptr;
}

TINY_EXPORT void XPluginDisable(void) {}

namespace {
// Not inlined, so the throw and the catch are in two functions and the unwinder must walk from
// one to the other.
__attribute__((noinline)) int tiny_checked(int message) {
    if (message < 0) {
        throw std::invalid_argument("a negative message");
    }
    return message;
}
} // namespace

TINY_EXPORT void XPluginReceiveMessage(XPLMPluginID, int message, void *) {
    try {
        tiny_checked(message);
    } catch (const std::exception &problem) {
        XPLMDebugString(problem.what());
    }
}

#if defined(TINY_EXTRA_EXPORT)
TINY_EXPORT int TinyExtra(void) { return 1; }
#endif
