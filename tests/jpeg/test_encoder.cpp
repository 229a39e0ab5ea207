// The writer: header and segment bytes, comments, tables-only and abbreviated streams, restart
// markers, the progressive scripts, missing tables, full outputs, file failures, allocation
// failures and resumption after an interrupt.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>

#include "jpeg/internal.h"
#include "tests/jpeg/jpeg_test_util.h"

namespace {

using jt::Bytes;
using jt::WriteOpts;

std::vector<int> markers(const Bytes& jpeg) {
  std::vector<int> m;
  for (const jt::Segment& s : jt::split(jpeg)) m.push_back(s.marker);
  return m;
}

const jt::Segment* first_of(const std::vector<jt::Segment>& segs, int marker) {
  for (const auto& s : segs)
    if (s.marker == marker) return &s;
  return nullptr;
}

// The first segment of a marker in a stream, as a copy.
std::optional<jt::Segment> segment_of(const Bytes& jpeg, int marker) {
  const auto segs = jt::split(jpeg);
  const jt::Segment* s = first_of(segs, marker);
  return s ? std::optional<jt::Segment>(*s) : std::nullopt;
}

Bytes seg_bytes(std::initializer_list<int> v) {
  Bytes b;
  for (int x : v) b.push_back(uint8_t(x));
  return b;
}

// The restart markers inside entropy data, in order.
std::vector<int> restart_markers(const Bytes& jpeg) {
  std::vector<int> r;
  for (size_t i = 0; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] >= 0xD0 && jpeg[i + 1] <= 0xD7) r.push_back(jpeg[i + 1] - 0xD0);
  return r;
}

TEST(JpegEncoder, DefaultHeaderBytes) {
  const jpegref::Image& img = jt::source(16, 16, 3);
  jt::Written w = jt::write(img, WriteOpts{});
  ASSERT_EQ(w.rc, 0);
  const Bytes& j = w.jpeg;
  const Bytes head = seg_bytes({0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
  ASSERT_GE(j.size(), head.size());
  EXPECT_TRUE(std::equal(head.begin(), head.end(), j.begin()));
  const std::string banner = "Vorn JPEG Codec, version [1.5.1.44]";
  Bytes com = seg_bytes({0xFF, 0xFE, 0, 0x26});
  com.insert(com.end(), banner.begin(), banner.end());
  com.push_back(0);
  EXPECT_TRUE(std::equal(com.begin(), com.end(), j.begin() + ptrdiff_t(head.size())));
  EXPECT_EQ(markers(j), (std::vector<int>{0xD8, 0xE0, 0xFE, 0xDB, 0xDB, 0xC4, 0xC4, 0xC4, 0xC4, 0xC0, 0xDA, 0xD9}));
  const auto segs = jt::split(j);
  // two 8-bit tables: K.1 and K.2 scaled for quality 75, zigzag order
  int dqt = 0;
  for (const auto& s : segs) {
    if (s.marker != 0xDB) continue;
    ASSERT_EQ(s.body.size(), 67u);
    EXPECT_EQ(s.body[0] << 8 | s.body[1], 67);
    EXPECT_EQ(s.body[2], dqt);
    int16_t want[64];
    jcodec::scale_quant_table(75, dqt == 0 ? jcodec::kStdLumaQuant : jcodec::kStdChromaQuant, want);
    for (int k = 0; k < 64; ++k) EXPECT_EQ(s.body[size_t(3 + k)], want[k]);
    ++dqt;
  }
  // DHT: DC 0 (K.3), AC 0 (K.5), DC 1 (K.4), AC 1 (K.6)
  const uint8_t* bits[] = {jcodec::kDcLumaBits, jcodec::kAcLumaBits, jcodec::kDcChromaBits, jcodec::kAcChromaBits};
  const uint8_t* vals[] = {jcodec::kDcLumaVals, jcodec::kAcLumaVals, jcodec::kDcChromaVals, jcodec::kAcChromaVals};
  const int ids[] = {0x00, 0x10, 0x01, 0x11};
  int dht = 0;
  for (const auto& s : segs) {
    if (s.marker != 0xC4) continue;
    EXPECT_EQ(s.body[2], ids[dht]);
    size_t n = 0;
    for (int i = 0; i < 16; ++i) {
      EXPECT_EQ(s.body[size_t(3 + i)], bits[dht][i]);
      n += bits[dht][i];
    }
    EXPECT_EQ(s.body.size(), 19 + n);
    EXPECT_TRUE(std::equal(vals[dht], vals[dht] + n, s.body.begin() + 19));
    ++dht;
  }
  const jt::Segment* sof = first_of(segs, 0xC0);
  ASSERT_NE(sof, nullptr);
  EXPECT_EQ(sof->body, seg_bytes({0, 17, 8, 0, 16, 0, 16, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1}));
  const jt::Segment* sos = first_of(segs, 0xDA);
  ASSERT_NE(sos, nullptr);
  const Bytes sos_head = seg_bytes({0, 12, 3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0});
  EXPECT_TRUE(std::equal(sos_head.begin(), sos_head.end(), sos->body.begin()));
  EXPECT_EQ(j[j.size() - 2], 0xFF);
  EXPECT_EQ(j.back(), 0xD9);
}

TEST(JpegEncoder, AdobeSegmentForRgbAndFourChannelStreams) {
  struct Case {
    int dib_color, dib_channels, jpg_color, jpg_channels, sampling, transform;
  };
  for (const Case c : {Case{1, 3, 1, 3, 0, 0}, Case{5, 4, 5, 4, 0, 0}, Case{5, 4, 6, 4, 3, 2}}) {
    SCOPED_TRACE(c.jpg_color);
    WriteOpts s;
    s.dib_color = c.dib_color, s.dib_channels = c.dib_channels;
    s.jpg_color = c.jpg_color, s.jpg_channels = c.jpg_channels, s.sampling = c.sampling;
    jt::Written w = jt::write(jt::source(16, 16, 4), s);
    ASSERT_EQ(w.rc, 0);
    const auto segs = jt::split(w.jpeg);
    EXPECT_EQ(first_of(segs, 0xE0), nullptr);
    const jt::Segment* a = first_of(segs, 0xEE);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->body, seg_bytes({0, 14, 'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0, c.transform}));
  }
}

// Writes a 16 x 16 B,G,R picture with the record adjusted first; the stream, or empty.
Bytes write_with(const std::function<void(JPEG_IMAGE_PROPS&)>& set, int mode = 9, int* rc_out = nullptr,
                 int w = 16, int h = 16) {
  jt::WriteOpts opts;
  Bytes px = jt::dib_bytes(jt::source(w, h, 3), opts);
  Bytes out(200000);
  JPEG_IMAGE_PROPS p{};
  EXPECT_EQ(JpegCodecInit(&p), 0);
  p.dib_bytes = px.data();
  p.dib_width = w;
  p.dib_height = h;
  p.jpg_bytes = out.data();
  p.jpg_size_bytes = int32_t(out.size());
  p.jpg_width = w;
  p.jpg_height = h;
  set(p);
  const int rc = JpegCodecWrite(&p, mode);
  if (rc_out) *rc_out = rc;
  out.resize(rc == 0 ? size_t(p.jpg_size_bytes) : 0);
  JpegCodecFree(&p);
  return out;
}

TEST(JpegEncoder, CallerComments) {
  std::vector<char> text(70000, 'c');
  Bytes j = write_with([&](JPEG_IMAGE_PROPS& p) {
    p.state.jpeg_comment = text.data();
    p.state.jpeg_comment_size = 65535;  // the most the size field holds
  });
  const std::optional<jt::Segment> com = segment_of(j, 0xFE);
  ASSERT_TRUE(com);
  EXPECT_EQ(com->body[0] << 8 | com->body[1], 65533);
  EXPECT_EQ(com->body.size(), 65533u);
  // a short comment: length = size + 2, no terminating byte
  j = write_with([&](JPEG_IMAGE_PROPS& p) {
    p.state.jpeg_comment = text.data();
    p.state.jpeg_comment_size = 5;
  });
  EXPECT_EQ(segment_of(j, 0xFE)->body, seg_bytes({0, 7, 'c', 'c', 'c', 'c', 'c'}));
  j = write_with([&](JPEG_IMAGE_PROPS& p) {
    p.state.jpeg_comment = text.data();
    p.state.jpeg_comment_size = 0;
  });
  EXPECT_FALSE(segment_of(j, 0xFE));
}

TEST(JpegEncoder, TablesOnlyAndAbbreviatedImage) {
  Bytes tables = write_with([](JPEG_IMAGE_PROPS&) {}, 11);
  EXPECT_EQ(markers(tables), (std::vector<int>{0xD8, 0xE0, 0xFE, 0xDB, 0xDB, 0xC4, 0xC4, 0xC4, 0xC4, 0xD9}));
  Bytes image = write_with([](JPEG_IMAGE_PROPS&) {}, 13);
  EXPECT_EQ(markers(image), (std::vector<int>{0xD8, 0xC0, 0xDA, 0xD9}));
  // one SOI in a progressive abbreviated image too
  Bytes prog = write_with([](JPEG_IMAGE_PROPS& p) { p.state.progressive_switch = 1; }, 13);
  std::vector<int> m = markers(prog);
  EXPECT_EQ(std::count(m.begin(), m.end(), 0xD8), 1);
  EXPECT_EQ(m[1], 0xC2);
}

TEST(JpegEncoder, RestartMarkersCycleAfterEveryIntervalWithPredictorsCleared) {
  int rc = 0;
  // 160 x 8 at 4:4:4: 20 MCUs, a marker after every second
  Bytes j = write_with([](JPEG_IMAGE_PROPS& p) {
    p.jpg_subsampling = 0;
    p.state.restart_interval = 2;
  }, 9, &rc, 160, 8);
  ASSERT_EQ(rc, 0);
  const std::optional<jt::Segment> dri = segment_of(j, 0xDD);
  ASSERT_TRUE(dri);
  EXPECT_EQ(dri->body, seg_bytes({0, 4, 0, 2}));
  EXPECT_EQ(restart_markers(j), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 0, 1}));
  // predictors start again: libjpeg reads the same picture as without restarts
  Bytes plain = write_with([](JPEG_IMAGE_PROPS& p) { p.jpg_subsampling = 0; }, 9, &rc, 160, 8);
  EXPECT_EQ(jpegref::decode(j).px, jpegref::decode(plain).px);
}

struct ScriptCase {
  const char* name;
  int dib_color, dib_channels, jpg_color, jpg_channels;
  int scans;  // -8: refused
};

TEST(JpegEncoder, ProgressiveScriptsPerComponentCountAndColour) {
  const ScriptCase cases[] = {
      {"grey", 4, 1, 4, 1, 6},        {"two other", 255, 2, 255, 2, 5},  {"YCbCr", 2, 3, 3, 3, 10},
      {"R,G,B", 1, 3, 1, 3, 8},       {"three other", 255, 3, 255, 3, 8}, {"YCbCr and a fourth", 5, 4, 6, 4, 11},
      {"four channels", 5, 4, 5, 4, 10}, {"four other", 255, 4, 255, 4, 10}, {"one other", 255, 1, 255, 1, -8},
  };
  for (const ScriptCase& c : cases) {
    SCOPED_TRACE(c.name);
    WriteOpts s;
    s.dib_color = c.dib_color, s.dib_channels = c.dib_channels;
    s.jpg_color = c.jpg_color, s.jpg_channels = c.jpg_channels, s.sampling = 0;
    s.progressive = true;
    jt::Written w = jt::write(jt::source(24, 16, 4), s);
    if (c.scans < 0) {
      EXPECT_EQ(w.rc, JPEG_ERR_PROPS);
      continue;
    }
    ASSERT_EQ(w.rc, 0);
    const auto segs = jt::split(w.jpeg);
    EXPECT_EQ(std::count_if(segs.begin(), segs.end(), [](const jt::Segment& g) { return g.marker == 0xDA; }), c.scans);
    const jt::Segment* sof = first_of(segs, 0xC2);
    ASSERT_NE(sof, nullptr);
    for (int i = 0; i < c.jpg_channels; ++i) EXPECT_EQ(sof->body[size_t(8 + 3 * i)], i);  // identifiers 0..Nf-1
    EXPECT_EQ(first_of(segs, 0xC0), nullptr);
  }
}

TEST(JpegEncoder, MissingCallerTablesAreRefused) {
  static const uint8_t luma_q[64] = {16, 11, 12, 14, 12, 10, 16, 14};  // the rest 0: steps of 1
  int rc = 0;
  write_with([](JPEG_IMAGE_PROPS& p) {
    p.state.caller_huff_on = 1;
    p.state.caller_huff[0] = {const_cast<uint8_t*>(jcodec::kDcLumaBits), const_cast<uint8_t*>(jcodec::kDcLumaVals), 0, 0};
    p.state.caller_huff[1] = {const_cast<uint8_t*>(jcodec::kAcLumaBits), const_cast<uint8_t*>(jcodec::kAcLumaVals), 1, 0};
  }, 9, &rc);
  EXPECT_EQ(rc, JPEG_ERR_NO_HUFFMAN);
  write_with([](JPEG_IMAGE_PROPS& p) {
    p.state.caller_quant_on = 1;
    p.state.caller_quant[0] = {nullptr, luma_q, 0};
  }, 9, &rc);
  EXPECT_EQ(rc, JPEG_ERR_NO_QUANT);
  // grey needs only the tables it names
  write_with([](JPEG_IMAGE_PROPS& p) {
    p.state.caller_quant_on = 1;
    p.state.caller_quant[0] = {nullptr, luma_q, 0};
    p.jpg_channels = 1;
    p.jpg_color = JPEG_COLOR_GRAY;
    p.jpg_subsampling = 0;
  }, 9, &rc);
  EXPECT_EQ(rc, 0);
}

TEST(JpegEncoder, EveryShortMemoryOutputIsRefused) {
  for (bool progressive : {false, true}) {
    SCOPED_TRACE(progressive ? "progressive" : "baseline");
    WriteOpts s;
    s.progressive = progressive;
    s.restart = 1;
    const jpegref::Image& img = jt::source(17, 17, 3);
    jt::Written full = jt::write(img, s);
    ASSERT_EQ(full.rc, 0);
    for (size_t n = 1; n < full.jpeg.size(); ++n) {
      s.out_size = n;
      ASSERT_EQ(jt::write(img, s).rc, JPEG_ERR_OUTPUT_SMALL) << n;
    }
    s.out_size = full.jpeg.size();
    jt::Written exact = jt::write(img, s);
    EXPECT_EQ(exact.rc, 0);
    EXPECT_EQ(exact.jpeg, full.jpeg);
  }
}

struct FileRun {
  int rc = 0;
  jt::MemFiles files;
};

FileRun write_file(void (*set)(jt::MemFiles&), bool interrupt_each = false) {
  FileRun r;
  set(r.files);
  JpegFileOps ops = r.files.ops();
  WriteOpts opts;
  Bytes px = jt::dib_bytes(jt::source(128, 96, 3), opts);
  JPEG_IMAGE_PROPS p{};
  EXPECT_EQ(JpegCodecInit(&p), 0);
  p.state.file_ops = &ops;
  p.jpg_file = "w.jpg";
  p.dib_bytes = px.data();
  p.dib_width = p.jpg_width = 128;
  p.dib_height = p.jpg_height = 96;
  p.quality = 95;
  do {
    if (interrupt_each) p.state.interrupt_request = 1;
    r.rc = JpegCodecWrite(&p, 8);
  } while (r.rc == JPEG_INTERRUPTED);
  JpegCodecFree(&p);
  return r;
}

TEST(JpegEncoder, FileWritesAndTheirFailures) {
  WriteOpts opts;
  opts.quality = 95;
  const Bytes mem = jt::write(jt::source(128, 96, 3), opts).jpeg;
  ASSERT_GT(mem.size(), 4096u);  // at least one whole buffer goes out before the end
  FileRun ok = write_file([](jt::MemFiles&) {});
  EXPECT_EQ(ok.rc, 0);
  EXPECT_EQ(ok.files.files["w.jpg"], mem);
  EXPECT_EQ(ok.files.closes, 1);
  struct Case {
    const char* name;
    void (*set)(jt::MemFiles&);
    int expected;
  };
  const Case cases[] = {
      {"cannot create", [](jt::MemFiles& f) { f.fail_open_write = true; }, JPEG_ERR_FILENAME},
      {"short write of a whole buffer", [](jt::MemFiles& f) { f.write_limit = 100; }, JPEG_ERR_FILE},
      {"short write of the last bytes", [](jt::MemFiles& f) { f.write_limit = 4096 + 10; }, JPEG_ERR_FILE},
      {"close failure", [](jt::MemFiles& f) { f.fail_close = true; }, JPEG_ERR_CLOSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FileRun r = write_file(c.set);
    EXPECT_EQ(r.rc, c.expected);
    EXPECT_EQ(r.files.opens, r.files.closes);  // no file left open
  }
}

TEST(JpegEncoder, EveryAllocationFailureIsMemoryErrorWithoutLeaks) {
  for (bool progressive : {false, true}) {
    SCOPED_TRACE(progressive ? "progressive" : "baseline");
    WriteOpts opts;
    Bytes px = jt::dib_bytes(jt::source(37, 29, 3), opts);
    Bytes out(100000);
    bool completed = false;
    for (int n = 0; n < 50 && !completed; ++n) {
      jt::FailingAlloc fa;
      fa.fail_at = n;
      JpegAllocHooks hooks{jt::FailingAlloc::alloc, jt::FailingAlloc::release, &fa};
      jpeg_set_alloc_hooks(&hooks);
      JPEG_IMAGE_PROPS p{};
      int rc = JpegCodecInit(&p);
      if (rc == 0) {
        p.dib_bytes = px.data();
        p.dib_width = p.jpg_width = 37;
        p.dib_height = p.jpg_height = 29;
        p.jpg_bytes = out.data();
        p.jpg_size_bytes = int32_t(out.size());
        p.state.progressive_switch = progressive;
        rc = JpegCodecWrite(&p, 9);
        completed = rc == 0 && fa.count <= n;
        JpegCodecFree(&p);
      }
      jpeg_set_alloc_hooks(nullptr);
      if (!completed) {
        EXPECT_EQ(rc, JPEG_ERR_MEMORY) << "allocation " << n;
      }
      EXPECT_EQ(fa.live, 0) << "allocation " << n;
    }
    EXPECT_TRUE(completed);
  }
}

TEST(JpegEncoder, ProgressiveBufferOfAHugeImageIsRefused) {
  // 65,535 x 65,535 at 4:2:0 needs far more than the cap: -5, computed without overflow
  JPEG_IMAGE_PROPS p{};
  ASSERT_EQ(JpegCodecInit(&p), 0);
  Bytes out(4096);
  JpegPlanar planar{};
  int16_t one[64] = {};
  for (auto& pl : planar.planes) pl = one;
  p.state.planar = &planar;
  p.state.progressive_switch = 1;
  p.jpg_width = p.jpg_height = 65535;
  p.jpg_bytes = out.data();
  p.jpg_size_bytes = int32_t(out.size());
  EXPECT_EQ(JpegCodecWrite(&p, 9), JPEG_ERR_MEMORY);
  p.state.planar = nullptr;
  JpegCodecFree(&p);
}

TEST(JpegEncoder, InterruptBeforeEveryMcuResumesToTheSameBytes) {
  for (int restart : {0, 3}) {
    SCOPED_TRACE(restart);
    WriteOpts opts;
    opts.restart = restart;
    const jpegref::Image& img = jt::source(37, 29, 3);
    const Bytes one_shot = jt::write(img, opts).jpeg;
    Bytes px = jt::dib_bytes(img, opts);
    Bytes out(100000);
    JPEG_IMAGE_PROPS p{};
    ASSERT_EQ(JpegCodecInit(&p), 0);
    p.dib_bytes = px.data();
    p.dib_width = p.jpg_width = 37;
    p.dib_height = p.jpg_height = 29;
    p.jpg_bytes = out.data();
    p.jpg_size_bytes = int32_t(out.size());
    p.state.restart_interval = restart;
    int calls = 0, rc = 0;
    do {
      p.state.interrupt_request = 1;
      rc = JpegCodecWrite(&p, 9);
      ++calls;
      if (rc == JPEG_INTERRUPTED) {
        EXPECT_EQ(p.state.interrupt_request, 0);
      }
    } while (rc == JPEG_INTERRUPTED && calls < 1000);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(calls, 3 * 2);  // one call per MCU: 3 x 2 MCUs of 16 x 16
    out.resize(size_t(p.jpg_size_bytes));
    EXPECT_EQ(out, one_shot);
    JpegCodecFree(&p);
  }
  // file mode: the file stays open between the calls
  FileRun once = write_file([](jt::MemFiles&) {});
  FileRun parts = write_file([](jt::MemFiles&) {}, true);
  EXPECT_EQ(parts.rc, 0);
  EXPECT_EQ(parts.files.files["w.jpg"], once.files.files["w.jpg"]);
  EXPECT_EQ(parts.files.opens, 1);
}

}  // namespace

namespace {

// Coefficients that no symbol of the tables codes end the write with -6, never with a stream
// that claims success.
TEST(JpegEncoder, CoefficientsWithoutACodeAreRefused) {
  struct Case {
    const char* name;
    int zigzag;  // position of the value
    int16_t value;
    bool progressive;
    int expected;
  };
  const Case cases[] = {
      {"AC of category 11 with the standard table", 1, 2047, false, JPEG_ERR_HUFFMAN},
      {"DC of category 12 with the standard table", 0, 4095, false, JPEG_ERR_HUFFMAN},
      {"AC -32768 after 14 zeros", 15, -32768, false, JPEG_ERR_HUFFMAN},
      {"AC -32768 in a progressive scan without point transform", 15, -32768, true, JPEG_ERR_HUFFMAN},
      {"AC 1023 is coded", 15, 1023, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // R,G,B streams: their progressive AC scans have no point transform
    int16_t blocks[3][64] = {};
    blocks[0][jcodec::kZigzag[c.zigzag]] = c.value;
    JpegPlanar planar{};
    for (int i = 0; i < 3; ++i) planar.planes[i] = blocks[i];
    Bytes out(4096);
    JPEG_IMAGE_PROPS p{};
    ASSERT_EQ(JpegCodecInit(&p), 0);
    p.state.planar = &planar;
    p.state.progressive_switch = c.progressive;
    p.jpg_bytes = out.data();
    p.jpg_size_bytes = int32_t(out.size());
    p.jpg_width = p.jpg_height = 8;
    p.jpg_channels = 3;
    p.jpg_color = JPEG_COLOR_RGB;
    p.jpg_subsampling = 0;
    EXPECT_EQ(JpegCodecWrite(&p, 9), c.expected);
    p.state.planar = nullptr;
    JpegCodecFree(&p);
  }
  // a DC difference of 65,535 (32,767 then -32,768) in the two-component script, whose DC scan
  // has no point transform: 16 bits, which no DC symbol announces
  int16_t blocks[2][128] = {};
  blocks[0][0] = 32767;
  blocks[0][64] = -32768;
  JpegPlanar planar{};
  planar.planes[0] = blocks[0];
  planar.planes[1] = blocks[1];
  Bytes out(4096);
  JPEG_IMAGE_PROPS p{};
  ASSERT_EQ(JpegCodecInit(&p), 0);
  p.state.planar = &planar;
  p.state.progressive_switch = 1;
  p.jpg_bytes = out.data();
  p.jpg_size_bytes = int32_t(out.size());
  p.jpg_width = 16;
  p.jpg_height = 8;
  p.jpg_channels = 2;
  p.jpg_color = JPEG_COLOR_OTHER;
  p.jpg_subsampling = 0;
  EXPECT_EQ(JpegCodecWrite(&p, 9), JPEG_ERR_HUFFMAN);
  p.state.planar = nullptr;
  JpegCodecFree(&p);
}

}  // namespace

namespace {

// Bottom-up and padded buffers, and planar 16-bit samples, give the bytes of the plain buffer.
TEST(JpegEncoder, BufferLayoutsAndPlanarSamplesGiveTheSameStream) {
  const jpegref::Image& img = jt::source(24, 16, 1);
  WriteOpts s;
  s.dib_color = JPEG_COLOR_GRAY, s.dib_channels = 1;
  s.jpg_color = JPEG_COLOR_GRAY, s.jpg_channels = 1, s.sampling = 0;
  const jt::Written plain = jt::write(img, s);
  ASSERT_EQ(plain.rc, 0);
  s.bottom_up = true;
  EXPECT_EQ(jt::write(img, s).jpeg, plain.jpeg);
  // padded rows
  Bytes padded(size_t(24 + 5) * 16, 0xEE), out(100000);
  for (int y = 0; y < 16; ++y) std::memcpy(&padded[size_t(y) * 29], &img.px[size_t(y) * 24], 24);
  // the same picture as planar samples, block by block
  std::vector<int16_t> plane(size_t(3 * 2) * 64);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 24; ++x) plane[size_t(((y / 8) * 3 + x / 8) * 64 + (y % 8) * 8 + x % 8)] = img.px[size_t(y) * 24 + size_t(x)];
  JpegPlanar planar{};
  planar.mode = 1;
  planar.planes[0] = plane.data();
  for (const bool use_planes : {false, true}) {
    JPEG_IMAGE_PROPS p{};
    ASSERT_EQ(JpegCodecInit(&p), 0);
    p.dib_bytes = padded.data();
    p.dib_width = p.jpg_width = 24;
    p.dib_height = p.jpg_height = 16;
    p.dib_pad_bytes = 5;
    p.dib_channels = 1;
    p.dib_color = p.jpg_color = JPEG_COLOR_GRAY;
    p.jpg_channels = 1;
    p.jpg_subsampling = 0;
    p.jpg_bytes = out.data();
    p.jpg_size_bytes = int32_t(out.size());
    if (use_planes) p.state.planar = &planar;
    ASSERT_EQ(JpegCodecWrite(&p, 9), 0);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + p.jpg_size_bytes), plain.jpeg) << (use_planes ? "planes" : "padded");
    p.state.planar = nullptr;
    JpegCodecFree(&p);
  }
}

}  // namespace

namespace {

// The banner belongs to no shared state: freeing another record does not lose it.
TEST(JpegEncoder, BannerSurvivesAnotherRecordsFree) {
  JPEG_IMAGE_PROPS other{};
  ASSERT_EQ(JpegCodecInit(&other), 0);
  int rc = 0;
  const Bytes j = write_with([&](JPEG_IMAGE_PROPS&) { EXPECT_EQ(JpegCodecFree(&other), 0); }, 9, &rc);
  ASSERT_EQ(rc, 0);
  const std::optional<jt::Segment> com = segment_of(j, 0xFE);
  ASSERT_TRUE(com);
  EXPECT_EQ(com->body.size(), 38u);
}

}  // namespace
