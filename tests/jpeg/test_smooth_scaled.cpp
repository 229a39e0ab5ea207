// Smooth (triangle-filter) up-sampling of 2x1 chroma in reads at 1/2 and 1/4 size: against
// libjpeg-turbo's fancy up-sampling at the same scale, exactly against the filter applied to the
// plain read's chroma, and unchanged reads with the switch off or at 1/8.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/jpeg/jpeg_test_util.h"

namespace {

using jt::Bytes;
using jt::DibSpec;
using jt::Image;
using jpegref::DecodeOpts;
using jpegref::EncodeOpts;

struct Read {
  int rc = 0;
  bool guards = true;
  Image img;
};

struct ReadOpts {
  int mode = 15;
  DibSpec spec{3, JPEG_COLOR_RGB, 3, false};
  int row_buffer_switch = 0;
  int jpg_color = 0;  // non-zero: overrides the colour the parameter read derived
  JpegRect roi{};
};

int scale_of(int mode) { return mode == 15 ? 2 : mode == 17 ? 4 : mode == 19 ? 8 : 1; }

// Parameter read, then the image read into a guarded buffer with the switch as asked.
Read read(const Bytes& jpeg, const ReadOpts& o) {
  Read out;
  JPEG_IMAGE_PROPS p{};
  EXPECT_EQ(JpegCodecInit(&p), 0);
  p.jpg_bytes = const_cast<uint8_t*>(jpeg.data());
  p.jpg_size_bytes = int32_t(jpeg.size());
  EXPECT_EQ(JpegCodecRead(&p, 1), 0);
  const int d = scale_of(o.mode);
  int w = (p.jpg_width + d - 1) / d, h = (p.jpg_height + d - 1) / d;
  if (o.roi.right) w = std::min(o.roi.right, w) - o.roi.left;
  if (o.roi.bottom) h = std::min(o.roi.bottom, h) - o.roi.top;
  jt::Dib dib(w, h, o.spec);
  p.dib_bytes = dib.data();
  p.dib_width = w;
  p.dib_height = o.spec.bottom_up ? -h : h;
  p.dib_pad_bytes = o.spec.pad;
  p.dib_channels = o.spec.channels;
  p.dib_color = o.spec.color;
  if (o.jpg_color) p.jpg_color = o.jpg_color;
  p.state.roi = o.roi;
  p.state.row_buffer_switch = o.row_buffer_switch;
  out.rc = JpegCodecRead(&p, o.mode);
  JpegCodecFree(&p);
  out.guards = dib.guards_intact();
  out.img = dib.image();
  return out;
}

Image reference_fancy(const Bytes& jpeg, int scale, int channels) {
  DecodeOpts o;
  o.scale_denom = scale;
  o.fancy = true;
  o.out = DecodeOpts::Rgb;
  Image r = jpegref::decode(jpeg, o);
  if (channels == 3) return r;
  Image q{r.w, r.h, 4, std::vector<uint8_t>(size_t(r.w) * r.h * 4)};
  for (size_t i = 0; i < size_t(r.w) * r.h; ++i) {
    for (int c = 0; c < 3; ++c) q.px[i * 4 + c] = r.px[i * 3 + c];
    q.px[i * 4 + 3] = 255;
  }
  return q;
}

Bytes encode_2x1(int w, int h, bool progressive = false) {
  EncodeOpts o;
  o.h0 = 2, o.v0 = 1;
  o.progressive = progressive;
  return jt::encode(w, h, o);
}

const int kSizes[][2] = {{1, 1}, {8, 8}, {17, 17}, {20, 20}, {37, 29}, {800, 600}, {8, 4096}};

struct Format {
  const char* name;
  DibSpec spec;
};
const Format kFormats[] = {
    {"rgb padded", {3, JPEG_COLOR_RGB, 3, false}},
    {"bgr bottom-up", {3, JPEG_COLOR_BGR, 1, true}},
    {"quad padded", {4, JPEG_COLOR_QUAD, 2, false}},
};

TEST(JpegSmoothScaled, MatchesTheReferenceFancyUpsamplingAtHalfAndQuarter) {
  // libjpeg-turbo's scaled fancy path filters 2x1 chroma with the same weights and edges; what
  // differs is its colour arithmetic. Measured: at most 1 level, PSNR above 57 dB (the plain
  // read is 25 to 31 dB from it). It repeats chroma rows of two samples or fewer, where we
  // filter: those widths are checked exactly in the next test instead.
  for (const auto& sz : kSizes) {
    const Bytes jpeg = encode_2x1(sz[0], sz[1]);
    for (int mode : {15, 17}) {
      if ((sz[0] + scale_of(mode) - 1) / scale_of(mode) <= 4) continue;
      for (const Format& f : kFormats) {
        SCOPED_TRACE(std::to_string(sz[0]) + "x" + std::to_string(sz[1]) + " 1/" + std::to_string(scale_of(mode)) +
                     " " + f.name);
        ReadOpts o;
        o.mode = mode;
        o.spec = f.spec;
        o.row_buffer_switch = 1;
        const Read smooth = read(jpeg, o);
        ASSERT_EQ(smooth.rc, 0);
        EXPECT_TRUE(smooth.guards);
        const Image ref = reference_fancy(jpeg, scale_of(mode), f.spec.channels);
        const jt::Diff diff = jt::compare(smooth.img, ref);
        EXPECT_LE(diff.max, 1);
        EXPECT_GE(diff.psnr, 55.0);
        jt::dump("smooth_scaled_" + std::to_string(sz[0]) + "x" + std::to_string(sz[1]) + "_" +
                     std::to_string(scale_of(mode)) + "_" + f.name,
                 smooth.img, ref);
      }
    }
  }
}

// The filter applied by hand to the chroma of the plain read (conversion off, so the buffer holds
// Y, Cb, Cr as decoded: Cb and Cr repeated over each pixel pair).
Image filter_by_hand(const Image& plain) {
  Image out = plain;
  const int cw = (plain.w + 1) / 2;
  for (int y = 0; y < plain.h; ++y)
    for (int c = 1; c < 3; ++c) {
      auto at = [&](int k) { return int(plain.px[(size_t(y) * plain.w + 2 * std::clamp(k, 0, cw - 1)) * 3 + c]); };
      for (int x = 0; x < plain.w; ++x) {
        const int k = x / 2;
        const int v = (x & 1) ? (3 * at(k) + at(k + 1) + 2) >> 2 : (3 * at(k) + at(k - 1) + 1) >> 2;
        out.px[(size_t(y) * plain.w + x) * 3 + c] = uint8_t(v);
      }
    }
  return out;
}

TEST(JpegSmoothScaled, FiltersThePlainReadsChromaExactly) {
  // Neighbours across block and MCU edges, the first and last column repeating the last real
  // sample, odd widths, sequential and progressive streams.
  const int sizes[][2] = {{1, 1}, {5, 3}, {8, 8}, {17, 17}, {37, 29}, {100, 20}, {8, 64}};
  for (bool progressive : {false, true})
    for (const auto& sz : sizes) {
      const Bytes jpeg = encode_2x1(sz[0], sz[1], progressive);
      for (int mode : {15, 17}) {
        SCOPED_TRACE(std::string(progressive ? "progressive " : "") + std::to_string(sz[0]) + "x" +
                     std::to_string(sz[1]) + " 1/" + std::to_string(scale_of(mode)));
        ReadOpts o;
        o.mode = mode;
        o.jpg_color = JPEG_COLOR_RGB;  // no conversion: samples land as they are
        const Read plain = read(jpeg, o);
        o.row_buffer_switch = 1;
        const Read smooth = read(jpeg, o);
        ASSERT_EQ(plain.rc, 0);
        ASSERT_EQ(smooth.rc, 0);
        EXPECT_TRUE(smooth.guards);
        const Image want = filter_by_hand(plain.img);
        ASSERT_EQ(smooth.img.px.size(), want.px.size());
        for (size_t i = 0; i < want.px.size(); ++i)
          ASSERT_EQ(smooth.img.px[i], want.px[i]) << "pixel " << i / 3 << " byte " << i % 3;
      }
    }
}

TEST(JpegSmoothScaled, OtherReadsStayThePlainRead) {
  // The switch off, a 1/8 read (one chroma sample per pair of luma samples, repeated) and
  // layouts other than 2x1 read bit-identically to the plain read.
  struct Case {
    const char* name;
    int h0, v0, mode, row_buffer_switch;
  };
  const Case cases[] = {
      {"2x1 half, switch off", 2, 1, 15, 0}, {"2x1 quarter, switch off", 2, 1, 17, 0},
      {"2x1 eighth", 2, 1, 19, 1},           {"2x2 half", 2, 2, 15, 1},
      {"2x2 quarter", 2, 2, 17, 1},          {"1x1 half", 1, 1, 15, 1},
      {"4x1 half", 4, 1, 15, 1},
  };
  for (const Case& c : cases)
    for (const Format& f : kFormats) {
      SCOPED_TRACE(std::string(c.name) + " " + f.name);
      EncodeOpts eo;
      eo.h0 = c.h0, eo.v0 = c.v0;
      const Bytes jpeg = jt::encode(37, 29, eo);
      ReadOpts o;
      o.mode = c.mode;
      o.spec = f.spec;
      o.row_buffer_switch = c.row_buffer_switch;
      const Read r = read(jpeg, o);
      const jt::Decoded plain = jt::decode(jpeg, c.mode, f.spec);
      ASSERT_EQ(r.rc, 0);
      ASSERT_EQ(plain.rc, 0);
      EXPECT_TRUE(r.guards);
      EXPECT_EQ(r.img.px, plain.img.px);
    }
}

TEST(JpegSmoothScaled, RegionIsACropOfTheWholeRead) {
  // Regions in output pixels; the filter still reads neighbours outside the region.
  const Bytes jpeg = encode_2x1(100, 60);
  const Bytes prog = encode_2x1(100, 60, true);
  struct Case {
    const char* name;
    int mode;
    JpegRect roi;
  };
  const Case cases[] = {
      {"inner half", 15, {5, 3, 31, 20}},   {"right edge half", 15, {33, 10, 50, 30}},
      {"one pixel", 15, {7, 7, 8, 8}},      {"inner quarter", 17, {3, 2, 14, 11}},
      {"odd left quarter", 17, {1, 0, 25, 15}},
  };
  for (const Bytes* j : {&jpeg, &prog})
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(j == &prog ? "progressive " : "") + c.name);
      ReadOpts o;
      o.mode = c.mode;
      o.row_buffer_switch = 1;
      const Read whole = read(*j, o);
      o.roi = c.roi;
      const Read part = read(*j, o);
      ASSERT_EQ(whole.rc, 0);
      ASSERT_EQ(part.rc, JPEG_ROI_SUCCESS);
      EXPECT_TRUE(part.guards);
      EXPECT_EQ(part.img.px, jt::crop(whole.img, c.roi.left, c.roi.top, c.roi.right - c.roi.left,
                                      c.roi.bottom - c.roi.top)
                                 .px);
    }
}

}  // namespace
