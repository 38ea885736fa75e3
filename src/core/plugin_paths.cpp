#include "core/plugin_paths.h"

#include <cstdio>
#include <cstring>

#include "XPLMUtilities.h"
#include "core/file_access.h"

namespace {
// The host writes at least 512 bytes; leave generous room for long install folders.
constexpr std::size_t kSystemPathSize = 2048;
} // namespace

bool buildPluginFilePath(char *out, std::size_t outSize, const char *fileName) {
    if (out == nullptr || outSize == 0) return false;
    out[0] = '\0';
    char systemPath[kSystemPathSize] = {};
    XPLMGetSystemPath(systemPath);
    systemPath[kSystemPathSize - 1] = '\0';
    const char *separator = XPLMGetDirectorySeparator();
    if (separator == nullptr) separator = "/";
    const int written = std::snprintf(out, outSize, "%sResources%splugins%sPlotwright%s%s",
                                      systemPath, separator, separator, separator, fileName);
    if (written < 0 || static_cast<std::size_t>(written) >= outSize ||
        static_cast<std::size_t>(written) + kPartialFileSuffixLength >= kMaxPathBytes) {
        out[0] = '\0';
        return false;
    }
    return true;
}
