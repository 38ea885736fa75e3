#include "xplm_stand_ins.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "XPLMUtilities.h"

namespace {
char systemPath[512];
} // namespace

void setStandInSystemPath(const char *folder) {
    std::snprintf(systemPath, sizeof systemPath, "%s", folder);
}

XPLM_API void XPLMGetSystemPath(char *outSystemPath) {
    std::memcpy(outSystemPath, systemPath, sizeof systemPath);
}

XPLM_API const char *XPLMGetDirectorySeparator(void) { return "/"; }

// Every message the reader logs is one whole line: a message without its line end would run
// into the simulator's next log line.
XPLM_API void XPLMDebugString(const char *inString) {
    const std::size_t length = std::strlen(inString);
    if (length == 0 || inString[length - 1] != '\n') {
        std::fprintf(stderr, "log message without its line end: \"%s\"\n", inString);
        std::abort();
    }
}
