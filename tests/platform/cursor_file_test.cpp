// Windows cursor files: the reader on files from tools/curwrite, a malformed corpus derived
// from them, and loading through the path resolver.
#include <gtest/gtest.h>

#include <random>

#include "plat/cursor.h"
#include "tests/support/headless_fixture.h"
#include "tools/curwrite/curwrite.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void put16(Bytes& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

// A 5 x 3 picture: opaque red, green and blue pixels, the rest transparent; hot spot (4, 2).
plat::CursorFrame smallPicture() {
  plat::CursorFrame f;
  f.width = 5;
  f.height = 3;
  f.hotSpot = {4, 2};
  f.argb.assign(15, 0);
  f.argb[0] = 0xFFFF0000;
  f.argb[6] = 0xFF00FF00;
  f.argb[14] = 0xFF0000FF;
  return f;
}

// Whatever the reader accepts is consistent: pictures of their stated size, steps naming frames.
void expectConsistent(const plat::CursorImage& img) {
  ASSERT_FALSE(img.frames.empty());
  for (const plat::CursorFrame& f : img.frames) {
    EXPECT_GT(f.width, 0);
    EXPECT_GT(f.height, 0);
    EXPECT_EQ(f.argb.size(), static_cast<size_t>(f.width) * f.height);
    EXPECT_LT(f.hotSpot.x, f.width);
    EXPECT_LT(f.hotSpot.y, f.height);
  }
  ASSERT_EQ(img.stepFrames.size(), img.stepJiffies.size());
  for (uint32_t s : img.stepFrames) EXPECT_LT(s, img.frames.size());
  for (uint32_t j : img.stepJiffies) EXPECT_GT(j, 0u);
}

TEST(CursorFile, StaticCursorsOfEveryDepthKeepPixelsMaskAndHotSpot) {
  const plat::CursorFrame pic = smallPicture();
  for (int bpp : {4, 8, 24, 32}) {
    std::string why;
    auto img = plat::parseCursorFile(curwrite::writeCur(pic, bpp), &why);
    ASSERT_TRUE(img) << bpp << ": " << why;
    ASSERT_EQ(img->frames.size(), 1u);
    const plat::CursorFrame& f = img->frames[0];
    EXPECT_EQ(f.width, 5);
    EXPECT_EQ(f.height, 3);
    EXPECT_EQ(f.hotSpot.x, 4);
    EXPECT_EQ(f.hotSpot.y, 2);
    EXPECT_EQ(f.argb, pic.argb) << bpp << " bits";
    EXPECT_EQ(img->stepFrames, std::vector<uint32_t>{0});
  }
  // One bit: black and white only.
  plat::CursorFrame mono = curwrite::arrowPicture(32, 0xFFFFFF);
  auto img = plat::parseCursorFile(curwrite::writeCur(mono, 1));
  ASSERT_TRUE(img);
  EXPECT_EQ(img->frames[0].argb, mono.argb);
}

TEST(CursorFile, AnimatedCursorsKeepFramesRatesAndSequence) {
  std::vector<plat::CursorFrame> frames = {curwrite::arrowPicture(32, 0xFF0000), curwrite::arrowPicture(32, 0x00FF00),
                                           curwrite::arrowPicture(32, 0x0000FF)};
  frames[1].hotSpot = {3, 5};
  curwrite::AniOptions o;
  o.rates = {10, 20, 30, 0};
  o.sequence = {0, 2, 1, 2};
  auto img = plat::parseCursorFile(curwrite::writeAni(frames, o));
  ASSERT_TRUE(img);
  ASSERT_EQ(img->frames.size(), 3u);
  EXPECT_EQ(img->frames[1].hotSpot.x, 3);
  EXPECT_EQ(img->frames[1].hotSpot.y, 5);
  EXPECT_EQ(img->frames[2].argb, frames[2].argb);
  EXPECT_EQ(img->stepFrames, (std::vector<uint32_t>{0, 2, 1, 2}));
  EXPECT_EQ(img->stepJiffies, (std::vector<uint32_t>{10, 20, 30, 1}));  // a zero rate would spin

  // Without rate and sequence: each frame in turn at the header's rate; one frame stays static.
  curwrite::AniOptions plain;
  plain.displayRate = 7;
  plain.bitsPerPixel = 8;
  img = plat::parseCursorFile(curwrite::writeAni(frames, plain));
  ASSERT_TRUE(img);
  EXPECT_EQ(img->stepFrames, (std::vector<uint32_t>{0, 1, 2}));
  EXPECT_EQ(img->stepJiffies, (std::vector<uint32_t>{7, 7, 7}));
  img = plat::parseCursorFile(curwrite::writeAni({frames[0]}, plain));
  ASSERT_TRUE(img);
  EXPECT_EQ(img->stepFrames.size(), 1u);
}

TEST(CursorFile, EveryTruncationIsRefused) {
  std::vector<plat::CursorFrame> frames = {curwrite::arrowPicture(16, 0xFF0000), curwrite::arrowPicture(16, 0xFF)};
  const Bytes files[] = {curwrite::writeCur(smallPicture(), 8), curwrite::writeCur(smallPicture(), 32),
                         curwrite::writeAni(frames)};
  for (const Bytes& full : files) {
    for (size_t n = 0; n < full.size(); ++n) {
      Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
      std::string why;
      EXPECT_FALSE(plat::parseCursorFile(cut, &why)) << "cut at " << n << " of " << full.size();
      EXPECT_FALSE(why.empty());
    }
  }
}

TEST(CursorFile, CountsOffsetsAndSizesPastTheFileAreRefused) {
  const Bytes cur = curwrite::writeCur(smallPicture(), 4);
  constexpr size_t kEntry = 6, kImage = 22;
  struct Case {
    const char* what;
    size_t at;
    int width;  // 2 or 4 bytes
    uint32_t value;
  };
  const Case curCases[] = {
      {"reserved word", 0, 2, 1},
      {"directory type", 2, 2, 3},
      {"no images", 4, 2, 0},
      {"image count past the file", 4, 2, 0xFFFF},
      {"image size past the file", kEntry + 8, 4, 0xFFFFFF00},
      {"image offset past the file", kEntry + 12, 4, 0xFFFFFFF0},
      {"zero image size", kEntry + 8, 4, 0},
      {"small header", kImage, 4, 12},
      {"header past the image", kImage, 4, 0x7FFFFFFF},
      {"zero width", kImage + 4, 4, 0},
      {"negative width", kImage + 4, 4, 0xFFFFFFFF},
      {"huge width", kImage + 4, 4, 100000},
      {"odd height", kImage + 8, 4, 5},
      {"zero height", kImage + 8, 4, 0},
      {"rows past the file", kImage + 8, 4, 512},
      {"bit count 3", kImage + 14, 2, 3},
      {"compressed", kImage + 16, 4, 1},
      {"palette larger than the depth", kImage + 32, 4, 17},
      {"palette past the file", kImage + 32, 4, 0x40000000},
      {"colour index past a short palette", kImage + 32, 4, 1},
  };
  for (const Case& c : curCases) {
    Bytes b = cur;
    if (c.width == 2) put16(b, c.at, static_cast<uint16_t>(c.value));
    else put32(b, c.at, c.value);
    std::string why;
    EXPECT_FALSE(plat::parseCursorFile(b, &why)) << c.what;
    EXPECT_FALSE(why.empty()) << c.what;
  }

  // A hot spot outside the picture is moved inside it.
  Bytes b = cur;
  put16(b, kEntry + 4, 900);
  auto img = plat::parseCursorFile(b);
  ASSERT_TRUE(img);
  EXPECT_EQ(img->frames[0].hotSpot.x, 4);

  // Animated files: the header, the sequence and the rate table against the frames.
  std::vector<plat::CursorFrame> frames = {curwrite::arrowPicture(8, 0xFF0000), curwrite::arrowPicture(8, 0xFF)};
  curwrite::AniOptions o;
  o.rates = {1, 2, 3};
  o.sequence = {0, 1, 0};
  const Bytes ani = curwrite::writeAni(frames, o);
  constexpr size_t kAnih = 12 + 8;  // after "RIFF", size, "ACON", "anih", size
  const size_t seq = ani.size() > 0 ? 12 + 8 + 36 + 8 + 12 + 8 : 0;  // the "seq " payload
  struct AniCase {
    const char* what;
    size_t at;
    uint32_t value;
  };
  const AniCase aniCases[] = {
      {"more frames named than held", kAnih + 4, 3},
      {"raw frames", kAnih + 32, 0},
      {"sequence names a missing frame", seq + 4, 2},
      {"anih chunk past the file", kAnih - 4, 0x7FFFFFF0},
      {"rate chunk cut short", kAnih + 36 + 4, 8},
      {"form type", 8, 0x4E4F5641},
  };
  for (const AniCase& c : aniCases) {
    Bytes a = ani;
    put32(a, c.at, c.value);
    std::string why;
    EXPECT_FALSE(plat::parseCursorFile(a, &why)) << c.what;
  }
  // A careless outer size is read as far as the file goes.
  Bytes a = ani;
  put32(a, 4, 0xFFFFFFFF);
  EXPECT_TRUE(plat::parseCursorFile(a));
}

TEST(CursorFile, DamagedBytesNeverGiveAnInconsistentCursor) {
  std::vector<plat::CursorFrame> frames = {curwrite::arrowPicture(8, 0xFF0000), curwrite::arrowPicture(8, 0xFF)};
  curwrite::AniOptions o;
  o.sequence = {1, 0};
  o.bitsPerPixel = 4;
  const Bytes sources[] = {curwrite::writeCur(smallPicture(), 8), curwrite::writeAni(frames, o)};
  std::mt19937 rng(1234);
  for (const Bytes& src : sources) {
    for (int round = 0; round < 1500; ++round) {
      Bytes b = src;
      const int flips = 1 + static_cast<int>(rng() % 4);
      for (int i = 0; i < flips; ++i) b[rng() % b.size()] = static_cast<uint8_t>(rng());
      if (auto img = plat::parseCursorFile(b)) expectConsistent(*img);
    }
  }
}

class CursorFileLoad : public veldra_test::HeadlessTest {
 protected:
  void write(const std::string& name, const Bytes& bytes) {
    dir.write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }
};

TEST_F(CursorFileLoad, GamePathsLoadThroughTheResolverAndBadFilesGiveNoCursor) {
  std::vector<plat::CursorFrame> frames = {curwrite::arrowPicture(32, 0xFF0000), curwrite::arrowPicture(32, 0xFF)};
  write("system/mouse3.ani", curwrite::writeAni(frames));
  Bytes broken = curwrite::writeCur(smallPicture());
  broken.resize(broken.size() / 2);
  write("system/broken.cur", broken);

  plat::ICursorSystem& cursors = hp().cursors();
  const plat::CursorId id = cursors.loadFile("SYSTEM\\MOUSE3.ani");
  ASSERT_NE(id, 0u);
  ASSERT_NE(hp().cursorImage(id), nullptr);
  EXPECT_EQ(hp().cursorImage(id)->frames.size(), 2u);
  EXPECT_NE(id, cursors.arrow());

  hp().debugLines().clear();
  EXPECT_EQ(cursors.loadFile("SYSTEM\\broken.cur"), 0u);
  EXPECT_EQ(cursors.loadFile("SYSTEM\\MOUSE9.ani"), 0u);
  ASSERT_EQ(hp().debugLines().size(), 2u);
  EXPECT_NE(hp().debugLines()[0].find("cursor file SYSTEM\\broken.cur"), std::string::npos) << hp().debugLines()[0];
  EXPECT_NE(hp().debugLines()[1].find("cannot open"), std::string::npos);

  // Setting records the handle; unknown handles are ignored; freeing forgets the picture.
  cursors.set(id);
  cursors.set(12345);
  EXPECT_EQ(hp().cursorRecord().current, id);
  cursors.free(id);
  EXPECT_EQ(hp().cursorImage(id), nullptr);
}

}  // namespace
