// The engine main's one global record, shared by the start-up, the window procedure, the
// module registry and the fatal road.
#pragma once
#include <cstdint>

#include "engine/engine_main/engine_main.h"
#include "plat/platform.h"
#include "plat/winmsg.h"

struct EngineState {
  ClientHooks hooks;
  int show_command = plat::SW_SHOWNORMAL;
  plat::WindowId window = plat::kNoWindow;
  char title[APP_TITLE_SIZE] = "VORNDDWND";
  uintptr_t icon_large = 0;
  uintptr_t icon_small = 0;
  plat::WindowProc window_proc = engine_window_proc;
  int32_t screen_width = 0;
  int32_t screen_height = 0;
  int display_mode = 0;  // 0 full screen, 1 windowed
  int32_t window_x = 0;
  int32_t window_y = 0;
  int centre = 1;
  int alt_enter = 1;
  int exit_on_close = 1;
  int double_clicks = 0;
  int single_instance = 0;
  DropHandler drop_handler = nullptr;
  plat::Rect saved_rect;
  uint32_t active = 0;
  bool running = false;        // window created; cleared before the shutdown hook runs
  bool modules_freed = false;  // set before the first free hook runs
  bool freeing = false;        // the free hooks are running now
  bool fatal = false;          // the fatal road is under way
  bool quit_posted = false;    // PostQuitMessage: nobody waits on it
  int exit_status = 0;         // of the normal end (sys_set_exit_status)
};

EngineState& engine_state();
