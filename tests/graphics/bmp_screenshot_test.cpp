// Print Screen: the released key saves the presented picture as a BMP file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/draw/draw.h"
#include "engine/engine_main/engine_main.h"
#include "engine/system/system.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "tests/engine/engine_fixture.h"

namespace engine_test {
namespace {

constexpr int64_t kWallTime = 1700000000;

// Shows the back bitmap on the memory display as it is.
int32_t present_as_is(BITMAP16* bm) {
  plat::IDisplay& d = plat::get().display();
  if (!d.isOpen() && !d.open(sys_main_window(), false, plat::PixelFamily::Rgb565)) return -1;
  return d.present(bm->rows[0], static_cast<int>(bm->pitch), 0, SCREEN_HEIGHT) ? 0 : -1;
}

class Screenshot : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    scenario().exit_on_close = 0;
    draw_present_slot = present_as_is;
    headless().fakeClock().setWallTime(kWallTime);
  }
  void TearDown() override {
    screen_buffers_free();
    EngineTest::TearDown();
  }

  // One scripted release of Print Screen, delivered by the next pump.
  void releasePrintScreen() {
    headless().schedule(plat::ScriptEvent{0, std::nullopt, plat::kNoWindow, plat::WM_KEYUP, plat::VK_SNAPSHOT,
                                          static_cast<int32_t>(0xC0370001u)});
    sys_pump_messages();
  }

  std::string readHost(const std::filesystem::path& p) const {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
};

TEST_F(Screenshot, PrintScreen) {
  scenario().run_body = [this] {
    if (!(sys_flags() & SYS_FLAG_INITIALISED)) {
      ASSERT_EQ(system_module_init(), 0);
    }
    ASSERT_EQ(screen_buffers_create(), 0);
    for (int32_t y = 0; y < SCREEN_HEIGHT; ++y)
      for (int32_t x = 0; x < SCREEN_WIDTH; ++x)
        screen_back->rows[y][x] = static_cast<uint16_t>(x * 37 + y * 1009 + (x ^ y));
    ASSERT_EQ(draw_present_slot(screen_back), 0);
    const std::vector<uint16_t> frame = headless().memoryDisplay().lastFrame();
    ASSERT_NE(frame[801], frame[0]);
    const std::string stamp = std::to_string(kWallTime);

    // No screenshots folder: the save fails and no path is offered to the player.
    releasePrintScreen();
    EXPECT_EQ(sys_screenshot_count(), 1u);
    EXPECT_STREQ(sys_screenshot_path(), "");

    std::filesystem::create_directory(hostPath("screenshots"));
    releasePrintScreen();
    EXPECT_EQ(sys_screenshot_count(), 2u);
    EXPECT_EQ(std::string(sys_screenshot_path()),
              std::string(sys_working_folder()) + "\\screenshots\\CAP" + stamp + ".BMP");
    const std::string file = readHost(hostPath("screenshots") / ("CAP" + stamp + ".BMP"));
    ASSERT_EQ(file.size(), 54u + 2400u * 600u);
    // Bottom-up rows of blue, green, red: the presented frame, pixel for pixel.
    int mismatches = 0;
    for (int32_t y = 0; y < SCREEN_HEIGHT; ++y) {
      for (int32_t x = 0; x < SCREEN_WIDTH; ++x) {
        const size_t at = 54 + size_t(SCREEN_HEIGHT - 1 - y) * 2400 + 3 * size_t(x);
        const uint32_t rgb = uint8_t(file[at]) | uint8_t(file[at + 1]) << 8 | uint32_t(uint8_t(file[at + 2])) << 16;
        mismatches += rgb != pixel_ops.unpack_rgb(frame[size_t(y) * SCREEN_WIDTH + size_t(x)]);
      }
    }
    EXPECT_EQ(mismatches, 0);

    // A second release within the same second gets its own name.
    releasePrintScreen();
    EXPECT_EQ(std::string(sys_screenshot_path()),
              std::string(sys_working_folder()) + "\\screenshots\\CAP" + stamp + "_2.BMP");
    EXPECT_EQ(readHost(hostPath("screenshots") / ("CAP" + stamp + "_2.BMP")), file);
  };
  run_engine();
  EXPECT_EQ(sys_screenshot_count(), 3u);
}

}  // namespace
}  // namespace engine_test
