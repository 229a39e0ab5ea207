// Decodes of every sampling and colour layout against libjpeg-turbo's decoder (plain
// up-sampling, accurate integer transform), into each pixel-buffer format.
#include <gtest/gtest.h>

#include "tests/jpeg/jpeg_test_util.h"

namespace {

using jt::Bytes;
using jt::DibSpec;
using jt::Image;
using jpegref::DecodeOpts;
using jpegref::EncodeOpts;

// Measured: the accurate transforms and colour arithmetic differ from libjpeg-turbo's by at most
// 3 levels (one from the transform, two from the colour rounding), PSNR above 50 dB.
constexpr int kMaxDiff = 3;
constexpr double kMinPsnr = 50.0;

struct Layout {
  const char* name;
  EncodeOpts opts;
};

std::vector<Layout> layouts() {
  std::vector<Layout> v;
  auto add = [&](const char* n, auto f) {
    EncodeOpts o;
    f(o);
    v.push_back({n, o});
  };
  add("s1x1", [](EncodeOpts& o) { o.h0 = 1, o.v0 = 1; });
  add("s2x1", [](EncodeOpts& o) { o.h0 = 2, o.v0 = 1; });
  add("s2x2", [](EncodeOpts& o) { o.h0 = 2, o.v0 = 2; });
  add("s1x2", [](EncodeOpts& o) { o.h0 = 1, o.v0 = 2; });
  add("s4x1", [](EncodeOpts& o) { o.h0 = 4, o.v0 = 1; });
  add("gray", [](EncodeOpts& o) { o.grayscale = true, o.h0 = 1, o.v0 = 1; });
  add("gray2x2", [](EncodeOpts& o) { o.grayscale = true, o.h0 = 2, o.v0 = 2; });
  add("rgb", [](EncodeOpts& o) { o.rgb = true, o.h0 = 1, o.v0 = 1; });
  add("q5_sof1", [](EncodeOpts& o) { o.quality = 5, o.force_baseline = false; });
  return v;
}

const int kSizes[][2] = {{1, 1}, {8, 8}, {16, 16}, {17, 17}, {20, 20}, {37, 29}, {800, 600}, {4096, 8}, {8, 4096}};

struct Format {
  const char* name;
  DibSpec spec;
};
const Format kFormats[] = {
    {"bgr", {3, JPEG_COLOR_BGR, 0, false}},   {"rgb", {3, JPEG_COLOR_RGB, 0, false}},
    {"gray", {1, JPEG_COLOR_GRAY, 0, false}}, {"quad", {4, JPEG_COLOR_QUAD, 0, false}},
    {"padded", {3, JPEG_COLOR_BGR, 3, false}}, {"bottomup", {3, JPEG_COLOR_BGR, 2, true}},
};

// libjpeg's picture in the layout of our buffer: grey, R,G,B, or R,G,B,255.
Image reference(const Bytes& jpeg, const DibSpec& spec, int scale = 1, bool fancy = false) {
  DecodeOpts o;
  o.scale_denom = scale;
  o.fancy = fancy;
  o.out = spec.color == JPEG_COLOR_GRAY ? DecodeOpts::Gray : DecodeOpts::Rgb;
  Image r = jpegref::decode(jpeg, o);
  if (spec.channels == 4) {
    Image q{r.w, r.h, 4, std::vector<uint8_t>(size_t(r.w) * r.h * 4)};
    for (size_t i = 0; i < size_t(r.w) * r.h; ++i) {
      for (int c = 0; c < 3; ++c) q.px[i * 4 + c] = r.px[i * 3 + c];
      q.px[i * 4 + 3] = 255;
    }
    return q;
  }
  return r;
}

TEST(JpegConformance, EveryLayoutAndFormatMatchesTheReference) {
  for (const Layout& l : layouts())
    for (const auto& sz : kSizes) {
      // the large pictures once per layout and format, the small ones in every combination
      Bytes jpeg = jt::encode(sz[0], sz[1], l.opts);
      for (const Format& f : kFormats) {
        SCOPED_TRACE(std::string(l.name) + " " + std::to_string(sz[0]) + "x" + std::to_string(sz[1]) + " " + f.name);
        jt::Decoded d = jt::decode(jpeg, 3, f.spec);
        if (l.opts.rgb && f.spec.color == JPEG_COLOR_GRAY) {
          EXPECT_EQ(d.rc, JPEG_ERR_PROPS);  // R,G,B streams have no grey output
          continue;
        }
        ASSERT_EQ(d.rc, 0);
        EXPECT_TRUE(d.guards);
        Image ref = reference(jpeg, f.spec);
        jt::Diff diff = jt::compare(d.img, ref);
        EXPECT_LE(diff.max, kMaxDiff);
        EXPECT_GE(diff.psnr, kMinPsnr);
        jt::dump(std::string(l.name) + "_" + std::to_string(sz[0]) + "x" + std::to_string(sz[1]) + "_" + f.name,
                 d.img, ref);
      }
    }
}

TEST(JpegConformance, FourChannelFilesMatchTheReference) {
  // CMYK is copied as stored; YCCK goes through the fixed kernels, whose three colour bytes
  // are the complements of libjpeg's C, M, Y.
  for (bool ycck : {false, true})
    for (int h0 : {1, 2})
      for (int v0 : {1, 2}) {
        if (h0 == 1 && v0 == 2) continue;
        EncodeOpts o;
        o.ycck = ycck;
        o.h0 = h0, o.v0 = v0;
        Bytes jpeg = jt::encode(37, 29, o, 4);
        SCOPED_TRACE(std::string(ycck ? "ycck " : "cmyk ") + std::to_string(h0) + "x" + std::to_string(v0));
        jt::Decoded params = jt::decode(jpeg, 1);
        EXPECT_EQ(params.after.jpg_color, ycck ? JPEG_COLOR_YCC4 : JPEG_COLOR_QUAD);
        JPEG_IMAGE_PROPS p{};
        ASSERT_EQ(JpegCodecInit(&p), 0);
        p.jpg_bytes = jpeg.data();
        p.jpg_size_bytes = int32_t(jpeg.size());
        ASSERT_EQ(JpegCodecRead(&p, 1), 0);
        jt::Dib dib(37, 29, {4, JPEG_COLOR_QUAD, 0, false});
        p.dib_bytes = dib.data();
        p.dib_width = 37;
        p.dib_height = 29;
        ASSERT_EQ(JpegCodecRead(&p, 3), 0);
        JpegCodecFree(&p);
        EXPECT_TRUE(dib.guards_intact());
        Image ours = dib.image();
        DecodeOpts ro;
        ro.out = DecodeOpts::Cmyk;
        Image ref = jpegref::decode(jpeg, ro);
        if (ycck)
          for (size_t i = 0; i < ref.px.size(); ++i)
            if (i % 4 != 3) ref.px[i] = uint8_t(255 - ref.px[i]);
        jt::Diff diff = jt::compare(ours, ref);
        EXPECT_LE(diff.max, kMaxDiff);
        EXPECT_GE(diff.psnr, kMinPsnr);
      }
}

TEST(JpegConformance, ScaledReadsMatchTheReferenceScaling) {
  // Measured: at most 2 levels from libjpeg-turbo's reduced transforms.
  const int modes[] = {15, 17, 19};
  const int scales[] = {2, 4, 8};
  for (const Layout& l : layouts())
    for (const auto& sz : kSizes) {
      if (sz[0] == 4096 || sz[1] == 4096) continue;
      Bytes jpeg = jt::encode(sz[0], sz[1], l.opts);
      for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(std::string(l.name) + " " + std::to_string(sz[0]) + "x" + std::to_string(sz[1]) + " 1/" +
                     std::to_string(scales[i]));
        jt::Decoded d = jt::decode(jpeg, modes[i], {3, JPEG_COLOR_RGB, 1, false});
        ASSERT_EQ(d.rc, 0);
        EXPECT_TRUE(d.guards);
        EXPECT_EQ(d.img.w, (sz[0] + scales[i] - 1) / scales[i]);
        EXPECT_EQ(d.img.h, (sz[1] + scales[i] - 1) / scales[i]);
        Image ref = reference(jpeg, {3, JPEG_COLOR_RGB, 0, false}, scales[i]);
        jt::Diff diff = jt::compare(d.img, ref);
        EXPECT_LE(diff.max, 3);
        EXPECT_GE(diff.psnr, 48.0);
      }
    }
}

TEST(JpegConformance, SmoothUpsamplingMatchesTheReferenceFancyUpsampling) {
  for (int v0 : {1, 2})
    for (const auto& sz : kSizes) {
      if (sz[0] * sz[1] > 100000) continue;
      EncodeOpts o;
      o.h0 = 2, o.v0 = v0;
      Bytes jpeg = jt::encode(sz[0], sz[1], o);
      SCOPED_TRACE(std::to_string(v0) + " " + std::to_string(sz[0]) + "x" + std::to_string(sz[1]));
      JPEG_IMAGE_PROPS p{};
      ASSERT_EQ(JpegCodecInit(&p), 0);
      p.jpg_bytes = jpeg.data();
      p.jpg_size_bytes = int32_t(jpeg.size());
      ASSERT_EQ(JpegCodecRead(&p, 1), 0);
      jt::Dib dib(p.jpg_width, p.jpg_height, {3, JPEG_COLOR_RGB, 1, false});
      p.dib_bytes = dib.data();
      p.dib_width = dib.w;
      p.dib_height = dib.h;
      p.dib_pad_bytes = 1;
      p.dib_color = JPEG_COLOR_RGB;
      p.state.row_buffer_switch = 1;
      ASSERT_EQ(JpegCodecRead(&p, 3), 0);
      JpegCodecFree(&p);
      EXPECT_TRUE(dib.guards_intact());
      Image ref = reference(jpeg, {3, JPEG_COLOR_RGB, 0, false}, 1, true);
      jt::Diff diff = jt::compare(dib.image(), ref);
      EXPECT_LE(diff.max, kMaxDiff);
      EXPECT_GE(diff.psnr, kMinPsnr);
    }
}

}  // namespace
