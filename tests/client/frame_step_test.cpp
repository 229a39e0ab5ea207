// The frame step as the modal boxes use it: pacing to 31 ms, the elapsed ticks with their
// remainder, the frame counter and the input sampled into FRAME_INPUT.
#include <gtest/gtest.h>

#include "client/game/replay_state.h"
#include "tests/client/message_box_fixture.h"

namespace {

class FrameStep : public box_test::BoxTest {
 protected:
  void configure(plat::HeadlessOptions& o) override { o.pumpStepMs = 0; }
};

TEST_F(FrameStep, PacingTicksAndCounter) {
  plat::FakeClock& clock = hp().fakeClock();
  frame_step_reset();
  EXPECT_EQ(frame_step(), 1u);  // paced against frame time 0: no sleep
  const uint32_t t = clock.ms();
  EXPECT_EQ(frame_input.frame_time, t);
  clock.advance(5);
  EXPECT_EQ(frame_step(), 2u);  // sleeps the other 26 ms
  EXPECT_EQ(frame_input.frame_time, t + 31);
  EXPECT_EQ(frame_input.elapsed_ticks, 31);
  clock.advance(40);
  EXPECT_EQ(frame_step(), 3u);  // late: no sleep; 40 plus the remainder 31 % 7
  EXPECT_EQ(frame_input.frame_time, t + 71);
  EXPECT_EQ(frame_input.elapsed_ticks, 43);
  EXPECT_EQ(frame_input.tick_remainder, 43 % 7);
  EXPECT_EQ(frame_counter(), 3u);
}

TEST_F(FrameStep, SamplesTheMouseUnlessReplaying) {
  scheduleMessage(elapsedMs(), plat::WM_MOUSEMOVE, 0, (45 << 16) | 123);
  frame_step();
  EXPECT_EQ(frame_input.raw_mouse_x, 123);
  EXPECT_EQ(frame_input.raw_mouse_y, 45);
  EXPECT_EQ(frame_input.mouse_x, 123);
  EXPECT_EQ(frame_input.event_code, 241);
  replaying = 1;
  frame_input.raw_mouse_x = 7;
  scheduleMessage(elapsedMs(), plat::WM_MOUSEMOVE, 0, (50 << 16) | 200);
  frame_step();
  replaying = 0;
  EXPECT_EQ(frame_input.raw_mouse_x, 7);
}

}  // namespace
