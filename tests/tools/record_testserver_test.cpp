// A recording made against the scripted test server, replayed by a fresh client state: the same
// world messages and input samples come back, in the same order, without the network.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "client/net_msg/net_dispatch.h"
#include "plat/sockets.h"
#include "tests/client/task_fixture.h"
#include "tests/tools/running_server.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string hex(const uint8_t* p, uint32_t n) {
  std::string s;
  char b[3];
  for (uint32_t i = 0; i < n; ++i) {
    std::snprintf(b, sizeof b, "%02x", p[i]);
    s += b;
  }
  return s;
}

std::string message_line(uint32_t id, int32_t arg, const uint8_t* p, uint32_t n) {
  return "msg " + std::to_string(id) + " " + std::to_string(arg) + " " + hex(p, n);
}
std::string input_line(uint8_t key, uint8_t scan) { return "input " + std::to_string(key) + " " + std::to_string(scan); }

// The record file's entries in the same form.
std::vector<std::string> file_lines(const std::string& bytes) {
  std::vector<std::string> out;
  if (bytes.size() < RECORD_ENTRIES_AT) return out;
  plat::ByteReader r(bytes.data() + RECORD_ENTRIES_AT, bytes.size() - RECORD_ENTRIES_AT);
  while (!r.empty()) {
    r.u32("tag");
    r.u32("time");
    const uint32_t code = r.u32("code");
    const int32_t arg = r.i32("arg");
    const uint32_t kind = r.u32("kind");
    const uint32_t len = r.u32("length");
    const auto payload = r.bytes(len);
    if (kind == RECORD_KIND_WORLD) out.push_back(message_line(code, arg, payload.data(), len));
    if (kind == RECORD_KIND_INPUT) out.push_back(input_line(payload[17], payload[18]));
  }
  return out;
}

std::vector<std::string>* g_replayed = nullptr;
int replayed_world(uint32_t id, int32_t arg, const uint8_t* p, uint32_t n, bool do_not_record) {
  EXPECT_TRUE(do_not_record);
  g_replayed->push_back(message_line(id, arg, p, n));
  return 0;
}

const char* kScript =
    "expect world hello 0x2030001\n"
    "expect world 0x20000 0 len=64\n"
    "send world 0x7F000001 5 str:\"first\"\n"
    "expect world 0x7F000100 1\n"
    "send world 0x7F000002 -3 hex:00FF10\n"
    "send world 0x7F000003 0\n"
    "expect world 0x7F000100 2\n"
    "send world 0x7F000004 77 zero:300\n"
    "wait 200\n"
    "end\n";

class EndToEnd : public task_test::TaskTest {
 protected:
  void TearDown() override {
    net_unload_client();
    TaskTest::TearDown();
  }

  // Frames (with real pauses, the link being real) until done() or 10 s.
  bool framesUntil(const std::function<bool()>& done) {
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < end) {
      if (done()) return true;
      frame_step();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
  }

  void press(uint32_t vk, int32_t lParam) {
    hp().inject(plat::Msg{window, plat::WM_KEYDOWN, vk, lParam, 0});
    frame_step();
    hp().inject(plat::Msg{window, plat::WM_KEYUP, vk, lParam | static_cast<int32_t>(0xC0000000u), 0});
    frame_step();
  }
};

TEST_F(EndToEnd, RecordAgainstTestServer) {
  testserver::Options o;
  o.maxSeconds = 20;
  veldra_test::RunningServer server(kScript, o);
  ASSERT_TRUE(server.listening());

  // Record: the world link through the client's own dispatcher.
  frame_step();
  record_start();
  const std::string path = record_state.file_name;
  ASSERT_EQ(net_load_client(), 0);
  ASSERT_EQ(net_connect_world(plat::net::inetAddr("127.0.0.1"), server.world(), net_dispatch_message), 0);
  uint8_t block[64] = {};
  ASSERT_EQ(net_build_login_block("player", "secret", block, 64), 0);
  ASSERT_EQ(net_send_world(0x20000, 0, block, 64), 0);
  auto recorded = [&] { return file_lines(hostFile(path)); };

  press(0x0D, 0x001C0001);  // before the first message: not recorded
  ASSERT_TRUE(framesUntil([&] { return recorded().size() == 1; }));
  press(0x0D, 0x001C0001);                              // Enter: key 13, scan 141
  ASSERT_EQ(net_send_world(0x7F000100, 1, nullptr, 0), 0);
  ASSERT_TRUE(framesUntil([&] { return recorded().size() == 4; }));
  press(0x41, 0x001E0001);  // 'A': a scan code only
  ASSERT_EQ(net_send_world(0x7F000100, 2, nullptr, 0), 0);
  ASSERT_TRUE(framesUntil([&] { return recorded().size() == 6; }));
  net_disconnect_all(1);
  EXPECT_EQ(server.finish(), 0);

  const std::string zero300 = std::string(600, '0');
  const std::vector<std::string> want = {
      "msg " + std::to_string(0x7F000001) + " 5 " + hex(reinterpret_cast<const uint8_t*>("first"), 5),
      input_line(13, 141),
      "msg " + std::to_string(0x7F000002) + " -3 00ff10",
      "msg " + std::to_string(0x7F000003) + " 0 ",
      input_line(0, 97),
      "msg " + std::to_string(0x7F000004) + " 77 " + zero300,
  };
  ASSERT_EQ(recorded(), want);

  // Replay in a fresh client state, without the links.
  net_unload_client();
  net_link_reset();
  record_state_reset();
  std::vector<std::string> replayed;
  g_replayed = &replayed;
  record_dispatch.world = replayed_world;
  frame_step();
  record_load(path.c_str());
  ASSERT_EQ(replaying, 1);
  bool ended = false;
  for (int i = 0; i < 2000 && !ended; ++i) {
    try {
      frame_step();
    } catch (const plat::test::ExitCalled& e) {
      EXPECT_EQ(e.code, 0);
      ended = true;
    }
    if (!ended && (frame_input.key_code || frame_input.scan_code))
      replayed.push_back(input_line(frame_input.key_code, frame_input.scan_code));
  }
  g_replayed = nullptr;
  EXPECT_TRUE(ended);
  EXPECT_EQ(replayed, want);
}

}  // namespace
