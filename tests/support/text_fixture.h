// Fixtures for text drawing: a glyph rasteriser installed for one test, and a headless test with
// SYSTEM (for error.txt) and WINFONT started over the fake rasteriser.
#pragma once
#include <gtest/gtest.h>

#include <memory>

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
    auto fake = std::make_unique<plat::FakeRasteriser>();
    fake_ = fake.get();
    glyphs_ = std::make_unique<ScopedGlyphs>(std::move(fake));
    system_module_init();
    font_set_face_kind(4);
    font_set_weight(400);
    winfont_module_init();
  }

  void TearDown() override {
    glyphs_.reset();
    HeadlessTest::TearDown();
  }

  plat::FakeRasteriser& fake() { return *fake_; }

 private:
  plat::FakeRasteriser* fake_ = nullptr;
  std::unique_ptr<ScopedGlyphs> glyphs_;
};

}  // namespace veldra_test
