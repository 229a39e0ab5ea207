// A fixture for the SDL backend's own tests: the sdl platform installed over a temporary game
// folder with one window on the first video driver that opens one (dummy, then offscreen).
// window stays kNoWindow where neither does; tests then skip.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "plat/platform.h"
#include "plat/test.h"
#include "tests/support/temp_game_dir.h"

class SdlWindowTest : public ::testing::Test {
 protected:
  explicit SdlWindowTest(std::string title) : title_(std::move(title)) {}

  void SetUp() override {
    plat::test::setExitHandler(true);
    setenv("VELDRA_GAME_DIR", dir.path().c_str(), 1);
    setenv("VELDRA_PLATFORM", "sdl", 1);
    for (const char* driver : {"dummy", "offscreen"}) {
      setenv("SDL_VIDEODRIVER", driver, 1);
      plat::reloadEnvironment();
      plat::installFromEnvironment();
      plat::WindowDesc d;
      d.titleCp936 = title_;
      d.pos = plat::Point{0, 0};
      window = plat::get().windows().create(d);
      if (window != plat::kNoWindow) return;
    }
  }
  void TearDown() override {
    plat::install(nullptr);
    for (const char* v : {"VELDRA_GAME_DIR", "VELDRA_PLATFORM", "SDL_VIDEODRIVER"}) unsetenv(v);
    plat::reloadEnvironment();
    plat::test::setExitHandler(false);
  }

  veldra_test::TempGameDir dir;
  plat::WindowId window = plat::kNoWindow;

 private:
  std::string title_;
};
