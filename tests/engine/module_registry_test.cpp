// The engine module registry: install, free newest first, notify oldest first.
#include <gtest/gtest.h>

#include "tests/engine/engine_fixture.h"

namespace engine_test {
namespace {

using ModuleRegistry = EngineTest;

int inits_called = 0;
int counting_init() {
  ++inits_called;
  return 0;
}
int failing_init() {
  scenario().calls.push_back("init:failing");
  return 1;
}
void unexpected_free() { scenario().calls.push_back("free:failing"); }
void unexpected_notify(uint32_t) { scenario().notifies.push_back("failing"); }
void noop_free() {}

TEST_F(ModuleRegistry, FailedInitStoresNothingAndTheNextModuleTakesItsSlot) {
  EXPECT_EQ(sys_install_module(ok_init, recording_free<'A'>, recording_notify<'A'>), 0);
  EXPECT_EQ(sys_install_module(failing_init, unexpected_free, unexpected_notify), -1);
  EXPECT_EQ(sys_install_module(ok_init, recording_free<'B'>, recording_notify<'B'>), 0);
  EXPECT_EQ(sys_module_free_count(), 2);
  EXPECT_EQ(sys_module_notify_count(), 2);

  sys_module_notify_all(1);
  EXPECT_EQ(scenario().notifies, (std::vector<std::string>{"A1", "B1"}));
  engine_free_modules();
  EXPECT_EQ(scenario().calls, (std::vector<std::string>{"init:failing", "free:B", "free:A"}));
}

// A full table refuses the next module before its init runs. A full free table refuses every
// module; with a full notify table, a module without a notify hook still fits.
TEST_F(ModuleRegistry, AFullTableRefusesBeforeInit) {
  struct Case {
    const char* full;
    void (*free_hook)();
    void (*notify_hook)(uint32_t);
    int without_notify;  // install result of (init, free, no notify) once the table is full
  } cases[] = {
      {"free table", noop_free, nullptr, -1},
      {"notify table", nullptr, recording_notify<'N'>, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.full);
    sys_module_reset();
    inits_called = 0;
    for (int i = 0; i < ENGINE_MODULE_SLOTS; ++i) ASSERT_EQ(sys_install_module(counting_init, c.free_hook, c.notify_hook), 0);
    EXPECT_EQ(sys_install_module(counting_init, c.free_hook, c.notify_hook), -1);
    EXPECT_EQ(inits_called, ENGINE_MODULE_SLOTS);
    EXPECT_EQ(sys_install_module(counting_init, noop_free, nullptr), c.without_notify);
  }
  sys_module_reset();
}

TEST_F(ModuleRegistry, NotifyRunsOldestFirstWithTheActiveState) {
  install_recording_modules(3);
  sys_module_notify_all(0);
  sys_module_notify_all(1);
  EXPECT_EQ(scenario().notifies, (std::vector<std::string>{"A0", "B0", "C0", "A1", "B1", "C1"}));
}

TEST_F(ModuleRegistry, FreeRunsOnceNewestFirstAndEmptiesBothTables) {
  install_recording_modules(3);
  engine_free_modules();
  engine_free_modules();
  EXPECT_EQ(scenario().calls, (std::vector<std::string>{"free:C", "free:B", "free:A"}));
  EXPECT_EQ(sys_module_free_count(), 0);
  EXPECT_EQ(sys_module_notify_count(), 0);
  sys_module_notify_all(1);
  EXPECT_TRUE(scenario().notifies.empty());
}

}  // namespace
}  // namespace engine_test
