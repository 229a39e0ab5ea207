// The libav* film decoder on aviwrite films, on the fake clock.
#include <gtest/gtest.h>

#include <vector>

#include "plat/platform.h"
#include "plat/video.h"
#include "tests/support/headless_fixture.h"
#include "tools/aviwrite/aviwrite.h"

namespace {

constexpr plat::PixelMasks k565{0xF800, 0x07E0, 0x001F};
constexpr plat::PixelMasks k555{0x7C00, 0x03E0, 0x001F};
constexpr plat::PixelMasks k655{0xFC00, 0x03E0, 0x001F};
constexpr uint16_t kSentinel = 0x1234;

// Each channel of a within one step of its width of b.
::testing::AssertionResult closePixel(uint16_t a, uint16_t b, plat::PixelMasks m) {
  for (uint32_t mask : {m.red, m.green, m.blue}) {
    const int low = __builtin_ctz(mask);
    const int ca = static_cast<int>((a & mask) >> low), cb = static_cast<int>((b & mask) >> low);
    if (ca - cb > 1 || cb - ca > 1)
      return ::testing::AssertionFailure() << std::hex << "pixel 0x" << a << " expected 0x" << b;
  }
  return ::testing::AssertionSuccess();
}

class VideoPlayback : public veldra_test::HeadlessTest {
 protected:
  void film(const char* name, aviwrite::Options o) {
    dir.mkdir("movie");
    ASSERT_TRUE(aviwrite::writeFile(dir.hostPath(name), o));
  }

  std::vector<uint16_t> surface = std::vector<uint16_t>(800 * 600, kSentinel);
  uint16_t at(int x, int y) const { return surface[static_cast<size_t>(y) * 800 + x]; }
  plat::VideoFrame next(plat::IVideoDecoder& d, plat::Rect r, plat::PixelMasks m = k565) {
    return d.next(surface.data(), 1600, m, r);
  }
  // Every pixel outside r still holds the sentinel.
  bool untouchedOutside(plat::Rect r) const {
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 800; ++x)
        if ((x < r.left || x >= r.right || y < r.top || y >= r.bottom) && at(x, y) != kSentinel) return false;
    return true;
  }
};

TEST_F(VideoPlayback, Decoder) {
  if (!plat::videoDecodingBuilt()) GTEST_SKIP() << "built with VELDRA_VIDEO off";
  film("movie/title.avi", {.width = 64, .height = 48, .fps = 10, .frames = 5});
  auto d = plat::makeLibavVideoDecoder();
  plat::VideoInfo info;
  ASSERT_EQ(d->open("MOVIE\\Title.avi", info), plat::VideoOpen::Ok);  // through the resolver
  EXPECT_EQ(info.width, 64);
  EXPECT_EQ(info.height, 48);
  EXPECT_TRUE(info.hasVideo);
  EXPECT_FALSE(info.hasAudio);
  EXPECT_EQ(info.durationMs, 500u);
  EXPECT_EQ(d->durationMs(), 500u);

  EXPECT_EQ(next(*d, {0, 0, 64, 48}), plat::VideoFrame::NoFrame) << "not started";
  ASSERT_EQ(d->start(), 0);
  const uint32_t t0 = hp().clock().ms();
  const plat::Rect r{10, 20, 74, 68};
  for (int k = 0; k < 5; ++k) {
    ASSERT_EQ(next(*d, r), plat::VideoFrame::Ok) << k;
    EXPECT_EQ(hp().clock().ms() - t0, static_cast<uint32_t>(k * 100)) << "waits until frame " << k << " is due";
    EXPECT_EQ(d->times().startMs, k * 100);
    for (auto [x, y] : {std::pair{4, 4}, {40, 4}, {20, 40}, {60, 44}})
      EXPECT_TRUE(closePixel(at(r.left + x, r.top + y), plat::videoPack16(aviwrite::patternColour(k, x, y), k565), k565))
          << "frame " << k << " at " << x << "," << y;
  }
  EXPECT_TRUE(untouchedOutside(r));
  EXPECT_EQ(next(*d, r), plat::VideoFrame::End);
  EXPECT_EQ(next(*d, r), plat::VideoFrame::End);
  EXPECT_EQ(d->takeError(), "");
  d->close();
  EXPECT_EQ(next(*d, r), plat::VideoFrame::NoFrame);
}

TEST_F(VideoPlayback, DecoderLateCallerSeekAndOtherLayouts) {
  if (!plat::videoDecodingBuilt()) GTEST_SKIP() << "built with VELDRA_VIDEO off";
  film("late.avi", {.width = 32, .height = 32, .fps = 10, .frames = 10, .audio = true});
  auto d = plat::makeLibavVideoDecoder();
  plat::VideoInfo info;
  ASSERT_EQ(d->open("late.avi", info), plat::VideoOpen::Ok);
  EXPECT_TRUE(info.hasAudio);
  ASSERT_EQ(d->start(), 0);
  const plat::Rect r{0, 0, 32, 32};
  hp().fakeClock().advance(250);
  ASSERT_EQ(next(*d, r), plat::VideoFrame::Ok);
  EXPECT_EQ(d->times().startMs, 200) << "a late caller gets the newest due frame";

  d->seekMs(700);
  ASSERT_EQ(next(*d, r, k555), plat::VideoFrame::Ok);
  EXPECT_EQ(d->times().startMs, 700);
  EXPECT_TRUE(closePixel(at(20, 20), plat::videoPack16(aviwrite::patternColour(7, 20, 20), k555), k555));

  d->seekMs(-50);  // clamped to the start
  ASSERT_EQ(next(*d, r, k655), plat::VideoFrame::Ok);
  EXPECT_EQ(d->times().startMs, 0);
  EXPECT_TRUE(closePixel(at(20, 20), plat::videoPack16(aviwrite::patternColour(0, 20, 20), k655), k655));

  d->seekMs(1'000'000);  // clamped to the last moment
  ASSERT_EQ(next(*d, r), plat::VideoFrame::Ok);
  EXPECT_EQ(d->times().startMs, 900);
  EXPECT_EQ(next(*d, r), plat::VideoFrame::End);

  // The 24-bit road gives the pattern's bytes in B, G, R order.
  d->seekMs(300);
  std::vector<uint8_t> rgb(32 * 3 * 32, 0);
  ASSERT_EQ(d->next24(rgb.data(), 96, r), plat::VideoFrame::Ok);
  const uint32_t c = aviwrite::patternColour(3, 20, 20);
  const uint8_t* p = &rgb[20 * 96 + 20 * 3];
  EXPECT_NEAR(p[0], c & 0xFF, 2);
  EXPECT_NEAR(p[1], (c >> 8) & 0xFF, 2);
  EXPECT_NEAR(p[2], (c >> 16) & 0xFF, 2);
}

TEST_F(VideoPlayback, DecoderScalesALargeFilmAndNeverWritesOutsideItsRectangle) {
  if (!plat::videoDecodingBuilt()) GTEST_SKIP() << "built with VELDRA_VIDEO off";
  film("big.avi", {.width = 1024, .height = 768, .fps = 5, .frames = 2});
  auto d = plat::makeLibavVideoDecoder();
  plat::VideoInfo info;
  ASSERT_EQ(d->open("big.avi", info), plat::VideoOpen::Ok);
  EXPECT_EQ(info.width, 800);
  EXPECT_EQ(info.height, 600);
  ASSERT_EQ(d->start(), 0);
  ASSERT_EQ(next(*d, {0, 0, 800, 600}), plat::VideoFrame::Ok);
  // Block (0, 0) of the film still leads the picture; the far corner holds the last block.
  EXPECT_TRUE(closePixel(at(2, 2), plat::videoPack16(aviwrite::patternColour(0, 0, 0), k565), k565));
  EXPECT_TRUE(closePixel(at(797, 597), plat::videoPack16(aviwrite::patternColour(0, 1023, 767), k565), k565));

  // A rectangle smaller than the frame gets the frame's top-left part, nothing more.
  std::fill(surface.begin(), surface.end(), kSentinel);
  const plat::Rect small{100, 50, 300, 150};
  ASSERT_EQ(next(*d, small), plat::VideoFrame::Ok);
  EXPECT_TRUE(untouchedOutside(small));
  EXPECT_NE(at(100, 50), kSentinel);
}

TEST_F(VideoPlayback, DecoderRefusals) {
  plat::VideoInfo info;
  auto d = plat::makeLibavVideoDecoder();
  EXPECT_EQ(d->open("movie\\missing.avi", info), plat::VideoOpen::NotFound);
  dir.write("notes.avi", "this is a text file, not a film\n");
  EXPECT_EQ(d->open("notes.avi", info), plat::VideoOpen::CannotOpen);
  EXPECT_EQ(info.width, 0);
  EXPECT_EQ(d->start(), plat::kVideoStartNoBuffers);
  EXPECT_EQ(next(*d, {0, 0, 10, 10}), plat::VideoFrame::NoFrame);

  // The decoder of a build with VELDRA_VIDEO off skips every film.
  film("ok.avi", {});
  auto off = plat::makeNoVideoDecoder();
  EXPECT_EQ(off->open("ok.avi", info), plat::VideoOpen::CannotOpen);
  EXPECT_EQ(off->open("gone.avi", info), plat::VideoOpen::NotFound);
  EXPECT_TRUE(untouchedOutside({0, 0, 0, 0}));
}

TEST(VideoFit, ScalesDownKeepingTheAspect) {
  struct Case {
    int32_t w, h, ew, eh;
  } cases[] = {{640, 480, 640, 480}, {800, 600, 800, 600}, {1024, 768, 800, 600}, {1600, 600, 800, 300},
               {700, 1400, 300, 600}, {4096, 1, 800, 1}, {0, 0, 0, 0}};
  for (const Case& c : cases) {
    int32_t w = -1, h = -1;
    plat::videoFitSize(c.w, c.h, w, h);
    EXPECT_EQ(w, c.ew) << c.w << "x" << c.h;
    EXPECT_EQ(h, c.eh) << c.w << "x" << c.h;
  }
  EXPECT_EQ(plat::videoPack16(0xFFFFFF, k565), 0xFFFF);
  EXPECT_EQ(plat::videoPack16(0xFF0000, k555), 0x7C00);
  EXPECT_EQ(plat::videoPack16(0x00FF00, k655), 0x03E0);
  EXPECT_FALSE(plat::videoMasksUsable({0xFF0000, 0xFF00, 0xFF}));
  EXPECT_FALSE(plat::videoMasksUsable({0xF800, 0xF800, 0x1F}));
  EXPECT_TRUE(plat::videoMasksUsable(k565));
}

}  // namespace
