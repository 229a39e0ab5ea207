// The player's record: the full details, the point allocation reply, experience and levels, the
// details block and the six values.
#include <algorithm>
#include <cstring>

#include "client/common/screen_state.h"
#include "client/common/text_field.h"
#include "client/game/frame_input.h"
#include "client/handlers/client_handlers.h"
#include "client/handlers/handler_words.h"
#include "client/handlers/own_char_flags.h"
#include "client/net/net_link.h"
#include "client/state/core_state.h"
#include "client/state/player_state.h"
#include "client/ui/message_box.h"
#include "social/macro/macro_system.h"
#include "world/scene/scene_chars.h"

namespace {

constexpr int32_t kGuildRankWithApplicants = 10;  // ranks below see the applicants
constexpr uint32_t kReputationMax = PLAYER_STATUS_REPUTATION_MASK;

// Level thresholds in the order their macro events are raised.
struct LevelEvent {
  int32_t level, event;
};
constexpr LevelEvent kLevelEvents[] = {
    {7, 25},  {10, 26}, {13, 26}, {15, 28}, {16, 26}, {20, 31}, {23, 26}, {26, 26}, {30, 34}, {32, 35},
    {35, 36}, {36, 37}, {40, 38}, {42, 39}, {50, 40}, {51, 41}, {56, 42}, {60, 43}, {70, 44},
};

void experience_notice(uint32_t stored, uint32_t now) {
  if (now >= stored) {
    notice_linef("~C2 obtained ~C4%d~C2 Exp~C0", static_cast<int32_t>(now - stored));
  } else {
    notice_linef("~C2\xA1\xAFs Exp was deducted by~C4%d~C2 ~C0", static_cast<int32_t>(stored - now));
  }
}

// The reputation level from the level and the reputation byte; a level above 31 does not fit
// its five bits and is held at 31.
uint8_t reputation_level() {
  const double level = static_cast<double>(player_base(0));
  const int8_t reputation = static_cast<int8_t>(player_record_u8(PLAYER_AT_REPUTATION));
  const double value = reputation < 1 ? level * 0.05 : (reputation + 1) * 3 + level * 0.025;
  const uint32_t whole = static_cast<uint32_t>(value);
  return static_cast<uint8_t>(std::min(whole, kReputationMax));
}

}  // namespace

void char_on_full_details(uint32_t, int32_t status, net_msg::Payload payload) {
  if (status != 0 || payload.size() != PLAYER_RECORD_SIZE) return;
  const auto words = payload_words<PLAYER_RECORD_WORDS>(payload);
  std::memcpy(player_state.record, words.data(), sizeof player_state.record);
  const int32_t own = scene_find_char(frame_input.own_char_id);
  if (own >= 0) {
    const SCENE_CHAR& c = scene_chars[static_cast<size_t>(own)];
    player_posture = c.posture;
    text_field_set(player_state.title, text_field_view(c.title));
    text_field_set(player_state.name, text_field_view(c.name));
  }
  player_state.stat_refresh = 1;
  if (player_record_u32(PLAYER_AT_GUILD_ID) != 0) {
    net_send_world(0x100007, 0, nullptr, 0);
    net_send_world(0x100006, 0, nullptr, 0);
    if (static_cast<int32_t>(player_record_u32(PLAYER_AT_GUILD_RANK)) < kGuildRankWithApplicants)
      net_send_world(0x100008, 0, nullptr, 0);
  }
  player_state.status = static_cast<uint8_t>((player_state.status & ~PLAYER_STATUS_REPUTATION_MASK) | reputation_level());
}

void points_on_allocated(uint32_t, int32_t status, net_msg::Payload payload) {
  if (status == 1 && payload.size() == 4 * PLAYER_BASE_WORDS) {
    const auto words = payload_words<PLAYER_BASE_WORDS>(payload);
    for (int i = 0; i < PLAYER_BASE_WORDS; ++i) player_base_set(i, words[static_cast<size_t>(i)]);
    for (int i = 0; i < PLAYER_DERIVED_VALUES; ++i) {
      const size_t at = PLAYER_AT_DERIVED[i];
      const int16_t added = point_allocation_value(player_state.pending, i);
      player_record_set_i16(at, static_cast<int16_t>(player_record_i16(at) + added));
    }
  } else {
    show_system_message("Points calculation error! Please reallocate!", 0);
  }
  std::memset(player_state.pending, 0, sizeof player_state.pending);
  player_state.stat_refresh = 1;
}

void exp_on_level(uint32_t, int32_t, net_msg::Payload payload) {
  constexpr size_t kBlockWords = PLAYER_BLOCK_E6_WORDS + PLAYER_BASE_WORDS;
  if (payload.size() != 4 * kBlockWords) return;
  const auto words = payload_words<kBlockWords>(payload);
  const uint32_t* base = &words[PLAYER_BLOCK_E6_WORDS];
  const int32_t stored_level = static_cast<int32_t>(player_base(0));
  const int32_t level = static_cast<int32_t>(base[0]);

  experience_notice(player_base(7), base[7]);
  if (level >= stored_level) {
    for (const LevelEvent& e : kLevelEvents)
      if (level >= e.level && stored_level < e.level) macro_raise_event(e.event, 1);
  }
  std::memcpy(player_state.block_e6, words.data(), sizeof player_state.block_e6);
  for (int i = 0; i < PLAYER_BASE_WORDS; ++i) player_base_set(i, base[i]);
  if (level >= stored_level) {
    notice_linef("~C2 hit level ~C4%d~C2 ~C0", level);
  } else {
    notice_linef("~C2\xA1\xAFs level was lowered to level ~C4%d~C0", level);
  }
  own_char_flags_set(SCENE_FLAG_LEVEL_UP);
  macro_raise_event(19, 1);
}

void exp_on_change(uint32_t, int32_t, net_msg::Payload payload) {
  if (payload.size() != 12) return;
  const auto words = payload_words<3>(payload);
  experience_notice(player_base(7), words[0]);
  for (int i = 0; i < 3; ++i) player_base_set(7 + i, words[static_cast<size_t>(i)]);
}

void char_on_details(uint32_t, int32_t, net_msg::Payload payload) {
  if (payload.size() != 4 * PLAYER_DETAIL_WORDS) return;
  const auto words = payload_words<PLAYER_DETAIL_WORDS>(payload);
  std::memcpy(player_state.details, words.data(), sizeof player_state.details);
  player_state.details_valid = 1;
}

void char_on_values(uint32_t, int32_t, net_msg::Payload payload) {
  if (payload.size() != 4 * PLAYER_VALUES) return;
  const auto words = payload_words<PLAYER_VALUES>(payload);
  for (int i = 0; i < PLAYER_VALUES; ++i) player_state.values[i] = static_cast<int32_t>(words[static_cast<size_t>(i)]);
}
