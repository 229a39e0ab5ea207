#include "client/game/session_state.h"

#include "client/state/party_tables.h"
#include "client/state/pet_table.h"
#include "client/state/player_state.h"
#include "client/state/quest_tables.h"
#include "client/ui/message_box.h"
#include "social/chat_log/chat_log.h"
#include "social/chat_log/msg_history.h"
#include "social/guild/guild_info.h"
#include "world/battle/fight_units.h"

void session_state_reset() {
  player_state_reset();
  pet_state_reset();
  party_members_reset();
  party_applicants_reset();
  quest_tables_reset();
  message_slots_clear();
  msg_history_reset();
  chat_log_reset();
  battle_reset_units();
  guild_info_reset();
}
