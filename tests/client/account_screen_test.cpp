// The account input and server select screens on the headless backend with the fake link: the
// start-line search, typing and focus, the login submission, the queue notice, the quit button,
// and the server select's marks, choice and reconnect.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "client/front/account_edits.h"
#include "client/front/account_input.h"
#include "client/front/server_select.h"
#include "client/handover/server_lines.h"
#include "client/state/login_state.h"
#include "client/ui/message_box.h"
#include "engine/input/input.h"
#include "graphics/jpg/jpg_load.h"
#include "jpeg/jcodec.h"
#include "plat/netframe.h"
#include "plat/test.h"
#include "tests/client/task_fixture.h"
#if VELDRA_HAVE_JPEGREF
#include "tools/jpegwriter/jpegref.h"
#endif
#include "tools/mdawriter/mdapack.h"

namespace {

using task_test::TaskTest;

SERVER_LINE_RECORD line(int32_t id, int32_t load, bool available, uint8_t host_byte) {
  SERVER_LINE_RECORD r{};
  std::snprintf(r.name, sizeof r.name, "Line %d", id % 100);
  r.line_id = id;
  r.address = plat::ipv4NetworkOrder(127, 0, 0, host_byte);
  r.port = 7000 + host_byte;
  r.load = load;
  r.available = available ? 1 : 0;
  return r;
}

SERVER_LINE_TABLE table_of(const std::vector<SERVER_LINE_RECORD>& rows) {
  SERVER_LINE_TABLE t{};
  for (size_t i = 0; i < rows.size(); ++i) t.rows[i] = rows[i];
  t.count = static_cast<int32_t>(rows.size());
  return t;
}

void store_lines(const std::vector<SERVER_LINE_RECORD>& rows) {
  for (size_t i = 0; i < rows.size(); ++i) server_lines_store(static_cast<int>(i), rows[i], static_cast<int32_t>(rows.size()));
}

// A media file whose commands each show one filled frame at a box.
struct Art {
  std::string text;
  Art& frame(const std::string& command, int x, int y, int w, int h) {
    text += "image " + command + "f fill=" + std::to_string(w) + "x" + std::to_string(h) +
            ":#C08040 alpha=255 box=" + std::to_string(x) + "," + std::to_string(y) + " hot=0,0\n";
    text += "command " + command + "\nstep " + command + "f\n";
    return *this;
  }
  Art& commands(int first, int last) {
    for (int i = first; i <= last; ++i) frame("MainCommand" + std::to_string(i), 10 * i, 5, 8, 8);
    return *this;
  }
  std::string bytes() const {
    const std::vector<uint8_t> b = mdaw::mda_build(mdaw::parse_manifest(text, "."));
    return std::string(b.begin(), b.end());
  }
};

#if VELDRA_HAVE_JPEGREF
std::string background_jpeg() {
  jpegref::EncodeOpts o;
  const std::vector<uint8_t> b = jpegref::encode(jpegref::make_source(800, 600, 3), o);
  return std::string(b.begin(), b.end());
}
#define NEEDS_JPEG()
#else
std::string background_jpeg() { return {}; }
#define NEEDS_JPEG() GTEST_SKIP() << "no JPEG writer in this build"
#endif

// Quit, submit, the two links.
constexpr int kQuitX = 650, kQuitY = 455;

class AccountScreen : public TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
    veldra_test::FakeNetModule::install();
    ASSERT_EQ(net_load_client(), 0);
    jpeg_register_module();
    jpg_codec_reset();
    plat::test::setExitHandler(true);
  }
  void TearDown() override {
    plat::test::setExitHandler(false);
    TaskTest::TearDown();
  }

  void writeArt() {
    NEEDS_JPEG();
    dir.write("SYSTEM/c1meu008.jpg", background_jpeg());
    dir.write("system/Button.mda", Art().commands(0, 9).bytes());
    Art screen;
    screen.frame("MainCommand0", 600, 440, 100, 30).frame("MainCommand1", 600, 490, 100, 30);
    screen.frame("MainCommand2", 300, 330, 80, 16).frame("MainCommand5", 400, 330, 80, 16);
    screen.frame("MainCommand3", 300, 330, 80, 16).frame("MainCommand4", 300, 330, 80, 16);
    screen.frame("MainCommand6", 400, 330, 80, 16);
    dir.write("system/c1meu008.MDA", screen.bytes());
    dir.write("system/MapButton.MDA", Art().commands(0, 11).bytes());
  }

  void script(const std::string& text) {
    for (const plat::ScriptEvent& e : plat::EventScript::parse(text).events) hp().schedule(e);
  }
  void clickAt(uint32_t atMs, int x, int y) {
    scheduleMessage(atMs, plat::WM_LBUTTONDOWN, 1, (y << 16) | x);
    scheduleMessage(atMs + 60, plat::WM_LBUTTONUP, 0, (y << 16) | x);
  }

  // The login reply stand-in: the screen ends once a login went out.
  void endOnLogin() {
    onPresent = [this] {
      for (const auto& s : worldLink()->sends) {
        if (s.id == MSG_LOGIN) login_state.done = 1;
      }
    };
  }

  std::vector<veldra_test::FakeMessage> logins() {
    std::vector<veldra_test::FakeMessage> out;
    for (const auto& s : worldLink()->sends) {
      if (s.id == MSG_LOGIN) out.push_back(s);
    }
    return out;
  }

  // Open pop-ups showing the text.
  static int popups(const std::string& text) {
    int n = 0;
    for (const MESSAGE_SLOT& m : message_slots) n += m.in_use && text == m.text;
    return n;
  }

  int debugCount(const std::string& text) {
    int n = 0;
    for (const std::string& l : hp().debugLines()) n += l.find(text) != std::string::npos;
    return n;
  }
};

// Which line the ring search connects first and what it logs on the way.
TEST_F(AccountScreen, StartLineAndRingSearch) {
  struct Case {
    const char* what;
    std::vector<SERVER_LINE_RECORD> rows;
    std::deque<int> results;
    std::vector<uint8_t> tried;  // host bytes in order
    int32_t connected_row;
    int no_line, connect_error;
  };
  const Case cases[] = {
      {"load 500 is a start line", {line(101, 600, true, 1), line(102, 500, true, 2)}, {}, {2}, 1, 0, 0},
      {"load 501 is not: none qualifies, start at 0", {line(101, 501, true, 1), line(102, 900, true, 2)}, {}, {1}, 0, 0, 0},
      {"unavailable lines are passed over",
       {line(101, 100, false, 1), line(102, 700, true, 2), line(103, 100, true, 3)}, {}, {3}, 2, 0, 0},
      {"refused, then unavailable, then the ring wraps",
       {line(101, 600, true, 1), line(102, 100, true, 2), line(103, 100, false, 3)}, {-1}, {2, 1}, 0, 1, 1},
      {"all refused", {line(101, 100, true, 1), line(102, 100, true, 2)}, {-1, -1}, {1, 2}, -1, 0, 2},
      {"no line at all", {}, {}, {}, -1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    net_disconnect_all(0);
    worldLink()->hosts.clear();
    worldLink()->connectResults = c.results;
    settings.last_server_id = -1;
    const int before_no_line = logged("no line"), before_error = logged("connect error");
    EXPECT_EQ(account_connect_line(table_of(c.rows)), c.connected_row);
    std::vector<uint32_t> expected;
    for (uint8_t b : c.tried) expected.push_back(plat::ipv4NetworkOrder(127, 0, 0, b));
    EXPECT_EQ(worldLink()->hosts, expected);
    EXPECT_EQ(settings.last_server_id, c.connected_row >= 0 ? c.rows[c.connected_row].line_id : -1);
    EXPECT_EQ(logged("no line") - before_no_line, c.no_line);
    EXPECT_EQ(logged("connect error") - before_error, c.connect_error);
  }
  // A count above the table's rows reads only the rows there are.
  SERVER_LINE_TABLE big = table_of({line(101, 900, false, 1)});
  big.count = 1000;
  EXPECT_EQ(account_start_line(big), 0);
  net_disconnect_all(0);
  worldLink()->hosts.clear();
  worldLink()->connectResult = -1;
  EXPECT_EQ(account_connect_line(big), -1);
  EXPECT_LE(worldLink()->hosts.size(), 100u);
}

TEST_F(AccountScreen, EmptyTableShowsTheMessageAndEnds) {
  scheduleClick(1000);
  EXPECT_EQ(task_account_input(), -1);
  EXPECT_EQ(logged("Unable to connect to the designated server, please run update.exe"), 1);
  EXPECT_EQ(worldLink()->connects, 0);
  EXPECT_EQ(debugCount("spawn: castview/KRB_STARTUP1.exe not found"), 1);
}

TEST_F(AccountScreen, MissingArtEndsWithMinusOne) {
  store_lines({line(101, 100, true, 1)});
  EXPECT_EQ(task_account_input(), -1);
  EXPECT_EQ(worldLink()->connects, 1);
  EXPECT_EQ(account_field(), nullptr);
}

// The character filter, Tab and Enter between the fields, and the bytes of the submission.
TEST_F(AccountScreen, TypingFocusAndSubmission) {
  writeArt();
  store_lines({line(100101, 100, true, 1)});
  settings.remember_account = 0;
  endOnLogin();
  clickAt(2700, 487, 222);  // the remember-account box
  script("3000 TEXT de mo-@_1\n3200 KEYDOWN TAB\n3260 KEYUP TAB\n3400 TEXT p w9\n"
         "3600 KEYDOWN RETURN\n3660 KEYUP RETURN\n");
  EXPECT_EQ(task_account_input(), 0);
  ASSERT_EQ(logins().size(), 1u);
  uint8_t block[64];
  plat::netframe::loginBlock("demo_1", "pw9", block);
  EXPECT_EQ(logins()[0].payload, std::vector<uint8_t>(block, block + 64));
  EXPECT_EQ(logins()[0].arg, 0);
  EXPECT_STREQ(login_credentials.account, "demo_1");
  EXPECT_STREQ(login_credentials.password, "pw9");
  EXPECT_STREQ(login_account_name, "demo_1");
  EXPECT_EQ(settings.last_server_id, 100101);
  // Saved with the remembered name.
  const std::string cfg = dir.read("veldra.cfg");
  ASSERT_EQ(cfg.size(), 180u);
  EXPECT_EQ(cfg.substr(112, 7), std::string("demo_1\0", 7));
  EXPECT_EQ(account_field(), nullptr);  // released
}

// A remembered account starts in the password field; Enter in the account field moves on and
// Enter with an empty password only shows the message.
TEST_F(AccountScreen, RememberedAccountAndEmptyPassword) {
  writeArt();
  store_lines({line(100101, 100, true, 1)});
  settings.remember_account = 1;
  std::snprintf(settings.account_name, sizeof settings.account_name, "keep");
  script("3000 KEYDOWN RETURN\n3060 KEYUP RETURN\n");
  scheduleClick(3500);  // dismisses the message
  clickAt(4500, kQuitX, kQuitY);
  try {
    task_account_input();
    FAIL() << "the quit button did not end the program";
  } catch (const plat::test::ExitCalled& e) {
    EXPECT_EQ(e.code, 0);
  }
  EXPECT_EQ(logged("Please enter right account name and password!"), 1);
  EXPECT_TRUE(logins().empty());
  EXPECT_EQ(account_field(), nullptr);
}

// A long account name is cut to 16 bytes and exactly 17 + 17 bytes are kept for the retry.
TEST_F(AccountScreen, LongFieldsAreCut) {
  writeArt();
  store_lines({line(100101, 100, true, 1)});
  endOnLogin();
  std::memset(&login_credentials, 0x55, sizeof login_credentials);
  script("3000 TEXT abcdefghijklmnopqrstu\n3200 KEYDOWN RETURN\n3260 KEYUP RETURN\n"
         "3400 TEXT 0123456789abcdefXYZ\n3600 KEYDOWN RETURN\n3660 KEYUP RETURN\n");
  EXPECT_EQ(task_account_input(), 0);
  EXPECT_STREQ(login_credentials.account, "abcdefghijklmnop");
  EXPECT_STREQ(login_credentials.password, "0123456789abcdef");
  static_assert(sizeof(LOGIN_CREDENTIALS) == 34);
}

TEST_F(AccountScreen, QueueNoticeTextsAndAnswers) {
  struct Case {
    int32_t wait, queue;
    const char* text;
    int answer_x;  // -1: the counters drop to 0 instead
    int32_t result;
  };
  const std::string full = "The server is full, press Enter to change server";
  const Case cases[] = {
      {0, 7, "#E y Current queue: 7", 252 + 80, 1},
      {5, 3, "#EStill need to wait 5 sec#E y Current queue: 3", 252 + 200, 0},
      {5, 0, "#EStill need to wait 5 sec", -1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    login_state.wait_seconds = c.wait;
    login_state.queue_position = c.queue;
    // The box leaves an answering click in the input; the next case starts without it.
    input_clear_key();
    hp().debugLines().clear();
    const uint32_t at = elapsedMs() + 300;
    if (c.answer_x >= 0) {
      clickAt(at, c.answer_x, 235 + 95);
    } else {
      onPresent = [] { login_state.wait_seconds = login_state.queue_position = 0; };
    }
    EXPECT_EQ(login_queue_notice(), c.result);
    onPresent = nullptr;
    EXPECT_EQ(debugCount(full + c.text), 1);
  }
}

TEST_F(AccountScreen, QuitButtonEndsAtOnceWithoutSaving) {
  writeArt();
  store_lines({line(100101, 100, true, 1)});
  clickAt(3000, kQuitX, kQuitY);
  try {
    task_account_input();
    FAIL() << "the quit button did not end the program";
  } catch (const plat::test::ExitCalled& e) {
    EXPECT_EQ(e.code, 0);
  }
  EXPECT_FALSE(dir.exists("veldra.cfg"));
  EXPECT_GE(worldLink()->disconnects, 1);
}

// ---- server select ------------------------------------------------------------------------

class ServerSelect : public AccountScreen {
 protected:
  void writeArt() {
    NEEDS_JPEG();
    dir.write("system/c1meu005c.JPG", background_jpeg());
    dir.write("system/Button.mda", Art().commands(0, 9).bytes());
    Art screen;
    screen.commands(0, 4).frame("MainCommand5", 600, 440, 100, 30).frame("MainCommand6", 600, 490, 100, 30);
    screen.commands(7, 22);
    dir.write("system/c1meu010.MDA", screen.bytes());
  }
  // Slot k's centre.
  static int slotX(int k) { return (k < 5 ? 220 : 408) + 70; }
  static int slotY(int k) { return 140 + (k % 5) * 53 + 14; }
};

TEST_F(ServerSelect, LoadMarks) {
  struct Case {
    int32_t load;
    bool available;
    const char* mark;
  };
  const Case cases[] = {{200, true, "MainCommand17"}, {201, true, "MainCommand18"}, {500, true, "MainCommand18"},
                        {501, true, "MainCommand19"}, {800, true, "MainCommand19"}, {801, true, "MainCommand20"},
                        {100, false, "MainCommand21"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.load);
    EXPECT_STREQ(server_select_mark(line(101, c.load, c.available, 1)), c.mark);
  }
  std::vector<SERVER_LINE_RECORD> twelve;
  for (int i = 0; i < 12; ++i) twelve.push_back(line(101 + i, 100, true, static_cast<uint8_t>(i + 1)));
  int32_t slots[SERVER_SLOTS];
  server_select_slots(table_of(twelve), slots);
  for (int i = 0; i < SERVER_SLOTS; ++i) EXPECT_EQ(slots[i], i);
  server_select_slots(table_of({line(101, 100, true, 1)}), slots);
  EXPECT_EQ(slots[0], 0);
  EXPECT_EQ(slots[1], -1);
}

TEST_F(ServerSelect, ReplayAndEmptyTable) {
  replaying = 1;
  link_lost_word = 2;
  EXPECT_EQ(task_server_select(), 0);
  EXPECT_EQ(link_lost_word, 0);
  replaying = 0;
  EXPECT_EQ(task_server_select(), -1);
  EXPECT_EQ(popups("Unable to connect to the designated server, please run update.exe"), 1);
}

// An unavailable line keeps the earlier choice; Enter then connects to it, keeps its address
// and name, sends the kept credentials and saves the choice.
TEST_F(ServerSelect, ChoiceReconnectAndLogin) {
  writeArt();
  store_lines({line(100101, 100, true, 1), line(100102, 900, false, 2), line(100103, 300, true, 3)});
  settings.last_server_id = -1;
  settings.record_play = 1;
  std::snprintf(login_credentials.account, sizeof login_credentials.account, "demo");
  std::snprintf(login_credentials.password, sizeof login_credentials.password, "pass");
  script("2500 KEYDOWN RETURN\n2560 KEYUP RETURN\n");  // no choice yet
  scheduleClick(3000);
  clickAt(4000, slotX(2), slotY(2));
  clickAt(4500, slotX(1), slotY(1));
  scheduleClick(5000);  // the system message
  script("16000 KEYDOWN RETURN\n16060 KEYUP RETURN\n");
  EXPECT_EQ(task_server_select(), 0);
  EXPECT_EQ(logged("Please choose a server"), 1);
  EXPECT_EQ(settings.last_server_id, 100103);
  EXPECT_EQ(reconnect_host, plat::ipv4NetworkOrder(127, 0, 0, 3));
  EXPECT_EQ(reconnect_port, 7003);
  EXPECT_STREQ(current_server_name, "Line 3");
  EXPECT_STREQ(record_state.header.server_name, "Line 3");
  ASSERT_EQ(logins().size(), 1u);
  uint8_t block[64];
  plat::netframe::loginBlock("demo", "pass", block);
  EXPECT_EQ(logins()[0].payload, std::vector<uint8_t>(block, block + 64));
  const std::string cfg = dir.read("veldra.cfg");
  ASSERT_EQ(cfg.size(), 180u);
  EXPECT_EQ(static_cast<uint8_t>(cfg[76]) | static_cast<uint8_t>(cfg[77]) << 8 | static_cast<uint8_t>(cfg[78]) << 16,
            100103);
}

TEST_F(ServerSelect, RefusedConnectEndsWithMinusOne) {
  writeArt();
  store_lines({line(100101, 100, true, 1)});
  settings.last_server_id = 100101;
  worldLink()->connectResult = -1;
  script("2500 KEYDOWN RETURN\n2560 KEYUP RETURN\n");
  scheduleClick(3500);
  EXPECT_EQ(task_server_select(), -1);
  EXPECT_EQ(logged("You have been disconnected from the server"), 1);
  EXPECT_TRUE(logins().empty());
}

}  // namespace
