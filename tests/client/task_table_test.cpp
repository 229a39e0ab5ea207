// The task table's dispatcher over fake tasks and a fake login retry, and the login retry over
// the fake network module.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "client/game/game_run.h"
#include "client/net_msg/net_dispatch.h"
#include "engine/input/input_state.h"
#include "plat/headless.h"
#include "plat/netframe.h"
#include "tests/client/task_fixture.h"

namespace {

using task_test::TaskTest;

int32_t g_task_result = 0;
int g_task_runs = 0;
int g_retry_result = 0;
int g_retry_calls = 0;

// A task that leaves the frame's input and the INPUT module dirty, as a screen would.
std::vector<std::string> g_debug_at_run;

int32_t fake_task() {
  ++g_task_runs;
  g_debug_at_run = plat::headless()->debugLines();
  frame_input.event_code = 245;
  frame_input.key_code = 13;
  frame_input.scan_code = 141;
  input_feed_scan_code(0x1C);  // Enter stays down
  input_on_mouse_message(plat::WM_LBUTTONUP, 0, (10 << 16) | 10);
  return g_task_result;
}

int fake_retry() {
  ++g_retry_calls;
  return g_retry_result;
}

class TaskTable : public TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
    for (TASK_ENTRY& row : task_table)
      if (row.function) row.function = fake_task;
    task_login_retry = fake_retry;
  }
};

struct DispatchRow {
  int32_t row;
  int32_t result;
  int32_t word;
  int retry;  // -9: not to be called
  int32_t next;
  const char* message;  // nullptr: none
  int32_t word_after;
};

constexpr int kNotCalled = -9;

TEST_F(TaskTable, Dispatch) {
  const DispatchRow rows[] = {
      {0, 0, 0, kNotCalled, 5, nullptr, 0},
      {0, -1, 0, kNotCalled, 9999, nullptr, 0},
      {4, 0, 0, kNotCalled, 6, nullptr, 0},
      {4, -2, 0, kNotCalled, 5, nullptr, 0},
      {9, -2, 0, kNotCalled, 4, nullptr, 0},
      {9, 0, 0, kNotCalled, 10, nullptr, 0},
      {6, 0, 0, kNotCalled, 7, nullptr, 0},
      {8, -2, 0, kNotCalled, 7, nullptr, 0},
      {5, 1100, 0, kNotCalled, 10, nullptr, 0},
      {5, 1009, 0, kNotCalled, 9999, "System internal error !!!!(TASK Not define 9)", 0},
      {5, 10999, 0, kNotCalled, 9999, nullptr, 0},
      {5, 3, 0, kNotCalled, 5, "System internal error !!!! ( Return Code error )", 0},
      {5, 1007, 2, kNotCalled, 6, nullptr, 2},
      {10, -1, 2, 0, 10, nullptr, 0},
      {10, -1, 1, 0, 6, nullptr, 0},
      {10, -1, 2, -1, 4, nullptr, 0},
  };
  for (const DispatchRow& r : rows) {
    SCOPED_TRACE("row " + std::to_string(r.row) + " result " + std::to_string(r.result) + " word " +
                 std::to_string(r.word));
    task_current_row = r.row;
    link_lost_word = r.word;
    g_task_result = r.result;
    g_retry_result = r.retry == kNotCalled ? 0 : r.retry;
    g_retry_calls = 0;
    g_task_runs = 0;
    const int before = r.message ? logged(r.message) : 0;
    hp().debugLines().clear();
    if (r.message) scheduleClick(elapsedMs() + 200);

    EXPECT_EQ(task_run_current(), r.next);
    EXPECT_EQ(task_current_row, r.next);
    EXPECT_EQ(g_task_runs, 1);
    // The debugger hears of the task before it runs.
    const std::string enter = "task enter " + std::to_string(task_table[r.row].id) + " " + task_table[r.row].name;
    EXPECT_EQ(g_debug_at_run, std::vector<std::string>{enter});
    EXPECT_EQ(task_table[r.row].last_result, r.result);
    EXPECT_EQ(g_retry_calls, r.retry == kNotCalled ? 0 : 1);
    EXPECT_EQ(link_lost_word, r.word_after);
    if (r.message) {
      EXPECT_EQ(logged(r.message), before + 1);
    }
    EXPECT_EQ(frame_input.event_code, 0);
    EXPECT_EQ(frame_input.key_code, 0);
    EXPECT_EQ(frame_input.scan_code, 0);
    EXPECT_EQ(input_get_key_code(), 0) << "input_clear_keys did not run";
    EXPECT_EQ(input_get_event_u8(), 0) << "input_clear_key did not run";
  }
  EXPECT_EQ(logged("TASK Not define"), 1);
}

TEST_F(TaskTable, RowsAndNames) {
  struct Row {
    int32_t id;
    const char* name;
  };
  const Row want[] = {{0, "TASK_SYSTEM_INITIALIZE"},     {1, "TASK_SHOW_TITLE"},
                      {2, "TASK_SELECT_MAINFUNCTION"},   {3, "TASK_SYSTEM_BROADCAST"},
                      {4, "TASK_SERVER_SELECT"},         {5, "TASK_ACCOUNT_INPUT"},
                      {7, "TASK_SELECT_CHARACTER_IN"},   {6, "TASK_SELECT_CHARACTER"},
                      {8, "TASK_CREATE_CHARACTER"},      {10, "TASK_GAME_LOGIN"},
                      {100, "TASK_GAME_MAIN"},           {11, "TASK_SERVER_LINE_SELECT"}};
  for (int row = 0; row < TASK_ROWS; ++row) {
    SCOPED_TRACE(row);
    if (row < 12) {
      EXPECT_EQ(task_table[row].id, want[row].id);
      EXPECT_STREQ(task_table[row].name, want[row].name);
      EXPECT_EQ(task_find_row(want[row].id), row);
    } else {
      EXPECT_EQ(task_table[row].id, 9999);
      EXPECT_STREQ(task_table[row].name, "TASK_SYSTEM_QUIT");
      EXPECT_EQ(task_table[row].function, nullptr);
    }
  }
  EXPECT_EQ(task_find_row(9999), 9999);
  EXPECT_EQ(logged("TASK Not define"), 0);
}

// game_run starts at row 0 and runs until 9999; then it saves the settings and stops the music.
TEST_F(TaskTable, GameRunRunsTheTableToItsEnd) {
  std::vector<int32_t> order;
  static std::vector<int32_t>* s_order;
  s_order = &order;
  for (TASK_ENTRY& row : task_table) {
    if (!row.function) continue;
    row.function = [] {
      s_order->push_back(task_current_row);
      // Account input, then server select, then quit.
      if (task_current_row == 5) return int32_t{0};
      if (task_current_row == 4) return int32_t{-1};
      return int32_t{0};
    };
  }
  settings = settings_defaults();
  music_playing = 1;
  ASSERT_FALSE(dir.exists("veldra.cfg"));
  EXPECT_EQ(game_run(), 1);
  EXPECT_EQ(order, (std::vector<int32_t>{0, 5, 4}));
  EXPECT_TRUE(dir.exists("veldra.cfg"));
  EXPECT_EQ(music_playing, 0u);
  EXPECT_GE(music.count("music_stop"), 1);
}

// VELDRA_FIRST_TASK: read with the other variables; the id of a row that runs a task replaces the
// start-up task's success, any other value leaves the table as it is.
TEST_F(TaskTable, FirstTaskOption) {
  const struct {
    const char* value;
    int32_t read;
    int32_t next;
    const char* debug;
  } cases[] = {
      {"1", 1, 1, nullptr},
      {"3", 3, 3, nullptr},
      {"42", 42, 5, "VELDRA_FIRST_TASK: no task 42, ignored"},
      {"0", 0, 5, "VELDRA_FIRST_TASK: no task 0, ignored"},
      {"9999", 9999, 5, "VELDRA_FIRST_TASK: no task 9999, ignored"},
      {"-1", -1, 5, nullptr},
      {"one", -1, 5, nullptr},
      {"", -1, 5, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    task_table_reset();
    hp().debugLines().clear();
    setenv("VELDRA_FIRST_TASK", c.value, 1);
    plat::reloadEnvironment();
    EXPECT_EQ(plat::environment().firstTask, c.read);
    task_table_first_task(plat::environment().firstTask);
    EXPECT_EQ(task_table[0].next_on_0, c.next);
    const std::vector<std::string> want = c.debug ? std::vector<std::string>{c.debug} : std::vector<std::string>{};
    EXPECT_EQ(hp().debugLines(), want);
    EXPECT_EQ(logged("TASK Not define"), 0);
  }
  unsetenv("VELDRA_FIRST_TASK");
  plat::reloadEnvironment();
  task_table_reset();
}

// ---- login retry ----------------------------------------------------------------------------

class LoginRetry : public TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
    bindLinks(false, false);
    reconnect_host = 0x0200007F;
    reconnect_port = 4321;
    std::strcpy(login_credentials.account, "player");
    std::strcpy(login_credentials.password, "secret");
    task_current_row = 10;  // the game main task lost its link
    start = now();
  }

  static constexpr const char* kBusy = "The server is busy, please retry later or use update.exe to enter game";
  uint32_t start = 0;
};

TEST_F(LoginRetry, RefusedConnectShowsTheBusyBox) {
  worldLink()->connectResult = -1;
  scheduleClick(elapsedMs() + 300);
  EXPECT_EQ(login_retry(), -1);
  EXPECT_EQ(logged(kBusy), 1);
  EXPECT_EQ(worldLink()->sends.size(), 0u);
}

TEST_F(LoginRetry, ConnectsLogsInAndTurnsMirroringOff) {
  record_state.mirror = 1;
  message_slots[3].in_use = 1;  // session state, reset first
  EXPECT_EQ(login_retry(), 0);
  // 100 + 1000 ms before the login, 500 after; no wait with the word 0.
  EXPECT_EQ(now() - start, 1600u);
  ASSERT_EQ(worldLink()->connects, 1);
  EXPECT_EQ(worldLink()->host, 0x0200007Fu);
  EXPECT_EQ(worldLink()->port, 4321);
  ASSERT_EQ(worldLink()->sends.size(), 1u);
  EXPECT_EQ(worldLink()->sends[0].id, 0x20000u);
  EXPECT_EQ(worldLink()->sends[0].arg, 0);
  uint8_t want[64] = {};
  plat::netframe::loginBlock("player", "secret", want);
  EXPECT_EQ(worldLink()->sends[0].payload, std::vector<uint8_t>(want, want + 64));
  EXPECT_EQ(record_state.mirror, 0);
  EXPECT_EQ(message_slots[3].in_use, 0);
  EXPECT_EQ(net_link.world_callback, net_dispatch_message);
}

// Credentials that fill all 17 bytes are cut at 16, never read past.
TEST_F(LoginRetry, UnterminatedCredentialsAreCut) {
  std::memset(login_credentials.account, 'a', sizeof login_credentials.account);
  std::memset(login_credentials.password, 'p', sizeof login_credentials.password);
  EXPECT_EQ(login_retry(), 0);
  ASSERT_EQ(worldLink()->sends.size(), 1u);
  uint8_t want[64] = {};
  plat::netframe::loginBlock(std::string(16, 'a').c_str(), std::string(16, 'p').c_str(), want);
  EXPECT_EQ(worldLink()->sends[0].payload, std::vector<uint8_t>(want, want + 64));
}

// The wait while the word stays 2 pumps the window's messages (a message that changes the word
// ends it with 0) and discards what the player types meanwhile.
TEST_F(LoginRetry, WordChangedDuringTheWaitEndsItWithZero) {
  static int s_seen = 0;
  s_seen = 0;
  plat::WindowDesc desc;
  desc.titleCp936 = "reply";
  desc.proc = [](const plat::Msg& m) -> int32_t {
    if (m.message == plat::WM_USER + 7) {
      ++s_seen;
      link_lost_word = 0;
    }
    return 0;
  };
  const plat::WindowId other = plat::get().windows().create(desc);
  link_lost_word = 2;
  plat::ScriptEvent reply;
  reply.atMs = elapsedMs() + 1600 + 200;
  reply.window = other;
  reply.message = plat::WM_USER + 7;
  hp().schedule(reply);
  scheduleMessage(elapsedMs() + 1600 + 100, plat::WM_KEYDOWN, 0x41, 0x001E0001);  // 'A' typed during the wait
  EXPECT_EQ(login_retry(), 0);
  EXPECT_EQ(s_seen, 1);
  EXPECT_EQ(link_lost_word, 0);
  EXPECT_GE(now() - start, 1800u);
  EXPECT_LT(now() - start, 1900u);
  EXPECT_EQ(input_get_scan_code(), 0);
  EXPECT_EQ(worldLink()->disconnects, 0);
  EXPECT_EQ(logged(kBusy), 0);
}

TEST_F(LoginRetry, SilentServerGivesUpAfterThirtySeconds) {
  link_lost_word = 2;
  scheduleClick(elapsedMs() + 1600 + 30000 + 200);
  EXPECT_EQ(login_retry(), -1);
  EXPECT_GE(now() - start, 1600u + 30000u);
  EXPECT_EQ(logged(kBusy), 1);
  EXPECT_EQ(net_link.world_connected, 0);
  EXPECT_EQ(worldLink()->disconnects, 1);
  EXPECT_GT(worldLink()->polls, 1000);
}

TEST_F(LoginRetry, WorldLinkDroppedDuringTheWaitEndsItAtOnce) {
  link_lost_word = 2;
  worldLink()->outcomes = {plat::NetPoll::Idle, plat::NetPoll::Idle, plat::NetPoll::Lost};
  scheduleClick(elapsedMs() + 1600 + 300);
  EXPECT_EQ(login_retry(), -1);
  EXPECT_EQ(worldLink()->polls, 3);
  EXPECT_EQ(net_link.world_connected, 0);
  EXPECT_EQ(logged(kBusy), 1);
  EXPECT_EQ(logged("World server is disconnected"), 0);
}

// Through the dispatcher: a refused reconnect sends the game to the server select.
TEST_F(LoginRetry, DispatcherGoesToServerSelectWhenItFails) {
  task_table[10].function = [] { return int32_t{-1}; };
  link_lost_word = 2;
  worldLink()->connectResult = -1;
  scheduleClick(elapsedMs() + 300);
  EXPECT_EQ(task_run_current(), 4);
  EXPECT_EQ(link_lost_word, 0);
}

}  // namespace
