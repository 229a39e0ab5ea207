// One frame of the game main task, written over a step runner so that the benchmark can hold the
// guarded frame against the same calls run bare. Only game_main.cpp and the benchmark include it.
#pragma once
#include <cstdint>
#include <cstdio>
#include <exception>

#include "client/common/exception_log.h"
#include "client/front/broadcast_ticker.h"
#include "client/front/front_buttons.h"
#include "client/game/battle_return.h"
#include "client/game/frame_input.h"
#include "client/game/game_main.h"
#include "client/game/game_main_state.h"
#include "client/game/record_capture.h"
#include "client/game/replay_state.h"
#include "client/game/task_state.h"
#include "client/game/task_system_init.h"
#include "client/handover/replay_controls.h"
#include "client/net/net_link.h"
#include "client/state/mouse_cursor.h"
#include "client/state/pet_table.h"
#include "client/window/debug_hooks.h"
#include "client/window/window_manager.h"
#include "engine/draw/draw.h"
#include "engine/engine_main/engine_main.h"
#include "engine/system/system.h"
#include "engine/winfont/winfont.h"
#include "graphics/bitmap/screen_buffers.h"
#include "items/bag/item_lock.h"
#include "plat/platform.h"
#include "social/chat_log/chat_log.h"
#include "social/macro/macro_system.h"
#include "ui/auto_fight/auto_fight.h"
#include "ui/chat_bubble/chat_bubble.h"
#include "ui/game_leave/game_leave_mode.h"
#include "ui/game_screen/game_screen_pick.h"
#include "ui/game_screen/game_screen_state.h"
#include "ui/game_screen/modal_box.h"
#include "ui/game_screen/window_slots.h"
#include "ui/hud/hud.h"
#include "ui/system_menu/system_menu.h"
#include "world/battle/battle_frame.h"
#include "world/battle/battle_words.h"
#include "world/battle/fight_units.h"
#include "world/scene/scene_chars.h"
#include "world/scene/scene_frame.h"
#include "world/weather/weather.h"

// The number each guarded step logs as "Except code : game N".
enum GameMainSite : int {
  GAME_SITE_SESSION_RESET = 1,
  GAME_SITE_LEAVE_REQUESTS,
  GAME_SITE_WEATHER_SET,
  GAME_SITE_OPENING_DRAW,
  GAME_SITE_OPENING_TRANSITION,
  GAME_SITE_VIEW_RECT,
  GAME_SITE_CLEAR_BAGS,
  GAME_SITE_REQ_DETAILS,
  GAME_SITE_REQ_TITLES,
  GAME_SITE_RESUME_SEND,
  GAME_SITE_RESUME_STEP,
  GAME_SITE_RESUME_TIMERS,
  GAME_SITE_MACRO_INIT,
  GAME_SITE_DOWNLOAD_LOAD,
  GAME_SITE_SEND_ANNOUNCE,
  GAME_SITE_SEND_MAC,

  GAME_SITE_DISCONNECT = 20,
  GAME_SITE_PAUSED_STEP,
  GAME_SITE_FRAME_STEP,
  GAME_SITE_TEXT_COLOUR,
  GAME_SITE_SCREENSHOT_LINE,
  GAME_SITE_BATTLE_ENTER,
  GAME_SITE_BATTLE_EVENT_16,
  GAME_SITE_BATTLE_DRAG,
  GAME_SITE_BATTLE_DRAW,
  GAME_SITE_BATTLE_BUBBLES,
  GAME_SITE_BATTLE_HUD_DRAW,
  GAME_SITE_BATTLE_NOTICES,
  GAME_SITE_BATTLE_COMMAND_TEXT,
  GAME_SITE_BATTLE_COUNTDOWN,
  GAME_SITE_BATTLE_WINDOWS,
  GAME_SITE_BATTLE_TOPMOST_WINDOWS,
  GAME_SITE_BATTLE_DEBUG_HOOKS,
  GAME_SITE_BATTLE_HUD_INPUT,
  GAME_SITE_BATTLE_PLAY_ACTION,
  GAME_SITE_BATTLE_LEAVE,
  GAME_SITE_BATTLE_EVENT_17,
  GAME_SITE_MAP_DRAG,
  GAME_SITE_MAP_WALK,
  GAME_SITE_MAP_DRAW,
  GAME_SITE_WEATHER_UPDATE,
  GAME_SITE_WEATHER_DRAW,
  GAME_SITE_MAP_BUBBLES,
  GAME_SITE_ZOOM,
  GAME_SITE_TICKER,
  GAME_SITE_PICK,
  GAME_SITE_NOTICE_LINES,
  GAME_SITE_HUD_DRAW,
  GAME_SITE_HUD_NOTICES,
  GAME_SITE_WINDOWS,
  GAME_SITE_DEBUG_HOOKS,
  GAME_SITE_INPUT,
  GAME_SITE_MAP_DRAG_AFTER,
  GAME_SITE_TOPMOST_WINDOWS,
  GAME_SITE_RELOAD_OTHERS,
  GAME_SITE_CURSOR,
  GAME_SITE_AUTO_FIGHT,
  GAME_SITE_SYSTEM_MENU,
  GAME_SITE_CAPTURE,
  GAME_SITE_PRESENT,

  GAME_SITE_DOWNLOAD_SAVE = 80,
  GAME_SITE_WEATHER_OFF,
  GAME_SITE_SOUND_STOP,
  GAME_SITE_MUSIC_STOP,
  GAME_SITE_CLOSE_WINDOWS,
  GAME_SITE_MESSAGE_SLOTS,
  GAME_SITE_FRIENDS,
  GAME_SITE_NOTICES_CLEAR,
  GAME_SITE_CONTROL_INIT,
};

// Runs a step; a std::exception (a malformed read among them) is logged with the step's number
// and the task goes on after the step. The test harness's control exceptions are no
// std::exception and pass through.
struct GameStepGuard {
  template <typename F>
  void operator()(int site, F&& step) const {
    try {
      step();
    } catch (const std::exception&) {
      exception_log("game", site);
    }
  }
};

// At a battle start the player's pet refuses when its level bits are below 60.
constexpr uint16_t GAME_PET_REFUSE_BELOW = 60;
constexpr const char* GAME_PET_REFUSAL = "#54NO!NO!";

inline void game_main_pet_refusal() {
  const int32_t player = battle_find_unit(frame_input.own_char_id);
  if (player < 0 || player + 1 >= FIGHT_UNITS) return;
  const FIGHT_UNIT& pet = fight_units[player + 1];
  if (!pet.in_use) return;
  const int32_t slot = pet_index_by_id(pet.id);
  if (slot < 0) return;
  const PET_RECORD& record = pet_table[slot];
  if ((record.level_bits & 0x7F) < GAME_PET_REFUSE_BELOW) chat_bubble_show(record.id, GAME_PET_REFUSAL);
}

// The battle frame's command work, windows and input, minimised or not.
template <typename Step>
void game_main_battle_commands(const Step& step) {
  step(GAME_SITE_BATTLE_COMMAND_TEXT, [] { battle_draw_command_text(); });
  step(GAME_SITE_BATTLE_COUNTDOWN, [] { battle_update_command_countdown(); });
  step(GAME_SITE_BATTLE_WINDOWS, [] { window_lists_run(0); });
  step(GAME_SITE_BATTLE_TOPMOST_WINDOWS, [] { window_lists_run(1); });
  step(GAME_SITE_BATTLE_DEBUG_HOOKS, [] { debug_hooks_run(); });
  step(GAME_SITE_BATTLE_HUD_INPUT, [] { hud_input(); });
  step(GAME_SITE_BATTLE_PLAY_ACTION, [] { battle_play_action(screen_back); });
}

// The leave mode: 0 ends the task with 0, 2 with -1; 1 opens the system menu.
template <typename Step>
void game_main_take_leave_mode(GAME_MAIN_RUN& run, const Step& step) {
  switch (game_leave_mode.mode) {
    case GAME_LEAVE_TO_LOGIN:
      run.result = 0;
      run.leave_request = 1;
      break;
    case GAME_LEAVE_SYSTEM_MENU:
      step(GAME_SITE_SYSTEM_MENU, [] { system_menu_window_open(); });
      break;
    case GAME_LEAVE_QUIT:
      run.result = -1;
      run.leave_request = 1;
      break;
    default:
      break;
  }
}

// One frame; false when the task ends (before anything of the frame ran).
template <typename Step>
bool game_main_frame_with(GAME_MAIN_RUN& run, const Step& step) {
  if (run.leave_request) return false;
  if (link_lost_word == 2) {
    step(GAME_SITE_DISCONNECT, [] { net_disconnect_all(1); });
    return false;
  }
  if (replay_running.load() == 0) {
    step(GAME_SITE_PAUSED_STEP, [] { game_main_frame_step(); });
    return true;
  }

  game_screen_state.hit_code = HIT_CODE_NONE;
  game_leave_mode.flag = 0;
  game_leave_mode.mode = GAME_LEAVE_NONE;
  scene_redraw_flag = 0;
  step(GAME_SITE_FRAME_STEP, [] {
    const int32_t n = static_cast<int32_t>(game_main_frame_step());
    int32_t divisor = speed_divisor.load();
    if (divisor <= 0) divisor = 1;
    if (n % divisor == 0) scene_redraw_flag = 1;
  });
  step(GAME_SITE_TEXT_COLOUR, [] { font_set_table_color(0, system_colours[0]); });

  if (sys_screenshot_path()[0] != '\0') {
    step(GAME_SITE_SCREENSHOT_LINE, [] {
      char line[640];
      std::snprintf(line, sizeof line, "Save pictures:%s", sys_screenshot_path());
      chat_log_add(7, 0, "", line, 0);
    });
    sys_screenshot_path_clear();
  }

  if (battle_start_byte) {
    step(GAME_SITE_BATTLE_ENTER, [] { battle_enter(); });
    battle_start_byte = 0;
    game_main_pet_refusal();
  }

  const bool replay = replaying != 0;
  const bool battle = in_battle_flag != 0;
  if (battle) {
    if (front_minimised() && !replay) {
      game_main_battle_commands(step);
      if (battle_round_end_byte) step(GAME_SITE_BATTLE_LEAVE, [] { battle_leave(); });
    } else {
      step(GAME_SITE_BATTLE_EVENT_16, [] { macro_raise_event(16, 1); });
      step(GAME_SITE_BATTLE_DRAG, [] { window_drag_update(); });
      step(GAME_SITE_BATTLE_DRAW, [] { battle_draw_frame(screen_back); });
      step(GAME_SITE_BATTLE_BUBBLES, [] { scene_draw_chat_bubbles(screen_back); });
      step(GAME_SITE_BATTLE_HUD_DRAW, [] { hud_draw(screen_back); });
      step(GAME_SITE_BATTLE_NOTICES, [] { hud_update_notices(); });
      game_main_battle_commands(step);
      if (battle_round_end_byte) {
        step(GAME_SITE_BATTLE_LEAVE, [] { battle_leave(); });
        step(GAME_SITE_BATTLE_EVENT_17, [] { macro_raise_event(17, 1); });
      }
    }
  } else {
    if (!(front_minimised() && !replay)) {
      step(GAME_SITE_MAP_DRAG, [] { window_drag_update(); });
      step(GAME_SITE_MAP_WALK, [] { scene_walk_send_next_waypoint(); });
      step(GAME_SITE_MAP_DRAW, [] { scene_draw_frame(screen_back); });
      step(GAME_SITE_WEATHER_UPDATE, [] { weather_update(); });
      if (scene_redraw_flag) {
        step(GAME_SITE_WEATHER_DRAW, [] { weather_draw(screen_back); });
        step(GAME_SITE_MAP_BUBBLES, [] { scene_draw_chat_bubbles(screen_back); });
      }
      step(GAME_SITE_ZOOM, [] { scene_update_zoom(); });
      if (!replay) step(GAME_SITE_TICKER, [] { broadcast_ticker_run(); });
      if (game_screen_state.pick_mode >= 0) {
        step(GAME_SITE_PICK, [] { game_screen_pick_update(); });
      } else {
        step(GAME_SITE_NOTICE_LINES, [] { hud_draw_notice_lines(); });
        step(GAME_SITE_HUD_DRAW, [] { hud_draw(screen_back); });
        step(GAME_SITE_HUD_NOTICES, [] { hud_update_notices(); });
        step(GAME_SITE_WINDOWS, [] { window_lists_run(0); });
        step(GAME_SITE_DEBUG_HOOKS, [] { debug_hooks_run(); });
        step(GAME_SITE_INPUT, [] {
          if (MODAL_BOX_HANDLER) {
            MODAL_BOX_HANDLER();
          } else {
            hud_input();
          }
        });
        step(GAME_SITE_MAP_DRAG_AFTER, [] { window_drag_update(); });
        step(GAME_SITE_TOPMOST_WINDOWS, [] { window_lists_run(1); });
      }
    }
    if (scene_refresh_deadline < frame_input.frame_time) step(GAME_SITE_RELOAD_OTHERS, [] { scene_reload_others(); });
    if (window_slots.ids[WINDOW_BAG] < 0 && item_lock_mode) {
      step(GAME_SITE_CURSOR, [] { set_mouse_cursor(0); });
      item_lock_mode = 0;
    }
  }

  if (AUTO_FIGHT_STATE > 0) step(GAME_SITE_AUTO_FIGHT, [] { auto_fight_step(); });

  game_main_take_leave_mode(run, step);

  step(GAME_SITE_CAPTURE, [] { record_capture_frame(); });
  if (scene_redraw_flag && draw_present_slot && screen_back) {
    step(GAME_SITE_PRESENT, [] { draw_present_slot(screen_back); });
  }
  return true;
}
