#include "client/state/mouse_cursor.h"

#include <cstdio>

#include "core/reset/module_resets.h"
#include "engine/engine_main/engine_main.h"
#include "engine/input/input_cursor.h"
#include "plat/platform.h"
#include "plat/winmsg.h"

MOUSE_CURSOR_STATE mouse_cursor_state = {{}, -1};

void mouse_cursors_load() {
  plat::Platform& p = plat::get();
  plat::ICursorSystem& cursors = p.cursors();
  for (int shape = 0; shape < MOUSE_CURSOR_SHAPES; ++shape) {
    plat::CursorId& handle = mouse_cursor_state.handles[shape];
    if (handle != 0) cursors.free(handle);
    char path[32];
    std::snprintf(path, sizeof path, "SYSTEM\\MOUSE%d.ani", shape);
    handle = cursors.loadFile(path);
    if (handle == 0) p.messageBox().show(sys_main_window(), "init mouse error", "", plat::MB_OK);
  }
  mouse_cursor_state.current = -1;
}

int32_t set_mouse_cursor(int32_t shape) {
  if (shape < 0 || shape >= MOUSE_CURSOR_SHAPES) return 0;
  const plat::CursorId handle = mouse_cursor_state.handles[shape];
  if (shape != mouse_cursor_state.current && handle != 0) {
    input_set_cursor_shape(handle);
    mouse_cursor_state.current = shape;
    // The shape shows at the next cursor message; one is asked for now, as a pointer move would,
    // so the pointer itself stays where the player left it.
    const plat::WindowId window = sys_main_window();
    if (window != plat::kNoWindow) {
      plat::get().events().post(window, plat::WM_SETCURSOR, window,
                                static_cast<int32_t>(plat::HTCLIENT | plat::WM_MOUSEMOVE << 16));
    }
  }
  return static_cast<int32_t>(handle);
}

// The handles belong to the platform of the run that loaded them: they are only forgotten.
static const ModuleReset k_reset("mouse cursor", [] { mouse_cursor_state = MOUSE_CURSOR_STATE{{}, -1}; });
