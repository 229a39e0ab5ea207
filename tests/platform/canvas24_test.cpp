// The software canvas: clipping of text, fills, lines and raster-op blits.
#include <gtest/gtest.h>

#include <memory>

#include "plat/canvas24.h"
#include "plat/glyphs.h"

namespace {

using plat::BlitOp;
using Canvas = plat::Canvas24;
using plat::rgb24;

class Canvas24 : public ::testing::Test {
 protected:
  void SetUp() override { plat::setGlyphs(std::make_unique<plat::FakeRasteriser>()); }
  void TearDown() override { plat::setGlyphs(nullptr); }

  // Inked pixels (any non-black) inside the rectangle.
  static int inked(const Canvas& c, plat::Rect r) {
    int n = 0;
    for (int32_t y = r.top; y < r.bottom; ++y) {
      for (int32_t x = r.left; x < r.right; ++x) n += c.pixel(x, y) != 0;
    }
    return n;
  }
};

TEST_F(Canvas24, TextIsClippedToItsRectangleAndBreaksOnlyAtLineEnds) {
  Canvas c(40, 40);
  // Two half-width blocks of 6 x 12 and one double-width block of 12 x 12; the rectangle cuts
  // the double-width one after 4 columns and the rows after 10.
  c.drawText({2, 3, 18, 13}, "ab\xd6\xd0", rgb24(10, 20, 30));
  EXPECT_EQ(inked(c, {0, 0, 40, 40}), 16 * 10);
  EXPECT_EQ(c.pixel(2, 3), rgb24(10, 20, 30));
  EXPECT_EQ(c.pixel(17, 12), rgb24(10, 20, 30));
  EXPECT_EQ(c.pixel(18, 12), 0u);
  EXPECT_EQ(c.pixel(17, 13), 0u);

  // CR LF, CR and LF each start a line one cell lower; no wrap at the right edge.
  Canvas d(40, 60);
  d.drawText({0, 0, 6, 60}, "a\r\nb\rc\nde", 0xFFFFFF);
  for (int line = 0; line < 4; ++line) EXPECT_EQ(inked(d, {0, 12 * line, 6, 12 * line + 12}), 72) << line;
  EXPECT_EQ(inked(d, {6, 0, 40, 60}), 0);
}

TEST_F(Canvas24, MeasureIsTheSumOfAdvancesAndTheCellHeight) {
  Canvas c(8, 8);
  struct Case {
    const char* text;
    int cell;
    int32_t cx, cy;
  };
  const Case cases[] = {
      {"", 12, 0, 12},       {"ab", 12, 12, 12},         {"a\xd6\xd0", 12, 18, 12},
      {"a\xd6\xd0", 16, 24, 16}, {"\x81", 12, 6, 12},  // a lone lead byte counts as one half cell
  };
  for (const Case& k : cases) {
    c.setCellSize(k.cell);
    const plat::TextExtent e = c.measure(k.text);
    EXPECT_EQ(e.cx, k.cx) << k.text;
    EXPECT_EQ(e.cy, k.cy) << k.text;
    // The measure adds up: measuring the pieces gives the whole.
    const std::string s(k.text);
    if (s.size() > 1 && s[0] == 'a') {
      EXPECT_EQ(c.measure(s.substr(0, 1)).cx + c.measure(s.substr(1)).cx, e.cx);
    }
  }
}

TEST_F(Canvas24, AndAndOrBlitsCombineBytes) {
  Canvas dst(4, 2), src(4, 2, true);
  dst.fill({0, 0, 4, 2}, 0xF0F0F0);
  src.setPixel(1, 0, 0x0F0FFF);
  src.setPixel(2, 1, 0xFFFFFF);
  Canvas anded = dst;
  anded.blit(0, 0, 4, 2, src, 0, 0, BlitOp::And);
  EXPECT_EQ(anded.pixel(0, 0), 0u);
  EXPECT_EQ(anded.pixel(1, 0), 0x0000F0u);
  EXPECT_EQ(anded.pixel(2, 1), 0xF0F0F0u);
  Canvas ored = dst;
  ored.blit(0, 0, 4, 2, src, 0, 0, BlitOp::Or);
  EXPECT_EQ(ored.pixel(1, 0), 0xFFFFFFu);
  EXPECT_EQ(ored.pixel(0, 1), 0xF0F0F0u);
  // Copy from a block of rows, clipped on every side.
  const uint8_t r0[6] = {1, 2, 3, 4, 5, 6}, r1[6] = {7, 8, 9, 10, 11, 12};
  const uint8_t* rows[2] = {r0, r1};
  Canvas c(3, 3);
  c.blit(-1, 2, 2, 2, plat::Pixels24View{2, 2, rows}, 0, 0, BlitOp::Copy);
  EXPECT_EQ(c.pixel(0, 2), rgb24(6, 5, 4));
  EXPECT_EQ(c.pixel(1, 2), 0u);
  EXPECT_EQ(c.pixel(0, 1), 0u);
  // A bottom-up canvas keeps picture row 0 last in memory.
  EXPECT_EQ(src.bits()[src.stride() + 3], 0xFF);
}

TEST_F(Canvas24, FillsFramesAndPatternsStayInside) {
  Canvas c(10, 10);
  c.fill({-5, -5, 3, 2}, 0x111111);
  EXPECT_EQ(inked(c, {0, 0, 10, 10}), 6);
  c.frame({5, 5, 20, 20}, 0x222222);  // the right and bottom sides fall off the canvas
  EXPECT_EQ(c.pixel(5, 9), 0x222222u);
  EXPECT_EQ(c.pixel(9, 5), 0x222222u);
  EXPECT_EQ(c.pixel(6, 6), 0u);
  // A checker brush, tiled from the canvas's origin whatever the rectangle.
  const uint8_t checker[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
  Canvas p(16, 4);
  p.pattern({3, 1, 16, 3}, checker, 0xFFFFFF, 0x000080);
  EXPECT_EQ(p.pixel(3, 1), 0xFFFFFFu);  // row 1 is 0x55: column 3 set
  EXPECT_EQ(p.pixel(4, 1), 0x000080u);
  EXPECT_EQ(p.pixel(12, 2), 0xFFFFFFu);  // row 2 is 0xAA: column 12 (4 in the tile) set
  EXPECT_EQ(p.pixel(2, 1), 0u);
  EXPECT_EQ(p.pixel(3, 3), 0u);
}

TEST_F(Canvas24, LinesReachTheEdgesAndStopThere) {
  Canvas c(5, 4);
  c.line(-3, 0, 10, 0, 0xFFFFFF);  // along the top edge, ends outside
  c.line(4, 0, 4, 3, 0x00FF00);    // down the right edge
  c.line(0, 3, 4, 3, 0x0000FF);    // the bottom edge, both ends drawn
  c.line(0, 1, 3, 2, 0xFF0000);    // a shallow slope from its lower end
  EXPECT_EQ(inked(c, {0, 0, 5, 1}), 5);
  EXPECT_EQ(c.pixel(4, 1), 0x00FF00u);
  EXPECT_EQ(c.pixel(0, 3), 0x0000FFu);
  EXPECT_EQ(c.pixel(4, 3), 0x0000FFu);
  EXPECT_EQ(c.pixel(0, 1), 0xFF0000u);
  EXPECT_EQ(c.pixel(3, 2), 0xFF0000u);
  EXPECT_EQ(inked(c, {0, 1, 4, 3}), 4);
  // Wholly outside: nothing.
  Canvas d(3, 3);
  d.line(-5, -5, -1, 10, 0xFFFFFF);
  EXPECT_EQ(inked(d, {0, 0, 3, 3}), 0);
}

}  // namespace
