// The marker parser on handmade streams: refusals with their codes, fill bytes, table streams,
// comments, thumbnails and a truncation sweep.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>

#include "tests/jpeg/jpeg_test_util.h"

namespace {

using jt::Bytes;
using jt::Segment;
using jpegref::EncodeOpts;

Bytes base_jpeg(bool progressive = false, bool gray = false) {
  EncodeOpts o;
  o.progressive = progressive;
  o.grayscale = gray;
  return jt::encode(16, 16, o);
}

Segment* find(std::vector<Segment>& s, int marker, int nth = 0) {
  for (Segment& x : s)
    if (x.marker == marker && nth-- == 0) return &x;
  return nullptr;
}

void set_len(Segment& s, size_t payload) {
  s.body[0] = uint8_t((payload + 2) >> 8);
  s.body[1] = uint8_t(payload + 2);
}

Bytes seg(int marker, const Bytes& payload) {
  Bytes b{0xFF, uint8_t(marker), uint8_t((payload.size() + 2) >> 8), uint8_t(payload.size() + 2)};
  b.insert(b.end(), payload.begin(), payload.end());
  return b;
}

Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

int read_mem(const Bytes& jpeg, int mode) {
  JPEG_IMAGE_PROPS p{};
  EXPECT_EQ(JpegCodecInit(&p), 0);
  std::vector<uint8_t> dib(64 * 64 * 4);
  p.jpg_bytes = const_cast<uint8_t*>(jpeg.data());
  p.jpg_size_bytes = int32_t(jpeg.size());
  p.dib_bytes = dib.data();
  p.dib_width = 64;
  p.dib_height = 64;
  int rc = JpegCodecRead(&p, mode);
  JpegCodecFree(&p);
  return rc;
}

// SOS of a progressive stream: the nth one.
void edit_sos(std::vector<Segment>& s, int nth, const std::function<void(Bytes&)>& f) { f(find(s, 0xDA, nth)->body); }

TEST(JpegParser, MarkerWalkRefusals) {
  struct Case {
    const char* name;
    bool progressive, gray;
    std::function<void(std::vector<Segment>&)> edit;
    int mode;
    int expected;
  };
  auto sof = [](std::vector<Segment>& s) -> Bytes& {
    Segment* f = find(s, 0xC0);
    if (!f) f = find(s, 0xC2);
    return f->body;
  };
  const std::vector<Case> cases = {
      {"components 0", false, false, [&](auto& s) { Bytes& b = sof(s); b[7] = 0; b.resize(8); set_len(*find(s, 0xC0), 6); }, 3, JPEG_ERR_COMP},
      {"height 0 (DNL)", false, false, [&](auto& s) { sof(s)[3] = 0, sof(s)[4] = 0; }, 3, JPEG_ERR_DNL},
      {"width 0", false, false, [&](auto& s) { sof(s)[5] = 0, sof(s)[6] = 0; }, 3, JPEG_ERR_SOF},
      {"factor 0", false, false, [&](auto& s) { sof(s)[9] = 0x02; }, 3, JPEG_ERR_SOF},
      {"factor 5", false, false, [&](auto& s) { sof(s)[9] = 0x51; }, 3, JPEG_ERR_SOF},
      {"SOF length", false, false, [&](auto& s) { sof(s).push_back(0); set_len(*find(s, 0xC0), sof(s).size() - 1); }, 3, JPEG_ERR_DATA},
      {"no frame", false, false, [](auto& s) { s.erase(std::find_if(s.begin(), s.end(), [](auto& x) { return x.marker == 0xC0; })); }, 3, JPEG_ERR_NO_FRAME},
      {"SOS component unknown", false, false, [](auto& s) { find(s, 0xDA)->body[3] = 9; }, 3, JPEG_ERR_DATA},
      {"SOS duplicate component", false, false, [](auto& s) { find(s, 0xDA)->body[5] = find(s, 0xDA)->body[3]; }, 3, JPEG_ERR_DATA},
      {"SOS 5 components", false, false, [](auto& s) { find(s, 0xDA)->body[2] = 5; }, 3, JPEG_ERR_DATA},
      {"SOS more components than the frame", false, true, [](auto& s) {
         Bytes& b = find(s, 0xDA)->body;
         b[2] = 2;
         b.insert(b.begin() + 5, {1, 0});
         set_len(*find(s, 0xDA), 8);
       }, 3, JPEG_ERR_DATA},
      {"SOS length", false, false, [](auto& s) { find(s, 0xDA)->body[1] += 1; }, 3, JPEG_ERR_DATA},
      {"SOS DC table 4", false, false, [](auto& s) { find(s, 0xDA)->body[4] = 0x40; }, 3, JPEG_ERR_DATA},
      {"sequential Ss 1", false, false, [](auto& s) { find(s, 0xDA)->body[9] = 1; }, 3, JPEG_ERR_DATA},
      {"sequential Se 62", false, false, [](auto& s) { find(s, 0xDA)->body[10] = 62; }, 3, JPEG_ERR_DATA},
      {"sequential Ah 1", false, false, [](auto& s) { find(s, 0xDA)->body[11] = 0x10; }, 3, JPEG_ERR_DATA},
      {"interleaved blocks above 10", false, false, [&](auto& s) { sof(s)[9] = 0x42, sof(s)[12] = 0x21; }, 3, JPEG_ERR_DATA},
      {"quantisation table 4", false, false, [&](auto& s) { sof(s)[10] = 4; }, 3, JPEG_ERR_DATA},
      {"progressive DC scan Se 5", true, false, [](auto& s) { edit_sos(s, 0, [](Bytes& b) { b[3 + 2 * b[2] + 1] = 5; }); }, 3, JPEG_ERR_DATA},
      {"progressive AC scan of 2 components", true, false, [](auto& s) {
         edit_sos(s, 1, [](Bytes& b) {
           b[2] = 2;
           b.insert(b.begin() + 5, {2, 0x11});
           b[1] += 2;
         });
       }, 3, JPEG_ERR_DATA},
      {"progressive Ss above Se", true, false, [](auto& s) { edit_sos(s, 1, [](Bytes& b) { b[5] = 9, b[6] = 3; }); }, 3, JPEG_ERR_DATA},
      {"progressive Al 14", true, false, [](auto& s) { edit_sos(s, 1, [](Bytes& b) { b[7] = 0x0E; }); }, 3, JPEG_ERR_DATA},
      {"progressive Ah not Al + 1", true, false, [](auto& s) { edit_sos(s, 1, [](Bytes& b) { b[7] = 0x30; }); }, 3, JPEG_ERR_DATA},
      {"lossless SOF3", false, false, [](auto& s) { find(s, 0xC0)->marker = 0xC3; }, 3, JPEG_ERR_UNSUPPORTED_FRAME},
      {"SOF5", false, false, [](auto& s) { find(s, 0xC0)->marker = 0xC5; }, 3, JPEG_ERR_UNSUPPORTED_FRAME},
      {"arithmetic SOF9", false, false, [](auto& s) { find(s, 0xC0)->marker = 0xC9; }, 3, JPEG_ERR_UNSUPPORTED_FRAME},
      {"arithmetic SOF10", false, false, [](auto& s) { find(s, 0xC0)->marker = 0xCA; }, 3, JPEG_ERR_UNSUPPORTED_FRAME},
      {"12-bit SOF1", false, false, [&](auto& s) { sof(s)[2] = 12, find(s, 0xC0)->marker = 0xC1; }, 3, JPEG_ERR_UNSUPPORTED_FRAME},
      {"second SOF after SOS", false, false, [](auto& s) {
         Segment f = *find(s, 0xC0);
         s.insert(s.end() - 1, f);
       }, 3, JPEG_ERR_MULTI_FRAME},
      {"DRI length 5", false, false, [](auto& s) { s.insert(s.begin() + 1, Segment{0xDD, {0, 5, 0, 1, 0}}); }, 3, JPEG_ERR_DATA},
      {"DQT table 4", false, false, [](auto& s) { find(s, 0xDB)->body[2] = 0x04; }, 3, JPEG_ERR_QUANT},
      {"DQT past its segment", false, false, [](auto& s) { find(s, 0xDB)->body.resize(40), set_len(*find(s, 0xDB), 38); }, 3, JPEG_ERR_DATA},
      {"DHT class 2", false, false, [](auto& s) { find(s, 0xC4)->body[2] = 0x20; }, 3, JPEG_ERR_HUFFMAN},
      {"DHT table 4", false, false, [](auto& s) { find(s, 0xC4)->body[2] = 0x04; }, 3, JPEG_ERR_HUFFMAN},
      {"DHT over-subscribed", false, false, [](auto& s) { find(s, 0xC4)->body[3] = 3, find(s, 0xC4)->body[5] -= 3; }, 3, JPEG_ERR_HUFFMAN},
      {"DHT past its segment", false, false, [](auto& s) { find(s, 0xC4)->body[10] += 1; }, 3, JPEG_ERR_DATA},
      {"DHT DC category 16", false, false, [](auto& s) { find(s, 0xC4)->body[19] = 16; }, 3, JPEG_ERR_HUFFMAN},
      {"tables only, no image", false, false, [](auto& s) {
         std::vector<Segment> t;
         for (auto& x : s)
           if (x.marker == 0xD8 || x.marker == 0xDB || x.marker == 0xC4) t.push_back(x);
         t.push_back(Segment{0xD9, {}});
         s = t;
       }, 3, JPEG_ERR_NO_IMAGE},
      {"parameters of a stream without SOI", false, false, [](auto& s) { s.erase(s.begin()); }, 1, JPEG_ERR_NOT_JPEG},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Segment> s = jt::split(base_jpeg(c.progressive, c.gray));
    c.edit(s);
    EXPECT_EQ(read_mem(jt::join(s), c.mode), c.expected);
  }
}

TEST(JpegParser, FillBytesAndStuffingBetweenSegmentsChangeNothing) {
  for (bool prog : {false, true}) {
    Bytes plain = base_jpeg(prog);
    jt::Decoded ref = jt::decode(plain, 3);
    ASSERT_EQ(ref.rc, 0);
    std::vector<Segment> s = jt::split(plain);
    Bytes filled;
    for (size_t i = 0; i < s.size(); ++i) {
      if (i > 0) filled.insert(filled.end(), {0xFF, 0x00, 0x12, 0xFF, 0xFF, 0xFF});
      Bytes one = jt::join({s[i]});
      filled.insert(filled.end(), one.begin(), one.end());
    }
    jt::Decoded d = jt::decode(filled, 3);
    EXPECT_EQ(d.rc, 0);
    EXPECT_TRUE(d.img.px == ref.img.px);
  }
}

TEST(JpegParser, TableStreamsAndAbbreviatedImages) {
  Bytes full = base_jpeg();
  jt::Decoded ref = jt::decode(full, 3);
  std::vector<Segment> s = jt::split(full);
  std::vector<Segment> tables{Segment{0xD8, {}}}, image;
  for (const Segment& x : s) {
    if (x.marker == 0xDB || x.marker == 0xC4) tables.push_back(x);
    else image.push_back(x);
  }
  tables.push_back(Segment{0xD9, {}});
  // one buffer: a table-only stream, then the abbreviated image
  // (a parameter read stops at the first EOI, so the image read goes first)
  Bytes both = cat({jt::join(tables), jt::join(image)});
  {
    JPEG_IMAGE_PROPS p{};
    ASSERT_EQ(JpegCodecInit(&p), 0);
    jt::Dib dib(16, 16, {});
    p.jpg_bytes = both.data();
    p.jpg_size_bytes = int32_t(both.size());
    p.dib_bytes = dib.data();
    p.dib_width = 16;
    p.dib_height = 16;
    EXPECT_EQ(JpegCodecRead(&p, 3), 0);
    EXPECT_EQ(p.jpg_width, 16);
    JpegCodecFree(&p);
    EXPECT_TRUE(dib.image().px == ref.img.px);
  }

  // tables by mode 5, then the abbreviated image by mode 7 on the same record
  Bytes t = jt::join(tables), img = jt::join(image);
  JPEG_IMAGE_PROPS p{};
  ASSERT_EQ(JpegCodecInit(&p), 0);
  p.jpg_bytes = t.data();
  p.jpg_size_bytes = int32_t(t.size());
  EXPECT_EQ(JpegCodecRead(&p, 5), 0);
  jt::Dib dib(16, 16, {});
  p.jpg_bytes = img.data();
  p.jpg_size_bytes = int32_t(img.size());
  p.dib_bytes = dib.data();
  p.dib_width = 16;
  p.dib_height = 16;
  EXPECT_EQ(JpegCodecRead(&p, 7), 0);
  JpegCodecFree(&p);
  EXPECT_TRUE(dib.image().px == ref.img.px);

  // mode 5 stops before the frame of a whole stream
  ASSERT_EQ(JpegCodecInit(&p), 0);
  p.jpg_bytes = full.data();
  p.jpg_size_bytes = int32_t(full.size());
  EXPECT_EQ(JpegCodecRead(&p, 5), 0);
  EXPECT_EQ(p.jpg_width, 0);
  JpegCodecFree(&p);
}

TEST(JpegParser, CommentIntoASmallBuffer) {
  std::vector<Segment> s = jt::split(base_jpeg());
  Bytes text(100);
  for (size_t i = 0; i < text.size(); ++i) text[i] = uint8_t('a' + i % 26);
  Segment com{0xFE, {0, 102}};
  com.body.insert(com.body.end(), text.begin(), text.end());
  s.insert(s.begin() + 1, com);
  Bytes jpeg = jt::join(s);
  for (int room : {40, 100, 200}) {
    JPEG_IMAGE_PROPS p{};
    ASSERT_EQ(JpegCodecInit(&p), 0);
    char buf[256];
    std::memset(buf, '#', sizeof buf);
    p.state.jpeg_comment = buf;
    p.state.jpeg_comment_size = uint16_t(room);
    p.jpg_bytes = jpeg.data();
    p.jpg_size_bytes = int32_t(jpeg.size());
    EXPECT_EQ(JpegCodecRead(&p, 1), room < 100 ? JPEG_ERR_COMMENT : 0) << room;
    EXPECT_EQ(p.state.jpeg_comment_size, 100);
    size_t copied = std::min<size_t>(room, 100);
    EXPECT_EQ(std::memcmp(buf, text.data(), copied), 0);
    EXPECT_EQ(buf[copied], '#');
    JpegCodecFree(&p);
  }
}

// APP0 segments with thumbnails, read by mode 21.
struct ThumbCase {
  const char* name;
  Bytes app0;
  int dib_w, dib_h, color;
  int expected;
};

Bytes jfif_thumb(int tw, int th, const Bytes& rgb) {
  Bytes p{'J', 'F', 'I', 'F', 0, 1, 2, 0, 0, 1, 0, 1, uint8_t(tw), uint8_t(th)};
  p.insert(p.end(), rgb.begin(), rgb.end());
  return seg(0xE0, p);
}

TEST(JpegParser, Thumbnails) {
  const Bytes rgb4{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};  // 2x2 pixels R,G,B
  Bytes jfxx13{'J', 'F', 'X', 'X', 0, 0x13, 2, 2};
  jfxx13.insert(jfxx13.end(), rgb4.begin(), rgb4.end());
  Bytes jfxx11{'J', 'F', 'X', 'X', 0, 0x11, 2, 2};
  Bytes palette(768);
  for (int i = 0; i < 256; ++i) palette[i * 3] = uint8_t(i), palette[i * 3 + 1] = uint8_t(255 - i), palette[i * 3 + 2] = 7;
  jfxx11.insert(jfxx11.end(), palette.begin(), palette.end());
  jfxx11.insert(jfxx11.end(), {1, 2, 3, 4});
  Bytes image = base_jpeg();
  std::vector<Segment> s = jt::split(image);
  s.erase(s.begin() + 1);  // the encoder's JFIF segment
  Bytes rest = jt::join(s);
  rest.erase(rest.begin(), rest.begin() + 2);
  const Bytes soi{0xFF, 0xD8};
  struct Case {
    const char* name;
    Bytes app0;
    int w, h, color;
    int expected;
    Bytes want;  // first row then second row, 3 bytes a pixel
  };
  const std::vector<Case> cases = {
      {"JFIF into B,G,R", jfif_thumb(2, 2, rgb4), 2, 2, JPEG_COLOR_BGR, 0, {30, 20, 10, 60, 50, 40, 90, 80, 70, 120, 110, 100}},
      {"JFIF into R,G,B", jfif_thumb(2, 2, rgb4), 2, 2, JPEG_COLOR_RGB, 0, rgb4},
      {"JFXX 0x13", seg(0xE0, jfxx13), 2, 2, JPEG_COLOR_RGB, 0, rgb4},
      {"JFXX 0x11", seg(0xE0, jfxx11), 2, 2, JPEG_COLOR_RGB, 0, {1, 254, 7, 2, 253, 7, 3, 252, 7, 4, 251, 7}},
      {"wider than the buffer", jfif_thumb(2, 2, rgb4), 1, 2, JPEG_COLOR_BGR, JPEG_ERR_THUMB_SMALL, {}},
      {"taller than the buffer", jfif_thumb(2, 2, rgb4), 2, 1, JPEG_COLOR_BGR, JPEG_ERR_THUMB_SMALL, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes jpeg = cat({soi, c.app0, rest});
    JPEG_IMAGE_PROPS p{};
    ASSERT_EQ(JpegCodecInit(&p), 0);
    jt::Dib dib(c.w, c.h, {3, c.color, 0, false});
    p.jpg_bytes = jpeg.data();
    p.jpg_size_bytes = int32_t(jpeg.size());
    p.dib_bytes = dib.data();
    p.dib_width = c.w;
    p.dib_height = c.h;
    p.dib_color = c.color;
    EXPECT_EQ(JpegCodecRead(&p, 21), c.expected);
    JpegCodecFree(&p);
    EXPECT_TRUE(dib.guards_intact());
    if (c.expected == 0) {
      EXPECT_EQ(p.jpg_thumb_width, 2);
      EXPECT_EQ(p.jpg_thumb_height, 2);
      EXPECT_TRUE(Bytes(dib.data(), dib.data() + 12) == c.want);
    }
  }
}

TEST(JpegParser, TruncationSweep) {
  const std::set<int> allowed = {0, JPEG_ROI_SUCCESS, JPEG_ERR_MEMORY, JPEG_ERR_HUFFMAN, JPEG_ERR_EOF, JPEG_ERR_NOT_JPEG,
                                 JPEG_ERR_DATA, JPEG_ERR_NO_FRAME, JPEG_ERR_FILE, JPEG_ERR_RST, JPEG_ERR_NO_IMAGE};
  EncodeOpts r;
  r.restart_blocks = 1;
  for (const Bytes& jpeg : {base_jpeg(false), base_jpeg(true), jt::encode(16, 16, r)}) {
    for (size_t n = 1; n < jpeg.size(); ++n) {
      Bytes cut(jpeg.begin(), jpeg.begin() + long(n));
      for (int mode : {3, 7, 1}) {
        int rc = read_mem(cut, mode);
        EXPECT_TRUE(allowed.count(rc)) << "memory, " << n << " bytes, mode " << mode << ": " << rc;
      }
      jt::MemFiles files;
      files.files["t.jpg"] = cut;
      JpegFileOps ops = files.ops();
      JPEG_IMAGE_PROPS p{};
      ASSERT_EQ(JpegCodecInit(&p), 0);
      std::vector<uint8_t> dib(16 * 16 * 3);
      p.state.file_ops = &ops;
      p.jpg_file = "t.jpg";
      p.dib_bytes = dib.data();
      p.dib_width = 16;
      p.dib_height = 16;
      int rc = JpegCodecRead(&p, 2);
      EXPECT_TRUE(allowed.count(rc)) << "file, " << n << " bytes: " << rc;
      JpegCodecFree(&p);
      EXPECT_EQ(files.opens, files.closes);
    }
  }
}

}  // namespace
