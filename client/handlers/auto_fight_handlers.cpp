// Automatic fighting and the two player values of the auto-fight group.
#include <cstdio>

#include "client/handlers/client_handlers.h"
#include "client/state/player_state.h"
#include "client/state/skill_tables.h"
#include "client/ui/message_box.h"
#include "social/macro/macro_system.h"
#include "ui/auto_fight/auto_fight.h"

namespace {

constexpr size_t kBoutSize = 6;  // the skill word, then the hp and mp thresholds

}  // namespace

void player_on_value_a(uint32_t, int32_t value, net_msg::Payload) {
  if (value < 0) return;
  player_state.values[0] = value;
  if (value > 0) macro_raise_event(21, 1);
}

void player_on_value_c(uint32_t, int32_t value, net_msg::Payload) {
  if (value >= 0) player_state.values[2] = value;
}

void auto_fight_on_mode(uint32_t, int32_t arg, net_msg::Payload) {
  const uint32_t word = static_cast<uint32_t>(arg);
  switch (word & 0xFF) {
    case 0: auto_fight_data.mode = 0; break;
    case 1: auto_fight_data.mode = static_cast<uint8_t>(word); break;
    case 2:
      // The graded value's high half, while the record is fresh.
      if (player_state.stat_refresh) {
        const uint32_t graded = player_record_u32(PLAYER_AT_GRADED);
        player_record_set_u32(PLAYER_AT_GRADED, (graded & 0xFFFF) | (((word >> 8) & 0xFFFF) << 16));
      }
      break;
    default: break;
  }
}

void auto_fight_on_block(uint32_t, int32_t, net_msg::Payload payload) {
  if (payload.size() != 4 * AUTO_FIGHT_BLOCK_WORDS) return;
  plat::ByteReader r = payload.reader();
  uint32_t block[AUTO_FIGHT_BLOCK_WORDS];
  for (uint32_t& w : block) w = r.u32("block");
  for (int i = 0; i < AUTO_FIGHT_BLOCK_WORDS; ++i) auto_fight_data.block[i] = block[i];
  auto_fight_data.block_valid = 1;
}

void auto_fight_on_bout(uint32_t, int32_t object_id, net_msg::Payload payload) {
  char text[128];
  if (object_id == 0 || payload.size() != kBoutSize) {
    std::snprintf(text, sizeof text, "auto fight bout %d error ", object_id);
    show_system_message(text, 1);
    return;
  }
  const uint32_t skill_word = payload.u32(0);
  const uint16_t pre = payload.u16(4);
  const int32_t bouts = static_cast<int16_t>(skill_word & 0xFFFF);
  const uint16_t skill_id = static_cast<uint16_t>(skill_word >> 16);
  const int32_t hp = pre & 0xFF, mp = pre >> 8;
  if (player_skill_find(skill_id) < 0 || bouts < 1 || hp == 0 || mp == 0) {
    std::snprintf(text, sizeof text, "auto fight error skill_id  %d  count %d hp_pre %d mp_pre %d", skill_id, bouts, hp,
                  mp);
    show_system_message(text, 1);
    return;
  }
  auto_fight_data.object_id = static_cast<uint32_t>(object_id);
  auto_fight_data.bout = bouts;
  auto_fight_data.skill_word = skill_word;
  auto_fight_data.pre = pre;
  auto_fight_data.skill_id = skill_id;
  auto_fight_data.request = 1;
  AUTO_FIGHT_STATE = 1;
}
