// Vector pixel kernels against scalar models of their lane arithmetic, and against the generic
// kernels of their slots: decoder colour terms floored (red and blue one lower for the stated
// chroma values), encoder blocks bit for bit. Every member is run on exact-size buffers with a
// line step wider than the MCU, so a stray read or write past the MCU shows up (ASan, canary).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "jpeg/internal.h"
#include "jpeg/vector_isa.h"
#include "jpeg/vector_pixels.h"
#include "jpeg/vector_pixels_kernels.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Blocks = std::vector<int16_t>;

bool have_avx2() { return __builtin_cpu_supports("avx2") != 0; }

// ---- scalar models ----------------------------------------------------------------------------

int32_t mulhi(int16_t a, int16_t c) { return (int32_t(a) * c) >> 16; }
int32_t sat16(int32_t v) { return std::clamp(v, -32768, 32767); }
uint8_t pack8(int32_t v) { return uint8_t(std::clamp(v, 0, 255)); }

struct Terms {
  int32_t r, g, b;
};
// The vector terms as the lanes form them.
Terms vector_terms(int32_t cb, int32_t cr) {
  return Terms{mulhi(int16_t(cr << 4), 5744) - 179, (183 * cr + 88 * cb - 34806) >> 8,
               mulhi(int16_t(cb << 4), 7264) - 227};
}
// The generic kernels' terms.
Terms generic_terms(int32_t cb, int32_t cr) {
  return Terms{(359 * cr - 45813) >> 8, (88 * cb + 183 * cr - 34806) >> 8, (454 * cb - 57937) >> 8};
}

enum class Dec { Gray, Rgb, Bgr, Rgba, Quad, P422 };

int dec_bpp(Dec k) { return k == Dec::Gray ? 1 : k == Dec::P422 ? 2 : (k == Dec::Rgb || k == Dec::Bgr) ? 3 : 4; }
int dec_blocks(Dec k, int hs, int vs) {
  const int luma = hs * vs;
  return k == Dec::Gray ? 1 : k == Dec::Quad ? 2 * luma + 2 : luma + 2;
}

// Pixels of one MCU from blocks in the MCU layout (luma blocks, Cb, Cr, fourth component).
void decode_model(Dec k, int hs, int vs, const int16_t* b, uint8_t* out, ptrdiff_t step) {
  const int16_t* cb = b + hs * vs * 64;
  const int16_t* cr = cb + 64;
  const int16_t* k4 = cb + 128;
  const int bpp = dec_bpp(k);
  for (int y = 0; y < 8 * vs; ++y)
    for (int x = 0; x < 8 * hs; ++x) {
      const int li = (((y >> 3) * hs + (x >> 3)) << 6) + ((y & 7) << 3) + (x & 7);
      const int ci = (y / vs) * 8 + x / hs;
      uint8_t* o = out + y * step + x * bpp;
      const int32_t yy = b[li];
      if (k == Dec::Gray) {
        o[0] = pack8(yy);
        continue;
      }
      if (k == Dec::P422) {
        o[0] = pack8(yy);
        o[1] = pack8((x & 1) ? cr[ci] : cb[ci]);
        continue;
      }
      const Terms t = vector_terms(cb[ci], cr[ci]);
      const uint8_t r = pack8(sat16(yy + t.r)), g = pack8(sat16(yy - t.g)), bl = pack8(sat16(yy + t.b));
      switch (k) {
        case Dec::Rgb: o[0] = r, o[1] = g, o[2] = bl; break;
        case Dec::Bgr: o[0] = bl, o[1] = g, o[2] = r; break;
        case Dec::Rgba: o[0] = r, o[1] = g, o[2] = bl, o[3] = 255; break;
        case Dec::Quad: o[0] = uint8_t(255 - r), o[1] = uint8_t(255 - g), o[2] = uint8_t(255 - bl), o[3] = pack8(k4[li]); break;
        default: break;
      }
    }
}

enum class Enc { Gray, Rgb, Bgr, Quad, Split422 };

int enc_bpp(Enc k) { return k == Enc::Gray ? 1 : k == Enc::Split422 ? 2 : k == Enc::Quad ? 4 : 3; }
int enc_blocks(Enc k, int hs, int vs) {
  const int luma = hs * vs;
  return k == Enc::Gray ? 1 : k == Enc::Quad ? 2 * luma + 2 : luma + 2;
}

// The encoder formulas: luma per pixel, level-shifted; chroma from the sums over each h x v
// group, rounded by 128 x count and shifted by 8, 9 or 10.
void encode_model(Enc k, int hs, int vs, const uint8_t* px, ptrdiff_t step, int16_t* b) {
  const int bpp = enc_bpp(k);
  int16_t* cbb = b + hs * vs * 64;
  int16_t* crb = cbb + 64;
  int16_t* k4 = cbb + 128;
  const int shift = 8 + (hs == 2) + (vs == 2);
  for (int cy = 0; cy < 8; ++cy)
    for (int cx = 0; cx < 8; ++cx) {
      int32_t sr = 0, sg = 0, sb = 0;
      for (int dy = 0; dy < vs; ++dy)
        for (int dx = 0; dx < hs; ++dx) {
          const int y = cy * vs + dy, x = cx * hs + dx;
          const uint8_t* p = px + y * step + x * bpp;
          const int li = (((y >> 3) * hs + (x >> 3)) << 6) + ((y & 7) << 3) + (x & 7);
          if (k == Enc::Gray) {
            b[li] = int16_t(p[0] - 128);
            continue;
          }
          if (k == Enc::Split422) {
            b[li] = int16_t(p[0] - 128);
            continue;
          }
          int32_t r = p[0], g = p[1], bl = p[2];
          if (k == Enc::Bgr) std::swap(r, bl);
          if (k == Enc::Quad) r = 255 - r, g = 255 - g, bl = 255 - bl;
          b[li] = int16_t((77 * r + 150 * g + 29 * bl - 32640) >> 8);
          if (k == Enc::Quad) k4[li] = int16_t(p[3] - 128);
          sr += r, sg += g, sb += bl;
        }
      if (k == Enc::Gray) continue;
      const int ci = cy * 8 + cx;
      if (k == Enc::Split422) {
        const uint8_t* p = px + cy * step + cx * 4;  // the pair's Y0, Cb, Y1, Cr
        cbb[ci] = int16_t(p[1] - 128);
        crb[ci] = int16_t(p[3] - 128);
        continue;
      }
      const int32_t n = hs * vs;
      cbb[ci] = int16_t((128 * sb - 43 * sr - 85 * sg + 128 * n) >> shift);
      crb[ci] = int16_t((128 * sr - 107 * sg - 21 * sb + 128 * n) >> shift);
    }
}

// ---- members ----------------------------------------------------------------------------------

struct DecMember {
  const char* name;
  JpegOutKernelFn sse2, avx2;
  Dec kind;
  int hs, vs;
};
const DecMember kDec[] = {
    {"gray_block_to_gray_v64", jcodec::gray_block_to_gray_v64, nullptr, Dec::Gray, 1, 1},
    {"ycc_to_rgb_block_v64", jcodec::ycc_to_rgb_block_v64, nullptr, Dec::Rgb, 1, 1},
    {"ycc_to_bgr_block_v64", jcodec::ycc_to_bgr_block_v64, nullptr, Dec::Bgr, 1, 1},
    {"ycc_h2v1_to_rgb_v64", jcodec::ycc_h2v1_to_rgb_v64, jcodec::ycc_h2v1_to_rgb_v64_avx2, Dec::Rgb, 2, 1},
    {"ycc_h2v1_to_bgr_v64", jcodec::ycc_h2v1_to_bgr_v64, jcodec::ycc_h2v1_to_bgr_v64_avx2, Dec::Bgr, 2, 1},
    {"ycc_h2v1_to_rgb_v64x", jcodec::ycc_h2v1_to_rgb_v64x, jcodec::ycc_h2v1_to_rgb_v64x_avx2, Dec::Rgb, 2, 1},
    {"ycc_h2v1_to_bgr_v64x", jcodec::ycc_h2v1_to_bgr_v64x, jcodec::ycc_h2v1_to_bgr_v64x_avx2, Dec::Bgr, 2, 1},
    {"ycc_h2v2_to_rgb_v64", jcodec::ycc_h2v2_to_rgb_v64, jcodec::ycc_h2v2_to_rgb_v64_avx2, Dec::Rgb, 2, 2},
    {"ycc_h2v2_to_bgr_v64", jcodec::ycc_h2v2_to_bgr_v64, jcodec::ycc_h2v2_to_bgr_v64_avx2, Dec::Bgr, 2, 2},
    {"ycc_to_rgba_block_v64", jcodec::ycc_to_rgba_block_v64, nullptr, Dec::Rgba, 1, 1},
    {"ycc_h2v1_to_rgba_v64", jcodec::ycc_h2v1_to_rgba_v64, jcodec::ycc_h2v1_to_rgba_v64_avx2, Dec::Rgba, 2, 1},
    {"ycc_h2v2_to_rgba_v64", jcodec::ycc_h2v2_to_rgba_v64, jcodec::ycc_h2v2_to_rgba_v64_avx2, Dec::Rgba, 2, 2},
    {"ycc_h2v1_to_422_v64", jcodec::ycc_h2v1_to_422_v64, nullptr, Dec::P422, 2, 1},
    {"ycc4_to_quad_block_v64", jcodec::ycc4_to_quad_block_v64, nullptr, Dec::Quad, 1, 1},
    {"ycc4_to_quad_h2v1_v64", jcodec::ycc4_to_quad_h2v1_v64, jcodec::ycc4_to_quad_h2v1_v64_avx2, Dec::Quad, 2, 1},
    {"ycc4_to_quad_h2v2_v64", jcodec::ycc4_to_quad_h2v2_v64, jcodec::ycc4_to_quad_h2v2_v64_avx2, Dec::Quad, 2, 2},
};

struct EncMember {
  const char* name;
  JpegEncodeInFn sse2, avx2;
  Enc kind;
  int hs, vs;
  JpegEncodeInFn JPEG_DISPATCH_TABLE::*slot;
};
using T = JPEG_DISPATCH_TABLE;
const EncMember kEnc[] = {
    {"gray_to_block_v64", jcodec::gray_to_block_v64, nullptr, Enc::Gray, 1, 1, &T::gray_to_block},
    {"rgb_to_ycc_block_v64", jcodec::rgb_to_ycc_block_v64, nullptr, Enc::Rgb, 1, 1, &T::rgb_to_ycc_block},
    {"bgr_to_ycc_block_v64", jcodec::bgr_to_ycc_block_v64, nullptr, Enc::Bgr, 1, 1, &T::bgr_to_ycc_block},
    {"rgb_to_ycc_h2v1_v64", jcodec::rgb_to_ycc_h2v1_v64, nullptr, Enc::Rgb, 2, 1, &T::rgb_to_ycc_h2v1},
    {"bgr_to_ycc_h2v1_v64", jcodec::bgr_to_ycc_h2v1_v64, nullptr, Enc::Bgr, 2, 1, &T::bgr_to_ycc_h2v1},
    {"rgb_to_ycc_h2v2_v64", jcodec::rgb_to_ycc_h2v2_v64, nullptr, Enc::Rgb, 2, 2, &T::rgb_to_ycc_h2v2},
    {"bgr_to_ycc_h2v2_v64", jcodec::bgr_to_ycc_h2v2_v64, nullptr, Enc::Bgr, 2, 2, &T::bgr_to_ycc_h2v2},
    {"ycc422_split_v64", jcodec::ycc422_split_v64, nullptr, Enc::Split422, 2, 1, &T::ycc422_split},
    {"ycc422_split_v64x", jcodec::ycc422_split_v64x, nullptr, Enc::Split422, 2, 1, &T::ycc422_split},
    {"quad_to_ycc4_block_v64", jcodec::quad_to_ycc4_block_v64, nullptr, Enc::Quad, 1, 1, &T::quad_to_ycc4_block},
    {"quad_to_ycc4_h2v1_v64", jcodec::quad_to_ycc4_h2v1_v64, nullptr, Enc::Quad, 2, 1, &T::quad_to_ycc4_h2v1},
    {"quad_to_ycc4_h2v2_v64", jcodec::quad_to_ycc4_h2v2_v64, nullptr, Enc::Quad, 2, 2, &T::quad_to_ycc4_h2v2},
};

// The instruction-set members of a kernel that can run here: SSE2 always, the AVX2 twin when
// it exists and the processor has AVX2 (a message otherwise).
template <typename Fn>
std::vector<std::pair<std::string, Fn>> runnable(const char* name, Fn sse2, Fn avx2) {
  std::vector<std::pair<std::string, Fn>> r{{std::string(name) + " sse2", sse2}};
  if (avx2) {
    if (have_avx2())
      r.emplace_back(std::string(name) + " avx2", avx2);
    else
      std::printf("%s: no AVX2 on this processor, its AVX2 twin not run\n", name);
  }
  return r;
}

// ---- buffers ------------------------------------------------------------------------------------

// One MCU of pixels in an exact-size buffer whose rows are `step` bytes apart (step > row).
struct Tile {
  int w, h, bpp;
  ptrdiff_t step;
  Bytes bytes;
  Tile(int w_, int h_, int bpp_, int pad = 7) : w(w_), h(h_), bpp(bpp_), step(w_ * bpp_ + pad) {
    bytes.assign(size_t(step * (h - 1) + w * bpp), 0xA5);
  }
  uint8_t* at(int x, int y) { return bytes.data() + y * step + x * bpp; }
  // The padding between rows still holds the canary.
  bool padding_intact() const {
    for (int y = 0; y + 1 < h; ++y)
      for (ptrdiff_t i = w * bpp; i < step; ++i)
        if (bytes[size_t(y * step + i)] != 0xA5) return false;
    return true;
  }
};

Blocks random_samples(std::mt19937& rng, int nblocks, int lo = 0, int hi = 255) {
  std::uniform_int_distribution<int> d(lo, hi);
  Blocks b(size_t(nblocks) * 64);
  for (int16_t& v : b) v = int16_t(d(rng));
  return b;
}

// Decoder member output for blocks, in a fresh tile.
Tile run_dec(JpegOutKernelFn fn, const DecMember& m, const Blocks& b) {
  Tile t(8 * m.hs, 8 * m.vs, dec_bpp(m.kind));
  // the blocks themselves sit at the end of their own exact-size buffer
  std::vector<int16_t> exact(b);
  fn(exact.data(), t.bytes.data(), t.step);
  return t;
}
Tile run_dec_model(const DecMember& m, const Blocks& b) {
  Tile t(8 * m.hs, 8 * m.vs, dec_bpp(m.kind));
  decode_model(m.kind, m.hs, m.vs, b.data(), t.bytes.data(), t.step);
  return t;
}

// Blocks with every luma sample y, every Cb cb, every Cr cr and every fourth sample k.
Blocks uniform_blocks(const DecMember& m, int y, int cb, int cr, int k) {
  const int luma = m.hs * m.vs;
  Blocks b(size_t(dec_blocks(m.kind, m.hs, m.vs)) * 64);
  for (size_t i = 0; i < b.size(); ++i) {
    const size_t blk = i / 64;
    b[i] = int16_t(blk < size_t(luma) ? y : blk == size_t(luma) ? cb : blk == size_t(luma + 1) ? cr : k);
  }
  return b;
}

// ---- decoder side -------------------------------------------------------------------------------

TEST(JpegVectorPixels, DecoderMembersFollowTheirLaneArithmetic) {
  std::mt19937 rng(31);
  for (const DecMember& m : kDec)
    for (const auto& [label, fn] : runnable(m.name, m.sse2, m.avx2)) {
      SCOPED_TRACE(label);
      for (int iter = 0; iter < 300; ++iter) {
        // samples 0..255 as the inverse transforms leave them; the grey and 4:2:2 members
        // clamp anything, so they also get the whole 16-bit range
        const bool any = (m.kind == Dec::Gray || m.kind == Dec::P422) && iter % 2;
        const Blocks b = random_samples(rng, dec_blocks(m.kind, m.hs, m.vs), any ? -32768 : 0, any ? 32767 : 255);
        const Tile got = run_dec(fn, m, b), want = run_dec_model(m, b);
        ASSERT_EQ(got.bytes, want.bytes) << "iteration " << iter;
      }
      EXPECT_TRUE(run_dec(fn, m, random_samples(rng, dec_blocks(m.kind, m.hs, m.vs))).padding_intact());
    }
}

TEST(JpegVectorPixels, AllChromaPairsAgainstTheGenericTerms) {
  // every (Cb, Cr) through ycc_to_rgb_block_v64 and the generic slot, with luma chosen per
  // pixel so that no channel clips: red and blue equal the generic ones or are one lower exactly
  // where the floored product loses the rounding, green is the same
  JPEG_DISPATCH_TABLE g{};
  jcodec::JpegInitKernelsGeneric(&g);
  const DecMember& m = kDec[1];
  ASSERT_STREQ(m.name, "ycc_to_rgb_block_v64");
  int red_lower = 0, blue_lower = 0;
  for (const auto& [label, fn] : runnable(m.name, m.sse2, m.avx2)) {
    SCOPED_TRACE(label);
    red_lower = blue_lower = 0;
    for (int first = 0; first < 65536; first += 64) {
      for (int channel = 0; channel < 3; ++channel) {
        Blocks b(3 * 64);
        for (int i = 0; i < 64; ++i) {
          const int cb = (first + i) >> 8, cr = (first + i) & 255;
          const Terms t = generic_terms(cb, cr);
          const int term = channel == 0 ? t.r : channel == 1 ? -t.g : t.b;
          b[size_t(i)] = int16_t(term <= 0 ? 255 : 0);
          b[size_t(64 + i)] = int16_t(cb);
          b[size_t(128 + i)] = int16_t(cr);
        }
        Tile vec(8, 8, 3), gen(8, 8, 3);
        fn(b.data(), vec.bytes.data(), vec.step);
        g.ycc_to_rgb_block(b.data(), gen.bytes.data(), gen.step);
        for (int i = 0; i < 64; ++i) {
          const int cb = (first + i) >> 8, cr = (first + i) & 255;
          const int v = vec.at(i & 7, i >> 3)[channel], ge = gen.at(i & 7, i >> 3)[channel];
          int lower = 0;
          if (channel == 0) lower = (359 * cr) % 256 >= 245;
          if (channel == 2) lower = (454 * cb) % 256 >= 81;
          ASSERT_EQ(v, ge - lower) << "channel " << channel << " Cb " << cb << " Cr " << cr;
          if (channel == 0 && cb == 0) red_lower += lower;
          if (channel == 2 && cr == 0) blue_lower += lower;
        }
      }
    }
  }
  // both differences do occur
  EXPECT_GT(red_lower, 0);
  EXPECT_GT(blue_lower, 0);
}

TEST(JpegVectorPixels, StatedDecoderCases) {
  JPEG_DISPATCH_TABLE g{};
  jcodec::JpegInitKernelsGeneric(&g);
  struct Case {
    const char* what;
    int y, cb, cr, k;
    int r, gr, b;  // expected R, G, B before any inversion or packing
  };
  const Case cases[] = {
      {"(128, 128, 128): equal terms", 128, 128, 128, 40, 128, 129, 128},
      {"Cb 129: blue term 1 (generic 2)", 128, 129, 128, 40, 128, 129, 129},
      {"Cb = Cr = 255: green term 133", 200, 255, 255, 40, 255, 67, 255},
      {"Y 255, large red term saturates", 255, 128, 255, 40, 255, 165, 255},
      {"Y 0, negative terms give 0", 0, 0, 0, 40, 0, 136, 0},
  };
  for (const DecMember& m : kDec) {
    if (m.kind == Dec::Gray || m.kind == Dec::P422) continue;
    for (const auto& [label, fn] : runnable(m.name, m.sse2, m.avx2))
      for (const Case& c : cases) {
        SCOPED_TRACE(label + ": " + c.what);
        const Tile t = run_dec(fn, m, uniform_blocks(m, c.y, c.cb, c.cr, c.k));
        const int bpp = dec_bpp(m.kind);
        for (size_t p = 0; p < size_t(64 * m.hs * m.vs); ++p) {
          const uint8_t* o = t.bytes.data() + (p / size_t(8 * m.hs)) * size_t(t.step) + (p % size_t(8 * m.hs)) * size_t(bpp);
          int r = o[0], gr = o[1], b = o[2];
          if (m.kind == Dec::Bgr) std::swap(r, b);
          if (m.kind == Dec::Quad) r = 255 - r, gr = 255 - gr, b = 255 - b;
          ASSERT_EQ(r, c.r);
          ASSERT_EQ(gr, c.gr);
          ASSERT_EQ(b, c.b);
          if (m.kind == Dec::Rgba) {
            ASSERT_EQ(o[3], 255);
          }
          if (m.kind == Dec::Quad) {
            ASSERT_EQ(o[3], c.k);
          }
        }
      }
  }
  // the generic kernel rounds: Cb 129 gives blue 130 there, and (128, 128, 128) the same bytes
  const DecMember& rgb = kDec[1];
  Tile gen(8, 8, 3);
  g.ycc_to_rgb_block(uniform_blocks(rgb, 128, 129, 128, 0).data(), gen.bytes.data(), gen.step);
  EXPECT_EQ(gen.at(3, 5)[2], 130);
  g.ycc_to_rgb_block(uniform_blocks(rgb, 128, 128, 128, 0).data(), gen.bytes.data(), gen.step);
  EXPECT_EQ(std::vector<uint8_t>(gen.at(0, 0), gen.at(0, 0) + 3), (std::vector<uint8_t>{128, 129, 128}));

  // the four-channel member writes the colour inverted and the fourth sample as it stands
  const Tile q = run_dec(jcodec::ycc4_to_quad_block_v64, kDec[13], uniform_blocks(kDec[13], 128, 128, 128, 40));
  EXPECT_EQ(std::vector<uint8_t>(q.bytes.begin(), q.bytes.begin() + 4), (std::vector<uint8_t>{127, 126, 127, 40}));
}

TEST(JpegVectorPixels, FourTwoTwoOutputOrderAndGreyMatchTheGenericSlots) {
  JPEG_DISPATCH_TABLE g{};
  jcodec::JpegInitKernelsGeneric(&g);
  // Y left block 10 + x, right block 100 + x; Cb 50 + x, Cr 200 + x (x the chroma column)
  Blocks b(4 * 64);
  for (int i = 0; i < 64; ++i) {
    b[size_t(i)] = int16_t(10 + (i & 7));
    b[size_t(64 + i)] = int16_t(100 + (i & 7));
    b[size_t(128 + i)] = int16_t(50 + (i & 7));
    b[size_t(192 + i)] = int16_t(200 + (i & 7));
  }
  Tile t(16, 8, 2);
  jcodec::ycc_h2v1_to_422_v64(b.data(), t.bytes.data(), t.step);
  EXPECT_EQ(std::vector<uint8_t>(t.at(0, 3), t.at(0, 3) + 8), (std::vector<uint8_t>{10, 50, 11, 200, 12, 51, 13, 201}));
  EXPECT_EQ(std::vector<uint8_t>(t.at(8, 7), t.at(8, 7) + 4), (std::vector<uint8_t>{100, 54, 101, 204}));

  std::mt19937 rng(422);
  for (int iter = 0; iter < 50; ++iter) {
    const Blocks r4 = random_samples(rng, 4);
    Tile v(16, 8, 2), gen(16, 8, 2);
    jcodec::ycc_h2v1_to_422_v64(r4.data(), v.bytes.data(), v.step);
    g.ycc_h2v1_to_422(r4.data(), gen.bytes.data(), gen.step);
    ASSERT_EQ(v.bytes, gen.bytes);
    const Blocks r1 = random_samples(rng, 1);
    Tile vg(8, 8, 1), gg(8, 8, 1);
    jcodec::gray_block_to_gray_v64(r1.data(), vg.bytes.data(), vg.step);
    g.gray_block_to_gray(r1.data(), gg.bytes.data(), gg.step);
    ASSERT_EQ(vg.bytes, gg.bytes);
  }
}

// ---- encoder side -------------------------------------------------------------------------------

Tile random_tile(std::mt19937& rng, int w, int h, int bpp) {
  Tile t(w, h, bpp);
  std::uniform_int_distribution<int> d(0, 255);
  for (int y = 0; y < h; ++y)
    for (int i = 0; i < w * bpp; ++i) t.at(0, y)[i] = uint8_t(d(rng));
  return t;
}

Blocks run_enc(JpegEncodeInFn fn, const EncMember& m, const Tile& t) {
  // exact-size block buffer: a write past the MCU's blocks is caught
  Blocks b(size_t(enc_blocks(m.kind, m.hs, m.vs)) * 64, int16_t(0x5A5A));
  fn(t.bytes.data(), t.step, b.data());
  return b;
}
Blocks run_enc_model(const EncMember& m, const Tile& t) {
  Blocks b(size_t(enc_blocks(m.kind, m.hs, m.vs)) * 64, int16_t(0x5A5A));
  encode_model(m.kind, m.hs, m.vs, t.bytes.data(), t.step, b.data());
  return b;
}

TEST(JpegVectorPixels, EncoderMembersEqualTheirFormulasOnRandomTiles) {
  std::mt19937 rng(8816);
  for (const EncMember& m : kEnc)
    for (const auto& [label, fn] : runnable(m.name, m.sse2, m.avx2)) {
      SCOPED_TRACE(label);
      for (int iter = 0; iter < 500; ++iter) {
        Tile t = random_tile(rng, 8 * m.hs, 8 * m.vs, enc_bpp(m.kind));
        if (iter < 2) std::fill(t.bytes.begin(), t.bytes.end(), uint8_t(iter ? 255 : 0));  // extremes
        ASSERT_EQ(run_enc(fn, m, t), run_enc_model(m, t)) << "iteration " << iter;
      }
    }
}

TEST(JpegVectorPixels, EncoderStatedCases) {
  // white R,G,B gives Y 127 and Cb = Cr = 0; the B,G,R members give the blocks of the
  // byte-swapped R,G,B input; four-channel pixels are taken inverted with the fourth byte as is
  std::mt19937 rng(5);
  for (const EncMember& m : kEnc) {
    if (m.kind != Enc::Rgb) continue;
    Tile white(8 * m.hs, 8 * m.vs, 3);
    std::fill(white.bytes.begin(), white.bytes.end(), uint8_t(255));
    const Blocks b = m.sse2 == nullptr ? Blocks{} : run_enc(m.sse2, m, white);
    for (size_t i = 0; i < b.size(); ++i) ASSERT_EQ(b[i], i < size_t(64 * m.hs * m.vs) ? 127 : 0) << m.name << " " << i;

    const EncMember& bgr = *std::find_if(std::begin(kEnc), std::end(kEnc), [&](const EncMember& e) {
      return e.kind == Enc::Bgr && e.hs == m.hs && e.vs == m.vs;
    });
    const Tile rgb = random_tile(rng, 8 * m.hs, 8 * m.vs, 3);
    Tile swapped = rgb;
    for (int y = 0; y < rgb.h; ++y)
      for (int x = 0; x < rgb.w; ++x) std::swap(swapped.at(x, y)[0], swapped.at(x, y)[2]);
    for (const auto& [label, fn] : runnable(bgr.name, bgr.sse2, bgr.avx2))
      EXPECT_EQ(run_enc(fn, bgr, swapped), run_enc(m.sse2, m, rgb)) << label;
  }
  // black four-channel pixels with a fourth byte of 40 are white R,G,B: Y 127, chroma 0, -88
  const EncMember& quad = kEnc[9];
  Tile t(8, 8, 4);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) std::memcpy(t.at(x, y), "\0\0\0\x28", 4);
  const Blocks b = run_enc(quad.sse2, quad, t);
  EXPECT_EQ(b[0], 127);
  EXPECT_EQ(b[64], 0);
  EXPECT_EQ(b[128], 0);
  EXPECT_EQ(b[192], 40 - 128);
}

TEST(JpegVectorPixels, EncoderMembersEqualTheGenericSlots) {
  JPEG_DISPATCH_TABLE g{};
  jcodec::JpegInitKernelsGeneric(&g);
  if (!g.rgb_to_ycc_block) GTEST_SKIP() << "the generic encoder slots are not filled in this build";
  std::mt19937 rng(2525);
  for (const EncMember& m : kEnc)
    for (const auto& [label, fn] : runnable(m.name, m.sse2, m.avx2)) {
      SCOPED_TRACE(label);
      ASSERT_NE(g.*m.slot, nullptr);
      for (int iter = 0; iter < 300; ++iter) {
        const Tile t = random_tile(rng, 8 * m.hs, 8 * m.vs, enc_bpp(m.kind));
        ASSERT_EQ(run_enc(fn, m, t), run_enc(g.*m.slot, m, t)) << "iteration " << iter;
      }
    }
}

// ---- installation -------------------------------------------------------------------------------

TEST(JpegVectorPixels, InstallFollowsTheClassMap) {
  JPEG_DISPATCH_TABLE generic{};
  jcodec::JpegInitKernelsGeneric(&generic);
  struct Unforce {
    ~Unforce() { jpeg_force_sse2(false); }
  } unforce;
  for (bool force : {true, false}) {
    jpeg_force_sse2(force);
    for (int cls = 0; cls <= 7; ++cls) {
      SCOPED_TRACE("class " + std::to_string(cls) + (force ? " sse2" : ""));
      JPEG_DISPATCH_TABLE t = generic;
      install_vector_pixel_kernels(&t, cls);
      if (cls < 3 || cls > 6) {
        EXPECT_EQ(std::memcmp(&t, &generic, sizeof t), 0);
        continue;
      }
      const bool x = cls >= 5;
      const std::pair<JpegEncodeInFn, const char*> in[] = {
          {t.gray_to_block, "gray_to_block_v64"},
          {t.rgb_to_ycc_block, "rgb_to_ycc_block_v64"},
          {t.rgb_to_ycc_h2v1, "rgb_to_ycc_h2v1_v64"},
          {t.rgb_to_ycc_h2v2, "rgb_to_ycc_h2v2_v64"},
          {t.bgr_to_ycc_block, "bgr_to_ycc_block_v64"},
          {t.bgr_to_ycc_h2v1, "bgr_to_ycc_h2v1_v64"},
          {t.bgr_to_ycc_h2v2, "bgr_to_ycc_h2v2_v64"},
          {t.ycc422_split, x ? "ycc422_split_v64x" : "ycc422_split_v64"},
          {t.quad_to_ycc4_block, "quad_to_ycc4_block_v64"},
          {t.quad_to_ycc4_h2v1, "quad_to_ycc4_h2v1_v64"},
          {t.quad_to_ycc4_h2v2, "quad_to_ycc4_h2v2_v64"},
      };
      for (const auto& [fn, name] : in) {
        ASSERT_NE(vector_pixel_kernel_name(fn), nullptr) << name;
        EXPECT_STREQ(vector_pixel_kernel_name(fn), name);
        EXPECT_TRUE(!vector_pixel_entry_is_avx2(fn) || (!force && have_avx2())) << name;
      }
      const std::pair<JpegOutKernelFn, const char*> out[] = {
          {t.gray_block_to_gray, "gray_block_to_gray_v64"},
          {t.ycc_to_rgb_block, "ycc_to_rgb_block_v64"},
          {t.ycc_h2v1_to_rgb, x ? "ycc_h2v1_to_rgb_v64x" : "ycc_h2v1_to_rgb_v64"},
          {t.ycc_h2v2_to_rgb, "ycc_h2v2_to_rgb_v64"},
          {t.ycc_to_bgr_block, "ycc_to_bgr_block_v64"},
          {t.ycc_h2v1_to_bgr, x ? "ycc_h2v1_to_bgr_v64x" : "ycc_h2v1_to_bgr_v64"},
          {t.ycc_h2v2_to_bgr, "ycc_h2v2_to_bgr_v64"},
          {t.ycc_to_rgba_block, "ycc_to_rgba_block_v64"},
          {t.ycc_h2v1_to_rgba, "ycc_h2v1_to_rgba_v64"},
          {t.ycc_h2v2_to_rgba, "ycc_h2v2_to_rgba_v64"},
          {t.ycc_h2v1_to_422, "ycc_h2v1_to_422_v64"},
          {t.ycc4_to_quad_block, "ycc4_to_quad_block_v64"},
          {t.ycc4_to_quad_h2v1, "ycc4_to_quad_h2v1_v64"},
          {t.ycc4_to_quad_h2v2, "ycc4_to_quad_h2v2_v64"},
      };
      for (const auto& [fn, name] : out) {
        ASSERT_NE(vector_pixel_kernel_name(fn), nullptr) << name;
        EXPECT_STREQ(vector_pixel_kernel_name(fn), name);
        EXPECT_TRUE(!vector_pixel_entry_is_avx2(fn) || (!force && have_avx2())) << name;
      }
      // slots the map leaves generic in every class
      EXPECT_EQ(t.ycc_split_block, generic.ycc_split_block);
      EXPECT_EQ(t.ycc_downsample_h2v1, generic.ycc_downsample_h2v1);
      EXPECT_EQ(t.ycc_downsample_h2v2, generic.ycc_downsample_h2v2);
      EXPECT_EQ(t.split4_block, generic.split4_block);
      EXPECT_EQ(t.copy3_block, generic.copy3_block);
      EXPECT_EQ(t.copy3_h2v1, generic.copy3_h2v1);
      EXPECT_EQ(t.copy3_h2v2, generic.copy3_h2v2);
      EXPECT_EQ(t.copy3_to4_block, generic.copy3_to4_block);
      EXPECT_EQ(t.copy4_block, generic.copy4_block);
      EXPECT_EQ(vector_pixel_kernel_name(generic.ycc_to_rgb_block), nullptr);

      // an installed entry forwards to its member: same bytes as the member called directly
      std::mt19937 rng{uint32_t(cls)};
      const Blocks b = random_samples(rng, 6);
      Tile a(16, 16, 3), d(16, 16, 3);
      t.ycc_h2v2_to_bgr(b.data(), a.bytes.data(), a.step);
      jcodec::ycc_h2v2_to_bgr_v64(b.data(), d.bytes.data(), d.step);
      EXPECT_EQ(a.bytes, d.bytes);
    }
  }
}

}  // namespace
