#include "world/battle/battle_commands.h"

#include "core/reset/module_resets.h"

BATTLE_COMMANDS battle_commands;

void battle_commands_reset() {
  battle_commands = BATTLE_COMMANDS{};
  for (BATTLE_COMMAND_SIDE& s : battle_commands.side) {
    s.current = BATTLE_COMMAND{BATTLE_CODE_NONE, 0, 0, BATTLE_ARGUMENT_NONE};
    s.last = s.current;
  }
}

static const ModuleReset k_reset("battle commands", battle_commands_reset);
