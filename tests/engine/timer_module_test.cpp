// TIMER: the periods it reports, the delay it asks for, refusal when no timer can run, and the
// counters on the fake clock.
#include <gtest/gtest.h>

#include "engine/system/system.h"
#include "engine/timer/timer.h"
#include "plat/headless.h"
#include "plat/test.h"
#include "tests/support/forwarding_platform.h"
#include "tests/support/headless_fixture.h"

namespace {

// A tick source with a chosen minimum period that records what it was asked.
class FakeTicks final : public plat::ITickSource {
 public:
  uint32_t min = 1;
  bool refuse = false;
  uint32_t askedPeriod = 0;
  int starts = 0, stops = 0;
  bool start(uint32_t periodMs, void (*)(void*), void*) override {
    ++starts;
    askedPeriod = periodMs;
    return !refuse && periodMs != 0;
  }
  void stop() override { ++stops; }
  uint32_t minPeriod() override { return min; }
};

// The headless platform with the tick source replaced.
class TickPlatform final : public veldra_test::ForwardingPlatform {
 public:
  TickPlatform(std::unique_ptr<plat::HeadlessPlatform> inner, plat::ITickSource* ticks)
      : ForwardingPlatform(std::move(inner)), ticks_(ticks) {}
  plat::ITickSource& ticks() override { return ticks_ ? *ticks_ : inner().ticks(); }

 private:
  plat::ITickSource* ticks_;
};

// The platform's ticks are the headless fake-clock ones until a test installs its own; SYSTEM's
// log is started.
class TimerModule : public veldra_test::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    ASSERT_EQ(system_module_init(), 0);
  }
  std::unique_ptr<plat::Platform> wrap(std::unique_ptr<plat::HeadlessPlatform> inner) override {
    return std::make_unique<TickPlatform>(std::move(inner), ticks_);
  }
  // A fresh start over the given tick source.
  void install(plat::ITickSource* ticks) {
    TearDown();
    ticks_ = ticks;
    SetUp();
  }
  // The log after SYSTEM's block, without CR.
  std::string timerLog() const {
    std::string out;
    for (char c : errorTxt())
      if (c != '\r') out += c;
    const std::string mark = "SYSTEM module initialized OKay.\n\n";
    const size_t at = out.find(mark);
    return at == std::string::npos ? out : out.substr(at + mark.size());
  }
  plat::FakeClock& clock() { return hp().fakeClock(); }

 private:
  plat::ITickSource* ticks_ = nullptr;
};

std::string initLines(int min, int delay, bool ok) {
  std::string s = "TIMER module initialize starting...\n"
                  "       Period Max : 1000000\n"
                  "       Period Min : " + std::to_string(min) + "\n"
                  "     Begin Period : " + std::to_string(min) + "\n"
                  "Timer Event Delay : " + std::to_string(delay) + " ms\n";
  if (ok) s += "TIMER module initialized OKay.\n\n";
  return s;
}

TEST_F(TimerModule, MinimumPeriodGivesTheDelay) {
  struct Case {
    uint32_t min;
    bool refuse;
    uint32_t delay;
    bool ok;
  };
  const Case cases[] = {
      {1, false, 10, true},
      {5, false, 2, true},
      {10, false, 1, true},
      {11, false, 0, false},  // a delay of 0 would freeze every tick wait
      {0, false, 0, false},
      {1, true, 10, false},   // the tick thread cannot start
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.min);
    FakeTicks ticks;
    ticks.min = c.min;
    ticks.refuse = c.refuse;
    install(&ticks);
    EXPECT_EQ(timer_module_init() == 0, c.ok);
    EXPECT_EQ(timerLog(), initLines(static_cast<int>(c.min), static_cast<int>(c.delay), c.ok));
    if (c.delay != 0) {
      EXPECT_EQ(ticks.askedPeriod, c.delay);
    }
    EXPECT_EQ(timer_event_id() != 0, c.ok);
    // Free only acts while a timer runs.
    timer_module_free();
    EXPECT_EQ(ticks.stops, c.ok ? 1 : 0);
    EXPECT_EQ(timerLog().find("TIMER module free OKay.") != std::string::npos, c.ok);
    plat::install(nullptr);
  }
}

TEST_F(TimerModule, CountersGainOneHundredPerSecondUntilFree) {
  ASSERT_EQ(timer_module_init(), 0);
  timer_ticks[0] = 0;
  timer_ticks[12] = 5;
  clock().advance(1000);
  for (int i = 0; i < TIMER_COUNTER_COUNT; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(timer_ticks[i].load(), i == 12 ? 105u : 100u);
  }
  clock().advance(25);
  EXPECT_EQ(timer_ticks[0].load(), 102u);
  timer_module_free();
  clock().advance(1000);
  EXPECT_EQ(timer_ticks[0].load(), 102u);
  EXPECT_EQ(timer_event_id(), 0u);
}

TEST_F(TimerModule, FreeWithoutATimerWritesNothing) {
  timer_module_free();
  EXPECT_EQ(timerLog(), "");
  timer_module_notify(1);
  timer_module_notify(0);
}

}  // namespace
