// The rows the dispatcher does itself: each writes its word, whatever the payload.
#include <functional>

#include "tests/client/net_msg_fixture.h"

namespace {

using net_msg_test::NetMsgTest;

using NetMsgInline = NetMsgTest;

// Every word an inline row may write, as one comparable value.
struct Words {
  uint8_t own_disconnect;
  int32_t bar_first, bar_second;
  uint8_t shop_a, shop_b, shop_marks, bank_marks;
  uint32_t round_state;
  int32_t in_scene, battle_return, battle_leave, battle_resume, link_lost;
  uint8_t mirror;
  bool operator==(const Words&) const = default;
};

Words words() {
  return {net_link.own_disconnect,      player_status_bars.first,     player_status_bars.second,
          shop_flag_a,                  shop_flag_b,                  shop_refresh_marks.shop_pages,
          shop_refresh_marks.bank_pages, battle_round_state,          scene_in_scene,
          battle_return_word,           battle_leave_word,            battle_resume_word,
          link_lost_word,               record_state.mirror};
}

TEST_F(NetMsgInline, EachRowWritesItsWord) {
  struct Case {
    uint32_t id;
    int32_t arg;
    std::function<void(Words&)> change;  // applied to the words at start
  };
  const Case cases[] = {
      {0x30061, 0, [](Words& w) { w.own_disconnect = 1; }},
      {0x30062, 9, [](Words& w) { w.own_disconnect = 1; }},
      {0x5000a, 77, [](Words& w) { w.bar_first = 77; }},
      {0x5000b, 77, [](Words& w) { w.bar_second = 77; }},
      {0x5000a, -1, [](Words& w) { w.bar_first = -1; }},
      {0xa0009, 0, [](Words&) {}},  // flag stays 0, nothing marked
      {0xa0009, 5, [](Words& w) { w.shop_a = 1, w.shop_marks = 1; }},
      {0xa000a, 0, [](Words&) {}},
      {0xa000a, 5, [](Words& w) { w.shop_b = 1, w.bank_marks = 1; }},
      {0xc0001, 7, [](Words& w) { w.round_state = 7; }},
      {0xf0005, 0, [](Words& w) { w.in_scene = w.battle_return = w.battle_leave = 1; }},
      {0xf0005, 42, [](Words& w) { w.in_scene = w.battle_return = w.battle_leave = 1; }},
      {0xf0006, 3, [](Words& w) { w.battle_resume = 1; }},
      {0x160001, 2, [](Words& w) { w.link_lost = 2; }},
      {0x19000c, 0, [](Words& w) { w.mirror = 1; }},
      {0x40008, 5, [](Words&) {}},
      {0xc0009, 5, [](Words&) {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.id << std::dec << " arg " << c.arg);
    // Every module back at its start and the world link bound again.
    TearDown();
    SetUp();
    net_link.own_disconnect = 0;
    Words want = words();
    c.change(want);
    EXPECT_EQ(dispatch(c.id, c.arg, "ignored payload"), 0);
    EXPECT_TRUE(words() == want);
    EXPECT_EQ(net_link.world_dispatching, 0);
    EXPECT_TRUE(logLines("Except code").empty());
    EXPECT_TRUE(logLines("no handler yet").empty());
  }
}

// A cleared shop flag leaves earlier marks alone; a set one marks again.
TEST_F(NetMsgInline, ShopFlagClearedKeepsMarks) {
  dispatch(0xa0009, 1);
  shop_refresh_marks.shop_pages = 0;  // the window redrew
  dispatch(0xa0009, 0);
  EXPECT_EQ(shop_flag_a, 0);
  EXPECT_EQ(shop_refresh_marks.shop_pages, 0);
  dispatch(0xa0009, -3);
  EXPECT_EQ(shop_flag_a, 1);
  EXPECT_EQ(shop_refresh_marks.shop_pages, 1);
}

}  // namespace
