// The blocking gateway query against the scripted gateway: replies of every shape, the connect
// road, and the worker's post.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "plat/sockets.h"
#include "tests/tools/running_server.h"
#include "tests/updater/gateway_fixture.h"
#include "updater/gateway_reply.h"

namespace {

using namespace gateway_test;

constexpr uint32_t kLoopback = 0x0100007F;  // 127.0.0.1 as its bytes in memory

// Real time: a fake sleep would burn the receive attempts before the server has answered.
class GatewayQuery : public GatewayTest {
 protected:
  void configure(plat::HeadlessOptions& o) override { o.realClock = true; }
  void SetUp() override {
    GatewayTest::SetUp();
    dlg().timing.connectRetryMs = 5;
    dlg().timing.recvWaitMs = 2;
  }

  // Plays `steps` on a gateway of its own and runs the query against it.
  int query(const std::string& steps) {
    testserver::Options o;
    o.gatewayPort = 0;
    o.maxSeconds = 30;
    veldra_test::RunningServer server("expect gateway connect\n" + steps, o);
    if (!server.listening()) return -1;
    updater::chosenServer().loginPort = server.server().gatewayPort();
    return dlg().QueryDoor();
  }

  // The unpacker saw the archive and unpacked it (an empty one unpacks successfully).
  bool infoZipHandedOver() {
    for (const std::string& l : hp().debugLines())
      if (l.find("gateway query: info.zip unpacked (1)") != std::string::npos) return true;
    return false;
  }
};

const Bytes kLineA = line("Line 1", 100101, kLoopback, 7000, 100, 1, 0xCCBBAA);  // padding kept as sent
const Bytes kLineB = line("Line 2", 100102, kLoopback, 7001, 600, 0);

Bytes validBody() {
  return concat({le32(2), kLineA, kLineB, block("127.0.0.1"), block("/pub"), block(emptyZip())});
}
Bytes reply(const Bytes& body) { return concat({le32(static_cast<uint32_t>(body.size() + 4)), body}); }
std::string raw(const Bytes& b) { return "send gateway raw hex:" + hex(b) + "\n"; }

TEST_F(GatewayQuery, ValidReplyFillsTableFtpAndHandsOverTheArchive) {
  presetTable();
  ASSERT_EQ(query(raw(reply(validBody())) + "close gateway\n"), updater::DOOR_OK);
  EXPECT_EQ(tableBytes(), concat({kLineA, kLineB}));
  EXPECT_EQ(updater::engineFtpConfig().server, "127.0.0.1");
  EXPECT_EQ(updater::engineFtpConfig().directory, "/pub");
  EXPECT_EQ(updater::engineFtpConfig().userName, "anonymous");
  EXPECT_TRUE(infoZipHandedOver());
  EXPECT_FALSE(dir.exists("info.zip"));
}

TEST_F(GatewayQuery, Replies) {
  const Bytes two = concat({le32(2), kLineA, kLineB});
  const Bytes ftp = concat({block("127.0.0.1"), block("/pub")});
  const Bytes fullBody = validBody();
  const Bytes fullReply = reply(fullBody);
  // The largest reply: its archive fills what the length leaves.
  const uint32_t bigZip = updater::GATEWAY_REPLY_MAX - 4 - static_cast<uint32_t>(two.size() + ftp.size()) - 4;
  struct Case {
    const char* what;
    std::string steps;
    int code;
    bool newRecords;  // else the preset table is untouched
  } cases[] = {
      {"length 4", raw(le32(4)) + "close gateway\n", updater::DOOR_BAD_LENGTH, false},
      {"length 92160", "send gateway reply hex:" + hex(concat({two, ftp})) + " i32:" + std::to_string(bigZip) +
                           " zero:" + std::to_string(bigZip) + "\nclose gateway\n",
       updater::DOOR_OK, true},
      {"length 92161", raw(le32(92161)) + "close gateway\n", updater::DOOR_BAD_LENGTH, false},
      {"closed before the length", "close gateway\n", updater::DOOR_CLOSED_BEFORE_LENGTH, false},
      {"closed inside the length", raw({0xDF, 0x00}) + "close gateway\n", updater::DOOR_CLOSED_BEFORE_LENGTH, false},
      {"length in 1 + 3 bytes",
       raw(Bytes(fullReply.begin(), fullReply.begin() + 1)) + "wait 100\n" +
           raw(Bytes(fullReply.begin() + 1, fullReply.end())) + "close gateway\n",
       updater::DOOR_OK, true},
      {"closed mid-body", raw(Bytes(fullReply.begin(), fullReply.begin() + 100)) + "close gateway\n",
       updater::DOOR_CLOSED_IN_REPLY, false},
      {"silent", "wait 10000\n", updater::DOOR_BAD_LENGTH, false},
      {"N = 0", raw(reply(concat({le32(0), Bytes(200, 0)}))) + "close gateway\n", updater::DOOR_BAD_LINES, false},
      {"N = 101", raw(reply(concat({le32(101), Bytes(84 * 101 + 100, 0)}))) + "close gateway\n",
       updater::DOOR_BAD_LINES, false},
      // 84N wraps to 68 in 32 bits.
      {"N = 0x0C30C30D", raw(reply(concat({le32(0x0C30C30D), Bytes(100, 0)}))) + "close gateway\n",
       updater::DOOR_BAD_LINES, false},
      {"S = 0", raw(reply(concat({two, block(""), block("/pub"), block(emptyZip())}))) + "close gateway\n",
       updater::DOOR_BAD_FTP, true},
      {"S = 1001", raw(reply(concat({two, block(std::string(1001, 'f')), block("/pub"), block(emptyZip())}))) +
                       "close gateway\n",
       updater::DOOR_BAD_FTP, true},
      {"archive one byte short", raw(reply(concat({two, ftp, le32(22), Bytes(21, 0)}))) + "close gateway\n",
       updater::DOOR_BAD_ARCHIVE, true},
      {"archive one byte long", raw(reply(concat({two, ftp, le32(22), Bytes(23, 0)}))) + "close gateway\n",
       updater::DOOR_BAD_ARCHIVE, true},
      {"nothing after the lines", raw(reply(two)) + "close gateway\n", updater::DOOR_BAD_FTP, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    presetTable();
    EXPECT_EQ(query(c.steps), c.code);
    if (c.newRecords)
      EXPECT_EQ(tableBytes(), concat({kLineA, kLineB}));
    else
      EXPECT_TRUE(tableIsPreset());
    EXPECT_FALSE(dir.exists("info.zip"));
  }
}

TEST_F(GatewayQuery, InfoZipThatCannotBeCreated) {
  dir.mkdir("info.zip");
  presetTable();
  EXPECT_EQ(query(raw(reply(validBody())) + "close gateway\n"), updater::DOOR_BAD_ARCHIVE);
  EXPECT_EQ(tableBytes(), concat({kLineA, kLineB}));
  EXPECT_FALSE(infoZipHandedOver());
}

// The worker: a failure is tried once more; the post carries only the outcome.
TEST_F(GatewayQuery, Thread) {
  struct Case {
    std::string steps;
    uint32_t status;
  } cases[] = {
      {"close gateway\nexpect gateway connect\n" + raw(reply(validBody())) + "close gateway\n", updater::UPD_DOOR_DONE},
      {"close gateway\nexpect gateway connect\nclose gateway\n", updater::UPD_WRITE_DOOR_ERROR},
  };
  for (const Case& c : cases) {
    testserver::Options o;
    o.gatewayPort = 0;
    veldra_test::RunningServer server("expect gateway connect\n" + c.steps, o);
    ASSERT_TRUE(server.listening());
    updater::chosenServer().loginPort = server.server().gatewayPort();
    std::thread worker(updater::DoorQueryThread, &dlg());
    const updater::Status s = sink.take();
    worker.join();
    EXPECT_EQ(s.code, c.status);
    EXPECT_EQ(s.lParam, 0);
    EXPECT_FALSE(sink.tryTake().has_value());
    EXPECT_EQ(server.finish(), 0);
  }
}

int openDescriptors() {
  int n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

// The fake clock: each failed attempt is followed by its wait, and no socket is left behind.
class GatewayRefused : public GatewayTest {};

TEST_F(GatewayRefused, TenAttemptsTenWaitsNoSocketLeft) {
  uint16_t port = 0;
  {
    plat::net::Socket l = plat::net::listen("127.0.0.1", 0, 1);
    port = plat::net::local(l)->port;
  }  // closed: connecting is refused
  updater::chosenServer().loginPort = port;
  presetTable();
  const int fds = openDescriptors();
  const uint32_t t0 = plat::get().clock().ms();
  EXPECT_EQ(dlg().QueryDoor(), updater::DOOR_NO_CONNECTION);
  EXPECT_EQ(plat::get().clock().ms() - t0, 10u * 500u);
  EXPECT_EQ(openDescriptors(), fds);
  EXPECT_TRUE(tableIsPreset());
}

}  // namespace
