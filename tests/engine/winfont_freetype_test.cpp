// WINFONT and the platform rasteriser over the real face: sizing, blank codes, a missing font,
// and a sample sheet of every size, colour and effect.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

#include "engine/winfont/winfont.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "plat/glyphs.h"
#include "tests/support/text_fixture.h"
#include "tests/support/ppm_dump.h"

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

// Pixels of the sheet that differ from its background inside a rectangle.
struct SheetInk {
  int count = 0, top = 1 << 20, bottom = -1;
  bool has(uint16_t colour) const { return colours.count(colour) != 0; }
  std::set<uint16_t> colours;
};

SheetInk sheetInk(const BITMAP16* bm, int x0, int y0, int x1, int y1, uint16_t background) {
  SheetInk ink;
  for (int y = std::max(y0, 0); y < std::min<int>(y1, bm->height); ++y)
    for (int x = std::max(x0, 0); x < std::min<int>(x1, bm->width); ++x)
      if (bm->rows[y][x] != background) {
        ++ink.count;
        ink.top = std::min(ink.top, y);
        ink.bottom = std::max(ink.bottom, y);
        ink.colours.insert(bm->rows[y][x]);
      }
  return ink;
}

// Every size, ASCII and Chinese, each colour, outline, shadow, blend and opaque text on one sheet:
// each line advances by its cells, inks only its own band and uses the colours it asks for.
TEST_F(WinfontFreeType, SampleSheet) {
  BITMAP16* bm = bitmap16_create(800, 600);
  const uint16_t background = static_cast<uint16_t>(pixel_ops.pack_rgb(0x305070));
  bitmap16_fill(bm, background);
  const WINFONT_STATE& font = winfont_state();
  int y = 4;
  for (int slot = 1; slot <= 6; ++slot) {
    SCOPED_TRACE("size slot " + std::to_string(slot));
    const int h = 12 + 4 * (slot - 1);
    const std::string words = "Size " + std::to_string(8 + 4 * slot) + " ABCxyz 0123 gjpqy ";
    const std::string text = "~Z" + std::to_string(slot) + words.substr(0, 8) + "~C4" + words.substr(8) +
                             "\xD6\xD0\xCE\xC4\xD7\xD6\xCC\xE5\xB2\xE2\xCA\xD4~C0~Z1";
    const int32_t end = font_draw_text(4, y, text.c_str(), 1, bm);
    // ASCII takes half a cell, each of the six Chinese characters a whole one.
    EXPECT_EQ(end, 4 + static_cast<int>(words.size()) * (h / 2) + 6 * h);
    const SheetInk ink = sheetInk(bm, 0, y, 800, y + h, background);
    EXPECT_GT(ink.count, 40 * slot);
    EXPECT_TRUE(ink.has(font.colours[0]));
    EXPECT_TRUE(ink.has(font.colours[4]));
    // Nothing spills into the gap before the next line.
    EXPECT_EQ(sheetInk(bm, 0, y + h, 800, y + h + 4, background).count, 0);
    y += h + 4;
  }
  int x = 4;
  for (int c = 0; c < 10; ++c) {
    SCOPED_TRACE("colour " + std::to_string(c));
    const std::string text = "~C" + std::to_string(c) + "Colour" + std::to_string(c) + "~C0";
    const int32_t end = font_draw_text(x, y, text.c_str(), 1, bm);
    EXPECT_EQ(end, x + 7 * 6);
    const SheetInk ink = sheetInk(bm, x, y, end, y + 12, background);
    EXPECT_GT(ink.count, 20);
    // Plain text of colour c inks with that colour alone (or not at all where it is the background).
    for (uint16_t colour : ink.colours) EXPECT_EQ(colour, font.colours[c]);
    x = end + 6;
  }
  y += 20;
  const int32_t outlineEnd = font_draw_text(4, y, "~Z2~F1~O2Outline \xC3\xE8\xB1\xDF~F0", 1, bm);
  const SheetInk outline = sheetInk(bm, 0, y - 1, outlineEnd + 1, y + 18, background);
  EXPECT_TRUE(outline.has(font.colours[2]));  // "~O2": the outline takes text colour 2
  EXPECT_TRUE(outline.has(font.colours[0]));
  const int32_t shadowStart = outlineEnd + 24;
  const int32_t shadowEnd = font_draw_text(shadowStart, y, "~Z2~F2~C4Shadow \xD2\xF5\xD3\xB0~F0~C0", 1, bm);
  const SheetInk shadow = sheetInk(bm, shadowStart, y, shadowEnd + 2, y + 19, background);
  EXPECT_TRUE(shadow.has(font.colours[4]));
  EXPECT_GE(shadow.colours.size(), 2u);
  y += 24;
  // Blended text is neither the background nor the plain colour.
  const int32_t blendEnd = font_draw_text(4, y, "~Z2~S1~A5Blend 50% \xB0\xEB\xCD\xB8\xC3\xF7~S0~A0", 1, bm);
  const SheetInk blend = sheetInk(bm, 4, y, blendEnd, y + 16, background);
  EXPECT_GT(blend.count, 50);
  EXPECT_FALSE(blend.has(font.colours[0]));
  y += 24;
  // Opaque text fills its whole cell row with the style's background colour.
  const uint16_t opaque = static_cast<uint16_t>(pixel_ops.pack_rgb(0x800000));
  const int32_t opaqueEnd =
      font_draw_text(4, y, "~Z2Opaque \xB2\xBB\xCD\xB8\xC3\xF7 text", static_cast<uint32_t>(opaque) << 16, bm);
  const SheetInk opaqueInk = sheetInk(bm, 4, y, opaqueEnd, y + 16, background);
  EXPECT_EQ(opaqueInk.count, (opaqueEnd - 4) * 16);
  EXPECT_TRUE(opaqueInk.has(opaque));
  EXPECT_TRUE(opaqueInk.has(font.colours[0]));
  veldra_test::dumpPpm("winfont_sheet.ppm", bm);
  bitmap16_free(&bm);
}

}  // namespace
