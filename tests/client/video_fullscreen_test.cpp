// The full-screen film: the missing file's box, the end keys of each mode, every drawn frame
// scaled into screen_new, captured and presented, and the speed divisor. With
// VELDRA_TEST_DUMP=<folder> every presented frame of the aviwrite film is written there as a PPM.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "client/record/record.h"
#include "client/screen_fx/play_video_fullscreen.h"
#include "engine/video/video.h"
#include "plat/video.h"
#include "tests/client/task_fixture.h"
#include "tools/aviwrite/aviwrite.h"

namespace {

constexpr int kFrames = 8;

class VideoPlayback : public task_test::TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
    dir.mkdir("movie");
    dir.write("movie/title.avi", "stands for a film; the fake decoder makes the frames");
    useFake({.width = 640, .height = 480, .frames = kFrames, .fps = 10});
    // Each present: which film frame screen_new shows, checked to be flat over the whole screen.
    onPresent = [this] {
      const uint16_t p = screen_new->rows[0][0];
      int k = -1;
      for (int i = 0; i < 64; ++i)
        if (px(i) == p) k = i;
      shown.push_back(k);
      if (screen_new->rows[599][799] != p || screen_new->rows[300][400] != p) flat = false;
    };
  }
  void TearDown() override {
    plat::setVideoDecoderFactory({});
    video_reset();
    replay_controls_reset();
    TaskTest::TearDown();
  }
  void useFake(plat::FakeVideoDecoder::Options o) { plat::setVideoDecoderFactory(plat::FakeVideoDecoder::factory(o, &rec)); }
  uint16_t px(int k) const { return plat::videoPack16(plat::FakeVideoDecoder::frameColour(k), plat::get().display().masks()); }
  void key(uint32_t atMs, uint32_t vk, int32_t lParam) { scheduleMessage(atMs, plat::WM_KEYDOWN, vk, lParam); }

  plat::FakeVideoDecoder::Record rec;
  std::vector<int> shown;
  bool flat = true;
};

TEST_F(VideoPlayback, Fullscreen) {
  // A missing film: the box (dismissed by a click), then -2; nothing opened.
  scheduleClick(elapsedMs() + 200);
  EXPECT_EQ(play_video_fullscreen("movie\\none.avi", 2), -2);
  EXPECT_EQ(logged("File movie\\none.avi open error"), 1);
  EXPECT_EQ(rec.opens, 0);

  // A film that exists but cannot be opened is skipped.
  useFake({.openResult = plat::VideoOpen::CannotOpen});
  presented.clear();
  EXPECT_EQ(play_video_fullscreen("movie\\title.avi", 2), 0);
  EXPECT_TRUE(presented.empty());
  EXPECT_TRUE(video_state().bits == 0 && !video_state().decoder);

  // The whole film, captured frame by frame.
  useFake({.width = 640, .height = 480, .frames = kFrames, .fps = 10});
  presented.clear();
  shown.clear();
  record_state.capture = 1;
  const int32_t captures = record_state.capture_counter;
  EXPECT_EQ(play_video_fullscreen("movie\\title.avi", 0), 0);
  record_state.capture = 0;
  EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  EXPECT_TRUE(flat) << "the film's rectangle scaled to the whole screen";
  EXPECT_EQ(record_state.capture_counter - captures, kFrames);
  EXPECT_TRUE(video_state().bits == 0 && !video_state().decoder && !rec.running) << "closed";
}

TEST_F(VideoPlayback, FullscreenEndKeysByMode) {
  struct Case {
    const char* name;
    int mode;
    uint32_t message, wParam;
    int32_t lParam;
    bool ends;
  } cases[] = {
      {"mode 0, Esc", 0, plat::WM_KEYDOWN, 0x1B, 0x00010001, false},
      {"mode 0, click", 0, plat::WM_LBUTTONUP, 0, (300 << 16) | 400, false},
      {"mode 1, Enter", 1, plat::WM_KEYDOWN, 0x0D, 0x001C0001, false},
      {"mode 1, click", 1, plat::WM_LBUTTONUP, 0, (300 << 16) | 400, false},
      {"mode 1, Esc", 1, plat::WM_KEYDOWN, 0x1B, 0x00010001, true},
      {"mode 2, Enter", 2, plat::WM_KEYDOWN, 0x0D, 0x001C0001, true},
      {"mode 2, Esc", 2, plat::WM_KEYDOWN, 0x1B, 0x00010001, true},
      {"mode 2, click", 2, plat::WM_LBUTTONUP, 0, (300 << 16) | 400, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    shown.clear();
    input_flush();
    scheduleMessage(elapsedMs() + 250, c.message, c.wParam, c.lParam);
    EXPECT_EQ(play_video_fullscreen("movie\\title.avi", c.mode), 0);
    if (c.ends) {
      EXPECT_GE(shown.size(), 2u);
      EXPECT_LE(shown.size(), 4u) << "ended by the input";
      EXPECT_EQ(input_get_key_code(), 0) << "the input is cleared";
    } else {
      EXPECT_EQ(shown.size(), static_cast<size_t>(kFrames));
    }
    if (c.message == plat::WM_KEYDOWN) scheduleMessage(elapsedMs(), plat::WM_KEYUP, c.wParam, c.lParam | 0xC0000000);
    frame_step();
  }
}

TEST_F(VideoPlayback, FullscreenSpeedDivisorDrawsEveryOtherFrame) {
  speed_divisor = 2;
  EXPECT_EQ(play_video_fullscreen("movie\\title.avi", 0), 0);
  ASSERT_EQ(presented.size(), static_cast<size_t>(kFrames));
  for (const box_test::PresentedFrame& f : presented) EXPECT_EQ(f.frame % 2, 0u) << f.frame;
  EXPECT_EQ(shown, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(VideoPlayback, FullscreenAviFilm) {
  if (!plat::videoDecodingBuilt()) GTEST_SKIP() << "built with VELDRA_VIDEO off";
  plat::setVideoDecoderFactory({});
  ASSERT_TRUE(aviwrite::writeFile(dir.hostPath("movie/intro.avi"), {.width = 160, .height = 120, .fps = 10, .frames = 6}));
  const char* dump = std::getenv("VELDRA_TEST_DUMP");
  int dumped = 0;
  auto dumpLast = [&] {
    if (dump && *dump)
      hp().memoryDisplay().dumpPpm(std::string(dump) + "/video_fullscreen_" + std::to_string(dumped) + ".ppm");
    ++dumped;
  };
  size_t presents = 0;
  onPresent = [&] {
    // The frame shown before this one is on the display now.
    if (presents++ > 0) dumpLast();
    const uint32_t c = aviwrite::patternColour(static_cast<int32_t>(presents - 1), 0, 0);
    const uint16_t want = plat::videoPack16(c, plat::get().display().masks());
    EXPECT_NEAR(screen_new->rows[2][2] >> 11, want >> 11, 1) << "frame " << presents - 1;
  };
  EXPECT_EQ(play_video_fullscreen("MOVIE\\intro.avi", 0), 0);
  dumpLast();
  EXPECT_EQ(presents, 6u);
}

}  // namespace
