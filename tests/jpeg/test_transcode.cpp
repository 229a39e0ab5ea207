// jpegtran's lossless transcodes of the baseline fixtures decode bit-identically to them;
// progressive images that never complete their coefficients still produce pixels.
#include <gtest/gtest.h>

#include "tests/jpeg/jpeg_test_util.h"

namespace {

using jt::Bytes;

using jpegfix::Size;

TEST(JpegTranscode, LosslessTranscodesDecodeIdentically) {
  for (const char* base_name : jpegfix::kTranscodeBases)
    for (const Size sz : jpegfix::kTranscodeSizes) {
      const Bytes base = jpegfix::jpeg(base_name, sz);
      jt::Decoded ref = jt::decode(base);
      ASSERT_EQ(ref.rc, 0);
      for (const jpegfix::Transcode& t : jpegfix::kTranscodes) {
        if (std::string(t.name) == "percomp") continue;  // differs by the green formula: below
        SCOPED_TRACE(jpegfix::stem(jpegfix::variant(base_name), sz) + " " + t.name);
        jt::Decoded d = jt::decode(jpegfix::transcoded(base_name, sz, t.name));
        ASSERT_EQ(d.rc, 0);
        EXPECT_TRUE(d.guards);
        EXPECT_TRUE(d.img.px == ref.img.px);
      }
    }
}

TEST(JpegTranscode, OneComponentPerScanDiffersOnlyByTheGreenFormula) {
  // The one-component-per-scan decode converts in the final pass. Where the interleaved decode
  // converts in a fixed kernel (1x1, 2x1, 2x2), red and blue agree and green is equal or one
  // lower; 1x2 converts in the general routine, with the final pass's formula: identical. The
  // vector classes' fixed kernels floor red and blue in whole MCUs (edge MCUs keep the generic
  // kernel), so there the final pass's red and blue may also be one higher.
  const struct {
    const char* base;
    bool fixed_kernel;
    int mcu_w, mcu_h;
  } kCases[] = {{"s1x1", true, 8, 8}, {"s2x1", true, 16, 8}, {"s2x2", true, 16, 16}, {"s1x2", false, 8, 16}};
  for (const auto& c : kCases)
    for (const Size sz : jpegfix::kTranscodeSizes) {
      SCOPED_TRACE(jpegfix::stem(jpegfix::variant(c.base), sz));
      const Bytes base = jpegfix::jpeg(c.base, sz);
      const Bytes per = jpegfix::transcoded(c.base, sz, "percomp");
      const JpegRect picture{0, 0, sz.w, sz.h};
      for (int color : {JPEG_COLOR_BGR, JPEG_COLOR_RGB}) {
        jt::Decoded a = jt::decode(base, 3, {3, color, 0, false});
        jt::Decoded b = jt::decode(per, 3, {3, color, 0, false});
        ASSERT_EQ(a.rc, 0);
        ASSERT_EQ(b.rc, 0);
        int lower = 0, other = 0;
        for (size_t i = 0; i < a.img.px.size(); i += 3) {
          const int x = int(i / 3) % sz.w, y = int(i / 3) / sz.w;
          const bool floored = jt::vector_class() && c.fixed_kernel && jt::whole_mcu(x, y, c.mcu_w, c.mcu_h, picture);
          for (size_t k : {i, i + 2}) {
            const int higher = int(b.img.px[k]) - int(a.img.px[k]);
            other += higher != 0 && !(higher == 1 && floored);
          }
          int dg = int(a.img.px[i + 1]) - int(b.img.px[i + 1]);
          other += dg != 0 && dg != 1;
          lower += dg;
        }
        EXPECT_EQ(other, 0);
        if (c.fixed_kernel)
          EXPECT_GT(lower, 0);
        else
          EXPECT_EQ(lower, 0);
      }
    }
}

TEST(JpegTranscode, GreyWithTwoByTwoFactorsDecodesLikeItsOneByOneTwin) {
  for (const Size sz : jpegfix::kSizes) {
    SCOPED_TRACE(std::to_string(sz.w) + "x" + std::to_string(sz.h));
    jt::Decoded da = jt::decode(jpegfix::jpeg("gray", sz), 3, {1, JPEG_COLOR_GRAY, 0, false});
    jt::Decoded db = jt::decode(jpegfix::jpeg("gray2x2", sz), 3, {1, JPEG_COLOR_GRAY, 0, false});
    ASSERT_EQ(da.rc, 0);
    ASSERT_EQ(db.rc, 0);
    EXPECT_TRUE(da.img.px == db.img.px);
  }
}

// Progressive stream with the AC scans of the chroma removed, and one cut after its last DC scan.
TEST(JpegTranscode, IncompleteProgressiveImagesStillProducePixels) {
  Bytes prog = jpegfix::transcoded("s2x2", {37, 29}, "progressive");
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
