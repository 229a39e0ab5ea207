// The frame step, in the order its callers rely on.
#include "client/game/frame_step.h"

#include "audio/music_player.h"
#include "client/game/frame_input.h"
#include "client/game/replay_state.h"
#include "client/net/net_link.h"
#include "client/record/record.h"
#include "client/settings/settings.h"
#include "client/sound/music_state.h"
#include "core/reset/module_resets.h"
#include "engine/engine_main/engine_main.h"
#include "engine/input/input.h"
#include "engine/system/system.h"
#include "plat/platform.h"
#include "plat/tier0.h"
#include "ui/game_leave/game_leave_mode.h"
#include "world/scene/scene_chars.h"

namespace {

uint64_t g_counter = 0;

void pace() {
  FRAME_INPUT& in = frame_input;
  const uint32_t now = plat::tier0::msTime();
  // Unsigned: the first call paces against a frame time of 0 and does not sleep.
  if (now - in.frame_time < FRAME_PERIOD_MS) plat::get().clock().sleepMs(in.frame_time + FRAME_PERIOD_MS - now);
  const uint32_t now2 = plat::tier0::msTime();
  in.elapsed_ticks = static_cast<uint16_t>(in.tick_remainder + now2 - in.frame_time);
  in.tick_remainder = static_cast<uint8_t>(in.elapsed_ticks % 7);
  in.frame_time = now2;
}

void keep_music_in_step() {
  if (music_playing == 1 && settings.music == 1) {
    const plat::WindowId window = sys_main_window();
    if (window != plat::kNoWindow && plat::get().windows().isMinimised(window)) {
      music_pause();
    } else {
      music_run();
    }
  }
  if (music_event_flag && music_loop_flag == 1) {
    music_poll_events();
    music_event_flag = 0;
  }
}

void sample_input() {
  FRAME_INPUT& in = frame_input;
  // While replaying, the replay step of the previous frame wrote the position.
  if (!replaying) input_get_mouse_pos(&in.raw_mouse_x, &in.raw_mouse_y);
  frame_zoom_mouse(scene_zoom_level, in.raw_mouse_x, in.raw_mouse_y, &in.mouse_x, &in.mouse_y);
  in.event_code = input_get_event_u8();
  in.key_code = input_get_key_code();
  in.scan_code = input_get_scan_code();
  in.alt_down = input_alt_down() ? 1 : 0;
  in.ctrl_down = input_ctrl_down() ? 1 : 0;
}

void record_or_replay() {
  const FRAME_INPUT& in = frame_input;
  if (record_state.recording || record_state.mirror) {
    if (!record_state.first_message_recorded) return;
    const bool mouse_event = in.event_code >= 242 && in.event_code <= 249;
    if (in.key_code != 0 || in.scan_code != 0 || mouse_event) record_input_sample();
  } else if (replaying) {
    replay_step();
  }
}

void poll_links() {
  for (int i = 0; i < FRAME_MAX_POLLS; ++i) {
    const int r = net_poll_links();
    if (r == 3) game_leave_to_login();
    if (r != 0 || scene_in_scene == 0) return;
    plat::get().clock().sleepMs(FRAME_POLL_PAUSE_MS);
  }
}

}  // namespace

void frame_zoom_mouse(int32_t z, int32_t raw_x, int32_t raw_y, int32_t* x, int32_t* y) {
  if (z > 0) {
    *x = raw_x * (50 - z) / 50 + 8 * z;
    *y = raw_y * (50 - z) / 50 + 6 * z;
  } else {
    *x = raw_x;
    *y = raw_y;
  }
}

uint32_t frame_step() {
  sys_pump_messages();
  pace();
  frame_input.own_scene_index = scene_find_char(frame_input.own_char_id);
  keep_music_in_step();
  sample_input();
  input_debug_line();  // what this frame brought, for the debugger and the end-to-end runs
  record_or_replay();
  poll_links();
  return static_cast<uint32_t>(++g_counter);
}

uint64_t frame_counter() { return g_counter; }

void frame_step_reset() {
  g_counter = 0;
  frame_input.tick_remainder = 0;
  frame_input.frame_time = 0;
}

static const ModuleReset k_reset("frame step", frame_step_reset);
