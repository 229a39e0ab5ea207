#include "client/front/account_input.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "client/front/account_edits.h"
#include "client/front/front_buttons.h"
#include "client/game/frame_input.h"
#include "client/game/frame_step.h"
#include "client/game/replay_state.h"
#include "client/game/session_state.h"
#include "client/game/task_state.h"
#include "client/net/net_link.h"
#include "client/net_msg/net_dispatch.h"
#include "client/record/record.h"
#include "client/screen_fx/screen_transitions.h"
#include "client/settings/settings.h"
#include "client/startup/client_hooks.h"
#include "client/state/broadcast_list.h"
#include "client/state/login_state.h"
#include "client/ui/message_box.h"
#include "client/common/web_addresses.h"
#include "client/window/window_manager.h"
#include "core/log/log.h"
#include "core/reset/module_resets.h"
#include "engine/draw/draw.h"
#include "engine/input/ime.h"
#include "engine/input/input.h"
#include "engine/system/system.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/jpg/jpg_load.h"
#include "graphics/mda/mda.h"
#include "graphics/primitives/gfx16.h"
#include "plat/platform.h"
#include "social/chat_window/chat_window.h"
#include "social/macro/macro_confirm_box.h"
#include "world/battle/battle_effects.h"
#include "world/scene/scene_chars.h"

char login_account_name[ACCOUNT_NAME_SIZE] = {};

namespace {

constexpr const char* kCompanion = "castview/KRB_STARTUP1.exe";
constexpr const char* kNoServer = "Unable to connect to the designated server, please run update.exe";
constexpr const char* kBusy = "The server is busy, please retry later or use update.exe to enter game";
constexpr const char* kEmptyField = "Please enter right account name and password!";
constexpr const char* kQueueFull = "The server is full, press Enter to change server";
constexpr const char* kBackground = "SYSTEM/c1meu008.jpg";
constexpr const char* kScreenFile = "system\\c1meu008.MDA";
constexpr const char* kMapButtonFile = "system\\MapButton.MDA";
constexpr uint32_t kStartPauseMs = 500;
constexpr int32_t kFadeStep = 8;
constexpr int32_t kTextBufferSize = 1024;

constexpr CTL_RECT kAccountRect{334, 215, 456, 230};
constexpr CTL_RECT kPasswordRect{334, 269, 456, 284};
// The focus marker beside the account field, and 52 pixels lower beside the password field.
constexpr int32_t kMarkerX = 293, kAccountMarkerY = 196, kPasswordMarkerY = 248;
constexpr FRONT_BOX kRememberBox{476, 211, 499, 234, 476, 211, FRONT_IDLE, false};

enum Box { BOX_QUIT = 0, BOX_SUBMIT = 1, BOX_LOST_PASSWORD = 2, BOX_REGISTER = 3, BOX_REMEMBER = 4, BOXES = 5 };
constexpr const char* kBoxCommands[4] = {"MainCommand0", "MainCommand1", "MainCommand2", "MainCommand5"};

// The screen's state for one run; the fields live only while it runs.
struct ACCOUNT_SCREEN {
  CAccountEdit* account = nullptr;
  CLoginPasswordEdit* password = nullptr;
  int32_t button_file = -1;
  int32_t screen_file = -1;
  int32_t map_button_file = -1;
  FRONT_BOX boxes[BOXES] = {};  // boxes 0-3 with the point where their commands are drawn
  int32_t under = -1;           // the box under the pointer
  int32_t entered = -1;         // the last box entered
  uint32_t next_blink = 0;
};

ACCOUNT_SCREEN g;

void release_screen() {
  mda_object_release(&g.button_file);
  mda_object_release(&g.screen_file);
  mda_object_release(&g.map_button_file);
  delete g.account;
  delete g.password;
  g = ACCOUNT_SCREEN{};
  login_state.focused = nullptr;
}

void create_fields() {
  release_screen();
  g.account = new CAccountEdit;
  g.password = new CLoginPasswordEdit;
  g.account->max_length = ACCOUNT_FIELD_MAX;
  g.password->max_length = ACCOUNT_FIELD_MAX;
  g.password->font_kind = 1;
  g.account->partner = g.password;
  g.password->partner = g.account;
  login_state.focused = g.account;
}

void start_companion() {
  plat::SpawnSpec spec;
  spec.program = kCompanion;
  plat::get().process().spawn(spec);  // its absence is the platform's debug line; the screen goes on
}

// What a previous session left: the chat window, the session tables, the scene, the battle's
// effects, the in-scene word, the recorder and the broadcasts.
void clear_previous_session() {
  chat_window_show(0);
  session_state_reset();
  scene_clear_chars();
  battle_free_effects();
  scene_in_scene = 0;
  record_state_reset();
  broadcast_list.count = 0;
}

void place_field(CEditBox* box, const CTL_RECT& r) {
  box->set_shown(true);
  box->set_rect(r);
  box->set_text_rect(r);
  box->set_clip_rect(r);
}

bool load_art() {
  if (jpg_load_region(kBackground, screen_new, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT) != 0) return false;
  if (mda_load_file(FRONT_BUTTON_FILE, &g.button_file) != 0) return false;
  if (mda_load_file(kScreenFile, &g.screen_file) != 0) return false;
  return mda_load_file(kMapButtonFile, &g.map_button_file) == 0;
}

void take_boxes() {
  for (int i = 0; i < 4; ++i) front_command_box(g.screen_file, kBoxCommands[i], screen_work, &g.boxes[i]);
  g.boxes[BOX_REMEMBER] = kRememberBox;
}

bool typeable(uint8_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The frame's typed characters to the focused field; without one accepted, its key.
void route_typing() {
  CEditBox* focused = login_state.focused;
  bool accepted = false;
  const int32_t n = input_get_char_count();
  for (int32_t i = 0; i < n; ++i) {
    const uint8_t c = input_get_char(i);
    if (!typeable(c)) continue;
    accepted = true;
    if (focused) focused->on_char(c, 0, 0);
  }
  input_clear_chars();
  if (accepted || !focused) return;
  const uint8_t key = frame_input.key_code ? frame_input.key_code : frame_input.scan_code;
  if (key != 0 && !ime_is_open()) focused->on_key(key, 0, 0);
}

void hit_test() {
  g.under = front_hit_test(g.boxes, BOXES, frame_input.mouse_x, frame_input.mouse_y, frame_input.event_code);
  // Leaving every box restarts the hover animation too.
  if (g.under != g.entered) {
    front_restart_steps(g.button_file);
    g.entered = g.under;
  }
}

void press_fields() {
  const int32_t x = frame_input.mouse_x, y = frame_input.mouse_y;
  if (!g.account->on_click(x, y)) g.password->on_click(x, y);
  input_clear_key();
}

// A release over a box. The quit button ends the program at once, unsaved.
void release_box() {
  switch (g.under) {
    case BOX_QUIT:
      net_disconnect_all(0);
      plat::get().process().exit(0);
      break;
    case BOX_SUBMIT:
      g.password->on_enter();
      login_state.result_code = 0;
      break;
    case BOX_LOST_PASSWORD:
      open_web_address(WEB_LOST_PASSWORD);
      break;
    case BOX_REGISTER:
      open_web_address(WEB_REGISTER);
      break;
    case BOX_REMEMBER:
      settings.remember_account = settings.remember_account ? 0 : 1;
      break;
    default:
      break;
  }
}

void draw_buttons(uint32_t blink) {
  BITMAP16* back = screen_back;
  front_main_button_draw(g.button_file, FRONT_MAIN_UPPER, g.screen_file, kBoxCommands[BOX_QUIT], g.boxes[BOX_QUIT], blink,
                         back);
  front_main_button_draw(g.button_file, FRONT_MAIN_LOWER, g.screen_file, kBoxCommands[BOX_SUBMIT],
                         g.boxes[BOX_SUBMIT], blink, back);
  // The two links show only under the pointer.
  constexpr const char* kLinkHover[2] = {"MainCommand3", "MainCommand6"};
  constexpr const char* kLinkPressed[2] = {"MainCommand4", "MainCommand5"};
  for (int i = 0; i < 2; ++i) {
    const FRONT_BOX& box = g.boxes[BOX_LOST_PASSWORD + i];
    if (box.state == FRONT_IDLE) continue;
    const char* command = box.state == FRONT_PRESSED ? kLinkPressed[i] : kLinkHover[i];
    mda_run_command(g.screen_file, command, box.x, box.y, back, FRONT_FIRST, 0, 0, 0);
  }
  if (settings.remember_account) {
    mda_run_command(g.map_button_file, "MainCommand11", kRememberBox.x, kRememberBox.y, back, blink, 0, 0, 0);
  }
}

void present() {
  window_lists_run(0);
  window_lists_run(1);
  front_present();
}

// At most n - 1 bytes of text and a NUL into out (n bytes, zero-filled).
void copy_cut(char* out, size_t n, const char* text) {
  std::memset(out, 0, n);
  std::memcpy(out, text, strnlen(text, n - 1));
}

}  // namespace

CAccountEdit* account_field() { return g.account; }
CLoginPasswordEdit* account_password_field() { return g.password; }

int32_t account_start_line(const SERVER_LINE_TABLE& table) {
  const int32_t count = std::clamp(table.count, 0, SERVER_LINE_ROWS);
  for (int32_t i = 0; i < count; ++i) {
    if (table.rows[i].available && table.rows[i].load < LINE_LOAD_LIMIT) return i;
  }
  return 0;
}

int32_t account_connect_line(const SERVER_LINE_TABLE& table) {
  const int32_t count = std::clamp(table.count, 0, SERVER_LINE_ROWS);
  const int32_t start = account_start_line(table);
  for (int32_t k = 0; k < count; ++k) {
    const SERVER_LINE_RECORD& row = table.rows[(start + k) % count];
    if (!row.available) {
      sys_log_printf(1, "no line");
      continue;
    }
    if (net_connect_world(row.address, row.port & 0xFFFF, net_dispatch_message) == -1) {
      sys_log_printf(1, "connect error");
      continue;
    }
    settings.last_server_id = row.line_id;
    return (start + k) % count;
  }
  return -1;
}

int32_t account_input_submit() {
  if (!g.account || !g.password) return CTL_FAIL;
  if (g.account->text_width() <= 0 || g.password->text_width() <= 0) {
    show_message_box(kEmptyField, 1);
    return CTL_FAIL;
  }
  char text[kTextBufferSize] = {};
  g.account->get_text(text, sizeof text);
  LOGIN_CREDENTIALS credentials{};
  copy_cut(credentials.account, sizeof credentials.account, text);
  copy_cut(login_account_name, sizeof login_account_name, credentials.account);
  char real[kTextBufferSize + 1] = {};
  g.password->real_text(real, sizeof real);
  copy_cut(credentials.password, sizeof credentials.password, real);
  uint8_t block[LOGIN_BLOCK_SIZE] = {};
  net_build_login_block(credentials.account, credentials.password, block, LOGIN_BLOCK_SIZE);
  net_send_world(MSG_LOGIN, 0, block, LOGIN_BLOCK_SIZE);
  login_state.result_code = 0;
  // Exactly the two fields the login retry reads, nothing of the work area behind them.
  login_credentials = credentials;
  std::memset(settings.account_name, 0, sizeof settings.account_name);
  if (settings.remember_account) copy_cut(settings.account_name, SETTINGS_ACCOUNT_SIZE + 1, credentials.account);
  settings_save();
  return CTL_OK;
}

int32_t login_queue_notice() {
  std::string told;
  while (login_state.wait_seconds != 0 || login_state.queue_position != 0) {
    frame_step();
    if (screen_back && screen_new) gfx16_blit(0, 0, screen_new, screen_back);
    char text[256];
    std::snprintf(text, sizeof text, "%s", kQueueFull);
    char line[64];
    if (login_state.wait_seconds > 0) {
      std::snprintf(line, sizeof line, "Still need to wait %d sec", login_state.wait_seconds);
      std::snprintf(text + std::strlen(text), sizeof text - std::strlen(text), "#E%s", line);
    }
    if (login_state.queue_position > 0) {
      std::snprintf(line, sizeof line, " y Current queue: %d", login_state.queue_position);
      std::snprintf(text + std::strlen(text), sizeof text - std::strlen(text), "#E%s", line);
    }
    // Told once per change, not once per frame.
    if (told != text) {
      told = text;
      plat::get().debugOut(text);
    }
    const int32_t answer = macro_confirm_box(text);
    if (answer == 1 || answer == 0) {
      input_clear_key();  // the release that answered must not reach the screen behind
      return answer;
    }
    front_present();
  }
  return 2;
}

int32_t account_input_screen() {
  FrontReleaseGuard guard{release_screen};
  create_fields();
  start_companion();
  clear_previous_session();
  const std::string record = record_file_from_command_line(client_command_line());
  if (!record.empty()) record_load(record.c_str());
  if (replaying) return 0;  // the replay feeds the recorded login

  plat::get().clock().sleepMs(kStartPauseMs);
  const SERVER_LINE_TABLE table = server_lines_snapshot();
  if (table.count <= 0) {
    show_message_box(kNoServer, 1);
    return -1;
  }
  if (account_connect_line(table) < 0) show_system_message(kBusy, 1);

  place_field(g.account, kAccountRect);
  place_field(g.password, kPasswordRect);
  if (settings.remember_account) {
    g.account->insert_text(settings.account_name);
    login_state.focused = g.password;
  }
  login_state.focused->set_focused(true);

  if (!load_art()) return -1;
  take_boxes();
  screen_transition_fade(kFadeStep);
  login_state.done = 0;
  g.next_blink = frame_input.frame_time + FRONT_BLINK_MS;
  g.under = -1;

  while (!login_state.done) {
    frame_step();
    if (front_minimised()) continue;
    if (login_state.wait_seconds != 0 || login_state.queue_position != 0) {
      const int32_t notice = login_queue_notice();
      if (notice == 1) {
        net_disconnect_all(0);
        login_state.done = 1;
        login_state.result_code = -2;
        login_state.wait_seconds = login_state.queue_position = 0;
        return -2;
      }
      if (notice == 0) {
        net_disconnect_all(0);
        login_state.wait_seconds = login_state.queue_position = 0;
        return -1;
      }
      login_state.wait_seconds = 0;
      g.password->on_enter();
      login_state.result_code = 0;
      continue;
    }
    gfx16_blit(0, 0, screen_new, screen_back);
    const uint32_t blink = front_blink(&g.next_blink, frame_input.frame_time);
    const int32_t marker_y = login_state.focused == g.password ? kPasswordMarkerY : kAccountMarkerY;
    mda_run_command(g.button_file, "MainCommand7", kMarkerX, marker_y, screen_back, blink, 0, 0, 0);
    hit_test();
    route_typing();
    input_clear_keys();
    if (frame_input.event_code == FRONT_MOUSE_PRESS) press_fields();
    if (frame_input.event_code == FRONT_MOUSE_RELEASE) release_box();
    g.account->draw(screen_back);
    g.password->draw(screen_back);
    input_clear_key();
    draw_buttons(blink);
    present();
  }
  login_state.wait_seconds = login_state.queue_position = 0;
  return login_state.result_code;
}

int32_t task_account_input() {
  const int32_t result = account_input_screen();
  if (settings.record_play && !replaying && record_state.replay_clear) record_start();
  return result;
}

static const ModuleReset k_reset("account input", [] {
  release_screen();
  std::memset(login_account_name, 0, sizeof login_account_name);
});
