#include "client/front/main_menu.h"

#include "client/common/web_addresses.h"
#include "client/front/front_buttons.h"
#include "client/game/frame_input.h"
#include "client/game/frame_step.h"
#include "client/game/replay_state.h"
#include "client/game/task_state.h"
#include "client/game/task_table.h"
#include "client/net/net_link.h"
#include "client/record/record.h"
#include "client/screen_fx/screen_transitions.h"
#include "client/sound/sound_front.h"
#include "client/startup/client_hooks.h"
#include "client/state/chat_input_state.h"
#include "client/state/login_state.h"
#include "client/state/private_message_ring.h"
#include "core/log/log.h"
#include "core/reset/module_resets.h"
#include "engine/input/input.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/jpg/jpg_load.h"
#include "graphics/mda/mda.h"
#include "social/chat_window/chat_window.h"
#include "social/guild/guild_lists.h"

namespace {

constexpr const char* kScreenFile = "system\\c1meu005b.MDA";
constexpr const char* kBackground = "system\\c1meu005b.JPG";
constexpr const char* kMusic = "music\\menu01.MP3";
constexpr const char* kLogo = "MainCommand8";
constexpr int32_t kMusicVolume = 100;
constexpr int32_t kFadeStep = 16;
constexpr uint8_t kEnter = 13;
constexpr int32_t kReplayResult = TASK_RESULT_JUMP + 6;  // character select
constexpr int32_t kReplayRow = 9;  // written as the screen always did; the dispatcher overwrites it

enum Button { START = 0, QUIT, OFFICIAL, UPDATER_MAKER, PUBLISHER, REGISTER, UPDATER_MAKER_2 };
constexpr int32_t kSchemeButtons = 6;  // buttons 0-5 have markers and captions; 6 has none
constexpr const char* kCommands[MAIN_MENU_BUTTONS] = {"MainCommand0", "MainCommand1", "MainCommand2", "MainCommand3",
                                                      "MainCommand4", "MainCommand5", "MainCommand6"};

constexpr FRONT_MAIN_BUTTON kLooks[kSchemeButtons] = {
    {752, 263, 741, 252, 468, 271, FRONT_SET1_HOVER, FRONT_SET1_PRESS},
    FRONT_MAIN_LOWER,
    {758, 447, 749, 439, 620, 456, FRONT_SET0_HOVER, FRONT_SET0_PRESS, FRONT_DISABLED_IDLE, FRONT_DISABLED_HOVER},
    {758, 405, 749, 397, 470, 408, FRONT_SET1_HOVER, FRONT_SET1_PRESS, FRONT_DISABLED_IDLE, FRONT_DISABLED_HOVER},
    {758, 363, 749, 355, 468, 364, FRONT_SET1_HOVER, FRONT_SET1_PRESS, FRONT_DISABLED_IDLE, FRONT_DISABLED_HOVER},
    {758, 321, 749, 313, 470, 324, FRONT_SET1_HOVER, FRONT_SET1_PRESS, FRONT_DISABLED_IDLE, FRONT_DISABLED_HOVER},
};

// The menu's state for one run; the files are released on every way out.
struct MENU_STATE {
  int32_t button_file = -1;
  int32_t screen_file = -1;
  FRONT_BOX buttons[MAIN_MENU_BUTTONS] = {};
  FRONT_BOX logo = {};
  int32_t under = -1;
  int32_t entered = -1;
  uint32_t next_blink = 0;
};

MENU_STATE g;

void release_menu() {
  mda_object_release(&g.button_file);
  mda_object_release(&g.screen_file);
  g = MENU_STATE{};
}

// What a previous session left: the lost link, the chat window, both links, the queue counters
// the account screen would inherit, the chat input, the task state and the private messages.
void clear_previous_session() {
  link_lost_word = 0;
  chat_window_show(0);
  net_disconnect_all(0);
  login_state.wait_seconds = 0;
  login_state.queue_position = 0;
  chat_input_state_reset();
  task_state_reset();
  private_message_ring_clear();
}

bool load_art() {
  if (mda_load_file(FRONT_BUTTON_FILE, &g.button_file) != 0) return false;
  if (mda_load_file(kScreenFile, &g.screen_file) != 0) return false;
  return jpg_load_region(kBackground, screen_new, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT) == 0;
}

// The clean background into work buffer 2; the buttons and the logo onto work buffer 1 for the
// fade. False when a button or the logo has no frame.
bool prepare_background() {
  front_copy_screen(screen_front_copy, screen_new);
  for (int32_t i = 0; i < MAIN_MENU_BUTTONS; ++i) {
    if (front_command_box(g.screen_file, kCommands[i], screen_work, &g.buttons[i]) != 0) return false;
    mda_run_command(g.screen_file, kCommands[i], g.buttons[i].x, g.buttons[i].y, screen_new, FRONT_BLINK, 0, 0, 0);
  }
  if (front_command_box(g.button_file, kLogo, screen_work, &g.logo) != 0) return false;
  mda_run_command(g.button_file, kLogo, g.logo.x, g.logo.y, screen_new, FRONT_FIRST, 0, 0, 0);
  return true;
}

// Entering another button, or leaving them all, starts the button file's animations again.
void hit_test() {
  g.under = front_hit_test(g.buttons, MAIN_MENU_BUTTONS, frame_input.mouse_x, frame_input.mouse_y,
                           frame_input.event_code);
  if (g.under == g.entered) return;
  front_restart_steps(g.button_file);
  g.entered = g.under;
}

// A release over a button: the result, or none (the web buttons keep the menu open).
bool release_button(int32_t* result) {
  switch (g.under) {
    case START:
      *result = 0;
      return true;
    case QUIT:
      *result = -1;
      return true;
    case OFFICIAL:
      open_web_address(WEB_OFFICIAL);
      break;
    case UPDATER_MAKER:
    case UPDATER_MAKER_2:
      open_web_address(WEB_UPDATER_MAKER);
      break;
    case PUBLISHER:
      open_web_address(WEB_PUBLISHER);
      break;
    case REGISTER:
      open_web_address(WEB_REGISTER);
      break;
    default:
      break;
  }
  return false;
}

void draw_buttons(uint32_t blink) {
  for (int32_t i = 0; i < kSchemeButtons; ++i) {
    front_main_button_draw(g.button_file, kLooks[i], g.screen_file, kCommands[i], g.buttons[i], blink, screen_back);
  }
  const FRONT_BOX& last = g.buttons[UPDATER_MAKER_2];
  mda_run_command(g.screen_file, kCommands[UPDATER_MAKER_2], last.x, last.y, screen_back, blink, 0, 0, 0);
}

int32_t run_menu() {
  int32_t result = 0;
  bool done = false;
  g.next_blink = frame_input.frame_time;
  while (!done) {
    const uint32_t blink = front_blink(&g.next_blink, frame_input.frame_time);
    do {
      frame_step();
    } while (front_minimised());
    hit_test();
    front_copy_screen(screen_back, screen_new);
    mda_run_command(g.button_file, kLogo, g.logo.x, g.logo.y, screen_back, blink, 0, 0, 0);
    if (frame_input.event_code == FRONT_MOUSE_RELEASE) {
      input_clear_key();
      done = release_button(&result);
    }
    if (frame_input.key_code == kEnter) {
      input_clear_keys();
      result = 0;
      done = true;
    }
    draw_buttons(blink);
    front_windows_present();
  }
  return result;
}

}  // namespace

int32_t task_select_mainfunction() {
  FrontReleaseGuard guard{release_menu};
  sys_log(1, "menu begin");
  client_show_window_title(client_window_title());
  clear_previous_session();
  sys_log(1, "menu begin play mp3");
  game_music_play(kMusic, 1, kMusicVolume);
  sys_log(1, "menu begin end mp3");
  if (!load_art() || !prepare_background()) return -1;
  sys_log(1, "menu begin changeeffect");
  screen_transition_fade(kFadeStep);
  sys_log(1, "menu end changeeffect");
  front_copy_screen(screen_new, screen_front_copy);

  sys_log(1, "menu begin init record");
  if (replaying) {
    task_current_row = kReplayRow;
    return kReplayResult;
  }
  record_state_reset();
  sys_log(1, "menu begin loop");
  const int32_t result = run_menu();

  sys_log(1, "menu end loop");
  screen_transition_fade(kFadeStep);
  release_menu();
  guild_paged_list_reset();
  guild_members_reset();
  guild_applicants_free();
  sys_log(1, "menu end");
  return result;
}

static const ModuleReset k_reset("main menu", release_menu);
