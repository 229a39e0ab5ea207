// The world message table as the dispatcher reaches it: every id runs its own row's handler,
// the lookup holds exactly the table's ids across the group boundaries, and the placeholder
// list agrees with the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/client/net_msg_fixture.h"

namespace {

using net_msg_test::NetMsgTest;

// What a probe saw: the row it stands in, and the arguments the dispatcher passed it.
struct Call {
  size_t row;
  uint32_t id;
  int32_t arg;
  uint32_t len;
};
std::vector<Call> g_calls;

// One distinct handler per row, so that a call tells which row the dispatcher took.
template <size_t Row>
void probe(uint32_t id, int32_t arg, net_msg::Payload payload) {
  g_calls.push_back({Row, id, arg, payload.size()});
}
template <size_t... Rows>
constexpr std::array<net_msg::Handler, sizeof...(Rows)> probes(std::index_sequence<Rows...>) {
  return {probe<Rows>...};
}
constexpr auto kProbes = probes(std::make_index_sequence<NET_MSG_TABLE_SIZE>());

using NetMsgTable = NetMsgTest;

TEST_F(NetMsgTable, EachIdRunsItsOwnRowsHandler) {
  std::array<NET_MSG_ROW, NET_MSG_TABLE_SIZE> rows{};
  std::ranges::copy(net_msg_table(), rows.begin());
  // Every row of the real table has a handler to be swapped out.
  for (const NET_MSG_ROW& r : rows) ASSERT_NE(r.handler, nullptr) << std::hex << r.id;
  for (size_t i = 0; i < rows.size(); ++i) rows[i].handler = kProbes[i];
  ASSERT_TRUE(net_msg_use_rows(rows));

  const std::string payload = "12345678";
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(testing::Message() << std::hex << rows[i].id << " " << rows[i].name);
    g_calls.clear();
    dispatch(rows[i].id, static_cast<int32_t>(i) - 100, payload, true);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].row, i);
    EXPECT_EQ(g_calls[0].id, rows[i].id);
    EXPECT_EQ(g_calls[0].arg, static_cast<int32_t>(i) - 100);
    EXPECT_EQ(g_calls[0].len, payload.size());
  }

  // Back on the table's own rows, no probe runs.
  net_msg_table_reset();
  g_calls.clear();
  dispatch(0x40008, 0, {}, true);  // an inline row that does nothing
  EXPECT_TRUE(g_calls.empty());
}

// Every group number from 0 past the group's highest, every group from 0 past the last one, and
// the far ends: an id is found exactly when the table holds it, and then as its own row. A slot
// base off by one would hand a group's last ids to the next group's rows or drop its first.
TEST(NetMsgTableLookup, FindsExactlyTheTablesIds) {
  const auto table = net_msg_table();
  std::map<uint32_t, size_t> index;
  uint32_t top_number = 0;
  for (size_t i = 0; i < table.size(); ++i) {
    index[table[i].id] = i;
    top_number = std::max(top_number, table[i].id & 0xFFFF);
  }
  auto check = [&](uint32_t id) {
    const NET_MSG_ROW* row = net_msg_find(id);
    const auto it = index.find(id);
    if (it == index.end()) {
      EXPECT_EQ(row, nullptr) << std::hex << id;
    } else {
      EXPECT_EQ(row, &table[it->second]) << std::hex << id;
    }
  };
  for (uint32_t group = 0; group <= NET_MSG_GROUP_LIMIT + 1; ++group) {
    for (uint32_t number = 0; number <= top_number + 2; ++number) check(group << 16 | number);
    for (uint32_t number : {0x8000u, 0xFFFEu, 0xFFFFu}) check(group << 16 | number);
  }
  for (uint32_t id : {0x00FF0001u, 0x7FFF0001u, 0xFFFF0001u, 0xFFFFFFFFu}) check(id);
}

// The placeholder list names only table handlers, and every id it yields is a handler row of
// one of those names.
TEST(NetMsgTableLookup, PendingListMatchesTheTable) {
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
