// Fixture of the start-up tests: the engine fixture's fresh headless platform and engine, with
// the start-up's own state (settings, hand-over, replay controls, TIMER, module table, links)
// back at program start too.
#pragma once
#include "client/game/replay_state.h"
#include "client/handover/pipe_reader.h"
#include "client/handover/replay_controls.h"
#include "client/handover/server_lines.h"
#include "client/net/net_link.h"
#include "client/settings/settings.h"
#include "client/startup/client_hooks.h"
#include "client/startup/engine_modules.h"
#include "engine/timer/timer.h"
#include "engine/winfont/winfont.h"
#include "plat/tier0.h"
#include "tests/engine/engine_fixture.h"

namespace client_test {

class ClientStartTest : public engine_test::EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    resetClient();
  }
  void TearDown() override {
    resetClient();
    EngineTest::TearDown();
  }

  static void resetClient() {
    settings = SETTINGS_RECORD{};
    replaying = 0;
    handover_reset();
    server_lines = SERVER_LINE_TABLE{};
    replay_controls_reset();
    timer_module_reset();
    winfont_reset();
    engine_module_table_reset();
    client_start_calls_reset();
    net_link_reset();
    plat::tier0::setSpewOutputFunc(nullptr);
  }

  // SYSTEM initialised, so that log lines reach error.txt.
  void startLog() { ASSERT_EQ(system_module_init(), 0); }

  // error.txt without CR.
  std::string logText() const {
    std::string t = errorTxt();
    std::string out;
    for (char c : t)
      if (c != '\r') out += c;
    return out;
  }

  // Runs the engine main with the client's hooks (run replaced when given); the exit code that
  // ended it, or nullopt when it returned.
  std::optional<int> runClient(int (*run)() = nullptr) {
    ClientHooks hooks = client_hooks();
    if (run) hooks.run = run;
    try {
      engine_main(hooks, "", plat::SW_SHOWNORMAL);
    } catch (const plat::test::ExitCalled& e) {
      return e.code;
    }
    return std::nullopt;
  }

  void scheduleClose(uint32_t atMs) {
    plat::ScriptEvent close;
    close.atMs = atMs;
    close.message = plat::WM_CLOSE;
    headless().schedule(close);
  }
};

}  // namespace client_test
