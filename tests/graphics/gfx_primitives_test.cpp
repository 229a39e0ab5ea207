// Pixels, lines, shapes, boxes, whole-bitmap blits and the bitmap helpers.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "graphics/primitives/bitmap16_helpers.h"
#include "graphics/primitives/bitmap8.h"
#include "graphics/primitives/gfx16_boxes.h"
#include "graphics/primitives/gfx16_convert.h"
#include "graphics/primitives/gfx16_lines.h"
#include "graphics/primitives/gfx16_shapes.h"
#include "tests/graphics/gfx_test_support.h"

namespace {

using gfxt::Bitmap;
using gfxt::make_bitmap;
using Pixels = std::set<std::pair<int, int>>;

Pixels drawn(const BITMAP16* b, uint16_t background = 0) {
  Pixels out;
  for (uint32_t y = 0; y < b->height; ++y)
    for (uint32_t x = 0; x < b->width; ++x)
      if (b->rows[y][x] != background) out.insert({static_cast<int>(x), static_cast<int>(y)});
  return out;
}

class GfxPrimitives : public ::testing::Test {
 protected:
  void SetUp() override {
    module_resets_run_all();
    pixel_ops = pixel_ops_family(PIXEL_FORMAT_565);
    gfx16_init_colours();
  }
  void TearDown() override { module_resets_run_all(); }
};

TEST_F(GfxPrimitives, LinesDrawTheStatedPixelSets) {
  struct Case {
    const char* what;
    int x1, y1, x2, y2;
    Pixels expected;
  };
  const Case cases[] = {
      {"point", 5, 5, 5, 5, {{5, 5}}},
      {"horizontal clipped left", -10, 5, 10, 5,
       {{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}, {7, 5}, {8, 5}, {9, 5}, {10, 5}}},
      {"vertical", 3, 7, 3, 4, {{3, 4}, {3, 5}, {3, 6}, {3, 7}}},
      {"steep", 0, 0, 3, 9,
       {{0, 0}, {0, 1}, {0, 2}, {1, 3}, {1, 4}, {1, 5}, {2, 6}, {2, 7}, {2, 8}, {3, 9}}},
      {"steep reversed", 3, 9, 0, 0,
       {{0, 0}, {0, 1}, {0, 2}, {1, 3}, {1, 4}, {1, 5}, {2, 6}, {2, 7}, {2, 8}, {3, 9}}},
      {"shallow", 0, 0, 9, 3,
       {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}, {5, 1}, {6, 2}, {7, 2}, {8, 2}, {9, 3}}},
      {"rising", 0, 3, 3, 0, {{0, 3}, {1, 2}, {2, 1}, {3, 0}}},
      {"clipped left", -4, 0, 5, 9, {{0, 4}, {1, 5}, {2, 6}, {3, 7}, {4, 8}, {5, 9}}},
      {"clipped right", 15, 0, 25, 10, {{15, 0}, {16, 1}, {17, 2}, {18, 3}, {19, 4}}},
      {"clipped top", 2, -3, 2, 4, {{2, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}}},
      {"clipped bottom", 0, 15, 10, 25, {{0, 15}, {1, 16}, {2, 17}, {3, 18}, {4, 19}}},
      // The clipped end is (0, 1.5) truncated to (0, 1).
      {"clip truncates", -3, 0, 7, 5, {{0, 1}, {1, 1}, {2, 2}, {3, 2}, {4, 3}, {5, 3}, {6, 4}, {7, 5}}},
      // 5 + 3 x -5 / 10 = 3.5: the whole sum is truncated, giving 3.
      {"clip truncates the sum", -3, 5, 7, 0, {{0, 3}, {1, 3}, {2, 3}, {3, 2}, {4, 2}, {5, 1}, {6, 1}, {7, 0}}},
      {"fully above", -5, -8, 30, -1, {}},
      {"fully right", 20, 0, 40, 19, {}},
  };
  for (const Case& c : cases) {
    Bitmap b = make_bitmap(20, 20);
    gfx16_draw_line(c.x1, c.y1, c.x2, c.y2, 1, b.get());
    EXPECT_EQ(drawn(b.get()), c.expected) << c.what;
  }
}

TEST_F(GfxPrimitives, ClipLineMovesEndsOntoTheRectangleOrRejects) {
  int32_t x1 = -10, y1 = 5, x2 = 30, y2 = 5;
  EXPECT_EQ(gfx16_clip_line(&x1, &y1, &x2, &y2, 0, 0, 19, 9), 1);
  EXPECT_EQ((std::vector<int32_t>{x1, y1, x2, y2}), (std::vector<int32_t>{0, 5, 19, 5}));
  x1 = -5, y1 = -5, x2 = -1, y2 = 30;
  EXPECT_EQ(gfx16_clip_line(&x1, &y1, &x2, &y2, 0, 0, 19, 9), 0);
}

TEST_F(GfxPrimitives, DashedLineCountsPixelsFromOne) {
  Bitmap b = make_bitmap(20, 3);
  gfx16_draw_dashed_line(0, 1, 11, 1, 1, 3, b.get());  // pixel i drawn when i mod 6 >= 3
  EXPECT_EQ(drawn(b.get()), (Pixels{{2, 1}, {3, 1}, {4, 1}, {8, 1}, {9, 1}, {10, 1}}));
  gfx16_draw_dashed_line(0, 0, 11, 0, 1, 0, b.get());
  EXPECT_EQ(drawn(b.get()).size(), 6u);
}

TEST_F(GfxPrimitives, SmallSigns) {
  Bitmap b = make_bitmap(16, 16);
  gfx16_draw_plus(5, 5, 1, b.get());
  Pixels plus;
  for (int i = -3; i <= 3; ++i) plus.insert({5 + i, 5}), plus.insert({5, 5 + i});
  EXPECT_EQ(drawn(b.get()), plus);
  b = make_bitmap(16, 16);
  gfx16_draw_cross(5, 5, 1, b.get());
  Pixels cross;
  for (int i = -3; i <= 3; ++i) cross.insert({5 + i, 5 + i}), cross.insert({5 + i, 5 - i});
  EXPECT_EQ(drawn(b.get()), cross);
  b = make_bitmap(16, 16);
  gfx16_draw_arrow_head(8, 8, 1, b.get());
  Pixels arrow;
  for (int i = 0; i <= 3; ++i)
    for (int x = 8 - i; x <= 8 + i; ++x) arrow.insert({x, 6 + i});
  EXPECT_EQ(drawn(b.get()), arrow);
}

TEST_F(GfxPrimitives, PixelsClipOnlyInTheClippedForm) {
  Bitmap b = make_bitmap(4, 4);
  gfx16_put_pixel(3, 3, 7, b.get());
  EXPECT_EQ(gfx16_get_pixel(3, 3, b.get()), 7);
  for (auto [x, y] : std::vector<std::pair<int, int>>{{-1, 0}, {4, 0}, {0, -1}, {0, 4}}) {
    gfx16_put_pixel_clipped(x, y, 9, b.get());
  }
  gfx16_put_pixel_clipped(0, 0, 9, nullptr);
  EXPECT_EQ(drawn(b.get()), (Pixels{{3, 3}}));
}

TEST_F(GfxPrimitives, FillRectClipsAndHonoursEmptySizes) {
  Bitmap b = make_bitmap(10, 10);
  gfx16_fill_rect(-3, 2, 5, 2, 1, b.get());
  EXPECT_EQ(drawn(b.get()), (Pixels{{0, 2}, {1, 2}, {0, 3}, {1, 3}}));
  b = make_bitmap(10, 10);
  gfx16_fill_rect(2, 2, 0, 5, 1, b.get());
  gfx16_fill_rect(2, 2, 5, 0, 1, b.get());
  gfx16_fill_rect(8, 8, 100, 100, 1, b.get());
  EXPECT_EQ(drawn(b.get()), (Pixels{{8, 8}, {9, 8}, {8, 9}, {9, 9}}));
  gfx16_fill_rect(INT32_MAX - 1, 0, INT32_MAX, 5, 1, b.get());  // no wrap into view
  EXPECT_EQ(drawn(b.get()).size(), 4u);
}

TEST_F(GfxPrimitives, DashedRectMarchesWithTickCounterZero) {
  const uint16_t a = 1, c = 2;
  Bitmap b = make_bitmap(40, 20);
  gfx16_draw_dashed_rect(0, 0, 40, 10, a, c, b.get());  // x2 equal to the width
  EXPECT_TRUE(drawn(b.get()).empty());
  gfx16_draw_dashed_rect(-1, 0, 10, 10, a, c, b.get());
  EXPECT_TRUE(drawn(b.get()).empty());

  gfx16_draw_dashed_rect(2, 3, 20, 12, a, c, b.get());
  EXPECT_EQ(b->rows[12][20], 0) << "the corner (x2, y2) is never drawn";
  EXPECT_EQ(b->rows[3][7], a);    // (0 + 7) / 8 even
  EXPECT_EQ(b->rows[3][8], c);    // (0 + 8) / 8 odd
  EXPECT_EQ(b->rows[12][16], a);  // (0 + 16) / 8 even
  EXPECT_EQ(b->rows[8][2], c);    // (0 + 8) / 8 odd, left column
  EXPECT_EQ(b->rows[8][20], c);   // and the right one

  Bitmap later = make_bitmap(40, 20);
  timer_ticks[0] = 8;
  gfx16_draw_dashed_rect(2, 3, 20, 12, a, c, later.get());
  for (const auto& [x, y] : drawn(b.get())) {
    EXPECT_EQ(later->rows[y][x], b->rows[y][x] == a ? c : a) << x << "," << y;
  }
  EXPECT_EQ(drawn(later.get()), drawn(b.get()));
}

TEST_F(GfxPrimitives, RectanglesAndBoxes) {
  Bitmap b = make_bitmap(12, 12);
  gfx16_draw_rect(1, 1, 4, 3, 1, b.get());
  EXPECT_EQ(drawn(b.get()), (Pixels{{1, 1}, {2, 1}, {3, 1}, {4, 1}, {1, 3}, {2, 3}, {3, 3}, {4, 3}, {1, 2}, {4, 2}}));

  const uint16_t white = gfx16_colours[GFX16_WHITE], black = gfx16_colours[GFX16_BLACK];
  const uint16_t face = gfx16_colours[GFX16_GREY_A0], shade = gfx16_colours[GFX16_GREY_60];
  b = make_bitmap(12, 12, 0x1234);
  gfx16_draw_raised_box(1, 1, 8, 6, b.get());
  EXPECT_EQ(b->rows[1][4], white);  // top
  EXPECT_EQ(b->rows[3][1], white);  // left
  EXPECT_EQ(b->rows[3][8], black);  // right
  EXPECT_EQ(b->rows[6][4], black);  // bottom
  EXPECT_EQ(b->rows[3][7], shade);  // inner right
  EXPECT_EQ(b->rows[5][4], shade);  // inner bottom
  EXPECT_EQ(b->rows[3][4], face);
  EXPECT_EQ(b->rows[7][4], 0x1234);

  b = make_bitmap(12, 12, 0x1234);
  gfx16_draw_sunken_box(1, 1, 8, 6, b.get());
  EXPECT_EQ(b->rows[1][4], black);
  EXPECT_EQ(b->rows[3][1], black);
  EXPECT_EQ(b->rows[3][8], white);
  EXPECT_EQ(b->rows[6][4], white);
  EXPECT_EQ(b->rows[2][4], shade);  // inner top
  EXPECT_EQ(b->rows[3][2], shade);  // inner left
  EXPECT_EQ(b->rows[4][5], face);

  b = make_bitmap(20, 20);
  gfx16_draw_panel(0, 0, 20, 20, b.get());
  EXPECT_EQ(b->rows[10][10], gfx16_colours[GFX16_GREY_80]);
  EXPECT_EQ(b->rows[0][10], black);
  EXPECT_EQ(b->rows[3][10], gfx16_colours[GFX16_GREY_C0]);

  b = make_bitmap(20, 20);
  gfx16_draw_focus_rect(10, 10, 3, 1, 2, b.get());
  EXPECT_EQ(b->rows[5][10], 1);   // half-size r + 2
  EXPECT_EQ(b->rows[6][10], 2);   // r + 1 in the inner colour
  EXPECT_EQ(b->rows[7][10], 1);   // r
  EXPECT_EQ(b->rows[10][10], 0);
}

TEST_F(GfxPrimitives, GlyphButtonsAndBox16DrawAFaceWithASign) {
  using Glyph = void (*)(int32_t, int32_t, int, BITMAP16*);
  const Glyph glyphs[] = {gfx16_draw_glyph_pause, gfx16_draw_glyph_up,   gfx16_draw_glyph_down,
                          gfx16_draw_glyph_left,  gfx16_draw_glyph_right, gfx16_draw_glyph_plus,
                          gfx16_draw_glyph_minus};
  for (Glyph g : glyphs) {
    for (int pressed : {0, 1}) {
      Bitmap b = make_bitmap(20, 20, 0x1111);
      g(2, 2, pressed, b.get());
      EXPECT_EQ(b->rows[2][5], pressed ? gfx16_colours[GFX16_BLACK] : gfx16_colours[GFX16_WHITE]);
      int ink = 0;
      for (int y = 4; y < 16; ++y)
        for (int x = 4; x < 16; ++x) ink += b->rows[y][x] == gfx16_colours[GFX16_BLACK];
      EXPECT_GT(ink, 3);
      EXPECT_EQ(b->rows[18][18], 0x1111);
    }
  }
  Bitmap b = make_bitmap(20, 40);
  gfx16_draw_box16(1, 1, 30, b.get());
  EXPECT_EQ(b->rows[1][8], gfx16_colours[GFX16_WHITE]);
  EXPECT_EQ(b->rows[30][8], gfx16_colours[GFX16_BLACK]);
  EXPECT_EQ(b->rows[10][16], gfx16_colours[GFX16_BLACK]);
  gfx16_draw_box16_pressed(1, 1, 30, b.get());
  EXPECT_EQ(b->rows[1][8], gfx16_colours[GFX16_BLACK]);
}

TEST_F(GfxPrimitives, CirclesEllipsesAndArcs) {
  Bitmap b = make_bitmap(30, 30);
  gfx16_draw_circle(15, 15, 5, 1, b.get());
  for (auto [x, y] : std::vector<std::pair<int, int>>{{20, 15}, {10, 15}, {15, 20}, {15, 10}}) EXPECT_EQ(b->rows[y][x], 1);
  EXPECT_EQ(b->rows[15][15], 0);
  const Pixels circle = drawn(b.get());
  for (const auto& [x, y] : circle) EXPECT_TRUE(circle.count({30 - x, y}) && circle.count({x, 30 - y}));

  b = make_bitmap(30, 30);
  gfx16_draw_ellipse(15, 15, 8, 4, 1, b.get());
  for (auto [x, y] : std::vector<std::pair<int, int>>{{23, 15}, {7, 15}, {15, 19}, {15, 11}}) EXPECT_EQ(b->rows[y][x], 1);
  // Gap-free outline: every drawn pixel has a drawn neighbour on each side of the axis run.
  EXPECT_GT(drawn(b.get()).size(), 30u);

  // A flat ellipse is the segment between its axis points; a negative radius draws nothing.
  b = make_bitmap(30, 30);
  gfx16_draw_ellipse(15, 15, 4, 0, 1, b.get());
  EXPECT_EQ(drawn(b.get()), (Pixels{{11, 15}, {12, 15}, {13, 15}, {14, 15}, {15, 15}, {16, 15}, {17, 15}, {18, 15}, {19, 15}}));
  b = make_bitmap(30, 30);
  gfx16_draw_ellipse(15, 15, 0, 2, 1, b.get());
  EXPECT_EQ(drawn(b.get()), (Pixels{{15, 13}, {15, 14}, {15, 15}, {15, 16}, {15, 17}}));
  b = make_bitmap(30, 30);
  gfx16_draw_ellipse(15, 15, 0, 0, 1, b.get());
  EXPECT_EQ(drawn(b.get()), (Pixels{{15, 15}}));
  b = make_bitmap(30, 30);
  gfx16_draw_ellipse(15, 15, -3, 4, 1, b.get());
  gfx16_draw_circle(15, 15, -1, 1, b.get());
  EXPECT_TRUE(drawn(b.get()).empty());
  gfx16_draw_ellipse(-40, 15, 60, 4, 1, b.get());  // mostly outside: clipped per pixel
  EXPECT_FALSE(drawn(b.get()).empty());

  // A quarter arc from 0 to 90 degrees runs from the right axis point up to the top one.
  b = make_bitmap(30, 30);
  gfx16_draw_arc(15, 15, 10, 10, 0, 90, 1, b.get());
  EXPECT_EQ(b->rows[15][25], 1);
  EXPECT_EQ(b->rows[5][15], 1);
  for (const auto& [x, y] : drawn(b.get())) EXPECT_TRUE(x >= 15 && y <= 15) << x << "," << y;
}

// Source 4 x 3 with distinct pixels, placed wherever the table says on a 6 x 5 target.
TEST_F(GfxPrimitives, WholeBitmapBlitsShareOneClippingRule) {
  Bitmap src = make_bitmap(4, 3);
  for (uint32_t y = 0; y < 3; ++y)
    for (uint32_t x = 0; x < 4; ++x) src->rows[y][x] = static_cast<uint16_t>(0x100 + 16 * y + x);
  const std::pair<int, int> places[] = {{0, 0}, {-5, -5}, {-2, -1}, {4, 3}, {5, 4}, {6, 0}, {0, 5}, {-4, 0}, {2, -3}};
  for (auto [x, y] : places) {
    Bitmap expected = make_bitmap(6, 5, 7);
    for (int j = 0; j < 3; ++j)
      for (int i = 0; i < 4; ++i)
        if (x + i >= 0 && x + i < 6 && y + j >= 0 && y + j < 5) expected->rows[y + j][x + i] = src->rows[j][i];
    Bitmap blit = make_bitmap(6, 5, 7);
    gfx16_blit(x, y, src.get(), blit.get());
    EXPECT_EQ(gfxt::difference(blit.get(), expected.get()), "") << "blit at " << x << "," << y;
    Bitmap rect = make_bitmap(6, 5, 7);
    gfx16_blit_rect(x, y, 0, 0, 4, 3, src.get(), rect.get());
    EXPECT_EQ(gfxt::difference(rect.get(), expected.get()), "") << "blit_rect at " << x << "," << y;
    Bitmap blend = make_bitmap(6, 5, 7);
    gfx16_blit_blend(x, y, src.get(), blend.get(), 255);  // the same pixels change
    EXPECT_EQ(drawn(blend.get(), 7), drawn(expected.get(), 7)) << "blend at " << x << "," << y;
  }
  // A block of the source: only its part inside the source is copied.
  Bitmap part = make_bitmap(6, 5, 7);
  gfx16_blit_rect(1, 1, 2, 1, 5, 5, src.get(), part.get());
  EXPECT_EQ(drawn(part.get(), 7), (Pixels{{1, 1}, {2, 1}, {1, 2}, {2, 2}}));
  EXPECT_EQ(part->rows[1][1], src->rows[1][2]);
  EXPECT_EQ(part->rows[2][2], src->rows[2][3]);
}

TEST_F(GfxPrimitives, GreyBrightenDarkenAddAndHalf) {
  Bitmap red = make_bitmap(1, 1, pixel_ops.pack(248, 0, 0)), out = make_bitmap(1, 1);
  gfx16_blit_grey(0, 0, red.get(), out.get());
  EXPECT_EQ(out->rows[0][0], pixel_ops.pack(74, 74, 74)) << "grey of a 565 red, which unpacks to 248";

  Bitmap b = make_bitmap(2, 1);
  b->rows[0][0] = pixel_ops.pack(200, 100, 8);
  b->rows[0][1] = pixel_ops.pack(16, 250, 40);
  gfx16_brighten(100, 10, 0, b.get());
  EXPECT_EQ(b->rows[0][0], pixel_ops.pack(255, 110, 8));
  EXPECT_EQ(b->rows[0][1], pixel_ops.pack(116, 255, 40));
  gfx16_darken(120, 0, 50, b.get());
  EXPECT_EQ(b->rows[0][0], pixel_ops.pack(135, 110, 0));
  EXPECT_EQ(b->rows[0][1], pixel_ops.pack(0, 255, 0));

  Bitmap s = make_bitmap(1, 1, pixel_ops.pack(200, 200, 0)), d = make_bitmap(1, 1, pixel_ops.pack(100, 0, 0));
  gfx16_blit_add(0, 0, s.get(), d.get());
  EXPECT_EQ(d->rows[0][0], pixel_ops.pack(255, 200, 0));
  EXPECT_EQ(gfx16_add_rgb(100, 0, 300, pixel_ops.pack(200, 8, 8)), pixel_ops.pack(255, 8, 255));

  Bitmap f = make_bitmap(4, 4, pixel_ops.pack(0, 0, 0));
  gfx16_fill_rect_blend(-2, 2, 3, 9, pixel_ops.pack(248, 0, 0), f.get(), 255);
  EXPECT_EQ(drawn(f.get(), 0), (Pixels{{0, 2}, {0, 3}}));
}

TEST_F(GfxPrimitives, Bitmap8LayoutClearCopyAndSizeChecks) {
  BITMAP8* b = bitmap8_create(5, 3);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->width, 5u);
  EXPECT_EQ(b->height, 3u);
  const auto* base = reinterpret_cast<const uint8_t*>(b);
  EXPECT_EQ(b->rows[0], base + 8 + 3 * sizeof(uint8_t*)) << "rows follow the row pointers";
  EXPECT_EQ(b->rows[1] - b->rows[0], 8) << "rows of the width rounded up to 4";
  EXPECT_EQ(b->rows[2] - b->rows[1], 8);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(b->rows[y][x], 0);

  BITMAP8* src = bitmap8_create(8, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) src->rows[y][x] = static_cast<uint8_t>(10 * y + x);
  EXPECT_EQ(bitmap8_copy_rect(2, 1, 3, 2, b, src), 4);
  EXPECT_EQ(b->width, 4u);
  EXPECT_EQ(b->height, 2u);
  EXPECT_EQ(b->rows[0][0], 12);
  EXPECT_EQ(b->rows[1][3], 25);
  EXPECT_EQ(bitmap8_copy_rect(0, 0, 16, 2, b, src), 0) << "wider than the rows hold";
  bitmap8_clear(b);
  EXPECT_EQ(b->rows[1][3], 0);

  EXPECT_EQ(bitmap8_create(-1, 3), nullptr);
  EXPECT_EQ(bitmap8_create(70000, 70000), nullptr) << "no 32-bit wrap of the block size";
  gfx_alloc_fail_at(1);
  EXPECT_EQ(bitmap8_create(4, 4), nullptr);
  bitmap8_free(&b);
  bitmap8_free(&src);
  EXPECT_EQ(b, nullptr);
  bitmap8_free(&b);
}

TEST_F(GfxPrimitives, BoundsCropsAndCoverage) {
  Bitmap empty = make_bitmap(6, 5);
  int32_t ox = 9, oy = 9;
  Bitmap crop(bitmap16_crop(empty.get(), &ox, &oy));
  ASSERT_TRUE(crop);
  EXPECT_EQ(crop->width, 2u);
  EXPECT_EQ(crop->height, 2u);
  EXPECT_EQ(ox, 0);
  EXPECT_EQ(oy, 0);
  EXPECT_DOUBLE_EQ(bitmap16_transparent_share(empty.get()), 1.0);
  EXPECT_DOUBLE_EQ(bitmap16_transparent_share(nullptr), 0.0);

  Bitmap b = make_bitmap(6, 5);
  b->rows[1][2] = 5;
  b->rows[3][4] = 6;
  GFX_RECT r;
  ASSERT_TRUE(bitmap16_find_bounds(b.get(), {0, 0, 6, 5}, &r));
  EXPECT_EQ((std::vector<int>{r.left, r.top, r.right, r.bottom}), (std::vector<int>{2, 1, 5, 4}));
  ASSERT_TRUE(bitmap16_find_bounds(b.get(), {3, 0, 6, 5}, &r));
  EXPECT_EQ(r.left, 4);
  EXPECT_FALSE(bitmap16_find_bounds(b.get(), {0, 4, 6, 5}, &r));
  crop.reset(bitmap16_crop(b.get(), &ox, &oy));
  EXPECT_EQ(crop->width, 3u);
  EXPECT_EQ(crop->height, 3u);
  EXPECT_EQ(ox, 2);
  EXPECT_EQ(oy, 1);
  EXPECT_EQ(crop->rows[2][2], 6);
  EXPECT_DOUBLE_EQ(bitmap16_transparent_share(b.get()), 28.0 / 30.0);

  int32_t fx = 0, fy = 0;
  bitmap16_foot_point(b.get(), &fx, &fy);
  EXPECT_EQ(fx, 3);
  EXPECT_EQ(fy, 2);  // columns 2 and 4: rows 1 and 3, mean 2

  BITMAP16A* a = bitmap16a_make(b.get());
  EXPECT_EQ(bitmap16a_alpha(a, 1)[2], 255);
  EXPECT_EQ(bitmap16a_alpha(a, 0)[0], 0);
  BITMAP16A* ac = bitmap16a_crop(a, &ox, &oy);
  EXPECT_EQ(ac->width, 3u);
  EXPECT_EQ(bitmap16a_pixels(ac, 2)[2], 6);
  EXPECT_EQ(bitmap16a_alpha(ac, 2)[2], 255) << "the alpha plane is cut with the pixels";
  EXPECT_EQ(bitmap16a_alpha(ac, 0)[1], 0);
  EXPECT_EQ((std::vector<int>{ox, oy}), (std::vector<int>{2, 1}));
  bitmap16a_free(&ac);
  bitmap16a_free(&a);
}

TEST_F(GfxPrimitives, AlphaBitmapsAndSilhouettes) {
  const uint16_t pixels[] = {1, 2, 3, 4};
  const uint8_t alphas[] = {0, 255, 128, 255};
  BITMAP16A* a = bitmap16a_from_arrays(2, 2, pixels, alphas);
  ASSERT_NE(a, nullptr);
  Bitmap dst = make_bitmap(3, 3, pixel_ops.pack(0, 0, 0));
  bitmap16a_blit(1, 1, a, dst.get());
  EXPECT_EQ(dst->rows[1][1], pixel_ops.pack(0, 0, 0)) << "alpha 0 skipped";
  EXPECT_EQ(dst->rows[1][2], 2) << "alpha 255 copied";
  EXPECT_EQ(dst->rows[2][2], 4);
  uint16_t expect = pixel_ops.pack(0, 0, 0);
  pixel_ops.blend(&pixels[2], &expect, 128);
  EXPECT_EQ(dst->rows[2][1], expect);

  BITMAP16A* big = bitmap16a_create(4, 4);
  bitmap16a_copy_to(-1, 3, a, big);
  EXPECT_EQ(bitmap16a_pixels(big, 3)[0], 2);
  EXPECT_EQ(bitmap16a_alpha(big, 3)[0], 255);
  EXPECT_EQ(bitmap16a_alpha(big, 3)[1], 0);

  BITMAP16A* sa = bitmap16a_silhouette(a, 2, 0);
  ASSERT_NE(sa, nullptr);
  EXPECT_EQ(sa->width, 4u);
  EXPECT_EQ(bitmap16a_alpha(sa, 1)[0], 128);  // (0, 1): the bottom row stays, its alpha kept
  EXPECT_EQ(bitmap16a_pixels(sa, 1)[0], pixel_ops.pack(255, 0, 0));
  EXPECT_EQ(bitmap16a_alpha(sa, 0)[2], 255);  // (1, 0): the top row leans right by 2 x 1 / 2
  EXPECT_EQ(bitmap16a_alpha(sa, 0)[1], 0) << "alpha 0 leaves no shadow";
  bitmap16a_free(&sa);
  bitmap16a_free(&big);
  bitmap16a_free(&a);

  Bitmap b = make_bitmap(2, 2);
  b->rows[0][0] = 9;
  b->rows[1][1] = 9;
  Bitmap s(bitmap16_silhouette(b.get(), 4, 2));
  ASSERT_TRUE(s);
  EXPECT_EQ(s->width, 6u);
  EXPECT_EQ(s->height, 4u);
  const uint16_t red = pixel_ops.pack(255, 0, 0);
  EXPECT_EQ(s->rows[0][2], red);  // the top row leans right by 4 x 1 / 2
  EXPECT_EQ(s->rows[2][1], red);  // the bottom row stays, column 1 drops by 2 x 1 / 2
  EXPECT_EQ(drawn(s.get()).size(), 2u);
}

TEST_F(GfxPrimitives, ConversionsAndRowHelpers) {
  uint16_t row[2] = {0x7C00, 0x001F};  // 555 red and blue
  gfx16_convert_row_in(row, 2);
  EXPECT_EQ(row[0], 0xF800);
  EXPECT_EQ(row[1], 0x001F);
  gfx16_convert_row_out(row, 2);
  EXPECT_EQ(row[0], 0x7C00);
  Bitmap b = make_bitmap(2, 1);
  b->rows[0][0] = 0x03E0;  // 555 green
  gfx16_convert_bitmap_in(b.get());
  EXPECT_EQ(b->rows[0][0], pixel_ops.from_555(0x03E0));
  EXPECT_EQ(b->rows[0][1], 0);
  gfx16_convert_bitmap_out(b.get());
  EXPECT_EQ(b->rows[0][0], 0x03E0);

  uint8_t palette[768] = {};
  palette[3] = 255;
  palette[8] = 255;
  uint16_t words[256];
  gfx16_palette_to_words(palette, words);
  EXPECT_EQ(words[1], 0xF800);
  EXPECT_EQ(words[2], 0x001F);

  Bitmap r = make_bitmap(4, 4, 5);
  gfx16_replace_colour(2, -1, 9, 2, 5, 6, r.get());
  EXPECT_EQ(drawn(r.get(), 5), (Pixels{{2, 0}, {3, 0}}));

  const uint16_t words4[] = {1, 2, 3, 4, 5, 6};
  Bitmap sp = make_bitmap(8, 4);
  EXPECT_EQ(bitmap16_set_pixels(sp.get(), words4, 3, 2), 0);
  EXPECT_EQ(sp->width, 4u);
  EXPECT_EQ(sp->height, 2u);
  EXPECT_EQ(sp->rows[1][0], 4);
  EXPECT_EQ(bitmap16_set_pixels(sp.get(), words4, 9, 1), -1) << "wider than the pitch";

  double h, s, l, v;
  rgb_to_hsl(255, 0, 0, &h, &s, &l);
  EXPECT_DOUBLE_EQ(h, 0);
  EXPECT_DOUBLE_EQ(s, 1);
  EXPECT_DOUBLE_EQ(l, 0.5);
  rgb_to_hsv(0, 128, 128, &h, &s, &v);
  EXPECT_DOUBLE_EQ(h, 180);
  EXPECT_DOUBLE_EQ(s, 1);
  EXPECT_NEAR(v, 128 / 255.0, 1e-12);

  const uint16_t src[6] = {1, 2, 3, 4, 5, 6};
  uint16_t down[3] = {}, up[9] = {};
  gfx16_stretch_row_down(src, 6, down, 3);
  EXPECT_EQ(std::vector<uint16_t>(down, down + 3), (std::vector<uint16_t>{2, 4, 6}));
  gfx16_stretch_row_up(src, 3, up, 9);
  EXPECT_EQ(std::vector<uint16_t>(up, up + 9), (std::vector<uint16_t>{1, 1, 1, 2, 2, 2, 3, 3, 3}));

  Bitmap st_src = make_bitmap(2, 2);
  st_src->rows[0][0] = 1, st_src->rows[0][1] = 2, st_src->rows[1][0] = 3, st_src->rows[1][1] = 4;
  Bitmap st = make_bitmap(5, 5);
  gfx16_blit_stretch(-1, 1, 4, 4, st_src.get(), st.get());
  EXPECT_EQ(st->rows[1][0], 1);  // target column 0 is stretch column 1 -> source 0
  EXPECT_EQ(st->rows[1][1], 2);
  EXPECT_EQ(st->rows[4][2], 4);
  EXPECT_EQ(st->rows[0][0], 0);

  auto* node2 = static_cast<BITMAP16_LIST*>(gfx_block_alloc(sizeof(BITMAP16_LIST)));
  auto* node1 = static_cast<BITMAP16_LIST*>(gfx_block_alloc(sizeof(BITMAP16_LIST)));
  node1->next = node2;
  node1->bitmap = bitmap16_create(2, 2);
  node2->bitmap = bitmap16_create(3, 3);
  BITMAP16_LIST* head = node1;
  bitmap16_list_free(&head);
  EXPECT_EQ(head, nullptr);
}

}  // namespace
