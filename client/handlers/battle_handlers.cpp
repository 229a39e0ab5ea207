// The battle messages the client core handles: units ready, round end, command requests,
// statuses and values, onlookers and the battle start.
#include <cstdio>
#include <string>
#include <vector>

#include "client/common/screen_state.h"
#include "client/common/text_field.h"
#include "client/game/frame_input.h"
#include "client/handlers/battle_unit_bytes.h"
#include "client/handlers/client_handlers.h"
#include "client/state/battle_timers.h"
#include "client/state/pet_table.h"
#include "client/ui/message_box.h"
#include "engine/system/system.h"
#include "graphics/mda/mda.h"
#include "plat/tier0.h"
#include "social/chat_log/chat_log.h"
#include "ui/auto_fight/auto_fight.h"
#include "ui/game_screen/game_screen_state.h"
#include "world/battle/battle_commands.h"
#include "world/battle/battle_effects.h"
#include "world/battle/battle_ops.h"
#include "world/battle/battle_state.h"
#include "world/battle/battle_words.h"
#include "world/battle/fight_units.h"
#include "world/scene/scene_chars.h"

namespace {

// The first ten units are the player's side.
constexpr int32_t kSideUnits = 10;

struct SpectatorPlace {
  int32_t x, y;
};
constexpr SpectatorPlace kSpectatorPlaces[SPECTATOR_SLOTS] = {
    {500, 470}, {550, 480}, {490, 520}, {440, 530}, {450, 680}};
constexpr int32_t kSpectatorCommand = 7;

void side_ready(uint8_t value) {
  for (int32_t i = 0; i < kSideUnits; ++i) fight_units[i].ready = value;
}

bool player_has_unit() { return battle_find_unit(frame_input.own_char_id) >= 0; }

void spectator_notice(const std::string& name) {
  char line[96];
  std::snprintf(line, sizeof line, " %s enters to spectate!", name.c_str());
  chat_log_add(7, 0, "", line, 0);
  show_system_message(line, 0);
}

// Shows the onlooker in the slot as a battle effect and keeps its effect slot.
void show_spectator(int32_t s) {
  FIGHT_UNIT& u = spectator_slots[s];
  char path[64];
  std::snprintf(path, sizeof path, "npc\\npc%03da.MDA", static_cast<int>(u.look));
  const uint8_t mirrored = s > 1 ? 1 : 0;
  const int32_t media = mda_find_by_name(path);
  if (media < 0) {
    const int32_t e = battle_add_effect(path, u.x, u.y, mirrored, kSpectatorCommand);
    u.effect_slot = e >= 0 ? e : -1;
    return;
  }
  const int32_t e = battle_effect_free_slot();
  u.effect_slot = e;
  if (e < 0) return;
  int32_t width = 1, height = 1;
  const int32_t entry = mda_find_by_id(media);
  if (entry >= 0) {
    const Img256Frame* frame = mda_frame_image(entry, 0);
    if (frame && frame->valid()) {
      width = frame->width();
      height = frame->height();
    }
  }
  battle_effects[e] = BATTLE_EFFECT{1, media, u.x, u.y, width, height, mirrored, kSpectatorCommand};
}

}  // namespace

void battle_on_unit_ready(uint32_t, int32_t unit_id, net_msg::Payload) {
  const int32_t i = battle_find_unit(static_cast<uint32_t>(unit_id));
  if (i >= 0) fight_units[i].ready = 1;
}

void battle_on_all_ready(uint32_t, int32_t, net_msg::Payload) {
  side_ready(1);
  battle_timers_start();
}

void battle_on_round_end(uint32_t, int32_t, net_msg::Payload) {
  const int32_t own = battle_find_unit(frame_input.own_char_id);
  if (own >= 0 && fight_units[own].hit_points <= 0) {
    sys_save_screenshot();
    auto_fight_data.request = 0;
  }
  battle_round_end_byte = 1;
  battle_free_effects();
  if (battle_core_state.skill_usage_gain != 0) {
    notice_linef("~C2\xA1\xAFs skill usage ~C4+%d~C2 points~C0", battle_core_state.skill_usage_gain);
    battle_core_state.skill_usage_gain = 0;
  }
}

void battle_on_command_ack(uint32_t, int32_t unit_id, net_msg::Payload) {
  const uint32_t id = static_cast<uint32_t>(unit_id);
  int32_t who = -1;
  if (id == frame_input.own_char_id) who = BATTLE_WHO_PLAYER;
  else if (pet_state.active_id != 0 && id == pet_state.active_id) who = BATTLE_WHO_PET;
  if (who < 0) return;
  BATTLE_COMMAND_SIDE& side = battle_commands.side[who];
  if (side.current.code == 2 && side.current.target != 0 && side.current.argument != BATTLE_ARGUMENT_NONE) {
    // The item used up this round is chosen again, without opening the item window.
    side.sent = 0;
    battle_select_command(who, 2, 0);
  } else if (who == BATTLE_WHO_PLAYER && side.current.code == 10 && pet_state.active_id != 0) {
    // The pet change is done: both defend.
    auto defend = [](BATTLE_COMMAND_SIDE& s) {
      s.current.code = 4;
      s.current.argument = 255;
      s.sent = 0;
    };
    defend(side);
    if (pet_index_by_id(pet_state.active_id) >= 0) defend(battle_commands.side[BATTLE_WHO_PET]);
  } else if (who == BATTLE_WHO_PET && side.current.code == 6 && side.current.argument != BATTLE_ARGUMENT_NONE) {
    // The pet's command 6 is used up: it defends.
    side.current.code = 4;
    side.sent = 0;
  }
  battle_set_command_timer(who, BATTLE_TIMER_RESTART);
  battle_timer_player_resume();
}

void battle_on_status(uint32_t, int32_t count, net_msg::Payload payload) {
  const std::vector<BATTLE_UNIT_STATUS> records =
      payload.fieldRecords<BATTLE_UNIT_STATUS>(count, BATTLE_UNIT_STATUS_FIELDS, BATTLE_UNIT_STATUS_WALK);
  for (const BATTLE_UNIT_STATUS& r : records) {
    const int32_t slot = battle_find_unit(r.id);
    if (slot < 0) break;
    battle_apply_unit_status(r);
    battle_reset_unit_after_action(slot);
  }
}

void battle_on_stats(uint32_t, int32_t count, net_msg::Payload payload) {
  const std::vector<BATTLE_UNIT_STATS> records =
      payload.fieldRecords<BATTLE_UNIT_STATS>(count, BATTLE_UNIT_STATS_FIELDS, BATTLE_UNIT_STATS_WALK);
  for (const BATTLE_UNIT_STATS& r : records) battle_update_unit_stats(r);
}

void scene_on_battle_flag_set(uint32_t, int32_t char_id, net_msg::Payload) {
  const int32_t i = scene_find_char(static_cast<uint32_t>(char_id));
  if (i >= 0) scene_chars[static_cast<size_t>(i)].flags |= SCENE_FLAG_IN_BATTLE;
}

void scene_on_battle_flag_clear(uint32_t, int32_t char_id, net_msg::Payload) {
  const int32_t i = scene_find_char(static_cast<uint32_t>(char_id));
  if (i >= 0) scene_chars[static_cast<size_t>(i)].flags &= ~static_cast<uint32_t>(SCENE_FLAG_IN_BATTLE);
}

void battle_on_spectator_left(uint32_t, int32_t spectator_id, net_msg::Payload) {
  for (FIGHT_UNIT& u : spectator_slots) {
    if (!u.in_use || u.id != static_cast<uint32_t>(spectator_id)) continue;
    if (u.effect_slot >= 0 && u.effect_slot < BATTLE_EFFECT_SLOTS) battle_effects[u.effect_slot].active = 0;
    u = FIGHT_UNIT{};
    return;
  }
}

void battle_on_unit_bytes(uint32_t, int32_t count, net_msg::Payload payload) {
  plat::ByteReader r = payload.records(count, BATTLE_UNIT_BYTE_SIZE);
  battle_unit_bytes_apply(battle_unit_bytes_read(r, count));
}

void battle_on_spectators(uint32_t, int32_t count, net_msg::Payload payload) {
  if (static_cast<int64_t>(payload.size()) != static_cast<int64_t>(count) * SCENE_CHAR_RECORD_SIZE)
    plat::tier0::error("receive new player data error, exit !");
  std::vector<SCENE_CHAR_RECORD> records =
      payload.fieldRecords<SCENE_CHAR_RECORD>(count, SCENE_CHAR_RECORD_FIELDS, SCENE_CHAR_RECORD_WALK);
  for (SCENE_CHAR_RECORD& r : records) text_field_terminate(r.name);
  for (const SCENE_CHAR_RECORD& r : records) scene_add_char(r);
  for (const SCENE_CHAR_RECORD& r : records) {
    const std::string name = r.name;
    if (r.id == frame_input.own_char_id || player_has_unit()) {
      battle_core_state.spectating = 1;
      side_ready(1);
      spectator_notice(name);
    } else if (battle_core_state.spectating) {
      spectator_notice(name);
    }
    game_screen_state.spectator_news = 1;
    int32_t s = 0;
    while (s < SPECTATOR_SLOTS && spectator_slots[s].in_use) ++s;
    if (s == SPECTATOR_SLOTS) continue;
    FIGHT_UNIT& u = spectator_slots[s];
    u = FIGHT_UNIT{};
    u.in_use = 1;
    u.shown = 1;
    u.id = r.id;
    text_field_set(u.name, name);
    u.look = static_cast<uint16_t>(r.look);
    u.join_time = frame_input.frame_time;
    u.x = kSpectatorPlaces[s].x;
    u.y = kSpectatorPlaces[s].y;
    show_spectator(s);
  }
}

void battle_on_start(uint32_t, int32_t count, net_msg::Payload payload) {
  std::vector<BATTLE_UNIT_RECORD> records =
      payload.fieldRecords<BATTLE_UNIT_RECORD>(count, BATTLE_UNIT_RECORD_FIELDS, BATTLE_UNIT_RECORD_WALK);
  for (BATTLE_UNIT_RECORD& r : records) text_field_terminate(r.name);
  side_ready(0);
  battle_round_end_byte = 0;
  battle_core_state.skill_usage_gain = 0;
  if (!records.empty()) {
    const int32_t own = scene_find_char(frame_input.own_char_id);
    if (own >= 0) {
      battle_core_state.kept_map_x = scene_chars[static_cast<size_t>(own)].x;
      battle_core_state.kept_map_y = scene_chars[static_cast<size_t>(own)].y;
    }
    scene_clear_chars();
    battle_reset_units();
    for (const BATTLE_UNIT_RECORD& r : records) {
      const int32_t slot = static_cast<int8_t>(r.slot);
      if (slot < 0 || slot >= FIGHT_UNITS) continue;
      battle_create_unit(r, slot);
    }
  }
  in_battle_flag = 1;
  battle_start_byte = 1;
}

void battle_on_unit_tag(uint32_t, int32_t unit_id, net_msg::Payload payload) {
  for (int32_t i = 0; i < kSideUnits; i += 2) {
    FIGHT_UNIT& u = fight_units[i];
    if (u.in_use && u.id == static_cast<uint32_t>(unit_id)) u.ready = payload.empty() ? 0 : 1;
  }
}

void battle_on_unit_flag(uint32_t, int32_t unit_id, net_msg::Payload) {
  const int32_t i = battle_find_unit(static_cast<uint32_t>(unit_id));
  if (i < 0) return;
  fight_units[i].flags = (fight_units[i].flags & ~0x80000u) | 0x8000u;
  fight_units[i].byte_61 = 0;
}
