// The client's two server links over the fake network module.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/game/frame_input.h"
#include "client/game/replay_state.h"
#include "client/game/task_state.h"
#include "client/net/net_link.h"
#include "plat/winmsg.h"
#include "tests/client/message_box_fixture.h"
#include "tests/support/fake_net_client.h"

namespace {

using veldra_test::FakeNetClient;
using veldra_test::FakeNetModule;
using plat::NetPoll;

constexpr int32_t kGameMainRow = 10;  // TASK_GAME_MAIN
constexpr int32_t kAccountRow = 5;    // any other task

struct Dispatched {
  uint32_t id;
  int32_t arg;
  std::string payload;
  bool do_not_record;
};
std::vector<Dispatched> g_dispatched;

int recordDispatch(uint32_t id, int32_t arg, const uint8_t* payload, uint32_t len, bool do_not_record) {
  g_dispatched.push_back({id, arg, std::string(reinterpret_cast<const char*>(payload), len), do_not_record});
  return 0;
}

// The message box is the real one: a loss outside the game main task logs its text and waits
// for a click, which the tests schedule.
class ServerLink : public box_test::BoxTest {
 protected:
  void SetUp() override {
    BoxTest::SetUp();
    resetLinks();
  }
  void TearDown() override {
    net_unload_client();
    FakeNetModule::clear();
    BoxTest::TearDown();
  }

  // Fresh fake links, both bound and unconnected, outside the game main task.
  void resetLinks() {
    net_unload_client();
    FakeNetModule::install();
    net_link_reset();
    task_current_row = kAccountRow;
    link_lost_word = 0;
    replaying = 0;
    kT = hp().clock().ms();  // the fake clock starts away from 0
    frame_input.frame_time = kT;
    g_dispatched.clear();
    ASSERT_EQ(net_load_client(), 0);
    world = FakeNetModule::world();
    chat = FakeNetModule::chat();
    ASSERT_TRUE(world && chat);
  }

  void connectBoth() {
    ASSERT_EQ(net_connect_world(0x0100007F, 4000, recordDispatch), 0);
    ASSERT_EQ(net_connect_chat(0x0100007F, 4001, 0x30004, recordDispatch), 0);
  }

  // A click that dismisses a box opened after now.
  void scheduleClick() { scheduleMessage(elapsedMs() + 100, plat::WM_LBUTTONUP, 0, (300 << 16) | 400); }

  // How often error.txt holds the text.
  int logged(const std::string& text) {
    const std::string log = errorTxt();
    int n = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
    return n;
  }

  FakeNetClient* world = nullptr;
  FakeNetClient* chat = nullptr;
  uint32_t kT = 0;  // frame time at the start of a case
};

// How one link is set up for a poll.
enum class Side { Idle, Delivered, Lost, NotConnected, Dispatching };

struct PollRow {
  const char* what;
  int32_t row;
  uint8_t own;
  int32_t word;
  Side world, chat;
  int result;
  int32_t wordAfter;
  const char* box;          // nullptr: none
  bool bothDisconnected;
  bool lossTimeSet;
};

TEST_F(ServerLink, PollTable) {
  const PollRow rows[] = {
      {"both idle", kAccountRow, 0, 0, Side::Idle, Side::Idle, 0, 0, nullptr, false, false},
      {"world delivered", kAccountRow, 0, 0, Side::Delivered, Side::Idle, 1, 0, nullptr, false, false},
      {"chat delivered", kAccountRow, 0, 0, Side::Idle, Side::Delivered, 1, 0, nullptr, false, false},
      {"chat not connected", kAccountRow, 0, 0, Side::Idle, Side::NotConnected, 1, 0, nullptr, false, false},
      {"world dispatching", kAccountRow, 0, 0, Side::Dispatching, Side::Idle, 1, 0, nullptr, false, false},
      {"game main, world lost", kGameMainRow, 0, 0, Side::Lost, Side::Idle, 3, 2, nullptr, false, true},
      {"game main, word 1 kept", kGameMainRow, 0, 1, Side::Lost, Side::Idle, 3, 1, nullptr, false, true},
      {"other task, world lost", kAccountRow, 0, 0, Side::Lost, Side::Idle, 3, 0, "World server is disconnected", true,
       true},
      {"other task, chat lost", kAccountRow, 0, 0, Side::Idle, Side::Lost, 3, 0, "Chat server is disconnected", true,
       true},
      {"own disconnect: a healthy chat link hides nothing", kAccountRow, 1, 0, Side::Lost, Side::Idle, 3, 0, nullptr,
       false, true},
      {"word already set", kAccountRow, 0, 2, Side::Lost, Side::Idle, 3, 2, nullptr, false, true},
  };
  for (const PollRow& r : rows) {
    SCOPED_TRACE(r.what);
    resetLinks();
    connectBoth();
    const int worldBefore = logged("World server is disconnected");
    const int chatBefore = logged("Chat server is disconnected");
    if (r.box) scheduleClick();
    task_current_row = r.row;
    net_link.own_disconnect = r.own;
    link_lost_word = r.word;
    auto setUp = [](FakeNetClient* f, uint8_t& connected, uint8_t& dispatching, Side s) {
      switch (s) {
        case Side::Idle: f->outcomes.push_back(NetPoll::Idle); break;
        case Side::Delivered: f->outcomes.push_back(NetPoll::Delivered); break;
        case Side::Lost: f->outcomes.push_back(NetPoll::Lost); break;
        case Side::NotConnected: connected = 0; break;
        case Side::Dispatching: dispatching = 1; break;
      }
    };
    setUp(world, net_link.world_connected, net_link.world_dispatching, r.world);
    setUp(chat, net_link.chat_connected, net_link.chat_dispatching, r.chat);

    EXPECT_EQ(net_poll_links(), r.result);
    EXPECT_EQ(link_lost_word, r.wordAfter);
    EXPECT_EQ(logged("World server is disconnected") - worldBefore,
              r.box && std::string(r.box).rfind("World", 0) == 0 ? 1 : 0);
    EXPECT_EQ(logged("Chat server is disconnected") - chatBefore, r.box && std::string(r.box).rfind("Chat", 0) == 0 ? 1 : 0);
    EXPECT_EQ(world->disconnects, r.bothDisconnected ? 1 : 0);
    EXPECT_EQ(chat->disconnects, r.bothDisconnected ? 1 : 0);
    EXPECT_EQ(world->polls, r.world == Side::Dispatching || r.world == Side::NotConnected ? 0 : 1);
    // The loss time is the frame time after the box, which ran frames of its own.
    EXPECT_EQ(net_link.loss_time, r.lossTimeSet ? frame_input.frame_time : 0u);
    if (r.box) {
      EXPECT_GT(frame_input.frame_time, kT);  // the box waited for its click
    }
    if (r.bothDisconnected) {
      // The following polls find both links unconnected.
      EXPECT_EQ(net_poll_links(), 1);
      EXPECT_EQ(world->polls, 1);
    }
  }
}

// The debug line that says why: once per loss (in the game main task a lost link stays connected
// and reports Lost at every poll), again after a reconnect, naming the link and all it reported.
TEST_F(ServerLink, LossIsToldOncePerLossWithWhatTheLinkSaw) {
  auto told = [&] {
    std::vector<std::string> out;
    for (const std::string& l : hp().debugLines())
      if (l.find("link lost") != std::string::npos) out.push_back(l);
    return out;
  };
  connectBoth();
  task_current_row = kGameMainRow;
  hp().debugLines().clear();
  world->lost = true;
  plat::NetLossInfo& l = world->loss;
  l.reason = plat::NetLossReason::ReadError;
  l.receivedBytes = 5000000000u;
  l.frames = 3;
  l.pendingBytes = 7;
  l.lengthKnown = true;
  l.declaredLength = 9;
  l.maxPayload = 1u << 20;
  l.osError = 104;
  l.headLength = 2;
  l.head[0] = 0xAB;
  l.head[1] = 0x01;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(net_poll_links(), 3);
  EXPECT_EQ(told(), std::vector<std::string>{"World link lost: read error; 5000000000 bytes received in 3 frames, 7 "
                                             "bytes pending, length field 9, cap 1048576, system error 104, "
                                             "first bytes AB 01"});

  chat->lost = true;
  chat->loss.reason = plat::NetLossReason::SendQueueFull;
  EXPECT_EQ(net_poll_links(), 3);
  EXPECT_EQ(net_poll_links(), 3);
  ASSERT_EQ(told().size(), 2u);
  EXPECT_EQ(told()[1], "Chat link lost: the send queue is full (the server stopped reading); 0 bytes received in 0 "
                       "frames, 0 bytes pending");

  // A new connection's loss is told again; a link that cannot tell says so.
  net_disconnect_all(1);
  ASSERT_EQ(net_connect_world(0x0100007F, 4000, recordDispatch), 0);
  world->lost = true;
  world->loss = {};
  EXPECT_EQ(net_poll_links(), 3);
  ASSERT_EQ(told().size(), 3u);
  EXPECT_EQ(told()[2], "World link lost: no reason given; 0 bytes received in 0 frames, 0 bytes pending");
}

TEST_F(ServerLink, ReplayingPollsNothing) {
  connectBoth();
  world->outcomes.push_back(NetPoll::Lost);
  replaying = 1;
  EXPECT_EQ(net_poll_links(), 1);
  EXPECT_EQ(world->polls + chat->polls, 0);
}

TEST_F(ServerLink, LossExitAfterMoreThanThirtySeconds) {
  connectBoth();
  task_current_row = kGameMainRow;  // links stay connected while the word is set
  world->lost = true;
  EXPECT_EQ(net_poll_links(), 3);
  EXPECT_EQ(net_link.loss_time, kT);
  frame_input.frame_time = kT + 30000;
  EXPECT_EQ(net_poll_links(), 3);  // exactly 30000 stays

  frame_input.frame_time = kT + 30001;
  try {
    net_poll_links();
    FAIL() << "no exit";
  } catch (const plat::test::ExitCalled& e) {
    EXPECT_EQ(e.code, 0);
  }
}

TEST_F(ServerLink, NonLossPollClearsTheLossTimer) {
  connectBoth();
  task_current_row = kGameMainRow;
  world->lost = true;
  EXPECT_EQ(net_poll_links(), 3);
  world->lost = false;
  frame_input.frame_time = kT + 10000;
  EXPECT_EQ(net_poll_links(), 0);
  EXPECT_EQ(net_link.loss_time, 0u);
  world->lost = true;
  frame_input.frame_time = kT + 20000;
  EXPECT_EQ(net_poll_links(), 3);
  frame_input.frame_time = kT + 30001;
  EXPECT_EQ(net_poll_links(), 3);  // 10001 ms since the new loss
  EXPECT_EQ(net_link.loss_time, kT + 20000);
}

TEST_F(ServerLink, ChatHealthDoesNotHideADeadWorldLink) {
  connectBoth();
  net_link.own_disconnect = 1;  // after the server's own disconnect notice
  world->lost = true;
  for (uint32_t t = 0; t <= 30000; t += 1000) {
    frame_input.frame_time = kT + t;
    chat->outcomes.push_back(NetPoll::Delivered);
    ASSERT_EQ(net_poll_links(), 3);
  }
  frame_input.frame_time = kT + 30001;
  EXPECT_THROW(net_poll_links(), plat::test::ExitCalled);
}

TEST_F(ServerLink, Operations) {
  // Replaying: nothing reaches the library.
  replaying = 1;
  uint8_t block[64] = {};
  EXPECT_EQ(net_connect_world(1, 2, recordDispatch), 0);
  EXPECT_EQ(net_connect_chat(1, 2, 3, recordDispatch), 0);
  EXPECT_EQ(net_link.world_connected, 0);
  EXPECT_EQ(net_send_world(0x20000, 0, "x", 1), 0);
  EXPECT_EQ(net_build_login_block("a", "b", block, 64), 0);
  EXPECT_EQ(world->connects + chat->connects, 0);
  EXPECT_TRUE(world->sends.empty());
  EXPECT_EQ(world->logins, 0);
  replaying = 0;

  // Unconnected: -1 and no message.
  EXPECT_EQ(net_send_world(1, 0, nullptr, 0), -1);
  EXPECT_EQ(net_send_chat(1, 0, nullptr, 0), -1);
  EXPECT_EQ(net_build_login_block("a", "b", block, 64), -1);
  EXPECT_EQ(net_disconnect_all(0), -1);
  EXPECT_EQ(logged("disconnected"), 0);

  // A failed connect leaves the flag clear.
  world->connectResult = -1;
  EXPECT_EQ(net_connect_world(0x0100007F, 4000, recordDispatch), -1);
  EXPECT_EQ(net_link.world_connected, 0);
  world->connectResult = 0;

  ASSERT_EQ(net_connect_world(0x0100007F, 0x12345, recordDispatch), 0);
  EXPECT_EQ(world->host, 0x0100007Fu);  // passed on as it is
  EXPECT_EQ(world->port, 0x12345);
  EXPECT_EQ(world->version, NET_WORLD_VERSION);
  EXPECT_EQ(net_connect_world(0x0100007F, 4000, recordDispatch), -1);  // already connected
  world->sendResult = 7;
  EXPECT_EQ(net_send_world(0x20000, -2, "pay", 3), 7);  // the library's result
  ASSERT_EQ(world->sends.size(), 1u);
  EXPECT_EQ(world->sends[0].arg, -2);
  EXPECT_EQ(world->sends[0].payload, (std::vector<uint8_t>{'p', 'a', 'y'}));
  EXPECT_EQ(net_build_login_block("acc", "pw", block, 64), 0);
  EXPECT_EQ(block[0], 'a');
  EXPECT_EQ(block[32], 'p');

  // Only the world link connected: it is disconnected, and the result is still -1.
  EXPECT_EQ(net_chat_is_connected(), 0);
  EXPECT_EQ(net_disconnect_all(5), -1);
  EXPECT_EQ(world->disconnects, 1);
  EXPECT_EQ(net_link.world_connected, 0);
  EXPECT_EQ(net_link.own_disconnect, 1);

  ASSERT_EQ(net_connect_chat(0x0100007F, 4001, 0x30004, recordDispatch), 0);
  EXPECT_EQ(chat->version, 0x30004u);
  EXPECT_EQ(net_chat_is_connected(), 1);
  EXPECT_EQ(net_disconnect_all(0), 0);  // the chat link's disconnect result
  EXPECT_EQ(net_link.own_disconnect, 0);
  EXPECT_EQ(chat->disconnects, 1);
}

TEST_F(ServerLink, ReceivedMessagesReachTheDispatcherToBeRecorded) {
  connectBoth();
  world->inbound.push_back({0x20001, 3, {'o', 'k'}});
  chat->inbound.push_back({0x40000, -1, {}});
  EXPECT_EQ(net_poll_links(), 1);
  ASSERT_EQ(g_dispatched.size(), 2u);
  EXPECT_EQ(g_dispatched[0].id, 0x20001u);
  EXPECT_EQ(g_dispatched[0].payload, "ok");
  EXPECT_FALSE(g_dispatched[0].do_not_record);
  EXPECT_EQ(g_dispatched[1].arg, -1);
  EXPECT_FALSE(g_dispatched[1].do_not_record);
}

TEST_F(ServerLink, UnloadReleasesBothLinks) {
  connectBoth();
  EXPECT_EQ(net_unload_client(), 0);
  EXPECT_TRUE(world->released);
  EXPECT_TRUE(chat->released);
  EXPECT_EQ(net_link.world, nullptr);
  EXPECT_EQ(net_send_world(1, 0, nullptr, 0), -1);
}

}  // namespace
