// WINFONT and the platform rasteriser over the real face: sizing, blank codes, a missing font,
// and a sample sheet written for a person to look at.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/winfont/winfont.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "plat/glyphs.h"
#include "tests/support/text_fixture.h"

namespace {

bool fontInstalled() {
  std::ifstream f(plat::kDefaultFontPath, std::ios::binary);
  return static_cast<bool>(f);
}

struct Ink {
  int count = 0, top = 99, bottom = -1, left = 99, right = -1;
};

Ink inkOf(const plat::GlyphRows& g) {
  Ink ink;
  for (int r = 0; r < 32; ++r)
    for (int c = 0; c < 32; ++c)
      if ((g.row[r] >> (31 - c)) & 1u) {
        ++ink.count;
        ink.top = std::min(ink.top, r);
        ink.bottom = std::max(ink.bottom, r);
        ink.left = std::min(ink.left, c);
        ink.right = std::max(ink.right, c);
      }
  return ink;
}

class WinfontFreeType : public veldra_test::TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    if (!fontInstalled()) GTEST_SKIP() << "fonts-wqy-zenhei is not installed";
    unsetenv("VELDRA_FONT");
    plat::setGlyphs(plat::makeFreeTypeRasteriser());
    winfont_reset();
    font_set_face_kind(4);
    winfont_module_init();
  }
  void TearDown() override {
    unsetenv("VELDRA_FONT");
    TextTest::TearDown();
  }
};

TEST_F(WinfontFreeType, GlyphsFitTheirCells) {
  plat::IGlyphRasteriser& r = plat::glyphs();
  std::string tried;
  ASSERT_TRUE(r.open(&tried));
  for (int slot = 0; slot < 6; ++slot) {
    const int h = 12 + 4 * slot;
    SCOPED_TRACE("cell " + std::to_string(h));
    plat::GlyphRows a, zhong;
    ASSERT_TRUE(r.render('A' << 8, h, true, a));
    ASSERT_TRUE(r.render(0xD6D0, h, false, zhong));  // 中
    const Ink ia = inkOf(a), iz = inkOf(zhong);
    // Inside the half cell and the full cell.
    EXPECT_LT(ia.right, h / 2);
    EXPECT_LT(ia.bottom, h);
    EXPECT_LT(iz.right, h);
    EXPECT_LT(iz.bottom, h);
    // 'A' stands on the baseline at 7h / 8; the Chinese character fills most of the cell.
    EXPECT_GE(ia.bottom, 7 * h / 8 - 2);
    EXPECT_LE(ia.bottom, 7 * h / 8);
    EXPECT_GE(ia.top, 0);
    EXPECT_GE(iz.bottom - iz.top + 1, h * 2 / 3);
    EXPECT_GE(iz.right - iz.left + 1, h / 2);
  }
}

TEST_F(WinfontFreeType, CodesWithoutACharacterRenderBlank) {
  plat::IGlyphRasteriser& r = plat::glyphs();
  struct Case {
    uint16_t code;
    bool half;
  } cases[] = {{0x8120, false}, {0xFFA1, false}, {0x8041, false}, {0x8000, true},
               {0xFF00, true},  {0xB000, true},  {' ' << 8, true}, {0x0100, true}};
  for (const Case& c : cases) {
    plat::GlyphRows g;
    g.row[3] = 0xFFFFFFFFu;
    EXPECT_FALSE(r.render(c.code, 12, c.half, g)) << std::hex << c.code;
    EXPECT_EQ(inkOf(g).count, 0) << std::hex << c.code;
  }
}

TEST_F(WinfontFreeType, DrawsChineseThroughTheModule) {
  BITMAP16* bm = bitmap16_create(64, 32);
  const int32_t end = font_draw_text(2, 2, "A\xD6\xD0", 1, bm);
  EXPECT_EQ(end, 2 + 6 + 12);
  int inked = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) inked += bm->rows[y][x] != 0;
  EXPECT_GT(inked, 20);
  bitmap16_free(&bm);
}

TEST_F(WinfontFreeType, MissingFontIsLoggedAndDrawsNothing) {
  setenv("VELDRA_FONT", "/nonexistent/veldra/no-such-font.ttc", 1);
  plat::setGlyphs(nullptr);  // a fresh default rasteriser reads the variable
  winfont_reset();
  font_set_face_kind(4);
  EXPECT_EQ(winfont_module_init(), 0);
  EXPECT_EQ(winfont_state().fonts_ready, 0);
  BITMAP16* bm = bitmap16_create(64, 32);
  font_draw_text(0, 0, "~F1abc\xD6\xD0", 1, bm);
  int inked = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) inked += bm->rows[y][x] != 0;
  EXPECT_EQ(inked, 0);
  bitmap16_free(&bm);
  EXPECT_NE(errorTxt().find("WINFONT font not found: /nonexistent/veldra/no-such-font.ttc\r\n"), std::string::npos)
      << errorTxt();
}

// Every size, ASCII and Chinese, each colour, outline, shadow, blend and opaque text, written as
// winfont_sheet.ppm in the folder the test program runs in.
TEST_F(WinfontFreeType, SampleSheet) {
  BITMAP16* bm = bitmap16_create(800, 600);
  bitmap16_fill(bm, pixel_ops.pack_rgb(0x305070));
  int y = 4;
  for (int slot = 1; slot <= 6; ++slot) {
    const std::string size = "~Z" + std::to_string(slot);
    font_draw_text(4, y, (size + "Size " + std::to_string(8 + 4 * slot) + " ~C4ABCxyz 0123 gjpqy "
                          "\xD6\xD0\xCE\xC4\xD7\xD6\xCC\xE5\xB2\xE2\xCA\xD4~C0~Z1")
                             .c_str(),
                   1, bm);
    y += 12 + 4 * (slot - 1) + 4;
  }
  int x = 4;
  for (int c = 0; c < 10; ++c) {
    const std::string text = "~C" + std::to_string(c) + "Colour" + std::to_string(c) + "~C0";
    x = font_draw_text(x, y, text.c_str(), 1, bm) + 6;
  }
  y += 20;
  font_draw_text(4, y, "~Z2~F1~O2Outline \xC3\xE8\xB1\xDF~F0   ~F2~C4Shadow \xD2\xF5\xD3\xB0~F0~C0", 1, bm);
  y += 24;
  font_draw_text(4, y, "~Z2~S1~A5Blend 50% \xB0\xEB\xCD\xB8\xC3\xF7~S0~A0", 1, bm);
  y += 24;
  font_draw_text(4, y, "~Z2Opaque \xB2\xBB\xCD\xB8\xC3\xF7 text", static_cast<uint32_t>(pixel_ops.pack_rgb(0x800000)) << 16,
                 bm);
  y += 24;
  font_draw_text(4, y, "~Z1~C3Blue ~C8Black ~C9~C0~C5Cyan ~C6Magenta ~C7White~C0", 1, bm);

  const std::string path = (startDir() / "winfont_sheet.ppm").string();
  std::ofstream out(path, std::ios::binary);
  ASSERT_TRUE(out) << path;
  out << "P6\n800 600\n255\n";
  for (uint32_t row = 0; row < 600; ++row)
    for (uint32_t col = 0; col < 800; ++col) {
      const uint32_t rgb = pixel_ops.unpack_rgb(bm->rows[row][col]);
      const char px[3] = {static_cast<char>(rgb >> 16), static_cast<char>(rgb >> 8), static_cast<char>(rgb)};
      out.write(px, 3);
    }
  out.close();
  bitmap16_free(&bm);
  std::ifstream check(path, std::ios::binary | std::ios::ate);
  EXPECT_EQ(static_cast<long>(check.tellg()), 15L + 800L * 600L * 3L);
  std::printf("sample sheet: %s\n", path.c_str());
}

}  // namespace
