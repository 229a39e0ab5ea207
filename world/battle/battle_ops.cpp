#include "world/battle/battle_ops.h"

#include <cstring>
#include <string>

#include "client/common/seam_calls.h"
#include "client/common/text_field.h"
#include "world/battle/fight_units.h"

void battle_create_unit(const BATTLE_UNIT_RECORD& record, int32_t slot) {
  const std::string name(record.name, strnlen(record.name, sizeof record.name));
  seam_call("battle_create_unit", slot, record.id, record.look, name);
  if (slot < 0 || slot >= FIGHT_UNITS || fight_units[slot].in_use) return;
  FIGHT_UNIT& u = fight_units[slot];
  u = FIGHT_UNIT{};
  u.in_use = 1;
  u.id = record.id;
  text_field_set(u.name, name);
  u.hit_points = record.hp;
  u.flags = record.flags;
  u.page_count = record.rank;
}

void battle_queue_action(const BATTLE_ACTION& action) {
  seam_call("battle_queue_action", action.kind(), action.head[1], action.head[2],
            std::to_string(action.units_at) + "," + std::to_string(action.hits_at) + "," +
                std::to_string(action.tail_at));
}

void battle_update_unit_stats(const BATTLE_UNIT_STATS& record) {
  seam_call("battle_update_unit_stats", record.id, record.hp, record.flags);
}

void battle_apply_unit_status(const BATTLE_UNIT_STATUS& record) {
  seam_call("battle_apply_unit_status", record.id, record.flags, record.value);
}

void battle_reset_unit_after_action(int32_t slot) { seam_call("battle_reset_unit_after_action", slot); }

void battle_select_command(int32_t who, int32_t code, int32_t open) {
  seam_call("battle_select_command", who, code, open);
}

void battle_set_command_timer(int32_t who, int32_t op) { seam_call("battle_set_command_timer", who, op); }
