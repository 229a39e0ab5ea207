// The one table that maps world message ids to their handlers: 243 ids in ascending order. A
// MSG_ID holds its group in the high 16 bits and its number in the low 16 bits.
#pragma once
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

// The rows in ascending id order.
std::span<const NET_MSG_ROW> net_msg_table();
// The row of an id, or nullptr when the id is not in the table.
const NET_MSG_ROW* net_msg_find(MSG_ID id);

// Tests, benchmarks and the fuzz harness: replaces one row's handler and returns the one it had
// (nullptr when the id is not in the table). net_msg_table_reset puts every row back.
net_msg::Handler net_msg_swap_handler(MSG_ID id, net_msg::Handler handler);
void net_msg_table_reset();
