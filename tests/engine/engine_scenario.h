// Client hooks and engine modules that record what the engine main does with them.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "client/startup/client_hooks.h"
#include "engine/engine_main/engine_main.h"
#include "engine/engine_main/modules.h"
#include "plat/test.h"
#include "plat/winmsg.h"

namespace engine_test {

struct Scenario {
  int pre_init_result = 0;
  int init_result = 0;
  int exit_on_close = 1;
  int display_mode = 1;
  int single_instance = 0;
  int modules = 0;         // recording modules installed by init: 'A', 'B', ...
  char fatal_in_free = 0;  // this module's free hook raises a fatal error
  bool fatal_in_shutdown = false;
  std::function<void()> in_pre_init;
  std::function<void()> run_body;
  std::vector<std::string> calls;
  std::vector<std::string> notifies;

  int count(const std::string& call) const {
    int n = 0;
    for (const auto& c : calls) n += c == call;
    return n;
  }
};

inline Scenario& scenario() {
  static Scenario s;
  return s;
}

template <char Name>
void recording_free() {
  scenario().calls.push_back(std::string("free:") + Name);
  if (scenario().fatal_in_free == Name) sys_fatal_error("free failed");
}

template <char Name>
void recording_notify(uint32_t active) {
  scenario().notifies.push_back(std::string(1, Name) + std::to_string(active));
}

inline int ok_init() { return 0; }

inline void install_recording_modules(int n) {
  static constexpr ModuleFreeFn frees[] = {recording_free<'A'>, recording_free<'B'>, recording_free<'C'>,
                                           recording_free<'D'>};
  static constexpr ModuleNotifyFn notifies[] = {recording_notify<'A'>, recording_notify<'B'>,
                                                recording_notify<'C'>, recording_notify<'D'>};
  for (int i = 0; i < n && i < 4; ++i) sys_install_module(ok_init, frees[i], notifies[i]);
}

inline int hook_pre_init() {
  Scenario& s = scenario();
  s.calls.push_back("pre_init");
  sys_set_app_title("Test Title");
  sys_set_screen_size(800, 600);
  sys_set_display_mode(s.display_mode);
  sys_set_exit_on_close(s.exit_on_close);
  sys_set_single_instance(s.single_instance);
  if (s.in_pre_init) s.in_pre_init();
  return s.pre_init_result;
}

inline int hook_init() {
  Scenario& s = scenario();
  s.calls.push_back("init");
  install_recording_modules(s.modules);
  return s.init_result;
}

inline int hook_run() {
  Scenario& s = scenario();
  s.calls.push_back("run");
  if (s.run_body) s.run_body();
  return 1;
}

inline void hook_shutdown() {
  Scenario& s = scenario();
  s.calls.push_back("shutdown");
  if (s.fatal_in_shutdown) sys_fatal_error("shutdown failed");
}

// The game's own window hooks (close request, music event), so that the window tests see what the
// game does with them.
inline ClientHooks recording_hooks() {
  return ClientHooks{hook_pre_init, hook_init, hook_run, hook_shutdown, client_close_request, client_music_event};
}

// Runs the engine main; the exit code when the process would have ended, else nothing.
inline std::optional<int> run_engine() {
  try {
    engine_main(recording_hooks(), "", plat::SW_SHOWNORMAL);
  } catch (const plat::test::ExitCalled& e) {
    return e.code;
  }
  return std::nullopt;
}

}  // namespace engine_test
