#include "engine/engine_main/engine_main.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "audio/mpeg/mpa_frame.h"
#include "core/reset/module_resets.h"
#include "engine/engine_main/engine_state.h"
#include "engine/engine_main/modules.h"
#include "engine/util/util.h"
#include "plat/cp936.h"
#include "plat/winmsg.h"

namespace {

EngineState state;

plat::ShowMode show_mode(int show_command) {
  switch (show_command) {
    case plat::SW_HIDE: return plat::ShowMode::Hide;
    case plat::SW_SHOWMINIMIZED:
    case plat::SW_MINIMIZE: return plat::ShowMode::Minimise;
    case plat::SW_SHOWNOACTIVATE: return plat::ShowMode::NoActivate;
    case plat::SW_RESTORE: return plat::ShowMode::Restore;
    default: return plat::ShowMode::Normal;
  }
}

// The main window at the client size (the desktop's decorations belong to the window
// manager), centred in the usable area or at the stored position.
bool create_main_window() {
  plat::IWindowSystem& windows = plat::get().windows();
  plat::WindowDesc desc;
  desc.titleCp936 = state.title;
  desc.client = {state.screen_width, state.screen_height};
  desc.proc = state.window_proc;
  desc.fullscreen = state.display_mode == 0;
  desc.acceptFiles = true;
  desc.doubleClicks = state.double_clicks != 0;
  if (state.centre) {
    const plat::Rect area = windows.workArea();
    // Signed division: a window larger than the area gets a negative offset.
    state.window_x = area.left + (area.width() - state.screen_width) / 2;
    state.window_y = area.top + (area.height() - state.screen_height) / 2;
  }
  desc.pos = plat::Point{state.window_x, state.window_y};
  const plat::WindowId window = windows.create(desc);
  if (window == plat::kNoWindow) {
    sys_show_last_error("CreateWindowEx");
    return false;
  }
  state.window = window;
  windows.show(window, show_mode(state.show_command));
  state.saved_rect = windows.windowRect(window);
  sys_module_reset();
  state.running = true;
  return true;
}

}  // namespace

EngineState& engine_state() { return state; }

int engine_main(const ClientHooks& hooks, const char* /*command_line*/, int show_command) {
  // The MPEG decoder's tables take their square roots from the engine's routine.
  mpa::set_sqrt(math_sqrt);
  state.hooks = hooks;
  state.show_command = show_command;
  state.modules_freed = false;
  state.window_proc = engine_window_proc;

  if (state.hooks.pre_init && state.hooks.pre_init() != 0) return 0;
  // The running-copy search: the other copy raises its window and this one ends.
  if (state.single_instance && plat::get().process().anotherCopyRaised(state.title)) return 0;
  if (!create_main_window()) return 0;
  if (state.hooks.init && state.hooks.init() != 0) {
    // No shutdown hook and no free hooks; the window stays until the process ends. A failed
    // start must not end with the status of a game that ran.
    state.running = false;
    return -1;
  }
  if (state.hooks.run) state.hooks.run();
  if (state.running) {
    state.running = false;
    if (state.hooks.shutdown) state.hooks.shutdown();
  }
  engine_free_modules();
  // With exit-on-close the WM_DESTROY this sends ends the process with the exit status inside
  // the window procedure.
  if (state.window != plat::kNoWindow) plat::get().windows().destroy(state.window);
  return state.exit_status;
}

void sys_set_exit_status(int status) { state.exit_status = status; }
int sys_get_exit_status() { return state.exit_status; }

char* sys_set_app_title(const char* title) {
  const std::string_view text = title ? title : "";
  const size_t n = plat::cp936::fitLength(text, APP_TITLE_SIZE - 1);
  std::memcpy(state.title, text.data(), n);
  state.title[n] = 0;
  return state.title;
}

const char* sys_get_app_title() { return state.title; }

void sys_set_icons(uintptr_t large_icon, uintptr_t small_icon) {
  state.icon_large = large_icon;
  state.icon_small = small_icon;
}

void sys_set_single_instance(int flag) { state.single_instance = flag; }
void sys_set_display_mode(int mode) { state.display_mode = mode; }
int sys_get_display_mode() { return state.display_mode; }
void sys_set_exit_on_close(int flag) { state.exit_on_close = flag; }

void sys_set_screen_size(int32_t width, int32_t height) {
  static constexpr plat::Size kSizes[] = {{640, 480}, {800, 600}, {1024, 768}, {1152, 864}, {1280, 1024}};
  for (const plat::Size& s : kSizes) {
    if (s.w == width && s.h == height) {
      state.screen_width = width;
      state.screen_height = height;
      return;
    }
  }
}

int32_t sys_get_screen_width() { return state.screen_width; }
int32_t sys_get_screen_height() { return state.screen_height; }

void sys_set_window_pos(int32_t x, int32_t y) {
  state.window_x = x;
  state.window_y = y;
  state.centre = 0;
}

void sys_set_window_proc(plat::WindowProc proc) {
  if (proc) state.window_proc = proc;
}

DropHandler sys_set_drop_handler(DropHandler handler) {
  state.drop_handler = handler;
  return handler;
}

void sys_set_alt_enter(int flag) { state.alt_enter = flag ? 1 : 0; }
void sys_set_double_clicks(int flag) { state.double_clicks = flag ? 1 : 0; }

plat::WindowId sys_main_window() { return state.window; }
uint32_t sys_get_active_state() { return state.active; }

void sys_show_last_error(const char* caption) {
  plat::Platform& p = plat::get();
  const std::string text = p.windows().lastError();
  p.messageBox().show(plat::kNoWindow, text, caption ? caption : "INFO", plat::MB_ICONINFORMATION);
}

void sys_fatal_error(const char* text) {
  plat::Platform& p = plat::get();
  // The WM_DESTROY caused below must not end the process with 0: a failure would be reported
  // as success.
  state.fatal = true;
  if (state.running) {
    // Cleared before the hook runs, so a fatal error inside it cannot call it again.
    state.running = false;
    if (state.hooks.shutdown) state.hooks.shutdown();
  }
  if (!state.modules_freed) {
    engine_free_modules();
  } else if (state.freeing) {
    // Raised inside a free hook: the hooks still in the table have not run yet.
    sys_module_free_all();
  }
  p.messageBox().show(state.window, text ? text : "", state.title, plat::MB_OK);
  if (state.window != plat::kNoWindow) p.windows().destroy(state.window);
  state.quit_posted = true;
  p.process().exit(-1);
  std::abort();  // exit never returns
}

void engine_reset() {
  state = EngineState{};
  sys_module_reset();
}

static const ModuleReset k_reset("engine main", engine_reset);
