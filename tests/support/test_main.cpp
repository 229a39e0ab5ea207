// Entry point of every test program: fixed time zone, then GoogleTest.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "plat/headless.h"

namespace {

// A headless platform a test left installed must not trip its watchdog while later tests run.
class WatchdogRest : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override {
    if (plat::HeadlessPlatform* h = plat::headless()) h->disarmWatchdog();
  }
};

}  // namespace

int main(int argc, char** argv) {
  setenv("TZ", "UTC", 1);
  tzset();
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new WatchdogRest);
  return RUN_ALL_TESTS();
}
