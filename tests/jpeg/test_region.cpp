// Regions of interest, clipping at the buffer and region edges, interruption and resumption,
// and the file-mode pairs.
#include <gtest/gtest.h>

#include "jpeg/internal.h"
#include "tests/jpeg/jpeg_test_util.h"

namespace {

using jt::Bytes;
using jt::Image;

struct Input {
  const char* name;
  Bytes jpeg;
  int mcu_w = 16, mcu_h = 16;
  bool fixed_kernels = true;  // colour MCUs go through the slots' kernels (not the in-place pass)
};

// Sequential, restart-7B, progressive, grey and one-component-per-scan fixtures, 37x29.
std::vector<Input> inputs() {
  const jpegfix::Size sz{37, 29};
  return {
      {"seq2x2", jpegfix::jpeg("s2x2", sz)},
      {"restart7B", jpegfix::transcoded("s2x1", sz, "restart7B"), 16, 8},
      {"progressive", jpegfix::transcoded("s2x2", sz, "progressive")},
      {"gray", jpegfix::jpeg("gray", sz), 8, 8, false},
      {"per_component", jpegfix::transcoded("s2x2", sz, "percomp"), 16, 16, false},
  };
}

// A region decode r of a colour picture against the crop of its full decode: identical, except
// in the vector classes where an MCU whole in the picture (red and blue floored) is clipped by
// the region (generic rounding): there red and blue may be one higher, green is the same.
// Returns the pixels that break this, reporting the first.
int region_mismatches(const Image& region, const Image& full, const JpegRect& r, const Input& in, bool colour) {
  const JpegRect picture{0, 0, full.w, full.h};
  const JpegRect visible{r.left, r.top, std::min(r.right, full.w), std::min(r.bottom, full.h)};
  if (region.w != visible.right - visible.left || region.h != visible.bottom - visible.top) return -1;
  int bad = 0;
  for (int y = 0; y < region.h; ++y)
    for (int x = 0; x < region.w; ++x) {
      const int fx = x + r.left, fy = y + r.top;
      const bool may_be_higher = jt::vector_class() && colour && in.fixed_kernels &&
                                 jt::whole_mcu(fx, fy, in.mcu_w, in.mcu_h, picture) &&
                                 !jt::whole_mcu(fx, fy, in.mcu_w, in.mcu_h, visible);
      for (int c = 0; c < region.ch; ++c) {
        const int d = int(region.px[(size_t(y) * region.w + x) * region.ch + c]) -
                      int(full.px[(size_t(fy) * full.w + fx) * full.ch + c]);
        const bool ok = d == 0 || (d == 1 && may_be_higher && c != 1);
        if (!ok && bad++ == 0) ADD_FAILURE() << "pixel " << fx << "," << fy << " channel " << c << " differs by " << d;
      }
    }
  return bad;
}

TEST(JpegRegion, RegionsEqualTheCropOfTheFullDecode) {
  const JpegRect regions[] = {
      {16, 16, 32, 29},  // MCU-aligned
      {3, 5, 30, 20},    // unaligned
      {20, 10, 37, 29},  // touching right and bottom
      {30, 20, 60, 50},  // beyond the edge: clipped
      {5, 5, 6, 6},      // one pixel
      {16, 0, 37, 29},   // the first MCU column ends exactly at left
      {20, 0, 37, 16},   // starts inside the second MCU column
  };
  for (const Input& in : inputs())
    for (int color : {JPEG_COLOR_BGR, JPEG_COLOR_GRAY}) {
      if (color == JPEG_COLOR_GRAY && std::string(in.name) != "gray" && std::string(in.name) != "seq2x2") continue;
      jt::DibSpec spec{color == JPEG_COLOR_GRAY ? 1 : 3, color, 3, false};
      jt::Decoded full = jt::decode(in.jpeg, 7, spec);
      ASSERT_EQ(full.rc, 0);
      for (const JpegRect& r : regions) {
        SCOPED_TRACE(std::string(in.name) + " " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                     std::to_string(r.right) + "," + std::to_string(r.bottom));
        jt::Decoded d = jt::decode(in.jpeg, 7, spec, r);
        EXPECT_EQ(d.rc, JPEG_ROI_SUCCESS);
        EXPECT_TRUE(d.guards);
        EXPECT_EQ(region_mismatches(d.img, full.img, r, in, color != JPEG_COLOR_GRAY), 0);
      }
      jt::Decoded whole = jt::decode(in.jpeg, 7, spec, JpegRect{0, 0, 37, 29});
      EXPECT_EQ(whole.rc, 0);
      EXPECT_TRUE(whole.img.px == full.img.px);
    }
}

TEST(JpegRegion, BottomUpBuffersHoldTheRegionRowsReversed) {
  const Input in{"seq2x2", jpegfix::jpeg("s2x2", {37, 29})};
  jt::Decoded full = jt::decode(in.jpeg, 7);
  const JpegRect r{3, 4, 33, 21};
  jt::Decoded d = jt::decode(in.jpeg, 7, {3, JPEG_COLOR_BGR, 1, true}, r);
  EXPECT_EQ(d.rc, JPEG_ROI_SUCCESS);
  EXPECT_TRUE(d.guards);
  // rows in the wrong order would differ by far more than the clipped MCUs' rounding
  EXPECT_EQ(region_mismatches(d.img, full.img, r, in, true), 0);
}

TEST(JpegRegion, SeventeenWideTwoByTwoWritesOnlyInsideTheBuffer) {
  const Bytes jpeg = jpegfix::jpeg("s2x2", {17, 17});
  jt::Decoded full = jt::decode(jpeg, 3, {3, JPEG_COLOR_BGR, 3, false});
  EXPECT_EQ(full.rc, 0);
  EXPECT_TRUE(full.guards);
  jt::Decoded d = jt::decode(jpeg, 7, {3, JPEG_COLOR_BGR, 1, false}, JpegRect{16, 16, 17, 17});
  EXPECT_EQ(d.rc, JPEG_ROI_SUCCESS);
  EXPECT_TRUE(d.guards);
  EXPECT_TRUE(d.img.px == jt::crop(full.img, 16, 16, 1, 1).px);
}

TEST(JpegRegion, ClipOfTheMcuAgainstTheRegion) {
  JPEG_IMAGE_PROPS p{};
  ASSERT_EQ(JpegCodecInit(&p), 0);
  JPEG_PROPERTIES& st = p.state;
  uint8_t buf[64 * 3] = {};
  st.dib_origin = buf;
  st.pixel_bytes = 3;
  st.dib_line_bytes = 17 * 3;
  st.origin_x = 20;
  st.origin_y = 0;
  st.visible = JpegRect{20, 0, 37, 16};
  uint8_t* first = nullptr;
  JpegRect clip{};
  // column 0 (0..15) lies left of the region
  EXPECT_EQ(jcodec::roi_clip_mcu(&st, 16, 16, 0, 0, &first, &clip), JPEG_ERR_PROPS);
  // column 1 starts writing at byte 0 with clip left 4
  ASSERT_EQ(jcodec::roi_clip_mcu(&st, 16, 16, 1, 0, &first, &clip), 0);
  EXPECT_EQ(first, buf);
  EXPECT_EQ(clip.left, 4);
  EXPECT_EQ(clip.right, 16);
  // an MCU that ends exactly at the region's left edge is outside
  st.visible = JpegRect{16, 0, 37, 16};
  st.origin_x = 16;
  EXPECT_EQ(jcodec::roi_clip_mcu(&st, 16, 16, 0, 0, &first, &clip), JPEG_ERR_PROPS);
  JpegCodecFree(&p);
}

TEST(JpegRegion, InterruptedReadsResumeToTheSamePicture) {
  for (const Input& in : inputs())
    for (JpegRect roi : {JpegRect{0, 0, 0, 0}, JpegRect{5, 3, 30, 25}}) {
      SCOPED_TRACE(std::string(in.name) + (roi.right ? " region" : " whole"));
      const bool region = roi.right != 0;
      jt::Decoded once = jt::decode(in.jpeg, 7, {}, roi);
      JPEG_IMAGE_PROPS p{};
      ASSERT_EQ(JpegCodecInit(&p), 0);
      p.jpg_bytes = const_cast<uint8_t*>(in.jpeg.data());
      p.jpg_size_bytes = int32_t(in.jpeg.size());
      ASSERT_EQ(JpegCodecRead(&p, 1), 0);
      int w = region ? roi.right - roi.left : 37, h = region ? roi.bottom - roi.top : 29;
      jt::Dib dib(w, h, {});
      p.dib_bytes = dib.data();
      p.dib_width = w;
      p.dib_height = h;
      p.state.roi = roi;
      int rc = 1, calls = 0;
      while (rc == 1 && calls < 10000) {
        p.state.interrupt_request = 1;
        rc = JpegCodecRead(&p, 7);
        ++calls;
        if (rc == 1) {
          EXPECT_EQ(p.state.interrupt_request, 0);
          EXPECT_GT(p.state.roi.right, 0);
          EXPECT_LE(p.state.roi.right, 37);
          EXPECT_GT(p.state.roi.bottom, 0);
          EXPECT_LE(p.state.roi.bottom, 29);
        }
      }
      EXPECT_EQ(rc, region ? JPEG_ROI_SUCCESS : 0);
      EXPECT_GT(calls, 2);
      EXPECT_EQ(p.state.roi.right, roi.right);  // the caller's region is back
      JpegCodecFree(&p);
      EXPECT_TRUE(dib.guards_intact());
      EXPECT_TRUE(dib.image().px == once.img.px);
    }
}

TEST(JpegRegion, FileModePairsEqualTheMemoryRead) {
  for (const Input& in : inputs()) {
    SCOPED_TRACE(in.name);
    jt::MemFiles files;
    files.files["pic.jpg"] = in.jpeg;
    files.max_read = 100;  // short reads
    JpegFileOps ops = files.ops();
    jt::Decoded mem = jt::decode(in.jpeg, 3);
    ASSERT_EQ(mem.rc, 0);
    for (bool pair : {true, false}) {
      JPEG_IMAGE_PROPS p{};
      ASSERT_EQ(JpegCodecInit(&p), 0);
      p.state.file_ops = &ops;
      p.jpg_file = "pic.jpg";
      jt::Dib dib(37, 29, {});
      if (pair) {
        ASSERT_EQ(JpegCodecRead(&p, 0), 0);  // parameters; the file stays open at SOS
        EXPECT_EQ(p.jpg_width, 37);
        EXPECT_EQ(files.closes, 0);
      }
      p.dib_bytes = dib.data();
      p.dib_width = 37;
      p.dib_height = 29;
      EXPECT_EQ(JpegCodecRead(&p, pair ? 6 : 2), 0);
      EXPECT_EQ(files.closes, files.opens);  // modes 2 and 6 close the file
      EXPECT_EQ(JpegCodecFree(&p), 0);
      EXPECT_TRUE(dib.image().px == mem.img.px);
    }
  }
}

}  // namespace
