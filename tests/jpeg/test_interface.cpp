// The codec interface: entry checks, error texts, version, colour description after a
// parameter read, allocation failures, file close failures and the module registration.
#include <gtest/gtest.h>

#include <cstring>

#include "jpeg/jcodec.h"
#include "tests/jpeg/jpeg_test_util.h"
#include "tests/support/headless_fixture.h"

namespace {

using jt::Bytes;
using jpegref::EncodeOpts;

struct Record {
  JPEG_IMAGE_PROPS p{};
  std::vector<uint8_t> dib = std::vector<uint8_t>(64 * 64 * 4);
  uint8_t garbage[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  std::vector<uint8_t> out = std::vector<uint8_t>(4096);
  Record() {
    EXPECT_EQ(JpegCodecInit(&p), 0);
    p.dib_bytes = dib.data();
    p.dib_width = 8;
    p.dib_height = 8;
    p.jpg_bytes = garbage;
    p.jpg_size_bytes = sizeof garbage;
    p.jpg_file = "none.jpg";
    p.jpg_width = 8;
    p.jpg_height = 8;
  }
  ~Record() { JpegCodecFree(&p); }
};

TEST(JpegInterface, EntryChecks) {
  struct Case {
    const char* name;
    int mode;
    void (*set)(JPEG_IMAGE_PROPS&);
    int write;  // 0 read, 1 write
    int expected;
  };
  const Case cases[] = {
      {"mode -1", -1, [](JPEG_IMAGE_PROPS&) {}, 0, JPEG_ERR_PROPS},
      {"mode 22", 22, [](JPEG_IMAGE_PROPS&) {}, 0, JPEG_ERR_PROPS},
      {"thumbnail into YCbCr", 21, [](JPEG_IMAGE_PROPS& p) { p.dib_color = 3; }, 0, JPEG_ERR_THUMB_COLOR},
      {"half scale, no buffer", 14, [](JPEG_IMAGE_PROPS& p) { p.dib_bytes = nullptr; }, 0, JPEG_ERR_PROPS},
      {"quarter scale, no buffer", 16, [](JPEG_IMAGE_PROPS& p) { p.dib_bytes = nullptr; }, 0, JPEG_ERR_PROPS},
      {"eighth scale, no buffer", 18, [](JPEG_IMAGE_PROPS& p) { p.dib_bytes = nullptr; }, 0, JPEG_ERR_PROPS},
      {"width 0", 3, [](JPEG_IMAGE_PROPS& p) { p.dib_width = 0; }, 0, JPEG_ERR_PROPS},
      {"height -65536", 3, [](JPEG_IMAGE_PROPS& p) { p.dib_height = -65536; }, 0, JPEG_ERR_PROPS},
      {"negative pad", 3, [](JPEG_IMAGE_PROPS& p) { p.dib_pad_bytes = -1; }, 0, JPEG_ERR_PROPS},
      {"0 channels", 3, [](JPEG_IMAGE_PROPS& p) { p.dib_channels = 0; }, 0, JPEG_ERR_PROPS},
      {"4:2:2 buffer not YCbCr", 3, [](JPEG_IMAGE_PROPS& p) { p.dib_subsampling = 2; }, 0, JPEG_ERR_SUBSAMPLING},
      {"no bytes", 3, [](JPEG_IMAGE_PROPS& p) { p.jpg_bytes = nullptr; }, 0, JPEG_ERR_PROPS},
      {"size 0", 1, [](JPEG_IMAGE_PROPS& p) { p.jpg_size_bytes = 0; }, 0, JPEG_ERR_PROPS},
      {"no file name", 0, [](JPEG_IMAGE_PROPS& p) { p.jpg_file = nullptr; }, 0, JPEG_ERR_PROPS},
      {"257 channels", 1, [](JPEG_IMAGE_PROPS& p) { p.jpg_channels = 257; }, 0, JPEG_ERR_PROPS},
      {"dct method 2", 3, [](JPEG_IMAGE_PROPS& p) { p.state.dct_method = 2; }, 0, JPEG_ERR_PROPS},
      {"smooth with planes", 3, [](JPEG_IMAGE_PROPS& p) {
         static JpegPlanar planar{};
         p.state.planar = &planar;
         p.state.row_buffer_switch = 1;
       }, 0, JPEG_ERR_PROPS},
      {"params of garbage", 1, [](JPEG_IMAGE_PROPS&) {}, 0, JPEG_ERR_NOT_JPEG},
      {"write, 3 channels, subsampling 3", 9, [](JPEG_IMAGE_PROPS& p) { p.jpg_subsampling = 3; }, 1, JPEG_ERR_SUBSAMPLING},
      {"write wider than the buffer", 9, [](JPEG_IMAGE_PROPS& p) { p.jpg_width = 9; }, 1, JPEG_ERR_PROPS},
      {"write taller than the buffer", 9, [](JPEG_IMAGE_PROPS& p) { p.jpg_height = 9; }, 1, JPEG_ERR_PROPS},
      {"write passes its checks", 9, [](JPEG_IMAGE_PROPS&) {}, 1, JPEG_SUCCESS},
      {"read mode given to write", 3, [](JPEG_IMAGE_PROPS&) {}, 1, JPEG_ERR_PROPS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Record r;
    c.set(r.p);
    if (c.write) {
      r.p.jpg_bytes = r.out.data();
      r.p.jpg_size_bytes = int32_t(r.out.size());
    }
    int rc = c.write ? JpegCodecWrite(&r.p, c.mode) : JpegCodecRead(&r.p, c.mode);
    EXPECT_EQ(rc, c.expected);
    r.p.state.planar = nullptr;
  }
}

TEST(JpegInterface, ColourPairMatrix) {
  // Allowed pairs pass the checks (a read of garbage then ends at the end of the memory input
  // with -5; a write succeeds), refused pairs give -8.
  const int colors[] = {1, 2, 3, 4, 5, 6, 255};
  auto natural = [](int c) { return c == 4 ? 1 : (c == 5 || c == 6) ? 4 : 3; };
  auto read_ok = [](int j, int d) {
    switch (j) {
      case 4: return d == 4 || d == 1 || d == 2 || d == 5;
      case 1: return d == 1 || d == 2 || d == 5;
      case 5: case 6: return d == 5;
      case 3: return d == 4 || d == 1 || d == 2 || d == 5 || d == 3;
      case 255: return d == 255;
      default: return false;
    }
  };
  auto write_ok = [](int d, int j) {
    switch (d) {
      case 4: return j == 4 || j == 3;
      case 1: case 2: return j == 4 || j == 1 || j == 3;
      case 5: return j == 5 || j == 6;
      case 3: return j == 3;
      case 255: return j == 255;
      default: return false;
    }
  };
  for (int j : colors)
    for (int d : colors) {
      SCOPED_TRACE("stream " + std::to_string(j) + " buffer " + std::to_string(d));
      {
        Record r;
        r.p.jpg_color = j;
        r.p.dib_color = d;
        r.p.dib_channels = natural(d);
        r.p.dib_subsampling = 0;
        EXPECT_EQ(JpegCodecRead(&r.p, 3), read_ok(j, d) ? JPEG_ERR_MEMORY : JPEG_ERR_PROPS);
      }
      {
        Record r;
        r.p.jpg_color = j;
        r.p.jpg_channels = natural(j);
        r.p.jpg_subsampling = 0;
        r.p.dib_color = d;
        r.p.dib_channels = natural(d);
        r.p.jpg_bytes = r.out.data();
        r.p.jpg_size_bytes = int32_t(r.out.size());
        EXPECT_EQ(JpegCodecWrite(&r.p, 9), write_ok(d, j) ? JPEG_SUCCESS : JPEG_ERR_PROPS);
      }
    }
  // four-byte R,G,B into YCbCr, the one write that takes a fourth byte
  Record r;
  r.p.dib_color = 1;
  r.p.dib_channels = 4;
  r.p.jpg_subsampling = 0;
  r.p.jpg_bytes = r.out.data();
  r.p.jpg_size_bytes = int32_t(r.out.size());
  EXPECT_EQ(JpegCodecWrite(&r.p, 9), JPEG_SUCCESS);
}

TEST(JpegInterface, ErrorTexts) {
  const std::pair<int, const char*> texts[] = {
      {2, "ROI Success"}, {1, "Interrupt Success"}, {0, "Success"}, {-1, "Exception detected"},
      {-2, "Invalid Encoder"}, {-3, "Unsupported subsampling"}, {-4, "Unsupported bytes per pixel"},
      {-5, "Memory error"}, {-6, "Bad Huffman table"}, {-7, "Bad Quantization table"},
      {-8, "Invalid JPEG_PROPERTIES"}, {-9, "Error close file"}, {-10, "Invalid file name"}, {-11, "Error EOF"},
      {-12, "Not supported"}, {-13, "Not JPEG"}, {-14, "Error COMP"}, {-15, "Error SOF"}, {-16, "Error DNL"},
      {-17, "No Huffman table"}, {-18, "No Quantization table"}, {-19, "No frame"}, {-20, "Multiply frame"},
      {-21, "Data error"}, {-22, "No image"}, {-23, "File error"}, {-24, "Internal error"},
      {-25, "Bad RST marker"}, {-26, "Thumbnail too small"}, {-27, "Thumbnail has wrong color"},
      {-28, "Output buffer too small"}, {-29, "Unsupported frame was found"},
      {-30, "Error access to jpeg_comment buffer"}, {-99, "Reserved"}, {-50, "Unknown error code"},
      {3, "Unknown error code"}, {-31, "Unknown error code"},
  };
  for (auto [code, text] : texts) EXPECT_STREQ(JpegCodecErrorText(code), text) << code;
}

TEST(JpegInterface, VersionRecord) {
  const JPEG_VERSION* v = JpegCodecGetVersion();
  EXPECT_EQ(v->major, 1);
  EXPECT_EQ(v->minor, 5);
  EXPECT_EQ(v->build, 1);
  EXPECT_STREQ(v->library, "jcodec15l.lib");
  EXPECT_STREQ(v->version, "1.5.1");
  EXPECT_STREQ(v->internal_version, "[1.5.1.44]");
  EXPECT_STREQ(v->build_date, "May 30 2001");
  EXPECT_NE(v->build_tool, nullptr);
}

TEST(JpegInterface, InitSetsTheDefaults) {
  JPEG_IMAGE_PROPS p{};
  std::memset(&p, 0x5A, offsetof(JPEG_IMAGE_PROPS, state));  // init overwrites every caller field
  ASSERT_EQ(JpegCodecInit(&p), 0);
  EXPECT_EQ(p.use_state, 0);
  EXPECT_EQ(p.dib_bytes, nullptr);
  EXPECT_EQ(p.dib_channels, 3);
  EXPECT_EQ(p.dib_color, JPEG_COLOR_BGR);
  EXPECT_EQ(p.jpg_channels, 3);
  EXPECT_EQ(p.jpg_color, JPEG_COLOR_YCBCR);
  EXPECT_EQ(p.jpg_subsampling, 1);
  EXPECT_EQ(p.color_conversion, 1);
  EXPECT_EQ(p.upsampling, 1);
  EXPECT_EQ(p.quality, 75);
  EXPECT_EQ(p.state.io_mode, -1);
  EXPECT_EQ(p.state.dct_method, 1);
  EXPECT_EQ(p.state.jfif_version, 0x0101);
  EXPECT_EQ(p.state.adobe_version, 100);
  EXPECT_EQ(p.state.processor_class, 0);  // pinned by the tests' registry
  EXPECT_EQ(JpegCodecFree(&p), 0);
  EXPECT_EQ(p.state.table, nullptr);
}

TEST(JpegInterface, ParameterReadDescribesTheColour) {
  struct Case {
    const char* name;
    EncodeOpts opts;
    int ch;
    int dib_color_in;
    int jpg_color, dib_color, dib_channels, dib_subsampling;
  };
  EncodeOpts cmyk, ycck, rgb, ycc, gray;
  cmyk.h0 = cmyk.v0 = 1;
  ycck.ycck = true;
  rgb.rgb = true;
  gray.grayscale = true;
  const Case cases[] = {
      {"Adobe CMYK", cmyk, 4, 2, JPEG_COLOR_QUAD, JPEG_COLOR_QUAD, 4, 0},
      {"Adobe YCCK", ycck, 4, 2, JPEG_COLOR_YCC4, JPEG_COLOR_QUAD, 4, 0},
      {"Adobe RGB", rgb, 3, 2, JPEG_COLOR_RGB, JPEG_COLOR_BGR, 3, 0},
      {"JFIF YCbCr", ycc, 3, 2, JPEG_COLOR_YCBCR, JPEG_COLOR_BGR, 3, 0},
      {"grey", gray, 3, 2, JPEG_COLOR_GRAY, JPEG_COLOR_BGR, 3, 0},
      {"YCbCr into a YCbCr buffer", ycc, 3, 3, JPEG_COLOR_YCBCR, JPEG_COLOR_YCBCR, 3, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes jpeg = jt::encode(16, 8, c.opts, c.ch);
    JPEG_IMAGE_PROPS p{};
    ASSERT_EQ(JpegCodecInit(&p), 0);
    p.jpg_bytes = jpeg.data();
    p.jpg_size_bytes = int32_t(jpeg.size());
    p.dib_color = c.dib_color_in;
    EXPECT_EQ(JpegCodecRead(&p, 1), 0);
    EXPECT_EQ(p.jpg_color, c.jpg_color);
    EXPECT_EQ(p.dib_color, c.dib_color);
    EXPECT_EQ(p.dib_channels, c.dib_channels);
    EXPECT_EQ(p.dib_subsampling, c.dib_subsampling);
    EXPECT_EQ(p.jpg_width, 16);
    EXPECT_EQ(p.jpg_height, 8);
    JpegCodecFree(&p);
  }
}

using jt::FailingAlloc;

TEST(JpegInterface, EveryAllocationFailureIsMemoryErrorWithoutLeaks) {
  EncodeOpts o;
  o.progressive = true;
  Bytes jpeg = jt::encode(37, 29, o);
  std::vector<uint8_t> dib(37 * 29 * 3);
  bool completed = false;
  for (int n = 0; n < 200 && !completed; ++n) {
    FailingAlloc fa;
    fa.fail_at = n;
    JpegAllocHooks hooks{FailingAlloc::alloc, FailingAlloc::release, &fa};
    jpeg_set_alloc_hooks(&hooks);
    JPEG_IMAGE_PROPS p{};
    int rc = JpegCodecInit(&p);
    if (rc == 0) {
      p.jpg_bytes = jpeg.data();
      p.jpg_size_bytes = int32_t(jpeg.size());
      rc = JpegCodecRead(&p, 1);
      if (rc == 0) {
        p.dib_bytes = dib.data();
        p.dib_width = 30;
        p.dib_height = 20;
        p.state.roi = JpegRect{5, 5, 35, 25};
        rc = JpegCodecRead(&p, 7);
        if (rc == JPEG_ROI_SUCCESS) completed = fa.count <= n;
      }
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

TEST(JpegInterface, CloseFailureIsReportedAndTheTableStillReleased) {
  EncodeOpts o;
  jt::MemFiles files;
  files.files["a.jpg"] = jt::encode(16, 16, o);
  files.fail_close = true;
  JpegFileOps ops = files.ops();
  JPEG_IMAGE_PROPS p{};
  ASSERT_EQ(JpegCodecInit(&p), 0);
  p.state.file_ops = &ops;
  p.jpg_file = "a.jpg";
  ASSERT_EQ(JpegCodecRead(&p, 0), 0);  // leaves the file open
  EXPECT_EQ(JpegCodecFree(&p), JPEG_ERR_CLOSE);
  EXPECT_EQ(p.state.table, nullptr);
  EXPECT_EQ(files.closes, 1);

  // a read that must close its file reports the failure too
  ASSERT_EQ(JpegCodecInit(&p), 0);
  p.state.file_ops = &ops;
  p.jpg_file = "a.jpg";
  std::vector<uint8_t> dib(16 * 16 * 3);
  p.dib_bytes = dib.data();
  p.dib_width = 16;
  p.dib_height = 16;
  EXPECT_EQ(JpegCodecRead(&p, 2), JPEG_ERR_CLOSE);
  EXPECT_EQ(JpegCodecFree(&p), 0);
}

TEST(JpegInterface, FileFailures) {
  EncodeOpts o;
  Bytes jpeg = jt::encode(37, 29, o);
  std::vector<uint8_t> dib(37 * 29 * 3);
  struct Case {
    const char* name;
    void (*set)(jt::MemFiles&, size_t size);
    int mode;
    int expected;
  };
  const Case cases[] = {
      {"missing file", [](jt::MemFiles& f, size_t) { f.files.clear(); }, 2, JPEG_ERR_FILENAME},
      {"one-byte reads", [](jt::MemFiles& f, size_t) { f.max_read = 1; }, 2, 0},
      {"end inside the entropy data", [](jt::MemFiles& f, size_t n) { f.eof_at = int64_t(n) - 300; }, 2, JPEG_ERR_EOF},
      {"end between segments", [](jt::MemFiles& f, size_t n) { f.eof_at = int64_t(n) - 2; }, 2, 0},
      {"end inside a segment", [](jt::MemFiles& f, size_t) { f.eof_at = 30; }, 2, JPEG_ERR_DATA},
      {"seek failure after the parameters", [](jt::MemFiles& f, size_t) { f.fail_seek = true; }, 0, JPEG_ERR_FILE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    jt::MemFiles files;
    files.files["p.jpg"] = jpeg;
    c.set(files, jpeg.size());
    JpegFileOps ops = files.ops();
    JPEG_IMAGE_PROPS p{};
    ASSERT_EQ(JpegCodecInit(&p), 0);
    p.state.file_ops = &ops;
    p.jpg_file = "p.jpg";
    p.dib_bytes = dib.data();
    p.dib_width = 37;
    p.dib_height = 29;
    EXPECT_EQ(JpegCodecRead(&p, c.mode), c.expected);
    JpegCodecFree(&p);
    EXPECT_EQ(files.opens, files.closes);
  }
}

class JpegModule : public veldra_test::HeadlessTest {};

TEST_F(JpegModule, ResolvesInitFreeAndReadByOrdinal) {
  jpeg_register_module();
  plat::IModuleRegistry& reg = plat::get().modules();
  plat::ModuleHandle h = reg.load("JCODEC15");
  ASSERT_NE(h, 0u);
  EXPECT_EQ(reg.proc(h, 2), reinterpret_cast<void*>(&JpegCodecInit));
  EXPECT_EQ(reg.proc(h, 3), reinterpret_cast<void*>(&JpegCodecFree));
  EXPECT_EQ(reg.proc(h, 4), reinterpret_cast<void*>(&JpegCodecRead));
  // a call through the ordinal works like the direct one
  using InitFn = int32_t (*)(JPEG_IMAGE_PROPS*);
  using FreeFn = int32_t (*)(JPEG_IMAGE_PROPS*);
  JPEG_IMAGE_PROPS p{};
  EXPECT_EQ(reinterpret_cast<InitFn>(reg.proc(h, 2))(&p), 0);
  EXPECT_EQ(reinterpret_cast<FreeFn>(reg.proc(h, 3))(&p), 0);
}

TEST_F(JpegModule, ReadsAFileThroughThePathResolver) {
  EncodeOpts o;
  Bytes jpeg = jt::encode(37, 29, o);
  dir.write("SYSTEM/Pic.JPG", std::string(jpeg.begin(), jpeg.end()));
  jt::Decoded mem = jt::decode(jpeg, 3);
  JPEG_IMAGE_PROPS p{};
  ASSERT_EQ(JpegCodecInit(&p), 0);
  p.jpg_file = "system\\pic.jpg";
  jt::Dib dib(37, 29, {});
  p.dib_bytes = dib.data();
  p.dib_width = 37;
  p.dib_height = 29;
  EXPECT_EQ(JpegCodecRead(&p, 2), 0);
  EXPECT_EQ(JpegCodecFree(&p), 0);
  EXPECT_TRUE(dib.image().px == mem.img.px);
}

}  // namespace
