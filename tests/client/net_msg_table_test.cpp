// The world message table: its invariants, the rows that share a handler, the ids it must not
// hold, and its inline rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "client/handlers/client_handlers.h"
#include "client/net_msg/net_msg_table.h"
#include "client/net_msg/pending_handlers.h"
#include "items/handlers/items_handlers.h"

namespace {

TEST(NetMsgTable, Invariants) {
  const auto rows = net_msg_table();
  ASSERT_EQ(rows.size(), 243u);
  const std::set<uint32_t> groups(std::begin(NET_MSG_GROUPS), std::end(NET_MSG_GROUPS));
  EXPECT_EQ(groups.size(), 24u);
  EXPECT_EQ(groups.count(0x14), 0u);
  for (size_t i = 0; i < rows.size(); ++i) {
    const NET_MSG_ROW& r = rows[i];
    SCOPED_TRACE(testing::Message() << std::hex << r.id);
    if (i > 0) {
      EXPECT_LT(rows[i - 1].id, r.id);
    }
    EXPECT_EQ(groups.count(r.id >> 16), 1u);
    EXPECT_EQ(r.id >> 16, static_cast<uint32_t>(r.group));
    EXPECT_NE(r.handler, nullptr);
    ASSERT_NE(r.name, nullptr);
    EXPECT_NE(r.name[0], '\0');
    EXPECT_EQ(net_msg_find(r.id), &r);
  }
}

TEST(NetMsgTable, SharedIdsReachOneHandler) {
  struct Pair {
    uint32_t a, b;
    net_msg::Handler handler;  // nullptr: only the sharing is checked
  };
  const Pair pairs[] = {
      {0x30001, 0x30002, scene_on_positions},     {0x3000f, 0x3001f, scene_on_chars_removed},
      {0x7000d, 0x120006, item_on_details},       {0x70018, 0x120008, pet_on_info},
      {0xa0006, 0xa000b, bank_on_item_move_result}, {0xa0007, 0xa000c, bank_on_withdraw_item_result},
      {0xe0002, 0xe0003, title_on_list},          {0x170005, 0x170006, mail_on_withdraw_result},
      {0xf0009, 0x190003, event_on_notice_removed},
  };
  for (const Pair& p : pairs) {
    SCOPED_TRACE(testing::Message() << std::hex << p.a << " " << p.b);
    const NET_MSG_ROW* a = net_msg_find(p.a);
    const NET_MSG_ROW* b = net_msg_find(p.b);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->handler, p.handler);
    EXPECT_EQ(b->handler, p.handler);
    EXPECT_STREQ(a->name, b->name);
  }
  // Neighbours with similar names are different handlers.
  EXPECT_NE(net_msg_find(0x30003)->handler, net_msg_find(0x30001)->handler);
  EXPECT_NE(net_msg_find(0xf0008)->handler, net_msg_find(0xf0009)->handler);
}

TEST(NetMsgTable, SpotRows) {
  struct Spot {
    uint32_t id;
    const char* name;
  };
  // Ids that read like decimals are hex as printed; 0x40010 is the quest removal, not a pet row.
  const Spot spots[] = {
      {0x180005, "show_system_message"},  {0x190005, "game_leave_quit"},
      {0x80007, "trade_close_window"},    {0x17000b, "mail_open_compose_window"},
      {0x40012, "give_on_open"},          {0x40010, "quest_on_removed"},
      {0x100009, "guild_on_member_joined"}, {0x100010, "guild_on_member_left"},
      {0x30039, "party_on_member_value"}, {0x30040, "party_on_rejected"},
      {0x130010, "auto_fight_on_bout"},   {0x30100, "scene_on_map_change"},
      {0xe0007, "char_title_remove"},     {0x1a0002, "relation_on_brother_removed"},
  };
  for (const Spot& s : spots) {
    const NET_MSG_ROW* r = net_msg_find(s.id);
    ASSERT_NE(r, nullptr) << std::hex << s.id;
    EXPECT_STREQ(r->name, s.name) << std::hex << s.id;
    EXPECT_EQ(r->kind, NetMsgKind::Handler) << std::hex << s.id;
  }
}

TEST(NetMsgTable, AbsentIds) {
  for (uint32_t id : {0x3000bu, 0x120005u, 0x13000au, 0x30005u, 0x170007u, 0x0u, 0xFFFFFFFFu, 0x20000u, 0x140001u,
                      0x1a0003u, 0x10000au})
    EXPECT_EQ(net_msg_find(id), nullptr) << std::hex << id;
  for (uint32_t id : {0x120004u, 0x120006u, 0x3000au, 0x3000cu, 0x130009u, 0x170006u, 0x170008u})
    EXPECT_NE(net_msg_find(id), nullptr) << std::hex << id;
}

TEST(NetMsgTable, InlineRows) {
  const std::set<uint32_t> want = {0x30061, 0x30062, 0x40008, 0xc0009, 0x5000a, 0x5000b, 0xa0009,
                                   0xa000a, 0xc0001, 0xf0005, 0xf0006, 0x160001, 0x19000c};
  std::set<uint32_t> got, unguarded;
  for (const NET_MSG_ROW& r : net_msg_table()) {
    if (r.kind != NetMsgKind::Handler) got.insert(r.id);
    if (r.kind == NetMsgKind::InlineUnguarded) unguarded.insert(r.id);
  }
  EXPECT_EQ(got, want);
  EXPECT_EQ(unguarded, std::set<uint32_t>{0x19000c});
}

// The placeholder list names only table handlers, and every id it yields is a handler row of
// one of those names.
TEST(NetMsgTable, PendingListMatchesTheTable) {
  const std::vector<const char*> names = net_msg_pending_names();
  std::set<std::string> tableNames;
  for (const NET_MSG_ROW& r : net_msg_table())
    if (r.kind == NetMsgKind::Handler) tableNames.insert(r.name);
  std::set<std::string> seen;
  for (const char* n : names) {
    EXPECT_EQ(tableNames.count(n), 1u) << n;
    EXPECT_TRUE(seen.insert(n).second) << "listed twice: " << n;
  }
  EXPECT_EQ(seen.count("show_system_message"), 0u);  // built
  const std::vector<uint32_t> ids = net_msg_pending_ids();
  EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
  for (uint32_t id : ids) EXPECT_EQ(seen.count(net_msg_find(id)->name), 1u) << std::hex << id;
}

}  // namespace
