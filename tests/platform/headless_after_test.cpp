// The headless harness for runs against a real server: AFTER lines that time the records below
// them from a debugger-output line, and the real clock (VELDRA_HEADLESS_CLOCK=real).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "plat/headless.h"
#include "plat/winmsg.h"
#include "tests/support/headless_fixture.h"

namespace {

int32_t quietProc(const plat::Msg&) { return 0; }

class HeadlessAfter : public veldra_test::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    plat::WindowDesc d;
    d.proc = quietProc;
    plat::get().windows().create(d);
    pump(5);  // the window's own start records
  }
  // The WM_USER wParams that arrive within n pumps, with the fake ms since `from`.
  std::vector<std::pair<uint32_t, uint32_t>> pump(int n, uint32_t from = 0) {
    std::vector<std::pair<uint32_t, uint32_t>> out;
    plat::Msg m;
    for (int i = 0; i < n; ++i)
      while (plat::get().events().peek(m))
        if (m.message == plat::WM_USER) out.emplace_back(m.wParam, m.time - from);
    return out;
  }
};

TEST(EventScriptAfter, GatesNumberTheRecordsBelowThem) {
  const plat::EventScript s = plat::EventScript::parse(
      "10 WM_USER 1\n"
      "after task enter 6   # the character select screen\n"
      "20 WM_USER 2\n"
      "AFTER\ttask enter 10\n"
      "@2 WM_USER 3\n"
      "0 TEXT demo\n");
  EXPECT_EQ(s.gates, (std::vector<std::string>{"task enter 6", "task enter 10"}));
  ASSERT_EQ(s.events.size(), 4u);
  EXPECT_EQ(s.events[0].gate, 0u);
  EXPECT_EQ(s.events[1].gate, 1u);
  EXPECT_EQ(s.events[2].gate, 2u);
  EXPECT_EQ(s.events[3].gate, 2u);
  for (const char* bad : {"AFTER\n", "AFTER   # nothing\n"}) {
    try {
      plat::EventScript::parse(bad);
      ADD_FAILURE() << "accepted: " << bad;
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find("line 1: AFTER needs"), std::string::npos) << e.what();
    }
  }
}

TEST_F(HeadlessAfter, RecordsWaitForTheirLineInOrder) {
  hp().scheduleScript(plat::EventScript::parse(
      "10 WM_USER 1\n"
      "AFTER task enter 6\n"
      "20 WM_USER 2\n"
      "@3 WM_USER 3\n"
      "AFTER task enter 6\n"
      "0 WM_USER 4\n"));
  std::vector<std::pair<uint32_t, uint32_t>> got = pump(100);
  ASSERT_EQ(got.size(), 1u);  // only the ungated record, however long it runs
  EXPECT_EQ(got[0].first, 1u);
  hp().fakeClock().advance(5000);
  plat::get().debugOut("task enter 5 TASK_ACCOUNT_INPUT");
  EXPECT_TRUE(pump(100).empty());

  const uint32_t opened = hp().fakeClock().ms();
  plat::get().debugOut("task enter 6 TASK_SELECT_CHARACTER");
  got = pump(100, opened);
  ASSERT_EQ(got.size(), 2u);  // one line opens one gate: record 4 still waits
  EXPECT_EQ(got[0].first, 3u);  // three pumps after the line, before 20 ms
  EXPECT_LT(got[0].second, 20u);
  EXPECT_EQ(got[1].first, 2u);
  EXPECT_GE(got[1].second, 20u);
  EXPECT_LT(got[1].second, 25u);

  plat::get().debugOut("again: task enter 6 TASK_SELECT_CHARACTER");
  got = pump(5);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].first, 4u);
}

class HeadlessRealClock : public HeadlessAfter {
 protected:
  void configure(plat::HeadlessOptions& o) override { o.realClock = true; }
};

// Lower bounds only: the real clock never runs slower than the wall.
TEST_F(HeadlessRealClock, TimeIsTheWalls) {
  plat::IClock& c = plat::get().clock();
  uint32_t before = c.ms();
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  EXPECT_GE(c.ms() - before, 40u);  // time passed without any sleep or pump of ours

  before = c.ms();
  const auto wall = std::chrono::steady_clock::now();
  c.sleepMs(30);
  EXPECT_GE(std::chrono::steady_clock::now() - wall, std::chrono::milliseconds(30));  // a sleep waits
  EXPECT_GE(c.ms() - before, 30u);

  // A scripted record 50 ms out arrives only when 50 ms of the wall have passed.
  const uint32_t start = c.ms();
  plat::ScriptEvent e;
  e.atMs = static_cast<uint32_t>(start - hp().options().clockStart + 50);
  e.message = plat::WM_USER;
  e.wParam = 9;
  hp().schedule(e);
  std::vector<std::pair<uint32_t, uint32_t>> got;
  while (got.empty()) got = pump(1, start);
  EXPECT_GE(got[0].second, 50u);
}

class HeadlessScreenDump : public HeadlessAfter {
 protected:
  void configure(plat::HeadlessOptions& o) override { o.dumpDir = dir.path(); }
};

TEST_F(HeadlessScreenDump, EachScreenIsDumpedOnceItSettled) {
  plat::IDisplay& d = plat::get().display();
  ASSERT_TRUE(d.open(plat::get().windows().mainWindow(), false, plat::PixelFamily::Rgb565));
  const std::vector<uint16_t> frame(800 * 600, 0xF800);
  auto present = [&] { ASSERT_TRUE(d.present(frame.data(), 1600, 0, 600)); };
  plat::get().debugOut("task enter 5 TASK_ACCOUNT_INPUT");
  hp().fakeClock().advance(1000);
  present();  // still fading in
  EXPECT_FALSE(dir.exists("1-task5.ppm"));
  hp().fakeClock().advance(600);
  present();
  present();
  EXPECT_TRUE(dir.exists("1-task5.ppm"));
  EXPECT_EQ(dir.read("1-task5.ppm").substr(0, 15), "P6\n800 600\n255\n");
  plat::get().debugOut("task enter 4 TASK_SERVER_SELECT");
  hp().fakeClock().advance(2000);
  present();
  EXPECT_TRUE(dir.exists("2-task4.ppm"));
  EXPECT_FALSE(dir.exists("3-task4.ppm"));
}

class HeadlessScreenDumpFrames : public HeadlessAfter {
 protected:
  void configure(plat::HeadlessOptions& o) override {
    o.dumpDir = dir.path();
    o.dumpFrames = 3;
  }
};

// With several frames per screen, the ones presented right after the settled one follow it, each
// numbered on; the next screen starts its own count.
TEST_F(HeadlessScreenDumpFrames, FramesFollowTheSettledOne) {
  plat::IDisplay& d = plat::get().display();
  ASSERT_TRUE(d.open(plat::get().windows().mainWindow(), false, plat::PixelFamily::Rgb565));
  std::vector<uint16_t> frame(800 * 600, 0xF800);
  auto present = [&](uint16_t colour) {
    std::fill(frame.begin(), frame.end(), colour);
    ASSERT_TRUE(d.present(frame.data(), 1600, 0, 600));
  };
  plat::get().debugOut("task enter 100 TASK_GAME_MAIN");
  hp().fakeClock().advance(1600);
  for (uint16_t c : {0xF800, 0x07E0, 0x001F, 0xFFFF}) present(c);
  EXPECT_EQ(dir.read("1-task100.ppm").substr(15, 3), std::string("\xff\0\0", 3));
  EXPECT_EQ(dir.read("2-task100.ppm").substr(15, 3), std::string("\0\xff\0", 3));
  EXPECT_EQ(dir.read("3-task100.ppm").substr(15, 3), std::string("\0\0\xff", 3));
  EXPECT_FALSE(dir.exists("4-task100.ppm"));
  plat::get().debugOut("task enter 5 TASK_ACCOUNT_INPUT");
  hp().fakeClock().advance(1600);
  for (int i = 0; i < 4; ++i) present(0);
  EXPECT_TRUE(dir.exists("6-task5.ppm"));
  EXPECT_FALSE(dir.exists("7-task5.ppm"));
}

TEST(HeadlessClockEnvironment, RealIsReadWithTheOthers) {
  const struct {
    const char* value;
    bool real;
  } cases[] = {{"real", true}, {"fake", false}, {"", false}, {"wall", false}};
  for (const auto& c : cases) {
    setenv("VELDRA_HEADLESS_CLOCK", c.value, 1);
    plat::reloadEnvironment();
    EXPECT_EQ(plat::environment().headlessRealClock, c.real) << c.value;
  }
  unsetenv("VELDRA_HEADLESS_CLOCK");
  plat::reloadEnvironment();
  EXPECT_FALSE(plat::environment().headlessRealClock);
}

}  // namespace
