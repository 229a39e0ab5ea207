// The five pixel families: exact constants, round trips, the packed blend and the channel rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "graphics/pixel_ops/pixel_ops.h"
#include "graphics/pixel_ops/pixel_ramp.h"

namespace {

struct Family {
  int id;
  const char* name;
  uint32_t r, g, b;  // field masks
};
constexpr Family kFixed[] = {{1, "555", 0x7C00, 0x03E0, 0x001F},
                             {2, "655", 0xFC00, 0x03E0, 0x001F},
                             {3, "565", 0xF800, 0x07E0, 0x001F},
                             {4, "556", 0xF800, 0x07C0, 0x003F}};

class PixelOps : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = pixel_channels; }
  void TearDown() override { pixel_channels = saved_; }
  static void use_masks(uint32_t r, uint32_t g, uint32_t b) {
    pixel_channels = {pixel_channel_from_mask(r), pixel_channel_from_mask(g), pixel_channel_from_mask(b)};
  }
  PIXEL_CHANNELS saved_;
};

// Pixels that a family can hold: every pixel but 555's bit 15.
uint32_t pixel_limit(const Family& f) { return (f.r | f.g | f.b) + 1; }

int low_bit(uint32_t m) {
  int n = 0;
  while (!((m >> n) & 1u)) ++n;
  return n;
}

// t + floor((s - t) x (level >> 3) / 32) in each field.
uint16_t blend_reference(const Family& f, uint16_t s, uint16_t t, int level) {
  uint32_t out = 0;
  for (uint32_t m : {f.r, f.g, f.b}) {
    const int sh = low_bit(m);
    const int fs = static_cast<int>((s & m) >> sh), ft = static_cast<int>((t & m) >> sh);
    const int d = (fs - ft) * (level >> 3);
    const int q = d >= 0 ? d / 32 : -((-d + 31) / 32);
    out |= static_cast<uint32_t>(ft + q) << sh;
  }
  return static_cast<uint16_t>(out);
}

TEST_F(PixelOps, EveryPixelSurvivesBothRoundTrips) {
  for (const Family& f : kFixed) {
    const PIXEL_OPS& ops = pixel_ops_family(f.id);
    for (uint32_t p = 0; p < pixel_limit(f); ++p) {
      const auto px = static_cast<uint16_t>(p);
      ASSERT_EQ(ops.pack_rgb(ops.unpack_rgb(px)), px) << f.name << " rows 1/2 of " << p;
      int r, g, b;
      ops.unpack(px, &r, &g, &b);
      ASSERT_EQ(ops.pack(r, g, b), px) << f.name << " rows 9/10 of " << p;
    }
  }
  // The mask-driven family, with 565 and with 4-4-4 masks.
  struct Masks {
    uint32_t r, g, b, limit;
  };
  for (const Masks m : {Masks{0xF800, 0x07E0, 0x001F, 0x10000}, Masks{0x0F00, 0x00F0, 0x000F, 0x1000}}) {
    use_masks(m.r, m.g, m.b);
    const PIXEL_OPS& ops = pixel_ops_family(5);
    for (uint32_t p = 0; p < m.limit; ++p) {
      const auto px = static_cast<uint16_t>(p);
      ASSERT_EQ(ops.pack_rgb(ops.unpack_rgb(px)), px) << "mask rows 1/2 of " << p;
      int r, g, b;
      ops.unpack(px, &r, &g, &b);
      ASSERT_EQ(ops.pack(r, g, b), px) << "mask rows 9/10 of " << p;
    }
  }
}

// The id follows the channel widths, not where the channels sit, so a blue-high 565 screen still
// gets the 565 routines and a 32-bit screen of either order gets them too.
TEST(PixelFormatId, FollowsTheChannelWidths) {
  struct Case {
    uint32_t r, g, b;
    int id;
  };
  const Case cases[] = {{0x7C00, 0x03E0, 0x001F, PIXEL_FORMAT_555}, {0xFC00, 0x03E0, 0x001F, PIXEL_FORMAT_655},
                        {0xF800, 0x07E0, 0x001F, PIXEL_FORMAT_565}, {0xF800, 0x07C0, 0x003F, PIXEL_FORMAT_556},
                        {0x001F, 0x07E0, 0xF800, PIXEL_FORMAT_565}, {0xFF0000, 0x00FF00, 0x0000FF, PIXEL_FORMAT_565},
                        {0x0000FF, 0x00FF00, 0xFF0000, PIXEL_FORMAT_565}, {0x0F00, 0x00F0, 0x000F, PIXEL_FORMAT_ANY},
                        {0x3FF00000, 0x000FFC00, 0x000003FF, PIXEL_FORMAT_ANY}};
  for (const Case& c : cases) {
    const PIXEL_CHANNELS ch = {pixel_channel_from_mask(c.r), pixel_channel_from_mask(c.g), pixel_channel_from_mask(c.b)};
    EXPECT_EQ(pixel_format_id_of(ch), c.id) << std::hex << c.r << " " << c.g << " " << c.b;
  }
}

TEST_F(PixelOps, EdgeValuesOfEachFamily) {
  auto run = [](int id, auto fn) { return fn(pixel_ops_family(id)); };
  uint16_t px;
  // 555
  EXPECT_EQ(run(1, [](auto& o) { return o.pack_rgb(0xFFFFFF); }), 0x7FFF);
  EXPECT_EQ(run(1, [](auto& o) { return o.unpack_rgb(0x7FFF); }), 0xF8F8F8u);
  // 565
  EXPECT_EQ(run(3, [](auto& o) { return o.pack_rgb(0xFF0000); }), 0xF800);
  EXPECT_EQ(run(3, [](auto& o) { return o.get_red(0xF800); }), 248);
  // Row 13: level 255 goes 31/32 of the way; levels 0-7 change nothing.
  const uint16_t red555 = 0x7C00;
  px = 0;
  pixel_ops_family(1).blend(&red555, &px, 255);
  EXPECT_EQ(px, 0x7800);
  px = 0x1234;
  pixel_ops_family(1).blend(&red555, &px, 7);
  EXPECT_EQ(px, 0x1234);
  // Row 14 saturates each field.
  const uint16_t one_red = 0x0400;
  px = 0x7C00;
  pixel_ops_family(1).add(&one_red, &px);
  EXPECT_EQ(px, 0x7C00);
  // Row 19: the half mask drops each channel's lowest bit.
  const uint16_t white565 = 0xFFFF;
  px = 0;
  pixel_ops_family(3).mix(&white565, &px);
  EXPECT_EQ(px, 0x7BEF);
  // Row 15 of pure red: (30 x 248) / 100 = 74 in every channel.
  for (const Family& f : kFixed) {
    const PIXEL_OPS& o = pixel_ops_family(f.id);
    const uint16_t red = o.pack(248, 0, 0);
    uint16_t grey = 0;
    o.grey(&red, &grey);
    EXPECT_EQ(grey, o.pack(74, 74, 74)) << f.name;
  }
  // 655 row 8 with 255; 556 row 1 of blue.
  px = 0;
  pixel_ops_family(2).set_blue(&px, 255);
  EXPECT_EQ(px, 0x1F);
  EXPECT_EQ(run(4, [](auto& o) { return o.pack_rgb(0x0000FF); }), 0x3F);
  // Row 20 scales all three channels at once.
  px = 0xFFFF;
  pixel_ops_family(3).scale(&px, 16);
  EXPECT_EQ(px, pixel_ops_family(3).pack(120, 124, 120));
  // The mask family with 4-4-4 masks.
  use_masks(0x0F00, 0x00F0, 0x000F);
  EXPECT_EQ(pixel_ops_family(5).get_red(0x0F00), 240);
  EXPECT_EQ(pixel_ops_family(5).pack_rgb(0xFFFFFF), 0x0FFF);
}

TEST_F(PixelOps, PackedBlendEqualsThePerFieldFloorFormula) {
  std::mt19937 rng(1234);
  for (const Family& f : kFixed) {
    const PIXEL_OPS& ops = pixel_ops_family(f.id);
    std::uniform_int_distribution<uint32_t> pixel(0, pixel_limit(f) - 1);
    for (int i = 0; i < 1000000; ++i) {
      const auto s = static_cast<uint16_t>(pixel(rng)), t = static_cast<uint16_t>(pixel(rng));
      const int level = static_cast<int>(rng() & 0xFF);
      uint16_t d = t;
      ops.blend(&s, &d, level);
      ASSERT_EQ(d, blend_reference(f, s, t, level)) << f.name << " " << s << " over " << t << " at " << level;
    }
    // Every level on the extremes of each field.
    for (const uint16_t s : {uint16_t(0), static_cast<uint16_t>(f.r | f.g | f.b), static_cast<uint16_t>(f.r)}) {
      for (const uint16_t t : {uint16_t(0), static_cast<uint16_t>(f.r | f.g | f.b), static_cast<uint16_t>(f.g | f.b)}) {
        for (int level = 0; level < 256; ++level) {
          uint16_t d = t;
          ops.blend(&s, &d, level);
          ASSERT_EQ(d, blend_reference(f, s, t, level)) << f.name << " level " << level;
        }
      }
    }
  }
}

TEST_F(PixelOps, MaskFamilyWith565MasksMatchesThe565FamilyOnRows1To12) {
  use_masks(0xF800, 0x07E0, 0x001F);
  const PIXEL_OPS& m = pixel_ops_family(5);
  const PIXEL_OPS& f = pixel_ops_family(3);
  for (uint32_t p = 0; p < 0x10000; ++p) {
    const auto px = static_cast<uint16_t>(p);
    const uint32_t colour = (p * 2654435761u) & 0xFFFFFF;
    ASSERT_EQ(m.pack_rgb(colour), f.pack_rgb(colour));
    ASSERT_EQ(m.unpack_rgb(px), f.unpack_rgb(px));
    ASSERT_EQ(m.get_red(px), f.get_red(px));
    ASSERT_EQ(m.get_green(px), f.get_green(px));
    ASSERT_EQ(m.get_blue(px), f.get_blue(px));
    const int v = static_cast<int>(p & 0xFF);
    uint16_t a = px, b = px;
    m.set_red(&a, v);
    f.set_red(&b, v);
    ASSERT_EQ(a, b);
    m.set_green(&a, v);
    f.set_green(&b, v);
    ASSERT_EQ(a, b);
    m.set_blue(&a, v);
    f.set_blue(&b, v);
    ASSERT_EQ(a, b);
    ASSERT_EQ(m.pack(v, 255 - v, v / 2), f.pack(v, 255 - v, v / 2));
    ASSERT_EQ(m.to_555(px), f.to_555(px));
    ASSERT_EQ(m.from_555(px & 0x7FFF), f.from_555(px & 0x7FFF));
  }
}

// Rows 14, 16-18 and 21-30 against their definitions on 8-bit channels.
TEST_F(PixelOps, ChannelRowsFollowTheirDefinitions) {
  struct Case {
    int id;
    Family family;
  };
  std::vector<Case> cases;
  for (const Family& f : kFixed) cases.push_back({f.id, f});
  cases.push_back({5, {5, "4-4-4 masks", 0x0F00, 0x00F0, 0x000F}});
  use_masks(0x0F00, 0x00F0, 0x000F);
  std::mt19937 rng(99);
  auto cap = [](int c) { return c > 255 ? 255 : c; };
  auto floor0 = [](int c) { return c < 0 ? 0 : c; };
  for (const Case& c : cases) {
    const PIXEL_OPS& o = pixel_ops_family(c.id);
    // The largest 8-bit value of each channel, for the saturating rows.
    int top[3];
    o.unpack(static_cast<uint16_t>(c.family.r | c.family.g | c.family.b), &top[0], &top[1], &top[2]);
    std::uniform_int_distribution<uint32_t> pixel(0, pixel_limit(c.family) - 1);
    for (int i = 0; i < 20000; ++i) {
      const auto s = static_cast<uint16_t>(pixel(rng)), t = static_cast<uint16_t>(pixel(rng));
      const int level = static_cast<int>(rng() & 0xFF);
      int s_[3], t_[3];
      o.unpack(s, &s_[0], &s_[1], &s_[2]);
      o.unpack(t, &t_[0], &t_[1], &t_[2]);
      auto expect = [&](auto row, auto channel, const char* what) {
        int out[3];
        for (int k = 0; k < 3; ++k) out[k] = channel(k);
        uint16_t d = t;
        row(&d);
        ASSERT_EQ(d, o.pack(out[0], out[1], out[2])) << c.family.name << " " << what << " " << s << " " << t;
      };
      expect([&](uint16_t* d) { o.add(&s, d); }, [&](int k) { return std::min(s_[k] + t_[k], top[k]); }, "add");
      expect([&](uint16_t* d) { o.sub(&s, d); }, [&](int k) { return floor0(s_[k] - t_[k]); }, "sub");
      expect([&](uint16_t* d) { o.min(&s, d); }, [&](int k) { return std::min(s_[k], t_[k]); }, "min");
      expect([&](uint16_t* d) { o.max(&s, d); }, [&](int k) { return std::max(s_[k], t_[k]); }, "max");
      const int tint[4][3] = {{2, -2, -2}, {-2, 2, -2}, {-2, -2, 2}, {2, 2, -2}};
      void (*const tints[4])(const uint16_t*, uint16_t*) = {o.tint_red, o.tint_green, o.tint_blue, o.tint_yellow};
      for (int n = 0; n < 4; ++n) {
        expect([&](uint16_t* d) { tints[n](&s, d); },
               [&](int k) { return tint[n][k] > 0 ? cap(s_[k] * 2) : s_[k] / 2; }, "tint");
      }
      expect([&](uint16_t* d) { o.add_scaled(&s, d, level); },
             [&](int k) { return cap(t_[k] + s_[k] * level / 255); }, "add scaled");
      expect([&](uint16_t* d) { o.scaled(&s, d, level); }, [&](int k) { return s_[k] * level / 255; }, "scaled");
      expect([&](uint16_t* d) { o.reduced(&s, d, level); },
             [&](int k) { return s_[k] - s_[k] * level / 255; }, "reduced");
      const int dr = static_cast<int>(rng() & 0xFF), dg = static_cast<int>(rng() & 0xFF),
                db = static_cast<int>(rng() & 0xFF);
      const int delta[3] = {dr, dg, db};
      expect([&](uint16_t* d) { o.brighten(d, dr, dg, db); }, [&](int k) { return cap(t_[k] + delta[k]); },
             "brighten");
      expect([&](uint16_t* d) { o.darken(d, dr, dg, db); }, [&](int k) { return floor0(t_[k] - delta[k]); },
             "darken");
      expect([&](uint16_t* d) { o.toward_blue(&s, d, level); },
             [&](int k) {
               const int target = k == 2 ? cap(s_[k] * 2) : s_[k] / 2;
               return t_[k] + (target - t_[k]) * level / 255;
             },
             "toward blue");
    }
  }
}


}  // namespace

namespace {

// The falling-level row blend gives exactly what the installed slot gives pixel by pixel, for each
// family (the fixed ones run in vectors of eight, the mask-driven one through the slot), at every
// length around the vector width and levels across the whole range, in place or not.
TEST_F(PixelOps, BlendRampMatchesTheSlot) {
  const PIXEL_OPS installed = pixel_ops;
  use_masks(0xF00, 0x0F0, 0x00F);
  std::mt19937 rng(77);
  std::vector<uint16_t> src(300), under(300), got(300), want(300);
  for (int id = 1; id <= 5; ++id) {
    pixel_ops = pixel_ops_family(id);
    for (int n : {0, 1, 7, 8, 9, 16, 23, 255}) {
      for (int first : {n, n + 3, 254, 255}) {
        if (first < n || first > 255) continue;
        for (auto& p : src) p = static_cast<uint16_t>(rng());
        for (auto& p : under) p = static_cast<uint16_t>(rng());
        for (int i = 0; i < n; ++i) {
          want[i] = under[i];
          pixel_ops.blend(&src[i], &want[i], first - i);
        }
        got = under;
        pixel_blend_ramp(src.data(), under.data(), got.data(), n, first);  // in a separate row
        ASSERT_TRUE(std::equal(want.begin(), want.begin() + n, got.begin()))
            << "family " << id << " n " << n << " first " << first;
        ASSERT_TRUE(std::equal(under.begin() + n, under.end(), got.begin() + n)) << "wrote past n";
        pixel_blend_ramp(src.data(), under.data(), under.data(), n, first);  // in place
        ASSERT_TRUE(std::equal(want.begin(), want.begin() + n, under.begin())) << "in place, family " << id;
      }
    }
  }
  pixel_ops = installed;
}

}  // namespace
