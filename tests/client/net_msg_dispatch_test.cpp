// The dispatcher: the guard around each handler, the world dispatch flag and the redraw flag, the
// placeholders, and the 0x180005 adapter.
#include <algorithm>
#include <new>
#include <stdexcept>

#include "plat/test.h"
#include "tests/client/net_msg_fixture.h"

namespace {

using net_msg_test::NetMsgTest;

constexpr uint32_t kId = 0xc0015;  // any guarded table row

int g_calls = 0;
uint8_t g_flagInside = 0;
uint8_t g_flagAfterNested = 0;

void readsPast(uint32_t, int32_t, net_msg::Payload p) {
  const uint32_t count = p.u32(0);
  (void)p.records(count, 84, 4);
  ++g_calls;  // never reached with a short payload
}
void throwsRuntime(uint32_t, int32_t, net_msg::Payload) { throw std::runtime_error("bad"); }
void throwsBadAlloc(uint32_t, int32_t, net_msg::Payload) { throw std::bad_alloc(); }
void throwsExit(uint32_t, int32_t, net_msg::Payload) { throw plat::test::ExitCalled{3}; }
void throwsBudget(uint32_t, int32_t, net_msg::Payload) { throw plat::test::FrameBudgetExceeded{"frames"}; }
void counts(uint32_t, int32_t, net_msg::Payload) {
  ++g_calls;
  g_flagInside = net_link.world_dispatching;
}
void nests(uint32_t, int32_t, net_msg::Payload) {
  // A box opened by a replayed handler runs frame steps that replay the next entry.
  net_dispatch_message(0xc0014, 0, nullptr, 0, true);
  g_flagAfterNested = net_link.world_dispatching;
}

class NetMsgDispatch : public NetMsgTest {
 protected:
  void SetUp() override {
    NetMsgTest::SetUp();
    g_calls = 0;
    g_flagInside = g_flagAfterNested = 0;
  }
};

TEST_F(NetMsgDispatch, FaultingHandlersAreLoggedAndDropped) {
  struct Case {
    const char* what;
    net_msg::Handler handler;
    int32_t arg;
    std::string payload;
    const char* want;  // the line's end after the site number
  };
  const Case cases[] = {
      {"reads past its payload", readsPast, 3, std::string("\x02\0\0\0", 4) + std::string(100, 'x'), ",MSG: c0015,3"},
      {"count from the payload wraps", readsPast, -1, std::string("\xFF\xFF\xFF\xFF", 4), ",MSG: c0015,-1"},
      {"no payload at all", readsPast, 0, "", ",MSG: c0015,0"},
      {"throws runtime_error", throwsRuntime, -2, "", ",MSG: c0015,-2"},
      {"throws bad_alloc", throwsBadAlloc, 2147483647, "", ",MSG: c0015,2147483647"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    net_dispatch_reset();
    std::remove(dir.hostPath("error.txt").c_str());
    hp().debugLines().clear();
    net_msg_swap_handler(kId, c.handler);
    EXPECT_EQ(dispatch(kId, c.arg, c.payload), 0);
    const std::vector<std::string> lines = logLines("Except code");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("Except code : net_msg ", 0), 0u) << lines[0];
    EXPECT_TRUE(lines[0].ends_with(c.want)) << lines[0];
    const auto& dbg = hp().debugLines();
    EXPECT_EQ(std::count_if(dbg.begin(), dbg.end(), [](const std::string& l) { return l.find("Except code") != l.npos; }), 1);
    EXPECT_EQ(net_link.world_dispatching, 0);

    // The client goes on: the next message is handled.
    net_msg_swap_handler(0xc0014, counts);
    g_calls = 0;
    dispatch(0xc0014, 0);
    EXPECT_EQ(g_calls, 1);
    EXPECT_EQ(g_flagInside, 1);
    EXPECT_EQ(net_link.world_dispatching, 0);
  }
}

TEST_F(NetMsgDispatch, ControlExceptionsPassWithTheFlagRestored) {
  for (uint8_t outer : {0, 1}) {
    net_link.world_dispatching = outer;
    net_msg_swap_handler(kId, throwsExit);
    EXPECT_THROW(dispatch(kId, 1), plat::test::ExitCalled);
    EXPECT_EQ(net_link.world_dispatching, outer);
    net_msg_swap_handler(kId, throwsBudget);
    EXPECT_THROW(dispatch(kId, 1), plat::test::FrameBudgetExceeded);
    EXPECT_EQ(net_link.world_dispatching, outer);
  }
  EXPECT_TRUE(logLines("Except code").empty());
}

TEST_F(NetMsgDispatch, EveryIdSetsTheRedrawFlag) {
  for (uint32_t id : {0x30001u, 0x40008u, 0x3000bu, 0x0u, 0xFFFFFFFFu, 0x19000cu}) {
    scene_redraw_flag = 0;
    EXPECT_EQ(dispatch(id, 0), 0);
    EXPECT_EQ(scene_redraw_flag, 1) << std::hex << id;
    EXPECT_EQ(net_link.world_dispatching, 0);
  }
}

// The outer dispatch stays marked after a nested one returns.
TEST_F(NetMsgDispatch, NestedDispatchKeepsTheOuterFlag) {
  net_msg_swap_handler(kId, nests);
  net_msg_swap_handler(0xc0014, counts);
  dispatch(kId, 0);
  EXPECT_EQ(g_calls, 1);
  EXPECT_EQ(g_flagInside, 1);
  EXPECT_EQ(g_flagAfterNested, 1);
  EXPECT_EQ(net_link.world_dispatching, 0);
}

TEST_F(NetMsgDispatch, PlaceholdersLogOncePerIdAndCountDrops) {
  const std::vector<uint32_t> ids = net_msg_pending_ids();
  if (ids.empty()) GTEST_SKIP() << "every handler is built";
  const uint32_t id = ids.front();
  const std::string name = net_msg_find(id)->name;
  char want[128];
  std::snprintf(want, sizeof want, "net_msg %x %s: no handler yet", id, name.c_str());

  dispatch(id, 0);
  dispatch(id, 5, "payload");
  EXPECT_EQ(logLines("no handler yet"), std::vector<std::string>{want});
  EXPECT_EQ(net_msg_pending_drops(id), 2u);
  EXPECT_TRUE(logLines("Except code").empty());

  // Another id of the same placeholder logs its own line; a reset logs again.
  if (ids.size() > 1) {
    dispatch(ids[1], 0);
    EXPECT_EQ(logLines("no handler yet").size(), 2u);
    EXPECT_EQ(net_msg_pending_drops(ids[1]), 1u);
  }
  net_msg_pending_reset();
  EXPECT_EQ(net_msg_pending_drops(id), 0u);
  dispatch(id, 0);
  EXPECT_EQ(logLines(want).size(), 2u);
}

// An id in no row is dropped with one debug line the first time it comes; a reset tells it again,
// and a server sending ever new ids gets a bounded number of lines.
TEST_F(NetMsgDispatch, IdsInNoRowAreToldOncePerId) {
  auto told = [&](const std::string& text) {
    const auto& dbg = hp().debugLines();
    return static_cast<int>(
        std::count_if(dbg.begin(), dbg.end(), [&](const std::string& l) { return l.find(text) != l.npos; }));
  };
  const int bound = static_cast<int>(NET_DISPATCH_UNKNOWN_IDS_TOLD);
  ASSERT_EQ(net_msg_find(0x140001), nullptr);  // a group with no rows
  ASSERT_EQ(net_msg_find(0x3000b), nullptr);   // a gap inside a group
  hp().debugLines().clear();
  net_msg_swap_handler(kId, counts);
  dispatch(0x140001, 7, "abc");
  dispatch(0x140001, 8);
  dispatch(0x3000b, -1);
  dispatch(kId, 0);
  EXPECT_EQ(g_calls, 1);
  EXPECT_EQ(told("net_msg 140001: id in no table row, dropped (argument 7, 3 bytes)"), 1);
  EXPECT_EQ(told("net_msg 3000b: id in no table row, dropped (argument -1, 0 bytes)"), 1);
  EXPECT_EQ(told("no table row"), 2);
  EXPECT_TRUE(logLines("no table row").empty());  // a debug line, not error.txt

  net_dispatch_reset();
  dispatch(0x140001, 9, "", true);  // replayed messages are told too
  EXPECT_EQ(told("net_msg 140001:"), 2);

  net_dispatch_reset();
  hp().debugLines().clear();
  for (uint32_t i = 0; i < 3 * NET_DISPATCH_UNKNOWN_IDS_TOLD; ++i) dispatch(0xFF000000u + i, 0);
  dispatch(0xFF000000u, 0);
  EXPECT_EQ(told("id in no table row, dropped"), bound);
  EXPECT_EQ(told("the rest are dropped without a line"), 1);
  EXPECT_EQ(static_cast<int>(hp().debugLines().size()), bound + 1);
}

// The text needs no NUL: it is bounded by the length.
TEST_F(NetMsgDispatch, SystemMessageShowsThePayloadText) {
  struct Case {
    std::string payload;
    const char* want;
  };
  const Case cases[] = {{"hello", "hello"}, {std::string("hi\0there", 8), "hi"}};
  for (const Case& c : cases) {
    message_slots_clear();
    // A copy exactly as long as the text, so that reading one byte further is a sanitizer report.
    std::vector<uint8_t> exact(c.payload.begin(), c.payload.end());
    net_dispatch_message(0x180005, 0, exact.data(), static_cast<uint32_t>(exact.size()), false);
    int shown = 0;
    for (const MESSAGE_SLOT& s : message_slots)
      if (s.in_use) {
        ++shown;
        EXPECT_STREQ(s.text, c.want);
      }
    EXPECT_EQ(shown, 1);
  }
  EXPECT_TRUE(logLines("Except code").empty());
}

}  // namespace
