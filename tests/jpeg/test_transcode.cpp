// Lossless transcodes of one baseline picture decode bit-identically to it; progressive images
// that never complete their coefficients still produce pixels.
#include <gtest/gtest.h>

#include "tests/jpeg/jpeg_test_util.h"

namespace {

using jt::Bytes;
using jt::Image;
using jpegref::EncodeOpts;
using jpegref::TranscodeOpts;

struct Case {
  const char* name;
  TranscodeOpts opts;
};

std::vector<Case> cases() {
  std::vector<Case> v;
  auto add = [&](const char* n, auto f) {
    TranscodeOpts o;
    f(o);
    v.push_back({n, o});
  };
  add("progressive", [](TranscodeOpts& o) { o.progressive = true; });
  add("spectral", [](TranscodeOpts& o) { o.scans = jpegref::script_spectral(3); });
  add("successive", [](TranscodeOpts& o) { o.scans = jpegref::script_successive(3); });
  for (int r : {1, 2, 7, 8, 9}) {
    TranscodeOpts o;
    o.restart_blocks = r;
    v.push_back({r == 1 ? "restart1B" : r == 2 ? "restart2B" : r == 7 ? "restart7B" : r == 8 ? "restart8B" : "restart9B", o});
  }
  add("restart_row", [](TranscodeOpts& o) { o.restart_rows = 1; });
  add("progressive_restart2B", [](TranscodeOpts& o) {
    o.progressive = true;
    o.restart_blocks = 2;
  });
  add("optimized", [](TranscodeOpts& o) { o.optimize = true; });
  return v;
}

TEST(JpegTranscode, LosslessTranscodesDecodeIdentically) {
  for (auto [w, h] : std::vector<std::pair<int, int>>{{37, 29}, {17, 17}, {800, 600}})
    for (int h0 : {1, 2})
      for (int v0 : {1, 2}) {
        EncodeOpts eo;
        eo.h0 = h0, eo.v0 = v0;
        Bytes base = jt::encode(w, h, eo);
        jt::Decoded ref = jt::decode(base);
        ASSERT_EQ(ref.rc, 0);
        for (const Case& c : cases()) {
          SCOPED_TRACE(std::string(c.name) + " " + std::to_string(w) + "x" + std::to_string(h) + " " +
                       std::to_string(h0) + "x" + std::to_string(v0));
          Bytes t = jpegref::transcode(base, c.opts);
          jt::Decoded d = jt::decode(t);
          ASSERT_EQ(d.rc, 0);
          EXPECT_TRUE(d.img.px == ref.img.px);
        }
      }
}

TEST(JpegTranscode, OneComponentPerScanDiffersOnlyByTheGreenFormula) {
  // The interleaved decode converts in the fixed kernels, the one-component-per-scan decode in
  // the final pass: red and blue agree, green is equal or one lower.
  for (int h0 : {1, 2}) {
    EncodeOpts eo;
    eo.h0 = h0, eo.v0 = h0;
    Bytes base = jt::encode(37, 29, eo);
    TranscodeOpts to;
    to.scans = jpegref::script_per_component(3);
    Bytes per = jpegref::transcode(base, to);
    for (int color : {JPEG_COLOR_BGR, JPEG_COLOR_RGB}) {
      jt::Decoded a = jt::decode(base, 3, {3, color, 0, false});
      jt::Decoded b = jt::decode(per, 3, {3, color, 0, false});
      ASSERT_EQ(a.rc, 0);
      ASSERT_EQ(b.rc, 0);
      int lower = 0;
      for (size_t i = 0; i < a.img.px.size(); i += 3) {
        EXPECT_EQ(a.img.px[i], b.img.px[i]);
        EXPECT_EQ(a.img.px[i + 2], b.img.px[i + 2]);
        int dg = int(a.img.px[i + 1]) - int(b.img.px[i + 1]);
        EXPECT_TRUE(dg == 0 || dg == 1) << dg;
        lower += dg;
      }
      EXPECT_GT(lower, 0);
    }
  }
}

TEST(JpegTranscode, GreyWithTwoByTwoFactorsDecodesLikeItsOneByOneTwin) {
  EncodeOpts a, b;
  a.grayscale = b.grayscale = true;
  a.h0 = a.v0 = 1;
  b.h0 = b.v0 = 2;
  for (auto [w, h] : std::vector<std::pair<int, int>>{{37, 29}, {17, 17}, {8, 8}}) {
    jt::Decoded da = jt::decode(jt::encode(w, h, a), 3, {1, JPEG_COLOR_GRAY, 0, false});
    jt::Decoded db = jt::decode(jt::encode(w, h, b), 3, {1, JPEG_COLOR_GRAY, 0, false});
    ASSERT_EQ(da.rc, 0);
    ASSERT_EQ(db.rc, 0);
    EXPECT_TRUE(da.img.px == db.img.px);
  }
}

// Progressive stream with the AC scans of the chroma removed, and one cut after its last DC scan.
TEST(JpegTranscode, IncompleteProgressiveImagesStillProducePixels) {
  EncodeOpts eo;
  eo.progressive = true;
  Bytes prog = jt::encode(37, 29, eo);
  std::vector<jt::Segment> segs = jt::split(prog);
  std::vector<jt::Segment> no_chroma_ac;
  std::vector<jt::Segment> dc_only;
  bool dc_done = false;
  for (const jt::Segment& s : segs) {
    if (s.marker == 0xDA) {
      int ns = s.body[2];
      int ss = s.body[3 + 2 * ns];
      int comp_id = s.body[3];
      bool chroma_ac = ss > 0 && comp_id != 1;
      if (!chroma_ac) no_chroma_ac.push_back(s);
      if (ss == 0 && !dc_done) dc_only.push_back(s);
      if (ss > 0) dc_done = true;
      continue;
    }
    no_chroma_ac.push_back(s);
    if (!dc_done) dc_only.push_back(s);
  }
  jt::Decoded full = jt::decode(prog);
  ASSERT_EQ(full.rc, 0);
  jt::Decoded a = jt::decode(jt::join(no_chroma_ac));
  EXPECT_EQ(a.rc, 0);
  jt::Decoded b = jt::decode(jt::join(dc_only));  // cut: no EOI, the memory input just ends
  EXPECT_EQ(b.rc, JPEG_ERR_MEMORY);
  for (const jt::Decoded* d : {&a, &b}) {
    // pixels were written (the canary would remain otherwise) and resemble the picture
    int untouched = 0;
    for (uint8_t v : d->img.px) untouched += v == jt::Dib::kCanary;
    EXPECT_LT(untouched, int(d->img.px.size()) / 10);
    EXPECT_GT(jt::compare(d->img, full.img).psnr, 12.0);
  }
}

}  // namespace
