// Film playback over the fake decoder: every failure road with its log text and result, the
// rectangle, the frames copied, the end, seeking and the modal player.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/draw/draw_state.h"
#include "engine/input/input.h"
#include "engine/input/input_state.h"
#include "engine/video/video.h"
#include "tests/engine/draw_fixture.h"

namespace {

constexpr uint16_t kSentinel = 0x0842;

class VideoPlayback : public draw_test::DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    draw_module_init();
    target = bitmap16_create(800, 600);
    bitmap16_fill(target, kSentinel);
  }
  void TearDown() override {
    video_reset();
    plat::setVideoDecoderFactory({});
    bitmap16_free(&target);
    DrawTest::TearDown();
  }
  void useFake(plat::FakeVideoDecoder::Options o) {
    plat::setVideoDecoderFactory(plat::FakeVideoDecoder::factory(o, &rec));
  }
  uint16_t px(int32_t k) const { return plat::videoPack16(plat::FakeVideoDecoder::frameColour(k), plat::get().display().masks()); }
  bool released() const {
    return video_state().bits == 0 && !video_state().decoder && !rec.running;
  }
  // Every pixel of the target outside r still holds the sentinel.
  bool untouchedOutside(plat::Rect r) const {
    for (int32_t y = 0; y < 600; ++y)
      for (int32_t x = 0; x < 800; ++x)
        if ((x < r.left || x >= r.right || y < r.top || y >= r.bottom) && target->rows[y][x] != kSentinel) return false;
    return true;
  }

  plat::FakeVideoDecoder::Record rec;
  BITMAP16* target = nullptr;
};

TEST_F(VideoPlayback, Roads) {
  struct Road {
    const char* name;
    std::function<void(plat::FakeVideoDecoder::Options&)> setup;
    int result;
    std::string text;
  };
  const Road roads[] = {
      {"decoder cannot be made", nullptr, -2, "IAMMutiMediaStream create failed"},
      {"file not found", [](auto& o) { o.openResult = plat::VideoOpen::NotFound; }, -2, "MMStream OpenFile failed"},
      {"file unreadable", [](auto& o) { o.openResult = plat::VideoOpen::CannotOpen; }, -2, "MMStream OpenFile failed"},
      {"no video stream", [](auto& o) { o.hasVideo = false; }, -1, "MMStream GetMediaStream failed"},
      {"empty frame", [](auto& o) { o.width = 0; }, -1, "DDERR_INVALIDRECT"},
      {"no thread", [](auto& o) { o.startCode = plat::kVideoStartNoBuffers; }, -1, "MS_E_SAMPLEALLOC"},
      {"other start failure", [](auto& o) { o.startCode = 0x12345; }, -1, "UNKNOWN 0x12345(74565)"},
  };
  for (const Road& road : roads) {
    SCOPED_TRACE(road.name);
    rec = {};
    if (road.setup) {
      plat::FakeVideoDecoder::Options o;
      road.setup(o);
      useFake(o);
    } else {
      plat::setVideoDecoderFactory([] { return std::unique_ptr<plat::IVideoDecoder>(); });
    }
    plat::Rect r{1, 2, 3, 4};
    EXPECT_EQ(video_open("movie\\a.avi", &r), road.result);
    EXPECT_NE(errorTxt().find(road.text + "\r\n"), std::string::npos) << errorTxt();
    EXPECT_TRUE(released());
    EXPECT_EQ(video_update(target, 1), -2);
  }

  // The surface's own failures: none, no pixels, a pixel layout that is not 16-bit.
  useFake({});
  BITMAP16* memory = draw_state().memory;
  draw_state().memory = nullptr;
  EXPECT_EQ(video_open("a.avi", nullptr), -1);
  EXPECT_NE(errorTxt().find("lpDDSMemory7 didn't initialized\r\n"), std::string::npos);
  BITMAP16* view = bitmap16_create_view(800, 600);
  draw_state().memory = view;
  EXPECT_EQ(video_open("a.avi", nullptr), -1);
  EXPECT_NE(errorTxt().find("E_POINTER\r\n"), std::string::npos);
  draw_state().memory = memory;
  bitmap16_free(&view);
  display().masksOverride = plat::PixelMasks{0xFF0000, 0xFF00, 0xFF};
  EXPECT_EQ(video_open("a.avi", nullptr), -1);
  EXPECT_NE(errorTxt().find("DDERR_INVALIDPIXELFORMAT\r\n"), std::string::npos);
  display().masksOverride.reset();
  EXPECT_TRUE(released());
  EXPECT_TRUE(untouchedOutside({0, 0, 0, 0}));
}

TEST_F(VideoPlayback, FramesRectangleEndAndSeek) {
  // Before any open and after a close nothing is touched.
  EXPECT_EQ(video_update(target, 1), -2);
  useFake({.width = 640, .height = 480, .frames = 3, .fps = 10});
  plat::Rect r;
  ASSERT_EQ(video_open("movie\\title.avi", &r), 0);
  EXPECT_EQ(rec.lastPath, "movie\\title.avi");
  EXPECT_EQ(r.left, 80);
  EXPECT_EQ(r.top, 60);
  EXPECT_EQ(r.right, 720);
  EXPECT_EQ(r.bottom, 540);
  EXPECT_EQ(video_state().bits, VIDEO_BIT_OPEN | VIDEO_BIT_RUNNING);
  EXPECT_EQ(video_state().duration_ms, 300);
  for (int k = 0; k < 3; ++k) {
    ASSERT_EQ(video_update(target, 1), 0) << k;
    EXPECT_EQ(target->rows[60][80], px(k));
    EXPECT_EQ(target->rows[539][719], px(k));
    EXPECT_EQ(video_state().sample_start, k * 100);
    EXPECT_EQ(video_state().sample_end, (k + 1) * 100);
  }
  EXPECT_TRUE(untouchedOutside(r));
  EXPECT_EQ(video_at_end(), 0);
  EXPECT_EQ(video_update(target, 1), -2) << "the end of the film";
  EXPECT_EQ(video_at_end(), 1);

  video_seek(-40);
  EXPECT_EQ(rec.lastSeekMs, 0);
  EXPECT_EQ(video_at_end(), 0);
  video_seek(5000);
  EXPECT_EQ(rec.lastSeekMs, 299);
  ASSERT_EQ(video_update(target, 1), 0);
  EXPECT_EQ(target->rows[100][100], px(2));

  EXPECT_EQ(video_close(), 0);
  EXPECT_TRUE(released());
  bitmap16_fill(target, kSentinel);
  EXPECT_EQ(video_update(target, 1), -2);
  video_seek(10);
  EXPECT_EQ(rec.seeks, 2);
  EXPECT_TRUE(untouchedOutside({0, 0, 0, 0}));
}

TEST_F(VideoPlayback, LargeFilmStaysInsideTheScreen) {
  // A film wider than the screen once gave a huge left from unsigned halving.
  for (auto [w, h] : {std::pair{1024, 768}, {2000, 300}, {300, 1200}, {801, 600}}) {
    useFake({.width = w, .height = h, .frames = 1});
    plat::Rect r;
    ASSERT_EQ(video_open("big.avi", &r), 0) << w << "x" << h;
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.right, 800);
    EXPECT_LE(r.bottom, 600);
    EXPECT_GT(r.width(), 0);
    EXPECT_EQ(r.left, (800 - r.width()) / 2);
    bitmap16_fill(target, kSentinel);
    ASSERT_EQ(video_update(target, 1), 0);
    EXPECT_EQ(target->rows[r.top][r.left], px(0));
    EXPECT_TRUE(untouchedOutside(r));
    video_close();
  }
}

TEST_F(VideoPlayback, DecodingFailureEndsTheFilmWithALogLine) {
  useFake({.frames = 5, .failAtFrame = 2});
  ASSERT_EQ(video_open("a.avi", nullptr), 0);
  EXPECT_EQ(video_update(target, 1), 0);
  EXPECT_EQ(video_update(target, 1), 0);
  EXPECT_EQ(video_update(target, 1), -2);
  EXPECT_EQ(video_at_end(), 1);
  EXPECT_NE(errorTxt().find("fake film failed at frame 2\r\n"), std::string::npos);
}

int g_overlays = 0, g_presents = 0;
int32_t count_present(BITMAP16* bm) {
  EXPECT_EQ(bm, screen_back);
  ++g_presents;
  return 0;
}
std::function<void()> g_at_overlay;
void overlay(BITMAP16* screen) {
  ++g_overlays;
  EXPECT_EQ(screen, screen_back);
  if (g_at_overlay) g_at_overlay();
}

TEST_F(VideoPlayback, ModalPlayerStopsOnEscOrRightReleaseAndCallsTheOverlay) {
  ASSERT_NE(screen_back, nullptr);
  useFake({.width = 320, .height = 240, .frames = 10});
  video_set_overlay(overlay);
  draw_present_slot = count_present;
  struct Case {
    const char* name;
    int abortable;
    std::function<void()> at3;
    int overlays;
  } cases[] = {
      {"Esc (scan 155)", 1, [] { input_feed_scan_code(1); }, 3},
      {"right button released (event 248)", 1, [] { input_state().mouse.event = 248; }, 3},
      {"not abortable", 0, [] { input_feed_scan_code(1); }, 10},
      {"nothing pressed", 1, nullptr, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_overlays = 0;
    g_at_overlay = [&] {
      if (g_overlays == 3 && c.at3) c.at3();
    };
    g_presents = 0;
    EXPECT_EQ(video_play_modal(0, 0, 0, 0, "m.avi", c.abortable), 0);
    EXPECT_EQ(g_overlays, c.overlays);
    EXPECT_EQ(g_presents, c.overlays);
    EXPECT_EQ(screen_back->rows[300][400], px(c.overlays - 1)) << "the film's frame over a cleared screen";
    EXPECT_EQ(screen_back->rows[10][10], 0);
    EXPECT_TRUE(released());
    EXPECT_EQ(input_get_scan_code(), 0) << "input reset at the end";
  }
  g_at_overlay = nullptr;
  useFake({.openResult = plat::VideoOpen::NotFound});
  EXPECT_EQ(video_play_modal(0, 0, 0, 0, "m.avi", 1), -2);
  useFake({.hasVideo = false});
  EXPECT_EQ(video_play_modal(0, 0, 0, 0, "m.avi", 1), -1);
  useFake({.width = 320, .height = 240, .frames = 1});
  BITMAP16* kept = nullptr;
  std::swap(kept, draw_state().memory);
  EXPECT_EQ(video_play_modal(0, 0, 0, 0, "m.avi", 1), -1);
  EXPECT_NE(errorTxt().find("lpDDSPrimary7 didn't initialized\r\n"), std::string::npos);
  std::swap(kept, draw_state().memory);
}

}  // namespace
