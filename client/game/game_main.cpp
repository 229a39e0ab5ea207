// The game main task: its start, its frame loop and its end.
#include "client/game/game_main.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "client/common/screen_state.h"
#include "client/common/seam_calls.h"
#include "client/edit/game_edit.h"
#include "client/front/broadcast_ticker.h"
#include "client/front/server_select.h"
#include "client/game/frame_step.h"
#include "client/game/game_main_frame.h"
#include "client/game/game_running.h"
#include "client/game/game_window_title.h"
#include "client/game/session_state.h"
#include "client/record/record.h"
#include "client/requests/requests.h"
#include "client/screen_fx/screen_transitions.h"
#include "client/sound/sound_front.h"
#include "client/startup/client_hooks.h"
#include "client/state/battle_timers.h"
#include "client/state/login_state.h"
#include "client/state/mac_address.h"
#include "client/state/map_record.h"
#include "client/ui/message_box.h"
#include "core/reset/module_resets.h"
#include "engine/emote/emote_text.h"
#include "items/bag/bag_clear.h"
#include "items/bag/bag_page.h"
#include "items/timed_state/timed_state.h"
#include "social/chat_input/chat_input_box.h"
#include "social/friends/friend_table.h"
#include "social/macro/macro_state.h"
#include "ui/game_screen/window_close_all.h"
#include "ui/notices/notice_lines.h"

uint32_t (*game_main_frame_step)() = frame_step;
static const ModuleReset k_reset("game main step", [] { game_main_frame_step = frame_step; });

namespace {

constexpr int kReadyUnits = 10;

constexpr uint32_t kMsgBattleResume = 0xf0005;
constexpr uint32_t kMsgAnnounce = 0x190007;
constexpr uint32_t kMsgMacAddress = 0x19000b;

const GameStepGuard guard;

// How the resume wait ended.
enum class ResumeEnd { Answered, LinkLost, GivenUp, Waiting };

// The resume wait ends on 0xf0006; also, so that a silent server cannot hold the entry, on a lost
// link, a leave request, a world link gone (not while replaying, when the replay brings the
// answer) or after GAME_RESUME_WAIT_MS of frame time (or as many passes, should every step fault
// before the clock moves).
ResumeEnd resume_wait_state(uint32_t started, uint32_t passes) {
  if (battle_resume_word != 0) return ResumeEnd::Answered;
  const char* why = nullptr;
  ResumeEnd end = ResumeEnd::GivenUp;
  if (link_lost_word != 0) {
    why = "link lost";
    end = ResumeEnd::LinkLost;
  } else if (game_leave_mode.flag) {
    why = "leave requested";
  } else if (!replaying && !net_link.world_connected) {
    why = "world link not connected";
  } else if (plat::get().clock().ms() - started >= GAME_RESUME_WAIT_MS || passes >= GAME_RESUME_WAIT_PASSES) {
    // The clock the frame time is read from.
    why = "no answer in 30 s";
  }
  if (!why) return ResumeEnd::Waiting;
  char line[96];
  std::snprintf(line, sizeof line, "game: battle resume given up (%s)", why);
  plat::get().debugOut(line);
  return end;
}

void resume_battle() {
  in_battle_flag = 1;
  game_screen_state.hud_battle_state = -1;
  guard(GAME_SITE_RESUME_SEND, [] { net_send_world(kMsgBattleResume, 0, nullptr, 0); });
  battle_resume_word = 0;
  const uint32_t started = plat::get().clock().ms();
  ResumeEnd end = resume_wait_state(started, 0);
  for (uint32_t passes = 1; end == ResumeEnd::Waiting; ++passes) {
    guard(GAME_SITE_RESUME_STEP, [] { game_main_frame_step(); });
    end = resume_wait_state(started, passes);
  }
  if (end != ResumeEnd::Answered) {
    // Given up: the entry goes on as a normal one. After a lost link the return word stays, so
    // that the login retry's entry asks again.
    in_battle_flag = 0;
    if (end != ResumeEnd::LinkLost) battle_return_word = 0;
    return;
  }
  guard(GAME_SITE_RESUME_TIMERS, [] { battle_timers_start(); });
  for (int i = 0; i < kReadyUnits; ++i) fight_units[i].ready = 1;
  battle_resume_word = 0;
}

void announce() {
  guard(GAME_SITE_SEND_ANNOUNCE, [] { net_send_world(kMsgAnnounce, 0, nullptr, 0); });
  char mac[MAC_ADDRESS_TEXT_SIZE];
  mac_address_read(mac);
  guard(GAME_SITE_SEND_MAC, [&mac] {
    net_send_world(kMsgMacAddress, 0, mac, static_cast<uint32_t>(std::strlen(mac) + 1));
  });
}

}  // namespace

void game_main_start(GAME_MAIN_RUN& run) {
  run.keep_alive = plat::get().clock().ms();
  run.result = -1;
  run.leave_request = 0;
  run.view[0] = 0;
  run.view[1] = 0;
  run.view[2] = 800;
  run.view[3] = 600;

  own_timed_state_flag = 0;
  if (!replaying) {
    guard(GAME_SITE_SESSION_RESET, [] { session_state_reset(); });
    guard(GAME_SITE_LEAVE_REQUESTS, [] { scene_send_leave_requests(); });
  }

  weather_display_flag = 1;
  guard(GAME_SITE_WEATHER_SET, [] { weather_set(map_state.block_60[0]); });

  // With a battle to return to, the opening waits for a later entry.
  if (first_entry_flag && battle_return_word == 0) {
    guard(GAME_SITE_OPENING_DRAW, [] { scene_draw_frame(screen_new); });
    guard(GAME_SITE_OPENING_TRANSITION, [] { screen_transition_random(); });
    first_entry_flag = 0;
  }

  guard(GAME_SITE_VIEW_RECT, [&run] { view_rect_set(run.view[0], run.view[1], run.view[2], run.view[3]); });
  if (emote_text) emote_text->emote_text_clear();
  edit_activate(&chat_input_box);
  frame_input.key_code = 0;
  frame_input.scan_code = 0;
  game_screen_state.pick_target_id = -1;
  game_screen_state.pick_mode = -1;

  guard(GAME_SITE_CLEAR_BAGS, [] { item_clear_bags(); });
  guard(GAME_SITE_REQ_DETAILS, [] { req_char_details(); });
  guard(GAME_SITE_REQ_TITLES, [] { req_title_list(); });

  if (battle_return_word != 0) resume_battle();
  game_screen_state.hud_battle_state = -1;

  game_window_title_show();
  run.leave_request = 0;
  game_running = 1;
  bag_page = 0;

  guard(GAME_SITE_MACRO_INIT, [] { macro_state_init(); });
  scene_refresh_deadline = frame_input.frame_time + SCENE_REFRESH_FIRST_MS;
  guard(GAME_SITE_DOWNLOAD_LOAD, [] { download_state_load(); });
  selected_char_id = frame_input.own_char_id;
  announce();
  // A leave asked for during the start (a message in the resume wait, say) would be lost to the
  // first frame's reset of the mode: it is taken now.
  game_main_take_leave_mode(run, guard);
}

bool game_main_frame(GAME_MAIN_RUN& run) { return game_main_frame_with(run, guard); }

int32_t game_main_end(GAME_MAIN_RUN& run) {
  guard(GAME_SITE_DOWNLOAD_SAVE, [] { download_state_save(); });
  game_running = 0;
  weather_display_flag = 0;
  guard(GAME_SITE_WEATHER_OFF, [] { weather_set(0); });
  guard(GAME_SITE_SOUND_STOP, [] { sound_stop_all(); });
  guard(GAME_SITE_MUSIC_STOP, [] { game_music_stop(); });
  guard(GAME_SITE_CLOSE_WINDOWS, [] { window_close_all(); });
  guard(GAME_SITE_MESSAGE_SLOTS, [] { message_slots_clear(); });
  guard(GAME_SITE_FRIENDS, [] { friend_table_reset(); });
  guard(GAME_SITE_NOTICES_CLEAR, [] { notice_lines_clear(); });
  guard(GAME_SITE_CONTROL_INIT, [] {
    if (game_control_init() != 0) show_message_box("Initialize game control Error !", 1);
  });
  in_battle_flag = 0;
  game_screen_state.pick_target_id = -1;
  game_screen_state.pick_mode = -1;
  broadcast_ticker_free_strip();
  return run.result;
}

int32_t task_game_main() {
  GAME_MAIN_RUN run{};
  game_main_start(run);
  while (game_main_frame(run)) {
  }
  return game_main_end(run);
}
