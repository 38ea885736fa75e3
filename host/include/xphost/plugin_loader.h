#pragma once
// Loads a plug-in module as the simulator does (dlopen on Linux, LoadLibrary with a UTF-16 name
// on Windows) and calls its entry points in the simulator's order: start then enable; at the end
// disable, stop, then unload. Like the simulator, unloading takes away the menus and menu items
// the module made in its entry points and left behind (the Plugins-menu entry a plug-in
// appends, for one); a command handler it leaves registered is reported as a host error and
// removed (xphost/commands.h). Between disable() and enable() the module gets no callbacks: no
// flight loop, no menu handler, no drawing of its windows and no widget messages from the user's
// input (what it registered or created while running is its own). While enabled, the
// module is the host's message receiver (xphost/messages.h); a disabled module receives none.

#include <string>

#include "XPLMDefs.h"

namespace xphost {

class PluginModule {
public:
    PluginModule() = default;
    PluginModule(const PluginModule &) = delete;
    PluginModule &operator=(const PluginModule &) = delete;
    ~PluginModule(); // stops (if started) and unloads

    // Loads the module and finds its five entry points. On failure returns false with the
    // loader's message (dlerror, or the system's error on Windows) or the name of the missing
    // entry point in *error.
    bool load(const std::string &path, std::string *error);
    bool isLoaded() const { return handle_ != nullptr; }

    // XPluginStart with three 256-byte buffers, then XPluginEnable when start returned 1.
    // Returns XPluginStart's result.
    int start();
    // XPluginDisable (when enabled) then XPluginStop; safe to call when not started.
    void stop();
    void unload(); // stop, then dlclose

    int enable();
    void disable();
    // XPluginReceiveMessage, only while enabled.
    void receiveMessage(XPLMPluginID from, int message, void *param);

    bool started() const { return started_; }
    bool enabled() const { return enabled_; }
    const std::string &name() const { return name_; }
    const std::string &signature() const { return signature_; }
    const std::string &description() const { return description_; }
    // strlen of each buffer as written by XPluginStart, and whether it was NUL-terminated.
    bool identityTerminated() const { return identityTerminated_; }

private:
    using StartFn = int (*)(char *, char *, char *);
    using StopFn = void (*)();
    using EnableFn = int (*)();
    using DisableFn = void (*)();
    using MessageFn = void (*)(XPLMPluginID, int, void *);

    void *handle_ = nullptr;
    StartFn start_ = nullptr;
    StopFn stop_ = nullptr;
    EnableFn enable_ = nullptr;
    DisableFn disable_ = nullptr;
    MessageFn message_ = nullptr;
    bool started_ = false;
    bool enabled_ = false;
    bool identityTerminated_ = false;
    std::string name_, signature_, description_;
};

} // namespace xphost
