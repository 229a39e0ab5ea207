// The scaled blit of the zoom and the full-screen film, against a per-pixel reference.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "graphics/bitmap/blit_scaled.h"
#include "tests/graphics/owned_bitmap.h"

namespace {

constexpr uint16_t kBlank = 0xABCD;

// A source whose every pixel names its position.
BITMAP16* numbered(int32_t w, int32_t h) {
  BITMAP16* bm = bitmap16_create(w, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) bm->rows[y][x] = static_cast<uint16_t>(y * 256 + x);
  return bm;
}
BITMAP16* blank(int32_t w, int32_t h) {
  BITMAP16* bm = bitmap16_create(w, h);
  bitmap16_fill(bm, kBlank);
  return bm;
}

// Pixel by pixel: single-precision steps added once per destination column and row from the
// rectangle's first one; destination pixels outside the bitmap are skipped.
void reference(int32_t dx, int32_t dy, int32_t dw, int32_t dh, BITMAP16* dst, int32_t sx, int32_t sy, int32_t sw,
               int32_t sh, BITMAP16* src) {
  const float step_x = static_cast<float>(sw) / static_cast<float>(dw);
  const float step_y = static_cast<float>(sh) / static_cast<float>(dh);
  float ay = 0.0f;
  for (int32_t j = 0; j < dh; ++j, ay += step_y) {
    float ax = 0.0f;
    for (int32_t i = 0; i < dw; ++i, ax += step_x) {
      const int32_t x = dx + i, y = dy + j;
      if (x < 0 || y < 0 || x >= static_cast<int32_t>(dst->width) || y >= static_cast<int32_t>(dst->height)) continue;
      const int32_t col = std::min(sx + static_cast<int32_t>(ax), sx + sw - 1);
      const int32_t row = std::min(sy + static_cast<int32_t>(ay), sy + sh - 1);
      dst->rows[y][x] = src->rows[row][col];
    }
  }
}

::testing::AssertionResult same(BITMAP16* a, BITMAP16* b) {
  for (uint32_t y = 0; y < a->height; ++y)
    for (uint32_t x = 0; x < a->width; ++x)
      if (a->rows[y][x] != b->rows[y][x])
        return ::testing::AssertionFailure() << "first difference at " << x << "," << y << ": " << a->rows[y][x]
                                             << " against " << b->rows[y][x];
  return ::testing::AssertionSuccess();
}

TEST(Transitions, BlitScaled) {
  gfxt::Bitmap src(numbered(64, 48));

  // Twice the size: each source pixel becomes a 2 x 2 block.
  gfxt::Bitmap twice(blank(16, 12));
  gfx16_blit_scaled(0, 0, 16, 12, twice.get(), 4, 2, 8, 6, src.get());
  for (int32_t y = 0; y < 12; ++y)
    for (int32_t x = 0; x < 16; ++x) ASSERT_EQ(twice->rows[y][x], src->rows[2 + y / 2][4 + x / 2]) << x << "," << y;

  // Half the size: every second pixel of every second row.
  gfxt::Bitmap half(blank(32, 24));
  gfx16_blit_scaled(0, 0, 32, 24, half.get(), 0, 0, 64, 48, src.get());
  for (int32_t y = 0; y < 24; ++y)
    for (int32_t x = 0; x < 32; ++x) ASSERT_EQ(half->rows[y][x], src->rows[2 * y][2 * x]) << x << "," << y;

  // Uneven ratios against the reference, the film's 640 x 480 to 800 x 600 among them.
  gfxt::Bitmap film(numbered(640, 480));
  struct Case {
    int32_t dx, dy, dw, dh, sx, sy, sw, sh;
  } cases[] = {{0, 0, 800, 600, 0, 0, 640, 480}, {3, 5, 77, 41, 1, 2, 30, 29},   {10, 10, 7, 300, 0, 0, 640, 3},
               {0, 0, 799, 599, 80, 60, 560, 420},  {400, 300, 3, 3, 100, 100, 97, 13}};
  for (const Case& c : cases) {
    gfxt::Bitmap got(blank(800, 600)), want(blank(800, 600));
    gfx16_blit_scaled(c.dx, c.dy, c.dw, c.dh, got.get(), c.sx, c.sy, c.sw, c.sh, film.get());
    reference(c.dx, c.dy, c.dw, c.dh, want.get(), c.sx, c.sy, c.sw, c.sh, film.get());
    EXPECT_TRUE(same(got.get(), want.get())) << c.dw << "x" << c.dh << " from " << c.sw << "x" << c.sh;
  }

  // Clipping at each edge keeps every visible pixel where the unclipped drawing puts it, and
  // touches nothing outside the bitmap's rectangle part.
  const Case clipped[] = {{-13, 5, 50, 30, 0, 0, 37, 23},  {7, -9, 50, 30, 0, 0, 37, 23}, {80, 5, 50, 30, 0, 0, 37, 23},
                          {7, 60, 50, 30, 0, 0, 37, 23},   {-20, -20, 140, 120, 5, 5, 50, 40}};
  for (const Case& c : clipped) {
    gfxt::Bitmap got(blank(100, 80)), want(blank(100, 80));
    gfx16_blit_scaled(c.dx, c.dy, c.dw, c.dh, got.get(), c.sx, c.sy, c.sw, c.sh, src.get());
    reference(c.dx, c.dy, c.dw, c.dh, want.get(), c.sx, c.sy, c.sw, c.sh, src.get());
    EXPECT_TRUE(same(got.get(), want.get())) << "at " << c.dx << "," << c.dy;
  }

  // Nothing drawn: a rectangle starting at or past the right or bottom edge, or ending before
  // the left or top one, a size below 1, a missing bitmap.
  gfxt::Bitmap untouched(blank(100, 80)), dst(blank(100, 80));
  gfx16_blit_scaled(100, 0, 10, 10, dst.get(), 0, 0, 10, 10, src.get());
  gfx16_blit_scaled(0, 80, 10, 10, dst.get(), 0, 0, 10, 10, src.get());
  gfx16_blit_scaled(-10, 0, 10, 10, dst.get(), 0, 0, 10, 10, src.get());
  gfx16_blit_scaled(0, -10, 10, 10, dst.get(), 0, 0, 10, 10, src.get());
  for (auto [dw, dh, sw, sh] : {std::array{0, 10, 10, 10}, {10, 0, 10, 10}, {10, 10, 0, 10}, {10, 10, 10, -1}})
    gfx16_blit_scaled(0, 0, dw, dh, dst.get(), 0, 0, sw, sh, src.get());
  gfx16_blit_scaled(0, 0, 10, 10, nullptr, 0, 0, 10, 10, src.get());
  gfx16_blit_scaled(0, 0, 10, 10, dst.get(), 0, 0, 10, 10, nullptr);
  EXPECT_TRUE(same(dst.get(), untouched.get()));

  // A source rectangle reaching past the source bitmap reads only inside it.
  gfx16_blit_scaled(0, 0, 100, 80, dst.get(), 50, 40, 1000, 1000, src.get());
  EXPECT_EQ(dst->rows[0][0], src->rows[40][50]);
  EXPECT_EQ(dst->rows[79][99], src->rows[47][63]);
  // A rectangle far off the bitmap is clipped without walking its whole width.
  gfx16_blit_scaled(-2'000'000'000, 0, 2'000'000'100, 10, dst.get(), 0, 0, 10, 10, src.get());
  EXPECT_EQ(dst->rows[0][99], src->rows[0][9]);
}

}  // namespace
