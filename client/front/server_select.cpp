#include "client/front/server_select.h"

#include <algorithm>
#include <cstring>

#include "client/front/front_buttons.h"
#include "client/game/frame_input.h"
#include "client/game/frame_step.h"
#include "client/game/replay_state.h"
#include "client/game/task_state.h"
#include "client/net/net_link.h"
#include "client/net_msg/net_dispatch.h"
#include "client/record/record.h"
#include "client/screen_fx/screen_transitions.h"
#include "client/settings/settings.h"
#include "client/ui/message_box.h"
#include "core/reset/module_resets.h"
#include "engine/draw/draw.h"
#include "engine/input/input.h"
#include "engine/system/system.h"
#include "engine/winfont/winfont.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/jpg/jpg_load.h"
#include "graphics/mda/mda.h"
#include "graphics/primitives/gfx16.h"
#include "plat/platform.h"
#include "world/scene/scene_chars.h"

char current_server_name[SERVER_NAME_SIZE] = {};

namespace {

constexpr const char* kNoServer = "Unable to connect to the designated server, please run update.exe";
constexpr const char* kChoose = "Please choose a server";
constexpr const char* kMaintained = "Server is being maintained, please try again later!";
constexpr const char* kConnecting = "Connecting to server.";
constexpr const char* kRefused = "You have been disconnected from the server";
constexpr const char* kScreenFile = "system\\c1meu010.MDA";
constexpr const char* kBackground = "system\\c1meu005c.JPG";
constexpr int32_t kFadeStep = 16;
constexpr uint8_t kEnter = 13;

constexpr int32_t kSlotX[2] = {220, 408};
constexpr int32_t kSlotY = 140, kSlotDy = 53, kSlotW = 157, kSlotH = 28;
constexpr const char* kButtonCommands[2] = {"MainCommand5", "MainCommand6"};

enum Result : int32_t { STAY = 1 };

// The screen's own state, cleared at each start.
struct SERVER_SELECT_STATE {
  int32_t button_file;
  int32_t button_file_spare;  // loaded as the screen always did, only to be released
  int32_t screen_file;
  FRONT_BOX buttons[2];
  FRONT_BOX title;   // only its draw point is used
  FRONT_BOX banner;  // likewise
  int32_t slots[SERVER_SLOTS];
  int32_t entered;
  uint32_t next_blink;
};

SERVER_SELECT_STATE g;

void clear_state() {
  g = SERVER_SELECT_STATE{};
  g.button_file = g.button_file_spare = g.screen_file = -1;
  g.entered = -1;
  std::fill(std::begin(g.slots), std::end(g.slots), -1);
}

void release_files() {
  mda_object_release(&g.button_file);
  mda_object_release(&g.button_file_spare);
  mda_object_release(&g.screen_file);
}

struct SlotOrigin {
  int32_t x, y;
};
SlotOrigin slot_origin(int32_t i) { return {kSlotX[i / 5], kSlotY + (i % 5) * kSlotDy}; }

bool slot_holds(int32_t i, int32_t x, int32_t y) {
  const SlotOrigin o = slot_origin(i);
  return x >= o.x && x < o.x + kSlotW && y >= o.y && y < o.y + kSlotH;
}

void run(int32_t handle, const char* command, int32_t x, int32_t y, uint32_t flags, BITMAP16* target) {
  mda_run_command(handle, command, x, y, target, flags, 0, 0, 0);
}

bool load_art() {
  if (mda_load_file(FRONT_BUTTON_FILE, &g.button_file) != 0) return false;
  if (mda_load_file(FRONT_BUTTON_FILE, &g.button_file_spare) != 0) return false;
  if (mda_load_file(kScreenFile, &g.screen_file) != 0) return false;
  return jpg_load_region(kBackground, screen_new, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT) == 0;
}

// The clean background into work buffer 2, the points and boxes from the commands' first frames,
// then the title and buttons onto work buffer 1 for the fade.
void prepare_background() {
  gfx16_blit(0, 0, screen_new, screen_front_copy);
  front_command_box(g.screen_file, "MainCommand0", screen_work, &g.title);
  front_command_box(g.screen_file, "MainCommand22", screen_work, &g.banner);
  for (int i = 0; i < 2; ++i) front_command_box(g.screen_file, kButtonCommands[i], screen_work, &g.buttons[i]);
  for (int i = 0; i < 2; ++i) run(g.screen_file, kButtonCommands[i], g.buttons[i].x, g.buttons[i].y, FRONT_BLINK, screen_new);
  run(g.screen_file, "MainCommand0", g.title.x, g.title.y, FRONT_BLINK, screen_new);
}

void draw_slots(const SERVER_LINE_TABLE& table) {
  for (int32_t i = 0; i < SERVER_SLOTS; ++i) {
    const SlotOrigin o = slot_origin(i);
    const int32_t row = g.slots[i];
    if (row < 0 || row >= table.count) {
      run(g.screen_file, "MainCommand14", o.x, o.y, FRONT_BLINK, screen_back);
      continue;
    }
    const SERVER_LINE_RECORD& line = table.rows[row];
    if (line.line_id == settings.last_server_id) run(g.screen_file, "MainCommand16", o.x, o.y, FRONT_BLINK, screen_back);
    if (!line.available) run(g.screen_file, "MainCommand14", o.x, o.y, FRONT_BLINK, screen_back);
    run(g.screen_file, server_select_mark(line), o.x + 6, o.y + 8, FRONT_BLINK, screen_back);
    char name[plat::SERVER_LINE_NAME_SIZE + 1] = {};
    std::memcpy(name, line.name, plat::SERVER_LINE_NAME_SIZE);
    font_draw_text(o.x + 32, o.y + 5, "~Z1", 1, screen_back);
    font_draw_text(o.x + 32, o.y + 5, name, 1, screen_back);
  }
}

// The move to the chosen line: STAY when it left the table, -1 refused, 0 connected with the
// login sent.
int32_t connect_chosen(const SERVER_LINE_TABLE& table) {
  const int32_t count = std::clamp(table.count, 0, SERVER_LINE_ROWS);
  const SERVER_LINE_RECORD* line = nullptr;
  for (int32_t i = 0; i < count && !line; ++i) {
    if (table.rows[i].line_id == settings.last_server_id) line = &table.rows[i];
  }
  if (!line) return STAY;
  reconnect_host = line->address;
  reconnect_port = line->port & 0xFFFF;
  show_system_message(kConnecting, 0);
  front_present();
  if (net_connect_world(reconnect_host, reconnect_port, net_dispatch_message) == -1) {
    show_message_box(kRefused, 1);
    return -1;
  }
  std::memset(current_server_name, 0, sizeof current_server_name);
  std::memcpy(current_server_name, line->name, std::min(sizeof line->name, sizeof current_server_name - 1));
  login_send_stored_credentials();
  return 0;
}

// One frame's input: the result to leave with, or STAY.
int32_t take_input(const SERVER_LINE_TABLE& table) {
  const int32_t x = frame_input.mouse_x, y = frame_input.mouse_y;
  const int32_t under = front_hit_test(g.buttons, 2, x, y, frame_input.event_code);
  if (under != g.entered) {
    front_restart_steps(g.button_file);
    g.entered = under;
  }
  int32_t slot = -1;
  for (int32_t i = 0; i < SERVER_SLOTS && slot < 0; ++i) {
    if (g.slots[i] >= 0 && g.slots[i] < table.count && slot_holds(i, x, y)) slot = i;
  }
  if (frame_input.event_code == FRONT_MOUSE_RELEASE) {
    input_clear_key();
    if (under == 0) return -2;
    if (under == 1) {
      if (settings.last_server_id > 0) return 0;
      show_message_box(kChoose, 1);
    }
    if (slot >= 0) {
      const SERVER_LINE_RECORD& line = table.rows[g.slots[slot]];
      if (!line.available) {
        show_system_message(kMaintained, 0);
      } else {
        settings.last_server_id = line.line_id;
      }
    }
  }
  if (frame_input.key_code == kEnter) {
    input_clear_keys();
    if (settings.last_server_id <= 0) {
      show_message_box(kChoose, 1);
    } else {
      return 0;
    }
  }
  return STAY;
}

void draw_frame(const SERVER_LINE_TABLE& table, uint32_t blink) {
  gfx16_blit(0, 0, screen_new, screen_back);
  run(g.screen_file, "MainCommand0", g.title.x, g.title.y, FRONT_BLINK, screen_back);
  run(g.screen_file, "MainCommand22", g.banner.x, g.banner.y, FRONT_BLINK, screen_back);
  draw_slots(table);
  front_main_button_draw(g.button_file, FRONT_MAIN_UPPER, g.screen_file, kButtonCommands[0], g.buttons[0], blink,
                         screen_back);
  front_main_button_draw(g.button_file, FRONT_MAIN_LOWER, g.screen_file, kButtonCommands[1], g.buttons[1], blink,
                         screen_back);
}

}  // namespace

const char* server_select_mark(const SERVER_LINE_RECORD& line) {
  if (!line.available) return "MainCommand21";
  if (line.load < 201) return "MainCommand17";
  if (line.load < 501) return "MainCommand18";
  if (line.load > 800) return "MainCommand20";
  return "MainCommand19";
}

void server_select_slots(const SERVER_LINE_TABLE& table, int32_t slots[SERVER_SLOTS]) {
  const int32_t count = std::clamp(table.count, 0, SERVER_LINE_ROWS);
  for (int32_t i = 0; i < SERVER_SLOTS; ++i) slots[i] = i < count ? i : -1;
}

int32_t task_server_select() {
  link_lost_word = 0;
  std::memset(current_server_name, 0, sizeof current_server_name);
  scene_in_scene = 0;
  net_disconnect_all(0);
  clear_state();
  if (replaying) return 0;
  SERVER_LINE_TABLE table = server_lines_snapshot();
  if (table.count <= 0) {
    show_system_message(kNoServer, 0);
    return -1;
  }
  FrontReleaseGuard guard{release_files};
  server_select_slots(table, g.slots);
  if (!load_art()) return -1;
  prepare_background();
  screen_transition_fade(kFadeStep);
  gfx16_blit(0, 0, screen_front_copy, screen_new);
  g.next_blink = frame_input.frame_time + FRONT_BLINK_MS;

  int32_t result = STAY;
  while (result == STAY) {
    frame_step();
    if (front_minimised()) continue;
    table = server_lines_snapshot();
    const uint32_t blink = front_blink(&g.next_blink, frame_input.frame_time);
    int32_t leave = take_input(table);
    draw_frame(table, blink);
    if (leave == 0) leave = connect_chosen(table);
    result = leave;
    front_windows_present();
  }
  if (settings.record_play) {
    // Only the header copy: the file's times stay as the recorder wrote them.
    std::memset(record_state.header.server_name, 0, sizeof record_state.header.server_name);
    std::memcpy(record_state.header.server_name, current_server_name,
                std::min(std::strlen(current_server_name), sizeof record_state.header.server_name - 1));
  }
  screen_transition_fade(kFadeStep);
  release_files();
  if (settings.last_server_id >= 0) settings_save();
  return result;
}

static const ModuleReset k_reset("server select", [] {
  release_files();
  clear_state();
  std::memset(current_server_name, 0, sizeof current_server_name);
});
