#include "client/charsel/char_select.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "client/charsel/race_names.h"
#include "client/front/front_buttons.h"
#include "client/game/frame_input.h"
#include "client/game/frame_step.h"
#include "client/game/game_login.h"
#include "client/game/replay_state.h"
#include "client/game/task_table.h"
#include "client/net/net_link.h"
#include "client/screen_fx/screen_transitions.h"
#include "client/sound/sound_front.h"
#include "client/ui/message_box.h"
#include "engine/emote/emote_text.h"
#include "engine/input/input.h"
#include "engine/winfont/winfont.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/jpg/jpg_load.h"
#include "graphics/mda/mda.h"
#include "graphics/pixel_ops/pixel_ops.h"
#include "ui/game_leave/game_leave_mode.h"
#include "ui/nickname/nickname_window.h"
#include "world/scene/scene_chars.h"

namespace {

constexpr const char* kBackground = "system\\c1meu011.JPG";
constexpr const char* kMusic = "music\\menu02.MP3";
constexpr int32_t kMusicVolume = 100;
constexpr int32_t kFadeStep = 16;
constexpr int32_t kCreateResult = TASK_RESULT_JUMP + 8;  // TASK_CREATE_CHARACTER
constexpr int32_t kOpeningSteps = 5;  // the opening's first steps stand on work buffer 3
constexpr uint32_t kOpeningStepMs = 5;

constexpr uint8_t kKeyEnter = 13, kKeyUp = 72, kKeyDown = 80;

// Hit boxes: the five slots, then create, back and enter.
constexpr int32_t kCreate = 5, kBack = 6, kEnter = 7, kBoxes = 8;
constexpr const char* kActionCommands[3] = {"MainCommand16", "MainCommand17", "MainCommand18"};
constexpr FRONT_MAIN_BUTTON kActionLooks[3] = {
    {14, 498, 3, 487, 15, 508, FRONT_SET1_HOVER, FRONT_SET1_PRESS},
    FRONT_MAIN_UPPER,
    FRONT_MAIN_LOWER,
};

// Per slot i the texts stand 68 pixels below slot i - 1.
constexpr int32_t kSlotStep = 68;
constexpr int32_t kIdX = 641, kIdY = 101, kNameX = 641, kNameY = 115, kRaceX = 691, kRaceY = 130;
constexpr int32_t kLevelX = 643, kLevelY = 130, kHeadDx = 6, kHeadDy = 2;

// One run of the select screen, built from nothing and freed on every way out.
struct SelectScreen {
  int32_t leader = -1, head = -1, screen = -1, button = -1;
  FRONT_BOX title{}, figure{};
  FRONT_BOX boxes[kBoxes]{};
  int32_t last_entered = -1;
  int32_t selection = -1;
  int32_t result = -1;
  bool leave = false;
  uint32_t next_blink = 0;

  ~SelectScreen() {
    mda_object_release(&leader);
    mda_object_release(&head);
    mda_object_release(&screen);
    mda_object_release(&button);
  }
};

void emote_reset() {
  if (emote_text) emote_text->emote_text_clear();
}

bool load_art(SelectScreen& s) {
  return mda_load_file("system\\Leader.mda", &s.leader) == 0 && mda_load_file("system\\Head.MDA", &s.head) == 0 &&
         mda_load_file("system\\c1meu011.MDA", &s.screen) == 0 && mda_load_file("system\\button.mda", &s.button) == 0;
}

// The boxes and points of the screen's commands; the buttons drawn onto work buffer 1.
bool place_buttons(SelectScreen& s) {
  if (front_command_box(s.screen, "MainCommand0", screen_front_copy, &s.title) != 0) return false;
  if (front_command_box(s.leader, "MainCommand2", screen_front_copy, &s.figure) != 0) return false;
  for (int32_t i = 0; i < kBoxes; ++i) {
    const std::string command = i < CHAR_SELECT_SLOTS ? front_command_name(3 * i + 1) : kActionCommands[i - kCreate];
    FRONT_BOX& b = s.boxes[i];
    if (front_command_box(s.screen, command.c_str(), screen_front_copy, &b) != 0) return false;
    mda_run_command(s.screen, command.c_str(), b.x, b.y, screen_new, FRONT_BLINK, 0, 0, 0);
  }
  return true;
}

// The five slot hover animations start again.
void restart_slot_animations(const SelectScreen& s) {
  for (int32_t i = 0; i < CHAR_SELECT_SLOTS; ++i) {
    front_restart_command(s.screen, front_command_name(3 * i + 2).c_str());
  }
}

void enter_game(SelectScreen& s) {
  if (s.selection < 0 || s.selection >= char_select_shown()) return;
  // A copy: the message below runs nested frames, in which a new list may arrive.
  const CHAR_RECORD c = char_list[static_cast<size_t>(s.selection)];
  selected_char_id = c.id;
  if (c.name[0] == '.') {
    nickname_window_toggle();
    return;
  }
  net_send_world(MSG_SELECT_CHARACTER, static_cast<int32_t>(c.id), nullptr, 0);
  s.result = 0;
  show_system_message("Connecting, please wait......", 0);
  front_present();
}

void on_press(SelectScreen& s, int32_t hit) {
  const int32_t shown = char_select_shown();
  if (hit >= 0 && hit < CHAR_SELECT_SLOTS) {
    if (hit >= shown) return;
    if (s.selection >= 0 && s.selection < shown && char_list[static_cast<size_t>(s.selection)].name[0] == '.') {
      selected_char_id = char_list[static_cast<size_t>(s.selection)].id;
      nickname_window_toggle();
    }
    s.selection = hit;
  } else if (hit == kCreate) {
    if (static_cast<int32_t>(char_list.size()) < CHAR_SELECT_SLOTS) {
      s.result = kCreateResult;
      s.leave = true;
    } else {
      show_system_message("~C2 You have created 5 characters, unable to create any more~C0", 0);
    }
  } else if (hit == kBack) {
    s.result = -2;
    s.leave = true;
  } else if (hit == kEnter) {
    enter_game(s);
  }
}

void on_key(SelectScreen& s) {
  const uint8_t key = frame_input.key_code;
  if (key == kKeyEnter) {
    enter_game(s);
  } else if (key == kKeyUp) {
    if (s.selection > 0) --s.selection;
  } else if (key == kKeyDown) {
    if (s.selection < char_select_shown() - 1) ++s.selection;
  } else {
    return;
  }
  input_clear_keys();
}

void draw_text(int32_t x, int32_t y, const std::string& text, uint16_t colour) {
  font_set_color(colour);
  font_draw_text(x, y, ("~Z1" + text).c_str(), 1, screen_back);
}

void draw_characters(const SelectScreen& s) {
  const uint16_t id_colour = pixel_ops.pack(247, 76, 30);
  const uint16_t name_colour = pixel_ops.pack(255, 255, 255);
  const uint16_t race_colour = pixel_ops.pack(245, 185, 86);
  const uint16_t before = font_get_color();
  for (int32_t i = 0; i < char_select_shown(); ++i) {
    const CHAR_RECORD c = char_list[static_cast<size_t>(i)];
    const int32_t dy = kSlotStep * i;
    char id[32];
    std::snprintf(id, sizeof id, "ID:  %d", static_cast<int32_t>(c.id));
    draw_text(kIdX, kIdY + dy, id, id_colour);
    draw_text(kNameX, kNameY + dy, std::string(c.name, strnlen(c.name, CHAR_NAME_SIZE)), name_colour);
    draw_text(kRaceX, kRaceY + dy, race_name(c.race), race_colour);
    draw_text(kLevelX, kLevelY + dy, char_select_level_text(c), id_colour);
    const FRONT_BOX& slot = s.boxes[i];
    mda_run_command(s.head, front_command_name(char_select_picture(c)).c_str(), slot.x + kHeadDx, slot.y + kHeadDy,
                    screen_back, FRONT_BLINK, 0, 0, 0);
  }
  font_set_color(before);
}

void draw_frame(SelectScreen& s, uint32_t blink) {
  front_copy_screen(screen_back, s.selection < 0 ? screen_new : screen_front_copy);
  mda_run_command(s.screen, "MainCommand0", s.title.x, s.title.y, screen_back, FRONT_FIRST, 0, 0, 0);
  for (int32_t i = 0; i < CHAR_SELECT_SLOTS; ++i) {
    const FRONT_BOX& b = s.boxes[i];
    const int32_t base = 3 * i;
    if (b.state == FRONT_IDLE) {
      mda_run_command(s.screen, front_command_name(base + 1).c_str(), b.x, b.y, screen_back, blink, 0, 0, 0);
    } else if (b.state == FRONT_HOVER) {
      mda_run_command(s.screen, front_command_name(base + 2).c_str(), b.x, b.y, screen_back, blink, 0, 0, 0);
    } else {
      mda_run_command(s.screen, front_command_name(base + 3).c_str(), b.x, b.y, screen_back, FRONT_ONCE, 0, 0, 0);
    }
    if (i == s.selection) {
      mda_run_command(s.screen, front_command_name(base + 3).c_str(), b.x, b.y, screen_back, FRONT_LAST, 0, 0, 0);
    }
  }
  for (int32_t a = 0; a < 3; ++a) {
    front_main_button_draw(s.button, kActionLooks[a], s.screen, kActionCommands[a], s.boxes[kCreate + a], blink,
                           screen_back);
  }
  draw_characters(s);
  if (s.selection >= 0 && s.selection < char_select_shown()) {
    const CHAR_RECORD& c = char_list[static_cast<size_t>(s.selection)];
    mda_run_command(s.leader, front_command_name(char_select_picture(c)).c_str(), s.figure.x, s.figure.y, screen_back,
                    FRONT_BLINK, 0, 0, 0);
  }
  front_windows_present();
}

void run_frames(SelectScreen& s) {
  while (!s.leave && char_selected_flag == 0) {
    frame_step();
    if (game_leave_mode.flag && game_leave_mode.mode == GAME_LEAVE_TO_LOGIN) {
      game_leave_mode = {0, GAME_LEAVE_NONE};
      s.result = -2;
      break;
    }
    if (replaying) {
      char_selected_flag = 1;
      break;
    }
    if (front_minimised()) continue;
    const uint32_t blink = front_blink(&s.next_blink, frame_input.frame_time);
    const int32_t shown = char_select_shown();
    for (int32_t i = 0; i < CHAR_SELECT_SLOTS; ++i) s.boxes[i].off = i >= shown;
    const int32_t hit = front_hit_test(s.boxes, kBoxes, frame_input.mouse_x, frame_input.mouse_y,
                                       frame_input.event_code);
    if (hit != s.last_entered && hit >= 0) {
      front_restart_steps(s.button);
      restart_slot_animations(s);
    }
    if (hit < 0) restart_slot_animations(s);
    s.last_entered = hit;
    if (frame_input.event_code == FRONT_MOUSE_PRESS) {
      input_clear_key();
      on_press(s, hit);
      if (s.leave) break;
    }
    if (s.selection >= char_select_shown()) s.selection = char_select_shown() - 1;
    if (s.selection >= 0) selected_char_id = char_list[static_cast<size_t>(s.selection)].id;
    on_key(s);
    draw_frame(s, blink);
  }
}

}  // namespace

int32_t char_select_shown() { return std::min<int32_t>(static_cast<int32_t>(char_list.size()), CHAR_SELECT_SLOTS); }

std::string char_select_level_text(const CHAR_RECORD& c) {
  char text[32];
  if (c.rebirth <= 0) {
    std::snprintf(text, sizeof text, "%d%s", c.level, "Level");
  } else {
    std::snprintf(text, sizeof text, "%d-%d", c.rebirth, c.level);
  }
  return text;
}

int32_t char_select_picture(const CHAR_RECORD& c) {
  return c.look + 2 * (c.race + (c.rebirth != 0 ? 4 : 0));
}

int32_t task_select_character_in() {
  int32_t button = -1;
  FRONT_BOX opening{};
  if (mda_load_file("system\\button.mda", &button) != 0 ||
      jpg_load_region(kBackground, screen_back, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT) != 0) {
    mda_object_release(&button);
    return -1;
  }
  front_copy_screen(screen_work, screen_back);
  if (front_command_box(button, "MainCommand9", screen_front_copy, &opening) != 0 ||
      jpg_load_region(kBackground, screen_new, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT) != 0) {
    mda_object_release(&button);
    return -1;
  }
  const int32_t steps = front_command_steps(button, "MainCommand9");
  for (int32_t step = 0; step < steps; ++step) {
    input_set_wait_start();
    frame_step();
    front_copy_screen(screen_back, step < kOpeningSteps ? screen_work : screen_new);
    mda_run_command(button, "MainCommand9", opening.x, opening.y, screen_back, MDA_EXPLICIT_STEP, 0, 0, step);
    front_present();
    input_wait_since_start(kOpeningStepMs);
  }
  front_copy_screen(screen_back, screen_new);
  front_present();
  mda_object_release(&button);
  return 0;
}

int32_t task_select_character() {
  scene_in_scene = 0;
  game_music_play(kMusic, 1, kMusicVolume);
  if (jpg_load_region(kBackground, screen_new, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT) != 0) return -1;
  screen_transition_fade(kFadeStep);
  SelectScreen s;
  if (!load_art(s)) return -1;
  front_copy_screen(screen_work, screen_new);
  if (!place_buttons(s)) return -1;
  screen_transition_fade(kFadeStep);
  front_copy_screen(screen_new, screen_work);
  front_copy_screen(screen_front_copy, screen_new);
  s.selection = char_list.empty() ? -1 : 0;
  s.next_blink = frame_input.frame_time;
  emote_reset();
  char_selected_flag = 0;
  map_already_loaded = 0;  // the chosen character's scene loads its own map

  run_frames(s);

  screen_transition_fade(kFadeStep);
  int32_t result = s.result;
  if (char_selected_flag == 1) {
    char_selected_flag = 0;
    result = 0;
  }
  emote_reset();
  return result;
}
