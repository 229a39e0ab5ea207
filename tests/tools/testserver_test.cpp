// The scripted test server: script language, payload items, bounds and profiles in-process; the
// program's command line; and the client's links played against it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "client/game/frame_input.h"
#include "client/game/replay_state.h"
#include "client/game/task_state.h"
#include "client/net/net_link.h"
#include "engine/system/system.h"
#include "plat/bytes.h"
#include "plat/handover.h"
#include "plat/netclient.h"
#include "plat/netframe.h"
#include "plat/sockets.h"
#include "plat/winmsg.h"
#include "tests/client/message_box_fixture.h"
#include "tests/tools/raw_client.h"
#include "tests/tools/running_server.h"
#include "tools/testserver/server.h"

namespace {

namespace net = plat::net;
namespace nf = plat::netframe;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

// Transcript lines without their time stamps.
std::vector<std::string> events(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const std::string& l : lines) out.push_back(l.substr(l.find(' ') + 1));
  return out;
}

std::vector<std::string> readLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> out;
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

// A server playing `script` in this process; the scripts here end well within 20 seconds, the
// limit unless a test sets its own.
class InProcessServer : public veldra_test::RunningServer {
 public:
  InProcessServer(const std::string& script, testserver::Options o = {}) : RunningServer(script, quick(o)) {}
  std::vector<std::string> transcript() const { return events(server().transcript()); }

 private:
  static testserver::Options quick(testserver::Options o) {
    if (o.maxSeconds == 60) o.maxSeconds = 20;
    return o;
  }
};

using veldra_test::RawClient;

// One fixture for the whole suite: a headless platform with SYSTEM and the real message box (the
// box_test fixture); the program's scratch folder is the game folder; the client tests bind the
// links with startClient().
class TestServer : public box_test::BoxTest {
 protected:
  void TearDown() override {
    net_unload_client();
    BoxTest::TearDown();
  }

  std::string path(const char* name) const { return dir.hostPath(name); }
  void write(const char* name, const std::string& text) const { dir.write(name, text); }
  // Runs the program to its end; its exit code.
  static int run(const std::string& args) {
    const int status = std::system((std::string(VELDRA_TESTSERVER_BIN) + " " + args).c_str());
    return (status >> 8) & 0xFF;
  }

  void startClient() {
    net_link_reset();
    task_current_row = 5;  // account input: outside the game main task
    link_lost_word = 0;
    replaying = 0;
    frame_input.frame_time = hp().clock().ms();
    ASSERT_EQ(net_load_client(), 0);
    g_world.clear();
    g_chat.clear();
  }

  // Polls both links as the frame step would, until the predicate holds or 10 s pass.
  template <typename Pred>
  int pollUntil(Pred done) {
    int r = 0;
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < end) {
      r = net_poll_links();
      frame_input.frame_time += 1;
      if (done(r)) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return r;
  }

  static int onWorld(uint32_t id, int32_t arg, const uint8_t* payload, uint32_t len, bool) {
    g_world.push_back(id);
    if (id == 0x30004) {  // the chat server's address: connect from inside the world callback
      plat::ByteReader r(payload, len);
      const uint32_t host = r.u32("host");
      const int32_t port = r.i32("port");
      EXPECT_EQ(net_connect_chat(host, port, static_cast<uint32_t>(arg), onChat), 0);
      EXPECT_EQ(net_send_chat(0x3001C, 0, nullptr, 0), 0);
    }
    return 0;
  }
  static int onChat(uint32_t id, int32_t, const uint8_t* payload, uint32_t len, bool) {
    g_chat.push_back(id);
    g_chatText.assign(reinterpret_cast<const char*>(payload), len);
    return 0;
  }

  void playLogin(uint16_t worldPort);

  static std::vector<uint32_t> g_world, g_chat;
  static std::string g_chatText;
};
std::vector<uint32_t> TestServer::g_world, TestServer::g_chat;
std::string TestServer::g_chatText;

TEST_F(TestServer, ScriptErrorsNameTheLine) {
  struct Row {
    const char* script;
    int line;
  } rows[] = {
      {"bogus world", 1},
      {"# comment\n\nexpect moon hello", 3},
      {"send world 0x20000", 1},
      {"send world 1 0 u8:256", 1},
      {"send world 1 0 hex:ABC", 1},
      {"send world 1 0 str:\"open", 1},
      {"send world 1 0 str:\"\\xZZ\"", 1},
      {"send world 1 0 addr:moon", 1},
      {"send world 0 0", 1},  // id 0 belongs to the client's hello
      {"raw world", 1},       // raw needs bytes
      {"wait\n", 1},
      {"end\nexpect world 1 any within", 2},
      {"on world 1 answer world 2 0", 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.script);
    try {
      testserver::Script::parse(r.script);
      ADD_FAILURE() << "accepted";
    } catch (const testserver::ScriptError& e) {
      EXPECT_EQ(e.line, r.line);
    }
  }
  testserver::Script ok = testserver::Script::parse(
      "expect world hello 0x2030001   # the world link\n"
      "expect chat 0x40000 any len=3 within 100\n"
      "on world 0x20010 reply chat 0x20011 -5 str:\"a #b\"\n"
      "wait 10\nclose chat\nend\n");
  ASSERT_EQ(ok.steps.size(), 6u);
  EXPECT_EQ(ok.steps[0].kind, testserver::Step::ExpectHello);
  EXPECT_EQ(*ok.steps[0].arg, 0x2030001);
  EXPECT_FALSE(ok.steps[1].arg.has_value());
  EXPECT_EQ(*ok.steps[1].length, 3u);
  EXPECT_EQ(ok.steps[1].withinMs, 100u);
  EXPECT_EQ(ok.steps[2].frame.link, testserver::Link::Chat);
  EXPECT_EQ(ok.steps[2].frame.arg, -5);
  EXPECT_EQ(ok.steps[2].frame.items[0].bytes, (Bytes{'a', ' ', '#', 'b'}));
}

TEST_F(TestServer, PayloadItemsAreWrittenAsGiven) {
  InProcessServer srv(
      "expect world hello\n"
      "send world 0x30004 -2 u8:1 u16:0x0203 u32:0x04050607 i32:-1 zero:2 hex:0A0b str:\"a\\x41\\\"\" addr:chat\n"
      "end\n");
  RawClient c(srv.world());
  c.send(0, 0x2030001);
  uint32_t id = 0;
  int32_t arg = 0;
  Bytes p;
  ASSERT_TRUE(c.next(id, arg, p));
  EXPECT_EQ(id, 0x30004u);
  EXPECT_EQ(arg, -2);
  Bytes want = {1, 3, 2, 7, 6, 5, 4, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0x0A, 0x0B, 'a', 'A', '"', 127, 0, 0, 1};
  const uint16_t port = srv.chat();
  for (int i = 0; i < 4; ++i) want.push_back(static_cast<uint8_t>(i < 2 ? port >> (8 * i) : 0));
  EXPECT_EQ(p, want);  // addr: the address bytes as they are, then the port, little-endian
  EXPECT_EQ(srv.finish(), 0);
}

// The updater's gateway: no framing, one length-prefixed reply, server lines that point back at
// the world listener.
TEST_F(TestServer, GatewayReplyAndItems) {
  write("arch.bin", "PK!");
  const std::string script =
      "expect gateway connect within 5000\n"
      "send gateway reply i32:1 line:\"Line 1\",100101,world,world,100,1 line:\"x y\",-7,10.1,40000,-3,255 "
      "lstr:\"ab\" lhex:0102 lfile:" + path("arch.bin") + "\n"
      "send gateway raw u8:9\n"
      "close gateway\n";
  testserver::Options o;
  o.gatewayPort = 0;
  InProcessServer srv(script, o);
  ASSERT_NE(srv.server().gatewayPort(), 0);
  RawClient c(srv.server().gatewayPort());
  Bytes got;
  for (auto end = Clock::now() + std::chrono::seconds(5); Clock::now() < end;) {
    uint8_t b[512];
    size_t n = 0;
    const net::Io r = net::recv(c.s, b, sizeof b, n);
    if (r == net::Io::Ok) got.insert(got.end(), b, b + n);
    if (r == net::Io::Closed) break;
    if (r == net::Io::WouldBlock) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(srv.finish(), 0);
  const size_t replyLength = 4 + 4 + 84 * 2 + 6 + 6 + 7;
  ASSERT_EQ(got.size(), replyLength + 1);
  plat::ByteReader r(got.data(), got.size());
  EXPECT_EQ(r.u32(), replyLength);  // the reply's own length field counts itself
  EXPECT_EQ(r.i32(), 1);
  EXPECT_EQ(r.fixedString(64), "Line 1");
  EXPECT_EQ(r.i32(), 100101);
  EXPECT_EQ(r.u32(), plat::ipv4NetworkOrder(127, 0, 0, 1));
  EXPECT_EQ(r.i32(), srv.world());
  EXPECT_EQ(r.i32(), 100);
  EXPECT_EQ(r.u8(), 1);
  EXPECT_EQ(r.bytes(3)[0], 0);
  EXPECT_EQ(r.fixedString(64), "x y");
  EXPECT_EQ(r.i32(), -7);
  EXPECT_EQ(r.u32(), plat::ipv4NetworkOrder(10, 0, 0, 1));  // inet_addr's rules
  EXPECT_EQ(r.i32(), 40000);
  EXPECT_EQ(r.i32(), -3);
  EXPECT_EQ(r.u8(), 255);
  r.skip(3);
  const Bytes tail(r.rest().begin(), r.rest().end());
  EXPECT_EQ(tail, (Bytes{2, 0, 0, 0, 'a', 'b', 2, 0, 0, 0, 1, 2, 3, 0, 0, 0, 'P', 'K', '!', 9}));
  const std::vector<std::string> t = srv.transcript();
  EXPECT_NE(std::find(t.begin(), t.end(), "gateway CONNECT"), t.end());
  EXPECT_NE(std::find(t.begin(), t.end(), "gateway SEND len=" + std::to_string(replyLength)), t.end());
  EXPECT_NE(std::find(t.begin(), t.end(), "gateway CLOSE"), t.end());

  // Nobody connects: the expect fails and names its line.
  InProcessServer idle("# nothing comes\nexpect gateway connect within 100\n");
  EXPECT_EQ(idle.finish(), 1);
  const std::vector<std::string> ti = idle.transcript();
  EXPECT_NE(std::find(ti.begin(), ti.end(), "FAIL line 2: expect gateway connect not met within 100 ms"), ti.end());

  for (const char* bad : {"send gateway raw", "expect gateway hello", "send gateway reply line:\"a\",1,world,world,1",
                          "send gateway reply line:a,1,world,world,1,1", "send gateway reply line:\"a\",1,1.2.3.x,1,1,1",
                          "send gateway reply lfile:/nonexistent/file", "close gateway now"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(testserver::Script::parse(bad), testserver::ScriptError);
  }
}

TEST_F(TestServer, ExpectMatchesIdArgumentAndLength) {
  InProcessServer srv(
      "expect world hello any\n"
      "expect world 0x20000 5 len=2 within 2000\n"
      "expect world 0x20000 any\n"
      "end\n");
  RawClient c(srv.world());
  c.send(0, 1);
  c.send(0x20000, 4, {1, 2});     // wrong argument: left for the second expect
  c.send(0x20000, 5, {1, 2, 3});  // wrong length
  c.send(0x20000, 5, {1, 2});
  EXPECT_EQ(srv.finish(), 0);
  const std::vector<std::string> t = srv.transcript();
  ASSERT_GE(t.size(), 5u);
  EXPECT_EQ(t[0], "world CONNECT");
  EXPECT_EQ(t[1], "world HELLO 0x1");
  EXPECT_EQ(t[2], "world RECV 0x20000 arg=4 len=2");
}

TEST_F(TestServer, UnmetExpectFailsAndNamesTheLine) {
  InProcessServer srv("expect world hello\nexpect world 0x20000 within 100\nend\n");
  RawClient c(srv.world());
  c.send(0, 1);
  EXPECT_EQ(srv.finish(), 1);
  const std::vector<std::string> t = srv.transcript();
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(t.back(), "FAIL line 2: expect world 0x20000 not met within 100 ms");
}

TEST_F(TestServer, EchoProfileAnswersEveryFrame) {
  testserver::Options o;
  o.profile = "echo";
  InProcessServer srv("wait 3000\n", o);
  RawClient c(srv.world());
  c.send(0, 9);  // the hello is not echoed
  c.send(0x777, -3, {9, 8, 7});
  c.send(0x778, 0);
  uint32_t id = 0;
  int32_t arg = 0;
  Bytes p;
  ASSERT_TRUE(c.next(id, arg, p));
  EXPECT_EQ(id, 0x777u);
  EXPECT_EQ(arg, -3);
  EXPECT_EQ(p, (Bytes{9, 8, 7}));
  ASSERT_TRUE(c.next(id, arg, p));
  EXPECT_EQ(id, 0x778u);
  EXPECT_TRUE(p.empty());
}

TEST_F(TestServer, BoundsEndTheRun) {
  {  // a length above the cap drops the connection
    InProcessServer srv("wait 2000\n");
    RawClient c(srv.world());
    auto h = nf::header(nf::kDefaultMaxPayload + 1, 5, 0);
    c.send(Bytes(h.begin(), h.end()));
    uint32_t id;
    int32_t arg;
    Bytes p;
    EXPECT_FALSE(c.next(id, arg, p));
    const std::vector<std::string> t = srv.transcript();
    EXPECT_NE(std::find(t.begin(), t.end(), "world CLOSE framing error"), t.end());
  }
  {  // more connections than allowed
    testserver::Options o;
    o.maxConnections = 2;
    InProcessServer srv("wait 5000\n", o);
    RawClient a(srv.world()), b(srv.chat()), c(srv.world());
    EXPECT_EQ(srv.finish(), 1);
    EXPECT_EQ(srv.transcript().back(), "STOP too many connections");
  }
  {  // no traffic
    testserver::Options o;
    o.idleSeconds = 1;
    InProcessServer srv("wait 20000\n", o);
    EXPECT_EQ(srv.finish(), 0);  // no expect was left unmet
    EXPECT_EQ(srv.transcript().back(), "STOP idle-seconds reached");
  }
  {  // only loopback
    testserver::Options o;
    o.bind = "10.0.0.1";
    testserver::Server s(o, {});
    std::string error;
    EXPECT_FALSE(s.listen(error));
    EXPECT_EQ(error, "testserver: loopback addresses only");
  }
}

TEST_F(TestServer, Cli) {
  EXPECT_EQ(run("--bind 10.0.0.1 --script x 2>" + path("err.txt")), 2);
  EXPECT_EQ(readLines(path("err.txt")), std::vector<std::string>{"testserver: loopback addresses only"});
  EXPECT_EQ(run("--help >" + path("help.txt")), 0);
  std::ifstream help(path("help.txt"));
  std::stringstream h;
  h << help.rdbuf();
  for (const char* bound : {"--max-seconds", "--idle-seconds", "--max-connections", "loopback", "--gateway-port"})
    EXPECT_NE(h.str().find(bound), std::string::npos) << bound;
  EXPECT_EQ(run("--script " + path("none.txt") + " 2>/dev/null"), 2);
  EXPECT_EQ(run("--max-seconds 601 --script x 2>/dev/null"), 2);

  // Ends by itself with no client; the unmet expect makes it 1 and names its line.
  write("wait.txt", "# nobody comes\nexpect world hello within 60000\n");
  const auto start = Clock::now();
  EXPECT_EQ(run("--script " + path("wait.txt") + " --max-seconds 1 --transcript " + path("t.txt") + " >/dev/null"), 1);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(30));
  const std::vector<std::string> t = events(readLines(path("t.txt")));
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0], "FAIL line 2: expect world hello not met (max-seconds reached)");
  EXPECT_EQ(t[1], "STOP max-seconds reached");

  // The gateway's port joins the others.
  write("end.txt", "end\n");
  EXPECT_EQ(run("--script " + path("end.txt") + " --gateway-port 0 --ports-file " + path("ports.txt") + " >/dev/null"), 0);
  const std::vector<std::string> ports = readLines(path("ports.txt"));
  ASSERT_EQ(ports.size(), 3u);
  EXPECT_EQ(ports[2].rfind("gateway ", 0), 0u);
  EXPECT_NE(ports[2], "gateway 0");
}

const char* kLoginScript =
    "expect world hello 0x2030001\n"
    "on world 0x20010 reply world 0x20011 5 str:\"pong\"\n"
    "expect world 0x20000 0 len=64\n"
    "send world 0x30004 0x30004 addr:chat\n"
    "expect chat hello 0x30004\n"
    "expect chat 0x3001C\n"
    "send chat 0x40000 1 str:\"hi\\xC4\\xE3\"\n"
    "expect world 0x20010\n"
    "wait 100\n"
    "close world\n"
    "end\n";

void expectLoginRun(const std::vector<std::string>& t) {
  const std::vector<std::string> want = {
      "world CONNECT",
      "world HELLO 0x2030001",
      "world RECV 0x20000 arg=0 len=64",
      "world SEND 0x30004 arg=196612 len=8",
      "chat CONNECT",
      "chat HELLO 0x30004",
      "chat RECV 0x3001c arg=0 len=0",
      "chat SEND 0x40000 arg=1 len=4",
      "world RECV 0x20010 arg=0 len=0",
      "world SEND 0x20011 arg=5 len=4",
      "world CLOSE",
  };
  ASSERT_GE(t.size(), want.size());
  EXPECT_EQ(std::vector<std::string>(t.begin(), t.begin() + static_cast<long>(want.size())), want);
}

// The client's side of the login script: login block, chat address (the chat link connected from
// inside the world callback), a chat line, a request with an automatic reply, then the world link
// closed by the server outside the game main task.
void TestServer::playLogin(uint16_t worldPort) {
  ASSERT_EQ(net_connect_world(net::inetAddr("127.0.0.1"), worldPort, onWorld), 0);
  uint8_t block[64] = {};
  ASSERT_EQ(net_build_login_block("player", "secret", block, 64), 0);
  ASSERT_EQ(net_send_world(0x20000, 0, block, 64), 0);
  pollUntil([](int) { return !g_chat.empty(); });
  ASSERT_EQ(g_chat, std::vector<uint32_t>{0x40000});
  EXPECT_EQ(g_chatText, "hi\xC4\xE3");
  ASSERT_EQ(net_send_world(0x20010, 0, nullptr, 0), 0);
  pollUntil([](int) { return g_world.size() >= 2; });
  EXPECT_EQ(g_world, (std::vector<uint32_t>{0x30004, 0x20011}));

  // The box that the loss opens waits for this click.
  scheduleMessage(elapsedMs() + 100, plat::WM_LBUTTONUP, 0, (300 << 16) | 400);
  EXPECT_EQ(pollUntil([](int r) { return r == 3; }), 3);
  EXPECT_EQ(net_link.world_connected, 0);
  EXPECT_EQ(net_link.chat_connected, 0);
  EXPECT_EQ(net_poll_links(), 1);
  EXPECT_NE(errorTxt().find("World server is disconnected\r\n"), std::string::npos);
}

TEST_F(TestServer, ClientLoginAndWorldLoss) {
  startClient();
  InProcessServer srv(kLoginScript);
  playLogin(srv.world());
  EXPECT_EQ(srv.finish(), 0);
  expectLoginRun(srv.transcript());
}

// A dropped link still shows its one box and log line; one debug line says why, with the byte
// counts, as the link found it.
TEST_F(TestServer, ClientLinkDropSaysWhy) {
  const std::string cap = std::to_string(nf::kDefaultMaxPayload);
  const std::string overCap = std::to_string(nf::kDefaultMaxPayload + 1);
  struct Row {
    const char* what;
    std::string script;  // after the hello
    std::vector<std::string> want;
  };
  const Row rows[] = {
      {"length over the cap",
       "send world 0x20011 0 str:\"ok\"\nraw world u32:" + overCap + " u32:0x20011 i32:0\n",
       {"World link lost: a length field over the payload cap; 26 bytes received in 1 frames, 12 bytes pending, "
        "length field " + overCap + ", cap " + cap + ", first bytes 01 00 10 00 11 00 02 00 00 00 00 00"}},
      {"cut short, then closed", "raw world u32:100 u32:0x20011 i32:0 zero:10\nclose world\n",
       {"World link lost: the server closed the link inside a frame; 22 bytes received in 0 frames, 22 bytes "
        "pending, length field 100, cap " + cap}},
      {"garbage", "raw world str:\"HTTP/1.1 400 Bad Request\\r\\n\\r\\n\"\n",
       {"World link lost: a length field over the payload cap; 28 bytes received in 0 frames, 28 bytes pending, "
        "length field 1347703880, cap " + cap + ", first bytes 48 54 54 50 2F 31 2E 31 20 34 30 30"}},
      {"closed between frames", "send world 0x20011 0\nclose world\n",
       {"World link lost: the server closed the link; 12 bytes received in 1 frames, 0 bytes pending"}},
  };
  auto lossLines = [&] {
    std::vector<std::string> out;
    for (const std::string& l : hp().debugLines())
      if (l.find("link lost") != std::string::npos) out.push_back(l);
    return out;
  };
  auto boxLines = [&] {
    const std::string log = errorTxt();
    size_t n = 0;
    for (size_t at = log.find("World server is disconnected"); at != std::string::npos;
         at = log.find("World server is disconnected", at + 1))
      ++n;
    return n;
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    startClient();
    hp().debugLines().clear();
    const size_t boxesBefore = boxLines();
    InProcessServer srv("expect world hello\n" + r.script + "wait 300\nend\n");
    ASSERT_EQ(net_connect_world(net::inetAddr("127.0.0.1"), srv.world(), onWorld), 0);
    scheduleMessage(elapsedMs() + 100, plat::WM_LBUTTONUP, 0, (300 << 16) | 400);  // the loss box
    ASSERT_EQ(pollUntil([](int p) { return p == 3; }), 3);
    for (int i = 0; i < 3; ++i) net_poll_links();

    EXPECT_EQ(boxLines() - boxesBefore, 1u);
    const std::vector<std::string> lines = lossLines();
    ASSERT_EQ(lines.size(), 1u);
    for (const std::string& w : r.want) EXPECT_NE(lines[0].find(w), std::string::npos) << lines[0];
    EXPECT_EQ(srv.finish(), 0);
    net_unload_client();
  }
}

TEST_F(TestServer, ClientLoginAgainstTheProgram) {
  startClient();
  const std::string script = dir.hostPath("login.txt"), ports = dir.hostPath("ports.txt"),
                    transcript = dir.hostPath("transcript.txt"), pid = dir.hostPath("pid.txt");
  dir.write("login.txt", kLoginScript);
  int code = -1;
  // The shell records the program's process id, so that a failing test can stop it.
  std::thread server([&] {
    const std::string cmd = "sh -c 'echo $$ > " + pid + "; exec " + VELDRA_TESTSERVER_BIN + " --script " + script +
                            " --ports-file " + ports + " --transcript " + transcript + " --max-seconds 30' >/dev/null";
    code = (std::system(cmd.c_str()) >> 8) & 0xFF;
  });
  struct Stop {
    std::thread& t;
    std::string pidFile;
    ~Stop() {
      if (!t.joinable()) return;
      if (::testing::Test::HasFailure()) {
        std::ifstream in(pidFile);
        long id = 0;
        if (in >> id && id > 0) std::system(("kill " + std::to_string(id) + " 2>/dev/null").c_str());
      }
      t.join();
    }
  } stop{server, pid};

  uint16_t worldPort = 0;
  const auto end = Clock::now() + std::chrono::seconds(10);
  while (worldPort == 0 && Clock::now() < end) {
    std::ifstream in(ports);
    std::string name;
    unsigned port = 0;
    while (in >> name >> port)
      if (name == "world") worldPort = static_cast<uint16_t>(port);
    if (worldPort == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_NE(worldPort, 0);
  playLogin(worldPort);
  server.join();
  EXPECT_EQ(code, 0);
  expectLoginRun(events(readLines(transcript)));
}

}  // namespace
