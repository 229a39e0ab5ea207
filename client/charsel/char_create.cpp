#include "client/charsel/char_create.h"

#include <cstdio>
#include <cstring>

#include "client/charsel/create_request.h"
#include "client/common/bad_words.h"
#include "client/edit/game_edit.h"
#include "client/front/front_buttons.h"
#include "client/game/frame_input.h"
#include "client/game/frame_step.h"
#include "client/screen_fx/screen_transitions.h"
#include "client/state/login_state.h"
#include "client/ui/message_box.h"
#include "core/file/whole_file.h"
#include "core/reset/module_resets.h"
#include "engine/emote/emote_text.h"
#include "engine/input/input.h"
#include "graphics/bitmap/screen_buffers.h"
#include "graphics/frame_cmd/frame_cmd.h"
#include "graphics/jpg/jpg_load.h"
#include "graphics/mda/mda.h"
#include "ui/game_leave/game_leave_mode.h"

CHAR_CREATE_STATE char_create_state;

namespace {

constexpr const char* kBackground = "system\\c1meu012.JPG";
constexpr int32_t kFadeStep = 16;
constexpr uint32_t kPreviewStepMs = 30;
constexpr int32_t kOffScreen = -9999;
constexpr CTL_RECT kNameBox = {407, 517, 690, 541};
constexpr size_t kNameRead = 128;  // the box's text is read up to 127 bytes

// Boxes: four races, two looks, back, create, then the two texts' up and down arrows.
constexpr int32_t kLook0 = 4, kLook1 = 5, kBack = 6, kCreate = 7, kRoleUp = 8, kRoleDown = 9, kMeritUp = 10,
                  kMeritDown = 11;
constexpr int32_t kRaceBase[4] = {4, 2, 0, 6};
struct FixedBox {
  int32_t left, top, right, bottom;
};
constexpr FixedBox kFixedBoxes[CREATE_BOXES] = {
    {24, 117, 104, 197}, {116, 117, 196, 197}, {24, 212, 104, 292}, {116, 212, 196, 292},
    {77, 307, 109, 339},  {121, 306, 153, 338}, {0, 0, 0, 0},        {0, 0, 0, 0},
    {769, 158, 790, 179}, {769, 185, 790, 206}, {769, 379, 790, 400}, {769, 406, 790, 427},
};

constexpr int32_t kHeadDx = 12, kHeadDy = 5;      // race head inside its button
constexpr int32_t kMarkDx = -6, kMarkDy = -12;    // the race button's frame around it
constexpr int32_t kPreviewX = 101, kPreviewY = 491;
constexpr int32_t kTitleX = 577, kTitleY = 65;
constexpr float kEmoteSpeed = 0.07f;

// The two description boxes and the line pitch the layout gives them.
constexpr plat::Rect kRoleRect = {598, 90, 765, 204};
constexpr plat::Rect kMeritRect = {598, 241, 765, 422};
constexpr int32_t kLinePitch = 20;  // the smallest rectangle the emote layout takes

// One run's screen-local state that the tests need not see.
struct CreateScreen {
  CNameEdit name_box;
  FRONT_BOX boxes[CREATE_BOXES]{};
  FRONT_BOX figure{};
  int32_t last_entered = -1;
  int32_t result = -1;
  bool leave = false;
  uint32_t next_blink = 0;
  uint32_t next_preview = 0;
};

void release_media() {
  CHAR_CREATE_STATE& st = char_create_state;
  for (int32_t* h : {&st.leader, &st.head, &st.screen, &st.button, &st.arrows}) mda_object_release(h);
  for (int32_t& p : st.previews) mda_object_release(&p);
}

bool load_media() {
  CHAR_CREATE_STATE& st = char_create_state;
  return mda_load_file("system\\Leader.mda", &st.leader) == 0 && mda_load_file("system\\head.mda", &st.head) == 0 &&
         mda_load_file("system\\c1meu012.MDA", &st.screen) == 0 &&
         mda_load_file("system\\button.mda", &st.button) == 0 &&
         mda_load_file("system\\c1meu005c.MDA", &st.arrows) == 0;
}

// The eight previews; the first that fails is reported and ends the loading.
void load_previews() {
  for (int32_t m = 0; m < CREATE_MODELS; ++m) {
    char path[32];
    std::snprintf(path, sizeof path, "NPC\\NPC%03da.MDA", m);
    int32_t& handle = char_create_state.previews[m];
    if (mda_load_file(path, &handle) != 0) {
      char text[96];
      std::snprintf(text, sizeof text, "Unable to create %s file", path);
      show_message_box(text, 1);
      return;
    }
    mda_run_command(handle, "MainCommand0", kOffScreen, kOffScreen, screen_front_copy, FRONT_FIRST, 0, 0, 0);
  }
}

bool place_buttons(CreateScreen& s) {
  const CHAR_CREATE_STATE& st = char_create_state;
  for (int32_t i = 0; i < CREATE_BOXES; ++i) {
    FRONT_BOX& b = s.boxes[i];
    if (i == kBack || i == kCreate) {
      const std::string command = front_command_name(i == kBack ? 1 : 2);
      if (front_command_box(st.screen, command.c_str(), screen_front_copy, &b) != 0) return false;
      mda_run_command(st.screen, command.c_str(), b.x, b.y, screen_new, FRONT_BLINK, 0, 0, 0);
    } else {
      const FixedBox& f = kFixedBoxes[i];
      b = {f.left, f.top, f.right, f.bottom, f.left, f.top, FRONT_IDLE, false};
    }
  }
  return front_command_box(st.leader, "MainCommand2", screen_front_copy, &s.figure) == 0;
}

// The file's "#L"-separated lines; false when it cannot be read.
bool read_lines(const char* format, int32_t model, std::vector<std::string>* out) {
  char path[48];
  std::snprintf(path, sizeof path, format, model);
  FILE_BUFFER file;
  if (load_whole_file(path, &file) != 0) return false;
  const int n = count_line_separators(&file) + 1;
  out->clear();
  static char line[TEXT_LINE_SIZE];
  for (int i = 0; i < n; ++i) {
    get_text_line(i, &file, line);
    out->emplace_back(line);
  }
  file_buffer_free(&file);
  return true;
}

void load_descriptions(int32_t model) {
  std::vector<std::string> role, merit;
  if (!read_lines("download/role%d.txt", model, &role) || !read_lines("download/merit%d.txt", model, &merit)) return;
  CHAR_CREATE_STATE& st = char_create_state;
  st.role = {std::move(role), 0, 0};
  st.merit = {std::move(merit), 0, 0};
  st.layout_needed = true;
}

// Lays out the box's lines from its first shown one while they fit; the count is kept.
void lay_out(CREATE_TEXT& text, const plat::Rect& area) {
  text.fit = 0;
  for (size_t i = static_cast<size_t>(text.first); i < text.lines.size(); ++i) {
    const int32_t top = area.top + kLinePitch * text.fit;
    if (top + kLinePitch > area.bottom) break;
    plat::Rect r{area.left, top, area.right, top + kLinePitch};
    if (emote_text) emote_text->emote_text_layout(text.lines[i].c_str(), &r, 1, nullptr, 0);
    ++text.fit;
  }
}

void lay_out_texts() {
  CHAR_CREATE_STATE& st = char_create_state;
  if (emote_text) emote_text->emote_text_clear();
  lay_out(st.role, kRoleRect);
  lay_out(st.merit, kMeritRect);
  st.layout_needed = false;
}

void scroll(CREATE_TEXT& text, bool down) {
  if (down) {
    if (text.first + text.fit < static_cast<int32_t>(text.lines.size())) ++text.first;
  } else if (text.first > 0) {
    --text.first;
  }
  char_create_state.layout_needed = true;
}

void start_turn(int32_t look) {
  CHAR_CREATE_STATE& st = char_create_state;
  st.look = look;
  st.turn_step = 0;
  const std::string turn = front_command_name(look == 0 ? CREATE_LOOK_0_TURN : CREATE_LOOK_1_TURN);
  st.turn_steps = front_command_steps(st.screen, turn.c_str());
  st.turn_next = frame_input.frame_time + CREATE_TURN_MS;
}

void advance_turn() {
  CHAR_CREATE_STATE& st = char_create_state;
  if (st.turn_step >= st.turn_steps) return;
  if (static_cast<int32_t>(frame_input.frame_time - st.turn_next) < 0) return;
  ++st.turn_step;
  st.turn_next = frame_input.frame_time + CREATE_TURN_MS;
}

void create(CreateScreen& s) {
  const CHAR_CREATE_STATE& st = char_create_state;
  if (st.model < 0) {
    show_system_message("Please choose a race!", 0);
    return;
  }
  char text[kNameRead] = {};
  s.name_box.get_text(text, sizeof text);
  const std::string name = create_name_cut(text);
  char tested[CHAR_NAME_SIZE] = {};
  std::memcpy(tested, name.data(), name.size());
  if (name.empty() || filter_bad_words(tested, true)) {
    show_system_message("Please enter a nickname!", 0);
    return;
  }
  req_create_character(st.model, name);
}

// A press on a box; true when it changed the model.
bool on_press(CreateScreen& s, int32_t hit) {
  CHAR_CREATE_STATE& st = char_create_state;
  const int32_t before = st.model;
  if (hit >= 0 && hit < 4) {
    st.race_base = kRaceBase[hit];
  } else if (hit == kLook0 || hit == kLook1) {
    const int32_t look = hit == kLook0 ? 0 : 1;
    if (st.look != look) start_turn(look);
  } else if (hit == kBack) {
    s.result = -2;
    s.leave = true;
  } else if (hit == kCreate) {
    create(s);
  } else if (hit == kRoleUp || hit == kRoleDown) {
    scroll(st.role, hit == kRoleDown);
  } else if (hit == kMeritUp || hit == kMeritDown) {
    scroll(st.merit, hit == kMeritDown);
  }
  if (hit >= 0 && hit <= kLook1 && st.race_base >= 0) st.model = st.race_base + st.look;
  return st.model != before;
}

bool on_name_box(int32_t x, int32_t y) {
  return x >= kNameBox.left && x < kNameBox.right && y >= kNameBox.top && y < kNameBox.bottom;
}

void draw_frame(CreateScreen& s, uint32_t blink, int32_t tick) {
  const CHAR_CREATE_STATE& st = char_create_state;
  front_copy_screen(screen_back, screen_new);
  for (int32_t j = 0; j < 4; ++j) {
    const FRONT_BOX& b = s.boxes[j];
    mda_run_command(st.head, front_command_name(st.look + kRaceBase[j]).c_str(), b.x + kHeadDx, b.y + kHeadDy,
                    screen_back, FRONT_FIRST, 0, 0, 0);
    const int32_t mark_x = b.x + kMarkDx, mark_y = b.y + kMarkDy;
    if (st.model >= 0 && st.race_base == kRaceBase[j]) {
      mda_run_command(st.screen, "MainCommand7", mark_x, mark_y, screen_back, FRONT_FIRST, 0, 0, 0);
      uint32_t flags = 0;
      if (static_cast<int32_t>(frame_input.frame_time - s.next_preview) >= 0) {
        flags = FRONT_BLINK;
        s.next_preview = frame_input.frame_time + kPreviewStepMs;
      }
      mda_run_command(st.previews[st.model], "MainCommand31", kPreviewX, kPreviewY, screen_back, flags, 0, 0, 0);
    } else if (b.state == FRONT_HOVER) {
      mda_run_command(st.screen, "MainCommand7", mark_x, mark_y, screen_back, FRONT_FIRST, 0, 0, 0);
    } else if (b.state == FRONT_PRESSED) {
      mda_run_command(st.screen, "MainCommand8", mark_x, mark_y, screen_back, FRONT_FIRST, 0, 0, 0);
    }
  }
  for (int32_t j = 0; j < 2; ++j) {
    const FRONT_BOX& b = s.boxes[kLook0 + j];
    const bool chosen = st.look == j;
    if (b.state == FRONT_PRESSED) {
      mda_run_command(st.screen, front_command_name(4 + 2 * j).c_str(), b.x, b.y, screen_back, FRONT_FIRST, 0, 0, 0);
    } else if (chosen || b.state == FRONT_HOVER) {
      mda_run_command(st.screen, front_command_name(3 + 2 * j).c_str(), b.x, b.y, screen_back, FRONT_FIRST, 0, 0, 0);
    }
  }
  front_main_button_draw(st.button, FRONT_MAIN_UPPER, st.screen, "MainCommand1", s.boxes[kBack], blink, screen_back);
  front_main_button_draw(st.button, FRONT_MAIN_LOWER, st.screen, "MainCommand2", s.boxes[kCreate], blink, screen_back);
  mda_run_command(st.screen, "MainCommand0", kTitleX, kTitleY, screen_back, blink, 0, 0, 0);
  // The arrows stand in the background; a pressed arrow shows its pressed look.
  for (int32_t k = kRoleUp; k <= kMeritDown; ++k) {
    const FRONT_BOX& b = s.boxes[k];
    if (b.state != FRONT_PRESSED) continue;
    const bool up = k == kRoleUp || k == kMeritUp;
    mda_run_command(st.arrows, up ? "MainCommand1" : "MainCommand2", b.x, b.y, screen_back, FRONT_FIRST, 0, 0, 0);
  }
  if (st.model >= 0) {
    mda_run_command(st.leader, front_command_name(st.model).c_str(), s.figure.x, s.figure.y, screen_back, FRONT_BLINK,
                    0, 0, 0);
  }
  s.name_box.draw(screen_back);
  if (emote_text) {
    emote_text->emote_text_flush(frame_input.mouse_x, frame_input.mouse_y, kEmoteSpeed, screen_back, tick);
  }
  front_windows_present();
}

void run_frames(CreateScreen& s) {
  CHAR_CREATE_STATE& st = char_create_state;
  while (!s.leave && nickname_accepted_flag == 0) {
    frame_step();
    if (game_leave_mode.flag && game_leave_mode.mode == GAME_LEAVE_TO_LOGIN) {
      game_leave_mode = {0, GAME_LEAVE_NONE};
      s.result = -2;
      break;
    }
    if (front_minimised()) continue;
    const uint32_t blink = front_blink(&s.next_blink, frame_input.frame_time);
    const int32_t tick = blink == FRONT_BLINK ? 1 : 0;
    const int32_t hit =
        front_hit_test(s.boxes, CREATE_BOXES, frame_input.mouse_x, frame_input.mouse_y, frame_input.event_code);
    if (hit >= 0 && hit != s.last_entered) front_restart_steps(st.button);
    s.last_entered = hit;
    edit_name_box_input(&s.name_box);
    if (frame_input.event_code == FRONT_MOUSE_PRESS) {
      input_clear_key();
      if (!on_name_box(frame_input.mouse_x, frame_input.mouse_y) && on_press(s, hit)) load_descriptions(st.model);
      if (s.leave) break;
    }
    advance_turn();
    if (st.layout_needed) lay_out_texts();
    draw_frame(s, blink, tick);
  }
}

}  // namespace

void char_create_reset() {
  release_media();
  char_create_state = CHAR_CREATE_STATE{};
}

int32_t task_create_character() {
  char_create_reset();
  CreateScreen s;
  edit_place_and_focus(&s.name_box, kNameBox);
  if (jpg_load_region(kBackground, screen_new, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT) != 0) return -1;
  front_copy_screen(screen_work, screen_new);
  if (!load_media()) {
    char_create_reset();
    return -1;
  }
  load_previews();
  if (!place_buttons(s)) {
    char_create_reset();
    return -1;
  }
  screen_transition_fade(kFadeStep);
  if (jpg_load_region(kBackground, screen_new, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT) != 0) {
    char_create_reset();
    return -1;
  }
  s.next_blink = s.next_preview = frame_input.frame_time;

  run_frames(s);

  int32_t result = s.result;
  if (nickname_accepted_flag == 1) {
    nickname_accepted_flag = 0;
    result = 0;
  }
  if (emote_text) emote_text->emote_text_clear();
  char_create_reset();
  return result;
}

static const ModuleReset k_reset("character create", char_create_reset);
