// Decodes of every sampling and colour fixture against djpeg's decodes (plain up-sampling,
// accurate integer transform), into each pixel-buffer format; scaled and smooth reads likewise.
#include <gtest/gtest.h>

#include "tests/jpeg/jpeg_test_util.h"

namespace {

using jt::Bytes;
using jt::DibSpec;
using jt::Image;
using jpegref::DecodeOpts;
using jpegref::EncodeOpts;

// Tolerances against djpeg, tightened to the figures measured over the whole fixture set (worst
// case of every fixture and buffer format, class 0). Full-size decodes: the accurate transforms
// and colour rounding differ by at most 3 levels (one from the transform, two from the colour
// arithmetic), worst PSNR 51.3 dB; smooth up-sampling 3 levels, 55.8 dB.
// The vector classes (the suites' second pass, class 6) round their inverse transforms
// differently and floor their red and blue terms: measured worst 4 levels full size (3 smooth and
// four-channel), 48.34 dB full size, 53.05 dB smooth, 51.42 dB four-channel; reduced transforms
// are generic in every class.
// (Read when the tests run: the class comes from the program's arguments.)
using jt::vector_class;
int max_diff() { return vector_class() ? 4 : 3; }
constexpr int kMaxDiffSmooth = 3;
double min_psnr() { return vector_class() ? 48.3 : 51.0; }
double min_psnr_smooth() { return vector_class() ? 52.9 : 55.5; }
// Reduced transforms (1/2, 1/4, 1/8) and four-channel files: 2 levels, worst 52.9 and 52.6 dB.
constexpr int kMaxDiffScaled = 2;
constexpr double kMinPsnrScaled = 52.5;
int max_diff_quad() { return vector_class() ? 3 : 2; }
double min_psnr_quad() { return vector_class() ? 51.4 : 52.5; }

using jpegfix::Ref;
using jpegfix::Size;
using jpegfix::Variant;

struct Format {
  const char* name;
  DibSpec spec;
};
const Format kFormats[] = {
    {"bgr", {3, JPEG_COLOR_BGR, 0, false}},   {"rgb", {3, JPEG_COLOR_RGB, 0, false}},
    {"gray", {1, JPEG_COLOR_GRAY, 0, false}}, {"quad", {4, JPEG_COLOR_QUAD, 0, false}},
    {"padded", {3, JPEG_COLOR_BGR, 3, false}}, {"bottomup", {3, JPEG_COLOR_BGR, 2, true}},
};

// A djpeg picture (grey or R,G,B) in the layout of a 3- or 4-channel buffer: grey replicated,
// R,G,B,255 for four channels.
Image in_layout(const Image& ref, int channels) {
  if (ref.ch == channels) return ref;
  Image out{ref.w, ref.h, channels, std::vector<uint8_t>(size_t(ref.w) * ref.h * channels)};
  for (size_t i = 0; i < size_t(ref.w) * ref.h; ++i)
    for (int c = 0; c < channels; ++c) out.px[i * channels + c] = c == 3 ? 255 : ref.px[i * ref.ch + (ref.ch == 1 ? 0 : c)];
  return out;
}

TEST(JpegConformance, EveryLayoutAndFormatMatchesDjpeg) {
  for (const Variant& v : jpegfix::kVariants) {
    if (v.refused) continue;
    for (const Size sz : jpegfix::kSizes) {
      const std::string name = jpegfix::stem(v, sz);
      const Bytes jpeg = jpegfix::jpeg(v.name, sz);
      const Image plain = jpegfix::reference(v.name, sz, Ref::Plain);
      const Image grey = v.has_grey_ref ? jpegfix::reference(v.name, sz, Ref::Grey) : plain;
      for (const Format& f : kFormats) {
        SCOPED_TRACE(name + " into " + f.name);
        jt::Decoded d = jt::decode(jpeg, 3, f.spec);
        if (std::string(v.name) == "rgb" && f.spec.color == JPEG_COLOR_GRAY) {
          EXPECT_EQ(d.rc, JPEG_ERR_PROPS);  // R,G,B streams have no grey output
          continue;
        }
        ASSERT_EQ(d.rc, 0);
        EXPECT_TRUE(d.guards);
        const Image ref = f.spec.color == JPEG_COLOR_GRAY ? grey : in_layout(plain, f.spec.channels);
        jt::Diff diff = jt::compare(d.img, ref);
        EXPECT_LE(diff.max, max_diff());
        EXPECT_GE(diff.psnr, min_psnr());
        if (&f == &kFormats[0]) jt::dump(name, d.img, ref);
      }
    }
  }
}

// The quality-5 fixtures carry 16-bit tables in an SOF1 frame and decode (above); the
// arithmetic-coded ones are SOF9 and refused.
TEST(JpegConformance, FixtureCodingsAreTheNamedOnesAndArithmeticIsRefused) {
  for (const Size sz : jpegfix::kSizes) {
    SCOPED_TRACE(std::to_string(sz.w) + "x" + std::to_string(sz.h));
    std::vector<jt::Segment> q5 = jt::split(jpegfix::jpeg("q5", sz));
    bool sof1 = false, dqt16 = false;
    for (const jt::Segment& s : q5) {
      sof1 |= s.marker == 0xC1;
      dqt16 |= s.marker == 0xDB && s.body.size() > 2 && (s.body[2] >> 4) == 1;
    }
    EXPECT_TRUE(sof1);
    EXPECT_TRUE(dqt16);

    const Bytes arith = jpegfix::jpeg("arith", sz);
    bool sof9 = false;
    for (const jt::Segment& s : jt::split(arith)) sof9 |= s.marker == 0xC9;
    EXPECT_TRUE(sof9);
    for (int mode : {1, 3}) {
      JPEG_IMAGE_PROPS p{};
      ASSERT_EQ(JpegCodecInit(&p), 0);
      p.jpg_bytes = const_cast<uint8_t*>(arith.data());
      p.jpg_size_bytes = int32_t(arith.size());
      std::vector<uint8_t> dib(size_t(sz.w) * sz.h * 3 + 64);
      p.dib_bytes = dib.data();
      p.dib_width = sz.w;
      p.dib_height = sz.h;
      EXPECT_EQ(JpegCodecRead(&p, mode), JPEG_ERR_UNSUPPORTED_FRAME);
      JpegCodecFree(&p);
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
        // libjpeg's CMYK bytes: a YCbCr-and-fourth-channel picture comes out inverted, as ours
        const Image ref = jpegref::decode(jpeg, ro);
        jt::Diff diff = jt::compare(ours, ref);
        EXPECT_LE(diff.max, max_diff_quad());
        EXPECT_GE(diff.psnr, min_psnr_quad());
      }
}

TEST(JpegConformance, ScaledReadsMatchDjpegScaling) {
  const int modes[] = {15, 17, 19};
  for (const Variant& v : jpegfix::kVariants) {
    if (v.refused) continue;
    for (const Size sz : jpegfix::kSizes) {
      const Bytes jpeg = jpegfix::jpeg(v.name, sz);
      for (int i = 0; i < 3; ++i) {
        const int d = jpegfix::kScales[i];
        SCOPED_TRACE(jpegfix::stem(v, sz) + " 1/" + std::to_string(d));
        jt::Decoded got = jt::decode(jpeg, modes[i], {3, JPEG_COLOR_RGB, 1, false});
        ASSERT_EQ(got.rc, 0);
        EXPECT_TRUE(got.guards);
        EXPECT_EQ(got.img.w, (sz.w + d - 1) / d);
        EXPECT_EQ(got.img.h, (sz.h + d - 1) / d);
        const Image ref = in_layout(jpegfix::reference(v.name, sz, Ref::Scaled, d), 3);
        jt::Diff diff = jt::compare(got.img, ref);
        EXPECT_LE(diff.max, kMaxDiffScaled);
        EXPECT_GE(diff.psnr, kMinPsnrScaled);
      }
    }
  }
}

TEST(JpegConformance, SmoothUpsamplingMatchesDjpegDefaultUpsampling) {
  for (const Variant& v : jpegfix::kVariants) {
    if (!v.has_smooth_ref) continue;
    for (const Size sz : jpegfix::kSizes) {
      SCOPED_TRACE(jpegfix::stem(v, sz));
      const Bytes jpeg = jpegfix::jpeg(v.name, sz);
      JPEG_IMAGE_PROPS p{};
      ASSERT_EQ(JpegCodecInit(&p), 0);
      p.jpg_bytes = const_cast<uint8_t*>(jpeg.data());
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
      jt::Diff diff = jt::compare(dib.image(), jpegfix::reference(v.name, sz, Ref::Smooth));
      EXPECT_LE(diff.max, kMaxDiffSmooth);
      EXPECT_GE(diff.psnr, min_psnr_smooth());
    }
  }
}

}  // namespace
