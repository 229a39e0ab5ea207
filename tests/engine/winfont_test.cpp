// WINFONT over the fake rasteriser: the tilde codes, exact pixels of every drawing mode and the
// glyph cache.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/winfont/winfont.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "tests/support/text_fixture.h"

namespace {

struct BitmapHolder {
  BITMAP16* bm;
  BitmapHolder(int w, int h) : bm(bitmap16_create(w, h)) {}
  ~BitmapHolder() { bitmap16_free(&bm); }
  uint16_t at(int x, int y) const { return bm->rows[y][x]; }
  void fill(uint16_t c) { bitmap16_fill(bm, c); }
  // Pixels that differ from the fill colour.
  int changed(uint16_t fill) const {
    int n = 0;
    for (uint32_t y = 0; y < bm->height; ++y)
      for (uint32_t x = 0; x < bm->width; ++x) n += bm->rows[y][x] != fill;
    return n;
  }
};

constexpr uint16_t kBackground = 0x1234;

class Winfont : public veldra_test::TextTest {
 protected:
  const WINFONT_STATE& st() { return winfont_state(); }
  // Runs codes without drawing.
  void apply(const char* codes) { font_draw_text(0, 0, codes, 1, nullptr); }
};

// ---- codes ------------------------------------------------------------------------------------

struct CodeCase {
  const char* pre;   // applied first with a null target
  const char* text;  // drawn at x = 4 into a 200 x 40 bitmap
  int index, slot, outline, mode, level;
  int advance;       // result - 4
  bool ink;          // some pixel changed
};

TEST_F(Winfont, Codes) {
  const CodeCase cases[] = {
      {"", "~C4abc~C0", 0, 0, 0, 0, 0, 18, true},
      {"~Z6", "~Z+", 0, 5, 0, 0, 0, 0, false},
      {"~Z1", "~Z-", 0, 0, 0, 0, 0, 0, false},
      {"~Z3", "~Zx", 0, 0, 0, 0, 0, 0, false},
      {"", "~Z9", 0, 5, 0, 0, 0, 0, false},
      {"~Z4", "~Z1", 0, 0, 0, 0, 0, 0, false},
      {"~Z4", "~Z0", 0, 0, 0, 0, 0, 0, false},
      {"~Z2", "~z+", 0, 2, 0, 0, 0, 0, false},
      {"", "~A5", 0, 0, 0, 0, 16, 0, false},
      {"", "~A9", 0, 0, 0, 0, 28, 0, false},
      {"", "~a1", 0, 0, 0, 0, 3, 0, false},
      {"", "~O3", 0, 0, 1, 0, 0, 0, false},
      {"~O3", "~O0", 0, 0, 0, 0, 0, 0, false},
      {"", "~F2", 0, 0, 2, 0, 0, 0, false},
      {"", "~F3", 0, 0, 0, 0, 0, 18, true},
      {"", "~Ox", 0, 0, 0, 0, 0, 18, true},
      {"", "~S2a", 0, 0, 0, 2, 0, 6, false},
      {"", "~Q1", 0, 0, 0, 0, 0, 18, true},
      {"", "~", 0, 0, 0, 0, 0, 6, true},
      {"", "ab~C", 0, 0, 0, 0, 0, 24, true},
      {"", "~C", 0, 0, 0, 0, 0, 12, true},
      {"", "\xB0", 0, 0, 0, 0, 0, 6, true},
      {"", "\xB0\xA1", 0, 0, 0, 0, 0, 12, true},
      {"", "~Z2a\xB0\xA1", 0, 1, 0, 0, 0, 8 + 16, true},
      {"", "", 0, 0, 0, 0, 0, 0, false},
  };
  for (const CodeCase& c : cases) {
    SCOPED_TRACE(std::string("pre \"") + c.pre + "\" text \"" + c.text + "\"");
    winfont_reset();
    font_set_face_kind(4);
    winfont_module_init();
    apply(c.pre);
    BitmapHolder b(200, 40);
    b.fill(kBackground);
    const int32_t end = font_draw_text(4, 2, c.text, 1, b.bm);
    EXPECT_EQ(end - 4, c.advance);
    EXPECT_EQ(st().colour_index, c.index);
    EXPECT_EQ(st().font_slot, c.slot);
    EXPECT_EQ(st().outline_mode, c.outline);
    EXPECT_EQ(st().draw_mode, c.mode);
    EXPECT_EQ(st().level, c.level);
    EXPECT_EQ(b.changed(kBackground) > 0, c.ink);
  }
}

TEST_F(Winfont, ColourCodeDrawsInItsColourAndStatePersists) {
  BitmapHolder b(100, 20);
  b.fill(kBackground);
  font_draw_text(0, 0, "~C4abc~C0", 1, b.bm);
  // The fake's block fills each 6 x 12 glyph: a, b and c in colour 4.
  for (int x = 0; x < 18; ++x) EXPECT_EQ(b.at(x, 5), st().colours[4]) << x;
  EXPECT_EQ(b.at(18, 5), kBackground);

  // Codes carry over to the next call.
  apply("~C2");
  b.fill(kBackground);
  font_draw_text(0, 0, "a", 1, b.bm);
  EXPECT_EQ(b.at(0, 0), st().colours[2]);

  // "~O" with a digit overwrites the second colour of the current index for later calls.
  apply("~C5~O3~F0");
  EXPECT_EQ(st().second_colours[5], st().colours[3]);
  apply("~C0");
  EXPECT_EQ(st().second_colours[5], st().colours[3]);
}

TEST_F(Winfont, ColourTableIsPackedWithTheInstalledRoutine) {
  struct Case {
    bool second;
    int index;
    uint32_t rgb;
  } cases[] = {{false, 0, 0xFFFFFF}, {false, 4, 0xFFFF00}, {true, 2, 0x0000FF}, {false, 15, 0xE0E0E0}, {true, 15, 0x202020}};
  for (const Case& c : cases) {
    const uint16_t* table = c.second ? st().second_colours : st().colours;
    EXPECT_EQ(table[c.index], pixel_ops.pack_rgb(c.rgb)) << (c.second ? "second " : "text ") << c.index;
  }
  EXPECT_EQ(font_char_width(), 12);
  apply("~Z6");
  EXPECT_EQ(font_char_width(), 32);
}

// ---- pixels -----------------------------------------------------------------------------------

TEST_F(Winfont, PixelGoldens) {
  BitmapHolder b(40, 40);
  const uint16_t white = st().colours[0];
  const uint16_t black = st().second_colours[0];

  {
    SCOPED_TRACE("solid box");
    b.fill(kBackground);
    EXPECT_EQ(font_draw_text(3, 4, "o", 1, b.bm), 9);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) {
        const bool border = x >= 3 && x <= 8 && y >= 4 && y <= 15 && (x == 3 || x == 8 || y == 4 || y == 15);
        ASSERT_EQ(b.at(x, y), border ? white : kBackground) << x << "," << y;
      }
  }
  {
    SCOPED_TRACE("blend at ~A5");
    b.fill(kBackground);
    font_draw_text(10, 10, "~A5~S1.~S0~A0", 1, b.bm);
    uint16_t expected = kBackground;
    pixel_ops.blend(&white, &expected, 128);
    ASSERT_NE(expected, kBackground);
    EXPECT_EQ(b.at(11, 11), expected);
    EXPECT_EQ(b.changed(kBackground), 1);
  }
  {
    SCOPED_TRACE("outline 1 around a dot");
    b.fill(kBackground);
    font_draw_text(10, 10, "~F1.~F0", 1, b.bm);
    EXPECT_EQ(b.at(11, 11), white);
    EXPECT_EQ(b.at(10, 11), black);
    EXPECT_EQ(b.at(12, 11), black);
    EXPECT_EQ(b.at(11, 10), black);
    EXPECT_EQ(b.at(11, 12), black);
    EXPECT_EQ(b.at(10, 10), kBackground);
    EXPECT_EQ(b.at(12, 12), kBackground);
    EXPECT_EQ(b.changed(kBackground), 5);
  }
  {
    SCOPED_TRACE("shadow 2 of a dot");
    b.fill(kBackground);
    font_draw_text(10, 10, "~F2.~F0", 1, b.bm);
    EXPECT_EQ(b.at(11, 11), white);
    EXPECT_EQ(b.at(12, 11), black);
    EXPECT_EQ(b.at(11, 12), black);
    EXPECT_EQ(b.changed(kBackground), 3);
  }
  {
    SCOPED_TRACE("outline 1 of a block reaches outside the glyph box");
    b.fill(kBackground);
    font_draw_text(10, 10, "~F1a~F0", 1, b.bm);
    // Glyph 6 x 12 at (10, 10); the outline is one pixel around it, without the corners.
    for (int y = 9; y <= 22; ++y)
      for (int x = 9; x <= 16; ++x) {
        const bool in_x = x >= 10 && x <= 15, in_y = y >= 10 && y <= 21;
        uint16_t want = kBackground;
        if (in_x && in_y) want = white;
        else if (in_x || in_y) want = black;
        ASSERT_EQ(b.at(x, y), want) << x << "," << y;
      }
    EXPECT_EQ(b.changed(kBackground), 72 + 2 * 12 + 2 * 6);
  }
  {
    SCOPED_TRACE("opaque text with the background from the style");
    b.fill(kBackground);
    const uint16_t bg = 0x0841;
    font_draw_text(0, 0, ".", static_cast<uint32_t>(bg) << 16, b.bm);
    EXPECT_EQ(st().second_colours[0], bg);
    for (int y = 0; y < 13; ++y)
      for (int x = 0; x < 7; ++x) {
        uint16_t want = (x < 6 && y < 12) ? bg : kBackground;
        if (x == 1 && y == 1) want = white;
        ASSERT_EQ(b.at(x, y), want) << x << "," << y;
      }
    // Style 0 makes the background black, and "~F" does not outline opaque text.
    b.fill(kBackground);
    font_draw_text(0, 0, "~F1.", 0, b.bm);
    EXPECT_EQ(st().second_colours[0], 0);
    EXPECT_EQ(st().outline_mode, 0);
    EXPECT_EQ(b.at(0, 0), 0);
    EXPECT_EQ(b.at(6, 0), kBackground);
    EXPECT_EQ(b.at(0, 12), kBackground);
  }
}

TEST_F(Winfont, ClipsAtEveryEdge) {
  BitmapHolder b(40, 40);
  const uint16_t white = st().colours[0];
  const uint16_t black = st().second_colours[0];
  apply("~F1");
  {
    SCOPED_TRACE("right and bottom");
    b.fill(kBackground);
    font_draw_text(36, 30, "a", 1, b.bm);
    // Columns 36..39 and rows 30..39 of the glyph; outline left at 35 and above at 29.
    for (int y = 29; y < 40; ++y)
      for (int x = 35; x < 40; ++x) {
        uint16_t want = kBackground;
        if (x >= 36 && y >= 30) want = white;
        else if (x == 35 && y >= 30) want = black;
        else if (y == 29 && x >= 36) want = black;
        ASSERT_EQ(b.at(x, y), want) << x << "," << y;
      }
    EXPECT_EQ(b.changed(kBackground), 40 + 10 + 4);
  }
  {
    SCOPED_TRACE("left and top");
    b.fill(kBackground);
    font_draw_text(-3, -5, "a", 1, b.bm);
    // Columns 0..2 and rows 0..6 of the glyph, outline right at 3 and below at 7.
    EXPECT_EQ(b.at(0, 0), white);
    EXPECT_EQ(b.at(2, 6), white);
    EXPECT_EQ(b.at(3, 0), black);
    EXPECT_EQ(b.at(0, 7), black);
    EXPECT_EQ(b.at(3, 7), kBackground);
    EXPECT_EQ(b.changed(kBackground), 21 + 7 + 3);
  }
  {
    SCOPED_TRACE("wholly outside");
    b.fill(kBackground);
    font_draw_text(40, 0, "abc", 1, b.bm);
    font_draw_text(0, 41, "abc", 1, b.bm);
    font_draw_text(-20, -20, "abc", 1, b.bm);
    EXPECT_EQ(b.changed(kBackground), 0);
  }
}

TEST_F(Winfont, NullTargetAppliesCodesAndDrawsNothing) {
  fake().resetRenders();
  EXPECT_EQ(font_draw_text(5, 0, "~C2ab", 1, nullptr), 17);
  EXPECT_EQ(st().colour_index, 2);
  EXPECT_EQ(fake().renders(), 0u);
}

TEST_F(Winfont, WithoutAFaceKindEveryCharacterIsTwoDots) {
  winfont_reset();
  font_set_face_kind(0);
  winfont_module_init();
  const uint32_t* rows = font_glyph(0xB0A1);
  // Two dots: column 1 and column 1 + 6, row 1.
  EXPECT_EQ(rows[1], (0x80000000u >> 1) | (0x80000000u >> 7));
  EXPECT_EQ(rows[0], 0u);
  EXPECT_EQ(rows[2], 0u);
}

// ---- cache ------------------------------------------------------------------------------------

std::vector<int> list_order() {
  std::vector<int> order;
  const WINFONT_STATE& s = winfont_state();
  for (int n = s.directory[0].next; n != 0 && order.size() < 200; n = s.directory[n].next) order.push_back(n);
  return order;
}

uint16_t pair(int i) { return static_cast<uint16_t>(0xB001 + i); }

TEST_F(Winfont, Cache) {
  fake().resetRenders();
  for (int i = 0; i < 99; ++i) font_glyph(pair(i));
  EXPECT_EQ(fake().renders(), 99u);
  const std::vector<int> order = list_order();
  ASSERT_EQ(order.size(), 99u);
  // Each miss goes to the front: the first character is at the end, in entry 1.
  EXPECT_EQ(order.front(), 99);
  EXPECT_EQ(order.back(), 1);

  // Hits render nothing and leave the order.
  for (int i = 98; i >= 0; --i) font_glyph(pair(i));
  EXPECT_EQ(fake().renders(), 99u);
  EXPECT_EQ(list_order(), order);

  // The 100th character reuses the last node (the first character's entry).
  font_glyph(pair(99));
  EXPECT_EQ(fake().renders(), 100u);
  EXPECT_EQ(winfont_state().directory[1].character, pair(99));
  EXPECT_EQ(list_order().front(), 1);
  EXPECT_EQ(list_order().back(), 2);
  EXPECT_EQ(list_order().size(), 99u);
  font_glyph(pair(0));  // evicted: renders again
  EXPECT_EQ(fake().renders(), 101u);
}

TEST_F(Winfont, CacheKeysByCellAndSingleBytesByTheirByteTimes256) {
  fake().resetRenders();
  font_draw_text(0, 0, "a", 1, nullptr);  // a null target renders nothing
  BitmapHolder b(100, 40);
  font_draw_text(0, 0, "a~Z2a~Z1a", 1, b.bm);
  EXPECT_EQ(fake().renders(), 2u);
  bool found = false;
  for (const WINFONT_GLYPH_ENTRY& e : winfont_state().directory) found |= e.character == 'a' * 256 && e.cell_width == 16;
  EXPECT_TRUE(found);
}

TEST_F(Winfont, SettersAndBadIndexes) {
  font_set_color(0x1111);
  EXPECT_EQ(st().colours[0], 0x1111);
  EXPECT_EQ(font_get_color(), 0x1111);
  font_set_bg_color(0x2222);
  EXPECT_EQ(st().second_colours[0], 0x2222);
  font_set_table_color(3, 0x3333);
  font_set_outline_color(3, 0x4444);
  EXPECT_EQ(st().colours[3], 0x3333);
  EXPECT_EQ(st().second_colours[3], 0x4444);
  const WINFONT_STATE before = st();
  font_set_table_color(16, 1);
  font_set_table_color(-1, 1);
  font_set_outline_color(99, 1);
  EXPECT_EQ(std::memcmp(&before, &st(), sizeof before), 0);
  EXPECT_EQ(font_convert_gb(0xB0A1), 0xB0A1);
  EXPECT_EQ(font_convert_big5(0xA440), 0xA440);
}

}  // namespace
