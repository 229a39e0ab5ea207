// The vector Huffman coders against the generic ones: the same bytes for the same blocks, the
// room and file rules of the 32-bit groups, symbols without a code, and the decoders' marker rule.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

#include "jpeg/internal.h"
#include "jpeg/vector_kernels.h"
#include "tests/jpeg/jpeg_test_util.h"

namespace {

using namespace jcodec;
using Block = std::array<int16_t, 64>;

struct Tables {
  JpegHuffEncode dc_enc{}, ac_enc{};
  JpegHuffDecode dc_dec{}, ac_dec{};
  Tables(const uint8_t* dcb, const uint8_t* dcv, const uint8_t* acb, const uint8_t* acv) {
    EXPECT_EQ(build_encode_table(dcb, dcv, &dc_enc), 0);
    EXPECT_EQ(build_encode_table(acb, acv, &ac_enc), 0);
    EXPECT_EQ(build_decode_table(dcb, dcv, 0, 0, &dc_dec), 0);
    EXPECT_EQ(build_decode_table(acb, acv, 1, 0, &ac_dec), 0);
  }
};

std::vector<Block> random_blocks(std::mt19937& rng, int n) {
  std::vector<Block> v(n);
  for (size_t i = 0; i < v.size(); ++i) {
    Block& b = v[i];
    b.fill(0);
    b[0] = int16_t(int(rng() % 2000) - 1000);
    const int nz = i % 7 == 0 ? 63 : int(rng() % 40);
    for (int k = 0; k < nz; ++k) b[1 + rng() % 63] = int16_t(int(rng() % 2047) - 1023);
    if (i % 11 == 0) b[63] = 5;  // last coefficient at zigzag 63: no end of block
    if (i % 13 == 0) b.fill(0), b[kZigzag[40]] = -1;  // a run past 16 zeros
  }
  return v;
}

// The file side: every write appended, with an injected short write.
struct SinkFile {
  std::vector<uint8_t> bytes;
  int64_t short_after = -1;  // writes fail once this many bytes are written
  int writes = 0;
  static int64_t write(void* f, const void* src, size_t n, void* ctx) {
    auto* s = static_cast<SinkFile*>(ctx);
    (void)f;
    ++s->writes;
    if (s->short_after >= 0 && int64_t(s->bytes.size() + n) > s->short_after) return int64_t(n) - 1;
    s->bytes.insert(s->bytes.end(), static_cast<const uint8_t*>(src), static_cast<const uint8_t*>(src) + n);
    return int64_t(n);
  }
  JpegFileOps ops() { return JpegFileOps{nullptr, nullptr, nullptr, write, nullptr, nullptr, this}; }
};

struct Writer {
  JPEG_DISPATCH_TABLE t{};
  JpegOutput out{};
  std::vector<uint8_t> mem;
  SinkFile file;
  JpegFileOps ops{};
  Writer(bool to_file, size_t size, bool vector) {
    t.jpeg_output_bytes = vector ? output_bytes_v64 : jpeg_output_bytes;
    if (to_file) {
      ops = file.ops();
      out.file = &file;
      out.ops = &ops;
    }
    mem.resize(size);
    (vector ? jpeg_output_init_v64 : jpeg_output_init)(&out, mem.data(), mem.size());
  }
  std::vector<uint8_t> bytes() {
    EXPECT_EQ(finish_output(&out, &t), 0);
    if (out.file) return file.bytes;
    return std::vector<uint8_t>(mem.begin(), mem.begin() + out.cur);
  }
};

std::vector<uint8_t> encode_with(JpegEncodeBlockFn fn, const Tables& k, const std::vector<Block>& blocks, bool to_file,
                                 bool vector) {
  Writer w(to_file, blocks.size() * 400 + 64, vector);
  int32_t last = 0;
  for (size_t i = 0; i < blocks.size(); ++i) {
    EXPECT_EQ(fn(&w.out, &k.dc_enc, &k.ac_enc, &last, blocks[i].data()), 0);
    // a marker now and then between blocks, as restart intervals write them
    if (i % 50 == 49) {
      const uint8_t rst[2] = {0xFF, uint8_t(0xD0 + (i / 50) % 8)};
      EXPECT_EQ(w.t.jpeg_output_bytes(rst, 2, &w.out), 0);
    }
  }
  return w.bytes();
}

Tables optimal_for(const std::vector<Block>& blocks) {
  uint32_t dcf[257] = {}, acf[257] = {};
  int32_t last = 0;
  int32_t eob = 0;
  for (const auto& b : blocks) {
    count_dc_first(b.data(), &last, 0, dcf);
    count_ac_first(b.data(), 1, 63, 0, &eob, acf);
    count_eob_run(&eob, acf);
  }
  static uint8_t dcb[16], dcv[256], acb[16], acv[256];
  build_optimal_huffman(dcf, dcb, dcv);
  build_optimal_huffman(acf, acb, acv);
  return Tables(dcb, dcv, acb, acv);
}

TEST(JpegVectorEntropy, EncodersWriteTheGenericBytes) {
  std::mt19937 rng(41);
  const auto blocks = random_blocks(rng, 600);
  const Tables std_tables(kDcLumaBits, kDcLumaVals, kAcLumaBits, kAcLumaVals);
  const Tables opt = optimal_for(blocks);
  for (const Tables* k : {&std_tables, &opt})
    for (bool to_file : {false, true}) {
      SCOPED_TRACE(testing::Message() << (k == &opt ? "optimal" : "K") << (to_file ? " file" : " memory"));
      const auto want = encode_with(encode_block, *k, blocks, to_file, false);
      EXPECT_GT(want.size(), 4096u * 2);  // file output passes the buffer several times
      EXPECT_EQ(encode_with(encode_block_v64, *k, blocks, to_file, true), want) << "classes 3, 4, 6";
      EXPECT_EQ(encode_with(encode_block_v64x, *k, blocks, to_file, true), want) << "class 5";
    }
}

TEST(JpegVectorEntropy, ScanListsTheNonZeroCoefficientsWithTheirRuns) {
  Block b{};
  b[0] = 9;  // the DC is not listed
  b[kZigzag[1]] = 3;
  b[kZigzag[20]] = -2;
  b[kZigzag[63]] = 1;
  uint32_t list[64];
  ASSERT_EQ(scan_block_v64(b.data(), list), 3);
  EXPECT_EQ(list[0], (0u << 16) | 3u);
  EXPECT_EQ(list[1], (18u << 16) | 0xFFFEu);
  EXPECT_EQ(list[2], (42u << 16) | 1u);
  b.fill(0);
  EXPECT_EQ(scan_block_v64(b.data(), list), 0);
}

TEST(JpegVectorEntropy, GroupsAndRoom) {
  // four 0xFF bytes in one group
  std::vector<uint8_t> buf(16, 0xEE);
  JpegOutput out{};
  jpeg_output_init_v64(&out, buf.data(), buf.size());
  JpegBitSink s;
  bit_sink_open(&s, &out);
  EXPECT_EQ(put_bits_memory_v64(0xFFFF, 16, &s), 0);
  EXPECT_EQ(put_bits_memory_v64(0xFFFF, 16, &s), 0);
  EXPECT_EQ(out.cur, 0u);  // 32 pending: no group yet
  EXPECT_EQ(put_bits_memory_v64(0, 1, &s), 0);
  const std::vector<uint8_t> stuffed{0xFF, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0};
  EXPECT_EQ(std::vector<uint8_t>(buf.begin(), buf.begin() + out.cur), stuffed);
  EXPECT_EQ(out.count, 8u);

  // three bytes of room when a group is due: -28, the bits stay pending
  std::vector<uint8_t> small(3);
  JpegOutput o2{};
  jpeg_output_init_v64(&o2, small.data(), small.size());
  bit_sink_open(&s, &o2);
  EXPECT_EQ(put_bits_memory_v64(0x1234, 16, &s), 0);
  EXPECT_EQ(put_bits_memory_v64(0x5678, 16, &s), 0);
  EXPECT_EQ(put_bits_memory_v64(1, 1, &s), JPEG_ERR_OUTPUT_SMALL);
  EXPECT_EQ(s.pending, 33);
  EXPECT_EQ(o2.cur, 0u);

  // raw bytes into a full memory buffer
  std::vector<uint8_t> two(2);
  JpegOutput o3{};
  jpeg_output_init_v64(&o3, two.data(), two.size());
  const uint8_t marker[2] = {0xFF, 0xD9};
  EXPECT_EQ(output_bytes_v64(marker, 2, &o3), 0);
  EXPECT_EQ(output_bytes_v64(marker, 2, &o3), JPEG_ERR_OUTPUT_SMALL);
  EXPECT_EQ(o3.cur, 2u);

  // raw bytes into a full file buffer: the buffer goes out first, whole
  SinkFile f;
  JpegFileOps ops = f.ops();
  JpegOutput o4{};
  o4.file = &f;
  o4.ops = &ops;
  jpeg_output_init_v64(&o4, nullptr, 0);
  std::vector<uint8_t> big(4096 + 100, 0x11);
  EXPECT_EQ(output_bytes_v64(big.data(), big.size(), &o4), 0);
  EXPECT_EQ(f.bytes.size(), 4096u);
  EXPECT_EQ(o4.cur, 100u);
  EXPECT_EQ(output_flush_file(&o4), 0);
  EXPECT_EQ(f.bytes.size(), 4196u);

  // a short file write is a file error
  SinkFile bad;
  bad.short_after = 0;
  JpegFileOps bops = bad.ops();
  JpegOutput o5{};
  o5.file = &bad;
  o5.ops = &bops;
  jpeg_output_init_v64(&o5, nullptr, 0);
  EXPECT_EQ(output_bytes_v64(big.data(), big.size(), &o5), JPEG_ERR_FILE);
}

TEST(JpegVectorEntropy, PendingBitsBeforeRawBytesArePaddedWithZeros) {
  for (bool vector : {false, true}) {
    std::vector<uint8_t> buf(8);
    JpegOutput out{};
    jpeg_output_init(&out, buf.data(), buf.size());
    ASSERT_EQ(put_bits(&out, 0x5, 3), 0);  // 101 pending
    const uint8_t m[2] = {0xFF, 0xD0};
    EXPECT_EQ((vector ? output_bytes_v64 : jpeg_output_bytes)(m, 2, &out), 0);
    EXPECT_EQ(out.cur, 3u);
    EXPECT_EQ(buf[0], 0xA0);
    EXPECT_EQ(buf[1], 0xFF);
  }
}

TEST(JpegVectorEntropy, SymbolWithoutACodeIsRefused) {
  const Tables k(kDcLumaBits, kDcLumaVals, kAcLumaBits, kAcLumaVals);
  JpegHuffEncode empty{};
  // an AC table without ZRL
  JpegHuffEncode no_zrl = k.ac_enc;
  no_zrl.length[0xF0] = 0;
  Block zero{}, run{};
  run[kZigzag[30]] = 1;
  Block big_dc{};
  big_dc[0] = 32767;  // difference category 15: no code in K.3
  struct Case {
    const JpegHuffEncode* dc;
    const JpegHuffEncode* ac;
    const Block* block;
  };
  const Case cases[] = {{&empty, &k.ac_enc, &zero}, {&k.dc_enc, &empty, &zero}, {&k.dc_enc, &no_zrl, &run},
                        {&k.dc_enc, &k.ac_enc, &big_dc}};
  for (auto fn : {encode_block, encode_block_v64, encode_block_v64x})
    for (bool to_file : {false, true})
      for (const Case& c : cases) {
        Writer w(to_file, 256, fn != encode_block);
        int32_t last = 0;
        EXPECT_EQ(fn(&w.out, c.dc, c.ac, &last, c.block->data()), JPEG_ERR_HUFFMAN);
      }
}

// ---- decoders -----------------------------------------------------------------------------------------

std::vector<Block> decode_with(JpegDecodeBlockFn fn, const Tables& k, const std::vector<uint8_t>& data, size_t n,
                               JpegStream* state = nullptr) {
  JpegStream in{};
  in.buf = data.data();
  in.end = data.size();
  int32_t last = 0;
  std::vector<Block> out(n);
  for (auto& b : out) EXPECT_EQ(fn(&in, &k.dc_dec, &k.ac_dec, &last, b.data()), 0);
  if (state) *state = in;
  return out;
}

TEST(JpegVectorEntropy, DecodersGiveTheGenericCoefficients) {
  std::mt19937 rng(42);
  const auto blocks = random_blocks(rng, 800);
  const Tables std_tables(kDcLumaBits, kDcLumaVals, kAcLumaBits, kAcLumaVals);
  const Tables opt = optimal_for(blocks);
  for (const Tables* k : {&std_tables, &opt}) {
    const auto data = encode_with(encode_block, *k, std::vector<Block>(blocks.begin(), blocks.begin() + 49), false, false);
    JpegStream g{}, v{};
    const auto want = decode_with(decode_block, *k, data, 49, &g);
    for (auto fn : {decode_block_v64a, decode_block_v64}) {
      EXPECT_EQ(decode_with(fn, *k, data, 49, &v), want);
      EXPECT_EQ(v.cur, g.cur);
      EXPECT_EQ(v.bits, g.bits);
    }
    // the DC-only decoder keeps the DCs and walks the same bits
    const auto dcs = decode_with(decode_block_dc_only_v64, *k, data, 49, &v);
    for (size_t i = 0; i < dcs.size(); ++i) EXPECT_EQ(dcs[i][0], want[i][0]) << i;
    EXPECT_EQ(v.cur, g.cur);
  }
}

TEST(JpegVectorEntropy, MarkerInsideABlockLeavesZeroBits) {
  const Tables k(kDcLumaBits, kDcLumaVals, kAcLumaBits, kAcLumaVals);
  std::mt19937 rng(43);
  const auto blocks = random_blocks(rng, 6);
  const auto full = encode_with(encode_block, k, blocks, false, false);
  std::vector<uint8_t> cut(full.begin(), full.begin() + full.size() / 2);
  while (!cut.empty() && cut.back() == 0xFF) cut.pop_back();
  // the same bytes followed by zeros: what the vector decoders must read after the marker
  std::vector<uint8_t> zeros = cut;
  zeros.resize(cut.size() + 64, 0);
  std::vector<uint8_t> marked = cut;
  marked.insert(marked.end(), {0xFF, 0xD9});
  const auto want = decode_with(decode_block, k, zeros, blocks.size());
  for (auto fn : {decode_block_v64a, decode_block_v64}) {
    JpegStream st{};
    EXPECT_EQ(decode_with(fn, k, marked, blocks.size(), &st), want);
    EXPECT_EQ(st.pending_marker, 0xD9);
  }
}

TEST(JpegVectorEntropy, FileRefillAtTheEndIsErrorEof) {
  jt::MemFiles files;
  files.files["a"] = {1, 2, 3};
  JpegFileOps ops = files.ops();
  JpegStream in{};
  in.ops = &ops;
  in.file = ops.open_read("a", ops.ctx);
  ASSERT_NE(in.file, nullptr);
  in.buf = in.file_buffer;
  EXPECT_EQ(input_refill_file(&in), 0);
  EXPECT_EQ(in.end, 3u);
  in.cur = in.end;
  EXPECT_EQ(input_refill_file(&in), JPEG_ERR_EOF);
  ops.close(in.file, ops.ctx);
}

}  // namespace
