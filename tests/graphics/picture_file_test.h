// The base of the picture file tests (BMP, JPEG): a headless game folder with SYSTEM started, so
// that failures reach error.txt, and pixels in 565. The working folder and the pixel format are
// put back afterwards.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/system/system.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "tests/support/headless_fixture.h"

namespace gfxt {

class PictureFileTest : public veldra_test::HeadlessTest {
 protected:
  void SetUp() override {
    startDir_ = std::filesystem::current_path();
    HeadlessTest::SetUp();
    savedOps_ = pixel_ops;
    pixel_ops = pixel_ops_family(PIXEL_FORMAT_565);
    system_module_reset();
    ASSERT_EQ(system_module_init(), 0);
    clearLog();
  }
  void TearDown() override {
    system_module_reset();
    pixel_ops = savedOps_;
    std::error_code ec;
    std::filesystem::current_path(startDir_, ec);
    HeadlessTest::TearDown();
  }
  void clearLog() { std::filesystem::remove(dir.hostPath("error.txt")); }
  std::string log() const { return dir.exists("error.txt") ? dir.read("error.txt") : std::string(); }

 private:
  PIXEL_OPS savedOps_{};
  std::filesystem::path startDir_;
};

}  // namespace gfxt
