// The encoder's MCU input: the slot kernels against the conversion formulas, the edge twins
// against convert-then-average, the general routines, and the choice of routine per layout.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "jpeg/internal.h"
#include "tests/jpeg/jpeg_test_util.h"

namespace {

using jt::Bytes;

int y_of(int r, int g, int b) { return (77 * r + 150 * g + 29 * b - 32640) >> 8; }
int cb_of(int r, int g, int b, int n) {  // n pixels summed: 1, 2 or 4
  const int sh = n == 1 ? 8 : n == 2 ? 9 : 10;
  return (128 * b - 43 * r - 85 * g + (1 << (sh - 1))) >> sh;
}
int cr_of(int r, int g, int b, int n) {
  const int sh = n == 1 ? 8 : n == 2 ? 9 : 10;
  return (128 * r - 107 * g - 21 * b + (1 << (sh - 1))) >> sh;
}

struct Kernel {
  const char* name;
  JpegEncodeInFn fn;
  int bpp;   // bytes per pixel
  int red;   // byte of red, -1 = no conversion
  bool inv;  // four-channel: the three bytes inverted
  int h, v;
};

const Kernel kKernels[] = {
    {"rgb_to_ycc_block", jcodec::rgb_to_ycc_block, 3, 0, false, 1, 1},
    {"rgb_to_ycc_h2v1", jcodec::rgb_to_ycc_h2v1, 3, 0, false, 2, 1},
    {"rgb_to_ycc_h2v2", jcodec::rgb_to_ycc_h2v2, 3, 0, false, 2, 2},
    {"bgr_to_ycc_block", jcodec::bgr_to_ycc_block, 3, 2, false, 1, 1},
    {"bgr_to_ycc_h2v1", jcodec::bgr_to_ycc_h2v1, 3, 2, false, 2, 1},
    {"bgr_to_ycc_h2v2", jcodec::bgr_to_ycc_h2v2, 3, 2, false, 2, 2},
    {"quad_to_ycc4_block", jcodec::quad_to_ycc4_block, 4, 0, true, 1, 1},
    {"quad_to_ycc4_h2v1", jcodec::quad_to_ycc4_h2v1, 4, 0, true, 2, 1},
    {"quad_to_ycc4_h2v2", jcodec::quad_to_ycc4_h2v2, 4, 0, true, 2, 2},
    {"ycc_split_block", jcodec::ycc_split_block, 3, -1, false, 1, 1},
    {"ycc_downsample_h2v1", jcodec::ycc_downsample_h2v1, 3, -1, false, 2, 1},
    {"ycc_downsample_h2v2", jcodec::ycc_downsample_h2v2, 3, -1, false, 2, 2},
    {"split4_block", jcodec::split4_block, 4, -1, false, 1, 1},
};

// The blocks a kernel must give, from the stated formulas (chroma from sums).
std::vector<int16_t> model(const Kernel& k, const uint8_t* px, ptrdiff_t step) {
  const int n = k.h * k.v, w = 8 * k.h, hh = 8 * k.v;
  std::vector<int16_t> b(size_t(n + 2 + (k.bpp == 4 ? n : 0)) * 64);
  auto at = [&](int x, int y) { return ((y / 8) * k.h + x / 8) * 64 + (y % 8) * 8 + x % 8; };
  for (int y = 0; y < hh; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = px + y * step + x * k.bpp;
      if (k.red < 0) {
        b[size_t(at(x, y))] = int16_t(p[0] - 128);
      } else {
        int r = p[k.red], g = p[1], bl = p[2 - k.red];
        if (k.inv) r = 255 - r, g = 255 - g, bl = 255 - bl;
        b[size_t(at(x, y))] = int16_t(y_of(r, g, bl));
      }
      if (k.bpp == 4) b[size_t((n + 2) * 64 + at(x, y))] = int16_t(p[3] - 128);
    }
  for (int cy = 0; cy < 8; ++cy)
    for (int cx = 0; cx < 8; ++cx) {
      int s[3] = {};
      for (int dy = 0; dy < k.v; ++dy)
        for (int dx = 0; dx < k.h; ++dx) {
          const uint8_t* p = px + (cy * k.v + dy) * step + (cx * k.h + dx) * k.bpp;
          for (int c = 0; c < 3; ++c) s[c] += k.inv ? 255 - p[c] : p[c];
        }
      int16_t* cb = &b[size_t(n) * 64];
      int16_t* cr = cb + 64;
      if (k.red < 0) {
        const int sh = n == 1 ? 0 : n == 2 ? 1 : 2, rnd = sh ? 1 << (sh - 1) : 0;
        cb[cy * 8 + cx] = int16_t(((s[1] + rnd) >> sh) - 128);
        cr[cy * 8 + cx] = int16_t(((s[2] + rnd) >> sh) - 128);
      } else {
        const int r = s[k.red], g = s[1], bl = s[2 - k.red];
        cb[cy * 8 + cx] = int16_t(cb_of(r, g, bl, n));
        cr[cy * 8 + cx] = int16_t(cr_of(r, g, bl, n));
      }
    }
  return b;
}

Bytes random_tile(std::mt19937& rng, int w, int h, int bpp) {
  Bytes t(size_t(w) * h * bpp);
  for (auto& v : t) v = uint8_t(rng());
  return t;
}

TEST(JpegEncodeInput, WhiteGivesLuma127AndNeutralChroma) {
  for (const Kernel& k : kKernels) {
    if (k.red < 0) continue;
    SCOPED_TRACE(k.name);
    // four-channel buffers are inverted: 0 bytes are white there
    Bytes px(size_t(16 * 16 * k.bpp), k.inv ? 0 : 255);
    std::vector<int16_t> b(640, 999);
    k.fn(px.data(), 16 * k.bpp, b.data());
    const int n = k.h * k.v;
    for (int i = 0; i < n * 64; ++i) ASSERT_EQ(b[size_t(i)], 127);
    for (int i = n * 64; i < (n + 2) * 64; ++i) ASSERT_EQ(b[size_t(i)], 0);
  }
}

TEST(JpegEncodeInput, EveryKernelFollowsItsFormulaOnRandomTiles) {
  std::mt19937 rng(31);
  for (const Kernel& k : kKernels) {
    SCOPED_TRACE(k.name);
    for (int trial = 0; trial < 200; ++trial) {
      const int stride = 16 * k.bpp + 5;  // a padded line
      Bytes px = random_tile(rng, 16 * k.bpp + 5, 16, 1);
      std::vector<int16_t> got(640, 0);
      k.fn(px.data(), stride, got.data());
      std::vector<int16_t> want = model(k, px.data(), stride);
      ASSERT_TRUE(std::equal(want.begin(), want.end(), got.begin())) << "trial " << trial;
    }
  }
  // grey and two-byte 4:2:2 pixels
  Bytes px = random_tile(rng, 32, 8, 1);
  std::vector<int16_t> b(256);
  jcodec::gray_to_block(px.data(), 32, b.data());
  for (int i = 0; i < 64; ++i) ASSERT_EQ(b[size_t(i)], px[size_t(i / 8 * 32 + i % 8)] - 128);
  jcodec::ycc422_split(px.data(), 32, b.data());
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) {
      ASSERT_EQ(b[size_t((x / 8) * 64 + y * 8 + x % 8)], px[size_t(y * 32 + 2 * x)] - 128);
      if (x < 8) {
        ASSERT_EQ(b[size_t(128 + y * 8 + x)], px[size_t(y * 32 + 4 * x + 1)] - 128);
        ASSERT_EQ(b[size_t(192 + y * 8 + x)], px[size_t(y * 32 + 4 * x + 3)] - 128);
      }
    }
}

TEST(JpegEncodeInput, BgrInputGivesTheBlocksOfTheSwappedRgbInput) {
  std::mt19937 rng(7);
  const std::pair<JpegEncodeInFn, JpegEncodeInFn> pairs[] = {{jcodec::rgb_to_ycc_block, jcodec::bgr_to_ycc_block},
                                                             {jcodec::rgb_to_ycc_h2v1, jcodec::bgr_to_ycc_h2v1},
                                                             {jcodec::rgb_to_ycc_h2v2, jcodec::bgr_to_ycc_h2v2}};
  for (const auto& [rgb, bgr] : pairs) {
    Bytes px = random_tile(rng, 16, 16, 3), sw = px;
    for (size_t i = 0; i < sw.size(); i += 3) std::swap(sw[i], sw[i + 2]);
    std::vector<int16_t> a(384), b(384);
    rgb(px.data(), 48, a.data());
    bgr(sw.data(), 48, b.data());
    EXPECT_EQ(a, b);
  }
}

// A 20 x 20 image at 4:2:0: the second MCU of each row and column has 4 valid pixels; the edge
// twin converts them, repeats column 3 and row 3, and averages converted chroma.
TEST(JpegEncodeInput, EdgeTwinRepeatsTheLastColumnAndRowThenAverages) {
  std::mt19937 rng(20);
  const Bytes img = random_tile(rng, 20, 20, 3);
  const ptrdiff_t step = 60;
  struct Mcu {
    int col, row, vw, vh;
  };
  for (const Mcu m : {Mcu{1, 0, 4, 16}, Mcu{0, 1, 16, 4}, Mcu{1, 1, 4, 4}}) {
    SCOPED_TRACE(std::to_string(m.col) + "," + std::to_string(m.row));
    const uint8_t* first = img.data() + m.row * 16 * step + m.col * 16 * 3;
    std::vector<int16_t> got(384);
    jcodec::encode_edge(jcodec::EncodeKind::Rgb, 2, 2, first, step, m.vw, m.vh, got.data());
    int yv[16][16], cbv[16][16], crv[16][16];
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        const uint8_t* p = first + std::min(y, m.vh - 1) * step + std::min(x, m.vw - 1) * 3;
        yv[y][x] = y_of(p[0], p[1], p[2]);
        cbv[y][x] = cb_of(p[0], p[1], p[2], 1);
        crv[y][x] = cr_of(p[0], p[1], p[2], 1);
      }
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) ASSERT_EQ(got[size_t(((y / 8) * 2 + x / 8) * 64 + (y % 8) * 8 + x % 8)], yv[y][x]);
    for (int cy = 0; cy < 8; ++cy)
      for (int cx = 0; cx < 8; ++cx) {
        const int y = 2 * cy, x = 2 * cx;
        ASSERT_EQ(got[size_t(256 + cy * 8 + cx)], (cbv[y][x] + cbv[y][x + 1] + cbv[y + 1][x] + cbv[y + 1][x + 1] + 2) >> 2);
        ASSERT_EQ(got[size_t(320 + cy * 8 + cx)], (crv[y][x] + crv[y][x + 1] + crv[y + 1][x] + crv[y + 1][x + 1] + 2) >> 2);
      }
  }
  // the 2x1 twin averages pairs with (a + b + 1) >> 1
  std::vector<int16_t> got(256);
  jcodec::encode_edge(jcodec::EncodeKind::Bgr, 2, 1, img.data(), step, 3, 8, got.data());
  for (int cx = 0; cx < 8; ++cx) {
    auto cb_at = [&](int x) {
      const uint8_t* p = img.data() + std::min(x, 2) * 3;
      return cb_of(p[2], p[1], p[0], 1);
    };
    ASSERT_EQ(got[size_t(128 + cx)], (cb_at(2 * cx) + cb_at(2 * cx + 1) + 1) >> 1);
  }
}

// ---- through a write: the routine chosen for a layout, and the general routines ----------------

struct Layout {
  const char* name;
  int dib_color, dib_channels, jpg_color, jpg_channels, sampling;
  int dib_subsampling;
  int code;
};

// Writes a 24 x 20 picture with the layout and keeps the record open for a look at its state.
struct OpenWrite {
  JPEG_IMAGE_PROPS p{};
  Bytes px, out = Bytes(200000);
  int rc = 0;
  explicit OpenWrite(const Layout& l, int w = 24, int h = 20) {
    EXPECT_EQ(JpegCodecInit(&p), 0);
    std::mt19937 rng(uint32_t(l.dib_color * 7 + l.jpg_channels));
    const int bpp = l.dib_subsampling == 2 ? 2 : l.dib_channels;
    px.resize(size_t(w) * h * bpp);
    for (auto& v : px) v = uint8_t(rng());
    p.dib_bytes = px.data();
    p.dib_width = w;
    p.dib_height = h;
    p.dib_channels = l.dib_channels;
    p.dib_color = l.dib_color;
    p.dib_subsampling = l.dib_subsampling;
    p.jpg_bytes = out.data();
    p.jpg_size_bytes = int32_t(out.size());
    p.jpg_width = w;
    p.jpg_height = h;
    p.jpg_channels = l.jpg_channels;
    p.jpg_color = l.jpg_color;
    p.jpg_subsampling = l.sampling;
    rc = JpegCodecWrite(&p, 9);
  }
  ~OpenWrite() { JpegCodecFree(&p); }
  // The level-shifted blocks of one MCU as the chosen routine makes them.
  std::vector<int16_t> mcu(int col, int row) {
    JPEG_PROPERTIES& st = p.state;
    EXPECT_EQ(st.table->encode_mcu_current(&st, col, row), 0);
    return std::vector<int16_t>(st.mcu_buf, st.mcu_buf + st.frame.blocks_per_mcu * 64);
  }
  const uint8_t* pixel(int x, int y) const {
    const int bpp = p.dib_subsampling == 2 ? 2 : p.dib_channels;
    return px.data() + (size_t(y) * p.dib_width + size_t(x)) * size_t(bpp);
  }
};

TEST(JpegEncodeInput, EachLayoutChoosesItsRoutine) {
  const Layout rows[] = {
      {"R,G,B 4:2:0", 1, 3, 3, 3, 1, 0, 3},         {"B,G,R 4:2:0", 2, 3, 3, 3, 1, 0, 4},
      {"R,G,B 4:2:2", 1, 3, 3, 3, 2, 0, 5},         {"B,G,R 4:2:2", 2, 3, 3, 3, 2, 0, 6},
      {"R,G,B 4:4:4", 1, 3, 3, 3, 0, 0, 1},         {"B,G,R 4:4:4", 2, 3, 3, 3, 0, 0, 2},
      {"4-byte R,G,B 4:2:0", 1, 4, 3, 3, 1, 0, 0},  {"4-byte R,G,B 4:4:4", 1, 4, 3, 3, 0, 0, 0},
      {"four-channel 2x2", 5, 4, 6, 4, 3, 0, 11},   {"four-channel 2x1", 5, 4, 6, 4, 4, 0, 12},
      {"four-channel 1x1", 5, 4, 6, 4, 0, 0, 10},   {"grey from R,G,B", 1, 3, 4, 1, 0, 0, 0},
      {"YCbCr 4:2:0", 3, 3, 3, 3, 1, 0, 16},        {"YCbCr 4:2:2", 3, 3, 3, 3, 2, 0, 17},
      {"YCbCr 4:2:2 buffer", 3, 3, 3, 3, 2, 2, 18}, {"YCbCr 4:4:4", 3, 3, 3, 3, 0, 0, 15},
      {"grey", 4, 1, 4, 1, 0, 0, 20},               {"four channels copied", 5, 4, 5, 4, 0, 0, 14},
      {"grey into YCbCr", 4, 1, 3, 3, 0, 0, 0},     {"B,G,R into R,G,B", 2, 3, 1, 3, 0, 0, 0},
      {"R,G,B into R,G,B", 1, 3, 1, 3, 0, 0, 15},   {"B,G,R into R,G,B 4:2:0", 2, 3, 1, 3, 1, 0, 0},
      {"other, 5 bytes into 2", 255, 5, 255, 2, 0, 0, 0},
  };
  for (const Layout& l : rows) {
    SCOPED_TRACE(l.name);
    OpenWrite w(l);
    ASSERT_EQ(w.rc, 0);
    EXPECT_EQ(w.p.state.fast_path_code, l.code);
  }
}

TEST(JpegEncodeInput, GeneralRoutinesAverageThenConvertOrCopy) {
  struct Case {
    Layout l;
    // expected level-shifted value of component c at component sample (x, y)
    int (*want)(const OpenWrite& w, int c, int x, int y);
  };
  const Case cases[] = {
      {{"4-byte R,G,B into YCbCr 4:2:0", 1, 4, 3, 3, 1, 0, 0}, [](const OpenWrite& w, int c, int x, int y) {
         if (c == 0) {
           const uint8_t* p = w.pixel(x, y);
           return y_of(p[0], p[1], p[2]);
         }
         int s[3] = {};
         for (int k = 0; k < 3; ++k)
           for (int dy = 0; dy < 2; ++dy)
             for (int dx = 0; dx < 2; ++dx) s[k] += w.pixel(2 * x + dx, 2 * y + dy)[k];
         const int r = (s[0] + 2) / 4, g = (s[1] + 2) / 4, b = (s[2] + 2) / 4;
         return c == 1 ? cb_of(r, g, b, 1) : cr_of(r, g, b, 1);
       }},
      {{"grey from B,G,R", 2, 3, 4, 1, 0, 0, 0}, [](const OpenWrite& w, int, int x, int y) {
         const uint8_t* p = w.pixel(x, y);
         return y_of(p[2], p[1], p[0]);
       }},
      {{"grey into YCbCr", 4, 1, 3, 3, 0, 0, 0},
       [](const OpenWrite& w, int c, int x, int y) { return c == 0 ? w.pixel(x, y)[0] - 128 : 0; }},
      {{"B,G,R into R,G,B", 2, 3, 1, 3, 0, 0, 0},
       [](const OpenWrite& w, int c, int x, int y) { return w.pixel(x, y)[2 - c] - 128; }},
      {{"other colour copies", 255, 5, 255, 3, 0, 0, 0},
       [](const OpenWrite& w, int c, int x, int y) { return w.pixel(x, y)[c] - 128; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.l.name);
    OpenWrite w(c.l, 32, 32);
    ASSERT_EQ(w.rc, 0);
    ASSERT_EQ(w.p.state.fast_path_code, 0);
    const JpegFrame& fr = w.p.state.frame;
    for (int row = 0; row < fr.mcu_rows; ++row)
      for (int col = 0; col < fr.mcus_across; ++col) {
        const std::vector<int16_t> b = w.mcu(col, row);
        for (int comp = 0; comp < fr.ncomp; ++comp) {
          const JpegFrameComponent& fc = fr.comps[comp];
          for (int k = 0; k < fc.h * fc.v; ++k)
            for (int i = 0; i < 64; ++i) {
              const int x = (col * fc.h + k % fc.h) * 8 + i % 8, y = (row * fc.v + k / fc.h) * 8 + i / 8;
              ASSERT_EQ(b[size_t((fc.block_offset + k) * 64 + i)], c.want(w, comp, x, y))
                  << "component " << comp << " at " << x << "," << y;
            }
        }
      }
  }
}

// A layout that no routine serves and one component per scan fail the write with -8 instead of
// calling an empty or stale routine; no components with both switches on is -14.
TEST(JpegEncodeInput, UnservedLayoutsAreRefused) {
  {
    OpenWrite w({"B,G,R 4:2:0", 2, 3, 3, 3, 1, 0, 4});
    ASSERT_EQ(w.rc, 0);
    // two components converted from colour: no routine computes that
    w.p.use_state = 1;
    w.p.state.f.jpg_channels = 2;
    w.p.state.f.jpg_color = JPEG_COLOR_OTHER;
    w.p.state.f.jpg_subsampling = 0;
    w.p.state.f.jpg_size_bytes = int32_t(w.out.size());
    EXPECT_EQ(JpegCodecWrite(&w.p, 9), JPEG_ERR_PROPS);
  }
  {
    OpenWrite w({"B,G,R 4:2:0", 2, 3, 3, 3, 1, 0, 4});
    w.p.state.interleave = 1;
    EXPECT_EQ(JpegCodecWrite(&w.p, 9), JPEG_ERR_PROPS);
    EXPECT_EQ(w.p.state.table->encode_mcu_current(&w.p.state, 0, 0), JPEG_ERR_PROPS);
  }
  JPEG_IMAGE_PROPS p{};
  ASSERT_EQ(JpegCodecInit(&p), 0);
  p.state.frame.ncomp = 0;
  p.state.conversion = 1;
  p.state.upsample = 1;
  EXPECT_EQ(jcodec::select_encode_mcu(&p.state), JPEG_ERR_COMP);
  p.state.frame.ncomp = 256;
  EXPECT_EQ(jcodec::select_encode_mcu(&p.state), JPEG_ERR_COMP);
  JpegCodecFree(&p);
}

}  // namespace

namespace {

// A two-byte 4:2:2 buffer (Y0, Cb, Y1, Cr) codes like the three-byte YCbCr buffer whose pixel
// pairs share those Cb and Cr; a last pixel without a partner has neutral Cr.
TEST(JpegEncodeInput, FourTwoTwoBufferCodesLikeItsThreeByteTwin) {
  for (const int w : {32, 37}) {
    SCOPED_TRACE(w);
    const int h = 19;
    std::mt19937 rng{uint32_t(w)};
    Bytes two(size_t(w) * 2 * h), three(size_t(w) * 3 * h);
    for (auto& v : two) v = uint8_t(rng());
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const uint8_t* r = &two[size_t(y) * w * 2];
        const int pair = x & ~1;
        uint8_t* o = &three[(size_t(y) * w + x) * 3];
        o[0] = r[2 * x];
        o[1] = r[2 * pair + 1];
        o[2] = pair + 1 < w ? r[2 * pair + 3] : 128;
      }
    Bytes streams[2];
    for (int k = 0; k < 2; ++k) {
      Bytes out(100000);
      JPEG_IMAGE_PROPS p{};
      ASSERT_EQ(JpegCodecInit(&p), 0);
      p.dib_bytes = k ? two.data() : three.data();
      p.dib_width = p.jpg_width = w;
      p.dib_height = p.jpg_height = h;
      p.dib_channels = 3;
      p.dib_color = JPEG_COLOR_YCBCR;
      p.dib_subsampling = k ? 2 : 0;
      p.jpg_subsampling = 2;
      p.jpg_bytes = out.data();
      p.jpg_size_bytes = int32_t(out.size());
      ASSERT_EQ(JpegCodecWrite(&p, 9), 0);
      EXPECT_EQ(p.state.fast_path_code, k ? 18 : 17);
      streams[k].assign(out.begin(), out.begin() + p.jpg_size_bytes);
      JpegCodecFree(&p);
    }
    EXPECT_EQ(streams[0], streams[1]);
  }
}

}  // namespace
