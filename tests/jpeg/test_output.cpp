// MCU output kernels and layouts: white and black through every converting kernel, grey fan-out,
// the 4:2:2 buffer and scaled grey into four channels.
#include <gtest/gtest.h>

#include "jpeg/internal.h"
#include "tests/jpeg/jpeg_test_util.h"

namespace {

using jt::Bytes;

struct KernelCase {
  const char* name;
  JpegOutKernelFn JPEG_DISPATCH_TABLE::*slot;
  int hs, vs, bpp, comps;
};

TEST(JpegOutput, WhiteAndBlackThroughEveryConvertingKernel) {
  // and through the in-place pass
  JPEG_IMAGE_PROPS rec{};
  ASSERT_EQ(JpegCodecInit(&rec), 0);
  uint8_t px[6] = {255, 128, 128, 0, 128, 128};
  rec.state.dib_origin = px;
  rec.state.pixel_bytes = 3;
  rec.state.dib_line_bytes = 6;
  rec.state.f.dib_color = JPEG_COLOR_BGR;
  rec.state.effective_color = JPEG_COLOR_YCBCR;
  jcodec::convert_scaled_in_place(&rec.state, JpegRect{0, 0, 2, 1});
  EXPECT_EQ(std::vector<uint8_t>(px, px + 6), (std::vector<uint8_t>{255, 255, 255, 0, 0, 0}));
  JpegCodecFree(&rec);

  JPEG_DISPATCH_TABLE t{};
  jcodec::JpegInitKernelsGeneric(&t);
  using T = JPEG_DISPATCH_TABLE;
  const KernelCase cases[] = {
      {"ycc_to_rgb_block", &T::ycc_to_rgb_block, 1, 1, 3, 3},   {"ycc_h2v1_to_rgb", &T::ycc_h2v1_to_rgb, 2, 1, 3, 3},
      {"ycc_h2v2_to_rgb", &T::ycc_h2v2_to_rgb, 2, 2, 3, 3},     {"ycc_to_bgr_block", &T::ycc_to_bgr_block, 1, 1, 3, 3},
      {"ycc_h2v1_to_bgr", &T::ycc_h2v1_to_bgr, 2, 1, 3, 3},     {"ycc_h2v2_to_bgr", &T::ycc_h2v2_to_bgr, 2, 2, 3, 3},
      {"ycc_to_rgba_block", &T::ycc_to_rgba_block, 1, 1, 4, 3}, {"ycc_h2v1_to_rgba", &T::ycc_h2v1_to_rgba, 2, 1, 4, 3},
      {"ycc_h2v2_to_rgba", &T::ycc_h2v2_to_rgba, 2, 2, 4, 3},   {"ycc4_to_quad_block", &T::ycc4_to_quad_block, 1, 1, 4, 4},
      {"ycc4_to_quad_h2v1", &T::ycc4_to_quad_h2v1, 2, 1, 4, 4}, {"ycc4_to_quad_h2v2", &T::ycc4_to_quad_h2v2, 2, 2, 4, 4},
  };
  for (const KernelCase& k : cases)
    for (int y : {255, 0}) {
      SCOPED_TRACE(std::string(k.name) + " Y=" + std::to_string(y));
      const int luma = k.hs * k.vs;
      std::vector<int16_t> blocks(size_t(luma * (k.comps == 4 ? 2 : 1) + 2) * 64);
      for (int i = 0; i < luma * 64; ++i) blocks[size_t(i)] = int16_t(y);
      for (int i = 0; i < 128; ++i) blocks[size_t(luma * 64 + i)] = 128;
      for (int i = 0; i < (k.comps == 4 ? luma * 64 : 0); ++i) blocks[size_t((luma + 2) * 64 + i)] = 77;
      const int w = 8 * k.hs, h = 8 * k.vs;
      std::vector<uint8_t> out(size_t(w * h * k.bpp), 1);
      (t.*k.slot)(blocks.data(), out.data(), w * k.bpp);
      // The fixed kernels' green term, Y - ((88 Cb + 183 Cr - 34806) >> 8), is Y + 1 at Cb = Cr =
      // 128 (the in-place passes give Y): black comes out as 0, 1, 0.
      const int green = std::min(255, y + 1);
      // Four-channel YCbCr pictures store their colour inverted.
      const auto stored = [&](int v) { return k.comps == 4 ? 255 - v : v; };
      for (int p = 0; p < w * h; ++p) {
        for (int c = 0; c < 3; ++c) ASSERT_EQ(out[size_t(p * k.bpp + c)], stored(c == 1 ? green : y));
        if (k.bpp == 4) {
          ASSERT_EQ(out[size_t(p * 4 + 3)], k.comps == 4 ? 77 : 255);
        }
      }
    }
}

TEST(JpegOutput, PackedYCbCrPairs) {
  JPEG_DISPATCH_TABLE t{};
  jcodec::JpegInitKernelsGeneric(&t);
  std::vector<int16_t> b(4 * 64);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) b[size_t((x / 8) * 64 + y * 8 + x % 8)] = int16_t(x + 16 * y);
  for (int i = 0; i < 64; ++i) b[size_t(128 + i)] = int16_t(200 + i % 8), b[size_t(192 + i)] = int16_t(100 + i % 8);
  std::vector<uint8_t> out(16 * 8 * 2);
  t.ycc_h2v1_to_422(b.data(), out.data(), 32);
  for (int y = 0; y < 8; ++y)
    for (int k = 0; k < 8; ++k) {
      const uint8_t* p = &out[size_t(y * 32 + 4 * k)];
      EXPECT_EQ(p[0], 2 * k + 16 * y);
      EXPECT_EQ(p[1], 200 + k);
      EXPECT_EQ(p[2], 2 * k + 1 + 16 * y);
      EXPECT_EQ(p[3], 100 + k);
    }
  // a decode into the 4:2:2 buffer holds the stream's own samples: Y of every pixel, Cb of the
  // pair's first pixel and Cr of its second
  jpegref::EncodeOpts o;
  o.h0 = 2, o.v0 = 1;
  Bytes jpeg = jt::encode(37, 29, o);
  jt::Decoded d = jt::decode(jpeg, 3, {3, JPEG_COLOR_YCBCR, 2, false});
  ASSERT_EQ(d.rc, 0);
  EXPECT_TRUE(d.guards);
  EXPECT_EQ(d.after.dib_subsampling, 2);
  jt::Decoded rgb = jt::decode(jpeg, 3, {3, JPEG_COLOR_RGB, 0, false});
  // converting the pairs back with the fixed formula gives the R,G,B decode
  int checked = 0;
  for (int y = 0; y < 29; ++y)
    for (int x = 0; x + 1 < 37; x += 2) {
      const uint8_t* p = &d.img.px[size_t((y * 37 + x) * 2)];
      int cb = p[1], cr = p[3];
      for (int k = 0; k < 2; ++k) {
        int yy = p[2 * k];
        int r = std::clamp(yy + int(int16_t((359 * cr - 45813) >> 8)), 0, 255);
        int b = std::clamp(yy + int(int16_t((454 * cb - 57937) >> 8)), 0, 255);
        // the vector classes floor the red and blue terms: one level lower at most
        const int lower = jt::vector_class() ? 1 : 0;
        const int got_r = rgb.img.px[size_t((y * 37 + x + k) * 3)];
        const int got_b = rgb.img.px[size_t((y * 37 + x + k) * 3 + 2)];
        EXPECT_TRUE(got_r <= r && got_r >= r - lower) << got_r << " for " << r;
        EXPECT_TRUE(got_b <= b && got_b >= b - lower) << got_b << " for " << b;
        ++checked;
      }
    }
  EXPECT_GT(checked, 1000);
}

TEST(JpegOutput, GreyFansOutIntoColourBuffers) {
  jpegref::EncodeOpts o;
  o.grayscale = true;
  Bytes jpeg = jt::encode(37, 29, o);
  jt::Decoded g = jt::decode(jpeg, 3, {1, JPEG_COLOR_GRAY, 0, false});
  ASSERT_EQ(g.rc, 0);
  for (int mode : {3, 15}) {
    jt::Decoded gs = jt::decode(jpeg, mode, {1, JPEG_COLOR_GRAY, 0, false});
    for (auto spec : {jt::DibSpec{3, JPEG_COLOR_BGR, 1, false}, jt::DibSpec{4, JPEG_COLOR_QUAD, 0, false},
                      jt::DibSpec{3, JPEG_COLOR_RGB, 0, true}}) {
      jt::Decoded d = jt::decode(jpeg, mode, spec);
      ASSERT_EQ(d.rc, 0);
      EXPECT_TRUE(d.guards);
      ASSERT_EQ(size_t(d.img.w * d.img.h), gs.img.px.size());
      for (size_t i = 0; i < gs.img.px.size(); ++i) {
        for (int c = 0; c < 3; ++c) ASSERT_EQ(d.img.px[i * size_t(spec.channels) + size_t(c)], gs.img.px[i]);
        if (spec.channels == 4) {
          ASSERT_EQ(d.img.px[i * 4 + 3], 255);
        }
      }
    }
  }
}

TEST(JpegOutput, FastPathCodes) {
  struct Case {
    int h0, v0;
    bool gray;
    jt::DibSpec spec;
    int code;
  };
  const Case cases[] = {
      {1, 1, false, {3, JPEG_COLOR_RGB, 0, false}, 1},  {1, 1, false, {3, JPEG_COLOR_BGR, 0, false}, 2},
      {2, 2, false, {3, JPEG_COLOR_RGB, 0, false}, 3},  {2, 2, false, {3, JPEG_COLOR_BGR, 0, false}, 4},
      {2, 1, false, {3, JPEG_COLOR_RGB, 0, false}, 5},  {2, 1, false, {3, JPEG_COLOR_BGR, 0, false}, 6},
      {1, 1, false, {4, JPEG_COLOR_QUAD, 0, false}, 7}, {2, 2, false, {4, JPEG_COLOR_QUAD, 0, false}, 8},
      {2, 1, false, {4, JPEG_COLOR_QUAD, 0, false}, 9}, {2, 1, false, {3, JPEG_COLOR_YCBCR, 0, false}, 19},
      {1, 2, false, {3, JPEG_COLOR_BGR, 0, false}, 0},  {1, 1, true, {1, JPEG_COLOR_GRAY, 0, false}, 0},
  };
  for (const Case& c : cases) {
    jpegref::EncodeOpts o;
    o.h0 = c.h0, o.v0 = c.v0, o.grayscale = c.gray;
    Bytes jpeg = jt::encode(16, 16, o);
    JPEG_IMAGE_PROPS p{};
    ASSERT_EQ(JpegCodecInit(&p), 0);
    jt::Dib dib(16, 16, c.spec);
    p.jpg_bytes = jpeg.data();
    p.jpg_size_bytes = int32_t(jpeg.size());
    ASSERT_EQ(JpegCodecRead(&p, 1), 0);
    p.dib_bytes = dib.data();
    p.dib_width = 16;
    p.dib_height = 16;
    p.dib_channels = c.spec.channels;
    p.dib_color = c.spec.color;
    p.dib_subsampling = c.spec.color == JPEG_COLOR_YCBCR ? 2 : 0;
    EXPECT_EQ(JpegCodecRead(&p, 3), 0);
    EXPECT_EQ(p.state.fast_path_code, c.code) << c.h0 << "x" << c.v0 << " colour " << c.spec.color;
    JpegCodecFree(&p);
  }
}

}  // namespace

namespace {

TEST(JpegOutput, PlanarRecordDeliversBlocks) {
  // A grey 16x16 picture: plane 0 holds its 2 x 2 blocks, as samples (mode 1) or as the
  // quantised coefficients (mode 0).
  jpegref::EncodeOpts o;
  o.grayscale = true;
  jt::Bytes jpeg = jt::encode(16, 16, o);
  jt::Decoded ref = jt::decode(jpeg, 3, {1, JPEG_COLOR_GRAY, 0, false});
  ASSERT_EQ(ref.rc, 0);
  for (int mode : {1, 0}) {
    std::vector<int16_t> plane(4 * 64, -1);
    JpegPlanar planar{mode, {plane.data(), nullptr, nullptr, nullptr}};
    JPEG_IMAGE_PROPS p{};
    ASSERT_EQ(JpegCodecInit(&p), 0);
    p.jpg_bytes = jpeg.data();
    p.jpg_size_bytes = int32_t(jpeg.size());
    p.state.planar = &planar;
    EXPECT_EQ(JpegCodecRead(&p, 3), 0);
    JpegCodecFree(&p);
    if (mode == 1) {
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
          EXPECT_EQ(plane[size_t(((y / 8) * 2 + x / 8) * 64 + (y % 8) * 8 + x % 8)], ref.img.px[size_t(y * 16 + x)]);
    } else {
      bool any_ac = false;
      for (int blk = 0; blk < 4; ++blk)
        for (int i = 1; i < 64; ++i) any_ac |= plane[size_t(blk * 64 + i)] != 0;
      EXPECT_TRUE(any_ac);
      EXPECT_LT(std::abs(plane[0]), 2048);  // quantised, not samples
    }
  }
}

}  // namespace
