// The SDL clipboard under a dummy video driver: code page 936 text crosses the UTF-8 edge
// unchanged, where the driver offers a clipboard.
#include <gtest/gtest.h>

#include <cstdlib>

#include "plat/platform.h"
#include "plat/test.h"
#include "tests/support/temp_game_dir.h"

namespace {

class SdlClipboard : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::test::setExitHandler(true);
    setenv("VELDRA_GAME_DIR", dir.path().c_str(), 1);
    setenv("VELDRA_PLATFORM", "sdl", 1);
    for (const char* driver : {"dummy", "offscreen"}) {
      setenv("SDL_VIDEODRIVER", driver, 1);
      plat::reloadEnvironment();
      plat::installFromEnvironment();
      plat::WindowDesc d;
      d.titleCp936 = "clipboard";
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
};

TEST_F(SdlClipboard, RoundTrip) {
  if (window == plat::kNoWindow) GTEST_SKIP() << "no video driver";
  plat::IClipboard& board = plat::get().clipboard();
  const std::string zh = "ab\xD6\xD0\xCE\xC4";
  if (!board.setText(zh) || !board.hasText()) GTEST_SKIP() << "the driver keeps no clipboard";
  EXPECT_EQ(board.getText(512), zh);
  EXPECT_EQ(board.getText(3), "ab");
}

}  // namespace
