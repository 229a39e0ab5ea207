#include "client/state/battle_timers.h"

#include "world/battle/battle_ops.h"

void battle_timers_start() {
  battle_set_command_timer(BATTLE_WHO_PLAYER, BATTLE_TIMER_START);
  battle_set_command_timer(BATTLE_WHO_PET, BATTLE_TIMER_START);
  battle_set_command_timer(BATTLE_WHO_PLAYER, BATTLE_TIMER_RESUME);
  battle_set_command_timer(BATTLE_WHO_PET, BATTLE_TIMER_RESUME);
}

void battle_timer_player_resume() { battle_set_command_timer(BATTLE_WHO_PLAYER, BATTLE_TIMER_RESUME); }
