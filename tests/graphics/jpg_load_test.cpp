// The client's JPEG front end: region loads into 16-bit bitmaps, its refusals, the 24-bit
// converters and the call sequence on the codec module.
#ifdef VELDRA_HAVE_JPEGREF
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "engine/system/system.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/jpg/jpg_load.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "jpeg/jcodec.h"
#include "jpeg/jcodec_cpu.h"
#include "plat/platform.h"
#include "tests/graphics/owned_bitmap.h"
#include "tests/graphics/picture_file_test.h"
#include "tools/jpegwriter/jpegref.h"

namespace {

using Bytes = std::vector<uint8_t>;

using gfxt::Bitmap;

constexpr uint16_t kUntouched = 0x1234;

Bitmap make_bitmap(int32_t w, int32_t h) { return gfxt::make_bitmap(w, h, kUntouched); }

bool untouched(const BITMAP16* b) {
  for (uint32_t y = 0; y < b->height; ++y)
    for (uint32_t x = 0; x < b->width; ++x)
      if (b->rows[y][x] != kUntouched) return false;
  return true;
}

Bytes encode(int w, int h, int ch, bool grayscale = false) {
  jpegref::EncodeOpts o;
  o.grayscale = grayscale;
  return jpegref::encode(jpegref::make_source(w, h, ch), o);
}

std::string text(const Bytes& b) { return std::string(b.begin(), b.end()); }

// The whole image through the codec directly, as B,G,R rows without padding.
Bytes direct_decode(const Bytes& jpeg, int32_t w, int32_t h) {
  Bytes out(size_t(w) * size_t(h) * 3);
  JPEG_IMAGE_PROPS p{};
  EXPECT_EQ(JpegCodecInit(&p), 0);
  p.jpg_bytes = const_cast<uint8_t*>(jpeg.data());
  p.jpg_size_bytes = int32_t(jpeg.size());
  p.dib_bytes = out.data();
  p.dib_width = w;
  p.dib_height = h;
  p.dib_channels = 3;
  p.dib_color = JPEG_COLOR_BGR;
  EXPECT_EQ(JpegCodecRead(&p, JPEG_READ_IMAGE_MEM), 0);
  EXPECT_EQ(JpegCodecFree(&p), 0);
  return out;
}

// The codec's processor class for these tests: 0, or N when the program was given --jpeg-class=N.
uint32_t pinned_class() {
  for (const std::string& a : ::testing::internal::GetArgvs())
    if (a.rfind("--jpeg-class=", 0) == 0) return uint32_t(std::atoi(a.c_str() + 13));
  return 0u;
}

class PinnedClassRegistry : public plat::IRegistry {
 public:
  std::optional<std::string> readString(plat::Hive, std::string_view, std::string_view) override { return {}; }
  std::optional<uint32_t> readDword(plat::Hive, std::string_view key, std::string_view value) override {
    if (key != "Software\\Vorn\\JCodec" || value != "USECPU") return {};
    return pinned_class();
  }
  bool keyExists(plat::Hive, std::string_view) override { return true; }
};

class JpgLoad : public gfxt::PictureFileTest {
 protected:
  void SetUp() override {
    PictureFileTest::SetUp();
    static PinnedClassRegistry pin;
    jpeg_set_registry_override(&pin);
    jpg_codec_reset();
    jpeg_register_module();
  }
  void TearDown() override {
    jpg_codec_reset();
    jpeg_clear_registry_override();
    PictureFileTest::TearDown();
  }
};

// ---- loading ------------------------------------------------------------------------------

TEST_F(JpgLoad, RegionsMatchTheCodecsOwnDecodeFromAMixedCasePath) {
  const Bytes jpeg = encode(37, 29, 3);
  dir.write("SYSTEM/C1meu008.JPG", text(jpeg));
  const Bytes full = direct_decode(jpeg, 37, 29);
  const jpegref::Image ref = jpegref::decode(jpeg, {});
  ASSERT_EQ(ref.ch, 3);

  struct Case {
    int32_t x, y, w, h;
  };
  // Width 6 and 1 give padded decoder rows (18 -> 20 and 3 -> 4 bytes).
  for (const Case c : {Case{0, 0, 37, 29}, Case{5, 3, 20, 17}, Case{1, 2, 6, 5}, Case{36, 28, 1, 1}}) {
    SCOPED_TRACE(::testing::Message() << c.x << "," << c.y << " " << c.w << "x" << c.h);
    Bitmap bm = make_bitmap(40, 32);
    ASSERT_EQ(jpg_load_region("system\\c1MEU008.jpg", bm.get(), c.x, c.y, c.w, c.h), 0);
    for (int32_t r = 0; r < 32; ++r) {
      for (int32_t x = 0; x < 40; ++x) {
        const uint16_t got = bm->rows[r][x];
        if (x >= c.w || r >= c.h) {
          ASSERT_EQ(got, kUntouched) << x << "," << r;
          continue;
        }
        const uint8_t* s = &full[(size_t(c.y + r) * 37 + size_t(c.x + x)) * 3];
        // The vector classes floor red and blue in whole MCUs, while MCUs the region clips keep the
        // generic rounding: there a channel may be one level apart.
        if (pinned_class() >= 3) {
          int r0, g0, b0, r1, g1, b1;
          pixel_ops.unpack(got, &r0, &g0, &b0);
          pixel_ops.unpack(pixel_ops.pack(s[2], s[1], s[0]), &r1, &g1, &b1);
          ASSERT_LE(std::abs(r0 - r1), 8) << x << "," << r;
          ASSERT_EQ(g0, g1) << x << "," << r;
          ASSERT_LE(std::abs(b0 - b1), 8) << x << "," << r;
        } else {
          ASSERT_EQ(got, pixel_ops.pack(s[2], s[1], s[0])) << x << "," << r;
        }
        // and close to libjpeg's decode of the same file
        const uint8_t* q = &ref.px[(size_t(c.y + r) * 37 + size_t(c.x + x)) * 3];
        int rr, gg, bb;
        pixel_ops.unpack(got, &rr, &gg, &bb);
        EXPECT_NEAR(rr, q[0] & 0xF8, 8);
        EXPECT_NEAR(gg, q[1] & 0xFC, 8);
        EXPECT_NEAR(bb, q[2] & 0xF8, 8);
      }
    }
  }
  EXPECT_EQ(log(), "");
}

TEST_F(JpgLoad, GreyPictureLoadsAsGreyPixels) {
  const Bytes jpeg = encode(16, 16, 1, true);
  dir.write("grey.jpg", text(jpeg));
  const jpegref::Image ref = jpegref::decode(jpeg, {});
  ASSERT_EQ(ref.ch, 1);
  Bitmap bm = make_bitmap(16, 16);
  ASSERT_EQ(jpg_load_region("GREY.JPG", bm.get(), 0, 0, 16, 16), 0);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const uint8_t v = ref.px[size_t(y * 16 + x)];
      int r, g, b;
      pixel_ops.unpack(bm->rows[y][x], &r, &g, &b);
      EXPECT_NEAR(r, v & 0xF8, 8);
      EXPECT_NEAR(g, v & 0xFC, 8);
      EXPECT_NEAR(b, v & 0xF8, 8);
    }
  }
}

TEST_F(JpgLoad, RefusalsLogTheirTextAndLeaveTheTargetUntouched) {
  dir.write("pic.jpg", text(encode(37, 29, 3)));
  dir.write("cmyk.jpg", text(encode(16, 16, 4)));
  dir.write("empty.jpg", "");
  dir.write("junk.jpg", "this is not a picture at all");
  struct Case {
    const char* name;
    const char* path;
    int32_t x, y, w, h;
    int32_t bw, bh;
    const char* line;
  };
  const Case cases[] = {
      {"one pixel too wide", "pic.jpg", 0, 0, 38, 29, 40, 40, "pic.jpg file size error"},
      {"one pixel too high", "pic.jpg", 0, 1, 37, 29, 40, 40, "pic.jpg file size error"},
      {"region past the right edge", "pic.jpg", 30, 0, 8, 8, 40, 40, "pic.jpg file size error"},
      {"negative x", "pic.jpg", -1, 0, 8, 8, 40, 40, "pic.jpg file size error"},
      {"empty region", "pic.jpg", 0, 0, 0, 8, 40, 40, "pic.jpg file size error"},
      {"wider than the target", "pic.jpg", 0, 0, 37, 29, 20, 40, "pic.jpg file size error"},
      {"taller than the target", "pic.jpg", 0, 0, 37, 29, 40, 28, "pic.jpg file size error"},
      {"four channels", "cmyk.jpg", 0, 0, 16, 16, 40, 40, "cmyk.jpg file decode error"},
      {"missing file", "none.jpg", 0, 0, 8, 8, 40, 40, "none.jpg file check error"},
      {"empty file", "empty.jpg", 0, 0, 8, 8, 40, 40, "empty.jpg file check error"},
      {"not a JPEG", "junk.jpg", 0, 0, 8, 8, 40, 40, "junk.jpg file check error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    clearLog();
    Bitmap bm = make_bitmap(c.bw, c.bh);
    EXPECT_EQ(jpg_load_region(c.path, bm.get(), c.x, c.y, c.w, c.h), -2);
    EXPECT_TRUE(untouched(bm.get()));
    EXPECT_NE(log().find(c.line), std::string::npos) << log();
  }
}

TEST_F(JpgLoad, WithoutTheCodecModuleEveryCallFails) {
  const Bytes jpeg = encode(16, 16, 3);
  dir.write("pic.jpg", text(jpeg));
  plat::get().modules().remove("jcodec15.dll");
  jpg_codec_reset();
  int32_t w = -1;
  EXPECT_EQ(jpeg_read_info(jpeg.data(), jpeg.size(), &w, nullptr, nullptr), 1);
  EXPECT_EQ(w, -1);
  uint8_t* buf = nullptr;
  size_t size = 0;
  EXPECT_EQ(jpeg_decode(jpeg.data(), jpeg.size(), 0, 0, 8, 8, &buf, &size), 1);
  EXPECT_EQ(buf, nullptr);
  Bitmap bm = make_bitmap(16, 16);
  EXPECT_EQ(jpg_load_region("pic.jpg", bm.get(), 0, 0, 16, 16), -2);
  EXPECT_TRUE(untouched(bm.get()));
  EXPECT_NE(log().find("pic.jpg file check error"), std::string::npos);
  // registered later, the codec is found on the next call
  jpeg_register_module();
  EXPECT_EQ(jpg_load_region("pic.jpg", bm.get(), 0, 0, 16, 16), 0);
}

// ---- the two codec calls ------------------------------------------------------------------

TEST_F(JpgLoad, DecodeSizesAndChannels) {
  const Bytes page = encode(800, 600, 3);
  int32_t w = 0, h = 0, ch = 0;
  ASSERT_EQ(jpeg_read_info(page.data(), page.size(), &w, &h, &ch), 0);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  EXPECT_EQ(ch, 3);
  uint8_t* buf = nullptr;
  size_t size = 0;
  EXPECT_EQ(jpeg_decode(page.data(), page.size(), 0, 0, 800, 600, &buf, &size), 0);
  EXPECT_EQ(size, 1440000u);
  std::free(buf);

  // A grey image gives three equal channels, rows padded to 4 bytes.
  const Bytes grey = encode(8, 8, 1, true);
  ASSERT_EQ(jpeg_read_info(grey.data(), grey.size(), nullptr, nullptr, &ch), 0);
  EXPECT_EQ(ch, 1);
  buf = nullptr;
  ASSERT_EQ(jpeg_decode(grey.data(), grey.size(), 1, 1, 6, 7, &buf, &size), 0);
  EXPECT_EQ(size, 20u * 7);
  const jpegref::Image ref = jpegref::decode(grey, {});
  for (int r = 0; r < 7; ++r) {
    for (int x = 0; x < 6; ++x) {
      const uint8_t* p = buf + r * 20 + x * 3;
      EXPECT_EQ(p[0], p[1]);
      EXPECT_EQ(p[1], p[2]);
      EXPECT_NEAR(p[0], ref.px[size_t((r + 1) * 8 + x + 1)], 3);
    }
    EXPECT_EQ(buf[r * 20 + 18], 0);  // padding stays zero
    EXPECT_EQ(buf[r * 20 + 19], 0);
  }
  std::free(buf);
}

TEST_F(JpgLoad, DecodeRefusesBadArguments) {
  const Bytes jpeg = encode(16, 16, 3);
  size_t size = 0;
  struct Case {
    const char* name;
    int32_t x, y, w, h;
    int expected;
  };
  const Case cases[] = {
      {"whole image", 0, 0, 16, 16, 0},   {"one pixel too wide", 0, 0, 17, 16, 2},
      {"past the bottom", 0, 9, 8, 8, 2}, {"negative y", 0, -1, 8, 8, 2},
      {"zero width", 0, 0, 0, 8, 2},      {"negative height", 0, 0, 8, -3, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    uint8_t* buf = nullptr;
    EXPECT_EQ(jpeg_decode(jpeg.data(), jpeg.size(), c.x, c.y, c.w, c.h, &buf, &size), c.expected);
    std::free(buf);
  }
  uint8_t* buf = nullptr;
  EXPECT_EQ(jpeg_decode(nullptr, 10, 0, 0, 8, 8, &buf, &size), 3);
  EXPECT_EQ(jpeg_read_info(nullptr, 10, nullptr, nullptr, nullptr), 3);
  const Bytes junk(100, 0x55);
  EXPECT_EQ(jpeg_decode(junk.data(), junk.size(), 0, 0, 8, 8, &buf, &size), 1);
  EXPECT_EQ(buf, nullptr);

  // A caller's buffer is used as it is.
  Bytes mine(16 * 3 * 16, 0xEE);
  buf = mine.data();
  ASSERT_EQ(jpeg_decode(jpeg.data(), jpeg.size(), 0, 0, 16, 16, &buf, &size), 0);
  EXPECT_EQ(buf, mine.data());
  EXPECT_EQ(mine, direct_decode(jpeg, 16, 16));
}

// ---- converters ---------------------------------------------------------------------------

TEST_F(JpgLoad, ConvertersPackBlueGreenRedFromPaddedRows) {
  // Two rows of 6 pixels: 18 bytes each, padded to 20 with bytes that must never be read as
  // pixels.
  Bytes rows(40, 0xEE);
  for (int r = 0; r < 2; ++r)
    for (int x = 0; x < 6; ++x) {
      uint8_t* p = &rows[size_t(r * 20 + x * 3)];
      p[0] = uint8_t(0x10 + x);       // blue
      p[1] = uint8_t(0x20 + 8 * r);   // green
      p[2] = uint8_t(0xF8 - 8 * x);   // red
    }
  Bitmap bm = make_bitmap(8, 3);
  convert_rgb24_rows(rows.data(), bm.get(), 6, 2);
  EXPECT_EQ(bm->rows[0][0], 0xF902);  // red 31, green 8, blue 2 in 565
  for (int r = 0; r < 2; ++r)
    for (int x = 0; x < 6; ++x)
      EXPECT_EQ(bm->rows[r][x], pixel_ops.pack(0xF8 - 8 * x, 0x20 + 8 * r, 0x10 + x)) << x << "," << r;
  EXPECT_EQ(bm->rows[0][6], kUntouched);
  EXPECT_EQ(bm->rows[2][0], kUntouched);

  // The block form: from (2, 1), at most the target's rows and the bitmap's edge.
  Bitmap blk = make_bitmap(6, 4);
  convert_rgb24_block(rows.data(), blk.get(), 2, 1, 6, 1, 6, 2);
  for (int x = 0; x < 6; ++x) {
    EXPECT_EQ(blk->rows[1][x], x < 2 ? kUntouched : pixel_ops.pack(0xF8 - 8 * (x - 2), 0x20, 0x10 + x - 2)) << x;
    EXPECT_EQ(blk->rows[2][x], kUntouched);
  }
  EXPECT_EQ(blk->rows[0][3], kUntouched);
  // rows below the bitmap are clipped, not written
  convert_rgb24_block(rows.data(), blk.get(), 0, 3, 6, 5, 6, 2);
  EXPECT_EQ(blk->rows[3][0], pixel_ops.pack(0xF8, 0x20, 0x10));
}

TEST_F(JpgLoad, ConvertersAgreeWithEveryPixelFamilysPackRoutine) {
  // Every value of every channel, mixed, through each family (the mask-driven one on a 444 screen).
  Bytes rows(256 * 3 * 3);
  for (int i = 0; i < 256 * 3; ++i) {
    rows[size_t(i) * 3 + 0] = uint8_t(i);
    rows[size_t(i) * 3 + 1] = uint8_t(i * 7 + 3);
    rows[size_t(i) * 3 + 2] = uint8_t(i * 13 + 101);
  }
  const PIXEL_CHANNELS saved = pixel_channels;
  pixel_channels = {pixel_channel_from_mask(0x0F00), pixel_channel_from_mask(0x00F0), pixel_channel_from_mask(0x000F)};
  for (int id : {PIXEL_FORMAT_555, PIXEL_FORMAT_655, PIXEL_FORMAT_565, PIXEL_FORMAT_556, PIXEL_FORMAT_ANY}) {
    pixel_ops = pixel_ops_family(id);
    Bitmap bm = make_bitmap(256 * 3, 1);
    convert_rgb24_rows(rows.data(), bm.get(), 256 * 3, 1);
    for (int i = 0; i < 256 * 3; ++i) {
      const uint8_t* s = &rows[size_t(i) * 3];
      ASSERT_EQ(bm->rows[0][i], pixel_ops.pack(s[2], s[1], s[0])) << "family " << id << ", pixel " << i;
    }
  }
  pixel_channels = saved;
  pixel_ops = pixel_ops_family(PIXEL_FORMAT_565);
}

// ---- the call sequence on the module ------------------------------------------------------

struct FakeCodec {
  std::vector<std::string> calls;
  int32_t read7 = 0;
  int32_t width = 800, height = 600;  // what a header read reports
  bool forward = false;               // record each call, then pass it to the real codec
  JPEG_IMAGE_PROPS seen{};
};
FakeCodec fake;

int32_t fake_init(JPEG_IMAGE_PROPS* p) {
  fake.calls.push_back("init");
  if (fake.forward) return JpegCodecInit(p);
  *p = JPEG_IMAGE_PROPS{};
  return 0;
}
int32_t fake_free(JPEG_IMAGE_PROPS* p) {
  fake.calls.push_back("free");
  return fake.forward ? JpegCodecFree(p) : 0;
}
int32_t fake_read(JPEG_IMAGE_PROPS* p, int32_t mode) {
  fake.calls.push_back("read " + std::to_string(mode));
  if (fake.forward) return JpegCodecRead(p, mode);
  if (mode == 1) {
    p->jpg_width = fake.width;
    p->jpg_height = fake.height;
    p->jpg_channels = 3;
    return 0;
  }
  fake.seen = *p;
  return fake.read7;
}

void install_fake_codec() {
  plat::ModuleInfo info;
  info.name = "jcodec15.dll";
  info.ordinals[2] = reinterpret_cast<void*>(&fake_init);
  info.ordinals[3] = reinterpret_cast<void*>(&fake_free);
  info.ordinals[4] = reinterpret_cast<void*>(&fake_read);
  plat::get().modules().add(std::move(info));
  jpg_codec_reset();
  fake = FakeCodec{};
}

// One header read and nothing more: no decode was asked for, so no pixel buffer was sized.
const std::vector<std::string> kHeaderOnly = {"init", "read 1", "free"};

TEST_F(JpgLoad, FakeModuleSeesInitReadsAndFreeOnEveryPath) {
  install_fake_codec();
  const uint8_t data[4] = {0xFF, 0xD8, 0xFF, 0xD9};
  const std::vector<std::string> decode_calls = {"init", "read 1", "read 7", "free"};

  struct Case {
    int32_t read7;
    int expected;
  };
  for (const Case c : {Case{0, 0}, Case{2, 0}, Case{-21, 1}, Case{1, 1}}) {
    SCOPED_TRACE(c.read7);
    fake = FakeCodec{};
    fake.read7 = c.read7;
    uint8_t* buf = nullptr;
    size_t size = 0;
    EXPECT_EQ(jpeg_decode(data, sizeof data, 10, 20, 6, 5, &buf, &size), c.expected);
    EXPECT_EQ(fake.calls, decode_calls);
    EXPECT_EQ(size, 20u * 5);
    std::free(buf);
  }
  // the fields the decode asked for
  const JPEG_IMAGE_PROPS& s = fake.seen;
  EXPECT_EQ(s.jpg_file, nullptr);
  EXPECT_EQ(s.jpg_bytes, data);
  EXPECT_EQ(s.jpg_size_bytes, 4);
  EXPECT_EQ(s.dib_width, 6);
  EXPECT_EQ(s.dib_height, 5);
  EXPECT_EQ(s.dib_pad_bytes, 2);
  EXPECT_EQ(s.dib_channels, 3);
  EXPECT_EQ(s.dib_color, JPEG_COLOR_BGR);
  EXPECT_EQ(s.jpg_color, JPEG_COLOR_YCBCR);
  EXPECT_EQ(s.state.roi.left, 10);
  EXPECT_EQ(s.state.roi.top, 20);
  EXPECT_EQ(s.state.roi.right, 16);
  EXPECT_EQ(s.state.roi.bottom, 25);

  fake = FakeCodec{};
  int32_t w = 0;
  EXPECT_EQ(jpeg_read_info(data, sizeof data, &w, nullptr, nullptr), 0);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(fake.calls, (std::vector<std::string>{"init", "read 1", "free"}));
  fake = FakeCodec{};
}

// ---- size limits --------------------------------------------------------------------------

// A baseline grey JPEG of the given sizes with no pixel data: quantisation table, frame, an
// all-zero Huffman table and a scan head, about a hundred bytes.
Bytes forged_baseline(uint16_t width, uint16_t height) {
  Bytes b = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00};
  b.insert(b.end(), 64, 1);
  const Bytes frame = {0xFF, 0xC0, 0x00, 0x0B, 0x08, uint8_t(height >> 8), uint8_t(height), uint8_t(width >> 8),
                       uint8_t(width), 0x01, 0x01, 0x11, 0x00};
  b.insert(b.end(), frame.begin(), frame.end());
  for (const uint8_t cls : {0x00, 0x10}) {  // DC and AC table 0: one code of length 1 for symbol 0
    const Bytes dht = {0xFF, 0xC4, 0x00, 0x14, cls, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00};
    b.insert(b.end(), dht.begin(), dht.end());
  }
  const Bytes scan = {0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00, 0xFF, 0xD9};
  b.insert(b.end(), scan.begin(), scan.end());
  return b;
}

// The largest single allocation the codec asks for while installed.
size_t largest_codec_alloc = 0;
void* recording_alloc(size_t size, size_t align, void*) {
  largest_codec_alloc = std::max(largest_codec_alloc, size);
  return ::operator new(size, std::align_val_t(align), std::nothrow);
}
void recording_release(void* p, void*) { ::operator delete(p, std::align_val_t(32)); }

TEST_F(JpgLoad, ForgedHugeHeaderIsRefusedBeforeAnyPixelBufferIsSized) {
  const Bytes forged = forged_baseline(65535, 65535);
  ASSERT_LT(forged.size(), 200u);
  dir.write("huge.jpg", text(forged));
  // The real codec reads the header as it is: the refusal below is the size limit's.
  int32_t w = 0, h = 0;
  ASSERT_EQ(jpeg_read_info(forged.data(), forged.size(), &w, &h, nullptr), 0);
  ASSERT_EQ(w, 65535);
  ASSERT_EQ(h, 65535);

  install_fake_codec();
  fake.forward = true;
  const JpegAllocHooks hooks{recording_alloc, recording_release, nullptr};
  largest_codec_alloc = 0;
  jpeg_set_alloc_hooks(&hooks);

  Bitmap bm = make_bitmap(800, 600);
  EXPECT_EQ(jpg_load_region("huge.jpg", bm.get(), 0, 0, 800, 600), -2);
  EXPECT_TRUE(untouched(bm.get()));
  EXPECT_NE(log().find("huge.jpg file check error"), std::string::npos) << log();
  EXPECT_EQ(fake.calls, kHeaderOnly);  // the decode (its own init and reads) never began

  // Asked directly for the whole image, the decode sizes nothing and allocates nothing.
  fake.calls.clear();
  uint8_t* buf = nullptr;
  size_t size = 7;
  EXPECT_EQ(jpeg_decode(forged.data(), forged.size(), 0, 0, 65535, 65535, &buf, &size), 1);
  EXPECT_EQ(buf, nullptr);
  EXPECT_EQ(size, 7u);
  EXPECT_EQ(fake.calls, kHeaderOnly);

  jpeg_set_alloc_hooks(nullptr);
  EXPECT_GT(largest_codec_alloc, 0u);  // the hook saw the header reads
  EXPECT_LT(largest_codec_alloc, size_t{1} << 20);
  fake = FakeCodec{};
}

TEST_F(JpgLoad, SizeLimitsAtTheirEdges) {
  install_fake_codec();
  dir.write("pic.jpg", "any bytes: the fake codec reports the sizes");
  struct Case {
    int32_t width, height;
    bool refused;
  };
  const Case cases[] = {
      {16384, 1, false},    {1, 16384, false},    {16385, 1, true},     {1, 16385, true},
      {8192, 8192, false},  {16384, 4096, false},  // exactly 64 M pixels
      {8193, 8193, true},   {16384, 4097, true},   {65535, 65535, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
    clearLog();
    fake = FakeCodec{};
    fake.width = c.width;
    fake.height = c.height;
    Bitmap bm = make_bitmap(1, 1);
    EXPECT_EQ(jpg_load_region("pic.jpg", bm.get(), 0, 0, 1, 1), c.refused ? -2 : 0);
    const bool logged = log().find("pic.jpg file check error") != std::string::npos;
    EXPECT_EQ(logged, c.refused) << log();
    EXPECT_EQ(fake.calls == kHeaderOnly, c.refused);  // accepted: the decode follows

    fake.calls.clear();
    uint8_t* buf = nullptr;
    size_t size = 0;
    EXPECT_EQ(jpeg_decode(reinterpret_cast<const uint8_t*>("x"), 1, 0, 0, 1, 1, &buf, &size), c.refused ? 1 : 0);
    EXPECT_EQ(buf == nullptr, c.refused);
    EXPECT_EQ(fake.calls, c.refused ? kHeaderOnly : (std::vector<std::string>{"init", "read 1", "read 7", "free"}));
    std::free(buf);
  }
  fake = FakeCodec{};
}

}  // namespace
#endif  // VELDRA_HAVE_JPEGREF
