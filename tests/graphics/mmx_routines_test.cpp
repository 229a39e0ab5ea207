// The whole-buffer routines against the per-pixel rows, with clipping, tails and the stretch.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>

#include "graphics/bitmap/bitmap16.h"
#include "graphics/cpu/mmx.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/primitives/gfx16.h"
#include "tests/graphics/owned_bitmap.h"

namespace {

using gfxt::Bitmap;

uint32_t pixel_mask(int id) { return id == 1 ? 0x7FFF : 0xFFFF; }

Bitmap random_bitmap(int32_t w, int32_t h, std::mt19937& rng, int id) {
  Bitmap bm(bitmap16_create(w, h));
  for (int32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < bm->pitch / 2; ++x) bm->rows[y][x] = static_cast<uint16_t>(rng() & pixel_mask(id));
  return bm;
}

Bitmap copy_of(const BITMAP16* src) {
  Bitmap bm(bitmap16_create(static_cast<int32_t>(src->width), static_cast<int32_t>(src->height)));
  for (uint32_t y = 0; y < src->height; ++y) std::copy(src->rows[y], src->rows[y] + src->pitch / 2, bm->rows[y]);
  return bm;
}

void expect_same(const BITMAP16* a, const BITMAP16* b, const std::string& what) {
  for (uint32_t y = 0; y < a->height; ++y)
    for (uint32_t x = 0; x < a->pitch / 2; ++x)
      ASSERT_EQ(a->rows[y][x], b->rows[y][x]) << what << " at " << x << "," << y;
}

// The reference: each source pixel at (x + i, y + j) when that lies on the target.
void reference_pairs(int32_t x, int32_t y, const BITMAP16* src, BITMAP16* dst,
                     const std::function<void(const uint16_t*, uint16_t*)>& op) {
  for (uint32_t j = 0; j < src->height; ++j) {
    for (uint32_t i = 0; i < src->width; ++i) {
      const int64_t tx = x + static_cast<int64_t>(i), ty = y + static_cast<int64_t>(j);
      if (tx >= 0 && ty >= 0 && tx < dst->width && ty < dst->height) op(&src->rows[j][i], &dst->rows[ty][tx]);
    }
  }
}

class MmxRoutines : public ::testing::Test {
 protected:
  void TearDown() override { pixel_ops = pixel_ops_family(3); }
  std::mt19937 rng{7};
};

using PairRoutine = void (*)(int32_t, int32_t, BITMAP16*, BITMAP16*);

TEST_F(MmxRoutines, TwoBitmapRoutinesMatchTheirPixelRowsWhereverTheSourceLands) {
  struct Place {
    int32_t x, y, w, h;
  };
  // Inside; negative x and y; partly past the right and bottom; starting past them; empty.
  const Place places[] = {{3, 2, 13, 7},  {-5, -3, 13, 7}, {30, 20, 13, 7}, {40, 1, 5, 5},
                          {1, 26, 5, 5},  {-20, 0, 13, 7}, {0, 0, 0, 5},    {2, 2, 9, 1}};
  for (int id = 1; id <= 4; ++id) {
    gfx16_set_mmx_masks(id);
    const PIXEL_OPS& ops = pixel_ops_family(id);
    const int level = static_cast<int>(rng() & 0xFF);
    struct Routine {
      const char* name;
      std::function<void(int32_t, int32_t, BITMAP16*, BITMAP16*)> mmx;
      std::function<void(const uint16_t*, uint16_t*)> row;
    };
    const Routine routines[] = {
        {"copy", mmx_blit_copy, [](const uint16_t* s, uint16_t* d) { *d = *s; }},
        {"blend", [level](int32_t x, int32_t y, BITMAP16* s, BITMAP16* d) { mmx_blit_blend(x, y, s, d, level); },
         [&ops, level](const uint16_t* s, uint16_t* d) { ops.blend(s, d, level); }},
        {"mix", mmx_blit_mix, ops.mix},
        {"add", mmx_blit_add, ops.add},
        {"sub", mmx_blit_sub, [&ops](const uint16_t* s, uint16_t* d) {
           const uint16_t t = *d;  // the target less the source, per field
           *d = *s;
           ops.sub(&t, d);
         }},
    };
    for (const Place& p : places) {
      Bitmap src = random_bitmap(p.w, p.h, rng, id);
      Bitmap target = random_bitmap(40, 27, rng, id);
      for (const Routine& r : routines) {
        Bitmap got = copy_of(target.get()), want = copy_of(target.get());
        r.mmx(p.x, p.y, src.get(), got.get());
        reference_pairs(p.x, p.y, src.get(), want.get(), r.row);
        expect_same(got.get(), want.get(), std::string(r.name) + " id " + std::to_string(id) + " at " +
                                               std::to_string(p.x) + "," + std::to_string(p.y));
      }
    }
  }
  mmx_blit_copy(0, 0, nullptr, nullptr);
}

TEST_F(MmxRoutines, RowTailsStoreOnlyTheVisiblePixels) {
  gfx16_set_mmx_masks(3);
  const PairRoutine routines[] = {mmx_blit_copy, mmx_blit_mix, mmx_blit_grey, mmx_blit_add, mmx_blit_sub};
  for (int32_t w = 1; w <= 9; ++w) {
    Bitmap src(bitmap16_create(w, 1));
    bitmap16_fill(src.get(), 0xFFFF);
    for (PairRoutine r : routines) {
      Bitmap target(bitmap16_create(16, 1));
      bitmap16_fill(target.get(), 0x0841);
      r(0, 0, src.get(), target.get());
      EXPECT_EQ(target->rows[0][w], 0x0841) << "width " << w;
      EXPECT_NE(target->rows[0][w - 1], 0x0841) << "width " << w;
    }
    Bitmap target(bitmap16_create(16, 1));
    mmx_blit_blend(0, 0, src.get(), target.get(), 255);
    mmx_fill_blend(0, 0, w, 1, 0xFFFF, target.get(), 255);
    EXPECT_EQ(target->rows[0][w], 0) << "width " << w;
  }
}

TEST_F(MmxRoutines, FillBlendBrightenAndDarkenMatchTheirRows) {
  for (int id = 1; id <= 4; ++id) {
    gfx16_set_mmx_masks(id);
    const PIXEL_OPS& ops = pixel_ops_family(id);
    for (int round = 0; round < 20; ++round) {
      Bitmap target = random_bitmap(21, 9, rng, id);
      const auto colour = static_cast<uint16_t>(rng() & pixel_mask(id));
      const int level = static_cast<int>(rng() & 0xFF);
      const int32_t x = static_cast<int32_t>(rng() % 30) - 5, y = static_cast<int32_t>(rng() % 14) - 3;
      const int32_t w = static_cast<int32_t>(rng() % 25), h = static_cast<int32_t>(rng() % 12);
      Bitmap got = copy_of(target.get()), want = copy_of(target.get());
      mmx_fill_blend(x, y, w, h, colour, got.get(), level);
      for (int32_t j = 0; j < h; ++j)
        for (int32_t i = 0; i < w; ++i)
          if (x + i >= 0 && y + j >= 0 && x + i < 21 && y + j < 9) ops.blend(&colour, &want->rows[y + j][x + i], level);
      expect_same(got.get(), want.get(), "fill blend id " + std::to_string(id));

      const int r = static_cast<int>(rng() & 0xFF), g = static_cast<int>(rng() & 0xFF), b = static_cast<int>(rng() & 0xFF);
      Bitmap up = copy_of(target.get()), up_want = copy_of(target.get());
      Bitmap down = copy_of(target.get()), down_want = copy_of(target.get());
      mmx_brighten(r, g, b, up.get());
      mmx_darken(r, g, b, down.get());
      for (int32_t j = 0; j < 9; ++j) {
        for (int32_t i = 0; i < 21; ++i) {
          ops.brighten(&up_want->rows[j][i], r, g, b);
          ops.darken(&down_want->rows[j][i], r, g, b);
        }
      }
      expect_same(up.get(), up_want.get(), "brighten id " + std::to_string(id));
      expect_same(down.get(), down_want.get(), "darken id " + std::to_string(id));
    }
  }
}

// A view's rows are not one block: each row is brightened by itself and nothing between them.
TEST_F(MmxRoutines, BrightenWalksAViewRowByRow) {
  gfx16_set_mmx_masks(3);
  Bitmap big(bitmap16_create(16, 4));
  BITMAP16* view = bitmap16_view_rect(big.get(), 4, 1, 5, 2);
  mmx_brighten(255, 255, 255, view);
  for (uint32_t y = 0; y < 4; ++y)
    for (uint32_t x = 0; x < 16; ++x)
      EXPECT_EQ(big->rows[y][x], (y >= 1 && y < 3 && x >= 4 && x < 9) ? 0xFFFF : 0) << x << "," << y;
  bitmap16_free(&view);
}

TEST_F(MmxRoutines, BlendBelowLevel8ChangesNothingAndGreyUsesFixedShifts) {
  gfx16_set_mmx_masks(3);
  Bitmap src = random_bitmap(13, 3, rng, 3), target = random_bitmap(13, 3, rng, 3);
  Bitmap before = copy_of(target.get());
  for (int level = 0; level < 8; ++level) mmx_blit_blend(0, 0, src.get(), target.get(), level);
  expect_same(target.get(), before.get(), "levels 0-7");

  Bitmap red(bitmap16_create(1, 1)), out(bitmap16_create(1, 1));
  red->rows[0][0] = 0xF800;
  mmx_blit_grey(0, 0, red.get(), out.get());
  EXPECT_EQ(out->rows[0][0], 0x4A49);

  for (int id = 1; id <= 4; ++id) {
    gfx16_set_mmx_masks(id);
    Bitmap s = random_bitmap(11, 2, rng, id), t(bitmap16_create(11, 2));
    mmx_blit_grey(0, 0, s.get(), t.get());
    for (int i = 0; i < 11; ++i) {
      const uint32_t p = s->rows[1][i];
      const uint32_t grey = (38 * ((p & mmx_masks.red) >> 11) + 76 * ((p & mmx_masks.green) >> 6) +
                             14 * (p & mmx_masks.blue)) >> 7;
      EXPECT_EQ(t->rows[1][i], static_cast<uint16_t>((grey << 11) | (grey << 6) | grey)) << "id " << id;
    }
  }
}

TEST_F(MmxRoutines, MasksLoadForFixedFormatsOnly) {
  gfx16_set_mmx_masks(2);
  EXPECT_EQ(mmx_masks.half, 0xFBDE);
  gfx16_set_mmx_masks(5);
  EXPECT_EQ(mmx_masks.half, 0xFBDE);
  gfx16_set_mmx_masks(1);
  EXPECT_EQ(mmx_masks.red_shift, 1u);
  EXPECT_EQ(mmx_masks.green_shift, 6u);
}

TEST_F(MmxRoutines, CopyRectCopiesTheSourceBlockClipped) {
  Bitmap src = random_bitmap(12, 8, rng, 3);
  struct Case {
    int32_t x, y, sx, sy, w, h;
  };
  for (const Case c : {Case{2, 1, 3, 2, 6, 4}, Case{-2, -1, 0, 0, 5, 5}, Case{10, 5, 8, 6, 9, 9},
                       Case{0, 0, -3, -2, 6, 6}, Case{0, 0, 20, 0, 4, 4}}) {
    Bitmap got = random_bitmap(14, 9, rng, 3);
    Bitmap want = copy_of(got.get());
    mmx_blit_copy_rect(c.x, c.y, c.sx, c.sy, c.w, c.h, src.get(), got.get());
    for (int32_t j = 0; j < c.h; ++j)
      for (int32_t i = 0; i < c.w; ++i) {
        const int32_t sx = c.sx + i, sy = c.sy + j, tx = c.x + i, ty = c.y + j;
        if (sx >= 0 && sy >= 0 && sx < 12 && sy < 8 && tx >= 0 && ty >= 0 && tx < 14 && ty < 9)
          want->rows[ty][tx] = src->rows[sy][sx];
      }
    expect_same(got.get(), want.get(), "copy rect " + std::to_string(c.x));
  }
}

TEST_F(MmxRoutines, WidenPutsEachFieldAtTheTopOfItsByte) {
  gfx16_set_mmx_masks(3);
  const uint16_t in[5] = {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x0000};
  uint32_t out[5];
  mmx_widen_row(in, out, 5);
  EXPECT_EQ(out[0], 0xF80000u);
  EXPECT_EQ(out[1], 0x00FC00u);
  EXPECT_EQ(out[2], 0x0000F8u);
  EXPECT_EQ(out[3], 0xF8FCF8u);
  EXPECT_EQ(out[4], 0u);
}

TEST_F(MmxRoutines, StretchPicksNearestPixelsAndClips) {
  Bitmap src(bitmap16_create(4, 2));
  for (uint16_t y = 0; y < 2; ++y)
    for (uint16_t x = 0; x < 4; ++x) src->rows[y][x] = static_cast<uint16_t>(y * 10 + x + 1);
  // Twice the size: each source pixel covers a 2 x 2 block.
  Bitmap big(bitmap16_create(10, 6));
  bitmap16_stretch(1, 1, 8, 4, src.get(), big.get());
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(big->rows[1 + y][1 + x], src->rows[y / 2][x / 2]) << x << "," << y;
  EXPECT_EQ(big->rows[0][0], 0);
  EXPECT_EQ(big->rows[5][9], 0);
  // Half the size: every other pixel.
  Bitmap small(bitmap16_create(2, 1));
  bitmap16_stretch(0, 0, 2, 1, src.get(), small.get());
  EXPECT_EQ(small->rows[0][0], 1);
  EXPECT_EQ(small->rows[0][1], 3);
  // Clipped at each edge: the visible part keeps the columns of the unclipped picture.
  struct Edge {
    int32_t x, y;
  };
  for (const Edge e : {Edge{-3, 0}, Edge{0, -3}, Edge{5, 0}, Edge{0, 3}}) {
    Bitmap t(bitmap16_create(10, 6));
    bitmap16_stretch(e.x, e.y, 8, 4, src.get(), t.get());
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 10; ++x) {
        const int u = x - e.x, v = y - e.y;
        const uint16_t want = (u >= 0 && u < 8 && v >= 0 && v < 4) ? src->rows[v / 2][u / 2] : 0;
        EXPECT_EQ(t->rows[y][x], want) << e.x << "," << e.y << " at " << x << "," << y;
      }
  }
  Bitmap none(bitmap16_create(4, 4));
  bitmap16_stretch(0, 0, 0, 4, src.get(), none.get());
  bitmap16_stretch(0, 0, 4, 0, src.get(), none.get());
  bitmap16_stretch(4, 0, 4, 4, src.get(), none.get());
  for (int y = 0; y < 4; ++y) EXPECT_EQ(none->rows[y][0] | none->rows[y][3], 0);
}

// The plain routines DRAW installs without MMX follow the pixel rows too.
TEST_F(MmxRoutines, PlainRoutinesAgreeWithTheMmxSetOnSharedRows) {
  for (int id = 1; id <= 4; ++id) {
    gfx16_set_mmx_masks(id);
    pixel_ops = pixel_ops_family(id);
    Bitmap src = random_bitmap(17, 5, rng, id), target = random_bitmap(23, 9, rng, id);
    const int level = static_cast<int>(rng() & 0xFF);
    struct Pair {
      const char* name;
      std::function<void(BITMAP16*, BITMAP16*)> plain, mmx;
    };
    const Pair pairs[] = {
        {"copy", [](BITMAP16* s, BITMAP16* t) { gfx16_blit(-2, 3, s, t); },
         [](BITMAP16* s, BITMAP16* t) { mmx_blit_copy(-2, 3, s, t); }},
        {"blend", [=](BITMAP16* s, BITMAP16* t) { gfx16_blit_blend(9, -1, s, t, level); },
         [=](BITMAP16* s, BITMAP16* t) { mmx_blit_blend(9, -1, s, t, level); }},
        {"fill", [=](BITMAP16*, BITMAP16* t) { gfx16_fill_rect_blend(-3, 2, 30, 4, 0x1234, t, level); },
         [=](BITMAP16*, BITMAP16* t) { mmx_fill_blend(-3, 2, 30, 4, 0x1234, t, level); }},
        {"half", [](BITMAP16* s, BITMAP16* t) { gfx16_blit_half(1, 1, s, t); },
         [](BITMAP16* s, BITMAP16* t) { mmx_blit_mix(1, 1, s, t); }},
        {"add", [](BITMAP16* s, BITMAP16* t) { gfx16_blit_add(10, 6, s, t); },
         [](BITMAP16* s, BITMAP16* t) { mmx_blit_add(10, 6, s, t); }},
        {"brighten", [](BITMAP16*, BITMAP16* t) { gfx16_brighten(40, 90, 200, t); },
         [](BITMAP16*, BITMAP16* t) { mmx_brighten(40, 90, 200, t); }},
        {"darken", [](BITMAP16*, BITMAP16* t) { gfx16_darken(40, 90, 200, t); },
         [](BITMAP16*, BITMAP16* t) { mmx_darken(40, 90, 200, t); }},
    };
    for (const Pair& p : pairs) {
      Bitmap a = copy_of(target.get()), b = copy_of(target.get());
      p.plain(src.get(), a.get());
      p.mmx(src.get(), b.get());
      expect_same(a.get(), b.get(), std::string(p.name) + " id " + std::to_string(id));
    }
  }
  // The plain grey is row 15: pure red gives 74 in every channel, not the MMX figure.
  pixel_ops = pixel_ops_family(3);
  Bitmap red(bitmap16_create(1, 1)), out(bitmap16_create(1, 1));
  red->rows[0][0] = pixel_ops.pack(248, 0, 0);
  gfx16_blit_grey(0, 0, red.get(), out.get());
  EXPECT_EQ(out->rows[0][0], pixel_ops.pack(74, 74, 74));
}

}  // namespace
