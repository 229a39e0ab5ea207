// The notice, line, ranking and small game-screen handlers through the real dispatcher table.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "client/common/seam_calls.h"
#include "client/game/frame_input.h"
#include "client/handover/server_lines.h"
#include "client/state/broadcast_list.h"
#include "client/state/core_state.h"
#include "client/state/ranking_list.h"
#include "plat/test.h"
#include "plat/winmsg.h"
#include "social/chat_log/chat_log.h"
#include "social/macro/macro_state.h"
#include "tests/client/handler_payloads.h"
#include "tests/client/net_msg_fixture.h"
#include "ui/game_screen/game_screen_state.h"

namespace {

using handler_test::Bytes;

// A 28-byte ranking record.
std::string rankingRecord(uint32_t id, uint8_t major, uint8_t minor) {
  return Bytes().u32(id).zeros(21).u8(major).u8(minor).u8(0);
}

// A page of 20 records: the given ones, then empty places.
std::string rankingPage(const std::vector<std::string>& records) {
  std::string page;
  for (const std::string& r : records) page += r;
  while (page.size() < 20 * RANKING_RECORD_SIZE) page += rankingRecord(0, 0, 0);
  return page;
}

std::string notice(uint32_t id, uint32_t start, uint32_t end, const std::string& text) {
  return Bytes().u32(id).u32(start).u32(end).text(text, BROADCAST_TEXT_SIZE);
}

SERVER_LINE_RECORD line(int32_t id, int32_t load, uint8_t available) {
  SERVER_LINE_RECORD r{};
  std::snprintf(r.name, sizeof r.name, "Line %d", id);
  r.line_id = id;
  r.load = load;
  r.available = available;
  return r;
}

class CoreHandlersNotices : public net_msg_test::NetMsgTest {
 protected:
  // A click a little later ends the modal box the next dispatch opens.
  void dismissNextBox() { scheduleMessage(elapsedMs() + 200, plat::WM_LBUTTONUP, 0, (10 << 16) | 10); }

  std::vector<std::pair<int32_t, std::string>> chatChannelLines() const {
    std::vector<std::pair<int32_t, std::string>> out;
    for (const CHAT_LINE& l : chatLog()) out.emplace_back(l.channel, l.text);
    return out;
  }

  std::vector<std::pair<uint32_t, std::string>> notices() const {
    std::vector<std::pair<uint32_t, std::string>> out;
    for (int32_t i = 0; i < broadcast_list.count; ++i) out.emplace_back(broadcast_list.data[i].id, broadcast_list.data[i].text);
    return out;
  }

  std::vector<uint32_t> rankingIds() const {
    std::vector<uint32_t> out;
    for (int32_t i = 0; i < ranking_list.count; ++i) out.push_back(ranking_list.data[i].id);
    return out;
  }
};

// Descending by the signed byte at 25, then the unsigned byte at 26; equal keys in arrival order,
// also across pages; empty places are skipped.
TEST_F(CoreHandlersNotices, RankingKeepsAStableOrder) {
  dispatch(0x19000a, 0,
           rankingPage({rankingRecord(1, 5, 1), rankingRecord(2, 0x80, 9), rankingRecord(3, 5, 200),
                        rankingRecord(0, 100, 100), rankingRecord(4, 5, 1), rankingRecord(5, 0x7F, 0)}));
  EXPECT_EQ(rankingIds(), (std::vector<uint32_t>{5, 3, 1, 4, 2}));
  dispatch(0x19000a, 0, rankingPage({rankingRecord(6, 5, 1), rankingRecord(7, 0xFF, 0), rankingRecord(8, 5, 1)}));
  EXPECT_EQ(rankingIds(), (std::vector<uint32_t>{5, 3, 1, 4, 6, 8, 7, 2}));
  EXPECT_TRUE(logLines("Except code").empty());
  EXPECT_TRUE(world->sends.empty());
}

// A full list drops what would go last and pushes its last record out for one that goes in
// front of it; the first drop is logged once.
TEST_F(CoreHandlersNotices, RankingKeepsAtMostAThousand) {
  for (uint32_t page = 0; page < RANKING_LIST_MAX / 20; ++page) {
    std::vector<std::string> records;
    for (uint32_t i = 0; i < 20; ++i) records.push_back(rankingRecord(1000 + page * 20 + i, 10, 10));
    dispatch(0x19000a, 0, rankingPage(records));
  }
  ASSERT_EQ(ranking_list.count, RANKING_LIST_MAX);
  EXPECT_TRUE(logLines("ranking list full").empty());

  dispatch(0x19000a, 0, rankingPage({rankingRecord(1, 10, 10), rankingRecord(2, 3, 0)}));  // both would go last
  EXPECT_EQ(ranking_list.count, RANKING_LIST_MAX);
  EXPECT_EQ(ranking_list.data[RANKING_LIST_MAX - 1].id, 1999u);

  dispatch(0x19000a, 0, rankingPage({rankingRecord(3, 10, 11), rankingRecord(4, 11, 0)}));
  ASSERT_EQ(ranking_list.count, RANKING_LIST_MAX);
  EXPECT_EQ(ranking_list.data[0].id, 4u);
  EXPECT_EQ(ranking_list.data[1].id, 3u);
  EXPECT_EQ(ranking_list.data[2].id, 1000u);
  EXPECT_EQ(ranking_list.data[RANKING_LIST_MAX - 1].id, 1997u);
  EXPECT_EQ(logLines("ranking list full: 1000 records kept").size(), 1u);
}

// Loads for the known lines, the others cleared, lines the message does not know left out;
// then the window toggles.
TEST_F(CoreHandlersNotices, LineLoadsUnderTheLock) {
  server_lines_store(0, line(101, 40, 1), 3);
  server_lines_store(1, line(102, 50, 1), 3);
  server_lines_store(2, line(103, 60, 0), 3);
  dispatch(0x190004, 3, Bytes().u32(103).u16(0xFFFE).u16(0).u32(999).u16(12).u16(0).u32(101).u16(7).u16(0xFFFF));
  const SERVER_LINE_TABLE t = server_lines_snapshot();
  EXPECT_EQ(t.count, 3);
  EXPECT_EQ(t.rows[0].load, 7);
  EXPECT_EQ(t.rows[0].available, 1);
  EXPECT_EQ(t.rows[1].load, 0);
  EXPECT_EQ(t.rows[1].available, 0);
  EXPECT_EQ(t.rows[2].load, -2);  // the load is signed
  EXPECT_EQ(t.rows[2].available, 1);
  EXPECT_STREQ(t.rows[2].name, "Line 103");
  EXPECT_EQ(seam_call_count("server_switch_window_toggle"), 1);

  // No entries at all: every line off, and the window toggles again.
  dispatch(0x190004, 0);
  EXPECT_EQ(server_lines_snapshot().rows[0].available, 0);
  EXPECT_EQ(seam_call_count("server_switch_window_toggle"), 2);
  EXPECT_TRUE(logLines("Except code").empty());
}

TEST_F(CoreHandlersNotices, PopulationLineInTheGameCodePage) {
  dispatch(0x150001, 57);
  ASSERT_EQ(chatChannelLines().size(), 1u);
  EXPECT_EQ(chatChannelLines()[0].first, 7);
  EXPECT_EQ(chatChannelLines()[0].second, "\xB5\xB1\xC7\xB0\xCF\xDF\xC8\xCB\xCA\xFD" "57");
}

TEST_F(CoreHandlersNotices, NoticesReplaceAppendAndRemove) {
  dispatch(0xf0008, 0, notice(7, 100, 200, "first"));
  dispatch(0xf0008, 0, notice(9, 100, 0, "second"));
  dispatch(0xf0008, 0, notice(7, 300, 400, "first again"));
  EXPECT_EQ(notices(), (std::vector<std::pair<uint32_t, std::string>>{{7, "first again"}, {9, "second"}}));
  EXPECT_EQ(broadcast_list.data[0].start_time, 300u);
  EXPECT_EQ(broadcast_list.data[0].end_time, 400u);

  dispatch(0x190002, 9, Bytes().u32(500).u32(600).u32(150));
  dispatch(0x190002, 11, Bytes().u32(1).u32(2).u32(0xFFFFFFFF));
  EXPECT_EQ(notices(), (std::vector<std::pair<uint32_t, std::string>>{
                           {7, "first again"},
                           {9, "The server is releasing 150 Exp and skill usage time."},
                           {11, "The server is releasing -1 Exp and skill usage time."}}));
  EXPECT_EQ(broadcast_list.data[1].start_time, 500u);
  EXPECT_EQ(broadcast_list.data[1].end_time, 600u);

  dispatch(0xf0009, 9);
  dispatch(0x190003, 12);  // none has it
  dispatch(0x190003, 7);
  ASSERT_EQ(notices().size(), 1u);
  EXPECT_EQ(broadcast_list.data[0].id, 11u);

  // A text filling its 512 bytes keeps 511, never half a double-byte character.
  std::string full(510, 'a');
  full += "\xD6\xD0";
  dispatch(0xf0008, 0, notice(20, 0, 0, full));
  EXPECT_EQ(std::string(broadcast_list.data[1].text), std::string(510, 'a'));
  EXPECT_TRUE(logLines("Except code").empty());
}

TEST_F(CoreHandlersNotices, PrizeTexts) {
  dismissNextBox();
  dispatch(0xf0001, 0, std::string("You won a prize") + '\0' + "tail");
  EXPECT_EQ(logLines("You won a prize").size(), 1u);  // the box is logged
  dispatch(0xf0001, 1, "A pop-up prize");
  EXPECT_EQ(popups(), std::vector<std::string>{"A pop-up prize"});
  dispatch(0xf0001, 2, "A chat prize");
  dispatch(0xf0001, 3, "ignored");
  dispatch(0xf0001, 2);  // no text
  ASSERT_EQ(chatChannelLines().size(), 1u);
  EXPECT_EQ(chatChannelLines()[0], (std::pair<int32_t, std::string>{6, "A chat prize"}));
  // At most 1023 characters reach the pop-up.
  dispatch(0xf0001, 1, std::string(1500, 'x'));
  EXPECT_EQ(popups().back(), std::string(1023, 'x'));
  EXPECT_TRUE(logLines("Except code").empty());
}

TEST_F(CoreHandlersNotices, VersionMismatchEndsTheProcess) {
  dispatch(0xf0003, 0);
  EXPECT_EQ(system_message_deadline, 0u);
  try {
    dispatch(0xf0003, -1);
    ADD_FAILURE() << "no exit";
  } catch (const plat::test::ExitCalled& e) {
    EXPECT_EQ(e.code, 0);
  }
  EXPECT_NE(system_message_deadline, 0u);  // the waiting system message ran first
}

TEST_F(CoreHandlersNotices, SmallMessages) {
  dispatch(0xf0007, 0);
  ASSERT_EQ(world->sends.size(), 1u);
  EXPECT_EQ(world->sends[0].id, 0x3000cu);
  EXPECT_EQ(world->sends[0].arg, 0);
  EXPECT_TRUE(world->sends[0].payload.empty());

  dispatch(0x110004, static_cast<int32_t>(0xFFFE0003u));
  EXPECT_EQ(game_screen_state.char_state_high, 0xFFFE);
  EXPECT_EQ(game_screen_state.char_state_low, 3);

  dispatch(0x130006, 0, Bytes().u32(11).u32(0xFFFFFFFF).u32(99));
  EXPECT_EQ(macro_state_block.words[0], 11u);
  EXPECT_EQ(macro_state_block.words[1], 0xFFFFFFFFu);
  EXPECT_EQ(macro_state_block.valid, 1);

  frame_input.frame_time = 12500;
  server_clock.valid = 1;
  dispatch(0x190008, 1000);
  EXPECT_EQ(server_clock.offset, 988);
  EXPECT_EQ(server_clock.valid, 0);

  dispatch(0x1a0001, 0);
  dispatch(0x1a0002, 0);
  EXPECT_EQ(chatChannelLines(), (std::vector<std::pair<int32_t, std::string>>{
                             {7, "#G remove master and apprentice relationship"}, {7, "#G remove brotherhood"}}));
  EXPECT_TRUE(logLines("Except code").empty());
}

// Speech shorter than 160 characters becomes a bubble; longer speech is not shown.
TEST_F(CoreHandlersNotices, SpeechBubbles) {
  dispatch(0x130001, 42, std::string("hello") + '\0' + "rest");
  dispatch(0x130001, 43, std::string(159, 's'));
  dispatch(0x130001, 44, std::string(160, 'l'));
  dispatch(0x130001, 45);
  const std::vector<SEAM_CALL> calls = seam_calls_named("chat_bubble_show");
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].a, 42);
  EXPECT_EQ(calls[0].text, "hello");
  EXPECT_EQ(calls[1].a, 43);
  EXPECT_EQ(calls[1].text.size(), 159u);
}

// A payload shorter than the handler reads, or a count beyond it: nothing changes and the
// message is dropped with one line.
TEST_F(CoreHandlersNotices, Truncated) {
  struct Case {
    uint32_t id;
    int32_t arg;
    std::string full;
  };
  const Case cases[] = {
      {0xf0008, 0, notice(5, 1, 2, "new")},
      {0x190002, 5, Bytes().u32(1).u32(2).u32(3)},
      {0x130006, 0, Bytes().u32(7).u32(8)},
      {0x19000a, 0, rankingPage({rankingRecord(1, 1, 1)})},
      {0x190004, 2, Bytes().u32(101).u16(9).u16(0).u32(102).u16(9).u16(0)},
  };
  dispatch(0xf0008, 0, notice(5, 0, 0, "old"));
  server_lines_store(0, line(101, 40, 1), 1);
  for (const Case& c : cases) {
    for (size_t len = 0; len < c.full.size(); ++len) {
      SCOPED_TRACE(testing::Message() << std::hex << c.id << std::dec << " length " << len);
      const size_t lines = logLines("Except code").size();
      dispatchPrefix(c.id, c.arg, c.full, len);
      EXPECT_EQ(logLines("Except code").size(), lines + 1);
      EXPECT_EQ(notices(), (std::vector<std::pair<uint32_t, std::string>>{{5, "old"}}));
      EXPECT_EQ(macro_state_block.valid, 0);
      EXPECT_EQ(ranking_list.count, 0);
      EXPECT_EQ(server_lines_snapshot().rows[0].load, 40);
      EXPECT_EQ(seam_call_count("server_switch_window_toggle"), 0);
    }
  }
  // Entry counts beyond the payload, and negative ones.
  for (int32_t count : {3, 0x7FFFFFFF, -1}) {
    SCOPED_TRACE(count);
    const size_t lines = logLines("Except code").size();
    dispatch(0x190004, count, cases[4].full);
    EXPECT_EQ(logLines("Except code").size(), lines + 1);
    EXPECT_EQ(server_lines_snapshot().rows[0].available, 1);
    EXPECT_EQ(seam_call_count("server_switch_window_toggle"), 0);
  }
}

}  // namespace
