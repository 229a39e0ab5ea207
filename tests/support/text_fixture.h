// Fixtures for text drawing: a glyph rasteriser installed for one test, and a headless test with
// SYSTEM (for error.txt) and WINFONT started over the fake rasteriser.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "engine/system/system.h"
#include "engine/winfont/winfont.h"
#include "plat/glyphs.h"
#include "tests/support/headless_fixture.h"

namespace veldra_test {

// Installs a rasteriser for the scope; afterwards a fresh default one.
class ScopedGlyphs {
 public:
  explicit ScopedGlyphs(std::unique_ptr<plat::IGlyphRasteriser> r) : raw_(r.get()) { plat::setGlyphs(std::move(r)); }
  ~ScopedGlyphs() { plat::setGlyphs(nullptr); }
  ScopedGlyphs(const ScopedGlyphs&) = delete;
  ScopedGlyphs& operator=(const ScopedGlyphs&) = delete;
  plat::IGlyphRasteriser* get() const { return raw_; }

 private:
  plat::IGlyphRasteriser* raw_;
};

class TextTest : public HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    // An earlier test may have left the process inside a folder that is gone.
    std::error_code ec;
    startDir_ = std::filesystem::current_path(ec);
    if (ec) {
      startDir_ = std::filesystem::temp_directory_path();
      std::filesystem::current_path(startDir_, ec);
    }
    auto fake = std::make_unique<plat::FakeRasteriser>();
    fake_ = fake.get();
    glyphs_ = std::make_unique<ScopedGlyphs>(std::move(fake));
    system_module_reset();
    system_module_init();
    winfont_reset();
    font_set_face_kind(4);
    font_set_weight(400);
    winfont_module_init();
  }

  void TearDown() override {
    winfont_reset();
    system_module_reset();
    glyphs_.reset();
    std::error_code ec;
    std::filesystem::current_path(startDir_, ec);
    HeadlessTest::TearDown();
  }

  // error.txt as bytes ("" when absent).
  std::string errorTxt() const {
    std::ifstream in(dir.hostPath("error.txt"), std::ios::binary);
    if (!in) return {};
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // The folder the test program started in (ctest's working folder for this test program).
  const std::filesystem::path& startDir() const { return startDir_; }

  plat::FakeRasteriser& fake() { return *fake_; }

 private:
  std::filesystem::path startDir_;
  plat::FakeRasteriser* fake_ = nullptr;
  std::unique_ptr<ScopedGlyphs> glyphs_;
};

}  // namespace veldra_test
