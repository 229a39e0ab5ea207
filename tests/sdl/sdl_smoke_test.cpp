// The SDL backend under an off-screen video driver: a window, the display and a frame.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "plat/platform.h"
#include "plat/test.h"
#include "plat/winmsg.h"
#include "tests/support/temp_game_dir.h"

namespace {

std::vector<plat::Msg> g_seen;

int32_t proc(const plat::Msg& m) {
  g_seen.push_back(m);
  if (m.message == plat::WM_CLOSE) return plat::get().windows().defWindowProc(m);
  return 0;
}

class SdlBackend : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::setExitHandler(true);
    setenv("VELDRA_GAME_DIR", dir.path().c_str(), 1);
    setenv("VELDRA_PLATFORM", "sdl", 1);
    setenv("VELDRA_FRAME_LIMIT", "5", 1);
    g_seen.clear();
    // The dummy driver first, then the off-screen one; skip when neither starts.
    for (const char* driver : {"dummy", "offscreen"}) {
      setenv("SDL_VIDEODRIVER", driver, 1);
      plat::reloadEnvironment();
      plat::installFromEnvironment();
      plat::WindowDesc d;
      d.titleCp936 = "Veldra \xD6\xD0";
      d.proc = proc;
      d.pos = plat::Point{0, 0};
      window = plat::get().windows().create(d);
      if (window != plat::kNoWindow) return;
      reason += std::string(driver) + ": " + plat::get().windows().lastError() + "; ";
    }
  }
  void TearDown() override {
    plat::install(nullptr);
    for (const char* v : {"VELDRA_GAME_DIR", "VELDRA_PLATFORM", "VELDRA_FRAME_LIMIT", "SDL_VIDEODRIVER"})
      unsetenv(v);
    plat::reloadEnvironment();
    plat::test::setExitHandler(false);
  }

  veldra_test::TempGameDir dir;
  plat::WindowId window = plat::kNoWindow;
  std::string reason;
};

TEST_F(SdlBackend, OpensAWindowPresentsFramesAndClosesAtTheFrameLimit) {
  if (window == plat::kNoWindow) GTEST_SKIP() << "no video driver: " << reason;
  plat::Platform& p = plat::get();
  EXPECT_STREQ(p.name(), "sdl");
  EXPECT_EQ(p.windows().mainWindow(), window);
  EXPECT_EQ(p.windows().clientRect(window).width(), 800);
  EXPECT_GT(p.windows().workArea().width(), 0);

  for (plat::PixelFamily f : {plat::PixelFamily::Rgb565, plat::PixelFamily::Rgb655, plat::PixelFamily::Rgb444}) {
    ASSERT_TRUE(p.display().open(window, false, f));
    EXPECT_EQ(p.display().masks().red, plat::masksOf(f).red);
    std::vector<uint16_t> frame(800 * 600, 0x1234);
    EXPECT_TRUE(p.display().present(frame.data(), 1600, 0, 600));
    EXPECT_TRUE(p.display().present(frame.data(), 1600, 100, 50));
    EXPECT_FALSE(p.display().present(frame.data(), 1600, 599, 2));
  }
  // A box that nobody can answer returns at once.
  EXPECT_EQ(p.messageBox().show(window, "text", "INFO", 0), plat::IDOK);

  // A record posted from another thread arrives unchanged.
  std::thread([&] { plat::get().events().post(window, plat::WM_MUSIC_EVENT, 7, -3); }).join();
  bool posted = false, destroyed = false;
  plat::Msg m;
  for (int i = 0; i < 200 && p.windows().exists(window); ++i) {
    while (p.events().peek(m)) {
      if (m.message == plat::WM_MUSIC_EVENT) {
        posted = true;
        EXPECT_EQ(m.wParam, 7u);
        EXPECT_EQ(m.lParam, -3);
        EXPECT_EQ(m.window, window);
      }
      p.events().dispatch(m);
    }
    p.clock().sleepMs(1);
  }
  for (const auto& s : g_seen) destroyed = destroyed || s.message == plat::WM_DESTROY;
  EXPECT_TRUE(posted);
  // VELDRA_FRAME_LIMIT posted WM_CLOSE; the default procedure destroyed the window.
  EXPECT_TRUE(destroyed);
  EXPECT_FALSE(p.windows().exists(window));
  EXPECT_FALSE(p.display().isOpen());
}

std::atomic<int> g_ticks{0};

TEST_F(SdlBackend, RealClockAndTicks) {
  plat::Platform& p = plat::get();
  uint32_t a = p.clock().ms();
  p.clock().sleepMs(20);
  EXPECT_GE(p.clock().ms() - a, 20u);
  EXPECT_GT(p.clock().wallTime(), 1700000000);
  EXPECT_FALSE(p.ticks().start(0, [](void*) {}, nullptr));
  g_ticks = 0;
  ASSERT_TRUE(p.ticks().start(1, [](void*) { ++g_ticks; }, nullptr));
  for (int i = 0; i < 2000 && g_ticks < 5; ++i) p.clock().sleepMs(1);
  p.ticks().stop();
  EXPECT_GE(g_ticks, 5);
  int after = g_ticks;
  p.clock().sleepMs(20);
  EXPECT_EQ(g_ticks, after);
}

}  // namespace
