// Quantisation and Huffman tables: quality scaling, code generation for both directions,
// lookahead and slow decoding paths, and refusals of bad table segments.
#include <gtest/gtest.h>

#include <random>

#include "jpeg/internal.h"
#include "tests/jpeg/jpeg_test_util.h"

namespace {

using namespace jcodec;

// T.81 K.1 in natural order, written out independently of the codec's copy.
const int kK1[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                     14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                     18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                     49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};

TEST(JpegTables, QualityScaling) {
  int16_t out[64];
  scale_quant_table(50, kStdLumaQuant, out);
  for (int k = 0; k < 64; ++k) EXPECT_EQ(out[k], kK1[kZigzag[k]]) << k;  // stored in zigzag order
  scale_quant_table(100, kStdLumaQuant, out);
  for (int k = 0; k < 64; ++k) EXPECT_EQ(out[k], 1);
  int16_t q1[64], q0[64], qm5[64], q120[64], q75[64];
  scale_quant_table(1, kStdLumaQuant, q1);
  scale_quant_table(0, kStdLumaQuant, q0);
  scale_quant_table(-5, kStdLumaQuant, qm5);
  scale_quant_table(120, kStdLumaQuant, q120);
  scale_quant_table(75, kStdLumaQuant, q75);
  for (int k = 0; k < 64; ++k) {
    EXPECT_EQ(q0[k], q1[k]);
    EXPECT_EQ(qm5[k], q1[k]);
    EXPECT_EQ(q120[k], 1);
    EXPECT_EQ(q1[k], std::min(255, (kK1[kZigzag[k]] * 5000 + 50) / 100));
    EXPECT_EQ(q75[k], std::max(1, (kK1[kZigzag[k]] * 50 + 50) / 100));
  }
}

// Codes every symbol with the encoding table and reads it back with the decoding table.
void round_trip(const uint8_t counts[16], const uint8_t* values, int tclass) {
  JpegHuffEncode enc{};
  JpegHuffDecode dec{};
  ASSERT_EQ(build_encode_table(counts, values, &enc), 0);
  ASSERT_EQ(build_decode_table(counts, values, tclass, 0, &dec), 0);
  int total = 0;
  for (int i = 0; i < 16; ++i) total += counts[i];
  std::vector<uint8_t> buf(4096);
  JpegOutput out{};
  jpeg_output_init(&out, buf.data(), buf.size());
  for (int i = 0; i < total; ++i) ASSERT_EQ(put_bits(&out, enc.code[values[i]], int(enc.length[values[i]])), 0);
  JPEG_DISPATCH_TABLE t{};
  t.jpeg_output_bytes = jpeg_output_bytes;
  ASSERT_EQ(finish_output(&out, &t), 0);
  JpegStream in{};
  in.buf = buf.data();
  in.end = out.cur;
  for (int i = 0; i < total; ++i) {
    int32_t sym = -1;
    ASSERT_EQ(decode_symbol(&in, &dec, &sym), 0);
    EXPECT_EQ(sym, values[i]) << i;
  }
}

TEST(JpegTables, EveryStandardSymbolRoundTrips) {
  round_trip(kDcLumaBits, kDcLumaVals, 0);
  round_trip(kDcChromaBits, kDcChromaVals, 0);
  round_trip(kAcLumaBits, kAcLumaVals, 1);
  round_trip(kAcChromaBits, kAcChromaVals, 1);
}

TEST(JpegTables, RandomValidTablesRoundTrip) {
  std::mt19937 rng(7);
  for (int iter = 0; iter < 200; ++iter) {
    // random lengths that satisfy Kraft's inequality with room to spare
    uint8_t counts[16] = {};
    int total = 1 + int(rng() % 200);
    double kraft = 0;
    int placed = 0;
    while (placed < total) {
      int len = 1 + int(rng() % 16);
      while (len <= 16 && kraft + 1.0 / (1 << len) >= 1.0) ++len;
      if (len > 16) break;
      kraft += 1.0 / (1 << len);
      ++counts[len - 1];
      ++placed;
    }
    if (placed == 0) continue;
    std::vector<uint8_t> values(256);
    for (int i = 0; i < 256; ++i) values[i] = uint8_t(i);
    std::shuffle(values.begin(), values.end(), rng);
    round_trip(counts, values.data(), 1);
  }
}

TEST(JpegTables, LookaheadAndSlowPath) {
  // one 1-bit code, then codes up to 12 bits
  const uint8_t counts[16] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2};
  const uint8_t values[13] = {0x11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0x21, 0x22};
  JpegHuffDecode dec{};
  ASSERT_EQ(build_decode_table(counts, values, 1, 0, &dec), 0);
  int ones = 0;
  for (uint32_t e : dec.lookahead) ones += e == ((1u << 16) | 0x11);
  EXPECT_EQ(ones, 128);
  EXPECT_EQ(dec.lookahead[0xFF], 0u);  // 1111 1111 starts a code longer than 8 bits
  round_trip(counts, values, 1);
}

TEST(JpegTables, Refusals) {
  const uint8_t over[16] = {3};
  const uint8_t vals[256] = {};
  JpegHuffDecode dec{};
  JpegHuffEncode enc{};
  EXPECT_EQ(build_decode_table(over, vals, 1, 0, &dec), JPEG_ERR_HUFFMAN);
  EXPECT_EQ(build_encode_table(over, vals, &enc), JPEG_ERR_HUFFMAN);
  const uint8_t dc16[16] = {0, 1};
  const uint8_t v16[1] = {16};
  EXPECT_EQ(build_decode_table(dc16, v16, 0, 0, &dec), JPEG_ERR_HUFFMAN);  // no DC category 16
  EXPECT_EQ(build_decode_table(dc16, v16, 1, 0, &dec), 0);

  JPEG_IMAGE_PROPS p{};
  ASSERT_EQ(JpegCodecInit(&p), 0);
  JPEG_PROPERTIES* st = &p.state;
  std::vector<uint8_t> dqt(1 + 64, 1);
  dqt[0] = 0x03;
  EXPECT_EQ(read_dqt(st, dqt.data(), dqt.size()), 0);
  dqt[0] = 0x04;
  EXPECT_EQ(read_dqt(st, dqt.data(), dqt.size()), JPEG_ERR_QUANT);
  dqt[0] = 0x00;
  EXPECT_EQ(read_dqt(st, dqt.data(), 40), JPEG_ERR_DATA);  // table past the segment
  std::vector<uint8_t> dqt16(1 + 128);
  dqt16[0] = 0x12;
  for (int k = 0; k < 64; ++k) dqt16[1 + 2 * k] = uint8_t(k), dqt16[2 + 2 * k] = uint8_t(0x80 + k);
  EXPECT_EQ(read_dqt(st, dqt16.data(), dqt16.size()), 0);
  EXPECT_EQ(uint16_t(st->quant[2].values[5]), 0x0585);  // big-endian
  EXPECT_EQ(st->quant[2].precision, 1);

  std::vector<uint8_t> dht = {0x00, 0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  EXPECT_EQ(read_dht(st, dht.data(), dht.size()), 0);
  dht[0] = 0x20;
  EXPECT_EQ(read_dht(st, dht.data(), dht.size()), JPEG_ERR_HUFFMAN);
  dht[0] = 0x04;
  EXPECT_EQ(read_dht(st, dht.data(), dht.size()), JPEG_ERR_HUFFMAN);
  dht[0] = 0x00;
  EXPECT_EQ(read_dht(st, dht.data(), dht.size() - 1), JPEG_ERR_DATA);
  // more than 256 values is refused before anything reaches a caller's buffers
  uint8_t counts_copy[16];
  std::fill(std::begin(counts_copy), std::end(counts_copy), 0xEE);
  uint8_t values_copy[300] = {};
  st->caller_huff[0] = JpegCallerHuff{counts_copy, values_copy, 1, 0};
  std::vector<uint8_t> big(1 + 16 + 300, 0);
  big[0] = 0x10;
  for (int i = 0; i < 16; ++i) big[1 + i] = 17;
  EXPECT_EQ(read_dht(st, big.data(), big.size()), JPEG_ERR_HUFFMAN);
  EXPECT_EQ(counts_copy[0], 0xEE);
  st->caller_huff[0] = JpegCallerHuff{};
  JpegCodecFree(&p);
}

TEST(JpegTables, WritersProduceSegmentsTheReaderTakesBack) {
  std::vector<uint8_t> buf(2048);
  JpegOutput out{};
  jpeg_output_init(&out, buf.data(), buf.size());
  JPEG_DISPATCH_TABLE t{};
  t.jpeg_output_bytes = jpeg_output_bytes;
  int16_t q[64];
  scale_quant_table(75, kStdChromaQuant, q);
  ASSERT_EQ(write_dqt(&out, &t, 0, 1, q), 0);
  ASSERT_EQ(write_dht(&out, &t, kAcLumaBits, kAcLumaVals, 1, 2), 0);
  ASSERT_EQ(out.cur, size_t(4 + 65 + 4 + 17 + 162));
  EXPECT_EQ(buf[0], 0xFF);
  EXPECT_EQ(buf[1], 0xDB);
  EXPECT_EQ(buf[3], 67);
  JPEG_IMAGE_PROPS p{};
  ASSERT_EQ(JpegCodecInit(&p), 0);
  EXPECT_EQ(read_dqt(&p.state, buf.data() + 4, 65), 0);
  for (int k = 0; k < 64; ++k) EXPECT_EQ(p.state.quant[1].values[k], q[k]);
  EXPECT_EQ(read_dht(&p.state, buf.data() + 73, 17 + 162), 0);
  EXPECT_TRUE(p.state.ac_tables[2].present);
  JpegCodecFree(&p);
}

}  // namespace
