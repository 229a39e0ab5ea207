// The sprite blitters against the stated per-pixel rules, the frame checks and the sprite slots.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>

#include "graphics/img256/img256_draw.h"
#include "graphics/img256/window_frame.h"
#include "plat/crt.h"
#include "tests/graphics/gfx_test_support.h"
#include "tests/graphics/img256_reference.h"

namespace {

using gfxt::Bitmap;
using gfxt::Frame;
using gfxt::make_bitmap;
using mdaw::RawFrame;

class Img256Draw : public ::testing::Test {
 protected:
  void SetUp() override {
    module_resets_run_all();
    pixel_ops = pixel_ops_family(PIXEL_FORMAT_565);
  }
  void TearDown() override { module_resets_run_all(); }
  std::mt19937 rng{20261210};
};

uint16_t rgb565(uint8_t r, uint8_t g, uint8_t b) { return static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | b >> 3); }

// A frame that can hold any stream the tests write.
RawFrame raw(uint16_t w, uint16_t h, std::vector<uint8_t> stream, int16_t hot_x = 0, int16_t hot_y = 0) {
  RawFrame f;
  f.width = w;
  f.height = h;
  f.geometry.hot_x = hot_x;
  f.geometry.hot_y = hot_y;
  f.stream = std::move(stream);
  for (int i = 0; i < 256; ++i) {
    f.palette[3 * i] = static_cast<uint8_t>(i * 7);
    f.palette[3 * i + 1] = static_cast<uint8_t>(255 - i);
    f.palette[3 * i + 2] = static_cast<uint8_t>(i * 13);
  }
  return f;
}

std::vector<uint8_t> random_frame(std::mt19937& rng) {
  static constexpr uint8_t kAlphas[] = {0, 3, 7, 8, 15, 80, 100, 190, 191, 200, 250, 254, 255};
  const auto w = static_cast<uint16_t>(1 + rng() % 24), h = static_cast<uint16_t>(1 + rng() % 14);
  RawFrame f = raw(w, h, {}, static_cast<int16_t>(static_cast<int>(rng() % 40) - 8),
                   static_cast<int16_t>(static_cast<int>(rng() % 30) - 8));
  for (uint8_t& b : f.palette) b = static_cast<uint8_t>(rng());
  // One frame in three has runs and skips past its width and rows past its height.
  const bool overflowing = rng() % 3 == 0;
  const uint32_t over = overflowing ? 6 : 0, rows = h + (overflowing ? rng() % 3 : 0);
  for (uint32_t y = 0; y < rows; ++y) {
    uint32_t x = 0;
    while (x < w && rng() % 4 != 0) {
      const auto n = static_cast<uint16_t>(1 + rng() % (w - x + over));
      if (rng() % 3 == 0) {
        mdaw::stream_skip(f.stream, n);
      } else {
        std::vector<std::pair<uint8_t, uint8_t>> pairs;
        for (uint16_t i = 0; i < n; ++i) {
          const uint8_t a = rng() % 5 == 0 ? static_cast<uint8_t>(rng()) : kAlphas[rng() % std::size(kAlphas)];
          pairs.emplace_back(static_cast<uint8_t>(rng()), a);
        }
        mdaw::stream_run(f.stream, pairs);
      }
      x += n;
    }
    if (y + 1 < rows || rng() % 2) mdaw::stream_row_end(f.stream);
    if (rng() % 40 == 0) {
      f.stream.push_back(0);  // an end code in the middle: the rest is not drawn
      f.stream.push_back(255);
      break;
    }
  }
  return mdaw::img256_build(f);
}

TEST_F(Img256Draw, TwoPixelStreamBlendsThirtyOneThirtySecondsAndSkipsWeightZero) {
  RawFrame f = raw(2, 1, {255, 2, 0, 5, 255, 6, 0}, 0, 0);
  Frame frame(mdaw::img256_build(f));
  ASSERT_TRUE(frame.open_ok);
  const uint16_t t = rgb565(40, 80, 120);
  Bitmap target = make_bitmap(4, 2, t);
  img256_draw(1, 1, frame.get(), target.get());
  const uint16_t c = rgb565(f.palette[15], f.palette[16], f.palette[17]);
  EXPECT_EQ(target->rows[1][1], gfxt::ref::blend(c, t, 31));
  EXPECT_NE(target->rows[1][1], c) << "alpha 255 is 31/32 of the colour, not a copy";
  EXPECT_EQ(target->rows[1][2], t);
  // Each channel by itself: floor of a negative step rounds down, not toward zero.
  EXPECT_EQ(gfxt::ref::blend(rgb565(0, 0, 0), rgb565(8, 8, 8), 1), rgb565(0, 4, 0));
  EXPECT_EQ(gfxt::ref::blend(rgb565(8, 0, 0), rgb565(0, 0, 0), 31), rgb565(0, 0, 0));
}

// Random frames at random places across every edge, under each combination of the settings,
// against the scalar statement of the rule.
TEST_F(Img256Draw, MatchesThePerPixelRuleUnderEverySetting) {
  std::array<uint8_t, 3 * 2> bits_a{}, bits_b{};
  std::array<uint8_t, 2 * 5> bits_c{};
  for (uint8_t& b : bits_a) b = static_cast<uint8_t>(rng());
  for (uint8_t& b : bits_b) b = static_cast<uint8_t>(rng());
  for (uint8_t& b : bits_c) b = 0xFF;
  const SCENE_MASK records[] = {{16, 3, 2, 5, bits_a.data()}, {12, 5, 10, 0, bits_c.data()}, {9, 2, 0, 20, bits_b.data()},
                                {20, 20, 0, 0, nullptr}};
  const int32_t order[] = {2, 0, 7, 1, 3};
  scene_mask_list = {5, order, records, 4};
  scene_view_origin = {3, -2};

  for (int iteration = 0; iteration < 300; ++iteration) {
    Frame frame(random_frame(rng));
    ASSERT_TRUE(frame.open_ok) << iteration;
    const int32_t x = static_cast<int32_t>(rng() % 90) - 30, y = static_cast<int32_t>(rng() % 70) - 25;
    Bitmap base = make_bitmap(37, 29);
    for (uint32_t py = 0; py < 29; ++py)
      for (uint32_t px = 0; px < 37; ++px) base->rows[py][px] = static_cast<uint16_t>(rng());
    std::array<uint8_t, 40 * 30> occlusion{};
    static constexpr uint8_t kMap[] = {0, 0, 0, 10, 100, 249, 250, 251, 254, 255};
    for (uint8_t& m : occlusion) m = kMap[rng() % std::size(kMap)];

    for (int settings = 0; settings < 16; ++settings) {
      Bitmap got = gfxt::copy_of(base.get()), want = gfxt::copy_of(base.get());
      Bitmap got_hl = make_bitmap(30, 20, 1), want_hl = make_bitmap(30, 20, 1);
      auto setup = [&](BITMAP16* highlight) {
        sprite_draw_state = {};
        sprite_draw_state.occlusion_test = settings & 1;
        sprite_draw_state.occlusion_write = (settings >> 1) & 1;
        sprite_draw_state.highlight_on = (settings >> 2) & 1;
        sprite_draw_state.highlight_colour = 0xABCD;
        sprite_draw_state.highlight_bitmap = highlight;
        sprite_draw_state.mask_test = (settings >> 3) & 1;
        sprite_draw_state.mask_see_through = iteration & 1;
        sprite_occlusion_clear();
        for (int r = 0; r < 30; ++r) std::memcpy(sprite_occlusion_map[r], &occlusion[r * 40], 40);
      };
      setup(want_hl.get());
      gfxt::ref::draw(x, y, frame.bytes.data(), want.get());
      std::array<uint8_t, 40 * 30> want_map;
      for (int r = 0; r < 30; ++r) std::memcpy(&want_map[r * 40], sprite_occlusion_map[r], 40);
      setup(got_hl.get());
      img256_draw(x, y, frame.get(), got.get());
      const std::string where = "iteration " + std::to_string(iteration) + " settings " + std::to_string(settings);
      ASSERT_EQ(gfxt::difference(got.get(), want.get()), "") << where;
      ASSERT_EQ(gfxt::difference(got_hl.get(), want_hl.get()), "") << where << " (highlight)";
      for (int r = 0; r < 30; ++r) ASSERT_EQ(std::memcmp(sprite_occlusion_map[r], &want_map[r * 40], 40), 0) << where;
    }
  }
}

// Large frames take the batched path (eight pixels at a time, palette converted once); many mask
// records take the per-pixel mask test. Both give the rule's pixels.
TEST_F(Img256Draw, BatchesAndManyMasksMatchTheRule) {
  std::vector<uint8_t> ones(1, 0xFF);
  std::vector<SCENE_MASK> records;
  std::vector<int32_t> order;
  for (int i = 0; i < 40; ++i) {
    records.push_back({8, 1, 3 * i, i % 7, ones.data()});
    order.push_back(39 - i);
  }
  for (int iteration = 0; iteration < 40; ++iteration) {
    mdaw::Picture p = mdaw::picture_fill(70, 30, {0, 0, 0, 0});
    for (mdaw::Rgba& px : p.pixels) {
      const uint32_t r = rng();
      px = {static_cast<uint8_t>(r % 16 * 16), static_cast<uint8_t>((r >> 8) % 16 * 16), 77,
            static_cast<uint8_t>(r % 5 == 0 ? 0 : r % 5 == 1 ? (r >> 16) % 8 : r >> 24)};
    }
    Frame frame(mdaw::img256_encode(p, {0, 0, static_cast<int16_t>(rng() % 80), static_cast<int16_t>(rng() % 40)}));
    ASSERT_GT(frame.view.stream_length(), 512u);
    const int32_t x = static_cast<int32_t>(rng() % 120), y = static_cast<int32_t>(rng() % 60);
    Bitmap base = make_bitmap(90, 40);
    for (uint32_t py = 0; py < 40; ++py)
      for (uint32_t px = 0; px < 90; ++px) base->rows[py][px] = static_cast<uint16_t>(rng());
    sprite_draw_state_reset();
    scene_mask_list_reset();
    if (iteration % 2) {
      scene_mask_list = {40, order.data(), records.data(), 40};
      sprite_draw_state.mask_test = 1;
      sprite_draw_state.mask_see_through = iteration % 4 == 1;
    }
    Bitmap got = gfxt::copy_of(base.get()), want = gfxt::copy_of(base.get());
    img256_draw(x, y, frame.get(), got.get());
    gfxt::ref::draw(x, y, frame.bytes.data(), want.get());
    ASSERT_EQ(gfxt::difference(got.get(), want.get()), "") << "iteration " << iteration;
  }
}

// A built slot draws exactly what img256_draw draws, at every edge (it used to clip only at the
// right one), with the highlight and the masks.
TEST_F(Img256Draw, SlotDrawEqualsTheMainBlitterEverywhere) {
  std::array<uint8_t, 4 * 30> bits{};
  for (uint8_t& b : bits) b = static_cast<uint8_t>(rng());
  const SCENE_MASK records[] = {{32, 30, -5, -3, bits.data()}};
  const int32_t order[] = {0};
  scene_mask_list = {1, order, records, 1};
  for (int iteration = 0; iteration < 200; ++iteration) {
    Frame frame(random_frame(rng));
    const int32_t x = static_cast<int32_t>(rng() % 90) - 30, y = static_cast<int32_t>(rng() % 70) - 25;
    const int settings = iteration % 4;
    Bitmap a = make_bitmap(37, 29, 0x4321), b = make_bitmap(37, 29, 0x4321);
    Bitmap ha = make_bitmap(37, 29), hb = make_bitmap(37, 29);
    sprite_draw_state = {};
    sprite_draw_state.highlight_on = settings & 1;
    sprite_draw_state.highlight_colour = 0x0F0F;
    sprite_draw_state.mask_test = (settings >> 1) & 1;
    sprite_draw_state.mask_see_through = iteration & 4;
    sprite_draw_state.highlight_bitmap = ha.get();
    img256_draw(x, y, frame.get(), a.get());
    sprite_draw_state.highlight_bitmap = hb.get();
    sprite_slots_free_all();
    uint32_t words = 0;
    if (!img256_measure_rle(frame.get(), &words)) {
      EXPECT_FALSE(img256_build_slot(frame.get(), 4)) << "a stream with an end code is not converted";
      continue;
    }
    ASSERT_TRUE(img256_build_slot(frame.get(), 4)) << iteration;
    img256_draw_slot(x, y, 4, b.get());
    ASSERT_EQ(gfxt::difference(a.get(), b.get()), "") << "iteration " << iteration;
    ASSERT_EQ(gfxt::difference(ha.get(), hb.get()), "") << "iteration " << iteration << " (highlight)";
  }
}

TEST_F(Img256Draw, SlotsBuildOnceRewriteAlphaUnderMasksAndFailCleanly) {
  RawFrame f = raw(3, 1, {255, 3, 0, 1, 255, 2, 100, 3, 40, 253}, 1, 0);
  Frame frame(mdaw::img256_build(f));
  uint32_t words = 0;
  ASSERT_TRUE(img256_measure_rle(frame.get(), &words));
  EXPECT_EQ(words, 2u + 3u + 2u);
  ASSERT_TRUE(img256_build_slot(frame.get(), 0));
  const SPRITE_SLOT& s = sprite_slots[0];
  EXPECT_EQ(s.words, 12u) << "length + 3, in whole groups of four";
  EXPECT_EQ(s.colours[0], 7);
  EXPECT_EQ(s.colours[2], 1);  // hot-spot x
  EXPECT_EQ(s.alphas[2], 0);   // hot-spot y
  EXPECT_EQ((std::vector<uint16_t>(s.colours + 3, s.colours + 10)),
            (std::vector<uint16_t>{255, 255, pixel_ops.pack(f.palette[3], f.palette[4], f.palette[5]),
                                   pixel_ops.pack(f.palette[6], f.palette[7], f.palette[8]),
                                   pixel_ops.pack(f.palette[9], f.palette[10], f.palette[11]), 253, 253}));
  EXPECT_EQ((std::vector<uint16_t>(s.alphas + 3, s.alphas + 10)), (std::vector<uint16_t>{255, 3, 255, 100, 40, 253, 253}));

  Frame other(mdaw::img256_build(raw(2, 1, {255, 1, 0, 9, 255})));
  EXPECT_TRUE(img256_build_slot(other.get(), 0)) << "a built slot is left as it is";
  EXPECT_EQ(sprite_slots[0].colours[0], 7);
  EXPECT_FALSE(img256_build_slot(frame.get(), 11));
  EXPECT_FALSE(img256_build_slot(frame.get(), -1));

  // Under a see-through mask the slot's alpha becomes 80 for good.
  std::array<uint8_t, 1> bits{0xFF};
  const SCENE_MASK records[] = {{8, 1, 0, 0, bits.data()}};
  const int32_t order[] = {0};
  scene_mask_list = {1, order, records, 1};
  sprite_draw_state.mask_test = 1;
  sprite_draw_state.mask_see_through = 1;
  Bitmap t = make_bitmap(5, 1);
  img256_draw_slot(1, 0, 0, t.get());
  EXPECT_EQ((std::vector<uint16_t>(s.alphas + 5, s.alphas + 8)), (std::vector<uint16_t>{80, 80, 80}));
  img256_draw_slot(1, 0, 11, t.get());  // no such slot: nothing

  // A failed second buffer frees the first and leaves the slot empty.
  gfx_alloc_fail_at(2);
  EXPECT_FALSE(img256_build_slot(frame.get(), 3));
  EXPECT_EQ(sprite_slots[3].colours, nullptr);
  EXPECT_EQ(sprite_slots[3].built, 0);
  gfx_alloc_fail_at(0);
  // A stream ending in an end code cannot be measured.
  Frame ended(mdaw::img256_build(raw(2, 1, {255, 1, 0, 9, 255, 0})));
  EXPECT_FALSE(img256_measure_rle(ended.get(), &words));
}

TEST_F(Img256Draw, OcclusionSkipThinAndWrite) {
  Frame frame(gfxt::solid_frame(1, 1, {200, 100, 50, 255}));
  const uint16_t t = rgb565(10, 10, 10);
  const uint16_t c = rgb565(200, 100, 50);
  struct Case {
    uint8_t map;
    uint16_t draw, faded;
  };
  uint16_t faded_250 = t;
  const Case cases[] = {{251, t, t}, {250, gfxt::ref::blend(c, t, (255 - 250) / 8), faded_250}};
  for (const Case& k : cases) {
    sprite_draw_state_reset();
    sprite_draw_state.occlusion_test = 1;
    sprite_occlusion_map[3][4] = k.map;
    Bitmap a = make_bitmap(8, 8, t), b = make_bitmap(8, 8, t);
    img256_draw(4, 3, frame.get(), a.get());
    img256_draw_faded(4, 3, frame.get(), b.get(), 0);
    EXPECT_EQ(a->rows[3][4], k.draw) << int(k.map);
    EXPECT_EQ(b->rows[3][4], k.faded) << int(k.map) << ": the faded blitter skips at 250 already";
  }
  // Map 100 thins alpha 255 to 155 for the main blitter; the faded one draws at full alpha.
  sprite_draw_state_reset();
  sprite_draw_state.occlusion_test = 1;
  sprite_occlusion_map[0][0] = 100;
  Bitmap a = make_bitmap(2, 2, t), b = make_bitmap(2, 2, t);
  img256_draw(0, 0, frame.get(), a.get());
  img256_draw_faded(0, 0, frame.get(), b.get(), 0);
  EXPECT_EQ(a->rows[0][0], gfxt::ref::blend(c, t, 155 / 8));
  uint16_t full = t;
  pixel_ops.blend(&c, &full, 255);
  EXPECT_EQ(b->rows[0][0], full);

  // Two alpha-200 writes leave 254; the faded blitter adds its alpha less the map byte.
  Frame soft(gfxt::solid_frame(1, 1, {200, 100, 50, 200}));
  sprite_draw_state_reset();
  sprite_draw_state.occlusion_test = 1;
  sprite_draw_state.occlusion_write = 1;
  img256_draw(5, 5, soft.get(), a.get());
  EXPECT_EQ(sprite_occlusion_map[5][5], 0) << "outside the target nothing is written";
  Bitmap big = make_bitmap(10, 10, t);
  img256_draw(5, 5, soft.get(), big.get());
  EXPECT_EQ(sprite_occlusion_map[5][5], 200);
  img256_draw(5, 5, soft.get(), big.get());
  EXPECT_EQ(sprite_occlusion_map[5][5], 254);
  sprite_occlusion_map[6][6] = 60;
  img256_draw_faded(6, 6, soft.get(), big.get(), 0);
  EXPECT_EQ(sprite_occlusion_map[6][6], 200);
  Frame faint(gfxt::solid_frame(1, 1, {200, 100, 50, 7}));
  img256_draw(7, 7, faint.get(), big.get());
  EXPECT_EQ(sprite_occlusion_map[7][7], 0) << "alphas below 8 are not written";
}

TEST_F(Img256Draw, HighlightIsWrittenWhereThePixelIsThinnedOrHidden) {
  Frame frame(gfxt::solid_frame(2, 1, {200, 100, 50, 191}));
  Bitmap t = make_bitmap(4, 4), h = make_bitmap(2, 2);
  sprite_draw_state.highlight_on = 1;
  sprite_draw_state.highlight_colour = 0xFFFE;
  sprite_draw_state.highlight_bitmap = h.get();
  sprite_draw_state.occlusion_test = 1;
  sprite_occlusion_map[1][1] = 200;
  sprite_occlusion_map[1][2] = 251;
  img256_draw(1, 1, frame.get(), t.get());
  EXPECT_EQ(h->rows[1][1], 0xFFFE) << "thinned pixel: highlighted";
  EXPECT_EQ(t->rows[1][1], 0) << "alpha 191 - 200: drawn at 0";
  Frame dim(gfxt::solid_frame(1, 1, {200, 100, 50, 190}));
  sprite_occlusion_map[0][0] = 0;
  img256_draw(0, 0, dim.get(), t.get());
  EXPECT_EQ(h->rows[0][0], 0) << "alpha 190 is not highlighted";
  // The highlight bitmap is smaller than the target: (2, 1) lies outside it and is not written.
  EXPECT_EQ(h->width, 2u);
}

TEST_F(Img256Draw, MasksHideOrShowThroughAndRowsHaveWidthOverEightBytes) {
  // A 12-wide mask has rows of one byte: pixels 8 to 11 have no bit.
  std::array<uint8_t, 2> bits{0xFF, 0xFF};
  SCENE_MASK records[] = {{12, 2, 100, 50, bits.data()}, {8, 1, 200, 0, nullptr}};
  const int32_t order[] = {1, 0};
  scene_mask_list = {2, order, records, 2};
  for (int x = 100; x < 108; ++x) EXPECT_EQ(mask_hit_test(x, 50), 0) << x;
  for (int x = 108; x < 113; ++x) EXPECT_EQ(mask_hit_test(x, 50), -2) << x;
  EXPECT_EQ(mask_hit_test(100, 51), 0) << "row 1 reads the second byte, not bits of row 0";
  EXPECT_EQ(mask_hit_test(100, 52), -2);
  EXPECT_EQ(mask_hit_test(99, 50), -2);
  EXPECT_EQ(mask_hit_test(200, 0), -2) << "a record without a mask is no hit";
  bits[1] = 0x40;
  EXPECT_EQ(mask_hit_test(100, 51), -2);
  EXPECT_EQ(mask_hit_test(101, 51), 0) << "the leftmost pixel is bit 128";

  // The test point is the target position plus the view origin.
  scene_view_origin = {98, 50};
  Frame frame(gfxt::solid_frame(1, 1, {248, 0, 0, 255}));
  const uint16_t t = rgb565(0, 0, 248);
  sprite_draw_state.mask_test = 1;
  Bitmap hidden = make_bitmap(4, 1, t), through = make_bitmap(4, 1, t);
  img256_draw(2, 0, frame.get(), hidden.get());
  EXPECT_EQ(hidden->rows[0][2], t);
  sprite_draw_state.mask_see_through = 1;
  img256_draw(2, 0, frame.get(), through.get());
  EXPECT_EQ(through->rows[0][2], gfxt::ref::blend(rgb565(248, 0, 0), t, 10)) << "alpha 80";
  Bitmap faded = make_bitmap(4, 1, t);
  sprite_draw_state.mask_see_through = 0;
  img256_draw_faded(2, 0, frame.get(), faded.get(), 0);
  EXPECT_EQ(faded->rows[0][2], t) << "the faded blitter skips a hidden pixel";
}

TEST_F(Img256Draw, ScaledRepetitionTable) {
  // Seven columns of distinct colours, two rows, drawn on black at full alpha.
  mdaw::Picture pic = mdaw::picture_fill(7, 2, {0, 0, 0, 255});
  for (int x = 0; x < 7; ++x)
    for (int y = 0; y < 2; ++y) pic.at(x, y) = {static_cast<uint8_t>(32 * (x + 1)), 0, 0, 255};
  Frame frame(mdaw::img256_encode(pic, {}));
  auto column_colour = [](int i) {
    uint16_t out = 0;
    const uint16_t c = pixel_ops.pack(32 * (i + 1), 0, 0);
    pixel_ops.blend(&c, &out, 255);
    return out;
  };
  struct Case {
    int percent;
    std::vector<int> columns;
    int rows;
  };
  const Case cases[] = {{50, {1, 3, 5}, 1},
                        {70, {1, 2, 4, 5}, 1},
                        {100, {0, 1, 2, 3, 4, 5, 6}, 2},
                        {150, {0, 1, 1, 2, 3, 3, 4, 5, 5, 6}, 3},
                        {200, {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6}, 4}};
  for (const Case& k : cases) {
    Bitmap t = make_bitmap(20, 6);
    img256_draw_scaled(0, 0, frame.get(), t.get(), k.percent);
    std::vector<uint16_t> want;
    for (int c : k.columns) want.push_back(column_colour(c));
    want.resize(20, 0);
    for (int y = 0; y < 6; ++y) {
      std::vector<uint16_t> row(t->rows[y], t->rows[y] + 20);
      EXPECT_EQ(row, y < k.rows ? want : std::vector<uint16_t>(20, 0)) << k.percent << "% row " << y;
    }
  }
  // The hot spot is scaled: hot (4, 1) at 50% puts the frame's corner at (x - 2, y - 0).
  Frame hot(mdaw::img256_encode(pic, {0, 0, 4, 1}));
  Bitmap t = make_bitmap(20, 6);
  img256_draw_scaled(5, 2, hot.get(), t.get(), 50);
  EXPECT_EQ(t->rows[2][3], column_colour(1));
  // Frames narrower or lower than 2 pixels draw nothing.
  for (auto [w, h] : std::vector<std::pair<int, int>>{{1, 5}, {5, 1}}) {
    Frame thin(gfxt::solid_frame(w, h, {255, 255, 255, 255}));
    Bitmap b = make_bitmap(10, 10);
    img256_draw_scaled(2, 2, thin.get(), b.get(), 100);
    img256_draw_scaled_faded(2, 2, thin.get(), b.get(), 100, 0);
    img256_draw_additive_scaled(2, 2, thin.get(), b.get(), 100);
    EXPECT_EQ(gfxt::difference(b.get(), make_bitmap(10, 10).get()), "") << w << "x" << h;
  }
}

TEST_F(Img256Draw, AdditiveFadedAndWidthLimited) {
  mdaw::Picture pic = mdaw::picture_fill(3, 1, {200, 100, 0, 0});
  pic.at(1, 0).a = 255;
  pic.at(2, 0).a = 30;
  Frame frame(mdaw::img256_encode(pic, {}));
  // Alpha 0 pixels are skips in the stream; alpha 30 and 255 add alike.
  const uint16_t t = pixel_ops.pack(100, 200, 48);
  Bitmap b = make_bitmap(3, 1, t);
  img256_draw_additive(0, 0, frame.get(), b.get());
  EXPECT_EQ(b->rows[0][0], t);
  EXPECT_EQ(b->rows[0][1], gfx16_add_rgb(200, 100, 0, t));
  EXPECT_EQ(b->rows[0][2], gfx16_add_rgb(200, 100, 0, t));
  EXPECT_EQ(b->rows[0][1], pixel_ops.pack(255, 255, 48)) << "capped at 255";
  Frame zero(mdaw::img256_build(raw(1, 1, {255, 1, 0, 7, 0})));
  Bitmap z = make_bitmap(1, 1, t);
  img256_draw_additive(0, 0, zero.get(), z.get());
  EXPECT_NE(z->rows[0][0], t) << "additive ignores alpha, even 0 in a run";

  // Faded: PIXEL_OPS blend at alpha - level, clamped.
  Frame solid(gfxt::solid_frame(1, 1, {200, 100, 0, 200}));
  for (int level : {0, 50, 199, 300, -100}) {
    Bitmap f = make_bitmap(1, 1, t);
    img256_draw_faded(0, 0, solid.get(), f.get(), level);
    uint16_t want = t;
    const uint16_t c = pixel_ops.pack(200, 100, 0);
    pixel_ops.blend(&c, &want, std::clamp(200 - level, 0, 255));
    EXPECT_EQ(f->rows[0][0], want) << level;
  }

  Frame bar(gfxt::solid_frame(10, 2, {255, 255, 255, 255}));
  Bitmap w = make_bitmap(20, 2);
  img256_draw_width_limited(5, 0, 4, bar.get(), w.get());
  for (int x = 0; x < 20; ++x) EXPECT_EQ(w->rows[1][x] != 0, x >= 5 && x < 9) << x;
}

TEST_F(Img256Draw, MainBlitterWritesRgb565WhateverTheScreenFormat) {
  pixel_ops = pixel_ops_family(PIXEL_FORMAT_555);
  Frame frame(gfxt::solid_frame(1, 1, {248, 0, 0, 255}));
  Bitmap a = make_bitmap(1, 1), b = make_bitmap(1, 1);
  img256_draw(0, 0, frame.get(), a.get());
  img256_draw_faded(0, 0, frame.get(), b.get(), 0);
  EXPECT_EQ(a->rows[0][0], gfxt::ref::blend(0xF800, 0, 31)) << "RGB565 red";
  uint16_t want = 0;
  const uint16_t red555 = pixel_ops.pack(248, 0, 0);
  pixel_ops.blend(&red555, &want, 255);
  EXPECT_EQ(b->rows[0][0], want) << "the faded blitter packs for the screen";
}

TEST_F(Img256Draw, ScatteredMovesEachPixelByTheRuntimeRandomNumbers) {
  mdaw::Picture pic = mdaw::picture_fill(3, 2, {0, 0, 0, 255});
  for (int i = 0; i < 6; ++i) pic.pixels[i] = {static_cast<uint8_t>(40 * (i + 1)), 0, 0, 255};
  Frame frame(mdaw::img256_encode(pic, {}));
  Bitmap got = make_bitmap(60, 60), want = make_bitmap(60, 60);
  plat::crt_srand(77);
  std::vector<std::pair<int, int>> moves;
  for (int i = 0; i < 6; ++i) {
    const int dx = 20 - plat::crt_rand() % 41;
    const int dy = 20 - plat::crt_rand() % 41;
    moves.emplace_back(dx, dy);
  }
  for (int i = 0; i < 6; ++i) {
    const uint16_t c = pixel_ops.pack(40 * (i + 1), 0, 0);
    uint16_t& d = want->rows[30 + i / 3 + moves[i].second][30 + i % 3 + moves[i].first];
    pixel_ops.blend(&c, &d, 255);
  }
  plat::crt_srand(77);
  img256_draw_scattered(30, 30, frame.get(), got.get(), 100, 2);
  EXPECT_EQ(gfxt::difference(got.get(), want.get()), "");
  // Pixels moved off the target are clipped where they land.
  Bitmap tiny = make_bitmap(2, 2);
  img256_draw_scattered(0, 0, frame.get(), tiny.get(), 100, 50);
  img256_draw_scattered(0, 0, frame.get(), tiny.get(), 100, -3);
}

// Positions beyond 800 x 600 read as free and are never written.
TEST_F(Img256Draw, LargeTargetsWithOcclusionStayInsideTheMap) {
  Bitmap big = make_bitmap(1600, 900, 0);
  Frame frame(gfxt::solid_frame(40, 40, {255, 255, 255, 255}));
  sprite_draw_state.occlusion_test = 1;
  sprite_draw_state.occlusion_write = 1;
  for (auto& row : sprite_occlusion_map) std::memset(row, 251, sizeof(row));
  img256_draw(780, 580, frame.get(), big.get());
  img256_draw(1500, 850, frame.get(), big.get());
  img256_draw_faded(1500, 850, frame.get(), big.get(), 0);
  EXPECT_EQ(big->rows[590][790], 0) << "hidden by the map";
  EXPECT_NE(big->rows[610][790], 0) << "below the map: free";
  EXPECT_NE(big->rows[590][810], 0);
  EXPECT_NE(big->rows[880][1530], 0);
}

// What cannot be read is refused at open; rows past the height and runs past the width are
// kept, with the rows to draw and the need for a width cut recorded. An empty view draws nothing
// in every blitter.
TEST_F(Img256Draw, FramesAreCheckedWhenOpenedAndUncheckedOnesNeverDraw) {
  struct Case {
    const char* what;
    RawFrame frame;
    bool ok;
    uint32_t rows = 0;  // when it opens
    bool clip = false;
  };
  auto with = [](RawFrame f, auto change) {
    change(f);
    return f;
  };
  const RawFrame good = raw(4, 2, {255, 2, 0, 1, 255, 2, 255, 254, 2, 0, 253, 255, 4, 0, 1, 1, 2, 2, 3, 3, 4, 4, 253});
  const Case cases[] = {
      {"good", good, true, 2},
      {"lower-case magic", with(good, [](RawFrame& f) { f.lower_case_magic = true; }), true, 2},
      {"stream length short of a code's count", with(good, [](RawFrame& f) { f.stream_length = 2; }), false},
      {"run pairs past the stream", with(good, [](RawFrame& f) { f.stream_length = 6; }), false},
      {"stream past the frame", with(good, [](RawFrame& f) { f.stream_length = 400; }), false},
      {"stream offset past the frame", with(good, [](RawFrame& f) { f.stream_offset = 5000; }), false},
      {"stream inside the head", with(good, [](RawFrame& f) { f.stream_offset = 40; }), false},
      {"frame shorter than its head", with(good, [](RawFrame& f) { f.truncate_to = 807; }), false},
      {"frame cut inside the stream", with(good, [](RawFrame& f) { f.truncate_to = 815; }), false},
      {"run past the frame's width", raw(2, 1, {255, 3, 0, 1, 1, 1, 1, 1, 1}), true, 1, true},
      {"skip past the frame's width", raw(2, 1, {254, 1, 0, 255, 2, 0, 1, 1, 1, 1}), true, 1, true},
      {"run ending on the right edge", raw(2, 1, {254, 1, 0, 255, 1, 0, 1, 1, 254, 0, 0}), true, 1, false},
      {"rows past the height", raw(2, 1, {253, 255, 1, 0, 1, 1}), true, 1, false},
      {"wide run only past the height", raw(2, 1, {253, 255, 3, 0, 1, 1, 1, 1, 1, 1}), true, 1, false},
      {"run past the width and the stream", raw(2, 1, {255, 3, 0, 1, 1, 1, 1}), false},
      {"run past the stream below the last row", raw(2, 1, {253, 255, 2, 0, 1, 1}), false},
      {"skip count cut below the last row", raw(2, 1, {253, 253, 254, 1}), false},
      {"end code after the last row", raw(2, 1, {253, 0, 255, 9, 9}), true, 1},
      {"stream ends mid-row", raw(2, 2, {255, 1, 0, 4, 255}), true, 1},
      {"no height", raw(2, 0, {255, 1, 0, 4, 255}), true, 0},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = mdaw::img256_build(c.frame);
    Img256Frame view;
    EXPECT_EQ(img256_open(bytes.data(), bytes.size(), &view) == 0, c.ok) << c.what;
    EXPECT_EQ(view.valid(), c.ok) << c.what;
    EXPECT_EQ(view.rows(), c.rows) << c.what;
    EXPECT_EQ(view.needs_clip(), c.clip) << c.what;
  }
  std::vector<uint8_t> not_image(900, 7);
  Img256Frame view;
  EXPECT_EQ(img256_open(not_image.data(), not_image.size(), &view), -2);

  const Img256Frame empty;
  Bitmap b = make_bitmap(8, 8, 3);
  img256_draw(2, 2, &empty, b.get());
  img256_draw(2, 2, nullptr, b.get());
  img256_draw_faded(2, 2, &empty, b.get(), 0);
  img256_draw_scaled(2, 2, &empty, b.get(), 100);
  img256_draw_scaled_faded(2, 2, &empty, b.get(), 100, 0);
  img256_draw_additive(2, 2, &empty, b.get());
  img256_draw_additive_scaled(2, 2, &empty, b.get(), 100);
  img256_draw_width_limited(2, 2, 4, &empty, b.get());
  img256_draw_scattered(2, 2, &empty, b.get(), 100, 1);
  EXPECT_FALSE(img256_build_slot(&empty, 1));
  EXPECT_EQ(gfxt::difference(b.get(), make_bitmap(8, 8, 3).get()), "");
  IMG256_RECT r{1, 1, 1, 1};
  img256_get_rect(&empty, &r);
  EXPECT_EQ(r.right, 0);
}

TEST_F(Img256Draw, RectAndWindowFrameTiles) {
  Frame frame(gfxt::solid_frame(5, 3, {1, 2, 3, 255}, 0, 0, 7, 9));
  IMG256_RECT r;
  img256_get_rect(frame.get(), &r);
  EXPECT_EQ((std::vector<int>{r.left, r.top, r.right, r.bottom}), (std::vector<int>{7, 9, 12, 12}));

  // Each piece marks its tile with its own colour; 40 x 32 gives 3 tiles across, 2 down.
  std::vector<std::unique_ptr<Frame>> pieces;
  for (int i = 0; i < WINDOW_FRAME_PIECES; ++i) {
    pieces.push_back(std::make_unique<Frame>(gfxt::solid_frame(8, 8, {static_cast<uint8_t>(24 * (i + 1)), 0, 0, 255})));
    window_frame_images[i] = pieces.back()->view;
  }
  Bitmap b = make_bitmap(60, 50);
  draw_window_frame(4, 2, 40, 32, b.get());
  auto piece_in = [&](const BITMAP16* in, int x, int y) {
    for (int i = 0; i < WINDOW_FRAME_PIECES; ++i) {
      Bitmap one = make_bitmap(1, 1);
      img256_draw(0, 0, &window_frame_images[i], one.get());
      if (one->rows[0][0] == in->rows[y][x]) return i;
    }
    return -1;
  };
  auto piece_at = [&](int x, int y) { return piece_in(b.get(), x, y); };
  EXPECT_EQ(piece_at(4, 2), WINDOW_FRAME_TOP_LEFT);
  EXPECT_EQ(piece_at(12, 2), WINDOW_FRAME_TOP);
  EXPECT_EQ(piece_at(28, 2), WINDOW_FRAME_TOP);
  EXPECT_EQ(piece_at(36, 2), WINDOW_FRAME_TOP_RIGHT);
  EXPECT_EQ(piece_at(4, 10), WINDOW_FRAME_LEFT);
  EXPECT_EQ(piece_at(36, 18), WINDOW_FRAME_RIGHT);
  EXPECT_EQ(piece_at(4, 26), WINDOW_FRAME_BOTTOM_LEFT);
  EXPECT_EQ(piece_at(20, 26), WINDOW_FRAME_BOTTOM);
  EXPECT_EQ(piece_at(36, 26), WINDOW_FRAME_BOTTOM_RIGHT);
  EXPECT_EQ(b->rows[18][20], 0) << "the inside is not filled";
  EXPECT_EQ(b->rows[34][4], 0);
  EXPECT_EQ(b->rows[2][44], 0);
  Bitmap small = make_bitmap(30, 30);
  draw_window_frame(0, 0, 3, 3, small.get());  // below 16: the four corners only
  EXPECT_EQ(piece_in(small.get(), 0, 0), WINDOW_FRAME_TOP_LEFT);
  EXPECT_EQ(piece_in(small.get(), 8, 8), WINDOW_FRAME_BOTTOM_RIGHT);
}

}  // namespace
