// Start-up through the engine main with the client's hooks: the whole road's error.txt, the
// window it asks for, the module order, each failed install and the failure roads of
// client_init.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "client/common/spew_box.h"
#include "plat/platform.h"
#include "engine/winfont/winfont.h"
#include "tests/client/client_start_fixture.h"
#include "tests/support/locked_folder.h"

namespace client_test {
namespace {

// ---- recording modules ------------------------------------------------------------------------

std::vector<std::string> calls;
int failing_module = -1;
int winfont_face_at_init = 0;
int winfont_weight_at_init = 0;
plat::HeadlessPlatform* current_headless = nullptr;

template <int I>
int rec_init() {
  calls.push_back(std::string("init ") + engine_module_table[I].name);
  if (I == ENGINE_MODULE_WINFONT) {
    winfont_face_at_init = static_cast<int>(winfont_state().face_kind);
    winfont_weight_at_init = static_cast<int>(winfont_state().weight);
  }
  return I == failing_module ? -1 : 0;
}
template <int I>
void rec_free() {
  calls.push_back(std::string("free ") + engine_module_table[I].name);
}
void rec_notify(uint32_t) {}

template <int I>
void record(bool keepRealInit) {
  ENGINE_MODULE_ROW& row = engine_module_table[I];
  if (!keepRealInit) {
    row.init = rec_init<I>;
    row.free = rec_free<I>;
    row.notify = rec_notify;
  }
}

void recordAll() {
  record<0>(false);
  record<1>(false);
  record<2>(false);
  record<3>(false);
  record<4>(false);
  record<5>(false);
  record<6>(false);
}

// ---- fixture --------------------------------------------------------------------------------

class ClientStart : public ClientStartTest {
 protected:
  void SetUp() override {
    ClientStartTest::SetUp();
    calls.clear();
    failing_module = -1;
    winfont_face_at_init = winfont_weight_at_init = 0;
    current_headless = &headless();
    // The system information lines of the real SYSTEM module are fixed by the headless
    // platform; the locale key makes them the e2e's.
    headless().setRegistryValue(plat::Hive::CurrentUser, "Control Panel\\International", "locale", "00000409");
  }
};

std::string goldenLog(const std::string& gameDir) {
  return "SYSTEM module initialize starting...\n"
         "           Vender : HeadlessTest\n"
         "            Speed : Approx. 1000 MHz(MMX)\n"
         "           Memory : 1024 M\n"
         " Operation System : WinNT\n"
         "           Locale : Traditional\n"
         "     Working Path : " + gameDir + "\n"
         "SYSTEM module initialized OKay.\n"
         "\n"
         "DRAW module initialize starting...\n"
         "    Update Screen : DirectDraw\n"
         " VGA Pixel R mask : 0x0000f800\n"
         " VGA Pixel G mask : 0x000007e0\n"
         " VGA Pixel B mask : 0x0000001f\n"
         " VGA Pixel Format : 565\n"
         "DRAW module initialized OKay.\n"
         "\n"
         "TIMER module initialize starting...\n"
         "       Period Max : 1000000\n"
         "       Period Min : 1\n"
         "     Begin Period : 1\n"
         "Timer Event Delay : 10 ms\n"
         "TIMER module initialized OKay.\n"
         "\n"
         "INPUT module initialize starting...\n"
         "INPUT module initialized OKay.\n"
         "\n"
         "SOUND module initialize starting...\n"
         "       Sound Play : DirectSound\n"
         "      Wave format : PCM Wave\n"
         "         Channels : 2\n"
         "  Samples per sec : 22050\n"
         "  Bits per sample : 16\n"
         "SOUND module initialized OKay.\n"
         "\n"
         "Game Start OK\n"
         "Unable to connect to the designated server, please run update.exe\n"
         "Game Exit OK\n"
         "SOUND module free OKay.\n"
         "INPUT module free OKay.\n"
         "TIMER module free OKay.\n"
         "DRAW module free OKay.\n"
         "SYSTEM module free OKay.\n";
}

// What the window looked like while the game ran.
plat::Rect window_rect;
bool display_fullscreen = false;
int watch_run() {
  plat::Platform& p = plat::get();
  window_rect = p.windows().windowRect(sys_main_window());
  display_fullscreen = current_headless->memoryDisplay().fullscreen();
  return client_run();
}

TEST_F(ClientStart, MainRoadLeavesTheGoldenLogAndTheDefaultSettings) {
  scheduleClose(500);
  EXPECT_EQ(runClient(watch_run), 0);
  EXPECT_EQ(logText(), goldenLog(gameDir()));
  EXPECT_EQ(dir.read("veldra.cfg").size(), 180u);
  EXPECT_TRUE(std::filesystem::is_directory(hostPath("screenshots")));
  EXPECT_STREQ(sys_get_app_title(), "Veldra Saga II Online( ENGLISH version 1.0.3 - 6137 )");
  EXPECT_EQ(sys_get_display_mode(), 1);
  EXPECT_EQ(sys_get_screen_width(), 800);
  EXPECT_EQ(sys_get_screen_height(), 600);
  EXPECT_FALSE(display_fullscreen);
  EXPECT_EQ(window_rect.left, 0);
  EXPECT_EQ(window_rect.top, 0);
  EXPECT_EQ(plat::tier0::spewOutputFunc(), &spew_message_box);
}

// Start-up, the account screen (no server lines handed over) and shut-down twice in one process, over the same game folder:
// once every module's reset has run (the fixture's TearDown and SetUp, with a fresh platform as a
// new process would have), the second start logs exactly what the first did. With veldra.cfg
// in the way, the first line is logged before SYSTEM opens the log: kept state of the log's
// first opening would drop it the second time.
TEST_F(ClientStart, SecondStartInOneProcessLogsAsTheFirst) {
  for (const bool cfgInTheWay : {false, true}) {
    SCOPED_TRACE(cfgInTheWay ? "veldra.cfg is a folder" : "plain game folder");
    TearDown();
    std::filesystem::remove_all(dir.hostPath("veldra.cfg"));
    if (cfgInTheWay) dir.mkdir("veldra.cfg");
    SetUp();
    scheduleClose(500);
    ASSERT_EQ(runClient(), 0);
    const std::string first = errorTxt();
    ASSERT_NE(first.find("Unable to connect to the designated server, please run update.exe\r\nGame Exit OK\r\n"), std::string::npos) << first;
    EXPECT_EQ(first.starts_with("Unable to create veldra.cfg file\r\n"), cfgInTheWay);

    TearDown();
    SetUp();
    scheduleClose(500);
    ASSERT_EQ(runClient(), 0);
    EXPECT_EQ(errorTxt(), first);  // no time stamps on this road: byte for byte
  }
}

// A game folder the player may not write: the game runs and ends as usual, and each file or
// folder it could not make is named where the log goes.
class ClientStartLockedFolder : public ClientStart, public ::testing::WithParamInterface<veldra_test::Lock> {};

TEST_P(ClientStartLockedFolder, RunsAndSaysWhatItCouldNotMake) {
  if (auto why = veldra_test::LockedFolder::skipReason(GetParam()); !why.empty()) GTEST_SKIP() << why;
  // Only the start-up files are there; nothing is added.
  auto listing = [&] {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> before = listing();
  veldra_test::LockedFolder lock(dir.path(), GetParam());
  scheduleClose(500);
  ::testing::internal::CaptureStderr();
  const std::optional<int> code = runClient();
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(code, 0);
  std::string log = goldenLog(gameDir());
  const std::string start = "Game Start OK\n";
  log.insert(log.find(start), "Unable to create screenshots folder (" + hostPath("screenshots").string() +
                                  "): Permission denied\n");
  log = "Unable to create error.txt (" + hostPath("error.txt").string() + "): Permission denied\n" +
        "Unable to create veldra.cfg file\n" + log;
  EXPECT_EQ(err, log);
  EXPECT_EQ(listing(), before);
  EXPECT_EQ(settings.volume, 100);  // the defaults, in memory only
}

INSTANTIATE_TEST_SUITE_P(Lock, ClientStartLockedFolder, veldra_test::allLocks(), veldra_test::lockName);

TEST_F(ClientStart, FullScreenWordOpensDesktopFullScreen) {
  SETTINGS_RECORD r = settings_defaults();
  r.full_screen = 1;
  const auto bytes = settings_encode(r);
  dir.write("veldra.cfg", std::string(bytes.begin(), bytes.end()));
  scheduleClose(200);
  EXPECT_EQ(runClient(watch_run), 0);
  EXPECT_EQ(sys_get_display_mode(), 0);
  EXPECT_TRUE(display_fullscreen);
}

TEST_F(ClientStart, ModulesInstallInOrderAndFreeNewestFirst) {
  recordAll();
  scheduleClose(100);
  EXPECT_EQ(runClient(), 0);
  const std::vector<std::string> expected = {
      "init SYSTEM", "init DRAW", "init TIMER", "init INPUT", "init WINFONT", "init SOUND", "init weather",
      "free weather", "free SOUND", "free WINFONT", "free INPUT", "free TIMER", "free DRAW", "free SYSTEM"};
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(winfont_face_at_init, 4);
  EXPECT_EQ(winfont_weight_at_init, 400);
}

TEST_F(ClientStart, EachFailedInstallIsFatalWithItsText) {
  struct Case {
    int module;
    const char* text;
  };
  const Case cases[] = {
      {ENGINE_MODULE_SYSTEM, "install system failed"}, {ENGINE_MODULE_DRAW, "install draw failed"},
      {ENGINE_MODULE_TIMER, "install timer failed"},   {ENGINE_MODULE_INPUT, "install input failed"},
      {ENGINE_MODULE_WINFONT, "install winfont failed"}, {ENGINE_MODULE_WEATHER, "install weather failed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TearDown();
    SetUp();
    recordAll();
    failing_module = c.module;
    EXPECT_EQ(runClient(), -1);  // status 255
    ASSERT_EQ(headless().boxes().size(), 1u);
    EXPECT_EQ(headless().boxes()[0].text, c.text);
    EXPECT_EQ(headless().boxes()[0].caption, "Veldra Saga II Online( ENGLISH version 1.0.3 - 6137 )");
    // The modules installed before it are freed, newest first; nothing after it was installed.
    std::vector<std::string> expected;
    for (int i = 0; i <= c.module; ++i) expected.push_back(std::string("init ") + engine_module_table[i].name);
    for (int i = c.module - 1; i >= 0; --i) expected.push_back(std::string("free ") + engine_module_table[i].name);
    EXPECT_EQ(calls, expected);
  }
}

TEST_F(ClientStart, FailedTimerEndsTheProgramAfterFreeingWhatRuns) {
  engine_module_table[ENGINE_MODULE_TIMER].init = [] { return -1; };
  EXPECT_EQ(runClient(), -1);
  const std::string log = logText();
  EXPECT_EQ(log.find("Game Start OK"), std::string::npos);
  EXPECT_NE(log.find("DRAW module initialized OKay.\n\nGame Exit OK\nDRAW module free OKay.\nSYSTEM module free OKay.\n"),
            std::string::npos)
      << log;
  ASSERT_EQ(headless().boxes().size(), 1u);
  EXPECT_EQ(headless().boxes()[0].text, "install timer failed");
}

TEST_F(ClientStart, FailedSoundInstallIsIgnored) {
  engine_module_table[ENGINE_MODULE_SOUND].init = [] { return -1; };
  scheduleClose(100);
  EXPECT_EQ(runClient(), 0);
  EXPECT_NE(logText().find("Game Start OK\nUnable to connect to the designated server, please run update.exe\nGame Exit OK\n"), std::string::npos);
  // No box but the cursors' (the test folder has no cursor files).
  for (const auto& box : headless().boxes()) EXPECT_EQ(box.text, "init mouse error");
}

int record_run() {
  calls.push_back("run");
  return 1;
}

TEST_F(ClientStart, NetworkOrResTablesFailingStopStartUpWithoutShutdown) {
  for (bool net_fails : {true, false}) {
    SCOPED_TRACE(net_fails ? "network library" : "res tables");
    TearDown();
    SetUp();
    recordAll();
    if (net_fails) {
      client_start_calls.net_load_client = [] { return -1; };
    } else {
      client_start_calls.net_load_client = [] { return 0; };
      client_start_calls.res_load_all = [] { return -1; };
    }
    // client_init gives -1: the engine main returns without running the game, the shutdown
    // hook or any free hook, with -1, which main passes to the process exit.
    EXPECT_EQ(runClient(record_run), std::nullopt);
    EXPECT_EQ(returned, -1);
    for (const std::string& call : calls) {
      EXPECT_NE(call, "run");
      EXPECT_EQ(call.rfind("free", 0), std::string::npos) << call;
    }
    EXPECT_EQ(calls.size(), net_fails ? 0u : 7u);
    EXPECT_TRUE(headless().boxes().empty());
  }
}

TEST_F(ClientStart, ChatWindowFailureIsLoggedAndStartUpGoesOn) {
  client_start_calls.chat_window_create = [](uintptr_t, int32_t) -> int32_t { return static_cast<int32_t>(0x80004005); };
  scheduleClose(100);
  EXPECT_EQ(runClient(), 0);
  const std::string log = logText();
  EXPECT_NE(log.find("\nUnable to create the chat window\nGame Start OK\n"), std::string::npos) << log;
}

TEST_F(ClientStart, MacroLoadRunsLastInPreInitAndItsResultIsIgnored) {
  static bool settings_loaded_first = false;
  client_start_calls.macro_system_load = [] {
    settings_loaded_first = std::strcmp(settings.magic, "PARVENT SYSTEM") == 0 && sys_get_screen_width() == 800;
    return 0;
  };
  EXPECT_EQ(client_pre_init(), 0);
  EXPECT_TRUE(settings_loaded_first);
}

}  // namespace
}  // namespace client_test
