#pragma once
// The simulator's commands: named actions that users bind to keys, joystick buttons and cockpit
// controls, and that plug-ins create, handle and trigger (XPLMUtilities.h).
//
// What is modelled:
// - XPLMCreateCommand makes a command or returns the existing one of that name (its first
//   description stays); XPLMFindCommand returns NULL for an unknown name. A command stays for
//   the life of the host, whoever made it: unloading a plug-in leaves its commands, and a
//   reloaded plug-in gets the same references back. resetHost forgets every command.
// - Handlers run in this order at every phase: those registered before the simulator's own
//   handling, in the order of registration; then the simulator's own handling (counted by
//   simulatorHandledCount; the host does nothing else for it); then those registered after, in
//   the order of registration. A handler returning 0 stops the phase there: neither the later
//   handlers nor the simulator see it. The same handler may be registered before and after;
//   registering the same four values twice is a host error, as is unregistering four values
//   that are not registered, or passing a reference XPLMCreateCommand or XPLMFindCommand did
//   not hand out.
// - Phases: XPLMCommandBegin runs xplm_CommandBegin at once; while held, the start of every
//   frame (after the frame hook, before the flight loops) runs xplm_CommandContinue; and
//   XPLMCommandEnd runs xplm_CommandEnd at once. XPLMCommandOnce runs begin and end at once,
//   with no continue. A begin of a command already held, or an end of one not held, is a host
//   error (every begin needs its end).
// - A handler registered while a module runs (its entry points or callbacks) belongs to that
//   module and is not called while the module is disabled. A handler still registered when its
//   module is unloaded is a host error (the simulator would call code that is gone at the next
//   press); the host then removes it, so the press that follows calls nothing.
// - Every phase runs on the simulator's main thread, the one that last called resetHost.

#include <string>
#include <vector>

namespace xphost {

// The names of every command made since resetHost, in the order they were made.
std::vector<std::string> commandNames();
bool commandExists(const std::string &name);
// "" for an unknown command.
std::string commandDescription(const std::string &name);
// Handlers registered on the command now, before and after together; 0 for an unknown one.
int commandHandlerCount(const std::string &name);
// How many phases of the command reached the simulator's own handling since resetHost.
long long simulatorHandledCount(const std::string &name);

// The user presses and releases the command's key within one frame (XPLMCommandOnce).
// Returns false and says why in *error for an unknown command.
bool pressCommand(const std::string &name, std::string *error = nullptr);
// The user holds the command's key for `frames` frames (runFrames), then releases it: begin,
// one continue per frame, end.
bool holdCommand(const std::string &name, long long frames, std::string *error = nullptr);

} // namespace xphost
