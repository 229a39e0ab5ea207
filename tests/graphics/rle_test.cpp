// RLE images: the draw family against a per-pixel reference, the encoders, the file payload
// and the refusal of malformed streams.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include "core/pak/pak.h"
#include "graphics/cake/cake.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/rle/rle.h"
#include "plat/bytes.h"
#include "plat/files.h"
#include "plat/platform.h"
#include "tests/graphics/gfx_test_support.h"
#include "tests/graphics/picture_file_test.h"
#include "tests/graphics/rle_test_support.h"
#include "tests/support/ppm_dump.h"
#include "tools/mkpak/mkpak.h"

namespace {

using gfxt::Bitmap;
using rlet::Cell;
using rlet::Image;
using rlet::Kind;

class Rle : public gfxt::PictureFileTest {
 protected:
  void SetUp() override {
    PictureFileTest::SetUp();
    pak_reset();
  }
  void TearDown() override {
    pak_reset();
    PictureFileTest::TearDown();
  }
};

Bitmap noise(int w, int h, uint32_t seed) {
  Bitmap b(bitmap16_create(w, h));
  std::mt19937 rng(seed);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b->rows[y][x] = static_cast<uint16_t>(rng());
  return b;
}

// The run rules, read from the mask alone: what rle_draw must do to each pixel.
void reference_draw(BITMAP16* t, int x, int y, const rlet::Sprite& s) {
  for (uint32_t r = 0; r < s.mask->height; ++r) {
    for (uint32_t c = 0; c < s.mask->width; ++c) {
      const int tx = x + static_cast<int>(c), ty = y + static_cast<int>(r);
      if (tx < 0 || ty < 0 || tx >= static_cast<int>(t->width) || ty >= static_cast<int>(t->height)) continue;
      const uint8_t m = s.mask->rows[r][c];
      uint16_t* d = &t->rows[ty][tx];
      const uint16_t p = s.bitmap->rows[r][c];
      if (m == 0) continue;
      if (m == 1) *d = p;
      else if (m & 2) pixel_ops.scale(d, 22);
      else if (m & 1) *d = p;
      else pixel_ops.blend(&p, d, m & 0xF8);
    }
  }
}

TEST_F(Rle, Reference) {
  constexpr int TW = 320, TH = 60;
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    std::mt19937 rng(seed);
    const int w = seed % 5 == 0 ? 256 + static_cast<int>(rng() % 60) : 1 + static_cast<int>(rng() % 40);
    const int h = 1 + static_cast<int>(rng() % 30);
    const rlet::Sprite s = rlet::random_sprite(rng, w, h);
    Image img(rle_encode(s.bitmap.get(), s.mask.get()));
    ASSERT_TRUE(img && rle_validate(img.get())) << seed;
    const std::pair<int, int> places[] = {
        {1 + static_cast<int>(rng() % 4), 1 + static_cast<int>(rng() % 4)},  // inside
        {-w / 2, 3}, {3, -h / 2}, {TW - w / 2, 3}, {3, TH - h / 2},          // across each edge
        {TW - w, TH - h}, {0, 0}, {TW - w - 1, TH - h - 1},                  // touching
        {-w + 1, 2}, {-w, 2}, {2, -h}, {TW - 1, TH - 1}, {-w + 1, -h + 1},
    };
    for (auto [x, y] : places) {
      Bitmap target = noise(TW, TH, seed * 7 + static_cast<uint32_t>(x));
      Bitmap expected = gfxt::copy_of(target.get());
      reference_draw(expected.get(), x, y, s);
      rle_draw(x, y, img.get(), target.get());
      EXPECT_EQ(gfxt::difference(target.get(), expected.get()), "") << "seed " << seed << " at " << x << "," << y;
      Bitmap clipped = noise(TW, TH, seed * 7 + static_cast<uint32_t>(x));
      rle_draw_clipped(x, y, img.get(), clipped.get());
      EXPECT_EQ(gfxt::difference(clipped.get(), expected.get()), "") << "clipped walk, seed " << seed;
    }
  }
}

TEST_F(Rle, AlphaBitmapBuildsTheMaskFromAlphaAndShadow) {
  std::mt19937 rng(5);
  const int w = 9, h = 7;
  gfxt::BitmapA src(bitmap16a_create(w, h)), shadow(bitmap16a_create(w, h));
  const uint8_t alphas[] = {0, 0, 255, 255, 255, 3, 100, 250};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      bitmap16a_pixels(src.get(), y)[x] = static_cast<uint16_t>(rng() | 1);
      bitmap16a_alpha(src.get(), y)[x] = alphas[rng() % std::size(alphas)];
      bitmap16a_alpha(shadow.get(), y)[x] = static_cast<uint8_t>(rng() % 2 ? 200 : 100);
    }
  Image img(rle_from_alpha_bitmap(src.get(), shadow.get()));
  ASSERT_TRUE(img && rle_validate(img.get()));
  const auto cells = rlet::decode(img.get());
  auto alpha = [&](int x, int y) { return x < 0 || y < 0 || x >= w || y >= h ? 0 : bitmap16a_alpha(src.get(), y)[x]; };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int a = alpha(x, y);
      const Cell& c = cells[y][x];
      if (a == 0) {
        EXPECT_EQ(c.kind, bitmap16a_alpha(shadow.get(), y)[x] > 127 ? Kind::Shadow : Kind::None) << x << "," << y;
        continue;
      }
      bool edge = false;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) edge |= (dx || dy) && alpha(x + dx, y + dy) == 0;
      const uint16_t pixel = bitmap16a_pixels(src.get(), y)[x];
      EXPECT_EQ(c.colour, pixel);
      if (a == 255 && !edge) {
        EXPECT_TRUE(c.kind == Kind::Literal || (c.kind == Kind::Solid && c.code == 1)) << x << "," << y;
      } else {
        EXPECT_EQ(c.code, (edge ? 4 : 0) + (a == 255 ? 1 : std::max(a & 0xF8, 8))) << x << "," << y;
      }
    }
}

TEST_F(Rle, EncoderRunShapes) {
  // Two opaque pixels cannot be a literal run: they become one-pixel solid runs.
  std::mt19937 rng(3);
  rlet::Sprite s;
  s.bitmap.reset(bitmap16_create(8, 2));
  s.mask.reset(bitmap8_create(8, 2));
  const uint8_t row0[8] = {0, 1, 1, 0, 1, 1, 1, 0}, row1[8] = {};
  for (int x = 0; x < 8; ++x) {
    s.mask->rows[0][x] = row0[x];
    s.mask->rows[1][x] = row1[x];
    s.bitmap->rows[0][x] = static_cast<uint16_t>(0x100 + x);
  }
  Image img(rle_encode(s.bitmap.get(), s.mask.get()));
  const std::vector<uint8_t> want = {0, 2, 1, 0,                        // skip 1
                                     1, 1, 0x01, 0x01, 1, 1, 0x02, 0x01,  // two solid runs
                                     0, 2, 1, 0,                        // skip 1
                                     0, 3, 4, 1, 5, 1, 6, 1,            // literal of 3
                                     0, 0, 0, 0, 0, 1};
  ASSERT_EQ(img->stream_size, want.size());
  EXPECT_EQ(std::vector<uint8_t>(rle_stream(img.get()), rle_stream(img.get()) + want.size()), want);
  EXPECT_EQ(img->rows[1], 26u);
  // All transparent: the stream is only the end of image.
  bitmap8_clear(s.mask.get());
  Image empty(rle_encode(s.bitmap.get(), s.mask.get()));
  ASSERT_EQ(empty->stream_size, 2u);
  EXPECT_EQ(rle_stream(empty.get())[1], 1);
  EXPECT_EQ(empty->rows[1], 0u);
  EXPECT_EQ(rle_encode(nullptr, s.mask.get()), nullptr);
}

// ---- the variants ----

using DrawFn = std::function<void(int, int, const RLE_IMAGE*, BITMAP16*)>;
using RefFn = std::function<void(const Cell&, uint16_t*, int, int)>;

constexpr uint16_t kColour = 0x07E0;

void ref_draw(const Cell& c, uint16_t* d, int, int) {
  switch (c.kind) {
    case Kind::Literal:
    case Kind::Solid: *d = c.colour; break;
    case Kind::Alpha: pixel_ops.blend(&c.colour, d, c.code & 0xF8); break;
    case Kind::Shadow: pixel_ops.scale(d, 22); break;
    default: break;
  }
}
bool is_edge(const Cell& c) { return c.kind != Kind::Literal && (c.code & 4); }
bool on_checker(int tx, int ty) { return ((tx ^ ty) & 1) != 0; }

// Literal pixels and run colours through one routine; shadows darkened.
RefFn ref_combine(void (*op)(const uint16_t*, uint16_t*)) {
  return [op](const Cell& c, uint16_t* d, int, int) {
    if (c.kind == Kind::Shadow) pixel_ops.scale(d, 22);
    else if (c.kind != Kind::None) op(&c.colour, d);
  };
}
RefFn ref_grey_combine(void (*op)(const uint16_t*, uint16_t*)) {
  return [op](const Cell& c, uint16_t* d, int, int) {
    if (c.kind == Kind::Shadow) pixel_ops.scale(d, 22);
    else if (c.kind == Kind::Literal) op(&c.colour, d);
    else if (c.kind != Kind::None) pixel_ops.grey(&c.colour, d);
  };
}
void ref_grey(const Cell& c, uint16_t* d, int tx, int ty) {
  if (c.kind == Kind::Alpha) {
    pixel_ops.blend(&c.colour, d, c.code & 0xF8);
    const uint16_t b = *d;
    pixel_ops.grey(&b, d);
  } else if (c.kind == Kind::Literal || c.kind == Kind::Solid) {
    pixel_ops.grey(&c.colour, d);
  } else {
    ref_draw(c, d, tx, ty);
  }
}

struct Variant {
  const char* name;
  DrawFn draw;
  RefFn ref;
};

std::vector<Variant> variants() {
  const PIXEL_OPS& P = pixel_ops;
  return {
      {"rle_draw", rle_draw, ref_draw},
      {"rle_draw_clipped", rle_draw_clipped, ref_draw},
      {"rle_draw_inside", rle_draw_inside, ref_draw},
      {"rle_draw2", rle_draw2, ref_draw},
      {"rle_draw_min_alpha", [](int x, int y, const RLE_IMAGE* i, BITMAP16* t) { rle_draw_min_alpha(x, y, i, t, 0x80); },
       [](const Cell& c, uint16_t* d, int tx, int ty) {
         if (c.kind != Kind::Alpha || (c.code & 0xF8) >= 0x80) ref_draw(c, d, tx, ty);
       }},
      {"rle_draw_in_rect",
       [](int x, int y, const RLE_IMAGE* i, BITMAP16* t) { rle_draw_in_rect(x, y, 5, 4, 30, 20, i, t); },
       [](const Cell& c, uint16_t* d, int tx, int ty) {
         if (tx >= 5 && tx < 30 && ty >= 4 && ty < 20) ref_draw(c, d, tx, ty);
       }},
      {"rle_draw_outline", [](int x, int y, const RLE_IMAGE* i, BITMAP16* t) { rle_draw_outline(x, y, kColour, i, t); },
       [](const Cell& c, uint16_t* d, int tx, int ty) {
         if (is_edge(c)) *d = kColour;
         else ref_draw(c, d, tx, ty);
       }},
      {"rle_draw_edge_level",
       [](int x, int y, const RLE_IMAGE* i, BITMAP16* t) { rle_draw_edge_level(x, y, i, t, 128); },
       [](const Cell& c, uint16_t* d, int, int) {
         if (c.kind == Kind::Literal) *d = c.colour;
         else if (c.kind == Kind::Shadow) { if (!is_edge(c)) pixel_ops.scale(d, 22); }
         else if (c.kind != Kind::None) { if (is_edge(c)) pixel_ops.blend(&c.colour, d, 128); else *d = c.colour; }
       }},
      {"rle_draw_edges", [](int x, int y, const RLE_IMAGE* i, BITMAP16* t) { rle_draw_edges(x, y, kColour, i, t); },
       [](const Cell& c, uint16_t* d, int, int) {
         if (is_edge(c)) *d = kColour;
       }},
      {"rle_draw_silhouette",
       [](int x, int y, const RLE_IMAGE* i, BITMAP16* t) { rle_draw_silhouette(x, y, kColour, i, t); },
       [](const Cell& c, uint16_t* d, int, int) {
         if (c.kind != Kind::None && c.kind != Kind::Shadow) *d = kColour;
       }},
      {"rle_draw_checker", rle_draw_checker,
       [](const Cell& c, uint16_t* d, int tx, int ty) {
         if (c.kind == Kind::Shadow) pixel_ops.scale(d, 22);
         else if (c.kind == Kind::Literal) { if (on_checker(tx, ty)) *d = c.colour; }
         else if (c.kind != Kind::None && (c.code & 0x80) && on_checker(tx, ty)) *d = c.colour;
       }},
      {"rle_draw_grey", rle_draw_grey, ref_grey},
      {"rle_draw_grey2", rle_draw_grey2, ref_grey},
      {"rle_draw_grey_sub", rle_draw_grey_sub, ref_grey_combine(P.sub)},
      {"rle_draw_grey_min", rle_draw_grey_min, ref_grey_combine(P.min)},
      {"rle_draw_grey_max", rle_draw_grey_max, ref_grey_combine(P.max)},
      {"rle_draw_mix", rle_draw_mix, ref_combine(P.mix)},
      {"rle_draw_red", rle_draw_red, ref_combine(P.tint_red)},
      {"rle_draw_green", rle_draw_green, ref_combine(P.tint_green)},
      {"rle_draw_blue", rle_draw_blue, ref_combine(P.tint_blue)},
      {"rle_draw_yellow", rle_draw_yellow, ref_combine(P.tint_yellow)},
      {"rle_draw_blue_blend",
       [](int x, int y, const RLE_IMAGE* i, BITMAP16* t) { rle_draw_blue_blend(x, y, i, t, 200); },
       [](const Cell& c, uint16_t* d, int, int) {
         if (c.kind == Kind::Shadow) pixel_ops.scale(d, 22);
         else if (c.kind == Kind::Alpha) pixel_ops.toward_blue(&c.colour, d, (c.code & 0xF8) * 200 / 255);
         else if (c.kind != Kind::None) pixel_ops.toward_blue(&c.colour, d, 200);
       }},
      {"rle_draw_additive", rle_draw_additive,
       [](const Cell& c, uint16_t* d, int, int) {
         if (c.kind == Kind::Shadow) pixel_ops.scale(d, 22);
         else if (c.kind == Kind::Alpha) { if (c.code & 0x80) pixel_ops.add_scaled(&c.colour, d, c.code); }
         else if (c.kind != Kind::None) pixel_ops.add_scaled(&c.colour, d, 255);
       }},
      {"rle_draw_faded", [](int x, int y, const RLE_IMAGE* i, BITMAP16* t) { rle_draw_faded(x, y, i, t, 150); },
       [](const Cell& c, uint16_t* d, int, int) {
         const uint16_t black = 0;
         if (c.kind == Kind::Shadow) pixel_ops.blend(&black, d, 150);
         else if (c.kind == Kind::Alpha) pixel_ops.blend(&c.colour, d, (c.code & 0xF8) * 150 / 255);
         else if (c.kind != Kind::None) pixel_ops.blend(&c.colour, d, 150);
       }},
      {"rle_draw_no_shadow", rle_draw_no_shadow,
       [](const Cell& c, uint16_t* d, int tx, int ty) {
         if (c.kind != Kind::Shadow) ref_draw(c, d, tx, ty);
       }},
      {"rle_draw_glow", rle_draw_glow,
       [](const Cell& c, uint16_t* d, int, int) {
         if (c.kind == Kind::Shadow) pixel_ops.scale(d, 22);
         else if (c.kind == Kind::Alpha) {
           int r, g, b;
           pixel_ops.unpack(c.colour, &r, &g, &b);
           const int a = c.code & 0xF8;
           const uint16_t s = pixel_ops.pack(r * a / 255, g * a / 255, b * a / 255);
           pixel_ops.add(&s, d);
         } else if (c.kind != Kind::None) pixel_ops.add(&c.colour, d);
       }},
      {"rle_draw_to_pixels",
       [](int x, int y, const RLE_IMAGE* i, BITMAP16* t) {
         rle_draw_to_pixels(x, y, i, t->rows[0], static_cast<int32_t>(t->pitch), static_cast<int32_t>(t->width),
                            static_cast<int32_t>(t->height));
       },
       [](const Cell& c, uint16_t* d, int tx, int ty) {
         if (c.kind != Kind::Shadow || on_checker(tx, ty)) ref_draw(c, d, tx, ty);
       }},
      {"rle_draw_none1", rle_draw_none1, [](const Cell&, uint16_t*, int, int) {}},
      {"rle_draw_none5", rle_draw_none5, [](const Cell&, uint16_t*, int, int) {}},
  };
}

TEST_F(Rle, Variants) {
  std::mt19937 rng(11);
  const rlet::Sprite s = rlet::random_sprite(rng, 24, 16);
  Image img(rle_encode(s.bitmap.get(), s.mask.get()));
  const auto cells = rlet::decode(img.get());
  bool seen[5] = {};
  bool edge_seen = false;
  for (const auto& row : cells)
    for (const Cell& c : row) {
      seen[static_cast<int>(c.kind)] = true;
      edge_seen |= is_edge(c);
    }
  ASSERT_TRUE(seen[1] && seen[2] && seen[3] && seen[4] && edge_seen) << "the image must hold every run kind";
  for (const Variant& v : variants()) {
    for (auto [x, y] : {std::pair{6, 5}, std::pair{-7, -3}, std::pair{40 - 24, 30 - 16}, std::pair{30, 22}}) {
      Bitmap target = noise(40, 30, 99);
      Bitmap expected = gfxt::copy_of(target.get());
      for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 24; ++c) {
          const int tx = x + c, ty = y + r;
          if (tx >= 0 && ty >= 0 && tx < 40 && ty < 30) v.ref(cells[r][c], &expected->rows[ty][tx], tx, ty);
        }
      v.draw(x, y, img.get(), target.get());
      EXPECT_EQ(gfxt::difference(target.get(), expected.get()), "") << v.name << " at " << x << "," << y;
      v.draw(x, y, nullptr, target.get());  // a null image draws nothing
    }
  }
  EXPECT_EQ(rle_draw_unit_scale(), 1.0f);
}

TEST_F(Rle, EdgeCases) {
  // Alpha codes 0x08 and 0xF8 blend at 8 and 248; a shadow darkens at 22/32.
  Image img = rlet::image_of({1, 0x08, 0x1F, 0x00, 1, 0xF8, 0x1F, 0x00, 1, 0x02, 0, 0, 0, 0, 0, 1}, 3, {0});
  Bitmap t = gfxt::make_bitmap(8, 4, 0xFFE0);
  rle_draw(2, 1, img.get(), t.get());
  uint16_t lo = 0xFFE0, hi = 0xFFE0, sh = 0xFFE0;
  const uint16_t blue = 0x001F;
  pixel_ops.blend(&blue, &lo, 8);
  pixel_ops.blend(&blue, &hi, 248);
  pixel_ops.scale(&sh, 22);
  EXPECT_EQ(t->rows[1][2], lo);
  EXPECT_EQ(t->rows[1][3], hi);
  EXPECT_EQ(t->rows[1][4], sh);
  EXPECT_NE(lo, hi);

  // x = -width draws nothing; -width + 1 only the last column.
  std::mt19937 rng(2);
  rlet::Sprite s;
  s.bitmap.reset(bitmap16_create(5, 3));
  s.mask.reset(bitmap8_create(5, 3));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) s.mask->rows[y][x] = 1, s.bitmap->rows[y][x] = static_cast<uint16_t>(10 * y + x + 1);
  Image solid(rle_encode(s.bitmap.get(), s.mask.get()));
  Bitmap a = gfxt::make_bitmap(6, 6, 0);
  rle_draw(-5, 0, solid.get(), a.get());
  EXPECT_EQ(gfxt::difference(a.get(), gfxt::make_bitmap(6, 6, 0).get()), "");
  rle_draw(-4, 0, solid.get(), a.get());
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(a->rows[y][x], x == 0 && y < 3 ? 10 * y + 5 : 0) << x << "," << y;

  // A skip with dy > 0 continues on a lower row at the column plus dx.
  Image skip = rlet::image_of({0, 2, 1, 1, 2, 1, 0x34, 0x12, 0, 0, 1, 1, 0x78, 0x56, 0, 0, 0, 1}, 4, {0, 0, 0});
  rle_rebuild_rows(skip.get());
  EXPECT_EQ(std::vector<uint32_t>(skip->rows, skip->rows + 3), (std::vector<uint32_t>{0, 0, 10}));
  ASSERT_TRUE(rle_validate(skip.get()));
  for (bool clipped : {false, true}) {
    Bitmap b = gfxt::make_bitmap(8, 8, 0);
    if (clipped) rle_draw_clipped(1, 1, skip.get(), b.get());
    else rle_draw(1, 1, skip.get(), b.get());
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        const uint16_t want = (y == 2 && (x == 2 || x == 3)) ? 0x1234 : (y == 3 && x == 1) ? 0x5678 : 0;
        EXPECT_EQ(b->rows[y][x], want) << x << "," << y << (clipped ? " clipped" : "");
      }
  }

  // rle_draw_to_pixels darkens shadows only where column and row parity differ.
  Image shadow = rlet::image_of({4, 2, 0, 0, 0, 0, 4, 2, 0, 0, 0, 0, 0, 1}, 4, {0, 6});
  Bitmap p = gfxt::make_bitmap(4, 2, 0xFFFF);
  rle_draw_to_pixels(0, 0, shadow.get(), p->rows[0], static_cast<int32_t>(p->pitch), 4, 2);
  uint16_t dark = 0xFFFF;
  pixel_ops.scale(&dark, 22);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(p->rows[y][x], ((x ^ y) & 1) ? dark : 0xFFFF) << x << "," << y;
}

TEST_F(Rle, ScaledBlockSizes) {
  // Ten columns and rows, each column its own colour.
  rlet::Sprite s;
  s.bitmap.reset(bitmap16_create(10, 10));
  s.mask.reset(bitmap8_create(10, 10));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) s.mask->rows[y][x] = 1, s.bitmap->rows[y][x] = static_cast<uint16_t>(100 * (y + 1) + x + 1);
  Image img(rle_encode(s.bitmap.get(), s.mask.get()));
  for (int size : {5, 7, 15, 20}) {
    Bitmap t = gfxt::make_bitmap(24, 24, 0);
    rle_draw_scaled(1, 2, size, size, img.get(), t.get());
    const float sc = static_cast<float>(size) / 10.0f;
    int start = 0;
    for (int i = 0; i < 10; ++i) {
      const int a = static_cast<int>(static_cast<float>(i) * sc);
      int n = static_cast<int>(static_cast<float>(i + 1) * sc) - a;
      if (i == 9) n = size - a;
      EXPECT_EQ(a, start);
      int cols = 0, rows = 0;
      for (int x = 0; x < 24; ++x) cols += t->rows[2 + a][x] % 100 == i + 1 && t->rows[2 + a][x] != 0;
      for (int y = 0; y < 24; ++y) rows += t->rows[y][1 + a] / 100 == i + 1;
      if (n > 0) {
        EXPECT_EQ(cols, n) << size << " column " << i;
        EXPECT_EQ(rows, n) << size << " row " << i;
      }
      start = a + n;
    }
    EXPECT_EQ(t->rows[2 + size][1], 0) << "nothing below the scaled box";
  }
  // Crossing the target's edges stays inside it.
  Bitmap small = gfxt::make_bitmap(6, 6, 0);
  rle_draw_scaled(-8, -8, 30, 30, img.get(), small.get());
  rle_draw_scaled_grey(3, 3, 30, 30, img.get(), small.get());
  rle_draw_scaled_blue(-3, 2, 30, 30, img.get(), small.get());
}

// ---- formats ----

TEST_F(Rle, ColoursRoundTripThrough555) {
  std::mt19937 rng(21);
  rlet::Sprite s = rlet::random_sprite(rng, 30, 10);
  for (uint32_t y = 0; y < 10; ++y)
    for (uint32_t x = 0; x < 30; ++x) s.bitmap->rows[y][x] = pixel_ops.from_555(static_cast<uint16_t>(rng() & 0x7FFF));
  Image img(rle_encode(s.bitmap.get(), s.mask.get()));
  Image copy(rle_clone(img.get()));
  ASSERT_NE(copy.get(), img.get());
  EXPECT_EQ(std::vector<uint32_t>(copy->rows, copy->rows + 10), std::vector<uint32_t>(img->rows, img->rows + 10));
  rle_to_555(copy.get());
  EXPECT_NE(std::memcmp(rle_stream(copy.get()), rle_stream(img.get()), img->stream_size), 0);
  rle_from_555(copy.get());
  EXPECT_EQ(std::memcmp(rle_stream(copy.get()), rle_stream(img.get()), img->stream_size), 0);
}

std::string bytes_of(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

TEST_F(Rle, FilePayloadThroughAnArchive) {
  std::mt19937 rng(8);
  const rlet::Sprite s = rlet::random_sprite(rng, 33, 12);
  // Colours the 555 file format holds, so that the read-back is exact.
  for (uint32_t y = 0; y < 12; ++y)
    for (uint32_t x = 0; x < 33; ++x) s.bitmap->rows[y][x] = pixel_ops.from_555(pixel_ops.to_555(s.bitmap->rows[y][x]));
  Image img(rle_encode(s.bitmap.get(), s.mask.get()));
  {
    auto f = plat::get().files().open("one.rle", "wb");
    ASSERT_EQ(rle_write_file(f.get(), img.get()), 0);
  }
  std::vector<uint8_t> archive;
  std::string error;
  const std::string file = dir.read("one.rle");
  ASSERT_TRUE(mkpak::build({{"img\\packed.rle", std::vector<uint8_t>(file.begin(), file.end())}}, false, archive, error));
  dir.write("data.pak", bytes_of(archive));
  ASSERT_NE(pak_open_archive("data.pak"), nullptr);
  PAK_FILE* pf = pak_fopen("img\\packed.rle", "rb");
  ASSERT_NE(pf, nullptr);
  RLE_IMAGE* read = nullptr;
  EXPECT_EQ(rle_read_pak(pf, &read), 0);
  pak_fclose(pf);
  Image back(read);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->width, 33u);
  EXPECT_EQ(back->height, 12u);
  ASSERT_EQ(back->stream_size, img->stream_size);
  EXPECT_EQ(std::memcmp(back->rows, img->rows, 4 * 12 + img->stream_size), 0);
}

std::vector<uint8_t> payload(uint32_t w, std::vector<uint32_t> rows, std::vector<uint8_t> stream) {
  plat::ByteWriter bw;
  bw.u32(w);
  bw.u32(static_cast<uint32_t>(rows.size()));
  bw.u32(static_cast<uint32_t>(stream.size()));
  for (uint32_t r : rows) bw.u32(r);
  bw.bytes(stream.data(), stream.size());
  return bw.take();
}

TEST_F(Rle, MalformedStreamsAreRefused) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"row start past the stream", payload(2, {0, 9}, {2, 1, 0, 0, 0, 0, 0, 1})},
      {"run past the width", payload(2, {0}, {3, 1, 0, 0, 0, 0, 0, 1})},
      {"skip past the height", payload(2, {0, 6}, {0, 2, 0, 2, 0, 0, 0, 0, 0, 1})},
      {"literal run past the stream", payload(8, {0}, {0, 5, 1, 0, 2, 0})},
      {"no end of image", payload(2, {0}, {2, 1, 0, 0, 0, 0})},
      // The colour word of row 0 reads as an end of row: converting it would change row 1.
      {"row starting inside a colour word", payload(4, {0, 2}, {1, 1, 0, 0, 0, 0, 0, 1})},
      {"stream size past the file", [] {
         auto b = payload(2, {0}, {0, 1});
         b[8] = 200;
         return b;
       }()},
      {"width beyond the cap", payload(16385, {0}, {0, 1})},
  };
  for (const Case& c : cases) {
    clearLog();
    dir.write("bad.rle", bytes_of(c.bytes));
    PAK_FILE* f = pak_fopen("bad.rle", "rb");
    ASSERT_NE(f, nullptr);
    RLE_IMAGE* img = reinterpret_cast<RLE_IMAGE*>(1);
    EXPECT_EQ(rle_read_pak(f, &img), -1) << c.what;
    EXPECT_EQ(img, nullptr) << c.what;
    pak_fclose(f);
    EXPECT_NE(log().find("rle stream error"), std::string::npos) << c.what << ": " << log();
  }
}

// ---- the sheet ----

uint64_t fnv(const BITMAP16* b) {
  uint64_t h = 1469598103934665603ull;
  for (uint32_t y = 0; y < b->height; ++y)
    for (uint32_t x = 0; x < b->width; ++x) {
      h = (h ^ (b->rows[y][x] & 0xFF)) * 1099511628211ull;
      h = (h ^ (b->rows[y][x] >> 8)) * 1099511628211ull;
    }
  return h;
}

std::vector<std::string> sheet_labels;
void label_bar(int32_t x, int32_t y, BITMAP16* t) {
  for (int32_t r = y; r < y + 12; ++r)
    for (int32_t c = x; c < x + 44; ++c)
      if (r >= 0 && c >= 0 && r < static_cast<int32_t>(t->height) && c < static_cast<int32_t>(t->width))
        t->rows[r][c] = 0xFFFF;
}
int32_t record_label(int32_t x, int32_t y, const char* text, uint32_t, BITMAP16* target) {
  sheet_labels.push_back(std::to_string(x) + "," + std::to_string(y) + " " + text);
  // A bar where the text goes, so that the picture shows the label's place.
  if (std::string(text) != "~Z2") label_bar(x, y, target);
  return 0;
}

// A round sprite with soft edges and a drop shadow, through every variant, the scaled draws and
// the cake preview with its label.
TEST_F(Rle, Sheet) {
  constexpr int D = 36;
  gfxt::BitmapA src(bitmap16a_create(D, D)), shadow(bitmap16a_create(D, D));
  for (int y = 0; y < D; ++y)
    for (int x = 0; x < D; ++x) {
      const double d = std::hypot(x - 15.5, y - 15.5), ds = std::hypot(x - 20.5, y - 20.5);
      bitmap16a_pixels(src.get(), y)[x] = pixel_ops.pack(40 + 5 * x, 60 + 4 * y, 200 - 3 * x);
      bitmap16a_alpha(src.get(), y)[x] = d < 12 ? 255 : d < 15 ? static_cast<uint8_t>(255 * (15 - d) / 3) : 0;
      bitmap16a_alpha(shadow.get(), y)[x] = ds < 14 ? 200 : 0;
    }
  Image img(rle_from_alpha_bitmap(src.get(), shadow.get()));
  ASSERT_TRUE(img);
  Bitmap sheet(bitmap16_create(400, 260));
  for (int y = 0; y < 260; ++y)
    for (int x = 0; x < 400; ++x) sheet->rows[y][x] = pixel_ops.pack(x / 2, 90 + y / 4, 120 + (x + y) % 64);
  const std::vector<Variant> all = variants();
  for (size_t i = 0; i < all.size(); ++i)
    all[i].draw(6 + static_cast<int>(i % 8) * 48, 6 + static_cast<int>(i / 8) * 44, img.get(), sheet.get());
  rle_draw_scaled(6, 186, 18, 18, img.get(), sheet.get());
  rle_draw_scaled(30, 186, 54, 54, img.get(), sheet.get());
  rle_draw_scaled_grey(90, 186, 40, 60, img.get(), sheet.get());
  rle_draw_scaled_blue(140, 186, 60, 40, img.get(), sheet.get());
  CAKE_NODE* head = cake_new_frame_node();
  head->next = cake_new_frame_node();
  head->next->prev = head;
  head->next->frame->rle = rle_clone(img.get());
  sheet_labels.clear();
  cake_set_text_drawer(record_label);
  cake_draw_preview(250, 180, 120, 70, head, sheet.get());
  cake_set_text_drawer(nullptr);
  cake_free_frame_list(&head);
  // scale = min(120 / 36, 70 / 36); "1.944" is five characters: x = 250 + 120 - 44.
  EXPECT_EQ(sheet_labels, (std::vector<std::string>{"0,0 ~Z2", "326,232 ~C0~O31.944~C0~O0"}));
  veldra_test::dumpPpm("rle_sheet.ppm", sheet.get());
  EXPECT_EQ(fnv(sheet.get()), 2118082601651497789ull) << "golden frame hash";
}

}  // namespace
