#include "client/state/core_state.h"

#include "client/record/record.h"
#include "core/reset/module_resets.h"
#include "social/chat_debug/debug_flags.h"

SERVER_CLOCK server_clock = {};
uint32_t position_message_count = 0;
int8_t player_posture = 0;
uint32_t player_search_result[7] = {};

bool client_debug_switch_set() { return debug_flags[DEBUG_FLAG_MODE] || record_state.hold || record_state.capture; }

static const ModuleReset k_reset("core handler state", [] {
  server_clock = {};
  position_message_count = 0;
  player_posture = 0;
  for (uint32_t& w : player_search_result) w = 0;
});
