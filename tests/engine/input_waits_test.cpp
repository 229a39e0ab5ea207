// INPUT's waiting loops on the headless fake clock: each pumps until its condition holds.
#include <gtest/gtest.h>

#include "tests/engine/input_fixture.h"

namespace engine_test {
namespace {

using InputWaits = InputTest;

TEST_F(InputWaits, TicksAndMillisecondsPassInFakeTime) {
  whileRunning([this] {
    uint32_t start = fakeMs();
    input_wait_ticks(5);
    EXPECT_GE(fakeMs() - start, 50u);
    EXPECT_LT(fakeMs() - start, 60u);

    input_set_wait_start();
    start = fakeMs();
    input_wait_since_start(200);
    EXPECT_GE(input_wait_elapsed(), 200u);
    EXPECT_LT(fakeMs() - start, 210u);
  });
}

TEST_F(InputWaits, KeyWaitsEndOnTheirKeyAndFlush) {
  whileRunning([this] {
    // Another key first: flushed and waited past.
    scheduleIn(30, "KEYDOWN A");
    scheduleIn(60, "KEYDOWN RETURN");
    const uint32_t start = fakeMs();
    input_wait_key(141);
    EXPECT_GE(fakeMs() - start, 60u);
    EXPECT_EQ(input_any_key(), 0);
    key("A", false);
    key("RETURN", false);

    scheduleIn(20, "KEYDOWN LEFT");
    EXPECT_EQ(input_wait_any_key(), 203);
    EXPECT_EQ(input_any_key(), 0);
    key("LEFT", false);

    // The key, or the ticks.
    EXPECT_EQ(input_wait_key_or_ticks(141, 10), 0);
    scheduleIn(30, "KEYDOWN RETURN");
    EXPECT_EQ(input_wait_key_or_ticks(141, 50), 1);
    EXPECT_EQ(input_any_key(), 0);
  });
}

TEST_F(InputWaits, MouseWaitsEndOnTheirEvent) {
  whileRunning([this] {
    input_clear_key();
    scheduleIn(10, "MOVE 3 4");
    input_wait_mouse_event();
    EXPECT_EQ(input_get_event_u8(), 241);
    scheduleIn(10, "BUTTON down left 3 4");
    scheduleIn(20, "BUTTON up left 3 4");
    const uint32_t start = fakeMs();
    input_wait_event(245);
    EXPECT_GE(fakeMs() - start, 20u);
  });
}

}  // namespace
}  // namespace engine_test
