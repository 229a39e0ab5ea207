// Message 0xc0006: one battle action. The head, the unit records and the 12-byte records are
// followed by a tail whose layout depends on the action's kind. Every count is checked against
// the payload and against the list it fills before anything changes.
#include <vector>

#include "client/common/text_field.h"
#include "client/handlers/battle_unit_bytes.h"
#include "client/handlers/client_handlers.h"
#include "client/state/player_state.h"
#include "client/ui/message_box.h"
#include "world/battle/battle_ops.h"
#include "world/battle/battle_records.h"
#include "world/battle/battle_state.h"

namespace {

constexpr size_t kHeadSize = BATTLE_ACTION_HEAD_WORDS * 4;

void check_capacity(int64_t count, size_t at) {
  if (count > BATTLE_LIST_SIZE)
    throw plat::MalformedInput("list count", at, static_cast<size_t>(count), BATTLE_LIST_SIZE);
}

// Three parallel lists from count 12-byte records.
void read_lists(plat::ByteReader& r, int32_t count, BATTLE_ACTION_DATA& data) {
  check_capacity(count, r.offset());
  plat::ByteReader records = r.records(static_cast<uint64_t>(count), BATTLE_ACTION_HIT_SIZE, "hits");
  for (int32_t i = 0; i < count; ++i) {
    data.list_a[i] = records.u32("hit a");
    data.list_b[i] = records.u32("hit b");
    data.list_c[i] = records.u32("hit c");
  }
  data.list_count = count;
}

// A signed count byte and that many {u32 unit id, byte, 3 bytes} pairs; a negative count is none.
void read_unit_bytes(plat::ByteReader& r, std::vector<BATTLE_UNIT_BYTE>& out) {
  const int8_t count = r.i8("pair count");
  if (count <= 0) return;
  plat::ByteReader pairs = r.records(static_cast<uint64_t>(count), BATTLE_UNIT_BYTE_SIZE, "pairs");
  out = battle_unit_bytes_read(pairs, count);
}

}  // namespace

void battle_on_action(uint32_t, int32_t, net_msg::Payload payload) {
  if (payload.empty()) return;
  BATTLE_ACTION action{};
  plat::ByteReader r = payload.reader();
  for (uint32_t& w : action.head) w = r.u32("head");
  const int32_t units = action.unit_count();
  const int32_t hits = action.hit_count();
  action.units_at = kHeadSize;
  const std::vector<BATTLE_UNIT_STATS> unit_records =
      payload.fieldRecords<BATTLE_UNIT_STATS>(units, BATTLE_UNIT_STATS_FIELDS, BATTLE_UNIT_STATS_WALK, action.units_at);
  action.hits_at = action.units_at + static_cast<uint32_t>(units) * BATTLE_UNIT_STATS_SIZE;
  plat::ByteReader hit_reader = payload.records(hits, BATTLE_ACTION_HIT_SIZE, action.hits_at);
  action.tail_at = action.hits_at + static_cast<uint32_t>(hits) * BATTLE_ACTION_HIT_SIZE;
  plat::ByteReader tail = payload.reader(action.tail_at);

  // Read into copies; the battle takes them only when the whole action was read.
  BATTLE_ACTION_DATA data = battle_action_data;
  int32_t values[PLAYER_BATTLE_VALUES];
  for (int32_t i = 0; i < PLAYER_BATTLE_VALUES; ++i) values[i] = player_state.battle_values[i];
  std::vector<BATTLE_UNIT_BYTE> unit_bytes;
  const char* capture_text = nullptr;

  switch (action.kind()) {
    case 0:
    case 1: {
      const uint8_t t = tail.u8("t");
      if (t == 1) {
        values[0] = tail.i32("value 1");
        values[1] = tail.i32("value 2");
        values[3] = tail.i32("value 3");
        values[2] = tail.i32("value 4");
      } else {
        read_lists(tail, t, data);
        values[2] = tail.i32("value");
      }
      break;
    }
    case 2: {
      data.target_words[0] = data.target_words[1] = 0;
      if (hits == 1) {
        hit_reader.u32("hit a");
        data.target_words[0] = hit_reader.u32("hit b");
        data.target_words[1] = hit_reader.u32("hit c");
      }
      read_unit_bytes(tail, unit_bytes);
      break;
    }
    case 6:
    case 8:
      plat::readFields(tail, BATTLE_UNIT_RECORD_FIELDS, data.new_unit, BATTLE_UNIT_RECORD_WALK);
      text_field_terminate(data.new_unit.name);
      read_unit_bytes(tail, unit_bytes);
      break;
    case 100:
      read_lists(hit_reader, hits, data);
      read_unit_bytes(tail, unit_bytes);
      break;
    case 102:
      check_capacity(units, action.units_at);
      for (int32_t i = 0; i < units; ++i) data.target_ids[i] = unit_records[static_cast<size_t>(i)].id;
      data.target_count = units;
      break;
    case 103:
      capture_text = units == 2 && (unit_records[1].flags & 0x8000u) ? "Capture succeeded, obtained a pet."
                                                                     : "Capture failed!";
      break;
    default:
      break;
  }

  battle_action_data = data;
  for (int32_t i = 0; i < PLAYER_BATTLE_VALUES; ++i) player_state.battle_values[i] = values[i];
  battle_unit_bytes_apply(unit_bytes);
  if (capture_text) show_system_message(capture_text, 0);
  battle_queue_action(action);
  for (const BATTLE_UNIT_STATS& u : unit_records) battle_update_unit_stats(u);
}
