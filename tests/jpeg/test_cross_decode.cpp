// Our encoder's streams read by libjpeg: exactly the coefficients we quantised, for caller
// coefficients and for pixel writes of every colour pair, sampling, restart interval and scan
// script; the pictures close to the source; our decoder reading them like libjpeg.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "tests/jpeg/jpeg_test_util.h"

namespace {

using jt::Bytes;
using jt::WriteOpts;
using jpegref::Coefficients;
using jpegref::Image;

// Our decoder against libjpeg on our files: the conformance suite's full-size tolerance.
constexpr int kMaxDiff = 3;
constexpr double kMinPsnr = 51.0;
// libjpeg's pixels against the gradient picture at quality 75, measured over every pair and
// sampling below: worst 31.95 dB (16 x 16, R,G,B stream at 4:2:0), 46.74 dB at 800 x 600.
constexpr double kMinSourcePsnr = 31.5;
constexpr double kMinSourcePsnrLarge = 46.5;

// Sampling factors per code: component 0 (and 3 for codes 3 and 4) h x v, the others 1x1.
void factors(int code, int nc, int c, int* h, int* v) {
  const bool sampled = nc > 1 && (c == 0 || (c == 3 && (code == 3 || code == 4)));
  *h = sampled && code != 0 ? 2 : 1;
  *v = sampled && (code == 1 || code == 3) ? 2 : 1;
}

struct Planes {
  int across = 0, rows = 0;  // MCUs
  std::vector<std::vector<int16_t>> planes;
  std::vector<int> hs, vs;
};

Planes plane_shape(int w, int h, int nc, int code) {
  Planes p;
  int hmax = 1, vmax = 1;
  for (int c = 0; c < nc; ++c) {
    int hh, vv;
    factors(code, nc, c, &hh, &vv);
    p.hs.push_back(hh);
    p.vs.push_back(vv);
    hmax = std::max(hmax, hh);
    vmax = std::max(vmax, vv);
  }
  p.across = (w + 8 * hmax - 1) / (8 * hmax);
  p.rows = (h + 8 * vmax - 1) / (8 * vmax);
  for (int c = 0; c < nc; ++c) p.planes.emplace_back(size_t(p.across) * p.hs[size_t(c)] * p.rows * p.vs[size_t(c)] * 64);
  return p;
}

// Our decoder's planar read of the quantised coefficients.
Planes our_coefficients(const Bytes& jpeg, int w, int h, int nc, int code) {
  Planes pl = plane_shape(w, h, nc, code);
  JpegPlanar planar{};
  for (int c = 0; c < nc; ++c) planar.planes[c] = pl.planes[size_t(c)].data();
  JPEG_IMAGE_PROPS p{};
  EXPECT_EQ(JpegCodecInit(&p), 0);
  Bytes copy = jpeg;
  p.jpg_bytes = copy.data();
  p.jpg_size_bytes = int32_t(copy.size());
  p.state.planar = &planar;
  EXPECT_EQ(JpegCodecRead(&p, 3), 0);
  p.state.planar = nullptr;
  JpegCodecFree(&p);
  return pl;
}

// libjpeg's coefficients equal the planes (in libjpeg's unpadded block grid).
::testing::AssertionResult same_coefficients(const Coefficients& lj, const Planes& ours) {
  if (lj.planes.size() != ours.planes.size()) return ::testing::AssertionFailure() << "component count";
  for (size_t c = 0; c < lj.planes.size(); ++c) {
    const auto& lp = lj.planes[c];
    const int grid_w = ours.across * ours.hs[c];
    for (int by = 0; by < lp.blocks_h; ++by)
      for (int bx = 0; bx < lp.blocks_w; ++bx) {
        const int16_t* a = &lp.coef[(size_t(by) * lp.blocks_w + bx) * 64];
        const int16_t* b = &ours.planes[c][(size_t(by) * grid_w + bx) * 64];
        if (std::memcmp(a, b, 64 * sizeof(int16_t)) != 0)
          return ::testing::AssertionFailure() << "component " << c << " block " << bx << "," << by;
      }
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult same_coefficients(const Coefficients& a, const Coefficients& b) {
  if (a.planes.size() != b.planes.size()) return ::testing::AssertionFailure() << "component count";
  for (size_t c = 0; c < a.planes.size(); ++c)
    if (a.planes[c].coef != b.planes[c].coef) return ::testing::AssertionFailure() << "component " << c;
  return ::testing::AssertionSuccess();
}

struct Stream {
  const char* name;
  int nc, color, code;
};

TEST(JpegCrossDecode, CallerCoefficientsComeBackExactly) {
  const Stream streams[] = {
      {"grey", 1, JPEG_COLOR_GRAY, 0},         {"YCbCr 4:2:0", 3, JPEG_COLOR_YCBCR, 1},
      {"YCbCr 4:2:2", 3, JPEG_COLOR_YCBCR, 2}, {"R,G,B", 3, JPEG_COLOR_RGB, 0},
      {"two other", 2, JPEG_COLOR_OTHER, 0},   {"three other", 3, JPEG_COLOR_OTHER, 0},
      {"YCbCr and a fourth 2x2", 4, JPEG_COLOR_YCC4, 3}, {"YCbCr and a fourth 2x1", 4, JPEG_COLOR_YCC4, 4},
      {"four channels", 4, JPEG_COLOR_QUAD, 0}, {"four other", 4, JPEG_COLOR_OTHER, 0},
  };
  const int w = 37, h = 29;
  std::mt19937 rng(99);
  for (const Stream& s : streams) {
    Planes in = plane_shape(w, h, s.nc, s.code);
    // sparse coefficients across the whole range the standard tables code
    for (auto& plane : in.planes)
      for (size_t i = 0; i < plane.size(); ++i) {
        const bool dc = i % 64 == 0;
        if (!dc && rng() % 3) continue;
        const int span = dc ? 2001 : (rng() % 8 ? 61 : 2047);
        plane[i] = int16_t(int(rng() % uint32_t(span)) - span / 2);
      }
    JpegPlanar planar{};
    for (int c = 0; c < s.nc; ++c) planar.planes[c] = in.planes[size_t(c)].data();
    struct Road {
      const char* name;
      int restart;
      bool progressive;
    };
    for (const Road r : {Road{"baseline", 0, false}, Road{"restarts", 2, false}, Road{"progressive", 0, true}}) {
      SCOPED_TRACE(std::string(s.name) + ", " + r.name);
      Bytes out(400000);
      JPEG_IMAGE_PROPS p{};
      ASSERT_EQ(JpegCodecInit(&p), 0);
      p.state.planar = &planar;
      p.jpg_bytes = out.data();
      p.jpg_size_bytes = int32_t(out.size());
      p.jpg_width = w;
      p.jpg_height = h;
      p.jpg_channels = s.nc;
      p.jpg_color = s.color;
      p.jpg_subsampling = s.code;
      p.state.restart_interval = r.restart;
      p.state.progressive_switch = r.progressive;
      ASSERT_EQ(JpegCodecWrite(&p, 9), 0);
      out.resize(size_t(p.jpg_size_bytes));
      p.state.planar = nullptr;
      JpegCodecFree(&p);
      EXPECT_TRUE(same_coefficients(jpegref::read_coefficients(out), in));
    }
  }
}

struct Pair {
  const char* name;
  int dib_color, dib_channels, jpg_color, jpg_channels;
};

const Pair kPairs[] = {
    {"grey to grey", 4, 1, 4, 1},         {"grey to YCbCr", 4, 1, 3, 3},      {"R,G,B to grey", 1, 3, 4, 1},
    {"R,G,B to R,G,B", 1, 3, 1, 3},       {"R,G,B to YCbCr", 1, 3, 3, 3},     {"4-byte R,G,B to YCbCr", 1, 4, 3, 3},
    {"B,G,R to grey", 2, 3, 4, 1},        {"B,G,R to R,G,B", 2, 3, 1, 3},     {"B,G,R to YCbCr", 2, 3, 3, 3},
    {"four channels", 5, 4, 5, 4},        {"four to YCbCr and a fourth", 5, 4, 6, 4},
    {"YCbCr to YCbCr", 3, 3, 3, 3},       {"other", 255, 3, 255, 3},          {"other, 4 into 2", 255, 4, 255, 2},
};

std::vector<int> codes_for(int nc) {
  if (nc == 3) return {0, 1, 2};
  if (nc == 4) return {0, 3, 4};
  return {0};
}

// What libjpeg's pixels should look like: the source in the stream's terms.
Image expected_picture(const Image& src, const Pair& pr) {
  Image out{src.w, src.h, pr.jpg_channels == 1 ? 1 : pr.jpg_channels == 4 ? 4 : 3, {}};
  const size_t n = size_t(src.w) * src.h;
  out.px.resize(n * out.ch);
  for (size_t i = 0; i < n; ++i) {
    const uint8_t* p = &src.px[i * src.ch];
    uint8_t* o = &out.px[i * out.ch];
    if (out.ch == 1) {
      o[0] = src.ch == 1 ? p[0] : uint8_t((77 * p[0] + 150 * p[1] + 29 * p[2] + 128) >> 8);
    } else {
      for (int c = 0; c < out.ch; ++c) o[c] = src.ch == 1 ? p[0] : c < src.ch ? p[c] : uint8_t(40 + c);
    }
  }
  return out;
}

// Smooth ramps in every channel: the picture the source bound is set on.
Image gradient(int w, int h, int ch) {
  Image img{w, h, ch, std::vector<uint8_t>(size_t(w) * h * ch)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &img.px[(size_t(y) * w + x) * ch];
      const int v[4] = {x * 255 / std::max(1, w - 1), y * 255 / std::max(1, h - 1),
                        (x + y) * 255 / std::max(1, w + h - 2), 255 - x * 200 / std::max(1, w - 1)};
      for (int c = 0; c < ch; ++c) p[c] = uint8_t(ch == 1 ? v[2] : v[c]);
    }
  return img;
}

TEST(JpegCrossDecode, PixelWritesOfEveryPairSamplingAndScript) {
  for (const auto& [w, h] : {std::pair{37, 29}, std::pair{16, 16}, std::pair{800, 600}}) {
    for (const Pair& pr : kPairs) {
      if (w == 800 && pr.jpg_color != JPEG_COLOR_YCBCR) continue;  // the big picture for the usual road only
      const bool yccin = pr.dib_color == JPEG_COLOR_YCBCR || pr.dib_color == JPEG_COLOR_OTHER;
      const int ch = pr.dib_channels == 1 ? 1 : pr.dib_channels == 4 ? 4 : 3;
      for (int code : codes_for(pr.jpg_channels))
        for (const bool ramp : {false, true}) {
        const Image src = ramp ? gradient(w, h, ch) : jt::source(w, h, ch);
        const std::string name = std::string(pr.name) + " " + std::to_string(w) + "x" + std::to_string(h) + " code " +
                                 std::to_string(code) + (ramp ? " gradient" : " source");
        SCOPED_TRACE(name);
        WriteOpts s;
        s.dib_color = pr.dib_color, s.dib_channels = pr.dib_channels;
        s.jpg_color = pr.jpg_color, s.jpg_channels = pr.jpg_channels, s.sampling = code;
        const jt::Written base = jt::write(src, s);
        ASSERT_EQ(base.rc, 0);
        s.progressive = true;
        const jt::Written prog = jt::write(src, s);
        s.progressive = false;
        s.restart = 3;
        const jt::Written rst = jt::write(src, s);
        ASSERT_EQ(prog.rc, 0);
        ASSERT_EQ(rst.rc, 0);
        const Coefficients cb = jpegref::read_coefficients(base.jpeg);
        EXPECT_TRUE(same_coefficients(jpegref::read_coefficients(prog.jpeg), cb));
        EXPECT_TRUE(same_coefficients(jpegref::read_coefficients(rst.jpeg), cb));
        EXPECT_TRUE(same_coefficients(cb, our_coefficients(base.jpeg, w, h, pr.jpg_channels, code)));
        EXPECT_TRUE(same_coefficients(cb, our_coefficients(prog.jpeg, w, h, pr.jpg_channels, code)));
        if (yccin) continue;  // no picture to compare: the buffer's bytes are the stream's samples
        // libjpeg's picture against the source
        jpegref::DecodeOpts o;
        const Image lj = jpegref::decode(base.jpeg, o);
        const Image want = expected_picture(src, pr);
        ASSERT_EQ(lj.ch, want.ch);
        const jt::Diff to_src = jt::compare(lj, want);
        if (ramp) {
          EXPECT_GE(to_src.psnr, w >= 800 ? kMinSourcePsnrLarge : kMinSourcePsnr);
        }
        // our decoder reads the file as libjpeg does
        jt::DibSpec layout{want.ch == 1 ? 1 : want.ch == 4 ? 4 : 3,
                         want.ch == 1 ? JPEG_COLOR_GRAY : want.ch == 4 ? JPEG_COLOR_QUAD : JPEG_COLOR_BGR, 0, false};
        const jt::Decoded ours = jt::decode(base.jpeg, 3, layout);
        ASSERT_EQ(ours.rc, 0);
        // (a YCbCr-and-fourth-channel file comes back inverted in both: C,M,Y,K)
        const jt::Diff to_lj = jt::compare(ours.img, lj);
        EXPECT_LE(to_lj.max, kMaxDiff);
        EXPECT_GE(to_lj.psnr, kMinPsnr);
        jt::dump("encoded " + name, lj, want);
      }
    }
  }
}

// The tables (mode 11) and then the image (mode 13) written by one record.
std::pair<Bytes, Bytes> tables_then_image(const Image& src, const WriteOpts& s) {
  Bytes px = jt::dib_bytes(src, s), out(100000);
  std::pair<Bytes, Bytes> r;
  JPEG_IMAGE_PROPS p{};
  EXPECT_EQ(JpegCodecInit(&p), 0);
  p.dib_bytes = px.data();
  p.dib_width = p.jpg_width = src.w;
  p.dib_height = p.jpg_height = src.h;
  p.quality = s.quality;
  p.state.progressive_switch = s.progressive;
  for (int mode : {11, 13}) {
    p.jpg_bytes = out.data();
    p.jpg_size_bytes = int32_t(out.size());
    EXPECT_EQ(JpegCodecWrite(&p, mode), 0);
    (mode == 11 ? r.first : r.second).assign(out.begin(), out.begin() + p.jpg_size_bytes);
  }
  JpegCodecFree(&p);
  return r;
}

TEST(JpegCrossDecode, TablesThenAbbreviatedImage) {
  const Image& src = jt::source(37, 29, 3);
  for (bool progressive : {false, true}) {
    SCOPED_TRACE(progressive ? "progressive" : "baseline");
    WriteOpts s;
    s.progressive = progressive;
    s.quality = 30;
    const Bytes full = jt::write(src, s).jpeg;
    const auto [tables, image] = tables_then_image(src, s);
    ASSERT_FALSE(tables.empty());
    ASSERT_FALSE(image.empty());
    const Image whole = jpegref::decode(full);
    EXPECT_EQ(jpegref::decode_with_tables(tables, image).px, whole.px);
    // our reader: the tables (mode 5), then the entropy data (mode 7)
    Bytes t = tables, im = image;
    std::vector<uint8_t> dib(size_t(37) * 29 * 3);
    JPEG_IMAGE_PROPS p{};
    ASSERT_EQ(JpegCodecInit(&p), 0);
    p.jpg_bytes = t.data();
    p.jpg_size_bytes = int32_t(t.size());
    ASSERT_EQ(JpegCodecRead(&p, 5), 0);
    p.jpg_bytes = im.data();
    p.jpg_size_bytes = int32_t(im.size());
    p.dib_bytes = dib.data();
    p.dib_width = 37;
    p.dib_height = 29;
    p.dib_channels = 3;
    p.dib_color = JPEG_COLOR_RGB;
    ASSERT_EQ(JpegCodecRead(&p, 7), 0);
    JpegCodecFree(&p);
    const jt::Decoded ref = jt::decode(full, 3, jt::DibSpec{3, JPEG_COLOR_RGB, 0, false});
    ASSERT_EQ(ref.rc, 0);
    EXPECT_EQ(dib, ref.img.px);
  }
}

}  // namespace
