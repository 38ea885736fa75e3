// Which loaded modules are disabled. Few modules are ever loaded at once: a short list.
#include <algorithm>
#include <vector>

#include "host_internal.h"

namespace xphost::internal {
namespace {
std::vector<const void *> &disabledModules() {
    static std::vector<const void *> modules;
    return modules;
}
} // namespace

void setModuleEnabled(const void *module, bool enabled) {
    if (module == nullptr) return;
    forgetModuleState(module);
    if (!enabled) disabledModules().push_back(module);
}

bool isModuleEnabled(const void *module) {
    const std::vector<const void *> &disabled = disabledModules();
    return module == nullptr ||
           std::find(disabled.begin(), disabled.end(), module) == disabled.end();
}

void forgetModuleState(const void *module) {
    std::vector<const void *> &disabled = disabledModules();
    disabled.erase(std::remove(disabled.begin(), disabled.end(), module), disabled.end());
}

void forgetModuleStates() { disabledModules().clear(); }
} // namespace xphost::internal
