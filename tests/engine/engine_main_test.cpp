// The engine main: its end roads, its start failures, the main window and the set-up options.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/engine_main/engine_state.h"
#include "tests/engine/engine_fixture.h"

namespace engine_test {
namespace {

using EngineMain = EngineTest;

enum class Road { NormalReturn, FailedRun, CloseMessage, FatalInRun, FatalInFree, FatalInShutdown };

struct EndRoadCase {
  const char* name;
  Road road;
  int exit_on_close;
  std::optional<int> exit_code;  // nothing: engine_main returned
};

void PrintTo(const EndRoadCase& c, std::ostream* os) { *os << c.name; }

class EngineMainEndRoads : public EngineTest, public ::testing::WithParamInterface<EndRoadCase> {};

TEST_P(EngineMainEndRoads, ShutdownAndFreeHooksRunOnceAndTheExitCodeFitsTheRoad) {
  const EndRoadCase& c = GetParam();
  Scenario& s = scenario();
  s.exit_on_close = c.exit_on_close;
  s.modules = 4;
  switch (c.road) {
    case Road::NormalReturn:
      break;
    case Road::FailedRun:
      // The client marks a run whose start did not complete.
      s.run_body = [] { sys_set_exit_status(-1); };
      break;
    case Road::CloseMessage:
      s.run_body = [] {
        plat::get().events().post(plat::kNoWindow, plat::WM_CLOSE, 0, 0);
        for (int i = 0; i < 10 && sys_main_window() != plat::kNoWindow; ++i) sys_pump_messages();
      };
      break;
    case Road::FatalInRun:
      s.run_body = [] { sys_fatal_error("boom"); };
      break;
    case Road::FatalInFree:
      s.fatal_in_free = 'C';
      break;
    case Road::FatalInShutdown:
      s.fatal_in_shutdown = true;
      break;
  }

  const std::optional<int> code = run_engine();

  EXPECT_EQ(code, c.exit_code);
  EXPECT_EQ(s.count("shutdown"), 1);
  const std::vector<std::string> frees(s.calls.end() - 4, s.calls.end());
  EXPECT_EQ(frees, (std::vector<std::string>{"free:D", "free:C", "free:B", "free:A"}));
  EXPECT_EQ(plat::get().windows().mainWindow(), plat::kNoWindow);
  const bool fatal = c.road == Road::FatalInRun || c.road == Road::FatalInFree || c.road == Road::FatalInShutdown;
  const auto& boxes = headless().boxes();
  if (fatal) {
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Test Title");
    EXPECT_EQ(boxes[0].text, c.road == Road::FatalInRun    ? "boom"
                             : c.road == Road::FatalInFree ? "free failed"
                                                           : "shutdown failed");
  } else {
    EXPECT_TRUE(boxes.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    EngineMain, EngineMainEndRoads,
    ::testing::Values(EndRoadCase{"NormalReturnKeepOpen", Road::NormalReturn, 0, std::nullopt},
                      EndRoadCase{"NormalReturnExitOnClose", Road::NormalReturn, 1, 0},
                      EndRoadCase{"CloseMessageExitOnClose", Road::CloseMessage, 1, 0},
                      EndRoadCase{"FailedRunExitOnClose", Road::FailedRun, 1, -1},
                      EndRoadCase{"CloseMessageKeepOpen", Road::CloseMessage, 0, std::nullopt},
                      EndRoadCase{"FatalExitOnClose", Road::FatalInRun, 1, -1},
                      EndRoadCase{"FatalKeepOpen", Road::FatalInRun, 0, -1},
                      EndRoadCase{"FatalInsideFreeHook", Road::FatalInFree, 1, -1},
                      EndRoadCase{"FatalInsideShutdownHook", Road::FatalInShutdown, 1, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineMain, FatalErrorEndsTheProcessWith255EvenWithExitOnClose) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        plat::test::setExitHandler(false);
        scenario().exit_on_close = 1;
        scenario().run_body = [] { sys_fatal_error("boom"); };
        run_engine();
      },
      ::testing::ExitedWithCode(255), "");
}

// A failure must not read as success: a failed init hook makes engine_main return -1, and a
// run the client marked failed returns -1 when no exit-on-close ends it first.
TEST_F(EngineMain, FailedStartsReturnMinusOne) {
  scenario().exit_on_close = 0;
  scenario().init_result = 1;
  EXPECT_EQ(engine_main(recording_hooks(), "", plat::SW_SHOWNORMAL), -1);
}

TEST_F(EngineMain, FailedRunKeepOpenReturnsTheExitStatus) {
  scenario().exit_on_close = 0;
  scenario().run_body = [] { sys_set_exit_status(-1); };
  EXPECT_EQ(engine_main(recording_hooks(), "", plat::SW_SHOWNORMAL), -1);
}

struct StartFailureCase {
  const char* name;
  int pre_init_result;
  bool another_copy;
  bool create_fails;
  int init_result;
  std::vector<std::string> calls;
  bool window_stays;
  const char* box_caption;  // nullptr: no box
};

void PrintTo(const StartFailureCase& c, std::ostream* os) { *os << c.name; }

class EngineMainStartFailures : public EngineTest, public ::testing::WithParamInterface<StartFailureCase> {};

TEST_P(EngineMainStartFailures, StopBeforeTheHooksThatFollow) {
  const StartFailureCase& c = GetParam();
  Scenario& s = scenario();
  s.pre_init_result = c.pre_init_result;
  s.exit_on_close = 0;
  s.single_instance = 1;
  s.init_result = c.init_result;
  s.modules = 2;
  headless().setAnotherCopyRunning(c.another_copy);
  headless().setWindowCreateFails(c.create_fails);

  EXPECT_EQ(run_engine(), std::nullopt);

  EXPECT_EQ(s.calls, c.calls);
  EXPECT_EQ(plat::get().windows().mainWindow() != plat::kNoWindow, c.window_stays);
  const auto& boxes = headless().boxes();
  if (c.box_caption) {
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, c.box_caption);
    EXPECT_FALSE(boxes[0].text.empty());
  } else {
    EXPECT_TRUE(boxes.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    EngineMain, EngineMainStartFailures,
    ::testing::Values(
        StartFailureCase{"PreInitFails", 1, false, false, 0, {"pre_init"}, false, nullptr},
        StartFailureCase{"AnotherCopyRuns", 0, true, false, 0, {"pre_init"}, false, nullptr},
        StartFailureCase{"WindowCreationFails", 0, false, true, 0, {"pre_init"}, false, "CreateWindowEx"},
        // No shutdown hook and no free hooks; the window stays until the process ends.
        StartFailureCase{"InitFails", 0, false, false, 1, {"pre_init", "init"}, true, nullptr},
        StartFailureCase{"NothingFails", 0, false, false, 0,
                         {"pre_init", "init", "run", "shutdown", "free:B", "free:A"}, false, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

struct PlacementCase {
  plat::Size screen;
  plat::Point expected;
};

void PrintTo(const PlacementCase& c, std::ostream* os) { *os << "screen " << c.screen.w << "x" << c.screen.h; }

class EngineMainPlacement : public EngineTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(EngineMainPlacement, WindowIsCentredInTheUsableAreaWithSignedDivision) {
  headless().options().screen = GetParam().screen;
  plat::Rect rect;
  scenario().exit_on_close = 0;
  scenario().run_body = [&rect] { rect = plat::get().windows().windowRect(sys_main_window()); };
  run_engine();
  EXPECT_EQ(rect.left, GetParam().expected.x);
  EXPECT_EQ(rect.top, GetParam().expected.y);
  EXPECT_EQ(rect.width(), 800);
  EXPECT_EQ(rect.height(), 600);
}

INSTANTIATE_TEST_SUITE_P(EngineMain, EngineMainPlacement,
                         ::testing::Values(PlacementCase{{1024, 768}, {112, 84}}, PlacementCase{{640, 480}, {-80, -60}},
                                           PlacementCase{{801, 601}, {0, 0}}));

TEST_F(EngineMain, StoredPositionTurnsCentringOff) {
  plat::Rect rect;
  scenario().exit_on_close = 0;
  scenario().run_body = [&rect] { rect = plat::get().windows().windowRect(sys_main_window()); };
  sys_set_window_pos(10, 20);
  run_engine();
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.top, 20);
}

struct SizeCase {
  int32_t w, h;
  bool taken;
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.w << "x" << c.h; }

class EngineMainScreenSize : public EngineTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(EngineMainScreenSize, OnlyTheFiveModesAreTaken) {
  sys_set_screen_size(800, 600);
  sys_set_screen_size(GetParam().w, GetParam().h);
  EXPECT_EQ(sys_get_screen_width(), GetParam().taken ? GetParam().w : 800);
  EXPECT_EQ(sys_get_screen_height(), GetParam().taken ? GetParam().h : 600);
}

INSTANTIATE_TEST_SUITE_P(EngineMain, EngineMainScreenSize,
                         ::testing::Values(SizeCase{640, 480, true}, SizeCase{1024, 768, true},
                                           SizeCase{1152, 864, true}, SizeCase{1280, 1024, true},
                                           SizeCase{1000, 700, false}, SizeCase{800, 480, false},
                                           SizeCase{1280, 960, false}, SizeCase{0, 0, false},
                                           SizeCase{-640, -480, false}));

TEST_F(EngineMain, AppTitleIsCutAt255BytesOnACharacterBoundary) {
  std::string text(254, 'a');
  text += "\xD6\xD0";  // a double-byte character that would end at byte 256
  char* buffer = sys_set_app_title(text.c_str());
  EXPECT_EQ(buffer, sys_get_app_title());
  EXPECT_EQ(std::string(buffer), std::string(254, 'a'));

  EXPECT_EQ(std::strlen(sys_set_app_title(std::string(300, 'b').c_str())), 255u);
  EXPECT_STREQ(sys_set_app_title("Veldra"), "Veldra");
}

// The options the client never calls.

int32_t custom_proc_calls = 0;
int32_t custom_proc(const plat::Msg& m) {
  if (m.message == plat::WM_MUSIC_EVENT) ++custom_proc_calls;
  return engine_window_proc(m);
}

TEST_F(EngineMain, WindowProcReplacementIgnoresNull) {
  custom_proc_calls = 0;
  scenario().in_pre_init = [] {
    sys_set_window_proc(custom_proc);
    sys_set_window_proc(nullptr);
  };
  scenario().exit_on_close = 0;
  scenario().run_body = [] {
    plat::get().events().post(plat::kNoWindow, plat::WM_MUSIC_EVENT, 0, 0);
    sys_pump_messages();
  };
  run_engine();
  EXPECT_EQ(custom_proc_calls, 1);
}

std::vector<std::string> dropped;
void record_drop(int count, int index, const char* path) {
  dropped.push_back(std::to_string(count) + ":" + std::to_string(index) + ":" + path);
}

TEST_F(EngineMain, DroppedFilesReachTheHandlerAsCp936Paths) {
  dropped.clear();
  EXPECT_EQ(sys_set_drop_handler(record_drop), record_drop);
  platform().dropGroups[7] = plat::DropGroup{{"maps\\a.txt", std::string(300, 'x'), "\xD6\xD0\\b.txt"}, {}};
  scenario().exit_on_close = 0;
  scenario().run_body = [this] {
    headless().inject(plat::Msg{plat::kNoWindow, plat::WM_DROPFILES, 7, 0, 0});
    sys_pump_messages();
  };
  run_engine();
  // The 300-byte name does not fit the 256-byte buffer and is skipped.
  EXPECT_EQ(dropped, (std::vector<std::string>{"3:0:maps\\a.txt", "3:2:\xD6\xD0\\b.txt"}));
  EXPECT_EQ(platform().finishedDrops, std::vector<uint32_t>{7});
}

TEST_F(EngineMain, FlagOptionsStoreOneForAnyNonZeroValue) {
  sys_set_alt_enter(0);
  EXPECT_EQ(engine_state().alt_enter, 0);
  sys_set_alt_enter(5);
  EXPECT_EQ(engine_state().alt_enter, 1);
  sys_set_double_clicks(-3);
  EXPECT_EQ(engine_state().double_clicks, 1);
  sys_set_icons(11, 12);
  EXPECT_EQ(engine_state().icon_large, 11u);
  EXPECT_EQ(engine_state().icon_small, 12u);
}

TEST_F(EngineMain, ModuleResetEmptiesBothTables) {
  install_recording_modules(3);
  sys_module_reset();
  EXPECT_EQ(sys_module_free_count(), 0);
  EXPECT_EQ(sys_module_notify_count(), 0);
  engine_free_modules();
  EXPECT_TRUE(scenario().calls.empty());
}

TEST_F(EngineMain, LastErrorBoxIsAnInformationBoxCaptionedAsGiven) {
  sys_show_last_error(nullptr);
  sys_show_last_error("UnregisterClass");
  const auto& boxes = headless().boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, "INFO");
  EXPECT_EQ(boxes[1].caption, "UnregisterClass");
  EXPECT_EQ(boxes[0].style, plat::MB_ICONINFORMATION);
}

}  // namespace
}  // namespace engine_test
