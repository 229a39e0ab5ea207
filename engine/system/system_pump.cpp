// Message pumps for the screen loops: every pending record goes to its window's procedure.
#include "engine/engine_main/engine_main.h"
#include "engine/system/system_state.h"
#include "plat/platform.h"
#include "plat/winmsg.h"

namespace {

uint32_t note_pump_time() {
  SystemState& st = system_state();
  st.last_pump_time = plat::get().clock().ms();
  return st.last_pump_time;
}

bool passes_window_filter(uint32_t message) {
  using namespace plat;
  switch (message) {
    case WM_CREATE: case WM_DESTROY: case WM_PAINT: case WM_CLOSE: case WM_ACTIVATEAPP:
    case WM_NCMOUSEMOVE: case WM_NCRBUTTONDOWN: case WM_NCRBUTTONUP: case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN: case WM_NCMBUTTONUP: case WM_NCMBUTTONDBLCLK: case WM_KEYDOWN:
    case WM_KEYUP: case WM_SYSCOMMAND:
      return true;
    default:
      return false;
  }
}

}  // namespace

uint32_t sys_pump_messages() {
  plat::IEventPump& events = plat::get().events();
  plat::Msg m;
  while (events.peek(m)) events.dispatch(m);
  return note_pump_time();
}

uint32_t sys_pump_window_messages() {
  plat::IEventPump& events = plat::get().events();
  const plat::WindowId main = sys_main_window();
  plat::Msg m;
  while (events.peek(m)) {
    // Only the main window's records are filtered; the queue is shared, so records of other
    // windows are delivered rather than lost.
    const bool for_main = m.window == main || m.window == plat::kNoWindow;
    if (for_main && !passes_window_filter(m.message)) continue;
    events.dispatch(m);
  }
  return note_pump_time();
}

uint32_t sys_last_pump_time() { return system_state().last_pump_time; }
