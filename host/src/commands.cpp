// Commands: the registry of names, their handlers and the phases of a press.
#include "xphost/commands.h"

#include <algorithm>
#include <map>
#include <memory>

#include "XPLMUtilities.h"
#include "host_internal.h"
#include "xphost/flight_loop.h"
#include "xphost/host.h"

namespace xphost {
namespace {

struct Handler {
    XPLMCommandCallback_f callback = nullptr;
    bool before = false;
    void *refcon = nullptr;
    const void *owner = nullptr; // the module that registered it; nullptr: the host's tests
    long long id = 0;            // to find it again after a handler changed the list
};

struct Command {
    std::string name;
    std::string description;
    std::vector<Handler> handlers; // in the order of registration
    bool held = false;
    long long simulatorHandled = 0;
};

struct Commands {
    // Owned here, found by name and by the address handed out as the reference.
    std::vector<std::unique_ptr<Command>> all;
    std::map<std::string, Command *> byName;
    long long nextHandlerId = 1;
};

Commands &commands() {
    static Commands instance;
    return instance;
}

Command *byName(const std::string &name) {
    auto it = commands().byName.find(name);
    return it == commands().byName.end() ? nullptr : it->second;
}

Command *byRef(XPLMCommandRef ref, const char *function) {
    for (const auto &command : commands().all)
        if (command.get() == ref) return command.get();
    reportHostError(std::string(function) + ": unknown command reference");
    return nullptr;
}

bool sameRegistration(const Handler &h, XPLMCommandCallback_f callback, int before, void *refcon) {
    return h.callback == callback && h.before == (before != 0) && h.refcon == refcon;
}

// Calls one handler unless it was removed meanwhile or its module is disabled; false when it
// stopped the phase.
bool callHandler(Command &command, long long id, XPLMCommandPhase phase) {
    const auto it = std::find_if(command.handlers.begin(), command.handlers.end(),
                                 [id](const Handler &h) { return h.id == id; });
    if (it == command.handlers.end() || !internal::isModuleEnabled(it->owner)) return true;
    const Handler handler = *it;
    internal::RunningModuleScope running(handler.owner);
    return handler.callback(&command, phase, handler.refcon) != 0;
}

// The handlers as they stood when the phase began: one registered meanwhile waits for the next
// phase, one removed meanwhile is skipped.
void runPhase(Command &command, XPLMCommandPhase phase) {
    std::vector<long long> before, after;
    for (const Handler &h : command.handlers)
        (h.before ? before : after).push_back(h.id);
    for (long long id : before)
        if (!callHandler(command, id, phase)) return;
    ++command.simulatorHandled;
    for (long long id : after)
        if (!callHandler(command, id, phase)) return;
}

void begin(Command &command) {
    if (command.held) {
        reportHostError("XPLMCommandBegin: " + command.name + " is already held down");
        return;
    }
    command.held = true;
    runPhase(command, xplm_CommandBegin);
}

void end(Command &command) {
    if (!command.held) {
        reportHostError("XPLMCommandEnd: " + command.name + " is not held down");
        return;
    }
    command.held = false;
    runPhase(command, xplm_CommandEnd);
}

Command *pressable(const std::string &name, std::string *error) {
    Command *command = byName(name);
    if (command == nullptr && error != nullptr) *error = "no command is named \"" + name + "\"";
    return command;
}

} // namespace

std::vector<std::string> commandNames() {
    std::vector<std::string> names;
    for (const auto &command : commands().all)
        names.push_back(command->name);
    return names;
}

bool commandExists(const std::string &name) { return byName(name) != nullptr; }

std::string commandDescription(const std::string &name) {
    const Command *command = byName(name);
    return command == nullptr ? std::string{} : command->description;
}

int commandHandlerCount(const std::string &name) {
    const Command *command = byName(name);
    return command == nullptr ? 0 : static_cast<int>(command->handlers.size());
}

long long simulatorHandledCount(const std::string &name) {
    const Command *command = byName(name);
    return command == nullptr ? 0 : command->simulatorHandled;
}

bool pressCommand(const std::string &name, std::string *error) {
    Command *command = pressable(name, error);
    if (command == nullptr) return false;
    XPLMCommandOnce(command);
    return true;
}

bool holdCommand(const std::string &name, long long frames, std::string *error) {
    Command *command = pressable(name, error);
    if (command == nullptr) return false;
    XPLMCommandBegin(command);
    runFrames(frames);
    XPLMCommandEnd(command);
    return true;
}

namespace internal {
void continueHeldCommands() {
    // A handler may make commands meanwhile: by index, up to the count at the start.
    const std::size_t count = commands().all.size();
    for (std::size_t i = 0; i < count; ++i) {
        Command &command = *commands().all[i];
        if (command.held) runPhase(command, xplm_CommandContinue);
    }
}

void resetCommands() { commands() = Commands{}; }

void removeCommandHandlersOwnedBy(const void *module) {
    if (module == nullptr) return;
    for (const auto &command : commands().all) {
        auto &handlers = command->handlers;
        const auto left = std::count_if(handlers.begin(), handlers.end(),
                                        [module](const Handler &h) { return h.owner == module; });
        if (left == 0) continue;
        reportHostError("a module was unloaded with " + std::to_string(left) +
                        " handler(s) still registered on the command " + command->name);
        handlers.erase(std::remove_if(handlers.begin(), handlers.end(),
                                      [module](const Handler &h) { return h.owner == module; }),
                       handlers.end());
    }
}
} // namespace internal

} // namespace xphost

using namespace xphost;

XPLM_API XPLMCommandRef XPLMCreateCommand(const char *inName, const char *inDescription) {
    internal::checkMainThread(__func__);
    if (inName == nullptr || inName[0] == '\0') {
        reportHostError("XPLMCreateCommand: null or empty name");
        return nullptr;
    }
    if (Command *existing = byName(inName)) return existing;
    auto command = std::make_unique<Command>();
    command->name = inName;
    command->description = inDescription != nullptr ? inDescription : "";
    Command *raw = command.get();
    commands().all.push_back(std::move(command));
    commands().byName.emplace(raw->name, raw);
    return raw;
}

XPLM_API XPLMCommandRef XPLMFindCommand(const char *inName) {
    internal::checkMainThread(__func__);
    if (inName == nullptr) return nullptr;
    return byName(inName);
}

XPLM_API void XPLMRegisterCommandHandler(XPLMCommandRef inComand, XPLMCommandCallback_f inHandler,
                                         int inBefore, void *inRefcon) {
    internal::checkMainThread(__func__);
    Command *command = byRef(inComand, __func__);
    if (command == nullptr) return;
    if (inHandler == nullptr) {
        reportHostError("XPLMRegisterCommandHandler: null handler on " + command->name);
        return;
    }
    for (const Handler &h : command->handlers)
        if (sameRegistration(h, inHandler, inBefore, inRefcon)) {
            reportHostError("XPLMRegisterCommandHandler: the handler is already registered on " +
                            command->name);
            return;
        }
    command->handlers.push_back(Handler{inHandler, inBefore != 0, inRefcon,
                                        internal::runningModule(), commands().nextHandlerId++});
}

XPLM_API void XPLMUnregisterCommandHandler(XPLMCommandRef inComand, XPLMCommandCallback_f inHandler,
                                           int inBefore, void *inRefcon) {
    internal::checkMainThread(__func__);
    Command *command = byRef(inComand, __func__);
    if (command == nullptr) return;
    auto &handlers = command->handlers;
    const auto it = std::find_if(handlers.begin(), handlers.end(), [&](const Handler &h) {
        return sameRegistration(h, inHandler, inBefore, inRefcon);
    });
    if (it == handlers.end()) {
        reportHostError("XPLMUnregisterCommandHandler: no such handler on " + command->name);
        return;
    }
    handlers.erase(it);
}

XPLM_API void XPLMCommandOnce(XPLMCommandRef inCommand) {
    internal::checkMainThread(__func__);
    Command *command = byRef(inCommand, __func__);
    if (command == nullptr) return;
    begin(*command);
    end(*command);
}

XPLM_API void XPLMCommandBegin(XPLMCommandRef inCommand) {
    internal::checkMainThread(__func__);
    if (Command *command = byRef(inCommand, __func__)) begin(*command);
}

XPLM_API void XPLMCommandEnd(XPLMCommandRef inCommand) {
    internal::checkMainThread(__func__);
    if (Command *command = byRef(inCommand, __func__)) end(*command);
}
