// The client core's small state tables: quests, the group-message recipients, the chat input
// state, the private-message ring and the title table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "client/res/res_tables.h"
#include "client/state/chat_input_state.h"
#include "client/state/group_message.h"
#include "client/state/private_message_ring.h"
#include "client/state/quest_tables.h"
#include "client/state/title_table.h"
#include "client/ui/message_box.h"
#include "social/chat_log/msg_history.h"
#include "tests/client/core_handlers_fixture.h"

namespace {

class StateTables : public CoreHandlers {
 protected:
  static QUEST_MESSAGE quest(uint32_t id, const std::string& text = "", uint32_t progress = 0) {
    QUEST_MESSAGE q{};
    q.id = id;
    std::strncpy(q.text, text.c_str(), sizeof q.text - 1);
    for (uint32_t& w : q.progress) w = progress;
    return q;
  }

  // The ids of a table's used records, in order.
  static std::vector<uint32_t> ids(int table) {
    std::vector<uint32_t> out;
    for (int i = 0; i < quest_state.counts[table]; ++i) out.push_back(quest_state.tables[table][i].quest.id);
    return out;
  }

};

TEST_F(StateTables, QuestStore) {
  // Ranges overlap: the first in file order wins. Range 1 has type 0 and goes to the second table.
  loadQuestRanges({{10, 19, 2}, {5, 30, 0}, {40, 49, 0}});
  struct Case {
    const char* what;
    QUEST_MESSAGE q;
    std::vector<uint32_t> table0, table1;
    int32_t range;  // of the record stored last, -1: none stored
  } cases[] = {
      {"first range holds it", quest(12, "a"), {12}, {}, 0},
      {"only the second range holds it", quest(7, "b"), {12}, {7}, 1},
      {"type word 0 again", quest(45), {12}, {7, 45}, 2},
      {"no range, empty text: not stored", quest(99), {12}, {7, 45}, -1},
      {"no range, a text: by the first range", quest(98, "c"), {12, 98}, {7, 45}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    quest_store(c.q);
    EXPECT_EQ(ids(0), c.table0);
    EXPECT_EQ(ids(1), c.table1);
    int32_t table = -1;
    const int32_t at = quest_find(c.q.id, &table);
    if (c.range < 0) {
      EXPECT_EQ(at, -1);
      EXPECT_EQ(table, -1);
    } else {
      ASSERT_GE(at, 0);
      EXPECT_EQ(quest_state.tables[table][at].range, c.range);
      EXPECT_STREQ(quest_state.tables[table][at].quest.text, c.q.text);
    }
  }

  // The same id again replaces text and progress in place; the flag is cleared, range and count kept.
  quest_state.tables[1][0].flag = 1;
  quest_store(quest(7, "new text", 9));
  EXPECT_EQ(ids(1), (std::vector<uint32_t>{7, 45}));
  EXPECT_STREQ(quest_state.tables[1][0].quest.text, "new text");
  EXPECT_EQ(quest_state.tables[1][0].quest.progress[8], 9u);
  EXPECT_EQ(quest_state.tables[1][0].flag, 0);
  EXPECT_EQ(quest_state.tables[1][0].range, 1);

  // A full table takes no 21st quest but still replaces one it has.
  for (uint32_t id : {20u, 21u, 22u, 23u, 24u, 25u, 26u, 27u, 28u, 29u, 30u, 40u, 41u, 42u, 43u, 44u, 46u, 47u})
    quest_store(quest(id));
  ASSERT_EQ(quest_state.counts[1], QUEST_RECORDS);
  quest_store(quest(48, "dropped"));
  EXPECT_EQ(quest_find(48, nullptr), -1);
  quest_store(quest(47, "kept"));
  EXPECT_STREQ(quest_state.tables[1][QUEST_RECORDS - 1].quest.text, "kept");
}

TEST_F(StateTables, QuestStoreWithoutDefinitions) {
  res_tables_reset();
  quest_store(quest(12, "text"));
  EXPECT_EQ(quest_state.counts[0] + quest_state.counts[1], 0);
  EXPECT_EQ(logLines("no quest definitions").size(), 1u);
  quest_store(quest(13));  // an empty text is not stored either, and says nothing
  EXPECT_EQ(logLines("no quest definitions").size(), 1u);
}

TEST_F(StateTables, QuestFindPrefersTheSecondTable) {
  loadQuestRanges({{1, 10, 1}, {1, 20, 0}});
  quest_store(quest(5));   // table 0
  quest_store(quest(15));  // table 1
  quest_state.tables[1][0].quest.id = 5;  // the same id in both
  int32_t table = -2;
  EXPECT_EQ(quest_find(5, &table), 0);
  EXPECT_EQ(table, 1);
  // Only used records are searched.
  quest_state.tables[0][3].quest.id = 77;
  EXPECT_EQ(quest_find(77, &table), -1);
  EXPECT_EQ(table, -1);
}

TEST_F(StateTables, QuestRemoval) {
  loadQuestRanges({{1, 100, 1}});
  struct Case {
    const char* what;
    int count;
    uint32_t removed;
    int32_t selected, scroll;
    std::vector<uint32_t> left;
    int32_t selected_after, scroll_after;
  } cases[] = {
      {"middle, selection before it", 3, 2, 0, 0, {1, 3}, 0, 0},
      {"selected last record", 3, 3, 2, 2, {1, 2}, 1, 1},
      {"middle, selection after it: kept", 3, 2, 2, 1, {1, 3}, 2, 1},
      {"selected middle record: the next one is selected", 3, 2, 1, 1, {1, 3}, 1, 1},
      {"the only record", 1, 1, 0, 0, {}, -1, 0},
      {"last of a full table", 20, 20, 5, 3, {}, 5, 3},
      {"not there", 2, 50, 1, 0, {1, 2}, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    quest_tables_reset();
    for (int i = 1; i <= c.count; ++i) quest_store(quest(static_cast<uint32_t>(i)));
    quest_state.selected = c.selected;
    quest_state.scroll = c.scroll;
    dispatch(0x40010, static_cast<int32_t>(c.removed));
    std::vector<uint32_t> want = c.left;
    if (c.count == 20) {
      for (uint32_t i = 1; i < 20; ++i) want.push_back(i);
    }
    EXPECT_EQ(ids(0), want);
    EXPECT_EQ(quest_state.selected, c.selected_after);
    EXPECT_EQ(quest_state.scroll, c.scroll_after);
    // The freed record is empty again and takes the next quest.
    const int32_t freed = quest_state.counts[0];
    if (freed < QUEST_RECORDS) {
      EXPECT_EQ(quest_state.tables[0][freed].range, -1);
      quest_store(quest(99));
      EXPECT_EQ(quest_find(99, nullptr), freed);
    }
  }

  // A removal from the other table leaves the selection where the window has it.
  loadQuestRanges({{1, 100, 1}, {101, 200, 0}});
  quest_tables_reset();
  for (uint32_t id : {1u, 2u, 3u, 101u}) quest_store(quest(id));
  quest_state.selected = 2;
  quest_state.scroll = 2;
  dispatch(0x40010, 101);
  EXPECT_EQ(quest_state.counts[1], 0);
  EXPECT_EQ(quest_state.selected, 2);
  EXPECT_EQ(quest_state.scroll, 2);
}

TEST_F(StateTables, GroupMessageLimit) {
  for (int i = 0; i < 8; ++i) group_message_flags[i * 12] = 1;
  EXPECT_EQ(check_group_message_limit(), 0);
  EXPECT_TRUE(popups().empty());
  group_message_flags[99] = 7;
  EXPECT_EQ(check_group_message_limit(), -2);
  EXPECT_EQ(popups(), std::vector<std::string>{"The number of people to send message exceeds the upper limit!"});
}

TEST_F(StateTables, ChatInputAndPrivateMessages) {
  chat_input_state = {2, 5000, 77, "Ann", 9};
  chat_input_state_reset();
  EXPECT_EQ(chat_input_state.channel, CHAT_CHANNEL_NONE);
  EXPECT_EQ(chat_input_state.last_sent_time, 0u);
  EXPECT_EQ(chat_input_state.target_id, -1);
  EXPECT_STREQ(chat_input_state.target_name, "");
  EXPECT_EQ(chat_input_state.attachment, 0u);

  for (MSG_HISTORY_RECORD& r : msg_history.records) r = {5, 6, 1234, "Bob", "hello"};
  msg_history.head = 17;
  msg_history.tail = 300;
  private_message_ring_clear();
  EXPECT_EQ(msg_history.head, 0);
  EXPECT_EQ(msg_history.tail, 0);
  for (const MSG_HISTORY_RECORD* r : {&msg_history.records[0], &msg_history.records[MSG_HISTORY_RECORDS - 1]}) {
    EXPECT_EQ(r->sender_id, 0u);
    EXPECT_EQ(r->recipient_id, 0u);
    EXPECT_STREQ(r->name, "");
    EXPECT_STREQ(r->text, "");
  }
}

TEST_F(StateTables, TitleTable) {
  auto record = [](uint16_t id, const char* name) {
    TITLE_RECORD r{};
    std::strcpy(r.name, name);
    std::strcpy(r.description, "desc");
    r.id = id;
    return r;
  };
  EXPECT_EQ(title_add(record(4, "Four")), 0);
  EXPECT_EQ(title_add(record(9, "Nine")), 1);
  title_table.records[0].id = 0;  // free again
  EXPECT_EQ(title_add(record(11, "Eleven")), 0);
  EXPECT_EQ(title_index_by_id(9), 1);
  EXPECT_EQ(title_index_by_id(11), 0);
  // A missing id is -1, whose low half is the 0xFFFF the readers compare with.
  EXPECT_EQ(title_index_by_id(4), -1);
  EXPECT_EQ(title_index_by_id(4) & 0xFFFF, 0xFFFF);
  // The id is unsigned: 0x8000 and above are titles like any other, and 0 finds no free record.
  EXPECT_EQ(title_add(record(0x8001, "High")), 2);
  EXPECT_EQ(title_add(record(0xFFFE, "Higher")), 3);
  EXPECT_EQ(title_index_by_id(0x8001), 2);
  EXPECT_EQ(title_index_by_id(0xFFFE), 3);
  EXPECT_EQ(title_index_by_id(0), -1);
  title_table.records[2].id = 0;
  title_table.records[3].id = 0;

  for (uint16_t id = 20; id < 40; ++id) title_add(record(id, "x"));
  EXPECT_EQ(title_index_by_id(35), 17);
  EXPECT_EQ(title_index_by_id(36), -1);  // all 18 used: dropped

  // The start-up reset frees every record: the name, the description and the id at 68.
  title_records_reset();
  for (const TITLE_RECORD& r : title_table.records) {
    EXPECT_EQ(r.id, 0);
    EXPECT_STREQ(r.name, "");
    EXPECT_STREQ(r.description, "");
  }
  EXPECT_EQ(title_add(record(5, "Five")), 0);
}

}  // namespace
