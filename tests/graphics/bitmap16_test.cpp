// BITMAP16 and BITMAP16A: layout, sizes, whole-bitmap operations and the screen bitmaps.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "graphics/bitmap/bitmap16.h"
#include "graphics/bitmap/screen_buffers.h"
#include "tests/graphics/owned_bitmap.h"

namespace {

using gfxt::Bitmap;
using gfxt::BitmapA;

// Pixel (x, y) gets a value that names it.
void number(BITMAP16* bm) {
  for (uint32_t y = 0; y < bm->height; ++y)
    for (uint32_t x = 0; x < bm->pitch / 2; ++x) bm->rows[y][x] = static_cast<uint16_t>(y * 256 + x + 1);
}

TEST(Bitmap16, LayoutIsOneZeroedBlockWithRowsOnePitchApart) {
  Bitmap bm(bitmap16_create(5, 3));
  ASSERT_TRUE(bm);
  EXPECT_EQ(bm->width, 5u);
  EXPECT_EQ(bm->height, 3u);
  EXPECT_EQ(bm->pitch, 16u);
  // Row 0 right behind the last row pointer, each row one pitch further.
  EXPECT_EQ(reinterpret_cast<uint8_t*>(bm->rows[0]), reinterpret_cast<uint8_t*>(&bm->rows[3]));
  for (int i = 1; i < 3; ++i)
    EXPECT_EQ(reinterpret_cast<uint8_t*>(bm->rows[i]) - reinterpret_cast<uint8_t*>(bm->rows[i - 1]), 16);
  for (int i = 0; i < 3 * 8; ++i) EXPECT_EQ(bm->rows[0][i], 0) << i;

  struct Size {
    int32_t w, h;
    uint32_t pitch;
  };
  for (const Size s : {Size{800, 600, 1600}, Size{801, 601, 1608}, Size{0, 0, 0}, Size{16384, 1, 32768}}) {
    Bitmap b(bitmap16_create(s.w, s.h));
    ASSERT_TRUE(b) << s.w;
    EXPECT_EQ(b->pitch, s.pitch) << s.w;
  }
  for (const Size s : {Size{20000, 10, 0}, Size{10, 20000, 0}, Size{-1, 10, 0}, Size{10, -1, 0}}) {
    EXPECT_EQ(bitmap16_create(s.w, s.h), nullptr) << s.w << " x " << s.h;
    EXPECT_EQ(bitmap16a_create(s.w, s.h), nullptr) << s.w << " x " << s.h;
    EXPECT_EQ(bitmap16_create_view(s.w, s.h), nullptr);
  }
}

TEST(Bitmap16, AlphaBitmapKeepsPixelsThenAlphasInEachRow) {
  BitmapA bm(bitmap16a_create(5, 2));
  ASSERT_TRUE(bm);
  EXPECT_EQ(bm->pitch, 24u);
  EXPECT_EQ(bm->rows[1] - bm->rows[0], 24);
  EXPECT_EQ(bitmap16a_alpha(bm.get(), 0) - bm->rows[0], 10);
  bitmap16a_pixels(bm.get(), 1)[4] = 0x1234;
  bitmap16a_alpha(bm.get(), 1)[4] = 200;
  bitmap16a_alpha(bm.get(), 1)[0] = 7;

  BitmapA cut(bitmap16a_cut(3, 1, 4, 1, bm.get()));
  ASSERT_TRUE(cut);
  EXPECT_EQ(bitmap16a_pixels(cut.get(), 0)[1], 0x1234);
  EXPECT_EQ(bitmap16a_alpha(cut.get(), 0)[1], 200);
  EXPECT_EQ(bitmap16a_alpha(cut.get(), 0)[2], 0);  // past the source: zero

  bitmap16a_mirror_x(bm.get());
  EXPECT_EQ(bitmap16a_pixels(bm.get(), 1)[0], 0x1234);
  EXPECT_EQ(bitmap16a_alpha(bm.get(), 1)[0], 200);
  EXPECT_EQ(bitmap16a_alpha(bm.get(), 1)[4], 7);
  bitmap16a_flip_y(bm.get());
  EXPECT_EQ(bitmap16a_alpha(bm.get(), 0)[0], 200);
  bitmap16a_clear_alpha(bm.get());
  EXPECT_EQ(bitmap16a_alpha(bm.get(), 0)[0], 0);
  EXPECT_EQ(bitmap16a_pixels(bm.get(), 0)[0], 0x1234);
  bitmap16a_clear(bm.get());
  EXPECT_EQ(bitmap16a_pixels(bm.get(), 0)[0], 0);
}

TEST(Bitmap16, NullBitmapsAndHoldersAreIgnored) {
  bitmap16_clear(nullptr);
  bitmap16a_clear(nullptr);
  bitmap16_fill(nullptr, 0x1234);
  BITMAP16* none = nullptr;
  EXPECT_EQ(bitmap16_free(&none), &none);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(bitmap16_free(nullptr), nullptr);
  BITMAP16* bm = bitmap16_create(3, 3);
  bitmap16_free(&bm);
  EXPECT_EQ(bm, nullptr);
  EXPECT_EQ(bitmap16_cut(0, 0, 2, 2, nullptr), nullptr);
  EXPECT_EQ(bitmap16_view_rect(nullptr, 0, 0, 1, 1), nullptr);
}

TEST(Bitmap16, ClearZeroesWholePitchesAndFillOnlyTheWidth) {
  Bitmap bm(bitmap16_create(5, 2));
  number(bm.get());
  bitmap16_fill(bm.get(), 0xABCD);
  EXPECT_EQ(bm->rows[1][4], 0xABCD);
  EXPECT_EQ(bm->rows[1][5], 1 * 256 + 5 + 1);  // padding belongs to nobody's picture
  bitmap16_clear_pixels(bm.get());
  EXPECT_EQ(bm->rows[1][4], 0);
  EXPECT_NE(bm->rows[1][5], 0);
  bitmap16_clear(bm.get());
  EXPECT_EQ(bm->rows[1][7], 0);
}

TEST(Bitmap16, CopyRectRoundsTheWidthAndClipsToBothBitmaps) {
  Bitmap src(bitmap16_create(10, 4)), dst(bitmap16_create(10, 4));
  number(src.get());
  EXPECT_EQ(gfx16_copy_rect(0, 0, 6, 2, dst.get(), src.get()), 8);
  EXPECT_EQ(dst->width, 8u);
  EXPECT_EQ(dst->height, 2u);
  for (int y = 0; y < 2; ++y) EXPECT_EQ(std::memcmp(dst->rows[y], src->rows[y], 16), 0);
  EXPECT_EQ(dst->rows[0][8], 0);
  EXPECT_EQ(dst->rows[2][0], 0);  // the third row is untouched

  // A block past the source's last row and right edge copies what exists and never reads past
  // the source; a height beyond the destination's rows is cut to them.
  Bitmap small(bitmap16_create(4, 2));
  Bitmap big(bitmap16_create(12, 5));
  number(small.get());
  EXPECT_EQ(gfx16_copy_rect(2, 1, 6, 9, big.get(), small.get()), 8);
  EXPECT_EQ(big->height, 5u);
  EXPECT_EQ(big->rows[0][0], small->rows[1][2]);
  EXPECT_EQ(big->rows[0][1], small->rows[1][3]);
  EXPECT_EQ(big->rows[0][2], 0);
  EXPECT_EQ(big->rows[1][0], 0);
  Bitmap narrow(bitmap16_create(4, 2));
  EXPECT_EQ(gfx16_copy_rect(0, 0, 12, 2, narrow.get(), big.get()), 4);  // the pitch holds 4
  EXPECT_EQ(gfx16_copy_rect(0, 0, 4, 2, nullptr, small.get()), 0);
}

TEST(Bitmap16, CutCopiesWhatTheSourceHasAndZeroesTheRest) {
  Bitmap src(bitmap16_create(6, 3));
  number(src.get());
  struct Case {
    int32_t x, y;
  };
  for (const Case c : {Case{0, 0}, Case{4, 1}, Case{-2, -1}, Case{5, 2}, Case{9, 9}}) {
    Bitmap cut(bitmap16_cut(c.x, c.y, 5, 2, src.get()));
    ASSERT_TRUE(cut);
    for (int32_t y = 0; y < 2; ++y) {
      for (int32_t x = 0; x < static_cast<int32_t>(cut->pitch / 2); ++x) {
        const int32_t sx = c.x + x, sy = c.y + y;
        const bool inside = sx >= 0 && sx < 6 && sy >= 0 && sy < 3;
        EXPECT_EQ(cut->rows[y][x], inside ? src->rows[sy][sx] : 0) << c.x << "," << c.y << " at " << x << "," << y;
      }
    }
  }
}

TEST(Bitmap16, ViewsPointIntoTheirSource) {
  Bitmap src(bitmap16_create(8, 4));
  number(src.get());
  Bitmap view(bitmap16_view_rect(src.get(), 2, 1, 3, 2));
  ASSERT_TRUE(view);
  EXPECT_EQ(view->pitch, src->pitch);
  EXPECT_EQ(view->rows[1][0], src->rows[2][2]);
  view->rows[0][0] = 0xBEEF;
  EXPECT_EQ(src->rows[1][2], 0xBEEF);
  EXPECT_EQ(bitmap16_view_rect(src.get(), 6, 0, 3, 1), nullptr);
  EXPECT_EQ(bitmap16_view_rect(src.get(), -1, 0, 1, 1), nullptr);
  EXPECT_EQ(bitmap16_view_rect(src.get(), 0, 3, 1, 2), nullptr);
  Bitmap empty(bitmap16_create_view(4, 3));
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->pitch, 8u);
  EXPECT_EQ(empty->rows[2], nullptr);
}

TEST(Bitmap16, MirrorAndFlipMoveWholePixels) {
  Bitmap bm(bitmap16_create(3, 3));
  number(bm.get());
  const uint16_t corner = bm->rows[0][0], far = bm->rows[2][2];
  bitmap16_mirror_x(bm.get());
  EXPECT_EQ(bm->rows[0][2], corner);
  EXPECT_EQ(bm->rows[1][1], 1 * 256 + 2);  // the middle column stays
  bitmap16_flip_y(bm.get());
  EXPECT_EQ(bm->rows[2][2], corner);
  EXPECT_EQ(bm->rows[0][0], far);
}

TEST(Bitmap16, ScreenBuffersAreMadeInOrderAndStopAtTheFirstFailure) {
  ASSERT_EQ(screen_buffers_create(), 0);
  for (BITMAP16* bm : {screen_back, screen_new, screen_work, screen_saved}) {
    ASSERT_TRUE(bm);
    EXPECT_EQ(bm->width, 800u);
    EXPECT_EQ(bm->height, 600u);
  }
  screen_buffers_free();
  EXPECT_EQ(screen_back, nullptr);
  EXPECT_EQ(screen_saved, nullptr);

  bitmap_alloc_fail_at(3);
  EXPECT_EQ(screen_buffers_create(), -1);
  EXPECT_NE(screen_back, nullptr);
  EXPECT_NE(screen_new, nullptr);
  EXPECT_EQ(screen_work, nullptr);
  EXPECT_EQ(screen_saved, nullptr);
  screen_buffers_free();
  bitmap_alloc_fail_at(0);
}

}  // namespace
