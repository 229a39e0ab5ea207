// The start-up task over the start-up media set of tools/startup (packed into the test's game
// folder): each step's failure text and result, a missing interface file, the second run, the
// colour table and the state it leaves; map_control_free.
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "client/game/system_media.h"
#include "client/game/task_state.h"
#include "client/game/task_system_init.h"
#include "client/state/start_up_state.h"
#include "engine/emote/emote_text.h"
#include "graphics/bitmap/bitmap16.h"
#include "engine/winfont/winfont.h"
#include "graphics/mda/mda.h"
#include "graphics/mda/mda_services.h"
#include "social/chat_log/chat_log.h"
#include "social/chat_log/msg_history.h"
#include "social/friends/friend_table.h"
#include "tests/client/startup_media.h"
#include "tests/client/task_fixture.h"
#include "ui/game_screen/game_screen_buttons.h"
#include "ui/game_screen/game_screen_state.h"
#include "ui/game_screen/window_slots.h"
#include "ui/notices/notice_lines.h"
#include "world/battle/battle_words.h"
#include "world/map/map_data.h"
#include "world/scene/extra_media.h"
#include "world/scene/view_frames.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string>& media_boxes() {
  static std::vector<std::string> v;
  return v;
}
void record_media_box(const char* text) { media_boxes().emplace_back(text); }

class StartupTask : public task_test::TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
    media_boxes().clear();
    mda_set_message_box(record_media_box);
    client_test::write_startup_media(dir);
  }
  void TearDown() override {
    mda_set_message_box(nullptr);
    TaskTest::TearDown();
  }

  // Runs the task with a click scheduled to dismiss the box a failure shows.
  int32_t runWithClick() {
    scheduleClick(elapsedMs() + 500);
    return task_system_initialize();
  }
};

// ---- each step's failure ----------------------------------------------------------------------

std::vector<int>& steps_run() {
  static std::vector<int> v;
  return v;
}
int g_failing_step = -1;
INIT_STEP g_real[INIT_STEPS];

// Step I recorded, then failed or run for real.
template <int I>
int32_t recorded_step() {
  steps_run().push_back(I);
  return I == g_failing_step ? -1 : g_real[I].run();
}
template <int... I>
void install_recorders(std::integer_sequence<int, I...>) {
  ((init_chain[I].run = recorded_step<I>), ...);
}

struct StepCase {
  int step;
  const char* text;
};
void PrintTo(const StepCase& c, std::ostream* os) { *os << c.text; }

class StartupTaskStep : public StartupTask, public ::testing::WithParamInterface<StepCase> {};

TEST_P(StartupTaskStep, FailureShowsItsTextStopsTheChainAndEndsWithMinusOne) {
  const StepCase& c = GetParam();
  for (int i = 0; i < INIT_STEPS; ++i) g_real[i] = init_chain[i];
  steps_run().clear();
  g_failing_step = c.step;
  install_recorders(std::make_integer_sequence<int, INIT_STEPS>{});

  EXPECT_EQ(runWithClick(), -1);

  EXPECT_EQ(logged(c.text), 1) << errorTxt();
  std::vector<int> want;
  for (int i = 0; i <= c.step; ++i) want.push_back(i);
  EXPECT_EQ(steps_run(), want) << "the steps after the failed one do not run";
  EXPECT_EQ(sys_get_exit_status(), -1) << "the end that follows must not read as success";
  EXPECT_EQ(task_table[0].next_on_minus_1, TASK_SYSTEM_QUIT);
}

INSTANTIATE_TEST_SUITE_P(
    Chain, StartupTaskStep,
    ::testing::Values(StepCase{0, "Initialize color control Error !"}, StepCase{1, "Initialize extra mda Error !"},
                      StepCase{2, "Initialize display text Error !"}, StepCase{3, "Initialize game control Error !"},
                      StepCase{4, "Initialize music & voice Error !"}, StepCase{5, "Read system image error !"},
                      StepCase{6, "Initialize map_base_data Error !"}, StepCase{7, "Initialize map control Error !"},
                      StepCase{8, "Initialize system control Error !"}, StepCase{9, "Initialize chat data Error !"},
                      StepCase{10, "Initialize chat data buffer Error !"}, StepCase{11, "Initialize START_UP Error !"},
                      StepCase{12, "Initialize Title data Error !"}),
    [](const auto& info) { return "Step" + std::to_string(info.param.step); });

// ---- missing files ----------------------------------------------------------------------------

TEST_F(StartupTask, MissingHeadMediaShowsTheLoaderThenTheStepText) {
  fs::remove(dir.hostPath("system/head.mda"));
  EXPECT_EQ(runWithClick(), -1);
  EXPECT_EQ(media_boxes(), std::vector<std::string>{"Unable to launch system\\head.mda file"});
  EXPECT_EQ(logged("Read system image error !"), 1);
  EXPECT_EQ(logged("Initialize map_base_data Error !"), 0);
  EXPECT_EQ(map_layers[0], nullptr) << "the map steps did not run";
}

TEST_F(StartupTask, MissingFileOfEachKindFailsItsStep) {
  struct Case {
    const char* file;
    const char* text;
  };
  for (const Case& c : {Case{"system/mapmenu.mda", "Read system image error !"},       // read by frames
                        Case{"system/c1meu026.mda", "Read system image error !"},      // settings buttons
                        Case{"system/bigitem.mda", "Read system image error !"},       // the last load
                        Case{"mda/point.mda", "Initialize map control Error !"}}) {
    SCOPED_TRACE(c.file);
    TearDown();
    SetUp();
    fs::remove(dir.hostPath(c.file));
    EXPECT_EQ(runWithClick(), -1);
    EXPECT_EQ(logged(c.text), 1);
    EXPECT_EQ(media_boxes().size(), 1u);
  }
}

// The bitmap steps: a bitmap that cannot be made fails the step with the log line.
TEST_F(StartupTask, BitmapStepsFailWhenABitmapCannotBeMade) {
  struct Case {
    const char* name;
    int fail_at;
    int32_t (*step)();
  };
  for (const Case& c : {Case{"third map layer", 3, map_base_data_init}, Case{"map control", 1, map_control_init},
                        Case{"start-up bitmap", 1, start_up_data_init}}) {
    SCOPED_TRACE(c.name);
    const int before = logged("Unable to collocate memory");
    bitmap_alloc_fail_at(c.fail_at);
    EXPECT_NE(c.step(), 0);
    bitmap_alloc_fail_at(0);
    const int lines = c.step == start_up_data_init ? 0 : 1;  // the start-up bitmap logs nothing
    EXPECT_EQ(logged("Unable to collocate memory"), before + lines);
  }
  EXPECT_EQ(map_layers[2], nullptr);
  EXPECT_EQ(start_up_data.bitmap, nullptr);
}

// ---- success ----------------------------------------------------------------------------------

TEST_F(StartupTask, SuccessBuildsTheResourcesAndASecondRunOnlyResets) {
  window_slots.ids[WINDOW_BAG] = 7;
  friend_table[3].bytes[0] = 1;
  notice_lines().count = 2;
  std::strcpy(chat_log.lines[5].text, "old");
  msg_history.head = 4;
  msg_history.tail = 2;
  msg_history.records[1].sender_id = 9;
  const uint64_t frames_before = frame_counter();

  ASSERT_EQ(task_system_initialize(), 0) << errorTxt();
  EXPECT_EQ(sys_get_exit_status(), 0);
  EXPECT_TRUE(media_boxes().empty());
  EXPECT_EQ(frame_counter(), frames_before + 1) << "one frame step at the end";

  for (int32_t id : window_slots.ids) EXPECT_EQ(id, -1);
  EXPECT_EQ(friend_table[3].bytes[0], 0);
  EXPECT_EQ(notice_lines().count, 0);
  EXPECT_EQ(chat_log.lines[5].text[0], 0);
  EXPECT_EQ(msg_history.head, 0);
  EXPECT_EQ(msg_history.tail, 0);
  EXPECT_EQ(msg_history.records[1].sender_id, 0u);
  ASSERT_EQ(view_frames.size(), 1u);
  for (const EXTRA_MEDIA_SLOT& s : extra_media_slots) {
    EXPECT_EQ(s.handles[0], -1);
    EXPECT_EQ(s.free, 1);
  }
  for (BITMAP16* layer : map_layers) ASSERT_NE(layer, nullptr);
  EXPECT_EQ(map_layers[0]->width, 801u);
  EXPECT_EQ(map_layers[0]->height, 601u);
  ASSERT_NE(map_control_bitmap, nullptr);
  EXPECT_GE(mda_find_by_id(map_point_handle), 0);
  ASSERT_NE(start_up_data.bitmap, nullptr);
  EXPECT_EQ(start_up_data.bitmap->width, 400u);
  EXPECT_NE(emote_text, nullptr);

  // The media are found by name, case ignored; a file read by frames holds every frame.
  EXPECT_GE(mda_find_by_id(system_media_handle("SYSTEM\\HEAD.MDA")), 0);
  ASSERT_NE(system_media_frames("system\\mapmenu.mda"), nullptr);
  EXPECT_EQ(system_media_frames("system\\mapmenu.mda")->size(), 6u);
  EXPECT_EQ(system_media_frames("system\\info.mda")->size(), 3u);
  EXPECT_GE(system_media_handle("system\\c1meu031.mda"), 0) << "loaded after its frames were read";
  EXPECT_NE(system_media_handle("system\\c1meu010.mda"), system_media_handle("system\\phiz.mda"));

  // Every button holds what mda_init_button reports for its frame, its id and tooltip.
  const int32_t buttons = system_media_handle("system\\c1meu018b.mda");
  for (int i = 0; i < HUD_BUTTONS; ++i) {
    SCOPED_TRACE(i);
    MDA_BUTTON want{};
    ASSERT_EQ(mda_init_button(buttons, hud_button_defs[i].frame, &want, hud_button_defs[i].tooltip,
                              hud_button_defs[i].id),
              0);
    const MDA_BUTTON& got = game_screen_button(i);
    EXPECT_EQ((std::vector<int32_t>{got.command, got.left, got.top, got.right, got.bottom, got.user_value}),
              (std::vector<int32_t>{want.command, want.left, want.top, want.right, want.bottom, want.user_value}));
    EXPECT_STREQ(got.name, hud_button_defs[i].tooltip);
  }
  EXPECT_EQ(game_screen_buttons.bottom_bar[0].left, 150) << "the manifest's place of the first button";
  EXPECT_EQ(game_screen_buttons.top_right[6].user_value, 46);
  EXPECT_EQ(settings_window_buttons[0].command, 2);
  EXPECT_EQ(settings_window_buttons[2].command, 6);
  EXPECT_STREQ(settings_window_buttons[1].name, "Lower Volume");

  // The second run: only the task state is reset.
  const int32_t entries = mda_table.count;
  task_state_words.selection[2] = 9;
  task_state_words.counters[0] = 3;
  record_state.mirror = 1;
  task_system_state_block[119] = 1;
  window_slots.ids[WINDOW_BAG] = 7;
  EXPECT_EQ(task_system_initialize(), 0);
  EXPECT_EQ(task_state_words.selection[2], -1);
  EXPECT_EQ(task_state_words.counters[0], 0);
  EXPECT_EQ(record_state.mirror, 0);
  EXPECT_EQ(task_system_state_block[119], 0);
  EXPECT_EQ(window_slots.ids[WINDOW_BAG], 7) << "the chain did not run again";
  EXPECT_EQ(mda_table.count, entries);
}

// A close taken before the task returns (in a box's wait or in its last frame step) ends the
// process as a failed start.
TEST_F(StartupTask, CloseBeforeTheTaskReturnsEndsWithMinusOne) {
  for (bool box : {true, false}) {
    SCOPED_TRACE(box ? "while a box waits" : "in the last frame step");
    TearDown();
    SetUp();
    if (box) fs::remove(dir.hostPath("system/head.mda"));
    scheduleMessage(elapsedMs(), plat::WM_CLOSE, 0, 0);
    try {
      task_system_initialize();
      ADD_FAILURE() << "the close did not end the process";
    } catch (const plat::test::ExitCalled& e) {
      EXPECT_EQ(e.code, -1);
    }
  }
}

// ---- the colour table -------------------------------------------------------------------------

TEST_F(StartupTask, ColourTablePacksInTheScreenFormatAndFillsTheFontTables) {
  struct Case {
    int format;
    uint16_t white, orange, navy, last;  // entries 0, 12 (255,102,0), 17 (7,44,124), 23 (20,2,202)
  };
  const PIXEL_OPS saved = pixel_ops;
  for (const Case& c : {Case{PIXEL_FORMAT_565, 0xFFFF, 0xFB20, 0x016F, 0x1019},
                        Case{PIXEL_FORMAT_555, 0x7FFF, 0x7D80, 0x00AF, 0x0819}}) {
    pixel_ops = pixel_ops_family(c.format);
    ASSERT_EQ(colour_control_init(), 0);
    EXPECT_EQ((std::vector<uint16_t>{system_colours[0], system_colours[12], system_colours[17], system_colours[23]}),
              (std::vector<uint16_t>{c.white, c.orange, c.navy, c.last}))
        << "format " << c.format;
    for (int i = 0; i < WINFONT_COLOURS; ++i) {
      EXPECT_EQ(winfont_state().colours[i], system_colours[i]) << i;
      EXPECT_EQ(winfont_state().second_colours[i], system_colours[i + 8]) << i;
    }
  }
  pixel_ops = saved;
}

// ---- game control -----------------------------------------------------------------------------

TEST_F(StartupTask, GameControlRunAgainRestoresTheStartValues) {
  music_playing = 1;
  music_loop_flag = 1;
  game_leave_mode = {1, GAME_LEAVE_QUIT};
  pick_char_id = 4;
  pick_hover_id = 5;
  game_screen_state.hit_code = 3;
  window_slots.ids[WINDOW_CHAT_PANEL] = 2;
  window_slots.ids[WINDOW_NPC_LIST] = 0;
  EXPECT_EQ(game_control_init(), 0);
  EXPECT_EQ(music_playing, 0u);
  EXPECT_EQ(music_loop_flag, 0u);
  EXPECT_EQ(game_leave_mode.flag, 0);
  EXPECT_EQ(game_leave_mode.mode, GAME_LEAVE_NONE);
  EXPECT_EQ(pick_char_id, -1);
  EXPECT_EQ(pick_hover_id, -1);
  EXPECT_EQ(game_screen_state.hit_code, 0xFFFF);
  for (int32_t id : window_slots.ids) EXPECT_EQ(id, -1);
}

// ---- map_control_free -------------------------------------------------------------------------

TEST_F(StartupTask, MapControlFree) {
  int32_t kept = -1, a = -1, b = -1;
  ASSERT_EQ(mda_load_file("mda\\point.mda", &kept), 0);
  ASSERT_EQ(mda_load_file("mda\\point.mda", &a), 0);
  ASSERT_EQ(mda_load_file("system\\lock.mda", &b), 0);
  map_record.display = {32, 16, 1200, 7};
  map_record.images.resize(3);
  map_record.images[1].data.assign(100, 1);
  map_record.cells = {1, 2, 3};
  map_record.regions.resize(1);
  map_record.objects.resize(3);
  const int32_t looks[3] = {a, -1, b};
  for (int i = 0; i < 3; ++i) map_record.objects[i].look = looks[i];

  map_control_free();

  EXPECT_EQ((std::vector<int32_t>{map_record.display.cell_width, map_record.display.cell_height,
                                  map_record.display.map_width, map_record.display.head}),
            (std::vector<int32_t>{16, 8, 600, 0}));
  EXPECT_TRUE(map_record.images.empty());
  EXPECT_TRUE(map_record.cells.empty());
  EXPECT_TRUE(map_record.regions.empty());
  EXPECT_TRUE(map_record.objects.empty());
  EXPECT_EQ(mda_find_by_id(a), -2);
  EXPECT_EQ(mda_find_by_id(b), -2);
  EXPECT_GE(mda_find_by_id(kept), 0) << "a handle no object holds stays";
  EXPECT_EQ(mda_table.count, 1);

  // A second free finds nothing more to release.
  map_control_free();
  EXPECT_EQ(mda_table.count, 1);
}

}  // namespace
