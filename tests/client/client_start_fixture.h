// Fixture of the start-up tests: the engine fixture's fresh headless platform with every module
// at program start, and the client run through the engine main.
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
#include "tests/client/startup_media.h"
#include "tests/engine/engine_fixture.h"

namespace client_test {

class ClientStartTest : public engine_test::EngineTest {
 protected:
  // The spew output lives in the platform, below the module resets.
  void SetUp() override {
    EngineTest::SetUp();
    plat::tier0::setSpewOutputFunc(nullptr);
    // The res tables have their own suite; these runs need only the start-up media.
    client_start_calls.res_load_all = [] { return 0; };
    write_startup_media(dir);
  }
  void TearDown() override {
    plat::tier0::setSpewOutputFunc(nullptr);
    EngineTest::TearDown();
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
      returned = engine_main(hooks, "", plat::SW_SHOWNORMAL);
    } catch (const plat::test::ExitCalled& e) {
      return e.code;
    }
    return std::nullopt;
  }

  int returned = 0;  // engine_main's result when it returned

  void scheduleClose(uint32_t atMs) {
    plat::ScriptEvent close;
    close.atMs = atMs;
    close.message = plat::WM_CLOSE;
    headless().schedule(close);
  }
};

}  // namespace client_test
