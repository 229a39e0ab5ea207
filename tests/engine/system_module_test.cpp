// The SYSTEM module: error.txt, the information lines, the counters and the machine questions.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <thread>

#include "client/sound/music_state.h"
#include "engine/system/system_state.h"
#include "graphics/bitmap/screen_buffers.h"
#include "tests/engine/engine_fixture.h"
#include "tests/support/locked_folder.h"

namespace engine_test {
namespace {

class SystemModule : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    setLocale("00000409");
  }
  void setLocale(const std::string& value) {
    headless().setRegistryValue(plat::Hive::CurrentUser, "Control Panel\\International", "locale", value);
  }
  static std::string crlf(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\r\n";
    return s;
  }
  static size_t countOf(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
  std::vector<std::string> startLines(const char* locale = "Traditional") {
    return {"SYSTEM module initialize starting...",
            "           Vender : HeadlessTest",
            "            Speed : Approx. 1000 MHz(MMX)",
            "           Memory : 1024 M",
            " Operation System : WinNT",
            std::string("           Locale : ") + locale,
            "     Working Path : " + gameDir(),
            "SYSTEM module initialized OKay.",
            ""};
  }
};

TEST_F(SystemModule, StartAndEndLinesAreExactWithCrlfOnDisk) {
  ASSERT_EQ(system_module_init(), 0);
  sys_log(1, "Game Start OK");
  system_module_free();
  std::vector<std::string> expected = startLines();
  expected.push_back("Game Start OK");
  expected.push_back("SYSTEM module free OKay.");
  EXPECT_EQ(errorTxt(), crlf(expected));
  EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), gameDir()));
  EXPECT_STREQ(sys_working_folder(), gameDir().c_str());
}

TEST_F(SystemModule, LocaleLineFollowsTheRegistry) {
  setLocale("00000804");
  system_module_init();
  EXPECT_EQ(errorTxt(), crlf(startLines("Simplified")));
  EXPECT_EQ(sys_is_simplified_chinese_locale(), 1);
  setLocale("0000080");
  EXPECT_EQ(sys_is_simplified_chinese_locale(), 0);
}

TEST_F(SystemModule, LogWritesOnlyWhileInitialisedAndAtNonZeroLevel) {
  struct Case {
    const char* when;
    int level;
    bool written;
  };
  for (const Case& c : {Case{"before init", 1, false}, Case{"initialised", 0, false},
                        Case{"initialised", 1, true}, Case{"after free", 1, false}}) {
    system_module_reset();
    std::filesystem::remove(hostPath("error.txt"));
    const std::string when = c.when;
    if (when != "before init") system_module_init();
    if (when == "after free") system_module_free();
    const std::string before = errorTxt();
    sys_log(c.level, "probe");
    sys_log_printf(c.level, "probe %d", 2);
    const std::string after = errorTxt();
    EXPECT_EQ(after == before + "probe\r\nprobe 2\r\n", c.written) << c.when << " level " << c.level;
    EXPECT_EQ(after == before, !c.written) << c.when << " level " << c.level;
  }
}

TEST_F(SystemModule, SecondInitStartsAFreshLog) {
  system_module_init();
  sys_log(1, "first run");
  system_module_free();
  system_module_init();
  EXPECT_EQ(errorTxt(), crlf(startLines()));
}

TEST_F(SystemModule, LongPrintfLineIsCutAt2047Bytes) {
  system_module_init();
  const std::string before = errorTxt();
  const std::string text(3000, 'x');
  sys_log_printf(1, "%s", text.c_str());
  EXPECT_EQ(errorTxt(), before + std::string(2047, 'x') + "\r\n");
}

TEST_F(SystemModule, LinesGoToStderrWhenErrorTxtCannotBeOpened) {
  std::filesystem::create_directories(hostPath("error.txt"));
  std::ofstream(hostPath("error.txt") / "keep") << "x";
  ::testing::internal::CaptureStderr();
  system_module_init();
  sys_log(1, "Game Start OK");
  const std::string err = ::testing::internal::GetCapturedStderr();
  // The first line says which file and why, once.
  EXPECT_EQ(err.substr(0, err.find('\n')),
            "Unable to create error.txt (" + hostPath("error.txt").string() + "): Is a directory");
  EXPECT_EQ(countOf(err, "Unable to create error.txt"), 1u);
  EXPECT_NE(err.find("\nSYSTEM module initialize starting...\n"), std::string::npos);
  EXPECT_NE(err.find("\nGame Start OK\n"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(hostPath("error.txt")));
}

// The settings load logs before SYSTEM starts: those lines come first in the fresh log.
TEST_F(SystemModule, LinesBeforeInitAreWrittenWhenTheLogOpens) {
  dir.write("error.txt", "last run\r\n");
  sys_log(1, "Unable to create veldra.cfg file");
  sys_log_printf(1, "early %d", 2);
  sys_log(0, "level zero");
  system_module_init();
  std::vector<std::string> expected = {"Unable to create veldra.cfg file", "early 2"};
  for (const std::string& l : startLines()) expected.push_back(l);
  EXPECT_EQ(errorTxt(), crlf(expected));

  // Kept once: a second run of the log starts without them.
  system_module_free();
  system_module_init();
  EXPECT_EQ(errorTxt(), crlf(startLines()));
}

TEST_F(SystemModule, LinesKeptBeforeInitAreBounded) {
  struct Case {
    const char* name;
    size_t lines;
    size_t length;
    size_t kept;
  };
  // 64 lines or 16 KiB, whichever comes first; a line is cut at 2047 bytes like a logged one.
  for (const Case& c : {Case{"short lines", 100, 10, 64}, Case{"long lines", 20, 3000, 8},
                        Case{"within both", 64, 256, 64}}) {
    SCOPED_TRACE(c.name);
    system_module_reset();
    std::filesystem::remove(hostPath("error.txt"));
    const std::string text(c.length, 'x');
    for (size_t i = 0; i < c.lines; ++i) sys_log(1, text.c_str());
    system_module_init();
    std::vector<std::string> expected(c.kept, text.substr(0, 2047));
    if (c.kept < c.lines) expected.push_back("(" + std::to_string(c.lines - c.kept) + " more early log lines dropped)");
    for (const std::string& l : startLines()) expected.push_back(l);
    EXPECT_EQ(errorTxt(), crlf(expected));
  }
}

TEST_F(SystemModule, LinesKeptWhenTheLogNeverOpensGoToStderrAtExit) {
  sys_log(1, "Unable to create veldra.cfg file");
  system_module_reset();  // forgets what was kept
  sys_log(1, "kept line");
  ::testing::internal::CaptureStderr();
  EXPECT_THROW(plat::get().process().exit(0), plat::test::ExitCalled);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "kept line\n");
  EXPECT_FALSE(std::filesystem::exists(hostPath("error.txt")));
}

// A game folder the player may not write: the log goes to stderr, led by the reason.
class SystemModuleLockedFolder : public SystemModule, public ::testing::WithParamInterface<veldra_test::Lock> {};

TEST_P(SystemModuleLockedFolder, StderrSaysFirstThatErrorTxtCannotBeCreated) {
  if (auto why = veldra_test::LockedFolder::skipReason(GetParam()); !why.empty()) GTEST_SKIP() << why;
  veldra_test::LockedFolder lock(dir.path(), GetParam());
  ::testing::internal::CaptureStderr();
  sys_log(1, "Unable to create veldra.cfg file");
  ASSERT_EQ(system_module_init(), 0);
  sys_log(1, "Game Start OK");
  system_module_free();
  const std::string err = ::testing::internal::GetCapturedStderr();
  std::vector<std::string> expected = {
      "Unable to create error.txt (" + hostPath("error.txt").string() + "): Permission denied",
      "Unable to create veldra.cfg file"};
  for (const std::string& l : startLines()) expected.push_back(l);
  expected.push_back("Game Start OK");
  expected.push_back("SYSTEM module free OKay.");
  std::string want;
  for (const std::string& l : expected) want += l + "\n";
  EXPECT_EQ(err, want);
  EXPECT_FALSE(std::filesystem::exists(hostPath("error.txt")));
}

INSTANTIATE_TEST_SUITE_P(Lock, SystemModuleLockedFolder, veldra_test::allLocks(), veldra_test::lockName);

TEST_F(SystemModule, EightThreadsLeaveEightThousandWholeLines) {
  system_module_init();
  std::filesystem::remove(hostPath("error.txt"));
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 1000; ++i) sys_log_printf(1, "thread %d line %d of the log", t, i);
    });
  }
  for (auto& th : threads) th.join();
  std::istringstream in(errorTxt());
  std::set<std::string> lines;
  std::string line;
  const std::regex whole(R"(thread [0-7] line \d{1,3} of the log\r)");
  int count = 0;
  while (std::getline(in, line)) {
    ++count;
    EXPECT_TRUE(std::regex_match(line, whole)) << line;
    lines.insert(line);
  }
  EXPECT_EQ(count, 8000);
  EXPECT_EQ(lines.size(), 8000u);
}

TEST_F(SystemModule, FpsReportsThePreviousRateUntilASecondHasPassed) {
  plat::FakeClock& clock = headless().fakeClock();
  const uint32_t start = clock.ms();
  EXPECT_EQ(sys_get_fps(), 0u);
  for (int i = 2; i <= 31; ++i) {
    clock.set(start + static_cast<uint32_t>(i) * 10);
    EXPECT_EQ(sys_get_fps(), 0u) << "call " << i;
  }
  clock.set(start + 1001);
  EXPECT_EQ(sys_get_fps(), 31u);  // 32 * 1000 / 1001
  clock.set(start + 1500);
  EXPECT_EQ(sys_get_fps(), 31u);
}

TEST_F(SystemModule, FpsWindowSurvivesTheClockWrapping) {
  plat::FakeClock& clock = headless().fakeClock();
  clock.set(0xFFFFFF00u);
  sys_get_fps();
  for (int i = 0; i < 59; ++i) sys_get_fps();
  clock.set(0xFFFFFF00u + 1200);  // wrapped past zero
  EXPECT_EQ(sys_get_fps(), 61u * 1000 / 1200);
}

TEST_F(SystemModule, RandomSequenceFromSeedEleven) {
  EXPECT_EQ(sys_random(), 0);  // not initialised
  system_module_init();
  EXPECT_EQ(sys_random(), 13);
  EXPECT_EQ(system_state().seed, 55);
  EXPECT_EQ(sys_random(), 68);  // 275 / 4
}

TEST_F(SystemModule, SeedFromClockUsesTheSecondsOfTheTime) {
  system_module_init();
  headless().fakeClock().setWallTime(1767225600 + 37);  // 2026-01-01 00:00:37 UTC
  sys_random_seed_from_clock();
  EXPECT_EQ(system_state().seed, 75);
  EXPECT_EQ(sys_random(), 375 / 4);
}

TEST_F(SystemModule, ProcessorClockIsAskedOnce) {
  platform().infoQueries = 0;
  EXPECT_EQ(sys_get_cpu_mhz(), 1000u);
  EXPECT_EQ(sys_get_cpu_mhz(), 1000u);
  EXPECT_EQ(sys_get_cpu_mhz(), 1000u);
  EXPECT_EQ(platform().infoQueries, 1);
}

TEST_F(SystemModule, MachineQuestionsNothingCalls) {
  EXPECT_STREQ(sys_get_cpu_vendor(), "HeadlessTest");
  EXPECT_EQ(sys_get_windows_kind(), 3);
  EXPECT_STREQ(sys_get_computer_name(), "headless");
  EXPECT_STREQ(sys_get_user_name(), "player");
  EXPECT_STREQ(sys_get_windows_dir(), "");
  EXPECT_EQ(sys_get_volume_serial(), 0u);
  uint64_t total = 0, available = 0;
  sys_get_memory(&total, &available);
  EXPECT_EQ(total, 1024ull << 20);
  EXPECT_EQ(available, 512ull << 20);
}

TEST_F(SystemModule, NotifyAndFreeKeepTheFlags) {
  system_module_init();
  system_module_notify(1);
  EXPECT_EQ(sys_flags(), SYS_FLAG_INITIALISED | SYS_FLAG_ACTIVE);
  system_module_notify(0);
  EXPECT_EQ(sys_flags(), SYS_FLAG_INITIALISED);
  system_module_free();
  EXPECT_EQ(sys_flags(), 0u);
  const std::string after = errorTxt();
  system_module_free();  // not initialised: no second end line
  EXPECT_EQ(errorTxt(), after);
}

TEST_F(SystemModule, ScreenshotsInOneSecondGetDistinctNames) {
  system_module_init();
  ASSERT_EQ(screen_buffers_create(), 0);
  std::filesystem::create_directories(hostPath("screenshots"));
  const std::string stamp = std::to_string(plat::get().clock().wallTime());
  const std::string folder = std::string(sys_working_folder()) + "\\screenshots\\";
  for (const char* name : {".BMP", "_2.BMP", "_3.BMP"}) {
    sys_save_screenshot();
    EXPECT_EQ(std::string(sys_screenshot_path()), folder + "CAP" + stamp + name);
    EXPECT_TRUE(std::filesystem::is_regular_file(hostPath("screenshots") / ("CAP" + stamp + name))) << name;
  }
  EXPECT_EQ(sys_screenshot_count(), 3u);
  screen_buffers_free();
}

TEST_F(SystemModule, PumpsDeliverPendingRecordsAndReturnTheTime) {
  scenario().exit_on_close = 0;
  scenario().run_body = [this] {
    plat::get().events().post(plat::kNoWindow, plat::WM_MUSIC_EVENT, 0, 0);
    const uint32_t t = sys_pump_messages();
    EXPECT_EQ(music_event_flag, 1);
    EXPECT_EQ(t, sys_last_pump_time());
    EXPECT_EQ(t, headless().fakeClock().ms());

    // The window pump drops what its filter does not list.
    music_event_flag = 0;
    plat::get().events().post(plat::kNoWindow, plat::WM_MUSIC_EVENT, 0, 0);
    const uint32_t t2 = sys_pump_window_messages();
    EXPECT_EQ(t2, sys_last_pump_time());
    EXPECT_EQ(music_event_flag, 0);
    plat::get().events().post(plat::kNoWindow, plat::WM_CLOSE, 0, 0);
    sys_pump_window_messages();
    EXPECT_EQ(sys_main_window(), plat::kNoWindow);
  };
  run_engine();
}

}  // namespace
}  // namespace engine_test
