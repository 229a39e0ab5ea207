// Block entropy coding: encode then decode, byte stuffing, named coding cases, the optimal
// table and long end-of-band runs.
#include <gtest/gtest.h>

#include <random>

#include "jpeg/internal.h"
#include "tests/jpeg/jpeg_test_util.h"

namespace {

using namespace jcodec;

struct Coder {
  JpegHuffEncode dc_enc{}, ac_enc{};
  JpegHuffDecode dc_dec{}, ac_dec{};
  Coder(const uint8_t* dcb, const uint8_t* dcv, const uint8_t* acb, const uint8_t* acv) {
    EXPECT_EQ(build_encode_table(dcb, dcv, &dc_enc), 0);
    EXPECT_EQ(build_encode_table(acb, acv, &ac_enc), 0);
    EXPECT_EQ(build_decode_table(dcb, dcv, 0, 0, &dc_dec), 0);
    EXPECT_EQ(build_decode_table(acb, acv, 1, 0, &ac_dec), 0);
  }
};

std::vector<uint8_t> encode_blocks(const Coder& c, const std::vector<std::array<int16_t, 64>>& blocks) {
  std::vector<uint8_t> buf(blocks.size() * 400 + 64);
  JpegOutput out{};
  jpeg_output_init(&out, buf.data(), buf.size());
  int32_t last = 0;
  for (const auto& b : blocks) EXPECT_EQ(encode_block(&out, &c.dc_enc, &c.ac_enc, &last, b.data()), 0);
  JPEG_DISPATCH_TABLE t{};
  t.jpeg_output_bytes = jpeg_output_bytes;
  EXPECT_EQ(finish_output(&out, &t), 0);
  buf.resize(out.cur);
  return buf;
}

std::vector<std::array<int16_t, 64>> decode_blocks(const Coder& c, const std::vector<uint8_t>& data, size_t n) {
  JpegStream in{};
  in.buf = data.data();
  in.end = data.size();
  int32_t last = 0;
  std::vector<std::array<int16_t, 64>> out(n);
  for (auto& b : out) EXPECT_EQ(decode_block(&in, &c.dc_dec, &c.ac_dec, &last, b.data()), 0);
  return out;
}

std::vector<std::array<int16_t, 64>> random_blocks(std::mt19937& rng, int n) {
  std::vector<std::array<int16_t, 64>> v(n);
  for (auto& b : v) {
    b.fill(0);
    b[0] = int16_t(int(rng() % 2000) - 1000);
    int nz = int(rng() % 64);
    for (int i = 0; i < nz; ++i) b[1 + rng() % 63] = int16_t(int(rng() % 2047) - 1023);
  }
  return v;
}

TEST(JpegEntropy, BlocksRoundTripWithStandardAndOptimalTables) {
  std::mt19937 rng(3);
  auto blocks = random_blocks(rng, 500);
  Coder k(kDcLumaBits, kDcLumaVals, kAcLumaBits, kAcLumaVals);
  std::vector<uint8_t> data = encode_blocks(k, blocks);
  for (size_t i = 0; i + 1 < data.size(); ++i)
    if (data[i] == 0xFF) {
      EXPECT_EQ(data[i + 1], 0) << i;
    }
  EXPECT_TRUE(decode_blocks(k, data, blocks.size()) == blocks);

  // optimal tables from the blocks' own statistics
  uint32_t dcf[257] = {}, acf[257] = {};
  int32_t last = 0;
  for (const auto& b : blocks) {
    count_dc_first(b.data(), &last, 0, dcf);
    int run = 0;
    for (int k2 = 1; k2 < 64; ++k2) {
      int v = b[kZigzag[k2]];
      if (!v) {
        ++run;
        continue;
      }
      while (run >= 16) ++acf[0xF0], run -= 16;
      int c = 0;
      for (int m = std::abs(v); m; m >>= 1) ++c;
      ++acf[(run << 4) | c];
      run = 0;
    }
    if (run) ++acf[0];
  }
  uint8_t dcb[16], dcv[256], acb[16], acv[256];
  build_optimal_huffman(dcf, dcb, dcv);
  build_optimal_huffman(acf, acb, acv);
  Coder opt(dcb, dcv, acb, acv);
  std::vector<uint8_t> od = encode_blocks(opt, blocks);
  EXPECT_LT(od.size(), data.size());
  EXPECT_TRUE(decode_blocks(opt, od, blocks.size()) == blocks);
}

// Bits written for one block, as a string of '0' and '1'.
std::string bits_of(const Coder& c, const std::array<int16_t, 64>& b, int32_t last = 0) {
  std::vector<uint8_t> buf(512);
  JpegOutput out{};
  jpeg_output_init(&out, buf.data(), buf.size());
  EXPECT_EQ(encode_block(&out, &c.dc_enc, &c.ac_enc, &last, b.data()), 0);
  std::string s;
  for (size_t i = 0; i < out.cur; ++i) {
    if (i > 0 && buf[i - 1] == 0xFF && buf[i] == 0) continue;
    for (int k = 7; k >= 0; --k) s += char('0' + ((buf[i] >> k) & 1));
  }
  for (int k = 7; k >= out.free_bits; --k) s += char('0' + ((out.acc >> k) & 1));
  return s;
}

std::string code_of(const JpegHuffEncode& t, int sym) {
  std::string s;
  for (int k = int(t.length[sym]) - 1; k >= 0; --k) s += char('0' + ((t.code[sym] >> k) & 1));
  return s;
}

TEST(JpegEntropy, NamedBlocks) {
  Coder k(kDcLumaBits, kDcLumaVals, kAcLumaBits, kAcLumaVals);
  std::array<int16_t, 64> zero{};
  EXPECT_EQ(bits_of(k, zero), code_of(k.dc_enc, 0) + code_of(k.ac_enc, 0x00));
  std::array<int16_t, 64> last63{};
  last63[63] = 1;  // zigzag 63 is natural 63
  EXPECT_EQ(bits_of(k, last63), code_of(k.dc_enc, 0) + code_of(k.ac_enc, 0xF0) + code_of(k.ac_enc, 0xF0) +
                                    code_of(k.ac_enc, 0xF0) + code_of(k.ac_enc, 0xE1) + "1");
  std::array<int16_t, 64> run20{};
  run20[kZigzag[21]] = -3;  // 20 zeros, then -3 (category 2, bits 00)
  EXPECT_EQ(bits_of(k, run20), code_of(k.dc_enc, 0) + code_of(k.ac_enc, 0xF0) + code_of(k.ac_enc, 0x42) + "00" +
                                   code_of(k.ac_enc, 0x00));
  std::array<int16_t, 64> dc{};
  dc[0] = -1;
  EXPECT_EQ(bits_of(k, dc), code_of(k.dc_enc, 1) + "0" + code_of(k.ac_enc, 0x00));
  dc[0] = 256;
  EXPECT_EQ(bits_of(k, dc), code_of(k.dc_enc, 9) + "100000000" + code_of(k.ac_enc, 0x00));
  // a symbol without a code is refused
  JpegHuffEncode empty{};
  std::vector<uint8_t> buf(64);
  JpegOutput out{};
  jpeg_output_init(&out, buf.data(), buf.size());
  int32_t last = 0;
  EXPECT_EQ(encode_block(&out, &empty, &k.ac_enc, &last, zero.data()), JPEG_ERR_HUFFMAN);
}

TEST(JpegEntropy, DecodeEndsQuietlyAtAMarker) {
  Coder k(kDcLumaBits, kDcLumaVals, kAcLumaBits, kAcLumaVals);
  std::mt19937 rng(11);
  auto blocks = random_blocks(rng, 4);
  std::vector<uint8_t> data = encode_blocks(k, blocks);
  data.resize(data.size() / 2);
  data.insert(data.end(), {0xFF, 0xD9});
  JpegStream in{};
  in.buf = data.data();
  in.end = data.size();
  int32_t last = 0;
  std::array<int16_t, 64> b{};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(decode_block(&in, &k.dc_dec, &k.ac_dec, &last, b.data()), 0);
  EXPECT_EQ(in.pending_marker, 0xD9);
  // memory input that ends inside a run of 0xFF bytes
  std::vector<uint8_t> ff{0x12, 0xFF, 0xFF};
  JpegStream in2{};
  in2.buf = ff.data();
  in2.end = ff.size();
  EXPECT_EQ(fill_bits(&in2, 24), JPEG_ERR_DATA);
}

// A block whose DC is cut off by a marker reads as 0 in both decoders, whatever the buffer held
// (the DC-only decoder serves 1/8 reads, whose blocks come from a buffer reused MCU after MCU).
TEST(JpegEntropy, BlockCutBeforeItsDcIsZero) {
  Coder k(kDcLumaBits, kDcLumaVals, kAcLumaBits, kAcLumaVals);
  const std::vector<uint8_t> data{0xFF, 0xD9};
  for (auto fn : {decode_block, decode_block_dc_only}) {
    JpegStream in{};
    in.buf = data.data();
    in.end = data.size();
    int32_t last = 0;
    std::array<int16_t, 64> b;
    b.fill(77);
    EXPECT_EQ(fn(&in, &k.dc_dec, &k.ac_dec, &last, b.data()), 0);
    EXPECT_EQ(b[0], 0);
    EXPECT_EQ(in.pending_marker, 0xD9);
  }
}

TEST(JpegEntropy, OptimalTableOnFibonacciCounts) {
  uint32_t freq[257] = {};
  uint32_t a = 1, b = 1;
  for (int i = 0; i < 40; ++i) {
    freq[i] = a;
    uint32_t c = a + b;
    a = b;
    b = c;
  }
  uint8_t bits[16], vals[256];
  int n = build_optimal_huffman(freq, bits, vals);
  EXPECT_EQ(n, 40);
  int total = 0;
  double kraft = 0;
  for (int l = 1; l <= 16; ++l) {
    total += bits[l - 1];
    kraft += bits[l - 1] / double(1 << l);
  }
  EXPECT_EQ(total, 40);
  EXPECT_LT(kraft, 1.0);  // the all-ones code stays free
  JpegHuffEncode enc{};
  EXPECT_EQ(build_encode_table(bits, vals, &enc), 0);
  for (int i = 0; i < 40; ++i) EXPECT_LE(enc.length[i], 16u);
  // the most frequent symbols have the shortest codes
  EXPECT_LE(enc.length[39], enc.length[0]);
}

TEST(JpegEntropy, EndOfBandRunsAboveTheLimit) {
  // a flat 2048 x 2048 picture: every AC band is empty, so the runs pass 32,767 blocks
  jpegref::Image flat{2048, 2048, 1, std::vector<uint8_t>(2048 * 2048, 90)};
  jpegref::EncodeOpts o;
  o.h0 = o.v0 = 1;
  std::vector<uint8_t> base = jpegref::encode(flat, o);
  jpegref::TranscodeOpts t;
  t.progressive = true;
  std::vector<uint8_t> prog = jpegref::transcode(base, t);
  jt::Decoded a = jt::decode(base, 3, {1, JPEG_COLOR_GRAY, 0, false});
  jt::Decoded b = jt::decode(prog, 3, {1, JPEG_COLOR_GRAY, 0, false});
  ASSERT_EQ(a.rc, 0);
  ASSERT_EQ(b.rc, 0);
  EXPECT_TRUE(a.img.px == b.img.px);
  for (uint8_t v : b.img.px) ASSERT_NEAR(v, 90, 1);
}

}  // namespace
