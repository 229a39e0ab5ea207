// The game main task (start, frames, end), the game run around the task table and the session
// reset, over the stand-in seams and the fake network module.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "client/common/screen_state.h"
#include "client/common/seam_calls.h"
#include "client/front/server_select.h"
#include "client/game/battle_return.h"
#include "client/game/frame_step.h"
#include "client/game/game_main.h"
#include "client/game/game_main_state.h"
#include "client/game/game_run.h"
#include "client/game/game_running.h"
#include "client/game/session_state.h"
#include "client/net_msg/net_dispatch.h"
#include "plat/bytes.h"
#include "client/startup/client_hooks.h"
#include "client/state/login_state.h"
#include "client/state/map_record.h"
#include "client/state/party_tables.h"
#include "client/state/pet_table.h"
#include "client/state/player_state.h"
#include "client/state/quest_tables.h"
#include "client/window/window_manager.h"
#include "engine/engine_main/engine_main.h"
#include "engine/system/system.h"
#include "items/bag/bag_page.h"
#include "items/bag/item_lock.h"
#include "items/timed_state/timed_state.h"
#include "social/chat_debug/debug_flags.h"
#include "social/chat_log/chat_log.h"
#include "social/chat_log/msg_history.h"
#include "social/friends/friend_table.h"
#include "social/macro/macro_system.h"
#include "graphics/img256/scene_view_origin.h"
#include "tests/client/task_fixture.h"
#include "world/map/map_data.h"
#include "ui/auto_fight/auto_fight.h"
#include "ui/game_screen/game_screen_state.h"
#include "ui/game_screen/modal_box.h"
#include "ui/game_screen/window_slots.h"
#include "ui/notices/notice_lines.h"
#include "world/battle/battle_words.h"
#include "world/battle/fight_units.h"

namespace {

using task_test::TaskTest;

constexpr uint32_t kOwnId = 1001;
constexpr const char* kMac = "02-00-00-00-00-01";

// The frame step of the frame tests: counts and lets a "handler" act inside the step.
uint32_t g_steps = 0;
std::function<void(uint32_t)> g_in_step;
uint32_t stub_step() {
  ++g_steps;
  if (g_in_step) g_in_step(g_steps);
  return g_steps;
}

// The world link's messages go through the real dispatcher (its inline rows set the resume word).
int real_world_dispatch(uint32_t id, int32_t arg, const uint8_t* p, uint32_t len, bool dnr) {
  task_test::fake_world_dispatch(id, arg, p, len, dnr);
  return net_dispatch_message(id, arg, p, len, dnr);
}

// The own character's record bytes into the map state as the scene entry keeps them.
void set_own_record(uint32_t id, const std::string& name) {
  uint8_t bytes[sizeof map_state.block_88] = {};
  std::memcpy(bytes, &id, 4);
  std::memcpy(bytes + MAP_CHAR_NAME_OFFSET, name.data(), name.size());
  for (size_t i = 0; i < 21; ++i)
    map_state.block_88[i] = static_cast<int32_t>(bytes[4 * i] | bytes[4 * i + 1] << 8 | bytes[4 * i + 2] << 16 |
                                                 static_cast<uint32_t>(bytes[4 * i + 3]) << 24);
}

void minimise() { plat::headless()->setMinimised(sys_main_window(), true); }

int32_t macro_event_count() {
  int32_t n = 0;
  macro_raised_events(&n);
  return n;
}
// The events raised from index from on.
std::vector<int32_t> macro_events_since(int32_t from) {
  int32_t n = 0;
  const MACRO_EVENT_RECORD* e = macro_raised_events(&n);
  std::vector<int32_t> out;
  for (int32_t i = from; i < n; ++i) out.push_back(e[i].event);
  return out;
}

class GameMain : public TaskTest {
 protected:
  void configure(plat::HeadlessOptions& o) override {
    TaskTest::configure(o);
    o.maxDrains = 1000000;  // the resume wait's 30 s of frames
    o.systemInfo.macAddress = mac();
  }
  virtual std::string mac() const { return kMac; }

  void SetUp() override {
    TaskTest::SetUp();
    veldra_test::FakeNetModule::install();
    ASSERT_EQ(net_load_client(), 0);
    ASSERT_EQ(net_connect_world(0x0100007F, 4000, real_world_dispatch), 0);
    ASSERT_EQ(net_connect_chat(0x0100007F, 4001, 0x30004, task_test::fake_chat_dispatch), 0);
    std::strcpy(map_state.display_name, "Town");
    map_state.block_60[0] = 3;
    set_own_record(kOwnId, "Hero");
    std::strcpy(current_server_name, "Line 1");
    frame_input.own_char_id = kOwnId;
    task_current_row = task_find_row(TASK_GAME_MAIN);  // a lost link is the game's to handle
    first_entry_flag = 0;
    g_steps = 0;
    g_in_step = nullptr;
  }
  void TearDown() override {
    g_in_step = nullptr;
    TaskTest::TearDown();
  }

  // The state the frames run in after a start: the weather shown, no refresh due, nothing
  // pending. (The module resets would also drop the fixture's links and screens.)
  void frameState() {
    link_lost_word = 0;
    replaying = 0;
    replay_running.store(1);
    speed_divisor.store(1);
    game_screen_state_reset();
    MODAL_BOX_HANDLER = nullptr;
    in_battle_flag = 0;
    battle_words_reset();
    battle_reset_units();
    pet_state_reset();
    AUTO_FIGHT_STATE = 0;
    item_lock_mode = 0;
    window_slots_reset();
    game_leave_mode = {0, GAME_LEAVE_NONE};
    frame_input.frame_time = 0;
    hp().setMinimised(window, false);
    g_steps = 0;
    g_in_step = nullptr;
    game_main_frame_step = stub_step;
    weather_display_flag = 1;
    scene_refresh_deadline = 0xFFFFFFFF;
    run = GAME_MAIN_RUN{0, -1, 0, {0, 0, 800, 600}};
    seam_calls_clear();
  }

  std::vector<uint32_t> sentIds() const {
    std::vector<uint32_t> ids;
    for (const auto& m : veldra_test::FakeNetModule::world()->sends) ids.push_back(m.id);
    return ids;
  }
  const veldra_test::FakeMessage* sent(uint32_t id) const {
    for (const auto& m : veldra_test::FakeNetModule::world()->sends)
      if (m.id == id) return &m;
    return nullptr;
  }
  int guardLines(std::vector<std::string>* lines = nullptr) {
    int n = 0;
    for (const std::string& l : hp().debugLines()) {
      if (l.find("Except code : game ") == std::string::npos) continue;
      ++n;
      if (lines) lines->push_back(l);
    }
    return n;
  }

  GAME_MAIN_RUN run{};
};

class GameMainNoAdapter : public GameMain {
 protected:
  std::string mac() const override { return ""; }
};

// The map frame's stand-in calls, in order, while nothing picks and no modal box is open.
const std::vector<std::string> kMapFrame = {
    "scene_walk_send_next_waypoint", "scene_draw_frame", "weather_update", "weather_draw", "scene_draw_chat_bubbles",
    "scene_update_zoom", "hud_draw_notice_lines", "hud_draw", "hud_update_notices", "hud_input"};
const std::vector<std::string> kBattleFrame = {
    "battle_draw_frame", "scene_draw_chat_bubbles", "hud_draw", "hud_update_notices", "battle_draw_command_text",
    "battle_update_command_countdown", "hud_input", "battle_play_action"};

std::vector<std::string> plus(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// ---- frames -----------------------------------------------------------------------------------

struct FrameCase {
  const char* name;
  std::function<void(GameMain&)> before;
  std::function<void()> in_first_step;  // what a handler does inside the frame's step
  bool goes_on;
  uint32_t steps;
  std::vector<std::string> calls;
  std::vector<int32_t> events;
  bool presented;
  bool next_goes_on;  // the following frame (with nothing else happening)
  int32_t result;
};

TEST_F(GameMain, Frame) {
  const FrameCase cases[] = {
      {"leave mode 0 draws, presents, then ends with 0", nullptr, [] { game_leave_mode.mode = GAME_LEAVE_TO_LOGIN; },
       true, 1, kMapFrame, {}, true, false, 0},
      {"leave mode 1 opens the system menu and goes on", nullptr,
       [] { game_leave_mode.mode = GAME_LEAVE_SYSTEM_MENU; }, true, 1, plus(kMapFrame, {"system_menu_window_open"}),
       {}, true, true, -1},
      {"leave mode 2 ends with -1", nullptr, [] { game_leave_mode.mode = GAME_LEAVE_QUIT; }, true, 1, kMapFrame, {},
       true, false, -1},
      {"link lost 2 ends at once", [](GameMain&) { link_lost_word = 2; }, nullptr, false, 0, {}, {}, false, false, -1},
      {"link lost 1 keeps running", [](GameMain&) { link_lost_word = 1; }, nullptr, true, 1, kMapFrame, {}, true, true,
       -1},
      {"link lost 3 keeps running", [](GameMain&) { link_lost_word = 3; }, nullptr, true, 1, kMapFrame, {}, true, true,
       -1},
      {"replay held: only the step, the leave mode unread",
       [](GameMain&) { replay_running.store(0); }, [] { game_leave_mode.mode = GAME_LEAVE_TO_LOGIN; }, true, 1, {}, {},
       false, true, -1},
      {"pick mode 0: only the pick update", [](GameMain&) { game_screen_state.pick_mode = 0; }, nullptr, true, 1,
       {"scene_walk_send_next_waypoint", "scene_draw_frame", "weather_update", "weather_draw",
        "scene_draw_chat_bubbles", "scene_update_zoom", "game_screen_pick_update"},
       {}, true, true, -1},
      {"a modal handler runs in place of the HUD input",
       [](GameMain&) { MODAL_BOX_HANDLER = [] { seam_call("modal handler"); }; }, nullptr, true, 1,
       {"scene_walk_send_next_waypoint", "scene_draw_frame", "weather_update", "weather_draw",
        "scene_draw_chat_bubbles", "scene_update_zoom", "hud_draw_notice_lines", "hud_draw", "hud_update_notices",
        "modal handler"},
       {}, true, true, -1},
      {"minimised map frame: no map work, still presented",
       [](GameMain&) { minimise(); }, nullptr, true, 1, {}, {}, true, true, -1},
      {"battle frame", [](GameMain&) { in_battle_flag = 1; }, nullptr, true, 1, kBattleFrame, {16}, true, true, -1},
      {"battle round end: leave, then event 17",
       [](GameMain&) {
         in_battle_flag = 1;
         battle_round_end_byte = 1;
       },
       nullptr, true, 1, plus(kBattleFrame, {"battle_leave"}), {16, 17}, true, true, -1},
      {"minimised battle round end: leave without events 16 and 17",
       [](GameMain&) {
         in_battle_flag = 1;
         battle_round_end_byte = 1;
         minimise();
       },
       nullptr, true, 1,
       {"battle_draw_command_text", "battle_update_command_countdown", "hud_input", "battle_play_action",
        "battle_leave"},
       {}, true, true, -1},
      {"battle start enters the battle and runs its frame", [](GameMain&) { battle_start_byte = 1; }, nullptr, true, 1,
       plus({"battle_enter"}, kBattleFrame), {16}, true, true, -1},
      {"auto fight steps", [](GameMain&) { AUTO_FIGHT_STATE = 1; }, nullptr, true, 1, plus(kMapFrame, {"auto_fight_step"}),
       {}, true, true, -1},
      {"refresh deadline passed: the others reload",
       [](GameMain&) {
         scene_refresh_deadline = 4999;
         frame_input.frame_time = 5000;
       },
       nullptr, true, 1, kMapFrame, {}, true, true, -1},  // FrameBookkeeping sees the deadline move
      {"bag closed with the lock cursor: cursor 0",
       [](GameMain&) {
         item_lock_mode = 1;
         window_slots.ids[WINDOW_BAG] = -1;
       },
       nullptr, true, 1, kMapFrame, {}, true, true, -1},
      {"bag open keeps the lock cursor",
       [](GameMain&) {
         item_lock_mode = 1;
         window_slots.ids[WINDOW_BAG] = 12;
       },
       nullptr, true, 1, kMapFrame, {}, true, true, -1},
  };
  for (const FrameCase& c : cases) {
    SCOPED_TRACE(c.name);
    frameState();
    presented.clear();
    if (c.before) c.before(*this);
    g_in_step = [&c](uint32_t n) {
      if (n == 1 && c.in_first_step) c.in_first_step();
    };
    const int disconnects = veldra_test::FakeNetModule::world()->disconnects;
    const int32_t events = macro_event_count();
    EXPECT_EQ(game_main_frame(run), c.goes_on);
    EXPECT_EQ(g_steps, c.steps);
    EXPECT_EQ(seam_call_names(), c.calls);
    EXPECT_EQ(macro_events_since(events), c.events);
    EXPECT_EQ(presented.size(), c.presented ? 1u : 0u);
    if (!c.goes_on) {
      EXPECT_EQ(veldra_test::FakeNetModule::world()->disconnects, disconnects + 1);
      EXPECT_EQ(run.result, c.result);
      continue;
    }
    EXPECT_EQ(game_main_frame(run), c.next_goes_on);
    EXPECT_EQ(run.result, c.result);
    if (c.next_goes_on && replay_running.load() != 0) {
      EXPECT_EQ(game_leave_mode.mode, GAME_LEAVE_NONE);
    }
  }
  MODAL_BOX_HANDLER = nullptr;
}

// The lock cursor's flag goes with the cursor; entering a battle clears the return word; leaving
// it moves the refresh deadline and takes the round end.
TEST_F(GameMain, FrameBookkeeping) {
  frameState();
  item_lock_mode = 1;
  window_slots.ids[WINDOW_BAG] = -1;
  ASSERT_TRUE(game_main_frame(run));
  EXPECT_EQ(item_lock_mode, 0);

  frame_input.frame_time = 7000;
  scene_refresh_deadline = 6999;
  ASSERT_TRUE(game_main_frame(run));
  EXPECT_EQ(scene_refresh_deadline, 17000u);

  battle_return_word = 1;
  battle_start_byte = 1;
  ASSERT_TRUE(game_main_frame(run));
  EXPECT_EQ(in_battle_flag, 1);
  EXPECT_EQ(battle_return_word, 0);

  battle_round_end_byte = 1;
  frame_input.frame_time = 9000;
  ASSERT_TRUE(game_main_frame(run));
  EXPECT_EQ(in_battle_flag, 0);
  EXPECT_EQ(scene_refresh_deadline, 19000u);
  EXPECT_EQ(battle_round_end_byte, 0);

  // A battle resumed later is not left on the old round end.
  in_battle_flag = 1;
  seam_calls_clear();
  ASSERT_TRUE(game_main_frame(run));
  EXPECT_EQ(in_battle_flag, 1);
  EXPECT_EQ(seam_call_count("battle_leave"), 0);
}

// At divisor 4 every fourth frame presents, and so does a frame in which a message arrived; the
// weather draws only on those frames.
TEST_F(GameMain, FrameDivisor) {
  frameState();
  speed_divisor.store(4);
  g_in_step = [](uint32_t n) {
    if (n == 6) scene_redraw_flag = 1;  // a world message dispatched in the step
  };
  for (int i = 0; i < 8; ++i) ASSERT_TRUE(game_main_frame(run));
  std::vector<uint64_t> frames;
  for (const auto& p : presented) frames.push_back(p.frame);
  EXPECT_EQ(presented.size(), 3u);
  EXPECT_EQ(seam_call_count("weather_draw"), 3);
  EXPECT_EQ(seam_call_count("hud_draw"), 8);  // the rest of the frame draws every time
}

// "Save pictures:" with the path once in the chat log.
TEST_F(GameMain, FrameScreenshotLine) {
  frameState();
  dir.mkdir("screenshots");
  sys_save_screenshot();
  const std::string path = sys_screenshot_path();
  ASSERT_FALSE(path.empty());
  ASSERT_TRUE(game_main_frame(run));
  ASSERT_TRUE(game_main_frame(run));
  EXPECT_STREQ(sys_screenshot_path(), "");
  ASSERT_EQ(chat_log.count, 1);
  const CHAT_LINE& line = chat_log.lines[0];
  EXPECT_EQ(line.channel, 7);
  EXPECT_EQ(line.sender_id, 0u);
  EXPECT_STREQ(line.sender, "");
  EXPECT_EQ(std::string(line.text), "Save pictures:" + path);
}

// At a battle start the pet (the unit after the player's) refuses below level bits 60.
TEST_F(GameMain, FramePetRefusal) {
  struct Case {
    const char* name;
    uint32_t record_id, unit_id;
    uint16_t level_bits;
    bool speaks;
  };
  const Case cases[] = {
      {"59 says no", 77, 77, 59, true},
      {"60 says nothing", 77, 77, 60, false},
      {"only the low seven bits count", 77, 77, 0x80 | 59, true},
      {"a record with id 0 is never matched", 0, 0, 10, false},
      {"another pet's record", 78, 77, 10, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    frameState();
    fight_units[3].in_use = 1;
    fight_units[3].id = kOwnId;
    fight_units[4].in_use = 1;
    fight_units[4].id = c.unit_id;
    pet_table[5].id = c.record_id;
    pet_table[5].level_bits = c.level_bits;
    battle_start_byte = 1;
    ASSERT_TRUE(game_main_frame(run));
    EXPECT_EQ(battle_start_byte, 0);
    const auto said = seam_calls_named("chat_bubble_show");
    ASSERT_EQ(said.size(), c.speaks ? 1u : 0u);
    if (c.speaks) {
      EXPECT_EQ(said[0].a, c.record_id);
      EXPECT_EQ(said[0].text, "#54NO!NO!");
    }
  }
}

// ---- start --------------------------------------------------------------------------------------

TEST_F(GameMain, Start) {
  game_main_frame_step = stub_step;
  player_state.status = 9;
  bag_page = 3;
  own_timed_state_flag = 1;
  frame_input.frame_time = 4000;
  frame_input.key_code = 13;
  game_main_start(run);

  EXPECT_EQ(sentIds(), (std::vector<uint32_t>{0x50005, 0xe0002, 0x190007, 0x19000b}));
  for (const auto& m : veldra_test::FakeNetModule::world()->sends) EXPECT_EQ(m.arg, 0);
  EXPECT_TRUE(sent(0x50005)->payload.empty());
  EXPECT_TRUE(sent(0x190007)->payload.empty());
  const std::string mac(kMac);
  EXPECT_EQ(sent(0x19000b)->payload, std::vector<uint8_t>(mac.c_str(), mac.c_str() + mac.size() + 1));
  EXPECT_EQ(hp().windowTitle(window), "Veldra Saga II Online( ENGLISH version 1.0.3 - 6137 ) [ Line 1: Hero ID 1001 ]");

  EXPECT_EQ(run.result, -1);
  EXPECT_EQ(run.leave_request, 0);
  EXPECT_EQ(game_running, 1);
  EXPECT_EQ(weather_display_flag, 1);
  EXPECT_EQ(own_timed_state_flag, 0);
  EXPECT_EQ(player_state.status, 0);  // the session reset ran
  EXPECT_EQ(bag_page, 0);
  EXPECT_EQ(frame_input.key_code, 0);
  EXPECT_EQ(scene_refresh_deadline, 34000u);
  EXPECT_EQ(selected_char_id, kOwnId);
  EXPECT_EQ(game_screen_state.pick_target_id, -1);
  EXPECT_EQ(game_screen_state.pick_mode, -1);
  EXPECT_EQ(game_screen_state.hud_battle_state, -1);
  EXPECT_EQ(g_steps, 0u);
  EXPECT_EQ(seam_call_names(), (std::vector<std::string>{"guild_info_reset", "scene_send_leave_requests",
                                                         "weather_set", "item_clear_bags", "macro_state_init"}));
  EXPECT_EQ(seam_calls_named("weather_set")[0].a, 3);
  EXPECT_EQ(guardLines(), 0);
}

TEST_F(GameMainNoAdapter, Start) {
  game_main_frame_step = stub_step;
  game_main_start(run);
  ASSERT_NE(sent(0x19000b), nullptr);
  EXPECT_EQ(sent(0x19000b)->payload, std::vector<uint8_t>{0});
}

// While a record is replayed the session is kept and no leave requests go out.
TEST_F(GameMain, StartWhileReplaying) {
  game_main_frame_step = stub_step;
  replaying = 1;
  player_state.status = 9;
  game_main_start(run);
  EXPECT_EQ(player_state.status, 9);
  EXPECT_EQ(seam_call_count("scene_send_leave_requests"), 0);
  EXPECT_EQ(seam_call_count("guild_info_reset"), 0);
}

// The title's names pass as code page 936 bytes.
TEST_F(GameMain, StartTitleBytes) {
  game_main_frame_step = stub_step;
  set_own_record(0xFFFFFFFE, "\xD3\xA2\xD0\xDB\xA1\xAF");
  std::strcpy(current_server_name, "\xB5\xE7\xD0\xC5");
  game_main_start(run);
  EXPECT_EQ(hp().windowTitle(window),
            "Veldra Saga II Online( ENGLISH version 1.0.3 - 6137 ) [ \xB5\xE7\xD0\xC5: \xD3\xA2\xD0\xDB\xA1\xAF ID -2 ]");
}

// The opening transition plays once, on the first entry without a battle to resume.
TEST_F(GameMain, StartFirstEntry) {
  struct Case {
    const char* name;
    uint8_t first;
    int32_t battle;
    int draws;
    uint8_t first_after;
  };
  const Case cases[] = {
      {"first entry plays it", 1, 0, 1, 0},
      {"first entry with a battle keeps it for later", 1, 1, 0, 1},
      {"later entry without it", 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    game_main_frame_step = stub_step;
    g_in_step = [](uint32_t) { battle_resume_word = 1; };  // the server resumes at once
    first_entry_flag = c.first;
    battle_return_word = c.battle;
    const int before = seam_call_count("scene_draw_frame");
    game_main_start(run);
    EXPECT_EQ(seam_call_count("scene_draw_frame") - before, c.draws);
    EXPECT_EQ(first_entry_flag, c.first_after);
    battle_return_word = 0;
  }
}

// The battle resume: 0xf0005 sent, frames until 0xf0006, then the timers and the ready bytes.
// Given up (a lost link, a leave, the link gone, 30 s), the entry goes on as one without a battle;
// after a lost link the return word stays for the login retry's entry.
TEST_F(GameMain, StartBattleResume) {
  struct Case {
    const char* name;
    std::function<void(GameMain&)> arrange;
    uint32_t min_ms, max_ms;
    bool given_up;
    int32_t return_word_after;
    uint32_t steps = 0;  // the stub steps to expect, when it steps
  };
  const Case cases[] = {
      {"ends on 0xf0006",
       [](GameMain&) {
         auto* w = veldra_test::FakeNetModule::world();
         for (int i = 0; i < 40; ++i) w->outcomes.push_back(plat::NetPoll::Idle);
         w->inbound.push_back({0xf0006, 0, {}});
       },
       1, 5000, false, 1},
      {"ends after 30 s of silence", nullptr, 30000 - FRAME_PERIOD_MS, 30200, true, 0},
      {"ends on a leave request",
       [](GameMain&) {
         game_main_frame_step = stub_step;
         g_in_step = [](uint32_t n) {
           if (n == 3) game_leave_mode.flag = 1;
         };
       },
       0, 1000, true, 0},
      {"ends when the world link is down", [](GameMain&) { net_link.world_connected = 0; }, 0, 1000, true, 0},
      {"ends after as many faulting steps as 30 s has frames, the clock standing",
       [](GameMain&) {
         game_main_frame_step = stub_step;
         g_in_step = [](uint32_t) { throw std::runtime_error("step"); };
       },
       0, 0, true, 0, GAME_RESUME_WAIT_PASSES},
      // Last: the link stays lost.
      {"ends on link loss", [](GameMain&) { veldra_test::FakeNetModule::world()->lost = true; }, 0, 1000, true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    seam_calls_clear();
    battle_reset_units();
    in_battle_flag = 0;
    veldra_test::FakeNetModule::world()->sends.clear();
    hp().debugLines().clear();
    battle_return_word = 1;
    first_entry_flag = 0;
    game_main_frame_step = frame_step;
    g_steps = 0;
    g_in_step = nullptr;
    game_leave_mode = {0, GAME_LEAVE_NONE};
    net_link.world_connected = 1;
    if (c.arrange) c.arrange(*this);
    const uint32_t start = now();
    game_main_start(run);
    const uint32_t waited = now() - start;
    EXPECT_GE(waited, c.min_ms);
    EXPECT_LE(waited, c.max_ms);
    const std::vector<uint32_t> ids = sentIds();
    if (c.name != std::string("ends when the world link is down")) {
      ASSERT_GE(ids.size(), 3u);
      EXPECT_EQ(ids[2], 0xf0005u);
    }
    // The two countdowns started and resumed, the player's side ready; or nothing of the battle.
    EXPECT_EQ(seam_call_count("battle_set_command_timer"), c.given_up ? 0 : 4);
    for (int i = 0; i < FIGHT_UNITS; ++i) EXPECT_EQ(fight_units[i].ready, i < 10 && !c.given_up ? 1 : 0) << i;
    EXPECT_EQ(battle_resume_word, 0);
    EXPECT_EQ(in_battle_flag, c.given_up ? 0 : 1);
    EXPECT_EQ(battle_return_word, c.return_word_after);
    EXPECT_EQ(game_screen_state.hud_battle_state, -1);
    EXPECT_EQ(game_running, 1);
    bool told = false;
    for (const std::string& l : hp().debugLines()) {
      told |= l.find("battle resume given up") != std::string::npos;
    }
    EXPECT_EQ(told, c.given_up);
    if (c.steps != 0) {
      EXPECT_EQ(g_steps, c.steps);
      EXPECT_EQ(guardLines(), static_cast<int>(c.steps));
    }
  }
  g_in_step = nullptr;
}

// A leave mode set during the start (the quit message in the resume wait, a close request) is
// taken at its end, before the first frame's reset could lose it.
TEST_F(GameMain, StartTakesALeaveModeSetOnTheWay) {
  struct Case {
    const char* name;
    int32_t mode;
    uint8_t leave_request;
    int32_t result;
    int menus;
  } cases[] = {
      {"back to the login", GAME_LEAVE_TO_LOGIN, 1, 0, 0},
      {"quit", GAME_LEAVE_QUIT, 1, -1, 0},
      {"system menu", GAME_LEAVE_SYSTEM_MENU, 0, -1, 1},
      {"none", GAME_LEAVE_NONE, 0, -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    seam_calls_clear();
    game_leave_mode = {0, GAME_LEAVE_NONE};
    battle_return_word = 1;
    game_main_frame_step = stub_step;
    g_in_step = [&c](uint32_t) {
      game_leave_mode.mode = c.mode;
      if (c.mode != GAME_LEAVE_NONE) game_leave_mode.flag = 1;
    };
    run = GAME_MAIN_RUN{};
    game_main_start(run);
    EXPECT_EQ(run.leave_request, c.leave_request);
    EXPECT_EQ(run.result, c.result);
    EXPECT_EQ(seam_call_count("system_menu_window_open"), c.menus);
    if (c.leave_request) {
      EXPECT_FALSE(game_main_frame(run));
    }
  }
  g_in_step = nullptr;

  // The quit message itself, through the dispatcher, in the resume wait.
  game_leave_mode = {0, GAME_LEAVE_NONE};
  battle_return_word = 1;
  net_link.world_connected = 1;
  g_steps = 0;
  g_in_step = [](uint32_t n) {
    if (n == 2) net_dispatch_message(0x190005, 0, nullptr, 0, false);
  };
  run = GAME_MAIN_RUN{};
  game_main_start(run);
  EXPECT_EQ(run.leave_request, 1);
  EXPECT_EQ(run.result, -1);
  g_in_step = nullptr;
}

// ---- end and the whole task ---------------------------------------------------------------------

TEST_F(GameMain, End) {
  frameState();
  game_running = 1;
  in_battle_flag = 1;
  game_screen_state.pick_mode = 2;
  game_screen_state.pick_target_id = 5;
  friend_count = 3;
  notice_lines_push("hello");
  window_slots.ids[WINDOW_BAG] = window_add(0, 0, 10, 10, nullptr, nullptr, 0, 0);
  window_add(0, 0, 10, 10, nullptr, nullptr, 0, 1);
  run.result = 0;
  EXPECT_EQ(game_main_end(run), 0);
  EXPECT_EQ(game_running, 0);
  EXPECT_EQ(weather_display_flag, 0);
  EXPECT_EQ(in_battle_flag, 0);
  EXPECT_EQ(game_screen_state.pick_mode, -1);
  EXPECT_EQ(game_screen_state.pick_target_id, -1);
  EXPECT_EQ(friend_count, 0);
  EXPECT_EQ(notice_lines().count, 0);
  EXPECT_TRUE(window_list(0).empty());
  EXPECT_TRUE(window_list(1).empty());
  EXPECT_EQ(window_slots.ids[WINDOW_BAG], -1);
  EXPECT_EQ(game_leave_mode.mode, GAME_LEAVE_NONE);
  ASSERT_EQ(seam_calls_named("weather_set").size(), 1u);
  EXPECT_EQ(seam_calls_named("weather_set")[0].a, 0);
}

// Closing the window in the game quits: the close request sets leave mode 2 through the
// quit operation, the window stays and the task returns -1 at the next frame.
TEST_F(GameMain, CloseRequestQuits) {
  uint32_t frames_running = 0;
  g_in_step = [&frames_running](uint32_t n) {
    if (game_running == 1) ++frames_running;
    if (n == 3) plat::headless()->inject(plat::Msg{sys_main_window(), plat::WM_CLOSE, 0, 0, 0});
  };
  game_main_frame_step = [] {
    const uint32_t n = frame_step();
    ++g_steps;
    if (g_in_step) g_in_step(g_steps);
    return n;
  };
  const int disconnects = veldra_test::FakeNetModule::world()->disconnects;
  engine_state().hooks.close_request = client_close_request;  // as the client installs it
  EXPECT_EQ(task_game_main(), -1);
  EXPECT_GE(frames_running, 3u);
  EXPECT_EQ(game_running, 0);
  EXPECT_TRUE(plat::get().windows().exists(window));
  EXPECT_EQ(veldra_test::FakeNetModule::world()->disconnects, disconnects + 1);
  EXPECT_FALSE(net_link.world_connected);
}

// The server's quit message reaches the quit operation: both links down, leave mode 2.
TEST_F(GameMain, QuitMessage) {
  frameState();
  const int disconnects = veldra_test::FakeNetModule::world()->disconnects;
  net_dispatch_message(0x190005, 0, nullptr, 0, false);
  EXPECT_EQ(game_leave_mode.mode, GAME_LEAVE_QUIT);
  EXPECT_EQ(veldra_test::FakeNetModule::world()->disconnects, disconnects + 1);
  EXPECT_EQ(net_link.own_disconnect, 1);
}

// ---- guards -------------------------------------------------------------------------------------

// A fault in a step is logged once with the step's own number and the frame goes on.
TEST_F(GameMain, Guards) {
  std::vector<std::string> seen_lines;
  for (const std::string& failing : kMapFrame) {
    SCOPED_TRACE(failing);
    frameState();
    presented.clear();
    hp().debugLines().clear();
    seam_call_fail(failing.c_str());
    ASSERT_TRUE(game_main_frame(run));
    std::vector<std::string> lines;
    EXPECT_EQ(guardLines(&lines), 1);
    EXPECT_EQ(seam_call_names(), kMapFrame);  // every later step still ran
    EXPECT_EQ(presented.size(), 1u);
    if (lines.size() == 1) {
      for (const std::string& other : seen_lines) EXPECT_NE(lines[0], other);
      seen_lines.push_back(lines[0]);
    }
  }
}

// The same in a battle frame, at the start and at the end: one line with the step's own number,
// and the rest of that part runs.
TEST_F(GameMain, GuardsAcrossTheTask) {
  std::vector<std::string> seen;
  auto one_line = [&] {
    std::vector<std::string> lines;
    EXPECT_EQ(guardLines(&lines), 1);
    for (const std::string& l : lines) {
      for (const std::string& other : seen) EXPECT_NE(l, other);
      seen.push_back(l);
    }
  };

  // A battle frame whose drawing faults still does the rest of its work and presents.
  frameState();
  presented.clear();
  hp().debugLines().clear();
  in_battle_flag = 1;
  battle_round_end_byte = 1;
  seam_call_fail("battle_draw_frame");
  ASSERT_TRUE(game_main_frame(run));
  one_line();
  EXPECT_EQ(seam_call_names(), plus(kBattleFrame, {"battle_leave"}));
  EXPECT_EQ(in_battle_flag, 0);
  EXPECT_EQ(presented.size(), 1u);
  seam_call_fail(nullptr);

  // A start whose weather faults goes on to the requests and the running game.
  frameState();
  hp().debugLines().clear();
  veldra_test::FakeNetModule::world()->sends.clear();
  seam_call_fail("weather_set");
  game_main_start(run);
  one_line();
  EXPECT_EQ(sentIds(), (std::vector<uint32_t>{0x50005, 0xe0002, 0x190007, 0x19000b}));
  EXPECT_EQ(weather_display_flag, 1);
  EXPECT_EQ(game_running, 1);

  // An end whose weather faults still closes everything and returns the result.
  hp().debugLines().clear();
  friend_count = 2;
  notice_lines_push("hello");
  run.result = 0;
  EXPECT_EQ(game_main_end(run), 0);
  one_line();
  EXPECT_EQ(game_running, 0);
  EXPECT_EQ(weather_display_flag, 0);
  EXPECT_EQ(friend_count, 0);
  EXPECT_EQ(notice_lines().count, 0);
  seam_call_fail(nullptr);
}

TEST_F(GameMain, GuardsKeepTheBookkeeping) {
  frameState();
  seam_call_fail("battle_enter");
  battle_start_byte = 1;
  ASSERT_TRUE(game_main_frame(run));
  EXPECT_EQ(battle_start_byte, 0);
  EXPECT_EQ(guardLines(), 1);

  // A faulting frame step loses its counter: nothing but a message makes the frame present.
  seam_call_fail(nullptr);
  presented.clear();
  g_in_step = [](uint32_t) { throw std::runtime_error("step"); };
  ASSERT_TRUE(game_main_frame(run));
  EXPECT_EQ(guardLines(), 2);
  EXPECT_TRUE(presented.empty());
}

// A malformed read in a step is a fault of that step like any other.
TEST_F(GameMain, GuardsCatchMalformedReads) {
  frameState();
  g_in_step = [](uint32_t) { throw plat::MalformedInput("word", 0, 4, 2); };
  ASSERT_TRUE(game_main_frame(run));
  EXPECT_EQ(guardLines(), 1);
  // The step's counter is lost: no redraw, so no weather and no bubbles.
  EXPECT_EQ(seam_call_names(),
            (std::vector<std::string>{"scene_walk_send_next_waypoint", "scene_draw_frame", "weather_update",
                                      "scene_update_zoom", "hud_draw_notice_lines", "hud_draw", "hud_update_notices",
                                      "hud_input"}));
}

TEST_F(GameMain, GuardsAtStart) {
  game_main_frame_step = stub_step;
  seam_call_fail("guild_info_reset");
  game_main_start(run);
  EXPECT_EQ(guardLines(), 1);
  EXPECT_EQ(sentIds(), (std::vector<uint32_t>{0x50005, 0xe0002, 0x190007, 0x19000b}));
  EXPECT_EQ(game_running, 1);
}

// The harness's control exceptions are not faults of a step.
TEST_F(GameMain, GuardsLetTheHarnessThrough) {
  frameState();
  g_in_step = [](uint32_t) { throw plat::test::ExitCalled{0}; };
  EXPECT_THROW(game_main_frame(run), plat::test::ExitCalled);
  g_in_step = [](uint32_t) { throw plat::test::FrameBudgetExceeded{"budget"}; };
  EXPECT_THROW(game_main_frame(run), plat::test::FrameBudgetExceeded);
  EXPECT_EQ(guardLines(), 0);
}

// ---- game run and session reset -----------------------------------------------------------------

TEST_F(GameMain, GameRun) {
  EXPECT_EQ(task_table[task_find_row(TASK_GAME_MAIN)].function, task_game_main);
  for (TASK_ENTRY& row : task_table)
    if (row.function) row.function = [] { return int32_t{-1}; };  // row 0 quits at once
  debug_flags[DEBUG_FLAG_MODE] = 1;
  hp().cursorRecord().shown = false;
  EXPECT_EQ(game_run(), 1);
  EXPECT_EQ(std::vector<uint8_t>(debug_flags, debug_flags + DEBUG_FLAGS), (std::vector<uint8_t>{0, 1, 1, 1, 1, 1, 1}));
  EXPECT_TRUE(hp().cursorRecord().shown);
  const std::vector<std::string> names = seam_call_names();
  EXPECT_EQ(names, (std::vector<std::string>{"item_load_item_bin", "scene_load_scene_bin", "battle_free_graphics"}));
  EXPECT_EQ(seam_calls_named("item_load_item_bin")[0].text, "config/item_bin.cfg");
  EXPECT_EQ(seam_calls_named("scene_load_scene_bin")[0].text, "config/scene.bin");
}

TEST_F(GameMain, SessionReset) {
  player_state.status = 3;
  pet_table[0].id = 5;
  pet_state.count = 1;
  PARTY_RECORD member{};
  member.id = 9;
  party_member_add(member);
  quest_state.counts[0] = 2;
  quest_state.tables[0][0].range = 4;
  message_slots_clear();
  msg_history.tail = 3;
  chat_log_add(6, 0, "", "line", 0);
  fight_units[0].in_use = 1;
  session_state_reset();
  EXPECT_EQ(player_state.status, 0);
  EXPECT_EQ(pet_table[0].id, 0u);
  EXPECT_EQ(pet_state.count, 0u);
  EXPECT_TRUE(party_record_free(party_tables.members[0]));
  EXPECT_EQ(quest_state.counts[0], 0);
  EXPECT_EQ(quest_state.tables[0][0].range, -1);
  EXPECT_EQ(msg_history.tail, 0);
  EXPECT_EQ(chat_log.count, 0);
  EXPECT_EQ(fight_units[0].in_use, 0);
  EXPECT_EQ(seam_call_count("guild_info_reset"), 1);
}

// The scene's frame until the full drawing: the view around the player, the map (no pages here)
// and each character's look with its name below it.
TEST_F(GameMain, SceneFrameDrawsCharactersAroundThePlayer) {
  map_record.display.map_width = 1600;
  map_record.map_height = 1200;
  scene_player_id = kOwnId;
  SCENE_CHAR_RECORD r{};
  r.id = kOwnId;
  std::strcpy(r.name, "Hero");
  r.look = 5;
  r.x = r.target_x = 1000;
  r.y = r.target_y = 700;
  ASSERT_GE(scene_add_char(r), 0);
  auto drawn = [](int x0, int y0, int x1, int y1) {
    const uint16_t dark = screen_back->rows[0][0];
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (screen_back->rows[y][x] != dark) return true;
    return false;
  };
  scene_draw_frame(screen_back);
  EXPECT_EQ(scene_view_origin.x, 600);
  EXPECT_EQ(scene_view_origin.y, 400);
  EXPECT_TRUE(drawn(380, 260, 420, 305)) << "the figure at the screen's centre";
  EXPECT_TRUE(drawn(370, 305, 440, 330)) << "its name below";
  EXPECT_FALSE(drawn(0, 0, 300, 200));
  EXPECT_NE(screen_back->rows[599][799], 0);  // dark, not black
}

}  // namespace
