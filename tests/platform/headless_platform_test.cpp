// The headless backend as a test harness: event scripts, fake time and ticks, the frame budget
// and frame limit, the memory display, recorded boxes and posts from other threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <stdexcept>
#include <thread>
#include <vector>

#include "plat/headless.h"
#include "plat/test.h"
#include "plat/winmsg.h"
#include "tests/support/headless_fixture.h"

namespace {

std::vector<plat::Msg> g_seen;

int32_t recordProc(const plat::Msg& m) {
  g_seen.push_back(m);
  if (m.message == plat::WM_CLOSE) return plat::get().windows().defWindowProc(m);
  return 0;
}

class HeadlessPlatform : public veldra_test::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    g_seen.clear();
  }
  plat::WindowId makeWindow(bool acceptFiles = false) {
    plat::WindowDesc d;
    d.titleCp936 = "test";
    d.proc = recordProc;
    d.acceptFiles = acceptFiles;
    return plat::get().windows().create(d);
  }
  // Takes every pending record (up to the first drain).
  std::vector<plat::Msg> drain() {
    std::vector<plat::Msg> out;
    plat::Msg m;
    while (plat::get().events().peek(m)) out.push_back(m);
    return out;
  }
  static std::vector<uint32_t> ids(const std::vector<plat::Msg>& ms) {
    std::vector<uint32_t> out;
    for (const auto& m : ms) out.push_back(m.message);
    return out;
  }
};

// ---- event scripts ---------------------------------------------------------------------------

TEST(EventScriptParse, NamesNumbersHexCommentsAndFrames) {
  auto s = plat::EventScript::parse(
      "# opening comment\n"
      "500 WM_CLOSE\n"
      "\n"
      "  20\tWM_KEYDOWN 0x0D 0x1C0001   # trailing comment\r\n"
      "0x10 1289 7 -1\n"
      "30 0x0010 0 0xFFFFFFFF\n"
      "@12 WM_ACTIVATEAPP 1");
  ASSERT_EQ(s.events.size(), 5u);
  EXPECT_EQ(s.events[0].atMs, 500u);
  EXPECT_EQ(s.events[0].message, plat::WM_CLOSE);
  EXPECT_EQ(s.events[0].wParam, 0u);
  EXPECT_EQ(s.events[1].atMs, 20u);
  EXPECT_EQ(s.events[1].message, plat::WM_KEYDOWN);
  EXPECT_EQ(s.events[1].wParam, 13u);
  EXPECT_EQ(s.events[1].lParam, 0x1C0001);
  EXPECT_EQ(s.events[2].atMs, 16u);
  EXPECT_EQ(s.events[2].message, 1289u);
  EXPECT_EQ(s.events[2].wParam, 7u);
  EXPECT_EQ(s.events[2].lParam, -1);
  EXPECT_EQ(s.events[3].message, plat::WM_CLOSE);
  EXPECT_EQ(s.events[3].lParam, -1);
  EXPECT_FALSE(s.events[3].atFrame);
  ASSERT_TRUE(s.events[4].atFrame);
  EXPECT_EQ(*s.events[4].atFrame, 12u);
  EXPECT_EQ(s.events[4].wParam, 1u);
}

TEST(EventScriptParse, BadLinesNameTheirLine) {
  struct Case {
    const char* text;
    const char* expect;
  } cases[] = {
      {"10 WM_CLOSE\n20 WM_NO_SUCH_THING\n", "line 2"},
      {"abc WM_CLOSE", "line 1"},
      {"10", "line 1"},
      {"10 WM_CLOSE 1 2 3", "line 1"},
      {"10 WM_CLOSE 0x", "line 1"},
      {"10 WM_CLOSE 0x123456789", "line 1"},
      {"10 WM_CLOSE 4294967296", "line 1"},
      {"10 WM_CLOSE -1", "line 1"},  // wParam is unsigned
      {"10 WM_CLOSE 0 -2147483649", "line 1"},
      {"-5 WM_CLOSE", "line 1"},
      {"@x WM_CLOSE", "line 1"},
      {"\n\n# c\n7 WM_CLOSE 1z", "line 4"},
  };
  for (const auto& c : cases) {
    try {
      plat::EventScript::parse(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find(c.expect), std::string::npos) << c.text << " -> " << e.what();
    }
  }
}

TEST_F(HeadlessPlatform, ScriptedRecordsArriveWhenFakeTimeReachesThem) {
  plat::WindowId w = makeWindow();
  drain();  // the window's own start records
  for (const auto& e : plat::EventScript::parse("100 1289 5 6\n40 WM_USER 1\n").events) hp().schedule(e);
  const uint32_t start = hp().options().clockStart;  // script times count from the clock's start
  std::vector<std::pair<uint32_t, uint32_t>> got;  // message, fake ms since the start
  plat::Msg m;
  for (int i = 0; i < 200 && got.size() < 2; ++i)
    if (plat::get().events().peek(m)) got.emplace_back(m.message, m.time - start);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0].first, plat::WM_USER);
  EXPECT_GE(got[0].second, 40u);
  EXPECT_LT(got[0].second, 45u);
  EXPECT_EQ(got[1].first, 1289u);
  EXPECT_GE(got[1].second, 100u);
  EXPECT_EQ(m.window, w);
  EXPECT_EQ(m.wParam, 5u);
  EXPECT_EQ(m.lParam, 6);
}

TEST_F(HeadlessPlatform, ScriptedMinimiseAndFocusChangeTheWindow) {
  plat::WindowId w = makeWindow();
  EXPECT_TRUE(plat::get().windows().hasFocus(w));
  drain();
  for (const auto& e : plat::EventScript::parse("0 WM_SIZE 1\n0 WM_ACTIVATEAPP 0\n").events) hp().schedule(e);
  auto got = drain();
  EXPECT_EQ(ids(got), (std::vector<uint32_t>{plat::WM_SIZE, plat::WM_ACTIVATEAPP}));
  EXPECT_TRUE(plat::get().windows().isMinimised(w));
  EXPECT_FALSE(plat::get().windows().hasFocus(w));
  // Setting the same state again reports nothing.
  hp().setMinimised(w, true);
  hp().setFocus(w, false);
  EXPECT_TRUE(drain().empty());
  hp().setMinimised(w, false);
  got = drain();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].message, plat::WM_SIZE);
  EXPECT_EQ(got[0].wParam, plat::SIZE_RESTORED);
  EXPECT_EQ(got[0].lParam, (600 << 16) | 800);
}

TEST_F(HeadlessPlatform, WaitWakesForAScriptedRecord) {
  makeWindow();
  drain();
  uint32_t before = hp().fakeClock().ms();
  plat::ScriptEvent e;
  e.atMs = 300;
  e.message = plat::WM_USER;
  hp().schedule(e);
  EXPECT_TRUE(plat::get().events().wait(1000));
  EXPECT_LE(hp().fakeClock().ms() - before, 300u);
  // Nothing more pending: the wait sleeps its whole time.
  plat::Msg m;
  ASSERT_TRUE(plat::get().events().peek(m));
  before = hp().fakeClock().ms();
  EXPECT_FALSE(plat::get().events().wait(50));
  EXPECT_EQ(hp().fakeClock().ms() - before, 50u);
}

// ---- fake clock and ticks ----------------------------------------------------------------------

TEST_F(HeadlessPlatform, FakeClockStartsAwayFromZeroAndWraps) {
  plat::FakeClock& c = hp().fakeClock();
  EXPECT_EQ(c.ms(), 0x10000u);
  EXPECT_EQ(c.wallTime(), 1767225600);  // 2026-01-01 00:00 UTC
  c.set(0xFFFFFFF0u);
  uint32_t before = c.ms();
  c.advance(0x20);
  EXPECT_EQ(c.ms(), 0x10u);
  EXPECT_EQ(c.ms() - before, 0x20u);  // unsigned difference across the wrap
  c.sleepMs(1000);
  EXPECT_EQ(c.ms(), 0x10u + 1000u);
  EXPECT_EQ(c.wallTime(), 1767225601);
  c.setWallTime(42);
  EXPECT_EQ(c.wallTime(), 42);
}

std::atomic<int> g_ticks{0};
std::thread::id g_tickThread;
void countTick(void*) {
  ++g_ticks;
  g_tickThread = std::this_thread::get_id();
}

TEST_F(HeadlessPlatform, TicksFollowFakeTimeOnTheAdvancingThread) {
  g_ticks = 0;
  plat::ITickSource& t = plat::get().ticks();
  EXPECT_FALSE(t.start(0, countTick, nullptr));
  EXPECT_FALSE(t.start(t.maxPeriod() + 1, countTick, nullptr));
  ASSERT_TRUE(t.start(10, countTick, nullptr));
  hp().fakeClock().advance(25);
  EXPECT_EQ(g_ticks, 2);
  EXPECT_EQ(g_tickThread, std::this_thread::get_id());
  hp().fakeClock().sleepMs(5);  // crosses 30
  EXPECT_EQ(g_ticks, 3);
  hp().fakeClock().advance(9);  // 39: none due
  EXPECT_EQ(g_ticks, 3);
  std::thread other([&] { hp().fakeClock().advance(100); });
  other.join();
  EXPECT_EQ(g_ticks, 13);
  EXPECT_NE(g_tickThread, std::this_thread::get_id());
  t.stop();
  hp().fakeClock().advance(100);
  EXPECT_EQ(g_ticks, 13);
}

TEST_F(HeadlessPlatform, EachEmptyPumpAdvancesFakeTime) {
  g_ticks = 0;
  ASSERT_TRUE(plat::get().ticks().start(10, countTick, nullptr));
  // A loop waiting for ticks while pumping ends because pumps move time on.
  plat::Msg m;
  int pumps = 0;
  while (g_ticks < 3 && pumps < 1000) {
    plat::get().events().peek(m);
    ++pumps;
  }
  EXPECT_EQ(g_ticks, 3);
  EXPECT_EQ(pumps, 30);
  EXPECT_EQ(hp().drains(), 30u);
  plat::get().ticks().stop();
}

// ---- frame budget and frame limit ----------------------------------------------------------------

class HeadlessBudget : public HeadlessPlatform {
  void configure(plat::HeadlessOptions& o) override {
    o.maxDrains = 50;
    o.maxFakeMs = 1000;
  }
};

TEST_F(HeadlessBudget, TooManyDrainsEndTheTestWithAReport) {
  plat::WindowId w = makeWindow();
  drain();
  for (int i = 0; i < 25; ++i) plat::get().events().post(w, plat::WM_USER + i, 0, 0);
  plat::Msg m;
  std::string report;
  int drains = 0;
  try {
    for (; drains < 100; ++drains)
      while (plat::get().events().peek(m)) {
      }
  } catch (const plat::test::FrameBudgetExceeded& e) {
    report = e.report;
  }
  EXPECT_EQ(hp().drains(), 51u);  // the 51st drain is over the budget
  EXPECT_LT(drains, 50);
  EXPECT_NE(report.find("51 drains"), std::string::npos) << report;
  EXPECT_NE(report.find("frame hash"), std::string::npos) << report;
  // The last 20 records taken, the oldest five forgotten.
  EXPECT_EQ(report.find("0x0404"), std::string::npos) << report;
  EXPECT_NE(report.find("0x0405"), std::string::npos) << report;
  EXPECT_NE(report.find("0x0418"), std::string::npos) << report;
}

TEST_F(HeadlessBudget, TooMuchFakeTimeEndsTheTest) {
  makeWindow();
  drain();
  // A loop that sleeps without ever finishing: fake time runs out first.
  EXPECT_THROW(
      {
        for (int i = 0; i < 100; ++i) {
          plat::Msg m;
          plat::get().events().peek(m);
          plat::get().clock().sleepMs(31);
        }
      },
      plat::test::FrameBudgetExceeded);
  EXPECT_LE(hp().drains(), 50u);
}

class HeadlessFrameLimit : public HeadlessPlatform {
  void configure(plat::HeadlessOptions& o) override { o.frameLimit = 3; }
};

TEST_F(HeadlessFrameLimit, PostsCloseOnceAfterTheLimit) {
  plat::WindowId w = makeWindow();
  plat::Msg m;
  int closes = 0;
  uint64_t drainAtClose = 0;
  for (int i = 0; i < 40; ++i) {
    while (plat::get().events().peek(m)) {
      if (m.message == plat::WM_CLOSE) {
        ++closes;
        drainAtClose = hp().drains();
        EXPECT_EQ(m.window, w);
      }
    }
  }
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(drainAtClose, 3u);
}

// ---- windows ---------------------------------------------------------------------------------

TEST_F(HeadlessPlatform, CloseThroughTheDefaultProcedureDeliversDestroy) {
  plat::WindowId w = makeWindow();
  EXPECT_EQ(plat::get().windows().mainWindow(), w);
  drain();
  g_seen.clear();
  plat::get().events().post(plat::kNoWindow, plat::WM_CLOSE, 0, 0);
  plat::Msg m;
  ASSERT_TRUE(plat::get().events().peek(m));
  EXPECT_EQ(m.window, w);
  plat::get().events().dispatch(m);
  ASSERT_EQ(g_seen.size(), 2u);
  EXPECT_EQ(g_seen[0].message, plat::WM_CLOSE);
  EXPECT_EQ(g_seen[1].message, plat::WM_DESTROY);
  EXPECT_FALSE(plat::get().windows().exists(w));
  EXPECT_EQ(plat::get().windows().mainWindow(), plat::kNoWindow);
  // Records for a window that is gone are dropped.
  plat::get().events().post(w, plat::WM_USER, 0, 0);
  EXPECT_FALSE(plat::get().events().peek(m));
}

// A WM_DESTROY handler that destroys its window again and then leaves by an exception: one
// WM_DESTROY, the window still goes, and the application's loss of focus is reported at once,
// ahead of a record posted after the destroy.
TEST_F(HeadlessPlatform, DestroyRunsOnceSurvivesAThrowingProcedureAndReportsFocusAtOnce) {
  const plat::WindowId a = makeWindow();
  static int destroys;
  destroys = 0;
  plat::WindowDesc d;
  d.proc = [](const plat::Msg& m) -> int32_t {
    if (m.message != plat::WM_DESTROY) return 0;
    ++destroys;
    plat::get().windows().destroy(m.window);
    throw std::runtime_error("procedure left");
  };
  const plat::WindowId b = plat::get().windows().create(d);
  drain();
  ASSERT_TRUE(plat::get().windows().hasFocus(b));
  EXPECT_THROW(plat::get().windows().destroy(b), std::runtime_error);
  EXPECT_EQ(destroys, 1);
  EXPECT_FALSE(plat::get().windows().exists(b));
  EXPECT_EQ(plat::get().windows().mainWindow(), a);
  plat::get().events().post(a, plat::WM_USER, 0, 0);
  const auto got = drain();
  ASSERT_EQ(ids(got), (std::vector<uint32_t>{plat::WM_ACTIVATEAPP, plat::WM_USER}));
  EXPECT_EQ(got[0].window, a);
  EXPECT_EQ(got[0].wParam, 0u);
}

TEST_F(HeadlessPlatform, StartRecordsFocusCoalescingAndCreateFailure) {
  plat::WindowId a = makeWindow();
  EXPECT_EQ(ids(drain()), (std::vector<uint32_t>{plat::WM_SIZE, plat::WM_ACTIVATEAPP, plat::WM_PAINT}));
  plat::WindowDesc d;
  d.proc = recordProc;
  d.pos = plat::Point{10, 20};
  plat::WindowId b = plat::get().windows().create(d);
  ASSERT_NE(b, plat::kNoWindow);
  EXPECT_EQ(plat::get().windows().clientToScreen(b, {1, 2}).y, 22);
  // Focus moving between two windows of ours is no change for the application.
  auto got = drain();
  EXPECT_EQ(ids(got), (std::vector<uint32_t>{plat::WM_SIZE, plat::WM_PAINT}));
  EXPECT_TRUE(plat::get().windows().hasFocus(b));
  EXPECT_FALSE(plat::get().windows().hasFocus(a));
  hp().setWindowCreateFails(true);
  EXPECT_EQ(plat::get().windows().create(d), plat::kNoWindow);
  EXPECT_FALSE(plat::get().windows().lastError().empty());
  // Centred in the usable area when no position is given.
  hp().setWindowCreateFails(false);
  EXPECT_EQ(plat::get().windows().windowRect(a).left, (1024 - 800) / 2);
}

// ---- display ---------------------------------------------------------------------------------

uint64_t fnv(const std::vector<uint16_t>& px) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (uint16_t p : px)
    for (int b = 0; b < 2; ++b) h = (h ^ ((p >> (8 * b)) & 0xFF)) * 0x100000001b3ull;
  return h;
}

TEST_F(HeadlessPlatform, MemoryDisplayKeepsHashesAndCountsPresents) {
  plat::WindowId w = makeWindow();
  plat::MemoryDisplay& d = hp().memoryDisplay();
  std::vector<uint16_t> frame(800 * 600);
  EXPECT_FALSE(d.present(frame.data(), 1600, 0, 600));  // not open
  ASSERT_TRUE(d.open(w, false, plat::PixelFamily::Rgb565));
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint16_t>(i * 7);
  ASSERT_TRUE(d.present(frame.data(), 1600, 0, 600));
  EXPECT_EQ(d.presentCount(), 1u);
  EXPECT_EQ(d.lastFrame(), frame);
  EXPECT_EQ(d.lastHash(), fnv(frame));
  // Rows out of range or a short pitch are refused and change nothing.
  EXPECT_FALSE(d.present(frame.data(), 1600, 590, 11));
  EXPECT_FALSE(d.present(frame.data(), 1598, 0, 1));
  EXPECT_FALSE(d.present(frame.data(), 1600, -1, 1));
  EXPECT_EQ(d.presentCount(), 1u);
  // A partial present changes only its rows; the pointer is the frame's row 0.
  std::vector<uint16_t> other(800 * 600, 0xFFFF);
  ASSERT_TRUE(d.present(other.data(), 1600, 10, 2));
  std::vector<uint16_t> expect = frame;
  std::fill(expect.begin() + 10 * 800, expect.begin() + 12 * 800, 0xFFFF);
  EXPECT_EQ(d.lastFrame(), expect);
  EXPECT_EQ(d.lastHash(), fnv(expect));
  EXPECT_EQ(d.presentCount(), 2u);
  // Nothing is drawn while minimised, and that is not a failure.
  hp().setMinimised(w, true);
  EXPECT_TRUE(d.present(frame.data(), 1600, 0, 600));
  EXPECT_EQ(d.presentCount(), 2u);
  EXPECT_EQ(d.lastHash(), fnv(expect));
  EXPECT_TRUE(d.dumpPpm(dir.hostPath("frame.ppm")));
  EXPECT_EQ(dir.read("frame.ppm").size(), std::string("P6\n800 600\n255\n").size() + 800 * 600 * 3);
}

TEST_F(HeadlessPlatform, DisplayMasksFollowThePixelFamily) {
  struct Case {
    plat::PixelFamily f;
    uint32_t r, g, b;
  } cases[] = {
      {plat::PixelFamily::Rgb565, 0xF800, 0x07E0, 0x001F}, {plat::PixelFamily::Rgb555, 0x7C00, 0x03E0, 0x001F},
      {plat::PixelFamily::Rgb655, 0xFC00, 0x03E0, 0x001F}, {plat::PixelFamily::Rgb556, 0xF800, 0x07C0, 0x003F},
      {plat::PixelFamily::Rgb444, 0x0F00, 0x00F0, 0x000F},
  };
  plat::WindowId w = makeWindow();
  for (const auto& c : cases) {
    ASSERT_TRUE(plat::get().display().open(w, true, c.f));
    plat::PixelMasks m = plat::get().display().masks();
    EXPECT_EQ(m.red, c.r);
    EXPECT_EQ(m.green, c.g);
    EXPECT_EQ(m.blue, c.b);
    EXPECT_TRUE(hp().memoryDisplay().fullscreen());
  }
}

// ---- boxes, posts, exit ------------------------------------------------------------------------

TEST_F(HeadlessPlatform, MessageBoxesAreRecordedAndAnsweredFromTheQueue) {
  hp().boxAnswers() = {plat::IDCANCEL, plat::IDOK};
  plat::IMessageBox& box = plat::get().messageBox();
  EXPECT_EQ(box.show(plat::kNoWindow, "first", "Error", plat::MB_OKCANCEL), plat::IDCANCEL);
  EXPECT_EQ(box.show(plat::kNoWindow, "second", "INFO", 0), plat::IDOK);
  EXPECT_EQ(box.show(plat::kNoWindow, "third", "INFO", 0), plat::IDOK);  // queue empty: IDOK
  ASSERT_EQ(hp().boxes().size(), 3u);
  EXPECT_EQ(hp().boxes()[0].text, "first");
  EXPECT_EQ(hp().boxes()[0].caption, "Error");
  EXPECT_EQ(hp().boxes()[0].style, plat::MB_OKCANCEL);
  EXPECT_EQ(hp().boxes()[2].text, "third");
}

TEST_F(HeadlessPlatform, PostsFromOtherThreadsAllArriveInTheirOrder) {
  plat::WindowId w = makeWindow();
  drain();
  // Empty peeks while the posters are slow count as drains; a loaded machine must not end the
  // test through the frame budget, which has its own tests.
  hp().options().maxDrains = 1u << 30;
  constexpr int kThreads = 4, kEach = 500;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t, w] {
      for (int i = 0; i < kEach; ++i) plat::get().events().post(w, plat::WM_USER + t, static_cast<uint32_t>(i), 0);
    });
  std::vector<int> next(kThreads, 0);
  int total = 0;
  plat::Msg m;
  for (int spins = 0; total < kThreads * kEach && spins < 100000; ++spins) {
    while (plat::get().events().peek(m)) {
      int t = static_cast<int>(m.message - plat::WM_USER);
      ASSERT_GE(t, 0);
      ASSERT_LT(t, kThreads);
      EXPECT_EQ(m.wParam, static_cast<uint32_t>(next[t]));
      ++next[t];
      ++total;
    }
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(total, kThreads * kEach);
  // Only windows of ours receive records.
  plat::get().events().post(w + 100, plat::WM_USER, 0, 0);
  EXPECT_TRUE(drain().empty());
}

TEST_F(HeadlessPlatform, ShellRecordsAndAnotherCopyIsTheTestsAnswer) {
  EXPECT_EQ(plat::get().shell().openUrl("http://a b/"), 42);
  EXPECT_EQ(plat::get().shell().winExec("\"C:\\x y\\b.exe\" -p 1", 1), 33);
  hp().setShellResult(2, 2);
  EXPECT_EQ(plat::get().shell().openUrl("u"), 2);
  ASSERT_EQ(hp().openedUrls().size(), 2u);
  EXPECT_EQ(hp().openedUrls()[0], "http://a b/");
  ASSERT_EQ(hp().execs().size(), 1u);
  EXPECT_EQ(hp().execs()[0], (std::vector<std::string>{"C:\\x y\\b.exe", "-p", "1"}));
  EXPECT_FALSE(plat::get().process().anotherCopyRaised("title"));
  hp().setAnotherCopyRunning(true);
  EXPECT_TRUE(plat::get().process().anotherCopyRaised("title"));
  plat::get().debugOut("line");
  ASSERT_EQ(hp().debugLines().size(), 1u);
  EXPECT_EQ(hp().systemInfo().query().cpuVendor, "HeadlessTest");
}

// The fixed system information has an adapter address, as a machine with a network card; a test
// can take it away.
TEST(HeadlessSystemInfo, AdapterAddressByDefaultAndNone) {
  EXPECT_EQ(plat::makeHeadlessPlatform()->systemInfo().query().macAddress, "02-00-00-00-00-01");
  plat::HeadlessOptions none;
  none.systemInfo.macAddress.clear();
  EXPECT_EQ(plat::makeHeadlessPlatform(none)->systemInfo().query().macAddress, "");
}

TEST_F(HeadlessPlatform, ExitThrowsAfterTheHooksInTests) {
  std::vector<int> order;
  plat::get().process().onExit([&] { order.push_back(1); });
  plat::get().process().onExit([&] { order.push_back(2); });
  try {
    plat::get().process().exit(7);
  } catch (const plat::test::ExitCalled& e) {
    EXPECT_EQ(e.code, 7);
  }
  EXPECT_EQ(order, (std::vector<int>{2, 1}));
}

// ---- start from the environment ----------------------------------------------------------------

TEST_F(HeadlessPlatform, InstallFromEnvironmentLoadsTheScriptAndTheFrameLimit) {
  dir.write("script.txt", "5 WM_USER 3\n");
  setenv("VELDRA_PLATFORM", "headless", 1);
  setenv("VELDRA_EVENT_SCRIPT", dir.hostPath("script.txt").c_str(), 1);
  setenv("VELDRA_GAME_DIR", dir.path().c_str(), 1);
  setenv("VELDRA_FRAME_LIMIT", "7", 1);
  plat::reloadEnvironment();
  plat::installFromEnvironment();
  unsetenv("VELDRA_PLATFORM");
  unsetenv("VELDRA_EVENT_SCRIPT");
  unsetenv("VELDRA_GAME_DIR");
  unsetenv("VELDRA_FRAME_LIMIT");
  plat::reloadEnvironment();
  plat::HeadlessPlatform* h = plat::headless();
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(h->options().frameLimit, 7u);
  EXPECT_EQ(h->files().gameDir(), dir.path());
  plat::WindowDesc d;
  d.proc = recordProc;
  plat::get().windows().create(d);
  std::vector<uint32_t> got;
  plat::Msg m;
  for (int i = 0; i < 12; ++i)
    while (plat::get().events().peek(m)) got.push_back(m.message);
  EXPECT_EQ(std::count(got.begin(), got.end(), plat::WM_USER), 1);
  EXPECT_EQ(std::count(got.begin(), got.end(), plat::WM_CLOSE), 1);
  plat::install(nullptr);
}

TEST(HeadlessPlatformDeathTest, UnknownNameInTheScriptEndsWithCode2) {
  veldra_test::TempGameDir dir;
  dir.write("bad.txt", "10 WM_CLOSE\n20 WM_BOGUS\n");
  EXPECT_EXIT(
      {
        setenv("VELDRA_PLATFORM", "headless", 1);
        setenv("VELDRA_EVENT_SCRIPT", dir.hostPath("bad.txt").c_str(), 1);
        setenv("VELDRA_GAME_DIR", dir.path().c_str(), 1);
        plat::reloadEnvironment();
        plat::installFromEnvironment();
      },
      ::testing::ExitedWithCode(2), "line 2: unknown message 'WM_BOGUS'");
}

}  // namespace
