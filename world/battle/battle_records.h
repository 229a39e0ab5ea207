// The battle's server records as the world messages carry them (little-endian).
#pragma once
#include <cstdint>

#include "plat/bytes.h"

constexpr int32_t BATTLE_UNIT_RECORD_SIZE = 68;
constexpr int32_t BATTLE_UNIT_NAME_SIZE = 24;

// A unit as a battle start (and a pet change inside an action) gives it: the slot byte, then the
// sixteen values the unit is created from (bytes 4..67).
struct BATTLE_UNIT_RECORD {
  uint8_t slot;  // a signed byte: 0..19
  uint8_t in_use;
  uint8_t kept_5[3];
  uint32_t id;
  char name[BATTLE_UNIT_NAME_SIZE];  // NUL-terminated unless full
  int32_t hp_max, hp, mp_max, mp;
  uint8_t timing_class;
  uint8_t class_byte;
  uint16_t look;
  uint32_t type;  // low byte
  uint32_t flags;
  uint8_t rank;
  uint8_t removal;
  uint8_t kept_66[2];
};
constexpr plat::FieldSpec BATTLE_UNIT_RECORD_FIELDS[] = {
    {"slot", 0, 1},     {"not read", 1, 3},  {"in use", 4, 1},   {"kept 5", 5, 3},   {"id", 8, 4},
    {"name", 12, 24},   {"hp max", 36, 4},   {"hp", 40, 4},      {"mp max", 44, 4},  {"mp", 48, 4},
    {"timing", 52, 1},  {"class", 53, 1},    {"look", 54, 2},    {"type", 56, 4},    {"flags", 60, 4},
    {"rank", 64, 1},    {"removal", 65, 1},  {"kept 66", 66, 2},
};
static_assert(plat::checkLayout(BATTLE_UNIT_RECORD_FIELDS, BATTLE_UNIT_RECORD_SIZE));
constexpr auto BATTLE_UNIT_RECORD_WALK = [](auto& r, auto& v) {
  v.u8(r.slot);
  v.zeros(3);
  v.u8(r.in_use);
  v.bytes(r.kept_5, 3);
  v.u32(r.id);
  v.bytes(r.name, BATTLE_UNIT_NAME_SIZE);
  v.i32(r.hp_max);
  v.i32(r.hp);
  v.i32(r.mp_max);
  v.i32(r.mp);
  v.u8(r.timing_class);
  v.u8(r.class_byte);
  v.u16(r.look);
  v.u32(r.type);
  v.u32(r.flags);
  v.u8(r.rank);
  v.u8(r.removal);
  v.bytes(r.kept_66, 2);
};
static_assert(plat::walkMatchesLayout<BATTLE_UNIT_RECORD>(BATTLE_UNIT_RECORD_FIELDS, BATTLE_UNIT_RECORD_WALK));

// A unit's values (message 0xc000d and the unit records of an action).
constexpr int32_t BATTLE_UNIT_STATS_SIZE = 28;
struct BATTLE_UNIT_STATS {
  uint32_t id;
  int32_t hp_max, hp, mp_max, mp;
  uint32_t class_look;
  uint32_t flags;
};
constexpr plat::FieldSpec BATTLE_UNIT_STATS_FIELDS[] = {
    {"id", 0, 4},  {"hp max", 4, 4},      {"hp", 8, 4},      {"mp max", 12, 4},
    {"mp", 16, 4}, {"class look", 20, 4}, {"flags", 24, 4},
};
static_assert(plat::checkLayout(BATTLE_UNIT_STATS_FIELDS, BATTLE_UNIT_STATS_SIZE));
constexpr auto BATTLE_UNIT_STATS_WALK = [](auto& r, auto& v) {
  v.u32(r.id);
  v.i32(r.hp_max);
  v.i32(r.hp);
  v.i32(r.mp_max);
  v.i32(r.mp);
  v.u32(r.class_look);
  v.u32(r.flags);
};
static_assert(plat::walkMatchesLayout<BATTLE_UNIT_STATS>(BATTLE_UNIT_STATS_FIELDS, BATTLE_UNIT_STATS_WALK));

// A status change of one unit (message 0xc000c).
constexpr int32_t BATTLE_UNIT_STATUS_SIZE = 12;
struct BATTLE_UNIT_STATUS {
  uint32_t id;
  uint32_t flags;
  int32_t value;
};
constexpr plat::FieldSpec BATTLE_UNIT_STATUS_FIELDS[] = {{"id", 0, 4}, {"flags", 4, 4}, {"value", 8, 4}};
static_assert(plat::checkLayout(BATTLE_UNIT_STATUS_FIELDS, BATTLE_UNIT_STATUS_SIZE));
constexpr auto BATTLE_UNIT_STATUS_WALK = [](auto& r, auto& v) {
  v.u32(r.id);
  v.u32(r.flags);
  v.i32(r.value);
};
static_assert(plat::walkMatchesLayout<BATTLE_UNIT_STATUS>(BATTLE_UNIT_STATUS_FIELDS, BATTLE_UNIT_STATUS_WALK));

// An action's head and where its three sections start in the message.
constexpr int32_t BATTLE_ACTION_HEAD_WORDS = 6;
constexpr int32_t BATTLE_ACTION_HIT_SIZE = 12;
struct BATTLE_ACTION {
  uint32_t head[BATTLE_ACTION_HEAD_WORDS];  // kind in the low byte of word 0, actor 1, target 2
  uint32_t units_at, hits_at, tail_at;       // byte offsets of the unit records, hits and tail
  uint8_t kind() const { return static_cast<uint8_t>(head[0]); }
  uint8_t unit_count() const { return static_cast<uint8_t>(head[4]); }
  uint8_t hit_count() const { return static_cast<uint8_t>(head[4] >> 8); }
};
