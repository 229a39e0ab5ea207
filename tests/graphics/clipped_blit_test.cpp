// The clipped blit family against a per-pixel reference at random positions, and its edge cases.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "graphics/clipblit/clipped_blit.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "tests/graphics/gfx_test_support.h"

namespace {

using gfxt::Bitmap;

class ClippedBlit : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = pixel_ops;
    pixel_ops = pixel_ops_family(PIXEL_FORMAT_565);
  }
  void TearDown() override { pixel_ops = saved_; }

 private:
  PIXEL_OPS saved_{};
};

Bitmap random_bitmap(std::mt19937& rng, int w, int h, bool holes) {
  Bitmap b = gfxt::make_bitmap(w, h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b->rows[y][x] = holes && rng() % 3 == 0 ? 0 : static_cast<uint16_t>(rng() | 1);
  return b;
}

bool edge_at(const BITMAP16* s, int x, int y) {
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      if (!dx && !dy) continue;
      const int nx = x + dx, ny = y + dy;
      if (nx < 0 || ny < 0 || nx >= static_cast<int>(s->width) || ny >= static_cast<int>(s->height) ||
          s->rows[ny][nx] == 0)
        return true;
    }
  return false;
}

constexpr uint16_t kColour = 0x39E7;
constexpr int kLevel = 100;

// A source member: what it does to one visible pixel (source pixel, its column and row, target pixel).
struct Member {
  const char* name;
  std::function<void(int, int, BITMAP16*, BITMAP16*)> draw;
  std::function<void(const BITMAP16* src, int sx, int sy, uint16_t* d)> ref;
};

using Op = void (*)(const uint16_t*, uint16_t*);
Member keyed(const char* name, void (*f)(int32_t, int32_t, BITMAP16*, BITMAP16*), Op op) {
  return {name, f, [op](const BITMAP16* s, int sx, int sy, uint16_t* d) {
            const uint16_t p = s->rows[sy][sx];
            if (p) op(&p, d);
          }};
}
Member unkeyed(const char* name, void (*f)(int32_t, int32_t, BITMAP16*, BITMAP16*), Op op) {
  return {name, f, [op](const BITMAP16* s, int sx, int sy, uint16_t* d) { op(&s->rows[sy][sx], d); }};
}
Member outline(const char* name, void (*f)(int32_t, int32_t, BITMAP16*, BITMAP16*), Op op) {
  return {name, f, [op](const BITMAP16* s, int sx, int sy, uint16_t* d) {
            const uint16_t p = s->rows[sy][sx];
            if (!p) return;
            if (edge_at(s, sx, sy)) op(&p, d);
            else *d = p;
          }};
}

std::vector<Member> members() {
  const PIXEL_OPS& P = pixel_ops;
  static Op copy = [](const uint16_t* s, uint16_t* d) { *d = *s; };
  static Op colour = [](const uint16_t*, uint16_t* d) { *d = kColour; };
  static Op blend = [](const uint16_t* s, uint16_t* d) { pixel_ops.blend(s, d, kLevel); };
  return {
      keyed("blit16_copy_keyed", blit16_copy_keyed, copy),
      {"blit16_checker_copy", blit16_checker_copy,
       [](const BITMAP16* s, int sx, int sy, uint16_t* d) {
         if ((sx + sy) % 2 == 0) *d = s->rows[sy][sx];
       }},
      {"blit16_checker_copy_keyed", blit16_checker_copy_keyed,
       [](const BITMAP16* s, int sx, int sy, uint16_t* d) {
         if ((sx + sy) % 2 == 0 && s->rows[sy][sx]) *d = s->rows[sy][sx];
       }},
      keyed("blit16_silhouette", [](int32_t x, int32_t y, BITMAP16* s, BITMAP16* t) { blit16_silhouette(x, y, kColour, s, t); },
            colour),
      outline("blit16_outline_colour",
              [](int32_t x, int32_t y, BITMAP16* s, BITMAP16* t) { blit16_outline_colour(x, y, kColour, s, t); }, colour),
      keyed("blit16_blend_keyed", [](int32_t x, int32_t y, BITMAP16* s, BITMAP16* t) { blit16_blend_keyed(x, y, s, t, kLevel); },
            blend),
      outline("blit16_outline_blend",
              [](int32_t x, int32_t y, BITMAP16* s, BITMAP16* t) { blit16_outline_blend(x, y, s, t, kLevel); }, blend),
      unkeyed("blit16_grey", blit16_grey, P.grey),
      outline("blit16_outline_grey", blit16_outline_grey, P.grey),
      keyed("blit16_add_keyed", blit16_add_keyed, P.add),
      keyed("blit16_sub_keyed", blit16_sub_keyed, P.sub),
      keyed("blit16_min_keyed", blit16_min_keyed, P.min),
      keyed("blit16_max_keyed", blit16_max_keyed, P.max),
      keyed("blit16_mix_keyed", blit16_mix_keyed, P.mix),
      unkeyed("blit16_sub", blit16_sub, P.sub),
      unkeyed("blit16_min", blit16_min, P.min),
      unkeyed("blit16_max", blit16_max, P.max),
      outline("blit16_outline_add", blit16_outline_add, P.add),
      outline("blit16_outline_sub", blit16_outline_sub, P.sub),
      outline("blit16_outline_min", blit16_outline_min, P.min),
      outline("blit16_outline_max", blit16_outline_max, P.max),
      outline("blit16_outline_mix", blit16_outline_mix, P.mix),
  };
}

TEST_F(ClippedBlit, Members) {
  for (const Member& m : members()) {
    for (uint32_t seed = 1; seed <= 12; ++seed) {
      std::mt19937 rng(seed);
      const int sw = 1 + static_cast<int>(rng() % 12), sh = 1 + static_cast<int>(rng() % 12);
      Bitmap src = random_bitmap(rng, sw, sh, true);
      const int x = static_cast<int>(rng() % 40) - 14, y = static_cast<int>(rng() % 30) - 14;
      Bitmap target = random_bitmap(rng, 24, 18, false);
      Bitmap want = gfxt::copy_of(target.get());
      for (int ty = 0; ty < 18; ++ty)
        for (int tx = 0; tx < 24; ++tx) {
          const int sx = tx - x, sy = ty - y;
          if (sx >= 0 && sy >= 0 && sx < sw && sy < sh) m.ref(src.get(), sx, sy, &want->rows[ty][tx]);
        }
      m.draw(x, y, src.get(), target.get());
      EXPECT_EQ(gfxt::difference(target.get(), want.get()), "") << m.name << " seed " << seed;
      m.draw(x, y, nullptr, target.get());
    }
  }
}

TEST_F(ClippedBlit, FillMembers) {
  using Fill = void (*)(int32_t, int32_t, int32_t, int32_t, uint16_t, BITMAP16*);
  const struct {
    const char* name;
    Fill fill;
    Op op;
  } fills[] = {{"fill16_add", fill16_add, pixel_ops.add}, {"fill16_sub", fill16_sub, pixel_ops.sub},
               {"fill16_min", fill16_min, pixel_ops.min}, {"fill16_max", fill16_max, pixel_ops.max},
               {"fill16_mix", fill16_mix, pixel_ops.mix}};
  std::mt19937 rng(4);
  for (const auto& f : fills) {
    for (auto [x, y] : {std::pair{-3, -2}, std::pair{5, 4}, std::pair{20, 15}}) {
      Bitmap target = random_bitmap(rng, 24, 18, false);
      Bitmap want = gfxt::copy_of(target.get());
      for (int ty = std::max(y, 0); ty < std::min(y + 6, 18); ++ty)
        for (int tx = std::max(x, 0); tx < std::min(x + 7, 24); ++tx) f.op(&kColour, &want->rows[ty][tx]);
      f.fill(x, y, 7, 6, kColour, target.get());
      EXPECT_EQ(gfxt::difference(target.get(), want.get()), "") << f.name << " at " << x << "," << y;
    }
  }
  // Scale and the checker fill, whose parity starts at the clipped corner.
  Bitmap t = gfxt::make_bitmap(6, 6, 0xFFFF);
  fill16_scale(-1, -1, 3, 3, t.get(), 16);
  uint16_t half = 0xFFFF;
  pixel_ops.scale(&half, 16);
  EXPECT_EQ(t->rows[1][1], half);
  EXPECT_EQ(t->rows[2][2], 0xFFFF);
  Bitmap c = gfxt::make_bitmap(6, 6, 0);
  blit16_checker_fill(-1, 0, 4, 2, kColour, c.get());
  EXPECT_EQ((std::vector<uint16_t>{c->rows[0][0], c->rows[0][1], c->rows[0][2], c->rows[0][3]}),
            (std::vector<uint16_t>{kColour, 0, kColour, 0}));
  EXPECT_EQ(c->rows[1][1], kColour);
}

TEST_F(ClippedBlit, EdgeCases) {
  std::mt19937 rng(9);
  Bitmap src = random_bitmap(rng, 10, 10, false);
  Bitmap t = gfxt::make_bitmap(20, 20, 0);
  blit16_copy_keyed(-5, -5, src.get(), t.get());
  EXPECT_EQ(t->rows[0][0], src->rows[5][5]) << "from its sixth row and column";
  EXPECT_EQ(t->rows[4][4], src->rows[9][9]);
  EXPECT_EQ(t->rows[5][5], 0);

  Bitmap u = random_bitmap(rng, 20, 20, false);
  const Bitmap before = gfxt::copy_of(u.get());
  blit16_add_keyed(20, 0, src.get(), u.get());
  blit16_sub(0, -10, src.get(), u.get());
  Bitmap zero = gfxt::make_bitmap(8, 8, 0);
  blit16_add_keyed(3, 3, zero.get(), u.get());
  EXPECT_EQ(gfxt::difference(u.get(), before.get()), "") << "right of, above, or all zero: nothing drawn";

  Bitmap one = gfxt::make_bitmap(1, 1, 0x1234);
  Bitmap v = gfxt::make_bitmap(3, 3, 0);
  blit16_outline_colour(1, 1, kColour, one.get(), v.get());
  EXPECT_EQ(v->rows[1][1], kColour) << "a one-pixel source is an edge pixel";

  // The stretch samples (i + 1) * h / H and never draws the last row and column.
  Bitmap s4 = gfxt::make_bitmap(4, 4, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) s4->rows[y][x] = static_cast<uint16_t>(1 + 10 * y + x);
  Bitmap w = gfxt::make_bitmap(10, 10, 0);
  blit16_stretch_keyed(1, 1, 8, 8, s4.get(), w.get());
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 8; ++j) {
      const uint16_t want = (i == 7 || j == 7) ? 0 : static_cast<uint16_t>(1 + 10 * ((i + 1) * 4 / 8) + (j + 1) * 4 / 8);
      EXPECT_EQ(w->rows[1 + i][1 + j], want) << i << "," << j;
    }

  BITMAP16* view = bitmap16_create_view(3, 2);
  blit16_view(2, 1, 3, 2, view, src.get());
  EXPECT_EQ(view->rows[1][2], src->rows[2][4]);
  bitmap16_free(&view);
}

}  // namespace
