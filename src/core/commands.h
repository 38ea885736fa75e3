#pragma once
// The plug-in's actions as the simulator's commands, which users bind to keys, joystick buttons
// and cockpit switches ("plotwright/record", ...). Each runs the code of its button or menu
// item, once, when the key goes down.

#include "XPLMUtilities.h"

struct PluginCommand {
    const char *Name;
    const char *Description;
};

constexpr int kPluginCommandCount = 10;
extern const PluginCommand kPluginCommands[kPluginCommandCount];

// XPluginStart: creates the commands (or takes the ones an earlier run of the plug-in made: a
// command outlives its plug-in) and registers one handler, before the simulator's, on each.
void registerPluginCommands();
// XPluginStop, and a failed start: no press may reach a module that is about to go.
void unregisterPluginCommands();
// XPluginEnable and XPluginDisable: a disabled plug-in's commands do nothing.
void setPluginCommandsEnabled(bool enabled);
