// The world dispatcher against the scripted server over loopback: every id that still has a
// placeholder and every inline id, empty and with random payloads, absent neighbour ids, a payload
// at the framing cap, and last a frame above the cap, all through the real link and headless
// frame steps while recording; then the record file replayed.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "client/game/frame_step.h"
#include "client/game/replay_state.h"
#include "client/handover/replay_controls.h"
#include "plat/netframe.h"
#include "plat/sockets.h"
#include "tests/client/net_msg_fixture.h"
#include "tests/tools/running_server.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Sent {
  uint32_t id;
  int32_t arg;
  std::vector<uint8_t> payload;
  bool operator==(const Sent&) const = default;
};

std::vector<Sent> g_live;      // what the world callback received
std::vector<Sent> g_replayed;  // what the replay fed
bool g_replayFlagsRight = true;
int g_recordAttempts = 0;

int liveDispatch(uint32_t id, int32_t arg, const uint8_t* payload, uint32_t len, bool do_not_record) {
  g_live.push_back({id, arg, payload ? std::vector<uint8_t>(payload, payload + len) : std::vector<uint8_t>()});
  return net_dispatch_message(id, arg, payload, len, do_not_record);
}

int replayDispatch(uint32_t id, int32_t arg, const uint8_t* payload, uint32_t len, bool do_not_record) {
  g_replayed.push_back({id, arg, payload ? std::vector<uint8_t>(payload, payload + len) : std::vector<uint8_t>()});
  g_replayFlagsRight &= do_not_record;
  return net_dispatch_message(id, arg, payload, len, do_not_record);
}

void countingWriter(const RECORD_ENTRY&) { ++g_recordAttempts; }

bool excluded(uint32_t id) { return id == 0x20001 || id == 0x30004 || id == 0x30007 || id == MSG_RECORD_MIRROR; }

std::string hexOf(const std::vector<uint8_t>& b) {
  static const char* digits = "0123456789ABCDEF";
  std::string s;
  for (uint8_t v : b) {
    s += digits[v >> 4];
    s += digits[v & 15];
  }
  return s;
}

// The record file's world entries.
std::vector<Sent> recordedEntries(const std::string& file) {
  std::vector<Sent> out;
  plat::ByteReader r(file.data(), file.size());
  r.skip(RECORD_ENTRIES_AT);
  while (!r.empty()) {
    EXPECT_EQ(r.u32("tag"), RECORD_TAG);
    r.u32("time");
    Sent s;
    s.id = r.u32("id");
    s.arg = r.i32("arg");
    const uint32_t kind = r.u32("kind");
    const uint32_t len = r.u32("length");
    const auto bytes = r.bytes(len);
    s.payload.assign(bytes.begin(), bytes.end());
    if (kind == RECORD_KIND_WORLD) out.push_back(std::move(s));
  }
  return out;
}

class NetMsgEndToEnd : public box_test::BoxTest {
 protected:
  void SetUp() override {
    BoxTest::SetUp();
    task_current_row = 5;  // outside the game main task: a loss shows its box
    g_live.clear();
    g_replayed.clear();
    g_replayFlagsRight = true;
    g_recordAttempts = 0;
  }
  void TearDown() override {
    net_unload_client();
    BoxTest::TearDown();
  }

  // Frame steps until done() or 30 s of wall time.
  template <typename Done>
  bool stepUntil(Done done) {
    const auto end = Clock::now() + std::chrono::seconds(30);
    while (Clock::now() < end) {
      frame_step();
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
  }
};

TEST_F(NetMsgEndToEnd, ScriptedServerThroughTheRealLink) {
  // What the server sends, in order.
  std::vector<uint32_t> ids = net_msg_pending_ids();
  for (const NET_MSG_ROW& r : net_msg_table())
    if (r.kind != NetMsgKind::Handler) ids.push_back(r.id);
  std::set<uint32_t> neighbours;
  for (const NET_MSG_ROW& r : net_msg_table())
    for (uint32_t n : {r.id - 1, r.id + 1})
      if (!net_msg_find(n) && n != 0) neighbours.insert(n);
  for (uint32_t n : {0x3000bu, 0x120005u, 0x13000au, 0x170007u, 0x140001u, 0xFFFFFFFFu}) neighbours.insert(n);

  std::mt19937 rng(12);
  std::vector<Sent> sent;
  auto randomBytes = [&](size_t n) {
    std::vector<uint8_t> b(n);
    for (uint8_t& v : b) v = static_cast<uint8_t>(rng());
    return b;
  };
  for (uint32_t id : ids) sent.push_back({id, static_cast<int32_t>(rng()), {}});
  for (uint32_t id : ids) sent.push_back({id, static_cast<int32_t>(rng()), randomBytes(1024)});
  for (uint32_t id : neighbours) sent.push_back({id, -1, randomBytes(rng() % 64)});
  uint32_t capId = 0x40008;
  for (uint32_t id : ids)
    if (!excluded(id) && net_msg_find(id)->kind == NetMsgKind::Handler) {
      capId = id;
      break;
    }
  sent.push_back({capId, 0, std::vector<uint8_t>(plat::netframe::kDefaultMaxPayload, 0)});

  std::string script = "expect world hello\n";
  for (const Sent& s : sent) {
    if (s.payload.size() > 4096) continue;
    script += "send world " + std::to_string(s.id) + " " + std::to_string(s.arg);
    if (!s.payload.empty()) script += " hex:" + hexOf(s.payload);
    script += "\n";
  }
  script += "send world " + std::to_string(capId) + " 0 zero:" + std::to_string(plat::netframe::kDefaultMaxPayload) +
            "\n";
  // The frame above the cap comes once the client said it got everything.
  script += "expect world 0x7777 within 30000\n";
  script += "send world 0x30001 0 zero:" + std::to_string(plat::netframe::kDefaultMaxPayload + 1) + "\n";
  script += "wait 300\nend\n";

  testserver::Options o;
  o.maxSeconds = 60;
  o.maxPayload = plat::netframe::kDefaultMaxPayload + 16;
  veldra_test::RunningServer server(script, o);
  ASSERT_TRUE(server.listening());

  record_start();
  ASSERT_EQ(record_state.recording, 1);
  const std::string recordFile = record_state.file_name;
  ASSERT_EQ(net_load_client(), 0);
  ASSERT_EQ(net_connect_world(plat::net::inetAddr("127.0.0.1"), server.world(), liveDispatch), 0);

  ASSERT_TRUE(stepUntil([&] { return g_live.size() >= sent.size(); })) << g_live.size() << " of " << sent.size();
  EXPECT_EQ(net_link.world_connected, 1);  // the link stayed up
  ASSERT_EQ(g_live.size(), sent.size());
  for (size_t i = 0; i < sent.size(); ++i) EXPECT_TRUE(g_live[i] == sent[i]) << i << " id " << std::hex << sent[i].id;

  // The inline rows ran: undo the words that would change how the loss below is handled.
  EXPECT_EQ(net_link.own_disconnect, 1);
  EXPECT_EQ(record_state.mirror, 1);
  net_link.own_disconnect = 0;
  link_lost_word = 0;
  ASSERT_EQ(net_send_world(0x7777, 0, nullptr, 0), 0);
  scheduleMessage(elapsedMs() + 2000, plat::WM_LBUTTONUP, 0, (300 << 16) | 400);  // the loss box
  EXPECT_TRUE(stepUntil([] { return net_link.world_connected == 0; }));
  EXPECT_EQ(server.finish(), 0);

  // error.txt: one placeholder line per placeholder id, nothing caught, the loss.
  for (uint32_t id : net_msg_pending_ids()) {
    char want[128];
    std::snprintf(want, sizeof want, "net_msg %x %s: no handler yet", id, net_msg_find(id)->name);
    const std::string log = errorTxt();
    size_t n = 0;
    for (size_t at = log.find(want); at != std::string::npos; at = log.find(want, at + 1)) ++n;
    EXPECT_EQ(n, 1u) << want;
  }
  EXPECT_EQ(errorTxt().find("Except code"), std::string::npos);
  EXPECT_NE(errorTxt().find("World server is disconnected"), std::string::npos);

  // The record file: every message in order, minus the four never recorded.
  std::vector<Sent> wantRecorded;
  for (const Sent& s : sent)
    if (!excluded(s.id)) wantRecorded.push_back(s);
  const std::vector<Sent> recorded = recordedEntries(dir.read(recordFile));
  ASSERT_EQ(recorded.size(), wantRecorded.size());
  for (size_t i = 0; i < recorded.size(); ++i) EXPECT_TRUE(recorded[i] == wantRecorded[i]) << i;

  // Replayed: the same ids, none recorded again.
  record_state_reset();
  task_current_row = RECORD_LOGIN_ROW;  // entries of 0x50001 wait for the game login otherwise
  record_dispatch.world = replayDispatch;
  record_load(recordFile.c_str());
  ASSERT_EQ(replaying, 1);
  record_state.recording = 1;  // would record, were the replayed messages not marked
  net_dispatch_set_record_writer(countingWriter);
  replay_running.store(1);
  for (int i = 0; i < 100000 && record_state.cursor < replay_entries.count; ++i) {
    frame_input.frame_time += 100000;
    replay_step();
  }
  EXPECT_TRUE(g_replayFlagsRight);
  EXPECT_EQ(g_recordAttempts, 0);
  ASSERT_EQ(g_replayed.size(), wantRecorded.size());
  for (size_t i = 0; i < g_replayed.size(); ++i) EXPECT_TRUE(g_replayed[i] == wantRecorded[i]) << i;
}

}  // namespace
