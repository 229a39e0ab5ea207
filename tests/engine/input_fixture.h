// Fixture of the INPUT tests: the engine running with SYSTEM, TIMER and INPUT installed, the
// window procedure reachable directly, and raw input fed through the headless translator.
#pragma once
#include <functional>

#include "engine/input/input_state.h"
#include "engine/timer/timer.h"
#include "tests/engine/engine_fixture.h"

namespace engine_test {

class InputTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    scenario().exit_on_close = 0;
  }

  // Runs body with the window created and SYSTEM, TIMER and INPUT installed.
  void whileRunning(std::function<void()> body) {
    scenario().run_body = [body] {
      sys_install_module(system_module_init, system_module_free, system_module_notify);
      sys_install_module(timer_module_init, timer_module_free, timer_module_notify);
      sys_install_module(input_module_init, input_module_free, input_module_notify);
      body();
    };
    run_engine();
  }

  static int32_t send(uint32_t message, uint32_t wParam = 0, int32_t lParam = 0) {
    return engine_window_proc(plat::Msg{sys_main_window(), message, wParam, lParam, 0});
  }

  // One raw input event through the translator, then the messages it made.
  void feed(const plat::ScriptInput& in) {
    headless().input(in);
    sys_pump_messages();
  }
  void key(const char* name, bool down) {
    plat::ScriptEvent e = plat::EventScript::parse(std::string("0 ") + (down ? "KEYDOWN " : "KEYUP ") + name).events[0];
    feed(e.input);
  }
  // A script line ("KEYDOWN RETURN", "WHEEL 5", ...) scheduled at fake time ms from now.
  void scheduleIn(uint32_t ms, const std::string& line) {
    plat::ScriptEvent e = plat::EventScript::parse("0 " + line).events[0];
    e.atMs = static_cast<uint32_t>(headless().fakeClock().ms() - 0x10000u) + ms;
    headless().schedule(e);
  }
  uint32_t fakeMs() { return headless().fakeClock().ms(); }
};

}  // namespace engine_test
