// Loading a plug-in module the way the simulator does: dlopen on Linux, LoadLibrary on Windows.
#include "xphost/plugin_loader.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <cstring>

#include "host_files.h"
#include "host_internal.h"
#include "xphost/messages.h"

namespace xphost {
namespace {
constexpr int kIdentityBufferSize = 256;

#if defined(_WIN32)
// The module's name goes to the system as UTF-16, as the simulator's paths are UTF-8.
void *openLibrary(const std::string &path, std::string *why) {
    HMODULE module = LoadLibraryW(internal::nativePath(path).c_str());
    if (module == nullptr) {
        const DWORD code = GetLastError();
        char text[512] = {};
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                       text, sizeof text, nullptr);
        *why = "error " + std::to_string(code) + " " + text;
    }
    return reinterpret_cast<void *>(module);
}
void *findSymbol(void *library, const char *name) {
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(library), name));
}
void closeLibrary(void *library) { FreeLibrary(static_cast<HMODULE>(library)); }
#else
// RTLD_LOCAL keeps the module's own symbols to itself; the simulator's functions it needs are
// bound from the host, which is already in the process.
void *openLibrary(const std::string &path, std::string *why) {
    void *library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char *text = dlerror();
        *why = text ? text : "unknown error";
    }
    return library;
}
void *findSymbol(void *library, const char *name) {
    dlerror();
    return dlsym(library, name);
}
void closeLibrary(void *library) { dlclose(library); }
#endif

// Marks the module as the one running while one of its entry points runs, so what it creates
// meanwhile is known to be its own.
class RunningModule {
public:
    explicit RunningModule(const void *module) { internal::setRunningModule(module); }
    ~RunningModule() { internal::setRunningModule(nullptr); }
    RunningModule(const RunningModule &) = delete;
    RunningModule &operator=(const RunningModule &) = delete;
};

template <typename Fn> bool resolve(void *handle, const char *name, Fn *out, std::string *error) {
    void *symbol = findSymbol(handle, name);
    if (symbol == nullptr) {
        if (error != nullptr) *error = std::string("the module has no entry point ") + name;
        return false;
    }
    *out = reinterpret_cast<Fn>(symbol);
    return true;
}

std::string terminatedText(const char *buffer, bool *terminated) {
    const void *end = std::memchr(buffer, '\0', kIdentityBufferSize);
    if (end == nullptr) {
        *terminated = false;
        return std::string(buffer, kIdentityBufferSize);
    }
    return std::string(buffer, static_cast<const char *>(end));
}
} // namespace

PluginModule::~PluginModule() { unload(); }

bool PluginModule::load(const std::string &path, std::string *error) {
    unload();
    std::string why;
    handle_ = openLibrary(path, &why);
    if (handle_ == nullptr) {
        if (error != nullptr) *error = "cannot load " + path + ": " + why;
        return false;
    }
    std::string missing;
    const bool ok = resolve(handle_, "XPluginStart", &start_, &missing) &&
                    resolve(handle_, "XPluginStop", &stop_, &missing) &&
                    resolve(handle_, "XPluginEnable", &enable_, &missing) &&
                    resolve(handle_, "XPluginDisable", &disable_, &missing) &&
                    resolve(handle_, "XPluginReceiveMessage", &message_, &missing);
    if (!ok) {
        if (error != nullptr) *error = path + ": " + missing;
        closeLibrary(handle_);
        handle_ = nullptr;
        return false;
    }
    return true;
}

int PluginModule::start() {
    if (handle_ == nullptr || started_) return 0;
    char name[kIdentityBufferSize] = {};
    char signature[kIdentityBufferSize] = {};
    char description[kIdentityBufferSize] = {};
    // Fill with a marker so a missing terminator shows.
    std::memset(name, 'x', sizeof name);
    std::memset(signature, 'x', sizeof signature);
    std::memset(description, 'x', sizeof description);
    int result = 0;
    {
        RunningModule running(handle_);
        result = start_(name, signature, description);
    }
    bool terminated = true;
    name_ = terminatedText(name, &terminated);
    signature_ = terminatedText(signature, &terminated);
    description_ = terminatedText(description, &terminated);
    identityTerminated_ = terminated;
    if (result != 1) return result;
    started_ = true;
    enable();
    return result;
}

int PluginModule::enable() {
    if (!started_) return 0;
    int result = 0;
    {
        RunningModule running(handle_);
        result = enable_();
    }
    enabled_ = result == 1;
    internal::setModuleEnabled(handle_, enabled_);
    // The simulator's messages reach an enabled plug-in only.
    if (enabled_)
        setMessageReceiver([this](XPLMPluginID from, int message, void *param) {
            receiveMessage(from, message, param);
        });
    return result;
}

void PluginModule::disable() {
    if (!enabled_) return;
    setMessageReceiver(nullptr);
    {
        RunningModule running(handle_);
        disable_();
    }
    enabled_ = false;
    internal::setModuleEnabled(handle_, false);
}

void PluginModule::receiveMessage(XPLMPluginID from, int message, void *param) {
    if (!started_ || !enabled_) return;
    RunningModule running(handle_);
    message_(from, message, param);
}

void PluginModule::stop() {
    if (!started_) return;
    disable();
    {
        RunningModule running(handle_);
        stop_();
    }
    started_ = false;
}

void PluginModule::unload() {
    stop();
    if (handle_ != nullptr) {
        // The simulator takes away the menus a plug-in leaves behind when it goes.
        internal::removeMenusOwnedBy(handle_);
        // A command outlives the plug-in; a handler left on one would be called in code that
        // is gone.
        internal::removeCommandHandlersOwnedBy(handle_);
        internal::forgetModuleState(handle_);
        closeLibrary(handle_);
        handle_ = nullptr;
    }
    start_ = nullptr;
    stop_ = nullptr;
    enable_ = nullptr;
    disable_ = nullptr;
    message_ = nullptr;
}

} // namespace xphost
