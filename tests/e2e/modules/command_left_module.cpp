// A plug-in that registers a command handler at its start and forgets it at its stop: the host
// must report it when the module is unloaded, and never call into the unloaded module.
#include <cstring>

#include "XPLMUtilities.h"

#if defined(_WIN32)
#define ENTRY_POINT extern "C" __declspec(dllexport)
#else
#define ENTRY_POINT extern "C" __attribute__((visibility("default")))
#endif

namespace {
int handler(XPLMCommandRef, XPLMCommandPhase, void *) { return 1; }
} // namespace

ENTRY_POINT int XPluginStart(char *name, char *signature, char *description) {
    std::strcpy(name, "CommandLeft");
    std::strcpy(signature, "test.command_left");
    std::strcpy(description, "Leaves a command handler registered");
    XPLMRegisterCommandHandler(XPLMCreateCommand("test/left_behind", "Test: left behind"), handler,
                               1, nullptr);
    return 1;
}
ENTRY_POINT void XPluginStop(void) {}
ENTRY_POINT int XPluginEnable(void) { return 1; }
ENTRY_POINT void XPluginDisable(void) {}
ENTRY_POINT void XPluginReceiveMessage(int, int, void *) {}
