// The main window's procedure: routes the platform's message records to the engine modules.
#include <cstring>
#include <string>

#include "core/log/fatal_handover.h"
#include "engine/draw/draw.h"
#include "engine/engine_main/engine_main.h"
#include "engine/engine_main/engine_state.h"
#include "engine/engine_main/modules.h"
#include "engine/input/input.h"
#include "engine/system/system.h"
#include "graphics/bitmap/screen_buffers.h"
#include "plat/winmsg.h"

using namespace plat;

namespace {

int32_t default_proc(const Msg& m) { return get().windows().defWindowProc(m); }

uint8_t scan_code(int32_t lParam) { return static_cast<uint8_t>((static_cast<uint32_t>(lParam) >> 16) & 0xFF); }

int32_t on_destroy(const Msg& m) {
  EngineState& st = engine_state();
  if (st.exit_on_close && !st.fatal) {
    if (st.running) {
      st.running = false;
      if (st.hooks.shutdown) st.hooks.shutdown();
    }
    engine_free_modules();
    st.quit_posted = true;
    get().process().exit(st.exit_status);
  }
  // Without exit-on-close, or on the fatal road, which ends with its own code.
  st.window = kNoWindow;
  st.active = 0;
  return default_proc(m);
}

// Keypad 4, 6, 8 and 2 on a first press (repeat 1, every flag clear) become the main-row
// digits, so that both reach INPUT as the same key.
int32_t remap_keypad(int32_t lParam) {
  struct Pair {
    uint32_t from, to;
  };
  static constexpr Pair kRemap[] = {{0x4B, 0x05}, {0x4D, 0x07}, {0x48, 0x09}, {0x50, 0x03}};
  for (const Pair& p : kRemap) {
    if (static_cast<uint32_t>(lParam) == ((p.from << 16) | 1)) return static_cast<int32_t>((p.to << 16) | 1);
  }
  return lParam;
}

int32_t on_key_down(const Msg& m) {
  EngineState& st = engine_state();
  if (m.wParam == VK_RETURN) {
    if (get().events().keyState(VK_MENU) < 0) {
      if (!st.alt_enter) return default_proc(m);
      if (st.display_mode == 1 && st.window != kNoWindow) st.saved_rect = get().windows().windowRect(st.window);
      draw_apply_display_mode();
      return 1;
    }
    input_feed_scan_code(scan_code(m.lParam));
    return default_proc(m);
  }
  Msg remapped = m;
  remapped.lParam = remap_keypad(m.lParam);
  input_feed_scan_code(scan_code(remapped.lParam));
  return default_proc(remapped);
}

int32_t on_key_up(const Msg& m) {
  if (m.wParam == VK_SNAPSHOT) {
    sys_save_screenshot();
    return 1;
  }
  input_feed_scan_code(static_cast<uint8_t>(scan_code(m.lParam) | 0x80));
  return 0;
}

// Dropped files reach the handler as code page 936 paths in a 256-byte buffer; a path that
// does not fit is skipped (the original overflowed the buffer).
void on_drop_files(const Msg& m) {
  EngineState& st = engine_state();
  DropList& drops = get().events().drops();
  const DropGroup* group = drops.get(m.wParam);
  if (!group) return;
  const int count = static_cast<int>(group->namesCp936.size());
  for (int i = 0; i < count; ++i) {
    const std::string& name = group->namesCp936[static_cast<size_t>(i)];
    char path[256];
    if (name.size() >= sizeof(path)) {
      get().debugOut("dropped file name too long, skipped");
      continue;
    }
    std::memcpy(path, name.c_str(), name.size() + 1);
    if (st.drop_handler) st.drop_handler(count, i, path);
  }
  drops.finish(m.wParam);
}

int32_t ime_or_default(int handled, const Msg& m) { return handled ? 0 : default_proc(m); }

}  // namespace

int32_t engine_window_proc(const Msg& m) {
  EngineState& st = engine_state();
  if (input_on_mouse_message(m.message, m.wParam, m.lParam)) return 0;
  switch (m.message) {
    case WM_DESTROY:
      return on_destroy(m);
    case WM_MOVE:
      draw_update_dest_rect();
      return 0;
    case WM_SIZE:
      st.active = (m.wParam == SIZE_MINIMIZED || m.wParam == SIZE_MAXHIDE) ? 0 : 1;
      draw_update_dest_rect();
      if (st.running) sys_module_notify_all(st.active);
      return default_proc(m);
    case WM_PAINT:
      if (screen_back && st.running && st.window != kNoWindow && draw_present_slot) draw_present_slot(screen_back);
      return 0;
    case WM_CLOSE:
      if (st.hooks.close_request && st.hooks.close_request()) return 1;
      return default_proc(m);
    case WM_ACTIVATEAPP:
      st.active = m.wParam;
      if (st.running) sys_module_notify_all(st.active);
      return default_proc(m);
    case WM_GETMINMAXINFO:
      // The platform's windows cannot be resized.
      return 0;
    case WM_INPUTLANGCHANGEREQUEST:
      return (ime_on_lang_change_request(m.wParam, m.lParam) & 0xFF) ? 0 : default_proc(m);
    case WM_INPUTLANGCHANGE:
      return ime_or_default(ime_on_lang_change(m.wParam, m.lParam), m);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      return on_key_down(m);
    case WM_KEYUP:
    case WM_SYSKEYUP:
      return on_key_up(m);
    case WM_CHAR:
      input_add_char(static_cast<uint8_t>(m.wParam));
      return 0;
    case WM_IME_STARTCOMPOSITION:
      return ime_or_default(ime_on_start_composition(m.wParam, m.lParam), m);
    case WM_IME_ENDCOMPOSITION:
      return ime_or_default(ime_on_end_composition(m.wParam, m.lParam), m);
    case WM_IME_COMPOSITION:
      return ime_or_default(ime_on_composition(m.wParam, m.lParam), m);
    case WM_IME_SETCONTEXT:
      return ime_or_default(ime_on_set_context(m.wParam, m.lParam), m);
    case WM_IME_NOTIFY:
      return ime_or_default(ime_on_notify(m.wParam, m.lParam), m);
    case WM_DROPFILES:
      on_drop_files(m);
      return default_proc(m);
    case WM_SYSCOMMAND:
      if (m.wParam == SC_SIZE || m.wParam == SC_MOVE || m.wParam == SC_MAXIMIZE || m.wParam == SC_MONITORPOWER) {
        if (st.display_mode == 0) return 1;
      }
      return default_proc(m);
    case WM_FATAL_HANDOVER: {
      // A worker thread's fatal error ends here, on the thread that owns the window.
      const std::string text = sys_take_handed_over_fatal_error();
      if (!text.empty()) sys_fatal_error(text.c_str());
      return 0;
    }
    case WM_MUSIC_EVENT:
      if (st.hooks.music_event) st.hooks.music_event();
      return default_proc(m);
    default:
      return default_proc(m);
  }
}
