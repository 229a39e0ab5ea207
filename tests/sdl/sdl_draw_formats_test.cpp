// DRAW on the SDL backend: every pixel family presents, and the display switch sets and clears
// desktop full screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/reset/module_resets.h"
#include "engine/draw/draw.h"
#include "engine/engine_main/engine_main.h"
#include "engine/engine_main/engine_state.h"
#include "engine/system/system.h"
#include "graphics/bitmap/screen_buffers.h"
#include "plat/platform.h"
#include "plat/test.h"
#include "tests/support/temp_game_dir.h"

namespace {

// Named for the CTest name sdl.draw_formats.
class sdl : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::setExitHandler(true);
    startDir_ = std::filesystem::current_path();
    setenv("VELDRA_GAME_DIR", dir.path().c_str(), 1);
    setenv("VELDRA_PLATFORM", "sdl", 1);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
  }
  void TearDown() override {
    plat::install(nullptr);
    for (const char* v : {"VELDRA_GAME_DIR", "VELDRA_PLATFORM", "SDL_VIDEODRIVER", "VELDRA_PIXEL_FORMAT"}) unsetenv(v);
    plat::reloadEnvironment();
    plat::test::setExitHandler(false);
    std::error_code ec;
    std::filesystem::current_path(startDir_, ec);
  }

  // A fresh SDL platform with the family, a main window, SYSTEM and DRAW; false when no window.
  bool start(const char* family) {
    setenv("VELDRA_PIXEL_FORMAT", family, 1);
    plat::reloadEnvironment();
    plat::installFromEnvironment();
    module_resets_run_all();
    plat::WindowDesc d;
    d.titleCp936 = "draw";
    d.pos = plat::Point{0, 0};
    const plat::WindowId w = plat::get().windows().create(d);
    if (w == plat::kNoWindow) return false;
    engine_state().window = w;
    sys_set_screen_size(800, 600);
    sys_set_display_mode(1);
    system_module_init();
    return draw_module_init() == 0;
  }
  void stop() {
    draw_module_free();
    system_module_free();
    if (sys_main_window() != plat::kNoWindow) plat::get().windows().destroy(sys_main_window());
    module_resets_run_all();
    plat::install(nullptr);
  }

  veldra_test::TempGameDir dir;
  std::filesystem::path startDir_;
};

TEST_F(sdl, draw_formats) {
  struct Case {
    const char* family;
    const char* name;
  };
  for (const Case c : {Case{"565", "565"}, Case{"555", "555"}, Case{"444", "Any Other"}, Case{"655", "655"},
                       Case{"556", "556"}}) {
    if (!start(c.family)) GTEST_SKIP() << "no video driver: " << plat::get().windows().lastError();
    EXPECT_NE(dir.read("error.txt").find(std::string(" VGA Pixel Format : ") + c.name), std::string::npos)
        << c.family;
    draw_test_pattern(screen_back);
    EXPECT_EQ(draw_present(screen_back), 0) << c.family;
    EXPECT_TRUE(plat::get().display().isOpen());
    stop();
  }

  ASSERT_TRUE(start("565"));
  plat::IWindowSystem& w = plat::get().windows();
  const plat::WindowId window = sys_main_window();
  draw_apply_display_mode();
  EXPECT_EQ(sys_get_display_mode(), 0);
  const plat::Rect full = w.windowRect(window);
  EXPECT_EQ(full.left, 0);
  EXPECT_EQ(full.top, 0);
  EXPECT_EQ(full.width(), w.screenSize().w);
  EXPECT_EQ(draw_present(screen_back), 0);
  // Back in a window, centred in the usable area. (The dummy driver keeps the desktop size after
  // leaving full screen, so the position is what shows the switch here.)
  draw_apply_display_mode();
  EXPECT_EQ(sys_get_display_mode(), 1);
  const plat::Rect area = w.workArea();
  EXPECT_EQ(w.windowRect(window).left, area.left + (area.width() - 800) / 2);
  EXPECT_EQ(draw_present(screen_back), 0);
  stop();
}

}  // namespace
