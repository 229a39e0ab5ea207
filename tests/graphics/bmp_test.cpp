// BMP files: the written bytes, loading both depths, damaged files and failed writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/pak/pak.h"
#include "engine/system/system.h"
#include "graphics/bitmap/bitmap16.h"
#include "graphics/bmp/bmp.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "plat/bytes.h"
#include "tests/support/forwarding_platform.h"
#include "tests/support/headless_fixture.h"
#include "tools/mkpak/mkpak.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string str(const Bytes& b) { return std::string(b.begin(), b.end()); }
Bytes bytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

struct BitmapDeleter {
  void operator()(BITMAP16* b) const { bitmap16_free(&b); }
};
using BitmapPtr = std::unique_ptr<BITMAP16, BitmapDeleter>;

// A file system on which the file `target` takes at most `limit` bytes: a full disk.
class FullDiskFiles final : public plat::IFileSystem {
 public:
  FullDiskFiles(plat::IFileSystem& inner, std::string target, size_t limit)
      : inner_(inner), target_(std::move(target)), limit_(limit) {}
  std::optional<std::string> resolve(std::string_view p, plat::Access a) override { return inner_.resolve(p, a); }
  std::unique_ptr<plat::File> open(std::string_view p, const char* mode) override {
    auto f = inner_.open(p, mode);
    if (!f || p != target_) return f;
    return std::make_unique<Limited>(std::move(f), limit_);
  }
  bool exists(std::string_view p) override { return inner_.exists(p); }
  bool isFile(std::string_view p) override { return inner_.isFile(p); }
  bool isDir(std::string_view p) override { return inner_.isDir(p); }
  std::optional<plat::FileStat> stat(std::string_view p) override { return inner_.stat(p); }
  bool mkdir(std::string_view p) override { return inner_.mkdir(p); }
  bool rmdir(std::string_view p) override { return inner_.rmdir(p); }
  bool remove(std::string_view p) override { return inner_.remove(p); }
  bool rename(std::string_view a, std::string_view b) override { return inner_.rename(a, b); }
  bool replaceFile(std::string_view a, std::string_view b) override { return inner_.replaceFile(a, b); }
  std::vector<plat::DirEntry> list(std::string_view p) override { return inner_.list(p); }
  std::string gameDir() override { return inner_.gameDir(); }
  std::string exePath() override { return inner_.exePath(); }

 private:
  class Limited final : public plat::File {
   public:
    Limited(std::unique_ptr<plat::File> f, size_t room) : f_(std::move(f)), room_(room) {}
    size_t read(void* d, size_t n) override { return f_->read(d, n); }
    size_t write(const void* s, size_t n) override {
      const size_t w = f_->write(s, std::min(n, room_));
      room_ -= w;
      return w;
    }
    bool seek(int64_t o, int w) override { return f_->seek(o, w); }
    int64_t tell() override { return f_->tell(); }
    int64_t size() override { return f_->size(); }
    bool flush() override { return f_->flush(); }

   private:
    std::unique_ptr<plat::File> f_;
    size_t room_;
  };
  plat::IFileSystem& inner_;
  std::string target_;
  size_t limit_;
};

// The headless platform with its files behind a full disk.
class FullDiskPlatform final : public veldra_test::ForwardingPlatform {
 public:
  FullDiskPlatform(std::unique_ptr<plat::HeadlessPlatform> inner, std::string target, size_t limit)
      : ForwardingPlatform(std::move(inner)), files_(this->inner().files(), std::move(target), limit) {}
  plat::IFileSystem& files() override { return files_; }

 private:
  FullDiskFiles files_;
};

class Bmp : public veldra_test::HeadlessTest {
 protected:
  void SetUp() override {
    startDir_ = std::filesystem::current_path();
    HeadlessTest::SetUp();
    savedOps_ = pixel_ops;
    pixel_ops = pixel_ops_family(PIXEL_FORMAT_565);
    ASSERT_EQ(system_module_init(), 0);
    clearLog();
  }
  void TearDown() override {
    pixel_ops = savedOps_;
    std::error_code ec;
    std::filesystem::current_path(startDir_, ec);
    HeadlessTest::TearDown();
  }
  void clearLog() { std::filesystem::remove(dir.hostPath("error.txt")); }
  std::string log() const { return dir.exists("error.txt") ? dir.read("error.txt") : std::string(); }

  static BitmapPtr make(int32_t w, int32_t h, const std::vector<uint16_t>& px) {
    BitmapPtr bm(bitmap16_create(w, h));
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) bm->rows[y][x] = px[size_t(y * w + x)];
    return bm;
  }
  static std::vector<uint16_t> pixels(const BITMAP16* bm) {
    std::vector<uint16_t> out;
    for (uint32_t y = 0; y < bm->height; ++y) out.insert(out.end(), bm->rows[y], bm->rows[y] + bm->width);
    return out;
  }

  // An 8-bit file as another program writes it: head, info, `paletteEntries` entries of
  // 0x00RRGGBB, then the rows (bottom-up, each padded to 4 bytes) right after the palette.
  static Bytes file8(int32_t w, int32_t h, uint32_t coloursUsed, const std::vector<uint32_t>& palette,
                     const std::vector<uint8_t>& indices, uint32_t pixelOffset) {
    plat::ByteWriter o;
    const uint32_t stride = (uint32_t(w) + 3) & ~3u;
    o.bytes("BM", 2);
    o.u32(54 + 4 * uint32_t(palette.size()) + stride * uint32_t(h));
    o.u32(0);
    o.u32(pixelOffset);
    o.u32(40);
    o.i32(w);
    o.i32(h);
    o.u16(1);
    o.u16(8);
    o.u32(0);
    o.u32(0);
    o.i32(2835);
    o.i32(2835);
    o.u32(coloursUsed);
    o.u32(0);
    for (uint32_t c : palette) o.u32(c);
    for (int32_t y = h - 1; y >= 0; --y) {
      for (int32_t x = 0; x < w; ++x) o.u8(indices[size_t(y * w + x)]);
      o.zeros(stride - uint32_t(w));
    }
    return o.take();
  }

 private:
  std::filesystem::path startDir_;
  PIXEL_OPS savedOps_;
};

TEST_F(Bmp, RoundTrip) {
  std::mt19937 gen(3);
  for (int32_t w = 1; w <= 5; ++w) {
    for (int32_t h = 1; h <= 3; ++h) {
      SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
      // Every 565 pixel is a colour the format holds exactly.
      std::vector<uint16_t> px(size_t(w * h));
      for (uint16_t& p : px) p = static_cast<uint16_t>(gen());
      BitmapPtr bm = make(w, h, px);
      ASSERT_EQ(bmp_save(bm.get(), "pics\\..\\round.bmp"), 0);
      const Bytes file = bytes(dir.read("round.bmp"));
      const uint32_t stride = (3 * uint32_t(w) + 3) & ~3u;
      ASSERT_EQ(file.size(), stride * uint32_t(h) + 54);
      plat::ByteReader r(file.data(), file.size());
      r.skip(2);
      EXPECT_EQ(r.u32(), file.size());  // file size field
      r.seek(34);
      EXPECT_EQ(r.u32(), 0u);  // image size field
      BitmapPtr back(bmp_load("ROUND.BMP"));
      ASSERT_NE(back, nullptr);
      EXPECT_EQ(back->width, uint32_t(w));
      EXPECT_EQ(back->height, uint32_t(h));
      EXPECT_EQ(pixels(back.get()), px);
      // The raw-pixel writer makes the same file.
      ASSERT_EQ(bmp_save_pixels(px.data(), w, h, "pixels.bmp"), 0);
      EXPECT_EQ(dir.read("pixels.bmp"), str(file));
    }
  }
  EXPECT_EQ(log(), "");
}

TEST_F(Bmp, GoldenBytes) {
  // 565 unpacks by shifting: 0xF800 -> 0xF80000, 0x07E0 -> 0x00FC00, 0x001F -> 0x0000F8,
  // 0x1234 -> 0x1044A0.
  BitmapPtr bm = make(2, 2, {0xF800, 0x07E0, 0x001F, 0x1234});
  ASSERT_EQ(bmp_save(bm.get(), "golden.bmp"), 0);
  const Bytes expected = {
      'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file head
      40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      72, 0, 0, 0, 72, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // info
      0xF8, 0x00, 0x00, 0xA0, 0x44, 0x10, 0xA0, 0x44,    // bottom row, pad = last blue, green
      0x00, 0x00, 0xF8, 0x00, 0xFC, 0x00, 0x00, 0xFC,    // top row
  };
  EXPECT_EQ(dir.read("golden.bmp"), str(expected));
}

TEST_F(Bmp, Load8) {
  // colours-used 16: a 64-byte palette and the rows right after it, although the head's pixel
  // offset claims a 256-entry palette. Index 20 lies past the palette: black.
  std::vector<uint32_t> palette16;
  for (uint32_t i = 0; i < 16; ++i) palette16.push_back(0x00102030u * i + 0x000800u);
  const std::vector<uint8_t> idx = {0, 15, 7, 20, 1, 2};
  dir.write("p16.bmp", str(file8(3, 2, 16, palette16, idx, 54 + 1024)));
  BitmapPtr bm(bmp_load("p16.bmp"));
  ASSERT_NE(bm, nullptr);
  std::vector<uint16_t> want;
  for (uint8_t i : idx) want.push_back(i < 16 ? pixel_ops.pack_rgb(palette16[i]) : pixel_ops.pack_rgb(0));
  EXPECT_EQ(pixels(bm.get()), want);

  // colours-used 0 with 8 bits: 256 entries.
  std::vector<uint32_t> palette256;
  for (uint32_t i = 0; i < 256; ++i) palette256.push_back(i << 16 | (255 - i) << 8 | (i * 7 & 255));
  const std::vector<uint8_t> idx2 = {255, 0, 128, 17, 200};
  dir.write("p256.bmp", str(file8(5, 1, 0, palette256, idx2, 0)));
  bm.reset(bmp_load("p256.bmp"));
  ASSERT_NE(bm, nullptr);
  want.clear();
  for (uint8_t i : idx2) want.push_back(pixel_ops.pack_rgb(palette256[i]));
  EXPECT_EQ(pixels(bm.get()), want);
  EXPECT_EQ(log(), "");
}

TEST_F(Bmp, LoadsFromAnArchive) {
  BitmapPtr bm = make(3, 2, {1, 2, 3, 0xFFFF, 0x8000, 0x0421});
  ASSERT_EQ(bmp_save(bm.get(), "src.bmp"), 0);
  const std::string file = dir.read("src.bmp");
  Bytes archive;
  std::string error;
  ASSERT_TRUE(mkpak::build({{"pics\\in.bmp", bytes(file)}}, false, archive, error)) << error;
  dir.write("data.pak", str(archive));
  ASSERT_NE(pak_open_archive("data.pak"), nullptr);
  BitmapPtr back(bmp_load("PICS\\IN.BMP"));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(pixels(back.get()), pixels(bm.get()));
}

TEST_F(Bmp, Rejects) {
  BitmapPtr bm = make(4, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  ASSERT_EQ(bmp_save(bm.get(), "good.bmp"), 0);
  const Bytes good = bytes(dir.read("good.bmp"));
  const Bytes good8 = file8(2, 2, 4, {1, 2, 3, 4}, {0, 1, 2, 3}, 54);
  auto patch = [](Bytes b, size_t at, uint32_t v, int width) {
    for (int i = 0; i < width; ++i) b[at + size_t(i)] = static_cast<uint8_t>(v >> (8 * i));
    return b;
  };
  struct Case {
    const char* name;
    Bytes file;
  };
  const Case cases[] = {
      {"colours used 300", patch(good8, 46, 300, 4)},
      {"width 0", patch(good, 18, 0, 4)},
      {"width -1", patch(good, 18, 0xFFFFFFFF, 4)},
      {"height -1 (top-down)", patch(good, 22, 0xFFFFFFFF, 4)},
      {"width 20000", patch(good, 18, 20000, 4)},
      {"height 16385", patch(good, 22, 16385, 4)},
      {"8-bit height 0", patch(good8, 22, 0, 4)},
      {"16 bits", patch(good, 28, 16, 2)},
      {"32 bits", patch(good, 28, 32, 2)},
      {"signature", patch(good, 0, 'B' | 'A' << 8, 2)},
      {"29 bytes", Bytes(good.begin(), good.begin() + 29)},
      {"8-bit without its info block", Bytes(good8.begin(), good8.begin() + 40)},
  };
  for (const Case& c : cases) {
    dir.write("bad.bmp", str(c.file));
    EXPECT_EQ(bmp_load("bad.bmp"), nullptr) << c.name;
  }
  EXPECT_EQ(log(), "");  // all silent
  EXPECT_EQ(bmp_load("missing.bmp"), nullptr);
  EXPECT_EQ(log(), "Can't open bmp file missing.bmp\r\n");

  bitmap_alloc_fail_at(1);
  EXPECT_EQ(bmp_load("good.bmp"), nullptr);
  bitmap_alloc_fail_at(0);

  // A truncated 24-bit file: the rows it holds load, the rest is black.
  dir.write("cut.bmp", str(Bytes(good.begin(), good.begin() + 54 + 12 + 5)));
  BitmapPtr cut(bmp_load("cut.bmp"));
  ASSERT_NE(cut, nullptr);
  const uint16_t black = pixel_ops.pack_rgb(0);
  EXPECT_EQ(std::vector<uint16_t>(cut->rows[2], cut->rows[2] + 4), std::vector<uint16_t>(bm->rows[2], bm->rows[2] + 4));
  EXPECT_EQ(cut->rows[1][0], bm->rows[1][0]);
  EXPECT_EQ(cut->rows[1][1], pixel_ops.pack_rgb(pixel_ops.unpack_rgb(bm->rows[1][1]) & 0x00FFFF));  // red byte missing
  EXPECT_EQ(cut->rows[1][2], black);
  EXPECT_EQ(std::vector<uint16_t>(cut->rows[0], cut->rows[0] + 4), std::vector<uint16_t>(4, black));

  // A truncated 8-bit file: missing pixels are black, not palette entry 0.
  const Bytes red8 = file8(3, 2, 1, {0xFF0000}, {0, 0, 0, 0, 0, 0}, 54);
  dir.write("cut8.bmp", str(Bytes(red8.begin(), red8.end() - 4 - 2)));
  BitmapPtr cut8(bmp_load("cut8.bmp"));
  ASSERT_NE(cut8, nullptr);
  const uint16_t red = pixel_ops.pack_rgb(0xFF0000);
  EXPECT_EQ(pixels(cut8.get()), (std::vector<uint16_t>{black, black, black, red, red, black}));
}

TEST_F(Bmp, SaveFailures) {
  EXPECT_EQ(bmp_save(nullptr, "null.bmp"), -2);
  EXPECT_EQ(bmp_save_pixels(nullptr, 2, 2, "null.bmp"), -2);
  EXPECT_EQ(log(), "Can't save null bmp to file null.bmp\r\nCan't save null bmp to file null.bmp\r\n");
  EXPECT_FALSE(dir.exists("null.bmp"));
  clearLog();

  BitmapPtr bm = make(64, 64, std::vector<uint16_t>(64 * 64, 0x1234));
  EXPECT_EQ(bmp_save(bm.get(), "no folder\\x.bmp"), -1);
  EXPECT_EQ(log(), "Can't open bmp file no folder\\x.bmp\r\n");
  clearLog();

  // A disk that fills part-way through the rows: failure, and no broken file left behind.
  for (size_t room : {size_t{0}, size_t{20}, size_t{54}, size_t{54 + 192 * 30}}) {
    SCOPED_TRACE(room);
    plat::HeadlessOptions o;
    o.gameDir = dir.path();
    plat::install(std::make_unique<FullDiskPlatform>(plat::makeHeadlessPlatform(o), "full.bmp", room));
    EXPECT_EQ(bmp_save(bm.get(), "full.bmp"), -1);
    EXPECT_FALSE(dir.exists("full.bmp"));
    EXPECT_EQ(log(), "Can't write bmp file full.bmp\r\n");
    clearLog();
  }
  plat::HeadlessOptions o;
  o.gameDir = dir.path();
  plat::installHeadless(o);
}

}  // namespace
