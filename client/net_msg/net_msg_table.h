// The one table that maps world message ids to their handlers: 243 ids in ascending order. A
// MSG_ID holds its group in the high 16 bits and its number in the low 16 bits.
#pragma once
#include <array>
#include <cstdint>
#include <span>

#include "client/net_msg/payload.h"

using MSG_ID = uint32_t;

enum MsgGroup : uint16_t {
  MSG_GROUP_LOGIN = 0x02,
  MSG_GROUP_PLAYER = 0x03,
  MSG_GROUP_NPC = 0x04,
  MSG_GROUP_EXP = 0x05,
  MSG_GROUP_PET = 0x06,
  MSG_GROUP_ITEM = 0x07,
  MSG_GROUP_TRADE = 0x08,
  MSG_GROUP_PULSE = 0x09,
  MSG_GROUP_NPC_SHOP = 0x0A,
  MSG_GROUP_SKILL = 0x0B,
  MSG_GROUP_BATTLE = 0x0C,
  MSG_GROUP_RESTORE = 0x0D,
  MSG_GROUP_TITLE = 0x0E,
  MSG_GROUP_PRIZE = 0x0F,
  MSG_GROUP_GUILD = 0x10,
  MSG_GROUP_CHAR_STATE = 0x11,
  MSG_GROUP_STALL = 0x12,
  MSG_GROUP_AUTO_FIGHT = 0x13,
  // There is no group 0x14.
  MSG_GROUP_LINE_INFO = 0x15,
  MSG_GROUP_LINE_SWITCH = 0x16,
  MSG_GROUP_MAIL = 0x17,
  MSG_GROUP_INGOT_MARKET = 0x18,
  MSG_GROUP_MISC = 0x19,
  MSG_GROUP_RELATION = 0x1A,
};

constexpr int NET_MSG_GROUP_COUNT = 24;
constexpr MsgGroup NET_MSG_GROUPS[NET_MSG_GROUP_COUNT] = {
    MSG_GROUP_LOGIN,      MSG_GROUP_PLAYER,    MSG_GROUP_NPC,        MSG_GROUP_EXP,        MSG_GROUP_PET,
    MSG_GROUP_ITEM,       MSG_GROUP_TRADE,     MSG_GROUP_PULSE,      MSG_GROUP_NPC_SHOP,   MSG_GROUP_SKILL,
    MSG_GROUP_BATTLE,     MSG_GROUP_RESTORE,   MSG_GROUP_TITLE,      MSG_GROUP_PRIZE,      MSG_GROUP_GUILD,
    MSG_GROUP_CHAR_STATE, MSG_GROUP_STALL,     MSG_GROUP_AUTO_FIGHT, MSG_GROUP_LINE_INFO,  MSG_GROUP_LINE_SWITCH,
    MSG_GROUP_MAIL,       MSG_GROUP_INGOT_MARKET, MSG_GROUP_MISC,    MSG_GROUP_RELATION,
};

constexpr int NET_MSG_TABLE_SIZE = 243;

enum class NetMsgKind : uint8_t {
  Handler,          // another module's handler (or its placeholder), guarded
  Inline,           // done by the dispatcher itself, guarded
  InlineUnguarded,  // done by the dispatcher itself, outside the guard (0x19000c only)
};

struct NET_MSG_ROW {
  MSG_ID id;
  MsgGroup group;
  NetMsgKind kind;
  const char* name;  // the handler's name; the effect for inline rows
  net_msg::Handler handler;
};

// The table's own rows in ascending id order (rows installed for a test do not change them).
std::span<const NET_MSG_ROW, NET_MSG_TABLE_SIZE> net_msg_table();

// The exact lookup's data, built from the table when compiling: per group, the row index of
// each number from 0 to the group's highest (NET_MSG_NO_ROW where there is none), all groups in
// one array. The numbers of every group are small, so this takes a few hundred bytes and no
// search; the lookup is inline because the dispatcher runs it for every message.
constexpr uint32_t NET_MSG_GROUP_LIMIT = MSG_GROUP_RELATION + 1;
constexpr uint32_t NET_MSG_SLOT_CAPACITY = 1024;
constexpr uint8_t NET_MSG_NO_ROW = 0xFF;
static_assert(NET_MSG_TABLE_SIZE < NET_MSG_NO_ROW);
struct NET_MSG_GROUP_SLOTS {
  uint16_t base;  // the group's first slot
  uint16_t span;  // the group's highest number + 1; 0 for a group without rows
};
extern const std::array<NET_MSG_GROUP_SLOTS, NET_MSG_GROUP_LIMIT> net_msg_group_slots;
extern const std::array<uint8_t, NET_MSG_SLOT_CAPACITY> net_msg_row_slot;
// The rows the lookup answers from: the table's own unless a test installed others through
// net_msg_use_rows or net_msg_swap_handler.
extern const NET_MSG_ROW* net_msg_rows_in_use;

// The row of an id, or nullptr when the id is not in the table.
inline const NET_MSG_ROW* net_msg_find(MSG_ID id) {
  const uint32_t group = id >> 16, number = id & 0xFFFF;
  if (group >= NET_MSG_GROUP_LIMIT) return nullptr;
  const NET_MSG_GROUP_SLOTS g = net_msg_group_slots[group];
  if (number >= g.span) return nullptr;
  const uint8_t row = net_msg_row_slot[g.base + number];
  return row == NET_MSG_NO_ROW ? nullptr : &net_msg_rows_in_use[row];
}

// Tests, benchmarks and the fuzz harness; net_msg_table_reset goes back to the table's own rows.
// net_msg_use_rows: the lookup answers from `rows` (the table's ids in its order, with other
// handlers; the caller keeps them alive); false, changing nothing, when an id differs.
// net_msg_swap_handler: replaces one row's handler in a copy of the rows in use and returns the
// one it had (nullptr when the id is not in the table).
bool net_msg_use_rows(std::span<const NET_MSG_ROW, NET_MSG_TABLE_SIZE> rows);
net_msg::Handler net_msg_swap_handler(MSG_ID id, net_msg::Handler handler);
void net_msg_table_reset();
