// Fixture of the DRAW and display tests: the headless fixture (every module at its start) with a
// display that can refuse full screen or report other masks, a main window and SYSTEM's log.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "engine/display/display.h"
#include "engine/draw/draw.h"
#include "engine/engine_main/engine_main.h"
#include "engine/engine_main/engine_state.h"
#include "engine/system/system.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/cpu/cpu.h"
#include "plat/headless.h"
#include "plat/platform.h"
#include "plat/test.h"
#include "tests/support/forwarding_platform.h"
#include "tests/support/headless_fixture.h"

namespace draw_test {

// The memory display, able to refuse full screen and to report masks of another layout.
class ControlledDisplay final : public plat::IDisplay {
 public:
  explicit ControlledDisplay(plat::MemoryDisplay& inner) : inner_(inner) {}
  bool refuseFullscreen = false;
  std::optional<plat::PixelMasks> masksOverride;
  int opens = 0;

  bool open(plat::WindowId w, bool fullscreen, plat::PixelFamily family) override {
    ++opens;
    if (fullscreen && refuseFullscreen) return false;
    return inner_.open(w, fullscreen, family);
  }
  plat::PixelMasks masks() const override { return masksOverride ? *masksOverride : inner_.masks(); }
  plat::PixelFamily family() const override { return inner_.family(); }
  bool present(const uint16_t* px, int pitch, int first, int rows) override {
    return inner_.present(px, pitch, first, rows);
  }
  bool setFullscreen(bool on) override { return on && refuseFullscreen ? false : inner_.setFullscreen(on); }
  bool isOpen() const override { return inner_.isOpen(); }
  void close() override { inner_.close(); }

 private:
  plat::MemoryDisplay& inner_;
};

class DrawPlatform final : public veldra_test::ForwardingPlatform {
 public:
  explicit DrawPlatform(std::unique_ptr<plat::HeadlessPlatform> inner)
      : ForwardingPlatform(std::move(inner)), display_(this->inner().memoryDisplay()) {}
  ControlledDisplay& controlled() { return display_; }

  plat::IDisplay& display() override { return display_; }

 private:
  ControlledDisplay display_;
};

class DrawTest : public veldra_test::HeadlessTest {
 protected:
  std::unique_ptr<plat::Platform> wrap(std::unique_ptr<plat::HeadlessPlatform> inner) override {
    auto wrapper = std::make_unique<DrawPlatform>(std::move(inner));
    wrapper_ = wrapper.get();
    return wrapper;
  }
  void SetUp() override {
    HeadlessTest::SetUp();
    plat::WindowDesc desc;
    desc.titleCp936 = "draw";
    desc.client = {800, 600};
    window = plat::get().windows().create(desc);
    engine_state().window = window;
    sys_set_screen_size(800, 600);
    sys_set_display_mode(1);
    system_module_init();
  }

  void TearDown() override {
    if (screen_back) draw_module_free();
    screen_buffers_free();
    display_release();
    cpu_detect_mmx();
    HeadlessTest::TearDown();
    wrapper_ = nullptr;
    unsetenv("VELDRA_PIXEL_FORMAT");
    unsetenv("VELDRA_TEST_PATTERN");
    plat::reloadEnvironment();
  }

  ControlledDisplay& display() { return wrapper_->controlled(); }
  plat::MemoryDisplay& memory() { return hp().memoryDisplay(); }

  // Runs f, expecting it to end the process through a fatal error; returns the box text.
  template <class F>
  std::string fatalText(F f) {
    try {
      f();
    } catch (const plat::test::ExitCalled& e) {
      EXPECT_EQ(e.code, -1);
      return hp().boxes().empty() ? std::string() : hp().boxes().back().text;
    }
    ADD_FAILURE() << "no fatal error";
    return {};
  }

  plat::WindowId window = plat::kNoWindow;

 private:
  DrawPlatform* wrapper_ = nullptr;
};

}  // namespace draw_test
